#include "kelnor/sheet/fields.h"

#include <algorithm>

#include "kelnor/design/condition.h"
#include "kelnor/design/dike.h"
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

// What a dike's section shows in place of a dam's condition: its own columns, the names the
// dike code gives the rest, and what the code takes where a cell is empty.
struct SectionField {
    std::string_view column;
    std::string_view nameZh;         // empty: as a dam's condition names it
    std::string_view placeholderZh;  // empty: as a dam's condition's
};

constexpr SectionField kSectionFields[] = {
    {"section", "断面（桩号）", ""},
    {"level", "设计水位（m）", ""},
    {"ground", "堤基地面高程（m）", "按预留沉降须填"},
    {"depth", "堤前水深 H（m）", ""},
    {"mean_depth", "风区平均水深 d（m）", ""},
    {"wind", "计算风速 V（m/s）", ""},
    {"fetch", "吹程 F（km）", ""},
    {"angle", "风向与堤轴线法线夹角 β（°）", ""},
    {"slope", "临水坡 1:m", ""},
    {"grade", "堤防级别", "或填防洪标准"},
    {"standard", "防洪标准（重现期，年）", "或填堤防级别"},
    {"allowance", "安全加高 A（m）", "按堤防级别"},
    {"wall", "防浪墙高度（m）", "无防浪墙"},
    {"settlement", "预留沉降（m 或 %）", "不预留"},
    {"existing_crest", "现状堤顶高程（m）", "复核时填写"},
    {"formula", "", "莆田试验站公式"},
};

const SectionField* sectionField(std::string_view column) {
    for (const SectionField& f : kSectionFields) {
        if (f.column == column) {
            return &f;
        }
    }
    return nullptr;
}

Field sectionFieldOf(std::string_view column) {
    const SectionField* own = sectionField(column);
    Field out{column, design::columnZh(column), choicesOf(column), placeholderOf(column),
              column == "level" || (column != "grade" && isRequired(column))};
    if (own != nullptr) {
        out.nameZh = own->nameZh.empty() ? out.nameZh : own->nameZh;
        out.placeholderZh = own->placeholderZh.empty() ? out.placeholderZh : own->placeholderZh;
    }
    if (column == "formula") {
        // Only Putian is offered: the dike code takes no other.
        out.choices.resize(1);
    }
    return out;
}

const std::vector<std::string_view>& columnsOf(DesignCode code) {
    return code == DesignCode::Dike ? design::sectionColumns() : design::conditionColumns();
}

}  // namespace

const std::vector<Field>& fields(DesignCode code) {
    static const std::vector<Field> dam = [] {
        std::vector<Field> out;
        for (const std::string_view column : design::conditionColumns()) {
            out.push_back({column, design::columnZh(column), choicesOf(column),
                           placeholderOf(column), isRequired(column)});
        }
        return out;
    }();
    static const std::vector<Field> dike = [] {
        std::vector<Field> out;
        for (const std::string_view column : design::sectionColumns()) {
            out.push_back(sectionFieldOf(column));
        }
        return out;
    }();
    return code == DesignCode::Dike ? dike : dam;
}

std::size_t columnCount(DesignCode code) {
    return columnsOf(code).size();
}

std::optional<std::size_t> columnIndex(std::string_view column, DesignCode code) {
    const auto& columns = columnsOf(code);
    const auto at = std::find(columns.begin(), columns.end(), column);
    if (at == columns.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - columns.begin());
}

std::string shownText(std::size_t column, std::string_view text, DesignCode code) {
    const std::string key = lowerAscii(trimBlanks(text));
    for (const Choice& c : fields(code).at(column).choices) {
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

std::size_t roughnessColumn(DesignCode code) {
    return *columnIndex("roughness", code);
}

}  // namespace kelnor::sheet
