// kelnor-calc --book FILE.pdf end to end: the book of docs/book-example.csv printed by headless
// Chromium, read back with pdfinfo and pdftotext; and each way the print can fail, which
// leaves the PDF that was there and nothing else behind.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "kelnor/platform/pdf_printer.h"
#include "processes.h"
#include "run_program.h"

namespace kelnor {
namespace {

namespace fs = std::filesystem;
using testing_support::Outcome;
using testing_support::slurp;

// An environment variable set, or unset, for the programs a test starts, and put back after.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ~ScopedVariable() { set(old_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

class PdfBook : public testing_support::KelnorCalcTest {
  protected:
    void SetUp() override {
        KelnorCalcTest::SetUp();
        // The temporary folder the print uses, watched for anything left in it.
        fs::create_directory(dir / "tmp");
        tmpdir_.emplace("TMPDIR", (dir / "tmp").string());
    }

    // What the print left in the temporary folder: the browser's own files aside, nothing of
    // ours.
    std::vector<std::string> leftInTemporary() const {
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(dir / "tmp")) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("kelnor-")) {
                left.push_back(name);
            }
        }
        return left;
    }

    std::optional<ScopedVariable> tmpdir_;
};

bool have(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// The output of a shell command.
std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char block[4096];
        while (const std::size_t n = std::fread(block, 1, sizeof block, pipe)) {
            text.append(block, n);
        }
        pclose(pipe);
    }
    return text;
}

TEST_F(PdfBook, ChromiumPrintsTheExampleWithItsTitleBlockAndPageNumbers) {
    if (!have("chromium") || !have("pdftotext")) {
        GTEST_SKIP() << "chromium or poppler-utils is not installed (scripts/setup installs them)";
    }
    const ScopedVariable browser("KELNOR_BROWSER", std::nullopt);
    const std::string pdf = (dir / "计算书.PDF").string();  // the extension in any case
    const Outcome o =
        run({"--conditions", KELNOR_BOOK_EXAMPLE, "--book", pdf, "--project", "某水库", "--stage",
             "初步设计", "--by", "张三", "--date", "2024-05-01"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out.substr(0, o.out.find('\n')),
              "case,formula,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rm,Rp,A,B,y,crest,governs,warnings");
    ASSERT_EQ(slurp(pdf).rfind("%PDF-", 0), 0u);
    EXPECT_TRUE(leftInTemporary().empty());

    const std::string info = output("pdfinfo '" + pdf + "'");
    const auto pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info;
    const int count = std::stoi(info.substr(pages + 6));
    EXPECT_GT(count, 1);
    // pdftotext drops the blanks between Chinese words: the text is read without blanks.
    std::string text;
    for (const char c : output("pdftotext '" + pdf + "' -")) {
        if (c != ' ' && c != '\n') {
            text += c;
        }
    }
    const std::string last = std::to_string(count);
    for (const std::string& expected :
         {std::string("某水库坝顶超高计算书"), std::string("初步设计"), std::string("张三"),
          std::string("2024-05-01"), "第1页共" + last + "页", "第" + last + "页共" + last + "页",
          // The governing condition of the example: the design flood, y and the crest.
          std::string("控制工况：设计洪水位，坝顶超高y=2.723m，要求坝顶高程不低于104.223m。")}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
}

TEST_F(PdfBook, WithoutAWorkingBrowserItFailsAndLeavesTheOldPdfAndNothingElse) {
    const std::string lookedFor =
        "no Chromium-family browser found (looked for KELNOR_BROWSER, chromium, chromium-browser, "
        "google-chrome, google-chrome-stable)";
    struct Row {
        std::optional<std::string> browser;  // KELNOR_BROWSER
        std::optional<std::string> path;     // PATH, when it is changed
        std::string why;
    };
    const std::vector<Row> rows = {
        {std::nullopt, "/nonexistent", lookedFor},
        {"", "", lookedFor},  // an empty setting is none
        {"/nonexistent/chromium", std::nullopt,
         "cannot start /nonexistent/chromium: No such file or directory"},
        {"/bin/false", std::nullopt, "/bin/false ended with exit status 1"},
        {"/bin/true", std::nullopt, "/bin/true wrote no PDF"},
    };
    const std::string csv = write("c.csv",
                                  "case,level,depth,wind,fetch,slope,roughness,grade\n"
                                  "正常蓄水位,100,30,21,3,3,0.8,2\n");
    const std::string pdf = (dir / "book.pdf").string();
    for (const auto& row : rows) {
        std::ofstream(pdf, std::ios::binary) << "%PDF- the old book";
        const ScopedVariable browser("KELNOR_BROWSER", row.browser);
        const char* inherited = std::getenv("PATH");
        const ScopedVariable path("PATH", row.path ? *row.path : inherited ? inherited : "");
        const Outcome o = run({"--conditions", csv, "--book", pdf});
        EXPECT_EQ(o.status, 1) << row.why;
        EXPECT_EQ(o.err, "kelnor-calc: cannot print " + pdf + ": " + row.why +
                             "; the HTML book can be printed from any browser\n");
        EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 2) << "the results are printed";
        EXPECT_EQ(slurp(pdf), "%PDF- the old book") << row.why;
        EXPECT_TRUE(leftInTemporary().empty()) << row.why;
        // The folder holds the conditions, the old book and the temporary folder only.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3)
            << row.why;
    }
}

// A browser that never ends is stopped at the deadline with every process it started: here a
// shell that leaves a second process running and notes its number.
TEST_F(PdfBook, APrintThatTakesTooLongIsStoppedWithItsHelpers) {
    const fs::path helperPid = dir / "helper.pid";
    const fs::path browser = dir / "slow-browser";
    testing_support::writeFakeBrowser(browser, helperPid, 60, false);
    const auto started = std::chrono::steady_clock::now();
    try {
        platform::runHeadlessPrint(browser.string(), "file:///nothing.html",
                                   (dir / "out.pdf").string(), (dir / "profile").string(),
                                   std::chrono::seconds(1));
        ADD_FAILURE() << "the print ended by itself";
    } catch (const platform::PrintFailure& f) {
        EXPECT_EQ(f.kind(), platform::PrintFailureKind::TimedOut);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(testing_support::processGone(helperPid)) << "the helper is still running";
}

}  // namespace
}  // namespace kelnor
