// kelnor-calc --batch end to end, through the built binary, against the single case.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "batch.h"
#include "kelnor/calculation.h"
#include "kelnor/csv/record_reader.h"
#include "kelnor/csv/writing.h"
#include "kelnor/report.h"
#include "options.h"
#include "run_program.h"

namespace kelnor {
namespace {

namespace fs = std::filesystem;
using Cells = std::vector<std::string>;

const std::string kOutputHeader =
    "formula,depth,wind,fetch,roughness,kw,slope,allowance,kz,"
    "W,Dm,H1,T,Lambda,E,R,K1,K5,R1,R5,B1,B5,error";

using testing_support::Outcome;
using testing_support::slurp;

std::vector<Cells> parseCsv(const std::string& text) {
    csv::CsvReader reader(csv::sourceOf(text));
    std::vector<Cells> rows;
    csv::CsvRecord record;
    while (reader.next(record)) {
        rows.push_back(record.cells);
    }
    return rows;
}

using Batch = testing_support::KelnorCalcTest;

// One case of the mixed file and what the single case makes of it.
struct Case {
    std::string label, formula, wind, depth, fetch, slope;
};

TEST_F(Batch, MixedFileMatchesTheSingleCaseCellByCell) {
    // CR LF, a BOM, no roughness, kw or allowance column, the columns in an order of their own.
    const std::vector<Case> cases = {
        {"normal storage level", "1", "27.0", "9.0", "4", "3"},
        {"design flood", "2", "30", "12.5", "2.5", "2.5"},
        {"check flood", "3", "35", "14", "3.2", "2.75"},
        {"deep reservoir", "1", "20", "300", "10", "3"},
        {"wind, typed with a comma", "1", "2,5", "9.0", "4", "3"},
        {"bad depth", "2", "27.0", "abc", "4", "3"},
        {"too large", "1", "27.0", "9.0", "1e400", "3"},
        {"no depth", "1", "27.0", "0", "4", "3"},
        {"negative fetch", "3", "27.0", "9.0", "-1", "3"},
        {"full-width, \"quoted\"", "2", "\xEF\xBC\x92\xEF\xBC\x97", "9.0", "4", "3"},
    };
    std::string input =
        "\xEF\xBB\xBF"
        "case,wind,formula,fetch,depth,slope,kz\r\n";
    for (const auto& c : cases) {
        std::string line;
        for (const auto* cell : {&c.label, &c.wind, &c.formula, &c.fetch, &c.depth, &c.slope}) {
            csv::appendCsvCell(line, *cell);
            line += ',';
        }
        input += line + "1\r\n";
    }
    const Outcome o = run({"--batch", write("cases.csv", input)});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "kelnor-calc: 5 of 10 rows failed\n");

    const auto rows = parseCsv(o.out);
    ASSERT_EQ(rows.size(), cases.size() + 1);
    EXPECT_EQ(rows[0], parseCsv("case," + kOutputHeader)[0]);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const Cells& row = rows[i + 1];
        ASSERT_EQ(row.size(), rows[0].size()) << c.label;
        const Cells echoed(row.begin(), row.begin() + 10);
        EXPECT_EQ(echoed, (Cells{c.label, c.formula, c.depth, c.wind, c.fetch, "0.65", "1.02",
                                 c.slope, "0.4", "1"}));

        InputSet inputs = InputSet::defaults();
        inputs[Box::H] = c.depth;
        inputs[Box::W10] = c.wind;
        inputs[Box::D] = c.fetch;
        inputs[Box::M] = c.slope;
        const auto formula = static_cast<FormulaChoice>(std::stoi(c.formula));
        const Outcome single = run({"--formula", c.formula, "--depth", c.depth, "--wind", c.wind,
                                    "--fetch", c.fetch, "--slope", c.slope});
        if (single.status != 0) {
            // The single case's words, with the column for the option.
            std::string words = single.err.substr(std::strlen("kelnor-calc: "));
            words.pop_back();
            if (const auto dashes = words.find(" --"); dashes != std::string::npos) {
                words.erase(dashes + 1, 2);
            }
            EXPECT_EQ(row.back(), words) << c.label;
            EXPECT_TRUE(std::all_of(row.begin() + 10, row.end() - 1,
                                    [](const std::string& cell) { return cell.empty(); }));
            continue;
        }
        EXPECT_EQ(row.back(), "") << c.label;
        const Results r = calculate(formula, inputs);
        const double expected[] = {r.waves.W,  r.waves.Dm, r.waves.H1, r.waves.T,  r.waves.Lambda,
                                   r.waves.E,  r.runup.R,  r.runup.K1, r.runup.K5, r.runup.R1,
                                   r.runup.R5, r.runup.B1, r.runup.B5};
        for (std::size_t k = 0; k < std::size(expected); ++k) {
            const std::string& cell = row[10 + k];
            double read = 0;
            const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), read);
            EXPECT_TRUE(ec == std::errc() && end == cell.data() + cell.size()) << cell;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(read), std::bit_cast<std::uint64_t>(expected[k]))
                << c.label << ", " << rows[0][10 + k] << " " << cell;
        }
    }
}

TEST_F(Batch, ReportsAreTheSingleCaseBytes) {
    const fs::path reports = dir / "reports";
    fs::create_directory(reports);
    const std::string input =
        "formula,wind,fetch\n"
        "1,20,4\n"
        "2,27.0,x\n"
        "\n"  // blank lines are skipped and not counted
        "3,35,2.5\n";
    const Outcome o = run({"--batch", "-", "--output", reports.string()}, input);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(parseCsv(o.out).size(), 4u);

    const std::vector<std::vector<std::string>> options = {
        {"--formula=1", "--wind=20", "--fetch=4"},
        {},
        {"--formula=3", "--wind=35", "--fetch=2.5"},
    };
    for (std::size_t i = 0; i < options.size(); ++i) {
        const fs::path report = reports / ("tavoout-" + std::to_string(i + 1) + ".txt");
        if (options[i].empty()) {
            EXPECT_FALSE(fs::exists(report));
            continue;
        }
        auto args = options[i];
        args.insert(args.end(), {"--output", (dir / "single.txt").string()});
        ASSERT_EQ(run(args).status, 0);
        EXPECT_EQ(slurp(report), slurp(dir / "single.txt")) << report;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(reports), {}), 2);
}

TEST_F(Batch, ReportThatCannotBeWrittenFailsItsRowOnly) {
    fs::create_directories(dir / "reports" / "tavoout-1.txt");
    const Outcome o =
        run({"--batch", "-", "--output", (dir / "reports").string()}, "wind\n20\n25\n");
    EXPECT_EQ(o.status, 1);
    const auto rows = parseCsv(o.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].back(), "cannot write report: " + (dir / "reports").string() +
                                  "/tavoout-1.txt: Is a directory");
    EXPECT_EQ(rows[1][9], "");  // W
    EXPECT_EQ(rows[2].back(), "");
    EXPECT_TRUE(fs::is_regular_file(dir / "reports" / "tavoout-2.txt"));
}

TEST_F(Batch, MalformedRowsFailAloneAndTheBatchGoesOn) {
    const std::string input =
        "case,formula,wind\n"
        "four,4,27.0\n"
        "blank formula,,27.0\n"
        "padded, 2 ,27.0\n"
        "short,1\n"
        "long,1,27.0,extra\n"
        "open quote,1,\"27.0\n";
    const Outcome o = run({"--batch", "-"}, input);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "kelnor-calc: 5 of 6 rows failed\n");
    const auto rows = parseCsv(o.out);
    ASSERT_EQ(rows.size(), 7u);
    const std::pair<Cells, std::string> expected[] = {
        {{"four", "4", "9.0", "27.0"}, "formula \"4\" is not 1, 2 or 3"},
        {{"blank formula", "", "9.0", "27.0"}, "formula \"\" is not 1, 2 or 3"},
        {{"padded", " 2 ", "9.0", "27.0"}, ""},
        {{"short", "1", "9.0", ""}, "the row has 2 cells where the header has 3"},
        {{"long", "1", "9.0", "27.0"}, "the row has 4 cells where the header has 3"},
        {{"open quote", "1", "9.0", "27.0\n"},
         "a quoted cell is not closed before the end of standard input"},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Cells& row = rows[i + 1];
        ASSERT_EQ(row.size(), rows[0].size());
        EXPECT_EQ(Cells(row.begin(), row.begin() + 4), expected[i].first);
        EXPECT_EQ(row.back(), expected[i].second);
        EXPECT_EQ(row[11].empty(), !expected[i].second.empty()) << row[0];
    }
}

TEST_F(Batch, HeaderAndFileProblems) {
    struct Row {
        std::string input;
        int status;
        std::string out, err;
    };
    const std::string file = (dir / "in.csv").string();
    const std::vector<Row> rows = {
        {"case,wind\r\n", 2, "", "kelnor-calc: no cases in " + file + "\n"},
        {"\xEF\xBB\xBF"
         "depth\n\n",
         2, "", "kelnor-calc: no cases in " + file + "\n"},
        {"case,wind,\n", 2, "",
         "kelnor-calc: column 3 of the header of " + file +
             " has an empty name — a trailing comma?\n"},
        {"case,,wind\nA,1,2\n", 2, "",
         "kelnor-calc: column 2 of the header of " + file +
             " has an empty name — two commas in a row?\n"},
        {"", 2, "", "kelnor-calc: " + file + " has no header row\n"},
        {"\xEF\xBB\xBF\r\n\r\n", 2, "", "kelnor-calc: " + file + " has no header row\n"},
        {"wind,gust\n20,3\n", 2, "",
         "kelnor-calc: unknown column \"gust\" in " + file +
             "; the columns are case, formula, depth, wind, fetch, roughness, kw, slope, "
             "allowance, kz\n"},
        {"Wind\n", 2, "", ""},
        {"wind, depth,wind\n20,9,20\n", 2, "",
         "kelnor-calc: column \"wind\" appears twice in " + file + "\n"},
        {"\"wind\n20\n", 2, "", "kelnor-calc: the header row of " + file + " is not valid CSV\n"},
    };
    for (const auto& row : rows) {
        write("in.csv", row.input);
        const Outcome o = run({"--batch", file});
        EXPECT_EQ(o.status, row.status) << row.input;
        EXPECT_EQ(o.out, row.out) << row.input;
        if (!row.err.empty()) {
            EXPECT_EQ(o.err, row.err);
        }
    }
}

TEST_F(Batch, UsageErrors) {
    const std::string file = write("in.csv", "wind\n20\n");
    struct Row {
        std::vector<std::string> args;
        std::string err;  // the first line of standard error
    };
    const std::vector<Row> rows = {
        {{"--batch", file, "--wind", "20"},
         "kelnor-calc: --wind cannot be used with --batch; give a column instead"},
        {{"--formula=2", "--batch", file},
         "kelnor-calc: --formula cannot be used with --batch; give a column instead"},
        {{"--batch", file, "--output", "-"},
         "kelnor-calc: --output with --batch needs a folder for the reports"},
        {{"--batch", file, "--output", file},
         "kelnor-calc: cannot write reports into " + file + ": Not a directory"},
        {{"--batch", (dir / "missing.csv").string()},
         "kelnor-calc: cannot read " + (dir / "missing.csv").string() +
             ": No such file or directory"},
        {{"--batch", dir.string()},
         "kelnor-calc: cannot read " + dir.string() + ": Is a directory"},
    };
    for (const auto& row : rows) {
        const Outcome o = run(row.args);
        EXPECT_EQ(o.status, 2) << row.err;
        EXPECT_EQ(o.err.substr(0, o.err.find('\n')), row.err);
        EXPECT_EQ(o.out, "");
    }
}

// The batch called directly, with input and output faults a process cannot easily be given.
TEST(BatchInProcess, ReadErrorPartWayKeepsTheRowsDoneAndEndsWithStatus2) {
    const std::string input = "case,wind\nA,20\nB,24\n";
    bool failedOnce = false;
    std::string out;
    std::ostringstream errors;
    cli::BatchIo io{"cases.csv",
                    [&](char* buffer, std::size_t size) -> std::size_t {
                        if (failedOnce) {
                            throw std::system_error(EIO, std::generic_category());
                        }
                        failedOnce = true;
                        // Everything up to the second row's line end, then a read error.
                        const std::size_t n = std::min(size, input.size() - 1);
                        std::memcpy(buffer, input.data(), n);
                        return n;
                    },
                    [&](std::string_view bytes) { out += bytes; }, errors};
    EXPECT_EQ(cli::runBatch(io, std::nullopt), 2);
    const auto rows = parseCsv(out);
    ASSERT_EQ(rows.size(), 2u);  // the header and row A; row B never ended
    EXPECT_EQ(rows[1][0], "A");
    EXPECT_EQ(errors.str(), "kelnor-calc: cannot read cases.csv: Input/output error\n");
}

TEST(BatchInProcess, OutputThatCannotBeWrittenStopsTheBatch) {
    const std::string input = "wind\n20\n";
    std::size_t at = 0;
    std::ostringstream errors;
    cli::BatchIo io{"cases.csv",
                    [&](char* buffer, std::size_t size) {
                        const std::size_t n = std::min(size, input.size() - at);
                        std::memcpy(buffer, input.data() + at, n);
                        at += n;
                        return n;
                    },
                    [](std::string_view) {
                        throw platform::WriteFailure("standard output",
                                                     std::make_error_code(std::errc::broken_pipe));
                    },
                    errors};
    try {
        cli::runBatch(io, std::nullopt);
        ADD_FAILURE() << "the lost output went unnoticed";
    } catch (const platform::WriteFailure& f) {
        EXPECT_EQ(cli::describe(f), "cannot write report: standard output: Broken pipe");
    }
}

}  // namespace
}  // namespace kelnor
