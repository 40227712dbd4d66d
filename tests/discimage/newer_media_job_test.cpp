// Drive jobs on DVD+R, DVD+R DL, BD-R and BD-RE: the commands each medium gets from the
// standard, in its order, and the recorded blocks next to the image file of the same layout.
#include "drive_job_fixture.h"

#include <gtest/gtest.h>

namespace {

using NewerMediaJobTest = DriveJobTest;

TEST_F(NewerMediaJobTest, EachMediumIsRecordedInItsOwnWayAndReadsBack) {
    // No write parameters page, no REZERO UNIT, no reserved track on any of them.
    const std::vector<std::string> sequential = {"1B 00 00 00 03", "BB", "2A 00 00 00 00 00", "35 00",
                                                 "5B 01 01", "5B 01 06", "1B 00 00 00 03", "1E 00 00 00 00"};
    const struct {
        const char* Settings;
        uint16_t DiscType;
        const char* StartLine;  // the page 2Ah speed of 7056 KB/s in the medium's own unit
        std::vector<std::string> Order;
        int Formats;
        int Closes;
    } cases[] = {
        {"medium=dvdplusr", dtDVDPlusR, "1:>>> STARTING WRITE PROCESS ON DVD+R AT 5X", sequential, 0, 2},
        {"medium=dvdplusrdl", dtDVDPlusRDL, "1:>>> STARTING WRITE PROCESS ON DVD+R DL AT 5X", sequential, 0, 2},
        {"medium=bdr", dtBDR, "1:>>> STARTING WRITE PROCESS ON BD-R AT 2X", sequential, 0, 2},
        {"medium=bdre", dtBDRE, "1:>>> STARTING WRITE PROCESS ON BD-RE AT 2X",
         {"23", "04 11", "2A 00 00 00 00 00", "35 00", "1E 00 00 00 00"}, 1, 0},
        {"medium=bdre-formatted", dtBDRE, "1:>>> STARTING WRITE PROCESS ON BD-RE AT 2X",
         {"23", "2A 00 00 00 00 00", "35 00", "1E 00 00 00 00"}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Settings);
        Lines.clear();
        StartDrive(c.Settings);
        Burner->Verify = true;
        ASSERT_EQ(Record(), "");
        EXPECT_EQ(TSCSIDevice::CurrentDiscType, c.DiscType);
        EXPECT_TRUE(Traced(c.StartLine));
        ExpectInOrder(c.Order);
        EXPECT_EQ(Count("04"), c.Formats);
        EXPECT_EQ(Count("5B"), c.Closes);
        for (const char* never : {"55", "01", "53", "B6", "BF"}) EXPECT_EQ(Count(never), 0) << never;
        EXPECT_EQ(Burner->StartSector, 0u);
        EXPECT_TRUE(Burner->Verified());
        ExpectSameAsIsoFile();
    }
    ExpectReadersFindTheFiles(Disc);
}

// Without FinalizeDisc the session is closed and the disc stays appendable: the next recording
// starts after it, at the drive's next writable address, and finalises the disc.
TEST_F(NewerMediaJobTest, AnUnfinalizedDiscTakesASecondSession) {
    for (const char* settings : {"medium=dvdplusr", "medium=bdr"}) {
        SCOPED_TRACE(settings);
        StartDrive(settings);
        Burner->FinalizeDisc = false;
        ASSERT_EQ(Record(), "");
        EXPECT_EQ(Count("5B 01 02"), 1);
        EXPECT_EQ(Count("5B 01 06"), 0);
        const uint32_t firstBlocks = static_cast<uint32_t>(Burner->ImageBlocks());

        Burner->FinalizeDisc = true;
        ASSERT_EQ(Record(), "");
        EXPECT_GE(Burner->StartSector, firstBlocks);
        ExpectInOrder({"5B 01 02", "2A 00 " + Big32Hex(Burner->StartSector), "5B 01 01", "5B 01 06"});
        const std::string session = Scratch.Path() + "/session.img";
        ExpectReadersFindTheFiles(SessionView(Disc, Burner->StartSector, session));
    }
}

TEST_F(NewerMediaJobTest, NoTestWriteExistsForTheseMedia) {
    for (const char* settings : {"medium=dvdplusr", "medium=dvdplusrdl", "medium=bdr", "medium=bdre"}) {
        SCOPED_TRACE(settings);
        StartDrive(settings);
        Burner->TestWrite = true;
        EXPECT_EQ(Record(), "TEST WRITE NOT SUPPORTED BY THIS RECORDER");
        EXPECT_EQ(Count("2A"), 0);
        EXPECT_EQ(Count("04"), 0) << "nothing is formatted either";
    }
}

} // namespace
