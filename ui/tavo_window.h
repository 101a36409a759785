#pragma once

#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

#include "desktop.h"
#include "kelnor/form/presenter.h"
#include "kelnor/inputs.h"

// The program's one window: eight input boxes with their labels, the choice of wind-wave
// formula, the line naming the design code and four commands. It shows no result itself;
// every calculation rewrites the report file. The form's presenter decides what the commands
// do; the window lends it its controls.
class TavoWindow : public QWidget {
    Q_OBJECT

  public:
    // `programDir` is where the help text is opened from, and where the report is written and
    // opened from unless setReportDir names another folder. `opener` hands a file to the desktop's
    // viewer; `notifier` shows the user a message and returns once it is dismissed.
    explicit TavoWindow(const QString& programDir, Opener opener = openWithDesktop,
                        Notifier notifier = showMessageBox, QWidget* parent = nullptr);
    ~TavoWindow() override;

    // Where the report is written and opened from: the program directory unless set.
    void setReportDir(const QString& reportDir);

  private:
    class View;  // the window as the presenter sees it

    void createControls();
    void chainTabOrder();

    Opener opener_;
    Notifier notifier_;
    std::unique_ptr<View> view_;
    kelnor::form::TavoPresenter presenter_;
    std::array<QLineEdit*, kelnor::kBoxCount> Text1{};
    std::array<QRadioButton*, 3> Option1{};
};
