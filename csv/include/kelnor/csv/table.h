#pragma once

// A CSV table with a header naming its columns, as kelnor-calc's --batch and --conditions and
// the design-conditions window read it: RFC 4180 records, in UTF-8 (with or without a
// byte-order mark) or in GBK as Excel saves "CSV (逗号分隔)" on a Chinese Windows, the header
// checked against the columns the reader knows, rows numbered from 1 after the header.

#include <cstddef>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "kelnor/csv/record_reader.h"

namespace kelnor::csv {

// How the table's bytes are read: decided once per file, from its first mebibyte.
enum class Encoding {
    Utf8,  // the bytes are well-formed UTF-8 (or start with its byte-order mark)
    Gbk,   // anything else: GBK, read as GB18030 where the system's converter has it
};

// What stops a table from being read at all.
enum class TableErrorKind {
    ReadFailed,       // the system could not read the input: reason()
    NoHeader,         // nothing but blank lines
    HeaderNotCsv,     // the header row has an unclosed quote or is too long
    EmptyColumnName,  // a header cell is blank: column()
    UnknownColumn,    // name() is not among the known columns
    RepeatedColumn,   // name() stands twice in the header
    NoRows,           // a header and no row
    NotText,          // row() (0: the header) is neither UTF-8 nor GBK text
};

// A table that cannot be read. It carries data only; each front end words it.
class TableError : public std::exception {
  public:
    TableError(TableErrorKind kind, std::string name = {}, int row = 0, int column = 0,
               std::error_code reason = {})
        : kind_(kind), name_(std::move(name)), row_(row), column_(column), reason_(reason) {}

    TableErrorKind kind() const noexcept { return kind_; }
    const std::string& name() const noexcept { return name_; }
    int row() const noexcept { return row_; }
    int column() const noexcept { return column_; }     // 1 for the first header cell
    bool lastColumn() const noexcept { return last_; }  // EmptyColumnName: the header's last
    std::error_code reason() const noexcept { return reason_; }
    const char* what() const noexcept override { return "the table cannot be read"; }

    TableError& atLastColumn(bool last) {
        last_ = last;
        return *this;
    }

  private:
    TableErrorKind kind_;
    std::string name_;
    int row_;
    int column_;
    bool last_ = false;
    std::error_code reason_;
};

// What is wrong with one row; the other rows are read on.
enum class RowProblem {
    None,
    TooLong,        // longer than the record limit; its cells are empty
    UnclosedQuote,  // the input ended inside a quoted cell
    CellCount,      // not as many cells as the header has columns: cellCount
};

struct TableRow {
    int number = 0;  // 1 for the first row after the header; blank lines are not counted
    // The cells as UTF-8, one per header column in the header's order; a row with too few
    // cells is padded with empty ones, extra cells are dropped.
    std::vector<std::string> cells;
    RowProblem problem = RowProblem::None;
    std::size_t cellCount = 0;  // how many cells the row itself had
};

// A `name,value` row above the header, the way an engineer heads an Excel sheet with the values
// that hold for the whole table. Cells after the second are empty (Excel pads a short row with
// empty cells to the width of the table).
struct PreambleRow {
    int line = 0;  // the record's place in the file, 1 for the first
    std::string name;
    std::string value;
};

// Whether a table may be headed by `name,value` rows.
enum class Preamble { None, NameValueRows };

class TableReader {
  public:
    // Reads the header at once. `known` lists the columns a header may name. With
    // Preamble::NameValueRows, the records before the header that hold no more than a name and
    // a value, the name not among `known`, are kept as preamble(); so are those whose name is
    // among `valueNames` (names a row of a value shares with a column) and whose second cell is
    // no column. Blank records and records of empty cells between them are skipped. Raises
    // TableError.
    TableReader(CsvReader::Source source, std::span<const std::string_view> known,
                Preamble preamble = Preamble::None,
                std::span<const std::string_view> valueNames = {});
    // The record reader reads through this object: it stays where it was made.
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    // The header: for each of its columns, the index into `known`.
    const std::vector<std::size_t>& columns() const { return columns_; }
    Encoding encoding() const { return encoding_; }
    // The `name,value` rows above the header, in the file's order, decoded as the rows are.
    const std::vector<PreambleRow>& preamble() const { return preamble_; }

    // The next row; false after the last. Raises TableError: NoRows when the table has none,
    // NotText for a row that does not read in the table's encoding, ReadFailed.
    bool next(TableRow& row);

    // How many bytes of the file decide its encoding.
    static constexpr std::size_t kSniffBytes = std::size_t{1} << 20;

  private:
    // The next bytes: the first ones again from `prefix_`, then the rest from the source.
    std::size_t read(char* buffer, std::size_t size);
    std::size_t readSource(char* buffer, std::size_t size);
    // The record's cells as UTF-8; raises NotText naming `row`.
    void decode(int row);

    CsvReader::Source source_;
    std::string prefix_;  // the first bytes, read to decide the encoding
    std::size_t served_ = 0;
    std::optional<TableError> pendingError_;  // a read error met while reading the first bytes
    Encoding encoding_ = Encoding::Utf8;
    CsvReader reader_;
    CsvRecord record_;
    std::vector<std::size_t> columns_;
    std::vector<PreambleRow> preamble_;
    int rows_ = 0;
};

}  // namespace kelnor::csv
