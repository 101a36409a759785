#pragma once

// The design window's results on Windows: a list view under the conditions grid, a row per
// result and a column per condition, given on demand; a failed result in the failure colour,
// a warned one in the warning colour and the governing condition's in bold.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "kelnor/sheet/design_presenter.h"

namespace kelnor::win32 {

inline constexpr int kResultsId = 101;

class DesignResults {
  public:
    // A list view in `window`, over the presenter's evaluation.
    DesignResults(HWND window, HINSTANCE instance, const sheet::DesignPresenter& presenter);

    DesignResults(const DesignResults&) = delete;
    DesignResults& operator=(const DesignResults&) = delete;

    HWND list() const { return list_; }
    // The window's font, its bold for the governing condition, and the DPI new columns take.
    void useFont(HFONT font, HFONT bold, UINT dpi);

    // The conditions were computed again: a column for each, its header, every cell redrawn.
    void showResults();

    // The colours and font of a cell as the list view is about to draw it.
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;
    // The text the list view shows for a cell (the result's name in the names' column), and
    // its tip (none in the names' column).
    std::wstring textOf(std::size_t row, int column) const;
    std::wstring tipOf(std::size_t row, int column) const;

  private:
    const sheet::DesignPresenter& presenter_;
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    HFONT bold_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
};

}  // namespace kelnor::win32
