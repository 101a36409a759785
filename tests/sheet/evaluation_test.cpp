// The sheet's evaluation: the summary line of the three usual conditions, a bad cell failing
// only its own condition with its column named, the fields the grid shows, and numbers rounded
// as the book rounds them; and the dam panel's lines of the settled crest.

#include "kelnor/sheet/evaluation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/condition.h"
#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/sheet_file.h"

namespace kelnor::sheet {
namespace {

std::size_t col(std::string_view name) {
    return columnIndex(name).value();
}

TEST(SheetEvaluation, TheThreeUsualConditionsGiveTheSummaryLine) {
    // docs/book-example.csv; kelnor-calc gives the design flood's crest as 104.22284981178971
    // (README), so y = 104.2228... − 101.50.
    const SheetEvaluation ev = evaluate(firstStartRows());
    ASSERT_EQ(ev.outcomes.size(), 3u);
    EXPECT_EQ(ev.governing, 1u);
    EXPECT_EQ(ev.rule, design::GoverningRule::HighestCrest);
    EXPECT_EQ(ev.summaryZh(),
              "控制工况：设计洪水位，y = 2.723 m，坝顶高程不低于 104.223 m；采用坝顶高程 104.30 "
              "m，满足。");
    for (const Outcome& o : ev.outcomes) {
        EXPECT_TRUE(o.result.has_value());
        EXPECT_FALSE(o.failure.has_value());
    }
}

TEST(SheetEvaluation, WithoutMeanDepthsTheHandWorkedCrestGoverns) {
    // Hm = H in all three: by hand (tests/design), y = 2.72667 and crest 104.22667 m for the
    // design flood.
    Rows rows = firstStartRows();
    for (Row& r : rows) {
        r[col("mean_depth")].clear();
    }
    EXPECT_EQ(evaluate(rows).summaryZh(),
              "控制工况：设计洪水位，y = 2.727 m，坝顶高程不低于 104.227 m；采用坝顶高程 104.30 "
              "m，满足。");
    // Without levels the largest y governs and the line has no crest.
    for (Row& r : rows) {
        r[col("level")].clear();
    }
    const SheetEvaluation ev = evaluate(rows);
    EXPECT_EQ(ev.rule, design::GoverningRule::HighestY);
    EXPECT_EQ(ev.summaryZh(), "控制工况：设计洪水位，y = 2.727 m");
}

TEST(SheetEvaluation, ABadCellFailsItsConditionAndNamesItsColumn) {
    struct Case {
        std::size_t row;
        std::string_view column;
        std::string text;
        design::ConditionErrorKind kind;
        std::size_t governing;  // of the others
    };
    const std::vector<Case> cases = {
        {0, "depth", "三十", design::ConditionErrorKind::NotANumber, 1},
        {1, "wind", "-21", design::ConditionErrorKind::NotPositive, 2},
        {1, "roughness", "", design::ConditionErrorKind::Missing, 2},
        {2, "formula", "stevenson", design::ConditionErrorKind::UnknownChoice, 1},
        {2, "frequency", "60", design::ConditionErrorKind::OutsideTable, 1},
        {0, "angle", "90", design::ConditionErrorKind::AngleTooLarge, 1},
    };
    for (const Case& c : cases) {
        Rows rows = firstStartRows();
        rows[c.row][col(c.column)] = c.text;
        const SheetEvaluation ev = evaluate(rows);
        const Outcome& bad = ev.outcomes[c.row];
        ASSERT_TRUE(bad.failure.has_value()) << c.column;
        EXPECT_FALSE(bad.result.has_value()) << c.column;
        EXPECT_EQ(bad.failure->kind(), c.kind) << c.column;
        EXPECT_EQ(bad.failure->text(), c.text) << c.column;
        EXPECT_EQ(bad.failedColumn(), col(c.column)) << c.column;
        EXPECT_EQ(bad.failureZh().rfind("第 " + std::to_string(c.row + 1) + " 行", 0), 0u)
            << bad.failureZh();
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(ev.outcomes[i].result.has_value(), i != c.row) << c.column << i;
        }
        EXPECT_EQ(ev.governing, c.governing) << c.column;
        EXPECT_FALSE(ev.summaryZh().empty());
    }
}

TEST(SheetEvaluation, AnEmptyConditionIsNeitherComputedNorFailed) {
    Rows rows = firstStartRows();
    rows.insert(rows.begin(), emptyRow());
    rows.insert(rows.begin(), emptyRow());
    rows[1][0] = " ";
    const SheetEvaluation ev = evaluate(rows);
    ASSERT_EQ(ev.outcomes.size(), 5u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(ev.outcomes[i].result || ev.outcomes[i].failure) << i;
    }
    EXPECT_EQ(ev.governing, 3u);
    EXPECT_EQ(ev.outcomes[3].result->condition.row, 4);
}

TEST(SheetEvaluation, WarningsStayWithTheirCondition) {
    Rows rows = firstStartRows();
    rows[2][col("formula")] = "hedi";
    rows[2][col("fetch")] = "9";
    const SheetEvaluation ev = evaluate(rows);
    EXPECT_TRUE(ev.outcomes[0].warningsZh().empty());
    const auto warnings = ev.outcomes[2].warningsZh();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "鹤地公式适用于 D < 7.5 km，本工况 D = 9.000 km。");
}

TEST(DamPanel, TheSettledLinesShowTheRequirementAndMarkWhatFallsShort) {
    // The book example: the design flood's level + y is 104.22285.
    struct Line {
        const char* caption;
        const char* value;
        bool failing;
    };
    const struct {
        const char* what;
        std::vector<std::pair<const char*, const char*>> dam;
        std::vector<Line> lines;
    } rows[] = {{"no wall: 104.22285 required, 104.3 adopted",
                 {},
                 {{"要求坝顶高程（m）", "104.223", false}, {"采用坝顶高程（m）", "104.30", false}}},
                // The wall top typed short of 104.22285; the crest under it from the required top,
                // 104.22285 − 1.2 = 103.02285, up to 103.1, and the wall 104.2 − 103.1 = 1.1 high.
                {"the wall top alone short",
                 {{"wall", "1.2"}, {"wall_top", "104.2"}},
                 {{"采用防浪墙顶高程（m）", "104.20", true},
                  {"要求坝顶高程（m）", "103.023", false},
                  {"采用坝顶高程（m）", "103.10", false},
                  {"防浪墙高度（m）", "1.10", false}}},
                // 104.3 − 1.5 = 102.8, the wall 1.5 high.
                {"an unusual wall",
                 {{"wall", "1.5"}},
                 {{"采用防浪墙顶高程（m）", "104.30", false}, {"防浪墙高度（m）", "1.50", true}}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        design::DamTexts dam = design::emptyDamTexts();
        for (const auto& [name, text] : row.dam) {
            design::setDamText(dam, name, text);
        }
        const std::vector<SettledLine> lines = settledLines(evaluate(firstStartRows(), dam));
        for (const Line& want : row.lines) {
            const auto got = std::find_if(lines.begin(), lines.end(), [&](const SettledLine& l) {
                return l.caption == want.caption;
            });
            ASSERT_NE(got, lines.end()) << want.caption;
            EXPECT_EQ(got->value, want.value) << want.caption;
            EXPECT_EQ(got->failing, want.failing) << want.caption;
        }
    }
}

TEST(Fixed, RoundsAsTheBookPrints) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const std::vector<Case> cases = {
        {2.72284981178971, 3, "2.723"},
        {104.22284981178971, 3, "104.223"},
        {1.0, 2, "1.00"},
        {0.0049, 2, "0.00"},
        {-0.0004, 3, "0.000"},
        {-1.5, 2, "-1.50"},
        {0.85, 2, "0.85"},
        {1e16, 1, "10000000000000000.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fixed(c.value, c.decimals), c.text) << c.value;
    }
}

TEST(Fields, TheRowsOfTheGridAreTheBooksColumnsCaseFirst) {
    const auto& f = fields();
    ASSERT_EQ(f.size(), 22u);
    EXPECT_EQ(f[0].nameZh, "工况名称");
    EXPECT_EQ(f[col("depth")].nameZh, "坝前水深 H（m）");
    // The annual maximum wind and its factor right after W, which they may stand for.
    EXPECT_EQ(f[col("wind") + 1].nameZh, "多年平均年最大风速（m/s）");
    EXPECT_EQ(f[col("wind") + 2].nameZh, "风速倍数");
    EXPECT_EQ(f[18].column, "extra");
    // The rays of the equivalent fetch last, where they leave every other column in its place.
    EXPECT_EQ(f[21].column, "fetch_rays");
    std::vector<std::string_view> choices;
    for (const Field& field : f) {
        if (field.isChoice()) {
            choices.push_back(field.column);
        }
    }
    EXPECT_EQ(choices, (std::vector<std::string_view>{"formula", "grade", "operation", "region"}));
}

// What a condition computes to, from its waves to its crest; nothing where it did not compute.
std::vector<double> computed(const Outcome& outcome) {
    if (!outcome.result) {
        return {};
    }
    const design::Result& r = *outcome.result;
    return {
        r.waves.hm, r.waves.Tm, r.waves.Lm, r.e, r.runUp.Rp, r.A, r.B, r.y, r.crest.value_or(-1.0)};
}

TEST(Fields, AnEmptyCellComputesAsItsGreyedPlaceholderSays) {
    // An empty cell of each of these computes as the cell typed with what its placeholder shows:
    // the depth H for the mean depth, the placeholder's own number for the others. A value
    // other than that must compute otherwise, so the cell counts in these conditions.
    struct Case {
        std::string_view column;
        bool asDepth;       // typed as the condition's depth, else as the placeholder shows
        const char* other;  // a value that changes the result
        bool earthquake;    // the column counts in an earthquake condition only
    };
    const Case cases[] = {
        {"mean_depth", true, "20", false},
        {"angle", false, "30", false},
        {"extra", false, "0.5", false},
        {"quake_settlement", false, "0.3", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        Rows empty = firstStartRows();
        for (Row& r : empty) {
            if (c.earthquake) {
                r[col("operation")] = "earthquake";
                r[col("surge")] = "1.0";
            }
            r[col(c.column)].clear();
        }
        Rows typed = empty;
        Rows other = empty;
        for (std::size_t i = 0; i < empty.size(); ++i) {
            typed[i][col(c.column)] = c.asDepth
                                          ? empty[i][col("depth")]
                                          : std::string(fields()[col(c.column)].placeholderZh);
            other[i][col(c.column)] = c.other;
        }
        const SheetEvaluation fromEmpty = evaluate(empty);
        const SheetEvaluation fromTyped = evaluate(typed);
        const SheetEvaluation fromOther = evaluate(other);
        for (std::size_t i = 0; i < empty.size(); ++i) {
            ASSERT_TRUE(fromEmpty.outcomes[i].result) << fromEmpty.outcomes[i].failureZh();
            EXPECT_EQ(computed(fromTyped.outcomes[i]), computed(fromEmpty.outcomes[i]))
                << "condition " << i << " typed " << typed[i][col(c.column)] << " "
                << fromTyped.outcomes[i].failureZh();
            ASSERT_TRUE(fromOther.outcomes[i].result) << fromOther.outcomes[i].failureZh();
            EXPECT_NE(computed(fromOther.outcomes[i]), computed(fromEmpty.outcomes[i]))
                << "condition " << i;
        }
    }
}

TEST(Fields, EveryChoiceIsReadAsTheChoiceItNames) {
    // Each choice's value written into a condition reads back as that choice: the choices and
    // the condition reader agree.
    const Row base = firstStartRows()[0];
    const auto read = [&base](std::string_view column, const std::string& value) {
        Row row = base;
        row[col(column)] = value;
        design::Cells cells{1, {}};
        for (std::size_t c = 0; c < row.size(); ++c) {
            cells.cells.emplace_back(std::string(design::conditionColumns()[c]), row[c]);
        }
        return design::readCondition(cells);
    };
    const auto& formula = fields()[col("formula")].choices;
    ASSERT_EQ(formula.size(), 3u);
    EXPECT_EQ(formula[1].nameZh, "鹤地水库公式");
    EXPECT_EQ(read("formula", formula[1].value).formula, design::WaveFormula::Hedi);
    EXPECT_EQ(read("formula", formula[2].value).formula, design::WaveFormula::Guanting);
    const auto& grade = fields()[col("grade")].choices;
    ASSERT_EQ(grade.size(), 5u);
    for (int g = 1; g <= 5; ++g) {
        EXPECT_EQ(read("grade", grade[g - 1].value).grade, g);
    }
    const auto& operation = fields()[col("operation")].choices;
    EXPECT_EQ(operation[1].nameZh, "非常运用");
    EXPECT_EQ(read("operation", operation[1].value).operation, design::Operation::Abnormal);
    const auto& region = fields()[col("region")].choices;
    EXPECT_EQ(region[1].nameZh, "平原、滨海区");
    EXPECT_EQ(read("region", region[1].value).region, design::Region::Plain);
}

TEST(Fields, ChoicesShowByTheirChineseName) {
    EXPECT_EQ(shownText(col("formula"), " Putian "), "莆田试验站公式");
    EXPECT_EQ(shownText(col("grade"), "2"), "2 级");
    EXPECT_EQ(shownText(col("operation"), "abnormal"), "非常运用");
    EXPECT_EQ(shownText(col("region"), "mountain"), "山区、丘陵区");
    EXPECT_EQ(shownText(col("formula"), "stevenson"), "stevenson");
    EXPECT_EQ(shownText(col("depth"), "2"), "2");
}

TEST(Fields, SlopeSurfacesOfferTheirKDeltaAndBothEndsOfARange) {
    // SL 274 Appendix A, KΔ by slope surface.
    const std::vector<std::pair<std::string_view, std::string>> expected = {
        {"光滑不透水护面（沥青混凝土）", "1.00"},
        {"混凝土板护面", "0.90"},
        {"草皮护面", "0.85"},
        {"草皮护面", "0.90"},
        {"砌石护面", "0.75"},
        {"砌石护面", "0.80"},
        {"抛填两层块石（不透水基础）", "0.60"},
        {"抛填两层块石（不透水基础）", "0.65"},
        {"抛填两层块石（透水基础）", "0.50"},
        {"抛填两层块石（透水基础）", "0.55"},
    };
    const auto& offers = roughnessOffers();
    ASSERT_EQ(offers.size(), expected.size());
    for (std::size_t i = 0; i < offers.size(); ++i) {
        EXPECT_EQ(offers[i].surfaceZh, expected[i].first) << i;
        EXPECT_EQ(offers[i].text, expected[i].second) << i;
        EXPECT_EQ(std::stod(offers[i].text), offers[i].value) << i;
    }
    EXPECT_EQ(fields()[roughnessColumn()].column, "roughness");
}

}  // namespace
}  // namespace kelnor::sheet
