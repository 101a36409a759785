// The results report: number forms, the column layout in code-page-936 bytes, and the file
// that replaces the previous report only when complete.

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kelnor/number_format.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/report.h"
#include "kelnor/report_file.h"
#include "test_files.h"
#ifdef _WIN32
#endif

namespace kelnor {
namespace {

using platform::toCp936;
using platform::WriteFailure;

namespace fs = std::filesystem;
using testing_support::slurp;

// Decodes CP936 bytes back to UTF-8, in the other direction from the writer.
#ifdef _WIN32
std::string fromCp936(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), size)));
    EXPECT_TRUE(bytes.empty() || !wide.empty());
    return platform::narrow(wide);
}
#else
std::string fromCp936(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP936");
    std::string out(bytes.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(rc, static_cast<std::size_t>(-1));
    out.resize(out.size() - outLeft);
    return out;
}
#endif

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line without CR LF";
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string blanks(int n) {
    return std::string(n, ' ');
}

// A number and the text it is written as.
struct Written {
    double x;
    const char* text;
};

TEST(FormatPlainNumber, WritesTheReportsPlainNumberForm) {
    const Written rows[] = {
        {27, " 27 "},
        {18.47, " 18.47 "},
        {2.5, " 2.5 "},
        {3.40, " 3.4 "},
        {0.74, " .74 "},
        {0.08, " .08 "},
        {0.01, " .01 "},
        {4000, " 4000 "},
        {0, " 0 "},
        {-0.0, " 0 "},
        {-0.05, "-.05 "},
        {-27, "-27 "},
        {0.1 + 0.2, " .3 "},  // 15 significant digits
        {123456789012345, " 123456789012345 "},
        {999999999999999, " 999999999999999 "},
        {1e15, " 1E+15 "},
        {1234567890123456, " 1.23456789012346E+15 "},
        {1e16, " 1E+16 "},
        {1.5e300, " 1.5E+300 "},
        // Below 0.01 the exponent form too, so a tiny fetch stays a short field.
        {0.005, " 5E-03 "},
        {0.0099, " 9.9E-03 "},
        {-1.25e-7, "-1.25E-07 "},
        {1e-300, " 1E-300 "},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(formatPlainNumber(row.x), row.text) << row.x;
    }
}

TEST(FormatTwoDecimals, RoundsHalvesAwayFromZeroAtFifteenDigits) {
    const Written rows[] = {
        {0.7751175, ".78"},
        {0.5, ".50"},
        {0, ".00"},
        {1.728512, "1.73"},
        {12.3456, "12.35"},
        {12345.678, "12345.68"},
        {-0.5, "-.50"},
        {-12.3456, "-12.35"},
        {1.005, "1.01"},  // read as 1.00500000000000, not as the binary 1.00499…
        {2.675, "2.68"},
        {0.125, ".13"},
        {-0.125, "-.13"},
        {-0.001, ".00"},  // rounds to zero: no minus sign
        {-0.0, ".00"},
        {0.005, ".01"},
        {0.0049, ".00"},
        {9.995, "10.00"},
        {99.999, "100.00"},
        {1e-300, ".00"},
        {1e20, "100000000000000000000.00"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(formatTwoDecimals(row.x), row.text) << row.x;
    }
}

TEST(Cp936, EncodesTheReportsCharactersAndMarksWhatItLacks) {
    EXPECT_EQ(toCp936("K9.0"), "K9.0");
    EXPECT_EQ(toCp936("“—％Ⅰλ”"), "\xa1\xb0\xa1\xaa\xa3\xa5\xa2\xf1\xa6\xcb\xa1\xb1");
    EXPECT_EQ(toCp936("米"), "\xc3\xd7");
    EXPECT_EQ(toCp936("a😀b"), "a?b");  // not in the code page
    EXPECT_EQ(toCp936("a\xff"
                      "b"),
              "a?b");                       // not UTF-8
    EXPECT_EQ(toCp936("a\xe7\xb1"), "a?");  // cut off
    EXPECT_EQ(toCp936("\xe7\xb1"
                      "A"),
              "?A");  // a broken sequence keeps the next character
}

TEST(Report, DefaultInputsGiveTheFourteenLines) {
    const std::string bytes = calculateReport(FormulaChoice::Putian, InputSet::defaults());
    const std::vector<std::string> lines = splitLines(bytes);
    ASSERT_EQ(lines.size(), 14u);
    const std::vector<std::string> expected = {
        blanks(9) + "应用“土石坝Kelnor计算程序”计算成果",
        blanks(9) + "-----基础数据-----",
        blanks(19) + "选用莆田试验站公式计算风浪要素",
        blanks(4) + "波长:    P= 18.47 (米)" + blanks(8) + "平均水深:H=9.0(米)",
        blanks(4) + "吹程:    D= 4000 (米)" + blanks(9) + "计算风速:W= 27 (米/秒)",
        blanks(4) + "平均周期:T= 3.44 (秒)" + blanks(9) + "平均波高:H1= .74 (米)",
        blanks(4) + "波长:   λ= 18.47 (米)" + blanks(8) + "边坡系数:M=3",
        blanks(4) + "平均爬高:R=.78(米)",
        blanks(9) + "-----输出结果-----",
        blanks(4) + "安全加高 :H2=0.4(米)" + blanks(10) + "风壅水面高:E= .08 (米)",
        blanks(4) + "设计爬高(p=1％-Ⅰ Ⅱ Ⅲ 级土石坝):R=1.73(米)",
        blanks(9) + "计算超高:B=2.21(米)",
        blanks(4) + "设计爬高(p=5％-Ⅳ Ⅴ 级土石坝):R=1.43(米)",
        blanks(9) + "计算超高:B=1.91(米)",
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(fromCp936(lines[i]), expected[i]) << "line " << i + 1;
    }
    EXPECT_EQ(lines[0].size(), 45u);
    EXPECT_EQ(lines[3].size(), 52u);
    EXPECT_EQ(lines[4].size(), 56u);
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);  // no bare LF anywhere
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(bytes.compare(0, 3, "   "), 0);  // no byte-order mark
}

TEST(Report, FormulaLineAndFetchInMetres) {
    struct Row {
        FormulaChoice formula;
        const char* line3;
    };
    const std::vector<Row> rows = {
        {FormulaChoice::Putian, "选用莆田试验站公式计算风浪要素"},
        {FormulaChoice::Andreyanov, "选用安得烈扬诺夫公式计算风浪要素"},
        {FormulaChoice::GuantingHedi, "选用官厅—鹤地公式计算风浪要素"},
    };
    for (const auto& row : rows) {
        const auto lines = splitLines(calculateReport(row.formula, InputSet::defaults()));
        ASSERT_EQ(lines.size(), 14u);
        EXPECT_EQ(fromCp936(lines[2]), blanks(19) + row.line3);
        EXPECT_NE(fromCp936(lines[4]).find("D= 4000 (米)"), std::string::npos);
    }
}

TEST(Report, TypedTextsAreEchoedUnchanged) {
    InputSet inputs = InputSet::defaults();
    inputs[Box::H] = "9.00";
    inputs[Box::M] = " 3 ";
    inputs[Box::H2] = "０.４";
    const auto lines = splitLines(calculateReport(FormulaChoice::Putian, inputs));
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_NE(fromCp936(lines[3]).find("平均水深:H=9.00(米)"), std::string::npos);
    EXPECT_EQ(fromCp936(lines[6]).substr(fromCp936(lines[6]).size() - 3), " 3 ");
    // A full-width digit takes two columns: two of them leave two blanks fewer before the
    // second column.
    EXPECT_EQ(fromCp936(lines[9]),
              blanks(4) + "安全加高 :H2=０.４(米)" + blanks(8) + "风壅水面高:E= .08 (米)");
}

TEST(Report, LongAllowanceTextPushesTheSetUpToALineOfItsOwn) {
    struct Row {
        const char* allowance;
        std::size_t lines;
    };
    const std::vector<Row> rows = {
        {"0.40000000000", 14},      // 13 characters: the counter stands at column 35
        {"0.400000000000", 15},     // 14: past it
        {"0.400000000000000", 15},  //
    };
    for (const auto& row : rows) {
        InputSet inputs = InputSet::defaults();
        inputs[Box::H2] = row.allowance;
        const auto lines = splitLines(calculateReport(FormulaChoice::Putian, inputs));
        ASSERT_EQ(lines.size(), row.lines) << row.allowance;
        const std::string first = blanks(4) + "安全加高 :H2=" + row.allowance + "(米)";
        if (row.lines == 14) {
            EXPECT_EQ(fromCp936(lines[9]), first + "风壅水面高:E= .08 (米)");
        } else {
            EXPECT_EQ(fromCp936(lines[9]), first);
            EXPECT_EQ(fromCp936(lines[10]), blanks(34) + "风壅水面高:E= .08 (米)");
        }
    }
}

TEST(Report, HugeFetchIsWrittenInExponentForm) {
    InputSet inputs = InputSet::defaults();
    inputs[Box::D] = "1e13";  // 1E+16 metres
    const auto lines = splitLines(calculateReport(FormulaChoice::Andreyanov, inputs));
    EXPECT_NE(fromCp936(lines[4]).find("D= 1E+16 (米)"), std::string::npos);
}

class ReportFile : public testing_support::TemporaryFolderTest {
  protected:
    std::size_t entries() {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
};

TEST_F(ReportFile, ReplacesThePreviousReportWhole) {
    writeReportFile(dir.string(), "first report, rather longer than the second\r\n");
    writeReportFile(dir.string(), "second\r\n");
    EXPECT_EQ(slurp(dir / "tavoout.txt"), "second\r\n");
    EXPECT_EQ(entries(), 1u);  // no temporary file left
}

TEST_F(ReportFile, FailureNamesTheFileAndKeepsTheOldReport) {
    writeReportFile(dir.string(), "old\r\n");
    // Where the report should be stands a directory.
    fs::create_directory(dir / "sub");
    fs::create_directory(dir / "sub" / "tavoout.txt");
    fs::create_directory(dir / "sub" / "tavoout.txt" / "x");
    try {
        writeReportFile((dir / "sub").string(), "new\r\n");
        FAIL() << "wrote over a directory";
    } catch (const WriteFailure& f) {
        EXPECT_EQ(f.path(), (dir / "sub" / "tavoout.txt").string());
        EXPECT_EQ(f.reason(), std::errc::is_a_directory);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "sub"), {}), 1);
    // A folder that does not exist.
    try {
        writeReportFile((dir / "missing").string(), "new\r\n");
        FAIL() << "wrote into a missing folder";
    } catch (const WriteFailure& f) {
        EXPECT_EQ(f.reason(), std::errc::no_such_file_or_directory);
    }
    EXPECT_EQ(slurp(dir / "tavoout.txt"), "old\r\n");
}

}  // namespace
}  // namespace kelnor
