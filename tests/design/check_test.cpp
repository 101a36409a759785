// Checking a dam that stands: each condition's level + y against the surveyed wall top or
// crest, the crest's rules under a wall, the verdict, the raise rounded up to the step, and the
// existing values read from a file's rows.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "crest_cases.h"
#include "kelnor/design/check.h"

namespace kelnor::design {
namespace {

Dam standing(std::optional<double> wall, std::optional<double> crest, std::optional<double> wallTop,
             double step = 0.1) {
    Dam dam;
    dam.wall = wall;
    dam.existingCrest = crest;
    dam.existingWallTop = wallTop;
    dam.step = step;
    return dam;
}

// The example dam's wall top 0.2 m short: 104.0 m against 104.22285 m by the design flood.
TEST(CheckDam, TheExampleWithItsWallTopShort) {
    const DamCheck c = *checkDam(bookExample(), standing(1.2, 102.8, 104.0)).check;
    ASSERT_EQ(c.conditions.size(), 3u);
    EXPECT_EQ(c.governing, 1u);
    // Margins by hand: 104 − 102.67533, 104 − 104.22285, 104 − 103.90995.
    EXPECT_EQ(c.conditions[0].margin.margin, 1.324669);
    EXPECT_EQ(c.conditions[1].margin.margin, -0.22285);
    EXPECT_EQ(c.conditions[2].margin.margin, 0.090051);
    EXPECT_EQ(c.conditions[1].margin.existing, 104.0);
    EXPECT_FALSE(c.conditions[1].margin.met);
    EXPECT_TRUE(c.conditions[0].margin.met && c.conditions[2].margin.met);
    // The crest's rules: 101.5 + 0.5 = 102.0 and 102.3, both under the 102.8 that stands.
    ASSERT_EQ(c.rules.size(), 2u);
    EXPECT_EQ(c.rules[0].bound.rule, CrestRule::AboveNormalLevel);
    EXPECT_EQ(c.rules[0].margin.margin, 0.8);
    EXPECT_EQ(c.rules[1].bound.rule, CrestRule::AboveAbnormalLevel);
    EXPECT_EQ(c.rules[1].margin.margin, 0.5);
    EXPECT_FALSE(c.met());
    EXPECT_EQ(c.wallRaise, 0.3);
    EXPECT_EQ(c.crestRaise, 0);
    EXPECT_EQ(c.crestWithoutWall, 104.3);
}

TEST(CheckDam, TheRaiseIsTheShortfallRoundedUpToTheStep) {
    const struct {
        double wallTop, step;
        bool met;
        double raise;
    } rows[] = {
        {104.3, 0.1, true, 0},          // 0.077 m to spare
        {104.22285, 0.1, true, 0},      // on the requirement to the micrometre
        {104.2228492, 0.1, true, 0},    // 0.6 µm under: within the tolerance
        {104.222848, 0.1, false, 0.1},  // 1.8 µm under: short, a whole step to raise
        {104.0, 0.5, false, 0.5},      {103.7, 0.1, false, 0.6},  // 0.52285 short
        {103.7, 0.05, false, 0.55},    {102.2, 1, false, 3},
    };
    for (const auto& row : rows) {
        // The crest under the wall taken from the wall top, so only the wall is in question.
        const DamCheck c =
            *checkDam(bookExample(), standing(1.2, std::nullopt, row.wallTop, row.step)).check;
        EXPECT_EQ(c.governingMargin().met, row.met) << row.wallTop;
        EXPECT_EQ(c.wallRaise, row.raise) << row.wallTop << " by " << row.step;
    }
}

TEST(CheckDam, WithoutAWallTheCrestMeetsEachConditionAndNoRuleOfTheWallApplies) {
    const DamCheck met =
        *checkDam(bookExample(), standing(std::nullopt, 104.5, std::nullopt)).check;
    EXPECT_TRUE(met.met());
    EXPECT_FALSE(met.wallTop);
    EXPECT_TRUE(met.rules.empty());
    EXPECT_EQ(met.governingMargin().margin, 0.27715);
    EXPECT_EQ(met.crestRaise, 0);

    const DamCheck shortOf =
        *checkDam(bookExample(), standing(std::nullopt, 103.0, std::nullopt)).check;
    EXPECT_FALSE(shortOf.met());
    EXPECT_EQ(shortOf.crestRaise, 1.3);  // 1.22285 short
    EXPECT_EQ(shortOf.wallRaise, 0);
}

TEST(CheckDam, TheCrestUnderAWallShortOfItsOwnRules) {
    // The wall top meets every condition; the crest 102.2 stands 0.1 m under the check flood
    // level and 0.2 m above the design flood level + 0.5.
    const DamCheck c = *checkDam(bookExample(), standing(1.2, 102.2, 104.3)).check;
    EXPECT_TRUE(c.governingMargin().met);
    EXPECT_EQ(c.wallRaise, 0);
    EXPECT_TRUE(c.rules[0].margin.met);
    EXPECT_EQ(c.rules[0].margin.margin, 0.2);
    EXPECT_FALSE(c.rules[1].margin.met);
    EXPECT_EQ(c.rules[1].margin.margin, -0.1);
    EXPECT_EQ(c.crestRaise, 0.1);
    EXPECT_FALSE(c.met());
}

TEST(CheckDam, EitherExistingLevelGivesTheOtherByTheWall) {
    const DamCheck fromCrest = *checkDam(bookExample(), standing(1.2, 102.8, std::nullopt)).check;
    EXPECT_EQ(fromCrest.wallTop, 104.0);
    EXPECT_EQ(fromCrest.wallTopFrom, Surveyed::FromWall);
    EXPECT_EQ(fromCrest.crestFrom, Surveyed::Typed);
    const DamCheck fromTop = *checkDam(bookExample(), standing(1.2, std::nullopt, 104.0)).check;
    EXPECT_EQ(fromTop.crest, 102.8);
    EXPECT_EQ(fromTop.crestFrom, Surveyed::FromWall);
    EXPECT_EQ(fromTop.wallTopFrom, Surveyed::Typed);
}

TEST(CheckDam, NoCheckWhereTheConditionsCannotGiveOne) {
    Evaluation failed = bookExample();
    failed.failures.emplace_back(ConditionErrorKind::NotANumber, 4, "地震", "surge", "abc");
    const Dam dam = standing(1.2, 102.8, 104.0);
    EXPECT_EQ(checkDam(failed, dam).why, Unsettled::Failures);
    EXPECT_FALSE(checkDam(failed, dam).check);
    EXPECT_EQ(checkDam(Evaluation{}, dam).why, Unsettled::NoConditions);
}

TEST(CheckDam, NoReserveEntersACheckNorTheRaiseProposedInOne) {
    DamTexts texts = emptyDamTexts();
    for (const auto& [name, value] :
         std::vector<std::pair<const char*, const char*>>{{"wall", "1.2"},
                                                          {"settlement", "0.5"},
                                                          {"existing_wall_top", "104"},
                                                          {"wall_top", "104.3"}}) {
        setDamText(texts, name, value);
    }
    const Dam dam = readDam(texts);
    ASSERT_TRUE(dam.isCheck());
    const Settled s = *settleCrest(bookExample(), dam).settled;
    EXPECT_EQ(s.reserve, 0);
    EXPECT_EQ(s.asBuilt, s.crest.value);
    // The same values as a design reserve the 0.5 m.
    setDamText(texts, "existing_wall_top", "");
    EXPECT_EQ(settleCrest(bookExample(), readDam(texts)).settled->reserve, 0.5);
}

TEST(CheckDam, WhatStandsIsReadByNameOrCaption) {
    const Dam read = readDam(damTextsFromRows({{"防浪墙高度（m）", "1.2"},
                                               {"现状坝顶高程（m）", "102.8"},
                                               {"existing_wall_top", "104"}}));
    EXPECT_EQ(read.existingCrest, 102.8);
    EXPECT_EQ(read.existingWallTop, 104.0);
    EXPECT_FALSE(Dam{}.isCheck());

    // A crest level with its wall top, to the micrometre, is no crest above it.
    EXPECT_NO_THROW(readDam(damTextsFromRows(
        {{"wall", "1.2"}, {"existing_crest", "104.0000005"}, {"existing_wall_top", "104"}})));
}

}  // namespace
}  // namespace kelnor::design
