// What only Windows has to get right: the report held by another program or marked read-only,
// folders and arguments in Chinese whatever the system's code page, and standard streams that
// pass the report's bytes unchanged.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/pdf_printer.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/report.h"
#include "kelnor/report_file.h"
#include "run_program.h"

namespace kelnor {
namespace {

using platform::narrow;
using platform::widen;
using platform::WriteFailure;

namespace fs = std::filesystem;

using testing_support::Outcome;
using testing_support::slurp;

fs::path utf8Path(const std::string& text) {
    return fs::path(widen(text));
}

class Windows : public testing_support::TemporaryFolderTest {
  protected:
    Outcome run(const std::string& program, const std::vector<std::string>& args,
                const std::optional<std::string>& input = std::nullopt) {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        return testing_support::runProgram(argv, dir, input);
    }

    std::string folder() const { return narrow(dir.wstring()); }
};

// How another program or the user keeps the report from being replaced: what is done to it,
// and the system's reasons the replacement may fail with.
struct Hold {
    const char* what;
    std::function<HANDLE(const std::wstring& report)> take;
    std::vector<DWORD> reasons;
};

const std::vector<Hold>& holds() {
    static const std::vector<Hold> rows = {
        {"marked read-only",
         [](const std::wstring& report) {
             SetFileAttributesW(report.c_str(), FILE_ATTRIBUTE_READONLY);
             return INVALID_HANDLE_VALUE;
         },
         {ERROR_ACCESS_DENIED}},
        // A spreadsheet showing the report opens it for reading and lets nobody delete it.
        {"held open without sharing",
         [](const std::wstring& report) {
             return CreateFileW(report.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED}},
        {"held open for reading and writing only",
         [](const std::wstring& report) {
             return CreateFileW(report.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED}},
    };
    return rows;
}

bool oneOf(DWORD code, const std::vector<DWORD>& codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

TEST_F(Windows, HeldOrReadOnlyReportFailsNamingTheFileAndStays) {
    for (const Hold& hold : holds()) {
        SCOPED_TRACE(hold.what);
        const std::string path = reportPath(folder());
        writeReportFile(folder(), "old\r\n");
        const HANDLE held = hold.take(widen(path));
        try {
            writeReportFile(folder(), "new\r\n");
            ADD_FAILURE() << "replaced a report " << hold.what;
        } catch (const WriteFailure& f) {
            EXPECT_EQ(f.path(), path);
            EXPECT_EQ(f.reason().category(), std::system_category());
            EXPECT_TRUE(oneOf(static_cast<DWORD>(f.reason().value()), hold.reasons))
                << f.reason().value() << " " << f.reason().message();
        }
        // The command line words the same failure.
        const Outcome o = run(KELNOR_CALC, {"--output", path});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err.rfind("kelnor-calc: cannot write report: " + path + ": ", 0), 0u) << o.err;
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);
        }
        SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(slurp(utf8Path(path)), "old\r\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);  // no temporary left
    }
}

TEST_F(Windows, ChineseFoldersForTheProgramAndTheReport) {
    // State: the program copied into a folder named in Chinese, the report aimed at another.
    const fs::path programFolder = dir / utf8Path("土石坝 程序");
    const fs::path reportFolder = dir / utf8Path("计算成果（２０２４）");
    fs::create_directory(programFolder);
    fs::create_directory(reportFolder);
    const fs::path program = programFolder / "kelnor-calc.exe";
    fs::copy_file(KELNOR_CALC, program);
    const std::string expected = calculateReport(FormulaChoice::Putian, InputSet::defaults());

    // In the library, a UTF-8 folder name.
    writeReportFile(narrow(reportFolder.wstring()), expected);
    EXPECT_EQ(slurp(reportFolder / "tavoout.txt"), expected);

    // Through the program started from its Chinese folder.
    const Outcome o =
        run(narrow(program.wstring()),
            {"--formula=2", "--output", narrow(reportFolder.wstring()) + "\\tavoout.txt"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(slurp(reportFolder / "tavoout.txt"),
              calculateReport(FormulaChoice::Andreyanov, InputSet::defaults()));
    EXPECT_EQ(std::distance(fs::directory_iterator(reportFolder), {}), 1);
}

TEST_F(Windows, ChineseAndFullWidthArgumentsArriveWhole) {
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    };
    InputSet fullWidth = InputSet::defaults();
    fullWidth[Box::H] = "１２．５";
    fullWidth[Box::M] = "　２．５　";
    const std::vector<Row> rows = {
        // The depth and slope are echoed as typed, in code page 936.
        {{"--depth", "１２．５", "--slope=　２．５　"},
         0,
         calculateReport(FormulaChoice::Putian, fullWidth),
         ""},
        {{"--wind", "风速"},
         1,
         "",
         "kelnor-calc: type mismatch: --wind \"风速\" is not a number\n"},
        {{"--坝高=9"}, 2, "", "kelnor-calc: unknown option --坝高\nTry 'kelnor-calc --help'.\n"},
    };
    for (const auto& row : rows) {
        const Outcome o = run(KELNOR_CALC, row.args);
        EXPECT_EQ(o.status, row.status) << row.args[0];
        EXPECT_EQ(o.out, row.out) << row.args[0];
        EXPECT_EQ(o.err, row.err) << row.args[0];
    }
}

TEST_F(Windows, ConditionsAndBatchFilesWithChineseNamesOpen) {
    // State: the same table under a plain name and under a Chinese one, in GBK as Excel on a
    // Chinese Windows saves it.
    const std::string table =
        "case,depth,wind,fetch,slope,roughness,grade\r\n"
        "\xD5\xFD\xB3\xA3\xD0\xEE\xCB\xAE\xCE\xBB,30,21,3,3,0.8,2\r\n";
    std::ofstream(dir / "plain.csv", std::ios::binary) << table;
    const fs::path chinese = dir / utf8Path("工况.csv");
    std::ofstream(chinese, std::ios::binary) << table;

    const Outcome plain = run(KELNOR_CALC, {"--conditions", narrow((dir / "plain.csv").wstring())});
    const Outcome named = run(KELNOR_CALC, {"--conditions", narrow(chinese.wstring())});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, plain.out);
    EXPECT_NE(named.out.find("\n正常蓄水位,putian,"), std::string::npos) << named.out;

    const Outcome missing =
        run(KELNOR_CALC, {"--conditions", narrow((dir / utf8Path("无此文件.csv")).wstring())});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("无此文件.csv: No such file or directory"), std::string::npos)
        << missing.err;
}

// The printer's own path on Windows, without a browser that prints: none found, one that
// cannot start, one that ends with a failure (reg.exe, given arguments it refuses). Each is the
// failure of its kind and leaves the target as it was.
TEST_F(Windows, PrintingToPdfFailsByKindAndLeavesTheFile) {
    const fs::path target = dir / utf8Path("计算书.pdf");
    std::ofstream(target, std::ios::binary) << "old";
    const std::wstring reg =
        fs::path(std::getenv("SystemRoot") ? std::getenv("SystemRoot") : "C:\\windows").wstring() +
        L"\\system32\\reg.exe";
    struct Case {
        std::wstring browser;
        platform::PrintFailureKind kind;
    };
    for (const Case& c :
         {Case{L"", platform::PrintFailureKind::NoBrowser},
          Case{L"C:\\无此程序\\msedge.exe", platform::PrintFailureKind::CannotStart},
          Case{reg, platform::PrintFailureKind::Failed}}) {
        _wputenv_s(L"KELNOR_BROWSER", c.browser.c_str());
        try {
            platform::printToPdf("<p>页</p>", target);
            ADD_FAILURE() << "printed with " << narrow(c.browser);
        } catch (const platform::PrintFailure& f) {
            EXPECT_EQ(f.kind(), c.kind) << narrow(c.browser);
            if (c.kind == platform::PrintFailureKind::Failed) {
                EXPECT_NE(f.exitStatus(), 0);
            }
        }
        EXPECT_EQ(slurp(target), "old") << narrow(c.browser);
    }
    _wputenv_s(L"KELNOR_BROWSER", L"");
}

TEST_F(Windows, StandardStreamsPassBytesUnchanged) {
    // The report's CR LF must not turn into CR CR LF on standard output.
    const Outcome report = run(KELNOR_CALC, {});
    EXPECT_EQ(report.out, calculateReport(FormulaChoice::Putian, InputSet::defaults()));
    EXPECT_EQ(report.out.find("\r\r"), std::string::npos);

    // A Ctrl-Z in standard input ends a text-mode read; the rows after it must still come.
    const Outcome batch =
        run(KELNOR_CALC, {"--batch", "-"}, std::string("case,wind\nA\x1a,20\nB,24\n"));
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_NE(batch.out.find("\nA\x1a,1,"), std::string::npos) << batch.out;
    EXPECT_NE(batch.out.find("\nB,1,"), std::string::npos) << batch.out;
    EXPECT_EQ(batch.out.find('\r'), std::string::npos);  // the table's LF stays LF
}

}  // namespace
}  // namespace kelnor
