// How long a calculation, a report and the command line take.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "kelnor/report.h"
#include "kelnor/report_file.h"

extern char** environ;

namespace {

using namespace kelnor;

void BM_Calculate(benchmark::State& state) {
    const auto formula = static_cast<FormulaChoice>(state.range(0));
    const InputSet inputs = InputSet::defaults();
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculate(formula, inputs));
    }
}
BENCHMARK(BM_Calculate)->Arg(1)->Arg(2)->Arg(3);

// A light wind gives a period so short that no candidate of the wavelength search comes
// near: trying them in turn would take all 440.
void BM_CalculateFullWavelengthSearch(benchmark::State& state) {
    InputSet inputs = InputSet::defaults();
    inputs[Box::W10] = std::string("1");
    const WaveElements w = computeWaveElements(FormulaChoice::Putian, inputs, 1.0);
    if (searchWavelength(w.T, 9.0).matched) {
        state.SkipWithError("not a full search");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(calculate(FormulaChoice::Putian, inputs));
    }
}
BENCHMARK(BM_CalculateFullWavelengthSearch);

void BM_FormatReport(benchmark::State& state) {
    const InputSet inputs = InputSet::defaults();
    const Results results = calculate(FormulaChoice::Putian, inputs);
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatReport(FormulaChoice::Putian, inputs, results));
    }
}
BENCHMARK(BM_FormatReport);

void BM_WriteReportFile(benchmark::State& state) {
    char name[] = "/tmp/kelnor-bench-XXXXXX";
    if (mkdtemp(name) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string report = calculateReport(FormulaChoice::Putian, InputSet::defaults());
    for (auto _ : state) {
        writeReportFile(name, report);
    }
    std::filesystem::remove_all(name);
}
BENCHMARK(BM_WriteReportFile)->Unit(benchmark::kMicrosecond);

// kelnor-calc from start to exit, writing its report to a file.
void BM_CommandLine(benchmark::State& state) {
    char name[] = "/tmp/kelnor-bench-XXXXXX";
    if (mkdtemp(name) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string output = std::string(name) + "/tavoout.txt";
    char* argv[] = {const_cast<char*>(KELNOR_CALC), const_cast<char*>("--output"),
                    const_cast<char*>(output.c_str()), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, KELNOR_CALC, nullptr, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) != pid || status != 0) {
            state.SkipWithError("kelnor-calc failed");
            break;
        }
    }
    std::filesystem::remove_all(name);
}
BENCHMARK(BM_CommandLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
