#pragma once

// The window's controls, found by the ids the form gives them: "Text1(0)", "Option1(2)",
// "Command1" …

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

template <typename Control>
Control* formControl(const QWidget& window, const QString& id) {
    auto* found = window.findChild<Control*>(id);
    if (found == nullptr) {
        qFatal("the window has no %s", qPrintable(id));
    }
    return found;
}

inline QLabel* Label1(const QWidget& window, int box) {
    return formControl<QLabel>(window, QStringLiteral("Label1(%1)").arg(box));
}

inline QLineEdit* Text1(const QWidget& window, int box) {
    return formControl<QLineEdit>(window, QStringLiteral("Text1(%1)").arg(box));
}

inline QRadioButton* Option1(const QWidget& window, int option) {
    return formControl<QRadioButton>(window, QStringLiteral("Option1(%1)").arg(option));
}

// Command1 calculates, Command2 exits, Command3 views the results, Command4 shows the help.
inline QPushButton* Command(const QWidget& window, int number) {
    return formControl<QPushButton>(window, QStringLiteral("Command%1").arg(number));
}
