#include "kelnor/design/dike.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "kelnor/text/number.h"
#include "kelnor/text/text.h"
#include "named_reader.h"

namespace kelnor::design {

namespace {

// The columns a section passes on to the condition it is read as, under the condition's
// names.
constexpr std::pair<std::string_view, std::string_view> kWaterColumns[] = {
    {"section", "case"},
    {"level", "level"},
    {"depth", "depth"},
    {"mean_depth", "mean_depth"},
    {"wind", "wind"},
    {"wind_max", "wind_max"},
    {"wind_factor", "wind_factor"},
    {"fetch", "fetch"},
    {"fetch_rays", "fetch_rays"},
    {"angle", "angle"},
    {"slope", "slope"},
    {"roughness", "roughness"},
    {"kw", "kw"},
    {"grade", "grade"},
    {"allowance", "allowance"},
};

// A section's own values, raising ConditionError as a condition's cells do.
class SectionReader : public NamedReader<SectionReader, ConditionErrorKind> {
  public:
    SectionReader(const Cells& cells, std::string label)
        : cells_(cells), label_(std::move(label)) {}

    const std::string& typed(std::string_view column) const { return cellText(cells_, column); }

    [[noreturn]] void fail(ConditionErrorKind kind, std::string_view column,
                           std::string_view other = {}) const {
        throw ConditionError(kind, cells_.row, label_, std::string(column),
                             std::string(typed(column)), std::string(other),
                             other.empty() ? std::string() : std::string(typed(other)));
    }

  private:
    const Cells& cells_;
    std::string label_;
};

// The grade given, or taken from the protected area's flood standard: one or the other.
std::optional<std::string> gradeText(const SectionReader& r, DikeSection& s) {
    const auto grade = r.text("grade");
    const auto standard = r.text("standard");
    if (grade && standard) {
        r.fail(ConditionErrorKind::BothGiven, "grade", "standard");
    }
    if (!standard) {
        return grade;
    }
    s.standard = r.number("standard");
    const auto derived = dikeGradeOf(*s.standard);
    if (!derived) {
        r.fail(ConditionErrorKind::OutsideTable, "standard");
    }
    return std::to_string(*derived);
}

// The section's crest adopted at `crest`, with its reserve (a share of the dike's height over
// its ground, or metres) and the crest as built.
void adoptAt(SectionResult& s, double crest) {
    s.adopted = crest;
    const std::optional<Reserve>& reserve = s.section.settlement;
    s.reserve = !reserve           ? 0.0
                : reserve->percent ? reserve->value * (crest - *s.section.ground) / 100
                                   : reserve->value;
    s.asBuilt = toMicrometre(s.adopted + s.reserve);
}

}  // namespace

std::optional<DesignCode> designCodeOf(std::string_view text) {
    std::string key;
    for (const char c : lowerAscii(trimBlanks(text))) {
        if (c != ' ' && c != '/' && c != '.') {
            key += c;
        }
    }
    // The year of the edition may follow a dash: "GB 50286-2013".
    key = key.substr(0, key.find('-'));
    if (key == "sl274" || key == "dam") {
        return DesignCode::Dam;
    }
    if (key == "gb50286" || key == "dike") {
        return DesignCode::Dike;
    }
    return std::nullopt;
}

const std::vector<std::string_view>& sectionColumns() {
    static const std::vector<std::string_view> columns = {
        "section",  "level",     "ground",      "depth",      "mean_depth",
        "wind",     "wind_max",  "wind_factor", "fetch",      "fetch_rays",
        "angle",    "slope",     "roughness",   "kw",         "grade",
        "standard", "allowance", "wall",        "settlement", "existing_crest",
        "formula"};
    return columns;
}

const std::vector<std::string_view>& fileColumns() {
    static const std::vector<std::string_view> columns = [] {
        std::vector<std::string_view> out = conditionColumns();
        for (const std::string_view c : sectionColumns()) {
            if (std::find(out.begin(), out.end(), c) == out.end()) {
                out.push_back(c);
            }
        }
        return out;
    }();
    return columns;
}

bool isCodeRow(std::string_view name) {
    return lowerAscii(trimBlanks(name)) == kCodeRow || trimBlanks(name) == "规范";
}

std::optional<double> chainageOf(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && (text.front() == 'K' || text.front() == 'k')) {
        text.remove_prefix(1);
    }
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos || plus == 0 || plus + 1 >= text.size()) {
        return std::nullopt;
    }
    const std::string_view km = text.substr(0, plus);
    const std::string_view m = text.substr(plus + 1);
    if (!std::all_of(km.begin(), km.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        !(m.front() >= '0' && m.front() <= '9')) {
        return std::nullopt;
    }
    try {
        const double metres = parseNumber(m);
        return parseNumber(km) * 1000 + metres;
    } catch (const NumberError&) {
        return std::nullopt;
    }
}

DikeSection readSection(const Cells& cells) {
    DikeSection s;
    std::string label;
    for (const auto& [column, text] : cells.cells) {
        if (column == "section") {
            label = text;
        }
    }
    const SectionReader r(cells, label);
    Cells water{cells.row, {}};
    for (const auto& [from, to] : kWaterColumns) {
        if (from != "grade") {
            if (const auto text = r.text(from)) {
                water.cells.emplace_back(std::string(to), *text);
            }
        }
    }
    if (const auto grade = gradeText(r, s)) {
        water.cells.emplace_back("grade", *grade);
    }
    // The dike code takes the Putian waves alone.
    if (const auto formula = r.text("formula")) {
        const std::string key = lowerAscii(trimBlanks(*formula));
        if (key != "putian" && key != "莆田") {
            r.fail(ConditionErrorKind::NotForDike, "formula");
        }
    }
    s.water = readCondition(water);
    s.water.code = DesignCode::Dike;
    if (!s.water.level) {
        r.fail(ConditionErrorKind::Missing, "level");
    }
    s.chainage = chainageOf(label);
    s.ground = r.number("ground");
    s.wall = r.positive("wall");
    s.existingCrest = r.number("existing_crest");
    s.settlement = r.reserve("settlement");
    if (s.settlement && s.settlement->percent && !s.ground) {
        r.fail(ConditionErrorKind::NeedsOther, "settlement", "ground");
    }
    return s;
}

SectionResult computeSection(const DikeSection& section, double step) {
    SectionResult out;
    out.section = section;
    out.result = compute(section.water);
    const double level = *section.water.level;
    const double top = *out.result.crest;
    if (section.wall) {
        // The wall's top takes Y; the earth crest carries the wall and stands above the level.
        out.wallTop = top;
        out.required =
            toMicrometre(std::max(top - *section.wall, level + DikeRules::wallCrestAbove));
    } else {
        out.required = top;
    }
    adoptAt(out, roundUp(out.required, step));
    if (section.existingCrest) {
        const double margin = toMicrometre(*section.existingCrest - out.required);
        out.margin =
            Margin{out.required, *section.existingCrest, margin, margin >= -kLevelTolerance};
    }
    return out;
}

std::optional<double> checkChainage(SectionResult& section, std::optional<double> previous) {
    const std::optional<double>& at = section.section.chainage;
    std::vector<Warning>& warnings = section.result.warnings;
    if (!at) {
        const std::string_view name = trimBlanks(section.section.water.label);
        const bool looksLike = !name.empty() &&
                               (name.front() == 'K' || name.front() == 'k' ||
                                (name.front() >= '0' && name.front() <= '9')) &&
                               name.find('+') != std::string_view::npos;
        if (looksLike) {
            warnings.push_back({WarningKind::ChainageUnread, 0, 0});
        }
        return previous;
    }
    if (previous && *at < *previous) {
        warnings.push_back({WarningKind::ChainageBackwards, *at, *previous});
    }
    return at;
}

void smoothReach(std::vector<SectionResult>& sections) {
    if (sections.size() < 2) {
        return;
    }
    std::vector<std::size_t> order(sections.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // In chainage order where every section has one, else as the file gives them.
    if (std::all_of(sections.begin(), sections.end(),
                    [](const SectionResult& s) { return s.section.chainage.has_value(); })) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return *sections[a].section.chainage < *sections[b].section.chainage;
        });
    }
    // Falling along the chainage, each section stands at least as high as every one after it;
    // rising, as every one before it.
    if (sections[order.front()].required >= sections[order.back()].required) {
        std::reverse(order.begin(), order.end());
    }
    double highest = sections[order.front()].adopted;
    for (const std::size_t i : order) {
        SectionResult& s = sections[i];
        highest = std::max(highest, s.adopted);
        if (s.adopted < highest) {
            adoptAt(s, highest);
        }
    }
}

}  // namespace kelnor::design

namespace kelnor::design {

std::vector<SectionLevels> longSectionOf(const std::vector<SectionResult>& sections) {
    const bool chained = std::all_of(sections.begin(), sections.end(),
                                     [](const auto& s) { return s.section.chainage.has_value(); });
    std::vector<SectionLevels> levels;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const SectionResult& s = sections[i];
        levels.push_back({chained ? *s.section.chainage : 100.0 * static_cast<double>(i),
                          s.section.water.label, *s.section.water.level, s.required, s.adopted,
                          s.section.existingCrest, s.section.ground});
    }
    return levels;
}

}  // namespace kelnor::design
