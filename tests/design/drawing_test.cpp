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
#include <regex>
#include <string>
#include <vector>

#include "condition_cells.h"

namespace kelnor::design {
namespace {

using testing_support::CellList;

Cells exampleRow(int n, const CellList& cells) {
    return testing_support::conditionCells(
        {{"wind", "21.0"}, {"slope", "3"}, {"roughness", "0.80"}, {"grade", "2"}}, cells, n);
}

// docs/book-example.csv: the design flood governs.
Evaluation example() {
    // Its case, level, depth, mean_depth and fetch; the third condition blows at 14 m/s in
    // abnormal operation.
    const std::array<std::array<const char*, 5>, 3> rows = {{
        {"正常蓄水位", "100.00", "30.0", "24.0", "3.0"},
        {"设计洪水位", "101.50", "31.5", "25.5", "3.2"},
        {"校核洪水位", "102.30", "32.3", "26.3", "3.3"},
    }};
    std::vector<Cells> cells;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        CellList c = {{"case", r[0]},
                      {"level", r[1]},
                      {"depth", r[2]},
                      {"mean_depth", r[3]},
                      {"fetch", r[4]}};
        if (i == 2) {
            c.insert(c.end(), {{"wind", "14.0"}, {"operation", "abnormal"}});
        }
        cells.push_back(exampleRow(static_cast<int>(i) + 1, c));
    }
    return evaluateRows(cells);
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
    }
    // Texts wider than the box fit at no scale, and say so.
    EXPECT_FALSE(fit(freeboardDrawing(example()), 60, 300).fits());
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
