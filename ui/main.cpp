// kelnor: the calculator's window.

#include <QApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "captions.h"
#include "kelnor/form/layout.h"
#include "kelnor/form/report_folder.h"
#include "tavo_window.h"

namespace {

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Without a display Qt aborts with a page about platform plugins; a user started from a
// terminal without one should rather hear so in a line. A platform chosen explicitly, such as
// offscreen, is left to Qt.
bool displayReachable(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) {
            return true;
        }
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0' && std::strncmp(platform, "xcb", 3) != 0 &&
        std::strncmp(platform, "wayland", 7) != 0) {
        return true;
    }
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

// Centres the window with its frame on the work area of its screen. A top-level window's
// position is that of its frame's top-left corner.
void centreWithFrame(QWidget& window) {
    const QRect area = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    const kelnor::form::Origin origin =
        kelnor::form::centredOrigin(frame.width(), frame.height(),
                                    {area.left(), area.top(), area.right() + 1, area.bottom() + 1});
    window.move(origin.x, origin.y);
}

// Centres the window again whenever the size of its frame changes.
class FrameWatch : public QObject {
  public:
    explicit FrameWatch(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ &&
            (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            const QSize frame = window_.frameGeometry().size();
            if (frame != centredFor_) {
                centredFor_ = frame;
                centreWithFrame(window_);
            }
        }
        return false;
    }

  private:
    QWidget& window_;
    QSize centredFor_;
};

}  // namespace

int main(int argc, char** argv) {
    if (!displayReachable(argc, argv)) {
        std::fputs(
            "kelnor: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
            "start it in a desktop session, or calculate with kelnor-calc\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelnor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kelnor"));
    useChineseApplicationFont();

    // The help text lives beside the program, and so does the report where the user may
    // write there; a program installed for all users writes it to the user's data folder.
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString dataDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/kelnor";
    TavoWindow window(programDir);
    window.setReportDir(QString::fromStdString(
        kelnor::form::reportFolder(programDir.toStdString(), dataDir.toStdString()).string()));
    centreWithFrame(window);
    window.show();
    // An X window manager frames the window some time after it is shown; it is centred again,
    // frame and all, as the frame arrives, until the user has had a moment to move it.
    auto* recentring = new FrameWatch(window);
    QTimer::singleShot(2000, recentring, &QObject::deleteLater);
    return app.exec();
}
