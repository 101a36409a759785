#include "kelnor/csv/table.h"

#include <algorithm>
#include <cstring>

#include "kelnor/platform/text_encoding.h"
#include "kelnor/text/text.h"

namespace kelnor::csv {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Whether `bytes` are the first bytes of a UTF-8 character of more bytes than these.
bool startsCharacter(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || bytes.size() >= length) {
        return false;
    }
    return std::all_of(bytes.begin() + 1, bytes.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
}

// Whether `bytes` reads as UTF-8 where it may end in the middle of a character (the first
// bytes of a longer file).
bool readsAsUtf8(std::string_view bytes, bool cutShort) {
    while (!bytes.empty()) {
        const std::size_t n = utf8SequenceLength(bytes);
        if (n == 0) {
            // A character cut off by the end of the bytes read so far goes on in the file; it
            // is checked whole with its row.
            return cutShort && startsCharacter(bytes);
        }
        bytes.remove_prefix(n);
    }
    return true;
}

// Whether every cell of the record is blank: a row Excel writes as a line of commas.
bool onlyBlankCells(const CsvRecord& record) {
    return std::all_of(record.cells.begin(), record.cells.end(),
                       [](const std::string& cell) { return isBlank(cell); });
}

// Whether the record is a `name,value` row heading the table rather than its header: at most
// two cells that are not blank, the first naming no column.
bool isPreambleRow(const CsvRecord& record, std::span<const std::string_view> known,
                   std::span<const std::string_view> valueNames) {
    if (record.cells.empty() || record.unterminatedQuote || record.tooLong) {
        return false;
    }
    if (!std::all_of(record.cells.begin() + std::min<std::ptrdiff_t>(2, record.cells.size()),
                     record.cells.end(), [](const std::string& cell) { return isBlank(cell); })) {
        return false;
    }
    const auto isColumn = [&](std::string_view text) {
        return std::find(known.begin(), known.end(), trimBlanks(text)) != known.end();
    };
    const std::string_view name = trimBlanks(record.cells[0]);
    if (!isColumn(name)) {
        return true;
    }
    // A name that is a column too heads a row of its value where what follows is no column.
    return std::find(valueNames.begin(), valueNames.end(), name) != valueNames.end() &&
           !(record.cells.size() > 1 && isColumn(record.cells[1]));
}

}  // namespace

TableReader::TableReader(CsvReader::Source source, std::span<const std::string_view> known,
                         Preamble preamble, std::span<const std::string_view> valueNames)
    : source_(std::move(source)),
      reader_([this](char* buffer, std::size_t size) { return read(buffer, size); }) {
    // The encoding is decided once, on the first bytes: a file that is UTF-8 there is read as
    // UTF-8 throughout, any other as GBK. A GBK text of a few Chinese characters is almost
    // never also well-formed UTF-8.
    char block[64 * 1024];
    bool atEnd = false;
    try {
        while (prefix_.size() < kSniffBytes) {
            const std::size_t n =
                readSource(block, std::min(sizeof block, kSniffBytes - prefix_.size()));
            if (n == 0) {
                atEnd = true;
                break;
            }
            prefix_.append(block, n);
        }
    } catch (const TableError& e) {
        // The rows before a read error are still read, as when it comes later in the file.
        pendingError_ = e;
    }
    served_ = 0;
    const bool utf8 = prefix_.starts_with(kByteOrderMark) || readsAsUtf8(prefix_, !atEnd);
    encoding_ = utf8 ? Encoding::Utf8 : Encoding::Gbk;

    for (int line = 1;; ++line) {
        if (!reader_.next(record_)) {
            // Rows of a name and a value and no header after them: most likely a header of
            // two columns, the first misspelt.
            if (!preamble_.empty()) {
                throw TableError(TableErrorKind::UnknownColumn, preamble_.back().name, 0, 1);
            }
            throw TableError(TableErrorKind::NoHeader);
        }
        if (record_.blank) {
            continue;
        }
        if (preamble == Preamble::None) {
            break;
        }
        // Decoded before it is looked at: a GBK name is compared as UTF-8.
        decode(0);
        if (onlyBlankCells(record_)) {
            continue;
        }
        if (!isPreambleRow(record_, known, valueNames)) {
            break;
        }
        PreambleRow row{line, std::string(trimBlanks(record_.cells[0])),
                        record_.cells.size() > 1 ? record_.cells[1] : std::string()};
        preamble_.push_back(std::move(row));
    }
    if (record_.unterminatedQuote || record_.tooLong) {
        throw TableError(TableErrorKind::HeaderNotCsv);
    }
    if (preamble == Preamble::None) {
        decode(0);
    }
    for (std::size_t i = 0; i < record_.cells.size(); ++i) {
        const std::string name(trimBlanks(record_.cells[i]));
        const int column = static_cast<int>(i) + 1;
        if (name.empty()) {
            throw TableError(TableErrorKind::EmptyColumnName, {}, 0, column)
                .atLastColumn(i + 1 == record_.cells.size());
        }
        const auto at = std::find(known.begin(), known.end(), name);
        if (at == known.end()) {
            throw TableError(TableErrorKind::UnknownColumn, name, 0, column);
        }
        const auto index = static_cast<std::size_t>(at - known.begin());
        if (std::find(columns_.begin(), columns_.end(), index) != columns_.end()) {
            throw TableError(TableErrorKind::RepeatedColumn, name, 0, column);
        }
        columns_.push_back(index);
    }
}

std::size_t TableReader::read(char* buffer, std::size_t size) {
    if (served_ < prefix_.size()) {
        const std::size_t n = std::min(size, prefix_.size() - served_);
        std::memcpy(buffer, prefix_.data() + served_, n);
        served_ += n;
        if (served_ == prefix_.size()) {
            prefix_ = std::string();  // its memory back once it has been read
            served_ = 0;
        }
        return n;
    }
    if (pendingError_) {
        throw *pendingError_;
    }
    return readSource(buffer, size);
}

std::size_t TableReader::readSource(char* buffer, std::size_t size) {
    try {
        return source_(buffer, size);
    } catch (const std::system_error& e) {
        throw TableError(TableErrorKind::ReadFailed, {}, rows_, 0, e.code());
    }
}

void TableReader::decode(int row) {
    for (std::string& cell : record_.cells) {
        if (encoding_ == Encoding::Utf8) {
            if (!isUtf8(cell)) {
                throw TableError(TableErrorKind::NotText, {}, row);
            }
        } else if (auto utf8 = platform::gbkToUtf8(cell)) {
            cell = std::move(*utf8);
        } else {
            throw TableError(TableErrorKind::NotText, {}, row);
        }
    }
}

bool TableReader::next(TableRow& row) {
    do {
        if (!reader_.next(record_)) {
            if (rows_ == 0) {
                throw TableError(TableErrorKind::NoRows);
            }
            return false;
        }
    } while (record_.blank);
    row.number = ++rows_;
    row.cellCount = record_.cells.size();
    row.problem = record_.tooLong                    ? RowProblem::TooLong
                  : record_.unterminatedQuote        ? RowProblem::UnclosedQuote
                  : row.cellCount != columns_.size() ? RowProblem::CellCount
                                                     : RowProblem::None;
    decode(row.number);
    // The cells are taken over, not copied; the record reader refills them.
    record_.cells.resize(columns_.size());
    row.cells.swap(record_.cells);
    return true;
}

}  // namespace kelnor::csv
