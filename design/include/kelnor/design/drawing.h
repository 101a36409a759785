#pragma once

// The freeboard sketch as an engineer draws it by hand, free of any toolkit: the upstream slope
// near the crest at 1:m, each condition's still-water level (▽ and its elevation), and for the
// governing condition the wind set-up e, the design run-up Rp, the safety allowance A and any
// extra height stacked as dimensions from its still water up to the crest. The sketch is a list
// of primitives in metres (x along the slope's run, upstream to the left, y elevation); a Scale
// fitted to a box maps them to device units (pixels or SVG user units, y down), and each window
// paints them with its own pen. The calculation book writes the same sketch as SVG.
//
// The texts are sized on the device while the levels are in metres, so where each text finally
// goes is settled only once the scale is known: `fit` places every text clear of the others
// and of the lines, inside the box, and the painters draw its `labels()`.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kelnor/design/check.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/method.h"

namespace kelnor::design {

struct Point {
    double x = 0;
    double y = 0;
};

enum class LineStyle {
    Slope,      // the upstream face 1:m
    Water,      // a still-water level
    Crest,      // the crest
    Dimension,  // a dimension line, from one height to the next
    Leader,     // an extension line from the slope to a dimension
    Callout,    // from a label moved off its level back to its ▽ (device units)
};

struct Line {
    Point from;
    Point to;
    LineStyle style;
};

enum class MarkKind {
    StillWater,  // ▽ with its apex on the water line
    Tick,        // the end of a dimension: a short oblique stroke
};

// A symbol of a fixed device size at a point of the sketch.
struct Mark {
    Point at;
    MarkKind kind;
};

// Which side of the text the anchor lies on: Left puts the text to the right of its anchor,
// Bottom puts it above.
enum class HAlign { Left, Centre, Right };
enum class VAlign { Top, Middle, Bottom };

enum class TextRole {
    Elevation,  // a level's or the crest's elevation, m
    Condition,  // a condition's name
    Dimension,  // "e = 0.010"
    Slope,      // "1:3"
    Note,       // the vertical exaggeration; heights only, when no condition gives a level
    // A section's chainage under a long section. Where at the fitted scale they would
    // overprint each other, `fit` keeps the first and the last along the dike and, walking
    // from the first, each that stands clear of the one kept before it and of the last.
    Chainage,
    // The shortfall of a stretch of a long section's sections that stand short. Where at the
    // fitted scale they would overprint each other, `fit` keeps, walking along the dike, each
    // that stands clear of the one kept before it.
    Shortfall,
};

struct Text {
    Point at;
    HAlign h;
    VAlign v;
    std::string text;  // UTF-8
    TextRole role;
};

// How the sketch looks wherever it is drawn (the book's SVG and both windows), so the three
// agree: the colours and pens of the calculation book.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

struct Pen {
    Rgb colour;
    double width = 1;  // device units
    bool dashed = false;
    bool roundCap = false;
};

// A dashed pen's dashes and gaps, device units.
inline constexpr double kDashLength = 4;
inline constexpr double kDashGap = 3;

Pen penOf(LineStyle style);
// The outline of the marks: the ▽ and the dimension ticks.
Pen markPen();
Rgb inkOf(TextRole role);

// The order the lines are drawn in: extension lines under the water, the slope and the crest
// on top.
inline constexpr LineStyle kLineOrder[] = {
    LineStyle::Leader, LineStyle::Water, LineStyle::Dimension, LineStyle::Slope, LineStyle::Crest};

struct Drawing {
    std::vector<Line> lines;
    std::vector<Mark> marks;
    std::vector<Text> texts;
    // Device units per metre vertically over those horizontally: 1 keeps the slope true; above
    // 1 the heights are drawn larger, and a Note says so.
    double exaggeration = 1;

    bool empty() const { return lines.empty(); }
};

// On a slope gentler than 1:kMaxSlopeRun the sketch would be a long thin strip: its heights
// are exaggerated by the first of 2, 5, 10, 20, 50, ... that brings the slope's run within
// kMaxSlopeRun times its height.
inline constexpr double kMaxSlopeRun = 4;

// The sketch of the governing condition; empty when nothing was computed. Levels are drawn for
// every condition that gives one; when none does, the governing still water is at 0 and only
// heights are labelled.
// Where the crest is settled, the embankment is drawn at its adopted crest with its ▽, the wave
// wall on it up to its adopted top, and the crest as built with the reserve dashed above it.
// A dam that stands is drawn at its existing crest and wall top, marked 现状; where what stands
// falls short, the level it must reach is named at the top of the freeboard.
Drawing freeboardDrawing(const Evaluation& evaluation,
                         const std::optional<Settled>& settled = std::nullopt,
                         const std::optional<DamCheck>& check = std::nullopt);

// How texts and marks are sized on the device.
struct FitOptions {
    double margin = 8;     // device units kept clear on every side
    double fontSize = 12;  // the text's em, device units
    // The width of a text in device units; empty: estimated from the font size (an ASCII
    // character 0.6 em, any other 1 em), which is wide enough for the usual fonts.
    std::function<double(std::string_view)> measure;
};

// A condition's name wider than this many em is cut short with "…" in the sketch; the book's
// tables give it whole.
inline constexpr double kNameEms = 8;

// A device rectangle, y down.
struct Box {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// One of the drawing's texts where it is painted, device units: its box, its words (a long
// condition name shortened), how it lies in the box, and, when it had to be moved away from what
// it names, a leader from the box back to it (to its ▽ for a level).
struct Label {
    Box box;
    std::string text;  // UTF-8
    HAlign h = HAlign::Left;
    TextRole role = TextRole::Note;
    std::optional<Line> leader;  // LineStyle::Callout, device units; `from` on the box
};

// The sketch's metres on a device: x' = originX + x·perMetre, y' = originY − y·perMetre·k.
class Scale {
  public:
    Scale(double perMetre, double exaggeration, Point origin, const FitOptions& options);

    double perMetre() const { return perMetre_; }  // horizontally
    Point map(Point model) const;
    // Where a text would lie beside its anchor, a small gap away, before the texts are placed
    // clear of each other; a long condition name as shortened.
    Box textBox(const Text& text) const;
    // A text's words as the sketch writes them: a condition's name wider than kNameEms cut
    // short with "…".
    std::string shown(const Text& text) const;
    double textWidth(std::string_view text) const;
    double fontSize() const { return options_.fontSize; }
    // A mark's outline in device units: the ▽'s three corners, or the tick's two ends.
    std::vector<Point> markOutline(const Mark& mark) const;
    // Whether everything lies inside the box it was fitted to, no two labels overlapping;
    // false where the texts alone are wider or taller than the box, or find no room clear of
    // each other (the labels are then where they fell, some overlapping).
    bool fits() const { return fits_; }
    // Every text of the drawing fitted, in the drawing's order, where the painters draw it; a
    // chainage dropped for want of room has none.
    const std::vector<Label>& labels() const { return labels_; }

  private:
    friend Scale fit(const Drawing&, double, double, const FitOptions&);

    double perMetre_;
    double exaggeration_;
    Point origin_;
    FitOptions options_;
    bool fits_ = true;
    std::vector<Label> labels_;
};

// The largest scale at which every line, mark and text lies inside width × height less the
// margin, the sketch centred; the drawing's exaggeration kept. At that scale the chainages that
// would overprint each other are thinned, and the texts are placed: each beside its anchor where
// that is clear, else moved the least distance to where it overlaps no other text and crosses no
// line, labels of close levels stacked in the order of their elevations, with a leader back when a
// label ends up away from its level. Where the texts find no such room the sketch is drawn smaller,
// down to a limit. The same drawing, box and measure give the same labels in every painter.
Scale fit(const Drawing& drawing, double width, double height, const FitOptions& options = {});

// The sketch as one self-contained <svg> element of width × height user units: no script, no
// external font or resource, texts escaped. `standalone` adds the SVG namespace, for a file of
// its own; inside an HTML page it is not needed.
std::string drawingSvg(const Drawing& drawing, double width, double height,
                       bool standalone = false);

}  // namespace kelnor::design
