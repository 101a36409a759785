#include "lines_box.h"

#include <commctrl.h>

#include "window_support.h"

namespace kelnor::win32 {

namespace {

constexpr wchar_t kClassName[] = L"KelnorLinesBox";
// Device pixels at 96 dpi.
constexpr int kMargin = 12;
constexpr int kCaptionWidth = 96;
constexpr int kLineWidth = 340;
constexpr int kLineHeight = 24;
constexpr int kGap = 8;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kSayingHeight = 40;  // two lines of what the box says under its lines

struct State {
    bool done = false;
    bool accepted = false;
    std::vector<HWND> edits;
    HWND saying = nullptr;
    LinesSaying live;
};

std::vector<std::wstring> textsOf(const std::vector<HWND>& edits) {
    std::vector<std::wstring> texts;
    for (HWND edit : edits) {
        texts.push_back(textOf(edit));
    }
    return texts;
}

void say(const State& state) {
    if (state.saying != nullptr && state.live) {
        SetWindowTextW(state.saying, state.live(textsOf(state.edits)).c_str());
    }
}

LRESULT CALLBACK boxProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* state = objectOf<State>(hwnd, message, l);
    switch (message) {
        case WM_COMMAND:
            if (state != nullptr && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
                state->accepted = LOWORD(w) == IDOK;
                state->done = true;
                return 0;
            }
            if (state != nullptr && HIWORD(w) == EN_CHANGE) {
                say(*state);
                return 0;
            }
            break;
        case WM_CLOSE:
            if (state != nullptr) {
                state->done = true;
            }
            return 0;
        case WM_CTLCOLORSTATIC:
            return faceColoured(w);
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace

std::optional<std::vector<std::wstring>> askLines(HWND owner, const std::wstring& title,
                                                  const std::vector<BoxLine>& lines, HFONT font,
                                                  UINT dpi, const LinesSaying& live) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registerWindowClass(instance, kClassName, boxProcedure)) {
        return std::nullopt;
    }
    const auto px = [dpi](int at96) { return scaled(at96, dpi); };
    const int count = static_cast<int>(lines.size());
    const int sayingHeight = live ? kSayingHeight + kGap : 0;
    RECT client{0, 0, px(2 * kMargin + kCaptionWidth + kGap + kLineWidth),
                px(2 * kMargin + count * (kLineHeight + kGap) + sayingHeight + kButtonHeight)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    AdjustWindowRectExForDpi(&client, style, FALSE, exStyle, dpi);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    RECT ownerPlace{};
    GetWindowRect(owner, &ownerPlace);
    State state;
    state.live = live;
    HWND box = CreateWindowExW(exStyle, kClassName, title.c_str(), style,
                               (ownerPlace.left + ownerPlace.right - width) / 2,
                               (ownerPlace.top + ownerPlace.bottom - height) / 2, width, height,
                               owner, nullptr, instance, &state);
    if (box == nullptr) {
        return std::nullopt;
    }
    const auto make = [&](const wchar_t* cls, const std::wstring& text, DWORD more, int x, int y,
                          int w, int h, int id) {
        HWND control =
            CreateWindowExW(cls == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, cls, text.c_str(),
                            WS_CHILD | WS_VISIBLE | more, x, y, w, h, box,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    std::vector<HWND>& edits = state.edits;
    for (int i = 0; i < count; ++i) {
        const BoxLine& line = lines[static_cast<std::size_t>(i)];
        const int top = px(kMargin + i * (kLineHeight + kGap));
        make(L"STATIC", line.caption, SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, px(kMargin), top,
             px(kCaptionWidth), px(kLineHeight), 0);
        HWND edit =
            make(L"EDIT", line.text, WS_TABSTOP | ES_AUTOHSCROLL,
                 px(kMargin + kCaptionWidth + kGap), top, px(kLineWidth), px(kLineHeight), 100 + i);
        SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(line.hint.c_str()));
        edits.push_back(edit);
    }
    if (live) {
        state.saying = make(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, px(kMargin),
                            px(kMargin + count * (kLineHeight + kGap)),
                            px(kCaptionWidth + kGap + kLineWidth), px(kSayingHeight), 0);
        say(state);
    }
    const int buttonsTop = px(kMargin + count * (kLineHeight + kGap) + sayingHeight);
    const int right = px(2 * kMargin + kCaptionWidth + kGap + kLineWidth - kMargin);
    make(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, right - 2 * px(kButtonWidth) - px(kGap),
         buttonsTop, px(kButtonWidth), px(kButtonHeight), IDOK);
    make(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, right - px(kButtonWidth), buttonsTop,
         px(kButtonWidth), px(kButtonHeight), IDCANCEL);

    // Modal: the owner takes nothing until the box is done.
    EnableWindow(owner, FALSE);
    ShowWindow(box, SW_SHOW);
    if (!edits.empty()) {
        SetFocus(edits.front());
        SendMessageW(edits.front(), EM_SETSEL, 0, -1);
    }
    MSG message;
    bool quit = false;
    while (!state.done) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quit = true;  // the program is ending: the loop outside must see it too
            break;
        }
        if (!IsDialogMessageW(box, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    std::vector<std::wstring> texts = textsOf(edits);
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
    DestroyWindow(box);
    if (quit) {
        PostQuitMessage(static_cast<int>(message.wParam));
    }
    if (!state.accepted) {
        return std::nullopt;
    }
    return texts;
}

}  // namespace kelnor::win32
