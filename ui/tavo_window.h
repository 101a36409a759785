#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "desktop.h"
#include "kelnor/failure.h"
#include "kelnor/inputs.h"

// The program's one window: eight input boxes with their labels, the choice of wind-wave
// formula, the line naming the design code and four commands. It shows no result itself;
// every calculation rewrites the report file in the program directory.
class TavoWindow : public QWidget {
    Q_OBJECT

  public:
    // `programDir` is where the help text is opened from, and where the report is written and
    // opened from unless setReportDir names another folder. `opener` hands a file to the desktop's
    // viewer; `notifier` shows the user a message and returns once it is dismissed.
    explicit TavoWindow(QString programDir, Opener opener = openWithDesktop,
                        Notifier notifier = showMessageBox, QWidget* parent = nullptr);

    // The calculation run: reads Text1(0) to Text1(7) as they stand, calculates with the
    // formula `Igs` and rewrites the report. Raises kelnor::Failure or kelnor::WriteFailure;
    // then the previous report is untouched.
    void tavo(kelnor::FormulaChoice& Igs);

    const QString& programDir() const { return programDir_; }

    // Where the report is written and opened from: the program directory unless set.
    const QString& reportDir() const { return reportDir_; }
    void setReportDir(QString reportDir) { reportDir_ = std::move(reportDir); }

    // The controls, by the names and indices the layout uses.
    std::array<QLabel*, kelnor::kBoxCount> Label1{};
    std::array<QLineEdit*, kelnor::kBoxCount> Text1{};
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 3> Option1{};
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr;  // calculate
    QPushButton* Command2 = nullptr;  // exit
    QPushButton* Command3 = nullptr;  // view results
    QPushButton* Command4 = nullptr;  // parameter help

  public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

  private:
    void createControls();
    void chainTabOrder();
    void useFittingFont();
    void open(const QString& directory, const QString& fileName, std::string_view whenMissing);
    // Shows `message`; then the box at fault, if any, takes the focus with its text selected.
    void report(const QString& message, std::optional<int> box);

    QString programDir_;
    QString reportDir_;
    Opener opener_;
    Notifier notifier_;
};
