#include "design_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "freeboard_view.h"
#include "kelnor/sheet/fields.h"
#include "sheet_model.h"

namespace {

namespace sheet = kelnor::sheet;
namespace fs = std::filesystem;

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// File names pass between Qt and the presenter as the file system's bytes.
fs::path fileSystemPath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QString qtPath(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QString filterOf(sheet::FileKind kind) {
    return kind == sheet::FileKind::Conditions ? QStringLiteral("CSV (*.csv)")
                                               : QStringLiteral("HTML (*.html)");
}

QMessageBox::ButtonRole roleOf(sheet::Answer answer) {
    switch (answer) {
        case sheet::Answer::Save:
        case sheet::Answer::Replace:
            return QMessageBox::AcceptRole;
        case sheet::Answer::Discard:
            return QMessageBox::DestructiveRole;
        case sheet::Answer::Cancel:
            break;
    }
    return QMessageBox::RejectRole;
}

sheet::Answer askWithMessageBox(QWidget* window, const QString& title,
                                const sheet::Question& question) {
    QMessageBox box(QMessageBox::Question, title, text(question.text), QMessageBox::NoButton,
                    window);
    std::map<QAbstractButton*, sheet::Answer> answers;
    for (const sheet::Answer a : question.answers) {
        QPushButton* button = box.addButton(text(sheet::answerCaption(a)), roleOf(a));
        answers[button] = a;
        if (a == question.byDefault) {
            box.setDefaultButton(button);
        }
        if (a == question.onEscape) {
            box.setEscapeButton(button);
        }
    }
    box.exec();
    const auto chosen = answers.find(box.clickedButton());
    return chosen != answers.end() ? chosen->second : question.onEscape;
}

std::error_code openWithDesktopServices(const fs::path& file) {
    // A file URL carries the Chinese file name intact, whatever the locale's encoding.
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(qtPath(file)))) {
        return {};
    }
    // Qt gives no reason; the desktop has no viewer it could start for the file.
    return std::make_error_code(std::errc::operation_not_supported);
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/kelnor-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

// The name of the help text beside the program.
const QString kHelpName = QStringLiteral("帮助文件.txt");

}  // namespace

DesignDesktop realDesktop() {
    return {openWithDesktopServices, showMessageBox, askWithMessageBox};
}

class DesignWindow::View final : public sheet::DesignView {
  public:
    explicit View(DesignWindow& window) : window_(window) {}

    void setTitle(const std::string& title) override { window_.setWindowTitle(text(title)); }

    void showSheet() override {
        window_.sheetModel_->refresh();
        window_.undo_->setEnabled(window_.presenter_.sheet().canUndo());
        window_.redo_->setEnabled(window_.presenter_.sheet().canRedo());
        // Every change of the sheet comes here: the autosave follows a second after the last.
        window_.autosave_->start();
    }

    void showResults() override {
        window_.resultsModel_->refresh();
        window_.summary_->setText(text(window_.presenter_.evaluation().summaryZh()));
    }

    void showPicture() override { window_.picture_->setDrawing(window_.presenter_.picture()); }

    void showPlace(const sheet::Place& place) override {
        QAbstractItemModel* model = window_.sheetModel_;
        const int condition = static_cast<int>(place.row);
        if (condition >= model->columnCount()) {
            return;
        }
        const QModelIndex at = model->index(static_cast<int>(place.column.value_or(0)), condition);
        window_.grid_->setCurrentIndex(at);
        if (!place.column) {
            window_.grid_->selectColumn(condition);
        }
        window_.grid_->scrollTo(at);
    }

    void tell(const std::string& message) override {
        window_.desktop_.tell(&window_, window_.windowTitle(), text(message));
        window_.activateWindow();
    }

    sheet::Answer ask(const sheet::Question& question) override {
        const sheet::Answer answer =
            window_.desktop_.ask(&window_, window_.windowTitle(), question);
        window_.activateWindow();
        return answer;
    }

    std::optional<fs::path> chooseFileToOpen() override {
        const QString file = QFileDialog::getOpenFileName(
            &window_, window_.windowTitle(), QString(), filterOf(sheet::FileKind::Conditions));
        return file.isEmpty() ? std::nullopt : std::optional(fileSystemPath(file));
    }

    std::optional<fs::path> chooseFileToSave(sheet::FileKind kind,
                                             const fs::path& suggested) override {
        const QString file = QFileDialog::getSaveFileName(&window_, window_.windowTitle(),
                                                          qtPath(suggested), filterOf(kind));
        return file.isEmpty() ? std::nullopt : std::optional(fileSystemPath(file));
    }

    std::error_code openDocument(const fs::path& file) override {
        return window_.desktop_.open(file);
    }

    void setClipboardText(const std::string& text) override {
        QGuiApplication::clipboard()->setText(::text(text));
    }

    std::string clipboardText() override {
        return QGuiApplication::clipboard()->text().toStdString();
    }

    void closeWindow() override {
        window_.closing_ = true;
        window_.close();
    }

  private:
    DesignWindow& window_;
};

DesignWindow::DesignWindow(fs::path dataFolder, QString programDir, DesignDesktop desktop,
                           QWidget* parent)
    : QMainWindow(parent),
      programDir_(std::move(programDir)),
      desktop_(std::move(desktop)),
      view_(std::make_unique<View>(*this)),
      presenter_(*view_, std::move(dataFolder)) {
    setWindowTitle(text(sheet::kDesignTitle));
    setWindowIcon(programIcon());
    autosave_ = new QTimer(this);
    autosave_->setSingleShot(true);
    autosave_->setInterval(kAutosaveDelayMs);
    connect(autosave_, &QTimer::timeout, this, [this] { presenter_.autosaveNow(); });
    createWidgets();
    createMenus();
    resize(1000, 720);
}

DesignWindow::~DesignWindow() = default;

void DesignWindow::start(const std::optional<fs::path>& commandLineFile) {
    presenter_.start(commandLineFile);
    grid_->setCurrentIndex(sheetModel_->index(0, 0));
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
    grid_->horizontalHeader()->setDefaultSectionSize(120);
    // Each committed editor is one step of undo of its own.
    connect(delegate, &QAbstractItemDelegate::closeEditor, this,
            [this] { presenter_.endTyping(); });

    resultsModel_ = new ResultsModel(presenter_, this);
    results_ = new QTableView;
    results_->setObjectName(QStringLiteral("results"));
    results_->setModel(resultsModel_);
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->horizontalHeader()->setDefaultSectionSize(120);

    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    picture_ = new FreeboardView;
    picture_->setObjectName(QStringLiteral("picture"));

    auto* below = new QSplitter(Qt::Horizontal);
    below->addWidget(results_);
    below->addWidget(picture_);
    below->setStretchFactor(0, 3);
    below->setStretchFactor(1, 2);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(grid_, 3);
    layout->addWidget(summary_);
    layout->addWidget(below, 2);
    setCentralWidget(central);
}

QAction* DesignWindow::command(QMenu* menu, const QString& caption, const QKeySequence& keys,
                               std::function<void()> handler) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    return action;
}

void DesignWindow::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    command(file, QStringLiteral("新建(&N)"), QKeySequence::New, [this] { presenter_.newSheet(); });
    command(file, QStringLiteral("打开(&O)…"), QKeySequence::Open, [this] { presenter_.open(); });
    command(file, QStringLiteral("保存(&S)"), QKeySequence::Save, [this] { presenter_.save(); });
    command(file, QStringLiteral("另存为(&A)…"), {}, [this] { presenter_.saveAs(); });
    file->addSeparator();
    command(file, QStringLiteral("计算书(&B)"), QKeySequence(Qt::CTRL | Qt::Key_B),
            [this] { presenter_.writeBook(); });
    file->addSeparator();
    command(file, QStringLiteral("退出(&X)"), {}, [this] { presenter_.exit(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    undo_ = command(edit, QStringLiteral("撤销(&U)"), QKeySequence::Undo,
                    [this] { presenter_.undo(); });
    redo_ = command(edit, QStringLiteral("重做(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                    [this] { presenter_.redo(); });
    // Ctrl+Y as on Windows, and the desktop's own keys for redo where they differ.
    QList<QKeySequence> redoKeys = {QKeySequence(Qt::CTRL | Qt::Key_Y)};
    for (const QKeySequence& keys : QKeySequence::keyBindings(QKeySequence::Redo)) {
        if (!redoKeys.contains(keys)) {
            redoKeys << keys;
        }
    }
    redo_->setShortcuts(redoKeys);
    edit->addSeparator();
    command(edit, QStringLiteral("复制(&C)"), QKeySequence::Copy, [this] { copySelection(); });
    command(edit, QStringLiteral("复制成果"), {}, [this] { presenter_.copyResults(); });
    command(edit, QStringLiteral("粘贴(&P)"), QKeySequence::Paste, [this] { pasteAtCurrent(); });
    // Delete empties the selected cells; an open cell editor takes the key itself first.
    command(edit, QStringLiteral("清除(&D)"), QKeySequence::Delete, [this] { clearSelection(); });
    edit->addSeparator();
    command(edit, QStringLiteral("添加工况"), {}, [this] {
        // After the current condition, else at the end.
        const auto condition = currentCondition();
        presenter_.insertCondition(condition ? *condition + 1 : presenter_.sheet().size());
    });
    command(edit, QStringLiteral("删除工况"), {}, [this] { removeSelectedConditions(); });
    command(edit, QStringLiteral("复制工况"), {}, [this] {
        if (const auto condition = currentCondition()) {
            presenter_.duplicateCondition(*condition);
        }
    });
    command(edit, QStringLiteral("左移"), {}, [this] { moveCurrentCondition(-1); });
    command(edit, QStringLiteral("右移"), {}, [this] { moveCurrentCondition(1); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    command(help, QStringLiteral("参数说明"), QKeySequence::HelpContents, [this] { openHelp(); });
}

std::optional<std::size_t> DesignWindow::currentCondition() const {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid()) {
        return std::nullopt;
    }
    return SheetModel::conditionOf(current);
}

void DesignWindow::moveCurrentCondition(int by) {
    const auto condition = currentCondition();
    if (!condition) {
        return;
    }
    const long to = static_cast<long>(*condition) + by;
    if (to < 0 || static_cast<std::size_t>(to) >= presenter_.sheet().size()) {
        return;
    }
    const int field = grid_->currentIndex().row();
    presenter_.moveCondition(*condition, static_cast<std::size_t>(to));
    // The cell goes along with its condition.
    grid_->setCurrentIndex(sheetModel_->index(field, static_cast<int>(to)));
}

void DesignWindow::removeSelectedConditions() {
    // The conditions from the first selected to the last, or the current one.
    int first = -1;
    int last = -1;
    for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes()) {
        first = first < 0 ? i.column() : std::min(first, i.column());
        last = std::max(last, i.column());
    }
    if (first < 0) {
        const auto condition = currentCondition();
        if (!condition) {
            return;
        }
        first = last = static_cast<int>(*condition);
    }
    presenter_.removeConditions(std::size_t(first), std::size_t(last - first + 1));
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
    return kelnor::sheet::CellRange{std::size_t(left), std::size_t(top),
                                    std::size_t(right - left + 1), std::size_t(bottom - top + 1)};
}

void DesignWindow::copySelection() {
    if (const auto range = selectedRange()) {
        presenter_.copy(*range);
    }
}

void DesignWindow::clearSelection() {
    if (const auto range = selectedRange()) {
        presenter_.clearCells(*range);
    }
}

void DesignWindow::pasteAtCurrent() {
    const QModelIndex current = grid_->currentIndex();
    if (current.isValid()) {
        presenter_.paste(SheetModel::conditionOf(current), SheetModel::fieldOf(current));
    } else {
        presenter_.paste(presenter_.sheet().size(), 0);
    }
}

void DesignWindow::openHelp() {
    // Whether the desktop finds a viewer is its business: it shows its own message if not.
    desktop_.open(fileSystemPath(QDir(programDir_).absoluteFilePath(kHelpName)));
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
