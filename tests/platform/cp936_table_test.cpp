// Every character through the code-page-936 encoder, against the bytes Linux's iconv gives:
// the report of any typed text has the same bytes on Windows, whose converter is another.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "kelnor/platform/text_encoding.h"
#include "kelnor/text/text.h"

namespace kelnor {
namespace {

using platform::toCp936;

std::string utf8Of(char32_t c) {
    std::string s;
    appendUtf8(s, c);
    return s;
}

// FNV-1a over the encoded bytes of each character of a block, each ended by a zero byte so
// a character moved from one code to its neighbour changes the sum.
std::uint64_t blockSum(char32_t first) {
    std::uint64_t h = 14695981039346656037u;
    const auto add = [&h](unsigned char b) { h = (h ^ b) * 1099511628211u; };
    for (char32_t c = first; c < first + 0x1000; ++c) {
        if (c >= 0xD800 && c < 0xE000) {
            continue;  // surrogates are no characters
        }
        for (const char b : toCp936(utf8Of(c))) {
            add(static_cast<unsigned char>(b));
        }
        add(0);
    }
    return h;
}

// The sum of a block the code page has no character of: each is "?".
constexpr std::uint64_t kNoneInTheCodePage = 0x6a68c897a200e325u;

// The sums iconv gives on Linux for U+0000..U+FFFF, 4096 characters a block; beyond, up to
// U+2FFFF, the code page has none. A difference names the block; KELNOR_CP936_TABLE=1 prints
// the sums to compare the two systems with.
constexpr std::uint64_t kBlockSums[] = {
    0xdfe3d1d9f0dadc8au, kNoneInTheCodePage,  0xfbe32d9258226de5u, 0x58409f2b0bef5c3bu,
    0x5b808b9826c429cfu, 0x3025142651decfbeu, 0x5e8bfe773fc706bcu, 0xd09eee046bf2a963u,
    0x95a941956104c1adu, 0x4722b339af59af8fu, kNoneInTheCodePage,  kNoneInTheCodePage,
    kNoneInTheCodePage,  0x788491d527118325u, kNoneInTheCodePage,  0x9d6ed9b86656f3d6u,
};
constexpr std::size_t kBlocks = 0x30;  // U+0000..U+2FFFF

TEST(Cp936, EveryCharacterHasTheBytesOfTheLinuxConverter) {
    const bool print = std::getenv("KELNOR_CP936_TABLE") != nullptr;
    for (std::size_t block = 0; block < kBlocks; ++block) {
        const std::uint64_t sum = blockSum(static_cast<char32_t>(block * 0x1000));
        if (print) {
            std::printf("    0x%016llxu,\n", static_cast<unsigned long long>(sum));
        }
        const std::uint64_t expected =
            block < std::size(kBlockSums) ? kBlockSums[block] : kNoneInTheCodePage;
        EXPECT_EQ(sum, expected) << "characters U+" << std::hex << block * 0x1000;
    }
}

TEST(Cp936, BrokenUtf8GivesOneQuestionMarkPerSequence) {
    struct Row {
        const char* what;
        std::string in, out;
    };
    const Row rows[] = {
        {"overlong", "a\xC0\x80z", "a??z"},
        {"overlong of three", "\xE0\x80\x80z", "?z"},
        {"surrogate", "\xED\xA0\x80z", "?z"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80z", "?z"},
        {"cut by a letter",
         "\xE4\xBD"
         "Az",
         "?Az"},
        {"cut at the end", "z\xF0\x9F\x98", "z?"},
        {"stray continuation", "\x80\x80", "??"},
        {"bytes never in UTF-8", "\xFF\xFE", "??"},
        {"private use", "\xEE\x80\x80", "?"},
        {"between good characters", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xE2\x80\x94",
         "\xA8\xA6\xD6\xD0?\xA1\xAA"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(toCp936(row.in), row.out) << row.what;
    }
}

}  // namespace
}  // namespace kelnor
