// kelnor-calc --conditions end to end: the results CSV, the governing condition, failures on
// standard error, usage errors, the design wind from the annual maximum, and the calculation
// book with its title block replacing its file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "kelnor/design/book.h"
#include "options.h"
#include "run_program.h"

namespace kelnor {
namespace {

namespace fs = std::filesystem;
using testing_support::Outcome;
using testing_support::slurp;

const std::string kHeader =
    "case,formula,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rm,Rp,A,B,y,crest,governs,warnings\n";

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
    EXPECT_NE(rows[2].find(",1,0,2.72666"), std::string::npos) << rows[2];  // A = 1, B = 0, y
    EXPECT_NE(rows[2].find(",104.22666"), std::string::npos);
    EXPECT_EQ(rows[2].substr(rows[2].size() - 3), ",1,");
    EXPECT_NE(rows[3].find(",0.5,0,1.61141"), std::string::npos) << rows[3];
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
        {{"--conditions", "/nonexistent/c.csv"},
         "",
         "cannot read /nonexistent/c.csv: No such file or directory"},
        {{"--conditions", "-"}, "case,depth\n\n", "no conditions in standard input"},
        {{"--conditions", "-"}, "case,depth,\n", "has an empty name — a trailing comma?"},
        {{"--conditions", "-"}, "case,depth\n\xFF,1\n", "row 1 of standard input is neither"},
        {{"--conditions", "-", "--wind", "3"}, "", "--wind cannot be used with --conditions"},
        {{"--conditions", "-", "--batch", "x.csv"}, "", "--batch cannot be used with --conditions"},
        {{"--book", "b.html"}, "", "--book needs --conditions"},
        // The title block belongs to the book.
        {{"--conditions", "-", "--project", "某水库"}, "", "--project needs --book"},
        {{"--checked-by=李四"}, "", "--checked-by needs --book"},
        {{"--conditions", "-", "--date", "2024-05-01", "--by", "张三"}, "", "--date needs --book"},
        {{"--conditions", "-", "--book", "b.html", "--date", "2023-02-29"},
         "",
         "--date must be a date written YYYY-MM-DD, not \"2023-02-29\""},
        {{"--conditions", "-", "--book", "b.html", "--date", "1.5.2024"},
         "",
         "--date must be a date written YYYY-MM-DD, not \"1.5.2024\""},
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

TEST_F(Conditions, AFileExcelSavedInGbkComputesAsItsUtf8Twin) {
    // kThree as Excel's "CSV (逗号分隔)" saves it on a Chinese Windows: the names in GBK.
    std::string gbk = kThree;
    const std::pair<std::string, std::string> names[] = {
        {"正常蓄水位", "\xD5\xFD\xB3\xA3\xD0\xEE\xCB\xAE\xCE\xBB"},
        {"设计洪水位", "\xC9\xE8\xBC\xC6\xBA\xE9\xCB\xAE\xCE\xBB"},
        {"校核洪水位", "\xD0\xA3\xBA\xCB\xBA\xE9\xCB\xAE\xCE\xBB"},
    };
    for (const auto& [utf8, inGbk] : names) {
        gbk.replace(gbk.find(utf8), utf8.size(), inGbk);
    }
    const std::string book = (dir / "gbk.html").string();
    const Outcome fromGbk = run({"--conditions", write("gbk.csv", gbk), "--book", book});
    const Outcome fromUtf8 = run({"--conditions", write("utf8.csv", kThree)});
    EXPECT_EQ(fromGbk.status, 0) << fromGbk.err;
    EXPECT_EQ(fromGbk.out, fromUtf8.out);
    EXPECT_NE(slurp(book).find("<h3>4.2 设计洪水位</h3>"), std::string::npos);
}

TEST_F(Conditions, ALineBreakInALabelCannotForgeAnErrorLine) {
    const Outcome o = run({"--conditions", "-"},
                          "case,depth,wind,fetch,slope,roughness,grade\n"
                          "\"A\nrow 9 (X): fake\",x,20,3,3,0.8,2\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "kelnor-calc: row 1 (A\\nrow 9 (X): fake): depth \"x\" is not a number\n");
}

// The warnings cell of the results row whose case is `label`.
std::string warningsOf(const std::vector<std::string>& rows, const std::string& label) {
    for (const std::string& row : rows) {
        if (row.rfind(label + ",", 0) == 0) {
            for (const char* governs : {",0,", ",1,"}) {
                const auto at = row.rfind(governs);
                if (at != std::string::npos && row.find(',', at + 3) == std::string::npos) {
                    return row.substr(at + 3);
                }
            }
        }
    }
    return "(no row " + label + ")";
}

TEST_F(Conditions, AFetchTypedInMetresIsComputedAndWarnedOf) {
    // 3000 meant as 3 km: with W = 20 m/s and H = 30 m the set-up comes out at 7.34 m and the
    // freeboard at 16.8 m.
    const Outcome o = run({"--conditions", "-"},
                          "case,level,depth,wind,fetch,slope,roughness,grade\n"
                          "吹程按米,100,30,20,3000,3,0.8,2\n");
    EXPECT_EQ(o.status, 0) << o.err;
    const auto rows = lines(o.out);
    ASSERT_EQ(rows.size(), 2u) << o.out;
    EXPECT_NE(rows[1].find(",7.339449541284"), std::string::npos) << rows[1];  // e
    EXPECT_NE(rows[1].find(",16.78899942"), std::string::npos) << rows[1];     // y
    EXPECT_EQ(warningsOf(rows, "吹程按米"),
              "fetch 3000 km is above 100 km: typed in metres?; "
              "wind set-up e 7.33945 m is above 0.2 of the mean depth Hm (6 m)");
}

TEST_F(Conditions, EachWarningInTheResultsOnBothSidesOfItsLimit) {
    // Each row raises its warning or, just inside the limit, does not; `words` is the whole
    // warning when raised and the words that would show it when not.
    struct Row {
        const char* label;
        const char* cells;  // depth,mean_depth,wind,fetch,slope,formula,angle
        bool raised;
        const char* words;
    };
    const std::vector<Row> rows = {
        {"hedi-wind", "30,,27,3,3,hedi,", true, "Hedi formula: wind 27 m/s is not below 26.5 m/s"},
        {"hedi-wind-in", "30,,26.4,3,3,hedi,", false, "Hedi formula: wind"},
        {"hedi-fetch", "30,,15,8,3,hedi,", true, "Hedi formula: fetch 8 km is not below 7.5 km"},
        {"guanting-wind", "30,,21,3,3,guanting,", true,
         "Guanting formula: wind 21 m/s is not below 20 m/s"},
        {"guanting-fetch", "30,,15,21,3,guanting,", true,
         "Guanting formula: fetch 21 km is not below 20 km"},
        {"guanting-gd", "30,,15,0.2,3,guanting,", true,
         "Guanting formula: gD/W2 8.72 is outside 20-1000"},
        {"slope", "30,,21,3,6,putian,", true,
         "slope m 6 is above 5: gentle-slope formula beyond its range"},
        {"slope-in", "30,,21,3,5,putian,", false, "slope m"},
        {"kw", "2,20,25,3,3,putian,", true,
         "W/sqrt(gH) 5.64405 is beyond the Kw table (5): Kw 1.30 held"},
        {"ratio", "1,,20,7,3,hedi,", true,
         "hm/Hm 1.49585 is beyond the hp/hm table (0.5): last row held"},
        {"break", "1.5,10,20,5,3,putian,", true,
         "hm/H 0.397072 reaches 0.322314: waves break in front of the dam"},
        {"angle", "30,,21,3,3,putian,70", true,
         "angle 70 degrees is beyond the Kbeta table (60): Kbeta 0.76 held"},
        {"angle-in", "30,,21,3,3,putian,60", false, "angle"},
        // Values no reservoir has.
        {"fetch", "30,,20,100.5,3,putian,", true,
         "fetch 100.5 km is above 100 km: typed in metres?"},
        {"fetch-in", "30,,20,100,3,putian,", false, "fetch"},
        {"depth", "0.49,,10,1,3,putian,", true, "depth H 0.49 m is below 0.5 m"},
        {"depth-in", "0.5,,10,1,3,putian,", false, "depth H"},
        {"mean-depth", "5,0.49,10,1,3,putian,", true, "mean depth Hm 0.49 m is below 0.5 m"},
        {"mean-depth-in", "5,0.5,10,1,3,putian,", false, "mean depth Hm"},
        // e = 3.6e-6·20²·100000 / (2·9.81·Hm): 1.22324 m above 6/5 and 1.20319 m below 6.1/5.
        {"set-up", "30,6,20,100,3,putian,", true,
         "wind set-up e 1.22324 m is above 0.2 of the mean depth Hm (1.2 m)"},
        {"set-up-in", "30,6.1,20,100,3,putian,", false, "wind set-up"},
    };
    std::string csv = "case,depth,mean_depth,wind,fetch,slope,formula,angle,roughness,grade\n";
    for (const auto& row : rows) {
        csv += std::string(row.label) + "," + row.cells + ",0.8,2\n";
    }
    const Outcome o = run({"--conditions", "-"}, csv);
    EXPECT_EQ(o.status, 0) << o.err;
    const auto out = lines(o.out);
    ASSERT_EQ(out.size(), rows.size() + 1) << o.out;  // every row computed
    for (const auto& row : rows) {
        const std::string cell = warningsOf(out, row.label);
        EXPECT_EQ(cell.find(row.words) != std::string::npos, row.raised)
            << row.label << ": " << cell;
    }
}

TEST_F(Conditions, TheRaysOfAnEquivalentFetchComputeOrAreRefusedInOneLine) {
    // Thirteen rays that compute, then a fetch beside rays, three rays, and neither.
    const std::string csv = R"(case,depth,wind,fetch,fetch_rays,slope,roughness,grade
rays,30,21,,3;3;3;3;3;3;3;3;3;3;3;3;3,3,0.8,2
both,30,21,3,3;3;3;3;3;3;3,3,0.8,2
count,30,21,,3;3;3,3,0.8,2
neither,30,21,,,3,0.8,2
)";
    const Outcome o = run({"--conditions", "-"}, csv);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(lines(o.out).size(), 2u) << o.out;
    EXPECT_EQ(o.out.find("rays,putian,"), kHeader.size()) << o.out;
    EXPECT_EQ(o.err,
              "kelnor-calc: row 2 (both): fetch \"3\" and fetch_rays \"3;3;3;3;3;3;3\" are both "
              "given; give the fetch or the rays its equivalent is derived from, not both\n"
              "kelnor-calc: row 3 (count): fetch_rays \"3;3;3\" gives 3 distances; give 13 (7.5 "
              "degrees apart) or 7 (15 degrees apart)\n"
              "kelnor-calc: row 4 (neither): fetch is required, or fetch_rays to derive it\n");
}

TEST_F(Conditions, EveryConditionThatCannotBeComputedIsOneLineOnStandardError) {
    struct Row {
        const char* cells;  // case,depth,wind,fetch,slope,formula,grade,operation,region,
                            // frequency,angle
        const char* line;
    };
    const std::vector<Row> rows = {
        {"a,abc,21,3,3,,2,,,,", "row 1 (a): depth \"abc\" is not a number"},
        {"b,1e999,21,3,3,,2,,,,", "row 2 (b): depth \"1e999\" is too large"},
        {"c,-2,21,3,3,,2,,,,", "row 3 (c): depth \"-2\" must be above 0"},
        {"d,,21,3,3,,2,,,,", "row 4 (d): depth is required"},
        {"e,30,0,3,3,,2,,,,", "row 5 (e): wind \"0\" must be above 0"},
        {"f,30,21,-0.5,3,,2,,,,", "row 6 (f): fetch \"-0.5\" must be above 0"},
        {"g,30,21,3,-1,,2,,,,", "row 7 (g): slope \"-1\" must not be below 0"},
        {"h,30,21,3,3,andreyanov,2,,,,",
         "row 8 (h): formula \"andreyanov\" is not putian, hedi or guanting"},
        {"i,30,21,3,3,,6,,,,", "row 9 (i): grade \"6\" is not 1, 2, 3, 4 or 5"},
        {"j,30,21,3,3,,2,flood,,,",
         "row 10 (j): operation \"flood\" is not normal, abnormal or earthquake"},
        {"k,30,21,3,3,,2,,desert,,", "row 11 (k): region \"desert\" is not mountain or plain"},
        {"l,30,21,3,3,,2,,,60,",
         "row 12 (l): frequency \"60\" is outside the Kp table (0.1 to 50 %)"},
        {"m,30,21,3,3,,2,,,,-90", "row 13 (m): angle \"-90\" must be below 90 degrees"},
        {"n,30,1e200,3,3,,2,,,,", "row 14 (n): the calculation leaves the double range"},
        {",30,21,3,3,,0,,,,", "row 15: grade \"0\" is not 1, 2, 3, 4 or 5"},
    };
    std::string csv =
        "case,depth,wind,fetch,slope,formula,grade,operation,region,frequency,angle,roughness\n";
    std::string expected;
    for (const auto& row : rows) {
        csv += std::string(row.cells) + ",0.8\n";
        expected += "kelnor-calc: " + std::string(row.line) + "\n";
    }
    const Outcome o = run({"--conditions", "-"}, csv);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, kHeader);
    EXPECT_EQ(o.err, expected);
}

TEST_F(Conditions, ThePublishedGradeFourExampleFromItsAnnualMaximumComputesAsItsWTyped) {
    // A grade-4 dam whose station gives an annual maximum of 15 m/s: W = 22.5 m/s for the two
    // normal conditions and 15 m/s for the check flood, as the worked example types them.
    const std::string typed =
        "case,level,depth,wind,fetch,slope,roughness,grade,operation\n"
        "正常蓄水位,100.00,20.0,22.5,2.0,3,0.80,4,normal\n"
        "设计洪水位,101.00,21.0,22.5,2.1,3,0.80,4,normal\n"
        "校核洪水位,101.80,21.8,15,2.2,3,0.80,4,abnormal\n";
    const std::string fromRecords =
        "case,level,depth,wind_max,fetch,slope,roughness,grade,operation\n"
        "正常蓄水位,100.00,20.0,15,2.0,3,0.80,4,normal\n"
        "设计洪水位,101.00,21.0,15,2.1,3,0.80,4,normal\n"
        "校核洪水位,101.80,21.8,15,2.2,3,0.80,4,abnormal\n";
    const std::string book = (dir / "book.html").string();
    const Outcome a = run({"--conditions", write("typed.csv", typed)});
    const Outcome b = run({"--conditions", write("records.csv", fromRecords), "--book", book});
    EXPECT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(b.err, "");
    EXPECT_EQ(b.out, a.out);
    EXPECT_EQ(lines(b.out).size(), 4u);
    const std::string html = slurp(book);
    EXPECT_NE(html.find("1.50 × 15.00</td><td class=\"num\">22.50 m/s"), std::string::npos);
    EXPECT_NE(html.find("1.00 × 15.00</td><td class=\"num\">15.00 m/s"), std::string::npos);
}

TEST_F(Conditions, WindAndItsAnnualMaximumInTheCommandLinesWords) {
    // case,wind,wind_max,wind_factor,operation: each row fails, or computes with a warning.
    struct Row {
        const char* cells;
        const char* err;       // the line on standard error; empty when the row computes
        const char* warnings;  // its warnings cell when it computes
    };
    const std::vector<Row> rows = {
        {"both,22.5,15,,",
         "row 1 (both): wind \"22.5\" and wind_max \"15\" are both given; give W or "
         "the annual maximum it is derived from, not both",
         ""},
        {"neither,,,,", "row 2 (neither): wind is required, or wind_max to derive it", ""},
        {"factor,22.5,,1.5,",
         "row 3 (factor): wind_factor \"1.5\" needs wind_max, the annual "
         "maximum it multiplies",
         ""},
        {"zero,,0,,", "row 4 (zero): wind_max \"0\" must be above 0", ""},
        {"high,,10,2.5,", "", "wind_factor 2.5 is outside 1-2"},
        {"low,,10,0.8,abnormal", "", "wind_factor 0.8 is outside 1-2"},
        {"in,,10,2,", "", ""},
    };
    std::string csv =
        "case,wind,wind_max,wind_factor,operation,depth,fetch,slope,roughness,grade\n";
    std::string err;
    for (const auto& row : rows) {
        csv += std::string(row.cells) + ",30,3,3,0.8,2\n";
        err += *row.err ? "kelnor-calc: " + std::string(row.err) + "\n" : "";
    }
    const Outcome o = run({"--conditions", "-"}, csv);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, err);
    const auto out = lines(o.out);
    for (const auto& row : rows) {
        const std::string label(row.cells, std::string_view(row.cells).find(','));
        if (!*row.err) {
            EXPECT_EQ(warningsOf(out, label), row.warnings) << label;
        }
    }
}

TEST_F(Conditions, TheTitleBlockComesFromTheCommandLineAndTheDateIsTodayUnlessGiven) {
    const std::string csv = write("c.csv", kThree);
    const std::string book = (dir / "b.html").string();
    const Outcome o = run({"--conditions", csv, "--book", book, "--project", "某水库<二期>",
                           "--stage=施工图设计", "--by", "张三", "--checked-by", "李四",
                           "--reviewed-by", "王五", "--date", "2024-02-29"});
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string html = slurp(book);
    for (const char* text :
         {"<h1>某水库&lt;二期&gt;坝顶超高计算书</h1>", "<td colspan=\"5\">某水库&lt;二期&gt;</td>",
          "<td colspan=\"3\">施工图设计</td>", "<th>日期</th><td>2024-02-29</td>",
          "<th>计算</th><td>张三</td><th>校核</th><td>李四</td><th>审查</th><td>王五</td>"}) {
        EXPECT_NE(html.find(text), std::string::npos) << text;
    }
    // Without --date the book carries the day it was written; no name leaves a blank to sign.
    ASSERT_EQ(run({"--conditions", csv, "--book", book}).status, 0);
    const std::string today = slurp(book);
    EXPECT_TRUE(std::regex_search(
        today, std::regex("<th>日期</th><td>20[0-9]{2}-[01][0-9]-[0-3][0-9]</td>")));
    EXPECT_NE(today.find("<th>计算</th><td></td>"), std::string::npos);
}

TEST(BookDate, OnlyARealDateWrittenYearMonthDay) {
    struct Row {
        const char* text;
        bool date;
    };
    const std::vector<Row> rows = {
        {"2024-05-01", true},  {"2024-02-29", true},   {"2023-02-29", false},
        {"2024-04-31", false}, {"2024-13-01", false},  {"2024-00-10", false},
        {"0000-01-01", false}, {"2024-5-1", false},    {"2024/05/01", false},
        {"24-05-01", false},   {"2024-05-01 ", false}, {"２０２４-05-01", false},
        {"", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(design::isBookDate(row.text), row.date) << row.text;
    }
}

}  // namespace
}  // namespace kelnor
