#pragma once

// The freeboard sketch as inline SVG markup for the calculation book; drawingSvg gives the
// same as a string.

#include "kelnor/design/drawing.h"
#include "markup.h"

namespace kelnor::design {

Markup svgMarkup(const Drawing& drawing, double width, double height, bool standalone);

}  // namespace kelnor::design
