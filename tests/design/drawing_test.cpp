// The freeboard sketch: the governing condition's heights stacked from its still water to the
// crest, the slope at 1:m, the still waters with their elevations, the vertical exaggeration
// of gentle slopes; the scale that fits it into a box; and its SVG.

#include "kelnor/design/drawing.h"

#include <gtest/gtest.h>

#include <array>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "condition_cells.h"
#include "kelnor/design/crest.h"

namespace kelnor::design {
namespace {

using testing_support::CellList;

Cells exampleRow(int n, const CellList& cells) {
    return testing_support::conditionCells(
        {{"wind", "21.0"}, {"slope", "3"}, {"roughness", "0.80"}, {"grade", "2"}}, cells, n);
}

// docs/book-example.csv: the design flood governs.
Evaluation example() {
    return evaluateRows(testing_support::exampleConditions());
}

Evaluation oneCondition(const CellList& cells) {
    return evaluateRows({exampleRow(1, cells)});
}

std::vector<Line> linesOf(const Drawing& d, LineStyle style) {
    std::vector<Line> out;
    std::copy_if(d.lines.begin(), d.lines.end(), std::back_inserter(out),
                 [&](const Line& l) { return l.style == style; });
    return out;
}

bool hasText(const Drawing& d, const std::string& text, TextRole role) {
    return std::any_of(d.texts.begin(), d.texts.end(),
                       [&](const Text& t) { return t.text == text && t.role == role; });
}

// The two columns of dimensions: the chain from the still water up, and the whole y.
struct Dimensions {
    std::vector<Line> chain;
    std::vector<Line> total;
};

Dimensions dimensionsOf(const Drawing& d) {
    std::map<double, std::vector<Line>> columns;
    for (const Line& l : linesOf(d, LineStyle::Dimension)) {
        EXPECT_EQ(l.from.x, l.to.x) << "a dimension is vertical";
        columns[l.from.x].push_back(l);
    }
    EXPECT_EQ(columns.size(), 2u);
    Dimensions out;
    for (auto& [x, lines] : columns) {
        (lines.size() == 1 ? out.total : out.chain) = lines;
    }
    std::sort(out.chain.begin(), out.chain.end(),
              [](const Line& a, const Line& b) { return a.from.y < b.from.y; });
    return out;
}

TEST(Drawing, StacksTheGoverningHeightsFromItsStillWaterToTheCrest) {
    struct Row {
        const char* name;
        Evaluation ev;
    };
    const std::vector<Row> rows = {
        {"docs/book-example.csv", example()},
        {"an extra height",
         oneCondition({{"level", "50"}, {"depth", "30"}, {"fetch", "3"}, {"extra", "0.5"}})},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(r.ev.governing) << r.name;
        const Result& g = r.ev.results[*r.ev.governing];
        const double still = *g.condition.level;
        const Drawing d = freeboardDrawing(r.ev);

        const auto crest = linesOf(d, LineStyle::Crest);
        ASSERT_EQ(crest.size(), 1u) << r.name;
        EXPECT_EQ(crest[0].from.y, still + g.y) << r.name;
        EXPECT_EQ(crest[0].to.y, *g.crest) << r.name;

        const Dimensions dims = dimensionsOf(d);
        ASSERT_EQ(dims.total.size(), 1u) << r.name;
        EXPECT_EQ(dims.total[0].from.y, still) << r.name;
        EXPECT_EQ(dims.total[0].to.y, *g.crest) << r.name;
        std::vector<double> heights = {g.e, g.runUp.Rp, g.A};
        if (g.condition.extra != 0) {
            heights.push_back(g.condition.extra);
        }
        ASSERT_EQ(dims.chain.size(), heights.size()) << r.name;
        double at = still;
        double sum = 0;
        for (std::size_t i = 0; i < heights.size(); ++i) {
            EXPECT_EQ(dims.chain[i].from.y, at) << r.name << " " << i << ": unbroken";
            EXPECT_NEAR(dims.chain[i].to.y - at, heights[i], 1e-12) << r.name << " " << i;
            sum += dims.chain[i].to.y - at;
            at = dims.chain[i].to.y;
        }
        EXPECT_EQ(at, *g.crest) << r.name;
        EXPECT_NEAR(sum, g.y, 1e-12) << r.name;

        // The upstream face at 1:m meets the crest at its upstream edge; every still water
        // ends on it.
        const auto slope = linesOf(d, LineStyle::Slope);
        ASSERT_EQ(slope.size(), 1u) << r.name;
        const Line& s = slope[0];
        EXPECT_NEAR((s.to.y - s.from.y) / (s.to.x - s.from.x), 1 / g.condition.slope, 1e-12);
        EXPECT_EQ(s.to.x, crest[0].from.x) << r.name;
        EXPECT_EQ(s.to.y, *g.crest) << r.name;
        const auto waters = linesOf(d, LineStyle::Water);
        ASSERT_EQ(waters.size(), r.ev.results.size()) << r.name;
        for (std::size_t i = 0; i < waters.size(); ++i) {
            EXPECT_EQ(waters[i].from.y, *r.ev.results[i].condition.level) << r.name;
            EXPECT_EQ(waters[i].to.y, waters[i].from.y) << r.name;
            EXPECT_NEAR(waters[i].to.x, s.to.x - (s.to.y - waters[i].to.y) * g.condition.slope,
                        1e-9)
                << r.name;
        }
        EXPECT_EQ(d.exaggeration, 1) << r.name;
    }

    // The figures as the book rounds them.
    const Drawing d = freeboardDrawing(example());
    struct Label {
        const char* text;
        TextRole role;
    };
    for (const Label& l : {Label{"100.00", TextRole::Elevation},
                           {"101.50", TextRole::Elevation},
                           {"102.30", TextRole::Elevation},
                           {"104.223", TextRole::Elevation},
                           {"e = 0.010", TextRole::Dimension},
                           {"Rp = 1.713", TextRole::Dimension},
                           {"A = 1.00", TextRole::Dimension},
                           {"y = 2.723", TextRole::Dimension},
                           {"1:3", TextRole::Slope},
                           {"设计洪水位", TextRole::Condition}}) {
        EXPECT_TRUE(hasText(d, l.text, l.role)) << l.text;
    }
    EXPECT_TRUE(hasText(freeboardDrawing(rows[1].ev), "附加高度 = 0.50", TextRole::Dimension));
}

TEST(Drawing, ADamThatStandsIsDrawnAsItStandsWithTheLevelItFallsShortOf) {
    const Evaluation ev = example();
    Dam dam;
    dam.wall = 1.2;
    dam.existingWallTop = 104.0;
    const Drawing shortOf = freeboardDrawing(ev, std::nullopt, checkDam(ev, dam).check);
    EXPECT_TRUE(hasText(shortOf, "现状 102.80", TextRole::Elevation));
    EXPECT_TRUE(hasText(shortOf, "防浪墙顶 现状 104.00", TextRole::Elevation));
    EXPECT_TRUE(hasText(shortOf, "要求 104.223，不足 0.223", TextRole::Elevation));
    // The wall stands on the crest that stands, up to its top.
    EXPECT_TRUE(std::any_of(shortOf.lines.begin(), shortOf.lines.end(), [](const Line& l) {
        return l.style == LineStyle::Crest && l.from.y == 102.8 && l.to.y == 104.0;
    }));
    // Raised to 104.3 it meets the code: nothing is said short.
    dam.existingWallTop = 104.3;
    const Drawing met = freeboardDrawing(ev, std::nullopt, checkDam(ev, dam).check);
    EXPECT_TRUE(hasText(met, "防浪墙顶 现状 104.30", TextRole::Elevation));
    for (const Text& t : met.texts) {
        EXPECT_EQ(t.text.find("要求"), std::string::npos) << t.text;
    }
}

TEST(Drawing, GentleSlopesAreExaggeratedAndSaySo) {
    struct Row {
        const char* slope;
        double exaggeration;
        const char* note;
    };
    for (const Row& r : {Row{"0", 1, ""},
                         {"4", 1, ""},
                         {"4.5", 2, "竖向比例放大 2 倍"},
                         {"8", 2, "竖向比例放大 2 倍"},
                         {"12", 5, "竖向比例放大 5 倍"},
                         {"30", 10, "竖向比例放大 10 倍"}}) {
        const Drawing d = freeboardDrawing(
            oneCondition({{"level", "80"}, {"depth", "20"}, {"fetch", "2"}, {"slope", r.slope}}));
        EXPECT_EQ(d.exaggeration, r.exaggeration) << r.slope;
        const auto notes = std::count_if(d.texts.begin(), d.texts.end(), [](const Text& t) {
            return t.role == TextRole::Note && t.text != "坝顶";
        });
        EXPECT_EQ(notes, *r.note ? 1 : 0) << r.slope;
        EXPECT_TRUE(!*r.note || hasText(d, r.note, TextRole::Note)) << r.slope;
    }
}

TEST(Drawing, WithoutLevelsTheGoverningStillWaterIsZeroAndOnlyHeightsAreLabelled) {
    const Evaluation none = evaluateRows({
        exampleRow(1, {{"case", "甲"}, {"depth", "30"}, {"fetch", "3"}}),
        exampleRow(2, {{"case", "乙"}, {"depth", "30"}, {"fetch", "5"}}),
    });
    const Result& g = none.results[*none.governing];
    const Drawing d = freeboardDrawing(none);
    const auto waters = linesOf(d, LineStyle::Water);
    ASSERT_EQ(waters.size(), 1u);
    EXPECT_EQ(waters[0].from.y, 0);
    EXPECT_EQ(linesOf(d, LineStyle::Crest).at(0).from.y, g.y);
    EXPECT_FALSE(std::any_of(d.texts.begin(), d.texts.end(),
                             [](const Text& t) { return t.role == TextRole::Elevation; }));
    EXPECT_TRUE(hasText(d, g.condition.label, TextRole::Condition));
    EXPECT_TRUE(hasText(d, "各工况均未给静水位，图中只标高度", TextRole::Note));

    // Where some give a level, those without have no still water.
    const Drawing some = freeboardDrawing(evaluateRows({
        exampleRow(1, {{"case", "甲"}, {"level", "60"}, {"depth", "30"}, {"fetch", "3"}}),
        exampleRow(2, {{"case", "乙"}, {"depth", "30"}, {"fetch", "5"}}),
    }));
    EXPECT_EQ(linesOf(some, LineStyle::Water).size(), 1u);
    EXPECT_FALSE(hasText(some, "乙", TextRole::Condition));
    EXPECT_TRUE(freeboardDrawing(evaluate({})).empty());
}

// The drawing's texts at the ▽ of a still water, with their levels.
std::vector<std::pair<double, std::size_t>> waterLabels(const Drawing& d, TextRole role) {
    std::vector<std::pair<double, std::size_t>> out;
    for (std::size_t i = 0; i < d.texts.size(); ++i) {
        const Text& t = d.texts[i];
        const bool onWater = std::any_of(d.lines.begin(), d.lines.end(), [&](const Line& l) {
            return l.style == LineStyle::Water && l.from.y == t.at.y;
        });
        if (t.role == role && onWater) {
            out.emplace_back(t.at.y, i);
        }
    }
    std::sort(out.rbegin(), out.rend());  // the highest first
    return out;
}

double gapTo(const Point& p, const Point& a, const Point& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double t =
        std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Whether a device segment passes through the inside of a box.
bool cuts(const Point& a, const Point& b, const Box& box) {
    for (int i = 1; i < 400; ++i) {
        const double t = i / 400.0;
        const double x = a.x + t * (b.x - a.x);
        const double y = a.y + t * (b.y - a.y);
        if (x > box.left + 1e-6 && x < box.left + box.width - 1e-6 && y > box.top + 1e-6 &&
            y < box.top + box.height - 1e-6) {
            return true;
        }
    }
    return false;
}

// What every fitted sketch must show: each text once, inside the box less the margin, no two
// overlapping (touching is allowed), a leader from its box to its ▽ (or its anchor), the still
// waters' names and elevations in the order of the levels, and the dimensions' figures off the
// lines they annotate. Returns what is wrong, empty when nothing.
std::string illegible(const Drawing& d, const Scale& s, double width, double height,
                      double margin) {
    std::ostringstream out;
    const auto& labels = s.labels();
    if (labels.size() != d.texts.size()) {
        return "a label per text";
    }
    const double eps = 1e-6;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const Box& b = labels[i].box;
        if (b.left < margin - eps || b.top < margin - eps ||
            b.left + b.width > width - margin + eps || b.top + b.height > height - margin + eps) {
            out << "outside: " << labels[i].text << "\n";
        }
        for (std::size_t j = 0; j < i; ++j) {
            const Box& o = labels[j].box;
            const double across =
                std::min(b.left + b.width, o.left + o.width) - std::max(b.left, o.left);
            const double down =
                std::min(b.top + b.height, o.top + o.height) - std::max(b.top, o.top);
            if (across > eps && down > eps) {
                out << "overlap: " << labels[i].text << " / " << labels[j].text << "\n";
            }
        }
        if (const auto& l = labels[i].leader) {
            const bool onEdge = std::abs(l->from.x - b.left) < eps ||
                                std::abs(l->from.x - b.left - b.width) < eps ||
                                std::abs(l->from.y - b.top) < eps ||
                                std::abs(l->from.y - b.top - b.height) < eps;
            const bool within = l->from.x > b.left - eps && l->from.x < b.left + b.width + eps &&
                                l->from.y > b.top - eps && l->from.y < b.top + b.height + eps;
            if (!onEdge || !within || l->style != LineStyle::Callout) {
                out << "leader off its label: " << labels[i].text << "\n";
            }
            const Text& t = d.texts[i];
            const auto mark = std::find_if(d.marks.begin(), d.marks.end(), [&](const Mark& m) {
                return m.kind == MarkKind::StillWater && m.at.x == t.at.x && m.at.y == t.at.y;
            });
            double miss = 0;
            if (mark != d.marks.end()) {
                const std::vector<Point> v = s.markOutline(*mark);
                miss = std::min(
                    {gapTo(l->to, v[0], v[1]), gapTo(l->to, v[1], v[2]), gapTo(l->to, v[2], v[0])});
            } else {
                const Point a = s.map(t.at);
                miss = std::hypot(l->to.x - a.x, l->to.y - a.y);
            }
            if (miss > eps) {
                out << "leader misses what it names: " << labels[i].text << "\n";
            }
        }
        if (d.texts[i].role == TextRole::Dimension) {
            for (const Line& l : d.lines) {
                if ((l.style == LineStyle::Leader || l.style == LineStyle::Dimension) &&
                    cuts(s.map(l.from), s.map(l.to), b)) {
                    out << "on a dimension's line: " << labels[i].text << "\n";
                }
            }
        }
    }
    for (const TextRole role : {TextRole::Condition, TextRole::Elevation}) {
        const auto order = waterLabels(d, role);
        for (std::size_t k = 1; k < order.size(); ++k) {
            const Box& higher = labels[order[k - 1].second].box;
            const Box& lower = labels[order[k].second].box;
            if (higher.top + higher.height > lower.top + eps) {
                out << "out of order: " << labels[order[k - 1].second].text << " over "
                    << labels[order[k].second].text << "\n";
            }
        }
    }
    return out.str();
}

// Everything a painter draws, in device units: the ends of lines, the marks' outlines and the
// corners of the texts' boxes.
std::vector<Point> deviceExtent(const Drawing& d, const Scale& s) {
    std::vector<Point> out;
    for (const Line& l : d.lines) {
        out.push_back(s.map(l.from));
        out.push_back(s.map(l.to));
    }
    for (const Mark& m : d.marks) {
        for (const Point& p : s.markOutline(m)) {
            out.push_back(p);
        }
    }
    for (const Text& t : d.texts) {
        const Box b = s.textBox(t);
        out.push_back({b.left, b.top});
        out.push_back({b.left + b.width, b.top + b.height});
    }
    return out;
}

TEST(Scale, FitsEverythingInsideTheBoxAsLargeAsItGoes) {
    struct Row {
        const char* name;
        Drawing drawing;
        double width;
        double height;
        std::function<double(std::string_view)> measure = {};  // a painter's own font
    };
    const Drawing gentle = freeboardDrawing(
        oneCondition({{"level", "80"}, {"depth", "20"}, {"fetch", "2"}, {"slope", "8"}}));
    const Drawing noLevels = freeboardDrawing(oneCondition({{"depth", "30"}, {"fetch", "3"}}));
    const std::vector<Row> rows = {
        {"example, wide", freeboardDrawing(example()), 640, 300},
        {"example, tall", freeboardDrawing(example()), 420, 900},
        {"example, flat", freeboardDrawing(example()), 1400, 160},
        {"exaggerated", gentle, 640, 300},
        {"no levels", noLevels, 500, 260},
        {"a wide font", freeboardDrawing(example()), 640, 300,
         [](std::string_view text) { return 20.0 * static_cast<double>(text.size()); }},
    };
    for (const Row& r : rows) {
        FitOptions options;
        options.margin = 10;
        options.measure = r.measure;
        const Scale s = fit(r.drawing, r.width, r.height, options);
        EXPECT_TRUE(s.fits()) << r.name;
        double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
        for (const Point& p : deviceExtent(r.drawing, s)) {
            left = std::min(left, p.x);
            right = std::max(right, p.x);
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
        const double eps = 1e-9;
        EXPECT_GE(left, options.margin - eps) << r.name;
        EXPECT_LE(right, r.width - options.margin + eps) << r.name;
        EXPECT_GE(top, options.margin - eps) << r.name;
        EXPECT_LE(bottom, r.height - options.margin + eps) << r.name;
        // As large as it goes: one way it fills the room, and it is centred the other.
        const bool fillsAcross = std::abs(right - left - (r.width - 2 * options.margin)) < 1e-6;
        const bool fillsDown = std::abs(bottom - top - (r.height - 2 * options.margin)) < 1e-6;
        EXPECT_TRUE(fillsAcross || fillsDown) << r.name;
        EXPECT_NEAR(left - options.margin, r.width - options.margin - right, 1e-6) << r.name;
        EXPECT_NEAR(top - options.margin, r.height - options.margin - bottom, 1e-6) << r.name;
        // A metre up is the exaggeration times a metre across.
        const Point o = s.map({0, 0});
        const Point across = s.map({1, 0});
        const Point up = s.map({0, 1});
        EXPECT_NEAR(o.y - up.y, r.drawing.exaggeration * (across.x - o.x), 1e-9) << r.name;
        EXPECT_GT(across.x - o.x, 0) << r.name;
        EXPECT_EQ(illegible(r.drawing, s, r.width, r.height, options.margin), "") << r.name;
    }
    // Texts wider than the box fit at no scale, and say so.
    EXPECT_FALSE(fit(freeboardDrawing(example()), 60, 300).fits());
}

Cells sheetRow(int n, const std::string& name, double level, const char* slope,
               const char* operation, const char* extra) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", level);
    return exampleRow(n, {{"case", name},
                          {"level", text},
                          {"depth", "30"},
                          {"fetch", "3"},
                          {"slope", slope},
                          {"operation", operation},
                          {"extra", extra}});
}

TEST(Labels, CloseLevelsAreStackedInTheirOrderAndNothingOverlaps) {
    // The book example's floods 0.80 m apart, and levels a centimetre apart.
    struct Row {
        const char* name;
        std::vector<double> levels;
    };
    const char* names[] = {"正常蓄水位", "设计洪水位", "校核洪水位"};
    for (const Row& r : {Row{"the floods 0.80 m apart", {100.00, 101.50, 102.30}},
                         Row{"a centimetre apart", {100.00, 100.01, 100.02}}}) {
        std::vector<Cells> rows;
        for (std::size_t i = 0; i < r.levels.size(); ++i) {
            rows.push_back(
                sheetRow(static_cast<int>(i) + 1, names[i], r.levels[i], "3", "normal", "0"));
        }
        const Drawing d = freeboardDrawing(evaluateRows(rows));
        for (const auto& [w, h] : {std::pair{400.0, 300.0}, {520.0, 360.0}}) {
            const Scale s = fit(d, w, h);
            ASSERT_TRUE(s.fits()) << r.name << " " << w;
            EXPECT_EQ(illegible(d, s, w, h, FitOptions{}.margin), "") << r.name << " " << w;
            // 校核洪水位 over 设计洪水位 over 正常蓄水位, as names and as elevations: three of
            // each for illegible() to find apart and in order.
            EXPECT_EQ(waterLabels(d, TextRole::Condition).size(), 3u);
            EXPECT_EQ(waterLabels(d, TextRole::Elevation).size(), 3u);
        }
    }
}

TEST(Labels, HoldAcrossRandomSheetsWithAndWithoutAWaveWall) {
    // State: one to eight conditions, levels 1 cm to tens of metres apart, on four slopes,
    // some with an extra height, half of them settled with a wave wall.
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    const std::vector<std::string> names = {"正常蓄水位",
                                            "设计洪水位",
                                            "校核洪水位",
                                            "正常蓄水位+地震",
                                            "施工期",
                                            "Case 7",
                                            "上游围堰挡水期的校核洪水位（非常运用）"};
    const char* slopes[] = {"2", "3", "4.5", "8"};
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    std::uniform_real_distribution<double> logGap(std::log(0.01), std::log(40.0));
    const auto wide = [](std::string_view t) {  // a renderer's font wider than the estimate
        double w = 0;
        for (const char c : t) {
            const auto byte = static_cast<unsigned char>(c);
            w += byte < 0x80 ? 7.5 : byte >= 0xC0 ? 13.0 : 0.0;
        }
        return w;
    };
    for (int k = 0; k < 300; ++k) {
        const std::size_t count = 1 + pick(8);
        const char* slope = slopes[pick(4)];
        std::vector<double> levels = {50 + static_cast<double>(pick(100))};
        while (levels.size() < count) {
            levels.push_back(levels.back() + std::round(std::exp(logGap(random)) * 100) / 100);
        }
        std::shuffle(levels.begin(), levels.end(), random);
        std::vector<Cells> rows;
        for (std::size_t i = 0; i < count; ++i) {
            rows.push_back(sheetRow(static_cast<int>(i) + 1, names[pick(names.size())], levels[i],
                                    slope, pick(2) ? "normal" : "abnormal",
                                    pick(4) == 0 ? "0.5" : "0"));
        }
        const Evaluation ev = evaluateRows(rows);
        std::optional<Settled> settled;
        if (k % 2 == 1) {
            Dam dam;
            dam.wall = 1.2;
            dam.reserve = Reserve{pick(2) ? 0.3 : 0.0, false};
            settled = settleCrest(ev, dam).settled;
            ASSERT_TRUE(settled) << "case " << k;
        }
        const Drawing d = freeboardDrawing(ev, settled);
        ASSERT_FALSE(d.empty()) << "case " << k;
        for (const auto& [w, h] : {std::pair{400.0, 300.0}, {520.0, 360.0}, {640.0, 250.0}}) {
            FitOptions options;
            if (k % 3 == 0) {
                options.measure = wide;
            }
            const Scale s = fit(d, w, h, options);
            std::ostringstream what;
            what << "seed " << seed << ", case " << k << ", " << w << "×" << h
                 << (settled ? ", wall" : "") << ", 1:" << slope << ", levels";
            for (const double l : levels) {
                what << " " << l;
            }
            const std::string wrong = illegible(d, s, w, h, options.margin);
            EXPECT_TRUE(s.fits() && wrong.empty())
                << what.str() << (s.fits() ? "" : ": no fit\n") << wrong;
        }
    }
}

TEST(Labels, LongNamesAreShortenedAndTooSmallABoxStillGivesEveryLabel) {
    const std::string full = "上游围堰挡水期的校核洪水位（非常运用）";
    const Drawing d = freeboardDrawing(evaluateRows({sheetRow(1, full, 100, "3", "normal", "0")}));
    ASSERT_TRUE(hasText(d, full, TextRole::Condition)) << "the drawing keeps it whole";
    const Scale s = fit(d, 520, 360);
    const auto names = waterLabels(d, TextRole::Condition);
    ASSERT_EQ(names.size(), 1u);
    const std::string& shown = s.labels()[names[0].second].text;
    ASSERT_TRUE(shown.ends_with("…")) << shown;
    const std::string kept = shown.substr(0, shown.size() - std::string("…").size());
    EXPECT_EQ(full.rfind(kept, 0), 0u) << shown;
    EXPECT_EQ(kept, "上游围堰挡水期") << "seven of the estimate's 1-em characters and the …";
    EXPECT_NE(drawingSvg(d, 520, 360).find(">" + shown + "</text>"), std::string::npos);
    EXPECT_EQ(drawingSvg(d, 520, 360).find(full), std::string::npos);

    // The texts cannot all be kept apart in so small a box: it says so and places them still,
    // the same way each time.
    const Drawing example8 = freeboardDrawing(example());
    for (const auto& [w, h] : {std::pair{150.0, 90.0}, {60.0, 300.0}, {0.0, 0.0}}) {
        const Scale small = fit(example8, w, h);
        EXPECT_FALSE(small.fits()) << w;
        ASSERT_EQ(small.labels().size(), example8.texts.size()) << w;
        const Scale again = fit(example8, w, h);
        for (std::size_t i = 0; i < small.labels().size(); ++i) {
            EXPECT_EQ(small.labels()[i].box.top, again.labels()[i].box.top) << w;
            EXPECT_EQ(small.labels()[i].box.left, again.labels()[i].box.left) << w;
        }
    }
}

TEST(Labels, WithNoRoomOfItsOwnALabelStaysInsideTheSketch) {
    // 150 × 90, the least box of the test above in which each label on its own still has
    // room: not all can be kept apart, and those that cannot are pulled inside, not left
    // sticking out where they would have been.
    const double w = 150;
    const double h = 90;
    const Evaluation ev = example();
    Dam dam;
    dam.wall = 1.2;
    dam.reserve = Reserve{0.3, false};
    const std::optional<Settled> settled = settleCrest(ev, dam).settled;
    ASSERT_TRUE(settled);
    for (const Drawing& d : {freeboardDrawing(ev), freeboardDrawing(ev, settled)}) {
        const Scale s = fit(d, w, h);
        EXPECT_FALSE(s.fits());
        ASSERT_EQ(s.labels().size(), d.texts.size());
        const double margin = FitOptions{}.margin;
        for (const Label& l : s.labels()) {
            EXPECT_GE(l.box.left, margin - 1e-6) << l.text;
            EXPECT_GE(l.box.top, margin - 1e-6) << l.text;
            EXPECT_LE(l.box.left + l.box.width, w - margin + 1e-6) << l.text;
            EXPECT_LE(l.box.top + l.box.height, h - margin + 1e-6) << l.text;
        }
    }
}

TEST(Svg, IsOneWellFormedElementWithItsTextsEscaped) {
    const Evaluation ev = evaluateRows({exampleRow(
        1, {{"case", "<b>&"}, {"level", "101.5"}, {"depth", "31.5"}, {"fetch", "3.2"}})});
    const std::string svg = drawingSvg(freeboardDrawing(ev), 640, 300);
    EXPECT_EQ(
        svg.rfind("<svg class=\"drawing\" width=\"640\" height=\"300\" viewBox=\"0 0 640 300\"", 0),
        0u);
    EXPECT_NE(svg.find(">&lt;b&gt;&amp;</text>"), std::string::npos);
    EXPECT_EQ(svg.find("<b>"), std::string::npos);
    for (const char* outside : {"http", "url(", "href", "<script", "<image", "@font-face"}) {
        EXPECT_EQ(svg.find(outside), std::string::npos) << outside;
    }
    // Every element opened is closed in order; every & starts a character reference.
    const std::regex tag("<(/?)([a-z]+)[^>]*?(/?)>");
    std::vector<std::string> open;
    int elements = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tag); it != std::sregex_iterator();
         ++it) {
        const std::string name = (*it)[2];
        ++elements;
        if ((*it)[1].length() > 0) {
            ASSERT_FALSE(open.empty()) << name;
            EXPECT_EQ(open.back(), name);
            open.pop_back();
        } else if ((*it)[3].length() == 0) {
            open.push_back(name);
        }
    }
    EXPECT_TRUE(open.empty());
    EXPECT_GT(elements, 20);
    EXPECT_FALSE(std::regex_search(svg, std::regex("&(?![a-z]+;)")));
    EXPECT_FALSE(std::regex_search(svg, std::regex("<[^a-z/]")));
    EXPECT_FALSE(std::regex_search(svg, std::regex("\\bnan\\b|\\binf\\b|−")));
    // On its own, as a file, it names its namespace.
    EXPECT_EQ(drawingSvg(freeboardDrawing(ev), 640, 300, true)
                  .rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0),
              0u);
}

}  // namespace
}  // namespace kelnor::design
