#include "kelnor/design/method.h"

#include <cmath>
#include <numbers>

namespace kelnor::design {

namespace {

constexpr double kPi = std::numbers::pi;

// Putian (莆田试验站) formula: g·hm/W² from g·Hm/W² and g·D/W².
void putian(const Condition& c, Waves& w) {
    const double W2 = std::pow(c.wind, 2);
    w.gHm_W2 = kG * c.Hm() / W2;
    w.a = kPutianHeight * std::tanh(kPutianDepthFactor * std::pow(w.gHm_W2, kPutianDepthPower));
    w.ghm_W2 = w.a * std::tanh(kPutianFetchFactor * std::pow(w.gD_W2, kPutianFetchPower) / w.a);
    w.hm = w.ghm_W2 * W2 / kG;
}

// Turns the formula's height hp of frequency P into hm through the hp/hm table, which is
// read at hm/Hm and so needs hm: start from the deep-water row and repeat until hm stops
// changing.
void convertToMean(const Condition& c, Waves& w, std::vector<Warning>& warnings) {
    double hm = w.hp / lookUpRatio(0.0, w.hpP).value;
    RatioLookup r;
    for (w.iterations = 1; w.iterations <= 200; ++w.iterations) {
        r = lookUpRatio(hm / c.Hm(), w.hpP);
        const double next = w.hp / r.value;
        if (next == hm) {
            break;
        }
        hm = next;
    }
    w.ratio = r;
    w.hm = hm;
    if (r.beyondHigh) {
        warnings.push_back({WarningKind::RatioExtrapolated, r.hmOverHm, r.upper->hmOverHm});
    }
}

void hedi(const Condition& c, Waves& w, std::vector<Warning>& warnings) {
    const double W2 = std::pow(c.wind, 2);
    w.hpP = 2;
    w.hp = kHediHeight * std::pow(c.wind, kHediHeightWindPower.value()) *
           std::pow(w.gD_W2, kHediHeightFetchPower.value()) * W2 / kG;
    w.Lm = kHediLength * std::pow(w.gD_W2, kHediLengthFetchPower.value()) * W2 / kG;
    if (c.wind >= Limits::hediWind) {
        warnings.push_back({WarningKind::HediWind, c.wind, Limits::hediWind});
    }
    if (c.fetchKm >= Limits::hediFetchKm) {
        warnings.push_back({WarningKind::HediFetch, c.fetchKm, Limits::hediFetchKm});
    }
    convertToMean(c, w, warnings);
}

void guanting(const Condition& c, Waves& w, std::vector<Warning>& warnings) {
    const double W2 = std::pow(c.wind, 2);
    w.hpP = w.gD_W2 <= Limits::guantingGdSplit ? 5 : 10;
    w.hp = kGuantingHeight * std::pow(c.wind, kGuantingHeightWindPower.value()) *
           std::pow(w.gD_W2, kGuantingHeightFetchPower.value()) * W2 / kG;
    w.Lm = kGuantingLength * std::pow(c.wind, kGuantingLengthWindPower.value()) *
           std::pow(w.gD_W2, kGuantingLengthFetchPower.value()) * W2 / kG;
    if (c.wind >= Limits::guantingWind) {
        warnings.push_back({WarningKind::GuantingWind, c.wind, Limits::guantingWind});
    }
    if (c.fetchKm >= Limits::guantingFetchKm) {
        warnings.push_back({WarningKind::GuantingFetch, c.fetchKm, Limits::guantingFetchKm});
    }
    if (w.gD_W2 < Limits::guantingGdLow) {
        warnings.push_back({WarningKind::GuantingGd, w.gD_W2, Limits::guantingGdLow});
    } else if (w.gD_W2 > Limits::guantingGdHigh) {
        warnings.push_back({WarningKind::GuantingGd, w.gD_W2, Limits::guantingGdHigh});
    }
    convertToMean(c, w, warnings);
}

// The mean run-up on a slope 1:m for waves normal to the axis.
double gentleRunUp(double KDelta, double Kw, double hm, double Lm, double m) {
    return KDelta * Kw * std::sqrt(hm * Lm) / std::sqrt(1 + std::pow(m, 2));
}

double steepRunUp(double KDelta, double Kw, double R0, double hm) {
    return KDelta * Kw * R0 * hm;
}

void checkFinite(const Condition& c, std::initializer_list<double> values) {
    for (const double v : values) {
        if (!std::isfinite(v)) {
            throw ConditionError(ConditionErrorKind::NotFinite, c.row, c.label, "", "");
        }
    }
}

}  // namespace

double solveWavelength(double Tm, double H) {
    const double L0 = kG * std::pow(Tm, 2) / (2 * kPi);
    // f(L) = L0·th(2πH/L) − L is positive for L → 0 (→ L0 > 0) and negative at L0.
    double lo = 0;
    double hi = L0;
    for (int i = 0; i < 2000; ++i) {
        const double mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi) {
            break;
        }
        if (L0 * std::tanh(2 * kPi * H / mid) - mid > 0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    // Of the two neighbours, the one the relation is closer to.
    const double flo = std::fabs(L0 * std::tanh(2 * kPi * H / lo) - lo);
    const double fhi = std::fabs(L0 * std::tanh(2 * kPi * H / hi) - hi);
    return lo > 0 && flo < fhi ? lo : hi;
}

double steepSlopeHigh(DesignCode code) {
    return code == DesignCode::Dike ? DikeRules::steepSlopeHigh : Limits::steepSlopeHigh;
}

Result compute(const Condition& given) {
    Result r;
    r.condition = given;
    // W as the method uses it, derived from the annual maximum wind where that is given.
    r.condition.wind = given.designWind();
    const Condition& c = r.condition;
    auto& warnings = r.warnings;
    Waves& w = r.waves;
    w.D = c.fetchKm * 1000;
    const double D = w.D;
    const double W2 = std::pow(c.wind, 2);
    const double H = c.depth;
    w.gD_W2 = kG * D / W2;
    checkFinite(c, {c.wind, W2});

    // The factor on the annual maximum wind: 1.0 in abnormal operation up to 2.0 for the
    // highest grades in normal operation; anything else is not the code's.
    if (c.windMax) {
        const double k = c.windFactorUsed();
        if (k < WindFactors::low || k > WindFactors::high) {
            warnings.push_back({WarningKind::WindFactorOutside, k,
                                k < WindFactors::low ? WindFactors::low : WindFactors::high});
        } else if (c.operation == Operation::Normal && k < WindFactors::normal) {
            warnings.push_back({WarningKind::WindFactorBelowNormal, k, WindFactors::normal});
        }
    }
    if (c.roughness > kRoughnessHighest) {
        warnings.push_back({WarningKind::RoughnessAboveSmooth, c.roughness, kRoughnessHighest});
    }
    if (c.surge && (*c.surge < SurgeRange::low || *c.surge > SurgeRange::high)) {
        warnings.push_back({WarningKind::SurgeOutside, *c.surge,
                            *c.surge < SurgeRange::low ? SurgeRange::low : SurgeRange::high});
    }

    // Values no reservoir has: most likely a fetch typed in metres or a depth in the wrong
    // column. The method still computes them. A dike's long fetch is the code's own case.
    const bool dike = c.code == DesignCode::Dike;
    if (dike && c.fetchKm > DikeRules::durationFetchKm) {
        warnings.push_back({WarningKind::DurationToCheck, c.fetchKm, DikeRules::durationFetchKm});
    } else if (c.fetchKm > Limits::fetchKmHigh) {
        warnings.push_back({WarningKind::FetchTooLong, c.fetchKm, Limits::fetchKmHigh});
    }
    if (H < Limits::depthLow) {
        warnings.push_back({WarningKind::DepthTooShallow, H, Limits::depthLow});
    }
    if (c.meanDepth && *c.meanDepth < Limits::depthLow) {
        warnings.push_back({WarningKind::MeanDepthTooShallow, *c.meanDepth, Limits::depthLow});
    }

    // Wave elements.
    switch (c.formula) {
        case WaveFormula::Putian:
            putian(c, w);
            w.Tm = kPutianPeriod * std::sqrt(w.hm);
            w.L0 = kG * std::pow(w.Tm, 2) / (2 * kPi);
            w.deepWater = H >= kDeepWaterDepthRatio * w.L0;
            w.Lm = w.deepWater ? w.L0 : solveWavelength(w.Tm, H);
            break;
        case WaveFormula::Hedi:
        case WaveFormula::Guanting:
            if (c.formula == WaveFormula::Hedi) {
                hedi(c, w, warnings);
            } else {
                guanting(c, w, warnings);
            }
            // The period of the deep-water wave of length Lm.
            w.L0 = w.Lm;
            w.Tm = std::sqrt(2 * kPi * w.Lm / kG);
            w.deepWater = H >= kDeepWaterDepthRatio * w.Lm;
            break;
    }
    checkFinite(c, {w.gD_W2, w.hm, w.Tm, w.Lm});
    if (dike) {
        // The time the wind must blow for the waves to grow: g·t/V = 168·(g·T̄/V)^3.45.
        r.minDuration = DikeRules::durationFactor *
                        std::pow(kG * w.Tm / c.wind, DikeRules::durationPower) * c.wind / kG;
        // Putian's period makes deep-water waves 1/30.75 steep and shallow ones steeper, so
        // this holds unless the code's bound or the period changes; the code asks it.
        if (w.hm / w.Lm < DikeRules::steepnessLow) {
            warnings.push_back({WarningKind::WavesNotSteep, w.hm / w.Lm, DikeRules::steepnessLow});
        }
    }

    // Wind set-up.
    r.setupCosBeta = std::cos(c.angle * kPi / 180);
    r.e = kSetupK * W2 * D * r.setupCosBeta / (2 * kG * c.Hm());
    const double setupLimit = Limits::setupShareOfHm * c.Hm();
    if (r.e > setupLimit) {
        warnings.push_back({WarningKind::SetupTooHigh, r.e, setupLimit});
    }

    // Mean run-up.
    RunUp& u = r.runUp;
    u.celerityRatio = c.wind / std::sqrt(kG * H);
    if (c.kw) {
        u.Kw = *c.kw;
    } else {
        u.kwLookup = lookUpKw(u.celerityRatio);
        u.Kw = u.kwLookup->value;
        if (u.kwLookup->beyondHigh) {
            warnings.push_back({WarningKind::KwExtrapolated, u.celerityRatio, u.kwLookup->upper.x});
        }
    }
    const double m = c.slope;
    const double KD = c.roughness;
    const double steepHigh = steepSlopeHigh(c.code);
    if (m >= Limits::gentleSlopeLow) {
        u.form = SlopeForm::Gentle;
        u.RmGentle = gentleRunUp(KD, u.Kw, w.hm, w.Lm, m);
        u.Rm = u.RmGentle;
        if (m > Limits::gentleSlopeHigh) {
            warnings.push_back({WarningKind::SlopeAboveFive, m, Limits::gentleSlopeHigh});
        }
    } else if (m <= steepHigh) {
        u.form = SlopeForm::Steep;
        u.r0Lookup = lookUpR0(m);
        u.RmSteep = steepRunUp(KD, u.Kw, u.r0Lookup->value, w.hm);
        u.Rm = u.RmSteep;
    } else {
        // Between the steep form's end and 1.5: linear in m between the two forms there.
        u.form = SlopeForm::Transition;
        u.r0At125 = lookUpR0(steepHigh);
        u.RmSteep = steepRunUp(KD, u.Kw, u.r0At125->value, w.hm);
        u.RmGentle = gentleRunUp(KD, u.Kw, w.hm, w.Lm, Limits::gentleSlopeLow);
        u.Rm = u.RmSteep +
               (u.RmGentle - u.RmSteep) * (m - steepHigh) / (Limits::gentleSlopeLow - steepHigh);
    }

    u.hmOverH = w.hm / H;
    if (Limits::deepWaterRatio1 * w.hm >= Limits::breakingRatio * H) {
        warnings.push_back(
            {WarningKind::WavesBreak, u.hmOverH, Limits::breakingRatio / Limits::deepWaterRatio1});
    }
    r.P = c.P();
    u.kp = lookUpKp(u.hmOverH, r.P);
    const double beta = std::fabs(c.angle);
    u.kbeta = lookUpKbeta(beta);
    if (u.kbeta.beyondHigh) {
        warnings.push_back({WarningKind::AngleBeyondTable, beta, u.kbeta.upper.x});
    }
    u.Rp = u.kbeta.value * u.kp.value * u.Rm;

    // Freeboard and crest.
    if (c.allowance) {
        r.A = *c.allowance;
    } else {
        r.allowanceLookup =
            dike ? lookUpDikeAllowance(c.grade) : lookUpAllowance(c.grade, c.operation, c.region);
        r.A = r.allowanceLookup->value;
    }
    if (dike && c.grade == 1 && r.A > DikeRules::allowanceGrade1High) {
        warnings.push_back(
            {WarningKind::AllowanceAboveGrade1, r.A, DikeRules::allowanceGrade1High});
    }
    r.B = c.B();
    r.y = u.Rp + r.e + r.A + c.extra + r.B;
    if (c.level) {
        r.crest = *c.level + r.y;
    }
    checkFinite(c, {r.e, u.Rm, u.Rp, r.y, r.crest.value_or(0.0)});
    return r;
}

namespace {

void markGoverning(Evaluation& ev) {
    if (ev.results.empty()) {
        ev.rule = GoverningRule::None;
        return;
    }
    std::size_t withLevel = 0;
    for (const auto& r : ev.results) {
        withLevel += r.crest ? 1 : 0;
    }
    ev.rule = withLevel == ev.results.size() ? GoverningRule::HighestCrest
              : withLevel > 0                ? GoverningRule::CrestOfThoseWithLevel
                                             : GoverningRule::HighestY;
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < ev.results.size(); ++i) {
        const Result& r = ev.results[i];
        if (ev.rule == GoverningRule::HighestY) {
            if (!best || r.y > ev.results[*best].y) {
                best = i;
            }
        } else if (r.crest && (!best || *r.crest > *ev.results[*best].crest)) {
            best = i;
        }
    }
    ev.governing = best;
    ev.results[*best].governs = true;
}

}  // namespace

Evaluation evaluate(const std::vector<Condition>& conditions) {
    Evaluation ev;
    for (const auto& c : conditions) {
        try {
            ev.results.push_back(compute(c));
        } catch (const ConditionError& e) {
            ev.failures.push_back(e);
        }
    }
    markGoverning(ev);
    return ev;
}

Evaluation evaluateRows(const std::vector<Cells>& rows) {
    Evaluation ev;
    for (const auto& row : rows) {
        try {
            ev.results.push_back(compute(readCondition(row)));
        } catch (const ConditionError& e) {
            ev.failures.push_back(e);
        }
    }
    markGoverning(ev);
    return ev;
}

}  // namespace kelnor::design
