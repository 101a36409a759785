// The long section of a dike: its levels along the chainage in order, the sections short of
// the crest required, the chainages thinned where they would overprint, and its SVG.

#include "kelnor/design/long_section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace kelnor::design {
namespace {

// A line of one style as the points it passes, joined where one segment starts at the end of
// the one before.
std::vector<Point> pathOf(const Drawing& d, LineStyle style) {
    std::vector<Point> out;
    for (const Line& l : d.lines) {
        if (l.style != style) {
            continue;
        }
        if (out.empty() || out.back().x != l.from.x || out.back().y != l.from.y) {
            out.push_back(l.from);
        }
        out.push_back(l.to);
    }
    return out;
}

const Text* textOf(const Drawing& d, const std::string& text) {
    const auto it =
        std::find_if(d.texts.begin(), d.texts.end(), [&](const Text& t) { return t.text == text; });
    return it == d.texts.end() ? nullptr : &*it;
}

TEST(LongSection, DrawsEachLevelAlongTheChainageInOrder) {
    // Typed out of order; two sections at K0+500 keep the order they were typed in. The
    // existing crest is missing at K0+500, so K0+000's is drawn over its own half stretch.
    const Drawing d = longSectionDrawing({
        {1000, "K1+000", 30.0, 31.5, 31.6, 31.2, 26.0},
        {0, "K0+000", 31.0, 32.5, 32.6, 33.0, 27.0},
        {500, "K0+500", 30.5, 32.0, 32.1, std::nullopt, 26.5},
        {500, "桥头", 30.4, 31.9, 32.0, 31.7, 26.4},
    });
    struct Row {
        LineStyle style;
        const char* name;
        std::vector<Point> path;
    };
    for (const Row& r : {
             Row{LineStyle::Water, "设计水位", {{0, 31}, {500, 30.5}, {500, 30.4}, {1000, 30}}},
             {LineStyle::Leader, "要求堤顶", {{0, 32.5}, {500, 32}, {500, 31.9}, {1000, 31.5}}},
             {LineStyle::Crest, "采用堤顶", {{0, 32.6}, {500, 32.1}, {500, 32}, {1000, 31.6}}},
             {LineStyle::Slope, "地面", {{0, 27}, {500, 26.5}, {500, 26.4}, {1000, 26}}},
         }) {
        const std::vector<Point> path = pathOf(d, r.style);
        ASSERT_EQ(path.size(), r.path.size()) << r.name;
        for (std::size_t i = 0; i < path.size(); ++i) {
            EXPECT_EQ(path[i].x, r.path[i].x) << r.name << " " << i;
            EXPECT_EQ(path[i].y, r.path[i].y) << r.name << " " << i;
        }
        const Text* name = textOf(d, r.name);
        ASSERT_TRUE(name) << r.name;
        EXPECT_EQ(name->role, TextRole::Condition);
        EXPECT_EQ(name->at.x, r.path.back().x) << r.name << " at the end of its line";
        EXPECT_EQ(name->at.y, r.path.back().y) << r.name;
    }
    // The existing crest: K0+000 alone to half way, then from 桥头 on.
    std::vector<std::pair<Point, Point>> existing;
    for (const Line& l : d.lines) {
        if (l.style == LineStyle::Dimension && l.from.x != l.to.x) {
            existing.push_back({l.from, l.to});
        }
    }
    ASSERT_EQ(existing.size(), 3u);  // and the datum line
    EXPECT_EQ(existing[0].first.y, 33.0);
    EXPECT_EQ(existing[0].second.x, 250);
    EXPECT_EQ(existing[1].first.x, 500);
    EXPECT_EQ(existing[1].first.y, 31.7);
    EXPECT_EQ(existing[1].second.y, 31.2);
    // Every section's chainage under it, in the order drawn, a typed name as typed.
    std::vector<std::string> chainages;
    for (const Text& t : d.texts) {
        if (t.role == TextRole::Chainage) {
            chainages.push_back(t.text);
        }
    }
    EXPECT_EQ(chainages, (std::vector<std::string>{"K0+000", "K0+500", "桥头", "K1+000"}));
    // Levels 26 to 33 over a datum 2.1 lower, 1000 m long: 20 times is still over five times as
    // long as high, 50 is not.
    EXPECT_EQ(d.exaggeration, 50);
    EXPECT_TRUE(textOf(d, "竖向比例放大 50 倍"));
}

TEST(LongSection, MarksWhereWhatStandsIsShortAndOnlyThere) {
    // Each section's existing crest against the 32.12 required; a neighbour that stands high.
    struct Row {
        std::vector<std::optional<double>> existing;
        std::vector<double> dimensioned;  // the chainages with a dimension up to the required
        const char* said;                 // at the largest of the stretch, or none
        double at;
    };
    for (const Row& r : {
             Row{{32.00}, {0}, "不足 0.12", 0},
             {{32.12}, {}, nullptr, 0},
             {{32.50}, {}, nullptr, 0},
             {{std::nullopt}, {}, nullptr, 0},
             {{32.116}, {0}, "不足 0.004", 0},
             {{32.02, 31.82, 31.92}, {0, 100, 200}, "不足 0.30", 100},
         }) {
        std::vector<SectionLevels> sections;
        for (std::size_t i = 0; i < r.existing.size(); ++i) {
            sections.push_back(
                {100.0 * static_cast<double>(i), "", 30.62, 32.12, 32.2, r.existing[i], 28});
        }
        sections.push_back({1000, "", 30.62, 32.12, 32.2, 33.0, 28});
        const Drawing d = longSectionDrawing(sections);
        std::vector<double> dimensioned;
        for (const Line& l : d.lines) {
            if (l.style == LineStyle::Dimension && l.to.y == 32.12) {
                EXPECT_EQ(l.from.x, l.to.x);
                EXPECT_EQ(l.from.y, *r.existing[static_cast<std::size_t>(l.from.x / 100)]);
                dimensioned.push_back(l.from.x);
            }
        }
        EXPECT_EQ(dimensioned, r.dimensioned) << r.existing.size();
        EXPECT_EQ(d.marks.size(), 2 * r.dimensioned.size()) << "a tick at either end";
        std::vector<const Text*> said;
        for (const Text& t : d.texts) {
            if (t.text.starts_with("不足")) {
                said.push_back(&t);
            }
        }
        ASSERT_EQ(said.size(), r.said ? 1u : 0u) << r.existing.size();
        if (r.said) {
            EXPECT_EQ(said[0]->text, r.said);
            EXPECT_EQ(said[0]->role, TextRole::Shortfall);
            EXPECT_EQ(said[0]->at.x, r.at);
        }
    }
}

TEST(LongSection, ChainagesNeverOverprintAndTheEndsAreKept) {
    struct Row {
        const char* name;
        int count;
        double spacing;                                   // m, every fourth section 5 m after
        std::size_t kept;                                 // the chainages drawn; 0: under 60
        std::function<double(std::string_view)> measure;  // a painter's own font
    };
    const auto wide = [](std::string_view t) { return 9.0 * static_cast<double>(t.size()); };
    for (const Row& r : {Row{"300, every 10 m", 300, 10, 0, {}},
                         {"300 unevenly, a wide font", 300, 37, 0, wide},
                         {"12, 500 m apart but two pairs 5 m", 12, 500, 10, {}}}) {
        std::vector<SectionLevels> sections;
        double x = 0;
        for (int i = 0; i < r.count; ++i) {
            sections.push_back({x, chainageZh(x), 30 + i % 7 * 0.1, 31.6, 31.7, 31.4, 27});
            x += i % 4 == 3 ? 5 : r.spacing;
        }
        const Drawing d = longSectionDrawing(sections);
        FitOptions options;
        options.measure = r.measure;
        const Scale s = fit(d, 640, 300, options);
        EXPECT_TRUE(s.fits()) << r.name;
        std::map<std::string, const Text*> anchors;
        for (const Text& t : d.texts) {
            anchors[t.text] = &t;
        }
        std::vector<const Label*> chainages;
        for (const Label& l : s.labels()) {
            const Box& b = l.box;
            EXPECT_TRUE(b.left >= 8 - 1e-9 && b.top >= 8 - 1e-9 && b.left + b.width <= 632 + 1e-9 &&
                        b.top + b.height <= 292 + 1e-9)
                << r.name << ": " << l.text << " outside";
            for (const Label* o : chainages) {
                const bool apart =
                    b.left >= o->box.left + o->box.width || o->box.left >= b.left + b.width ||
                    b.top >= o->box.top + o->box.height || o->box.top >= b.top + b.height;
                EXPECT_TRUE(apart || l.role != TextRole::Chainage)
                    << r.name << ": " << l.text << " / " << o->text;
            }
            if (l.role == TextRole::Chainage) {
                chainages.push_back(&l);
                // Centred under its own section.
                const Point at = s.map(anchors.at(l.text)->at);
                EXPECT_NEAR(b.left + b.width / 2, at.x, 1e-9) << r.name << ": " << l.text;
                EXPECT_GT(b.top, at.y) << r.name << ": " << l.text;
            }
        }
        ASSERT_GE(chainages.size(), 2u) << r.name;
        EXPECT_EQ(chainages.front()->text, "K0+000") << r.name;
        EXPECT_EQ(chainages.back()->text, sections.back().name) << r.name;
        EXPECT_TRUE(r.kept ? chainages.size() == r.kept : chainages.size() < 60u) << r.name;
        EXPECT_GT(chainages.size(), 5u) << r.name << ": more than the ends kept";
        // A tick for every section, labelled or not.
        const auto ticks = std::count_if(d.lines.begin(), d.lines.end(), [&](const Line& l) {
            return l.style == LineStyle::Dimension && l.from.x == l.to.x && l.to.y > l.from.y &&
                   l.from.y < 27;
        });
        EXPECT_EQ(ticks, r.count) << r.name;
    }
}

TEST(LongSection, ShortfallsOfManyShortStretchesAreThinnedNeverOverprinting) {
    // Every other one of 300 sections short, by 0.01 to 0.3 m: 150 stretches, 150 shortfalls.
    std::vector<SectionLevels> sections;
    for (int i = 0; i < 300; ++i) {
        const double x = 10.0 * i;
        const std::optional<double> existing =
            i % 2 == 0 ? std::optional(31.6 - 0.01 * (1 + i % 30)) : std::nullopt;
        sections.push_back({x, chainageZh(x), 30, 31.6, 31.7, existing, 27});
    }
    const Drawing d = longSectionDrawing(sections);
    const auto isShortfall = [](const auto& t) { return t.role == TextRole::Shortfall; };
    ASSERT_EQ(std::count_if(d.texts.begin(), d.texts.end(), isShortfall), 150);
    const Scale s = fit(d, 640, 300);
    EXPECT_TRUE(s.fits());
    std::vector<Box> kept;
    for (const Label& l : s.labels()) {
        if (l.role != TextRole::Shortfall || l.text.empty()) {
            continue;
        }
        for (const Box& o : kept) {
            const Box& b = l.box;
            EXPECT_TRUE(b.left >= o.left + o.width || o.left >= b.left + b.width ||
                        b.top >= o.top + o.height || o.top >= b.top + b.height)
                << l.text;
        }
        kept.push_back(l.box);
    }
    EXPECT_GE(kept.size(), 2u);
    EXPECT_LT(kept.size(), 40u);
}

TEST(LongSection, HeightsAreExaggeratedToBeReadAndSaySo) {
    // Levels 30 to 32 over a datum 0.6 lower: 2.6 m high, read up to 13 m long at true scale.
    struct Row {
        double length;
        double exaggeration;
    };
    for (const Row& r : {Row{12.9, 1}, {13.2, 2}, {129, 10}, {132, 20}, {1000, 100}}) {
        const Drawing d =
            longSectionDrawing({{0, "", 30, 32, {}, {}, {}}, {r.length, "", 30, 32, {}, {}, {}}});
        EXPECT_EQ(d.exaggeration, r.exaggeration) << r.length;
        const auto notes = std::count_if(d.texts.begin(), d.texts.end(),
                                         [](const Text& t) { return t.role == TextRole::Note; });
        EXPECT_EQ(notes, r.exaggeration == 1 ? 0 : 1) << r.length;
    }
}

TEST(LongSection, NoneOneOrAllAtOneChainage) {
    const double nan = std::nan("");
    struct Row {
        const char* name;
        std::vector<SectionLevels> sections;
        bool drawn;
    };
    for (const Row& r : {
             Row{"none", {}, false},
             {"a level not a number",
              {{0, "", nan, 31, {}, {}, {}}, {10, "", 30, 31, {}, {}, {}}},
              false},
             {"an infinite chainage", {{INFINITY, "", 30, 31, {}, {}, {}}}, false},
             {"levels too far apart to draw",
              {{0, "", -1e308, 1e308, {}, {}, {}}, {10, "", 30, 31, {}, {}, {}}},
              false},
             {"one", {{1250, "", 30, 31.5, 31.5, 31.5, {}}}, true},
             {"two at one chainage",
              {{80, "甲", 30, 31, {}, {}, {}}, {80, "乙", 30, 31, {}, {}, {}}},
              true},
             {"one, all at one level", {{0, "", 30, 30, 30, {}, 30}}, true},
         }) {
        const Drawing d = longSectionDrawing(r.sections);
        EXPECT_EQ(!d.empty(), r.drawn) << r.name;
        if (!r.drawn) {
            EXPECT_TRUE(d.texts.empty() && d.marks.empty()) << r.name;
            continue;
        }
        // A stretch around the chainage, each level flat along it.
        const std::vector<Point> water = pathOf(d, LineStyle::Water);
        ASSERT_GE(water.size(), 2u) << r.name;
        EXPECT_LT(water.front().x, r.sections[0].chainage) << r.name;
        EXPECT_NEAR(water.front().x + water.back().x, 2 * r.sections[0].chainage, 1e-9) << r.name;
        EXPECT_EQ(water.front().y, water.back().y) << r.name;
        EXPECT_EQ(d.exaggeration, 1) << r.name;
        const Scale s = fit(d, 640, 300);
        EXPECT_TRUE(s.fits()) << r.name;
        EXPECT_TRUE(std::isfinite(s.map({0, 0}).x) && std::isfinite(s.map({0, 0}).y)) << r.name;
    }
    EXPECT_TRUE(textOf(longSectionDrawing({{1250, "", 30, 31.5, {}, {}, {}}}), "K1+250"));
}

TEST(LongSection, ChainagesAreWrittenAsKilometresAndMetres) {
    struct Row {
        double metres;
        const char* text;
    };
    for (const Row& r : {Row{0, "K0+000"},
                         {5, "K0+005"},
                         {1250, "K1+250"},
                         {1250.5, "K1+250.5"},
                         {12345, "K12+345"},
                         {999.9996, "K1+000"},
                         {-20, "−K0+020"},
                         {1e308, ""}}) {
        EXPECT_EQ(chainageZh(r.metres), r.text) << r.metres;
    }
}

TEST(LongSection, SvgIsOneWellFormedElement) {
    const std::string svg =
        drawingSvg(longSectionDrawing({{0, "<堤&>", 30, 31.6, 31.7, 31.5, 27},
                                       {600, "K0+600", 30.2, 31.8, 31.8, 32, 27.5}}),
                   640, 300);
    EXPECT_EQ(svg.rfind("<svg class=\"drawing\" width=\"640\" height=\"300\"", 0), 0u);
    EXPECT_NE(svg.find(">&lt;堤&amp;&gt;</text>"), std::string::npos);
    EXPECT_NE(svg.find(">不足 0.10</text>"), std::string::npos);
    const std::regex tag("<(/?)([a-z]+)[^>]*?(/?)>");
    std::vector<std::string> open;
    int roots = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tag); it != std::sregex_iterator();
         ++it) {
        if ((*it)[1].length() > 0) {
            ASSERT_FALSE(open.empty()) << (*it)[2];
            EXPECT_EQ(open.back(), (*it)[2]);
            open.pop_back();
        } else if ((*it)[3].length() == 0) {
            roots += open.empty() ? 1 : 0;
            open.push_back((*it)[2]);
        }
    }
    EXPECT_TRUE(open.empty());
    EXPECT_EQ(roots, 1);
    EXPECT_TRUE(svg.ends_with("</svg>"));
    EXPECT_FALSE(std::regex_search(svg, std::regex("&(?![a-z]+;)|<[^a-z/]|\\bnan\\b|\\binf\\b")));
}

}  // namespace
}  // namespace kelnor::design
