#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "kelnor/inputs.h"
#include "kelnor/platform/program_folder.h"

// What the window does, once for every toolkit: which formula the options choose, what the
// four buttons do, how a failure is told and where the user is taken back to, and which font
// size the captions get. A window only maps its controls to a FormView.
namespace kelnor::form {

// The parameter help text, which lies beside the program.
inline constexpr std::string_view kHelpFileName = platform::kHelpFileName;

// The caption font sizes, in pixels at 96 dpi, tried from the largest down: the layout was
// drawn for captions of about 12 pixels, and below 8 the Chinese characters lose their strokes.
inline constexpr int kLargestPixelSize = 12;
inline constexpr int kSmallestPixelSize = 8;

// A window as the presenter sees it: its controls by the form's names and indices, texts in
// UTF-8.
class FormView {
  public:
    virtual ~FormView() = default;

    // The text of input box Text1(`box`) as it stands.
    virtual std::string boxText(int box) const = 0;
    // Whether Option1(`option`) is the selected formula.
    virtual bool optionSelected(int option) const = 0;

    // Shows `message` titled as the window, and returns once the user has dismissed it.
    virtual void tell(const std::string& message) = 0;
    // Gives Text1(`box`) the keyboard, its whole text selected for typing over.
    virtual void focusBox(int box) = 0;
    // Hands `file` to the viewer the user has chosen for it, without waiting for the viewer;
    // the system's reason when none could be started.
    virtual std::error_code openDocument(const std::filesystem::path& file) = 0;
    // Closes the window, which ends the program.
    virtual void closeWindow() = 0;

    // Sets the captions' font to `size` pixels at 96 dpi, scaled to the screen.
    virtual void setFontPixelSize(int size) = 0;
    // The controls, by Control::id, whose caption does not show whole in the current font.
    virtual std::vector<std::string> clippedCaptions() const = 0;
};

class TavoPresenter {
  public:
    // `programFolder` holds the help text; `reportFolder` is where the report is written and
    // opened from.
    TavoPresenter(FormView& view, std::filesystem::path programFolder,
                  std::filesystem::path reportFolder);

    const std::filesystem::path& programFolder() const { return programFolder_; }
    const std::filesystem::path& reportFolder() const { return reportFolder_; }
    void setReportFolder(std::filesystem::path folder) { reportFolder_ = std::move(folder); }

    // Carries out the command of the button the form names `button`: Command1 calculates,
    // Command2 exits, Command3 opens the report and Command4 the help text. False, and nothing
    // done, for a name that is no button.
    bool press(std::string_view button);

    // Sets the largest font size at which every caption shows whole, or the smallest size when
    // none is; returns the size set.
    int fitFont();

  private:
    void calculate();
    void exit();
    void viewResults();
    void showHelp();

    FormulaChoice formula() const;
    InputSet inputs() const;
    void open(const std::filesystem::path& file, std::string_view whenMissing);
    // Shows `message`; then the box at fault, if any, takes the keyboard.
    void report(const std::string& message, std::optional<int> box);

    FormView& view_;
    std::filesystem::path programFolder_;
    std::filesystem::path reportFolder_;
};

}  // namespace kelnor::form
