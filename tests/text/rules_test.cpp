// The rest of the text library's rules, each as its callers rely on it: names compared without
// the case of ASCII letters, the length of a UTF-8 sequence, quoting and filling in a message,
// paths as UTF-8 and back, the words of an enumeration, a rectangle's far edges; and reading and
// writing numbers.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "kelnor/text/number.h"
#include "kelnor/text/rect.h"
#include "kelnor/text/text.h"
#include "kelnor/text/words.h"

namespace kelnor {
namespace {

TEST(TextRules, NamesAreComparedWithoutTheCaseOfAsciiLetters) {
    EXPECT_EQ(lowerAscii("Normal ÄBC 工况 DAM.CSV"), "normal Äbc 工况 dam.csv");
    struct Case {
        const char* name;
        const char* ending;
        bool ends;
    };
    const Case cases[] = {
        {"DAM.CSV", ".csv", true},    {"坝-计算书.Docx", ".docx", true},
        {"a.pdf.txt", ".pdf", false}, {"pdf", ".pdf", false},
        {"", ".csv", false},          {"x", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(endsWithNoCase(c.name, c.ending), c.ends) << c.name << " " << c.ending;
    }
    EXPECT_TRUE(isBlank(" \t\u3000"));
    EXPECT_FALSE(isBlank(" x "));
}

TEST(TextRules, AUtf8SequenceIsMeasuredOnlyWhereOneStarts) {
    struct Case {
        std::string bytes;
        std::size_t length;
    };
    const Case cases[] = {
        {"a", 1},
        {"é", 2},
        {"工况", 3},
        {"𝛽", 4},
        {"\x80", 0},
        {"\xE5\xB7", 0},
        {"\xC0\xAF", 0},
        {"\xED\xA0\x80", 0},
        {"\xF4\x90\x80\x80", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8SequenceLength(c.bytes), c.length) << testing::PrintToString(c.bytes);
    }
}

TEST(TextRules, ACodePointIsWrittenAsItsUtf8Bytes) {
    struct Case {
        char32_t c;
        std::string bytes;
    };
    const Case cases[] = {{U'a', "a"},          {U'\u00E9', "\xC3\xA9"},
                          {U'\u5DE5', "工"},    {U'\uFFFD', "\xEF\xBF\xBD"},
                          {U'\U0001D6FD', "𝛽"}, {U'\U0010FFFF', "\xF4\x8F\xBF\xBF"}};
    for (const Case& c : cases) {
        std::string out = "x";
        appendUtf8(out, c.c);
        EXPECT_EQ(out, "x" + c.bytes) << std::hex << static_cast<unsigned>(c.c);
        EXPECT_EQ(utf8SequenceLength(c.bytes), c.bytes.size());
    }
}

TEST(TextRules, MessagesQuoteAndFillInTheirValues) {
    EXPECT_EQ(inQuotes("abc"), "\"abc\"");
    EXPECT_EQ(fillIn("wind {v} m/s is not below {l} m/s; {missing}", {{"v", "40"}, {"l", "30"}}),
              "wind 40 m/s is not below 30 m/s; {missing}");
    // A value holding a blank's name is not filled again.
    EXPECT_EQ(fillIn("{a} {b}", {{"a", "{b}"}, {"b", "x"}}), "{b} x");
}

TEST(TextRules, PathsGoToUtf8AndBack) {
    for (const char* name : {"坝-计算书.docx", "a b/c.csv", "工况 (1).csv"}) {
        const std::filesystem::path path = pathFromUtf8(name);
        EXPECT_EQ(utf8Path(path), name);
        EXPECT_EQ(pathFromUtf8(utf8Path(path)), path);
    }
}

enum class Colour { Red, Green, Blue };

TEST(TextRules, AnEnumerationIsWordedByItsTable) {
    static constexpr Word<Colour> kWords[] = {{Colour::Red, "红"}, {Colour::Green, "绿"}};
    static_assert(wordFor(Colour::Green, kWords) == "绿");
    EXPECT_EQ(wordFor(Colour::Red, kWords), "红");
    EXPECT_EQ(wordFor(Colour::Blue, kWords), "");
}

TEST(TextRules, ARectanglesFarEdges) {
    const Rect r{10, 20, 300, 40};
    EXPECT_EQ(r.right(), 310);
    EXPECT_EQ(r.bottom(), 60);
    EXPECT_EQ(r, (Rect{10, 20, 300, 40}));
    EXPECT_NE(r, (Rect{10, 20, 300, 41}));
}

TEST(Numbers, ReadAsTypedOrRefusedWithTheirKind) {
    struct Case {
        const char* text;
        double value;
    };
    const Case read[] = {
        {"12.5", 12.5},  {" ４．５ ", 4.5}, {"-1e-3", -0.001},    {"+.5", 0.5},
        {"1e-400", 0.0}, {"0009", 9},       {"\u30007\u3000", 7},
    };
    for (const Case& c : read) {
        EXPECT_EQ(parseNumber(c.text), c.value) << c.text;
    }
    struct Refused {
        const char* text;
        NumberErrorKind kind;
    };
    const Refused refused[] = {
        {"", NumberErrorKind::NotANumber},        {"abc", NumberErrorKind::NotANumber},
        {"1,5", NumberErrorKind::NotANumber},     {"inf", NumberErrorKind::NotANumber},
        {"0x10", NumberErrorKind::NotANumber},    {"1e", NumberErrorKind::NotANumber},
        {"1.2.3", NumberErrorKind::NotANumber},   {"1e400", NumberErrorKind::TooLarge},
        {"-1E400000", NumberErrorKind::TooLarge},
    };
    for (const Refused& r : refused) {
        try {
            parseNumber(r.text);
            ADD_FAILURE() << r.text << " was read";
        } catch (const NumberError& e) {
            EXPECT_EQ(e.kind(), r.kind) << r.text;
            EXPECT_EQ(e.text(), r.text);
        }
    }
}

TEST(Numbers, WrittenWithFixedDecimalsAndEitherMinus) {
    struct Case {
        double value;
        int decimals;
        Minus minus;
        const char* text;
    };
    const Case cases[] = {
        {0.54506, 4, Minus::Ascii, "0.5451"},
        {104.2228, 3, Minus::Ascii, "104.223"},
        {-2.5, 2, Minus::Ascii, "-2.50"},
        {-2.5, 2, Minus::Typographic, "\u22122.50"},
        {-0.0001, 3, Minus::Typographic, "0.000"},  // a negative zero loses its sign
        {-0.0, 0, Minus::Ascii, "0"},
        {2.0, 0, Minus::Typographic, "2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fixed(c.value, c.decimals, c.minus), c.text) << c.value;
    }
}

}  // namespace
}  // namespace kelnor
