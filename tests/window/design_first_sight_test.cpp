// The design window as it first opens on a real (virtual) X screen of the size the test is run
// at (1366×768, a laptop's, and 1920×1080): inside the screen's room, with every input field,
// every result row, the settled crest, the summary and the sketch in sight without scrolling,
// for docs/dam-example.csv (four conditions, a wave wall, a reserve). Then the window's place
// kept between sessions, and the PDF printed while the window goes on.

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "design_window.h"
#include "dialog_watchdog.h"
#include "recording_desktop.h"
#include "freeboard_view.h"
#include "kelnor/sheet/fields.h"

namespace fs = std::filesystem;
using kelnor::sheet::Answer;

class DesignFirstSightTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<DesignWindow> window;
    RecordingDesktop recorded;
    DialogWatchdog watchdog;

    fs::path conditions() const { return fs::path(dir->filePath("dam.csv").toStdString()); }

    std::unique_ptr<DesignWindow> makeWindow() {
        return std::make_unique<DesignWindow>(fs::path(dir->filePath("data").toStdString()),
                                              dir->path(), recorded.desktop());
    }

    template <typename Widget>
    Widget* part(const char* name) const {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }

    // Whether the cell lies whole inside the table's viewport.
    static bool inSight(const QTableView* table, int row, int column) {
        const QRect cell = table->visualRect(table->model()->index(row, column));
        return !cell.isEmpty() && table->viewport()->rect().contains(cell);
    }

  private slots:
    void initTestCase() { watchdog.start(); }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QVERIFY(QFile::copy(QStringLiteral(KELNOR_DAM_EXAMPLE), dir->filePath("dam.csv")));
        recorded.clear();
        recorded.answer = Answer::Discard;
        window = makeWindow();
        window->start(conditions());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        QCOMPARE(watchdog.dialogs, QStringList());
        QCOMPARE(recorded.told, QStringList());
    }

    void everythingIsInSightAtTheFirstSize() {
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(room.contains(window->frameGeometry()),
                 qPrintable(QStringLiteral("window %1×%2 at %3,%4 on a screen of %5×%6")
                                .arg(window->frameGeometry().width())
                                .arg(window->frameGeometry().height())
                                .arg(window->x())
                                .arg(window->y())
                                .arg(room.width())
                                .arg(room.height())));

        const auto* grid = part<QTableView>("conditions");
        const auto* results = part<QTableView>("results");
        QCOMPARE(grid->model()->columnCount(), 4);
        const int fields = int(kelnor::sheet::fields().size());
        // Every field of every condition, and every result row with 坝顶高程 last.
        for (int condition = 0; condition < 4; ++condition) {
            QVERIFY2(inSight(grid, 0, condition), qPrintable(QString::number(condition)));
            QVERIFY2(inSight(grid, fields - 1, condition), qPrintable(QString::number(condition)));
            QVERIFY2(inSight(results, results->model()->rowCount() - 1, condition),
                     qPrintable(QString::number(condition)));
        }
        QCOMPARE(
            results->model()->headerData(results->model()->rowCount() - 1, Qt::Vertical).toString(),
            QStringLiteral("坝顶高程（m）"));
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        QVERIFY(!grid->verticalScrollBar()->isVisible());
        QVERIFY(!results->verticalScrollBar()->isVisible());
        // Compact rows, as a spreadsheet's.
        QVERIFY(grid->rowHeight(0) <= grid->fontMetrics().height() + 4);

        // The settled crest, every line of it, and the summary whole on its line.
        const auto* settled = part<QTableWidget>("settled");
        QVERIFY(settled->rowCount() >= 8);
        QVERIFY(inSight(settled, settled->rowCount() - 1, 1));
        const auto* summary = part<QLabel>("summary");
        QVERIFY(summary->text().startsWith(QStringLiteral("控制工况：设计洪水位")));
        QVERIFY(summary->isVisible());
        QVERIFY(window->centralWidget()->rect().contains(summary->geometry()));
        QVERIFY(summary->height() >= summary->heightForWidth(summary->width()));

        // The sketch has room, and no part of the window is left empty: the grids and the
        // right-hand side share the width.
        const auto* picture = part<FreeboardView>("picture");
        QVERIFY(picture->height() >= 150);
        QVERIFY(picture->width() >= 300);
        const int tables = part<QSplitter>("sides")->sizes().at(0);
        QVERIFY(tables <= grid->verticalHeader()->width() + 4 * grid->columnWidth(0) + 40);
    }

    void thePlaceAndThePartsComeBackNextTime() {
        QSettings settings(dir->filePath("settings.ini"), QSettings::IniFormat);
        window->resize(900, 600);
        window->move(40, 30);
        auto* sides = part<QSplitter>("sides");
        sides->setSizes({500, 380});
        QTest::qWait(50);
        const QList<int> sizes = sides->sizes();
        const QRect place = window->geometry();
        window->savePlace(settings);
        window.reset();

        window = makeWindow();
        window->restorePlace(settings);
        window->start(conditions());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_COMPARE(window->size(), place.size());
        QCOMPARE(part<QSplitter>("sides")->sizes(), sizes);
    }

    void thePdfIsPrintedWhileTheWindowGoesOn() {
#ifdef Q_OS_UNIX
        // A browser that takes a second and a half, then writes its PDF.
        const QString browser = dir->filePath("browser.sh");
        {
            std::ofstream script(browser.toStdString());
            script << "#!/bin/sh\nsleep 1.5\nfor a; do case \"$a\" in --print-to-pdf=*) "
                      "printf '%%PDF-1.4' > \"${a#--print-to-pdf=}\";; esac; done\n";
        }
        QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("KELNOR_BROWSER", browser.toLocal8Bit());

        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        QAction* print = nullptr;
        for (QAction* a : window->findChildren<QAction*>()) {
            print = a->text() == QStringLiteral("计算书 PDF(&P)") ? a : print;
        }
        QVERIFY(print != nullptr);
        print->trigger();
        // Back at once: the status line says what is made and offers the stop.
        auto* status = part<QLabel>("status");
        QVERIFY(status->text().startsWith(QStringLiteral("正在生成计算书 PDF")));
        QVERIFY(part<QPushButton>("stopPrint")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("已生成")), 20000);
        qunsetenv("KELNOR_BROWSER");
        // The event loop ran all the while: some fifty ticks in a second and a half.
        QVERIFY2(ticks >= 30, qPrintable(QString::number(ticks)));
        QVERIFY(!part<QPushButton>("stopPrint")->isVisible());
        QCOMPARE(recorded.opened.size(), std::size_t(1));
        QVERIFY(recorded.opened[0] == conditions().parent_path() / fs::path(u8"dam-计算书.pdf"));
#endif
    }
};

QTEST_MAIN(DesignFirstSightTest)
#include "design_first_sight_test.moc"
