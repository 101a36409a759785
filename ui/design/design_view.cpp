// The design window as the presenter sees it: its widgets, the desktop's boxes and file
// dialogs, the clipboard and the viewer.

#include "design_window.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "freeboard_view.h"
#include "kelnor/sheet/dam_panel.h"
#include "sheet_model.h"

namespace {

namespace sheet = kelnor::sheet;
namespace fs = std::filesystem;

QString filterOf(sheet::FileKind kind) {
    const sheet::FileType type = sheet::fileType(kind);
    QString patterns = QStringLiteral("*.") + text(type.extension);
    if (!type.alsoExtension.empty()) {
        patterns += QStringLiteral(" *.") + text(type.alsoExtension);
    }
    return QStringLiteral("%1 (%2)").arg(text(type.description), patterns);
}

QMessageBox::ButtonRole roleOf(sheet::Answer answer) {
    switch (answer) {
        case sheet::Answer::Save:
        case sheet::Answer::Replace:
        case sheet::Answer::Choose:
            return QMessageBox::AcceptRole;
        case sheet::Answer::Discard:
        case sheet::Answer::Stop:
        case sheet::Answer::NoTemplate:
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

// A box of captioned lines: one line each, the hint greyed while empty, what the form says of
// the texts under them as they change, 确定 and 取消.
std::optional<std::vector<std::string>> editInDialog(QWidget* window,
                                                     const sheet::LinesForm& shown) {
    QDialog box(window);
    box.setWindowTitle(text(shown.title));
    auto* form = new QFormLayout(&box);
    std::vector<QLineEdit*> lines;
    for (const sheet::FormLine& l : shown.lines) {
        auto* line = new QLineEdit(text(l.text));
        line->setPlaceholderText(text(l.hint));
        line->setMinimumWidth(320);
        form->addRow(text(l.caption), line);
        lines.push_back(line);
    }
    const auto texts = [&lines] {
        std::vector<std::string> out;
        for (const QLineEdit* line : lines) {
            out.push_back(line->text().toStdString());
        }
        return out;
    };
    if (shown.live) {
        auto* saying = new QLabel;
        saying->setWordWrap(true);
        const auto say = [&shown, &texts, saying] { saying->setText(text(shown.live(texts()))); };
        for (QLineEdit* line : lines) {
            QObject::connect(line, &QLineEdit::textChanged, saying, say);
        }
        say();
        form->addRow(saying);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    form->addRow(buttons);
    if (box.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return texts();
}

std::error_code openWithDesktopServices(const fs::path& file) {
    // A file URL carries the Chinese file name intact, whatever the locale's encoding.
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(qtPath(file)))) {
        return {};
    }
    // Qt gives no reason; the desktop has no viewer it could start for the file.
    return std::make_error_code(std::errc::operation_not_supported);
}

}  // namespace

DesignDesktop realDesktop() {
    return {openWithDesktopServices, showMessageBox, askWithMessageBox, editInDialog};
}

class DesignWindow::View final : public sheet::DesignView {
  public:
    explicit View(DesignWindow& window) : window_(window) {}

    void setTitle(const std::string& title) override { window_.setWindowTitle(text(title)); }

    void showSheet() override {
        window_.arrangeFor(window_.presenter_.sheet().code());
        window_.sheetModel_->refresh();
        window_.showDamEntries();
        window_.showCommandsEnabled();
        // Every change of the sheet comes here: the autosave follows a second after the last.
        window_.autosave_->start();
    }

    void showResults() override {
        window_.resultsModel_->refresh();
        window_.alignResults();
        window_.summary_->setText(text(window_.presenter_.evaluation().summaryZh()));
        window_.showSettled();
    }

    void showPicture() override { window_.picture_->setDrawing(window_.presenter_.picture()); }

    void showPlace(const sheet::Place& place) override {
        if (place.damField) {
            const auto& fields = sheet::damPanelFields();
            const auto at = std::find(fields.begin(), fields.end(), *place.damField);
            if (at != fields.end()) {
                window_.damEntries_[std::size_t(at - fields.begin())]->setFocus();
            }
            return;
        }
        if (place.row >= window_.presenter_.sheet().size()) {
            return;
        }
        const QModelIndex at = window_.sheetModel_->indexOf(place.row, place.column.value_or(0));
        window_.grid_->setCurrentIndex(at);
        if (!place.column) {
            // The whole condition: a dam's column, a dike's row.
            if (window_.presenter_.sheet().isDike()) {
                window_.grid_->selectRow(at.row());
            } else {
                window_.grid_->selectColumn(at.column());
            }
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

    std::optional<fs::path> chooseFileToOpen(sheet::FileKind kind) override {
        const QString file = QFileDialog::getOpenFileName(&window_, window_.windowTitle(),
                                                          QString(), filterOf(kind));
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

    std::optional<std::vector<std::string>> editLines(const sheet::LinesForm& form) override {
        auto edited = window_.desktop_.editLines(&window_, form);
        window_.activateWindow();
        return edited;
    }

    void showStatus(const std::string& message) override {
        window_.status_->setText(text(message));
        window_.stopPrint_->setVisible(window_.presenter_.printing());
        window_.showCommandsEnabled();
    }

    void printEnded() override {
        // On the printing thread: the window takes it up on its own, from its event loop.
        QMetaObject::invokeMethod(
            &window_, [w = &window_] { w->presenter_.finishPrint(); }, Qt::QueuedConnection);
    }

    void closeWindow() override {
        window_.closing_ = true;
        window_.close();
    }

  private:
    DesignWindow& window_;
};

std::unique_ptr<sheet::DesignView> DesignWindow::makeView() {
    return std::make_unique<View>(*this);
}
