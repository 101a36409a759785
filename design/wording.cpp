#include "kelnor/design/wording.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "figures.h"
#include "kelnor/design/tables.h"
#include "kelnor/text/text.h"
#include "kelnor/text/words.h"

namespace kelnor::design {

namespace {

struct ColumnName {
    std::string_view column;
    std::string_view zh;
};

// In the order of conditionColumns().
constexpr std::array<ColumnName, 22> kColumnNames = {{
    {"case", "工况名称"},
    {"level", "静水位（m）"},
    {"depth", "坝前水深 H（m）"},
    {"mean_depth", "风区平均水深 Hm（m）"},
    {"wind", "计算风速 W（m/s）"},
    {"wind_max", "多年平均年最大风速（m/s）"},
    {"wind_factor", "风速倍数"},
    {"fetch", "吹程 D（km）"},
    {"angle", "风向与坝轴线法线夹角 β（°）"},
    {"slope", "上游坡 1:m"},
    {"roughness", "糙率及渗透性系数 KΔ"},
    {"kw", "经验系数 Kw"},
    {"formula", "波浪要素公式"},
    {"grade", "坝的级别"},
    {"operation", "运用条件"},
    {"region", "地区"},
    {"frequency", "设计爬高累积频率 P"},
    {"allowance", "安全加高 A（m）"},
    {"extra", "附加高度（m）"},
    {"surge", "地震涌浪高度（m）"},
    {"quake_settlement", "地震附加沉陷（m）"},
    {"fetch_rays", "等效吹程射线长度（km）"},
}};

// Said of every check that is this program's own and not the code's.
constexpr std::string_view kOwnCheck = "（此判别为本程序所加，非规范条文）";

}  // namespace

std::string_view columnZh(std::string_view column) noexcept {
    for (const auto& c : kColumnNames) {
        if (c.column == column) {
            return c.zh;
        }
    }
    return {};
}

std::string_view formulaZh(WaveFormula f) noexcept {
    static constexpr Word<WaveFormula> kNames[] = {{WaveFormula::Putian, "莆田试验站公式"},
                                                   {WaveFormula::Hedi, "鹤地水库公式"},
                                                   {WaveFormula::Guanting, "官厅水库公式"}};
    return wordFor(f, kNames);
}

std::string_view formulaShortZh(WaveFormula f) noexcept {
    static constexpr Word<WaveFormula> kNames[] = {{WaveFormula::Putian, "莆田"},
                                                   {WaveFormula::Hedi, "鹤地"},
                                                   {WaveFormula::Guanting, "官厅"}};
    return wordFor(f, kNames);
}

std::string gradeZh(int grade) {
    return std::to_string(grade) + " 级";
}

std::string_view operationZh(Operation o) noexcept {
    static constexpr Word<Operation> kNames[] = {{Operation::Normal, "正常运用"},
                                                 {Operation::Abnormal, "非常运用"},
                                                 {Operation::Earthquake, "地震情况"}};
    return wordFor(o, kNames);
}

std::string fxTelling(double value, double limit, int decimals) {
    // A value beside its bound shows as many decimals as it takes to tell the two apart, so
    // that "m = 5.000 超出 5" never reads as a contradiction.
    int d = decimals;
    for (; d < 17 && value != limit; ++d) {
        char buf[64];
        const int n = std::snprintf(buf, sizeof buf, "%.*f", d, value);
        if (n < 0 || n >= static_cast<int>(sizeof buf)) {
            break;  // a value so large that its decimals tell nothing
        }
        double shown = 0;
        std::from_chars(buf, buf + n, shown);
        if ((shown - limit) * (value - limit) > 0) {
            break;
        }
    }
    return fx(value, d);
}

std::string_view regionZh(Region r) noexcept {
    return r == Region::Mountain ? "山区、丘陵区" : "平原、滨海区";
}

std::string rowZh(int row) {
    return "第 " + std::to_string(row) + " 行";
}

std::string conditionNameZh(const Condition& c) {
    if (!c.label.empty()) {
        return c.label;
    }
    return c.row > 0 ? rowZh(c.row) : "工况";
}

std::string failureZh(const ConditionError& e) {
    static constexpr Word<ConditionErrorKind> kFailures[] = {
        {ConditionErrorKind::Missing, "缺少必填项 {col}。"},
        {ConditionErrorKind::NotANumber, "{col} 的 {text} 不是数值。"},
        {ConditionErrorKind::TooLarge, "{col} 的 {text} 数值过大。"},
        {ConditionErrorKind::NotPositive, "{col} 的 {text} 应大于 0。"},
        {ConditionErrorKind::Negative, "{col} 的 {text} 不应小于 0。"},
        {ConditionErrorKind::UnknownChoice, "{col} 的 {text} 不是可选之值。"},
        {ConditionErrorKind::OutsideTable, "累积频率 {text} 超出 Kp 表（{pLow}%～{pHigh}%）。"},
        {ConditionErrorKind::AngleTooLarge, "风向夹角 {text} 应小于 90°。"},
        {ConditionErrorKind::UnknownColumn, "未知列 {col}。"},
        {ConditionErrorKind::NotFinite, "计算结果超出双精度数范围。"},
        {ConditionErrorKind::BothGiven,
         "{col} 的 {text} 与 {other} 的 {otherText} 只能填一项{which}。"},
        {ConditionErrorKind::NeedsOther, "{col} 的 {text} 须与 {other} 同时填写。"},
        {ConditionErrorKind::NotForOperation,
         "{col} 的 {text} 只用于地震情况，本工况 {other} 为 {otherText}。"},
        {ConditionErrorKind::NotForDike, "{col} 的 {text} 不用于堤防：堤防规范只用莆田公式。"},
        {ConditionErrorKind::RayCount,
         "{col} 的 {text} 有 {rays} 个距离，应为 13 个（间隔 7.5°）或 7 个（间隔 "
         "15°，初步设计）。"},
    };
    // A missing value another column can stand for names that column too.
    static constexpr std::string_view kMissingOr = "缺少必填项 {col}（或填 {other}）。";
    std::string out = e.row() > 0 ? rowZh(e.row()) : "";
    if (!e.label().empty()) {
        out += "（" + e.label() + "）";
    }
    const bool missingOr = e.kind() == ConditionErrorKind::Missing && !e.otherColumn().empty();
    return out + "：" +
           fillIn(missingOr ? kMissingOr : wordFor(e.kind(), kFailures),
                  {{"col", e.column()},
                   {"text", "“" + e.text() + "”"},
                   {"other", e.otherColumn()},
                   {"otherText", "“" + e.otherText() + "”"},
                   {"pLow", plain(kKpColumns.front())},
                   {"pHigh", plain(kKpColumns.back())},
                   {"rays", std::to_string(rayTexts(e.text()).size())},
                   {"which", e.column() == "fetch" ? "（吹程或由射线长度推求等效吹程）"
                                                   : "（计算风速或由年最大风速推求）"}});
}

std::string warningZh(const Warning& w) {
    // Worded once per kind, with blanks for the figures filled in below.
    static constexpr Word<WarningKind> kWarnings[] = {
        {WarningKind::HediWind, "鹤地公式适用于 W < {l} m/s，本工况 W = {v} m/s。"},
        {WarningKind::HediFetch, "鹤地公式适用于 D < {l} km，本工况 D = {v} km。"},
        {WarningKind::GuantingWind, "官厅公式适用于 W < {l} m/s，本工况 W = {v} m/s。"},
        {WarningKind::GuantingFetch, "官厅公式适用于 D < {l} km，本工况 D = {v} km。"},
        {WarningKind::GuantingGd,
         "官厅公式适用于 gD/W² = {gdLow}～{gdHigh}，本工况 gD/W² = {v1}。"},
        {WarningKind::SlopeAboveFive,
         "平均爬高公式适用于 m = {mLow}～{mHigh}，本工况 m = {v}，超出适用范围。"},
        {WarningKind::KwExtrapolated, "W/√(gH) = {v} 超出 Kw 表末点 {l}，取 Kw = {kw}。"},
        {WarningKind::RatioExtrapolated, "hm/Hm = {v} 超出 hp/hm 表末行 {l}，取末行之值。"},
        {WarningKind::WavesBreak,
         "hm/H = {v4}，{deep}·hm ≥ "
         "{breaking}·H，坝前波浪可能破碎{own}，爬高公式的适用性需另行论证。"},
        {WarningKind::AngleBeyondTable,
         "β = {v}° 超出 Kβ 表（{betaLow}～{betaHigh}°），取 Kβ = {kbeta}。"},
        {WarningKind::FetchTooLong,
         "吹程 D = {v} km，大于 {l} km{own}，请核对是否误以 m 为单位输入。"},
        {WarningKind::SetupTooHigh,
         "风壅水面高 e = {v4} m，大于风区平均水深 Hm 的 {share} 倍 {l3} m{own}，"
         "请核对吹程、风速与水深。"},
        {WarningKind::DepthTooShallow, "坝前水深 H = {v} m，小于 {l} m{own}，请核对输入。"},
        {WarningKind::MeanDepthTooShallow,
         "风区平均水深 Hm = {v} m，小于 {l} m{own}，请核对输入。"},
        {WarningKind::WindFactorOutside,
         "风速倍数 {factor} 不在 {kLow}～{kHigh} 之间（正常运用 {kNormal}～{kHighest} 倍，"
         "非常运用 {kAbnormal} 倍），请核对。"},
        {WarningKind::WindFactorBelowNormal,
         "正常运用条件下风速倍数应取 {kNormal}～{kHighest}，本工况取 {factor}，请核对。"},
        {WarningKind::RoughnessAboveSmooth, "KΔ = {vt} 大于光滑不透水护面之值 {l}，请核对。"},
        {WarningKind::SurgeOutside,
         "地震涌浪高度 {vt} m 不在 {surgeLow}～{surgeHigh} m 之间，请核对。"},
        {WarningKind::WavesNotSteep,
         "波陡 H/L = {v4} 小于 {l}，爬高公式适用于 H/L ≥ {l}，请核对。"},
        {WarningKind::DurationToCheck, "吹程 {v1} km 大于 {l} km，应复核风时是否满足最小风时。"},
        {WarningKind::AllowanceAboveGrade1, "1 级堤防安全加高 {vt} m 大于 {l} m，请核对。"},
        {WarningKind::ChainageBackwards, "桩号 {vp} m 小于前一断面的 {l} m，断面按所填次序排列。"},
        {WarningKind::ChainageUnread, "断面名称像桩号，但读不出里程（应如 K1+250），请核对。"},
    };
    return fillIn(wordFor(w.kind, kWarnings), {{"v", fxTelling(w.value, w.limit, 3)},
                                               {"vt", fxTelling(w.value, w.limit, 2)},
                                               {"surgeLow", tv(SurgeRange::low)},
                                               {"surgeHigh", tv(SurgeRange::high)},
                                               {"v1", fx(w.value, 1)},
                                               {"vp", plain(w.value)},
                                               {"v4", fxTelling(w.value, w.limit, 4)},
                                               {"l", plain(w.limit)},
                                               {"l3", fx(w.limit, 3)},
                                               {"own", kOwnCheck},
                                               {"gdLow", plain(Limits::guantingGdLow)},
                                               {"gdHigh", plain(Limits::guantingGdHigh)},
                                               {"mLow", fx(Limits::gentleSlopeLow, 1)},
                                               {"mHigh", fx(Limits::gentleSlopeHigh, 1)},
                                               {"kw", tv(kwTable().back().y)},
                                               {"deep", coefficient(Limits::deepWaterRatio1)},
                                               {"breaking", coefficient(Limits::breakingRatio)},
                                               {"betaLow", plain(kbetaTable().front().x)},
                                               {"betaHigh", plain(kbetaTable().back().x)},
                                               {"kbeta", tv(kbetaTable().back().y)},
                                               {"share", coefficient(Limits::setupShareOfHm)},
                                               {"factor", factor(w.value)},
                                               {"kLow", tv(WindFactors::low)},
                                               {"kHigh", tv(WindFactors::high)},
                                               {"kNormal", tv(WindFactors::normal)},
                                               {"kHighest", tv(WindFactors::normalHighest)},
                                               {"kAbnormal", tv(WindFactors::abnormal)}});
}

std::string damFailureZh(const DamError& e) {
    static constexpr Word<DamErrorKind> kFailures[] = {
        {DamErrorKind::UnknownName, "表头上方的 {name} 一行不是坝的参数（可填 {names}）。"},
        {DamErrorKind::Repeated, "坝的参数 {field} 填了两次。"},
        {DamErrorKind::NotANumber, "坝的参数 {field} 的 {text} 不是数值。"},
        {DamErrorKind::TooLarge, "坝的参数 {field} 的 {text} 数值过大。"},
        {DamErrorKind::NotPositive, "坝的参数 {field} 的 {text} 应大于 0。"},
        {DamErrorKind::Negative, "坝的参数 {field} 的 {text} 不应小于 0。"},
        {DamErrorKind::NeedsOther, "坝的参数 {field} 的 {text} 须与 {other} 同时填写。"},
        {DamErrorKind::NotADate, "日期 {text} 不是 YYYY-MM-DD 形式的日期。"},
        {DamErrorKind::AboveOther, "坝的参数 {field} 的 {text} 高于 {other}。"},
        {DamErrorKind::UnknownCode, "规范 {text} 不是 SL 274 或 GB 50286。"},
        {DamErrorKind::OtherCode, "{field} 不是本规范计算的参数（坝与堤防的参数不同）。"},
        {DamErrorKind::NotYesOrNo, "{field} 的 {text} 应填“是”或“否”。"},
        {DamErrorKind::Overtopped,
         "允许越浪的堤防应按越浪量设计（GB 50286），另作专门研究；本程序只计算不允许越浪的堤防。"},
    };
    const auto captionOf = [](std::string_view name) {
        const auto i = damFieldIndex(name);
        return i ? std::string(damFields()[*i].captionZh) + "（" + std::string(name) + "）"
                 : std::string(name);
    };
    std::string names;
    for (const DamField& f : damFields()) {
        names += names.empty() ? "" : "、";
        names += f.name;
    }
    return fillIn(wordFor(e.kind(), kFailures), {{"name", "“" + e.name() + "”"},
                                                 {"field", captionOf(e.name())},
                                                 {"text", "“" + e.text() + "”"},
                                                 {"other", captionOf(e.other())},
                                                 {"names", names}});
}

std::string crestRuleZh(CrestRule rule) {
    switch (rule) {
        case CrestRule::HighestLevelPlusY:
            return "各工况静水位 + y 之最大值";
        case CrestRule::WallTopLessWall:
            return "坝顶高程不低于防浪墙顶高程减防浪墙高度";
        case CrestRule::RequiredWallTopLessWall:
            return "坝顶高程不低于要求防浪墙顶高程减防浪墙高度";
        case CrestRule::AboveNormalLevel:
            return "坝顶高程高出正常运用最高静水位 " + tv(WallRules::aboveNormal) + " m";
        case CrestRule::AboveAbnormalLevel:
            return "坝顶高程不低于非常运用最高静水位";
    }
    return {};
}

std::string_view unsettledZh(Unsettled why) {
    static constexpr Word<Unsettled> kWhy[] = {
        {Unsettled::None, ""},
        {Unsettled::NoConditions, "无可计算的工况，坝顶高程未定。"},
        {Unsettled::NoLevel, "各工况均未给静水位，坝顶高程未定。"},
        {Unsettled::Failures, "有工况未能计算，它可能是控制工况，坝顶高程未定。"},
    };
    return wordFor(why, kWhy);
}

std::string adoptedZh(double level, double step) {
    return fx(level, std::clamp(stepDecimals(step), 2, 6));
}

std::string_view metZh(bool met) noexcept {
    return met ? "满足" : "不满足";
}

std::string settledZh(const Settled& s, const Dam& dam) {
    const auto adopted = [&](std::string_view what, const Adopted& a) {
        return std::string(what) + " " + adoptedZh(a.value, dam.step) + " m" +
               (a.met ? "" : "（低于要求值 " + fx(a.required, 3) + " m）");
    };
    std::string out = adopted("采用坝顶高程", s.crest);
    if (s.wallTop) {
        out += "，" + adopted("防浪墙顶高程", *s.wallTop);
    }
    if (s.reserve > 0) {
        out += "，竣工坝顶高程 " + fx(s.asBuilt, 3) + " m";
    }
    return out + "，" + std::string(metZh(s.met())) + "。";
}

std::string marginZh(const Margin& m) {
    // A margin that three decimals would print as 0.000 is shown to the micrometre, so a
    // shortfall never reads as none.
    const int decimals = std::fabs(m.margin) < 0.0005 && m.margin != 0 ? 6 : 3;
    return std::string(m.met ? "富裕 " : "不足 ") + fx(std::fabs(m.margin), decimals);
}

std::string_view checkedLevelZh(const DamCheck& c) noexcept {
    return c.wallTop ? "现状防浪墙顶" : "现状坝顶";
}

std::string checkConclusionZh(const Evaluation& ev, const DamCheck& c) {
    const ConditionCheck& g = c.conditions[c.governing];
    std::string out = "复核结论：" + std::string(metZh(c.met())) + "。控制工况 " +
                      conditionNameZh(ev.results[g.result].condition) + " 要求" +
                      (c.wallTop ? "防浪墙顶" : "坝顶") + "高程 " + fx(g.margin.required, 3) +
                      " m，" + std::string(checkedLevelZh(c)) + "高程 " + fx(g.margin.existing, 2) +
                      " m，" + marginZh(g.margin) + " m";
    for (const RuleCheck& r : c.rules) {
        if (!r.margin.met) {
            out += "；" + crestRuleZh(r.bound.rule) + "（" +
                   conditionNameZh(ev.results[*r.bound.condition].condition) + "），要求 " +
                   fx(r.margin.required, 3) + " m，现状坝顶高程 " + fx(r.margin.existing, 2) +
                   " m，" + marginZh(r.margin) + " m";
        }
    }
    const auto raise = [&](std::string_view what, double by) {
        if (by > 0) {
            out += "；" + std::string(what) + "需加高 " + adoptedZh(by, c.step) + " m";
        }
    };
    raise(c.wallTop ? "防浪墙" : "坝顶", c.wallTop ? c.wallRaise : c.crestRaise);
    if (c.wallTop) {
        raise("坝顶", c.crestRaise);
    }
    return out + "。";
}

std::string_view governingRuleZh(GoverningRule rule) noexcept {
    static constexpr Word<GoverningRule> kRules[] = {
        {GoverningRule::None, "无可计算的工况。"},
        {GoverningRule::HighestCrest, "各工况坝顶高程中最高者为控制工况（★）。"},
        {GoverningRule::CrestOfThoseWithLevel,
         "部分工况未给静水位，控制工况（★）取给出静水位各工况中坝顶高程最高者；"
         "未给静水位的工况只列坝顶超高。"},
        {GoverningRule::HighestY, "各工况均未给静水位，控制工况（★）取坝顶超高 y 最大者。"}};
    return wordFor(rule, kRules);
}

}  // namespace kelnor::design
