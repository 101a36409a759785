#pragma once

// Checking a dam that stands (坝顶高程复核): the surveyed crest and wave-wall top against each
// condition's still-water level + y and, under a wall, against the crest's own rules; each with
// its margin, the verdict, the governing condition and the raise the wall or the crest needs.
// What stands has settled, so no reserve enters a check.

#include <cstddef>
#include <optional>
#include <vector>

#include "kelnor/design/crest.h"

namespace kelnor::design {

// A level that stands against what it must meet: the margin is what stands less the
// requirement, to the micrometre (富裕 where positive, 不足 where negative).
struct Margin {
    double required = 0;
    double existing = 0;
    double margin = 0;
    bool met = true;
};

// A condition's level + y against the wall top (with a wall) or the crest.
struct ConditionCheck {
    std::size_t result = 0;  // in the evaluation's results
    Margin margin;
};

// One of the crest's rules under a wall against the existing crest.
struct RuleCheck {
    CrestBound bound;  // the rule, the level it counts from and the crest it asks for
    Margin margin;
};

// Where an existing level comes from: surveyed, or the other one and the wall's height.
enum class Surveyed { Typed, FromWall };

struct DamCheck {
    double crest = 0;  // the existing crest
    Surveyed crestFrom = Surveyed::Typed;
    std::optional<double> wallTop;  // the existing wall top, with a wall
    Surveyed wallTopFrom = Surveyed::Typed;
    std::vector<ConditionCheck> conditions;  // each condition with a level, in order
    std::size_t governing = 0;               // in `conditions`: the least margin
    std::vector<RuleCheck> rules;            // under a wall: the crest's rules
    double step = kDefaultStep;
    // Where short: by how much the wall (or, without one, the crest) and the crest under a
    // wall must be raised, rounded up to the step; 0 where what stands meets the code.
    double wallRaise = 0;
    double crestRaise = 0;
    // The crest the dam would need without a wall: the highest level + y rounded up.
    double crestWithoutWall = 0;

    const Margin& governingMargin() const { return conditions[governing].margin; }
    bool met() const;
};

struct CheckOutcome {
    std::optional<DamCheck> check;
    Unsettled why = Unsettled::None;  // why there is no check, as for settling the crest
};

// Checks what stands over the computed conditions; the dam must be a check (Dam::isCheck).
CheckOutcome checkDam(const Evaluation& evaluation, const Dam& dam);

}  // namespace kelnor::design
