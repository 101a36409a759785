// The main window on the offscreen platform: layout, keyboard and the four commands. Each test
// gets a fresh window over its own temporary program directory; the opener and the notifier
// are recorded instead of starting a viewer or a modal message box, and a watchdog fails a
// test that opens a modal dialog all the same.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "captions.h"
#include "dialog_watchdog.h"
#include "form_controls.h"
#include "kelnor/form/presenter.h"
#include "kelnor/report.h"
#include "tavo_window.h"

using kelnor::FormulaChoice;
using kelnor::form::kLargestPixelSize;
using kelnor::form::kSmallestPixelSize;

namespace {

// 15 twips to the pixel, edges rounded to the nearest pixel.
QRect pixelsOf(int left, int top, int width, int height) {
    const auto px = [](int twips) { return qRound(twips / 15.0); };
    return QRect(px(left), px(top), px(left + width) - px(left), px(top + height) - px(top));
}

// A frame's caption is its title; every other control's is its text.
QString captionOf(const QWidget* control) {
    return control->property(qobject_cast<const QGroupBox*>(control) ? "title" : "text").toString();
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QStringList kDefaults = {"9.0", "27.0", "4", "0.65", "1.02", "3", "0.4", "1"};

}  // namespace

class TavoWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TavoWindow> window;
    QList<QStringList> opened;  // {directory, file name} per call of the opener
    QStringList titles, messages;
    DialogWatchdog watchdog;
    bool dialogExpected = false;
    QStringList& dialogs = watchdog.dialogs;  // "title|text" of every dialog it closed

    QString reportPath() const { return dir->filePath("tavoout.txt"); }

    void makeWindow(Notifier notifier) {
        window = std::make_unique<TavoWindow>(
            dir->path(),
            [this](const QString& directory, const QString& file) {
                opened.append({directory, file});
            },
            std::move(notifier));
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void setTexts(const QStringList& texts) {
        for (int box = 0; box < kelnor::kBoxCount; ++box) {
            Text1(*window, box)->setText(texts[box]);
        }
    }

    // The report kelnor-calc writes for the same texts and formula.
    static QByteArray commandLineReport(const QStringList& texts, int formula) {
        const char* options[] = {"--depth", "--wind",  "--fetch",     "--roughness",
                                 "--kw",    "--slope", "--allowance", "--kz"};
        QStringList args = {"--formula", QString::number(formula)};
        for (int box = 0; box < kelnor::kBoxCount; ++box) {
            args << options[box] << texts[box];
        }
        QProcess calc;
        calc.start(KELNOR_CALC, args);
        if (!calc.waitForFinished() || calc.exitCode() != 0) {
            return "kelnor-calc failed: " + calc.readAllStandardError();
        }
        return calc.readAllStandardOutput();
    }

  private slots:
    void initTestCase() {
        useChineseApplicationFont();
        watchdog.start();
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        opened.clear();
        titles.clear();
        messages.clear();
        dialogs.clear();
        dialogExpected = false;
        makeWindow([this](QWidget*, const QString& title, const QString& text) {
            titles << title;
            messages << text;
        });
    }

    void cleanup() {
        window.reset();
        if (!dialogExpected) {
            QVERIFY2(dialogs.isEmpty(), qPrintable("unexpected dialog: " + dialogs.join("; ")));
        }
    }

    void startState() {
        QCOMPARE(window->windowTitle(), QStringLiteral("土石坝Kelnor计算"));
        QCOMPARE(window->size(), QSize(413, 264));
        for (int size : {16, 32, 256}) {
            QVERIFY(window->windowIcon().availableSizes().contains(QSize(size, size)));
        }
        for (int box = 0; box < kelnor::kBoxCount; ++box) {
            QCOMPARE(Text1(*window, box)->text(), kDefaults[box]);
        }
        QVERIFY(Option1(*window, 0)->isChecked());
        QVERIFY(!Option1(*window, 1)->isChecked() && !Option1(*window, 2)->isChecked());
        QCOMPARE(QApplication::focusWidget(), Text1(*window, 0));
        QVERIFY(QDir(dir->path()).isEmpty());
    }

    void layout_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        const auto row = [](const char* name, const char* caption, int l, int t, int w, int h) {
            QTest::newRow(name) << QString::fromUtf8(caption) << pixelsOf(l, t, w, h);
        };
        row("Label1(0)", "平均水深(m)：", 360, 240, 1572, 252);
        row("Text1(0)", "9.0", 2280, 120, 852, 372);
        row("Label1(1)", "设计风速(m/s 10米高)：", 360, 660, 2232, 252);
        row("Text1(1)", "27.0", 2280, 540, 852, 372);
        row("Label1(7)", "风速高度修正系数Kz:", 360, 1080, 1812, 252);
        row("Text1(7)", "1", 2280, 960, 852, 372);
        row("Label1(2)", "吹程(km)：", 360, 1500, 1572, 252);
        row("Text1(2)", "4", 2280, 1380, 852, 372);
        row("Label1(3)", "糙率及渗透系数K△:", 360, 1920, 1572, 252);
        row("Text1(3)", "0.65", 2280, 1800, 852, 372);
        row("Label1(4)", "经验系数Kw:", 360, 2340, 1572, 252);
        row("Text1(4)", "1.02", 2280, 2220, 852, 372);
        row("Label1(5)", "边坡系数M:", 360, 2760, 1572, 252);
        row("Text1(5)", "3", 2280, 2640, 852, 372);
        row("Label1(6)", "安全加高(米):", 360, 3180, 1572, 252);
        row("Text1(6)", "0.4", 2280, 3060, 852, 372);
        row("Label2", "依据：《碾压式土石坝设计规范》中莆田公式", 240, 3540, 3732, 252);
        row("Frame1", "风浪要素计算公式", 3360, 60, 2412, 1332);
        row("Option1(0)", "莆田试验站公式", 240, 300, 1992, 312);  // within Frame1
        row("Option1(1)", "安得烈扬诺夫公式", 240, 600, 1992, 312);
        row("Option1(2)", "官厅—鹤地公式", 240, 900, 1992, 312);
        row("Command4", "参数选取说明", 4080, 1560, 1572, 372);
        row("Command1", "计算Kelnor", 4080, 2040, 1572, 372);
        row("Command3", "查看成果", 4080, 2520, 1572, 372);
        row("Command2", "退    出", 4080, 3000, 1572, 372);
    }

    void layout() {
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        const auto* control = window->findChild<QWidget*>(QTest::currentDataTag());
        QVERIFY(control);
        QCOMPARE(captionOf(control), caption);
        QCOMPARE(control->geometry(), geometry);
        QVERIFY(control->isEnabled() && control->isVisible());
        if (const auto* button = qobject_cast<const QPushButton*>(control)) {
            QVERIFY(!button->isDefault() && !button->autoDefault());
        }
    }

    void captionsShowWhole() {
        const QFontInfo font(window->font());
        qInfo("font: %s, %d px", qPrintable(font.family()), font.pixelSize());
        QCOMPARE(font.family(), chineseFontFamily(QFontDatabase::families()));
        QVERIFY(font.pixelSize() >= kSmallestPixelSize && font.pixelSize() <= kLargestPixelSize);
        QVERIFY2(clippedCaptions(*window).isEmpty(),
                 qPrintable(clippedCaptions(*window).join(' ')));

        // The check does see clipping: at 20 px the long wind-speed label runs under its box.
        QFont large = window->font();
        large.setPixelSize(20);
        window->setFont(large);
        QVERIFY(clippedCaptions(*window).contains("Label1(1)"));
    }

    void tabOrder_data() {
        QTest::addColumn<int>("selected");
        QTest::newRow("Putian selected") << 0;
        QTest::newRow("Andreyanov selected") << 1;
        QTest::newRow("Guanting-Hedi selected") << 2;
    }

    void tabOrder() {
        QFETCH(int, selected);
        Option1(*window, selected)->setChecked(true);
        const QStringList expected = {"Text1(1)", "Text1(2)",
                                      "Command1", "Command2",
                                      "Text1(3)", "Text1(4)",
                                      "Command3", "Text1(5)",
                                      "Text1(6)", QStringLiteral("Option1(%1)").arg(selected),
                                      "Command4", "Text1(7)",
                                      "Text1(0)"};
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void arrowKeysChooseWithinTheFormulaGroup() {
        Text1(*window, 6)->setFocus();
        QTest::keyClick(Text1(*window, 6), Qt::Key_Tab);
        QTest::keyClick(Option1(*window, 0), Qt::Key_Down);
        QVERIFY(Option1(*window, 1)->isChecked() && Option1(*window, 1)->hasFocus());
        QTest::keyClick(Option1(*window, 1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Command(*window, 4));
        QTest::keyClick(Command(*window, 4), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), Option1(*window, 1));
    }

    void enterAndEscPressNothing_data() {
        QTest::addColumn<QString>("focused");
        for (const char* name : {"Text1(0)", "Text1(7)", "Option1(0)", "Command1", "Command2",
                                 "Command3", "Command4"}) {
            QTest::newRow(name) << QString(name);
        }
    }

    void enterAndEscPressNothing() {
        QFETCH(QString, focused);
        auto* control = window->findChild<QWidget*>(focused);
        control->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(control, key);
        }
        QVERIFY(window->isVisible());
        QCOMPARE(QApplication::focusWidget(), control);
        QVERIFY(QDir(dir->path()).isEmpty());
        QVERIFY(opened.isEmpty() && messages.isEmpty());
    }

    void calculateWritesTheCoreReport_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("formula");
        QTest::newRow("defaults, Putian") << 0 << kDefaults << 1;
        QTest::newRow("defaults, Andreyanov") << 1 << kDefaults << 2;
        QTest::newRow("defaults, Guanting-Hedi") << 2 << kDefaults << 3;
        QTest::newRow("typed values with blanks, an exponent and full-width digits")
            << 0 << QStringList{" 12.5", "30", "6.2e0", "0.9", "1.08", "2.5", "１．５", "1.10 "}
            << 1;
    }

    void calculateWritesTheCoreReport() {
        QFETCH(int, option);
        QFETCH(QStringList, texts);
        QFETCH(int, formula);
        setTexts(texts);
        Option1(*window, option)->setChecked(true);

        QTest::mouseClick(Command(*window, 1), Qt::LeftButton);

        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        kelnor::InputSet inputs;
        for (int box = 0; box < kelnor::kBoxCount; ++box) {
            inputs.text[box] = texts[box].toStdString();
        }
        const std::string core = kelnor::calculateReport(FormulaChoice(formula), inputs);
        const QByteArray written = contents(reportPath());
        QCOMPARE(written, QByteArray::fromStdString(core));
        QCOMPARE(written, commandLineReport(texts, formula));
    }

    void calculateTwiceReadsTheBoxesAnew() {
        QTest::mouseClick(Command(*window, 1), Qt::LeftButton);
        const QByteArray first = contents(reportPath());

        Text1(*window, 0)->selectAll();
        QTest::keyClicks(Text1(*window, 0), "12");
        Option1(*window, 2)->setChecked(true);
        QTest::mouseClick(Command(*window, 1), Qt::LeftButton);

        QStringList changed = kDefaults;
        changed[0] = "12";
        QCOMPARE(contents(reportPath()), commandLineReport(changed, 3));
        QVERIFY(contents(reportPath()) != first);
    }

    void failedCalculationKeepsEverything_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("namesBox");
        const auto row = [](const char* name, int box, const char* text, const char* message,
                            bool namesBox) {
            QTest::newRow(name) << box << QString::fromUtf8(text) << QString::fromUtf8(message)
                                << namesBox;
        };
        row("letters in the fetch", 2, "abc", "类型不匹配：“吹程(km)”中的“abc”不是数字。", true);
        row("empty depth", 0, "", "类型不匹配：“平均水深(m)”是空的", true);
        row("decimal comma in the allowance, read last", 6, "0,4",
            "“安全加高(米)”中的“0,4”不是数字", true);
        row("K△ named without its colon", 3, "x", "“糙率及渗透系数K△”中的“x”", true);
        row("wind speed beyond a double", 1, "1e400",
            "溢出：“设计风速(m/s 10米高)”中的“1e400”超出了数的范围", true);
        row("depth of zero", 0, "0", "除数为零", false);
    }

    void failedCalculationKeepsEverything() {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(bool, namesBox);
        QFile previous(reportPath());
        QVERIFY(previous.open(QIODevice::WriteOnly) && previous.write("last good report") > 0);
        previous.close();
        Text1(*window, box)->setText(text);

        QTest::mouseClick(Command(*window, 1), Qt::LeftButton);

        QCOMPARE(contents(reportPath()), QByteArray("last good report"));
        QCOMPARE(titles, QStringList{window->windowTitle()});
        QVERIFY2(messages.value(0).contains(message), qPrintable(messages.value(0)));
        QVERIFY(window->isVisible());
        QCOMPARE(Text1(*window, box)->text(), text);
        if (namesBox) {
            QCOMPARE(QApplication::focusWidget(), Text1(*window, box));
            QCOMPARE(Text1(*window, box)->selectedText(), text);
        }
    }

    void unwritableProgramDirectoryIsReported() {
        const QString report = reportPath();
        QVERIFY(dir->remove());  // the program directory is gone: nothing can be written there
        QTest::mouseClick(Command(*window, 1), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].startsWith("报告文件无法写入：" + report), qPrintable(messages[0]));
        QVERIFY(messages[0].contains("原因："));
        QVERIFY(window->isVisible());
    }

    void realMessageBoxIsTitledLikeTheWindow() {
        dialogExpected = true;
        makeWindow(showMessageBox);
        Text1(*window, 2)->setText("abc");
        QTest::mouseClick(Command(*window, 1), Qt::LeftButton);  // returns once the box is closed
        QCOMPARE(dialogs.size(), 1);
        QVERIFY(dialogs[0].startsWith("土石坝Kelnor计算|类型不匹配：“吹程(km)”中的“abc”"));
        QTRY_COMPARE(QApplication::focusWidget(), Text1(*window, 2));
        QCOMPARE(Text1(*window, 2)->selectedText(), QStringLiteral("abc"));
    }

    void openCommands_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("standing");  // at the file's name: file, none or folder
        const auto row = [](const char* name, const char* button, const char* file,
                            const char* standing) {
            QTest::newRow(name) << QString(button) << QString::fromUtf8(file) << QString(standing);
        };
        row("view results", "Command3", "tavoout.txt", "file");
        row("parameter help", "Command4", "帮助文件.txt", "file");
        row("view results before any calculation", "Command3", "tavoout.txt", "none");
        row("help text missing", "Command4", "帮助文件.txt", "none");
        row("report name taken by a folder", "Command3", "tavoout.txt", "folder");
        row("help name taken by a folder", "Command4", "帮助文件.txt", "folder");
    }

    void openCommands() {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(QString, standing);
        if (standing == "file") {
            QFile made(dir->filePath(file));
            QVERIFY(made.open(QIODevice::WriteOnly));
        } else if (standing == "folder") {
            QVERIFY(QDir(dir->path()).mkdir(file));
        }
        QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
        if (standing == "file") {
            QCOMPARE(opened, (QList<QStringList>{{dir->path(), file}}));
            QVERIFY(messages.isEmpty());
        } else {
            // A folder is no document: the viewer is not started on it.
            QVERIFY(opened.isEmpty());
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages[0].contains(dir->filePath(file)), qPrintable(messages[0]));
            QVERIFY(window->isVisible());
        }
    }

    // A program installed where its user may not write keeps its report in the user's data
    // folder: calculated there, opened from there; the help text still beside the program.
    void reportInASeparateFolder() {
        QTemporaryDir data;
        window->setReportDir(data.path());
        QFile help(dir->filePath("帮助文件.txt"));
        QVERIFY(help.open(QIODevice::WriteOnly));
        QTest::mouseClick(Command(*window, 1), Qt::LeftButton);
        QVERIFY(messages.isEmpty());
        QVERIFY(QFileInfo(QDir(data.path()).filePath("tavoout.txt")).isFile());
        QVERIFY(!QFileInfo::exists(reportPath()));
        QTest::mouseClick(Command(*window, 3), Qt::LeftButton);
        QTest::mouseClick(Command(*window, 4), Qt::LeftButton);
        QCOMPARE(opened,
                 (QList<QStringList>{{data.path(), "tavoout.txt"}, {dir->path(), "帮助文件.txt"}}));
    }

    void exitClosesTheWindow() {
        QTest::mouseClick(Command(*window, 2), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(TavoWindowTest)
#include "tavo_window_test.moc"
