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
#include "label_placement.h"

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
        case TextRole::Chainage:
            return kNote;
        case TextRole::Elevation:
        case TextRole::Dimension:
        case TextRole::Slope:
        case TextRole::Shortfall:
            break;
    }
    return kInk;
}

Drawing freeboardDrawing(const Evaluation& ev, const std::optional<Settled>& settled,
                         const std::optional<DamCheck>& check) {
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
    // A dam that stands is drawn as it stands, with no reserve.
    const bool stands = check && levels;
    const bool adopted = settled && levels && !stands;
    const double bank = stands ? check->crest : adopted ? settled->crest.value : crest;
    const bool wall = stands ? check->wallTop.has_value() : adopted && settled->wallTop;
    const double wallTop = !wall ? bank : stands ? *check->wallTop : settled->wallTop->value;
    // How a level of the embankment is written: as surveyed, adopted or required.
    const auto levelText = [&](double z) {
        return stands ? "现状 " + fx(z, 2) : adopted ? adoptedZh(z, settled->step) : fx(z, 3);
    };
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
        d.texts.push_back(
            {crestMark, HAlign::Left, VAlign::Bottom, levelText(bank), TextRole::Elevation});
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
        d.texts.push_back({wallMark, HAlign::Left, VAlign::Bottom, "防浪墙顶 " + levelText(wallTop),
                           TextRole::Elevation});
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
    if (stands && !check->governingMargin().met) {
        // What stands falls short: the level it must reach, at the top of the freeboard.
        d.texts.push_back({{totalX, crest},
                           HAlign::Left,
                           VAlign::Bottom,
                           "要求 " + fx(crest, 3) + "，" + marginZh(check->governingMargin()),
                           TextRole::Elevation});
    }

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

// The bound pair (i, j) puts on s: their distance a_i·s + high_i − (a_j·s + low_j) within
// `room`.
double pairBound(const Extent& i, const Extent& j, double room) {
    return (room - i.high + j.low) / (i.a - j.a);
}

// Above this many extents (a long section of hundreds of sections) every pair is too many to
// try: the bound is found along the lower hull of the lows instead.
constexpr std::size_t kPairwiseLimit = 600;

// The same bound as every pair gives, in n·log n: for each extent i the j with a_j < a_i that
// bounds s hardest is the one from which the point (a_i, high_i − room) is seen at the
// steepest slope, a vertex of the lower convex hull of the points (a_j, low_j) before it; the
// slope rises and then falls along that hull, so a binary search finds it, and the pairs next to
// it are tried too, so rounding cannot pass it by.
double largestScaleAlongHull(const std::vector<Extent>& items, double room) {
    std::vector<const Extent*> order;
    for (const Extent& e : items) {
        order.push_back(&e);
    }
    // Along a, the lowest first where several share one: only it can be on the lower hull.
    std::sort(order.begin(), order.end(), [](const Extent* x, const Extent* y) {
        return x->a < y->a || (x->a == y->a && x->low < y->low);
    });
    const auto cross = [](const Extent* o, const Extent* p, const Extent* q) {
        return (p->a - o->a) * (q->low - o->low) - (p->low - o->low) * (q->a - o->a);
    };
    std::vector<const Extent*> hull;  // the lows' lower hull, those with a below the current
    double best = std::numeric_limits<double>::infinity();
    std::size_t added = 0;
    for (const Extent* i : order) {
        for (; added < order.size() && order[added]->a < i->a; ++added) {
            const Extent* p = order[added];
            if (!hull.empty() && hull.back()->a == p->a) {
                continue;  // above the hull's vertex at the same a
            }
            while (hull.size() >= 2 && cross(hull[hull.size() - 2], hull.back(), p) <= 0) {
                hull.pop_back();
            }
            hull.push_back(p);
        }
        if (hull.empty()) {
            continue;
        }
        // The steepest bound is the smallest: the first vertex past which it grows again.
        std::size_t low = 0;
        std::size_t high = hull.size() - 1;
        while (low < high) {
            const std::size_t mid = (low + high) / 2;
            if (pairBound(*i, *hull[mid + 1], room) <= pairBound(*i, *hull[mid], room)) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        const std::size_t from = low >= 2 ? low - 2 : 0;
        for (std::size_t k = from; k < hull.size() && k <= low + 2; ++k) {
            best = std::min(best, pairBound(*i, *hull[k], room));
        }
    }
    return best;
}

// The largest s at which the extents spread over no more than `room`: each pair whose
// distance grows with s bounds it. Infinite when nothing grows with s.
double largestScale(const std::vector<Extent>& items, double room) {
    if (items.size() > kPairwiseLimit) {
        return largestScaleAlongHull(items, room);
    }
    double best = std::numeric_limits<double>::infinity();
    for (const Extent& i : items) {
        for (const Extent& j : items) {
            if (i.a > j.a) {
                best = std::min(best, pairBound(i, j, room));
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

namespace {

// Which texts are drawn at `scale`: all but the chainages that would overprint another. Along
// the dike the first chainage is kept, then each that stands a space clear of the one kept
// before it and of the last, then the last unless it would overprint the first.
std::vector<bool> keptAt(const Drawing& d, const std::vector<std::string>& shown,
                         const Scale& scale) {
    std::vector<bool> kept(d.texts.size(), true);
    std::vector<std::size_t> chainages;
    std::vector<std::size_t> shortfalls;
    std::vector<Box> boxes(d.texts.size());
    for (std::size_t i = 0; i < d.texts.size(); ++i) {
        const Text& t = d.texts[i];
        if (t.role == TextRole::Chainage || t.role == TextRole::Shortfall) {
            const Point p = scale.map(t.at);
            Box b = offsetBox(t.h, t.v, scale.textWidth(shown[i]), scale.fontSize());
            b.left += p.x;
            b.top += p.y;
            boxes[i] = b;
            (t.role == TextRole::Chainage ? chainages : shortfalls).push_back(i);
        }
    }
    const auto alongTheDike = [&](std::vector<std::size_t>& texts) {
        std::stable_sort(texts.begin(), texts.end(), [&](std::size_t a, std::size_t b) {
            return d.texts[a].at.x < d.texts[b].at.x;
        });
    };
    // Side by side two texts keep a space apart, or they read as one.
    const double space = kGapAcross * scale.fontSize();
    const auto clear = [&](std::size_t a, std::size_t b) {
        const Box& p = boxes[a];
        const Box& q = boxes[b];
        const double across =
            std::min(p.left + p.width, q.left + q.width) - std::max(p.left, q.left) + space;
        const double down = std::min(p.top + p.height, q.top + q.height) - std::max(p.top, q.top);
        return across <= 1e-9 || down <= 1e-9;
    };
    if (shortfalls.size() >= 2) {
        alongTheDike(shortfalls);
        std::size_t before = shortfalls.front();
        for (std::size_t k = 1; k < shortfalls.size(); ++k) {
            const std::size_t i = shortfalls[k];
            kept[i] = clear(before, i);
            before = kept[i] ? i : before;
        }
    }
    if (chainages.size() < 2) {
        return kept;
    }
    alongTheDike(chainages);
    const std::size_t first = chainages.front();
    const std::size_t last = chainages.back();
    std::size_t before = first;
    for (std::size_t k = 1; k + 1 < chainages.size(); ++k) {
        const std::size_t i = chainages[k];
        kept[i] = clear(before, i) && clear(i, last);
        if (kept[i]) {
            before = i;
        }
    }
    kept[last] = clear(first, last);
    return kept;
}

// The texts of a drawing placed at `scale`, the chainages without room left out.
Placing placeKept(const Drawing& d, const std::vector<std::string>& shown, const Scale& scale,
                  const Box& room) {
    const std::vector<bool> kept = keptAt(d, shown, scale);
    if (std::all_of(kept.begin(), kept.end(), [](bool k) { return k; })) {
        return placeTexts(d, shown, scale, room);
    }
    Drawing some{d.lines, d.marks, {}, d.exaggeration};
    std::vector<std::string> someShown;
    for (std::size_t i = 0; i < d.texts.size(); ++i) {
        if (kept[i]) {
            some.texts.push_back(d.texts[i]);
            someShown.push_back(shown[i]);
        }
    }
    return placeTexts(some, someShown, scale, room);
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
    Placing placing = placeKept(d, shown, scale, room);
    // Drawn smaller the sketch leaves the texts more room around it; smaller still than where
    // the texts beside their anchors would stick out is no use.
    for (int step = 1; fits && placing.failures > 0 && step <= kShrinkSteps; ++step) {
        const double smaller = s * std::pow(kShrink, step);
        if (!inside(smaller)) {
            break;
        }
        const Scale trial = centred(smaller);
        Placing p = placeKept(d, shown, trial, room);
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
