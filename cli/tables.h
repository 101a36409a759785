#pragma once

// What --batch and --conditions share: where a run over a CSV table reads and writes, and the
// command line's words for a table that cannot be read, or a row of it.

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "kelnor/csv/table.h"
#include "kelnor/platform/input_file.h"

namespace kelnor::cli {

// Where a run over a table reads and writes: the program's streams, or a test's.
struct TableIo {
    std::string inputName;                         // how messages name the input
    platform::ByteSource input;                    // raises std::system_error on a read error
    std::function<void(std::string_view)> output;  // raises platform::WriteFailure
    std::ostream& errors;
};

// Runs `run` over the table `input`, a file or "-" for standard input, with the program's
// standard output and error. A file that cannot be opened is exit status 2 with the reason.
int runOnInput(const std::string& input, const std::function<int(TableIo&)>& run);

// The message for a table that cannot be read, e.g.
//   unknown column "depht" in cases.csv; the columns are case, formula, ...
// `rows` names what the table's rows are ("cases", "conditions") and `known` the columns a
// header may name.
std::string describe(const csv::TableError& e, std::string_view inputName, std::string_view rows,
                     std::span<const std::string_view> known);

// What is wrong with a row, e.g. "the row has 3 cells where the header has 8".
std::string describe(const csv::TableRow& row, std::size_t headerColumns,
                     std::string_view inputName);

// A file that could not be opened: "cannot read FILE: No such file or directory".
std::string cannotRead(std::string_view inputName, const std::error_code& reason);

// The name of an input as messages show it: "standard input" for "-", else the file name
// with control characters escaped.
std::string inputNameOf(const std::string& input);

}  // namespace kelnor::cli
