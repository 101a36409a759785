#pragma once

// The tables of SL 274 Appendix A that the design method reads, each held once as data with
// where its values come from and how firmly they stand, and the look-ups that read them. A
// look-up returns the value together with the rows it used, so the calculation book can show
// the interpolation an engineer repeats by hand.

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace kelnor::design {

// How firmly a table's values stand, in the marks of the collected reference notes.
enum class Standing {
    Confirmed,     // [C] stated by a public page quoting the code and recomputed from an example
    Corroborated,  // [X] a second source, or a worked example that only fits this value
    NotConfirmed,  // [M] commonly quoted; no public source found to confirm it
    Derived,       // computed by this program from the distribution the table rests on
};

// The mark printed beside a value: "[C]", "[X]", "[M]" or "[D]".
std::string_view standingMark(Standing s) noexcept;

// Where a table comes from, in English (for the data) and in Chinese (for the book).
struct TableSource {
    std::string_view id;        // short name, e.g. "Kw"
    std::string_view title;     // the table's Chinese title in the book
    std::string_view source;    // English: where its values come from and their standing
    std::string_view sourceZh;  // the same in Chinese, for the book's note on sources
};

// One point of a one-dimensional table.
struct TablePoint {
    double x;
    double y;
    Standing standing;
};

// The outcome of reading a one-dimensional table at x: the value, the two points it lies
// between (the same point twice at a table point or where the table holds its end value),
// and whether x lay beyond the table's ends.
struct Lookup {
    double x = 0;
    double value = 0;
    TablePoint lower{};
    TablePoint upper{};
    bool beyondLow = false;
    bool beyondHigh = false;
};

// Reads a table linearly between its points; beyond the ends it holds the end value.
Lookup interpolate(std::span<const TablePoint> table, double x);

// --- Kw, the empirical run-up coefficient against W/√(gH) ---------------------------------
extern const TableSource kKwSource;
std::span<const TablePoint> kwTable();
Lookup lookUpKw(double windOverCelerity);

// --- R0, run-up on a smooth impermeable steep slope for hm = 1 m, against m -------------------
extern const TableSource kR0Source;
std::span<const TablePoint> r0Table();
Lookup lookUpR0(double m);

// --- Kβ, run-up factor for oblique wind, against β in degrees ------------------------------
extern const TableSource kKbetaSource;
std::span<const TablePoint> kbetaTable();
Lookup lookUpKbeta(double betaDegrees);

// --- Kp = Rp/Rm, against hm/H (three bands) and the cumulative frequency P in % -------------
inline constexpr std::array<double, 10> kKpColumns = {0.1, 1, 2, 4, 5, 10, 14, 20, 30, 50};

enum class KpBand { Below01, From01To03, Above03 };

struct KpRow {
    KpBand band;
    std::string_view label;  // "hm/H < 0.1", ...
    std::array<double, kKpColumns.size()> kp;
    std::array<Standing, kKpColumns.size()> standing;
};

extern const TableSource kKpSource;
std::span<const KpRow> kpTable();

// The band hm/H falls in: below 0.1, 0.1 to 0.3, above 0.3.
KpBand kpBand(double hmOverH) noexcept;

struct KpLookup {
    const KpRow* row = nullptr;
    double P = 0;
    double value = 0;
    std::size_t left = 0;   // column index at or below P
    std::size_t right = 0;  // column index at or above P (== left at a column)
};

// Kp of the band for hm/H at P, linear in P between columns. P must lie within the columns.
KpLookup lookUpKp(double hmOverH, double P);

// --- hp/hm, the ratio of the height of cumulative frequency P to the mean height, against
// hm/Hm; used to turn the Hedi (h2%) and Guanting (h5%, h10%) heights into hm ---------------
inline constexpr std::array<double, 5> kRatioColumns = {0.1, 1, 2, 5, 10};

struct RatioRow {
    double hmOverHm;
    std::array<double, kRatioColumns.size()> ratio;
    Standing standing;
};

extern const TableSource kRatioSource;
std::span<const RatioRow> ratioTable();

struct RatioLookup {
    double hmOverHm = 0;
    double P = 0;
    double value = 0;
    const RatioRow* lower = nullptr;
    const RatioRow* upper = nullptr;
    bool beyondHigh = false;  // hm/Hm above the last row: the last row's value is held
};

// hp/hm for P (one of the columns) at hm/Hm, linear in hm/Hm between rows.
RatioLookup lookUpRatio(double hmOverHm, double P);

// --- Safety allowance A (m) by grade, operation and region ---------------------------------
// The operating condition of a design condition. An earthquake (地震情况) computes as abnormal
// operation, at its own level (normally the normal storage level), with the earthquake
// allowance added to its freeboard.
enum class Operation { Normal, Abnormal, Earthquake };

// Whether the condition takes abnormal operation's wind and allowance.
constexpr bool isAbnormal(Operation o) noexcept {
    return o != Operation::Normal;
}
enum class Region { Mountain, Plain };

struct AllowanceLookup {
    double value = 0;
    Standing standing = Standing::NotConfirmed;
};

extern const TableSource kAllowanceSource;
// Grade 1 to 5.
AllowanceLookup lookUpAllowance(int grade, Operation operation, Region region);

// --- KΔ, the roughness and permeability coefficient of the slope surface, by revetment -------
// Offered to the user by name; the method itself reads the KΔ typed for each condition.
struct SlopeSurface {
    std::string_view nameZh;  // the revetment, in Chinese: "混凝土板护面"
    double low;               // the table's value, or the lower end of its range
    double high;              // the upper end of the range; equal to `low` for a single value
    Standing standing;
};

extern const TableSource kRoughnessSource;
std::span<const SlopeSurface> roughnessTable();

// --- The design wind W from the multi-year average annual maximum wind speed ---------------
// W = factor × the annual maximum: in normal operation 1.5 for grades 3 to 5 and 1.5 to 2.0
// for grades 1 and 2, in abnormal operation 1.0. Commonly quoted, not confirmed; the worked
// examples found use 1.5 and 1.0, the defaults here.
struct WindFactors {
    static constexpr double normal = 1.5;         // the default in normal operation
    static constexpr double normalHighest = 2.0;  // grades 1 and 2 may take up to this
    static constexpr int widerRangeGrades = 2;    // grades 1 to this have the range
    static constexpr double abnormal = 1.0;       // the default in abnormal operation
    static constexpr double low = 1.0;            // a factor outside low to high is warned of
    static constexpr double high = 2.0;
    static constexpr Standing standing = Standing::NotConfirmed;
};

// The factor W takes from the annual maximum when none is given.
double defaultWindFactor(Operation operation) noexcept;

extern const TableSource kWindSource;

// --- Limits the method checks ---------------------------------------------------------------
struct Limits {
    static constexpr double hediWind = 26.5;          // m/s, Hedi formula below this
    static constexpr double hediFetchKm = 7.5;        // km
    static constexpr double guantingWind = 20.0;      // m/s, Guanting formula below this
    static constexpr double guantingFetchKm = 20.0;   // km
    static constexpr double guantingGdLow = 20.0;     // g·D/W², Guanting formula range
    static constexpr double guantingGdSplit = 250.0;  // h5% below, h10% above
    static constexpr double guantingGdHigh = 1000.0;
    static constexpr double gentleSlopeLow = 1.5;   // the gentle-slope formula for m ≥ 1.5
    static constexpr double gentleSlopeHigh = 5.0;  // ... up to m = 5
    static constexpr double steepSlopeHigh = 1.25;  // the steep-slope form for m ≤ 1.25
    // Waves break where the 1 % wave, 2.42·hm in deep water, reaches 0.78 of the depth
    // (the solitary-wave limit). This is the program's check, not a limit SL 274 states.
    static constexpr double breakingRatio = 0.78;
    static constexpr double deepWaterRatio1 = 2.42;
    // Values outside what reservoirs have, most likely slips in typing: this program's own
    // checks, not limits SL 274 states.
    static constexpr double fetchKmHigh = 100.0;   // km; a longer fetch was typed in metres?
    static constexpr double setupShareOfHm = 0.2;  // wind set-up above this share of Hm
    static constexpr double depthLow = 0.5;        // m, H and Hm below this
};

// --- The earthquake allowance B = seismic surge + seismic settlement (m) ----------------------
// The surge is taken as 0.5-1.5 m by the design intensity and the depth in front of the dam
// [C]; outside that range the method warns. The settlement is the engineer's own figure.
struct SurgeRange {
    static constexpr double low = 0.5;
    static constexpr double high = 1.5;
    static constexpr Standing standing = Standing::Confirmed;
};

extern const TableSource kEarthquakeSource;

// --- Settling the crest under a wave wall ----------------------------------------------------
// With a wave wall the freeboard is counted to the wall's top; the embankment's own crest must
// still stand this far above the highest normal-operation level and not below the highest
// abnormal one (SL 274-2001 §5.3.4, confirmed). The wall's usual height over the crest is
// commonly quoted, not confirmed.
struct WallRules {
    static constexpr double aboveNormal = 0.5;  // m above the highest normal-operation level
    static constexpr double aboveAbnormal = 0;  // m above the highest abnormal level
    static constexpr Standing standing = Standing::Confirmed;
    static constexpr double heightLow = 1.0;  // the wall's usual height above the crest, m
    static constexpr double heightHigh = 1.2;
    static constexpr Standing heightStanding = Standing::NotConfirmed;
};

extern const TableSource kCrestSource;

// --- The equivalent fetch from radials --------------------------------------------------------
// Where to use it, the ±45° sector and the rays every 7.5° (15° for preliminary work) are
// confirmed by the dike code GB 50286-2013 C.1.1 item 3; the formula Fe = Σ rᵢ·cos²αᵢ / Σ cos αᵢ
// is the commonly quoted one, not confirmed.
struct FetchRules {
    static constexpr Standing rays = Standing::Confirmed;
    static constexpr Standing formula = Standing::NotConfirmed;
};

extern const TableSource kFetchSource;

// --- The dike code, GB 50286-2013 -----------------------------------------------------------
// A dike is designed section by section with the Putian waves, the dam's set-up and run-up
// tables and its own rules [C] (appendix C), but for the allowance table [M] and the earth
// crest under a wave wall [M].
struct DikeRules {
    static constexpr double steepSlopeHigh = 1.0;  // the steep-slope form for m ≤ 1.0
    static constexpr double steepnessLow = 0.025;  // both run-up forms ask H̄/L̄ ≥ 0.025
    static constexpr double frequency = 2;         // % of the run-up where not overtopped
    // The wind's minimum duration g·t_min/V = 168·(g·T̄/V)^3.45, to be checked above this fetch.
    static constexpr double durationFactor = 168;
    static constexpr double durationPower = 3.45;
    static constexpr double durationFetchKm = 100;
    static constexpr double allowanceGrade1High = 1.5;  // A of grade 1 at most this, m
    // Under a wave wall the earth crest stands this far above the design level [M].
    static constexpr double wallCrestAbove = 0.5;
    static constexpr Standing wallStanding = Standing::NotConfirmed;
};

extern const TableSource kDikeSource;

// The safety allowance A of a dike that must not be overtopped, by its grade 1 to 5 [M].
AllowanceLookup lookUpDikeAllowance(int grade);

// The dike's grade from the flood standard of the area it protects, a return period in years
// (≥ 100: 1, 50–100: 2, 30–50: 3, 20–30: 4, 10–20: 5) [C]; none below 10 years.
std::optional<int> dikeGradeOf(double returnPeriod);

// KΔ above that of a smooth impermeable slope (asphalt concrete, 1.0) is warned of.
inline constexpr double kRoughnessHighest = 1.0;

// Every table's source, in the order the book lists them.
std::span<const TableSource* const> allSources();

}  // namespace kelnor::design
