#pragma once

// Text between the program's UTF-8 and the encodings of the files and the system around it:
// code page 936 for the report, GBK (GB18030) for the tables Excel saves on a Chinese
// Windows, UTF-16 for Windows' file names and command lines. Each converts through the
// system's own converter (iconv, or Windows' code pages).

#include <optional>
#include <string>
#include <string_view>

namespace kelnor::platform {

// Converts UTF-8 text to code page 936 and appends it. A character the code page lacks, or a
// byte that is not valid UTF-8, becomes "?".
void appendCp936(std::string& out, std::string_view utf8);
std::string toCp936(std::string_view utf8);

// GBK text (GB18030 where the system's converter has it, which is a superset of GBK and of
// code page 936) as UTF-8; nothing when the bytes are not such text.
std::optional<std::string> gbkToUtf8(std::string_view gbk);

#ifdef _WIN32
// Windows' file names and command lines are UTF-16, the program's texts UTF-8. Invalid UTF-8
// or UTF-16 becomes U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
#endif

}  // namespace kelnor::platform
