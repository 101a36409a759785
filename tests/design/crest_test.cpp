// Settling the crest over computed conditions: the highest level + y, the wave wall's three
// bounds on the crest beneath it, the adopted values rounded up or typed, the reserve and the
// crest as built; the dam's values read from a file's rows; and the earthquake condition.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "condition_cells.h"
#include "crest_cases.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/method.h"

namespace kelnor::design {
namespace {

TEST(SettleCrest, ThePublishedExamCaseGovernedByItsFourthCondition) {
    // Case F: the earthquake at the normal storage level, 105 + 2.8 = 107.8, and the others
    // at 109.5, 109.8 and 110.0 m.
    const Settlement s =
        settleCrest(evaluation({result("正常蓄水位", 105, 4.5), result("设计洪水位", 107.3, 2.5),
                                result("校核洪水位", 108.6, 1.4, Operation::Abnormal),
                                result("地震情况", 105, 2.8, Operation::Earthquake)}),
                    Dam{});
    ASSERT_TRUE(s.settled);
    EXPECT_EQ(s.settled->highest, 2u);
    EXPECT_DOUBLE_EQ(s.settled->highestLevelPlusY, 110.0);
    ASSERT_EQ(s.settled->bounds.size(), 1u);
    EXPECT_EQ(s.settled->bounds[0].rule, CrestRule::HighestLevelPlusY);
    EXPECT_FALSE(s.settled->wallTop);
    EXPECT_FALSE(s.settled->wallHeight);
    EXPECT_EQ(s.settled->crest.value, 110.0);
    EXPECT_TRUE(s.settled->crest.met);
    EXPECT_EQ(s.settled->asBuilt, 110.0);
}

TEST(SettleCrest, EachOfTheWallsBoundsTakesTheLeadInTurn) {
    struct Expected {
        double wallTop;
        std::vector<double> bounds;  // wall top less wall, normal level + 0.5, abnormal level
        std::size_t leading;
        double crest, wallHeight;
        bool unusual;
    };
    const struct {
        const char* what;
        Evaluation ev;
        double wall;
        Expected x;
    } rows[] = {
        {"wall top less the wall",
         bookExample(),
         1.2,
         {104.3, {103.1, 102.0, 102.3}, 0, 103.1, 1.2, false}},
        {"a wall higher than usual",
         bookExample(),
         1.5,
         {104.3, {102.8, 102.0, 102.3}, 0, 102.8, 1.5, true}},
        {"0.5 m above the normal level",
         evaluation({result("正常", 100, 0.6), result("校核", 100.2, 0.3, Operation::Abnormal)}),
         1.2,
         {100.6, {99.4, 100.5, 100.2}, 1, 100.5, 0.1, true}},
        // The highest normal level counts, not the normal condition with the highest crest.
        {"the highest normal level",
         evaluation({result("正常", 100, 3.0), result("设计", 101.5, 1.0)}),
         1.2,
         {103.0, {101.8, 102.0}, 1, 102.0, 1.0, false}},
        {"not below the highest abnormal level",
         evaluation({result("正常", 100, 2.0), result("校核", 101.5, 1.0, Operation::Abnormal),
                     result("地震", 100, 2.4, Operation::Earthquake)}),
         1.2,
         {102.5, {101.3, 100.5, 101.5}, 2, 101.5, 1.0, false}},
        {"the earthquake's level is abnormal",
         evaluation({result("正常", 100, 1.0), result("地震", 101.4, 0.5, Operation::Earthquake)}),
         1.2,
         {101.9, {100.7, 100.5, 101.4}, 2, 101.4, 0.5, true}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Settlement s = settleCrest(row.ev, withWall(row.wall));
        ASSERT_TRUE(s.settled && s.settled->wallTop && s.settled->wallHeight);
        const Settled& d = *s.settled;
        EXPECT_EQ(d.wallTop->value, row.x.wallTop);
        ASSERT_EQ(d.bounds.size(), row.x.bounds.size());
        for (std::size_t i = 0; i < row.x.bounds.size(); ++i) {
            EXPECT_DOUBLE_EQ(d.bounds[i].value, row.x.bounds[i]) << i;
        }
        EXPECT_EQ(d.bounds[0].rule, CrestRule::WallTopLessWall);
        EXPECT_EQ(d.leading, row.x.leading);
        EXPECT_EQ(d.crest.value, row.x.crest);
        EXPECT_DOUBLE_EQ(*d.wallHeight, row.x.wallHeight);
        EXPECT_EQ(d.wallHeightUnusual, row.x.unusual);
    }
    // The bounds name the conditions they count from: 设计洪水位 and 校核洪水位.
    const Settled d = *settleCrest(bookExample(), withWall(1.2)).settled;
    EXPECT_EQ(d.bounds[1].condition, 1u);
    EXPECT_EQ(d.bounds[2].condition, 2u);
}

TEST(RoundUp, ToTheStepAndWrittenAsItsDecimals) {
    const struct {
        double value, step, adopted;
    } rows[] = {{104.2, 0.1, 104.2},
                // Within the micrometre every comparison allows, a value stays on its step;
                // beyond it, it goes up.
                {104.2000009, 0.1, 104.2},
                {104.200002, 0.1, 104.3},
                {104.22284981178971, 0.1, 104.3},
                {104.3, 0.1, 104.3},
                {99.95, 0.1, 100.0},
                {104.22284981178971, 0.5, 104.5},
                {104.5, 0.5, 104.5},
                {104.22, 0.01, 104.22},
                {104.22284981178971, 0.01, 104.23},
                {104, 1, 104},
                {104.22284981178971, 1, 105},
                {0.1 + 0.2, 0.1, 0.3},
                {104.22284981178971, 0.05, 104.25}};
    for (const auto& row : rows) {
        // Exactly the decimal: 104.3, not 1043 × 0.1 = 104.30000000000001.
        EXPECT_EQ(roundUp(row.value, row.step), row.adopted) << row.value << " to " << row.step;
    }
}

TEST(SettleCrest, ATypedValueIsKeptAndCheckedAgainstItsRequirement) {
    struct Row {
        const char* what;
        std::optional<double> crest, wallTop;
        double crestValue;
        bool crestMet;
        double wallTopValue;
        bool wallTopMet;
    };
    const std::vector<Row> rows = {
        {"crest below", 103.0, std::nullopt, 103.0, false, 104.3, true},
        {"crest above", 104.0, std::nullopt, 104.0, true, 104.3, true},
        // The crest still counts from the wall top required, not the one typed too low.
        {"wall top below", std::nullopt, 104.2, 103.1, true, 104.2, false},
        {"wall top above", std::nullopt, 104.5, 103.3, true, 104.5, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Dam dam = withWall(1.2);
        dam.crest = row.crest;
        dam.wallTop = row.wallTop;
        const Settled d = *settleCrest(bookExample(), dam).settled;
        EXPECT_EQ(d.crest.value, row.crestValue);
        EXPECT_EQ(d.crest.met, row.crestMet);
        EXPECT_EQ(d.crest.typed, row.crest.has_value());
        EXPECT_EQ(d.wallTop->value, row.wallTopValue);
        EXPECT_EQ(d.wallTop->met, row.wallTopMet);
        EXPECT_DOUBLE_EQ(d.wallTop->required, 104.22284981178971);
        EXPECT_EQ(d.met(), row.crestMet && row.wallTopMet);
    }
}

TEST(SettleCrest, OffTheStepWhatFollowsCountsFromTheAdoptedValues) {
    // The book example requires 104.2228498 (104.22285) of the crest, or of a wall's top.
    struct Row {
        const char* what;
        std::optional<double> wall;
        double step;
        std::optional<double> typed;  // the crest typed
        double reserve;
        double required, crest, asBuilt;
        std::optional<double> wallHeight;
    };
    const std::vector<Row> rows = {
        // 104.22285 up to 104.3; as built 104.3 + 0.5 = 104.8.
        {"rounded up", std::nullopt, 0.1, std::nullopt, 0.5, 104.22285, 104.3, 104.8, {}},
        // Kept as typed, short of 104.22285; as built 103.15 + 0.5 = 103.65.
        {"typed", std::nullopt, 0.1, 103.15, 0.5, 104.22285, 103.15, 103.65, {}},
        // Wall top 104.22285 up to 104.5, less 1.2 = 103.3, up to 103.5; as built
        // 103.5 + 0.2 = 103.7; the wall 104.5 − 103.5 = 1.0 high.
        {"a wall, step 0.5", 1.2, 0.5, std::nullopt, 0.2, 103.3, 103.5, 103.7, 1.0},
        // Wall top 104.3, less 1.2 = 103.1; crest typed 103.15, the wall 104.3 − 103.15 = 1.15.
        {"a wall, crest typed", 1.2, 0.1, 103.15, 0, 103.1, 103.15, 103.15, 1.15}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Dam dam;
        dam.wall = row.wall;
        dam.step = row.step;
        dam.crest = row.typed;
        dam.reserve = Reserve{row.reserve, false};
        const Settled d = *settleCrest(bookExample(), dam).settled;
        EXPECT_NEAR(d.crest.required, row.required, 1e-5);
        EXPECT_EQ(d.crest.value, row.crest);
        EXPECT_EQ(d.crest.typed, row.typed.has_value());
        EXPECT_DOUBLE_EQ(d.asBuilt, row.asBuilt);
        EXPECT_EQ(d.wallHeight.has_value(), row.wallHeight.has_value());
        if (d.wallHeight && row.wallHeight) {
            EXPECT_DOUBLE_EQ(*d.wallHeight, *row.wallHeight);
            EXPECT_FALSE(d.wallHeightUnusual);
        }
    }
}

TEST(SettleCrest, OfBoundsEqualToTheMicrometreTheFirstLeads) {
    // 正常 at 100 + 1.6 sets the wall's top, 101.6, and the normal bound, 100 + 0.5 = 100.5.
    const struct {
        const char* what;
        double wall;
        double abnormal;  // the abnormal level, its y 0.3 keeping it under 101.6
        std::size_t leading;
        CrestRule rule;
    } rows[] = {// 101.6 − 1.1 = 100.5 = 100 + 0.5.
                {"wall top less wall and normal", 1.1, 100.0, 0, CrestRule::WallTopLessWall},
                // 101.6 − 1.2 = 100.4 under 100 + 0.5 = 100.5, the abnormal level.
                {"normal and abnormal", 1.2, 100.5, 1, CrestRule::AboveNormalLevel},
                // 101.6 − 1.1 = 100.5 = 100 + 0.5 = 100.5.
                {"all three", 1.1, 100.5, 0, CrestRule::WallTopLessWall}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Settled d =
            *settleCrest(evaluation({result("正常", 100, 1.6),
                                     result("校核", row.abnormal, 0.3, Operation::Abnormal)}),
                         withWall(row.wall))
                 .settled;
        EXPECT_EQ(d.wallTop->value, 101.6);
        EXPECT_EQ(d.leading, row.leading);
        EXPECT_EQ(d.bounds[d.leading].rule, row.rule);
        EXPECT_EQ(d.crest.required, 100.5);
        EXPECT_EQ(d.crest.value, 100.5);
    }
}

TEST(SettleCrest, TheReserveInMetresOrAsAShareOfTheDamsHeight) {
    const struct {
        const char* settlement;
        const char* damHeight;
        double reserve, asBuilt;
    } rows[] = {{"0.3%", "68", 0.204, 103.304},
                {"0.3 ％", "68", 0.204, 103.304},
                {"0.5", "", 0.5, 103.6},
                {"", "68", 0, 103.1},
                // Nothing left to settle is a reserve of its own, not a fault.
                {"0", "", 0, 103.1}};
    for (const auto& row : rows) {
        DamTexts texts = emptyDamTexts();
        setDamText(texts, "wall", "1.2");
        setDamText(texts, "settlement", row.settlement);
        setDamText(texts, "dam_height", row.damHeight);
        const Settled d = *settleCrest(bookExample(), readDam(texts)).settled;
        EXPECT_DOUBLE_EQ(d.reserve, row.reserve) << row.settlement;
        EXPECT_EQ(d.asBuilt, row.asBuilt) << row.settlement;
        EXPECT_EQ(d.crest.value, 103.1);  // the reserve is kept apart from the crest
    }
}

TEST(SettleCrest, WhyTheCrestCannotBeSettled) {
    EXPECT_EQ(settleCrest(Evaluation{}, Dam{}).why, Unsettled::NoConditions);
    Evaluation failed = bookExample();
    failed.failures.emplace_back(ConditionErrorKind::NotANumber, 4, "地震", "surge", "abc");
    EXPECT_EQ(settleCrest(failed, Dam{}).why, Unsettled::Failures);
    EXPECT_FALSE(settleCrest(failed, Dam{}).settled);
    Evaluation noLevel = evaluation({result("a", 100, 2), result("b", 101, 2)});
    for (Result& r : noLevel.results) {
        r.condition.level.reset();
        r.crest.reset();
    }
    EXPECT_EQ(settleCrest(noLevel, withWall(1.2)).why, Unsettled::NoLevel);
}

TEST(DamRows, AValueThatCannotBeUsedIsNamed) {
    using K = DamErrorKind;
    const struct {
        std::vector<std::pair<std::string, std::string>> rows;
        DamErrorKind kind;
        const char *name, *other;
    } cases[] = {{{{"walll", "1.2"}}, K::UnknownName, "walll", ""},
                 {{{"wall", "1.2"}, {"防浪墙高度（m）", "1.0"}}, K::Repeated, "wall", ""},
                 {{{"wall", "abc"}}, K::NotANumber, "wall", ""},
                 {{{"wall", "0"}}, K::NotPositive, "wall", ""},
                 {{{"settlement", "-0.2"}}, K::Negative, "settlement", ""},
                 {{{"settlement", "0.3%"}}, K::NeedsOther, "settlement", "dam_height"},
                 {{{"wall_top", "104.3"}}, K::NeedsOther, "wall_top", "wall"},
                 // What stands: a wall top needs the wall, the crest must not stand above it.
                 {{{"existing_wall_top", "104"}}, K::NeedsOther, "existing_wall_top", "wall"},
                 {{{"wall", "1.2"}, {"existing_wall_top", "104"}, {"existing_crest", "104.1"}},
                  K::AboveOther,
                  "existing_crest",
                  "existing_wall_top"},
                 {{{"existing_crest", "1O2.8"}}, K::NotANumber, "existing_crest", ""},
                 {{{"date", "2024-02-30"}}, K::NotADate, "date", ""},
                 {{{"date", "2024/13/1"}}, K::NotADate, "date", ""}};
    for (const auto& c : cases) {
        try {
            readDam(damTextsFromRows(c.rows));
            ADD_FAILURE() << c.rows.back().second << " was read";
        } catch (const DamError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.rows.back().second;
            EXPECT_EQ(e.name(), c.name);
            EXPECT_EQ(e.text(), c.rows.back().second);  // the text as given
            EXPECT_EQ(e.other(), c.other);
        }
    }
}

TEST(DamRows, ChineseCaptionsAndExcelsDateAreRead) {
    const Dam dam = readDam(damTextsFromRows({{"防浪墙高度（m）", "1.2"},
                                              {"工程名称", "某水库"},
                                              {"预留沉降（m 或 %）", "0.3%"},
                                              {" Dam_Height ", "68"},
                                              {"取整步长(m)", "0.5"},
                                              {"date", "2024/5/1"}}));
    EXPECT_EQ(dam.wall, 1.2);
    EXPECT_EQ(dam.title.project, "某水库");
    EXPECT_DOUBLE_EQ(dam.reserveMetres(), 0.204);
    EXPECT_EQ(dam.step, 0.5);
    EXPECT_EQ(dam.title.date, "2024-05-01");
}

// --- The earthquake condition: the abnormal run-up at its level plus B ----------------------

// The book example's normal storage level, 100 m.
const testing_support::CellList kQuake = {
    {"case", "地震情况"}, {"level", "100"},     {"depth", "30"},
    {"mean_depth", "24"}, {"wind", "21"},       {"fetch", "3"},
    {"slope", "3"},       {"roughness", "0.8"}, {"grade", "2"}};

Cells quakeCells(const testing_support::CellList& changes) {
    return testing_support::conditionCells(kQuake, changes);
}

TEST(Earthquake, TheAbnormalConditionAtItsLevelPlusSurgeAndSettlement) {
    const Result abnormal =
        compute(readCondition(quakeCells({{"operation", "abnormal"}, {"wind", "14"}})));
    // The annual maximum of 14 m/s takes the abnormal factor 1.0.
    const Result quake = compute(readCondition(quakeCells({{"operation", "地震"},
                                                           {"wind", ""},
                                                           {"wind_max", "14"},
                                                           {"surge", "0.5"},
                                                           {"quake_settlement", "0.2"}})));
    EXPECT_EQ(quake.condition.wind, 14);
    EXPECT_EQ(quake.waves.hm, abnormal.waves.hm);
    EXPECT_EQ(quake.runUp.Rp, abnormal.runUp.Rp);
    EXPECT_EQ(quake.e, abnormal.e);
    EXPECT_EQ(quake.A, 0.5);  // grade 2, abnormal, mountains and hills
    EXPECT_EQ(abnormal.A, 0.5);
    EXPECT_DOUBLE_EQ(quake.B, 0.7);
    EXPECT_EQ(abnormal.B, 0);
    EXPECT_DOUBLE_EQ(quake.y, abnormal.y + 0.5 + 0.2);
    EXPECT_DOUBLE_EQ(*quake.crest, 100 + quake.y);
}

TEST(Earthquake, ItsColumnsOnlyOnItsOwnConditionAndNeverNegative) {
    using K = ConditionErrorKind;
    const std::pair<std::string, std::string> quake = {"operation", "earthquake"};
    const struct {
        testing_support::CellList changes;
        K kind;
        const char *column, *otherText;
    } rows[] = {
        {{quake}, K::Missing, "surge", ""},
        {{quake, {"surge", " "}}, K::Missing, "surge", ""},
        {{{"operation", "abnormal"}, {"surge", "0.5"}}, K::NotForOperation, "surge", "abnormal"},
        {{{"quake_settlement", "0.1"}}, K::NotForOperation, "quake_settlement", "normal"},
        {{quake, {"surge", "abc"}}, K::NotANumber, "surge", ""},
        {{quake, {"surge", "-0.5"}}, K::Negative, "surge", ""},
        {{quake, {"surge", "0.5"}, {"quake_settlement", "-0.1"}},
         K::Negative,
         "quake_settlement",
         ""},
        {{{"allowance", "-0.1"}}, K::Negative, "allowance", ""},
        {{{"extra", "-0.1"}}, K::Negative, "extra", ""}};
    for (const auto& row : rows) {
        try {
            readCondition(quakeCells(row.changes));
            ADD_FAILURE() << row.column << " was read";
        } catch (const ConditionError& e) {
            EXPECT_EQ(e.kind(), row.kind) << row.column;
            EXPECT_EQ(e.column(), row.column);
            EXPECT_EQ(e.otherText(), row.otherText) << row.column;
        }
    }
}

TEST(Earthquake, SurgeWindFactorAndRoughnessWarnedOfOnlyPastTheirLimits) {
    using W = WarningKind;
    const std::pair<std::string, std::string> quake = {"operation", "earthquake"};
    const testing_support::CellList factor = {{"wind", ""}, {"wind_max", "14"}};
    const struct {
        testing_support::CellList changes;
        WarningKind kind;
        bool raised;
    } rows[] = {
        {{quake, {"surge", "0.4"}}, W::SurgeOutside, true},
        {{quake, {"surge", "0.5"}}, W::SurgeOutside, false},
        {{quake, {"surge", "1.5"}}, W::SurgeOutside, false},
        {{quake, {"surge", "1.6"}}, W::SurgeOutside, true},
        {{{"wind_factor", "1.4"}}, W::WindFactorBelowNormal, true},
        {{{"wind_factor", "1.5"}}, W::WindFactorBelowNormal, false},
        {{{"wind_factor", "1.4"}, {"operation", "abnormal"}}, W::WindFactorBelowNormal, false},
        {{{"roughness", "1.0"}}, W::RoughnessAboveSmooth, false},
        {{{"roughness", "1.05"}}, W::RoughnessAboveSmooth, true}};
    for (const auto& row : rows) {
        testing_support::CellList changes = row.changes;
        if (row.kind == W::WindFactorBelowNormal) {
            changes.insert(changes.begin(), factor.begin(), factor.end());
        }
        const Result r = compute(readCondition(quakeCells(changes)));
        int found = 0;
        for (const Warning& w : r.warnings) {
            found += w.kind == row.kind ? 1 : 0;
        }
        EXPECT_EQ(found, row.raised ? 1 : 0) << row.changes.back().second;
    }
}

}  // namespace
}  // namespace kelnor::design
