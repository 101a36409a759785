#pragma once

// Writing CSV lines: cells quoted where they must be, numbers as the shortest exact text.

#include <string>
#include <string_view>

namespace kelnor::csv {

// Appends `cell` to a CSV line, in double quotes (quotes doubled) when it holds a comma, a
// quote, CR or LF, otherwise as it is.
void appendCsvCell(std::string& line, std::string_view cell);

// Appends the shortest text that reads back to exactly `x` ("2.94", "4000", "4e+05",
// "0.5656262791971391"): the fewest significant digits, the fixed form unless the exponent
// form is shorter.
void appendShortest(std::string& line, double x);

}  // namespace kelnor::csv
