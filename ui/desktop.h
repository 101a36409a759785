#pragma once

#include <QString>

#include <functional>

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
