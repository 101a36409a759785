#pragma once

#include <QIcon>
#include <QString>

#include <filesystem>
#include <functional>
#include <string_view>

class QWidget;

// Hands the file `fileName` of `directory` to the desktop, which opens it with the viewer
// associated with it. Returns at once, without waiting for the viewer.
using Opener = std::function<void(const QString& directory, const QString& fileName)>;

// Shows `text` to the user in a message owned by `window`, titled `title`, and returns once
// the user has dismissed it.
using Notifier = std::function<void(QWidget* window, const QString& title, const QString& text)>;

// The desktop's default viewer for the file (xdg-open on a Linux desktop).
void openWithDesktop(const QString& directory, const QString& fileName);

// A modal warning box with an OK button.
void showMessageBox(QWidget* window, const QString& title, const QString& text);

// A UTF-8 text of the core as Qt's.
QString text(std::string_view utf8);

// File names pass between Qt and the core as the file system's bytes.
std::filesystem::path fileSystemPath(const QString& path);
QString qtPath(const std::filesystem::path& path);

// The program's icon at every size it is drawn in.
QIcon programIcon();
