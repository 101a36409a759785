#include "conditions.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <vector>

#include "batch.h"
#include "csv.h"
#include "kelnor/design/book.h"
#include "kelnor/design/method.h"
#include "kelnor/report_file.h"
#include "options.h"

namespace kelnor::cli {

namespace {

// A failure that stops the run with exit status 2.
struct InputError {
    std::string message;
};

std::string columnList() {
    std::string list;
    for (const std::string_view c : design::conditionColumns()) {
        list += list.empty() ? "" : ", ";
        list += c;
    }
    return list;
}

std::vector<std::string> readHeader(CsvReader& reader, const std::string& inputName) {
    CsvRecord record;
    do {
        if (!reader.next(record)) {
            throw InputError{inputName + " has no header row"};
        }
    } while (record.blank);
    if (record.unterminatedQuote || record.tooLong) {
        throw InputError{"the header row of " + inputName + " is not valid CSV"};
    }
    std::vector<std::string> columns;
    const auto& known = design::conditionColumns();
    for (const std::string& cell : record.cells) {
        const std::string name(trimBlanks(cell));
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            throw InputError{"unknown column \"" + name + "\" in " + inputName +
                             "; the columns are " + columnList()};
        }
        if (std::find(columns.begin(), columns.end(), name) != columns.end()) {
            throw InputError{"column \"" + name + "\" appears twice in " + inputName};
        }
        columns.push_back(name);
    }
    return columns;
}

void appendNumber(std::string& line, double x) {
    line += ',';
    appendShortest(line, x);
}

std::string resultLine(const design::Result& r) {
    std::string line;
    appendCsvCell(line, r.condition.label);
    line += ',';
    line += design::formulaName(r.condition.formula);
    for (const double x : {r.waves.hm, r.waves.Tm, r.waves.Lm, r.e, r.runUp.Kw, r.runUp.kp.value,
                           r.runUp.Rm, r.runUp.Rp, r.A, r.y}) {
        appendNumber(line, x);
    }
    line += ',';
    if (r.crest) {
        appendShortest(line, *r.crest);
    }
    line += r.governs ? ",1," : ",0,";
    std::string warnings;
    for (const auto& w : r.warnings) {
        warnings += warnings.empty() ? "" : "; ";
        warnings += design::warningText(w);
    }
    appendCsvCell(line, warnings);
    line += '\n';
    return line;
}

}  // namespace

int runConditions(ConditionsIo& io, const std::optional<std::string>& book) {
    std::vector<design::Cells> rows;
    std::vector<std::string> malformed;  // rows that are not valid CSV rows, with the reason
    try {
        CsvReader reader([&io](char* buffer, std::size_t size) -> std::size_t {
            io.input.read(buffer, static_cast<std::streamsize>(size));
            if (io.input.bad()) {
                throw std::system_error(std::make_error_code(std::errc::io_error));
            }
            return static_cast<std::size_t>(io.input.gcount());
        });
        const std::vector<std::string> columns = readHeader(reader, io.inputName);
        CsvRecord record;
        int n = 0;
        while (reader.next(record)) {
            if (record.blank) {
                continue;
            }
            ++n;
            std::string problem;
            if (record.tooLong) {
                problem = "the row is longer than " +
                          std::to_string(CsvReader::kDefaultMaxRecordBytes) + " bytes";
            } else if (record.unterminatedQuote) {
                problem = "a quoted cell is not closed before the end of " + io.inputName;
            } else if (record.cells.size() != columns.size()) {
                problem = "the row has " + std::to_string(record.cells.size()) +
                          " cells where the header has " + std::to_string(columns.size());
            }
            if (!problem.empty()) {
                malformed.push_back("row " + std::to_string(n) + ": " + problem);
                continue;
            }
            design::Cells cells{n, {}};
            for (std::size_t i = 0; i < columns.size(); ++i) {
                cells.cells.emplace_back(columns[i], std::move(record.cells[i]));
            }
            rows.push_back(std::move(cells));
        }
    } catch (const InputError& e) {
        io.errors << "kelnor-calc: " << e.message << '\n';
        return 2;
    } catch (const std::system_error& e) {
        io.errors << "kelnor-calc: cannot read " << io.inputName << ": " << e.code().message()
                  << '\n';
        return 2;
    }

    const design::Evaluation ev = design::evaluateRows(rows);
    std::string out = "case,formula,hm,Tm,Lm,e,Kw,Kp,Rm,Rp,A,y,crest,governs,warnings\n";
    for (const auto& r : ev.results) {
        out += resultLine(r);
    }
    io.output(out);
    for (const std::string& m : malformed) {
        io.errors << "kelnor-calc: " << m << '\n';
    }
    for (const auto& f : ev.failures) {
        io.errors << "kelnor-calc: " << design::errorText(f) << '\n';
    }
    int status = malformed.empty() && ev.failures.empty() ? 0 : 1;
    if (book) {
        try {
            replaceFile(*book, design::calculationBook(ev));
        } catch (const WriteFailure& f) {
            io.errors << "kelnor-calc: cannot write " << f.path() << ": " << f.reason().message()
                      << '\n';
            status = 1;
        }
    }
    return status;
}

int runConditions(const std::string& input, const std::optional<std::string>& book) {
    if (input == "-") {
        ConditionsIo io{"standard input", std::cin, writeStandardOutput, std::cerr};
        return runConditions(io, book);
    }
    std::ifstream file(input, std::ios::binary);
    if (!file) {
        std::cerr << "kelnor-calc: cannot read " << input << '\n';
        return 2;
    }
    ConditionsIo io{input, file, writeStandardOutput, std::cerr};
    return runConditions(io, book);
}

}  // namespace kelnor::cli
