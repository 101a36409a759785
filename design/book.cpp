#include "kelnor/design/book.h"

#include <cmath>
#include <cstdio>

namespace kelnor::design {

namespace {

// A number with a fixed count of decimals, "−" for negatives as printed tables write it.
std::string fx(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    if (s == "-0" || s.rfind("-0.", 0) == 0) {
        bool zero = true;
        for (const char c : s) {
            zero = zero && (c == '-' || c == '0' || c == '.');
        }
        if (zero) {
            s.erase(0, 1);
        }
    }
    if (!s.empty() && s[0] == '-') {
        s.replace(0, 1, "−");
    }
    return s;
}

// A table's x or y as the table prints it: up to three decimals, trailing zeros dropped
// except for two decimals on coefficients.
std::string tv(double v) {
    std::string s = fx(v, 3);
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 3] != '.') {
        s.pop_back();
    }
    return s;
}

// A table's row or column key without trailing zeros: 0, 0.1, 2.5.
std::string plain(double v) {
    std::string s = fx(v, 3);
    while (s.back() == '0') {
        s.pop_back();
    }
    if (s.back() == '.') {
        s.pop_back();
    }
    return s;
}

std::string pc(double P) {
    return plain(P) + " %";
}

const char* kCss = R"(
@page { size: A4; margin: 16mm 15mm 16mm 15mm; }
* { box-sizing: border-box; }
body { font-family: "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Source Han Sans SC",
       "Microsoft YaHei", "SimSun", sans-serif; font-size: 9.5pt; line-height: 1.4;
       color: #111; margin: 0; }
h1 { font-size: 18pt; text-align: center; margin: 0 0 2mm 0; letter-spacing: 0.2em; }
.subtitle { text-align: center; margin: 0 0 6mm 0; color: #333; }
h2 { font-size: 13pt; border-bottom: 1.5pt solid #222; padding-bottom: 1mm; margin: 6mm 0 3mm 0;
     break-after: avoid; }
h3 { font-size: 11pt; margin: 5mm 0 2mm 0; break-after: avoid; }
table { border-collapse: collapse; width: 100%; margin: 1mm 0 3mm 0; }
th, td { border: 0.6pt solid #555; padding: 0.6mm 1.4mm; vertical-align: top; }
th { background: #e8e8e8; font-weight: bold; text-align: center; }
tr { break-inside: avoid; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td.f { font-family: "DejaVu Serif", "Times New Roman", serif; }
.steps td:nth-child(1) { width: 13%; }
.steps td:nth-child(2) { width: 30%; }
.steps td:nth-child(4) { width: 13%; }
.note { color: #333; font-size: 9pt; }
td.name { white-space: nowrap; }
.warn { color: #8a4b00; }
.fail { color: #a00000; }
tr.gov td { font-weight: bold; background: #f3f3f3; }
.mark { font-weight: bold; }
.newpage { break-before: page; }
.keep { break-inside: avoid; }
.condition h3 { border-bottom: 0.8pt solid #222; padding-bottom: 0.6mm; }
ul { margin: 1mm 0 3mm 0; padding-left: 6mm; }
li { margin: 0.5mm 0; }
)";

std::string operationZh(Operation o) {
    return o == Operation::Normal ? "正常运用" : "非常运用";
}
std::string regionZh(Region r) {
    return r == Region::Mountain ? "山区、丘陵区" : "平原、滨海区";
}
std::string formulaZh(WaveFormula f) {
    switch (f) {
        case WaveFormula::Putian:
            return "莆田试验站公式";
        case WaveFormula::Hedi:
            return "鹤地水库公式";
        case WaveFormula::Guanting:
            return "官厅水库公式";
    }
    return {};
}

std::string shortFormulaZh(WaveFormula f) {
    switch (f) {
        case WaveFormula::Putian:
            return "莆田";
        case WaveFormula::Hedi:
            return "鹤地";
        case WaveFormula::Guanting:
            return "官厅";
    }
    return {};
}

std::string gradeZh(int grade) {
    static const char* const numerals[] = {"", "1", "2", "3", "4", "5"};
    return std::string(numerals[grade]) + " 级";
}

std::string conditionName(const Condition& c) {
    if (!c.label.empty()) {
        return escapeHtml(c.label);
    }
    return c.row > 0 ? "第 " + std::to_string(c.row) + " 行" : "工况";
}

// How a value was read from a one-dimensional table.
std::string lookupZh(const Lookup& l, std::string_view xName) {
    const std::string x = std::string(xName);
    if (l.lower.x == l.upper.x) {
        std::string s = "查表 " + x + " = " + tv(l.lower.x) + " 一栏：" + tv(l.lower.y) + " " +
                        std::string(standingMark(l.lower.standing));
        if (l.beyondLow || l.beyondHigh) {
            s += "（" + x + " = " + fx(l.x, 3) + " 在表外，取表端值）";
        }
        return s;
    }
    return "在表中 " + x + " = " + tv(l.lower.x) + "（" + tv(l.lower.y) + " " +
           std::string(standingMark(l.lower.standing)) + "）与 " + tv(l.upper.x) + "（" +
           tv(l.upper.y) + " " + std::string(standingMark(l.upper.standing)) + "）之间线性内插：" +
           tv(l.lower.y) + " + (" + tv(l.upper.y) + " − " + tv(l.lower.y) + ") × (" + fx(l.x, 4) +
           " − " + tv(l.lower.x) + ") / (" + tv(l.upper.x) + " − " + tv(l.lower.x) + ")";
}

std::string ratioZh(const RatioLookup& r) {
    std::size_t col = 0;
    while (kRatioColumns[col] != r.P) {
        ++col;
    }
    const auto cell = [&](const RatioRow* row) {
        return tv(row->ratio[col]) + " " + std::string(standingMark(row->standing));
    };
    if (r.lower == r.upper) {
        std::string s = "hp/hm 表 hm/Hm = " + plain(r.lower->hmOverHm) + " 行、P = " + pc(r.P) +
                        " 列：" + cell(r.lower);
        if (r.beyondHigh) {
            s += "（hm/Hm 超出表列，取末行）";
        }
        return s;
    }
    return "hp/hm 表 P = " + pc(r.P) + " 列，在 hm/Hm = " + plain(r.lower->hmOverHm) + "（" +
           cell(r.lower) + "）与 " + plain(r.upper->hmOverHm) + "（" + cell(r.upper) +
           "）之间按 hm/Hm = " + fx(r.hmOverHm, 4) + " 线性内插";
}

std::string kpZh(const KpLookup& k) {
    const auto cell = [&](std::size_t i) {
        return tv(k.row->kp[i]) + " " + std::string(standingMark(k.row->standing[i]));
    };
    const std::string band = "Kp 表 " + escapeHtml(k.row->label) + " 一档";
    if (k.left == k.right) {
        return band + "、P = " + pc(kKpColumns[k.left]) + " 列：" + cell(k.left);
    }
    return band + "，在 P = " + pc(kKpColumns[k.left]) + "（" + cell(k.left) + "）与 " +
           pc(kKpColumns[k.right]) + "（" + cell(k.right) + "）之间按 P = " + pc(k.P) + " 线性内插";
}

std::string warningZh(const Warning& w) {
    const std::string v = fx(w.value, 3);
    const std::string l = plain(w.limit);
    switch (w.kind) {
        case WarningKind::HediWind:
            return "鹤地公式适用于 W < " + l + " m/s，本工况 W = " + v + " m/s。";
        case WarningKind::HediFetch:
            return "鹤地公式适用于 D < " + l + " km，本工况 D = " + v + " km。";
        case WarningKind::GuantingWind:
            return "官厅公式适用于 W < " + l + " m/s，本工况 W = " + v + " m/s。";
        case WarningKind::GuantingFetch:
            return "官厅公式适用于 D < " + l + " km，本工况 D = " + v + " km。";
        case WarningKind::GuantingGd:
            return "官厅公式适用于 gD/W² = 20～1000，本工况 gD/W² = " + fx(w.value, 1) + "。";
        case WarningKind::SlopeAboveFive:
            return "平均爬高公式适用于 m = 1.5～5.0，本工况 m = " + v + "，超出适用范围。";
        case WarningKind::KwExtrapolated:
            return "W/√(gH) = " + v + " 超出 Kw 表末点 " + l + "，取 Kw = 1.30。";
        case WarningKind::RatioExtrapolated:
            return "hm/Hm = " + v + " 超出 hp/hm 表末行 " + l + "，取末行之值。";
        case WarningKind::WavesBreak:
            return "hm/H = " + fx(w.value, 4) + "，2.42·hm ≥ 0.78·H，坝前波浪可能破碎" +
                   "（此判别为本程序所加，非规范条文），爬高公式的适用性需另行论证。";
        case WarningKind::AngleBeyondTable:
            return "β = " + v + "° 超出 Kβ 表（0～60°），取 Kβ = 0.76。";
    }
    return {};
}

std::string failureZh(const ConditionError& e) {
    const std::string col = escapeHtml(e.column());
    const std::string text = "“" + escapeHtml(e.text()) + "”";
    switch (e.kind()) {
        case ConditionErrorKind::Missing:
            return "缺少必填项 " + col + "。";
        case ConditionErrorKind::NotANumber:
            return col + " 的 " + text + " 不是数值。";
        case ConditionErrorKind::TooLarge:
            return col + " 的 " + text + " 数值过大。";
        case ConditionErrorKind::NotPositive:
            return col + " 的 " + text + " 应大于 0。";
        case ConditionErrorKind::Negative:
            return col + " 的 " + text + " 不应小于 0。";
        case ConditionErrorKind::UnknownChoice:
            return col + " 的 " + text + " 不是可选之值。";
        case ConditionErrorKind::OutsideTable:
            return "累积频率 " + text + " 超出 Kp 表（0.1%～50%）。";
        case ConditionErrorKind::AngleTooLarge:
            return "风向夹角 " + text + " 应小于 90°。";
        case ConditionErrorKind::UnknownColumn:
            return "未知列 " + col + "。";
        case ConditionErrorKind::NotFinite:
            return "计算结果超出双精度数范围。";
    }
    return {};
}

class Html {
  public:
    Html& operator<<(std::string_view s) {
        out_ += s;
        return *this;
    }
    std::string& str() { return out_; }

    void step(std::string_view name, std::string_view formula, std::string_view values,
              std::string_view result, std::string_view basis = "") {
        *this << "<tr><td>" << name << "</td><td class=\"f\">" << formula << "</td><td class=\"f\">"
              << values << "</td><td class=\"num\">" << result << "</td><td class=\"note\">"
              << basis << "</td></tr>\n";
    }

  private:
    std::string out_;
};

void inputsTable(Html& h, const Evaluation& ev) {
    h << "<table><tr><th>项目</th>";
    for (const auto& r : ev.results) {
        h << "<th>" << conditionName(r.condition) << "</th>";
    }
    h << "</tr>\n";
    const auto row = [&](std::string_view name, auto&& cell) {
        h << "<tr><td>" << name << "</td>";
        for (const auto& r : ev.results) {
            h << "<td class=\"num\">" << cell(r.condition) << "</td>";
        }
        h << "</tr>\n";
    };
    const auto opt = [](const std::optional<double>& v, int d, std::string_view none) {
        return v ? fx(*v, d) : std::string(none);
    };
    row("静水位（m）", [&](const Condition& c) { return opt(c.level, 2, "—"); });
    row("坝前水深 H（m）", [](const Condition& c) { return fx(c.depth, 2); });
    row("风区平均水深 Hm（m）", [&](const Condition& c) {
        return c.meanDepth ? fx(*c.meanDepth, 2) : fx(c.depth, 2) + "（取 H）";
    });
    row("计算风速 W（m/s）", [](const Condition& c) { return fx(c.wind, 2); });
    row("吹程 D（km）", [](const Condition& c) { return fx(c.fetchKm, 3); });
    row("风向与坝轴线法线夹角 β（°）", [](const Condition& c) { return fx(c.angle, 1); });
    row("上游坡 1:m", [](const Condition& c) { return fx(c.slope, 2); });
    row("糙率及渗透性系数 KΔ", [](const Condition& c) { return fx(c.roughness, 2); });
    row("经验系数 Kw", [&](const Condition& c) { return opt(c.kw, 3, "查表"); });
    row("波浪要素公式", [](const Condition& c) { return formulaZh(c.formula); });
    row("坝的级别", [](const Condition& c) { return gradeZh(c.grade); });
    row("运用条件", [](const Condition& c) { return operationZh(c.operation); });
    row("地区", [](const Condition& c) { return regionZh(c.region); });
    row("设计爬高累积频率 P",
        [](const Condition& c) { return pc(c.P()) + (c.frequency ? "" : "（按级别）"); });
    row("安全加高 A（m）", [&](const Condition& c) { return opt(c.allowance, 2, "查表"); });
    row("附加高度（m）", [](const Condition& c) { return fx(c.extra, 2); });
    h << "</table>\n";
}

void wavesSteps(Html& h, const Result& r) {
    const Condition& c = r.condition;
    const Waves& w = r.waves;
    const std::string W = fx(c.wind, 3);
    const std::string D = fx(c.fetchKm * 1000, 1);
    h.step("无因次吹程", "gD/W²", "9.81 × " + D + " / " + W + "²", fx(w.gD_W2, 3), "D 以 m 计");
    switch (c.formula) {
        case WaveFormula::Putian: {
            h.step("无因次水深", "gHm/W²", "9.81 × " + fx(c.Hm(), 3) + " / " + W + "²",
                   fx(w.gHm_W2, 4));
            const double a = 0.13 * std::tanh(0.7 * std::pow(w.gHm_W2, 0.7));
            h.step("莆田公式", "a = 0.13·th[0.7·(gHm/W²)<sup>0.7</sup>]",
                   "0.13 × th[0.7 × " + fx(w.gHm_W2, 4) + "<sup>0.7</sup>]", fx(a, 6));
            h.step("", "ghm/W² = a·th[0.0018·(gD/W²)<sup>0.45</sup> / a]",
                   fx(a, 6) + " × th[0.0018 × " + fx(w.gD_W2, 3) + "<sup>0.45</sup> / " + fx(a, 6) +
                       "]",
                   fx(w.ghm_W2, 6));
            h.step("平均波高", "hm = (ghm/W²)·W²/g", fx(w.ghm_W2, 6) + " × " + W + "² / 9.81",
                   fx(w.hm, 4) + " m");
            h.step("平均波周期", "Tm = 4.438·hm<sup>0.5</sup>",
                   "4.438 × " + fx(w.hm, 4) + "<sup>0.5</sup>", fx(w.Tm, 4) + " s");
            h.step("深水波长", "L0 = g·Tm²/(2π)", "9.81 × " + fx(w.Tm, 4) + "² / (2π)",
                   fx(w.L0, 4) + " m");
            if (w.deepWater) {
                h.step("平均波长", "H ≥ 0.5·L0 时为深水波，Lm = L0",
                       fx(c.depth, 3) + " ≥ 0.5 × " + fx(w.L0, 4), fx(w.Lm, 4) + " m");
            } else {
                h.step("平均波长", "Lm = L0·th(2πH/Lm)，迭代求解",
                       fx(w.L0, 4) + " × th(2π × " + fx(c.depth, 3) + " / " + fx(w.Lm, 4) + ")",
                       fx(w.Lm, 4) + " m", "H < 0.5·L0，非深水波；解至双精度");
            }
            break;
        }
        case WaveFormula::Hedi:
        case WaveFormula::Guanting: {
            const bool hedi = c.formula == WaveFormula::Hedi;
            const std::string hp = "h<sub>" + plain(w.hpP) + "%</sub>";
            if (hedi) {
                h.step("鹤地公式", hp + " = 0.00625·W<sup>1/6</sup>·(gD/W²)<sup>1/3</sup>·W²/g",
                       "0.00625 × " + W + "<sup>1/6</sup> × " + fx(w.gD_W2, 3) +
                           "<sup>1/3</sup> × " + W + "² / 9.81",
                       fx(w.hp, 4) + " m");
                h.step("", "Lm = 0.0386·(gD/W²)<sup>1/2</sup>·W²/g",
                       "0.0386 × " + fx(w.gD_W2, 3) + "<sup>1/2</sup> × " + W + "² / 9.81",
                       fx(w.Lm, 4) + " m");
            } else {
                h.step("官厅公式", hp + " = 0.0076·W<sup>−1/12</sup>·(gD/W²)<sup>1/3</sup>·W²/g",
                       "0.0076 × " + W + "<sup>−1/12</sup> × " + fx(w.gD_W2, 3) +
                           "<sup>1/3</sup> × " + W + "² / 9.81",
                       fx(w.hp, 4) + " m",
                       w.hpP == 5 ? "gD/W² ≤ 250，所得为 h<sub>5%</sub>"
                                  : "gD/W² > 250，所得为 h<sub>10%</sub>");
                h.step("", "Lm = 0.331·W<sup>−1/2.15</sup>·(gD/W²)<sup>1/3.75</sup>·W²/g",
                       "0.331 × " + W + "<sup>−1/2.15</sup> × " + fx(w.gD_W2, 3) +
                           "<sup>1/3.75</sup> × " + W + "² / 9.81",
                       fx(w.Lm, 4) + " m");
            }
            h.step("平均波高", "hm = " + hp + " / (hp/hm)，hp/hm 按 hm/Hm 查表，迭代至收敛",
                   fx(w.hp, 4) + " / " + fx(w.ratio.value, 4), fx(w.hm, 4) + " m",
                   ratioZh(w.ratio) + "；hm/Hm = " + fx(w.hm, 4) + " / " + fx(c.Hm(), 3) +
                       "；迭代 " + std::to_string(w.iterations) + " 次");
            h.step("平均波周期", "Tm = (2π·Lm/g)<sup>0.5</sup>",
                   "(2π × " + fx(w.Lm, 4) + " / 9.81)<sup>0.5</sup>", fx(w.Tm, 4) + " s",
                   "按深水波关系由 Lm 反算，仅供参考");
            break;
        }
    }
}

void runUpSteps(Html& h, const Result& r) {
    const Condition& c = r.condition;
    const RunUp& u = r.runUp;
    const Waves& w = r.waves;
    h.step("风壅水面高", "e = K·W²·D·cosβ / (2g·Hm)，K = 3.6×10<sup>−6</sup>",
           "3.6×10<sup>−6</sup> × " + fx(c.wind, 3) + "² × " + fx(c.fetchKm * 1000, 1) + " × " +
               fx(r.setupCosBeta, 4) + " / (2 × 9.81 × " + fx(c.Hm(), 3) + ")",
           fx(r.e, 4) + " m");
    h.step("", "W/√(gH)", fx(c.wind, 3) + " / √(9.81 × " + fx(c.depth, 3) + ")",
           fx(u.celerityRatio, 4));
    h.step("经验系数", "Kw", c.kw ? "给定" : "查 Kw 表", fx(u.Kw, 4),
           u.kwLookup ? lookupZh(*u.kwLookup, "W/√(gH)") : std::string("输入值"));
    const std::string KD = fx(c.roughness, 2);
    const std::string Kw = fx(u.Kw, 4);
    const std::string hm = fx(w.hm, 4);
    const auto gentle = [&](double m, double value) {
        h.step("平均爬高（1.5 ≤ m ≤ 5）",
               "Rm = KΔ·Kw·(hm·Lm)<sup>0.5</sup> / (1 + m²)<sup>0.5</sup>",
               KD + " × " + Kw + " × (" + hm + " × " + fx(w.Lm, 4) + ")<sup>0.5</sup> / (1 + " +
                   tv(m) + "²)<sup>0.5</sup>",
               fx(value, 4) + " m");
    };
    const auto steep = [&](const Lookup& r0, double value) {
        h.step("平均爬高（m ≤ 1.25）", "Rm = KΔ·Kw·R0·hm",
               KD + " × " + Kw + " × " + fx(r0.value, 4) + " × " + hm, fx(value, 4) + " m",
               "R0：" + lookupZh(r0, "m"));
    };
    switch (u.form) {
        case SlopeForm::Gentle:
            gentle(c.slope, u.Rm);
            break;
        case SlopeForm::Steep:
            steep(*u.r0Lookup, u.Rm);
            break;
        case SlopeForm::Transition:
            steep(*u.r0At125, u.RmSteep);
            gentle(Limits::gentleSlopeLow, u.RmGentle);
            h.step(
                "平均爬高（1.25 < m < 1.5）",
                "Rm = Rm<sub>1.25</sub> + (Rm<sub>1.5</sub> − Rm<sub>1.25</sub>)·(m − 1.25)/0.25",
                fx(u.RmSteep, 4) + " + (" + fx(u.RmGentle, 4) + " − " + fx(u.RmSteep, 4) + ") × (" +
                    fx(c.slope, 3) + " − 1.25) / 0.25",
                fx(u.Rm, 4) + " m", "在 m = 1.25 与 m = 1.5 的计算值之间线性内插");
            break;
    }
    h.step("", "hm/H", hm + " / " + fx(c.depth, 3), fx(u.hmOverH, 4));
    h.step("累积频率换算系数", "Kp = Rp/Rm（P = " + pc(r.P) + "）", "查 Kp 表", fx(u.kp.value, 4),
           kpZh(u.kp));
    h.step("斜向风折减系数", "Kβ（β = " + fx(std::fabs(c.angle), 1) + "°）", "查 Kβ 表",
           fx(u.kbeta.value, 4), lookupZh(u.kbeta, "β"));
    h.step("设计爬高", "Rp = Kβ·Kp·Rm",
           fx(u.kbeta.value, 4) + " × " + fx(u.kp.value, 4) + " × " + fx(u.Rm, 4),
           fx(u.Rp, 4) + " m");
    std::string aBasis = "输入值";
    if (r.allowanceLookup) {
        aBasis = "安全加高表：" + gradeZh(c.grade) + "、" + operationZh(c.operation) +
                 (c.operation == Operation::Abnormal ? "、" + regionZh(c.region) : "") + " " +
                 std::string(standingMark(r.allowanceLookup->standing));
    }
    h.step("安全加高", "A", r.allowanceLookup ? "查表" : "给定", fx(r.A, 2) + " m", aBasis);
    h.step("坝顶超高", "y = Rp + e + A + 附加高度",
           fx(u.Rp, 4) + " + " + fx(r.e, 4) + " + " + fx(r.A, 2) + " + " + fx(c.extra, 2),
           fx(r.y, 3) + " m");
    if (r.crest) {
        h.step("坝顶高程", "Z = 静水位 + y", fx(*c.level, 3) + " + " + fx(r.y, 3),
               fx(*r.crest, 3) + " m");
    } else {
        h.step("坝顶高程", "Z = 静水位 + y", "未给静水位", "—");
    }
}

void conditionSection(Html& h, const Result& r, int number) {
    const Condition& c = r.condition;
    h << "<section class=\"condition\"><h3>4." << std::to_string(number) << " " << conditionName(c)
      << "</h3>\n";
    h << "<p>" << formulaZh(c.formula) << "；" << gradeZh(c.grade) << "坝，"
      << operationZh(c.operation) << "；g = 9.81 m/s²。";
    if (r.governs) {
        h << "<span class=\"mark\">本工况为控制工况。</span>";
    }
    h << "</p>\n<table class=\"steps\"><tr><th>步骤</th><th>公式</th><th>代入数值</th>"
         "<th>结果</th><th>查表、内插及说明</th></tr>\n";
    wavesSteps(h, r);
    runUpSteps(h, r);
    h << "</table>\n";
    if (!r.warnings.empty()) {
        h << "<p class=\"warn\">警告：</p><ul class=\"warn\">";
        for (const auto& w : r.warnings) {
            h << "<li>" << escapeHtml(warningZh(w)) << "</li>";
        }
        h << "</ul>\n";
    }
    h << "</section>\n";
}

std::string ruleZh(GoverningRule rule) {
    switch (rule) {
        case GoverningRule::None:
            return "无可计算的工况。";
        case GoverningRule::HighestCrest:
            return "各工况坝顶高程中最高者为控制工况（★）。";
        case GoverningRule::CrestOfThoseWithLevel:
            return "部分工况未给静水位，控制工况（★）取给出静水位各工况中坝顶高程最高者；"
                   "未给静水位的工况只列坝顶超高。";
        case GoverningRule::HighestY:
            return "各工况均未给静水位，控制工况（★）取坝顶超高 y 最大者。";
    }
    return {};
}

void summary(Html& h, const Evaluation& ev) {
    h << "<table "
         "class=\"keep\"><tr><th>工况</th><th>公式</th><th>hm（m）</th><th>Lm（m）</th><th>e（m）</"
         "th>"
         "<th>Rp（m）</th><th>A（m）</th><th>y（m）</th><th>静水位（m）</th>"
         "<th>坝顶高程（m）</th><th>控制</th></tr>\n";
    for (const auto& r : ev.results) {
        h << (r.governs ? "<tr class=\"gov\">" : "<tr>") << "<td class=\"name\">"
          << conditionName(r.condition) << "</td><td class=\"name\">"
          << shortFormulaZh(r.condition.formula) << "</td><td class=\"num\">" << fx(r.waves.hm, 3)
          << "</td><td class=\"num\">" << fx(r.waves.Lm, 3) << "</td><td class=\"num\">"
          << fx(r.e, 3) << "</td><td class=\"num\">" << fx(r.runUp.Rp, 3)
          << "</td><td class=\"num\">" << fx(r.A, 2) << "</td><td class=\"num\">" << fx(r.y, 3)
          << "</td><td class=\"num\">" << (r.condition.level ? fx(*r.condition.level, 2) : "—")
          << "</td><td class=\"num\">" << (r.crest ? fx(*r.crest, 3) : "—")
          << "</td><td style=\"text-align:center\">" << (r.governs ? "★" : "") << "</td></tr>\n";
    }
    h << "</table>\n<p>" << ruleZh(ev.rule) << "</p>\n";
    if (ev.governing) {
        const Result& g = ev.results[*ev.governing];
        h << "<p class=\"mark\">控制工况：" << conditionName(g.condition)
          << "，坝顶超高 y = " << fx(g.y, 3) << " m";
        if (g.crest) {
            h << "，要求坝顶高程不低于 " << fx(*g.crest, 3) << " m";
        }
        h << "。</p>\n";
    }
}

void sources(Html& h) {
    h << "<ul>";
    h << "<li>方法：SL 274《碾压式土石坝设计规范》附录 A（2001、2020 年版）风浪要素、风壅水面高、"
         "波浪爬高与坝顶超高的计算；y = R + e + A。本计算书所依据的不是规范原文，而是转引规范的公开"
         "资料；各表之值的可靠程度标注如下：[C] 已核实（公开资料所载并经算例复算），[X] 间接印证，"
         "[M] 常见转引、未能核实，[D] 本程序按该表所依据的分布公式推算、未能核实。</li>";
    for (const TableSource* s : allSources()) {
        h << "<li><b>" << s->title << "</b>：" << s->sourceZh << "</li>";
    }
    h << "<li>平均波长：莆田公式 Lm 由 Lm = g·Tm²/(2π)·th(2πH/Lm) 解至双精度；H ≥ 0.5·Lm 时按深水波"
         "取 Lm = g·Tm²/(2π)。鹤地、官厅公式的 Tm 按深水波关系由 Lm 反算，仅供参考。</li>"
         "<li>数值按双精度计算，表中按所示位数四舍五入显示；逐步手算复核时末位可有一个单位之差。</"
         "li>";
    h << "</ul>\n";
}

}  // namespace

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string calculationBook(const Evaluation& ev, const BookOptions& options) {
    Html h;
    const std::string project = escapeHtml(options.project);
    h << "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
      << (project.empty() ? "" : project + " ") << "坝顶超高计算书</title>\n<style>" << kCss
      << "</style>\n</head>\n<body>\n";
    h << "<h1>" << (project.empty() ? "" : project) << "坝顶超高计算书</h1>\n"
      << "<p class=\"subtitle\">依据 SL 274《碾压式土石坝设计规范》附录 A · 共 "
      << std::to_string(ev.results.size() + ev.failures.size()) << " 个工况</p>\n";

    h << "<h2>1 计算方法</h2>\n<p>坝顶在静水位以上的超高 y = Rp + e + A（+ "
         "附加高度，如地震安全加高）；"
         "Rp 为设计爬高（1～3 级坝取累积频率 1%，4、5 级坝取 5%），e 为风壅水面高，A 为安全加高。"
         "坝顶高程 = 静水位 + y，取各工况中的最大值。成果汇总见第 3 "
         "节，各步骤的公式、代入数值与查表见第 4 节，"
         "表的来源见第 6 节。</p>\n";

    h << "<h2>2 计算条件</h2>\n";
    if (ev.results.empty()) {
        h << "<p>无可计算的工况。</p>\n";
    } else {
        inputsTable(h, ev);
    }
    if (!ev.failures.empty()) {
        h << "<p class=\"fail\">以下工况未能计算，未列入计算与汇总：</p><ul class=\"fail\">";
        for (const auto& f : ev.failures) {
            h << "<li>" << (f.row() > 0 ? "第 " + std::to_string(f.row()) + " 行" : "")
              << (f.label().empty() ? "" : "（" + escapeHtml(f.label()) + "）") << "："
              << failureZh(f) << "</li>";
        }
        h << "</ul>\n";
    }

    h << "<h2>3 成果汇总</h2>\n";
    summary(h, ev);

    h << "<h2 class=\"newpage\">4 各工况计算</h2>\n";
    int n = 1;
    for (const auto& r : ev.results) {
        conditionSection(h, r, n++);
    }

    h << "<section><h2>5 警告</h2>\n";
    bool any = false;
    for (const auto& r : ev.results) {
        for (const auto& w : r.warnings) {
            if (!any) {
                h << "<ul class=\"warn\">";
            }
            any = true;
            h << "<li>" << conditionName(r.condition) << "：" << escapeHtml(warningZh(w))
              << "</li>";
        }
    }
    h << (any ? "</ul>\n" : "<p>无。各公式均在其来源给出的适用范围内使用。</p>\n");

    h << "<h2>6 资料来源</h2>\n";
    sources(h);
    h << "</section>\n</body>\n</html>\n";
    return std::move(h.str());
}

}  // namespace kelnor::design
