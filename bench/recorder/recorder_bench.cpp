// Throughput of WRITE (10) groups of 31 blocks, and the cost of one short request, through
// TSCSIDevice and the library transport on the virtual recorder (a DVD-RAM, so writes never
// run out of sequence or space); and the pass-through layer's own cost for a WRITE group on a
// stand-in drive node that answers at once, run on the caller's thread or on a request thread.
#include "passthrough_linux.h"
#include "scsi_device.h"
#include "transport.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <poll.h>
#include <sys/eventfd.h>
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

// Drive D: on adapter 0, target 0; every command succeeds at once.
class TInstantNodes : public TDeviceNodes {
public:
    bool IsCDDrive(char Letter) override { return Letter == 'D'; }
    int Open(char Letter, bool) override { return Letter == 'D' ? 1000 : -1; }
    bool SendCommand(int, sg_io_hdr_t& Io) override
    {
        if (static_cast<uint8_t*>(Io.cmdp)[0] == 0x12)
            static_cast<uint8_t*>(Io.dxferp)[0] = 0x05;
        return true;
    }
    bool GetAddress(int, TScsiAddress& Address) override
    {
        Address = {};
        return true;
    }
    void Close(int) override {}
};

void PassThroughWriteGroups(benchmark::State& state)
{
    TInstantNodes nodes;
    SetDeviceNodes(&nodes);
    if (!StartTransport(true))
        state.SkipWithError("no pass-through drive");
    const bool onRequestThread = state.range(0) != 0;
    const int event = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::vector<uint8_t> group(31 * 2048, 0x5A);
    for (auto _ : state) {
        SRB_ExecSCSICmd srb{};
        srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb.SRB_Flags = SRB_DIR_OUT | (onRequestThread ? SRB_EVENT_NOTIFY : 0);
        srb.SRB_BufLen = uint32_t(group.size());
        srb.SRB_BufPointer = group.data();
        srb.SRB_SenseLen = SENSE_LEN;
        srb.SRB_CDBLen = 10;
        srb.SRB_PostProc = onRequestThread ? event : 0;
        srb.CDBByte[0] = 0x2A;
        srb.CDBByte[8] = 31;
        SendASPI32Command(&srb);
        while (std::atomic_ref<uint8_t>(srb.SRB_Status).load() == SS_PENDING) {
            pollfd completion{event, POLLIN, 0};
            poll(&completion, 1, -1);
        }
        eventfd_t signals = 0;
        (void)eventfd_read(event, &signals);
        if (srb.SRB_Status != SS_COMP)
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(group.size()));
    close(event);
    StopTransport();
    SetDeviceNodes(nullptr);
}
BENCHMARK(PassThroughWriteGroups)->Arg(0)->Arg(1)->ArgName("request_thread");

}  // namespace

BENCHMARK_MAIN();
