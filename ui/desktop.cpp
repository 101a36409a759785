#include "desktop.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QUrl>

void openWithDesktop(const QString& directory, const QString& fileName) {
    // A file URL carries the Chinese file name intact, whatever the locale's encoding. Whether
    // a viewer is found is the desktop's business: it shows its own message if not.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(directory).absoluteFilePath(fileName)));
}

void showMessageBox(QWidget* window, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, window);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));  // the window speaks Chinese
    box.exec();
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::filesystem::path fileSystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString qtPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/kelnor-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
