// The interactive road, each from start to exit of q730 as a user runs it:
// opening the printing preferences and pressing OK (the settings are saved
// as the user's default; goal under 150 ms), and the same with a picture of
// every page written (--png; goal under 1 s). The resolver pass after one
// change and the writing of a settings file are measured by
// bench_ui_constraints and bench_settings_files.
//
// Counters per run: cpu_ms (the child's user and system time) and wall_ms;
// the benchmark's time is the wall clock, which is what a user waits for.
#include "bench/roadjobs.h"

#include <benchmark/benchmark.h>

namespace {

using namespace road;

void RunQ730Bench(benchmark::State& state, const std::vector<std::string>& args)
{
    if (!SetUp("q730ui")) {
        state.SkipWithError("the printer could not be set up");
        return;
    }
    double sCpu = 0, sWall = 0;
    for (auto _ : state) {
        RUNRESULT r = RunQ730(args);
        if (r.iStatus != 0) {
            state.SkipWithError("q730 failed");
            return;
        }
        state.SetIterationTime(r.sWall);
        sCpu += r.sCpu;
        sWall += r.sWall;
    }
    state.counters["cpu_ms"] = benchmark::Counter(sCpu * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["wall_ms"] = benchmark::Counter(sWall * 1000.0, benchmark::Counter::kAvgIterations);
}

void BM_PreferencesOk(benchmark::State& state)
{
    RunQ730Bench(state, {"preferences"});
}
BENCHMARK(BM_PreferencesOk)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PreferencesPngOfEveryPage(benchmark::State& state)
{
    RunQ730Bench(state, {"preferences", "--png", g_root.empty() ? "png" : g_root + "/png"});
}
BENCHMARK(BM_PreferencesPngOfEveryPage)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
