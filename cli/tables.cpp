#include "tables.h"

#include <iostream>
#include <optional>

#include "kelnor/platform/error_text.h"
#include "kelnor/platform/standard_streams.h"
#include "kelnor/text/text.h"

namespace kelnor::cli {

namespace {

std::string columnList(std::span<const std::string_view> known) {
    std::string list;
    for (const std::string_view c : known) {
        list += list.empty() ? "" : ", ";
        list += c;
    }
    return list;
}

}  // namespace

std::string describe(const csv::TableError& e, std::string_view inputName, std::string_view rows,
                     std::span<const std::string_view> known) {
    const std::string in(inputName);
    switch (e.kind()) {
        case csv::TableErrorKind::ReadFailed:
            return cannotRead(inputName, e.reason());
        case csv::TableErrorKind::NoHeader:
            return in + " has no header row";
        case csv::TableErrorKind::HeaderNotCsv:
            return "the header row of " + in + " is not valid CSV";
        case csv::TableErrorKind::EmptyColumnName:
            return "column " + std::to_string(e.column()) + " of the header of " + in +
                   " has an empty name — " +
                   (e.lastColumn() ? "a trailing comma?" : "two commas in a row?");
        case csv::TableErrorKind::UnknownColumn:
            return "unknown column " + inQuotes(escapeControls(e.name())) + " in " + in +
                   "; the columns are " + columnList(known);
        case csv::TableErrorKind::RepeatedColumn:
            return "column " + inQuotes(escapeControls(e.name())) + " appears twice in " + in;
        case csv::TableErrorKind::NoRows:
            return "no " + std::string(rows) + " in " + in;
        case csv::TableErrorKind::NotText:
            return (e.row() == 0 ? "the header row" : "row " + std::to_string(e.row())) + " of " +
                   in + " is neither UTF-8 nor GBK text";
    }
    return "cannot read " + in;
}

std::string describe(const csv::TableRow& row, std::size_t headerColumns,
                     std::string_view inputName) {
    switch (row.problem) {
        case csv::RowProblem::None:
            break;
        case csv::RowProblem::TooLong:
            return "the row is longer than " +
                   std::to_string(csv::CsvReader::kDefaultMaxRecordBytes) + " bytes";
        case csv::RowProblem::UnclosedQuote:
            return "a quoted cell is not closed before the end of " + std::string(inputName);
        case csv::RowProblem::CellCount:
            return "the row has " + std::to_string(row.cellCount) + " cells where the header has " +
                   std::to_string(headerColumns);
    }
    return {};
}

std::string cannotRead(std::string_view inputName, const std::error_code& reason) {
    return "cannot read " + std::string(inputName) + ": " + platform::reasonText(reason);
}

std::string inputNameOf(const std::string& input) {
    return input == "-" ? std::string("standard input") : escapeControls(input);
}

int runOnInput(const std::string& input, const std::function<int(TableIo&)>& run) {
    const std::string name = inputNameOf(input);
    if (input == "-") {
        TableIo io{name, platform::standardInput(), platform::writeStandardOutput, std::cerr};
        return run(io);
    }
    std::optional<platform::InputFile> file;
    try {
        file.emplace(pathFromUtf8(input));
    } catch (const std::system_error& e) {
        std::cerr << "kelnor-calc: " << cannotRead(name, e.code()) << '\n';
        return 2;
    }
    TableIo io{name, file->source(), platform::writeStandardOutput, std::cerr};
    return run(io);
}

}  // namespace kelnor::cli
