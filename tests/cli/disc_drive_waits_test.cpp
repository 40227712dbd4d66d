// fotolark-disc's side of a drive that stops answering: the lines it prints while it waits, and
// what Ctrl-C does while the disc is being finalized.
#include "disc_drive.h"

#include "transport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <sstream>

namespace {

// Pending requests are given up at once, as when the time of each completion wait has passed.
class TQuickBurner : public TMCDBurner {
protected:
    void Pause(int) override {}
    void WaitForCompletion(int, int) override {}
};

TEST(DiscDriveWaits, AFrozenDriveGetsALineEveryThirtySeconds) {
    ASSERT_EQ(chdir(VIRTUAL_RECORDER_DIR), 0);
    setenv("VREC_DRIVES", "letter=D,medium=cdr,hang=35", 1);
    {
        TQuickBurner burner;
        ASSERT_TRUE(burner.InitializeASPI(false));
        ASSERT_TRUE(burner.SelectDriveLetter('D'));
        std::ostringstream out;
        PrintDriveWaits(burner, out, false);
        EXPECT_FALSE(burner.SynchronizeCache(120000, false));
        EXPECT_EQ(out.str(), "fotolark-disc: waiting for the drive, 10 s\n"
                             "fotolark-disc: waiting for the drive, 40 s\n"
                             "fotolark-disc: waiting for the drive, 70 s\n"
                             "fotolark-disc: waiting for the drive, 100 s\n");
        EXPECT_TRUE(burner.TestUnitReady(5000));
        const std::string lines = out.str();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 4) << "the end of a wait is not printed";

        std::ostringstream belowProgress;
        PrintDriveWaits(burner, belowProgress, true);
        burner.OnDriveWait(&burner, 10);
        EXPECT_EQ(belowProgress.str(), "\nfotolark-disc: waiting for the drive, 10 s\n");
    }
    StopTransport();
    unsetenv("VREC_DRIVES");
}

TEST(DiscDriveWaits, CtrlCWhileFinalizingWarnsFirst) {
    std::ostringstream out;
    TJobInterrupts writing;
    EXPECT_TRUE(writing.ShouldAbort(false, out));
    EXPECT_EQ(out.str(), "");

    TJobInterrupts finalizing;
    EXPECT_FALSE(finalizing.ShouldAbort(true, out));
    EXPECT_EQ(out.str(), "\nfotolark-disc: The disc is being finalized. If you abort now, it may be left unusable. "
                         "Press Ctrl-C again to abort.\n");
    EXPECT_TRUE(finalizing.ShouldAbort(true, out));
}

} // namespace
