// GBK as Excel saves it on a Chinese Windows, read back to UTF-8 through the system's converter.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "kelnor/platform/text_encoding.h"

namespace kelnor::platform {
namespace {

TEST(Gbk, ExcelsBytesReadAsTheirCharactersAndAnythingElseIsRefused) {
    const struct {
        std::string what, gbk;
        std::optional<std::string> utf8;
    } rows[] = {
        {"ASCII", "case,depth 30", "case,depth 30"},
        {"names of conditions", "\xD5\xFD\xB3\xA3\xD0\xEE\xCB\xAE\xCE\xBB", "正常蓄水位"},
        {"full-width digits and the ideographic space", "\xA3\xB1\xA3\xB2\xA1\xA1", "１２　"},
        {"code page 936's euro sign", "\x80", "€"},
#ifndef _WIN32
        // Windows has them in code page 54936; Wine's copy of it lacks the four-byte forms.
        {"GB18030's four-byte form", "\x81\x30\x81\x30", "\xC2\x80"},
#endif
        {"a lead byte cut off", "\xD5", std::nullopt},
        {"no character at FF", "\xFF\xFF", std::nullopt},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(gbkToUtf8(row.gbk), row.utf8) << row.what;
    }
}

TEST(Gbk, EveryTwoByteCodeOfTheReportsCodePageReadsBackToTheSameCharacter) {
    // Whatever the report writes in code page 936 reads back from GBK unchanged.
    for (const std::string text : {"应用“土石坝Kelnor计算程序”计算成果",
                                   "波长:   λ=", "安全加高 :H2=", "校核洪水位（２０２４）"}) {
        EXPECT_EQ(gbkToUtf8(toCp936(text)), text) << text;
    }
}

}  // namespace
}  // namespace kelnor::platform
