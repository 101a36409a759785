// What the design window's two grids show and which editor each field takes, as both windows
// show them.

#include "kelnor/sheet/grid.h"

#include <gtest/gtest.h>

#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/sheet_file.h"

namespace kelnor::sheet {
namespace {

std::size_t col(std::string_view column) {
    return *columnIndex(column);
}

// The first start's three conditions: the design flood level governs, crest 104.223 m.
class GridTest : public testing::Test {
  protected:
    void SetUp() override { evaluation = evaluate(sheet.rows()); }

    void set(std::size_t condition, std::string_view column, std::string text) {
        sheet.setCell(condition, col(column), std::move(text));
        evaluation = evaluate(sheet.rows());
    }

    Sheet sheet{firstStartRows()};
    SheetEvaluation evaluation;
};

TEST_F(GridTest, ConditionCellsShowChoicesByNameAndDefaultsGreyed) {
    set(0, "formula", " PUTIAN ");
    set(0, "kw", "");
    struct Case {
        std::string_view column;
        std::string text;
        bool isDefault;
    };
    for (const Case& c : {Case{"case", "正常蓄水位", false},
                          Case{"formula", "莆田试验站公式", false}, Case{"kw", "查表", true},
                          Case{"grade", "2 级", false}, Case{"operation", "正常运用", false}}) {
        const ConditionCell cell = conditionCell(sheet, evaluation, 0, col(c.column));
        EXPECT_EQ(cell.text, c.text) << c.column;
        EXPECT_EQ(cell.isDefault, c.isDefault) << c.column;
        EXPECT_FALSE(cell.atFault) << c.column;
    }
}

TEST_F(GridTest, OnlyTheCellAtFaultIsMarkedAndTheOthersStillCompute) {
    set(1, "depth", "-2");
    const ConditionCell bad = conditionCell(sheet, evaluation, 1, col("depth"));
    EXPECT_TRUE(bad.atFault);
    EXPECT_NE(bad.tip.find("-2"), std::string::npos) << bad.tip;
    EXPECT_FALSE(conditionCell(sheet, evaluation, 1, col("wind")).atFault);
    EXPECT_FALSE(conditionCell(sheet, evaluation, 0, col("depth")).atFault);

    // Its results are dashes in the failure's colour, the failure as their tip.
    const ResultCell dash = resultCell(evaluation, 1, resultRowCount() - 1);
    EXPECT_EQ(dash.text, "—");
    EXPECT_EQ(dash.tone, ResultTone::Failed);
    EXPECT_EQ(dash.tip, bad.tip);
    // The checked flood level governs in its place.
    EXPECT_EQ(conditionHeader(evaluation, 2), "3 ★");
    EXPECT_EQ(conditionHeader(evaluation, 1), "2");
}

TEST_F(GridTest, ResultsAreRoundedAsTheBookRoundsThem) {
    // The design flood level: y = 2.7228 m, crest 104.2228 m, A = 1.0 m for grade 2.
    EXPECT_EQ(conditionHeader(evaluation, 1), "2 ★");
    struct Case {
        std::string_view row;
        std::string text;
    };
    for (const Case& c :
         {Case{"y（m）", "2.723"}, Case{"坝顶高程（m）", "104.223"}, Case{"A（m）", "1.00"}}) {
        std::size_t row = 0;
        while (row < resultRowCount() && resultRowName(row) != c.row) {
            ++row;
        }
        ASSERT_LT(row, resultRowCount()) << c.row;
        const ResultCell cell = resultCell(evaluation, 1, row);
        EXPECT_EQ(cell.text, c.text) << c.row;
        EXPECT_TRUE(cell.governing);
        EXPECT_EQ(cell.tone, ResultTone::Plain);
        EXPECT_FALSE(resultCell(evaluation, 0, row).governing);
    }
}

TEST_F(GridTest, WarnedAndUntypedConditions) {
    // A fetch typed in metres: computed, warned, the warning as the tip.
    set(0, "fetch", "3000");
    const ResultCell warned = resultCell(evaluation, 0, 0);
    EXPECT_EQ(warned.tone, ResultTone::Warned);
    EXPECT_NE(warned.tip.find("100"), std::string::npos) << warned.tip;
    EXPECT_NE(warned.text, "—");

    // A condition not yet typed shows nothing at all.
    sheet.insertConditions(sheet.size());
    evaluation = evaluate(sheet.rows());
    const ResultCell blank = resultCell(evaluation, sheet.size() - 1, 0);
    EXPECT_EQ(blank.text, "");
    EXPECT_EQ(blank.tone, ResultTone::Plain);
    // Past the last condition: nothing either, not a throw.
    EXPECT_EQ(resultCell(evaluation, 99, 0).text, "");
}

TEST(CellEditorTest, EachFieldTakesItsEditor) {
    EXPECT_EQ(cellEditor(col("depth")).kind, EditorKind::Line);
    EXPECT_TRUE(cellEditor(col("depth")).entries.empty());

    const CellEditor formula = cellEditor(col("formula"));
    ASSERT_EQ(formula.kind, EditorKind::List);
    ASSERT_EQ(formula.entries.size(), 4u);
    EXPECT_EQ(formula.entries[0].value, "");  // clears the cell
    struct Case {
        std::string_view cell;
        std::optional<std::size_t> entry;
    };
    for (const Case& c : {Case{"", 0}, Case{"putian", 1}, Case{" Hedi", 2}, Case{"guanting", 3},
                          Case{"smith", std::nullopt}}) {
        EXPECT_EQ(entryOf(formula, col("formula"), c.cell), c.entry) << c.cell;
    }

    const CellEditor roughness = cellEditor(col("roughness"));
    ASSERT_EQ(roughness.kind, EditorKind::Offers);
    ASSERT_FALSE(roughness.entries.empty());
    for (const EditorEntry& e : roughness.entries) {
        EXPECT_EQ(offeredText(roughness, e.shown), e.value);
        EXPECT_NE(e.shown.find(e.value), std::string::npos) << e.shown;
    }
    // Anything typed stays as typed, a number or not.
    EXPECT_EQ(offeredText(roughness, "0.93"), "0.93");
    EXPECT_EQ(offeredText(roughness, "草皮"), "草皮");
}

}  // namespace
}  // namespace kelnor::sheet
