#include "kelnor/design/drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "figures.h"
#include "kelnor/design/wording.h"

namespace kelnor::design {

namespace {

// The sketch's proportions, as shares of its drawn height (in horizontal metres, the
// exaggeration included): room below the lowest water for the slope's foot; under the crest,
// downstream of its upstream edge, the dimension chain and the whole y beside it; the crest's
// length; where the ▽ sits from a line's start.
constexpr double kFootRoom = 0.25;
constexpr double kChain = 0.5;
constexpr double kTotal = 0.8;
constexpr double kCrestLength = 1.3;
constexpr double kMarkInset = 0.12;
// The wave wall's thickness, a share of the drawn height.
constexpr double kWallThickness = 0.04;

// Device sizes in em of the font: a text's gap from its anchor, its line height, the ▽ and the
// tick.
constexpr double kGapAcross = 0.4;
constexpr double kGapAlong = 0.2;
constexpr double kLineHeight = 1.2;
constexpr double kTriangleHalfWidth = 0.35;
constexpr double kTriangleHeight = 0.7;
constexpr double kTickHalf = 0.3;

// The first of 1, 2, 5, 10, 20, 50, ... that brings a slope of 1:m within 1:kMaxSlopeRun.
double exaggerationFor(double m) {
    double k = 1;
    for (int step = 0; m / k > kMaxSlopeRun && std::isfinite(k); ++step) {
        k *= step % 3 == 1 ? 2.5 : 2;
    }
    return k;
}

bool finite(const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool allFinite(const Drawing& d) {
    const auto lineFinite = [](const Line& l) { return finite(l.from) && finite(l.to); };
    const auto markFinite = [](const Mark& m) { return finite(m.at); };
    const auto textFinite = [](const Text& t) { return finite(t.at); };
    return std::all_of(d.lines.begin(), d.lines.end(), lineFinite) &&
           std::all_of(d.marks.begin(), d.marks.end(), markFinite) &&
           std::all_of(d.texts.begin(), d.texts.end(), textFinite);
}

// A still-water line to draw: its level and whose it is.
struct Water {
    double level;
    std::string name;
};

}  // namespace

namespace {

constexpr Rgb kInk{0x11, 0x11, 0x11};
constexpr Rgb kWater{0x1f, 0x5f, 0xa8};
constexpr Rgb kGrey{0x66, 0x66, 0x66};
constexpr Rgb kNote{0x44, 0x44, 0x44};

}  // namespace

Pen penOf(LineStyle style) {
    switch (style) {
        case LineStyle::Slope:
        case LineStyle::Crest:
            return {kInk, 1.6, false, true};
        case LineStyle::Water:
            return {kWater, 1.0};
        case LineStyle::Dimension:
            break;
        case LineStyle::Leader:
            return {kGrey, 0.6, true};
        case LineStyle::Callout:
            return {kGrey, 0.6};
    }
    return {kInk, 0.8};
}

Pen markPen() {
    return {kInk, 0.8};
}

Rgb inkOf(TextRole role) {
    switch (role) {
        case TextRole::Condition:
            return kWater;
        case TextRole::Note:
            return kNote;
        case TextRole::Elevation:
        case TextRole::Dimension:
        case TextRole::Slope:
            break;
    }
    return kInk;
}

Drawing freeboardDrawing(const Evaluation& ev, const std::optional<Settled>& settled) {
    if (!ev.governing) {
        return {};
    }
    const Result& g = ev.results[*ev.governing];
    const bool levels = g.condition.level.has_value();
    // Without any level the governing still water is at 0 and only heights are labelled.
    const double still = g.condition.level.value_or(0);
    // The top of the freeboard: the crest required, or with a wave wall the wall's top.
    const double crest = g.crest.value_or(still + g.y);
    // Where the crest is settled the embankment stands at its adopted crest, with the wall on
    // it up to its adopted top.
    const bool adopted = settled && levels;
    const double bank = adopted ? settled->crest.value : crest;
    const bool wall = adopted && settled->wallTop;
    const double wallTop = wall ? settled->wallTop->value : bank;
    std::vector<Water> waters;
    for (const Result& r : ev.results) {
        if (r.condition.level) {
            // Conditions at one level (the normal storage level and its earthquake) share a
            // line and its label.
            const auto same = std::find_if(waters.begin(), waters.end(), [&](const Water& w) {
                return w.level == *r.condition.level;
            });
            if (same != waters.end()) {
                same->name += "、" + conditionNameZh(r.condition);
                continue;
            }
            waters.push_back({*r.condition.level, conditionNameZh(r.condition)});
        } else if (!levels && r.governs) {
            waters.push_back({still, conditionNameZh(r.condition)});
        }
    }
    double lowest = still;
    for (const Water& w : waters) {
        lowest = std::min(lowest, w.level);
    }
    const double m = g.condition.slope;
    const double top = std::max({crest, bank, wallTop, adopted ? settled->asBuilt : bank});
    const double span = top - lowest;
    if (!(span > 0)) {
        return {};
    }
    const double bottom = lowest - kFootRoom * span;

    Drawing d;
    d.exaggeration = exaggerationFor(m);
    const double unit = (top - bottom) * d.exaggeration;  // the drawn height, in metres across
    const auto onSlope = [&](double z) { return Point{-(bank - z) * m, z}; };
    const Point foot = onSlope(bottom);
    const double chainX = kChain * unit;
    const double totalX = kTotal * unit;

    // The upstream face and the crest, its elevation at the upstream end, its name at the
    // other.
    d.lines.push_back({foot, {0, bank}, LineStyle::Slope});
    d.lines.push_back({{0, bank}, {kCrestLength * unit, bank}, LineStyle::Crest});
    // Under a wall the crest's ▽ stands clear of the wall top's label.
    const Point crestMark{(wall ? kCrestLength / 2 : kMarkInset) * unit, bank};
    if (levels) {
        d.marks.push_back({crestMark, MarkKind::StillWater});
        d.texts.push_back({crestMark, HAlign::Left, VAlign::Bottom,
                           adopted ? adoptedZh(bank, settled->step) : fx(crest, 3),
                           TextRole::Elevation});
    }
    d.texts.push_back(
        {{kCrestLength * unit, bank}, HAlign::Right, VAlign::Bottom, "坝顶", TextRole::Note});
    if (wall) {
        // The wave wall on the upstream edge of the crest, its top's ▽ above it.
        const double t = kWallThickness * unit;
        d.lines.push_back({{0, bank}, {0, wallTop}, LineStyle::Crest});
        d.lines.push_back({{0, wallTop}, {t, wallTop}, LineStyle::Crest});
        d.lines.push_back({{t, wallTop}, {t, bank}, LineStyle::Crest});
        const Point wallMark{t, wallTop};
        d.marks.push_back({wallMark, MarkKind::StillWater});
        d.texts.push_back({wallMark, HAlign::Left, VAlign::Bottom,
                           "防浪墙顶 " + adoptedZh(wallTop, settled->step), TextRole::Elevation});
    }
    if (adopted && settled->reserve > 0) {
        // The crest as built stands the reserve higher: dashed over the crest.
        const double built = settled->asBuilt;
        d.lines.push_back({{0, built}, {kCrestLength * unit, built}, LineStyle::Leader});
        d.texts.push_back({{kCrestLength * unit, built},
                           HAlign::Left,
                           VAlign::Middle,
                           "竣工 " + fx(built, 3),
                           TextRole::Note});
    }
    const Point slopeLabel = onSlope(bottom + (lowest - bottom) / 2);
    d.texts.push_back({slopeLabel, HAlign::Left, VAlign::Top, "1:" + plain(m), TextRole::Slope});

    // Every still water over the reservoir, from above the slope's foot to the slope; its name
    // before it, its ▽ and elevation on it.
    for (const Water& w : waters) {
        const Point start{foot.x, w.level};
        d.lines.push_back({start, onSlope(w.level), LineStyle::Water});
        const Point mark{foot.x + kMarkInset * unit, w.level};
        d.marks.push_back({mark, MarkKind::StillWater});
        d.texts.push_back({mark, HAlign::Left, VAlign::Bottom,
                           levels ? fx(w.level, 2) : std::string("静水位"),
                           levels ? TextRole::Elevation : TextRole::Note});
        d.texts.push_back({start, HAlign::Right, VAlign::Middle, w.name, TextRole::Condition});
    }

    // The governing condition's heights stacked from its still water: the set-up raises the
    // water, the run-up reaches above it, then the allowance and any extra height. Each level
    // is carried from the slope to the chain by a leader; the chain ends on the crest line.
    std::vector<std::pair<std::string, double>> heights = {
        {"e = " + fx(g.e, 3), g.e},
        {"Rp = " + fx(g.runUp.Rp, 3), g.runUp.Rp},
        {"A = " + fx(g.A, 2), g.A}};
    if (g.condition.extra != 0) {
        heights.emplace_back("附加高度 = " + fx(g.condition.extra, 2), g.condition.extra);
    }
    if (g.condition.operation == Operation::Earthquake) {
        heights.emplace_back("B = " + fx(g.B, 2), g.B);
    }
    d.lines.push_back({onSlope(still), {totalX, still}, LineStyle::Leader});
    double from = still;
    d.marks.push_back({{chainX, still}, MarkKind::Tick});
    for (std::size_t i = 0; i < heights.size(); ++i) {
        const double to = i + 1 == heights.size() ? crest : from + heights[i].second;
        d.lines.push_back({{chainX, from}, {chainX, to}, LineStyle::Dimension});
        d.marks.push_back({{chainX, to}, MarkKind::Tick});
        // The set-up is a few centimetres: its figure goes under the still water, the others
        // beside their middles.
        d.texts.push_back(i == 0 ? Text{{chainX, from},
                                        HAlign::Right,
                                        VAlign::Top,
                                        heights[i].first,
                                        TextRole::Dimension}
                                 : Text{{chainX, from + (to - from) / 2},
                                        HAlign::Right,
                                        VAlign::Middle,
                                        heights[i].first,
                                        TextRole::Dimension});
        if (i + 1 < heights.size()) {
            d.lines.push_back({onSlope(to), {chainX, to}, LineStyle::Leader});
        } else if (to != bank) {
            // The freeboard ends off the crest line: on the wall's top, or a rounding below
            // the adopted crest.
            d.lines.push_back({{wall ? 0 : onSlope(to).x, to}, {totalX, to}, LineStyle::Leader});
        }
        from = to;
    }
    d.lines.push_back({{totalX, still}, {totalX, crest}, LineStyle::Dimension});
    d.marks.push_back({{totalX, still}, MarkKind::Tick});
    d.marks.push_back({{totalX, crest}, MarkKind::Tick});
    d.texts.push_back({{totalX, still + (crest - still) / 2},
                       HAlign::Left,
                       VAlign::Middle,
                       "y = " + fx(g.y, 3),
                       TextRole::Dimension});

    const Point notes{kCrestLength * unit, bottom};
    std::string note;
    if (!levels) {
        note = "各工况均未给静水位，图中只标高度";
    }
    if (d.exaggeration != 1) {
        note += (note.empty() ? "" : "；") + std::string("竖向比例放大 ") + plain(d.exaggeration) +
                " 倍";
    }
    if (!note.empty()) {
        d.texts.push_back({notes, HAlign::Right, VAlign::Top, note, TextRole::Note});
    }
    return allFinite(d) ? d : Drawing{};
}

Scale::Scale(double perMetre, double exaggeration, Point origin, const FitOptions& options)
    : perMetre_(perMetre), exaggeration_(exaggeration), origin_(origin), options_(options) {}

Point Scale::map(Point p) const {
    return {origin_.x + p.x * perMetre_, origin_.y - p.y * perMetre_ * exaggeration_};
}

double Scale::textWidth(std::string_view text) const {
    if (options_.measure) {
        return options_.measure(text);
    }
    double ems = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            ems += 0.6;
        } else if (byte >= 0xC0) {
            ems += 1;  // the lead byte of a character beyond ASCII
        }
    }
    return ems * options_.fontSize;
}

namespace {

// A text's box relative to its anchor's device point. The anchor lies on the box's left, centre
// or right (top, middle or bottom): the box starts a gap beyond it, half its size before it, or
// a gap and its whole size before it.
Box offsetBox(HAlign h, VAlign v, double width, double em) {
    constexpr double kGaps[] = {1, 0, -1};
    constexpr double kShares[] = {0, -0.5, -1};
    const double height = kLineHeight * em;
    const auto across = static_cast<std::size_t>(h);
    const auto along = static_cast<std::size_t>(v);
    return Box{kGaps[across] * kGapAcross * em + kShares[across] * width,
               kGaps[along] * kGapAlong * em + kShares[along] * height, width, height};
}

std::vector<Point> markOffsets(MarkKind kind, double em) {
    if (kind == MarkKind::StillWater) {
        return {{0, 0},
                {-kTriangleHalfWidth * em, -kTriangleHeight * em},
                {kTriangleHalfWidth * em, -kTriangleHeight * em}};
    }
    return {{-kTickHalf * em, kTickHalf * em}, {kTickHalf * em, -kTickHalf * em}};
}

// Something to fit on one axis: its device position is origin + a·s + [low, high].
struct Extent {
    double a;
    double low;
    double high;
};

// The spread of the extents at scale s: from the lowest low to the highest high.
std::pair<double, double> spread(const std::vector<Extent>& items, double s) {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const Extent& e : items) {
        low = std::min(low, e.a * s + e.low);
        high = std::max(high, e.a * s + e.high);
    }
    return {low, high};
}

// The largest s at which the extents spread over no more than `room`: each pair whose
// distance grows with s bounds it. Infinite when nothing grows with s.
double largestScale(const std::vector<Extent>& items, double room) {
    double best = std::numeric_limits<double>::infinity();
    for (const Extent& i : items) {
        for (const Extent& j : items) {
            if (i.a > j.a) {
                best = std::min(best, (room - i.high + j.low) / (i.a - j.a));
            }
        }
    }
    return best;
}

}  // namespace

std::string Scale::shown(const Text& text) const {
    const double most = kNameEms * options_.fontSize;
    if (text.role != TextRole::Condition || textWidth(text.text) <= most) {
        return text.text;
    }
    // The most whole characters from the start that fit with the ellipsis.
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i <= text.text.size(); ++i) {
        if (i == text.text.size() || (static_cast<unsigned char>(text.text[i]) & 0xC0) != 0x80) {
            ends.push_back(i);
        }
    }
    const auto cut = [&](std::size_t n) {
        return text.text.substr(0, n == 0 ? 0 : ends[n - 1]) + "…";
    };
    std::size_t low = 0;
    std::size_t high = ends.size();
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (textWidth(cut(mid)) <= most) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return cut(low);
}

Box Scale::textBox(const Text& text) const {
    const Point p = map(text.at);
    Box b = offsetBox(text.h, text.v, textWidth(shown(text)), options_.fontSize);
    b.left += p.x;
    b.top += p.y;
    return b;
}

std::vector<Point> Scale::markOutline(const Mark& mark) const {
    const Point p = map(mark.at);
    std::vector<Point> outline = markOffsets(mark.kind, options_.fontSize);
    for (Point& q : outline) {
        q = {p.x + q.x, p.y + q.y};
    }
    return outline;
}

namespace {

// Placing the texts, device units. A text that cannot stay beside its anchor moves the least
// distance to where it overlaps no other text, crosses no line and covers no mark, keeping a
// gap of kGapAlong from the lines; it would rather cross a line than go kLineCost em further,
// and a dimension's figure one of the lines it annotates rather than go kAnnotatedCost em.
// A level's label would rather go kBetweenCost em further than have another still water
// between it and its own. A label that ends up more than kLeaderAfter em further from what it
// names than it started gets a leader back.
constexpr double kLineCost = 8;
constexpr double kAnnotatedCost = 40;
constexpr double kBetweenCost = 2;
constexpr double kLeaderAfter = 0.5;
// The still waters' labels are stacked on steps of this many em from where they would be: a
// label below its line instead of above is 1.6 em off, a line of text 1.2.
constexpr double kStackStep = 0.2;
// Where the texts find no room the sketch is drawn this much smaller, at most this often.
constexpr double kShrink = 0.8;
constexpr int kShrinkSteps = 6;
// Device units below which two edges count as touching; a box is placed this close.
constexpr double kEps = 1e-6;
constexpr double kTouch = 1e-9;

// Which lines a text is kept off: all of them, those it annotates (a dimension's figure: the
// dimension lines and the extension lines), or none.
enum class Lines { All, Annotated, None };

// Labels that keep the order of their levels: the still waters' names, the still waters'
// elevations, and the other elevations at a ▽ (the crest's, the wave wall's).
enum class Column { None, Names, Waters, Levels };

struct Item {
    std::size_t text = 0;
    Box natural;
    Point anchor;  // device
    Column column = Column::None;
    double level = 0;            // m, the anchor's
    bool triangle = false;       // anchored at a ▽'s apex
    bool leads = false;          // gets a leader when moved away
    std::optional<Box> flipped;  // the other side of its anchor
};

struct Placing {
    std::vector<Label> labels;
    int failures = 0;
};

double right(const Box& b) {
    return b.left + b.width;
}

double bottomOf(const Box& b) {
    return b.top + b.height;
}

Point centre(const Box& b) {
    return {b.left + b.width / 2, b.top + b.height / 2};
}

bool apartAcross(const Box& a, double left, double rightEdge) {
    return right(a) <= left + kEps || rightEdge <= a.left + kEps;
}

Point nearestOn(const Box& b, Point p) {
    return {std::clamp(p.x, b.left, right(b)), std::clamp(p.y, b.top, bottomOf(b))};
}

double distance(Point a, Point b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

// The part of a segment strictly between x = left and x = right: its least and greatest y.
std::optional<std::pair<double, double>> within(const Line& l, double left, double rightEdge) {
    const double x0 = std::min(l.from.x, l.to.x);
    const double x1 = std::max(l.from.x, l.to.x);
    if (x1 <= left + kEps || x0 >= rightEdge - kEps) {
        return std::nullopt;
    }
    if (x1 - x0 < kEps) {
        return std::pair{std::min(l.from.y, l.to.y), std::max(l.from.y, l.to.y)};
    }
    const auto yAt = [&](double x) {
        return l.from.y + (x - l.from.x) / (l.to.x - l.from.x) * (l.to.y - l.from.y);
    };
    const double a = yAt(std::max(x0, left));
    const double b = yAt(std::min(x1, rightEdge));
    return std::pair{std::min(a, b), std::max(a, b)};
}

// The tops a box may not take in one column of the device (or, turned, the lefts in one row),
// as open ranges, merged.
class Tops {
  public:
    void block(double low, double high) { ranges_.push_back({low + kTouch, high - kTouch}); }

    void merge() {
        std::sort(ranges_.begin(), ranges_.end(),
                  [](const Range& a, const Range& b) { return a.low < b.low; });
        std::vector<Range> merged;
        for (const Range& r : ranges_) {
            if (!(r.low < r.high)) {
                continue;
            }
            // Where two only touch, a box fits between them exactly.
            if (!merged.empty() && r.low < merged.back().high) {
                merged.back().high = std::max(merged.back().high, r.high);
            } else {
                merged.push_back(r);
            }
        }
        ranges_ = std::move(merged);
    }

    // After merge().
    bool blocks(double top) const {
        const auto after = std::lower_bound(ranges_.begin(), ranges_.end(), top,
                                            [](const Range& r, double t) { return r.low < t; });
        return after != ranges_.begin() && top < std::prev(after)->high;
    }

    // The free tops within [lo, hi] nearest `at`: at or above it, and at or below it.
    std::array<std::optional<double>, 2> nearest(double at, double lo, double hi) const {
        if (!(lo <= hi + kEps)) {
            return {};
        }
        hi = std::max(hi, lo);
        at = std::max(lo, std::min(at, hi));
        for (const Range& r : ranges_) {
            if (r.low < at && at < r.high) {
                return {r.low >= lo - kTouch ? std::optional(std::max(lo, r.low)) : std::nullopt,
                        r.high <= hi + kTouch ? std::optional(std::min(hi, r.high)) : std::nullopt};
            }
        }
        return {at, std::nullopt};
    }

  private:
    struct Range {
        double low;
        double high;
    };
    std::vector<Range> ranges_;
};

class Placer {
  public:
    Placer(const Drawing& d, const Scale& scale, const Box& room,
           const std::vector<std::string>& shown)
        : drawing_(d),
          shown_(shown),
          room_(room),
          em_(scale.fontSize()),
          pad_(kGapAlong * scale.fontSize()) {
        for (const Line& l : d.lines) {
            lines_.push_back({scale.map(l.from), scale.map(l.to), l.style});
            if (l.style == LineStyle::Water) {
                waters_.push_back(scale.map(l.from).y);
            }
        }
        for (const Mark& m : d.marks) {
            double left = std::numeric_limits<double>::infinity();
            double top = left;
            double rightEdge = -left;
            double bottom = -left;
            for (const Point& p : scale.markOutline(m)) {
                left = std::min(left, p.x);
                rightEdge = std::max(rightEdge, p.x);
                top = std::min(top, p.y);
                bottom = std::max(bottom, p.y);
            }
            marks_.push_back({left, top, rightEdge - left, bottom - top});
        }
        out_.labels.resize(d.texts.size());
    }

    // Labels that share one column, stacked in the order of their levels, the highest on top:
    // of all such stacks inside the box the one that costs least, in steps of kStackStep.
    void stack(std::vector<const Item*> members) {
        if (members.empty()) {
            return;
        }
        std::stable_sort(members.begin(), members.end(),
                         [](const Item* a, const Item* b) { return a->level > b->level; });
        struct Option {
            double top;
            double total;  // the least cost of this and the labels above
            std::size_t above;
        };
        const double step = kStackStep * em_;
        std::vector<std::vector<Option>> options(members.size());
        for (std::size_t i = 0; i < members.size(); ++i) {
            const Item& it = *members[i];
            const Box& n = it.natural;
            if (n.left < room_.left - kEps || right(n) > right(room_) + kEps) {
                return fail(members);
            }
            const Tops lines = obstacles(n, false, Lines::All, false);
            const Tops texts = obstacles(n, true, Lines::None, false);
            const double first = std::ceil((room_.top - n.top) / step - 1e-9);
            const double last = std::floor((bottomOf(room_) - n.height - n.top) / step + 1e-9);
            const std::vector<Option>* before = i == 0 ? nullptr : &options[i - 1];
            std::size_t next = 0;
            double best = std::numeric_limits<double>::infinity();
            std::size_t bestAt = 0;
            for (double k = first; k <= last; ++k) {
                Box b = n;
                b.top = n.top + k * step;
                if (before) {
                    // The best of the stacks above that end over this top.
                    const double height = members[i - 1]->natural.height;
                    while (next < before->size() && (*before)[next].top + height <= b.top + kEps) {
                        if ((*before)[next].total < best) {
                            best = (*before)[next].total;
                            bestAt = next;
                        }
                        ++next;
                    }
                    if (!std::isfinite(best)) {
                        continue;
                    }
                }
                if (texts.blocks(b.top)) {
                    continue;
                }
                const double own = cost(it, b, lines.blocks(b.top));
                options[i].push_back({b.top, own + (before ? best : 0), bestAt});
            }
            if (options[i].empty()) {
                return fail(members);
            }
        }
        std::size_t at = 0;
        for (std::size_t j = 1; j < options.back().size(); ++j) {
            if (options.back()[j].total < options.back()[at].total - kEps) {
                at = j;
            }
        }
        std::vector<double> tops(members.size());
        for (std::size_t i = members.size(); i-- > 0;) {
            tops[i] = options[i][at].top;
            at = options[i][at].above;
        }
        for (std::size_t i = 0; i < members.size(); ++i) {
            Box b = members[i]->natural;
            b.top = tops[i];
            put(*members[i], b, false);
        }
    }

    // One text where it costs least: beside its anchor or on its other side, slid up or down,
    // or along, to the nearest room clear of texts and lines; failing that, for a dimension's
    // figure, clear of the lines it annotates; failing that, of texts.
    void place(const Item& it) {
        std::optional<Box> best;
        double bestCost = std::numeric_limits<double>::infinity();
        bool flip = false;
        const bool figure = drawing_.texts[it.text].role == TextRole::Dimension;
        const auto search = [&](const Box& side, bool other, bool along, double lo, double hi) {
            const Tops all = obstacles(side, false, Lines::All, along);
            const Tops annotated = obstacles(side, false, Lines::Annotated, along);
            for (const Lines kept : {Lines::All, Lines::Annotated, Lines::None}) {
                if (kept == Lines::Annotated && !figure) {
                    continue;
                }
                const Tops free = obstacles(side, true, kept, along);
                for (const std::optional<double>& at :
                     free.nearest(along ? side.left : side.top, lo, hi)) {
                    if (!at) {
                        continue;
                    }
                    Box b = side;
                    (along ? b.left : b.top) = *at;
                    const double c = cost(it, b, all.blocks(*at), figure && annotated.blocks(*at));
                    if (c < bestCost - kEps) {
                        bestCost = c;
                        best = b;
                        flip = other;
                    }
                }
            }
        };
        for (const bool other : {false, true}) {
            if (other && !it.flipped) {
                continue;
            }
            const Box side = other ? *it.flipped : it.natural;
            if (side.left >= room_.left - kEps && right(side) <= right(room_) + kEps) {
                double lo = room_.top;
                double hi = bottomOf(room_) - side.height;
                if (it.column != Column::None) {
                    // Beside another of its column, the higher level's label stays above.
                    for (const auto& [q, b] : placed_) {
                        if (q->column != it.column || apartAcross(b, side.left, right(side))) {
                            continue;
                        }
                        if (q->level > it.level) {
                            lo = std::max(lo, bottomOf(b));
                        } else if (q->level < it.level) {
                            hi = std::min(hi, b.top - side.height);
                        }
                    }
                }
                search(side, other, false, lo, hi);
            }
            // Along, at its own height: not for a level's label, which would leave its
            // column's order.
            if (it.column == Column::None && side.top >= room_.top - kEps &&
                bottomOf(side) <= bottomOf(room_) + kEps) {
                search(side, other, true, room_.left, right(room_) - side.width);
            }
        }
        if (best) {
            put(it, *best, flip);
        } else {
            fail({&it});
        }
    }

    Placing result() && { return std::move(out_); }

  private:
    // Where a box like `side` may not have its top (or `along`, its left): over a placed text
    // (with texts), over a mark or within the gap of a line (those kept off).
    Tops obstacles(const Box& side, bool texts, Lines lines, bool along) const {
        // Along is worked out as up and down with x and y swapped.
        const auto turn = [along](const Box& b) {
            return along ? Box{b.top, b.left, b.height, b.width} : b;
        };
        const auto turnLine = [along](const Line& l) {
            return along ? Line{{l.from.y, l.from.x}, {l.to.y, l.to.x}, l.style} : l;
        };
        const Box me = turn(side);
        Tops out;
        const auto box = [&](const Box& other) {
            const Box b = turn(other);
            if (!apartAcross(b, me.left, right(me))) {
                out.block(b.top - me.height, bottomOf(b));
            }
        };
        if (texts) {
            // Side by side two texts keep a space apart, or they read as one.
            const double space = kGapAcross * em_;
            for (const auto& p : placed_) {
                box({p.second.left - space, p.second.top, p.second.width + 2 * space,
                     p.second.height});
            }
        }
        if (lines == Lines::All) {
            for (const Box& m : marks_) {
                box(m);
            }
        }
        for (const Line& l : lines_) {
            const bool annotated = l.style == LineStyle::Dimension || l.style == LineStyle::Leader;
            if (lines == Lines::None || (lines == Lines::Annotated && !annotated)) {
                continue;
            }
            if (const auto ys = within(turnLine(l), me.left - pad_, right(me) + pad_)) {
                out.block(ys->first - pad_ - me.height, ys->second + pad_);
            }
        }
        out.merge();
        return out;
    }

    double cost(const Item& it, const Box& b, bool crossing, bool crossingAnnotated = false) const {
        // A dimension's figure belongs at the height of its dimension: up or down counts
        // double.
        const double upDown = drawing_.texts[it.text].role == TextRole::Dimension ? 2 : 1;
        const Point from = centre(it.natural);
        const Point to = centre(b);
        double c = distance(from, {to.x, from.y + upDown * (to.y - from.y)});
        if (crossing) {
            c += kLineCost * em_;
        }
        if (crossingAnnotated) {
            c += kAnnotatedCost * em_;
        }
        if (it.column != Column::None) {
            // Still waters between the label and its own.
            const double near = std::clamp(it.anchor.y, b.top, bottomOf(b));
            for (const double w : waters_) {
                if (std::abs(w - it.anchor.y) > kEps && (w - it.anchor.y) * (w - near) < 0) {
                    c += kBetweenCost * em_;
                }
            }
        }
        return c;
    }

    void put(const Item& it, const Box& b, bool flip) {
        const Text& t = drawing_.texts[it.text];
        Label& label = out_.labels[it.text];
        label.text = shown_[it.text];
        label.role = t.role;
        label.h = flip ? (t.h == HAlign::Left ? HAlign::Right : HAlign::Left) : t.h;
        label.box = b;
        label.leader = leader(it, b);
        placed_.emplace_back(&it, b);
    }

    // No room: where it would have been, pulled inside the box as far as it goes.
    void fail(const std::vector<const Item*>& items) {
        for (const Item* it : items) {
            ++out_.failures;
            Box b = it->natural;
            b.left = std::max(room_.left, std::min(b.left, right(room_) - b.width));
            b.top = std::max(room_.top, std::min(b.top, bottomOf(room_) - b.height));
            put(*it, b, false);
        }
    }

    // What a label at `box` names: its ▽ (the top edge from above, else the apex), or its
    // anchor.
    Point target(const Item& it, const Box& box) const {
        if (!it.triangle) {
            return it.anchor;
        }
        const double top = it.anchor.y - kTriangleHeight * em_;
        if (bottomOf(box) <= top + kEps) {
            const double half = kTriangleHalfWidth * em_;
            const double x = std::clamp(it.anchor.x, box.left, right(box));
            return {std::clamp(x, it.anchor.x - half, it.anchor.x + half), top};
        }
        return it.anchor;
    }

    std::optional<Line> leader(const Item& it, const Box& box) const {
        if (!it.leads) {
            return std::nullopt;
        }
        const Point to = target(it, box);
        const Point from = nearestOn(box, to);
        const Point home = target(it, it.natural);
        const double start = distance(nearestOn(it.natural, home), home);
        if (distance(from, to) <= start + kLeaderAfter * em_) {
            return std::nullopt;
        }
        return Line{from, to, LineStyle::Callout};
    }

    const Drawing& drawing_;
    const std::vector<std::string>& shown_;
    Box room_;
    double em_;
    double pad_;
    std::vector<Line> lines_;  // device units
    std::vector<Box> marks_;
    std::vector<double> waters_;  // the still waters' device y
    std::vector<std::pair<const Item*, Box>> placed_;
    Placing out_;
};

// The texts placed at `scale` inside `room`: the still waters' names and then their elevations
// stacked, each set in the order of the levels; then the dimensions beside their chain; then
// the rest.
Placing placeTexts(const Drawing& d, const std::vector<std::string>& shown, const Scale& scale,
                   const Box& room) {
    const double em = scale.fontSize();
    std::vector<Item> items(d.texts.size());
    for (std::size_t i = 0; i < d.texts.size(); ++i) {
        const Text& t = d.texts[i];
        Item& it = items[i];
        it.text = i;
        it.anchor = scale.map(t.at);
        const double width = scale.textWidth(shown[i]);
        const auto at = [&](HAlign h) {
            Box b = offsetBox(h, t.v, width, em);
            b.left += it.anchor.x;
            b.top += it.anchor.y;
            return b;
        };
        it.natural = at(t.h);
        it.level = t.at.y;
        it.triangle = std::any_of(d.marks.begin(), d.marks.end(), [&](const Mark& m) {
            return m.kind == MarkKind::StillWater && m.at.x == t.at.x && m.at.y == t.at.y;
        });
        const bool onWater = std::any_of(d.lines.begin(), d.lines.end(), [&](const Line& l) {
            return l.style == LineStyle::Water && l.from.y == t.at.y &&
                   std::min(l.from.x, l.to.x) <= t.at.x && t.at.x <= std::max(l.from.x, l.to.x);
        });
        it.column = t.role == TextRole::Condition ? Column::Names
                    : it.triangle && onWater      ? Column::Waters
                    : it.triangle                 ? Column::Levels
                                                  : Column::None;
        // A note (the exaggeration, 坝顶, 竣工) is read where it stands: no leader.
        it.leads = it.triangle || t.role != TextRole::Note;
        if (it.column == Column::None && t.h != HAlign::Centre) {
            it.flipped = at(t.h == HAlign::Left ? HAlign::Right : HAlign::Left);
        }
    }
    Placer placer(d, scale, room, shown);
    for (const Column c : {Column::Names, Column::Waters}) {
        std::vector<const Item*> members;
        for (const Item& it : items) {
            if (it.column == c) {
                members.push_back(&it);
            }
        }
        placer.stack(members);
    }
    for (const bool dimensions : {true, false}) {
        for (const Item& it : items) {
            const bool stacked = it.column == Column::Names || it.column == Column::Waters;
            if (!stacked && (d.texts[it.text].role == TextRole::Dimension) == dimensions) {
                placer.place(it);
            }
        }
    }
    return std::move(placer).result();
}

}  // namespace

Scale fit(const Drawing& d, double width, double height, const FitOptions& options) {
    const double em = options.fontSize;
    const double k = d.exaggeration;
    const Scale measuring(1, k, {}, options);
    std::vector<std::string> shown;
    for (const Text& t : d.texts) {
        shown.push_back(measuring.shown(t));
    }
    // Horizontally a point is at x·s; vertically, y down, at −y·s·k: fitted as s·k.
    std::vector<Extent> across;
    std::vector<Extent> down;
    const auto point = [&](Point p, Point offset = {}) {
        across.push_back({p.x, offset.x, offset.x});
        down.push_back({-p.y, offset.y, offset.y});
    };
    for (const Line& l : d.lines) {
        point(l.from);
        point(l.to);
    }
    for (const Mark& m : d.marks) {
        for (const Point& offset : markOffsets(m.kind, em)) {
            point(m.at, offset);
        }
    }
    for (std::size_t i = 0; i < d.texts.size(); ++i) {
        const Text& t = d.texts[i];
        const Box b = offsetBox(t.h, t.v, measuring.textWidth(shown[i]), em);
        across.push_back({t.at.x, b.left, b.left + b.width});
        down.push_back({-t.at.y, b.top, b.top + b.height});
    }
    const double roomAcross = width - 2 * options.margin;
    const double roomDown = height - 2 * options.margin;
    double s = std::min(largestScale(across, roomAcross), largestScale(down, roomDown) / k);
    if (!std::isfinite(s)) {
        s = 1;  // a sketch without extent: any scale
    }
    bool fits = s > 0;
    if (!fits) {
        s = std::numeric_limits<double>::min();
    }
    const auto inside = [&](double scale) {
        const auto [left, right] = spread(across, scale);
        const auto [top, bottom] = spread(down, scale * k);
        return right - left <= roomAcross * (1 + 1e-12) && bottom - top <= roomDown * (1 + 1e-12);
    };
    // Centred in the room left over.
    const auto centred = [&](double scale) {
        const auto [left, right] = spread(across, scale);
        const auto [top, bottom] = spread(down, scale * k);
        const Point origin{options.margin + (roomAcross - (right - left)) / 2 - left,
                           options.margin + (roomDown - (bottom - top)) / 2 - top};
        return Scale(scale, k, origin, options);
    };
    fits = fits && inside(s);
    Scale scale = centred(s);
    const Box room{options.margin, options.margin, roomAcross, roomDown};
    Placing placing = placeTexts(d, shown, scale, room);
    // Drawn smaller the sketch leaves the texts more room around it; smaller still than where
    // the texts beside their anchors would stick out is no use.
    for (int step = 1; fits && placing.failures > 0 && step <= kShrinkSteps; ++step) {
        const double smaller = s * std::pow(kShrink, step);
        if (!inside(smaller)) {
            break;
        }
        const Scale trial = centred(smaller);
        Placing p = placeTexts(d, shown, trial, room);
        if (p.failures == 0) {
            scale = trial;
            placing = std::move(p);
        }
    }
    scale.fits_ = fits && placing.failures == 0;
    scale.labels_ = std::move(placing.labels);
    return scale;
}

}  // namespace kelnor::design
