#include "desktop.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
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
