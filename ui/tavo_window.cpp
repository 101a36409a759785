#include "tavo_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

#include <limits>
#include <utility>

#include "captions.h"
#include "failure_message.h"
#include "kelnor/form/layout.h"
#include "kelnor/form/messages.h"
#include "kelnor/report.h"
#include "kelnor/report_file.h"

namespace {

using kelnor::FormulaChoice;
namespace form = kelnor::form;

const QString kHelpFileName = QStringLiteral("帮助文件.txt");

// The form is drawn in twips; Qt's device-independent pixel is a 96-dpi pixel, which Qt
// scales itself on a high-density screen.
constexpr int kDpi = 96;

QRect pixels(const form::Twips& place) {
    const form::Pixels p = form::pixels(place, kDpi);
    return QRect(QPoint(p.left, p.top), QPoint(p.right - 1, p.bottom - 1));
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/kelnor-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace

TavoWindow::TavoWindow(QString programDir, Opener opener, Notifier notifier, QWidget* parent)
    : QWidget(parent),
      programDir_(std::move(programDir)),
      reportDir_(programDir_),
      opener_(std::move(opener)),
      notifier_(std::move(notifier)) {
    setWindowTitle(text(form::kWindowTitle));
    setWindowIcon(programIcon());
    resize(pixels({0, 0, form::kClientWidth, form::kClientHeight}).size());
    createControls();
    chainTabOrder();
    useFittingFont();
    Text1[0]->setFocus();
}

void TavoWindow::createControls() {
    // Created in the form's visual order: a later control lies on top of an earlier one.
    for (const form::Control& c : form::controls()) {
        QWidget* made = nullptr;
        switch (c.kind) {
            case form::ControlKind::Label: {
                auto* label = new QLabel(text(c.caption), this);
                (c.index >= 0 ? Label1[c.index] : Label2) = label;
                made = label;
                break;
            }
            case form::ControlKind::TextBox: {
                auto* box = new QLineEdit(text(c.caption), this);
                box->setMaxLength(std::numeric_limits<int>::max());
                Text1[c.index] = box;
                made = box;
                break;
            }
            case form::ControlKind::Frame:
                Frame1 = new QGroupBox(text(c.caption), this);
                made = Frame1;
                break;
            case form::ControlKind::Option:
                // Siblings in one frame exclude each other: selecting one clears the others.
                Option1[c.index] = new QRadioButton(text(c.caption), Frame1);
                made = Option1[c.index];
                break;
            case form::ControlKind::Button: {
                auto* command = new QPushButton(text(c.caption), this);
                // Enter and Esc press no button, also not the one with the focus.
                command->setAutoDefault(false);
                command->setDefault(false);
                const QStringView name = text(c.name);
                (name == u"Command1"   ? Command1
                 : name == u"Command2" ? Command2
                 : name == u"Command3" ? Command3
                                       : Command4) = command;
                made = command;
                break;
            }
        }
        made->setObjectName(QString::fromStdString(c.id()));
        made->setGeometry(pixels(c.place));
    }

    // Tab enters the group at its selected option and leaves it from there; the arrow keys
    // move within it. So only the selected option is a stop of the Tab key.
    for (QRadioButton* option : Option1) {
        connect(option, &QRadioButton::toggled, option, [option](bool selected) {
            option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        });
        option->setFocusPolicy(Qt::ClickFocus);
    }
    Option1[0]->setChecked(true);

    connect(Command1, &QPushButton::clicked, this, &TavoWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &TavoWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &TavoWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &TavoWindow::Command4_Click);
}

void TavoWindow::chainTabOrder() {
    QWidget* previous = nullptr;
    for (const form::Control* c : form::tabChain()) {
        auto* next = findChild<QWidget*>(QString::fromStdString(c->id()));
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, next);
        }
        previous = next;
    }
}

// The largest font size at which every caption shows whole.
void TavoWindow::useFittingFont() {
    QFont fitting = font();
    for (int size = kLargestPixelSize; size >= kSmallestPixelSize; --size) {
        fitting.setPixelSize(size);
        setFont(fitting);
        if (clippedCaptions(*this).isEmpty()) {
            return;
        }
    }
}

void TavoWindow::tavo(kelnor::FormulaChoice& Igs) {
    kelnor::InputSet inputs;
    for (int box = 0; box < kelnor::kBoxCount; ++box) {
        inputs.text[box] = Text1[box]->text().toStdString();
    }
    // All arithmetic happens before the file is touched, so a failure leaves the last report.
    const std::string report = kelnor::calculateReport(Igs, inputs);
    kelnor::writeReportFile(QFile::encodeName(reportDir_).toStdString(), report);
}

void TavoWindow::Command1_Click() {
    // Option1(2) is never looked at: 3 stands for neither of the first two being selected.
    FormulaChoice Igs = Option1[0]->isChecked()   ? FormulaChoice::Putian
                        : Option1[1]->isChecked() ? FormulaChoice::Andreyanov
                                                  : FormulaChoice::GuantingHedi;
    // Nothing that goes wrong in a calculation ends the program: the user is told, and the
    // texts typed stay as they are.
    try {
        tavo(Igs);
    } catch (const kelnor::Failure& failure) {
        const auto caption = [](int box) { return QString::fromStdString(form::boxName(box)); };
        report(failureMessage(failure, caption), failure.box());
    } catch (const kelnor::WriteFailure& failure) {
        report(writeFailureMessage(failure), std::nullopt);
    } catch (const std::exception& e) {
        report(text(form::unexpectedFailureMessage(e.what())), std::nullopt);
    } catch (...) {
        report(text(form::unexpectedFailureMessage("?")), std::nullopt);
    }
}

void TavoWindow::Command2_Click() {
    close();
}

void TavoWindow::Command3_Click() {
    open(reportDir_, QString::fromLatin1(kelnor::kReportFileName), form::kNoReportYet);
}

void TavoWindow::Command4_Click() {
    open(programDir_, kHelpFileName, form::kNoHelpFile);
}

void TavoWindow::open(const QString& directory, const QString& fileName,
                      std::string_view whenMissing) {
    const QString path = QDir(directory).absoluteFilePath(fileName);
    if (!QFileInfo(path).isFile()) {
        notifier_(this, windowTitle(),
                  text(form::missingFileMessage(whenMissing,
                                                QDir::toNativeSeparators(path).toStdString())));
        return;
    }
    opener_(directory, fileName);
}

void TavoWindow::report(const QString& message, std::optional<int> box) {
    notifier_(this, windowTitle(), message);
    // Straight back to the box at fault, its text selected for typing over. The window takes
    // the keyboard back from the closed message itself rather than leave it to the desktop.
    activateWindow();
    if (box) {
        Text1[*box]->setFocus(Qt::OtherFocusReason);
        Text1[*box]->selectAll();
    }
}
