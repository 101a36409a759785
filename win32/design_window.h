#pragma once

// The design-conditions window on Windows: the conditions grid as a list view with a cell
// cursor and editors in place, the results grid, the summary line and the freeboard sketch,
// with the 文件, 编辑 and 帮助 menus and their keys. The sheet's presenter decides what every
// command does; the window lends it its controls and the desktop.

#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kelnor/sheet/design_presenter.h"
#include "window_support.h"

namespace kelnor::win32 {

class DesignGrid;
class DesignResults;

// Posted by the printing thread: the book's print has ended.
inline constexpr UINT kPrintEnded = WM_APP + 2;
inline constexpr UINT_PTR kAutosaveTimer = 1;

class DesignWindow {
  public:
    // `dataFolder` holds the autosave; `programFolder` the help text.
    DesignWindow(std::filesystem::path dataFolder, std::filesystem::path programFolder);
    ~DesignWindow();
    DesignWindow(const DesignWindow&) = delete;
    DesignWindow& operator=(const DesignWindow&) = delete;

    // Makes the window where and as large as it was last closed (else centred on the primary
    // monitor), fills it with `file`, the autosave or the first start's conditions, and shows
    // it with the first condition's first cell current. False when the system refuses.
    bool open(HINSTANCE instance, int showCommand,
              const std::optional<std::filesystem::path>& file);

    // What is whole in sight at the window's present size: the grid's last field and last
    // condition, the results' last row, the summary line's text, every settled line.
    struct Sight {
        bool lastField = false;
        bool lastResult = false;
        bool summary = false;
        bool settled = false;
        RECT frame{};  // the window, in screen pixels
    };
    Sight sight() const;

    // The message loop's hook: the menus' keys, except while a cell is being edited, when the
    // editor takes every key. True when the message was used up.
    bool handleKey(MSG& message);

  private:
    class View;  // the window as the presenter sees it (design_view.cpp)
    std::unique_ptr<sheet::DesignView> makeView();

    friend struct MainWindow<DesignWindow>;
    static LRESULT CALLBACK pictureProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    LRESULT notified(const NMHDR& header);

    void createControls(HINSTANCE instance);
    void createMenus();
    // Places the controls in the client area and takes the font and column widths of `dpi`.
    void layOut();
    void useDpi(UINT dpi);
    // The dam panel: its entries' texts and faults, and the settled crest under them.
    void showDamEntries();
    void showSettled();
    // The entry of the dam panel that `control` is, if it is one.
    std::optional<std::size_t> damEntryOf(HWND control) const;
    void perform(sheet::Command command);
    // The window laid out for a dam's conditions or a dike's sections when the sheet's code
    // changes: the menus' captions, the entries of the code, a dike's long section under its
    // grid in place of the results.
    void arrangeFor(sheet::DesignCode code);
    void paintPicture(HWND picture);

    std::unique_ptr<sheet::DesignView> view_;
    sheet::DesignPresenter presenter_;
    std::unique_ptr<DesignGrid> grid_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<DesignResults> results_;
    HWND summary_ = nullptr;
    HWND picture_ = nullptr;
    std::vector<HWND> damLabels_;   // by kelnor::sheet::damPanelFields()
    std::vector<HWND> damEntries_;  // EDIT controls, likewise
    HWND settled_ = nullptr;        // the settled crest, a read-only EDIT
    HWND status_ = nullptr;         // the status line: what is made in the background
    bool showingDam_ = false;       // the entries are being filled: their changes are not typing
    HACCEL keys_ = nullptr;
    HFONT font_ = nullptr;
    HFONT bold_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    int resultColumns_ = 0;   // conditions the results grid has columns for
    std::wstring shownText_;  // the text a list view asked for, kept while it draws it
    bool closing_ = false;    // the presenter has asked already: close without asking
    sheet::DesignCode arranged_ = sheet::DesignCode::Dam;
};

}  // namespace kelnor::win32
