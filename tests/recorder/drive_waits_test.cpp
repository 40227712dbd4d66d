// Waiting for a drive that stops answering: the wait is reported, and the user can end it.
#include "hang_guard.h"
#include "virtual_bus.h"

#include <future>
#include <thread>

namespace {

class DriveWaits : public TVirtualBusTest {
protected:
    std::vector<int> Reports;  // the seconds of every wait report, 0 for "over"

    // A drive whose first SYNCHRONIZE CACHE never completes; pending requests are given up
    // at once, as when the time of each completion wait has passed.
    void SelectFrozenDrive()
    {
        SelectOnly("hang=35");
        Device->GiveUpPendingRequests = true;
        Device->OnDriveWait = [this](TSCSIDevice* Sender, int Seconds) {
            EXPECT_EQ(Sender, Device.get());
            Reports.push_back(Seconds);
        };
    }
};

TEST_F(DriveWaits, AFrozenRequestIsReportedAfterTenSecondsThenEveryThirty)
{
    SelectFrozenDrive();
    EXPECT_FALSE(Device->SynchronizeCache(120000, false));
    EXPECT_EQ(Device->CompletionTimeouts, (std::vector<int>{10000, 30000, 30000, 30000, 20000}));
    EXPECT_EQ(Reports, (std::vector<int>{10, 40, 70, 100}));
    EXPECT_EQ(Device->LastError(), "") << "a time-out, as before";
    EXPECT_TRUE(Device->TestUnitReady(5000));
    EXPECT_EQ(Reports, (std::vector<int>{10, 40, 70, 100, 0})) << "the drive answers again";
    EXPECT_TRUE(Device->TestUnitReady(5000));
    EXPECT_EQ(Reports.size(), 5u) << "a wait that was not reported ends silently";
}

TEST_F(DriveWaits, PausesOfWaitingLoopsAddUpUntilTheDriveAnswers)
{
    SelectOnly("notready=1000000");
    Device->OnDriveWait = [this](TSCSIDevice*, int Seconds) { Reports.push_back(Seconds); };
    EXPECT_FALSE(Device->WaitReady(45000, 1000));
    EXPECT_EQ(Device->Pauses, 46);
    EXPECT_EQ(Reports, (std::vector<int>{10, 40}));
    // REQUEST SENSE answers even while the drive is not ready: that ends no wait.
    uint8_t sense[18] = {};
    EXPECT_TRUE(Device->RequestSense(sense, sizeof sense));
    EXPECT_EQ(Reports.size(), 2u);
}

TEST_F(DriveWaits, CancelEndsEveryWaitUntilResumed)
{
    SelectFrozenDrive();
    Device->OnDriveWait = [this](TSCSIDevice*, int Seconds) {
        Reports.push_back(Seconds);
        if (Seconds == 40)
            Device->CancelDriveWaits();
    };
    EXPECT_FALSE(Device->SynchronizeCache(120000, false));
    EXPECT_EQ(Device->CompletionTimeouts, (std::vector<int>{10000, 30000})) << "no wait after the cancel";
    EXPECT_EQ(Log("request aborted").size(), 1u) << "the request was given up at the transport";
    EXPECT_FALSE(Device->DrivePause(1000));
    EXPECT_FALSE(Device->WaitReady(10000, 1000));
    EXPECT_EQ(Device->Pauses, 0);

    Device->ResumeDriveWaits();
    EXPECT_EQ(Reports, (std::vector<int>{10, 40, 0}));
    EXPECT_TRUE(Device->DrivePause(1000));
    EXPECT_TRUE(Device->WaitReady(10000, 1000));
    EXPECT_TRUE(Device->SynchronizeCache(120000, false)) << "the drive answers the next one";
}

TEST_F(DriveWaits, AWaitThatACancelEndsEarlyIsNotCounted)
{
    SelectFrozenDrive();
    Device->CancelInWaits = true;
    EXPECT_FALSE(Device->SynchronizeCache(120000, false));
    EXPECT_EQ(Device->CompletionTimeouts, std::vector<int>{10000});
    Device->ResumeDriveWaits();
    EXPECT_FALSE(Device->DrivePause(20000));
    EXPECT_EQ(Device->Pauses, 1);
    EXPECT_TRUE(Reports.empty()) << "neither wait lasted its time";
}

// The real pause, not a counted one: a cancel from another thread ends it.
TEST(DriveWaitThreads, CancelEndsARealPause)
{
    TSCSIDevice device;
    auto paused = std::async(std::launch::async, [&] { return device.DrivePause(int(std::chrono::milliseconds(kHangGuard).count())); });
    device.CancelDriveWaits();
    ASSERT_EQ(paused.wait_for(kHangGuard), std::future_status::ready) << "the pause did not end";
    EXPECT_FALSE(paused.get());
}

}  // namespace
