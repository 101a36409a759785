// A dike by the dike code GB 50286-2013: the published dike sheet recomputed, the rules where
// a dike differs from a dam, the grade from the flood standard, the sections read with their
// chainage, each section's crest settled, and a reach's crests made monotone.

#include "kelnor/design/dike.h"
#include "kelnor/design/wording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "condition_cells.h"

namespace kelnor::design {
namespace {

// True when `value` shows as `expected` to `decimals` places.
::testing::AssertionResult showsAs(double value, double expected, int decimals) {
    if (std::fabs(value - expected) <= 0.5 * std::pow(10.0, -decimals) + 1e-12) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << value << " does not show as " << expected;
}

// The sheet's section: V 19.1 m/s, F 10 m, d 4 m, m 0.1, KΔ 0.9, β 0, A 0.6, P 2 %.
Cells sheetSection(const testing_support::CellList& changes = {}) {
    return testing_support::conditionCells({{"section", "K0+000"},
                                            {"level", "10"},
                                            {"depth", "4"},
                                            {"wind", "19.1"},
                                            {"fetch", "0.01"},
                                            {"slope", "0.1"},
                                            {"roughness", "0.9"},
                                            {"grade", "3"},
                                            {"allowance", "0.6"}},
                                           changes);
}

TEST(Dike, ThePublishedDikeSheetRecomputed) {
    const SectionResult s = computeSection(readSection(sheetSection()), 0.1);
    const Result& r = s.result;
    // Each figure as the sheet prints it.
    EXPECT_TRUE(showsAs(r.waves.hm, 0.0370, 4));
    EXPECT_TRUE(showsAs(r.waves.Tm, 0.854, 3));
    ASSERT_TRUE(r.minDuration);
    EXPECT_TRUE(showsAs(*r.minDuration, 19.05, 2));
    EXPECT_TRUE(r.waves.deepWater);
    EXPECT_TRUE(showsAs(r.waves.Lm, 1.139, 3));
    EXPECT_TRUE(showsAs(r.runUp.celerityRatio, 3.049, 3));
    EXPECT_TRUE(showsAs(r.runUp.Kw, 1.223, 3));
    EXPECT_EQ(r.runUp.form, SlopeForm::Steep);
    EXPECT_TRUE(showsAs(r.runUp.r0Lookup->value, 1.282, 3));
    EXPECT_EQ(r.P, 2);
    EXPECT_TRUE(showsAs(r.runUp.kp.value, 2.07, 2));
    EXPECT_TRUE(showsAs(r.runUp.Rp, 0.108, 3));
    EXPECT_TRUE(showsAs(r.e, 0.0002, 4));
    EXPECT_TRUE(showsAs(r.y, 0.708, 3));
    // The crest: 10 + 0.708, rounded up.
    EXPECT_TRUE(showsAs(s.required, 10.708, 3));
    EXPECT_EQ(s.adopted, 10.8);
}

TEST(Dike, WhereTheDikeCodeDiffersFromTheDams) {
    // m = 1.1 lies between the dike's steep form (m ≤ 1.0) and the gentle one: interpolated,
    // where a dam takes the steep form up to 1.25.
    Condition c = readSection(sheetSection({{"slope", "1.1"}})).water;
    EXPECT_EQ(compute(c).runUp.form, SlopeForm::Transition);
    c.code = DesignCode::Dam;
    EXPECT_EQ(compute(c).runUp.form, SlopeForm::Steep);
    EXPECT_EQ(steepSlopeHigh(DesignCode::Dike), 1.0);
    EXPECT_EQ(steepSlopeHigh(DesignCode::Dam), 1.25);
    // The allowance by the dike's grade where none is typed.
    const struct {
        const char* grade;
        double A;
    } grades[] = {{"1", 1.0}, {"2", 0.8}, {"3", 0.7}, {"4", 0.6}, {"5", 0.5}};
    for (const auto& g : grades) {
        const Result r =
            compute(readSection(sheetSection({{"allowance", ""}, {"grade", g.grade}})).water);
        EXPECT_EQ(r.A, g.A) << g.grade;
    }
    // Warnings of the dike code: A of grade 1 above 1.5 m, a fetch above 100 km.
    const auto warned = [](const Result& r, WarningKind kind) {
        for (const Warning& w : r.warnings) {
            if (w.kind == kind) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(
        warned(compute(readSection(sheetSection({{"grade", "1"}, {"allowance", "1.6"}})).water),
               WarningKind::AllowanceAboveGrade1));
    EXPECT_FALSE(
        warned(compute(readSection(sheetSection({{"grade", "1"}, {"allowance", "1.5"}})).water),
               WarningKind::AllowanceAboveGrade1));
    const Result far =
        compute(readSection(sheetSection({{"fetch", "120"}, {"depth", "30"}})).water);
    EXPECT_TRUE(warned(far, WarningKind::DurationToCheck));
    EXPECT_FALSE(warned(far, WarningKind::FetchTooLong));
}

TEST(Dike, TheGradeFromTheProtectedAreasFloodStandard) {
    const struct {
        double years;
        std::optional<int> grade;
    } rows[] = {{300, 1}, {100, 1}, {99.9, 2}, {50, 2}, {30, 3},
                {29, 4},  {20, 4},  {19, 5},   {10, 5}, {9.9, std::nullopt}};
    for (const auto& row : rows) {
        EXPECT_EQ(dikeGradeOf(row.years), row.grade) << row.years;
    }
    const DikeSection s = readSection(sheetSection({{"grade", ""}, {"standard", "50"}}));
    EXPECT_EQ(s.water.grade, 2);
    EXPECT_EQ(s.standard, 50);
}

TEST(Dike, ASectionThatCannotBeReadIsRefusedByName) {
    using K = ConditionErrorKind;
    const testing_support::Refusal rows[] = {
        {"no level", {{"level", ""}}, K::Missing, "level"},
        {"grade and standard", {{"standard", "50"}}, K::BothGiven, "grade"},
        {"a standard below 10 years",
         {{"grade", ""}, {"standard", "5"}},
         K::OutsideTable,
         "standard"},
        {"Hedi", {{"formula", "hedi"}}, K::NotForDike, "formula"},
        {"a share without the ground", {{"settlement", "3%"}}, K::NeedsOther, "settlement"},
        {"a wall of 0", {{"wall", "0"}}, K::NotPositive, "wall"},
    };
    for (const auto& row : rows) {
        try {
            readSection(sheetSection(row.changes));
            ADD_FAILURE() << row.what << " was read";
        } catch (const ConditionError& e) {
            EXPECT_EQ(e.kind(), row.kind) << row.what;
            EXPECT_EQ(e.column(), row.column) << row.what;
        }
    }
    EXPECT_NO_THROW(readSection(sheetSection({{"formula", "莆田"}})));
}

TEST(Dike, ChainagesAndDesignCodesAsWritten) {
    const struct {
        const char* text;
        std::optional<double> metres;
    } chainages[] = {{"K0+500", 500},       {"0+500", 500},           {"k1+250.5", 1250.5},
                     {" K12+000 ", 12000},  {"上游段", std::nullopt}, {"K+500", std::nullopt},
                     {"K1+", std::nullopt}, {"1500", std::nullopt}};
    for (const auto& c : chainages) {
        EXPECT_EQ(chainageOf(c.text), c.metres) << c.text;
    }
    EXPECT_EQ(designCodeOf("GB 50286-2013"), DesignCode::Dike);
    EXPECT_EQ(designCodeOf("gb50286"), DesignCode::Dike);
    EXPECT_EQ(designCodeOf("SL 274"), DesignCode::Dam);
    EXPECT_EQ(designCodeOf("SL274-2020"), DesignCode::Dam);
    EXPECT_EQ(designCodeOf("GB 50201"), std::nullopt);
}

TEST(Dike, ASectionsCrestWithAWallAReserveAndWhatStands) {
    // 10 + 0.708 = 10.708 at the wall's top; a 1.0 m wall leaves the earth crest bound by the
    // level + 0.5 = 10.5, above the wall top less the wall, 9.708.
    const SectionResult wall = computeSection(readSection(sheetSection({{"wall", "1.0"}})), 0.1);
    ASSERT_TRUE(wall.wallTop);
    EXPECT_TRUE(showsAs(*wall.wallTop, 10.708, 3));
    EXPECT_EQ(wall.required, 10.5);
    EXPECT_EQ(wall.adopted, 10.5);
    // A reserve of 4 % of the dike's 5.8 m over ground 5.0 (adopted 10.8): 0.232 m.
    const SectionResult reserve =
        computeSection(readSection(sheetSection({{"ground", "5"}, {"settlement", "4%"}})), 0.1);
    EXPECT_TRUE(showsAs(reserve.reserve, 0.232, 6));
    EXPECT_EQ(reserve.asBuilt, 11.032);
    // A crest of 10.6 standing: 0.108 short of 10.708.
    const SectionResult checked =
        computeSection(readSection(sheetSection({{"existing_crest", "10.6"}})), 0.1);
    ASSERT_TRUE(checked.margin);
    EXPECT_FALSE(checked.margin->met);
    EXPECT_TRUE(showsAs(checked.margin->margin, -0.108, 3));
}

TEST(Dike, AReachsCrestsAreMadeMonotoneAndNeverBelowARequirement) {
    // Requirements falling downstream with a dip at K0+200 and a rise at K0+400.
    const auto reach = [](std::vector<std::pair<const char*, double>> levels) {
        std::vector<SectionResult> out;
        for (const auto& [name, level] : levels) {
            out.push_back(computeSection(
                readSection(sheetSection({{"section", name}, {"level", std::to_string(level)}})),
                0.1));
        }
        return out;
    };
    // Levels 12, 11.4, 11.6, 11.0, 11.5 (typed out of chainage order at the end) give the
    // adopted 12.8, 12.2, 12.4, 11.8, 12.3 before smoothing.
    std::vector<SectionResult> falling = reach(
        {{"K0+000", 12}, {"K0+100", 11.4}, {"K0+200", 11.6}, {"K0+400", 11.5}, {"K0+300", 11.0}});
    smoothReach(falling);
    const double expected[] = {12.8, 12.4, 12.4, 12.3, 12.3};
    for (std::size_t i = 0; i < falling.size(); ++i) {
        EXPECT_NEAR(falling[i].adopted, expected[i], 1e-9) << i;
        EXPECT_GE(falling[i].adopted, falling[i].required);
    }
    // Rising along the chainage: each at least as high as every one before it.
    std::vector<SectionResult> rising =
        reach({{"K0+000", 10}, {"K0+100", 11}, {"K0+200", 10.5}, {"K0+300", 12}});
    smoothReach(rising);
    EXPECT_NEAR(rising[2].adopted, 11.8, 1e-9);
    EXPECT_NEAR(rising[3].adopted, 12.8, 1e-9);
}

TEST(Dike, AChainageRunningBackOrUnreadIsWarnedOfAndTheOrderKept) {
    const struct {
        const char* name;
        bool back;
        bool unread;
    } rows[] = {
        {"K0+000", false, false}, {"K0+500", false, false}, {"K0+300", true, false},
        {"K0+5OO", false, true},  {"闸口", false, false},   {"K0+400", false, false},
    };
    std::optional<double> previous;
    for (const auto& r : rows) {
        SectionResult s = computeSection(readSection(sheetSection({{"section", r.name}})), 0.1);
        previous = checkChainage(s, previous);
        const auto has = [&](WarningKind kind) {
            return std::any_of(s.result.warnings.begin(), s.result.warnings.end(),
                               [kind](const Warning& w) { return w.kind == kind; });
        };
        EXPECT_EQ(has(WarningKind::ChainageBackwards), r.back) << r.name;
        EXPECT_EQ(has(WarningKind::ChainageUnread), r.unread) << r.name;
    }
    // A section named otherwise keeps the chainage before it: K0+400 follows K0+300.
    EXPECT_EQ(previous, 400.0);
    // Worded whatever the chainage: one too long for the decimals' buffer is said whole.
    const std::string huge = warningZh({WarningKind::ChainageBackwards, 1e100, 5e99});
    EXPECT_NE(huge.find("小于前一断面"), std::string::npos);
    EXPECT_EQ(fxTelling(1e100, 5e99, 3).rfind("1000000000", 0), 0u);
}

TEST(Dike, ADikesBlockAsItsFileWritesIt) {
    const auto read = [](std::vector<std::pair<std::string, std::string>> rows) {
        return readDikeBlock(damTextsFromRows(rows));
    };
    const DikeBlock block = read(
        {{"step", "0.05"}, {"smooth", " 是 "}, {"date", "2026/1/5"}, {"overtopping", "不允许"}});
    EXPECT_EQ(block.step, 0.05);
    EXPECT_TRUE(block.smooth);
    EXPECT_EQ(block.title.date, "2026-01-05");
    EXPECT_FALSE(read({}).smooth);
    const struct {
        std::pair<std::string, std::string> row;
        DamErrorKind kind;
    } refused[] = {
        {{"smooth", "maybe"}, DamErrorKind::NotYesOrNo},
        {{"overtopping", "allowed"}, DamErrorKind::Overtopped},
        {{"step", "0"}, DamErrorKind::NotPositive},
        {{"wall", "1.2"}, DamErrorKind::OtherCode},
    };
    for (const auto& r : refused) {
        try {
            read({r.row});
            ADD_FAILURE() << r.row.first << " was read";
        } catch (const DamError& e) {
            EXPECT_EQ(e.kind(), r.kind) << r.row.first;
            EXPECT_EQ(e.name(), r.row.first);
        }
    }
    // A dam's file takes none of a dike's rows.
    EXPECT_THROW(readDam(damTextsFromRows({{"smooth", "yes"}})), DamError);
}

}  // namespace
}  // namespace kelnor::design
