#pragma once

// Windows only: the system's file names and command lines are UTF-16, the program's texts
// UTF-8. These convert at the edge, so a folder or an argument in Chinese arrives whole
// whatever the system's code page.

#include <string>
#include <string_view>

namespace kelnor {

// Invalid UTF-8 or UTF-16 becomes U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace kelnor
