#include "kelnor/design/check.h"

#include <algorithm>
#include <utility>

namespace kelnor::design {

namespace {

Margin against(double existing, double required) {
    const double margin = toMicrometre(existing - required);
    return {required, existing, margin, margin >= -kLevelTolerance};
}

// A shortfall as the raise that mends it, rounded up to the step; none where nothing is short.
double raiseFor(double margin, double step) {
    return margin < -kLevelTolerance ? roundUp(-margin, step) : 0.0;
}

}  // namespace

bool DamCheck::met() const {
    return std::all_of(conditions.begin(), conditions.end(),
                       [](const ConditionCheck& c) { return c.margin.met; }) &&
           std::all_of(rules.begin(), rules.end(), [](const RuleCheck& r) { return r.margin.met; });
}

CheckOutcome checkDam(const Evaluation& ev, const Dam& dam) {
    const HighestLevels h = highestLevels(ev);
    if (!h.plusY) {
        return {std::nullopt, h.why};
    }
    DamCheck c;
    c.step = dam.step;
    // The wall stands `wall` above the crest, so either level gives the other.
    if (dam.existingCrest) {
        c.crest = *dam.existingCrest;
    } else {
        c.crest = toMicrometre(*dam.existingWallTop - *dam.wall);
        c.crestFrom = Surveyed::FromWall;
    }
    if (dam.existingWallTop) {
        c.wallTop = *dam.existingWallTop;
    } else if (dam.wall) {
        c.wallTop = toMicrometre(c.crest + *dam.wall);
        c.wallTopFrom = Surveyed::FromWall;
    }
    const double top = c.wallTop ? *c.wallTop : c.crest;
    for (std::size_t i = 0; i < ev.results.size(); ++i) {
        if (const auto& levelPlusY = ev.results[i].crest) {
            if (i == *h.plusY) {
                c.governing = c.conditions.size();
            }
            c.conditions.push_back({i, against(top, *levelPlusY)});
        }
    }
    // Every condition meets the same level, so the highest level + y has the least margin.
    const double shortfall = c.governingMargin().margin;
    if (c.wallTop) {
        c.wallRaise = raiseFor(shortfall, c.step);
        for (const CrestBound& b : levelBounds(ev, h)) {
            c.rules.push_back({b, against(c.crest, b.value)});
            c.crestRaise = std::max(c.crestRaise, raiseFor(c.rules.back().margin.margin, c.step));
        }
    } else {
        c.crestRaise = raiseFor(shortfall, c.step);
    }
    c.crestWithoutWall = roundUp(*ev.results[*h.plusY].crest, c.step);
    return {std::move(c), Unsettled::None};
}

}  // namespace kelnor::design
