#include "batch.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <system_error>
#include <vector>

#include "csv.h"
#include "kelnor/calculation.h"
#include "kelnor/failure.h"
#include "kelnor/report.h"
#include "kelnor/report_file.h"
#include "options.h"
#include "program.h"

namespace kelnor::cli {

namespace {

// What a header cell names: a box index 0..7, or one of these.
constexpr int kCaseColumn = -2;
constexpr int kFormulaColumn = -1;

// The result columns, each with the figure it holds, in the order of the output.
struct ResultColumn {
    std::string_view name;
    double (*value)(const Results&);
};

constexpr ResultColumn kResultColumns[] = {
    {"W", [](const Results& r) { return r.waves.W; }},
    {"Dm", [](const Results& r) { return r.waves.Dm; }},
    {"H1", [](const Results& r) { return r.waves.H1; }},
    {"T", [](const Results& r) { return r.waves.T; }},
    {"Lambda", [](const Results& r) { return r.waves.Lambda; }},
    {"E", [](const Results& r) { return r.waves.E; }},
    {"R", [](const Results& r) { return r.runup.R; }},
    {"K1", [](const Results& r) { return r.runup.K1; }},
    {"K5", [](const Results& r) { return r.runup.K5; }},
    {"R1", [](const Results& r) { return r.runup.R1; }},
    {"R5", [](const Results& r) { return r.runup.R5; }},
    {"B1", [](const Results& r) { return r.runup.B1; }},
    {"B5", [](const Results& r) { return r.runup.B5; }},
};

// A failure that stops the whole batch with exit status 2.
struct BatchError {
    std::string message;
};

std::optional<int> columnOf(std::string_view name) {
    if (name == "case") {
        return kCaseColumn;
    }
    if (name == "formula") {
        return kFormulaColumn;
    }
    for (int b = 0; b < kBoxCount; ++b) {
        if (kBoxOptions[b] == name) {
            return b;
        }
    }
    return std::nullopt;
}

// Reads the input with read(2), raising the system's error.
CsvReader::Source readFrom(int fd) {
    return [fd](char* buffer, std::size_t size) -> std::size_t {
        while (true) {
            const ssize_t n = ::read(fd, buffer, size);
            if (n >= 0) {
                return static_cast<std::size_t>(n);
            }
            if (errno != EINTR) {
                throw std::system_error(errno, std::generic_category());
            }
        }
    };
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

std::string quoted(std::string_view text) {
    std::string result(1, '"');
    result += text;
    result += '"';
    return result;
}

class Batch {
  public:
    Batch(BatchIo& io, const std::optional<std::string>& reportFolder)
        : inputName_(io.inputName), reader_(io.input), out_(io.output), errors_(io.errors) {
        if (reportFolder) {
            folder_ = *reportFolder;
            if (folder_.back() != '/') {
                folder_ += '/';
            }
        }
    }

    // Returns the exit status; raises BatchError, or the output's WriteFailure.
    int run() {
        readHeader();
        writeHeader();
        try {
            while (reader_.next(record_)) {
                if (!record_.blank) {
                    computeRow();
                }
            }
        } catch (const std::system_error&) {
            out_.flush();  // the rows done so far, before the read error ends the batch
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
                flushFolder(folder_);
            } catch (const WriteFailure& failure) {
                errors_ << "kelnor-calc: " << describe(failure) << '\n';
                status = 1;
            }
        }
        return status;
    }

  private:
    void readHeader() {
        do {
            if (!reader_.next(record_)) {
                throw BatchError{inputName_ + " has no header row"};
            }
        } while (record_.blank);
        if (record_.unterminatedQuote || record_.tooLong) {
            throw BatchError{"the header row of " + inputName_ + " is not valid CSV"};
        }
        for (const std::string& cell : record_.cells) {
            const std::string_view name = trimBlanks(cell);
            const std::optional<int> column = columnOf(name);
            if (!column) {
                throw BatchError{"unknown column " + quoted(name) + " in " + inputName_ +
                                 "; the columns are case, formula, depth, wind, fetch, "
                                 "roughness, kw, slope, allowance, kz"};
            }
            for (const int seen : columns_) {
                if (seen == *column) {
                    throw BatchError{"column " + quoted(name) + " appears twice in " + inputName_};
                }
            }
            columns_.push_back(*column);
            hasCase_ = hasCase_ || *column == kCaseColumn;
        }
    }

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
        for (const ResultColumn& column : kResultColumns) {
            line += ',';
            line += column.name;
        }
        line += ",error";
        out_.endLine();
    }

    // Sets the texts of the row from its cells; the error that fails the row, if any.
    std::string takeCells() {
        std::string error;
        if (record_.tooLong) {
            error = "the row is longer than " + std::to_string(CsvReader::kDefaultMaxRecordBytes) +
                    " bytes";
        } else if (record_.unterminatedQuote) {
            error = "a quoted cell is not closed before the end of " + inputName_;
        } else if (record_.cells.size() != columns_.size()) {
            error = "the row has " + std::to_string(record_.cells.size()) +
                    " cells where the header has " + std::to_string(columns_.size());
        }
        // Even a malformed row shows what it holds, cell by cell in the header's order. The
        // cells are taken over, not copied; the reader refills them.
        record_.cells.resize(std::max(record_.cells.size(), columns_.size()));
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            std::string& cell = record_.cells[i];
            switch (columns_[i]) {
                case kCaseColumn:
                    caseText_.swap(cell);
                    break;
                case kFormulaColumn:
                    formulaText_.swap(cell);
                    break;
                default:
                    inputs_.text[columns_[i]].swap(cell);
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
                error = "formula " + quoted(formulaText_) + " is not 1, 2 or 3";
            } else {
                try {
                    results = calculate(*formula, inputs_);
                    if (!folder_.empty()) {
                        replaceFile(folder_ + "tavoout-" + std::to_string(rows_) + ".txt",
                                    formatReport(*formula, inputs_, *results), Flush::Later);
                        ++reportsWritten_;
                    }
                } catch (const Failure& failure) {
                    results.reset();
                    error = describe(failure, columnName);
                } catch (const WriteFailure& failure) {
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
        for (const ResultColumn& column : kResultColumns) {
            line += ',';
            if (results) {
                appendShortest(line, column.value(*results));
            }
        }
        line += ',';
        appendCsvCell(line, error);
        out_.endLine();
    }

    std::string inputName_;
    std::string folder_;  // with a closing "/", or empty for no reports
    CsvReader reader_;
    CsvRecord record_;
    Output out_;
    std::ostream& errors_;

    std::vector<int> columns_;  // what each cell of a row is, in the header's order
    bool hasCase_ = false;

    InputSet inputs_ = InputSet::defaults();
    std::string caseText_;
    std::string formulaText_ = "1";

    std::uint64_t rows_ = 0;
    std::uint64_t failed_ = 0;
    std::uint64_t reportsWritten_ = 0;
};

}  // namespace

// Standard output, raising the system's reason when it cannot be written.
void writeStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw WriteFailure("standard output",
                               std::error_code(n < 0 ? errno : EIO, std::generic_category()));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

int runBatch(BatchIo& io, const std::optional<std::string>& reportFolder) {
    try {
        if (reportFolder) {
            if (const std::error_code problem = folderProblem(*reportFolder)) {
                throw BatchError{"cannot write reports into " + *reportFolder + ": " +
                                 problem.message()};
            }
        }
        Batch batch(io, reportFolder);
        return batch.run();
    } catch (const BatchError& e) {
        io.errors << "kelnor-calc: " << e.message << '\n';
    } catch (const std::system_error& e) {
        io.errors << "kelnor-calc: cannot read " << io.inputName << ": " << e.code().message()
                  << '\n';
    }
    return 2;
}

int runBatch(const std::string& input, const std::optional<std::string>& reportFolder) {
    int fd = STDIN_FILENO;
    if (input != "-") {
        fd = openForReading(input);
        if (fd < 0) {
            std::cerr << "kelnor-calc: cannot read " << input << ": " << std::strerror(errno)
                      << '\n';
            return 2;
        }
    }
    BatchIo io{input == "-" ? "standard input" : input, readFrom(fd), writeStandardOutput,
               std::cerr};
    const int status = runBatch(io, reportFolder);
    if (fd != STDIN_FILENO) {
        ::close(fd);
    }
    return status;
}

}  // namespace kelnor::cli
