#pragma once

#include <string>

namespace kelnor::cli {

// Appends the shortest text that reads back to exactly `x`, the same text std::to_chars
// gives without a precision: the fewest significant digits, the fixed form unless the
// exponent form is shorter ("2.94", "4000", "4e+05", "0.5656262791971391").
//
// Values from 0.001 up to 10^15, where every result of a calculation lies, take a fast
// exact path; every other value goes to std::to_chars. A batch prints thirteen numbers a
// row, and the library's general routine takes about as long for them as the whole
// calculation of formula 2 or 3.
void appendShortest(std::string& out, double x);

}  // namespace kelnor::cli
