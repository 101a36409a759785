// Typed text as every front end treats it: blanks around it, well-formed UTF-8, and control
// characters shown escaped in one-line messages.

#include <gtest/gtest.h>

#include <string>

#include "kelnor/text/text.h"

namespace kelnor {
namespace {

TEST(Text, BlanksAroundATextAreSpacesTabsAndIdeographicSpaces) {
    const struct {
        std::string in, out;
    } rows[] = {
        {"  9.0\t", "9.0"},
        {"\xE3\x80\x80"
         "depth"
         "\xE3\x80\x80 ",
         "depth"},
        {"a b", "a b"},
        {" \t\xE3\x80\x80", ""},
        {"\xE3\x80", "\xE3\x80"},  // a cut-off sequence is no blank
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(trimBlanks(row.in), row.out) << row.in;
    }
    EXPECT_TRUE(isBlank("\t\xE3\x80\x80"));
    EXPECT_FALSE(isBlank("\xC2\xA0"));  // a no-break space is a character of its own
}

TEST(Text, Utf8IsWellFormedOnlyWithoutStrayOverlongOrSurrogateSequences) {
    const struct {
        std::string bytes;
        bool utf8;
    } rows[] = {
        {"正常蓄水位", true},
        {"\xF0\x9F\x98\x80", true},   // U+1F600
        {"\xD5\xFD\xB3\xA3", false},  // 正常 in GBK
        {"\xC0\xAF", false},          // an overlong "/"
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\xE6\xAD", false},          // cut off
        {"\x80", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isUtf8(row.bytes), row.utf8) << row.bytes;
    }
}

TEST(Text, ControlCharactersInAMessageAreEscapedSoNoTextStartsALineOfItsOwn) {
    const struct {
        std::string in, out;
    } rows[] = {
        {"A\nrow 9 (X): fake", "A\\nrow 9 (X): fake"},
        {"a\r\nb\tc", "a\\r\\nb\\tc"},
        {"\x1b[31mred", "\\x1b[31mred"},
        {"del\x7f", "del\\x7f"},
        {"next\xC2\x85line", "next\\u0085line"},
        {"sep\xE2\x80\xA8par\xE2\x80\xA9", "sep\\u2028par\\u2029"},
        {"not UTF-8 \xff", "not UTF-8 \\xff"},
        {"正常蓄水位 C:\\dams\\a.csv", "正常蓄水位 C:\\dams\\a.csv"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(escapeControls(row.in), row.out);
    }
}

}  // namespace
}  // namespace kelnor
