#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelnor::csv {

// One record of a CSV file.
struct CsvRecord {
    std::vector<std::string> cells;
    bool blank = false;              // an empty line: no character at all before its end
    bool unterminatedQuote = false;  // the input ended inside a quoted cell
    bool tooLong = false;            // longer than the reader's limit; its cells are dropped
};

// Reads comma-separated records one at a time from a byte source, holding no more than the
// current record and one block of input: a file of any length reads in constant memory.
//
// The format is RFC 4180: cells separated by commas, records ended by CR LF or LF (a lone
// CR also ends a record), a cell in double quotes may hold commas, line ends and doubled
// quotes "" standing for one quote. A UTF-8 byte-order mark at the very start is skipped.
// The end of input ends the last record whether or not a line end precedes it.
//
// Input outside the RFC is read leniently rather than refused: a quote inside an unquoted
// cell is an ordinary character, and text after a closing quote joins the cell ("ab"c is
// abc).
class CsvReader {
  public:
    // Fills `buffer` with up to `size` bytes and returns how many; 0 at the end of input.
    // A read error is raised as an exception, which passes out of next().
    using Source = std::function<std::size_t(char* buffer, std::size_t size)>;

    static constexpr std::size_t kDefaultMaxRecordBytes = std::size_t{1} << 20;

    // A record of more than `maxRecordBytes` (cell bytes and separators) is read to its end
    // but not kept, so one stray quote cannot pull the rest of a large file into memory.
    explicit CsvReader(Source source, std::size_t maxRecordBytes = kDefaultMaxRecordBytes);

    // Reads the next record into `record`, reusing its storage; false at the end of input.
    bool next(CsvRecord& record);

  private:
    static constexpr int kEnd = -1;

    int get() { return pos_ < end_ || fill() ? static_cast<unsigned char>(buffer_[pos_++]) : kEnd; }
    int peek() { return pos_ < end_ || fill() ? static_cast<unsigned char>(buffer_[pos_]) : kEnd; }
    const char* limit() const { return buffer_.data() + end_; }
    bool fill();
    void skipByteOrderMark();

    Source source_;
    std::size_t maxRecordBytes_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool started_ = false;
    bool exhausted_ = false;
};

// A source that reads `bytes`, which must outlive it: a table held in memory.
CsvReader::Source sourceOf(std::string_view bytes);

}  // namespace kelnor::csv
