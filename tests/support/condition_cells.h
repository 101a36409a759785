#pragma once

// The cells of one design condition's CSV row, made from a base row and the cells a test
// changes.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kelnor/design/condition.h"

namespace kelnor::testing_support {

using CellList = std::vector<std::pair<std::string, std::string>>;

// A row of a table of refused cells: what it tries, the cells changed, and the kind of error
// and the column it names.
struct Refusal {
    const char* what;
    CellList changes;
    design::ConditionErrorKind kind;
    const char* column;
};

// `base` with each of `changes` replacing the cell of its column, or added after them where
// the base has none; row number `row`.
inline design::Cells conditionCells(CellList base, const CellList& changes, int row = 1) {
    for (const auto& [column, text] : changes) {
        bool found = false;
        for (auto& cell : base) {
            if (cell.first == column) {
                cell.second = text;
                found = true;
            }
        }
        if (!found) {
            base.emplace_back(column, text);
        }
    }
    return {row, std::move(base)};
}

// The three conditions of docs/book-example.csv: the normal storage, design flood and check
// flood levels of a grade-2 dam on a 1:3 slope, KΔ 0.80, wind 21 m/s but for the check flood's
// 14 m/s in abnormal operation; the design flood governs. Without `meanDepths` the mean depth
// along the fetch is the depth at the dam, the case worked by hand.
inline std::vector<design::Cells> exampleConditions(bool meanDepths = true) {
    // Each level's case, level, depth, mean depth and fetch.
    const std::array<std::array<const char*, 5>, 3> levels = {{
        {"正常蓄水位", "100.00", "30.0", "24.0", "3.0"},
        {"设计洪水位", "101.50", "31.5", "25.5", "3.2"},
        {"校核洪水位", "102.30", "32.3", "26.3", "3.3"},
    }};
    const CellList dam = {{"wind", "21.0"}, {"slope", "3"}, {"roughness", "0.80"}, {"grade", "2"}};
    std::vector<design::Cells> rows;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const auto& l = levels[i];
        CellList cells = {{"case", l[0]}, {"level", l[1]}, {"depth", l[2]}, {"fetch", l[4]}};
        if (meanDepths) {
            cells.emplace_back("mean_depth", l[3]);
        }
        if (i == 2) {
            cells.insert(cells.end(), {{"wind", "14.0"}, {"operation", "abnormal"}});
        }
        rows.push_back(conditionCells(dam, cells, static_cast<int>(i) + 1));
    }
    return rows;
}

// A grade-2 condition on a 1:3 slope, KΔ 0.8, with the wave inputs as given (the mean depth
// that of the dam unless given).
inline design::Condition waveCondition(design::WaveFormula formula, double wind, double fetchKm,
                                       double depth,
                                       std::optional<double> meanDepth = std::nullopt) {
    design::Condition c;
    c.label = "by hand";
    c.formula = formula;
    c.wind = wind;
    c.fetchKm = fetchKm;
    c.depth = depth;
    c.meanDepth = meanDepth;
    c.slope = 3;
    c.roughness = 0.8;
    c.grade = 2;
    return c;
}

}  // namespace kelnor::testing_support
