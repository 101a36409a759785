#include "design_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "design_grid.h"
#include "design_results.h"
#include "freeboard_painter.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/drawing.h"
#include "kelnor/platform/document.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "kelnor/sheet/window_rules.h"
#include "list_views.h"
#include "window_placement.h"
#include "window_support.h"

namespace kelnor::win32 {

namespace {

namespace fs = std::filesystem;
using platform::narrow;
using platform::widen;

constexpr wchar_t kClassName[] = L"KelnorDesignWindow";
constexpr wchar_t kPictureClass[] = L"KelnorFreeboard";
// Where the window's place is kept between sessions.
constexpr wchar_t kSettingsKey[] = L"Software\\Kelnor\\kelnor-design";

constexpr int kSettledId = 103;
constexpr int kStatusId = 104;
constexpr int kFirstDamId = 200;  // the dam panel's entries, by sheet::damPanelFields()
// Menu commands: kFirstCommand + the presenter's command.
constexpr int kFirstCommand = 1000;

WORD commandId(sheet::Command command) {
    return static_cast<WORD>(kFirstCommand + static_cast<int>(command));
}

// The accelerator of a menu's key.
std::optional<ACCEL> acceleratorOf(sheet::Key key, WORD id) {
    using enum sheet::Key;
    struct Keys {
        sheet::Key key;
        BYTE modifiers;
        WORD virtualKey;
    };
    constexpr BYTE kCtrl = FCONTROL | FVIRTKEY;
    static constexpr Keys kKeys[] = {
        {CtrlN, kCtrl, 'N'},   {CtrlO, kCtrl, 'O'},   {CtrlS, kCtrl, 'S'},
        {CtrlB, kCtrl, 'B'},   {CtrlZ, kCtrl, 'Z'},   {CtrlY, kCtrl, 'Y'},
        {CtrlC, kCtrl, 'C'},   {CtrlV, kCtrl, 'V'},   {Delete, FVIRTKEY, VK_DELETE},
        {F1, FVIRTKEY, VK_F1}, {F4, FVIRTKEY, VK_F4},
    };
    for (const Keys& k : kKeys) {
        if (k.key == key) {
            return ACCEL{k.modifiers, k.virtualKey, id};
        }
    }
    return std::nullopt;  // Key::None
}

}  // namespace

// --- the window ----------------------------------------------------------------------------

DesignWindow::DesignWindow(fs::path dataFolder, fs::path programFolder)
    : view_(makeView()), presenter_(*view_, std::move(dataFolder), std::move(programFolder)) {}

DesignWindow::~DesignWindow() {
    grid_.reset();
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
    if (keys_ != nullptr) {
        DestroyAcceleratorTable(keys_);
    }
    for (HFONT font : {font_, bold_}) {
        if (font != nullptr) {
            DeleteObject(font);
        }
    }
}

bool DesignWindow::open(HINSTANCE instance, int showCommand, const std::optional<fs::path>& file) {
    if (!registerWindowClass(instance, kClassName, MainWindow<DesignWindow>::procedure)) {
        return false;
    }
    WNDCLASSEXW pictureClass{};
    pictureClass.cbSize = sizeof(pictureClass);
    pictureClass.lpfnWndProc = pictureProcedure;
    pictureClass.hInstance = instance;
    pictureClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    pictureClass.lpszClassName = kPictureClass;
    if (RegisterClassExW(&pictureClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }

    // Made on the primary monitor, so it takes that monitor's DPI, and centred there.
    const RECT work = primaryWorkArea();
    if (CreateWindowExW(0, kClassName, widen(sheet::kDesignTitle).c_str(),
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, work.left, work.top, 1, 1, nullptr,
                        nullptr, instance, this) == nullptr) {
        return false;
    }
    dpi_ = GetDpiForWindow(hwnd_);
    createMenus();
    createControls(instance);
    useDpi(dpi_);
    const sheet::WindowSize first = sheet::firstWindowSize(
        {MulDiv(work.right - work.left, USER_DEFAULT_SCREEN_DPI, int(dpi_)),
         MulDiv(work.bottom - work.top, USER_DEFAULT_SCREEN_DPI, int(dpi_))});
    const int width = std::min(scaled(first.width, dpi_), int(work.right - work.left));
    const int height = std::min(scaled(first.height, dpi_), int(work.bottom - work.top));
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    restorePlacement(hwnd_, kSettingsKey);
    DragAcceptFiles(hwnd_, TRUE);

    presenter_.start(file);
    grid_->moveTo(0, 0, false);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(grid_->list());
    return true;
}

namespace {

// A menu entry's caption for a sheet of `code`, with its key after a tab.
std::wstring menuCaption(const sheet::MenuEntry& e, sheet::DesignCode code) {
    std::wstring caption = widen(sheet::captionFor(e, code));
    if (e.key != sheet::Key::None) {
        caption += L'\t' + widen(sheet::keyText(e.key));
    }
    return caption;
}

}  // namespace

void DesignWindow::arrangeFor(sheet::DesignCode code) {
    if (code == arranged_) {
        return;
    }
    arranged_ = code;
    HMENU bar = GetMenu(hwnd_);
    for (const sheet::Menu& m : sheet::designMenus()) {
        for (const sheet::MenuEntry& e : m.entries) {
            ModifyMenuW(bar, commandId(e.command), MF_BYCOMMAND | MF_STRING, commandId(e.command),
                        menuCaption(e, code).c_str());
        }
    }
    DrawMenuBar(hwnd_);
    layOut();
}

void DesignWindow::createMenus() {
    HMENU bar = CreateMenu();
    std::vector<ACCEL> accelerators;
    for (const sheet::Menu& m : sheet::designMenus()) {
        HMENU menu = CreatePopupMenu();
        for (const sheet::MenuEntry& e : m.entries) {
            if (e.separatorBefore) {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            }
            AppendMenuW(menu, MF_STRING, commandId(e.command),
                        menuCaption(e, sheet::DesignCode::Dam).c_str());
            if (const auto accelerator = acceleratorOf(e.key, commandId(e.command))) {
                accelerators.push_back(*accelerator);
            }
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), widen(m.caption).c_str());
    }
    SetMenu(hwnd_, bar);
    keys_ = CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));
}

void DesignWindow::createControls(HINSTANCE instance) {
    grid_ = std::make_unique<DesignGrid>(hwnd_, instance, presenter_);
    status_ =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                        0, hwnd_, reinterpret_cast<HMENU>(INT_PTR(kStatusId)), instance, nullptr);
    results_ = std::make_unique<DesignResults>(hwnd_, instance, presenter_);
    summary_ = CreateWindowExW(0, L"STATIC", L"",
                               WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 0,
                               0, 0, hwnd_, nullptr, instance, nullptr);
    picture_ = CreateWindowExW(WS_EX_CLIENTEDGE, kPictureClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                               0, hwnd_, nullptr, instance, this);
    // The dam's values beside the conditions, each a caption and an entry, and the settled
    // crest under them.
    int id = kFirstDamId;
    for (const std::size_t field : sheet::damPanelFields()) {
        const std::wstring caption = widen(design::damCaptionZh(design::damFields()[field]));
        damLabels_.push_back(CreateWindowExW(0, L"STATIC", caption.c_str(),
                                             WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0,
                                             0, hwnd_, nullptr, instance, nullptr));
        damEntries_.push_back(CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0,
            0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance,
            nullptr));
    }
    settled_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0,
        0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSettledId)), instance, nullptr);
}

std::optional<std::size_t> DesignWindow::damEntryOf(HWND control) const {
    const auto at = std::find(damEntries_.begin(), damEntries_.end(), control);
    if (at == damEntries_.end()) {
        return std::nullopt;
    }
    return std::size_t(at - damEntries_.begin());
}

void DesignWindow::showDamEntries() {
    const std::vector<sheet::DamEntry> entries =
        sheet::damEntries(presenter_.sheet(), presenter_.evaluation());
    showingDam_ = true;
    for (std::size_t i = 0; i < entries.size() && i < damEntries_.size(); ++i) {
        const std::wstring typed = widen(entries[i].text);
        // Set only where it differs, so the caret stays where the user types.
        if (textOf(damEntries_[i]) != typed) {
            SetWindowTextW(damEntries_[i], typed.c_str());
        }
        SendMessageW(damEntries_[i], EM_SETCUEBANNER, TRUE,
                     reinterpret_cast<LPARAM>(widen(entries[i].hint).c_str()));
        // A value that cannot be used says so in its caption.
        std::wstring caption = widen(design::damCaptionZh(design::damFields()[entries[i].field]));
        if (entries[i].atFault) {
            caption = L"✖ " + caption;
        }
        SetWindowTextW(damLabels_[i], caption.c_str());
    }
    showingDam_ = false;
}

void DesignWindow::showSettled() {
    std::wstring text;
    for (const sheet::SettledLine& line : sheet::settledLines(presenter_.evaluation())) {
        text += widen(line.caption) + L"  " + widen(line.value) + L"  " + widen(line.note) +
                (line.failing ? L"  ✖" : L"") + L"\r\n";
    }
    SetWindowTextW(settled_, text.c_str());
}

void DesignWindow::useDpi(UINT dpi) {
    dpi_ = dpi;
    LOGFONTW font = messageFont(dpi);
    HFONT next = CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&font);
    grid_->useFont(next, bold, dpi);
    std::vector<HWND> controls = {grid_->list(), results_->list(), summary_,
                                  picture_,      settled_,         status_};
    controls.insert(controls.end(), damLabels_.begin(), damLabels_.end());
    controls.insert(controls.end(), damEntries_.begin(), damEntries_.end());
    for (HWND control : controls) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(next), FALSE);
    }
    for (HFONT old : {font_, bold_}) {
        if (old != nullptr) {
            DeleteObject(old);
        }
    }
    font_ = next;
    bold_ = bold;
    results_->useFont(next, bold, dpi);
    if (!presenter_.sheet().isDike()) {
        scaleColumns(grid_->list(), dpi);
    }
    scaleColumns(results_->list(), dpi);
    layOut();
}

void DesignWindow::layOut() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    RECT status{};
    GetWindowRect(status_, &status);
    TEXTMETRICW metrics{};
    HDC dc = GetDC(hwnd_);
    HGDIOBJ previous = SelectObject(dc, font_);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(hwnd_, dc);

    // The shared layout, in this monitor's pixels.
    sheet::LayoutMetrics m;
    m.margin = scaled(m.margin, dpi_);
    RECT row{};
    m.rowHeight = ListView_GetItemRect(results_->list(), 0, &row, LVIR_BOUNDS)
                      ? int(row.bottom - row.top)
                      : metrics.tmHeight + 4;
    RECT header{};
    GetWindowRect(ListView_GetHeader(results_->list()), &header);
    m.headerHeight = std::max<int>(header.bottom - header.top, metrics.tmHeight + 6);
    m.frame = 2 * GetSystemMetricsForDpi(SM_CXEDGE, dpi_);
    m.scrollBar = GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_);
    m.namesWidth = scaled(kNameColumnWidth, dpi_);
    m.conditionWidth = scaled(kConditionColumnWidth, dpi_);
    m.lineHeight = metrics.tmHeight + scaled(6, dpi_);
    m.entryHeight = metrics.tmHeight + scaled(10, dpi_);
    m.statusHeight = status.bottom - status.top;
    const sheet::WindowSize area{int(client.right), int(client.bottom)};
    const std::size_t entries = sheet::shownEntryCount(presenter_.sheet().code());
    const std::size_t settled = sheet::settledLines(presenter_.evaluation()).size();
    const bool dike = presenter_.sheet().isDike();
    const sheet::DesignLayout l =
        dike ? sheet::dikeLayout(area, m, entries, settled)
             : sheet::designLayout(area, m, presenter_.sheet().size(), entries, settled);
    ShowWindow(results_->list(), dike ? SW_HIDE : SW_SHOWNA);
    const auto place = [](HWND control, const sheet::Rect& r) {
        MoveWindow(control, r.left, r.top, r.width, r.height, TRUE);
    };
    grid_->place(l.grid);
    place(results_->list(), l.results);
    place(summary_, l.summary);
    place(settled_, l.settled);
    place(picture_, l.picture);
    // The dam's entries, each a caption and an entry a line; those of the other code hidden.
    const int captionWidth = l.dam.width / 2;
    const std::vector<sheet::DamEntry> shown =
        sheet::damEntries(presenter_.sheet(), presenter_.evaluation());
    int line = 0;
    for (std::size_t i = 0; i < damEntries_.size(); ++i) {
        const int visible = i < shown.size() && shown[i].shown ? SW_SHOWNA : SW_HIDE;
        ShowWindow(damLabels_[i], visible);
        ShowWindow(damEntries_[i], visible);
        if (visible == SW_HIDE) {
            continue;
        }
        const int y = l.dam.top + line++ * m.entryHeight;
        MoveWindow(damLabels_[i], l.dam.left, y + scaled(3, dpi_), captionWidth, m.lineHeight,
                   TRUE);
        MoveWindow(damEntries_[i], l.dam.left + captionWidth, y, l.dam.width - captionWidth,
                   m.entryHeight - scaled(2, dpi_), TRUE);
    }
}

namespace {

// Whether the cell (row, column) of a list view lies whole inside its client area, under
// its header.
bool cellInSight(HWND list, int row, int column) {
    RECT cell{};
    RECT client{};
    RECT header{};
    if (!ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &cell)) {
        return false;
    }
    GetClientRect(list, &client);
    GetWindowRect(ListView_GetHeader(list), &header);
    const LONG top = header.bottom - header.top;
    return cell.left >= 0 && cell.top >= top && cell.right <= client.right &&
           cell.bottom <= client.bottom && cell.bottom > cell.top;
}

}  // namespace

DesignWindow::Sight DesignWindow::sight() const {
    Sight out;
    GetWindowRect(hwnd_, &out.frame);
    const int conditions = int(presenter_.sheet().size());
    if (presenter_.sheet().isDike()) {
        // A dike's last field of its first section; its results stand beside it.
        const int fields = int(sheet::fields(sheet::DesignCode::Dike).size());
        out.lastField = conditions > 0 && cellInSight(grid_->list(), 0, fields);
        out.lastResult = out.lastField;
    } else {
        out.lastField = conditions > 0 &&
                        cellInSight(grid_->list(), int(sheet::fields().size()) - 1, conditions);
        out.lastResult =
            conditions > 0 &&
            cellInSight(results_->list(), int(sheet::resultRowCount()) - 1, conditions);
    }
    // The summary's text as wide as it is, inside its control.
    RECT summary{};
    GetClientRect(summary_, &summary);
    HDC dc = GetDC(summary_);
    HGDIOBJ previous = SelectObject(dc, font_);
    const std::wstring text = textOf(summary_);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(summary_, dc);
    out.summary = !text.empty() && size.cx <= summary.right && size.cy <= summary.bottom;
    // Every settled line, none scrolled away.
    RECT settled{};
    GetClientRect(settled_, &settled);
    const LRESULT lines = SendMessageW(settled_, EM_GETLINECOUNT, 0, 0);
    out.settled = SendMessageW(settled_, EM_GETFIRSTVISIBLELINE, 0, 0) == 0 &&
                  lines * metrics.tmHeight <= settled.bottom;
    return out;
}

void DesignWindow::perform(sheet::Command command) {
    grid_->endEdit(true);
    const std::optional<sheet::Place> place = presenter_.perform(command, grid_->selection());
    if (place) {
        grid_->moveTo(place->row, place->column.value_or(0), false);
    }
}

bool DesignWindow::handleKey(MSG& message) {
    if (hwnd_ == nullptr || grid_ == nullptr || grid_->editing()) {
        return false;  // the editor takes Delete, Ctrl+C and the rest itself
    }
    if (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd)) {
        return false;
    }
    const std::optional<std::size_t> entry = damEntryOf(message.hwnd);
    if (message.message == WM_KEYDOWN && message.wParam == VK_F6) {
        // F6 goes from the conditions to the dam panel and back, as between a window's panes.
        SetFocus(entry ? grid_->list() : damEntries_.front());
        return true;
    }
    if (entry && message.message == WM_KEYDOWN) {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        // In the dam panel Tab goes from entry to entry and on to the grid; Del, Ctrl+C, Ctrl+V
        // and Ctrl+X are the entry's own, not the grid's.
        if (message.wParam == VK_TAB) {
            const bool back = GetKeyState(VK_SHIFT) < 0;
            if (back && *entry == 0) {
                SetFocus(grid_->list());
            } else if (!back && *entry + 1 == damEntries_.size()) {
                SetFocus(grid_->list());
            } else {
                SetFocus(damEntries_[back ? *entry - 1 : *entry + 1]);
            }
            return true;
        }
        if (message.wParam == VK_DELETE ||
            (control && (message.wParam == 'C' || message.wParam == 'V' || message.wParam == 'X' ||
                         message.wParam == 'A'))) {
            return false;
        }
    }
    return TranslateAcceleratorW(hwnd_, keys_, &message) != 0;
}

void DesignWindow::paintPicture(HWND picture) {
    paintFreeboard(picture, presenter_.picture(), dpi_);
}

LRESULT CALLBACK DesignWindow::pictureProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* window = objectOf<DesignWindow>(hwnd, message, l);
    switch (message) {
        case WM_PAINT:
            if (window != nullptr) {
                window->paintPicture(hwnd);
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_SIZE:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

LRESULT DesignWindow::notified(const NMHDR& header) {
    if (grid_ != nullptr && header.hwndFrom == grid_->names()) {
        // A dike's names: the rows' headers of the grid, drawn as its names' column.
        if (header.code == LVN_GETDISPINFOW) {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
            if ((item.mask & LVIF_TEXT) != 0) {
                shownText_ = grid_->textOf(static_cast<std::size_t>(item.iItem), 0);
                lend(shownText_, item.pszText, item.cchTextMax);
            }
        } else if (header.code == NM_CUSTOMDRAW) {
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header));
            return beforeCell(draw).value_or(CDRF_DODEFAULT);
        }
        return 0;
    }
    const bool grid = grid_ != nullptr && header.hwndFrom == grid_->list();
    const bool results = results_ != nullptr && header.hwndFrom == results_->list();
    if (!grid && !results) {
        return 0;
    }
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
            if ((item.mask & LVIF_TEXT) == 0) {
                return 0;
            }
            const std::size_t row = static_cast<std::size_t>(item.iItem);
            shownText_ =
                grid ? grid_->textOf(row, item.iSubItem) : results_->textOf(row, item.iSubItem);
            lend(shownText_, item.pszText, item.cchTextMax);
            return 0;
        }
        case LVN_GETINFOTIPW: {
            auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
            const std::size_t row = static_cast<std::size_t>(tip.iItem);
            const std::wstring text =
                grid ? grid_->tipOf(row, tip.iSubItem) : results_->tipOf(row, tip.iSubItem);
            if (!text.empty()) {
                lend(text, tip.pszText, tip.cchTextMax);
            }
            return 0;
        }
        case LVN_ENDSCROLL: {
            if (grid) {
                grid_->syncNames();
            }
            // The results scroll sideways with the conditions, so each stays under its
            // condition (the names' columns are as wide in both).
            HWND other = grid ? results_->list() : grid_->list();
            const int dx = GetScrollPos(header.hwndFrom, SB_HORZ) - GetScrollPos(other, SB_HORZ);
            if (dx != 0) {
                ListView_Scroll(other, dx, 0);
            }
            return 0;
        }
        case NM_CUSTOMDRAW: {
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header));
            return grid ? grid_->customDraw(draw) : results_->customDraw(draw);
        }
        default:
            return 0;
    }
}

LRESULT DesignWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND: {
            if (const auto entry = damEntryOf(reinterpret_cast<HWND>(l))) {
                const std::size_t field = sheet::damPanelFields()[*entry];
                if (HIWORD(w) == EN_CHANGE && !showingDam_) {
                    presenter_.setDamText(field, narrow(textOf(damEntries_[*entry])));
                } else if (HIWORD(w) == EN_KILLFOCUS) {
                    // Leaving the entry ends a piece of typing: the next is a step of its own.
                    presenter_.endTyping();
                }
                return 0;
            }
            const int command = LOWORD(w) - kFirstCommand;
            if (HIWORD(w) <= 1 && command >= 0 &&
                command <= static_cast<int>(sheet::Command::Help)) {
                perform(static_cast<sheet::Command>(command));
                return 0;
            }
            break;
        }
        case kEditorLeft:
            if (grid_ != nullptr && grid_->editing()) {
                HWND focus = GetFocus();
                if (focus == nullptr ||
                    (focus != grid_->editor() && !IsChild(grid_->editor(), focus))) {
                    grid_->endEdit(true);
                }
            }
            return 0;
        case kChoiceMade:
            if (grid_ != nullptr && grid_->editing()) {
                grid_->endEdit(true);
            }
            return 0;
        case WM_NOTIFY:
            return notified(*reinterpret_cast<const NMHDR*>(l));
        case kPrintEnded:
            presenter_.finishPrint();
            return 0;
        case WM_INITMENUPOPUP: {
            HMENU menu = reinterpret_cast<HMENU>(w);
            for (const sheet::Command c :
                 {sheet::Command::Undo, sheet::Command::Redo, sheet::Command::CancelPrint}) {
                EnableMenuItem(menu, commandId(c),
                               MF_BYCOMMAND | (presenter_.enabled(c) ? MF_ENABLED : MF_GRAYED));
            }
            return 0;
        }
        case WM_SIZE:
            if (grid_ != nullptr) {
                grid_->endEdit(true);
                SendMessageW(status_, WM_SIZE, 0, 0);
                layOut();
            }
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(l);
            limits->ptMinTrackSize = {scaled(sheet::kMinimumWindowSize.width, dpi_),
                                      scaled(sheet::kMinimumWindowSize.height, dpi_)};
            return 0;
        }
        case WM_DPICHANGED:
            // Moved to a monitor of another DPI: the size the system proposes, the font, the
            // columns and the layout at the new DPI.
            takeProposedPlace(hwnd_, l);
            useDpi(HIWORD(w));
            return 0;
        case WM_SETFOCUS:
            if (grid_ != nullptr) {
                SetFocus(grid_->editing() ? grid_->editor() : grid_->list());
            }
            return 0;
        case WM_ACTIVATE:
            // Back in the grid (or its editor) when the user returns to the window.
            if (LOWORD(w) != WA_INACTIVE && grid_ != nullptr) {
                SetFocus(grid_->editing() ? grid_->editor() : grid_->list());
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            return faceColoured(w);  // the summary line on the window's face colour
        case WM_DROPFILES: {
            // A conditions file dropped on the window is opened, after asking to save.
            HDROP drop = reinterpret_cast<HDROP>(w);
            const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
            std::wstring name(length + 1, L'\0');
            DragQueryFileW(drop, 0, name.data(), length + 1);
            DragFinish(drop);
            name.resize(length);
            grid_->endEdit(true);
            presenter_.openFile(fs::path(name));
            grid_->moveTo(0, 0, false);
            return 0;
        }
        case WM_TIMER:
            if (w == kAutosaveTimer) {
                KillTimer(hwnd_, kAutosaveTimer);
                presenter_.autosaveNow();
                return 0;
            }
            break;
        case WM_CLOSE:
            if (grid_ != nullptr) {
                grid_->endEdit(true);
            }
            if (closing_ || presenter_.mayClose()) {
                KillTimer(hwnd_, kAutosaveTimer);
                savePlacement(hwnd_, kSettingsKey);
                DestroyWindow(hwnd_);
            }
            closing_ = false;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace kelnor::win32
