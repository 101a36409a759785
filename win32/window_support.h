#pragma once

// What both Windows windows need of the desktop: sizes at a monitor's DPI, the system's
// message font, their class with the program's icon, and a control's text.

#include <windows.h>

#include <string>

namespace kelnor::win32 {

// The program's icon in the resources.
inline constexpr int kIconId = 1;

// `pixelsAt96` device pixels at `dpi`.
int scaled(int pixelsAt96, UINT dpi);

// The system's message font at `dpi`: what the user chose for dialogs, in their language's
// face (Microsoft YaHei UI on Simplified Chinese Windows).
LOGFONTW messageFont(UINT dpi);

// Registers a top-level window class with the program's icon on the face colour; false when
// the system refuses.
bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure);

// The work area of the primary monitor, where a window is first placed.
RECT primaryWorkArea();

// The text of a window or control, however long.
std::wstring textOf(HWND window);

// Copies `text` into a control's buffer of `size` characters, cut to fit and ended by a NUL.
void lend(const std::wstring& text, wchar_t* buffer, int size);

// WM_DPICHANGED: takes the place and size the system proposes at the new DPI (`l`).
void takeProposedPlace(HWND window, LPARAM l);

// WM_CTLCOLORSTATIC: labels on the window's own face colour; the brush to return.
LRESULT faceColoured(WPARAM dc);

// The themed controls of common controls 6, which the manifest asks for.
void initCommonControls(DWORD classes);

// The object a window was made for (CreateWindowEx's last argument), kept with the window from
// WM_NCCREATE on: what its window procedure hands the message to. Nothing before that.
template <typename Object>
Object* objectOf(HWND hwnd, UINT message, LPARAM l) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    }
    return reinterpret_cast<Object*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The window procedure of a program's main window whose object handles its messages: the
// object knows its window by `hwnd_` from WM_NCCREATE until it is gone, and the window's end
// ends the program's message loop. `Window` befriends MainWindow<Window>.
template <typename Window>
struct MainWindow {
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
        auto* window = objectOf<Window>(hwnd, message, l);
        if (window == nullptr) {
            return DefWindowProcW(hwnd, message, w, l);
        }
        if (message == WM_NCDESTROY) {
            // Gone: the object no longer destroys it, nor is handed anything more.
            window->hwnd_ = nullptr;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return DefWindowProcW(hwnd, message, w, l);
        }
        window->hwnd_ = hwnd;
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
        }
        return window->handle(message, w, l);
    }
};

// Runs the thread's messages through `window.handleKey` first, then to their windows, until the
// window has ended; the exit status it posted.
template <typename Window>
int runMessages(Window& window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!window.handleKey(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace kelnor::win32
