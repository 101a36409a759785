// kelnor-calc end to end, through the built binary.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "kelnor/report.h"
#include "run_program.h"

namespace kelnor {
namespace {

namespace fs = std::filesystem;

using testing_support::Outcome;
using testing_support::slurp;

class Cli : public testing_support::TemporaryFolderTest {
  protected:
    // Runs kelnor-calc with `args`, after the words of `prefix` (a wrapper such as setpriv).
    Outcome run(const std::vector<std::string>& args, std::vector<std::string> prefix = {}) {
        prefix.push_back(program);
        prefix.insert(prefix.end(), args.begin(), args.end());
        return testing_support::runProgram(prefix, dir);
    }

    std::string program = KELNOR_CALC;
};

TEST_F(Cli, DefaultsPrintTheReportBytes) {
    const Outcome o = run({});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, calculateReport(FormulaChoice::Putian, InputSet::defaults()));
    EXPECT_EQ(o.err, "");
}

TEST_F(Cli, OptionsSetTheBoxesInBothForms) {
    InputSet inputs = InputSet::defaults();
    inputs[Box::H] = "12.5";
    inputs[Box::W10] = "20";
    inputs[Box::D] = "2.5";
    inputs[Box::KDelta] = "0.9";
    inputs[Box::Kw] = "1.1";
    inputs[Box::M] = "2.5";
    inputs[Box::H2] = "0.70";
    inputs[Box::Kz] = "1.1";
    const Outcome o =
        run({"--formula", "3", "--depth=12.5", "--wind", "20", "--fetch=2.5", "--roughness", "0.9",
             "--kw=1.1", "--slope", "2.5", "--allowance=0.70", "--kz", "1.1", "--output", "-"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, calculateReport(FormulaChoice::GuantingHedi, inputs));
}

TEST_F(Cli, FailuresAndUsageErrors) {
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string err;  // the first line of standard error
    };
    const std::vector<Row> rows = {
        {{"--fetch", "abc"}, 1, "kelnor-calc: type mismatch: --fetch \"abc\" is not a number"},
        {{"--wind="}, 1, "kelnor-calc: type mismatch: --wind \"\" is not a number"},
        {{"--depth=0"}, 1, "kelnor-calc: division by zero"},
        {{"--depth", "1e400"},
         1,
         "kelnor-calc: overflow: --depth \"1e400\" is beyond the range of a number"},
        {{"--depth=-1"}, 1, "kelnor-calc: invalid argument"},
        {{"--fetch", "-1", "--formula=2"}, 1, "kelnor-calc: invalid argument"},
        {{"--bogus=1"}, 2, "kelnor-calc: unknown option --bogus"},
        {{"--depth"}, 2, "kelnor-calc: option --depth needs a value"},
        {{"--formula=4"}, 2, "kelnor-calc: --formula must be 1, 2 or 3, not \"4\""},
        {{"9.0"}, 2, "kelnor-calc: unexpected argument \"9.0\""},
    };
    for (const auto& row : rows) {
        const Outcome o = run(row.args);
        EXPECT_EQ(o.status, row.status) << row.err;
        EXPECT_EQ(o.err.substr(0, o.err.find('\n')), row.err);
        EXPECT_EQ(o.out, "") << row.err;
    }
}

TEST_F(Cli, OutputFileIsReplacedOnlyBySuccess) {
    const fs::path file = dir / "report.txt";
    EXPECT_EQ(run({"--output", file.string(), "--formula=2"}).status, 0);
    const std::string report = calculateReport(FormulaChoice::Andreyanov, InputSet::defaults());
    EXPECT_EQ(slurp(file), report);

    const Outcome failed = run({"--output=" + file.string(), "--kw", "x"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(slurp(file), report);
}

TEST_F(Cli, UnwritableOutputIsReportedAndLeavesNothingBehind) {
    fs::create_directory(dir / "occupied.txt");
    struct Row {
        fs::path target;
        std::string reason;
    };
    const std::vector<Row> rows = {
#ifdef _WIN32
        {dir / "missing" / "report.txt", std::system_category().message(3)},  // path not found
#else
        {dir / "missing" / "report.txt", "No such file or directory"},
#endif
        {dir / "occupied.txt", "Is a directory"},
    };
    for (const auto& row : rows) {
        const Outcome o = run({"--output", row.target.string()});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, "kelnor-calc: cannot write report: " + row.target.string() + ": " +
                             row.reason + "\n");
        EXPECT_EQ(o.out, "");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);  // only occupied.txt
}

// A Windows folder's read-only mark does not guard its files; windows_tests has the read-only
// and held-open report instead.
#ifndef _WIN32
TEST_F(Cli, ReadOnlyFolderIsReportedAndKeepsTheOldReport) {
    // Root writes anywhere, so as root the program runs as nobody.
    std::vector<std::string> prefix;
    if (geteuid() == 0) {
        if (access("/usr/bin/setpriv", X_OK) != 0) {
            GTEST_SKIP() << "running as root without setpriv";
        }
        prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        // A copy nobody can reach, wherever the build tree lies.
        program = (dir / "kelnor-calc").string();
        fs::copy_file(KELNOR_CALC, program);
    }
    const fs::path ro = dir / "ro";
    fs::create_directory(ro);
    { std::ofstream(ro / "tavoout.txt", std::ios::binary) << "old\r\n"; }
    fs::permissions(dir, fs::perms::all);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                            fs::perms::others_exec);
    const Outcome o = run({"--output", (ro / "tavoout.txt").string()}, prefix);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "kelnor-calc: cannot write report: " + (ro / "tavoout.txt").string() +
                         ": Permission denied\n");
    EXPECT_EQ(slurp(ro / "tavoout.txt"), "old\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(ro), {}), 1);
    fs::permissions(ro, fs::perms::owner_all);
}
#endif

TEST_F(Cli, HelpPrintsUsage) {
    const Outcome o = run({"--help"});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("Usage: kelnor-calc"), std::string::npos);
    EXPECT_NE(o.out.find("--allowance"), std::string::npos);
}

}  // namespace
}  // namespace kelnor
