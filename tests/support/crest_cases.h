#pragma once

// Computed conditions as settling and checking the crest read them, made by hand: each
// condition's level, y and operation, its crest the level + y.

#include <utility>
#include <vector>

#include "kelnor/design/crest.h"
#include "kelnor/design/method.h"

namespace kelnor::design {

// A computed condition as settling reads it: level and y given, crest = level + y.
inline Result result(const char* label, double level, double y, Operation op = Operation::Normal) {
    Result r;
    r.condition.label = label;
    r.condition.level = level;
    r.condition.operation = op;
    r.y = y;
    r.crest = level + y;
    return r;
}

inline Evaluation evaluation(std::vector<Result> results) {
    Evaluation ev;
    ev.results = std::move(results);
    return ev;
}

inline Dam withWall(double wall) {
    Dam dam;
    dam.wall = wall;
    return dam;
}

// The book example's three conditions: 104.2228 m governs, by the design flood level.
inline Evaluation bookExample() {
    return evaluation({result("正常蓄水位", 100, 2.6753308360114705),
                       result("设计洪水位", 101.5, 2.7228498117897093),
                       result("校核洪水位", 102.3, 1.60994852885742, Operation::Abnormal)});
}

}  // namespace kelnor::design
