#include "batch.h"

#include <array>
#include <cstdint>
#include <iostream>
#include <system_error>
#include <vector>

#include "kelnor/calculation.h"
#include "kelnor/csv/writing.h"
#include "kelnor/failure.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/report.h"
#include "kelnor/text/text.h"
#include "options.h"
#include "tables.h"

namespace kelnor::cli {

namespace {

using csv::appendCsvCell;
using csv::appendShortest;

// The columns a header may name: the case label, the formula, then the eight boxes in the
// order of their indices.
constexpr std::size_t kCaseColumn = 0;
constexpr std::size_t kFormulaColumn = 1;
constexpr std::size_t kFirstBoxColumn = 2;

constexpr std::array<std::string_view, kFirstBoxColumn + kBoxCount> kColumns = [] {
    std::array<std::string_view, kFirstBoxColumn + kBoxCount> names{"case", "formula"};
    for (int b = 0; b < kBoxCount; ++b) {
        names[kFirstBoxColumn + static_cast<std::size_t>(b)] = kBoxOptions[b];
    }
    return names;
}();

// The result columns in the order of the output, and the figures they hold.
constexpr std::string_view kResultColumns[] = {"W",  "Dm", "H1", "T",  "Lambda", "E", "R",
                                               "K1", "K5", "R1", "R5", "B1",     "B5"};

std::array<double, std::size(kResultColumns)> resultFigures(const Results& r) {
    return {r.waves.W,  r.waves.Dm, r.waves.H1, r.waves.T,  r.waves.Lambda, r.waves.E, r.runup.R,
            r.runup.K1, r.runup.K5, r.runup.R1, r.runup.R5, r.runup.B1,     r.runup.B5};
}

// The output, handed on in large blocks.
class Output {
  public:
    explicit Output(std::function<void(std::string_view)> sink) : sink_(std::move(sink)) {}

    std::string line;

    // Hands the finished line on, writing once enough has gathered.
    void endLine() {
        line += '\n';
        if (line.size() >= kBlock) {
            flush();
        }
    }

    void flush() {
        if (!line.empty()) {
            sink_(line);
        }
        line.clear();
    }

  private:
    static constexpr std::size_t kBlock = 64 * 1024;
    std::function<void(std::string_view)> sink_;
};

std::string_view columnName(int box) {
    return kBoxOptions[box];
}

class Batch {
  public:
    Batch(BatchIo& io, const std::optional<std::string>& reportFolder)
        : inputName_(io.inputName),
          table_(io.input, kColumns),
          out_(io.output),
          errors_(io.errors) {
        for (const std::size_t column : table_.columns()) {
            hasCase_ = hasCase_ || column == kCaseColumn;
        }
        if (reportFolder) {
            folder_ = *reportFolder;
            if (folder_.back() != '/') {
                folder_ += '/';  // which Windows takes as well
            }
        }
    }

    // Returns the exit status; raises csv::TableError, or the output's WriteFailure.
    int run() {
        // The header is written with the first row: a table without rows writes nothing.
        bool first = true;
        try {
            while (table_.next(row_)) {
                if (first) {
                    writeHeader();
                    first = false;
                }
                computeRow();
            }
        } catch (const csv::TableError&) {
            out_.flush();  // the rows done so far, before the error ends the batch
            throw;
        }
        out_.flush();
        int status = failed_ > 0 ? 1 : 0;
        if (failed_ > 0) {
            errors_ << "kelnor-calc: " << failed_ << " of " << rows_ << " rows failed\n";
        }
        // The reports were written without waiting for the disk; one flush for all of them.
        if (reportsWritten_ > 0) {
            try {
                platform::flushFolder(folder_);
            } catch (const platform::WriteFailure& failure) {
                errors_ << "kelnor-calc: " << describe(failure) << '\n';
                status = 1;
            }
        }
        return status;
    }

  private:
    void writeHeader() {
        std::string& line = out_.line;
        if (hasCase_) {
            line += "case,";
        }
        line += "formula";
        for (const std::string_view name : kBoxOptions) {
            line += ',';
            line += name;
        }
        for (const std::string_view name : kResultColumns) {
            line += ',';
            line += name;
        }
        line += ",error";
        out_.endLine();
    }

    // Sets the texts of the row from its cells; the error that fails the row, if any.
    std::string takeCells() {
        const std::string error = describe(row_, table_.columns().size(), inputName_);
        // Even a malformed row shows what it holds, cell by cell in the header's order. The
        // cells are taken over, not copied; the reader refills them.
        for (std::size_t i = 0; i < table_.columns().size(); ++i) {
            std::string& cell = row_.cells[i];
            const std::size_t column = table_.columns()[i];
            if (column == kCaseColumn) {
                caseText_.swap(cell);
            } else if (column == kFormulaColumn) {
                formulaText_.swap(cell);
            } else {
                inputs_.text[column - kFirstBoxColumn].swap(cell);
            }
        }
        return error;
    }

    void computeRow() {
        ++rows_;
        std::string error = takeCells();
        std::optional<Results> results;
        if (error.empty()) {
            const auto formula = formulaOf(trimBlanks(formulaText_));
            if (!formula) {
                error = "formula " + inQuotes(escapeControls(formulaText_)) + " is not 1, 2 or 3";
            } else {
                try {
                    results = calculate(*formula, inputs_);
                    if (!folder_.empty()) {
                        platform::replaceFile(
                            pathFromUtf8(folder_ + "tavoout-" + std::to_string(rows_) + ".txt"),
                            formatReport(*formula, inputs_, *results), platform::Flush::Later);
                        ++reportsWritten_;
                    }
                } catch (const Failure& failure) {
                    results.reset();
                    error = describe(failure, columnName);
                } catch (const platform::WriteFailure& failure) {
                    results.reset();
                    error = describe(failure);
                }
            }
        }
        if (!error.empty()) {
            ++failed_;
        }
        writeRow(results, error);
    }

    void writeRow(const std::optional<Results>& results, const std::string& error) {
        std::string& line = out_.line;
        if (hasCase_) {
            appendCsvCell(line, caseText_);
            line += ',';
        }
        appendCsvCell(line, formulaText_);
        for (const std::string& text : inputs_.text) {
            line += ',';
            appendCsvCell(line, text);
        }
        if (results) {
            for (const double x : resultFigures(*results)) {
                line += ',';
                appendShortest(line, x);
            }
        } else {
            line.append(std::size(kResultColumns), ',');
        }
        line += ',';
        appendCsvCell(line, error);
        out_.endLine();
    }

    std::string inputName_;
    std::string folder_;  // with a closing "/", or empty for no reports
    csv::TableReader table_;
    csv::TableRow row_;
    Output out_;
    std::ostream& errors_;
    bool hasCase_ = false;

    InputSet inputs_ = InputSet::defaults();
    std::string caseText_;
    std::string formulaText_ = "1";

    std::uint64_t rows_ = 0;
    std::uint64_t failed_ = 0;
    std::uint64_t reportsWritten_ = 0;
};

}  // namespace

int runBatch(BatchIo& io, const std::optional<std::string>& reportFolder) {
    try {
        if (reportFolder) {
            if (const std::error_code problem = platform::folderProblem(*reportFolder)) {
                io.errors << "kelnor-calc: cannot write reports into "
                          << escapeControls(*reportFolder) << ": " << platform::reasonText(problem)
                          << '\n';
                return 2;
            }
        }
        Batch batch(io, reportFolder);
        return batch.run();
    } catch (const csv::TableError& e) {
        io.errors << "kelnor-calc: " << describe(e, io.inputName, "cases", kColumns) << '\n';
    }
    return 2;
}

}  // namespace kelnor::cli
