#include "design_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QColor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "freeboard_view.h"
#include "kelnor/design/crest.h"
#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "kelnor/sheet/window_rules.h"
#include "sheet_model.h"

namespace {

namespace sheet = kelnor::sheet;
namespace fs = std::filesystem;

// Where the window's place is kept between sessions.
const QString kGeometryKey = QStringLiteral("design/geometry");
const QString kSidesKey = QStringLiteral("design/sides");
const QString kTablesKey = QStringLiteral("design/tables");
const QString kSideKey = QStringLiteral("design/side");

// An entry of the dam panel. Its undo and redo are the sheet's, as in the grid's cells: the
// line's own Ctrl+Z would take back typing the sheet has already recorded.
class DamLineEdit final : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
                e->ignore();
                return true;
            }
        }
        return QLineEdit::event(e);
    }
};

}  // namespace

DesignWindow::DesignWindow(fs::path dataFolder, const QString& programDir, DesignDesktop desktop,
                           QWidget* parent)
    : QMainWindow(parent),
      desktop_(std::move(desktop)),
      view_(makeView()),
      presenter_(*view_, std::move(dataFolder), fileSystemPath(programDir)) {
    setWindowTitle(text(sheet::kDesignTitle));
    setWindowIcon(programIcon());
    autosave_ = new QTimer(this);
    autosave_->setSingleShot(true);
    autosave_->setInterval(sheet::kAutosaveDelayMs);
    connect(autosave_, &QTimer::timeout, this, [this] { presenter_.autosaveNow(); });
    createWidgets();
    createMenus();
    setAcceptDrops(true);
    setMinimumSize(sheet::kMinimumWindowSize.width, sheet::kMinimumWindowSize.height);
    placeFirst();
}

DesignWindow::~DesignWindow() = default;

void DesignWindow::start(const std::optional<fs::path>& commandLineFile) {
    presenter_.start(commandLineFile);
    grid_->setCurrentIndex(sheetModel_->index(0, 0));
    started_ = true;
    if (isVisible()) {
        layOutOnce();
    }
}

void DesignWindow::createWidgets() {
    sheetModel_ = new SheetModel(presenter_, this);
    grid_ = new QTableView;
    grid_->setObjectName(QStringLiteral("conditions"));
    grid_->setModel(sheetModel_);
    auto* delegate = new CellDelegate(grid_);
    grid_->setItemDelegate(delegate);
    grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed);

    resultsModel_ = new ResultsModel(presenter_, this);
    results_ = new QTableView;
    results_->setObjectName(QStringLiteral("results"));
    results_->setModel(resultsModel_);
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (QTableView* table : {grid_, results_}) {
        compactRows(*table);
    }

    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setWordWrap(true);

    picture_ = new FreeboardView;
    picture_->setObjectName(QStringLiteral("picture"));

    // The results scroll sideways with the conditions, so each stays under its condition.
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged,
            results_->horizontalScrollBar(), &QScrollBar::setValue);
    connect(results_->horizontalScrollBar(), &QScrollBar::valueChanged,
            grid_->horizontalScrollBar(), &QScrollBar::setValue);

    // The conditions over their results on the left; the dam's values, the settled crest and
    // the sketch on the right; the summary across under both.
    tables_ = new QSplitter(Qt::Vertical);
    tables_->setObjectName(QStringLiteral("tables"));
    tables_->addWidget(grid_);
    tables_->addWidget(results_);
    side_ = new QSplitter(Qt::Vertical);
    side_->setObjectName(QStringLiteral("side"));
    side_->addWidget(createDamPanel());
    side_->addWidget(picture_);
    sides_ = new QSplitter(Qt::Horizontal);
    sides_->setObjectName(QStringLiteral("sides"));
    sides_->addWidget(tables_);
    sides_->addWidget(side_);
    for (QSplitter* splitter : {tables_, side_, sides_}) {
        splitter->setChildrenCollapsible(false);
    }

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    const int margin = sheet::LayoutMetrics{}.margin;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);
    layout->addWidget(sides_, 1);
    layout->addWidget(summary_);
    setCentralWidget(central);

    // What is being made in the background, with its stop button while a print runs.
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    stopPrint_ = new QPushButton(QStringLiteral("停止生成"));
    stopPrint_->setObjectName(QStringLiteral("stopPrint"));
    stopPrint_->setVisible(false);
    connect(stopPrint_, &QPushButton::clicked, this, [this] { presenter_.cancelPrint(); });
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(stopPrint_);
}

void DesignWindow::compactRows(QTableView& table) {
    // As a spreadsheet's: the font's height and a small margin, the same for every row.
    const int row = table.fontMetrics().height() + 2;
    table.verticalHeader()->setMinimumSectionSize(row);
    table.verticalHeader()->setDefaultSectionSize(row);
    table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table.horizontalHeader()->setMinimumSectionSize(row);
}

sheet::LayoutMetrics DesignWindow::layoutMetrics() const {
    sheet::LayoutMetrics m;
    m.rowHeight = grid_->verticalHeader()->defaultSectionSize();
    m.headerHeight = grid_->horizontalHeader()->sizeHint().height();
    m.frame = 2 * grid_->frameWidth();
    m.scrollBar = grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m.namesWidth = grid_->verticalHeader()->sizeHint().width();
    m.conditionWidth = conditionWidth();
    m.lineHeight = summary_->sizeHint().height();
    m.entryHeight = damEntries_.front()->sizeHint().height() + 6;
    return m;
}

void DesignWindow::arrangeFor(sheet::DesignCode code) {
    if (code == arranged_) {
        return;
    }
    arranged_ = code;
    const bool dike = code == sheet::DesignCode::Dike;
    if (dike) {
        tables_->insertWidget(1, picture_);
        results_->hide();
    } else {
        side_->addWidget(picture_);
        results_->show();
    }
    grid_->verticalHeader()->setMinimumWidth(0);
    grid_->verticalHeader()->setMaximumWidth(QWIDGETSIZE_MAX);
    const std::vector<sheet::DamEntry> entries =
        sheet::damEntries(presenter_.sheet(), presenter_.evaluation());
    for (std::size_t i = 0; i < entries.size() && i < damEntries_.size(); ++i) {
        damForm_->setRowVisible(damEntries_[i], entries[i].shown);
    }
    for (const sheet::Menu& menu : sheet::designMenus()) {
        for (const sheet::MenuEntry& e : menu.entries) {
            if (const auto a = actions_.find(e.command); a != actions_.end()) {
                a->second->setText(text(sheet::captionFor(e, code)));
            }
        }
    }
    if (laidOut_) {
        layOutFirst();
    }
}

int DesignWindow::conditionWidth() const {
    // As wide as the widest text any condition shows, in either grid, and its header.
    int width = 0;
    for (const QTableView* table : {grid_, results_}) {
        // Public as a view's, though QTableView hides it.
        const QAbstractItemView* view = table;
        for (int c = 0; c < table->model()->columnCount(); ++c) {
            width = std::max(width, view->sizeHintForColumn(c));
            width = std::max(width, table->horizontalHeader()->sectionSizeHint(c));
        }
    }
    return std::max(width, grid_->fontMetrics().horizontalAdvance(QStringLiteral("0000.000")));
}

void DesignWindow::fitColumns() {
    if (presenter_.sheet().isDike()) {
        // A dike's columns as wide as their headers, and a level's digits: the same for a
        // thousand sections as for one, so a keystroke never measures every row.
        const int digits = grid_->fontMetrics().horizontalAdvance(QStringLiteral("00000.000"));
        for (int c = 0; c < sheetModel_->columnCount(); ++c) {
            grid_->setColumnWidth(c,
                                  std::max(digits, grid_->horizontalHeader()->sectionSizeHint(c)));
        }
        return;
    }
    const int width = conditionWidth();
    for (QTableView* table : {grid_, results_}) {
        for (int c = 0; c < table->model()->columnCount(); ++c) {
            table->setColumnWidth(c, width);
        }
    }
}

void DesignWindow::placeFirst() {
    // Inside the screen's room free of panels, centred, as large as the window needs.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1366, 728);
    // The desktop's title bar comes on top of the size given: kept inside the room too.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const sheet::WindowSize frame =
        sheet::firstWindowSize({room.width(), room.height() - titleBar});
    resize(frame.width, frame.height);
    move(room.left() + (room.width() - frame.width) / 2,
         room.top() + std::max(0, (room.height() - titleBar - frame.height) / 2));
}

void DesignWindow::layOutFirst() {
    // The splitters where the shared layout puts the parts, for this window's client area.
    const QWidget* central = centralWidget();
    const sheet::WindowSize client{central->width(), central->height()};
    const std::size_t entries = sheet::shownEntryCount(presenter_.sheet().code());
    const std::size_t settled = sheet::settledLines(presenter_.evaluation()).size();
    if (presenter_.sheet().isDike()) {
        const sheet::DesignLayout parts =
            sheet::dikeLayout(client, layoutMetrics(), entries, settled);
        sides_->setSizes({parts.grid.width, parts.dam.width});
        tables_->setSizes({parts.grid.height, parts.picture.height, 0});
        return;
    }
    const sheet::DesignLayout parts =
        sheet::designLayout(client, layoutMetrics(), presenter_.sheet().size(), entries, settled);
    sides_->setSizes({parts.grid.width, parts.dam.width});
    tables_->setSizes({parts.grid.height, parts.results.height});
    side_->setSizes({parts.settled.bottom() - parts.dam.top, parts.picture.height});
}

void DesignWindow::restorePlace(const QSettings& settings) {
    if (restoreGeometry(settings.value(kGeometryKey).toByteArray())) {
        // A screen that has gone or shrunk since: back inside the room there is now.
        const QScreen* screen = QGuiApplication::screenAt(geometry().center());
        if (screen == nullptr) {
            placeFirst();
        }
    }
    placeRestored_ = sides_->restoreState(settings.value(kSidesKey).toByteArray()) &&
                     tables_->restoreState(settings.value(kTablesKey).toByteArray()) &&
                     side_->restoreState(settings.value(kSideKey).toByteArray());
}

void DesignWindow::savePlace(QSettings& settings) const {
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kSidesKey, sides_->saveState());
    settings.setValue(kTablesKey, tables_->saveState());
    settings.setValue(kSideKey, side_->saveState());
}

void DesignWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (started_) {
        layOutOnce();
    }
}

void DesignWindow::layOutOnce() {
    if (!laidOut_ && !placeRestored_) {
        layOutFirst();
    }
    laidOut_ = true;
}

QWidget* DesignWindow::createDamPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("dam"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    damForm_ = form;
    for (const std::size_t field : sheet::damPanelFields()) {
        auto* line = new DamLineEdit;
        line->setObjectName(text(kelnor::design::damFields()[field].name));
        connect(line, &QLineEdit::textEdited, this, [this, field](const QString& typed) {
            presenter_.setDamText(field, typed.toStdString());
        });
        // Leaving the entry ends a piece of typing: the next is a step of undo of its own.
        connect(line, &QLineEdit::editingFinished, this, [this] { presenter_.endTyping(); });
        form->addRow(text(kelnor::design::damCaptionZh(kelnor::design::damFields()[field])), line);
        damEntries_.push_back(line);
    }
    layout->addLayout(form);
    // A dam's entries at first: a dike's are shown when its sheet comes.
    for (std::size_t i = 0; i < damEntries_.size(); ++i) {
        form->setRowVisible(
            damEntries_[i],
            kelnor::design::damFields()[sheet::damPanelFields()[i]].usedBy(sheet::DesignCode::Dam));
    }
    settled_ = new QTableWidget(0, 3);
    settled_->setObjectName(QStringLiteral("settled"));
    settled_->setHorizontalHeaderLabels({text(sheet::settledTitle(presenter_.evaluation())),
                                         QStringLiteral("数值"), QStringLiteral("说明")});
    settled_->verticalHeader()->hide();
    compactRows(*settled_);
    settled_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    settled_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(settled_, 1);
    return panel;
}

void DesignWindow::showDamEntries() {
    const std::vector<sheet::DamEntry> entries =
        sheet::damEntries(presenter_.sheet(), presenter_.evaluation());
    for (std::size_t i = 0; i < entries.size() && i < damEntries_.size(); ++i) {
        QLineEdit* line = damEntries_[i];
        const QString typed = text(entries[i].text);
        // Set only where it differs, so the cursor stays where the user types.
        if (line->text() != typed) {
            line->setText(typed);
        }
        line->setPlaceholderText(text(entries[i].hint));
        line->setToolTip(text(entries[i].tip));
        const sheet::Rgb bad = sheet::kFaultBackground;
        line->setStyleSheet(
            entries[i].atFault
                ? QStringLiteral("background: rgb(%1,%2,%3)").arg(bad.r).arg(bad.g).arg(bad.b)
                : QString());
    }
}

void DesignWindow::showSettled() {
    const std::vector<sheet::SettledLine> lines = sheet::settledLines(presenter_.evaluation());
    settled_->horizontalHeaderItem(0)->setText(text(sheet::settledTitle(presenter_.evaluation())));
    settled_->setRowCount(static_cast<int>(lines.size()));
    const sheet::Rgb failed = sheet::kFailedTextColour;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString cells[] = {text(lines[i].caption), text(lines[i].value), text(lines[i].note)};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[2]);
            if (lines[i].failing) {
                item->setForeground(QColor(failed.r, failed.g, failed.b));
            }
            if (c == 1) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            settled_->setItem(static_cast<int>(i), c, item);
        }
    }
    settled_->resizeColumnToContents(0);
    settled_->resizeColumnToContents(1);
}

void DesignWindow::createMenus() {
    for (const sheet::Menu& m : sheet::designMenus()) {
        QMenu* menu = menuBar()->addMenu(text(m.caption));
        for (const sheet::MenuEntry& e : m.entries) {
            if (e.separatorBefore) {
                menu->addSeparator();
            }
            QAction* action = menu->addAction(text(e.caption));
            QList<QKeySequence> keys;
            if (e.key != sheet::Key::None) {
                keys << QKeySequence(text(sheet::keyText(e.key)), QKeySequence::PortableText);
            }
            if (e.command == sheet::Command::Redo) {
                // The desktop's own keys for redo too, where they differ from Ctrl+Y.
                for (const QKeySequence& k : QKeySequence::keyBindings(QKeySequence::Redo)) {
                    if (!keys.contains(k)) {
                        keys << k;
                    }
                }
            }
            action->setShortcuts(keys);
            const sheet::Command command = e.command;
            connect(action, &QAction::triggered, this, [this, command] { perform(command); });
            actions_[command] = action;
        }
    }
}

void DesignWindow::perform(sheet::Command command) {
    sheet::GridSelection selection;
    const QModelIndex current = grid_->currentIndex();
    if (current.isValid()) {
        const sheet::GridCell at = sheetModel_->cellOf(current);
        // A dike's result cell stands for its section.
        selection.current = sheet::Place{at.condition, at.field.value_or(0)};
    }
    selection.range = selectedRange();
    const std::optional<sheet::Place> place = presenter_.perform(command, selection);
    if (place && presenter_.sheet().size() > place->row) {
        const QModelIndex at = sheetModel_->indexOf(place->row, place->column.value_or(0));
        grid_->setCurrentIndex(at);
        grid_->scrollTo(at);
    }
}

void DesignWindow::showCommandsEnabled() {
    for (const auto& [command, action] : actions_) {
        action->setEnabled(presenter_.enabled(command));
    }
}

void DesignWindow::alignResults() {
    fitColumns();
    if (presenter_.sheet().isDike()) {
        return;
    }
    // The names' column as wide in both grids, so each result stands under its condition.
    const int names = std::max(grid_->verticalHeader()->sizeHint().width(),
                               results_->verticalHeader()->sizeHint().width());
    grid_->verticalHeader()->setFixedWidth(names);
    results_->verticalHeader()->setFixedWidth(names);
}

std::optional<kelnor::sheet::CellRange> DesignWindow::selectedRange() const {
    // The rectangle around the selected cells, in the sheet's places: conditions by fields.
    const QModelIndexList selected = grid_->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    int top = selected.front().row(), bottom = top;
    int left = selected.front().column(), right = left;
    for (const QModelIndex& i : selected) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    if (presenter_.sheet().isDike()) {
        // Sections are the rows; the results beside the fields are no cells of the sheet.
        const int fields = int(sheet::fields(sheet::DesignCode::Dike).size());
        if (left >= fields) {
            return std::nullopt;
        }
        return kelnor::sheet::CellRange{std::size_t(top), std::size_t(left),
                                        std::size_t(bottom - top + 1),
                                        std::size_t(std::min(right, fields - 1) - left + 1)};
    }
    return kelnor::sheet::CellRange{std::size_t(left), std::size_t(top),
                                    std::size_t(right - left + 1), std::size_t(bottom - top + 1)};
}

void DesignWindow::dragEnterEvent(QDragEnterEvent* event) {
    // One local file: a conditions file dropped from the file manager.
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void DesignWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    if (presenter_.openFile(fileSystemPath(urls.front().toLocalFile()))) {
        grid_->setCurrentIndex(sheetModel_->index(0, 0));
    }
}

void DesignWindow::closeEvent(QCloseEvent* event) {
    if (closing_ || presenter_.mayClose()) {
        autosave_->stop();
        event->accept();
    } else {
        event->ignore();
    }
    closing_ = false;
}
