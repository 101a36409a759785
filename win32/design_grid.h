#pragma once

// The design window's conditions grid on Windows: a list view with the sheet's cell cursor
// (the list view itself only knows whole rows). The arrow keys, Tab and Enter move it, Shift
// stretches a selection, typing or F2 opens an editor over the cell, Enter and Tab commit it,
// Escape drops it.

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <utility>

#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/grid.h"
#include "kelnor/sheet/window_rules.h"

namespace kelnor::win32 {

inline constexpr int kGridId = 100;
inline constexpr int kEditorId = 102;
inline constexpr int kNamesId = 103;
// Posted to the window by the cell editor: it lost the keyboard to another control, or a choice
// was made in its list. Either ends the editing once the editor's own message is done.
inline constexpr UINT kEditorLeft = WM_APP;
inline constexpr UINT kChoiceMade = WM_APP + 1;

class DesignGrid {
  public:
    // A list view in `window`, over the presenter's sheet.
    DesignGrid(HWND window, HINSTANCE instance, sheet::DesignPresenter& presenter);

    DesignGrid(const DesignGrid&) = delete;
    DesignGrid& operator=(const DesignGrid&) = delete;

    HWND list() const { return list_; }
    // A dike's section names, frozen at the grid's left while its fields scroll sideways.
    HWND names() const { return names_; }
    // Puts the grid in `area`; a dike's with its names frozen in a pane of their own.
    void place(const kelnor::Rect& area);
    // The names' pane scrolled to the grid's first row in sight.
    void syncNames();
    bool editing() const { return editor_ != nullptr; }
    HWND editor() const { return editor_; }
    // The window's fonts and DPI, for the editors and a dike's results.
    void useFont(HFONT font, HFONT bold, UINT dpi);

    sheet::GridSelection selection() const { return cursor_.selection(); }

    // The sheet changed: the rows, the columns and the cursor within them.
    void showSheet();
    // Makes (condition, field) the current cell; with `stretch` the selection reaches there
    // from where it began, else it is that cell alone.
    void moveTo(std::size_t condition, std::size_t field, bool stretch);
    // Ends the editor, its text committed to the cell or dropped.
    void endEdit(bool commit);
    // Opens the cell's editor: with `typed`, typing replaces the cell's text; else the text
    // is kept for changing (F2, a double click).
    void beginEdit(std::optional<wchar_t> typed);

    // The colours of a cell as the list view is about to draw it.
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;
    // The text the list view shows for a cell (its item and column), and its tip.
    std::wstring textOf(std::size_t row, int column) const;
    std::wstring tipOf(std::size_t row, int column) const;

  private:
    std::size_t conditions() const { return presenter_.sheet().size(); }
    // The cursor told the grid's shape: a dam's conditions across, a dike's sections down.
    void resizeCursor();
    // The list view's item and column of the cursor's cell.
    std::pair<int, int> cursorCell() const;
    // Scrolls the list view until the current cell is whole in sight.
    void bringIntoView();
    // The keys of the grid while no editor is open; true when used.
    bool key(WPARAM key);
    void click(LPARAM l, bool twice);

    static LRESULT CALLBACK listProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                          DWORD_PTR data);
    static LRESULT CALLBACK namesProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                           DWORD_PTR data);
    static LRESULT CALLBACK editorProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                            DWORD_PTR data);

    HWND window_;
    HINSTANCE instance_;
    sheet::DesignPresenter& presenter_;
    HWND list_ = nullptr;
    HWND namesBox_ = nullptr;  // clips the names' own scroll bar away
    HWND names_ = nullptr;
    HWND editor_ = nullptr;
    HFONT font_ = nullptr;
    HFONT bold_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    sheet::EditorKind kind_ = sheet::EditorKind::Line;
    sheet::GridCursor cursor_;
};

}  // namespace kelnor::win32
