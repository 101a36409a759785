#include "kelnor/zip/zip.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "test_files.h"
#ifndef _WIN32
#include "run_program.h"
#endif

namespace {

using namespace kelnor::zip;
using namespace std::string_literals;
using Kind = ZipErrorKind;

void set16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}
void set32(std::string& s, std::size_t at, std::uint32_t v) {
    set16(s, at, v & 0xFFFF);
    set16(s, at + 2, v >> 16);
}
std::uint32_t get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    }
    return v;
}
// Where the end record and the first central directory record start, in an archive without a
// comment.
std::size_t endAt(const std::string& z) {
    return z.size() - 22;
}
std::size_t centralAt(const std::string& z) {
    return get32(z, endAt(z) + 16);
}

// The ZipError that reading `archive`, or writing `entries`, raises.
struct Failure {
    Kind kind;
    std::string entry;
    bool operator==(const Failure&) const = default;
};
std::optional<Failure> failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ZipError& e) {
        return Failure{e.kind(), e.entry()};
    }
    return std::nullopt;
}
std::optional<Failure> failureOf(std::string_view archive, const Limits& limits = {}) {
    return failureOf([&] { read(archive, limits); });
}
std::optional<Failure> failureOf(const std::vector<Entry>& entries) {
    return failureOf([&] { write(entries); });
}

std::string bytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string s(n, '\0');
    for (char& c : s) {
        c = static_cast<char>(random());
    }
    return s;
}

std::string lines(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; s.size() < n; ++i) {
        s += "<w:p><w:r><w:t>第" + std::to_string(i) + "行 wave run-up</w:t></w:r></w:p>\n";
    }
    return s.substr(0, n);
}

const std::vector<Entry> kPackage = {
    {"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
    {"word/document.xml", lines(1000000)},
    {"word/empty.xml", ""},
    {"图纸/坝顶超高.txt", "超高 2.35 m"},
    {"word/media/noise.bin", bytes(3000, 1)},
};

TEST(Zip, WhatIsWrittenReadsBackEntryForEntryInOrder) {
    const std::string z = write(kPackage);
    EXPECT_EQ(read(z), kPackage);
    // The text deflated, the noise stored.
    EXPECT_LT(z.size(), 100000u);
    EXPECT_GT(z.size(), 3000u);
}

// Stored entries give every byte of the archive by the format alone; "hi" does not deflate
// smaller. CRC-32 of "hi" is D8932AAC; the date 0x0021 is 1980-01-01.
// clang-format off
const std::string kStoredHi = std::string(
    // signature, version 2.0, flags, stored, time, date, CRC, sizes, name's length, no extra
    "PK\3\4" "\x14\0" "\0\0" "\0\0" "\0\0" "\x21\0" "\xAC\x2A\x93\xD8" "\2\0\0\0" "\2\0\0\0"
    "\5\0" "\0\0" "a.txt" "hi"
    // signature, made by 2.0 and the same fields, no comment, disk 0, attributes 0, offset 0
    "PK\1\2" "\x14\0" "\x14\0" "\0\0" "\0\0" "\0\0" "\x21\0" "\xAC\x2A\x93\xD8" "\2\0\0\0"
    "\2\0\0\0" "\5\0" "\0\0" "\0\0" "\0\0" "\0\0" "\0\0\0\0" "\0\0\0\0" "a.txt"
    // signature, disks 0, one entry, the directory's 51 bytes at 37, no comment
    "PK\5\6" "\0\0" "\0\0" "\1\0" "\1\0" "\x33\0\0\0" "\x25\0\0\0" "\0\0", 37 + 51 + 22);
// clang-format on

TEST(Zip, AStoredEntryIsWrittenAndReadAsTheFormatLaysItOut) {
    EXPECT_EQ(write({{"a.txt", "hi"}}), kStoredHi);
    EXPECT_EQ(read(kStoredHi), (std::vector<Entry>{{"a.txt", "hi"}}));
}

TEST(Zip, TheSameEntriesGiveTheSameBytes) {
    const std::string z = write(kPackage);
    EXPECT_EQ(write(kPackage), z);
    // Pinned for zlib 1.2.13, which the Linux and the Windows programs both link: another
    // deflate would make the same package differ between them.
    EXPECT_EQ(z.size(), 50730u);
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(z.data()), z.size()), 0xF9BE09D5u);
}

TEST(Zip, TheEndRecordIsFoundBehindAnyComment) {
    for (const std::string& comment :
         {std::string(65535, 'c'), std::string("PK\5\6 not the end record"), std::string("x")}) {
        std::string z = kStoredHi + comment;
        set16(z, kStoredHi.size() - 2, comment.size());
        EXPECT_EQ(read(z).size(), 1u) << comment.substr(0, 10);
    }
}

TEST(Zip, FoldersAreLeftOut) {
    EXPECT_EQ(read(write({{"word/", ""}, {"word/a.xml", "a"}})),
              (std::vector<Entry>{{"word/a.xml", "a"}}));
}

TEST(Zip, WhatIsNotAZipIsRefused) {
    const std::string ole = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + std::string(504, 0);
    for (const std::string& input : {std::string(), ole, bytes(5000, 2), std::string("PK")}) {
        EXPECT_EQ(failureOf(input), (Failure{Kind::NotAZip, ""})) << input.size();
    }
}

const std::vector<Entry> kSmall = {{"a.xml", lines(300)}, {"图/b.bin", bytes(40, 3)}, {"e", ""}};

TEST(Zip, AnArchiveCutAnywhereIsTruncated) {
    std::string z = write(kSmall) + "comment";
    set16(z, z.size() - 9, 7);
    for (std::size_t cut = 0; cut < z.size(); ++cut) {
        const Kind expected = cut < 4 ? Kind::NotAZip : Kind::Truncated;
        ASSERT_EQ(failureOf(z.substr(0, cut)), (Failure{expected, ""})) << cut;
    }
}

TEST(Zip, AnyByteChangedIsReadOrRefusedButNeverCrashes) {
    const std::string z = write(kSmall);
    for (std::size_t at = 0; at < z.size(); ++at) {
        for (const char flip : {'\x01', '\x80', '\xFF'}) {
            std::string damaged = z;
            damaged[at] ^= flip;
            try {
                read(damaged);
            } catch (const ZipError&) {
            }
        }
    }
}

// A change to an archive, given where its one entry's local header, its central directory
// entry and the end record start.
using Change =
    std::function<void(std::string& z, std::size_t local, std::size_t central, std::size_t end)>;

struct Damage {
    const char* what;
    Change apply;
    Failure expected;
};

// The entry's compression method, in its local header and its central directory entry alike.
Change methodSetTo(unsigned method) {
    return [method](std::string& z, std::size_t l, std::size_t c, std::size_t) {
        set16(z, l + 8, method);
        set16(z, c + 10, method);
    };
}

// The end record's two counts of entries, this disk's and the whole's, as one 32-bit field.
Change entriesToldAs(std::uint32_t counts) {
    return [counts](std::string& z, std::size_t, std::size_t, std::size_t e) {
        set32(z, e + 8, counts);
    };
}

TEST(Zip, DamagedOrForeignArchivesAreRefusedWithTheirKind) {
    const std::string name = "word/document.xml";
    const Damage table[] = {
        {"encrypted", [](auto& z, auto, auto c, auto) { z[c + 8] |= 1; }, {Kind::Encrypted, name}},
        {"AES", methodSetTo(99), {Kind::Encrypted, name}},
        {"bzip2", methodSetTo(12), {Kind::Unsupported, name}},
        {"second disk",
         [](auto& z, auto, auto, auto e) { set16(z, e + 4, 1); },
         {Kind::Unsupported, ""}},
        {"zip64 count", entriesToldAs(0xFFFFFFFF), {Kind::Unsupported, ""}},
        {"bad CRC", [](auto& z, auto, auto c, auto) { z[c + 16] ^= 1; }, {Kind::Corrupt, name}},
        {"deflate data",
         [](auto& z, auto l, auto, auto) { z[l + 60] ^= 0x55; },
         {Kind::Corrupt, name}},
        {"size one short",
         [](auto& z, auto, auto c, auto) { z[c + 24] -= 1; },
         {Kind::Corrupt, name}},
        {"size one over",
         [](auto& z, auto, auto c, auto) { z[c + 24] += 1; },
         {Kind::Corrupt, name}},
        {"local name", [](auto& z, auto l, auto, auto) { z[l + 30] = 'W'; }, {Kind::Corrupt, name}},
        {"local offset",
         [](auto& z, auto, auto c, auto) { set32(z, c + 42, 4); },
         {Kind::Corrupt, name}},
        {"two entries told", entriesToldAs(0x20002), {Kind::Corrupt, ""}},
        {"no entry told", entriesToldAs(0), {Kind::Corrupt, ""}},
        {"directory beyond",
         [](auto& z, auto, auto, auto e) { z[e + 19] = 0x7F; },
         {Kind::Corrupt, ""}},
    };
    const std::string z = write({{name, lines(5000)}});
    for (const Damage& d : table) {
        std::string damaged = z;
        d.apply(damaged, 0, centralAt(z), endAt(z));
        EXPECT_EQ(failureOf(damaged), d.expected) << d.what;
    }
}

TEST(Zip, EntriesThatShareBytesAreRefused) {
    const std::string b = bytes(200, 6);
    const std::string bEntry = write({{"b", b}}).substr(0, 30 + 1 + b.size());
    std::string z = write({{"a", bEntry}, {"b", b}});
    ASSERT_EQ(z[8], 0);  // "a" stored: its data hold b's local entry as it is
    EXPECT_EQ(read(z).size(), 2u);
    // b's record pointed at the copy inside a's data.
    set32(z, centralAt(z) + 46 + 1 + 42, 30 + 1);
    EXPECT_EQ(failureOf(z), (Failure{Kind::Corrupt, "b"}));
}

// An archive of one entry "bomb" whose data are `stream`, deflating to `size` bytes of CRC `crc`.
std::string oneEntry(const std::string& stream, std::uint32_t size, std::uint32_t crc) {
    // Noise is stored as it is; the stream then takes its place.
    std::string z = write({{"bomb", bytes(stream.size(), 5)}});
    z.replace(34, stream.size(), stream);
    // The method, then past the time and date the CRC and the two sizes, in either header.
    for (const std::size_t at : {std::size_t{8}, centralAt(z) + 10}) {
        set16(z, at, 8);
        set32(z, at + 6, crc);
        set32(z, at + 10, stream.size());
        set32(z, at + 14, size);
    }
    return z;
}

TEST(Zip, AZipBombIsRefusedBeforeItIsInflated) {
    // 100 MB of zeros deflate to about 100 KB; made a megabyte at a time.
    const std::string zeros(1 << 20, '\0');
    z_stream s{};
    ASSERT_EQ(deflateInit2(&s, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string stream(200000, '\0');
    s.next_out = reinterpret_cast<Bytef*>(stream.data());
    s.avail_out = stream.size();
    uLong crc = 0;
    for (int i = 0; i < 100; ++i) {
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        s.avail_in = zeros.size();
        ASSERT_NE(deflate(&s, i == 99 ? Z_FINISH : Z_NO_FLUSH), Z_STREAM_ERROR);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()), zeros.size());
    }
    stream.resize(s.total_out);
    deflateEnd(&s);
    ASSERT_LT(stream.size(), 150000u);

    const std::uint32_t size = 100u << 20;
    EXPECT_EQ(failureOf(oneEntry(stream, size, crc)), (Failure{Kind::TooLarge, "bomb"}));
    // Within the size limit the ratio gives it away; told small, inflating stops there.
    EXPECT_EQ(failureOf(oneEntry(stream, size, crc), {.maxEntrySize = size}),
              (Failure{Kind::TooLarge, "bomb"}));
    EXPECT_EQ(failureOf(oneEntry(stream, 1 << 20, crc)), (Failure{Kind::Corrupt, "bomb"}));
}

TEST(Zip, EachLimitIsTheLastSizeAllowed) {
    const std::string big(2 << 20, 'c');
    const std::string z = write({{"a", std::string(100, 'a')}, {"b", bytes(100, 4)}, {"c", big}});
    const Limits exact{3, big.size(), 200 + big.size(),
                       big.size() / get32(write({{"c", big}}), 18)};
    EXPECT_EQ(read(z, exact).size(), 3u);
    const std::function<void(Limits&)> lower[] = {
        [](Limits& l) { --l.maxEntries; },
        [](Limits& l) { --l.maxEntrySize; },
        [](Limits& l) { --l.maxTotalSize; },
        [](Limits& l) { --l.maxRatio; },
    };
    for (const auto& change : lower) {
        Limits limits = exact;
        change(limits);
        const auto failure = failureOf(z, limits);
        ASSERT_TRUE(failure) << &change - lower;
        EXPECT_EQ(failure->kind, Kind::TooLarge) << &change - lower;
    }
}

// Each name written in place of a harmless one of its length.
std::string withName(const std::string& name) {
    std::string z = write({{std::string(name.size(), 'q'), "data"}});
    for (std::size_t at = 0; (at = z.find(std::string(name.size(), 'q'), at)) != z.npos;) {
        z.replace(at, name.size(), name);
    }
    return z;
}

TEST(Zip, NamesThatLeaveThePackageAreRefused) {
    EXPECT_FALSE(isSafeName(""));
    for (const std::string& name :
         {"../x"s, "/etc/passwd"s, "C:/x"s, "a/../../x"s, "a\\..\\x"s, "a\0b"s,
          "\\\\server\\share"s, "a/.. /x"s, "a/.../x"s, "\xC0\xAE\xC0\xAE/x"s, "doc.xml:stream"s}) {
        EXPECT_FALSE(isSafeName(name)) << name;
        EXPECT_EQ(failureOf(withName(name)), (Failure{Kind::UnsafeName, name})) << name;
        EXPECT_EQ(failureOf(std::vector<Entry>{{name, ""}}), (Failure{Kind::UnsafeName, name}))
            << name;
    }
    for (const std::string& name : {"_rels/.rels"s, "a/./b"s, "a..b/c"s, ".x"s, "图纸/说明.txt"s}) {
        EXPECT_TRUE(isSafeName(name)) << name;
        EXPECT_EQ(read(withName(name)), (std::vector<Entry>{{name, "data"}})) << name;
    }
}

TEST(Zip, ANameTwiceIsRefused) {
    for (const std::string& name : {"word/a.xml"s, "Word/A.XML"s, "word\\a.xml"s}) {
        std::string z = write({{"word/a.xml", "1"}, {"zzzz/z.xml", "2"}});
        for (std::size_t at = 0; (at = z.find("zzzz/z.xml", at)) != z.npos;) {
            z.replace(at, name.size(), name);
        }
        EXPECT_EQ(failureOf(z), (Failure{Kind::DuplicateName, name}));
        EXPECT_EQ(failureOf(std::vector<Entry>{{"word/a.xml", "1"}, {name, "2"}}),
                  (Failure{Kind::DuplicateName, name}));
    }
}

class ZipReader : public kelnor::testing_support::TemporaryFolderTest {};

// Python's zipfile reads names as code page 437 unless the UTF-8 flag is set, and checks every
// CRC.
TEST_F(ZipReader, AnotherZipReaderListsAndChecksTheArchive) {
#ifdef _WIN32
    GTEST_SKIP() << "no second zip reader under Wine";
#else
    if (!std::filesystem::exists("/usr/bin/python3")) {
        GTEST_SKIP() << "no /usr/bin/python3";
    }
    std::ofstream(dir / "package.docx", std::ios::binary) << write(kPackage);
    const auto o = kelnor::testing_support::runProgram(
        {"/usr/bin/python3", "-c",
         "import sys, zipfile\n"
         "z = zipfile.ZipFile(sys.argv[1])\n"
         "bad = z.testzip()\n"
         "for n in z.namelist(): sys.stdout.buffer.write(f'{n} {len(z.read(n))}\\n'.encode())\n"
         "sys.exit(1 if bad else 0)\n",
         (dir / "package.docx").string()},
        dir);
    EXPECT_EQ(o.status, 0) << o.err;
    std::string expected;
    for (const Entry& e : kPackage) {
        expected += e.name + " " + std::to_string(e.data.size()) + "\n";
    }
    EXPECT_EQ(o.out, expected);
#endif
}

}  // namespace
