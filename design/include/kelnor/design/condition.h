#pragma once

// One design condition (正常蓄水位, 设计洪水位, 校核洪水位, ...) as typed values, and reading it
// from the cells of a CSV row.

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/tables.h"

namespace kelnor::design {

// The wave formula of SL 274 Appendix A.
enum class WaveFormula { Putian, Hedi, Guanting };

std::string_view formulaName(WaveFormula f) noexcept;  // "putian", "hedi", "guanting"

// The operation an `operation` cell names as readCondition reads it (letters in any case,
// blanks around it, the Chinese names too); Normal for an empty cell; nothing for a text that
// is none.
std::optional<Operation> operationOf(std::string_view text);

// The equivalent fetch from radials drawn from the dam to the opposite shore within 45° either
// side of the wind (GB 50286-2013 C.1.1 item 3): 13 rays 7.5° apart, or 7 rays 15° apart for
// preliminary work, Fe = Σ rᵢ·cos²αᵢ / Σ cos αᵢ.
struct FetchRays {
    std::vector<double> km;  // each ray's length to the shore, from −45° to +45°
    double sumRCos2 = 0;     // Σ rᵢ·cos²αᵢ, km
    double sumCos = 0;       // Σ cos αᵢ
    double fe = 0;           // the equivalent fetch, km

    // The angle of ray i from the wind's direction, degrees: −45 + i·step.
    double angle(std::size_t i) const;
    double step() const;  // 7.5 or 15 degrees
};

// The counts of rays the code provides for: every 7.5°, or every 15° for preliminary work.
inline constexpr std::size_t kFineRays = 13;
inline constexpr std::size_t kCoarseRays = 7;

// The equivalent fetch of `km`, kFineRays or kCoarseRays lengths, none negative and not all 0.
FetchRays equivalentFetch(std::vector<double> km);

// The distances of a fetch_rays cell, separated by ";" (or the full-width "；"); a separator
// after the last is allowed.
std::vector<std::string_view> rayTexts(std::string_view text);

// The design code a condition is computed by: the dam's SL 274 (the default), or the dike code
// GB 50286 for a section of a dike.
enum class DesignCode { Dam, Dike };

struct Condition {
    DesignCode code = DesignCode::Dam;
    int row = 0;                      // the CSV row it came from (1 after the header); 0 when none
    std::string label;                // the `case` cell
    std::optional<double> level;      // still-water level, m
    double depth = 0;                 // H in front of the dam, m
    std::optional<double> meanDepth;  // Hm along the fetch, m (default: H)
    double wind = 0;                  // W at 10 m over the water, m/s, as the method uses it
    // W from the station's records: the multi-year average annual maximum wind speed at 10 m
    // and the factor it is multiplied by (default by operation). Where windMax is given, W is
    // designWind(), which readCondition and compute put into `wind`.
    std::optional<double> windMax;     // m/s
    std::optional<double> windFactor;  // as given
    double fetchKm = 0;                // D, km: as typed, or the equivalent fetch of the rays
    std::optional<FetchRays> rays;     // where the fetch comes from radials
    double angle = 0;                  // β between the wind and the normal to the axis, degrees
    double slope = 0;                  // m of the upstream slope 1:m
    double roughness = 0;              // KΔ
    std::optional<double> kw;          // Kw (default: from the Kw table)
    WaveFormula formula = WaveFormula::Putian;
    int grade = 0;  // 1 to 5
    Operation operation = Operation::Normal;
    Region region = Region::Mountain;
    std::optional<double> frequency;  // P of the design run-up, % (default: by grade)
    std::optional<double> allowance;  // A, m (default: from the table)
    double extra = 0;                 // an additional height added to y, m
    // The earthquake condition's allowance B = surge + quakeSettlement, m: the seismic surge
    // (required for an earthquake condition, and only there) and the seismic settlement of dam
    // and foundation (default 0).
    std::optional<double> surge;
    std::optional<double> quakeSettlement;

    double Hm() const { return meanDepth.value_or(depth); }
    // The factor W = factor × windMax takes: the one given, else the default for the
    // operation (kelnor/design/tables.h, WindFactors).
    double windFactorUsed() const;
    // W: factor × windMax where the annual maximum is given, else the wind typed.
    double designWind() const;
    // P of the design run-up: as given, else by the dam's grade, or the dike's 2 %.
    double P() const {
        return frequency.value_or(code == DesignCode::Dike ? DikeRules::frequency
                                  : grade <= 3             ? 1.0
                                                           : 5.0);
    }
    // The earthquake allowance B; 0 for any other condition.
    double B() const { return surge.value_or(0.0) + quakeSettlement.value_or(0.0); }
};

// Why a condition cannot be computed.
enum class ConditionErrorKind {
    Missing,          // a required column is absent or its cell empty
    NotANumber,       // the text does not read as a number
    TooLarge,         // the number is beyond the double range
    NotPositive,      // must be above 0
    Negative,         // must be 0 or above
    UnknownChoice,    // formula, grade, operation or region not among the choices
    OutsideTable,     // the frequency P is outside the Kp table's columns
    AngleTooLarge,    // |β| of 90° or more: the wind does not blow towards the dam
    UnknownColumn,    // a cell under a column the method does not know
    NotFinite,        // the calculation left the double range
    BothGiven,        // two columns that exclude each other are both given (wind and wind_max)
    NeedsOther,       // a column that means nothing without another (wind_factor, wind_max)
    NotForOperation,  // a column of the earthquake condition on another operation (surge)
    RayCount,         // fetch_rays gives neither 13 nor 7 distances
    NotForDike,       // a formula other than Putian named for a dike's section
};

// A condition that cannot be computed: what went wrong, which condition, which column and the
// text as given, and where another column is part of it, that column and its text (a Missing
// wind that wind_max could supply, wind and wind_max BothGiven, wind_factor that NeedsOther
// wind_max). It carries data only; each front end words it (the book and the window in
// Chinese by kelnor/design/wording.h).
class ConditionError : public std::exception {
  public:
    ConditionError(ConditionErrorKind kind, int row, std::string label, std::string column,
                   std::string text, std::string otherColumn = {}, std::string otherText = {})
        : kind_(kind),
          row_(row),
          label_(std::move(label)),
          column_(std::move(column)),
          text_(std::move(text)),
          otherColumn_(std::move(otherColumn)),
          otherText_(std::move(otherText)) {}

    ConditionErrorKind kind() const noexcept { return kind_; }
    int row() const noexcept { return row_; }
    const std::string& label() const noexcept { return label_; }
    const std::string& column() const noexcept { return column_; }
    const std::string& text() const noexcept { return text_; }
    const std::string& otherColumn() const noexcept { return otherColumn_; }  // may be empty
    const std::string& otherText() const noexcept { return otherText_; }
    const char* what() const noexcept override { return "design condition cannot be computed"; }

  private:
    ConditionErrorKind kind_;
    int row_;
    std::string label_;
    std::string column_;
    std::string text_;
    std::string otherColumn_;
    std::string otherText_;
};

// The columns a condition reads, in the order the method lists them.
const std::vector<std::string_view>& conditionColumns();

// The cells of one CSV row: column name and text as given.
struct Cells {
    int row = 0;
    std::vector<std::pair<std::string, std::string>> cells;
};

// Reads one condition. Numbers read as the window reads a box (kelnor::parseNumber). An empty
// cell takes the column's default; a required column without a value, a text that is not a
// number, a depth, wind, wind_max, wind_factor or fetch of 0 or below, a slope below 0, an
// unknown formula, grade, operation or region, a P outside the Kp table, wind given beside
// wind_max and wind_factor without wind_max, a negative allowance, extra, surge or seismic
// settlement, an earthquake condition without its surge and a surge or seismic settlement on
// another operation throw ConditionError.
Condition readCondition(const Cells& cells);

}  // namespace kelnor::design
