// Reading the typed numbers: the same on every locale, tolerant of what a Chinese input
// method types, strict about everything else.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "kelnor/inputs.h"

namespace kelnor {
namespace {

TEST(ReadNumber, AcceptsPlainDecimalsBlanksSignsExponentsAndFullWidthForms) {
    struct Row {
        const char* text;
        double value;
    };
    const std::vector<Row> rows = {
        {"9.0", 9.0},
        {"27", 27.0},
        {"0.65", 0.65},
        {" 9.0 ", 9.0},
        {"\t27\t", 27.0},
        {"\u30009.0\u3000", 9.0},  // ideographic space
        {"+4", 4.0},
        {"-1", -1.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"00012", 12.0},
        {"1e3", 1000.0},
        {"1E-3", 0.001},
        {"1.5e+2", 150.0},
        {"\uff10\uff0e\uff16\uff15", 0.65},   // ０．６５
        {"\uff0d\uff13", -3.0},               // －３
        {"\uff0b\uff11\uff45\uff12", 100.0},  // ＋１ｅ２
        {"\uff11\uff25\uff13", 1000.0},       // １Ｅ３
        {"\uff19\uff0e\uff10", 9.0},          // ９．０, the last of the full-width digits
        {"\uff17\uff18\uff19", 789.0},        // ７８９
        {"\uff12\uff13\uff14\uff15\uff16", 23456.0},
        {"0.1", 0.1},  // correctly rounded, as the compiler reads it
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"1e-400", 0.0},  // below the smallest double: zero, not a failure
    };
    for (const auto& row : rows) {
        EXPECT_EQ(readNumber(row.text), row.value) << row.text;
    }
    EXPECT_TRUE(std::signbit(readNumber("-0")));
}

TEST(ReadNumber, RefusesWhatIsNotANumber) {
    struct Row {
        const char* text;
        FailureKind kind;
    };
    const std::vector<Row> rows = {
        {"", FailureKind::TypeMismatch},
        {" ", FailureKind::TypeMismatch},
        {"abc", FailureKind::TypeMismatch},
        {"\uff1a", FailureKind::TypeMismatch},  // ： follows ９ but is no digit
        {"\uff0f", FailureKind::TypeMismatch},  // ／ precedes ０
        {"1,5", FailureKind::TypeMismatch},
        {"inf", FailureKind::TypeMismatch},
        {"nan", FailureKind::TypeMismatch},
        {"0x10", FailureKind::TypeMismatch},
        {"1e", FailureKind::TypeMismatch},
        {"1e+", FailureKind::TypeMismatch},
        {".", FailureKind::TypeMismatch},
        {"+", FailureKind::TypeMismatch},
        {"1.2.3", FailureKind::TypeMismatch},
        {"1 2", FailureKind::TypeMismatch},
        {"9.0m", FailureKind::TypeMismatch},
        {"--1", FailureKind::TypeMismatch},
        {"e5", FailureKind::TypeMismatch},
        {"9\n", FailureKind::TypeMismatch},
        {"\u00a09", FailureKind::TypeMismatch},       // no-break space is not a blank here
        {"\uff19\uff41", FailureKind::TypeMismatch},  // ９ａ
        {"\xef\xbc", FailureKind::TypeMismatch},      // cut-off UTF-8
        {"1e400", FailureKind::Overflow},
        {"-1e400", FailureKind::Overflow},
        {"0.01e311", FailureKind::Overflow},
        {"1e99999999999999999999", FailureKind::Overflow},
    };
    for (const auto& row : rows) {
        try {
            readNumber(row.text, 4);
            ADD_FAILURE() << "accepted \"" << row.text << "\"";
        } catch (const Failure& f) {
            EXPECT_EQ(f.kind(), row.kind) << row.text;
            EXPECT_EQ(f.box(), 4) << row.text;
            EXPECT_EQ(f.text(), row.text);
        }
    }
}

TEST(ReadNumber, DoesNotDependOnTheLocale) {
    // A locale with a decimal comma would read "9.0" as 90 with the C library.
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) == nullptr) {
            continue;
        }
        EXPECT_EQ(readNumber("9.0"), 9.0) << name;
        EXPECT_THROW(readNumber("9,0"), Failure) << name;
        std::setlocale(LC_ALL, "C");
    }
    EXPECT_EQ(readNumber("9.0"), 9.0);
}

}  // namespace
}  // namespace kelnor
