// Waiting for a drive of the pass-through layer that stops answering inside the system call:
// the wait is reported and can be ended, and the command that was given up ends in the
// background without touching what its caller has let go.
#include "fake_nodes.h"
#include "hang_guard.h"
#include "passthrough_requests.h"
#include "scsi_device.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace {

// Its completion waits end when the request completes, or at once while the drive holds a
// command, as if the time asked for had passed.
class TGatedDevice : public TSCSIDevice {
public:
    explicit TGatedDevice(TFakeNodes& Nodes) : FNodes(Nodes) {}

protected:
    void WaitForCompletion(int Event, int) override { FNodes.WaitForAnswerOrHold(Event); }

private:
    TFakeNodes& FNodes;
};

class PassThroughWaits : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(chdir(::testing::TempDir().c_str()), 0);  // no library in reach
        Nodes.Drives = {DriveAt('D', 0, 0)};
        SetDeviceNodes(&Nodes);
        ASSERT_TRUE(Device.InitializeASPI(true));
        ASSERT_EQ(TransportName(), "PTASPI32");
        Device.SelectDevice(Device.DeviceList().at(0));
        ASSERT_EQ(Device.HaId(), 0);
        Device.OnDriveWait = [this](TSCSIDevice*, int Seconds) {
            Reports.push_back(Seconds);
            if (Seconds == AbortAt)
                Device.CancelDriveWaits();
        };
        // The drive reads blocks full of A5h.
        Nodes.Answer = [](sg_io_hdr_t& io) {
            if (static_cast<uint8_t*>(io.cmdp)[0] == 0x28)
                std::memset(io.dxferp, 0xA5, io.dxfer_len);
            return true;
        };
    }
    void TearDown() override
    {
        Nodes.Gate.Release();
        EXPECT_TRUE(WaitForRequests(HangGuardMs)) << "a request never ended";
        CloseAfterCommand = false;
        StopTransport();
        SetDeviceNodes(nullptr);
    }

    TFakeNodes Nodes;
    TGatedDevice Device{Nodes};
    std::vector<int> Reports;
    int AbortAt = -1;  // the report (seconds) at which the user ends the wait
};

TEST_F(PassThroughWaits, AnsweredRequestsHandTheirResultsOver)
{
    CloseAfterCommand = true;
    std::vector<uint8_t> block(2048, 0);
    ASSERT_TRUE(Device.Read10(16, 1, block.data(), uint32_t(block.size())));
    EXPECT_EQ(block, std::vector<uint8_t>(2048, 0xA5));
    EXPECT_EQ(Nodes.OpenHandles, 0) << "closed after the command, before it completed";

    std::vector<uint8_t> sent;
    Nodes.Answer = [&](sg_io_hdr_t& io) {
        auto* data = static_cast<uint8_t*>(io.dxferp);
        sent.assign(data, data + io.dxfer_len);
        io.status = 0x02;  // CHECK CONDITION: MEDIUM ERROR
        io.sb_len_wr = 18;
        static_cast<uint8_t*>(io.sbp)[0] = 0x70;
        static_cast<uint8_t*>(io.sbp)[2] = 0x03;
        return true;
    };
    const std::vector<uint8_t> group(4096, 0x3C);
    EXPECT_FALSE(Device.Write10(0, 2, group.data(), uint32_t(group.size())));
    EXPECT_EQ(sent, group);
    EXPECT_EQ(Device.LastError(), "MEDIUM ERROR");
    EXPECT_TRUE(Reports.empty());
}

TEST_F(PassThroughWaits, AFrozenDriveIsReportedUntilTheWaitIsGivenUpOrEnded)
{
    const struct {
        int AbortAt;
        std::vector<int> Reports;
    } cases[] = {
        {-1, {10, 40, 70, 100, 130, 160}},  // the kernel's 120 s and a minute for its recovery
        {40, {10, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.AbortAt);
        Reports.clear();
        AbortAt = c.AbortAt;
        Nodes.Gate.Arm(0x28);

        // The caller lets its buffer go as soon as the request is given up.
        auto block = std::make_unique<uint8_t[]>(2048);
        std::fill_n(block.get(), 2048, 0);
        EXPECT_FALSE(Device.Read10(16, 1, block.get(), 2048));
        EXPECT_EQ(Reports, c.Reports);
        EXPECT_EQ(Nodes.Gate.Held(), 1);
        EXPECT_EQ(std::count(block.get(), block.get() + 2048, 0), 2048) << "nothing handed over";
        block.reset();

        // While the wait stays ended, a command sent meanwhile is given up at once; it waits
        // its turn behind the held one. The end of a job restarts the transport without
        // asking the drive anything.
        const size_t commands = Nodes.Commands.size();
        const int opens = Nodes.Opens;
        if (Device.DriveWaitsCancelled()) {
            EXPECT_FALSE(Device.TestUnitReady(10000));
        }
        RestartTransport();
        EXPECT_EQ(Nodes.Commands.size(), commands);
        EXPECT_EQ(Nodes.Opens, opens);
        EXPECT_EQ(Nodes.OpenHandles, 1) << "the commands under way keep their handle";

        // The late answer is dropped, the waiting command follows, then the drive is there as before.
        Nodes.Gate.Release();
        ASSERT_TRUE(WaitForRequests(HangGuardMs));
        EXPECT_EQ(Nodes.OpenHandles, 0);
        EXPECT_EQ(Nodes.Commands.at(commands - 1).at(0), 0x28);
        if (Device.DriveWaitsCancelled()) {
            ASSERT_EQ(Nodes.Commands.size(), commands + 1);
            EXPECT_EQ(Nodes.Commands.back().at(0), 0x00);
        }
        Device.ResumeDriveWaits();
        Device.SelectDevice(Device.DeviceList().at(0));
        EXPECT_EQ(Device.HaId(), 0) << "the restart kept the drive";
        EXPECT_TRUE(Device.TestUnitReady(10000));
        EXPECT_EQ(Device.LastError(), "");
    }
}

}  // namespace
