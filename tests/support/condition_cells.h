#pragma once

// The cells of one design condition's CSV row, made from a base row and the cells a test
// changes.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kelnor/design/condition.h"

namespace kelnor::testing_support {

using CellList = std::vector<std::pair<std::string, std::string>>;

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
