// The design code's method (SL 274 Appendix A): the published worked examples, a three-condition
// case worked by hand, the tables read at and between their points, the slope forms, the
// wavelength, the design wind from the annual maximum, every warning and every failure.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "condition_cells.h"
#include "design_words.h"
#include "kelnor/design/method.h"

namespace kelnor::design {
namespace {

// True when `value` shows as `expected` to `decimals` places, allowing `units` of the last
// place for figures the source computed from rounded intermediates.
::testing::AssertionResult showsAs(double value, double expected, int decimals,
                                   double units = 0.5) {
    const double tolerance = units * std::pow(10.0, -decimals) + 1e-12;
    if (std::fabs(value - expected) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << value << " does not show as " << expected;
}

Cells cells(const testing_support::CellList& changes, int row = 1) {
    // A normal-operation grade-2 condition on a 1:3 slope with a deep reservoir.
    return testing_support::conditionCells({{"case", "正常蓄水位"},
                                            {"depth", "30"},
                                            {"wind", "21"},
                                            {"fetch", "3"},
                                            {"slope", "3"},
                                            {"roughness", "0.8"},
                                            {"grade", "2"}},
                                           changes, row);
}

Condition condition(std::vector<std::pair<std::string, std::string>> changes) {
    return readCondition(cells(std::move(changes)));
}

// The error that refuses the condition with `changes`, read as row 3, its kind and column
// checked; none, and a failure named by `what`, when the condition reads.
std::optional<ConditionError> refusal(const testing_support::CellList& changes,
                                      ConditionErrorKind kind, const std::string& column,
                                      const std::string& what) {
    try {
        readCondition(cells(changes, 3));
        ADD_FAILURE() << what << ": the condition was read";
    } catch (const ConditionError& e) {
        EXPECT_EQ(e.kind(), kind) << what;
        EXPECT_EQ(e.column(), column) << what;
        return e;
    }
    return std::nullopt;
}

using testing_support::waveCondition;

TEST(WorkedExample, PutianWaveElementsOfExampleB) {
    // D = 3000 m, W = 10.7 m/s, Hm = 15.59 m; the page's figures to the digits it gives.
    const Result r = compute(
        condition({{"depth", "15.59"}, {"wind", "10.7"}, {"fetch", "3"}, {"formula", "putian"}}));
    EXPECT_TRUE(showsAs(r.waves.gD_W2, 257.053, 3));
    EXPECT_TRUE(showsAs(r.waves.gHm_W2, 1.336, 3));
    EXPECT_TRUE(showsAs(r.waves.ghm_W2, 0.0214, 4));
    EXPECT_TRUE(showsAs(r.waves.hm, 0.250, 3));
    EXPECT_TRUE(showsAs(r.waves.hm / 15.59, 0.016, 3));
    EXPECT_TRUE(showsAs(2.42 * r.waves.hm, 0.606, 3));  // h1% with the deep-water 2.42
    EXPECT_TRUE(showsAs(r.waves.Tm, 2.220, 3));
    EXPECT_TRUE(showsAs(r.waves.Lm, 7.698, 3));
    EXPECT_TRUE(r.waves.deepWater);
}

TEST(WorkedExample, HediNormalAndCheckConditionsOfExampleC) {
    // D = 4000 m, m = 3, KΔ = 0.8, Kw = 1.0; W = 4.275 (normal, design) and 2.85 m/s (check).
    // The page works with rounded intermediates (h2% then hm to three decimals), so its
    // last digit may differ by up to two units: our h2% 0.1914 / 0.1042, Lm 3.3321 / 2.2214,
    // hm 0.0859 / 0.0467, Rm 0.1353 / 0.0815 against its 0.192 / 0.104, 3.334 / 2.222,
    // 0.086 / 0.047, 0.135 / 0.082.
    struct Row {
        const char* wind;
        double gD, h2, Lm, hm, Rm;
    };
    const std::vector<Row> rows = {
        {"4.275", 2147, 0.192, 3.334, 0.086, 0.135},
        {"2.85", 4831, 0.104, 2.222, 0.047, 0.082},
    };
    for (const auto& row : rows) {
        const Result r = compute(condition({{"wind", row.wind},
                                            {"fetch", "4"},
                                            {"depth", "50"},
                                            {"kw", "1.0"},
                                            {"formula", "hedi"}}));
        EXPECT_TRUE(showsAs(r.waves.gD_W2, row.gD, 0)) << row.wind;
        EXPECT_EQ(r.waves.hpP, 2);
        EXPECT_TRUE(showsAs(r.waves.hp, row.h2, 3, 2)) << row.wind;
        EXPECT_TRUE(showsAs(r.waves.Lm, row.Lm, 3, 2)) << row.wind;
        EXPECT_TRUE(showsAs(r.waves.hm, row.hm, 3, 0.5)) << row.wind;
        EXPECT_TRUE(showsAs(r.runUp.Rm, row.Rm, 3, 1)) << row.wind;
        // hm/Hm ≈ 0.002: the ratio lies just below the deep-water 2.23.
        EXPECT_GT(r.waves.ratio.value, 2.22);
        EXPECT_LT(r.waves.ratio.value, 2.23);
        EXPECT_TRUE(r.warnings.empty());
    }
}

TEST(Guanting, FivePercentHeightUpToGdOverW2Of250AndTenPercentAbove) {
    // By hand, D in m and g = 9.81:
    //   hp = 0.0076·W^(−1/12)·(gD/W²)^(1/3)·W²/g,
    //   Lm = 0.331·W^(−1/2.15)·(gD/W²)^(1/3.75)·W²/g.
    // hm/Hm stays below 0.1, so hm solves hm·(r0 + (r1 − r0)·(hm/Hm)/0.1) = hp with the
    // deep-water and 0.1 rows of the column: 1.95, 1.86 for h5%; 1.71, 1.65 for h10%.
    struct Row {
        double wind, fetchKm, gD, hpP, hm, Lm;
    };
    const std::vector<Row> rows = {
        {15, 3, 130.8, 5, 0.364133455503, 7.90225510993},
        {10, 5, 490.5, 10, 0.295937926363, 6.03318223789},
    };
    for (const auto& row : rows) {
        const Result r =
            compute(waveCondition(WaveFormula::Guanting, row.wind, row.fetchKm, 30, 30));
        EXPECT_NEAR(r.waves.gD_W2, row.gD, 1e-11 * row.gD) << row.wind;
        EXPECT_EQ(r.waves.hpP, row.hpP) << row.wind;
        EXPECT_NEAR(r.waves.hm, row.hm, 1e-11 * row.hm) << row.wind;
        EXPECT_NEAR(r.waves.Lm, row.Lm, 1e-11 * row.Lm) << row.wind;
    }
}

TEST(ThreeConditions, GoverningConditionAndCrestFollowByHand) {
    // Putian, grade 2, KΔ 0.8, m = 3, Hm = H, deep water in all three.
    // By hand (g = 9.81), e.g. the design flood: g·Hm/W² = 0.70068, a = 0.13·th(0.7·0.70068^0.7)
    // = 0.0658, g·hm/W² = 0.012124, hm = 0.54506 m, Tm = 4.438·√hm = 3.27649 s,
    // Lm = g·Tm²/2π = 16.7612 m, e = 3.6e-6·21²·3200/(2·9.81·31.5) = 0.008220 m,
    // W/√(gH) = 1.19456 → Kw = 1.00 + 0.02·0.19456/0.5 = 1.007782,
    // Rm = 0.8·1.007782·√(0.54506·16.7612)/√10 = 0.77061, hm/H = 0.0173 → Kp(1 %) = 2.23,
    // Rp = 1.71845, A = 1.00 (grade 2, normal), y = 2.72667, crest = 101.5 + y = 104.22667.
    const Evaluation ev = evaluateRows(testing_support::exampleConditions(false));
    ASSERT_EQ(ev.results.size(), 3u);
    ASSERT_TRUE(ev.failures.empty());
    struct Expect {
        double hm, e, Kw, Rm, Rp, A, y, crest;
    };
    const std::vector<Expect> expected = {
        {0.529464, 0.008092, 1.008965, 0.749435, 1.671240, 1.0, 2.679332, 102.679332},
        {0.545057, 0.008220, 1.007785, 0.770605, 1.718449, 1.0, 2.726670, 104.226670},
        {0.354089, 0.003674, 1.000000, 0.496746, 1.107743, 0.5, 1.611418, 103.911418},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const Result& r = ev.results[i];
        const Expect& x = expected[i];
        EXPECT_TRUE(showsAs(r.waves.hm, x.hm, 6)) << i;
        EXPECT_TRUE(showsAs(r.e, x.e, 6)) << i;
        EXPECT_TRUE(showsAs(r.runUp.Kw, x.Kw, 6)) << i;
        EXPECT_TRUE(showsAs(r.runUp.Rm, x.Rm, 6)) << i;
        EXPECT_EQ(r.runUp.kp.value, 2.23) << i;
        EXPECT_TRUE(showsAs(r.runUp.Rp, x.Rp, 6)) << i;
        EXPECT_EQ(r.A, x.A) << i;
        EXPECT_TRUE(showsAs(r.y, x.y, 6)) << i;
        ASSERT_TRUE(r.crest.has_value());
        EXPECT_TRUE(showsAs(*r.crest, x.crest, 6)) << i;
    }
    EXPECT_EQ(ev.rule, GoverningRule::HighestCrest);
    ASSERT_EQ(ev.governing, 1u);
    EXPECT_TRUE(ev.results[1].governs);
    EXPECT_FALSE(ev.results[0].governs);
    EXPECT_FALSE(ev.results[2].governs);
}

TEST(Governing, WithoutLevelsOrWithSomeTheRuleSaysWhich) {
    const Condition low = condition({{"wind", "14"}});
    const Condition high = condition({{"wind", "25"}});
    Condition lowWithLevel = low;
    lowWithLevel.level = 200;
    Condition highWithLevel = high;
    highWithLevel.level = 100;

    // No level anywhere: the largest y.
    Evaluation ev = evaluate({low, high});
    EXPECT_EQ(ev.rule, GoverningRule::HighestY);
    EXPECT_EQ(ev.governing, 1u);
    // Only the low wind has a level: it governs although its y is smaller.
    ev = evaluate({lowWithLevel, high});
    EXPECT_EQ(ev.rule, GoverningRule::CrestOfThoseWithLevel);
    EXPECT_EQ(ev.governing, 0u);
    // Both levels: the higher crest, 200 + y beats 100 + y.
    ev = evaluate({highWithLevel, lowWithLevel});
    EXPECT_EQ(ev.rule, GoverningRule::HighestCrest);
    EXPECT_EQ(ev.governing, 1u);
    // A tie goes to the first; nothing computed, nothing governs.
    ev = evaluate({low, low});
    EXPECT_EQ(ev.governing, 0u);
    ev = evaluate({});
    EXPECT_EQ(ev.rule, GoverningRule::None);
    EXPECT_FALSE(ev.governing.has_value());
}

TEST(Tables, KwIsReadAtAndBetweenItsPointsAndHeldBeyond) {
    struct Row {
        double x, kw;
        bool beyond;
    };
    const std::vector<Row> rows = {
        {0.5, 1.00, false},  // the table gives 1.00 for 1 and below
        {1.0, 1.00, false},  {1.5, 1.02, false}, {2.25, 1.12, false},  // midway 1.08–1.16
        {3.2, 1.232, false},                                           // 1.22 + 0.03·0.4
        {4.5, 1.29, false},  {5.0, 1.30, false}, {6.0, 1.30, true},
    };
    for (const auto& row : rows) {
        const Lookup l = lookUpKw(row.x);
        EXPECT_NEAR(l.value, row.kw, 1e-12) << row.x;
        EXPECT_EQ(l.beyondHigh, row.beyond) << row.x;
    }
    const Lookup between = lookUpKw(2.25);
    EXPECT_EQ(between.lower.x, 2.0);
    EXPECT_EQ(between.upper.x, 2.5);
}

TEST(Tables, KpBandByHmOverHAndLinearInP) {
    struct Row {
        double hmOverH, P, kp;
    };
    const std::vector<Row> rows = {
        {0.05, 1, 2.23},   {0.05, 5, 1.84},     {0.05, 0.1, 2.66},
        {0.05, 50, 0.96},  {0.05, 3, 1.985},     // midway 2.07–1.90
        {0.05, 7.5, 1.74},                       // midway 1.84–1.64
        {0.1, 1, 2.08},    {0.3, 5, 1.75},       // 0.1 and 0.3 belong to the middle band
        {0.31, 1, 1.86},   {0.31, 2.5, 1.7325},  // 1.76 − 0.11·0.5/2
    };
    for (const auto& row : rows) {
        EXPECT_NEAR(lookUpKp(row.hmOverH, row.P).value, row.kp, 1e-12)
            << row.hmOverH << " " << row.P;
    }
}

TEST(Tables, R0AndHpOverHmAndKbetaAndAllowance) {
    EXPECT_EQ(lookUpR0(0).value, 1.24);
    EXPECT_NEAR(lookUpR0(0.75).value, 1.825, 1e-12);
    EXPECT_EQ(lookUpR0(1.25).value, 2.50);
    EXPECT_EQ(lookUpRatio(0, 2).value, 2.23);
    EXPECT_EQ(lookUpRatio(0, 1).value, 2.42);
    EXPECT_NEAR(lookUpRatio(0.05, 2).value, 2.165, 1e-12);
    EXPECT_EQ(lookUpRatio(0.6, 2).value, 1.56);
    EXPECT_TRUE(lookUpRatio(0.6, 2).beyondHigh);
    EXPECT_NEAR(lookUpKbeta(25).value, 0.94, 1e-12);
    EXPECT_EQ(lookUpKbeta(70).value, 0.76);
    EXPECT_TRUE(lookUpKbeta(70).beyondHigh);
    struct Row {
        int grade;
        Operation op;
        Region region;
        double A;
        Standing standing;
    };
    const std::vector<Row> rows = {
        {1, Operation::Normal, Region::Plain, 1.50, Standing::NotConfirmed},
        {3, Operation::Normal, Region::Mountain, 0.70, Standing::NotConfirmed},
        {2, Operation::Abnormal, Region::Mountain, 0.50, Standing::Confirmed},
        {2, Operation::Normal, Region::Plain, 1.00, Standing::Confirmed},
        {2, Operation::Earthquake, Region::Mountain, 0.50, Standing::Confirmed},
        {2, Operation::Abnormal, Region::Plain, 0.70, Standing::NotConfirmed},
        {4, Operation::Normal, Region::Mountain, 0.50, Standing::Confirmed},
        {5, Operation::Abnormal, Region::Plain, 0.30, Standing::Confirmed},
    };
    for (const auto& row : rows) {
        const AllowanceLookup a = lookUpAllowance(row.grade, row.op, row.region);
        EXPECT_EQ(a.value, row.A) << row.grade;
        EXPECT_EQ(a.standing, row.standing) << row.grade;
    }
}

TEST(Tables, HpOverHmCellsAreTheDistributionRoundedToTwoDecimals) {
    // hp/hm = [−(4/π)(1 + H*/√(2π))·ln P]^((1−H*)/2), H* = hm/Hm, P as a fraction.
    const auto rows = ratioTable();
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RatioRow& row = rows[i];
        const double Hs = row.hmOverHm;
        EXPECT_NEAR(Hs, 0.1 * static_cast<double>(i), 1e-12);
        EXPECT_EQ(row.standing, i == 0 ? Standing::Corroborated : Standing::Derived) << Hs;
        for (std::size_t j = 0; j < kRatioColumns.size(); ++j) {
            const double P = kRatioColumns[j] / 100;
            const double ratio = std::pow(
                -4 / std::numbers::pi * (1 + Hs / std::sqrt(2 * std::numbers::pi)) * std::log(P),
                (1 - Hs) / 2);
            EXPECT_EQ(std::round(ratio * 100), std::round(row.ratio[j] * 100))
                << "hm/Hm " << Hs << ", P " << kRatioColumns[j] << " %: table " << row.ratio[j]
                << ", distribution " << ratio;
        }
    }
}

TEST(Slopes, SteepFormTransitionAndGentleFormJoinContinuously) {
    const auto Rm = [](double m) {
        Condition c = condition({});
        c.slope = m;
        return compute(c).runUp;
    };
    // The steep form at m = 1.25 meets the transition, the transition meets the gentle form.
    EXPECT_EQ(Rm(1.25).form, SlopeForm::Steep);
    EXPECT_EQ(Rm(1.3).form, SlopeForm::Transition);
    EXPECT_EQ(Rm(1.5).form, SlopeForm::Gentle);
    EXPECT_NEAR(Rm(1.25).Rm, Rm(std::nextafter(1.25, 2.0)).Rm, 1e-12);
    EXPECT_NEAR(Rm(1.5).Rm, Rm(std::nextafter(1.5, 0.0)).Rm, 1e-12);
    EXPECT_NEAR(Rm(1.375).Rm, (Rm(1.25).Rm + Rm(1.5).Rm) / 2, 1e-12);
    // The steep form is R0 times the mean height: at m = 0.5, KΔ·Kw·1.45·hm.
    const RunUp steep = Rm(0.5);
    const Result r = compute(condition({{"slope", "0.5"}}));
    EXPECT_NEAR(steep.Rm, 0.8 * steep.Kw * 1.45 * r.waves.hm, 1e-12);
}

TEST(Wavelength, TheThRelationSolvedAndDeepWaterTakenFromHalfTheLength) {
    // Solutions of L = gT²/2π·th(2πH/L) from an independent Newton iteration.
    struct Row {
        double T, H, L;
    };
    const std::vector<Row> rows = {
        {10, 1, 31.110708331},
        {3, 2, 11.305898184},
        {5, 5, 30.309226665},
    };
    for (const auto& row : rows) {
        EXPECT_NEAR(solveWavelength(row.T, row.H), row.L, 1e-8) << row.T << " " << row.H;
    }
    // At H = 0.5·L0 the method takes the deep-water length; the th relation gives 0.36 % less.
    const double L0 = 9.81 * 16 / (2 * 3.141592653589793);
    EXPECT_NEAR(solveWavelength(4, 0.5 * L0), 24.889944184, 1e-8);
    EXPECT_NEAR(24.889944184 / L0, std::tanh(3.141592653589793 * L0 / 24.889944184), 1e-9);

    // A shallow reservoir: the Putian waves use the th solution, a deep one the deep-water length.
    const Result shallow = compute(condition({{"depth", "2"}, {"mean_depth", "2"}}));
    EXPECT_FALSE(shallow.waves.deepWater);
    EXPECT_LT(shallow.waves.Lm, shallow.waves.L0);
    EXPECT_NEAR(shallow.waves.Lm,
                shallow.waves.L0 * std::tanh(2 * 3.141592653589793 * 2 / shallow.waves.Lm), 1e-12);
    const Result deep = compute(condition({}));
    EXPECT_TRUE(deep.waves.deepWater);
    EXPECT_EQ(deep.waves.Lm, deep.waves.L0);
}

TEST(Wavelength, PutianDeepWaterFromHalfTheDeepWaterLengthThroughToTheRunUp) {
    // W 20 m/s, D 3 km, Hm 9 m: hm = 0.482129601235 m, Tm = 3.08154983956 s, L0 = 14.8261207006 m,
    // so deep water from H = 7.41306035030 m. Only H moves: Kw from W/√(gH) by the table,
    // Rm = 0.8·Kw·√(hm·Lm)/√10, and below the half length Lm from the th relation (by Newton).
    constexpr double L0 = 14.8261207006056;
    struct Row {
        double H;
        bool deep;
        double Lm, Kw, Rm;
    };
    const std::vector<Row> rows = {
        {9, true, L0, 1.10056045696752, 0.744388329416795},
        {7.42, true, L0, 1.13507103076598, 0.767730316869112},
        {7.4, false, 14.7715144757302, 1.13557754150421, 0.766657153497872},
    };
    for (const auto& row : rows) {
        const Result r = compute(waveCondition(WaveFormula::Putian, 20, 3, row.H, 9));
        EXPECT_NEAR(r.waves.hm, 0.482129601235272, 1e-12) << row.H;
        EXPECT_NEAR(r.waves.L0, L0, 1e-11 * L0) << row.H;
        EXPECT_EQ(r.waves.deepWater, row.deep) << row.H;
        EXPECT_NEAR(r.waves.Lm, row.Lm, 1e-12 * row.Lm) << row.H;
        if (!row.deep) {
            EXPECT_NEAR(r.waves.Lm,
                        r.waves.L0 * std::tanh(2 * std::numbers::pi * row.H / r.waves.Lm),
                        1e-12 * row.Lm);
        }
        EXPECT_NEAR(r.runUp.Kw, row.Kw, 1e-12) << row.H;
        EXPECT_NEAR(r.runUp.Rm, row.Rm, 1e-11 * row.Rm) << row.H;
    }
    // Exactly half the length is deep water; the next depth below is not.
    const double half = 0.5 * compute(waveCondition(WaveFormula::Putian, 20, 3, 9, 9)).waves.L0;
    EXPECT_TRUE(compute(waveCondition(WaveFormula::Putian, 20, 3, half, 9)).waves.deepWater);
    EXPECT_FALSE(compute(waveCondition(WaveFormula::Putian, 20, 3, std::nextafter(half, 0.0), 9))
                     .waves.deepWater);
}

TEST(Defaults, FrequencyAllowanceMeanDepthAngleAndExtra) {
    const Result grade4 = compute(condition({{"grade", "4"}}));
    EXPECT_EQ(grade4.P, 5);
    EXPECT_EQ(grade4.A, 0.5);
    const Result given =
        compute(condition({{"frequency", "2"}, {"allowance", "0.9"}, {"extra", "0.6"}}));
    EXPECT_EQ(given.P, 2);
    EXPECT_EQ(given.A, 0.9);
    EXPECT_FALSE(given.allowanceLookup.has_value());
    EXPECT_NEAR(given.y, given.runUp.Rp + given.e + 0.9 + 0.6, 1e-12);
    // The mean depth enters the set-up: doubling Hm halves e.
    const Result hm = compute(condition({{"mean_depth", "60"}}));
    const Result h = compute(condition({}));
    EXPECT_NEAR(hm.e * 2, h.e, 1e-15);
    // An oblique wind of 60°: e halves (cos 60°) and the run-up takes Kβ = 0.76.
    const Result oblique = compute(condition({{"angle", "60"}}));
    EXPECT_NEAR(oblique.e, h.e / 2, 1e-12);
    EXPECT_NEAR(oblique.runUp.Rp, 0.76 * h.runUp.Rp, 1e-12);
    // A number as a Chinese input method types it.
    EXPECT_EQ(condition({{"depth", "３０．５"}}).depth, 30.5);
    EXPECT_EQ(condition({{"formula", " Hedi "}}).formula, WaveFormula::Hedi);
}

TEST(DesignWind, FromTheAnnualMaximumByTheOperationsFactorOrTheOneGiven) {
    // Without W, W is the factor times the multi-year average annual maximum: 1.5 in normal
    // operation whatever the grade (grades 1 and 2 may go to 2.0, but only when told), 1.0 in
    // abnormal operation.
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, std::string>> changes;
        double W;
        double factor;
    };
    const std::vector<Row> rows = {
        {"normal, grade 4", {{"grade", "4"}}, 22.5, 1.5},
        {"normal, grade 1 keeps 1.5", {{"grade", "1"}}, 22.5, 1.5},
        {"abnormal", {{"operation", "abnormal"}}, 15, 1.0},
        {"a factor given", {{"wind_factor", "1.8"}}, 27, 1.8},
        {"a factor given in abnormal operation",
         {{"operation", "abnormal"}, {"wind_factor", "1.2"}},
         18,
         1.2},
        {"full-width digits", {{"wind_max", "１５"}, {"wind_factor", "２"}}, 30, 2},
    };
    for (const auto& row : rows) {
        auto changes = row.changes;
        changes.insert(changes.begin(), {{"wind", ""}, {"wind_max", "15"}});
        const Condition c = condition(changes);
        EXPECT_EQ(c.wind, row.W) << row.name;
        EXPECT_EQ(c.windMax, 15) << row.name;
        EXPECT_EQ(c.windFactorUsed(), row.factor) << row.name;
        EXPECT_EQ(compute(c).condition.wind, row.W) << row.name;
    }
}

TEST(DesignWind, ComputeDerivesItForAConditionMadeInCode) {
    // Only the annual maximum set, as a window or a test may make a condition: the published
    // grade-4 case, 15 m/s giving 22.5 m/s in normal operation, computes as W typed.
    Condition c = waveCondition(WaveFormula::Putian, 0, 3, 30);
    c.grade = 4;
    c.windMax = 15;
    Condition typed = c;
    typed.windMax.reset();
    typed.wind = 22.5;
    const Result derived = compute(c);
    EXPECT_EQ(derived.condition.wind, 22.5);
    EXPECT_EQ(derived.y, compute(typed).y);
}

TEST(DesignWind, AFactorOutsideOneToTwoIsWarnedOf) {
    struct Row {
        const char* factor;
        bool warned;
        double limit;
    };
    const std::vector<Row> rows = {
        {"0.9", true, 1.0},
        {"1", false, 0},
        {"2", false, 0},
        {"2.1", true, 2.0},
    };
    for (const auto& row : rows) {
        const Result r =
            compute(condition({{"wind", ""}, {"wind_max", "12"}, {"wind_factor", row.factor}}));
        std::vector<Warning> found;
        for (const Warning& w : r.warnings) {
            if (w.kind == WarningKind::WindFactorOutside) {
                found.push_back(w);
            }
        }
        ASSERT_EQ(found.size(), row.warned ? 1u : 0u) << row.factor;
        if (row.warned) {
            EXPECT_EQ(found[0].value, std::stod(row.factor));
            EXPECT_EQ(found[0].limit, row.limit);
        }
    }
}

TEST(DesignWind, WindAndTheAnnualMaximumAreOneOrTheOther) {
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, std::string>> changes;
        ConditionErrorKind kind;
        const char* column;
        const char* text;
        const char* otherColumn;
        const char* otherText;
    };
    const std::vector<Row> rows = {
        {"both",
         {{"wind_max", "15"}},
         ConditionErrorKind::BothGiven,
         "wind",
         "21",
         "wind_max",
         "15"},
        {"a negative factor",
         {{"wind", ""}, {"wind_max", "15"}, {"wind_factor", "-1"}},
         ConditionErrorKind::NotPositive,
         "wind_factor",
         "-1",
         "",
         ""},
        {"a factor that is no number",
         {{"wind", ""}, {"wind_max", "15"}, {"wind_factor", "1,5"}},
         ConditionErrorKind::NotANumber,
         "wind_factor",
         "1,5",
         "",
         ""},
    };
    for (const auto& row : rows) {
        if (const auto e = refusal(row.changes, row.kind, row.column, row.name)) {
            EXPECT_EQ(e->text(), row.text) << row.name;
            EXPECT_EQ(e->otherColumn(), row.otherColumn) << row.name;
            EXPECT_EQ(e->otherText(), row.otherText) << row.name;
        }
    }
}

TEST(Warnings, EachRangeOfItsSourceOnce) {
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, std::string>> changes;
        WarningKind kind;
    };
    // The words are the front ends' own: conditions_test.cpp checks the command line's and
    // book_test.cpp the book's.
    const std::vector<Row> rows = {
        {"Hedi wind", {{"formula", "hedi"}, {"wind", "27"}}, WarningKind::HediWind},
        {"Hedi fetch",
         {{"formula", "hedi"}, {"wind", "15"}, {"fetch", "8"}},
         WarningKind::HediFetch},
        {"Guanting wind", {{"formula", "guanting"}, {"wind", "21"}}, WarningKind::GuantingWind},
        {"Guanting fetch",
         {{"formula", "guanting"}, {"wind", "15"}, {"fetch", "21"}},
         WarningKind::GuantingFetch},
        {"Guanting gD/W2",
         {{"formula", "guanting"}, {"wind", "15"}, {"fetch", "0.2"}},
         WarningKind::GuantingGd},
        {"slope above 5", {{"slope", "6"}}, WarningKind::SlopeAboveFive},
        {"Kw beyond",
         {{"depth", "2"}, {"mean_depth", "20"}, {"wind", "25"}},
         WarningKind::KwExtrapolated},
        {"hp/hm beyond",
         {{"formula", "hedi"}, {"wind", "20"}, {"fetch", "7"}, {"depth", "1"}},
         WarningKind::RatioExtrapolated},
        {"waves break",
         {{"depth", "1.5"}, {"mean_depth", "10"}, {"wind", "20"}, {"fetch", "5"}},
         WarningKind::WavesBreak},
        {"angle beyond", {{"angle", "70"}}, WarningKind::AngleBeyondTable},
    };
    for (const auto& row : rows) {
        const Result r = compute(condition(row.changes));
        int found = 0;
        for (const auto& w : r.warnings) {
            found += w.kind == row.kind ? 1 : 0;
        }
        EXPECT_EQ(found, 1) << row.name;
    }
    // Within every range, no warning.
    EXPECT_TRUE(compute(condition({})).warnings.empty());
    EXPECT_TRUE(compute(condition({{"formula", "guanting"}, {"wind", "15"}})).warnings.empty());
}

TEST(Failures, EachValueThatCannotBeUsedNamesConditionColumnAndText) {
    struct Row {
        std::vector<std::pair<std::string, std::string>> changes;
        ConditionErrorKind kind;
        const char* column;
        const char* message;  // the command line's line on standard error
    };
    const std::vector<Row> rows = {
        {{{"depth", "abc"}},
         ConditionErrorKind::NotANumber,
         "depth",
         "row 3 (正常蓄水位): depth \"abc\" is not a number"},
        {{{"depth", "1e999"}},
         ConditionErrorKind::TooLarge,
         "depth",
         "row 3 (正常蓄水位): depth \"1e999\" is too large"},
        {{{"depth", "-2"}},
         ConditionErrorKind::NotPositive,
         "depth",
         "row 3 (正常蓄水位): depth \"-2\" must be above 0"},
        {{{"depth", ""}},
         ConditionErrorKind::Missing,
         "depth",
         "row 3 (正常蓄水位): depth is required"},
        {{{"wind", "0"}},
         ConditionErrorKind::NotPositive,
         "wind",
         "row 3 (正常蓄水位): wind \"0\" must be above 0"},
        {{{"fetch", "-0.5"}},
         ConditionErrorKind::NotPositive,
         "fetch",
         "row 3 (正常蓄水位): fetch \"-0.5\" must be above 0"},
        {{{"slope", "-1"}},
         ConditionErrorKind::Negative,
         "slope",
         "row 3 (正常蓄水位): slope \"-1\" must not be below 0"},
        {{{"formula", "andreyanov"}},
         ConditionErrorKind::UnknownChoice,
         "formula",
         "row 3 (正常蓄水位): formula \"andreyanov\" is not putian, hedi or guanting"},
        {{{"grade", "6"}},
         ConditionErrorKind::UnknownChoice,
         "grade",
         "row 3 (正常蓄水位): grade \"6\" is not 1, 2, 3, 4 or 5"},
        {{{"operation", "flood"}},
         ConditionErrorKind::UnknownChoice,
         "operation",
         "row 3 (正常蓄水位): operation \"flood\" is not normal, abnormal or earthquake"},
        {{{"region", "desert"}},
         ConditionErrorKind::UnknownChoice,
         "region",
         "row 3 (正常蓄水位): region \"desert\" is not mountain or plain"},
        {{{"frequency", "60"}},
         ConditionErrorKind::OutsideTable,
         "frequency",
         "row 3 (正常蓄水位): frequency \"60\" is outside the Kp table (0.1 to 50 %)"},
        {{{"angle", "-90"}},
         ConditionErrorKind::AngleTooLarge,
         "angle",
         "row 3 (正常蓄水位): angle \"-90\" must be below 90 degrees"},
        {{{"colour", "red"}},
         ConditionErrorKind::UnknownColumn,
         "colour",
         "row 3 (正常蓄水位): unknown column \"colour\""},
    };
    for (const auto& row : rows) {
        if (const auto e = refusal(row.changes, row.kind, row.column, row.message)) {
            EXPECT_EQ(e->row(), 3);
            EXPECT_EQ(e->label(), "正常蓄水位");
            EXPECT_EQ(e->text(), row.changes.front().second) << row.message;
            EXPECT_EQ(cli::describe(*e), row.message);
        }
    }
    // A wind that reads but squares beyond the double range fails the computation; the other
    // conditions still compute and govern.
    const Evaluation ev = evaluateRows({cells({{"wind", "1e200"}}, 1), cells({}, 2)});
    ASSERT_EQ(ev.failures.size(), 1u);
    EXPECT_EQ(ev.failures[0].kind(), ConditionErrorKind::NotFinite);
    EXPECT_EQ(ev.failures[0].row(), 1);
    EXPECT_EQ(ev.failures[0].label(), "正常蓄水位");
    ASSERT_EQ(ev.results.size(), 1u);
    EXPECT_EQ(ev.results[0].condition.row, 2);
    EXPECT_EQ(ev.governing, 0u);
}

// --- The equivalent fetch from radials ----------------------------------------------------------

// n rays of length r each, written as a fetch_rays cell.
std::string uniformRays(std::size_t n, const std::string& r) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += (i ? ";" : "") + r;
    }
    return out;
}

TEST(EquivalentFetch, AUniformShoreAndTheRaysSymmetryAndScale) {
    // A shore r all round: Fe/r is Σcos²α/Σcos α over the sector, 0.89582 for 13 rays 7.5°
    // apart and 0.88284 for 7 rays 15° apart (to five digits, from tables of cosines).
    for (const double r : {1.0, 3.2, 250.0}) {
        EXPECT_TRUE(showsAs(equivalentFetch(std::vector<double>(13, r)).fe / r, 0.89582, 5)) << r;
        EXPECT_TRUE(showsAs(equivalentFetch(std::vector<double>(7, r)).fe / r, 0.88284, 5)) << r;
    }
    // The same shore seen from the other side of the wind, and the rays twice as long.
    const std::vector<double> rays = {0,   1.5, 2.2, 3.0, 4.8, 6.1, 5.5,
                                      4.0, 3.3, 2.9, 2.0, 0.8, 0.2};
    std::vector<double> reversed(rays.rbegin(), rays.rend());
    std::vector<double> doubled;
    for (const double r : rays) {
        doubled.push_back(2 * r);
    }
    const double fe = equivalentFetch(rays).fe;
    EXPECT_NEAR(equivalentFetch(reversed).fe, fe, 1e-12);
    EXPECT_NEAR(equivalentFetch(doubled).fe, 2 * fe, 1e-12);
    // Fe lies between the shortest and the longest ray, and the rays' angles span ±45°.
    EXPECT_GT(fe, 0.2);
    EXPECT_LT(fe, 6.1);
    const FetchRays read = equivalentFetch(rays);
    EXPECT_EQ(read.angle(0), -45);
    EXPECT_EQ(read.angle(6), 0);
    EXPECT_EQ(read.angle(12), 45);
    EXPECT_EQ(equivalentFetch(std::vector<double>(7, 1)).angle(1), -30);
}

TEST(EquivalentFetch, TheRaysCellGivesTheFetchAndComputesAsThatFetchTyped) {
    const Condition rays = condition({{"fetch", ""}, {"fetch_rays", uniformRays(13, "3") + "；"}});
    ASSERT_TRUE(rays.rays);
    EXPECT_EQ(rays.rays->km.size(), 13u);
    EXPECT_TRUE(showsAs(rays.fetchKm, 3 * 0.89582, 4));
    // Full-width separators and blanks as Excel or a Chinese keyboard leave them.
    const Condition spaced =
        condition({{"fetch", ""}, {"fetch_rays", " 3 ；3；3; 3;3 ;3;3 ;3;3;3;3;3;3"}});
    EXPECT_EQ(spaced.fetchKm, rays.fetchKm);
    // Every result is that of the fetch typed as it comes out.
    Condition typed = condition({});
    typed.fetchKm = rays.fetchKm;
    const Result a = compute(rays);
    const Result b = compute(typed);
    EXPECT_EQ(a.waves.hm, b.waves.hm);
    EXPECT_EQ(a.y, b.y);
    EXPECT_FALSE(condition({}).rays);
}

TEST(EquivalentFetch, ABadRaysCellIsRefusedByName) {
    using K = ConditionErrorKind;
    const testing_support::Refusal rows[] = {
        {"twelve rays",
         {{"fetch", ""}, {"fetch_rays", uniformRays(12, "3")}},
         K::RayCount,
         "fetch_rays"},
        {"eight rays",
         {{"fetch", ""}, {"fetch_rays", uniformRays(8, "3")}},
         K::RayCount,
         "fetch_rays"},
        {"one ray", {{"fetch", ""}, {"fetch_rays", "3"}}, K::RayCount, "fetch_rays"},
        {"a negative ray",
         {{"fetch", ""}, {"fetch_rays", uniformRays(12, "3") + ";-1"}},
         K::Negative,
         "fetch_rays"},
        {"an unreadable ray",
         {{"fetch", ""}, {"fetch_rays", "3;3;3;x;3;3;3"}},
         K::NotANumber,
         "fetch_rays"},
        {"an empty ray",
         {{"fetch", ""}, {"fetch_rays", "3;3;3;;3;3;3"}},
         K::NotANumber,
         "fetch_rays"},
        {"no shore at all",
         {{"fetch", ""}, {"fetch_rays", uniformRays(7, "0")}},
         K::NotPositive,
         "fetch_rays"},
        {"both", {{"fetch_rays", uniformRays(7, "3")}}, K::BothGiven, "fetch"},
        {"neither", {{"fetch", ""}}, K::Missing, "fetch"},
    };
    for (const auto& row : rows) {
        if (const auto e = refusal(row.changes, row.kind, row.column, row.what)) {
            if (row.kind == K::BothGiven || row.kind == K::Missing) {
                EXPECT_EQ(e->otherColumn(), "fetch_rays") << row.what;
            }
        }
    }
}

}  // namespace
}  // namespace kelnor::design
