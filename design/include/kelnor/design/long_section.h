#pragma once

// The long section (纵断面) of a dike along its chainage: the design water level, the crest the
// code requires over it, the crest adopted, the crest that stands and the ground, with the
// chainage of each section under it and, where what stands falls short, by how much. It is a
// Drawing like the freeboard sketch, so the same painters and the book's SVG draw it.
//
// Lines: 设计水位 LineStyle::Water, 要求堤顶 LineStyle::Leader (dashed), 采用堤顶
// LineStyle::Crest, 现状堤顶 LineStyle::Dimension, 地面 LineStyle::Slope; each named at its end
// (TextRole::Condition, so the names keep the order of their levels). Under them a datum line
// with a tick at every section and its chainage (TextRole::Chainage), thinned by `fit` where
// they would overprint; its elevation at its start (TextRole::Elevation). Where what stands is
// short of the crest required, a dimension from it up to the required crest with a tick at each
// end, and at the largest shortfall of each stretch "不足 0.12" (TextRole::Elevation).

#include <optional>
#include <string>
#include <vector>

#include "kelnor/design/drawing.h"

namespace kelnor::design {

// One section of a dike along its chainage, as the long section draws it (all levels in m).
struct SectionLevels {
    double chainage = 0;             // m from the dike's start (K1+250 is 1250)
    std::string name;                // as typed: "K1+250" or a name
    double level = 0;                // the section's design water level
    double required = 0;             // the crest the code requires there: level + Y
    std::optional<double> adopted;   // the crest adopted (rounded up, or smoothed along a reach)
    std::optional<double> existing;  // the crest that stands, where the dike is checked
    std::optional<double> ground;    // the ground the dike stands on
};

// A long section is drawn at most this many times as long as it is high: its heights are
// exaggerated by the first of 1, 2, 5, 10, 20, 50, ... that brings it there, and a Note says
// so.
inline constexpr double kMaxSectionRun = 5;

// The long section: x the chainage (m), y the elevation (m), heights exaggerated as a long
// section is drawn. Sections are drawn in the order of their chainage, sections at one chainage
// in the order given; a lone section over a short stretch around it. Empty for no section, or
// where a chainage or a level is not a finite number.
Drawing longSectionDrawing(const std::vector<SectionLevels>& sections);

// A chainage as written on a long section: 1250 is "K1+250", 1250.5 "K1+250.5"; empty from
// 10^12 m on, or not a number.
std::string chainageZh(double metres);

}  // namespace kelnor::design
