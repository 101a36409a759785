#pragma once

// Small rules about typed text that every front end applies the same way.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace kelnor {

// The text without the blanks around it: spaces, tabs and the ideographic space (U+3000) a
// Chinese input method types.
std::string_view trimBlanks(std::string_view text);

// The text with the ASCII letters in lower case, every other byte as it is: how choices and
// names are compared, "Normal" as "normal".
std::string lowerAscii(std::string_view text);

// Whether `name` ends in `ending`, ASCII letters in any case: "DAM.CSV" ends in ".csv".
bool endsWithNoCase(std::string_view name, std::string_view ending);

// Whether the text holds nothing but blanks.
inline bool isBlank(std::string_view text) {
    return trimBlanks(text).empty();
}

// Whether the bytes are well-formed UTF-8: no stray continuation byte, no cut-off, overlong
// or surrogate sequence, nothing beyond U+10FFFF.
bool isUtf8(std::string_view bytes);

// The length of the well-formed UTF-8 sequence at the start of `bytes`, or 0 where none
// starts there.
std::size_t utf8SequenceLength(std::string_view bytes);

// The UTF-8 bytes of the code point `c` (at most U+10FFFF), appended to `out`.
void appendUtf8(std::string& out, char32_t c);

// The text as a one-line message may show it: control characters (line breaks, tabs, escape,
// the C1 controls and the Unicode line and paragraph separators) written as escapes, "\n",
// "\r", "\t", "\x1b", "\u2028", so a typed text can never start a line of its own. A byte that
// is not UTF-8 is written "\xHH". Everything else stays as it is.
std::string escapeControls(std::string_view text);

// The text between straight double quotes, as the command line's English messages name a
// value: "abc".
std::string inQuotes(std::string_view text);

// `pattern` with each "{name}" replaced by its value: a message worded once with blanks for its
// figures, "wind {v} m/s is not below {l} m/s". A name without a value stays as it is.
std::string fillIn(std::string_view pattern,
                   std::initializer_list<std::pair<std::string_view, std::string_view>> values);

// A path as the program's UTF-8 texts hold it: on Windows converted from UTF-16, elsewhere the
// file system's bytes as they are; and back.
std::string utf8Path(const std::filesystem::path& path);
std::filesystem::path pathFromUtf8(std::string_view text);

}  // namespace kelnor
