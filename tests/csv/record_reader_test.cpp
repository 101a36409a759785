// Reading and writing CSV for the batch mode, and the shortest number text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kelnor/csv/record_reader.h"
#include "kelnor/csv/writing.h"

namespace kelnor::csv {
namespace {

using Cells = std::vector<std::string>;

// Reads all of `input`, handed over `chunk` bytes at a time.
std::vector<CsvRecord> readAll(const std::string& input, std::size_t chunk,
                               std::size_t maxRecordBytes = CsvReader::kDefaultMaxRecordBytes) {
    std::size_t at = 0;
    CsvReader reader(
        [&](char* buffer, std::size_t size) {
            const std::size_t n = std::min({size, chunk, input.size() - at});
            std::memcpy(buffer, input.data() + at, n);
            at += n;
            return n;
        },
        maxRecordBytes);
    std::vector<CsvRecord> records;
    CsvRecord record;
    while (reader.next(record)) {
        records.push_back(record);
    }
    return records;
}

TEST(CsvReader, RecordsInEveryChunking) {
    struct Row {
        std::string input;
        std::vector<Cells> records;
    };
    const std::vector<Row> rows = {
        {"", {}},
        {"a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
        {"a,b\r1,2\r", {{"a", "b"}, {"1", "2"}}},
        {"a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"\xEF\xBB\xBFwind\r\n20\r\n", {{"wind"}, {"20"}}},
        {"\xEF\xBB"
         "wind\n",
         {{"\xEF\xBB"
           "wind"}}},  // not a byte-order mark
        {",a,,\n", {{"", "a", "", ""}}},
        {"\"2,5\",\"say \"\"hi\"\"\"\n", {{"2,5", "say \"hi\""}}},
        {"\"two\r\nlines\",x\r\n", {{"two\r\nlines", "x"}}},
        {"\"\"\n", {{""}}},
        {"a\"b,c\n", {{"a\"b", "c"}}},        // a quote inside a plain cell
        {"\"ab\"c,d\n", {{"abc", "d"}}},      // text after the closing quote
        {" \"x\" ,y\n", {{" \"x\" ", "y"}}},  // blanks make the cell a plain one
        {"９．０,２７\n", {{"９．０", "２７"}}},
    };
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1} << 20}) {
        for (const auto& row : rows) {
            const auto records = readAll(row.input, chunk);
            ASSERT_EQ(records.size(), row.records.size()) << row.input << " chunk " << chunk;
            for (std::size_t i = 0; i < records.size(); ++i) {
                EXPECT_EQ(records[i].cells, row.records[i]) << row.input << " chunk " << chunk;
                EXPECT_FALSE(records[i].blank || records[i].unterminatedQuote ||
                             records[i].tooLong);
            }
        }
    }
}

TEST(CsvReader, BlankLinesAreMarked) {
    const auto records = readAll("a\n\nb\r\n\r\n\"\"\n", 1);
    ASSERT_EQ(records.size(), 5u);
    const bool blank[] = {false, true, false, true, false};
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].blank, blank[i]) << i;
    }
}

TEST(CsvReader, UnclosedQuoteEndsTheInput) {
    const auto records = readAll("a,b\n1,\"2\n3,4\n", 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[1].unterminatedQuote);
    EXPECT_EQ(records[1].cells, (Cells{"1", "2\n3,4\n"}));
}

TEST(CsvReader, OverlongRecordIsDroppedAndReadingGoesOn) {
    for (const std::string& big : {"\"" + std::string(50, 'x') + "\"", std::string(30, ',')}) {
        const auto records = readAll("ok\n" + big + "\nafter\n", 7, 20);
        ASSERT_EQ(records.size(), 3u) << big;
        EXPECT_EQ(records[0].cells, Cells{"ok"});
        EXPECT_TRUE(records[1].tooLong);
        EXPECT_TRUE(records[1].cells.empty());
        EXPECT_EQ(records[2].cells, Cells{"after"});
        EXPECT_FALSE(records[2].tooLong);
    }
}

TEST(CsvReader, ReadErrorPassesOut) {
    CsvReader reader([](char*, std::size_t) -> std::size_t { throw std::runtime_error("EIO"); });
    CsvRecord record;
    EXPECT_THROW(reader.next(record), std::runtime_error);
}

TEST(CsvCell, QuotedOnlyWhereNeeded) {
    const std::pair<std::string, std::string> rows[] = {
        {"", ""},
        {"27.0", "27.0"},
        {"2,5", "\"2,5\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"a\nb", "\"a\nb\""},
        {"a\rb", "\"a\rb\""},
        {" x ", " x "},
    };
    for (const auto& [cell, written] : rows) {
        std::string line = "x,";
        appendCsvCell(line, cell);
        EXPECT_EQ(line, "x," + written);
        // And it reads back as the cell.
        const auto records = readAll(line + "\n", 1);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].cells, (Cells{"x", cell}));
    }
}

}  // namespace
}  // namespace kelnor::csv
