// The design window as the presenter sees it: its controls, the desktop's boxes, the clipboard
// and the viewer.

#include "design_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <vector>

#include "design_grid.h"
#include "design_results.h"
#include "kelnor/platform/document.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/dam_panel.h"
#include "lines_box.h"
#include "window_support.h"

namespace kelnor::win32 {

namespace {

namespace fs = std::filesystem;
using platform::narrow;
using platform::widen;

std::wstring filterOf(sheet::FileKind kind) {
    // Pairs of a description and a pattern, each ended by a NUL, the list by another.
    const sheet::FileType type = sheet::fileType(kind);
    std::wstring pattern = L"*." + widen(type.extension);
    if (!type.alsoExtension.empty()) {
        pattern += L";*." + widen(type.alsoExtension);
    }
    std::wstring filter = widen(type.description) + L" (" + pattern + L")";
    filter += L'\0';
    filter += pattern;
    filter += L'\0';
    return filter;
}

}  // namespace

class DesignWindow::View final : public sheet::DesignView {
  public:
    explicit View(DesignWindow& window) : window_(window) {}

    void setTitle(const std::string& title) override {
        SetWindowTextW(window_.hwnd_, widen(title).c_str());
    }

    void showSheet() override {
        window_.arrangeFor(window_.presenter_.sheet().code());
        window_.grid_->showSheet();
        window_.showDamEntries();
        // Every change of the sheet comes here: the autosave follows a second after the last.
        SetTimer(window_.hwnd_, kAutosaveTimer, sheet::kAutosaveDelayMs, nullptr);
    }

    void showResults() override {
        window_.results_->showResults();
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

    std::optional<fs::path> chooseFileToOpen(sheet::FileKind kind) override {
        return chooseFile(kind, {}, false);
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

    std::optional<std::vector<std::string>> editLines(const sheet::LinesForm& form) override {
        std::vector<BoxLine> lines;
        for (const sheet::FormLine& l : form.lines) {
            lines.push_back({widen(l.caption), widen(l.text), widen(l.hint)});
        }
        LinesSaying live;
        if (form.live) {
            live = [&form](const std::vector<std::wstring>& texts) {
                std::vector<std::string> narrowed;
                for (const std::wstring& t : texts) {
                    narrowed.push_back(narrow(t));
                }
                return widen(form.live(narrowed));
            };
        }
        const auto texts =
            askLines(window_.hwnd_, widen(form.title), lines, window_.font_, window_.dpi_, live);
        if (!texts) {
            return std::nullopt;
        }
        std::vector<std::string> out;
        for (const std::wstring& t : *texts) {
            out.push_back(narrow(t));
        }
        return out;
    }

    void showStatus(const std::string& text) override {
        std::wstring line = widen(text);
        if (window_.presenter_.printing()) {
            line += L"（文件 → 停止生成 PDF 可停止）";
        }
        SendMessageW(window_.status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }

    void printEnded() override {
        // On the printing thread: the window takes it up on its own, from its message loop.
        PostMessageW(window_.hwnd_, kPrintEnded, 0, 0);
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

std::unique_ptr<sheet::DesignView> DesignWindow::makeView() {
    return std::make_unique<View>(*this);
}

}  // namespace kelnor::win32
