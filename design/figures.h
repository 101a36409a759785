#pragma once

// Numbers as the calculation book and the Chinese wording print them: plain text, "−" (U+2212)
// for a minus sign as printed tables write it.

#include <string>

namespace kelnor::design {

// A fixed count of decimals: fx(0.54506, 4) is "0.5451"; a negative zero prints as 0.
std::string fx(double v, int decimals);

// A table's x or y as the table prints it: up to three decimals, trailing zeros dropped but
// two decimals kept, as coefficients are printed: 1.30, 0.5, 1.825.
std::string tv(double v);

// A table's row or column key, or a limit, without trailing zeros: 0, 0.1, 2.5, 250.
std::string plain(double v);

// A cumulative frequency: "1 %", "0.1 %".
std::string pc(double P);

// A factor as a table prints it (1.50, 1.00) where that is exactly its value, else the
// shortest text that is (1.6667): a typed factor is never shown rounded.
std::string factor(double v);

// A coefficient of a formula exactly as it is held, the shortest decimal that reads back to
// the same double: 0.00625, 4.438, 9.81.
std::string coefficient(double v);

// A coefficient as mantissa and power of ten, the shortest that reads back: 3.6e-6 gives
// {"3.6", "−6"}.
struct PowerOfTen {
    std::string mantissa;
    std::string exponent;
};
PowerOfTen powerOfTen(double v);

}  // namespace kelnor::design
