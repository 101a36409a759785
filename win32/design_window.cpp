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

#include "kelnor/design/crest.h"
#include "kelnor/design/drawing.h"
#include "kelnor/platform/document.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "lines_box.h"
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
constexpr wchar_t kPlacementValue[] = L"WindowPlacement";

constexpr int kGridId = 100;
constexpr int kResultsId = 101;
constexpr int kEditorId = 102;
constexpr int kSettledId = 103;
constexpr int kFirstDamId = 200;  // the dam panel's entries, by sheet::damPanelFields()
// Menu commands: kFirstCommand + the presenter's command.
constexpr int kFirstCommand = 1000;
constexpr UINT_PTR kAutosaveTimer = 1;
// Posted to the window by the cell editor: it lost the keyboard to another control, or a choice
// was made in its list. Either ends the editing once the editor's own message is done.
constexpr UINT kEditorLeft = WM_APP;
constexpr UINT kChoiceMade = WM_APP + 1;

// Device pixels at 96 dpi.
constexpr int kNameColumnWidth = 190;
constexpr int kConditionColumnWidth = 110;
constexpr int kMargin = 6;
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 480;
constexpr int kStartWidth = 1000;
constexpr int kStartHeight = 720;

COLORREF colourOf(design::Rgb c) {
    return RGB(c.r, c.g, c.b);
}

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
        {CtrlN, kCtrl, 'N'},   {CtrlO, kCtrl, 'O'}, {CtrlS, kCtrl, 'S'},
        {CtrlB, kCtrl, 'B'},   {CtrlZ, kCtrl, 'Z'}, {CtrlY, kCtrl, 'Y'},
        {CtrlC, kCtrl, 'C'},   {CtrlV, kCtrl, 'V'}, {Delete, FVIRTKEY, VK_DELETE},
        {F1, FVIRTKEY, VK_F1},
    };
    for (const Keys& k : kKeys) {
        if (k.key == key) {
            return ACCEL{k.modifiers, k.virtualKey, id};
        }
    }
    return std::nullopt;  // Key::None
}

// Where a list view's custom drawing stands: before the whole, before a row, before a cell.
// The row stage drops the list view's own row highlight and focus rectangle, which are not the
// grid's cursor; only the cell stage needs more of the window, with the cell's plain colours
// set (the names' column on the face colour, as a header).
std::optional<LRESULT> beforeCell(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
            draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
            draw.clrTextBk = GetSysColor(draw.iSubItem == 0 ? COLOR_BTNFACE : COLOR_WINDOW);
            return std::nullopt;
        default:
            return CDRF_DODEFAULT;
    }
}

// A report-mode list view whose items the window gives on demand: one item per row.
HWND makeListView(HWND parent, int id, HINSTANCE instance, DWORD style) {
    HWND list = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_NOSORTHEADER |
            style,
        0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ListView_SetExtendedListViewStyle(
        list, LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
    return list;
}

// Sets a list view's columns: the names' column, then one per condition.
void setColumns(HWND list, int conditions, const sheet::SheetEvaluation& evaluation, UINT dpi,
                int alignment) {
    const int shown = Header_GetItemCount(ListView_GetHeader(list));
    const int wanted = conditions + 1;
    for (int c = shown; c < wanted; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_FMT | LVCF_TEXT;
        column.fmt = c == 0 ? LVCFMT_LEFT : alignment;
        column.pszText = const_cast<wchar_t*>(L"");
        column.cx = scaled(c == 0 ? kNameColumnWidth : kConditionColumnWidth, dpi);
        ListView_InsertColumn(list, c, &column);
    }
    for (int c = shown; c > wanted; --c) {
        ListView_DeleteColumn(list, c - 1);
    }
    for (int c = 1; c < wanted; ++c) {
        std::wstring header =
            widen(sheet::conditionHeader(evaluation, static_cast<std::size_t>(c - 1)));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = header.data();
        ListView_SetColumn(list, c, &column);
    }
}

void scaleColumns(HWND list, UINT dpi) {
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    for (int c = 0; c < columns; ++c) {
        ListView_SetColumnWidth(list, c,
                                scaled(c == 0 ? kNameColumnWidth : kConditionColumnWidth, dpi));
    }
}

std::wstring filterOf(sheet::FileKind kind) {
    // Pairs of a description and a pattern, each ended by a NUL, the list by another.
    const sheet::FileType type = sheet::fileType(kind);
    const std::wstring pattern = L"*." + widen(type.extension);
    std::wstring filter = widen(type.description) + L" (" + pattern + L")";
    filter += L'\0';
    filter += pattern;
    filter += L'\0';
    return filter;
}

}  // namespace

// --- the conditions grid ------------------------------------------------------------------

// The list view of the conditions with a cell cursor of its own (the list view itself only
// knows whole rows): the arrow keys, Tab and Enter move it, Shift stretches a selection,
// typing or F2 opens an editor over the cell, Enter and Tab commit it, Escape drops it.
class DesignWindow::Grid {
  public:
    Grid(DesignWindow& window, HINSTANCE instance) : window_(window), instance_(instance) {
        list_ = makeListView(window.hwnd_, kGridId, instance, WS_TABSTOP | LVS_SINGLESEL);
        SetWindowSubclass(list_, listProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    }

    HWND list() const { return list_; }
    bool editing() const { return editor_ != nullptr; }
    HWND editor() const { return editor_; }

    sheet::Place current() const { return {current_.row, current_.column}; }

    sheet::GridSelection selection() const {
        const std::size_t fields = sheet::fields().size();
        if (conditions() == 0) {
            return {};
        }
        const std::size_t top = std::min(anchor_.row, current_.row);
        const std::size_t left = std::min(anchorField(), field());
        sheet::CellRange range{top, left, std::max(anchor_.row, current_.row) - top + 1,
                               std::max(anchorField(), field()) - left + 1};
        range.columnCount = std::min(range.columnCount, fields - left);
        return {sheet::Place{current_.row, field()}, range};
    }

    // The sheet changed: the rows, the columns and the cursor within them.
    void showSheet() {
        const auto& presenter = window_.presenter_;
        setColumns(list_, static_cast<int>(conditions()), presenter.evaluation(), window_.dpi_,
                   LVCFMT_LEFT);
        ListView_SetItemCountEx(list_, static_cast<int>(sheet::fields().size()),
                                LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        moveTo(current_.row, field(), false);
        InvalidateRect(list_, nullptr, FALSE);
    }

    // Makes (condition, field) the current cell; with `stretch` the selection reaches there
    // from where it began, else it is that cell alone.
    void moveTo(std::size_t condition, std::size_t field, bool stretch) {
        const std::size_t last = conditions() == 0 ? 0 : conditions() - 1;
        current_ = {std::min(condition, last), std::min(field, sheet::fields().size() - 1)};
        if (!stretch) {
            anchor_ = current_;
        }
        bringIntoView();
        InvalidateRect(list_, nullptr, FALSE);
    }

    void endEdit(bool commit) {
        if (editor_ == nullptr) {
            return;
        }
        HWND editor = std::exchange(editor_, nullptr);  // destroying it takes the focus away
        if (commit) {
            std::string text = narrow(win32::textOf(editor));
            if (kind_ == sheet::EditorKind::List) {
                const LRESULT chosen = SendMessageW(editor, CB_GETCURSEL, 0, 0);
                const auto& entries = sheet::cellEditor(field()).entries;
                // A cell holding a text that is none of the choices keeps it unless one is
                // chosen.
                commit = chosen >= 0 && static_cast<std::size_t>(chosen) < entries.size();
                text = commit ? entries[static_cast<std::size_t>(chosen)].value : text;
            } else if (kind_ == sheet::EditorKind::Offers) {
                text = sheet::offeredText(sheet::cellEditor(field()), text);
            }
            if (commit) {
                // Each committed editor is one step of undo of its own.
                window_.presenter_.setCell(current_.row, field(), text);
                window_.presenter_.endTyping();
            }
        }
        DestroyWindow(editor);
        SetFocus(list_);
    }

    // Opens the cell's editor: with `typed`, typing replaces the cell's text; else the text
    // is kept for changing (F2, a double click).
    void beginEdit(std::optional<wchar_t> typed) {
        if (conditions() == 0 || editor_ != nullptr) {
            return;
        }
        bringIntoView();
        RECT cell{};
        ListView_GetSubItemRect(list_, static_cast<int>(field()),
                                static_cast<int>(current_.row) + 1, LVIR_BOUNDS, &cell);
        const sheet::CellEditor editor = sheet::cellEditor(field());
        kind_ = editor.kind;
        const std::wstring text = widen(window_.presenter_.sheet().cell(current_.row, field()));
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
            const DWORD style = kind_ == sheet::EditorKind::List ? CBS_DROPDOWNLIST
                                                                 : CBS_DROPDOWN | CBS_AUTOHSCROLL;
            editor_ = CreateWindowExW(
                0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | style, cell.left,
                cell.top, width, height + scaled(200, window_.dpi_), list_, id, instance_, nullptr);
            for (const sheet::EditorEntry& e : editor.entries) {
                SendMessageW(editor_, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(widen(e.shown).c_str()));
            }
            if (kind_ == sheet::EditorKind::List) {
                const auto entry = sheet::entryOf(editor, field(), narrow(text));
                SendMessageW(editor_, CB_SETCURSEL, entry ? static_cast<WPARAM>(*entry) : -1, 0);
            } else {
                SetWindowTextW(editor_, typed ? L"" : text.c_str());
            }
            COMBOBOXINFO info{};
            info.cbSize = sizeof(info);
            GetComboBoxInfo(editor_, &info);
            edit = info.hwndItem != nullptr ? info.hwndItem : editor_;
        }
        SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(window_.font_), FALSE);
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

    // The colours of a cell as the list view is about to draw it.
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const {
        if (const auto done = beforeCell(draw)) {
            return *done;
        }
        const std::size_t field = draw.nmcd.dwItemSpec;
        if (draw.iSubItem == 0) {
            return CDRF_NEWFONT;
        }
        const std::size_t condition = static_cast<std::size_t>(draw.iSubItem - 1);
        const sheet::ConditionCell cell = sheet::conditionCell(
            window_.presenter_.sheet(), window_.presenter_.evaluation(), condition, field);
        if (cell.isDefault) {
            draw.clrText = colourOf(sheet::kDefaultTextColour);
        }
        if (cell.atFault) {
            draw.clrTextBk = colourOf(sheet::kFaultBackground);
        }
        if (selected(condition, field)) {
            const bool focused = GetFocus() == list_;
            draw.clrTextBk = GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
            draw.clrText = focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : draw.clrText;
        }
        return CDRF_NEWFONT;
    }

    // The text the list view shows for a cell, and its tip.
    std::wstring textOf(std::size_t field, int column) const {
        if (column == 0) {
            return widen(sheet::fields().at(field).nameZh);
        }
        return widen(sheet::conditionCell(window_.presenter_.sheet(),
                                          window_.presenter_.evaluation(),
                                          static_cast<std::size_t>(column - 1), field)
                         .text);
    }

    std::wstring tipOf(std::size_t field, int column) const {
        if (column == 0) {
            return {};
        }
        return widen(sheet::conditionCell(window_.presenter_.sheet(),
                                          window_.presenter_.evaluation(),
                                          static_cast<std::size_t>(column - 1), field)
                         .tip);
    }

  private:
    struct Cell {
        std::size_t row = 0;     // the condition
        std::size_t column = 0;  // the field
    };

    std::size_t conditions() const { return window_.presenter_.sheet().size(); }
    std::size_t field() const { return current_.column; }
    std::size_t anchorField() const { return anchor_.column; }

    bool selected(std::size_t condition, std::size_t field) const {
        return condition >= std::min(anchor_.row, current_.row) &&
               condition <= std::max(anchor_.row, current_.row) &&
               field >= std::min(anchor_.column, current_.column) &&
               field <= std::max(anchor_.column, current_.column);
    }

    // Scrolls the list view until the current cell is whole in sight.
    void bringIntoView() {
        if (conditions() == 0) {
            return;
        }
        ListView_EnsureVisible(list_, static_cast<int>(field()), FALSE);
        RECT cell{};
        RECT names{};
        RECT client{};
        ListView_GetSubItemRect(list_, static_cast<int>(field()),
                                static_cast<int>(current_.row) + 1, LVIR_BOUNDS, &cell);
        ListView_GetSubItemRect(list_, static_cast<int>(field()), 0, LVIR_LABEL, &names);
        GetClientRect(list_, &client);
        if (cell.right > client.right) {
            ListView_Scroll(list_, cell.right - client.right, 0);
        } else if (cell.left < 0) {
            ListView_Scroll(list_, cell.left, 0);
        }
    }

    // The keys of the grid while no editor is open; true when used.
    bool key(WPARAM key) {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        const std::size_t rows = sheet::fields().size();
        const std::size_t last = conditions() == 0 ? 0 : conditions() - 1;
        const std::size_t page =
            std::max<std::size_t>(1, static_cast<std::size_t>(ListView_GetCountPerPage(list_)));
        std::size_t condition = current_.row;
        std::size_t row = field();
        switch (key) {
            case VK_LEFT:
                condition = condition == 0 ? 0 : condition - 1;
                break;
            case VK_RIGHT:
                condition = std::min(condition + 1, last);
                break;
            case VK_UP:
                row = row == 0 ? 0 : row - 1;
                break;
            case VK_DOWN:
                row = std::min(row + 1, rows - 1);
                break;
            case VK_PRIOR:
                row = row > page ? row - page : 0;
                break;
            case VK_NEXT:
                row = std::min(row + page, rows - 1);
                break;
            case VK_HOME:
                condition = 0;
                break;
            case VK_END:
                condition = last;
                break;
            case VK_TAB:
                // Right through the conditions, Shift+Tab back: the fields of one row in turn.
                condition =
                    shift ? (condition == 0 ? 0 : condition - 1) : std::min(condition + 1, last);
                moveTo(condition, row, false);
                return true;
            case VK_RETURN:
                moveTo(condition, std::min(row + 1, rows - 1), false);
                return true;
            case VK_F2:
                beginEdit(std::nullopt);
                return true;
            default:
                return false;
        }
        moveTo(condition, row, shift);
        return true;
    }

    void click(LPARAM l, bool twice) {
        LVHITTESTINFO hit{};
        hit.pt = {GET_X_LPARAM_(l), GET_Y_LPARAM_(l)};
        SetFocus(list_);
        if (ListView_SubItemHitTest(list_, &hit) < 0 || hit.iSubItem < 1) {
            return;
        }
        moveTo(static_cast<std::size_t>(hit.iSubItem - 1), static_cast<std::size_t>(hit.iItem),
               !twice && GetKeyState(VK_SHIFT) < 0);
        if (twice) {
            beginEdit(std::nullopt);
        }
    }

    static int GET_X_LPARAM_(LPARAM l) { return static_cast<short>(LOWORD(l)); }
    static int GET_Y_LPARAM_(LPARAM l) { return static_cast<short>(HIWORD(l)); }

    static LRESULT CALLBACK listProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                          DWORD_PTR data) {
        auto* grid = reinterpret_cast<Grid*>(data);
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
                    PostMessageW(grid->window_.hwnd_, kChoiceMade, 0, 0);
                    return 0;
                }
                break;
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                InvalidateRect(hwnd, nullptr, FALSE);  // the cursor's colour follows the focus
                break;
            case WM_HSCROLL:
            case WM_VSCROLL:
            case WM_MOUSEWHEEL:
                grid->endEdit(true);
                break;
            case WM_NCDESTROY:
                RemoveWindowSubclass(hwnd, listProcedure, 0);
                break;
            default:
                break;
        }
        return DefSubclassProc(hwnd, message, w, l);
    }

    static LRESULT CALLBACK editorProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                            DWORD_PTR data) {
        auto* grid = reinterpret_cast<Grid*>(data);
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
                    PostMessageW(grid->window_.hwnd_, kEditorLeft, 0, 0);
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

    DesignWindow& window_;
    HINSTANCE instance_;
    HWND list_ = nullptr;
    HWND editor_ = nullptr;
    sheet::EditorKind kind_ = sheet::EditorKind::Line;
    Cell current_;
    Cell anchor_;  // where a selection stretched with Shift began
};

// --- the window as the presenter sees it ---------------------------------------------------

class DesignWindow::View final : public sheet::DesignView {
  public:
    explicit View(DesignWindow& window) : window_(window) {}

    void setTitle(const std::string& title) override {
        SetWindowTextW(window_.hwnd_, widen(title).c_str());
    }

    void showSheet() override {
        window_.grid_->showSheet();
        window_.showDamEntries();
        // Every change of the sheet comes here: the autosave follows a second after the last.
        SetTimer(window_.hwnd_, kAutosaveTimer, kAutosaveDelayMs, nullptr);
    }

    void showResults() override {
        window_.showResultColumns();
        SetWindowTextW(window_.summary_,
                       widen(window_.presenter_.evaluation().summaryZh()).c_str());
        window_.showSettled();
    }

    void showPicture() override { InvalidateRect(window_.picture_, nullptr, FALSE); }

    void showPlace(const sheet::Place& place) override {
        if (place.damField) {
            const auto& fields = sheet::damPanelFields();
            const auto at = std::find(fields.begin(), fields.end(), *place.damField);
            if (at != fields.end()) {
                SetFocus(window_.damEntries_[std::size_t(at - fields.begin())]);
            }
            return;
        }
        window_.grid_->moveTo(place.row, place.column.value_or(0), false);
    }

    void tell(const std::string& message) override {
        MessageBoxW(window_.hwnd_, widen(message).c_str(), textOf(window_.hwnd_).c_str(),
                    MB_OK | MB_ICONWARNING);
    }

    sheet::Answer ask(const sheet::Question& question) override {
        const std::wstring title = textOf(window_.hwnd_);
        const std::wstring text = widen(question.text);
        // The Escape answer's button is the box's cancel button, which Escape presses (and so
        // do the close button and Alt+F4); the others are numbered from kFirstAnswer.
        const auto idOf = [&](std::size_t i) {
            return question.answers[i] == question.onEscape ? IDCANCEL
                                                            : kFirstAnswer + static_cast<int>(i);
        };
        std::vector<std::wstring> captions;
        std::vector<TASKDIALOG_BUTTON> buttons;
        for (const sheet::Answer a : question.answers) {
            captions.push_back(widen(sheet::answerCaption(a)));
        }
        for (std::size_t i = 0; i < captions.size(); ++i) {
            buttons.push_back({idOf(i), captions[i].c_str()});
        }
        TASKDIALOGCONFIG box{};
        box.cbSize = sizeof(box);
        box.hwndParent = window_.hwnd_;
        box.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
        box.pszWindowTitle = title.c_str();
        box.pszMainIcon = TD_WARNING_ICON;
        box.pszContent = text.c_str();
        box.cButtons = static_cast<UINT>(buttons.size());
        box.pButtons = buttons.data();
        for (std::size_t i = 0; i < question.answers.size(); ++i) {
            if (question.answers[i] == question.byDefault) {
                box.nDefaultButton = idOf(i);
            }
        }
        int pressed = IDCANCEL;
        if (FAILED(TaskDialogIndirect(&box, &pressed, nullptr, nullptr))) {
            return question.onEscape;
        }
        for (std::size_t i = 0; i < question.answers.size(); ++i) {
            if (idOf(i) == pressed) {
                return question.answers[i];
            }
        }
        return question.onEscape;
    }

    std::optional<fs::path> chooseFileToOpen() override {
        return chooseFile(sheet::FileKind::Conditions, {}, false);
    }

    std::optional<fs::path> chooseFileToSave(sheet::FileKind kind,
                                             const fs::path& suggested) override {
        return chooseFile(kind, suggested, true);
    }

    std::error_code openDocument(const fs::path& file) override {
        return platform::openDocument(file);
    }

    void setClipboardText(const std::string& text) override {
        std::wstring wide = widen(text);
        const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
        if (!OpenClipboard(window_.hwnd_)) {
            return;
        }
        EmptyClipboard();
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            if (void* target = GlobalLock(memory)) {
                std::memcpy(target, wide.c_str(), bytes);
                GlobalUnlock(memory);
                if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
                    GlobalFree(memory);
                }
            } else {
                GlobalFree(memory);
            }
        }
        CloseClipboard();
    }

    std::string clipboardText() override {
        std::string text;
        if (!OpenClipboard(window_.hwnd_)) {
            return text;
        }
        if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(memory))) {
                text = narrow(wide);
                GlobalUnlock(memory);
            }
        }
        CloseClipboard();
        return text;
    }

    std::optional<sheet::BookInfo> editBookInfo(const sheet::BookInfo& shown) override {
        std::vector<BoxLine> lines;
        for (const sheet::BookInfoField& f : sheet::bookInfoFields()) {
            lines.push_back({widen(f.captionZh), widen(shown.*f.value), widen(f.hintZh)});
        }
        const auto texts = askLines(window_.hwnd_, widen(sheet::kBookInfoTitle), lines,
                                    window_.font_, window_.dpi_);
        if (!texts) {
            return std::nullopt;
        }
        sheet::BookInfo edited;
        for (std::size_t i = 0; i < texts->size(); ++i) {
            edited.*sheet::bookInfoFields()[i].value = narrow((*texts)[i]);
        }
        return edited;
    }

    void setBusy(bool busy) override {
        SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
    }

    void closeWindow() override {
        window_.closing_ = true;
        PostMessageW(window_.hwnd_, WM_CLOSE, 0, 0);
    }

  private:
    static constexpr int kFirstAnswer = 100;

    std::optional<fs::path> chooseFile(sheet::FileKind kind, const fs::path& suggested,
                                       bool saving) {
        const std::wstring title = textOf(window_.hwnd_);
        const std::wstring filter = filterOf(kind);
        const std::wstring folder = suggested.parent_path().wstring();
        std::wstring name = suggested.filename().wstring();
        name.resize(32768, L'\0');  // room for any path the user chooses
        OPENFILENAMEW box{};
        box.lStructSize = sizeof(box);
        box.hwndOwner = window_.hwnd_;
        box.lpstrFilter = filter.c_str();
        box.lpstrFile = name.data();
        box.nMaxFile = static_cast<DWORD>(name.size());
        box.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        box.lpstrTitle = title.c_str();
        const std::wstring extension = widen(sheet::fileType(kind).extension);
        box.lpstrDefExt = extension.c_str();
        box.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                    (saving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
        const BOOL chosen = saving ? GetSaveFileNameW(&box) : GetOpenFileNameW(&box);
        if (!chosen) {
            return std::nullopt;
        }
        return fs::path(name.c_str());
    }

    DesignWindow& window_;
};

// --- the window ----------------------------------------------------------------------------

DesignWindow::DesignWindow(fs::path dataFolder, fs::path programFolder)
    : view_(std::make_unique<View>(*this)),
      presenter_(*view_, std::move(dataFolder), std::move(programFolder)) {}

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
    if (!registerWindowClass(instance, kClassName, procedure)) {
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
    const int width = std::min(scaled(kStartWidth, dpi_), int(work.right - work.left));
    const int height = std::min(scaled(kStartHeight, dpi_), int(work.bottom - work.top));
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    restorePlacement();
    DragAcceptFiles(hwnd_, TRUE);

    presenter_.start(file);
    grid_->moveTo(0, 0, false);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(grid_->list());
    return true;
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
            std::wstring caption = widen(e.caption);
            if (e.key != sheet::Key::None) {
                caption += L'\t' + widen(sheet::keyText(e.key));
            }
            AppendMenuW(menu, MF_STRING, commandId(e.command), caption.c_str());
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
    grid_ = std::make_unique<Grid>(*this, instance);
    results_ = makeListView(hwnd_, kResultsId, instance, LVS_SINGLESEL);
    ListView_SetItemCountEx(results_, static_cast<int>(sheet::resultRowCount()), 0);
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
    std::vector<HWND> controls = {grid_->list(), results_, summary_, picture_, settled_};
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
    scaleColumns(grid_->list(), dpi);
    scaleColumns(results_, dpi);
    layOut();
}

void DesignWindow::layOut() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int margin = scaled(kMargin, dpi_);
    const int width = std::max(0, int(client.right) - 2 * margin);
    const int height = std::max(0, int(client.bottom) - 2 * margin);
    TEXTMETRICW metrics{};
    HDC dc = GetDC(hwnd_);
    HGDIOBJ previous = SelectObject(dc, font_);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(hwnd_, dc);
    const int line = metrics.tmHeight + scaled(6, dpi_);
    // The conditions take three fifths of the height, the results and the sketch the rest.
    const int gridHeight = std::max(0, (height - line - margin) * 3 / 5);
    const int lowerTop = margin + gridHeight + line + margin;
    const int lowerHeight = std::max(0, int(client.bottom) - margin - lowerTop);
    const int resultsWidth = width * 3 / 5;
    // The dam panel takes the right two fifths beside the conditions: a caption and an entry
    // a line, the settled crest under them.
    const int gridWidth = width * 3 / 5;
    const int panelLeft = margin + gridWidth + margin;
    const int panelWidth = std::max(0, width - gridWidth - margin);
    const int captionWidth = panelWidth / 2;
    const int entryHeight = metrics.tmHeight + scaled(8, dpi_);
    int y = margin;
    for (std::size_t i = 0; i < damEntries_.size(); ++i) {
        MoveWindow(damLabels_[i], panelLeft, y + scaled(3, dpi_), captionWidth, line, TRUE);
        MoveWindow(damEntries_[i], panelLeft + captionWidth, y, panelWidth - captionWidth,
                   entryHeight, TRUE);
        y += entryHeight + scaled(2, dpi_);
    }
    MoveWindow(settled_, panelLeft, y + scaled(2, dpi_), panelWidth,
               std::max(0, margin + gridHeight - y - scaled(2, dpi_)), TRUE);
    MoveWindow(grid_->list(), margin, margin, gridWidth, gridHeight, TRUE);
    MoveWindow(summary_, margin, margin + gridHeight + scaled(4, dpi_), width, line, TRUE);
    MoveWindow(results_, margin, lowerTop, resultsWidth, lowerHeight, TRUE);
    MoveWindow(picture_, margin + resultsWidth + margin, lowerTop,
               std::max(0, width - resultsWidth - margin), lowerHeight, TRUE);
}

void DesignWindow::showResultColumns() {
    setColumns(results_, static_cast<int>(presenter_.evaluation().outcomes.size()),
               presenter_.evaluation(), dpi_, LVCFMT_RIGHT);
    InvalidateRect(results_, nullptr, FALSE);
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
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(picture, &paint);
    RECT client{};
    GetClientRect(picture, &client);
    // Drawn off screen, then shown at once: no flicker while typing.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    const design::Drawing& drawing = presenter_.picture();
    if (!drawing.empty()) {
        // The sketch is laid out in pixels at 96 dpi and drawn at the monitor's scale.
        const double zoom = double(dpi_) / USER_DEFAULT_SCREEN_DPI;
        SetGraphicsMode(dc, GM_ADVANCED);
        const XFORM scale{static_cast<FLOAT>(zoom), 0, 0, static_cast<FLOAT>(zoom), 0, 0};
        SetWorldTransform(dc, &scale);
        LOGFONTW face = messageFont(USER_DEFAULT_SCREEN_DPI);
        HFONT font = CreateFontIndirectW(&face);
        HGDIOBJ oldFont = SelectObject(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);

        design::FitOptions options;
        options.fontSize = metrics.tmHeight - metrics.tmInternalLeading;
        options.measure = [dc](std::string_view text) {
            const std::wstring wide = widen(text);
            SIZE size{};
            GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return double(size.cx);
        };
        const design::Scale fitted =
            design::fit(drawing, client.right / zoom, client.bottom / zoom, options);
        const auto at = [&](design::Point p) {
            const design::Point d = fitted.map(p);
            return POINT{static_cast<LONG>(std::lround(d.x)), static_cast<LONG>(std::lround(d.y))};
        };
        const auto makePen = [](const design::Pen& p) {
            LOGBRUSH brush{BS_SOLID, colourOf(p.colour), 0};
            const DWORD dashes[] = {static_cast<DWORD>(design::kDashLength),
                                    static_cast<DWORD>(design::kDashGap)};
            const DWORD style = PS_GEOMETRIC | (p.dashed ? PS_USERSTYLE : PS_SOLID) |
                                (p.roundCap ? PS_ENDCAP_ROUND : PS_ENDCAP_FLAT);
            return ExtCreatePen(style, static_cast<DWORD>(std::max(1.0, std::round(p.width))),
                                &brush, p.dashed ? 2 : 0, p.dashed ? dashes : nullptr);
        };
        for (const design::LineStyle style : design::kLineOrder) {
            HPEN pen = makePen(design::penOf(style));
            HGDIOBJ oldPen = SelectObject(dc, pen);
            for (const design::Line& l : drawing.lines) {
                if (l.style == style) {
                    const POINT ends[] = {at(l.from), at(l.to)};
                    Polyline(dc, ends, 2);
                }
            }
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
        HPEN markPen = makePen(design::markPen());
        HGDIOBJ oldPen = SelectObject(dc, markPen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
        for (const design::Mark& m : drawing.marks) {
            std::vector<POINT> outline;
            for (const design::Point& p : fitted.markOutline(m)) {
                outline.push_back(POINT{static_cast<LONG>(std::lround(p.x)),
                                        static_cast<LONG>(std::lround(p.y))});
            }
            if (m.kind == design::MarkKind::StillWater) {
                Polygon(dc, outline.data(), static_cast<int>(outline.size()));
            } else {
                Polyline(dc, outline.data(), static_cast<int>(outline.size()));
            }
        }
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(markPen);

        SetBkMode(dc, TRANSPARENT);
        constexpr UINT kAlignments[] = {DT_LEFT, DT_CENTER, DT_RIGHT};  // by HAlign
        for (const design::Text& t : drawing.texts) {
            const design::Box b = fitted.textBox(t);
            RECT box{static_cast<LONG>(std::lround(b.left)), static_cast<LONG>(std::lround(b.top)),
                     static_cast<LONG>(std::lround(b.left + b.width)),
                     static_cast<LONG>(std::lround(b.top + b.height))};
            SetTextColor(dc, colourOf(design::inkOf(t.role)));
            std::wstring text = widen(t.text);
            DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box,
                      kAlignments[static_cast<std::size_t>(t.h)] | DT_VCENTER | DT_SINGLELINE |
                          DT_NOCLIP | DT_NOPREFIX);
        }
        SelectObject(dc, oldFont);
        DeleteObject(font);
        ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(picture, &paint);
}

void DesignWindow::restorePlacement() {
    WINDOWPLACEMENT placement{};
    DWORD size = sizeof(placement);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kPlacementValue, RRF_RT_REG_BINARY, nullptr,
                     &placement, &size) != ERROR_SUCCESS ||
        size != sizeof(placement) || placement.length != sizeof(placement)) {
        return;
    }
    // Not on a monitor that is gone, nor minimised.
    if (MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONULL) == nullptr) {
        return;
    }
    if (placement.showCmd != SW_SHOWMAXIMIZED) {
        placement.showCmd = SW_HIDE;
    }
    SetWindowPlacement(hwnd_, &placement);
}

void DesignWindow::savePlacement() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(hwnd_, &placement)) {
        return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, kPlacementValue, 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(&placement), sizeof(placement));
        RegCloseKey(key);
    }
}

LRESULT CALLBACK DesignWindow::procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<DesignWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<DesignWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr || message == WM_NCDESTROY) {
        if (window != nullptr) {
            window->hwnd_ = nullptr;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        }
        return DefWindowProcW(hwnd, message, w, l);
    }
    return window->handle(message, w, l);
}

LRESULT CALLBACK DesignWindow::pictureProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    }
    auto* window = reinterpret_cast<DesignWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
    const bool grid = grid_ != nullptr && header.hwndFrom == grid_->list();
    const bool results = header.hwndFrom == results_;
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
            if (grid) {
                shownText_ = grid_->textOf(row, item.iSubItem);
            } else if (item.iSubItem == 0) {
                shownText_ = widen(sheet::resultRowName(row));
            } else {
                shownText_ =
                    widen(sheet::resultCell(presenter_.evaluation(),
                                            static_cast<std::size_t>(item.iSubItem - 1), row)
                              .text);
            }
            lend(shownText_, item.pszText, item.cchTextMax);
            return 0;
        }
        case LVN_GETINFOTIPW: {
            auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
            const std::size_t row = static_cast<std::size_t>(tip.iItem);
            std::wstring text;
            if (grid) {
                text = grid_->tipOf(row, tip.iSubItem);
            } else if (tip.iSubItem > 0) {
                text = widen(sheet::resultCell(presenter_.evaluation(),
                                               static_cast<std::size_t>(tip.iSubItem - 1), row)
                                 .tip);
            }
            if (!text.empty()) {
                lend(text, tip.pszText, tip.cchTextMax);
            }
            return 0;
        }
        case LVN_ENDSCROLL: {
            // The results scroll sideways with the conditions, so each stays under its
            // condition (the names' columns are as wide in both).
            HWND other = grid ? results_ : grid_->list();
            const int dx = GetScrollPos(header.hwndFrom, SB_HORZ) - GetScrollPos(other, SB_HORZ);
            if (dx != 0) {
                ListView_Scroll(other, dx, 0);
            }
            return 0;
        }
        case NM_CUSTOMDRAW: {
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header));
            if (grid) {
                return grid_->customDraw(draw);
            }
            if (const auto done = beforeCell(draw)) {
                return *done;
            }
            SelectObject(draw.nmcd.hdc, font_);
            if (draw.iSubItem > 0) {
                const sheet::ResultCell cell = sheet::resultCell(
                    presenter_.evaluation(), static_cast<std::size_t>(draw.iSubItem - 1),
                    draw.nmcd.dwItemSpec);
                if (cell.tone == sheet::ResultTone::Failed) {
                    draw.clrText = colourOf(sheet::kFailedTextColour);
                } else if (cell.tone == sheet::ResultTone::Warned) {
                    draw.clrText = colourOf(sheet::kWarnedTextColour);
                }
                if (cell.governing) {
                    SelectObject(draw.nmcd.hdc, bold_);
                }
            }
            return CDRF_NEWFONT;
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
        case WM_INITMENUPOPUP: {
            HMENU menu = reinterpret_cast<HMENU>(w);
            for (const sheet::Command c : {sheet::Command::Undo, sheet::Command::Redo}) {
                EnableMenuItem(menu, commandId(c),
                               MF_BYCOMMAND | (presenter_.enabled(c) ? MF_ENABLED : MF_GRAYED));
            }
            return 0;
        }
        case WM_SIZE:
            if (grid_ != nullptr) {
                grid_->endEdit(true);
                layOut();
            }
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(l);
            limits->ptMinTrackSize = {scaled(kMinWidth, dpi_), scaled(kMinHeight, dpi_)};
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
                savePlacement();
                DestroyWindow(hwnd_);
            }
            closing_ = false;
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

}  // namespace kelnor::win32
