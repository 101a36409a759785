#pragma once

// Inside the sketch: the device sizes of its texts and marks, and the placing of its texts once
// the scale is known, so that none lies over another or outside the drawing.

#include <string>
#include <vector>

#include "kelnor/design/drawing.h"

namespace kelnor::design {

// Device sizes in em of the font: a text's gap from its anchor, its line height, the ▽ and the
// tick.
inline constexpr double kGapAcross = 0.4;
inline constexpr double kGapAlong = 0.2;
inline constexpr double kLineHeight = 1.2;
inline constexpr double kTriangleHalfWidth = 0.35;
inline constexpr double kTriangleHeight = 0.7;
inline constexpr double kTickHalf = 0.3;

// Where the texts find no room the sketch is drawn this much smaller, at most this often.
inline constexpr double kShrink = 0.8;
inline constexpr int kShrinkSteps = 6;

// A text's box relative to its anchor's device point. The anchor lies on the box's left, centre
// or right (top, middle or bottom): the box starts a gap beyond it, half its size before it, or
// a gap and its whole size before it.
Box offsetBox(HAlign h, VAlign v, double width, double em);

// The texts of a sketch placed at `scale` inside `room`, each as `shown`, and how many found no
// place clear of the others.
struct Placing {
    std::vector<Label> labels;
    int failures = 0;
};

Placing placeTexts(const Drawing& d, const std::vector<std::string>& shown, const Scale& scale,
                   const Box& room);

}  // namespace kelnor::design
