#include "kelnor/design/crest.h"

#include <algorithm>
#include <cmath>

#include "kelnor/design/book.h"
#include "kelnor/text/text.h"
#include "named_reader.h"

namespace kelnor::design {

namespace {

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
        {"project", "工程名称", "", "", true, DamUse::Both},
        {"stage", "设计阶段", "", "", true, DamUse::Both},
        {"by", "计算", "", "", true, DamUse::Both},
        {"checked_by", "校核", "", "", true, DamUse::Both},
        {"reviewed_by", "审查", "", "", true, DamUse::Both},
        {"date", "日期", "", "留空为当天", true, DamUse::Both},
        {"wall", "防浪墙高度", "m", "无防浪墙", false},
        {"settlement", "预留沉降", "m 或 %", "不预留", false},
        {"dam_height", "坝高", "m", "", false},
        {"step", "取整步长", "m", "0.1", false, DamUse::Both},
        {"crest", "采用坝顶高程", "m", "按要求值向上取整", false},
        {"wall_top", "采用防浪墙顶高程", "m", "按要求值向上取整", false},
        {"existing_crest", "现状坝顶高程", "m", "复核已建坝时填写", false},
        {"existing_wall_top", "现状防浪墙顶高程", "m", "复核已建坝时填写", false},
        {"smooth", "沿程平顺堤顶", "", "否（逐断面取整）", false, DamUse::Dike},
        {"overtopping", "越浪", "", "不允许越浪", false, DamUse::Dike},
        {"worked", "典型断面", "", "要求堤顶最高者", false, DamUse::Dike},
    };
    return fields;
}

const std::vector<std::string_view>& damFieldNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> out;
        for (const DamField& f : damFields()) {
            out.push_back(f.name);
        }
        return out;
    }();
    return names;
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

TitleBlock overTitle(TitleBlock base, const TitleBlock& given) {
    for (const auto& [name, value] : kTitleFields) {
        if (!(given.*value).empty()) {
            base.*value = given.*value;
        }
    }
    return base;
}

double Dam::reserveMetres() const {
    if (!reserve) {
        return 0;
    }
    return reserve->percent ? reserve->value * damHeight.value_or(0) / 100 : reserve->value;
}

void refuseOtherCode(const DamTexts& texts, DesignCode code) {
    const auto& fields = damFields();
    for (std::size_t i = 0; i < fields.size() && i < texts.size(); ++i) {
        if (!fields[i].usedBy(code) && !isBlank(texts[i])) {
            throw DamError(DamErrorKind::OtherCode, std::string(fields[i].name), texts[i]);
        }
    }
}

namespace {

TitleBlock readTitle(const DamReader& r) {
    TitleBlock title;
    for (const auto& [name, value] : kTitleFields) {
        title.*value = r.trimmed(name).value_or("");
    }
    if (const auto date = r.trimmed("date")) {
        const auto read = bookDate(*date);
        if (!read) {
            r.fail(DamErrorKind::NotADate, "date");
        }
        title.date = *read;
    }
    return title;
}

}  // namespace

std::optional<bool> yesOrNo(std::string_view text) {
    const std::string key = lowerAscii(trimBlanks(text));
    for (const std::string_view yes : {"yes", "1", "true", "是"}) {
        if (key == yes) {
            return true;
        }
    }
    for (const std::string_view no : {"", "no", "0", "false", "否"}) {
        if (key == no) {
            return false;
        }
    }
    return std::nullopt;
}

DikeBlock readDikeBlock(const DamTexts& texts) {
    refuseOtherCode(texts, DesignCode::Dike);
    const DamReader r(texts);
    DikeBlock block;
    block.title = readTitle(r);
    block.step = r.positive("step").value_or(kDefaultStep);
    const auto smooth = yesOrNo(damText(texts, "smooth"));
    if (!smooth) {
        r.fail(DamErrorKind::NotYesOrNo, "smooth");
    }
    block.smooth = *smooth;
    block.worked = r.trimmed("worked").value_or("");
    // Only a dike that must not be overtopped is computed.
    const std::string overtopping = lowerAscii(trimBlanks(damText(texts, "overtopping")));
    if (overtopping != "not allowed" && overtopping != "不允许" && overtopping != "不允许越浪" &&
        yesOrNo(overtopping) != false) {
        r.fail(DamErrorKind::Overtopped, "overtopping");
    }
    return block;
}

Dam readDam(const DamTexts& texts) {
    refuseOtherCode(texts, DesignCode::Dam);
    const DamReader r(texts);
    Dam dam;
    dam.title = readTitle(r);
    dam.wall = r.positive("wall");
    dam.damHeight = r.positive("dam_height");
    dam.step = r.positive("step").value_or(kDefaultStep);
    dam.crest = r.number("crest");
    dam.wallTop = r.number("wall_top");
    if (dam.wallTop && !dam.wall) {
        r.fail(DamErrorKind::NeedsOther, "wall_top", "wall");
    }
    dam.existingCrest = r.number("existing_crest");
    dam.existingWallTop = r.number("existing_wall_top");
    if (dam.existingWallTop && !dam.wall) {
        r.fail(DamErrorKind::NeedsOther, "existing_wall_top", "wall");
    }
    if (dam.existingCrest && dam.existingWallTop &&
        *dam.existingCrest > *dam.existingWallTop + kLevelTolerance) {
        r.fail(DamErrorKind::AboveOther, "existing_crest", "existing_wall_top");
    }
    dam.reserve = r.reserve("settlement");
    if (dam.reserve && dam.reserve->percent && !dam.damHeight) {
        r.fail(DamErrorKind::NeedsOther, "settlement", "dam_height");
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

double toMicrometre(double metres) {
    return std::round(metres * 1e6) / 1e6;
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

HighestLevels highestLevels(const Evaluation& ev) {
    HighestLevels h;
    if (ev.results.empty()) {
        h.why = Unsettled::NoConditions;
        return h;
    }
    if (!ev.failures.empty()) {
        h.why = Unsettled::Failures;
        return h;
    }
    for (std::size_t i = 0; i < ev.results.size(); ++i) {
        const Result& r = ev.results[i];
        if (!r.crest) {
            continue;
        }
        const double level = *r.condition.level;
        if (!h.plusY || *r.crest > *ev.results[*h.plusY].crest) {
            h.plusY = i;
        }
        auto& group = isAbnormal(r.condition.operation) ? h.abnormal : h.normal;
        if (!group || level > *ev.results[*group].condition.level) {
            group = i;
        }
    }
    if (!h.plusY) {
        h.why = Unsettled::NoLevel;
    }
    return h;
}

std::vector<CrestBound> levelBounds(const Evaluation& ev, const HighestLevels& h) {
    std::vector<CrestBound> out;
    const auto bound = [&](CrestRule rule, std::optional<std::size_t> i, double above) {
        if (i) {
            const double level = *ev.results[*i].condition.level;
            out.push_back({rule, level, toMicrometre(level + above), i, WallRules::standing});
        }
    };
    bound(CrestRule::AboveNormalLevel, h.normal, WallRules::aboveNormal);
    bound(CrestRule::AboveAbnormalLevel, h.abnormal, WallRules::aboveAbnormal);
    return out;
}

Settlement settleCrest(const Evaluation& ev, const Dam& dam) {
    Settlement s;
    const HighestLevels h = highestLevels(ev);
    if (!h.plusY) {
        s.why = h.why;
        return s;
    }
    Settled out;
    out.highest = *h.plusY;
    out.highestLevelPlusY = *ev.results[out.highest].crest;
    out.step = dam.step;
    if (!dam.wall) {
        out.bounds.push_back({CrestRule::HighestLevelPlusY, out.highestLevelPlusY,
                              out.highestLevelPlusY, h.plusY, Standing::Confirmed});
    } else {
        out.wallTop = adopt(out.highestLevelPlusY, dam.wallTop, dam.step);
        // The wall must reach its top from the crest it stands on: the adopted top, or the
        // required one where a typed top falls short of it, the higher and so the safe side.
        const bool fromRequired = !out.wallTop->met;
        const double top = fromRequired ? out.wallTop->required : out.wallTop->value;
        out.bounds.push_back(
            {fromRequired ? CrestRule::RequiredWallTopLessWall : CrestRule::WallTopLessWall, top,
             toMicrometre(top - *dam.wall), std::nullopt, Standing::Confirmed});
        for (const CrestBound& b : levelBounds(ev, h)) {
            out.bounds.push_back(b);
        }
    }
    for (std::size_t i = 1; i < out.bounds.size(); ++i) {
        if (out.bounds[i].value > out.bounds[out.leading].value + kLevelTolerance) {
            out.leading = i;
        }
    }
    out.crest = adopt(out.bounds[out.leading].value, dam.crest, dam.step);
    // What stands has settled: no reserve enters a check, nor the raise proposed in one.
    out.reserve = dam.isCheck() ? 0 : dam.reserveMetres();
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
