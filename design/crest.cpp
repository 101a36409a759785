#include "kelnor/design/crest.h"

#include <algorithm>
#include <cmath>

#include "kelnor/design/book.h"
#include "kelnor/text/text.h"
#include "named_reader.h"

namespace kelnor::design {

namespace {

// Levels are typed to the centimetre; a difference below a nanometre is the binary noise of
// decimal fractions, not a shortfall.
constexpr double kLevelTolerance = 1e-9;

// The caption without a unit in brackets at its end: "防浪墙高度（m）" → "防浪墙高度".
std::string_view withoutUnit(std::string_view text) {
    text = trimBlanks(text);
    for (const std::string_view open : {std::string_view("（"), std::string_view("(")}) {
        const std::size_t at = text.rfind(open);
        if (at != std::string_view::npos && at > 0 &&
            (text.ends_with(")") || text.ends_with("）"))) {
            return trimBlanks(text.substr(0, at));
        }
    }
    return text;
}

std::size_t indexOf(std::string_view name) {
    const auto found = damFieldIndex(name);
    return found ? *found : damFields().size();
}

class DamReader : public NamedReader<DamReader, DamErrorKind> {
  public:
    explicit DamReader(const DamTexts& texts) : texts_(texts) {}

    const std::string& typed(std::string_view name) const { return damText(texts_, name); }

    // The text without the blanks around it; none where it is blank.
    std::optional<std::string> trimmed(std::string_view name) const {
        const auto t = text(name);
        return t ? std::optional<std::string>(std::string(trimBlanks(*t))) : std::nullopt;
    }

    [[noreturn]] void fail(DamErrorKind kind, std::string_view name,
                           std::string_view other = {}) const {
        throw DamError(kind, std::string(name), damText(texts_, name), std::string(other));
    }

    std::optional<double> positive(std::string_view name) const {
        const auto v = number(name);
        if (v && !(*v > 0)) {
            fail(DamErrorKind::NotPositive, name);
        }
        return v;
    }

  private:
    const DamTexts& texts_;
};

// A date as the book prints it, YYYY-MM-DD: as typed, or from the YYYY/M/D that Excel on a
// Chinese Windows writes back for a date it recognised.
std::optional<std::string> bookDate(std::string_view text) {
    if (isBookDate(text)) {
        return std::string(text);
    }
    int parts[3] = {0, 0, 0};
    std::size_t part = 0;
    std::size_t digits = 0;
    std::size_t yearDigits = 0;
    for (const char c : text) {
        if (c == '/' && part < 2 && digits > 0) {
            yearDigits = part == 0 ? digits : yearDigits;
            ++part;
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 4) {
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    // Excel writes the year in full: 24/5/1 is no date a book can carry.
    if (part != 2 || digits == 0 || yearDigits != 4) {
        return std::nullopt;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", parts[0], parts[1] % 100, parts[2] % 100);
    if (parts[1] > 12 || parts[2] > 31 || !isBookDate(buf)) {
        return std::nullopt;
    }
    return std::string(buf);
}

// A sum or difference of levels typed to the millimetre, without the binary noise of its
// fractions: to the micrometre.
double toMicrometre(double metres) {
    return std::round(metres * 1e6) / 1e6;
}

Adopted adopt(double required, std::optional<double> typed, double step) {
    Adopted a;
    a.required = required;
    a.typed = typed.has_value();
    a.value = typed ? *typed : roundUp(required, step);
    a.met = a.value >= required - kLevelTolerance;
    return a;
}

}  // namespace

const std::vector<DamField>& damFields() {
    static const std::vector<DamField> fields = {
        {"project", "工程名称", "", "", true},
        {"stage", "设计阶段", "", "", true},
        {"by", "计算", "", "", true},
        {"checked_by", "校核", "", "", true},
        {"reviewed_by", "审查", "", "", true},
        {"date", "日期", "", "留空为当天", true},
        {"wall", "防浪墙高度", "m", "无防浪墙", false},
        {"settlement", "预留沉降", "m 或 %", "不预留", false},
        {"dam_height", "坝高", "m", "", false},
        {"step", "取整步长", "m", "0.1", false},
        {"crest", "采用坝顶高程", "m", "按要求值向上取整", false},
        {"wall_top", "采用防浪墙顶高程", "m", "按要求值向上取整", false},
    };
    return fields;
}

std::optional<std::size_t> damFieldIndex(std::string_view name) {
    const std::string key = lowerAscii(trimBlanks(name));
    const std::string_view bare = withoutUnit(name);
    const auto& fields = damFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (key == fields[i].name || bare == fields[i].captionZh) {
            return i;
        }
    }
    return std::nullopt;
}

std::string damCaptionZh(const DamField& field) {
    std::string out(field.captionZh);
    if (!field.unitZh.empty()) {
        out += "（" + std::string(field.unitZh) + "）";
    }
    return out;
}

DamTexts emptyDamTexts() {
    return DamTexts(damFields().size());
}

const std::string& damText(const DamTexts& texts, std::string_view name) {
    static const std::string kNone;
    const std::size_t i = indexOf(name);
    return i < texts.size() ? texts[i] : kNone;
}

void setDamText(DamTexts& texts, std::string_view name, std::string text) {
    texts.resize(damFields().size());
    const std::size_t i = indexOf(name);
    if (i < texts.size()) {
        texts[i] = std::move(text);
    }
}

namespace {

// The title block's members by their names among the dam's fields.
constexpr std::pair<std::string_view, std::string TitleBlock::*> kTitleFields[] = {
    {"project", &TitleBlock::project},
    {"stage", &TitleBlock::stage},
    {"by", &TitleBlock::by},
    {"checked_by", &TitleBlock::checkedBy},
    {"reviewed_by", &TitleBlock::reviewedBy},
    {"date", &TitleBlock::date}};

}  // namespace

TitleBlock titleOf(const DamTexts& texts) {
    TitleBlock title;
    for (const auto& [name, value] : kTitleFields) {
        title.*value = damText(texts, name);
    }
    return title;
}

void putTitle(DamTexts& texts, const TitleBlock& title) {
    for (const auto& [name, value] : kTitleFields) {
        setDamText(texts, name, title.*value);
    }
}

double Dam::reserveMetres() const {
    if (!reserve) {
        return 0;
    }
    return reserve->percent ? reserve->value * damHeight.value_or(0) / 100 : reserve->value;
}

Dam readDam(const DamTexts& texts) {
    const DamReader r(texts);
    Dam dam;
    for (const auto& [name, value] : kTitleFields) {
        dam.title.*value = r.trimmed(name).value_or("");
    }
    if (const auto date = r.trimmed("date")) {
        const auto read = bookDate(*date);
        if (!read) {
            r.fail(DamErrorKind::NotADate, "date");
        }
        dam.title.date = *read;
    }
    dam.wall = r.positive("wall");
    dam.damHeight = r.positive("dam_height");
    dam.step = r.positive("step").value_or(kDefaultStep);
    dam.crest = r.number("crest");
    dam.wallTop = r.number("wall_top");
    if (dam.wallTop && !dam.wall) {
        r.fail(DamErrorKind::NeedsOther, "wall_top", "wall");
    }
    if (const auto reserve = r.trimmed("settlement")) {
        // A share of the dam's height is written with a per-cent sign, ASCII or full-width.
        std::string_view number = *reserve;
        bool percent = false;
        for (const std::string_view sign : {std::string_view("%"), std::string_view("％")}) {
            if (number.ends_with(sign)) {
                number = trimBlanks(number.substr(0, number.size() - sign.size()));
                percent = true;
            }
        }
        const double value = r.read("settlement", number);
        if (value < 0) {
            r.fail(DamErrorKind::Negative, "settlement");
        }
        if (percent && !dam.damHeight) {
            r.fail(DamErrorKind::NeedsOther, "settlement", "dam_height");
        }
        dam.reserve = Reserve{value, percent};
    }
    return dam;
}

DamTexts damTextsFromRows(const std::vector<std::pair<std::string, std::string>>& rows) {
    DamTexts texts = emptyDamTexts();
    std::vector<bool> given(texts.size(), false);
    for (const auto& [name, value] : rows) {
        const auto i = damFieldIndex(name);
        if (!i) {
            throw DamError(DamErrorKind::UnknownName, name, value);
        }
        if (given[*i]) {
            throw DamError(DamErrorKind::Repeated, std::string(damFields()[*i].name), value);
        }
        given[*i] = true;
        texts[*i] = value;
    }
    return texts;
}

int stepDecimals(double step) {
    for (int d = 0; d < 9; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) < 1e-9 * std::max(1.0, scaled)) {
            return d;
        }
    }
    return 9;
}

double roundUp(double value, double step) {
    const int decimals = stepDecimals(step);
    const double scale = std::pow(10.0, decimals);
    const double units = std::round(step * scale);
    double n = std::ceil((value - kLevelTolerance) / step);
    // Written with the step's decimals, 104.3 rather than 1043 × 0.1 = 104.30000000000001;
    // never below the value it rounds.
    double out = n * units / scale;
    if (out < value - kLevelTolerance) {
        out = (n + 1) * units / scale;
    }
    return out;
}

Settlement settleCrest(const Evaluation& ev, const Dam& dam) {
    Settlement s;
    if (ev.results.empty()) {
        s.why = Unsettled::NoConditions;
        return s;
    }
    if (!ev.failures.empty()) {
        s.why = Unsettled::Failures;
        return s;
    }
    std::optional<std::size_t> highest, highestNormal, highestAbnormal;
    for (std::size_t i = 0; i < ev.results.size(); ++i) {
        const Result& r = ev.results[i];
        if (!r.crest) {
            continue;
        }
        const double level = *r.condition.level;
        if (!highest || *r.crest > *ev.results[*highest].crest) {
            highest = i;
        }
        auto& group = isAbnormal(r.condition.operation) ? highestAbnormal : highestNormal;
        if (!group || level > *ev.results[*group].condition.level) {
            group = i;
        }
    }
    if (!highest) {
        s.why = Unsettled::NoLevel;
        return s;
    }
    Settled out;
    out.highest = *highest;
    out.highestLevelPlusY = *ev.results[*highest].crest;
    out.step = dam.step;
    if (!dam.wall) {
        out.bounds.push_back({CrestRule::HighestLevelPlusY, out.highestLevelPlusY,
                              out.highestLevelPlusY, highest, Standing::Confirmed});
    } else {
        out.wallTop = adopt(out.highestLevelPlusY, dam.wallTop, dam.step);
        // The wall must reach its top from the crest it stands on.
        const double top = std::max(out.wallTop->value, out.wallTop->required);
        out.bounds.push_back({CrestRule::WallTopLessWall, top, toMicrometre(top - *dam.wall),
                              std::nullopt, Standing::Confirmed});
        if (highestNormal) {
            const double level = *ev.results[*highestNormal].condition.level;
            out.bounds.push_back({CrestRule::AboveNormalLevel, level,
                                  level + WallRules::aboveNormal, highestNormal,
                                  WallRules::standing});
        }
        if (highestAbnormal) {
            const double level = *ev.results[*highestAbnormal].condition.level;
            out.bounds.push_back({CrestRule::AboveAbnormalLevel, level,
                                  level + WallRules::aboveAbnormal, highestAbnormal,
                                  WallRules::standing});
        }
    }
    for (std::size_t i = 1; i < out.bounds.size(); ++i) {
        if (out.bounds[i].value > out.bounds[out.leading].value) {
            out.leading = i;
        }
    }
    out.crest = adopt(out.bounds[out.leading].value, dam.crest, dam.step);
    out.reserve = dam.reserveMetres();
    out.asBuilt = toMicrometre(out.crest.value + out.reserve);
    if (out.wallTop) {
        out.wallHeight = toMicrometre(out.wallTop->value - out.crest.value);
        out.wallHeightUnusual = *out.wallHeight < WallRules::heightLow - kLevelTolerance ||
                                *out.wallHeight > WallRules::heightHigh + kLevelTolerance;
    }
    s.settled = out;
    return s;
}

}  // namespace kelnor::design
