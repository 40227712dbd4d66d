// How long SANE's device search takes with the machine's own SANE configuration (Debian's
// default: every backend probes its buses), and how long the window waits for it: starting
// the search on its worker must return at once, whatever SANE does.
//
// Run without SANE_CONFIG_DIR to measure the system configuration.
#include "acquire_image.h"
#include "scan_source_list.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <memory>

namespace {

void BM_SourceSearchWithSystemConfiguration(benchmark::State& state) {
    std::size_t sources = 0;
    for (auto _ : state) sources = ListScanSources().size();
    state.counters["sources"] = double(sources);
}
BENCHMARK(BM_SourceSearchWithSystemConfiguration)->Unit(benchmark::kMillisecond)->Iterations(2);

// What the main window's start-up spends on scanning: creating the source list and starting
// its search. The search itself runs on, and is waited for outside the measurement.
void BM_StartingTheSearch(benchmark::State& state) {
    for (auto _ : state) {
        auto sources = std::make_unique<TScanSourceList>();
        sources->Start();
        state.PauseTiming();
        sources.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartingTheSearch)->Unit(benchmark::kMicrosecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
