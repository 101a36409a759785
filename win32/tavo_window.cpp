#include "tavo_window.h"

#include <commctrl.h>
#include <dwmapi.h>

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "kelnor/platform/document.h"
#include "kelnor/platform/text_encoding.h"
#include "window_support.h"

namespace kelnor::win32 {

namespace {

using platform::narrow;
using platform::widen;

constexpr wchar_t kClassName[] = L"KelnorTavoWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Tab and the arrow keys find the controls of this window as a dialog's.
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// Control identifiers from here on, by the control's place in the form. They stay clear of
// IDOK and IDCANCEL, which Enter and Esc would send.
constexpr int kFirstId = 1000;

std::span<const form::Control> formControls() {
    return form::controls();
}

int placeOf(const form::Control& control) {
    return static_cast<int>(&control - formControls().data());
}

// A control's rectangle in the window's client area: the options lie within the frame.
form::Pixels placeInWindow(const form::Control& control, UINT dpi) {
    form::Twips place = control.place;
    if (control.inFrame()) {
        const form::Twips frame = form::control("Frame1").place;
        place.left += frame.left;
        place.top += frame.top;
    }
    return form::pixels(place, static_cast<int>(dpi));
}

bool checked(HWND option) {
    return SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

class TavoWindow::View final : public form::FormView {
  public:
    explicit View(TavoWindow& window) : window_(window) {}

    std::string boxText(int box) const override {
        return narrow(textOf(window_.Text1[static_cast<std::size_t>(box)]));
    }

    bool optionSelected(int option) const override {
        return checked(window_.Option1[static_cast<std::size_t>(option)]);
    }

    void tell(const std::string& message) override {
        MessageBoxW(window_.hwnd_, widen(message).c_str(), widen(form::kWindowTitle).c_str(),
                    MB_OK | MB_ICONWARNING);
    }

    void focusBox(int box) override {
        HWND text = window_.Text1[static_cast<std::size_t>(box)];
        SetFocus(text);
        SendMessageW(text, EM_SETSEL, 0, -1);
    }

    std::error_code openDocument(const std::filesystem::path& file) override {
        return platform::openDocument(file);
    }

    void closeWindow() override { DestroyWindow(window_.hwnd_); }

    void setFontPixelSize(int size) override { window_.useFontSize(size); }

    std::vector<std::string> clippedCaptions() const override { return window_.clippedCaptions(); }

  private:
    TavoWindow& window_;
};

TavoWindow::TavoWindow(std::filesystem::path programFolder, std::filesystem::path reportFolder)
    : view_(std::make_unique<View>(*this)),
      presenter_(*view_, std::move(programFolder), std::move(reportFolder)) {}

TavoWindow::~TavoWindow() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

bool TavoWindow::open(HINSTANCE instance, int showCommand) {
    if (!registerWindowClass(instance, kClassName, MainWindow<TavoWindow>::procedure)) {
        return false;
    }

    // Made on the primary monitor, so it takes that monitor's DPI, and centred there.
    const RECT work = primaryWorkArea();
    if (CreateWindowExW(kExStyle, kClassName, widen(form::kWindowTitle).c_str(), kStyle, work.left,
                        work.top, 1, 1, nullptr, nullptr, instance, this) == nullptr) {
        return false;
    }
    createControls(instance);
    layOut(GetDpiForWindow(hwnd_));

    RECT frame{0, 0, form::pixels(form::kClientWidth, static_cast<int>(dpi_)),
               form::pixels(form::kClientHeight, static_cast<int>(dpi_))};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi_);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, work.left, work.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame the user sees: the desktop window manager draws the window rectangle's
    // borders partly invisible, on the sides and the bottom only.
    RECT placed{};
    RECT seen{};
    GetWindowRect(hwnd_, &placed);
    int left = 0;
    int top = 0;
    if (SUCCEEDED(DwmGetWindowAttribute(hwnd_, DWMWA_EXTENDED_FRAME_BOUNDS, &seen, sizeof(seen))) &&
        seen.right > seen.left) {
        left = seen.left - placed.left;
        top = seen.top - placed.top;
        width = seen.right - seen.left;
        height = seen.bottom - seen.top;
    }
    const form::Origin origin =
        form::centredOrigin(width, height, {work.left, work.top, work.right, work.bottom});
    SetWindowPos(hwnd_, nullptr, origin.x - left, origin.y - top, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);

    // The focus starts in the depth box, its text selected for typing over; the window gives
    // it on activation.
    focus_ = Text1[0];
    SendMessageW(Text1[0], EM_SETSEL, 0, -1);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
}

void TavoWindow::createControls(HINSTANCE instance) {
    // Tab and the arrow keys follow the order controls are made in, so the stops of the Tab
    // key come first, in the form's order; the frame and the labels follow, beneath the
    // controls that lie over them.
    std::vector<const form::Control*> order(form::tabChain().begin(), form::tabChain().end());
    for (const form::Control& c : formControls()) {
        if (std::find(order.begin(), order.end(), &c) == order.end()) {
            order.push_back(&c);
        }
    }
    controls_.assign(formControls().size(), nullptr);
    for (const form::Control* c : order) {
        const wchar_t* windowClass = L"BUTTON";
        // Siblings never draw over one another; each option but the first ends no group, so
        // the three options make the group the arrow keys move in.
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP;
        DWORD exStyle = 0;
        switch (c->kind) {
            case form::ControlKind::Label:
                windowClass = L"STATIC";
                style |= SS_LEFT | SS_NOPREFIX;
                break;
            case form::ControlKind::TextBox:
                windowClass = L"EDIT";
                style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case form::ControlKind::Frame:
                style |= BS_GROUPBOX;
                break;
            case form::ControlKind::Option:
                style |= BS_AUTORADIOBUTTON;
                if (c->index > 0) {
                    style &= ~WS_GROUP;
                }
                break;
            case form::ControlKind::Button:
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                break;
        }
        HWND control = CreateWindowExW(
            exStyle, windowClass, widen(c->caption).c_str(), style, 0, 0, 0, 0, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + placeOf(*c))), instance,
            nullptr);
        controls_[static_cast<std::size_t>(placeOf(*c))] = control;
        if (c->kind == form::ControlKind::TextBox) {
            SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // as long as the user likes
            Text1[static_cast<std::size_t>(c->index)] = control;
        } else if (c->kind == form::ControlKind::Option) {
            Option1[static_cast<std::size_t>(c->index)] = control;
        }
    }
    SendMessageW(Option1[0], BM_SETCHECK, BST_CHECKED, 0);
    optionChosen();
}

HWND TavoWindow::handleOf(const form::Control& control) const {
    return controls_[static_cast<std::size_t>(placeOf(control))];
}

void TavoWindow::layOut(UINT dpi) {
    dpi_ = dpi;
    for (const form::Control& c : formControls()) {
        const form::Pixels p = placeInWindow(c, dpi);
        MoveWindow(handleOf(c), p.left, p.top, p.width(), p.height(), FALSE);
    }
    presenter_.fitFont();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TavoWindow::useFontSize(int size) {
    LOGFONTW font = messageFont(dpi_);
    const int height = scaled(size, dpi_);
    font.lfHeight =
        -(font.lfHeight < 0 ? std::min(height, static_cast<int>(-font.lfHeight)) : height);
    HFONT next = CreateFontIndirectW(&font);
    for (HWND control : controls_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(next), FALSE);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
    font_ = next;
}

std::vector<std::string> TavoWindow::clippedCaptions() const {
    std::vector<std::string> clipped;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ previous = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int optionTop = placeInWindow(form::control("Option1", 0), dpi_).top;
    for (const form::Control& c : formControls()) {
        const std::wstring caption = widen(c.caption);
        SIZE text{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        form::Pixels room = placeInWindow(c, dpi_);
        switch (c.kind) {
            case form::ControlKind::TextBox:
                continue;  // holds a number the user may scroll through
            case form::ControlKind::Label:
                room = form::pixels(form::captionRoom(c), static_cast<int>(dpi_));
                break;
            case form::ControlKind::Frame:
                // The caption is set into the top edge, a little in from each side, and must
                // stand above the first option.
                room.left += scaled(8, dpi_);
                room.right -= scaled(8, dpi_);
                room.bottom = optionTop;
                break;
            case form::ControlKind::Option:
                // The round check mark and the gap after it come first.
                room.left += GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi_) + scaled(4, dpi_);
                break;
            case form::ControlKind::Button:
                // The raised edge and the focus rectangle inside it.
                room.left += scaled(6, dpi_);
                room.right -= scaled(6, dpi_);
                room.top += scaled(3, dpi_);
                room.bottom -= scaled(3, dpi_);
                break;
        }
        if (text.cx > room.width() || metrics.tmHeight > room.height()) {
            clipped.push_back(c.id());
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(hwnd_, dc);
    return clipped;
}

// Tab enters the formula group at its selected option and leaves from there; the arrow keys
// move within it. So only the selected option is a stop of the Tab key.
void TavoWindow::optionChosen() {
    for (HWND option : Option1) {
        const LONG_PTR style = GetWindowLongPtrW(option, GWL_STYLE);
        SetWindowLongPtrW(option, GWL_STYLE,
                          checked(option) ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

bool TavoWindow::handleKey(MSG& message) {
    if (hwnd_ == nullptr || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) {
        return false;
    }
    // Enter and Esc press no button, also not the one with the focus: a dialog would take
    // them for OK and Cancel.
    const bool key =
        message.message == WM_KEYDOWN || message.message == WM_KEYUP || message.message == WM_CHAR;
    if (key && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
        return true;
    }
    return IsDialogMessageW(hwnd_, &message) != FALSE;
}

LRESULT TavoWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND: {
            const int place = LOWORD(w) - kFirstId;
            if (HIWORD(w) != BN_CLICKED || place < 0 ||
                place >= static_cast<int>(formControls().size())) {
                break;
            }
            const form::Control& c = formControls()[static_cast<std::size_t>(place)];
            if (c.kind == form::ControlKind::Option) {
                optionChosen();
            } else {
                presenter_.press(c.name);
            }
            return 0;
        }
        case WM_ACTIVATE:
            // Keeps the control with the focus while the user is in another window.
            if (LOWORD(w) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd_, focus)) {
                    focus_ = focus;
                }
            } else if (focus_ != nullptr) {
                SetFocus(focus_);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            // Labels, the frame and the options on the window's own face colour.
            return faceColoured(w);
        case WM_DPICHANGED:
            // Moved to a monitor of another DPI: the size the system proposes, the layout and
            // the font at the new DPI.
            takeProposedPlace(hwnd_, l);
            layOut(HIWORD(w));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace kelnor::win32
