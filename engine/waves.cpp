#include "kelnor/waves.h"

#include <cmath>

#include "kelnor/numeric.h"

namespace kelnor {

using checked::div;
using checked::mul;
using checked::power;
using checked::root;
using checked::sub;

namespace {

// Wind set-up coefficient 5 × 10⁻⁶, formed as 10 raised to −6, times 5.
const double setupK = std::pow(10.0, -6.0) * 5.0;
// The exponent 1/3 of formulas 2 and 3, formed as 1 divided by 3.
constexpr double oneThird = 1.0 / 3.0;

// Wind set-up in front of the dam, e = K·W²·D / (2g·H), evaluated as
// (Dm × (W² × K)) / (H × 2g). The depth is read here for formulas 2 and 3.
//
// Throughout, each operand is computed into a named local before the operation that uses
// it: C++ leaves the order of function arguments open, and the first failing operation
// decides which failure the user sees.
double windSetup(double Dm, double W, const InputSet& inputs) {
    const double W2 = power(W, 2);
    const double numerator = mul(Dm, mul(W2, setupK));
    const double H = inputs.number(Box::H);
    return div(numerator, mul(H, twoG));
}

// Mean period of formulas 2 and 3 from the deep-water relation L = 1.56 T².
double deepWaterPeriod(double Lambda) {
    return root(div(Lambda, deepWater));
}

WaveElements putian(const InputSet& inputs, double W) {
    WaveElements w;
    w.W = W;
    w.Dm = mul(inputs.number(Box::D), 1000.0);
    const double H = inputs.number(Box::H);

    const double gH = mul(g, H);
    const double depthRatio = div(gH, power(W, 2));
    const double th1 = HTan(mul(0.7, power(depthRatio, 0.7)));

    const double gD = mul(g, w.Dm);
    const double fetchRatio = div(gD, power(W, 2));
    const double y = mul(0.0018, power(fetchRatio, 0.45));

    const double th2 = HTan(div(y, mul(0.13, th1)));

    const double shape = mul(mul(0.13, th1), th2);
    w.H1 = round2(div(mul(shape, power(W, 2)), g));
    // The code's factor is 4.438; the method uses 4.0 with the rounded wave height.
    w.T = mul(4.0, root(w.H1));
    w.Lambda = searchWavelength(w.T, H).Lambda;
    w.E = windSetup(w.Dm, W, inputs);
    return w;
}

// Formulas 2 and 3 share their form: H1 = a·W^1.25·D^(1/3), L = b·W·f(D), with the fetch
// D in kilometres.
WaveElements powerLaw(const InputSet& inputs, double W, bool andreyanov) {
    WaveElements w;
    w.W = W;
    const double windTerm = mul(andreyanov ? 0.0208 : 0.0166, power(W, 1.25));
    const double D = inputs.number(Box::D);
    const double H1 = mul(windTerm, power(D, oneThird));

    const double wind = mul(andreyanov ? 0.304 : 0.389, W);
    w.Lambda = mul(wind, andreyanov ? root(D) : power(D, oneThird));
    w.T = deepWaterPeriod(w.Lambda);

    w.Dm = mul(D, 1000.0);
    w.E = windSetup(w.Dm, W, inputs);
    w.H1 = round2(H1);
    return w;
}

}  // namespace

const std::vector<double>& wavelengthCandidates() {
    static const std::vector<double> candidates = [] {
        std::vector<double> c;
        for (double L = 2.0; L <= 90.0; L += 0.2) {
            c.push_back(L);
        }
        return c;
    }();
    return candidates;
}

WavelengthSearch searchWavelength(double T, double H) {
    const std::vector<double>& L = wavelengthCandidates();
    const double deep = mul(deepWater, power(T, 2));
    const double scale = div(mul(power(T, 2), g), twoPi);
    const double kH = mul(twoPi, H);
    const auto computed = [&](std::size_t i) { return mul(scale, HTan(div(kH, L[i]))); };

    // Over positive depths Lc falls as L grows while L itself rises by 0.2 a step, so Lc − L
    // falls strictly from candidate to candidate, by far more than rounding can undo. The
    // first candidate with Lc − L < 0.5 is then found by bisection, and it is the first within
    // the tolerance exactly when Lc − L > −0.5 there; no later one can be. This gives what
    // trying the candidates in turn gives, with a dozen pairs of exponentials instead of up
    // to 440. For other depths the candidates are tried in turn.
    std::size_t first = 0;
    if (H > 0) {
        std::size_t last = L.size();
        while (first < last) {
            const std::size_t mid = first + (last - first) / 2;
            if (sub(computed(mid), L[mid]) < 0.5) {
                last = mid;
            } else {
                first = mid + 1;
            }
        }
    }
    for (std::size_t i = first; i < L.size(); ++i) {
        const double Lc = computed(i);
        if (std::fabs(sub(Lc, L[i])) < 0.5) {
            const bool shallow = div(H, L[i]) < 0.5;
            return {shallow ? Lc : deep, static_cast<int>(i) + 1, true};
        }
        if (H > 0) {
            break;
        }
    }
    return {deep, 0, false};
}

WaveElements computeWaveElements(FormulaChoice Igs, const InputSet& inputs, double W) {
    switch (Igs) {
        case FormulaChoice::Putian:
            return putian(inputs, W);
        case FormulaChoice::Andreyanov:
            return powerLaw(inputs, W, true);
        case FormulaChoice::GuantingHedi:
            return powerLaw(inputs, W, false);
    }
    checked::fail(FailureKind::InvalidArgument);
}

}  // namespace kelnor
