// The design window's start to its first paint against a bare Qt main window's: each a whole
// run of window_start (a program that shows its window and ends after the first paint), on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace {

void run(benchmark::State& state, const char* program, const char* argument = nullptr) {
    for (auto _ : state) {
        char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, program, nullptr, nullptr, argv, environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the window program failed");
            return;
        }
    }
}

// A main window with one label: the fonts loaded as for any window with text.
void BM_BareQtWindow(benchmark::State& state) {
    run(state, KELNOR_BARE_START);
}
BENCHMARK(BM_BareQtWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

// A main window with nothing in it: no font is loaded.
void BM_EmptyQtWindow(benchmark::State& state) {
    run(state, KELNOR_BARE_START, "empty");
}
BENCHMARK(BM_EmptyQtWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DesignWindow(benchmark::State& state) {
    run(state, KELNOR_DESIGN_START);
}
BENCHMARK(BM_DesignWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
