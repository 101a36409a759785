#pragma once

#include <string>
#include <string_view>

namespace kelnor {

// Converts UTF-8 text to code page 936 with the system's converter and appends it. A
// character the code page lacks, or a byte that is not valid UTF-8, becomes "?".
void appendCp936(std::string& out, std::string_view utf8);
std::string toCp936(std::string_view utf8);

}  // namespace kelnor
