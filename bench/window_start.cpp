// A program that starts a window, waits for its first paint and ends: the design window when
// built with KELNOR_DESIGN_WINDOW, else a bare Qt main window of the same size holding one line
// of Chinese text (with no text at all a window loads no font, which no real window avoids;
// `empty` as the argument leaves it out). window_bench times whole runs of each, from the
// program's start to its end after the first paint.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>

#ifdef KELNOR_DESIGN_WINDOW
#include "captions.h"
#include "design_window.h"
#endif

namespace {

// Ends the event loop after the first paint of the window it watches.
class FirstPaint final : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifdef KELNOR_DESIGN_WINDOW
    useChineseApplicationFont();  // as kelnor-design's main() does
    QTemporaryDir data;  // no autosave: the first start's three conditions
    DesignWindow window(data.path().toStdString(), data.path());
    window.start(std::nullopt);
#else
    QMainWindow window;
    if (app.arguments().value(1) != QStringLiteral("empty")) {
        window.setCentralWidget(new QLabel(QStringLiteral("坝顶高程计算（规范方法）")));
    }
#endif
    FirstPaint watch;
    window.installEventFilter(&watch);
    window.resize(1000, 720);
    window.show();
    return QApplication::exec();
}
