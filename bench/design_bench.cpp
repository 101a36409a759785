// How long the design code's method takes over a sheet of conditions: the table read (UTF-8
// and GBK), the conditions computed with the governing one, and the calculation book written.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "kelnor/csv/table.h"
#include "kelnor/design/book.h"
#include "kelnor/design/method.h"
#include "kelnor/platform/text_encoding.h"

namespace {

using namespace kelnor;

// The four usual conditions of bench/conditions.sh, repeated to `count` rows.
std::string sheet(int count) {
    std::string csv = "case,level,depth,wind,fetch,slope,roughness,grade,operation,formula,extra\n";
    const char* rows[] = {
        "正常蓄水位,100,30,21,3,3,0.8,2,normal,putian,\n",
        "设计洪水位,101.5,31.5,21,3.2,3,0.8,2,normal,putian,\n",
        "校核洪水位,102.3,32.3,14,3.3,3,0.8,2,abnormal,hedi,\n",
        "正常蓄水位+地震,100,30,14,3,3,0.8,2,abnormal,guanting,0.8\n",
    };
    for (int i = 0; i < count; ++i) {
        csv += rows[i % 4];
    }
    return csv;
}

std::vector<design::Cells> read(const std::string& bytes) {
    const auto& known = design::conditionColumns();
    csv::TableReader table(csv::sourceOf(bytes), known);
    std::vector<design::Cells> rows;
    csv::TableRow row;
    while (table.next(row)) {
        design::Cells cells{row.number, {}};
        for (std::size_t i = 0; i < table.columns().size(); ++i) {
            cells.cells.emplace_back(known[table.columns()[i]], std::move(row.cells[i]));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// Reading and computing a sheet, as typed (UTF-8, range 0) or as Excel saves it (GBK, 1).
void BM_ReadAndEvaluate(benchmark::State& state) {
    std::string bytes = sheet(static_cast<int>(state.range(1)));
    if (state.range(0) == 1) {
        bytes = platform::toCp936(bytes);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(design::evaluateRows(read(bytes)));
    }
}
BENCHMARK(BM_ReadAndEvaluate)
    ->Args({0, 4})
    ->Args({1, 4})
    ->Args({0, 10})
    ->Unit(benchmark::kMicrosecond);

void BM_CalculationBook(benchmark::State& state) {
    const design::Evaluation ev =
        design::evaluateRows(read(sheet(static_cast<int>(state.range(0)))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(design::calculationBook(ev));
    }
}
BENCHMARK(BM_CalculationBook)->Arg(4)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
