#include "kelnor/numeric.h"

namespace kelnor {

namespace checked {

void fail(FailureKind kind) {
    throw Failure(kind);
}

double power(double base, double exponent) {
    if (base < 0.0 && std::trunc(exponent) != exponent) {
        fail(FailureKind::InvalidArgument);
    }
    if (base == 0.0 && exponent < 0.0) {
        fail(FailureKind::DivisionByZero);
    }
    return finite(std::pow(base, exponent));
}

}  // namespace checked

double round2(double x) {
    return std::floor(checked::add(checked::mul(100.0, x), 0.5)) / 100.0;
}

double HTan(double x) {
    const double ep = std::exp(x);
    const double en = std::exp(-x);
    if (std::isinf(ep)) {
        return 1.0;
    }
    if (std::isinf(en)) {
        return -1.0;
    }
    return (ep - en) / (en + ep);
}

}  // namespace kelnor
