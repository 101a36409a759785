#pragma once

#include <QMainWindow>
#include <QString>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "desktop.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/window_rules.h"

class QAction;
class QFormLayout;
class QPushButton;
class QSettings;
class QSplitter;
class QLabel;
class QLineEdit;
class QTableWidget;
class QMenu;
class QTableView;
class QTimer;
class FreeboardView;
class ResultsModel;
class SheetModel;

// What the design window asks of the desktop, apart so the window tests run offscreen without
// a viewer or a modal box.
struct DesignDesktop {
    // Hands `file` to its viewer without waiting; the system's reason when none was started.
    std::function<std::error_code(const std::filesystem::path& file)> open;
    // Shows a message titled as the window; returns once it is dismissed.
    Notifier tell;
    // Asks a question in a box titled as the window; the answer chosen.
    std::function<kelnor::sheet::Answer(QWidget* window, const QString& title,
                                        const kelnor::sheet::Question& question)>
        ask;
    // Shows a box of captioned lines (the 计算书信息 box, the rays of a fetch); the texts the
    // user left in it, nothing when cancelled.
    std::function<std::optional<std::vector<std::string>>(QWidget* window,
                                                          const kelnor::sheet::LinesForm& form)>
        editLines;
};

// The desktop's viewer, the warning box and the question box (design_view.cpp).
DesignDesktop realDesktop();

// The design-conditions window: the conditions grid, the results, the summary line and the
// freeboard sketch, with the 文件, 编辑 and 帮助 menus. The sheet's presenter decides what every
// command does; the window lends it its widgets and the desktop.
class DesignWindow final : public QMainWindow {
  public:
    // `dataFolder` is where the autosave lies; `programDir` where the help text is opened from.
    DesignWindow(std::filesystem::path dataFolder, const QString& programDir,
                 DesignDesktop desktop = realDesktop(), QWidget* parent = nullptr);
    ~DesignWindow() override;

    // Fills the window: the file named on the command line, else the autosave, else the first
    // start's conditions.
    void start(const std::optional<std::filesystem::path>& commandLineFile);

    // How long after the last change the autosave is written.
    static constexpr int kAutosaveDelayMs = kelnor::sheet::kAutosaveDelayMs;

    // The window where the user left it, with the parts as the user sized them; where nothing
    // is kept (or the screen it was on is gone), as first placed.
    void restorePlace(const QSettings& settings);
    void savePlace(QSettings& settings) const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A conditions file dropped on the window is opened, after asking to save.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    class View;  // the window as the presenter sees it (design_view.cpp)
    std::unique_ptr<kelnor::sheet::DesignView> makeView();

    void createWidgets();
    static void compactRows(QTableView& table);
    // What the window's parts take at its font, for the shared layout.
    kelnor::sheet::LayoutMetrics layoutMetrics() const;
    int conditionWidth() const;
    // Every condition's column as wide as the widest text, alike in both grids.
    void fitColumns();
    // The first size and place on the screen, and the parts' sizes in it.
    void placeFirst();
    void layOutFirst();
    // The first layout, once the window is both shown and filled, unless the user's own sizes
    // came back.
    void layOutOnce();
    void createMenus();
    // Hands a menu's command to the presenter with where the user is in the grid, and enters
    // the cell it names afterwards.
    void perform(kelnor::sheet::Command command);
    // Undo and redo greyed while there is nothing to take back.
    void showCommandsEnabled();
    // The window laid out for a dam's conditions or a dike's sections, when the sheet's code
    // changes: a dike's long section under its grid in place of the results, the panel's
    // entries of the code, and the menus' captions.
    void arrangeFor(kelnor::sheet::DesignCode code);
    void alignResults();
    // The dam panel: its entries' texts and faults, and the settled crest under them.
    void showDamEntries();
    void showSettled();
    QWidget* createDamPanel();
    std::optional<kelnor::sheet::CellRange> selectedRange() const;

    DesignDesktop desktop_;
    std::unique_ptr<kelnor::sheet::DesignView> view_;
    kelnor::sheet::DesignPresenter presenter_;
    SheetModel* sheetModel_ = nullptr;
    ResultsModel* resultsModel_ = nullptr;
    QTableView* grid_ = nullptr;
    QTableView* results_ = nullptr;
    QLabel* summary_ = nullptr;
    FreeboardView* picture_ = nullptr;
    std::vector<QLineEdit*> damEntries_;  // by kelnor::sheet::damPanelFields()
    QTableWidget* settled_ = nullptr;
    QTimer* autosave_ = nullptr;
    QSplitter* sides_ = nullptr;   // the tables | the dam's panel and the sketch
    QSplitter* tables_ = nullptr;  // the conditions over the results
    QSplitter* side_ = nullptr;    // the dam's panel over the sketch
    QLabel* status_ = nullptr;
    QPushButton* stopPrint_ = nullptr;
    bool placeRestored_ = false;  // the splitters as the user left them
    kelnor::sheet::DesignCode arranged_ = kelnor::sheet::DesignCode::Dam;
    QFormLayout* damForm_ = nullptr;
    bool started_ = false;
    bool laidOut_ = false;
    std::map<kelnor::sheet::Command, QAction*> actions_;
    // The presenter itself closes the window (退出): it has asked already.
    bool closing_ = false;
};
