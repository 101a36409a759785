// kelnor-calc --conditions end to end: the results CSV, the governing condition, failures on
// standard error, usage errors, and the calculation book replacing its file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace kelnor {
namespace {

namespace fs = std::filesystem;
using testing_support::Outcome;
using testing_support::slurp;

const std::string kHeader = "case,formula,hm,Tm,Lm,e,Kw,Kp,Rm,Rp,A,y,crest,governs,warnings\n";

// The three conditions worked by hand in the design tests, columns in an order of their own.
const std::string kThree =
    "grade,case,depth,wind,fetch,slope,roughness,level,operation\r\n"
    "2,正常蓄水位,30,21,3,3,0.8,100,normal\r\n"
    "\r\n"
    "2,设计洪水位,31.5,21,3.2,3,0.8,101.5,\r\n"
    "2,校核洪水位,32.3,14,3.3,3,0.8,102.3,abnormal\r\n";

using Conditions = testing_support::KelnorCalcTest;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = text.find('\n', at);
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

TEST_F(Conditions, ThreeConditionsGiveTheHandWorkedCrestsAndTheGoverningOne) {
    const Outcome o = run({"--conditions", write("c.csv", kThree)});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const auto rows = lines(o.out);
    ASSERT_EQ(rows.size(), 4u) << o.out;
    EXPECT_EQ(rows[0] + "\n", kHeader);
    // By hand: y = 2.679332 / 2.726670 / 1.611418 m; crest 102.679332 / 104.226670 / 103.911418.
    EXPECT_EQ(rows[1].rfind("正常蓄水位,putian,0.52946", 0), 0u) << rows[1];
    EXPECT_NE(rows[1].find(",2.23,"), std::string::npos);
    EXPECT_NE(rows[1].find(",102.67933"), std::string::npos);
    EXPECT_EQ(rows[1].substr(rows[1].size() - 3), ",0,");
    EXPECT_NE(rows[2].find(",1,2.72666"), std::string::npos) << rows[2];  // A = 1, y
    EXPECT_NE(rows[2].find(",104.22666"), std::string::npos);
    EXPECT_EQ(rows[2].substr(rows[2].size() - 3), ",1,");
    EXPECT_NE(rows[3].find(",0.5,1.61141"), std::string::npos) << rows[3];
    EXPECT_EQ(rows[3].substr(rows[3].size() - 3), ",0,");
}

TEST_F(Conditions, FailuresGoToStandardErrorAndTheOthersStillCompute) {
    const std::string csv =
        "case,depth,wind,fetch,slope,roughness,grade,formula\n"
        "正常蓄水位,30,21,3,3,0.8,2,putian\n"
        "坏行,-2,21,3,3,0.8,2,putian\n"
        "陡坡,30,27,3,6,0.8,2,hedi\n"
        "缺一格,30,21\n";
    const Outcome o = run({"--conditions", "-"}, csv);
    EXPECT_EQ(o.status, 1);
    const auto rows = lines(o.out);
    ASSERT_EQ(rows.size(), 3u) << o.out;
    // Without levels the largest y governs (the 1:6 slope runs up less); crest cells empty.
    EXPECT_NE(rows[1].find(",,1,"), std::string::npos) << rows[1];
    EXPECT_NE(rows[2].find(",,0,Hedi formula: wind 27 m/s is not below 26.5 m/s; slope m 6 is "
                           "above 5: gentle-slope formula beyond its range"),
              std::string::npos)
        << rows[2];
    EXPECT_EQ(o.err,
              "kelnor-calc: row 4: the row has 3 cells where the header has 8\n"
              "kelnor-calc: row 2 (坏行): depth \"-2\" must be above 0\n");
}

TEST_F(Conditions, UsageErrorsAndUnreadableInputExitWithTwo) {
    struct Row {
        std::vector<std::string> args;
        std::string input;
        std::string err;
    };
    const std::vector<Row> rows = {
        {{"--conditions", "-"}, "case,depth,colour\nx,1,red\n", "unknown column \"colour\""},
        {{"--conditions", "-"}, "depth,depth\n1,2\n", "column \"depth\" appears twice"},
        {{"--conditions", "-"}, "", "standard input has no header row"},
        {{"--conditions", "/nonexistent/c.csv"}, "", "cannot read /nonexistent/c.csv"},
        {{"--conditions", "-", "--wind", "3"}, "", "--wind cannot be used with --conditions"},
        {{"--conditions", "-", "--batch", "x.csv"}, "", "--batch cannot be used with --conditions"},
        {{"--book", "b.html"}, "", "--book needs --conditions"},
    };
    for (const auto& row : rows) {
        const Outcome o = run(row.args, row.input);
        EXPECT_EQ(o.status, 2) << row.err;
        EXPECT_NE(o.err.find(row.err), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "") << row.err;
    }
}

TEST_F(Conditions, BookReplacesItsFileWholeAndAFailedWriteIsExitOne) {
    // The program takes UTF-8 names; on Windows path::string() would give the ANSI code page.
    const fs::path bookPath = dir / fs::path(u8"计算书.html");
    const std::u8string name = bookPath.u8string();
    const std::string book(name.begin(), name.end());
    std::ofstream(bookPath) << "old";
    const Outcome o = run({"--conditions", write("c.csv", kThree), "--book", book});
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string html = slurp(bookPath);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("控制工况：设计洪水位"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);

    const Outcome bad =
        run({"--conditions", write("c.csv", kThree), "--book", (dir / "no/such/b.html").string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("cannot write"), std::string::npos) << bad.err;
    EXPECT_EQ(lines(bad.out).size(), 4u);  // the results are still printed
}

}  // namespace
}  // namespace kelnor
