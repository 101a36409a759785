// kelnor-design: the design-conditions window.

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStringList>

#include <filesystem>
#include <optional>

#include "captions.h"
#include "design_window.h"
#include "kelnor/platform/program_folder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("kelnor"));
    QApplication::setApplicationName(QStringLiteral("kelnor-design"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kelnor-design"));
    useChineseApplicationFont();

    // The file to open is the first argument Qt leaves (a file dropped on the program's icon).
    std::optional<std::filesystem::path> file;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        file = std::filesystem::path(QFile::encodeName(arguments.at(1)).toStdString());
    }

    DesignWindow window(kelnor::platform::userDataFolder(), QCoreApplication::applicationDirPath());
    QSettings settings;
    window.restorePlace(settings);
    // Shown first, so a message about the file named (one that cannot be read) has its window.
    window.show();
    window.start(file);
    const int status = app.exec();
    window.savePlace(settings);
    return status;
}
