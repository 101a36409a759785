#include "book_steps.h"

#include <cmath>
#include <utility>

#include "figures.h"
#include "kelnor/design/wording.h"

namespace kelnor::design {

namespace {

using doc::Runs;
using doc::sub;
using doc::sup;

class Steps {
  public:
    void add(std::string name, Runs formula, Runs values, std::string result, Runs basis = {}) {
        steps_.push_back({std::move(name), std::move(formula), std::move(values), std::move(result),
                          std::move(basis)});
    }
    std::vector<Step> take() { return std::move(steps_); }

  private:
    std::vector<Step> steps_;
};

// g as the formulas print it.
const std::string g = coefficient(kG);

// A power as the code writes it: 1/6, −1/12, 1/2.15.
Runs power(Exponent e) {
    return sup((e.numerator < 0 ? "−" : "") + coefficient(std::fabs(e.numerator)) + "/" +
               coefficient(e.denominator));
}

// K of the wind set-up: 3.6×10<sup>−6</sup>.
Runs setupK() {
    const PowerOfTen k = powerOfTen(kSetupK);
    return k.mantissa + "×10" + sup(k.exponent);
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
    const std::string band = "Kp 表 " + std::string(k.row->label) + " 一档";
    if (k.left == k.right) {
        return band + "、P = " + pc(kKpColumns[k.left]) + " 列：" + cell(k.left);
    }
    return band + "，在 P = " + pc(kKpColumns[k.left]) + "（" + cell(k.left) + "）与 " +
           pc(kKpColumns[k.right]) + "（" + cell(k.right) + "）之间按 P = " + pc(k.P) + " 线性内插";
}

void putianSteps(Steps& s, const Result& r, const std::string& W) {
    const Condition& c = r.condition;
    const Waves& w = r.waves;
    const std::string depthFactor = coefficient(kPutianDepthFactor);
    const std::string depthPower = coefficient(kPutianDepthPower);
    const std::string fetchFactor = coefficient(kPutianFetchFactor);
    const std::string fetchPower = coefficient(kPutianFetchPower);
    const std::string a = fx(w.a, 6);
    s.add("无因次水深", "gHm/W²", g + " × " + fx(c.Hm(), 3) + " / " + W + "²", fx(w.gHm_W2, 4));
    s.add("莆田公式",
          "a = " + coefficient(kPutianHeight) + "·th[" + depthFactor + "·(gHm/W²)" +
              sup(depthPower) + "]",
          coefficient(kPutianHeight) + " × th[" + depthFactor + " × " + fx(w.gHm_W2, 4) +
              sup(depthPower) + "]",
          a);
    s.add("", "ghm/W² = a·th[" + fetchFactor + "·(gD/W²)" + sup(fetchPower) + " / a]",
          a + " × th[" + fetchFactor + " × " + fx(w.gD_W2, 3) + sup(fetchPower) + " / " + a + "]",
          fx(w.ghm_W2, 6));
    s.add("平均波高", "hm = (ghm/W²)·W²/g", fx(w.ghm_W2, 6) + " × " + W + "² / " + g,
          fx(w.hm, 4) + " m");
    const std::string period = coefficient(kPutianPeriod);
    s.add("平均波周期", "Tm = " + period + "·hm" + sup("0.5"),
          period + " × " + fx(w.hm, 4) + sup("0.5"), fx(w.Tm, 4) + " s");
    s.add("深水波长", "L0 = g·Tm²/(2π)", g + " × " + fx(w.Tm, 4) + "² / (2π)", fx(w.L0, 4) + " m");
    const std::string ratio = coefficient(kDeepWaterDepthRatio);
    if (w.deepWater) {
        s.add("平均波长", "H ≥ " + ratio + "·L0 时为深水波，Lm = L0",
              fx(c.depth, 3) + " ≥ " + ratio + " × " + fx(w.L0, 4), fx(w.Lm, 4) + " m");
    } else {
        s.add("平均波长", "Lm = L0·th(2πH/Lm)，迭代求解",
              fx(w.L0, 4) + " × th(2π × " + fx(c.depth, 3) + " / " + fx(w.Lm, 4) + ")",
              fx(w.Lm, 4) + " m", "H < " + ratio + "·L0，非深水波；解至双精度");
    }
}

void hediOrGuantingSteps(Steps& s, const Result& r, const std::string& W) {
    const Condition& c = r.condition;
    const Waves& w = r.waves;
    const Runs hp = Runs("h") + sub(plain(w.hpP) + "%");
    const std::string gD = fx(w.gD_W2, 3);
    const std::string scale = " × " + W + "² / " + g;  // from g·h/W² to h
    if (c.formula == WaveFormula::Hedi) {
        const std::string height = coefficient(kHediHeight);
        s.add("鹤地公式",
              hp + " = " + height + "·W" + power(kHediHeightWindPower) + "·(gD/W²)" +
                  power(kHediHeightFetchPower) + "·W²/g",
              height + " × " + W + power(kHediHeightWindPower) + " × " + gD +
                  power(kHediHeightFetchPower) + scale,
              fx(w.hp, 4) + " m");
        const std::string length = coefficient(kHediLength);
        s.add("", "Lm = " + length + "·(gD/W²)" + power(kHediLengthFetchPower) + "·W²/g",
              length + " × " + gD + power(kHediLengthFetchPower) + scale, fx(w.Lm, 4) + " m");
    } else {
        const std::string height = coefficient(kGuantingHeight);
        const std::string split = plain(Limits::guantingGdSplit);
        s.add("官厅公式",
              hp + " = " + height + "·W" + power(kGuantingHeightWindPower) + "·(gD/W²)" +
                  power(kGuantingHeightFetchPower) + "·W²/g",
              height + " × " + W + power(kGuantingHeightWindPower) + " × " + gD +
                  power(kGuantingHeightFetchPower) + scale,
              fx(w.hp, 4) + " m",
              (w.hpP == 5 ? "gD/W² ≤ " : "gD/W² > ") + split + "，所得为 " + hp);
        const std::string length = coefficient(kGuantingLength);
        s.add("",
              "Lm = " + length + "·W" + power(kGuantingLengthWindPower) + "·(gD/W²)" +
                  power(kGuantingLengthFetchPower) + "·W²/g",
              length + " × " + W + power(kGuantingLengthWindPower) + " × " + gD +
                  power(kGuantingLengthFetchPower) + scale,
              fx(w.Lm, 4) + " m");
    }
    s.add("平均波高", "hm = " + hp + " / (hp/hm)，hp/hm 按 hm/Hm 查表，迭代至收敛",
          fx(w.hp, 4) + " / " + fx(w.ratio.value, 4), fx(w.hm, 4) + " m",
          ratioZh(w.ratio) + "；hm/Hm = " + fx(w.hm, 4) + " / " + fx(c.Hm(), 3) + "；迭代 " +
              std::to_string(w.iterations) + " 次");
    s.add("平均波周期", "Tm = (2π·Lm/g)" + sup("0.5"),
          "(2π × " + fx(w.Lm, 4) + " / " + g + ")" + sup("0.5"), fx(w.Tm, 4) + " s",
          "按深水波关系由 Lm 反算，仅供参考");
}

void runUpSteps(Steps& s, const Result& r) {
    const Condition& c = r.condition;
    const RunUp& u = r.runUp;
    const Waves& w = r.waves;
    s.add("风壅水面高", "e = K·W²·D·cosβ / (2g·Hm)，K = " + setupK(),
          setupK() + " × " + fx(c.wind, 3) + "² × " + fx(w.D, 1) + " × " + fx(r.setupCosBeta, 4) +
              " / (2 × " + g + " × " + fx(c.Hm(), 3) + ")",
          fx(r.e, 4) + " m");
    s.add("", "W/√(gH)", fx(c.wind, 3) + " / √(" + g + " × " + fx(c.depth, 3) + ")",
          fx(u.celerityRatio, 4));
    s.add("经验系数", "Kw", c.kw ? "给定" : "查 Kw 表", fx(u.Kw, 4),
          u.kwLookup ? lookupZh(*u.kwLookup, "W/√(gH)") : std::string("输入值"));
    const std::string KD = fx(c.roughness, 2);
    const std::string Kw = fx(u.Kw, 4);
    const std::string hm = fx(w.hm, 4);
    const std::string gentleLow = plain(Limits::gentleSlopeLow);
    const std::string steepHigh = plain(steepSlopeHigh(c.code));
    const auto gentle = [&](double m, double value) {
        s.add("平均爬高（" + gentleLow + " ≤ m ≤ " + plain(Limits::gentleSlopeHigh) + "）",
              "Rm = KΔ·Kw·(hm·Lm)" + sup("0.5") + " / (1 + m²)" + sup("0.5"),
              KD + " × " + Kw + " × (" + hm + " × " + fx(w.Lm, 4) + ")" + sup("0.5") + " / (1 + " +
                  tv(m) + "²)" + sup("0.5"),
              fx(value, 4) + " m");
    };
    const auto steep = [&](const Lookup& r0, double value) {
        s.add("平均爬高（m ≤ " + steepHigh + "）", "Rm = KΔ·Kw·R0·hm",
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
        case SlopeForm::Transition: {
            steep(*u.r0At125, u.RmSteep);
            gentle(Limits::gentleSlopeLow, u.RmGentle);
            const std::string span = plain(Limits::gentleSlopeLow - steepSlopeHigh(c.code));
            s.add("平均爬高（" + steepHigh + " < m < " + gentleLow + "）",
                  "Rm = Rm" + sub(steepHigh) + " + (Rm" + sub(gentleLow) + " − Rm" +
                      sub(steepHigh) + ")·(m − " + steepHigh + ")/" + span,
                  fx(u.RmSteep, 4) + " + (" + fx(u.RmGentle, 4) + " − " + fx(u.RmSteep, 4) +
                      ") × (" + fx(c.slope, 3) + " − " + steepHigh + ") / " + span,
                  fx(u.Rm, 4) + " m",
                  "在 m = " + steepHigh + " 与 m = " + gentleLow + " 的计算值之间线性内插");
            break;
        }
    }
    s.add("", "hm/H", hm + " / " + fx(c.depth, 3), fx(u.hmOverH, 4));
    s.add("累积频率换算系数", "Kp = Rp/Rm（P = " + pc(r.P) + "）", "查 Kp 表", fx(u.kp.value, 4),
          kpZh(u.kp));
    s.add("斜向风折减系数", "Kβ（β = " + fx(u.kbeta.x, 1) + "°）", "查 Kβ 表", fx(u.kbeta.value, 4),
          lookupZh(u.kbeta, "β"));
    s.add("设计爬高", "Rp = Kβ·Kp·Rm",
          fx(u.kbeta.value, 4) + " × " + fx(u.kp.value, 4) + " × " + fx(u.Rm, 4),
          fx(u.Rp, 4) + " m");
    std::string aBasis = "输入值";
    const bool dike = c.code == DesignCode::Dike;
    if (r.allowanceLookup && dike) {
        aBasis = "堤防安全加高表：" + std::to_string(c.grade) + " 级堤防、不允许越浪 " +
                 std::string(standingMark(r.allowanceLookup->standing));
    } else if (r.allowanceLookup) {
        aBasis = "安全加高表：" + gradeZh(c.grade) + "、" +
                 (c.operation == Operation::Earthquake ? "非常运用（地震情况）"
                                                       : std::string(operationZh(c.operation))) +
                 (isAbnormal(c.operation) ? "、" + std::string(regionZh(c.region)) : "") + " " +
                 std::string(standingMark(r.allowanceLookup->standing));
    }
    s.add("安全加高", "A", r.allowanceLookup ? "查表" : "给定", fx(r.A, 2) + " m", aBasis);
    const bool quake = c.operation == Operation::Earthquake;
    if (quake) {
        s.add("地震安全加高", "B = 地震涌浪高度 + 地震附加沉陷",
              fx(c.surge.value_or(0.0), 2) + " + " + fx(c.quakeSettlement.value_or(0.0), 2),
              fx(r.B, 2) + " m",
              "地震涌浪高度按设计烈度和坝前水深取 " + tv(SurgeRange::low) + "～" +
                  tv(SurgeRange::high) + " m " + std::string(standingMark(SurgeRange::standing)) +
                  "；地震附加沉陷由设计人员确定 " +
                  std::string(standingMark(Standing::NotConfirmed)) +
                  "；地震情况按非常运用计算风浪与安全加高");
    }
    if (dike) {
        s.add("堤顶超高", "Y = Rp + e + A", fx(u.Rp, 4) + " + " + fx(r.e, 4) + " + " + fx(r.A, 2),
              fx(r.y, 3) + " m");
        s.add("堤顶高程", "Z = 设计水位 + Y", fx(*c.level, 3) + " + " + fx(r.y, 3),
              fx(*r.crest, 3) + " m");
        return;
    }
    s.add("坝顶超高", quake ? "y = Rp + e + A + 附加高度 + B" : "y = Rp + e + A + 附加高度",
          fx(u.Rp, 4) + " + " + fx(r.e, 4) + " + " + fx(r.A, 2) + " + " + fx(c.extra, 2) +
              (quake ? " + " + fx(r.B, 2) : ""),
          fx(r.y, 3) + " m");
    if (r.crest) {
        s.add("坝顶高程", "Z = 静水位 + y", fx(*c.level, 3) + " + " + fx(r.y, 3),
              fx(*r.crest, 3) + " m");
    } else {
        s.add("坝顶高程", "Z = 静水位 + y", "未给静水位", "—");
    }
}

// W from the annual maximum wind: the factor used, and where it comes from.
void windSteps(Steps& s, const Condition& c) {
    const double k = c.windFactorUsed();
    const std::string mark(standingMark(WindFactors::standing));
    const std::string normal = tv(WindFactors::normal);
    const std::string range = normal + "～" + tv(WindFactors::normalHighest);
    const bool widerRange =
        c.operation == Operation::Normal && c.grade <= WindFactors::widerRangeGrades;
    // What the code takes for this grade and operation.
    std::string rule;
    if (isAbnormal(c.operation)) {
        rule =
            std::string(c.operation == Operation::Earthquake ? "地震情况按非常运用" : "非常运用") +
            "取 " + tv(WindFactors::abnormal) + " 倍";
    } else if (widerRange) {
        rule = "正常运用 1、2 级坝取 " + range + " 倍";
    } else {
        rule = "正常运用 3～5 级坝取 " + normal + " 倍";
    }
    std::string basis;
    if (c.windFactor) {
        basis = "倍数为输入值；规范" + rule + " " + mark;
    } else if (widerRange) {
        basis = "规范" + rule + "，本计算取 " + factor(k) + " 倍 " + mark;
    } else {
        basis = "按运用条件：规范" + rule + " " + mark;
    }
    s.add("计算风速", "W = 风速倍数 × 多年平均年最大风速", factor(k) + " × " + fx(*c.windMax, 2),
          fx(c.wind, 2) + " m/s",
          basis + "；多年平均年最大风速指水面以上 10 m 处 10 min 平均风速年最大值的多年平均值");
}

// The equivalent fetch from the rays: each ray at its angle, the two sums and Fe.
void fetchSteps(Steps& s, const FetchRays& rays) {
    std::string each;
    for (std::size_t i = 0; i < rays.km.size(); ++i) {
        each += (i == 0 ? "" : "、") + plain(rays.angle(i)) + "°：" + fx(rays.km[i], 3);
    }
    const std::string ray(standingMark(FetchRules::rays));
    const std::string formula(standingMark(FetchRules::formula));
    s.add("等效吹程", "Fe = Σrᵢ·cos²αᵢ / Σcos αᵢ",
          fx(rays.sumRCos2, 4) + " / " + fx(rays.sumCos, 4), fx(rays.fe, 3) + " km",
          "自坝址向对岸在风向两侧各 45° 内每隔 " + plain(rays.step()) + "° 作射线 " + ray +
              "，rᵢ（km）：" + each + "；公式为常见转引 " + formula);
}

}  // namespace

std::vector<Step> conditionSteps(const Result& r) {
    Steps s;
    if (r.condition.rays) {
        fetchSteps(s, *r.condition.rays);
    }
    if (r.condition.windMax) {
        windSteps(s, r.condition);
    }
    const std::string W = fx(r.condition.wind, 3);
    s.add("无因次吹程", "gD/W²", g + " × " + fx(r.waves.D, 1) + " / " + W + "²",
          fx(r.waves.gD_W2, 3), "D 以 m 计");
    if (r.condition.formula == WaveFormula::Putian) {
        putianSteps(s, r, W);
        if (r.minDuration) {
            s.add("最小风时",
                  "g·t/V = " + coefficient(DikeRules::durationFactor) + "·(g·T/V)" +
                      sup(coefficient(DikeRules::durationPower)),
                  coefficient(DikeRules::durationFactor) + " × (" + g + " × " + fx(r.waves.Tm, 4) +
                      " / " + W + ")" + sup(coefficient(DikeRules::durationPower)) + " × " + W +
                      " / " + g,
                  fx(*r.minDuration, 2) + " s",
                  "吹程大于 " + plain(DikeRules::durationFetchKm) + " km 时应复核风时 " +
                      std::string(standingMark(Standing::Confirmed)));
        }
    } else {
        hediOrGuantingSteps(s, r, W);
    }
    runUpSteps(s, r);
    return s.take();
}

}  // namespace kelnor::design
