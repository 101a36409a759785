#include "kelnor/sheet/fields.h"

#include <algorithm>

#include "kelnor/design/condition.h"
#include "kelnor/design/tables.h"
#include "kelnor/design/wording.h"
#include "kelnor/sheet/evaluation.h"
#include "kelnor/text/text.h"
#include "wording.h"

namespace kelnor::sheet {

namespace {

std::vector<Choice> choicesOf(std::string_view column) {
    using design::Operation;
    using design::Region;
    using design::WaveFormula;
    std::vector<Choice> out;
    if (column == "formula") {
        for (const WaveFormula f :
             {WaveFormula::Putian, WaveFormula::Hedi, WaveFormula::Guanting}) {
            out.push_back({std::string(design::formulaZh(f)), std::string(design::formulaName(f))});
        }
    } else if (column == "grade") {
        for (int grade = 1; grade <= 5; ++grade) {
            out.push_back({design::gradeZh(grade), std::to_string(grade)});
        }
    } else if (column == "operation") {
        out.push_back({std::string(design::operationZh(Operation::Normal)), "normal"});
        out.push_back({std::string(design::operationZh(Operation::Abnormal)), "abnormal"});
        out.push_back({std::string(design::operationZh(Operation::Earthquake)), "earthquake"});
    } else if (column == "region") {
        out.push_back({std::string(design::regionZh(Region::Mountain)), "mountain"});
        out.push_back({std::string(design::regionZh(Region::Plain)), "plain"});
    }
    return out;
}

// W left empty is derived from the annual maximum wind, by a factor that follows the
// operation unless one is typed.
constexpr std::string_view kFromAnnualMaximum = "按年最大风速";
constexpr std::string_view kByOperation = "按运用条件";
// The seismic surge is typed for an earthquake condition only, and there it is required.
constexpr std::string_view kEarthquakeOnly = "地震情况填";

// What the method takes for an empty cell, shown greyed in it.
std::string_view placeholderOf(std::string_view column) {
    if (column == "wind") {
        return kFromAnnualMaximum;
    }
    if (column == "wind_factor") {
        return kByOperation;
    }
    if (column == "mean_depth") {
        return words::kByDepth;
    }
    if (column == "kw" || column == "allowance") {
        return words::kFromTable;
    }
    if (column == "frequency") {
        return words::kByGrade;
    }
    if (column == "angle" || column == "extra" || column == "quake_settlement") {
        return words::kZero;
    }
    if (column == "surge") {
        return kEarthquakeOnly;
    }
    // The choices the method takes when none is made.
    if (column == "formula") {
        return design::formulaZh(design::WaveFormula::Putian);
    }
    if (column == "operation") {
        return design::operationZh(design::Operation::Normal);
    }
    if (column == "region") {
        return design::regionZh(design::Region::Mountain);
    }
    return {};
}

bool isRequired(std::string_view column) {
    // Not W: the annual maximum wind may stand for it.
    for (const std::string_view c : {"depth", "fetch", "slope", "roughness", "grade"}) {
        if (c == column) {
            return true;
        }
    }
    return false;
}

}  // namespace

const std::vector<Field>& fields() {
    static const std::vector<Field> all = [] {
        std::vector<Field> out;
        for (const std::string_view column : design::conditionColumns()) {
            out.push_back({column, design::columnZh(column), choicesOf(column),
                           placeholderOf(column), isRequired(column)});
        }
        return out;
    }();
    return all;
}

std::size_t columnCount() {
    return design::conditionColumns().size();
}

std::optional<std::size_t> columnIndex(std::string_view column) {
    const auto& columns = design::conditionColumns();
    const auto at = std::find(columns.begin(), columns.end(), column);
    if (at == columns.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - columns.begin());
}

std::string shownText(std::size_t column, std::string_view text) {
    const std::string key = lowerAscii(trimBlanks(text));
    for (const Choice& c : fields().at(column).choices) {
        if (c.value == key) {
            return c.nameZh;
        }
    }
    return std::string(text);
}

const std::vector<RoughnessOffer>& roughnessOffers() {
    static const std::vector<RoughnessOffer> offers = [] {
        std::vector<RoughnessOffer> out;
        for (const design::SlopeSurface& s : design::roughnessTable()) {
            out.push_back({s.nameZh, s.low, fixed(s.low, 2)});
            if (s.high != s.low) {
                out.push_back({s.nameZh, s.high, fixed(s.high, 2)});
            }
        }
        return out;
    }();
    return offers;
}

std::size_t roughnessColumn() {
    return *columnIndex("roughness");
}

}  // namespace kelnor::sheet
