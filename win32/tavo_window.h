#pragma once

// The calculator's window on Windows: the form's controls as native Win32 controls, its four
// commands, the keyboard of a dialog and the system's message font at the monitor's DPI.

#include <windows.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kelnor/form/layout.h"
#include "kelnor/form/presenter.h"
#include "kelnor/inputs.h"
#include "window_support.h"

namespace kelnor::win32 {

// The form's presenter decides what the commands do; the window lends it its controls.
class TavoWindow {
  public:
    // `programFolder` holds the help text; `reportFolder` is where the report is written and
    // opened from.
    TavoWindow(std::filesystem::path programFolder, std::filesystem::path reportFolder);
    ~TavoWindow();
    TavoWindow(const TavoWindow&) = delete;
    TavoWindow& operator=(const TavoWindow&) = delete;

    // Makes the window, centred with its frame on the primary monitor's work area, and shows
    // it with the focus in Text1(0). False when the system refuses.
    bool open(HINSTANCE instance, int showCommand);

    // The message loop's hook: Tab, Shift+Tab and the arrow keys move as in a dialog; Enter and
    // Esc press nothing. True when the message was used up.
    bool handleKey(MSG& message);

    HWND hwnd() const { return hwnd_; }

  private:
    friend struct MainWindow<TavoWindow>;
    LRESULT handle(UINT message, WPARAM w, LPARAM l);

    void createControls(HINSTANCE instance);
    // Places every control and chooses the font for `dpi`.
    void layOut(UINT dpi);
    HWND handleOf(const form::Control& control) const;
    void optionChosen();

    // The system's message font at `size` pixels at 96 dpi, scaled to the monitor's DPI and no
    // larger than the size the user chose for messages.
    void useFontSize(int size);
    // The controls, by the form's ids, whose caption does not show whole in the current font.
    std::vector<std::string> clippedCaptions() const;

    class View;  // the window as the presenter sees it
    std::unique_ptr<View> view_;
    form::TavoPresenter presenter_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    HFONT font_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the window was left

    // Each of the form's controls, in the form's order.
    std::vector<HWND> controls_;
    std::array<HWND, kBoxCount> Text1{};
    std::array<HWND, 3> Option1{};
};

}  // namespace kelnor::win32
