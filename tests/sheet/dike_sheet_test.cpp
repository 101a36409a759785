// A dike's sections in the design window, through a view that records what it is asked: the
// file with its code row, the sections as the command line computes them, the grid that stands
// them as rows with their results beside, the cursor of a spreadsheet, the commands a dike has.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "kelnor/sheet/clipboard.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "kelnor/sheet/sheet_file.h"
#include "kelnor/sheet/window_rules.h"
#include "kelnor/text/number.h"
#include "recording_view.h"
#include "run_program.h"
#include "test_files.h"

namespace kelnor::sheet {
namespace {

namespace fs = std::filesystem;
using testing_support::slurp;

constexpr DesignCode kDike = DesignCode::Dike;

std::size_t col(std::string_view column) {
    return *columnIndex(column, kDike);
}

// The CSV cells of one line.
std::vector<std::string> cellsOf(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string cell;
    while (std::getline(in, cell, ',')) {
        out.push_back(cell);
    }
    return out;
}

class DikeSheetTest : public testing_support::TemporaryFolderTest {
  protected:
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        presenter = std::make_unique<DesignPresenter>(view, dir / "data");
        // A copy of the example, so a book written beside it stays in the test's folder.
        fs::copy_file(fs::path(KELNOR_DIKE_EXAMPLE), dir / "reach.csv");
        presenter->start(dir / "reach.csv");
    }

    RecordingView view;
    std::unique_ptr<DesignPresenter> presenter;
};

TEST_F(DikeSheetTest, TheReachComputesSectionBySectionAsTheCommandLineDoes) {
    const Sheet& sheet = presenter->sheet();
    ASSERT_TRUE(sheet.isDike());
    ASSERT_EQ(sheet.size(), 24u);
    EXPECT_EQ(presenter->title().rfind(std::string(kDikeTitle), 0), 0u);
    // Each section's requirement and adopted crest, row by row, against kelnor-calc's run of
    // the same file.
    const testing_support::Outcome run =
        testing_support::runProgram({KELNOR_CALC, "--conditions", KELNOR_DIKE_EXAMPLE}, dir);
    std::stringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    const std::vector<std::string> header = cellsOf(line);
    const auto at = [&](std::string_view name) {
        return std::size_t(std::find(header.begin(), header.end(), name) - header.begin());
    };
    std::size_t row = 0;
    for (; std::getline(lines, line); ++row) {
        const std::vector<std::string> cells = cellsOf(line);
        const Outcome& o = presenter->evaluation().outcomes.at(row);
        ASSERT_TRUE(o.section) << row;
        EXPECT_EQ(o.section->section.water.label, cells[at("section")]);
        EXPECT_EQ(design::toMicrometre(o.section->required), parseNumber(cells[at("crest")]))
            << row;
        EXPECT_EQ(o.section->adopted, parseNumber(cells[at("adopted")])) << row;
    }
    EXPECT_EQ(row, 24u);
    // The highest requirement governs; the one short section is counted.
    EXPECT_EQ(presenter->evaluation().governing, 3u);
    EXPECT_EQ(presenter->evaluation().shortSections, 1u);
    EXPECT_NE(presenter->evaluation().summaryZh().find("K1+500"), std::string::npos);
}

TEST_F(DikeSheetTest, ABadCellFailsItsSectionAloneAndIsUndone) {
    presenter->setCell(2, col("level"), "x");
    presenter->endTyping();
    const auto& outcomes = presenter->evaluation().outcomes;
    ASSERT_TRUE(outcomes[2].failure);
    EXPECT_EQ(outcomes[2].failedColumn(), col("level"));
    EXPECT_TRUE(outcomes[1].section && outcomes[3].section);
    EXPECT_EQ(resultCell(presenter->evaluation(), 2, 0).tone, ResultTone::Failed);
    EXPECT_TRUE(
        conditionCell(presenter->sheet(), presenter->evaluation(), 2, col("level")).atFault);
    presenter->undo();
    EXPECT_TRUE(presenter->evaluation().outcomes[2].section);
    ASSERT_FALSE(view.places.empty());
    EXPECT_EQ(view.places.back().row, 2u);
}

TEST_F(DikeSheetTest, TheGridStandsSectionsAsRowsWithTheirResultsBeside) {
    const Sheet& sheet = presenter->sheet();
    const SheetEvaluation& ev = presenter->evaluation();
    const std::size_t fieldCount = fields(kDike).size();
    EXPECT_EQ(gridRows(sheet), 24u);
    EXPECT_EQ(gridColumns(sheet), fieldCount + resultRowCount(kDike));
    EXPECT_EQ(screenOf(sheet, 5, col("level")), std::pair(std::size_t(5), col("level")));
    const GridCell level = gridCell(sheet, 5, col("level"));
    EXPECT_EQ(level.condition, 5u);
    EXPECT_EQ(level.field, col("level"));
    // The last column is the margin; K5+500 stands 0.166 m short.
    const GridCell margin = gridCell(sheet, 11, gridColumns(sheet) - 1);
    ASSERT_TRUE(margin.result);
    EXPECT_EQ(gridColumnHeader(sheet, ev, gridColumns(sheet) - 1), "富裕 / 不足（m）");
    const ResultCell short_ = resultCell(ev, margin.condition, *margin.result);
    EXPECT_EQ(short_.text, "-0.166");
    EXPECT_EQ(short_.tone, ResultTone::Failed);
    EXPECT_EQ(gridRowHeader(sheet, ev, 3), "K1+500 ★");
    EXPECT_EQ(gridColumnHeader(sheet, ev, col("depth")), "堤前水深 H（m）");
    // A dike's KΔ offers the code's masonry face steeper than 1:1; a dam's does not.
    const CellEditor roughness = cellEditor(col("roughness"), kDike);
    EXPECT_EQ(committedText(col("roughness"), std::nullopt, roughness.entries.back().shown, kDike),
              "1.00");
    EXPECT_EQ(cellEditor(columnIndex("roughness").value()).entries.size() + 1,
              roughness.entries.size());
    // A dam's grid is unchanged: fields down, conditions across.
    const Sheet dam(firstStartRows());
    EXPECT_EQ(gridRows(dam), fields().size());
    EXPECT_EQ(gridCell(dam, 2, 1).condition, 1u);
    EXPECT_EQ(gridCell(dam, 2, 1).field, 2u);
}

TEST(DikeCursor, MovesAsInASpreadsheet) {
    using enum GridKey;
    const struct {
        GridKey key;
        bool shift;
        std::size_t condition, field;
    } rows[] = {
        {Right, false, 4, 3}, {Left, false, 4, 1},     {Down, false, 5, 2},   {Up, false, 3, 2},
        {Tab, false, 4, 3},   {Tab, true, 4, 1},       {Enter, false, 5, 2},  {Home, false, 4, 0},
        {End, false, 4, 19},  {PageDown, false, 9, 2}, {PageUp, false, 0, 2},
    };
    for (const auto& r : rows) {
        GridCursor cursor;
        cursor.resize(30, 20, true);
        cursor.moveTo(4, 2);
        cursor.press(r.key, r.shift, 5);
        EXPECT_EQ(cursor.condition(), r.condition) << int(r.key);
        EXPECT_EQ(cursor.field(), r.field) << int(r.key);
    }
    // Shift+Down stretches the selection over two sections of one field.
    GridCursor cursor;
    cursor.resize(30, 20, true);
    cursor.moveTo(4, 2);
    cursor.press(Down, true);
    const GridSelection s = cursor.selection();
    ASSERT_TRUE(s.range);
    EXPECT_EQ(s.range->firstRow, 4u);
    EXPECT_EQ(s.range->rowCount, 2u);
    EXPECT_EQ(s.range->columnCount, 1u);
}

TEST_F(DikeSheetTest, ADikeHasNoEarthquakeAndItsSectionsMoveUpAndDown) {
    EXPECT_FALSE(presenter->enabled(Command::AddEarthquake));
    const GridSelection at{Place{1, col("level")}, CellRange{1, col("level"), 1, 1}};
    EXPECT_FALSE(presenter->perform(Command::AddEarthquake, at));
    EXPECT_EQ(presenter->sheet().size(), 24u);
    const auto moved = presenter->perform(Command::MoveLeft, at);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->row, 0u);
    EXPECT_EQ(presenter->sheet().cell(0, col("section")), "K0+500");
    // The reach's order runs back now: the section is warned of, the order kept.
    EXPECT_NE(resultCell(presenter->evaluation(), 1, 0).tip.find("小于前一断面"),
              std::string::npos);
    for (const Menu& menu : designMenus()) {
        for (const MenuEntry& e : menu.entries) {
            if (e.command == Command::MoveLeft) {
                EXPECT_EQ(captionFor(e, kDike), "上移");
                EXPECT_EQ(captionFor(e, DesignCode::Dam), "左移");
            }
        }
    }
}

TEST_F(DikeSheetTest, SavedWithItsCodeRowReopenedAndRestoredFromTheAutosave) {
    presenter->setCell(1, col("level"), "24.75");
    presenter->endTyping();
    view.toSave = dir / "saved.csv";
    ASSERT_TRUE(presenter->saveAs());
    const std::string saved = slurp(dir / "saved.csv");
    EXPECT_EQ(saved.rfind("\xEF\xBB\xBF"
                          "code,GB 50286-2013,",
                          0),
              0u);
    EXPECT_NE(saved.find("\r\nsection,level,ground,"), std::string::npos);
    const OpenedSheet opened = openSheet(dir / "saved.csv");
    EXPECT_EQ(opened.code, kDike);
    EXPECT_EQ(opened.rows, presenter->sheet().rows());
    // An unsaved change comes back as a dike's after a crash.
    presenter->setCell(2, col("wind"), "25");
    ASSERT_TRUE(presenter->autosaveNow());
    DesignPresenter next(view, dir / "data");
    next.start(std::nullopt);
    EXPECT_TRUE(next.sheet().isDike());
    EXPECT_EQ(next.sheet().cell(2, col("wind")), "25");
    // 新建堤防: one empty section.
    next.newDike();
    ASSERT_TRUE(next.sheet().isDike());
    EXPECT_EQ(next.sheet().size(), 1u);
}

TEST(DikeSheetFile, WhatADikesFileAndADamsMayNotHold) {
    const struct {
        std::string file;
        std::string why;
    } rows[] = {
        {"smooth,yes\ncase,depth\na,3\n", "a dike's value in a dam's block"},
        {"code,GB 50286\ncase,level\na,3\n", "a dam's column in a dike's file"},
        {"code,GB 1234\nsection,level\na,3\n", "no such code"},
        {"code,GB 50286\nwall,1\nsection,level\na,3\n", "a dam's value in a dike's block"},
    };
    for (const auto& r : rows) {
        const bool refused = [&] {
            try {
                (void)readSheet(csv::sourceOf(r.file));
                return false;
            } catch (const csv::TableError&) {
                return true;
            } catch (const design::DamError&) {
                return true;
            }
        }();
        EXPECT_TRUE(refused) << r.why;
    }
    // Nor where it comes into the sheet otherwise: named when the sections are evaluated.
    design::DamTexts dam = design::emptyDamTexts();
    design::setDamText(dam, "wall", "1");
    const SheetEvaluation ev = evaluate(Rows{}, dam, kDike);
    ASSERT_TRUE(ev.damError);
    EXPECT_EQ(ev.damError->kind(), design::DamErrorKind::OtherCode);
}

TEST_F(DikeSheetTest, ABlockFromExcelLandsAsItsRowsAndColumnsStand) {
    // Two sections' level, ground and depth as Excel copies them, pasted at the last section's
    // level: the first row over it, the second a section added after it.
    view.clipboard = "22.90\t18.60\t5.0\r\n22.85\t18.55\t5.1\r\n";
    const GridSelection at{Place{23, col("level")}, CellRange{23, col("level"), 1, 1}};
    presenter->perform(Command::Paste, at);
    const Sheet& sheet = presenter->sheet();
    ASSERT_EQ(sheet.size(), 25u);
    EXPECT_EQ(sheet.cell(23, col("level")), "22.90");
    EXPECT_EQ(sheet.cell(23, col("depth")), "5.0");
    EXPECT_EQ(sheet.cell(24, col("ground")), "18.55");
    EXPECT_EQ(sheet.cell(23, col("section")), "K11+500");
    // Copied back, the same block; one undo takes the whole paste back.
    presenter->perform(Command::Copy, GridSelection{at.current, CellRange{23, col("level"), 2, 3}});
    EXPECT_EQ(view.clipboard, "22.90\t18.60\t5.0\r\n22.85\t18.55\t5.1\r\n");
    presenter->undo();
    EXPECT_EQ(presenter->sheet().size(), 24u);
    EXPECT_EQ(presenter->sheet().cell(23, col("level")), "22.94");
}

TEST_F(DikeSheetTest, CopiedResultsAndTheBookAreTheDikes) {
    presenter->copyResults();
    EXPECT_EQ(view.clipboard.rfind("断面（桩号）\thm（m）", 0), 0u);
    EXPECT_NE(view.clipboard.find("\r\nK1+500\t"), std::string::npos);
    presenter->writeBook(FileKind::Book);
    const std::string book = slurp(bookPathFor(dir / "reach.csv"));
    EXPECT_NE(book.find("堤顶高程计算书"), std::string::npos);
    EXPECT_NE(book.find("纵断面"), std::string::npos);
}

}  // namespace
}  // namespace kelnor::sheet
