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

WavelengthSearch searchWavelength(double T, double H) {
    WavelengthSearch search;
    const double deep = mul(deepWater, power(T, 2));
    const double scale = div(mul(power(T, 2), g), twoPi);
    const double kH = mul(twoPi, H);
    for (double L = 2.0; L <= 90.0; L += 0.2) {
        ++search.candidates;
        const double Lc = mul(scale, HTan(div(kH, L)));
        const bool shallow = div(H, L) < 0.5;
        const bool close = std::fabs(sub(Lc, L)) < 0.5;
        if (close) {
            search.matched = true;
            search.Lambda = shallow ? Lc : deep;
            return search;
        }
    }
    search.Lambda = deep;
    return search;
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
