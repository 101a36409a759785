#include "tavo_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>
#include <utility>

#include "captions.h"
#include "failure_message.h"
#include "kelnor/form/messages.h"
#include "kelnor/report.h"
#include "kelnor/report_file.h"

namespace {

using kelnor::FormulaChoice;

const QString kHelpFileName = QStringLiteral("帮助文件.txt");

// The layout is drawn in twips; a device-independent pixel is 15 twips (96 per inch) and Qt
// scales device-independent pixels on a high-density screen.
constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    return (2 * twips + kTwipsPerPixel) / (2 * kTwipsPerPixel);
}

// Converts the edges rather than the sizes, so that edges level in twips stay level in pixels
// (each label's bottom with its box's bottom).
QRect twips(int left, int top, int width, int height) {
    return QRect(QPoint(pixels(left), pixels(top)),
                 QPoint(pixels(left + width) - 1, pixels(top + height) - 1));
}

struct InputRow {
    int box;
    const char* caption;
    int labelTop;
    int labelWidth;
    int boxTop;
};

// The input rows from top to bottom. The wind-height factor, the last box, stands third: it
// qualifies the wind speed above it.
constexpr InputRow kInputRows[] = {
    {0, "平均水深(m)：", 240, 1572, 120},
    // The widest label runs on under its edit box, which lies on top of it.
    {1, "设计风速(m/s 10米高)：", 660, 2232, 540},
    {7, "风速高度修正系数Kz:", 1080, 1812, 960},
    {2, "吹程(km)：", 1500, 1572, 1380},
    {3, "糙率及渗透系数K△:", 1920, 1572, 1800},
    {4, "经验系数Kw:", 2340, 1572, 2220},
    {5, "边坡系数M:", 2760, 1572, 2640},
    {6, "安全加高(米):", 3180, 1572, 3060},
};
constexpr int kLabelLeft = 360;
constexpr int kLabelHeight = 252;
constexpr int kBoxLeft = 2280;
constexpr int kBoxWidth = 852;
constexpr int kBoxHeight = 372;

constexpr const char* kOptionCaptions[] = {"莆田试验站公式", "安得烈扬诺夫公式", "官厅—鹤地公式"};

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

}  // namespace

TavoWindow::TavoWindow(QString programDir, Opener opener, Notifier notifier, QWidget* parent)
    : QWidget(parent),
      programDir_(std::move(programDir)),
      reportDir_(programDir_),
      opener_(std::move(opener)),
      notifier_(std::move(notifier)) {
    setWindowTitle(QStringLiteral("土石坝Kelnor计算"));
    resize(twips(0, 0, 6192, 3960).size());
    createControls();
    chainTabOrder();
    useFittingFont();
    Text1[0]->setFocus();
}

void TavoWindow::createControls() {
    // Created in the window's visual order: a later control lies on top of an earlier one.
    for (const InputRow& row : kInputRows) {
        QLabel* label = new QLabel(QString::fromUtf8(row.caption), this);
        label->setObjectName(indexed("Label1", row.box));
        label->setGeometry(twips(kLabelLeft, row.labelTop, row.labelWidth, kLabelHeight));
        Label1[row.box] = label;

        QLineEdit* box = new QLineEdit(QString::fromUtf8(kelnor::kDefaultTexts[row.box].data(),
                                                         kelnor::kDefaultTexts[row.box].size()),
                                       this);
        box->setObjectName(indexed("Text1", row.box));
        box->setGeometry(twips(kBoxLeft, row.boxTop, kBoxWidth, kBoxHeight));
        box->setMaxLength(std::numeric_limits<int>::max());
        Text1[row.box] = box;
    }

    Label2 = new QLabel(QStringLiteral("依据：《碾压式土石坝设计规范》中莆田公式"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips(240, 3540, 3732, 252));

    Frame1 = new QGroupBox(QStringLiteral("风浪要素计算公式"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(3360, 60, 2412, 1332));
    // Siblings in one frame exclude each other: selecting one clears the others.
    for (int i = 0; i < 3; ++i) {
        QRadioButton* option = new QRadioButton(QString::fromUtf8(kOptionCaptions[i]), Frame1);
        option->setObjectName(indexed("Option1", i));
        option->setGeometry(twips(240, 300 + 300 * i, 1992, 312));
        Option1[i] = option;
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

    const auto button = [this](const char* name, const QString& caption, int top) {
        QPushButton* command = new QPushButton(caption, this);
        command->setObjectName(QLatin1String(name));
        command->setGeometry(twips(4080, top, 1572, 372));
        // Enter and Esc press no button, also not the one with the focus.
        command->setAutoDefault(false);
        command->setDefault(false);
        return command;
    };
    Command4 = button("Command4", QStringLiteral("参数选取说明"), 1560);
    Command1 = button("Command1", QStringLiteral("计算Kelnor"), 2040);
    Command3 = button("Command3", QStringLiteral("查看成果"), 2520);
    Command2 = button("Command2", QStringLiteral("退    出"), 3000);

    connect(Command1, &QPushButton::clicked, this, &TavoWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &TavoWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &TavoWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &TavoWindow::Command4_Click);
}

// The keyboard order follows the way the form is filled in, not the screen: the three main
// inputs, calculate and exit, the slope coefficients, view results, then the rest.
void TavoWindow::chainTabOrder() {
    QWidget* const chain[] = {Text1[0],   Text1[1],   Text1[2],   Command1, Command2,
                              Text1[3],   Text1[4],   Command3,   Text1[5], Text1[6],
                              Option1[0], Option1[1], Option1[2], Command4, Text1[7]};
    for (std::size_t i = 1; i < std::size(chain); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
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
        const auto caption = [this](int box) { return withoutColon(Label1[box]->text()); };
        report(failureMessage(failure, caption), failure.box());
    } catch (const kelnor::WriteFailure& failure) {
        report(writeFailureMessage(failure), std::nullopt);
    } catch (const std::exception& e) {
        report(QString::fromStdString(kelnor::form::unexpectedFailureMessage(e.what())),
               std::nullopt);
    } catch (...) {
        report(QString::fromStdString(kelnor::form::unexpectedFailureMessage("?")), std::nullopt);
    }
}

void TavoWindow::Command2_Click() {
    close();
}

void TavoWindow::Command3_Click() {
    open(reportDir_, QString::fromLatin1(kelnor::kReportFileName),
         QString::fromUtf8(kelnor::form::kNoReportYet.data(), kelnor::form::kNoReportYet.size()));
}

void TavoWindow::Command4_Click() {
    open(programDir_, kHelpFileName,
         QString::fromUtf8(kelnor::form::kNoHelpFile.data(), kelnor::form::kNoHelpFile.size()));
}

void TavoWindow::open(const QString& directory, const QString& fileName,
                      const QString& whenMissing) {
    const QString path = QDir(directory).absoluteFilePath(fileName);
    if (!QFileInfo(path).isFile()) {
        notifier_(this, windowTitle(), whenMissing + u'\n' + QDir::toNativeSeparators(path));
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
