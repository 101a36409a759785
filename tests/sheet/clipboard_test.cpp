// The clipboard: cells and results copied as a spreadsheet pastes them, a block from Excel
// pasted as one step that grows the sheet.

#include "kelnor/sheet/clipboard.h"

#include <gtest/gtest.h>

#include <string>

#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/sheet_file.h"

namespace kelnor::sheet {
namespace {

std::size_t col(std::string_view name) {
    return columnIndex(name).value();
}

TEST(ReadTabSeparated, ReadsWhatExcelPutsOnTheClipboard) {
    struct Case {
        const char* text;
        Block block;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}},
        {"a\tb", {{"a", "b"}}},
        {"a\t\tb\n", {{"a", "", "b"}}},
        {"a\n\nb\n", {{"a"}, {""}, {"b"}}},
        {"\"x\ty\"\tz\r\n", {{"x\ty", "z"}}},
        {"\"two\r\nlines\"\r\n", {{"two\r\nlines"}}},
        {"\"say \"\"hi\"\"\"\t1", {{"say \"hi\"", "1"}}},
        {"5\" pipe\t2\r\n", {{"5\" pipe", "2"}}},  // a quote inside a cell is a character
        {"\t\r\n", {{"", ""}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readTabSeparated(c.text), c.block) << c.text;
    }
}

TEST(CopyCells, CopiesTheRangeAsTabSeparatedRowsAndReadsBack) {
    Sheet sheet(firstStartRows());
    sheet.setCell(1, col("case"), "设计洪水位\t\"甲\"");
    const std::string text = copyCells(sheet, {0, col("case"), 2, 3});
    EXPECT_EQ(text,
              "正常蓄水位\t100.00\t30.0\r\n"
              "\"设计洪水位\t\"\"甲\"\"\"\t101.50\t31.5\r\n");
    EXPECT_EQ(readTabSeparated(text),
              (Block{{"正常蓄水位", "100.00", "30.0"}, {"设计洪水位\t\"甲\"", "101.50", "31.5"}}));
    // A range reaching past the sheet is cut to it.
    EXPECT_EQ(copyCells(sheet, {2, col("fetch_rays"), 5, 5}), "\r\n");
    EXPECT_EQ(copyCells(sheet, {3, 0, 1, 1}), "");
}

TEST(Paste, ABlockGrowsTheSheetAndIsOneStep) {
    Sheet sheet(firstStartRows());
    const Rows before = sheet.rows();
    // Two rows of fetch and angle from Excel at the check flood's fetch: one row beyond the
    // sheet's last.
    paste(sheet, 2, col("fetch"), "3.4\t10\r\n3.5\t15\r\n");
    ASSERT_EQ(sheet.size(), 4u);
    EXPECT_EQ(sheet.cell(2, col("fetch")), "3.4");
    EXPECT_EQ(sheet.cell(2, col("angle")), "10");
    EXPECT_EQ(sheet.cell(2, col("case")), "校核洪水位");
    EXPECT_EQ(sheet.cell(3, col("fetch")), "3.5");
    EXPECT_EQ(sheet.cell(3, col("angle")), "15");
    EXPECT_EQ(sheet.cell(3, col("case")), "");
    // Cells beyond the last column are dropped.
    paste(sheet, 0, col("extra"), "0.5\t9");
    EXPECT_EQ(sheet.cell(0, col("extra")), "0.5");
    EXPECT_EQ(sheet.rows()[0].size(), columnCount());
    sheet.undo();
    sheet.undo();
    EXPECT_EQ(sheet.rows(), before);
    EXPECT_FALSE(sheet.canUndo());
    sheet.redo();
    EXPECT_EQ(sheet.size(), 4u);
    EXPECT_EQ(sheet.cell(3, col("fetch")), "3.5");
}

TEST(Paste, AtTheEndOfAnEmptySheetAddsTheConditions) {
    Sheet sheet;
    paste(sheet, 0, 0, copyCells(Sheet(firstStartRows()), {0, 0, 3, columnCount()}));
    EXPECT_EQ(sheet.rows(), firstStartRows());
}

TEST(CopyResults, OneLinePerConditionWithTheGoverningMarkedAndFailuresDashed) {
    Rows rows = firstStartRows();
    rows[0][col("depth")] = std::string("x");  // not the literal: GCC 12 warns wrongly
    rows.push_back(emptyRow());
    const SheetEvaluation ev = evaluate(rows);
    const Block table = readTabSeparated(copyResults(rows, ev));
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0].front(), "工况名称");
    EXPECT_EQ(table[0][7], "y（m）");
    EXPECT_EQ(table[0][9], "坝顶高程（m）");
    for (const auto& line : table) {
        EXPECT_EQ(line.size(), table[0].size());
    }
    // The failed condition: its name, dashes, and why.
    EXPECT_EQ(table[1][0], "正常蓄水位");
    EXPECT_EQ(table[1][2], "—");
    EXPECT_EQ(table[1][9], "—");
    EXPECT_EQ(table[1].back(), "第 1 行（正常蓄水位）：depth 的 “x” 不是数值。");
    // The design flood governs: y and crest as kelnor-calc gives them (README), rounded.
    EXPECT_EQ(table[2][0], "设计洪水位");
    EXPECT_EQ(table[2][1], "莆田");
    EXPECT_EQ(table[2][6], "1.00");
    EXPECT_EQ(table[2][7], "2.723");
    EXPECT_EQ(table[2][8], "101.50");
    EXPECT_EQ(table[2][9], "104.223");
    EXPECT_EQ(table[2][10], "★");
    EXPECT_EQ(table[3][6], "0.50");  // abnormal operation, grade 2, mountains
    EXPECT_EQ(table[3][10], "");
    EXPECT_EQ(table[4][0], "");  // the empty condition
    EXPECT_EQ(table[4][7], "—");
}

}  // namespace
}  // namespace kelnor::sheet
