#pragma once

// The design code's method (SL 274 Appendix A) for one condition: wave elements, wind set-up,
// run-up, freeboard y and crest elevation, with every intermediate value and table row kept
// for the calculation book; and the evaluation of several conditions with the governing one.

#include <optional>
#include <string>
#include <vector>

#include "kelnor/design/condition.h"
#include "kelnor/design/tables.h"

namespace kelnor::design {

inline constexpr double kG = 9.81;         // m/s², as the code's examples use
inline constexpr double kSetupK = 3.6e-6;  // K of the wind set-up formula

// A power written as a fraction in the code's formulas, W^(−1/12): kept as numerator and
// denominator so the calculation book prints it as the code writes it.
struct Exponent {
    double numerator;
    double denominator;
    constexpr double value() const { return numerator / denominator; }
};

// Putian (莆田试验站) formula:
//   g·hm/W² = a·th[0.0018·(g·D/W²)^0.45 / a],  a = 0.13·th[0.7·(g·Hm/W²)^0.7]
//   Tm = 4.438·hm^0.5
inline constexpr double kPutianHeight = 0.13;
inline constexpr double kPutianDepthFactor = 0.7;
inline constexpr double kPutianDepthPower = 0.7;
inline constexpr double kPutianFetchFactor = 0.0018;
inline constexpr double kPutianFetchPower = 0.45;
inline constexpr double kPutianPeriod = 4.438;

// Hedi (鹤地) formula:
//   g·h2%/W² = 0.00625·W^(1/6)·(g·D/W²)^(1/3);  g·Lm/W² = 0.0386·(g·D/W²)^(1/2)
inline constexpr double kHediHeight = 0.00625;
inline constexpr Exponent kHediHeightWindPower = {1, 6};
inline constexpr Exponent kHediHeightFetchPower = {1, 3};
inline constexpr double kHediLength = 0.0386;
inline constexpr Exponent kHediLengthFetchPower = {1, 2};

// Guanting (官厅) formula:
//   g·h/W² = 0.0076·W^(−1/12)·(g·D/W²)^(1/3);  g·Lm/W² = 0.331·W^(−1/2.15)·(g·D/W²)^(1/3.75)
inline constexpr double kGuantingHeight = 0.0076;
inline constexpr Exponent kGuantingHeightWindPower = {-1, 12};
inline constexpr Exponent kGuantingHeightFetchPower = {1, 3};
inline constexpr double kGuantingLength = 0.331;
inline constexpr Exponent kGuantingLengthWindPower = {-1, 2.15};
inline constexpr Exponent kGuantingLengthFetchPower = {1, 3.75};

// Deep water where H ≥ 0.5·Lm: the wavelength is the deep-water one, g·Tm²/(2π).
inline constexpr double kDeepWaterDepthRatio = 0.5;

// Where a formula is used outside the range its source gives.
enum class WarningKind {
    HediWind,           // W ≥ 26.5 m/s
    HediFetch,          // D ≥ 7.5 km
    GuantingWind,       // W ≥ 20 m/s
    GuantingFetch,      // D ≥ 20 km
    GuantingGd,         // g·D/W² outside 20–1000
    SlopeAboveFive,     // m > 5: the gentle-slope formula beyond its range
    KwExtrapolated,     // W/√(gH) beyond the Kw table's last point: 1.30 held
    RatioExtrapolated,  // hm/Hm beyond the hp/hm table's last row: that row held
    WavesBreak,         // 2.42·hm ≥ 0.78·H
    AngleBeyondTable,   // |β| > 60°: Kβ of 60° held
    // Values outside what reservoirs have (this program's checks, see Limits):
    FetchTooLong,         // D above 100 km: typed in metres?
    SetupTooHigh,         // e above a fifth of Hm
    DepthTooShallow,      // H below 0.5 m
    MeanDepthTooShallow,  // Hm, given apart from H, below 0.5 m
    // The factor W = factor × the annual maximum wind outside 1.0–2.0 (WindFactors).
    WindFactorOutside,
    // Below 1.5 in normal operation, where the code asks 1.5–2.0 (WindFactors::normal).
    WindFactorBelowNormal,
    // KΔ above that of a smooth impermeable slope (1.0).
    RoughnessAboveSmooth,
    // The seismic surge outside 0.5–1.5 m (SurgeRange).
    SurgeOutside,
    // A dike's: waves less steep than H̄/L̄ = 0.025, where neither run-up form holds; a fetch
    // above 100 km, where the wind's minimum duration must be checked; A of grade 1 above 1.5 m.
    WavesNotSteep,
    DurationToCheck,
    AllowanceAboveGrade1,
    // A dike's section whose chainage runs back behind the one before it (value the chainage,
    // limit the one before, in metres), or whose name looks like a chainage that does not read
    // (both 0): the sections keep the order given.
    ChainageBackwards,
    ChainageUnread,
};

struct Warning {
    WarningKind kind;
    double value;  // the quantity that is out of range
    double limit;  // the bound it passes (the lower bound for GuantingGd below 20; for
                   // SetupTooHigh the share of Hm in metres)
};

// Wave elements, by formula.
struct Waves {
    double D = 0;       // fetch, m
    double gD_W2 = 0;   // g·D/W², D in m
    double gHm_W2 = 0;  // g·Hm/W² (Putian)
    double a = 0;       // 0.13·th[0.7·(g·Hm/W²)^0.7] (Putian)
    double ghm_W2 = 0;  // g·hm/W² (Putian)
    // Hedi and Guanting: the formula's height hp of frequency P, the conversion to hm.
    double hp = 0;
    double hpP = 0;     // P of hp in %: 2 (Hedi), 5 or 10 (Guanting)
    RatioLookup ratio;  // the hp/hm look-up of the last iteration
    int iterations = 0;
    double hm = 0;
    double Tm = 0;
    double L0 = 0;  // deep-water wavelength g·Tm²/(2π)
    double Lm = 0;
    bool deepWater = false;  // H ≥ 0.5·Lm: Lm = L0
};

// How the mean run-up was found.
enum class SlopeForm { Gentle, Steep, Transition };

struct RunUp {
    double celerityRatio = 0;        // W/√(gH)
    std::optional<Lookup> kwLookup;  // absent when Kw was given
    double Kw = 0;
    SlopeForm form = SlopeForm::Gentle;
    std::optional<Lookup> r0Lookup;  // steep slope: R0 at m
    double RmGentle = 0;             // the gentle-slope formula at m (or at 1.5 for the transition)
    double RmSteep = 0;              // the steep-slope form at m (or at 1.25 for the transition)
    std::optional<Lookup> r0At125;   // transition: R0 at 1.25
    double Rm = 0;                   // mean run-up for waves normal to the axis
    double hmOverH = 0;
    KpLookup kp;
    Lookup kbeta;
    double Rp = 0;  // Kβ·Kp·Rm
};

struct Result {
    Condition condition;
    Waves waves;
    double setupCosBeta = 0;
    double e = 0;  // wind set-up
    RunUp runUp;
    double P = 0;
    double A = 0;
    std::optional<AllowanceLookup> allowanceLookup;  // absent when A was given
    double B = 0;                                    // the earthquake allowance
    // A dike's: the wind's minimum duration for the waves to grow, s.
    std::optional<double> minDuration;
    double y = 0;                 // Rp + e + A + extra + B
    std::optional<double> crest;  // level + y
    bool governs = false;
    std::vector<Warning> warnings;
};

// Where the steep-slope form of the run-up ends: 1:1.25 on a dam, 1:1.0 on a dike.
double steepSlopeHigh(DesignCode code);

// The mean wavelength from the th relation Lm = g·Tm²/(2π)·th(2πH/Lm), solved to full double
// precision by bisection (the right side minus Lm falls strictly as Lm grows).
double solveWavelength(double Tm, double H);

// Computes one condition, with W derived from the annual maximum wind where that is given
// (Condition::designWind). Throws ConditionError (NotFinite) where the calculation leaves the
// double range.
Result compute(const Condition& c);

// Which rule picked the governing condition.
enum class GoverningRule {
    None,                   // nothing computed
    HighestCrest,           // every computed condition has a level: the highest crest
    CrestOfThoseWithLevel,  // some have a level: the highest crest among them
    HighestY,               // none has a level: the largest freeboard y
};

struct Evaluation {
    std::vector<Result> results;           // computed conditions in input order
    std::vector<ConditionError> failures;  // conditions that could not be read or computed
    std::optional<std::size_t> governing;  // index into results
    GoverningRule rule = GoverningRule::None;
};

// Computes every condition and marks the governing one: the highest crest elevation; where
// only some conditions give a level, the highest crest among those; where none does, the
// largest y. A tie goes to the first.
Evaluation evaluate(const std::vector<Condition>& conditions);

// Reads and computes every row; rows that fail are kept in `failures`.
Evaluation evaluateRows(const std::vector<Cells>& rows);

}  // namespace kelnor::design
