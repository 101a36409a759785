// The CSV table reader: the encoding decided once per file, the header checked, rows numbered
// and decoded to UTF-8, and what stops a table named with its data.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "kelnor/csv/table.h"
#include "kelnor/platform/text_encoding.h"

namespace kelnor::csv {
namespace {

constexpr std::array<std::string_view, 3> kKnown = {"case", "depth", "wind"};

// A source that hands the bytes over in pieces of at most `piece`, then fails with EIO once
// `failAt` bytes are out, if given.
CsvReader::Source sourceOf(const std::string& bytes, std::size_t piece = 7,
                           std::optional<std::size_t> failAt = std::nullopt) {
    auto at = std::make_shared<std::size_t>(0);
    return [=](char* buffer, std::size_t size) -> std::size_t {
        if (failAt && *at >= *failAt) {
            throw std::system_error(EIO, std::generic_category());
        }
        std::size_t n = std::min({size, piece, bytes.size() - *at});
        if (failAt) {
            n = std::min(n, *failAt - *at);
        }
        std::memcpy(buffer, bytes.data() + *at, n);
        *at += n;
        return n;
    };
}

struct Read {
    Encoding encoding{};
    std::vector<TableRow> rows;
};

Read readAll(const std::string& bytes, std::size_t piece = 7) {
    TableReader table(sourceOf(bytes, piece), kKnown);
    Read read{table.encoding(), {}};
    TableRow row;
    while (table.next(row)) {
        read.rows.push_back(row);
    }
    return read;
}

std::optional<TableError> errorOf(const std::string& bytes) {
    try {
        readAll(bytes);
    } catch (const TableError& e) {
        return e;
    }
    return std::nullopt;
}

TEST(Table, ExcelsGbkAndUtf8WithOrWithoutAMarkReadAlike) {
    // 正常蓄水位 in UTF-8 and in GBK, as Excel's "CSV UTF-8" and "CSV (逗号分隔)" save it.
    const std::string utf8Name = "正常蓄水位";
    const std::string gbkName = "\xD5\xFD\xB3\xA3\xD0\xEE\xCB\xAE\xCE\xBB";
    const struct {
        std::string what, bytes;
        Encoding encoding;
    } rows[] = {
        {"UTF-8", "case,depth\r\n" + utf8Name + ",30\r\n", Encoding::Utf8},
        {"UTF-8 with a mark",
         "\xEF\xBB\xBF"
         "case,depth\r\n" +
             utf8Name + ",30\r\n",
         Encoding::Utf8},
        {"GBK", "case,depth\r\n" + gbkName + ",30\r\n", Encoding::Gbk},
    };
    for (const auto& row : rows) {
        const Read read = readAll(row.bytes);
        EXPECT_EQ(read.encoding, row.encoding) << row.what;
        ASSERT_EQ(read.rows.size(), 1u) << row.what;
        EXPECT_EQ(read.rows[0].cells, (std::vector<std::string>{utf8Name, "30"})) << row.what;
    }
}

TEST(Table, TheEncodingIsDecidedOnceAndARowThatDoesNotReadInItIsNamed) {
    // A mebibyte of UTF-8 rows decides the file, and a GBK row after them is named.
    std::string utf8 = "case,depth\n";
    int rows = 0;
    while (utf8.size() <= TableReader::kSniffBytes) {
        utf8 += "正常,1\n";
        ++rows;
    }
    utf8 += "\xD0\xA3\xBA\xCB,3\n";  // 校核 in GBK
    auto e = errorOf(utf8);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), TableErrorKind::NotText);
    EXPECT_EQ(e->row(), rows + 1);
    // A GBK file with a byte GBK has no character for: its first row is neither.
    e = errorOf("case,depth\n\xD5\xFD,1\n\xFF\xFF,2\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), TableErrorKind::NotText);
    EXPECT_EQ(e->row(), 2);
    // The header counts as row 0.
    e = errorOf("case,\x81\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->row(), 0);
}

TEST(Table, AUtf8FileLongerThanTheBytesThatDecideStaysUtf8) {
    // The first mebibyte ends inside a Chinese character; the rest of the file is read on.
    std::string bytes = "case,depth\n";
    const std::string row = "正常蓄水位,30\n";
    while (bytes.size() < TableReader::kSniffBytes + 2 * row.size()) {
        bytes += row;
    }
    while ((TableReader::kSniffBytes - 11) % row.size() == 0) {
        bytes.insert(11, "a,1\n");  // shifts the cut off a character boundary
    }
    const Read read = readAll(bytes, 4096);
    EXPECT_EQ(read.encoding, Encoding::Utf8);
    EXPECT_EQ(read.rows.back().cells[0], "正常蓄水位");
}

TEST(Table, HeaderProblemsAreNamedWithTheirColumn) {
    const struct {
        std::string bytes;
        TableErrorKind kind;
        std::string name;
        int column;
        bool last;
    } rows[] = {
        {"", TableErrorKind::NoHeader, "", 0, false},
        {"\r\n\n", TableErrorKind::NoHeader, "", 0, false},
        {"\"case,depth\n", TableErrorKind::HeaderNotCsv, "", 0, false},
        {"case,depth,\n1,2,\n", TableErrorKind::EmptyColumnName, "", 3, true},
        {"case, ,depth\n", TableErrorKind::EmptyColumnName, "", 2, false},
        {"case,Depth\n", TableErrorKind::UnknownColumn, "Depth", 2, false},
        {"wind, depth ,wind\n", TableErrorKind::RepeatedColumn, "wind", 3, false},
        {"case,depth\n\n\n", TableErrorKind::NoRows, "", 0, false},
    };
    for (const auto& row : rows) {
        const auto e = errorOf(row.bytes);
        ASSERT_TRUE(e) << row.bytes;
        EXPECT_EQ(e->kind(), row.kind) << row.bytes;
        EXPECT_EQ(e->name(), row.name) << row.bytes;
        EXPECT_EQ(e->column(), row.column) << row.bytes;
        EXPECT_EQ(e->lastColumn(), row.last) << row.bytes;
    }
}

TEST(Table, RowsAreNumberedWithoutBlankLinesAndKeepTheirCellsInTheHeadersOrder) {
    const Read read = readAll("wind,case\n\n20,A\r\n\r\n24\n28,C,extra\n\"32,D\n");
    ASSERT_EQ(read.rows.size(), 4u);
    const struct {
        int number;
        std::vector<std::string> cells;
        RowProblem problem;
        std::size_t cellCount;
    } expected[] = {
        {1, {"20", "A"}, RowProblem::None, 2},
        {2, {"24", ""}, RowProblem::CellCount, 1},
        {3, {"28", "C"}, RowProblem::CellCount, 3},
        {4, {"32,D\n", ""}, RowProblem::UnclosedQuote, 1},
    };
    for (std::size_t i = 0; i < read.rows.size(); ++i) {
        EXPECT_EQ(read.rows[i].number, expected[i].number);
        EXPECT_EQ(read.rows[i].cells, expected[i].cells);
        EXPECT_EQ(read.rows[i].problem, expected[i].problem) << i;
        EXPECT_EQ(read.rows[i].cellCount, expected[i].cellCount) << i;
    }
}

TEST(Table, AReadErrorComesAfterTheRowsReadBeforeIt) {
    const std::string bytes = "case,depth\nA,1\nB,2\n";
    TableReader table(sourceOf(bytes, 5, bytes.size() - 1), kKnown);
    TableRow row;
    ASSERT_TRUE(table.next(row));
    EXPECT_EQ(row.cells[0], "A");
    try {
        table.next(row);
        FAIL() << "row B was cut off by the read error";
    } catch (const TableError& e) {
        EXPECT_EQ(e.kind(), TableErrorKind::ReadFailed);
        EXPECT_EQ(e.reason(), std::error_code(EIO, std::generic_category()));
    }
}

// The `name,value` rows above the header, and the rows after it.
struct Headed {
    std::vector<PreambleRow> block;
    std::size_t columns = 0;
    std::vector<TableRow> rows;
    Encoding encoding{};
};

Headed readHeaded(const std::string& bytes) {
    TableReader table(sourceOf(bytes), kKnown, Preamble::NameValueRows);
    Headed h{table.preamble(), table.columns().size(), {}, table.encoding()};
    TableRow row;
    while (table.next(row)) {
        h.rows.push_back(row);
    }
    return h;
}

TEST(TablePreamble, ANameThatIsAColumnTooHeadsARowOfItsValue) {
    // A dike's sections have a column `wall`, and the block above them a row of the wall.
    constexpr std::array<std::string_view, 3> known = {"section", "wall", "level"};
    constexpr std::array<std::string_view, 1> valueNames = {"wall"};
    const auto read = [&](const std::string& bytes) {
        TableReader table(sourceOf(bytes), known, Preamble::NameValueRows, valueNames);
        return std::pair(table.preamble().size(), table.columns().size());
    };
    EXPECT_EQ(read("wall,1.2\nsection,wall,level\nK0+000,1,10\n"),
              std::pair(std::size_t{1}, std::size_t{3}));
    EXPECT_EQ(read("wall,\nsection,level\nK0+000,10\n"), std::pair(std::size_t{1}, std::size_t{2}));
    // Two columns are a header.
    EXPECT_EQ(read("wall,level\n1,10\n"), std::pair(std::size_t{0}, std::size_t{2}));
    // A column name the reader was not told may head a value is the header's, whose "10"
    // is then no column.
    EXPECT_THROW(read("level,10\nsection,level\nK0+000,10\n"), TableError);
}

TEST(TablePreamble, NameValueRowsAboveTheHeaderAsExcelSavesThem) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::pair<std::string, std::string>> block;
        std::vector<int> lines;
    } rows[] = {
        {"two rows",
         "wall,1.2\nsettlement,0.3%\ncase,depth,wind\nA,1,2\n",
         {{"wall", "1.2"}, {"settlement", "0.3%"}},
         {1, 2}},
        {"blank and all-comma lines between",
         "wall,1.2\r\n\r\n,,\r\n ,,\r\ncase,depth,wind\r\nA,1,2\r\n",
         {{"wall", "1.2"}},
         {1}},
        {"padded to the table's width",
         "wall,1.2,\nstep,0.5,,\n project ,\"某水库,二期\",\ncase,depth,wind\nA,1,2\n",
         {{"wall", "1.2"}, {"step", "0.5"}, {"project", "某水库,二期"}},
         {1, 2, 3}},
        {"no block", "case,depth,wind\nA,1,2\n", {}, {}},
        // A header of two columns is the header, not a row of the block.
        {"a two-column header", "case,depth\nA,1\n", {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Headed h = readHeaded(row.bytes);
        ASSERT_EQ(h.block.size(), row.block.size());
        for (std::size_t i = 0; i < h.block.size(); ++i) {
            EXPECT_EQ(h.block[i].name, row.block[i].first);
            EXPECT_EQ(h.block[i].value, row.block[i].second);
            EXPECT_EQ(h.block[i].line, row.lines[i]);
        }
        ASSERT_EQ(h.rows.size(), 1u);
        EXPECT_EQ(h.rows[0].number, 1);  // rows counted from the header still
        EXPECT_EQ(h.rows[0].cells[0], "A");
        EXPECT_EQ(h.rows[0].problem, RowProblem::None);
    }
}

TEST(TablePreamble, WithoutItANameValueFirstLineIsTheHeaderAsBefore) {
    const auto e = errorOf("wall,1.2\ncase,depth,wind\nA,1,2\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), TableErrorKind::UnknownColumn);
    EXPECT_EQ(e->name(), "wall");
    // With it, a header naming an unknown column is still named.
    try {
        readHeaded("wall,1.2\ncase,depth,colour\nA,1,2\n");
        FAIL() << "the header was read";
    } catch (const TableError& t) {
        EXPECT_EQ(t.kind(), TableErrorKind::UnknownColumn);
        EXPECT_EQ(t.name(), "colour");
    }
}

TEST(TablePreamble, AGbkBlockWithChineseCaptionsDecodes) {
    const std::string bytes = platform::toCp936(
        "防浪墙高度（m）,1.2\n工程名称,某水库\n,,\ncase,depth,wind\n正常蓄水位,1,2\n");
    ASSERT_EQ(bytes.find("防浪墙"), std::string::npos);  // not UTF-8 any more
    const Headed h = readHeaded(bytes);
    EXPECT_EQ(h.encoding, Encoding::Gbk);
    ASSERT_EQ(h.block.size(), 2u);
    EXPECT_EQ(h.block[0].name, "防浪墙高度（m）");
    EXPECT_EQ(h.block[1].name, "工程名称");
    EXPECT_EQ(h.block[1].value, "某水库");
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_EQ(h.rows[0].cells[0], "正常蓄水位");
}

}  // namespace
}  // namespace kelnor::csv
