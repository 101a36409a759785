// kelnor-calc --conditions for a dike: the block's code row or --code, each section's line with
// its chainage, Y, crest, adopted crest, crest as built and margin, what falls short on
// standard error, the reach smoothed, and what a dike's file may not hold.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"

namespace kelnor {
namespace {

using testing_support::Outcome;
using Dike = testing_support::KelnorCalcTest;

// The published dike sheet's waters at three sections: Y = 0.708336 where A = 0.6 is typed;
// at K1+000 a 1:2.5 slope and the grade-2 allowance 0.8 of a 50-year standard.
const std::string kSections =
    R"(section,level,ground,depth,wind,fetch,slope,roughness,standard,allowance,existing_crest,settlement
K0+000,10.0,5.0,4,19.1,0.01,0.1,0.9,50,0.6,10.9,4%
K0+500,9.8,5.0,4,19.1,0.01,0.1,0.9,50,0.6,10.4,4%
K1+000,9.7,4.8,4,19.1,0.01,2.5,0.9,50,,10.6,
)";

const std::string kHeader =
    "section,chainage,level,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rp,A,Y,crest,adopted,as_built,margin,warnings\n";

// The cells from `first` to `last` (0-based) of each line after the header.
std::vector<std::string> columns(const std::string& out, int first, int last) {
    std::vector<std::string> rows;
    std::size_t at = out.find('\n') + 1;
    while (at < out.size()) {
        const std::size_t end = out.find('\n', at);
        std::string line = out.substr(at, end - at);
        std::string picked;
        int cell = 0;
        std::size_t from = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i == line.size() || line[i] == ',') {
                if (cell >= first && cell <= last) {
                    if (cell > first) {
                        picked += ',';
                    }
                    picked += line.substr(from, i - from);
                }
                ++cell;
                from = i + 1;
            }
        }
        rows.push_back(picked);
        at = end + 1;
    }
    return rows;
}

TEST_F(Dike, EachSectionALineWithItsCrestAndWhatStandsShortOnStandardError) {
    const Outcome o = run({"--conditions", write("dike.csv", "code,GB 50286-2013\n" + kSections)});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out.substr(0, kHeader.size()), kHeader);
    // section, chainage, level | crest, adopted, as built, margin: 10 + 0.708336, rounded up,
    // 4 % of 10.8 - 5.0 reserved, 10.9 standing.
    EXPECT_EQ(columns(o.out, 0, 2),
              (std::vector<std::string>{"K0+000,0,10", "K0+500,500,9.8", "K1+000,1000,9.7"}));
    EXPECT_EQ(columns(o.out, 11, 16),
              (std::vector<std::string>{"0.6,0.7083355481272339,10.708336,10.8,11.032,0.191664",
                                        "0.6,0.7083355481272339,10.508336,10.6,10.824,-0.108336",
                                        "0.8,0.9739372068062886,10.673937,10.7,10.7,-0.073937"}));
    EXPECT_EQ(o.err,
              "kelnor-calc: section K0+500: the crest 10.4 is 0.108336 m short of 10.508336\n"
              "kelnor-calc: section K1+000: the crest 10.6 is 0.073937 m short of 10.673937\n");
}

TEST_F(Dike, TheCodeByOptionAndTheReachSmoothedWhereAsked) {
    const Outcome plain = run({"--conditions", write("d.csv", kSections), "--code", "gb50286"});
    EXPECT_EQ(plain.status, 1) << plain.err;
    EXPECT_EQ(columns(plain.out, 14, 14), (std::vector<std::string>{"10.8", "10.6", "10.7"}));
    // Falling along the chainage, K0+500 is raised to the 10.7 after it.
    const Outcome smooth =
        run({"--conditions", write("s.csv", "smooth,yes\n" + kSections), "--code", "gb50286"});
    EXPECT_EQ(columns(smooth.out, 14, 15),
              (std::vector<std::string>{"10.8,11.032", "10.7,10.928", "10.7,10.7"}));
}

TEST_F(Dike, TheLongSectionIsWrittenAsSvg) {
    const std::string svg = (dir / "long.svg").string();
    const Outcome o =
        run({"--conditions", write("d.csv", "code,GB 50286\n" + kSections), "--long-section", svg});
    EXPECT_EQ(o.status, 1) << o.err;  // two sections stand short
    const std::string drawn = testing_support::slurp(svg);
    EXPECT_EQ(drawn.rfind("<svg", 0), 0u) << drawn.substr(0, 80);
    for (const char* text :
         {"设计水位", "要求堤顶", "采用堤顶", "现状堤顶", "地面", "K0+500", "不足 0.11"}) {
        EXPECT_NE(drawn.find(text), std::string::npos) << text;
    }
    // A dam's conditions have no long section.
    EXPECT_EQ(run({"--conditions", KELNOR_BOOK_EXAMPLE, "--long-section", svg}).status, 2);
}

TEST_F(Dike, TheBookGivesEverySectionAndWorksTheHighestInFull) {
    const std::string html = (dir / "dike.html").string();
    const Outcome o =
        run({"--conditions", write("d.csv", "code,GB 50286\nproject,某堤防\n" + kSections),
             "--book", html, "--by", "张三"});
    EXPECT_EQ(o.status, 1) << o.err;
    const std::string page = testing_support::slurp(html);
    for (const char* text :
         {"某堤防堤顶高程计算书", "张三", "K1+000", "不足 0.108", "纵断面", "典型断面计算：K0+000",
          "最小风时", "19.05 s", "Y = Rp + e + A", "GB 50286-2013 附录 C"}) {
        EXPECT_NE(page.find(text), std::string::npos) << text;
    }
    // The section the engineer names is worked instead; a name no section has is said.
    const struct {
        const char* worked;
        const char* heading;
        bool fallback;
    } named[] = {{"K1+000", "典型断面计算：K1+000", false},
                 {"K9+999", "典型断面计算：K0+000", true}};
    for (const auto& n : named) {
        run({"--conditions",
             write("w.csv", "code,GB 50286\nworked," + std::string(n.worked) + "\n" + kSections),
             "--book", html});
        const std::string worked = testing_support::slurp(html);
        EXPECT_NE(worked.find(n.heading), std::string::npos) << n.worked;
        EXPECT_EQ(worked.find("不在成果之中") != std::string::npos, n.fallback) << n.worked;
    }
    // The same book in Word.
    const std::string docx = (dir / "dike.docx").string();
    EXPECT_EQ(
        run({"--conditions", write("d.csv", "code,GB 50286\n" + kSections), "--book", docx}).status,
        1);
    EXPECT_EQ(testing_support::slurp(docx).rfind("PK", 0), 0u);
}

TEST_F(Dike, WhatADikesFileMayNotHold) {
    const struct {
        std::string file;
        std::vector<std::string> options;
        int status;
        std::string err;
    } rows[] = {
        {"code,GB 50286\novertopping,allowed\n" + kSections, {}, 1, "may be overtopped"},
        {"code,GB 50286\nwall_height,1\n" + kSections, {}, 1, "\"wall_height\" above the header"},
        {"code,GB 50201\n" + kSections, {}, 2, "neither SL 274 nor GB 50286"},
        {"code,GB 50286\ncase,depth\na,3\n", {}, 2, "column \"case\" is a dam's"},
        {kSections, {}, 2, "column \"section\" is a dike section's"},
        {"code,GB 50286\n" + kSections, {"--settled", "s.csv"}, 2, "take no --settled"},
        {"code,GB 50286\nsection,level,depth,wind,fetch,slope,roughness,grade,formula\n"
         "K0+000,10,4,19.1,0.01,0.1,0.9,3,hedi\n",
         {},
         1,
         "formula \"hedi\" is not the dike code's"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args{"--conditions", write("bad.csv", row.file)};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const Outcome o = run(args);
        EXPECT_EQ(o.status, row.status) << row.err << ": " << o.err;
        EXPECT_NE(o.err.find(row.err), std::string::npos) << o.err;
    }
    EXPECT_EQ(run({"--code", "dike"}).status, 2);
}

}  // namespace
}  // namespace kelnor
