#pragma once

#include <cmath>

#include "kelnor/failure.h"

namespace kelnor {

// Rounding to two decimals as the method does it: floor(100·x + 0.5) / 100 on doubles.
// Halves go upwards also for negative values, and 1.005 gives 1.00 because 100 × 1.005
// is just below 100.5 in binary.
double round2(double x);

// Hyperbolic tangent from the exponentials, (e^x − e^−x) / (e^−x + e^x), in exactly this
// form so every figure matches the hand method. Where e^x or e^−x is beyond the double
// range the quotient is ±1 to the last bit, so that value is returned instead of failing:
// a deep reservoir still computes.
double HTan(double x);

// Arithmetic that never lets an infinity or NaN through: each operation raises the
// failure of its kind instead. Operands are always finite.
namespace checked {

[[noreturn]] void fail(FailureKind kind);

inline double finite(double r) {
    if (!std::isfinite(r)) [[unlikely]] {
        fail(FailureKind::Overflow);
    }
    return r;
}

inline double add(double a, double b) {
    return finite(a + b);
}
inline double sub(double a, double b) {
    return finite(a - b);
}
inline double mul(double a, double b) {
    return finite(a * b);
}

inline double div(double a, double b) {
    if (b == 0.0) [[unlikely]] {
        fail(FailureKind::DivisionByZero);
    }
    return finite(a / b);
}

// base^exponent as a floating-point power (W² is W raised to 2, not W × W).
double power(double base, double exponent);

inline double root(double x) {
    if (x < 0.0) [[unlikely]] {
        fail(FailureKind::InvalidArgument);
    }
    return std::sqrt(x);
}

}  // namespace checked
}  // namespace kelnor
