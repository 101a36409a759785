#include "design_grid.h"

#include <algorithm>
#include <utility>

#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "list_views.h"
#include "window_support.h"

namespace kelnor::win32 {

namespace {

using platform::narrow;
using platform::widen;

// The grid's keys by the sheet's names for them.
std::optional<sheet::GridKey> gridKeyOf(WPARAM key) {
    using enum sheet::GridKey;
    switch (key) {
        case VK_LEFT:
            return Left;
        case VK_RIGHT:
            return Right;
        case VK_UP:
            return Up;
        case VK_DOWN:
            return Down;
        case VK_PRIOR:
            return PageUp;
        case VK_NEXT:
            return PageDown;
        case VK_HOME:
            return Home;
        case VK_END:
            return End;
        case VK_TAB:
            return Tab;
        case VK_RETURN:
            return Enter;
        default:
            return std::nullopt;
    }
}

int xOf(LPARAM l) {
    return static_cast<short>(LOWORD(l));
}

int yOf(LPARAM l) {
    return static_cast<short>(HIWORD(l));
}

}  // namespace

DesignGrid::DesignGrid(HWND window, HINSTANCE instance, sheet::DesignPresenter& presenter)
    : window_(window), instance_(instance), presenter_(presenter) {
    list_ = makeListView(window, kGridId, instance, WS_TABSTOP | LVS_SINGLESEL);
    SetWindowSubclass(list_, listProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    // A dike's names: a list view of their own in a box as wide as its column, the list's
    // vertical scroll bar beyond the box's edge, so the grid's alone shows; hidden for a dam.
    namesBox_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, window,
                                nullptr, instance, nullptr);
    names_ = makeListView(namesBox_, kNamesId, instance, LVS_SINGLESEL);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    std::wstring caption = widen(sheet::fields(sheet::DesignCode::Dike).front().nameZh);
    column.pszText = caption.data();
    column.cx = 0;
    ListView_InsertColumn(names_, 0, &column);
    SetWindowSubclass(namesBox_, namesProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(names_, namesProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
}

void DesignGrid::place(const kelnor::Rect& area) {
    if (!sheet::sectionsAsRows(presenter_.sheet())) {
        ShowWindow(namesBox_, SW_HIDE);
        MoveWindow(list_, area.left, area.top, area.width, area.height, TRUE);
        return;
    }
    const int width = std::min(scaled(kConditionColumnWidth, dpi_), area.width / 3);
    const int below = GetSystemMetricsForDpi(SM_CYHSCROLL, dpi_);  // the grid's own scroll bar
    const int bar = GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_);
    MoveWindow(namesBox_, area.left, area.top, width, std::max(0, area.height - below), TRUE);
    MoveWindow(names_, 0, 0, width + bar, std::max(0, area.height - below), TRUE);
    ListView_SetColumnWidth(names_, 0, width - GetSystemMetricsForDpi(SM_CXEDGE, dpi_) * 2);
    ShowWindow(namesBox_, SW_SHOWNA);
    MoveWindow(list_, area.left + width, area.top, std::max(0, area.width - width), area.height,
               TRUE);
    syncNames();
}

void DesignGrid::syncNames() {
    if (!IsWindowVisible(namesBox_)) {
        return;
    }
    const int top = ListView_GetTopIndex(list_);
    const int shown = ListView_GetTopIndex(names_);
    RECT row{};
    if (top != shown && ListView_GetItemRect(names_, 0, &row, LVIR_BOUNDS)) {
        ListView_Scroll(names_, 0, (top - shown) * (row.bottom - row.top));
    }
    InvalidateRect(names_, nullptr, FALSE);
}

void DesignGrid::useFont(HFONT font, HFONT bold, UINT dpi) {
    font_ = font;
    bold_ = bold;
    dpi_ = dpi;
    SendMessageW(names_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void DesignGrid::resizeCursor() {
    const sheet::Sheet& sheet = presenter_.sheet();
    cursor_.resize(conditions(), sheet::fields(sheet.code()).size(), sheet::sectionsAsRows(sheet));
}

void DesignGrid::showSheet() {
    const sheet::Sheet& sheet = presenter_.sheet();
    setGridColumns(list_, sheet, presenter_.evaluation(), dpi_);
    ListView_SetItemCountEx(list_, static_cast<int>(sheet::gridRows(sheet)),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    ListView_SetItemCountEx(names_, sheet.isDike() ? static_cast<int>(sheet.size()) : 0,
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    resizeCursor();
    bringIntoView();
    InvalidateRect(list_, nullptr, FALSE);
}

std::pair<int, int> DesignGrid::cursorCell() const {
    const auto [row, column] =
        sheet::screenOf(presenter_.sheet(), cursor_.condition(), cursor_.field());
    return {static_cast<int>(row), static_cast<int>(column) + 1};
}

void DesignGrid::moveTo(std::size_t condition, std::size_t field, bool stretch) {
    resizeCursor();
    cursor_.moveTo(condition, field, stretch);
    bringIntoView();
    InvalidateRect(list_, nullptr, FALSE);
}

void DesignGrid::endEdit(bool commit) {
    if (editor_ == nullptr) {
        return;
    }
    HWND editor = std::exchange(editor_, nullptr);  // destroying it takes the focus away
    if (commit) {
        std::optional<std::size_t> chosen;
        if (kind_ == sheet::EditorKind::List) {
            const LRESULT entry = SendMessageW(editor, CB_GETCURSEL, 0, 0);
            chosen = entry >= 0 ? std::optional(std::size_t(entry)) : std::nullopt;
        }
        if (const auto text =
                sheet::committedText(cursor_.field(), chosen, narrow(win32::textOf(editor)),
                                     presenter_.sheet().code())) {
            presenter_.commitCell(cursor_.condition(), cursor_.field(), *text);
        }
    }
    DestroyWindow(editor);
    SetFocus(list_);
}

void DesignGrid::beginEdit(std::optional<wchar_t> typed) {
    if (conditions() == 0 || editor_ != nullptr) {
        return;
    }
    bringIntoView();
    const std::size_t field = cursor_.field();
    const sheet::DesignCode code = presenter_.sheet().code();
    RECT cell{};
    const auto [row, column] = cursorCell();
    ListView_GetSubItemRect(list_, row, column, LVIR_BOUNDS, &cell);
    const sheet::CellEditor editor = sheet::cellEditor(field, code);
    kind_ = editor.kind;
    const std::wstring text = widen(presenter_.sheet().cell(cursor_.condition(), field));
    const int width = cell.right - cell.left;
    const int height = cell.bottom - cell.top;
    const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditorId));
    HWND edit = nullptr;
    if (kind_ == sheet::EditorKind::Line) {
        editor_ = CreateWindowExW(0, L"EDIT", typed ? L"" : text.c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left,
                                  cell.top, width, height, list_, id, instance_, nullptr);
        edit = editor_;
    } else {
        const DWORD style =
            kind_ == sheet::EditorKind::List ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
        editor_ = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | style,
                                  cell.left, cell.top, width, height + scaled(200, dpi_), list_, id,
                                  instance_, nullptr);
        for (const sheet::EditorEntry& e : editor.entries) {
            SendMessageW(editor_, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(widen(e.shown).c_str()));
        }
        if (kind_ == sheet::EditorKind::List) {
            const auto entry = sheet::entryOf(editor, field, narrow(text), code);
            SendMessageW(editor_, CB_SETCURSEL, entry ? static_cast<WPARAM>(*entry) : -1, 0);
        } else {
            SetWindowTextW(editor_, typed ? L"" : text.c_str());
        }
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        GetComboBoxInfo(editor_, &info);
        edit = info.hwndItem != nullptr ? info.hwndItem : editor_;
    }
    SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SetWindowSubclass(editor_, editorProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    if (edit != editor_) {
        SetWindowSubclass(edit, editorProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    SetFocus(edit);
    if (typed) {
        // The key that opened the editor is its first character (or, in a list, picks the
        // entry it begins).
        SendMessageW(edit, WM_CHAR, *typed, 0);
    } else if (kind_ == sheet::EditorKind::List) {
        SendMessageW(editor_, CB_SHOWDROPDOWN, TRUE, 0);
    } else {
        SendMessageW(edit, EM_SETSEL, text.size(), text.size());
    }
}

LRESULT DesignGrid::customDraw(NMLVCUSTOMDRAW& draw) const {
    if (const auto done = beforeCell(draw)) {
        return *done;
    }
    SelectObject(draw.nmcd.hdc, font_);
    if (draw.iSubItem == 0) {
        return CDRF_NEWFONT;
    }
    const sheet::GridCell at = sheet::gridCell(presenter_.sheet(), draw.nmcd.dwItemSpec,
                                               static_cast<std::size_t>(draw.iSubItem - 1));
    if (at.result) {
        // A dike's result beside its section.
        toneResult(draw, sheet::resultCell(presenter_.evaluation(), at.condition, *at.result),
                   bold_);
        return CDRF_NEWFONT;
    }
    const sheet::ConditionCell cell =
        sheet::conditionCell(presenter_.sheet(), presenter_.evaluation(), at.condition, *at.field);
    if (cell.isDefault) {
        draw.clrText = colourOf(sheet::kDefaultTextColour);
    }
    if (cell.atFault) {
        draw.clrTextBk = colourOf(sheet::kFaultBackground);
    }
    if (cursor_.selected(at.condition, *at.field)) {
        const bool focused = GetFocus() == list_;
        draw.clrTextBk = GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
        draw.clrText = focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : draw.clrText;
    }
    return CDRF_NEWFONT;
}

std::wstring DesignGrid::textOf(std::size_t row, int column) const {
    if (column == 0) {
        return widen(sheet::gridRowHeader(presenter_.sheet(), presenter_.evaluation(), row));
    }
    return widen(sheet::shownCell(presenter_.sheet(), presenter_.evaluation(), row,
                                  static_cast<std::size_t>(column - 1))
                     .text);
}

std::wstring DesignGrid::tipOf(std::size_t row, int column) const {
    if (column == 0) {
        return {};
    }
    return widen(sheet::shownCell(presenter_.sheet(), presenter_.evaluation(), row,
                                  static_cast<std::size_t>(column - 1))
                     .tip);
}

void DesignGrid::bringIntoView() {
    if (conditions() == 0) {
        return;
    }
    const auto [row, column] = cursorCell();
    ListView_EnsureVisible(list_, row, FALSE);
    RECT cell{};
    RECT client{};
    ListView_GetSubItemRect(list_, row, column, LVIR_BOUNDS, &cell);
    GetClientRect(list_, &client);
    if (cell.right > client.right) {
        ListView_Scroll(list_, cell.right - client.right, 0);
    } else if (cell.left < 0) {
        ListView_Scroll(list_, cell.left, 0);
    }
    syncNames();
}

bool DesignGrid::key(WPARAM key) {
    if (key == VK_F2) {
        beginEdit(std::nullopt);
        return true;
    }
    const std::optional<sheet::GridKey> move = gridKeyOf(key);
    if (!move) {
        return false;
    }
    const std::size_t page =
        std::max<std::size_t>(1, static_cast<std::size_t>(ListView_GetCountPerPage(list_)));
    resizeCursor();
    cursor_.press(*move, GetKeyState(VK_SHIFT) < 0, page);
    bringIntoView();
    InvalidateRect(list_, nullptr, FALSE);
    return true;
}

void DesignGrid::click(LPARAM l, bool twice) {
    LVHITTESTINFO hit{};
    hit.pt = {xOf(l), yOf(l)};
    SetFocus(list_);
    if (ListView_SubItemHitTest(list_, &hit) < 0 || hit.iSubItem < 1) {
        return;
    }
    const sheet::GridCell at =
        sheet::gridCell(presenter_.sheet(), std::size_t(hit.iItem), std::size_t(hit.iSubItem - 1));
    if (!at.field) {
        return;  // a dike's result: read, not typed
    }
    moveTo(at.condition, *at.field, !twice && GetKeyState(VK_SHIFT) < 0);
    if (twice) {
        beginEdit(std::nullopt);
    }
}

LRESULT CALLBACK DesignGrid::listProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                           DWORD_PTR data) {
    auto* grid = reinterpret_cast<DesignGrid*>(data);
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        case WM_KEYDOWN:
            if (grid->key(w)) {
                return 0;
            }
            break;
        case WM_CHAR:
            // Typing replaces the cell; characters that arrive while the editor opens
            // (an input method's several at once) go on to it.
            if (w >= L' ' && w != 0x7f && GetKeyState(VK_CONTROL) >= 0) {
                if (grid->editor_ == nullptr) {
                    grid->beginEdit(static_cast<wchar_t>(w));
                } else {
                    SendMessageW(GetFocus(), WM_CHAR, w, l);
                }
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // The list view's own row selection stays out of it.
            grid->click(l, message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_COMMAND:
            // The editor is the list view's child: a choice made in its list is the cell's
            // new text at once, once the list has closed.
            if (LOWORD(w) == kEditorId && HIWORD(w) == CBN_SELENDOK) {
                PostMessageW(grid->window_, kChoiceMade, 0, 0);
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, FALSE);  // the cursor's colour follows the focus
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_MOUSEWHEEL: {
            grid->endEdit(true);
            const LRESULT done = DefSubclassProc(hwnd, message, w, l);
            grid->syncNames();
            return done;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, listProcedure, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, w, l);
}

LRESULT CALLBACK DesignGrid::namesProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                            DWORD_PTR data) {
    auto* grid = reinterpret_cast<DesignGrid*>(data);
    if (hwnd == grid->namesBox_) {
        // The names' list tells its box; the window answers for the grid.
        if (message == WM_NOTIFY) {
            return SendMessageW(grid->window_, WM_NOTIFY, w, l);
        }
        if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, namesProcedure, 0);
        }
        return DefSubclassProc(hwnd, message, w, l);
    }
    switch (message) {
        case WM_MOUSEWHEEL:
            // The grid scrolls, and the names with it.
            return SendMessageW(grid->list_, message, w, l);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            // A name picks its section, in the field the cursor is in.
            LVHITTESTINFO hit{};
            hit.pt = {xOf(l), yOf(l)};
            SetFocus(grid->list_);
            if (ListView_HitTest(hwnd, &hit) >= 0) {
                grid->moveTo(static_cast<std::size_t>(hit.iItem), grid->cursor_.field(),
                             GetKeyState(VK_SHIFT) < 0);
            }
            return 0;
        }
        case WM_SETFOCUS:
            SetFocus(grid->list_);  // the names are read, never typed
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, namesProcedure, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, w, l);
}

LRESULT CALLBACK DesignGrid::editorProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                             DWORD_PTR data) {
    auto* grid = reinterpret_cast<DesignGrid*>(data);
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, w, l);
        case WM_KEYDOWN: {
            const bool dropped = grid->kind_ != sheet::EditorKind::Line &&
                                 SendMessageW(grid->editor_, CB_GETDROPPEDSTATE, 0, 0);
            if (w == VK_ESCAPE && !dropped) {
                grid->endEdit(false);
                return 0;
            }
            if ((w == VK_RETURN || w == VK_TAB) && !dropped) {
                const WPARAM move = w;
                grid->endEdit(true);
                grid->key(move);  // Enter moves down, Tab right, as without an editor
                return 0;
            }
            break;
        }
        case WM_CHAR:
            if (w == L'\r' || w == L'\t' || w == 0x1b) {
                return 0;  // no beep: the key was taken above
            }
            break;
        case WM_KILLFOCUS: {
            // Clicking elsewhere commits, as a spreadsheet does; not the editor's own parts.
            const HWND to = reinterpret_cast<HWND>(w);
            const bool within = to != nullptr && grid->editor_ != nullptr &&
                                (to == grid->editor_ || IsChild(grid->editor_, to));
            const LRESULT result = DefSubclassProc(hwnd, message, w, l);
            if (!within && grid->editor_ != nullptr) {
                PostMessageW(grid->window_, kEditorLeft, 0, 0);
            }
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, editorProcedure, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, w, l);
}

}  // namespace kelnor::win32
