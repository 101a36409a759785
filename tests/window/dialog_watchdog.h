#pragma once

// Closes every modal dialog a window test opens and records it as "title|text", so a test that
// shows an unexpected message fails on its record instead of waiting for a click that never
// comes.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

class DialogWatchdog : public QObject {
  public:
    QStringList dialogs;

    void start() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                const auto* box = qobject_cast<QMessageBox*>(modal);
                dialogs << modal->windowTitle() + u'|' + (box ? box->text() : QString());
                modal->close();
            }
        });
        timer_.start(50);
    }

  private:
    QTimer timer_;
};
