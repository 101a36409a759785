// kelnor-calc --conditions with the dam's values above the header: the settled crest written
// by --settled, the options over the file's rows, an adopted value below its requirement, a
// row naming no value, and the block as Excel saves it on a Chinese Windows.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelnor
