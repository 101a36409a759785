// kelnor-calc --conditions with the dam's values above the header: the settled crest written
// by --settled, the options over the file's rows, an adopted value below its requirement, a
// row naming no value, and the block as Excel saves it on a Chinese Windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "kelnor/platform/text_encoding.h"
#include "run_program.h"

namespace kelnor {
namespace {

using testing_support::Outcome;
using testing_support::slurp;

using Settled = testing_support::KelnorCalcTest;

const std::string kBookExample = slurp(KELNOR_BOOK_EXAMPLE);
const std::string kBlock = "wall,1.2\nsettlement,0.3%\ndam_height,68\n";

// The book example with a 1.2 m wave wall and 0.3 % of its 68 m reserved: the wall's top
// from the design flood level's 104.2228 m, the crest 1.2 m beneath it.
const std::string kSettled =
    "item,value,required,met,rule\n"
    "highest_level_plus_y,104.22285,,,设计洪水位\n"
    "wall_top,104.3,104.22285,1,highest still-water level + y\n"
    "crest_bound,103.1,,,wall top less the wall's 1.2 m\n"
    "crest_bound,102,,,0.5 m above the highest normal-operation level (设计洪水位)\n"
    "crest_bound,102.3,,,not below the highest abnormal-operation level (校核洪水位)\n"
    "crest,103.1,103.1,1,wall top less the wall's 1.2 m\n"
    "reserve,0.204,,,share of the dam's height\n"
    "as_built,103.304,,,adopted crest + reserve\n"
    "wall_height,1.2,,1,\"adopted wall top - adopted crest, usually 1-1.2 m\"\n";

// The line of the settled CSV whose item is `item`, from its second cell on.
std::string itemRow(const std::string& csv, const std::string& item) {
    const auto at = csv.find("\n" + item + ",");
    if (at == std::string::npos) {
        return "(no " + item + ")";
    }
    const auto start = at + item.size() + 2;
    return csv.substr(start, csv.find('\n', start) - start);
}

TEST_F(Settled, TheBlockAboveTheBookExampleSettlesItsCrest) {
    const std::string settled = (dir / "settled.csv").string();
    const Outcome o =
        run({"--conditions", write("c.csv", kBlock + kBookExample), "--settled", settled});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(slurp(settled), kSettled);
    // The conditions compute as without the block, which still exits 0.
    const Outcome plain = run({"--conditions", KELNOR_BOOK_EXAMPLE});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(o.out, plain.out);
    EXPECT_NE(plain.out.find(",104.22284981178971,1,\n"), std::string::npos) << plain.out;
}

TEST_F(Settled, OptionsOverrideTheBlockAndATypedShortfallIsExitOne) {
    struct Row {
        std::vector<std::string> options;
        int status;
        std::string err;
        std::string item, row;
    };
    const std::vector<Row> rows = {
        {{"--crest", "102"},
         1,
         "kelnor-calc: adopted crest 102 is below the required 103.1\n",
         "crest",
         "102,103.1,0,wall top less the wall's 1.2 m"},
        {{"--wall-top", "104.2"},
         1,
         "kelnor-calc: adopted wall top 104.2 is below the required 104.22285\n",
         "wall_top",
         "104.2,104.22285,0,highest still-water level + y"},
        // The crest under a wall top typed short counts from the required wall top, the safe
        // side, and says so: 104.22285 - 1.2.
        {{"--wall-top", "104.2"},
         1,
         "kelnor-calc: adopted wall top 104.2 is below the required 104.22285\n",
         "crest",
         "103.1,103.02285,1,required wall top less the wall's 1.2 m"},
        {{"--wall", "1.0"}, 0, "", "crest", "103.3,103.3,1,wall top less the wall's 1 m"},
        {{"--settlement", "0.5"}, 0, "", "as_built", "103.6,,,adopted crest + reserve"},
        {{"--step", "0.5"}, 0, "", "crest", "103.5,103.3,1,wall top less the wall's 1.2 m"},
        // The wall from 104.5 down to 103.5, 1.0 high.
        {{"--step", "0.5"},
         0,
         "",
         "wall_height",
         "1,,1,\"adopted wall top - adopted crest, usually 1-1.2 m\""},
        // As typed, 103.15, and as built 103.15 + 0.204 = 103.354.
        {{"--crest", "103.15"}, 0, "", "as_built", "103.354,,,adopted crest + reserve"},
    };
    const std::string csv = write("c.csv", kBlock + kBookExample);
    const std::string settled = (dir / "s.csv").string();
    for (const auto& row : rows) {
        std::vector<std::string> args{"--conditions", csv, "--settled", settled};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const Outcome o = run(args);
        EXPECT_EQ(o.status, row.status) << row.options[0];
        EXPECT_EQ(o.err, row.err);
        EXPECT_EQ(itemRow(slurp(settled), row.item), row.row) << row.options[0];
    }
}

TEST_F(Settled, ABlockRowThatCannotBeUsedIsExitOneAndTheConditionsStillPrint) {
    const Outcome plain = run({"--conditions", KELNOR_BOOK_EXAMPLE});
    const Outcome o = run({"--conditions", write("c.csv", "walll,1.2\n" + kBookExample)});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, plain.out);
    EXPECT_NE(o.err.find("\"walll\""), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << o.err;  // one line
    const Outcome bad = run({"--conditions", write("c.csv", "wall,abc\n" + kBookExample)});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "kelnor-calc: the dam's value wall \"abc\" is not a number\n");
}

TEST_F(Settled, UsageErrorsExitTwo) {
    const std::string settled = (dir / "s.csv").string();
    const struct {
        std::vector<std::string> args;
        std::string err;
    } usage[] = {
        {{"--conditions", KELNOR_BOOK_EXAMPLE, "--settled", "-"}, "--settled needs a file name"},
        {{"--conditions", KELNOR_BOOK_EXAMPLE, "--settled="}, "--settled needs a file name"},
        {{"--wall", "1.2"}, "--wall needs --conditions"},
        {{"--settled", settled}, "--settled needs --conditions"},
        {{"--batch", KELNOR_BOOK_EXAMPLE, "--crest", "104"}, "--crest needs --conditions"},
    };
    for (const auto& row : usage) {
        const Outcome o = run(row.args);
        EXPECT_EQ(o.status, 2) << row.err;
        EXPECT_NE(o.err.find(row.err), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(settled));
}

TEST_F(Settled, AGbkFileWithChineseCaptionsSettlesAsItsUtf8Twin) {
    // As Excel's "CSV (逗号分隔)" saves it on a Chinese Windows, padded to the table's width.
    const std::string block =
        "工程名称,某水库,,,,,,,,,\n防浪墙高度（m）,1.2,,,,,,,,,\n预留沉降（m 或 %）,0.3%,,,,,,,,,\n"
        "坝高（m）,68,,,,,,,,,\n,,,,,,,,,,\n";
    const std::string gbk = platform::toCp936(block + kBookExample);
    ASSERT_EQ(gbk.find("设计洪水位"), std::string::npos);
    const std::string settled = (dir / "gbk.csv").string();
    const Outcome o = run({"--conditions", write("c.csv", gbk), "--settled", settled});
    const Outcome utf8 = run({"--conditions", KELNOR_BOOK_EXAMPLE});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, utf8.out);
    EXPECT_EQ(slurp(settled), kSettled);
}

// --- Checking the dam that stands ------------------------------------------------------------

// The book example's wall top 0.22285 m short of the design flood level's 104.22285 m, its
// crest 102.8 m: the crest's own rules are met, the wall must rise by 0.3 m.
const std::string kChecked =
    "item,value,required,met,rule\n"
    "existing_wall_top,104,,,surveyed\n"
    "existing_crest,102.8,,,existing wall top less the wall's 1.2 m\n"
    "existing,104,102.675331,1,level + y (正常蓄水位)\n"
    "margin,1.324669,,1,level + y (正常蓄水位)\n"
    "existing,104,104.22285,0,level + y (设计洪水位)\n"
    "margin,-0.22285,,0,level + y (设计洪水位)\n"
    "existing,104,103.909949,1,level + y (校核洪水位)\n"
    "margin,0.090051,,1,level + y (校核洪水位)\n"
    "existing,102.8,102,1,0.5 m above the highest normal-operation level (设计洪水位)\n"
    "margin,0.8,,1,0.5 m above the highest normal-operation level (设计洪水位)\n"
    "existing,102.8,102.3,1,not below the highest abnormal-operation level (校核洪水位)\n"
    "margin,0.5,,1,not below the highest abnormal-operation level (校核洪水位)\n"
    "check,,,0,\"not met, governed by 设计洪水位\"\n"
    "raise,0.3,,,wall top\n"
    "raise,0,,,crest\n"
    "crest_without_wall,104.3,,,\"highest still-water level + y, rounded up\"\n";

TEST_F(Settled, AWallTopShortIsCheckedConditionByConditionAndIsExitOne) {
    const std::string settled = (dir / "check.csv").string();
    const Outcome o = run({"--conditions", write("c.csv", kBlock + kBookExample), "--settled",
                           settled, "--existing-wall-top", "104"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
              "kelnor-calc: what stands does not meet the code: the wall top 104 is 0.22285 m "
              "short of 104.22285 (设计洪水位); raise the wall top by 0.3 m\n");
    EXPECT_EQ(slurp(settled), kChecked);
    // The results are those of the design.
    EXPECT_EQ(o.out, run({"--conditions", KELNOR_BOOK_EXAMPLE}).out);
    // A control character typed in the governing condition's name stays out of the line.
    std::string named = kBookExample;
    named.replace(named.find("设计洪水位"), std::string("设计洪水位").size(), "设计\x14洪水位");
    const Outcome c =
        run({"--conditions", write("n.csv", kBlock + named), "--existing-wall-top", "104"});
    EXPECT_NE(c.err.find("(设计\\x14洪水位)"), std::string::npos) << c.err;
    EXPECT_EQ(c.err.find('\x14'), std::string::npos);
}

TEST_F(Settled, ACheckSpeaksOfWhatStandsAndOfTheRaiseProposedWhereTyped) {
    const struct {
        std::string block;
        std::vector<std::string> options;
        int status;
        std::string item, row;
    } rows[] = {
        // Met: a crest without a wall 0.27715 m above the highest level + y.
        {"existing_crest,104.5\n", {}, 0, "raise", "0,,,crest"},
        {"existing_crest,104.5\n", {}, 0, "check", ",,1,\"met, governed by 设计洪水位\""},
        // No reserve in a check: what stands has settled.
        {"settlement,0.5\nexisting_crest,104.5\n", {}, 0, "reserve", "(no reserve)"},
        // The crest under a wall 0.1 m under the check flood level.
        {"wall,1.2\nexisting_crest,102.2\nexisting_wall_top,104.3\n",
         {},
         1,
         "raise",
         "0,,,wall top"},
        // The adopted values typed are the proposed raise, checked as in a design.
        {"wall,1.2\nexisting_wall_top,104\n",
         {"--wall-top", "104.3"},
         1,
         "wall_top",
         "104.3,104.22285,1,highest still-water level + y"},
        // The option over the block's row.
        {"existing_crest,103\n",
         {"--existing-crest", "104.5"},
         0,
         "existing_crest",
         "104.5,,,surveyed"},
    };
    const std::string settled = (dir / "check.csv").string();
    for (const auto& row : rows) {
        std::vector<std::string> args{"--conditions", write("c.csv", row.block + kBookExample),
                                      "--settled", settled};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const Outcome o = run(args);
        EXPECT_EQ(o.status, row.status) << row.block << o.err;
        EXPECT_EQ(itemRow(slurp(settled), row.item), row.row) << row.block;
    }
}

TEST_F(Settled, ADamValueThatFailsReplacesAnEarlierSettledFileWithItsStatus) {
    const std::string settled = (dir / "s.csv").string();
    ASSERT_EQ(
        run({"--conditions", write("c.csv", kBlock + kBookExample), "--settled", settled}).status,
        0);
    for (const std::string block :
         {"wall,1.2\nwall_top,104.3\nwall_top,104.4\n", "existing_wall_top,104\n",
          "wall,1.2\nexisting_crest,104.1\nexisting_wall_top,104\n", "settlement,0.3%\n"}) {
        const Outcome o =
            run({"--conditions", write("c.csv", block + kBookExample), "--settled", settled});
        EXPECT_EQ(o.status, 1) << block;
        const std::string written = slurp(settled);
        // The header and the one status row naming the value, nothing settled.
        EXPECT_EQ(written.rfind("item,value,required,met,rule\nstatus,,,0,", 0), 0u) << written;
        EXPECT_NE(written.find("not settled: the dam's value "), std::string::npos) << written;
        EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2) << written;
        EXPECT_EQ(written.find("crest,"), std::string::npos) << written;
    }
}

}  // namespace
}  // namespace kelnor
