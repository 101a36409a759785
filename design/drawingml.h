#pragma once

// The freeboard sketch for a Word document: a group of vector shapes (DrawingML) inline in a
// run, drawn from the same fitted drawing as the SVG, so Word, WPS and LibreOffice show and
// print it sharply at any zoom. Lines and marks are shapes of their own geometry with the pens
// of kelnor/design/drawing.h; each label is a text box at the place the fitting gave it.

#include <string>

#include "kelnor/design/drawing.h"

namespace kelnor::design::drawingml {

// The w:drawing element of `drawing` fitted to width × height CSS pixels; `id` numbers the
// drawing among the document's shapes.
std::string figure(const Drawing& drawing, double width, double height, int id);

}  // namespace kelnor::design::drawingml
