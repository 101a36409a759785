#include "label_placement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelnor::design {

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
// Device units below which two edges count as touching; a box is placed this close.
constexpr double kEps = 1e-6;
constexpr double kTouch = 1e-9;
// In a drawing of more lines than this (a long section of hundreds of sections) a text slides
// along at most kSlideEms em either way from where it would stand: the room further off is
// never cheaper than crossing a line, and asking every line of the reach for every text would
// take a keystroke's time.
constexpr std::size_t kManyLines = 600;
constexpr double kSlideEms = kLineCost + 2;

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

// The lines of a drawing by where they lie along one axis, so that a box asks only of those
// that reach across its width: a long section of a thousand sections has thousands of short
// segments, and a text beside one of them is clear of all the others. The few long lines (an
// axis, the baseline) are always asked of.
class LineIndex {
  public:
    LineIndex() = default;
    LineIndex(const std::vector<Line>& lines, bool alongY) {
        const auto lowOf = [alongY](const Line& l) {
            return alongY ? std::min(l.from.y, l.to.y) : std::min(l.from.x, l.to.x);
        };
        const auto highOf = [alongY](const Line& l) {
            return alongY ? std::max(l.from.y, l.to.y) : std::max(l.from.x, l.to.x);
        };
        double first = std::numeric_limits<double>::infinity();
        double last = -first;
        for (const Line& l : lines) {
            first = std::min(first, lowOf(l));
            last = std::max(last, highOf(l));
        }
        const double longLine = (last - first) / kShortShare;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const double low = lowOf(lines[i]);
            const double high = highOf(lines[i]);
            if (high - low > longLine) {
                long_.push_back(i);
            } else {
                short_.push_back({low, i});
                longestShort_ = std::max(longestShort_, high - low);
            }
        }
        std::sort(short_.begin(), short_.end(),
                  [](const Entry& a, const Entry& b) { return a.low < b.low; });
    }

    // Calls `visit` with the index of every line that may reach into (from, to), and perhaps a
    // few more.
    template <typename Visit>
    void near(double from, double to, Visit&& visit) const {
        for (const std::size_t i : long_) {
            visit(i);
        }
        const double start = from - longestShort_ - 1;
        auto at = std::lower_bound(short_.begin(), short_.end(), start,
                                   [](const Entry& e, double v) { return e.low < v; });
        for (; at != short_.end() && at->low < to + 1; ++at) {
            visit(at->index);
        }
    }

  private:
    // A line longer than this share of the whole is long.
    static constexpr double kShortShare = 64;
    struct Entry {
        double low;
        std::size_t index;
    };
    std::vector<Entry> short_;
    std::vector<std::size_t> long_;
    double longestShort_ = 0;
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
        byX_ = LineIndex(lines_, false);
        byY_ = LineIndex(lines_, true);
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
            if (along && lines_.size() > kManyLines) {
                lo = std::max(lo, side.left - kSlideEms * em_);
                hi = std::min(hi, side.left + kSlideEms * em_);
            }
            const Window window{lo, hi};
            const Tops all = obstacles(side, false, Lines::All, along, window);
            const Tops annotated = obstacles(side, false, Lines::Annotated, along, window);
            for (const Lines kept : {Lines::All, Lines::Annotated, Lines::None}) {
                if (kept == Lines::Annotated && !figure) {
                    continue;
                }
                const Tops free = obstacles(side, true, kept, along, window);
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
            // column's order, nor for a chainage, which would stand under another section.
            if (it.column == Column::None && drawing_.texts[it.text].role != TextRole::Chainage &&
                side.top >= room_.top - kEps && bottomOf(side) <= bottomOf(room_) + kEps) {
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
    // The tops (lefts) a search may give the box; the lines beyond them are not asked of.
    struct Window {
        double lo;
        double hi;
    };

    Tops obstacles(const Box& side, bool texts, Lines lines, bool along,
                   std::optional<Window> window = std::nullopt) const {
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
        if (lines != Lines::None) {
            // The lines across the box's width; sliding along, those of the x it may take.
            const bool slid = along && window && lines_.size() > kManyLines;
            const LineIndex& index = slid || !along ? byX_ : byY_;
            const double from = slid ? window->lo - pad_ : me.left - pad_;
            const double to = slid ? window->hi + side.width + pad_ : right(me) + pad_;
            index.near(from, to, [&](std::size_t i) {
                const Line& l = lines_[i];
                const bool annotated =
                    l.style == LineStyle::Dimension || l.style == LineStyle::Leader;
                if (lines == Lines::Annotated && !annotated) {
                    return;
                }
                if (const auto ys = within(turnLine(l), me.left - pad_, right(me) + pad_)) {
                    out.block(ys->first - pad_ - me.height, ys->second + pad_);
                }
            });
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
    LineIndex byX_;            // lines_ by x, for a box's width
    LineIndex byY_;            // and by y, for a box turned to slide along
    std::vector<Box> marks_;
    std::vector<double> waters_;  // the still waters' device y
    std::vector<std::pair<const Item*, Box>> placed_;
    Placing out_;
};

}  // namespace

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

}  // namespace kelnor::design
