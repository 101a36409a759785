#pragma once

#include <string>

namespace kelnor {

// Plain-number field of the report: "-" or a blank, the magnitude to 15 significant digits
// with no zero before the point and no trailing zeros, then a blank: " 18.47 ", " .08 ",
// " 4000 ", "-.05 ". From 1E15 up the exponent form " 1E+16 "; below 0.01 likewise
// " 5E-03 ", so a tiny fetch stays one short field.
std::string formatPlainNumber(double x);
void appendPlainNumber(std::string& out, double x);

// Two-decimal figure: the value as read to 15 significant digits, rounded to two decimals
// with halves away from zero; no zero before the point, no blanks: ".78", "1.73", "-12.35".
// A negative value that rounds to zero is ".00".
std::string formatTwoDecimals(double x);
void appendTwoDecimals(std::string& out, double x);

}  // namespace kelnor
