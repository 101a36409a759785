#include "kelnor/runup.h"

#include "kelnor/numeric.h"

namespace kelnor {

using checked::add;
using checked::div;
using checked::mul;
using checked::power;
using checked::root;

RunupResult computeRunup(const InputSet& inputs, const WaveElements& waves) {
    RunupResult r;
    // Mean run-up on a slope of one gradient: R = √(H1·L)·Kw·K△ / √(M² + 1), the two roots
    // taken separately and the boxes read in the order the expression names them.
    const double waveTerm = root(mul(waves.H1, waves.Lambda));
    const double Kw = inputs.number(Box::Kw);
    const double KDelta = inputs.number(Box::KDelta);
    const double numerator = mul(waveTerm, mul(Kw, KDelta));
    const double M = inputs.number(Box::M);
    r.R = div(numerator, root(add(power(M, 2), 1.0)));

    // Cumulative-frequency factors; the code's table has only these two rows here.
    const double H = inputs.number(Box::H);
    if (div(waves.H1, H) < 0.1) {
        r.K1 = 2.23;
        r.K5 = 1.84;
    } else {
        r.K1 = 2.08;
        r.K5 = 1.75;
    }
    r.R1 = mul(r.R, r.K1);
    r.R5 = mul(r.R, r.K5);

    const double H2 = inputs.number(Box::H2);
    r.B1 = add(add(r.R1, H2), waves.E);
    r.B5 = add(add(r.R5, H2), waves.E);
    return r;
}

}  // namespace kelnor
