#include "kelnor/design/condition.h"

#include <algorithm>
#include <cmath>

#include "kelnor/text/text.h"
#include "named_reader.h"

namespace kelnor::design {

namespace {

class Reader : public NamedReader<Reader, ConditionErrorKind> {
  public:
    explicit Reader(const Cells& cells) : cells_(cells) {
        for (const auto& [column, text] : cells.cells) {
            if (column == "case") {
                label_ = text;
            }
        }
        for (const auto& [column, text] : cells.cells) {
            const auto& known = conditionColumns();
            if (std::find(known.begin(), known.end(), column) == known.end()) {
                fail(ConditionErrorKind::UnknownColumn, column, text);
            }
        }
    }

    const std::string& label() const { return label_; }

    // The cell's text as typed; empty for an absent column.
    const std::string& typed(std::string_view column) const { return cellText(cells_, column); }

    [[noreturn]] void fail(ConditionErrorKind kind, std::string_view column, std::string_view text,
                           std::string_view otherColumn = {},
                           std::string_view otherText = {}) const {
        throw ConditionError(kind, cells_.row, label_, std::string(column), std::string(text),
                             std::string(otherColumn), std::string(otherText));
    }
    // A value that does not read, with its text as typed.
    [[noreturn]] void fail(ConditionErrorKind kind, std::string_view column) const {
        fail(kind, column, typed(column));
    }

    double required(std::string_view column) const {
        const auto value = number(column);
        if (!value) {
            fail(ConditionErrorKind::Missing, column, text(column).value_or(""));
        }
        return *value;
    }

    double positive(double value, std::string_view column) const {
        if (!(value > 0)) {
            fail(ConditionErrorKind::NotPositive, column, *text(column));
        }
        return value;
    }

    std::optional<double> positive(std::optional<double> value, std::string_view column) const {
        if (value) {
            positive(*value, column);
        }
        return value;
    }

    std::optional<double> notNegative(std::optional<double> value, std::string_view column) const {
        if (value && *value < 0) {
            fail(ConditionErrorKind::Negative, column, *text(column));
        }
        return value;
    }

  private:
    const Cells& cells_;
    std::string label_;
};

template <typename T>
struct Choice {
    std::string_view text;
    T value;
};

template <typename T, std::size_t N>
T choose(const Reader& r, std::string_view column, const Choice<T> (&choices)[N], T fallback) {
    const auto text = r.text(column);
    if (!text) {
        return fallback;
    }
    const std::string key = lowerAscii(trimBlanks(*text));
    for (const auto& c : choices) {
        if (key == c.text) {
            return c.value;
        }
    }
    r.fail(ConditionErrorKind::UnknownChoice, column, *text);
}

constexpr Choice<WaveFormula> kFormulas[] = {
    {"putian", WaveFormula::Putian},     {"莆田", WaveFormula::Putian},
    {"hedi", WaveFormula::Hedi},         {"鹤地", WaveFormula::Hedi},
    {"guanting", WaveFormula::Guanting}, {"官厅", WaveFormula::Guanting},
};
constexpr Choice<Operation> kOperations[] = {
    {"normal", Operation::Normal},         {"正常", Operation::Normal},
    {"abnormal", Operation::Abnormal},     {"非常", Operation::Abnormal},
    {"earthquake", Operation::Earthquake}, {"地震", Operation::Earthquake},
    {"地震情况", Operation::Earthquake},
};
constexpr Choice<Region> kRegions[] = {
    {"mountain", Region::Mountain},
    {"山区丘陵区", Region::Mountain},
    {"plain", Region::Plain},
    {"平原滨海区", Region::Plain},
};

// W typed, or derived from the annual maximum wind: one or the other, never both, and a factor
// only with the maximum it multiplies.
void readWind(const Reader& r, Condition& c) {
    const auto wind = r.text("wind");
    const auto windMax = r.text("wind_max");
    const auto factor = r.text("wind_factor");
    if (wind && windMax) {
        r.fail(ConditionErrorKind::BothGiven, "wind", *wind, "wind_max", *windMax);
    }
    if (!wind && !windMax) {
        r.fail(ConditionErrorKind::Missing, "wind", "", "wind_max");
    }
    if (factor && !windMax) {
        r.fail(ConditionErrorKind::NeedsOther, "wind_factor", *factor, "wind_max");
    }
    if (windMax) {
        c.windMax = r.positive(r.number("wind_max"), "wind_max");
        c.windFactor = r.positive(r.number("wind_factor"), "wind_factor");
    } else {
        c.wind = r.positive(r.required("wind"), "wind");
    }
}

// The fetch typed, or the equivalent fetch of the rays to the opposite shore: one or the other.
void readFetch(const Reader& r, Condition& c) {
    const auto fetch = r.text("fetch");
    const auto rays = r.text("fetch_rays");
    if (fetch && rays) {
        r.fail(ConditionErrorKind::BothGiven, "fetch", *fetch, "fetch_rays", *rays);
    }
    if (!rays) {
        if (!fetch) {
            r.fail(ConditionErrorKind::Missing, "fetch", "", "fetch_rays");
        }
        c.fetchKm = r.positive(r.required("fetch"), "fetch");
        return;
    }
    std::vector<double> km;
    for (const std::string_view text : rayTexts(*rays)) {
        km.push_back(r.read("fetch_rays", text));
        if (km.back() < 0) {
            r.fail(ConditionErrorKind::Negative, "fetch_rays");
        }
    }
    if (km.size() != kFineRays && km.size() != kCoarseRays) {
        r.fail(ConditionErrorKind::RayCount, "fetch_rays");
    }
    if (std::all_of(km.begin(), km.end(), [](double v) { return v == 0; })) {
        r.fail(ConditionErrorKind::NotPositive, "fetch_rays");
    }
    c.rays = equivalentFetch(std::move(km));
    c.fetchKm = c.rays->fe;
}

// The earthquake allowance's two columns: the surge required of an earthquake condition, and
// neither typed on another, where it would silently count for nothing.
void readEarthquake(const Reader& r, Condition& c) {
    constexpr std::string_view kColumns[] = {"surge", "quake_settlement"};
    if (c.operation != Operation::Earthquake) {
        for (const std::string_view column : kColumns) {
            if (const auto text = r.text(column)) {
                r.fail(ConditionErrorKind::NotForOperation, column, *text, "operation",
                       r.text("operation").value_or("normal"));
            }
        }
        return;
    }
    c.surge = r.notNegative(r.number("surge"), "surge");
    if (!c.surge) {
        r.fail(ConditionErrorKind::Missing, "surge", "");
    }
    c.quakeSettlement = r.notNegative(r.number("quake_settlement"), "quake_settlement");
}

}  // namespace

double FetchRays::step() const {
    return 90.0 / static_cast<double>(km.size() - 1);
}

double FetchRays::angle(std::size_t i) const {
    return -45.0 + static_cast<double>(i) * step();
}

FetchRays equivalentFetch(std::vector<double> km) {
    FetchRays rays;
    rays.km = std::move(km);
    constexpr double kDegree = 3.14159265358979323846 / 180;
    for (std::size_t i = 0; i < rays.km.size(); ++i) {
        const double cosine = std::cos(rays.angle(i) * kDegree);
        rays.sumRCos2 += rays.km[i] * cosine * cosine;
        rays.sumCos += cosine;
    }
    rays.fe = rays.sumRCos2 / rays.sumCos;
    return rays;
}

std::vector<std::string_view> rayTexts(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        std::size_t width = 0;
        while (end < text.size()) {
            if (text[end] == ';') {
                width = 1;
                break;
            }
            if (text.substr(end, 3) == "；") {
                width = 3;
                break;
            }
            ++end;
        }
        const std::string_view piece = trimBlanks(text.substr(start, end - start));
        if (width == 0) {
            if (!piece.empty() || out.empty()) {
                out.push_back(piece);
            }
            return out;
        }
        out.push_back(piece);
        start = end + width;
    }
}

double Condition::windFactorUsed() const {
    return windFactor.value_or(defaultWindFactor(operation));
}

double Condition::designWind() const {
    return windMax ? windFactorUsed() * *windMax : wind;
}

std::optional<Operation> operationOf(std::string_view text) {
    const std::string key = lowerAscii(trimBlanks(text));
    if (key.empty()) {
        return Operation::Normal;
    }
    for (const auto& c : kOperations) {
        if (key == c.text) {
            return c.value;
        }
    }
    return std::nullopt;
}

std::string_view formulaName(WaveFormula f) noexcept {
    for (const auto& c : kFormulas) {
        if (c.value == f) {
            return c.text;  // the first, English name of each
        }
    }
    return {};
}

const std::vector<std::string_view>& conditionColumns() {
    // The rays of the equivalent fetch came last, after the files and the Excel sheets laid out
    // in this order: they keep their places.
    static const std::vector<std::string_view> columns = {
        "case",      "level",  "depth",     "mean_depth", "wind",  "wind_max", "wind_factor",
        "fetch",     "angle",  "slope",     "roughness",  "kw",    "formula",  "grade",
        "operation", "region", "frequency", "allowance",  "extra", "surge",    "quake_settlement",
        "fetch_rays"};
    return columns;
}

Condition readCondition(const Cells& cells) {
    const Reader r(cells);
    Condition c;
    c.row = cells.row;
    c.label = r.label();
    c.level = r.number("level");
    c.depth = r.positive(r.required("depth"), "depth");
    c.meanDepth = r.positive(r.number("mean_depth"), "mean_depth");
    readWind(r, c);
    readFetch(r, c);
    c.angle = r.number("angle").value_or(0.0);
    if (!(std::fabs(c.angle) < 90)) {
        r.fail(ConditionErrorKind::AngleTooLarge, "angle", *r.text("angle"));
    }
    c.slope = r.required("slope");
    if (c.slope < 0) {
        r.fail(ConditionErrorKind::Negative, "slope", *r.text("slope"));
    }
    c.roughness = r.positive(r.required("roughness"), "roughness");
    c.kw = r.positive(r.number("kw"), "kw");
    c.formula = choose(r, "formula", kFormulas, WaveFormula::Putian);
    const double grade = r.required("grade");
    if (!(grade == 1 || grade == 2 || grade == 3 || grade == 4 || grade == 5)) {
        r.fail(ConditionErrorKind::UnknownChoice, "grade", *r.text("grade"));
    }
    c.grade = static_cast<int>(grade);
    c.operation = choose(r, "operation", kOperations, Operation::Normal);
    // Once the operation is known, which chooses the default factor.
    c.wind = c.designWind();
    c.region = choose(r, "region", kRegions, Region::Mountain);
    c.frequency = r.number("frequency");
    if (c.frequency && !(*c.frequency >= kKpColumns.front() && *c.frequency <= kKpColumns.back())) {
        r.fail(ConditionErrorKind::OutsideTable, "frequency", *r.text("frequency"));
    }
    c.allowance = r.notNegative(r.number("allowance"), "allowance");
    c.extra = r.notNegative(r.number("extra"), "extra").value_or(0.0);
    readEarthquake(r, c);
    return c;
}

}  // namespace kelnor::design
