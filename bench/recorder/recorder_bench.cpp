// Throughput of WRITE (10) groups of 31 blocks, and the cost of one short request, through
// TSCSIDevice and the library transport on the virtual recorder (a DVD-RAM, so writes never
// run out of sequence or space).
#include "scsi_device.h"
#include "transport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

struct TBench {
    TSCSIDevice Device;
    TBench()
    {
        if (chdir(VIRTUAL_RECORDER_DIR) != 0)
            return;
        setenv("VREC_DRIVES", "dvdram=1,medium=dvdram", 1);
        setenv("VREC_ASYNC", Async ? "1" : "0", 1);
        Device.InitializeASPI(false);
        Device.SelectDevice("0:0:0");
    }
    static inline bool Async = false;
};

void WriteGroups(benchmark::State& state)
{
    TBench::Async = state.range(0) != 0;
    TBench bench;
    std::vector<uint8_t> group(31 * 2048, 0x5A);
    uint32_t lba = 0;
    for (auto _ : state) {
        if (!bench.Device.Write10(lba, 31, group.data(), uint32_t(group.size())))
            state.SkipWithError("write refused");
        lba = (lba + 31) % 100000;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(group.size()));
    StopTransport();
}
BENCHMARK(WriteGroups)->Arg(0)->Arg(1)->ArgName("async");

void TestUnitReady(benchmark::State& state)
{
    TBench::Async = state.range(0) != 0;
    TBench bench;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.Device.TestUnitReady(5000));
    StopTransport();
}
BENCHMARK(TestUnitReady)->Arg(0)->Arg(1)->ArgName("async");

}  // namespace

BENCHMARK_MAIN();
