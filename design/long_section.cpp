#include "kelnor/design/long_section.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "figures.h"
#include "kelnor/design/wording.h"

namespace kelnor::design {

namespace {

// Under the lowest level the datum line, this share of the levels' range lower; the ticks of
// the sections on it, this share high.
constexpr double kDatumRoom = 0.3;
constexpr double kTickHeight = 0.05;

// The first of 1, 2, 5, 10, 20, 50, ... that brings a long section `length` long and `height`
// high within kMaxSectionRun times as long as high.
double exaggerationFor(double length, double height) {
    double k = 1;
    for (int step = 0; length > kMaxSectionRun * height * k && std::isfinite(k); ++step) {
        k *= step % 3 == 1 ? 2.5 : 2;
    }
    return k;
}

// A section where it is drawn: at its chainage, its levels drawn over the stretch from half way
// to the section before to half way to the next.
struct Station {
    const SectionLevels* section;
    double x;
    double from;
    double to;
};

using LevelOf = std::function<std::optional<double>(const SectionLevels&)>;

bool finiteLevels(const SectionLevels& s) {
    const auto ok = [](const std::optional<double>& v) { return !v || std::isfinite(*v); };
    return std::isfinite(s.chainage) && std::isfinite(s.level) && std::isfinite(s.required) &&
           ok(s.adopted) && ok(s.existing) && ok(s.ground);
}

// A level along the dike as `style`, through each run of sections that give it, a lone
// section's over its own stretch; where its last run ends, for its name.
std::optional<Point> drawLevel(Drawing& d, const std::vector<Station>& stations,
                               const LevelOf& levelOf, LineStyle style) {
    std::optional<Point> end;
    for (std::size_t i = 0; i < stations.size();) {
        if (!levelOf(*stations[i].section)) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j + 1 < stations.size() && levelOf(*stations[j + 1].section)) {
            ++j;
        }
        const auto at = [&](std::size_t k) {
            return Point{stations[k].x, *levelOf(*stations[k].section)};
        };
        if (i == j) {
            const Station& s = stations[i];
            d.lines.push_back({{s.from, at(i).y}, {s.to, at(i).y}, style});
            end = Point{s.to, at(i).y};
        } else {
            // At the dike's ends a lone chainage's stretch, flat.
            if (stations[i].from < stations[i].x) {
                d.lines.push_back({{stations[i].from, at(i).y}, at(i), style});
            }
            for (std::size_t k = i; k < j; ++k) {
                d.lines.push_back({at(k), at(k + 1), style});
            }
            end = at(j);
            if (stations[j].to > stations[j].x) {
                end = Point{stations[j].to, at(j).y};
                d.lines.push_back({at(j), *end, style});
            }
        }
        i = j + 1;
    }
    return end;
}

}  // namespace

std::string chainageZh(double metres) {
    if (!(std::fabs(metres) < 1e12)) {
        return {};  // no dike's, and beyond what the millimetres count
    }
    const long long mm = std::llround(std::fabs(metres) * 1000);
    const std::string metresOn = plain(static_cast<double>(mm % 1000000) / 1000);
    const std::size_t whole = std::min(metresOn.find('.'), metresOn.size());
    return std::string(metres < 0 && mm != 0 ? "−" : "") + "K" + std::to_string(mm / 1000000) +
           "+" + std::string(whole < 3 ? 3 - whole : 0, '0') + metresOn;
}

Drawing longSectionDrawing(const std::vector<SectionLevels>& sections) {
    if (sections.empty() || !std::all_of(sections.begin(), sections.end(), finiteLevels)) {
        return {};
    }
    std::vector<std::size_t> order(sections.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return sections[a].chainage < sections[b].chainage;
    });

    double low = sections[order[0]].level;
    double high = low;
    for (const SectionLevels& s : sections) {
        for (const std::optional<double>& z :
             {std::optional(s.level), std::optional(s.required), s.adopted, s.existing, s.ground}) {
            if (z) {
                low = std::min(low, *z);
                high = std::max(high, *z);
            }
        }
    }
    // Levels all alike still get a height to draw.
    const double range = high > low ? high - low : 1.0;
    const double datum = low - kDatumRoom * range;
    const double height = high - datum;

    const double start = sections[order.front()].chainage;
    const double end = sections[order.back()].chainage;
    // A lone chainage is drawn over a stretch around it twice as long as the levels are high.
    const double half = end > start ? 0 : height;
    std::vector<Station> stations;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const SectionLevels& s = sections[order[k]];
        const double before =
            k == 0 ? s.chainage - half : (sections[order[k - 1]].chainage + s.chainage) / 2;
        const double after = k + 1 == order.size()
                                 ? s.chainage + half
                                 : (s.chainage + sections[order[k + 1]].chainage) / 2;
        stations.push_back({&s, s.chainage, before, after});
    }
    const double left = stations.front().from;
    const double right = stations.back().to;

    Drawing d;
    d.exaggeration = exaggerationFor(right - left, height);

    // The levels, each named at its end; the names keep the order of the levels there.
    struct Level {
        LevelOf of;
        LineStyle style;
        const char* name;
    };
    const Level levels[] = {
        {[](const SectionLevels& s) { return std::optional(s.level); }, LineStyle::Water,
         "设计水位"},
        {[](const SectionLevels& s) { return std::optional(s.required); }, LineStyle::Leader,
         "要求堤顶"},
        {[](const SectionLevels& s) { return s.adopted; }, LineStyle::Crest, "采用堤顶"},
        {[](const SectionLevels& s) { return s.existing; }, LineStyle::Dimension, "现状堤顶"},
        {[](const SectionLevels& s) { return s.ground; }, LineStyle::Slope, "地面"},
    };
    std::vector<Text> names;
    for (const Level& l : levels) {
        if (const std::optional<Point> at = drawLevel(d, stations, l.of, l.style)) {
            names.push_back({*at, HAlign::Left, VAlign::Middle, l.name, TextRole::Condition});
        }
    }

    // The datum line with each section's tick and chainage under it.
    d.lines.push_back({{left, datum}, {right, datum}, LineStyle::Dimension});
    const double tick = kTickHeight * range;
    for (const Station& s : stations) {
        d.lines.push_back({{s.x, datum}, {s.x, datum + tick}, LineStyle::Dimension});
        d.texts.push_back({{s.x, datum},
                           HAlign::Centre,
                           VAlign::Top,
                           s.section->name.empty() ? chainageZh(s.x) : s.section->name,
                           TextRole::Chainage});
    }

    // Where what stands is short of the crest required: a dimension up to it at each such
    // section, and the shortfall at the largest of each stretch of them.
    const auto shortfall = [](const SectionLevels& s) {
        return s.existing && *s.existing < s.required ? s.required - *s.existing : 0.0;
    };
    for (std::size_t i = 0; i < stations.size();) {
        if (shortfall(*stations[i].section) <= 0) {
            ++i;
            continue;
        }
        std::size_t largest = i;
        for (; i < stations.size() && shortfall(*stations[i].section) > 0; ++i) {
            const Station& s = stations[i];
            const Point from{s.x, *s.section->existing};
            const Point to{s.x, s.section->required};
            d.lines.push_back({from, to, LineStyle::Dimension});
            d.marks.push_back({from, MarkKind::Tick});
            d.marks.push_back({to, MarkKind::Tick});
            if (shortfall(*s.section) > shortfall(*stations[largest].section)) {
                largest = i;
            }
        }
        const Station& s = stations[largest];
        d.texts.push_back({{s.x, *s.section->existing},
                           HAlign::Centre,
                           VAlign::Top,
                           "不足 " + fxTelling(shortfall(*s.section), 0, 2),
                           TextRole::Shortfall});
    }

    d.texts.push_back({{left, datum},
                       HAlign::Right,
                       VAlign::Bottom,
                       "基线 " + fx(datum, 2),
                       TextRole::Elevation});
    d.texts.insert(d.texts.end(), names.begin(), names.end());
    if (d.exaggeration != 1) {
        d.texts.push_back({{left, high},
                           HAlign::Left,
                           VAlign::Bottom,
                           "竖向比例放大 " + plain(d.exaggeration) + " 倍",
                           TextRole::Note});
    }
    // Chainages or levels so far apart that their stretches overflow draw nothing.
    const auto finite = [](const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    const bool drawable =
        std::isfinite(d.exaggeration) &&
        std::all_of(d.lines.begin(), d.lines.end(),
                    [&](const Line& l) { return finite(l.from) && finite(l.to); }) &&
        std::all_of(d.texts.begin(), d.texts.end(), [&](const Text& t) { return finite(t.at); });
    return drawable ? d : Drawing{};
}

}  // namespace kelnor::design
