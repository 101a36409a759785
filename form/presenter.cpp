#include "kelnor/form/presenter.h"

#include <exception>

#include "kelnor/failure.h"
#include "kelnor/form/layout.h"
#include "kelnor/form/messages.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/program_folder.h"
#include "kelnor/report.h"
#include "kelnor/report_file.h"
#include "kelnor/text/text.h"

namespace kelnor::form {

namespace {

namespace fs = std::filesystem;

}  // namespace

TavoPresenter::TavoPresenter(FormView& view, fs::path programFolder, fs::path reportFolder)
    : view_(view),
      programFolder_(std::move(programFolder)),
      reportFolder_(std::move(reportFolder)) {}

bool TavoPresenter::press(std::string_view button) {
    static constexpr struct {
        std::string_view button;
        void (TavoPresenter::*command)();
    } kCommands[] = {
        {"Command1", &TavoPresenter::calculate},
        {"Command2", &TavoPresenter::exit},
        {"Command3", &TavoPresenter::viewResults},
        {"Command4", &TavoPresenter::showHelp},
    };
    for (const auto& [name, command] : kCommands) {
        if (name == button) {
            (this->*command)();
            return true;
        }
    }
    return false;
}

int TavoPresenter::fitFont() {
    for (int size = kLargestPixelSize; size > kSmallestPixelSize; --size) {
        view_.setFontPixelSize(size);
        if (view_.clippedCaptions().empty()) {
            return size;
        }
    }
    view_.setFontPixelSize(kSmallestPixelSize);
    return kSmallestPixelSize;
}

FormulaChoice TavoPresenter::formula() const {
    // Option1(2) is never looked at: 3 stands for neither of the first two being selected.
    return view_.optionSelected(0)   ? FormulaChoice::Putian
           : view_.optionSelected(1) ? FormulaChoice::Andreyanov
                                     : FormulaChoice::GuantingHedi;
}

InputSet TavoPresenter::inputs() const {
    InputSet typed;
    for (int box = 0; box < kBoxCount; ++box) {
        typed.text[static_cast<std::size_t>(box)] = view_.boxText(box);
    }
    return typed;
}

void TavoPresenter::calculate() {
    // Nothing that goes wrong in a calculation ends the program: the user is told, and the
    // texts typed stay as they are.
    try {
        const FormulaChoice Igs = formula();
        const InputSet typed = inputs();
        // All arithmetic happens before the file is touched, so a failure leaves the last
        // report.
        const std::string bytes = calculateReport(Igs, typed);
        writeReportFile(utf8Path(reportFolder_), bytes);
    } catch (const Failure& failure) {
        report(failureMessage(failure, boxName), failure.box());
    } catch (const platform::WriteFailure& failure) {
        report(writeFailureMessage(failure.path(), platform::reasonText(failure.reason())),
               std::nullopt);
    } catch (const std::exception& e) {
        report(unexpectedFailureMessage(e.what()), std::nullopt);
    } catch (...) {
        report(unexpectedFailureMessage("?"), std::nullopt);
    }
}

void TavoPresenter::exit() {
    view_.closeWindow();
}

void TavoPresenter::viewResults() {
    open(reportFolder_ / kReportFileName, kNoReportYet);
}

void TavoPresenter::showHelp() {
    open(platform::helpFile(programFolder_).path, kNoHelpFile);
}

void TavoPresenter::open(const fs::path& file, std::string_view whenMissing) {
    // A folder of that name is no document: the viewer is not started on it.
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        report(missingFileMessage(whenMissing, utf8Path(file)), std::nullopt);
        return;
    }
    if (const std::error_code error = view_.openDocument(file)) {
        report(openFailureMessage(utf8Path(file),
                                  platform::reasonText(error, utf8Path(file.filename()))),
               std::nullopt);
    }
}

void TavoPresenter::report(const std::string& message, std::optional<int> box) {
    view_.tell(message);
    // Straight back to the box at fault, its text selected for typing over.
    if (box) {
        view_.focusBox(*box);
    }
}

}  // namespace kelnor::form
