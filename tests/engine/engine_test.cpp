// The calculation: worked examples, numeric helpers, the wavelength search and how and in
// which order a calculation fails.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kelnor/calculation.h"
#include "kelnor/numeric.h"

namespace kelnor {
namespace {

InputSet with(std::initializer_list<std::pair<Box, const char*>> changes) {
    InputSet inputs = InputSet::defaults();
    for (const auto& [box, text] : changes) {
        inputs[box] = std::string(text);
    }
    return inputs;
}

TEST(Round2, RoundsHalvesUpwardsOnDoubles) {
    struct Row {
        double x, expected;
    };
    const std::vector<Row> rows = {
        {1.005, 1.00},      // 100 × 1.005 is just below 100.5
        {2.675, 2.68},      //
        {-0.125, -0.12},    // halves go upwards for negative values too
        {0.0, 0.0},         //
        {0.737374, 0.74},   // the worked example's wave height
        {0.0825688, 0.08},  // and its wind set-up
        {-1.7, -1.7},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(round2(row.x), row.expected) << row.x;
    }
}

TEST(Round2, TooLargeAValueIsAnOverflow) {
    try {
        round2(1e307);
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.kind(), FailureKind::Overflow);
    }
}

TEST(HTan, FollowsTheExponentialFormAndSaturatesInsteadOfOverflowing) {
    struct Row {
        double x, expected;
    };
    const std::vector<Row> rows = {
        {0.0, 0.0},
        {1.0, 0.7615941559557649},
        {-1.0, -0.7615941559557649},
        {709.0, 1.0},  // e^709 is still a double
        {710.0, 1.0},  // e^710 is not: exactly 1 rather than a failure
        {800.0, 1.0},
        {-800.0, -1.0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HTan(row.x), row.expected) << row.x;
    }
    // Bit for bit the quotient of exponentials, not the library tanh.
    const double x = 0.3;
    EXPECT_EQ(HTan(x), (std::exp(x) - std::exp(-x)) / (std::exp(-x) + std::exp(x)));
}

TEST(WorkedExample, PutianFormulaWithTheDefaults) {
    const Results r = calculate(FormulaChoice::Putian, InputSet::defaults());
    EXPECT_EQ(r.waves.W, 27.0);
    EXPECT_EQ(r.waves.Dm, 4000.0);
    EXPECT_EQ(r.waves.H1, 0.74);
    EXPECT_EQ(r.waves.T, 3.44);
    EXPECT_EQ(r.waves.Lambda, 18.47);
    EXPECT_EQ(r.waves.E, 0.08);
    // The run-up uses the deep-water wavelength 1.56 T² before it is rounded.
    EXPECT_NEAR(r.runup.R, 0.7751175, 5e-8);
    EXPECT_EQ(r.runup.K1, 2.23);
    EXPECT_EQ(r.runup.K5, 1.84);
    EXPECT_NEAR(r.runup.R1, 1.7285120, 5e-8);
    EXPECT_NEAR(r.runup.R5, 1.4262162, 5e-8);
    EXPECT_NEAR(r.runup.B1, 2.2085120, 5e-8);
    EXPECT_NEAR(r.runup.B5, 1.9062162, 5e-8);
    const double T = 4.0 * std::sqrt(0.74);
    const double Lambda = 1.56 * std::pow(T, 2);
    EXPECT_EQ(r.runup.R,
              std::sqrt(0.74 * Lambda) * (1.02 * 0.65) / std::sqrt(std::pow(3.0, 2) + 1));
}

TEST(WorkedExample, PutianIntermediates) {
    const WaveElements w = computeWaveElements(FormulaChoice::Putian, InputSet::defaults(), 27.0);
    EXPECT_EQ(w.T, 4.0 * std::sqrt(0.74));
    EXPECT_NEAR(w.T, 3.4409301, 5e-8);
    EXPECT_NEAR(w.Lambda, 18.4704, 1e-12);
    EXPECT_NEAR(w.E, 0.0825688, 5e-8);
}

TEST(WorkedExample, PowerLawFormulasWithTheDefaults) {
    struct Row {
        FormulaChoice formula;
        double H1, Lambda, T;
    };
    const std::vector<Row> rows = {
        {FormulaChoice::Andreyanov, 2.03, 16.416, 3.24},
        {FormulaChoice::GuantingHedi, 1.62, 16.672473, 3.27},
    };
    for (const auto& row : rows) {
        const WaveElements w = computeWaveElements(row.formula, InputSet::defaults(), 27.0);
        EXPECT_EQ(w.H1, row.H1);
        EXPECT_NEAR(w.Lambda, row.Lambda, 5e-7);
        EXPECT_NEAR(w.E, 0.0825688, 5e-8);
        // The period comes from the deep-water relation with the unrounded wavelength.
        EXPECT_EQ(w.T, std::sqrt(w.Lambda / 1.56));

        const Results r = calculate(row.formula, InputSet::defaults());
        EXPECT_EQ(r.waves.T, row.T);
        EXPECT_EQ(r.waves.E, 0.08);
        // 2.03 / 9 and 1.62 / 9 are not below 0.1: the second factor row.
        EXPECT_EQ(r.runup.K1, 2.08);
        EXPECT_EQ(r.runup.K5, 1.75);
    }
}

TEST(PowerLawFormulas, NoWindGivesCalmWaterWithoutFailing) {
    for (const auto formula : {FormulaChoice::Andreyanov, FormulaChoice::GuantingHedi}) {
        const Results r = calculate(formula, with({{Box::W10, "0"}}));
        EXPECT_EQ(r.waves.H1, 0.0);
        EXPECT_EQ(r.waves.T, 0.0);
        EXPECT_EQ(r.waves.Lambda, 0.0);
        EXPECT_EQ(r.waves.E, 0.0);
        EXPECT_EQ(r.runup.R, 0.0);
    }
}

// T² as the method takes it, a floating-point power: the compiler would turn std::pow(T, 2)
// into T × T, which can differ in the last bit.
double squared(double x) {
    return checked::power(x, 2);
}

// The search as the method words it: every candidate in turn, from 2 in steps of 0.2.
WavelengthSearch searchInTurn(double T, double H) {
    const double deep = 1.56 * squared(T);
    int number = 0;
    for (double L = 2.0; L <= 90.0; L += 0.2) {
        ++number;
        const double Lc = ((squared(T) * 9.810001) / 6.28318) * HTan(6.28318 * H / L);
        if (H / L < 0.5 && std::fabs(Lc - L) < 0.5) {
            return {Lc, number, true};
        }
        if (std::fabs(Lc - L) < 0.5) {
            return {deep, number, true};
        }
    }
    return {deep, 0, false};
}

// A shallow-water wavelength worked by hand (to 17 digits, outside this code): a period of
// 3 s in 2 m of water meets the 46th candidate, 11.0 m. The figure holds gravity at
// 9.810001; with 9.81 it would end in ...09174571.
TEST(WavelengthSearch, ShallowWaterFigureWorkedByHand) {
    const WavelengthSearch s = searchWavelength(3.0, 2.0);
    EXPECT_EQ(s.candidate, 46);
    EXPECT_EQ(s.Lambda, 11.455303259462537);
    EXPECT_EQ(searchInTurn(3.0, 2.0).Lambda, 11.455303259462537);
}

TEST(WavelengthSearch, CandidatesRunFromTwoToEightyNinePointEight) {
    const std::vector<double>& L = wavelengthCandidates();
    ASSERT_EQ(L.size(), 440u);
    EXPECT_EQ(L.front(), 2.0);
    EXPECT_NEAR(L[80], 18.0, 1e-12);
    EXPECT_LT(L[80], 18.0);  // 17.99999999999997: H/L for 9 m is just above 0.5
    EXPECT_NEAR(L.back(), 89.8, 1e-9);
    EXPECT_GT(L.back() + 0.2, 90.0);  // so 90 itself is never tried
}

TEST(WavelengthSearch, EndsWhereTheMethodSays) {
    const double T = 4.0 * std::sqrt(0.74);
    const double deep = 1.56 * std::pow(T, 2);
    struct Row {
        const char* name;
        double T, H;
        bool matched;
        bool deepWater;
    };
    // A period whose wave in 40 m of water is 90.3 m long: within 0.5 of 90 but not of 89.8.
    const double nearNinety = std::sqrt(90.3 / (HTan(6.28318 * 40.0 / 90.0) * 9.810001 / 6.28318));
    const std::vector<Row> rows = {
        // The 81st candidate is within tolerance but H/L is just above 0.5.
        {"defaults take the deep-water length", T, 9.0, true, true},
        {"shallow water takes the candidate's own length", T, 2.0, true, false},
        {"a short period matches no candidate", 0.4, 9.0, false, true},
        {"a long period runs past the last candidate", 12.0, 9.0, false, true},
        {"ninety is never a candidate", nearNinety, 40.0, false, true},
    };
    for (const auto& row : rows) {
        const WavelengthSearch s = searchWavelength(row.T, row.H);
        EXPECT_EQ(s.matched, row.matched) << row.name;
        if (row.deepWater) {
            EXPECT_EQ(s.Lambda, 1.56 * squared(row.T)) << row.name;
        } else {
            EXPECT_NE(s.Lambda, deep) << row.name;
            const double L = wavelengthCandidates()[s.candidate - 1];
            EXPECT_LT(std::fabs(s.Lambda - L), 0.5) << row.name;
            EXPECT_LT(row.H / L, 0.5) << row.name;
        }
    }
    EXPECT_EQ(searchWavelength(T, 9.0).candidate, 81);
}

TEST(WavelengthSearch, GivesWhatTryingEveryCandidateInTurnGives) {
    // Bit for bit, over periods from calm to storm and depths from a pond to a deep gorge.
    int checked = 0;
    for (const double H : {0.05, 0.3, 1.0, 2.0, 4.5, 9.0, 17.3, 30.0, 44.9, 45.0, 100.0, 800.0}) {
        for (double T = 0.0; T < 14.0; T += 0.0137) {
            const WavelengthSearch fast = searchWavelength(T, H);
            const WavelengthSearch reference = searchInTurn(T, H);
            ASSERT_EQ(fast.matched, reference.matched) << "T " << T << " H " << H;
            ASSERT_EQ(fast.candidate, reference.candidate) << "T " << T << " H " << H;
            ASSERT_EQ(fast.Lambda, reference.Lambda) << "T " << T << " H " << H;
            ++checked;
        }
    }
    EXPECT_GT(checked, 10000);
}

TEST(DeepReservoir, DepthBeyondTheExponentialRangeStillComputes) {
    // 2π × 800 / 2 passes the range of e^x at the very first candidate.
    const Results r = calculate(FormulaChoice::Putian, with({{Box::H, "800"}}));
    EXPECT_TRUE(std::isfinite(r.waves.Lambda));
    EXPECT_GT(r.waves.Lambda, 0.0);
    EXPECT_EQ(r.runup.K1, 2.23);
}

TEST(Runup, FactorRowAndSlopeEdges) {
    WaveElements waves;
    waves.H1 = 1.0;
    waves.Lambda = 16.0;
    waves.E = 0.1;
    // H1/H exactly 0.1 takes the second row.
    RunupResult r = computeRunup(with({{Box::H, "10"}}), waves);
    EXPECT_EQ(r.K1, 2.08);
    EXPECT_EQ(r.K5, 1.75);
    // Just below 0.1 the first.
    r = computeRunup(with({{Box::H, "10.001"}}), waves);
    EXPECT_EQ(r.K1, 2.23);
    // A vertical face M = 0 divides by √1.
    r = computeRunup(with({{Box::M, "0"}, {Box::Kw, "1"}, {Box::KDelta, "1"}}), waves);
    EXPECT_EQ(r.R, 4.0);
    // H2 takes part as a number, typed however.
    r = computeRunup(with({{Box::H2, " ０.４ "}}), waves);
    const RunupResult plain = computeRunup(InputSet::defaults(), waves);
    EXPECT_EQ(r.B1, plain.B1);
    EXPECT_EQ(r.B1, (r.R1 + 0.4) + 0.1);
}

struct FailureRow {
    const char* name;
    FormulaChoice formula;
    std::vector<std::pair<Box, const char*>> texts;
    FailureKind kind;
    int box;  // -1: not a reading failure
};

void PrintTo(const FailureRow& row, std::ostream* os) {
    *os << row.name;
}

class CalculationFailure : public testing::TestWithParam<FailureRow> {};

TEST_P(CalculationFailure, RaisesTheFirstFailingOperation) {
    const FailureRow& row = GetParam();
    InputSet inputs = InputSet::defaults();
    for (const auto& [box, text] : row.texts) {
        inputs[box] = text;
    }
    try {
        calculate(row.formula, inputs);
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.kind(), row.kind) << f.what();
        EXPECT_EQ(f.box().value_or(-1), row.box) << f.what();
        if (row.box >= 0) {
            EXPECT_EQ(f.text(), inputs.text[row.box]);
        }
    }
}

constexpr auto P = FormulaChoice::Putian;
constexpr auto A = FormulaChoice::Andreyanov;
constexpr auto G = FormulaChoice::GuantingHedi;
using K = FailureKind;

INSTANTIATE_TEST_SUITE_P(
    Kinds, CalculationFailure,
    testing::Values(
        FailureRow{"EmptyFetch", P, {{Box::D, ""}}, K::TypeMismatch, 2},
        FailureRow{"WordInDepth", P, {{Box::H, "abc"}}, K::TypeMismatch, 0},
        FailureRow{"WordInWind", G, {{Box::W10, "abc"}}, K::TypeMismatch, 1},
        FailureRow{"WordInRoughness", P, {{Box::KDelta, "abc"}}, K::TypeMismatch, 3},
        FailureRow{"WordInKw", A, {{Box::Kw, "abc"}}, K::TypeMismatch, 4},
        FailureRow{"WordInSlope", P, {{Box::M, "abc"}}, K::TypeMismatch, 5},
        FailureRow{"WordInAllowance", P, {{Box::H2, "abc"}}, K::TypeMismatch, 6},
        FailureRow{"WordInKz", P, {{Box::Kz, "abc"}}, K::TypeMismatch, 7},
        FailureRow{"ZeroDepthPutian", P, {{Box::H, "0"}}, K::DivisionByZero, -1},
        FailureRow{"ZeroDepthAndreyanov", A, {{Box::H, "0"}}, K::DivisionByZero, -1},
        FailureRow{"ZeroDepthGuantingHedi", G, {{Box::H, "0"}}, K::DivisionByZero, -1},
        FailureRow{"NoWindPutian", P, {{Box::W10, "0"}}, K::DivisionByZero, -1},
        FailureRow{"NegativeFetchPutian", P, {{Box::D, "-1"}}, K::InvalidArgument, -1},
        FailureRow{"NegativeFetchAndreyanov", A, {{Box::D, "-1"}}, K::InvalidArgument, -1},
        FailureRow{"NegativeDepthPutian", P, {{Box::H, "-9"}}, K::InvalidArgument, -1},
        FailureRow{"NegativeWindPowerLaw", A, {{Box::W10, "-27"}}, K::InvalidArgument, -1},
        FailureRow{"HugeWindSquared", P, {{Box::W10, "1e200"}}, K::Overflow, -1},
        FailureRow{"HugeWindRounded", G, {{Box::W10, "1e307"}}, K::Overflow, -1},
        FailureRow{"DepthBeyondDoubles", P, {{Box::H, "1e400"}}, K::Overflow, 0},
        FailureRow{"HugeFetchInMetres", A, {{Box::D, "1e306"}}, K::Overflow, -1}),
    [](const auto& info) { return info.param.name; });

// When several things are wrong, the stage that comes first decides.
INSTANTIATE_TEST_SUITE_P(
    Order, CalculationFailure,
    testing::Values(
        // The wind speed is read before the depth.
        FailureRow{"WindBeforeDepth", P, {{Box::H, "abc"}, {Box::W10, "x"}}, K::TypeMismatch, 1},
        // The wind speed before its height factor.
        FailureRow{"WindBeforeKz", P, {{Box::W10, "x"}, {Box::Kz, "y"}}, K::TypeMismatch, 1},
        // Formula 1 reads the fetch, then the depth, before dividing by W².
        FailureRow{"FetchBeforeDepth", P, {{Box::D, "x"}, {Box::H, "y"}}, K::TypeMismatch, 2},
        FailureRow{"DepthBeforeNoWind", P, {{Box::H, "x"}, {Box::W10, "0"}}, K::TypeMismatch, 0},
        // Formulas 2 and 3 need the depth only in the wind set-up.
        FailureRow{
            "FetchPowerBeforeDepth", A, {{Box::D, "-1"}, {Box::H, "x"}}, K::InvalidArgument, -1},
        FailureRow{
            "WindPowerBeforeFetch", G, {{Box::W10, "1e300"}, {Box::D, "x"}}, K::Overflow, -1},
        // The wave elements come before the slope boxes.
        FailureRow{
            "WavesBeforeSlope", P, {{Box::D, "-1"}, {Box::KDelta, "x"}}, K::InvalidArgument, -1},
        // The mean run-up reads Kw, K△, then M; the allowance last.
        FailureRow{
            "KwBeforeRoughness", P, {{Box::KDelta, "x"}, {Box::Kw, "y"}}, K::TypeMismatch, 4},
        FailureRow{
            "RoughnessBeforeSlope", P, {{Box::KDelta, "x"}, {Box::M, "y"}}, K::TypeMismatch, 3},
        FailureRow{"SlopeBeforeAllowance", A, {{Box::H2, "x"}, {Box::M, "y"}}, K::TypeMismatch, 5},
        FailureRow{"KzBeforeAllowance", P, {{Box::H2, "x"}, {Box::Kz, "y"}}, K::TypeMismatch, 7}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kelnor
