#pragma once

// A dike designed or checked section by section along its chainage by the dike code GB
// 50286-2013: each section's waves, set-up and run-up by the method of its own design level,
// Y = R + e + A, the crest (or the wave wall's top) the section requires, the crest adopted and
// as built, and where the dike stands, its margin.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kelnor/design/check.h"
#include "kelnor/design/condition.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/long_section.h"
#include "kelnor/design/method.h"

namespace kelnor::design {

// The design code a file's block names (`code,GB 50286`, `code,SL 274`, letters in any case,
// blanks and the year allowed); none for a text that names neither.
std::optional<DesignCode> designCodeOf(std::string_view text);

// The columns of a dike's sections, in the order a file writes them.
const std::vector<std::string_view>& sectionColumns();

// The columns a conditions file of either code may hold: a dam's condition's, then those of
// a dike's section a condition has not. A file's code decides which of them it may use.
const std::vector<std::string_view>& fileColumns();

// The name of the block row that gives a file's code, and the row a dike's file starts with.
inline constexpr std::string_view kCodeRow = "code";
inline constexpr std::string_view kDikeCodeText = "GB 50286-2013";

// Whether a block row's name is the code's (code, 规范).
bool isCodeRow(std::string_view name);

// A chainage as a dike's drawings write it, in metres: K1+250 and 1+250.5 are 1250 and
// 1250.5; none for a section named otherwise.
std::optional<double> chainageOf(std::string_view text);

struct DikeSection {
    // The section's waters as a condition of the dike code: its name as the label, its design
    // level (required), the depths, wind, fetch, slope, KΔ, the grade and any allowance typed.
    Condition water;
    std::optional<double> chainage;  // m, where the name is a chainage
    std::optional<double> ground;    // the ground the dike stands on, m
    std::optional<double> standard;  // the flood standard the grade was taken from, years
    std::optional<double> wall;      // the wave wall's height over the crest, m
    std::optional<Reserve> settlement;
    std::optional<double> existingCrest;  // the crest that stands, where the dike is checked
};

// Reads one section: `section` is its name, the hydraulic columns read as a condition's,
// the grade given or taken from `standard`. Raises ConditionError naming the column.
DikeSection readSection(const Cells& cells);

struct SectionResult {
    DikeSection section;
    Result result;  // waves, set-up, run-up, A and Y (result.y); result.crest is level + Y
    // The crest required: level + Y; under a wall the wall top is, and the earth crest the
    // higher of the wall top less the wall and the level + 0.5 m.
    double required = 0;
    std::optional<double> wallTop;  // the wall top required, with a wall
    double adopted = 0;             // the crest adopted: required rounded up (or smoothed)
    double reserve = 0;             // the settlement reserved, m
    double asBuilt = 0;             // the adopted crest + the reserve
    std::optional<Margin> margin;   // the crest that stands against the required one
};

// Computes and settles one section, its adopted crest rounded up to `step`. Raises
// ConditionError (NotFinite) where the calculation leaves the double range.
SectionResult computeSection(const DikeSection& section, double step);

// Warns of a section's chainage against the one before it in the file's order (`previous`,
// none for the first or where the one before has none): one running back, or a name that looks
// like a chainage (a K or a digit, then a +) but does not read as one. Returns the chainage
// the next section is set against.
std::optional<double> checkChainage(SectionResult& section, std::optional<double> previous);

// The adopted crests of a reach made monotone as a dike is built, in chainage order (the file's
// order for sections without one): falling along the chainage where the reach's first
// requirement stands above its last, rising otherwise; never below any section's requirement,
// each raised as little as it takes. The crest as built follows.
void smoothReach(std::vector<SectionResult>& sections);

// The levels the long section draws of `sections`: each at its chainage, or where a section
// has none, each 100 m after the one before in the file's order.
std::vector<SectionLevels> longSectionOf(const std::vector<SectionResult>& sections);

}  // namespace kelnor::design
