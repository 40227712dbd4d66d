// fotolark-disc --drive onto DVD+R, DVD+R DL, BD-R and BD-RE of the virtual recorder: the
// discs read back as the same files as the image-file output, and a layout of more than
// 4.4 GB is recorded whole.
#include "disc_drive_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using NewerMediaDiscTest = FotolarkDiscDriveTest;

TEST_F(NewerMediaDiscTest, EachMediumHoldsTheFilesOfTheImageFile) {
    ASSERT_EQ(RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " --iso " + Quote(Iso) + AlbumArguments()).Status, 0);
    const std::string expected = Extract(Iso, "from-iso");
    const struct {
        const char* Medium;
        int Finalizes;  // CLOSE TRACK/SESSION, finalise the disc
        int Formats;
    } cases[] = {{"medium=dvdplusr", 1, 0}, {"medium=dvdplusrdl", 1, 0}, {"medium=bdr", 1, 0}, {"medium=bdre", 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Medium);
        fs::remove(LogPath);
        fs::remove(Disc);
        const TCommandResult run = Run(c.Medium, "--drive D" + AlbumArguments());
        ASSERT_EQ(run.Status, 0) << run.Output;
        EXPECT_NE(run.Output.find("CD created and verified"), std::string::npos) << run.Output;
        ExpectSameFiles(expected, Extract(Disc, std::string("from-") + c.Medium));
        EXPECT_EQ(Requests("5B 01 06"), c.Finalizes);
        EXPECT_EQ(Requests("04 11"), c.Formats);
        EXPECT_EQ(Requests("55"), 0) << "no write parameters page";
    }
}

TEST_F(NewerMediaDiscTest, APressedOrTooSmallDiscIsRefused) {
    const TCommandResult pressed = Run("medium=bdrom", "--drive D" + AlbumArguments());
    EXPECT_EQ(pressed.Status, 1);
    EXPECT_NE(pressed.Output.find("fotolark-disc: Not enough free space on CD!"), std::string::npos) << pressed.Output;
    EXPECT_EQ(Requests("2A"), 0);

    // 4.8 GB of photos (sparse files: they cost no space) for the 4.7 GB of a DVD+R.
    Albums.AddAlbum("Huge", 2, {"huge1.jpg", "huge2.jpg", "huge3.jpg"});
    for (const char* name : {"huge1.jpg", "huge2.jpg", "huge3.jpg"})
        fs::resize_file(Albums.Folders.ImageDir + name, 1600ll * 1000 * 1000);
    fs::remove(LogPath);
    const TCommandResult full = Run("medium=dvdplusr", "--drive D" + AlbumArguments());
    EXPECT_EQ(full.Status, 1);
    EXPECT_NE(full.Output.find("fotolark-disc: Not enough free space on CD!"), std::string::npos) << full.Output;
    EXPECT_EQ(Requests("2A"), 0);
    EXPECT_TRUE(fs::is_empty(Temp));
}

// More than 4.4 GB: every block number and offset past 4 GiB is laid out and recorded right.
// The photos are sparse files, and so is the disc image the virtual recorder keeps.
TEST_F(NewerMediaDiscTest, ALayoutOfMoreThan4GBIsRecordedWhole) {
    Albums.AddAlbum("Huge", 2, {"huge1.jpg", "huge2.jpg", "huge3.jpg"});
    for (const char* name : {"huge1.jpg", "huge2.jpg", "huge3.jpg"})
        fs::resize_file(Albums.Folders.ImageDir + name, 1500ll * 1000 * 1000);
    ASSERT_EQ(RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " --iso " + Quote(Iso) + " --no-verify" +
                         AlbumArguments()).Status, 0);
    ASSERT_GT(fs::file_size(Iso), 4400ull * 1000 * 1000);
    const TCommandResult listing = RunCommand("isoinfo -J -l -i " + Quote(Iso));
    ASSERT_EQ(listing.Status, 0) << listing.Output;
    EXPECT_NE(listing.Output.find("1500000000"), std::string::npos) << listing.Output;

    const TCommandResult run = Run("medium=dvdplusr", "--drive D --no-verify" + AlbumArguments());
    ASSERT_EQ(run.Status, 0) << run.Output;
    ASSERT_EQ(fs::file_size(Disc), fs::file_size(Iso));
    // Byte for byte the same, but for the time stamps of the volume and its records, which lie
    // in the first blocks of this small tree.
    const TCommandResult differences = RunCommand("cmp -l " + Quote(Iso) + " " + Quote(Disc) + " | awk '$1 > 1048576' | wc -l");
    EXPECT_EQ(differences.Output, "0\n");
    // xorriso finds the last photo, which lies past 4 GiB, whole on the recorded disc.
    const TCommandResult found = RunCommand("xorriso -indev " + Quote(Disc) + " -find /Images -name huge3.jpg -exec lsdl 2>&1");
    EXPECT_NE(found.Output.find("1500000000"), std::string::npos) << found.Output;
}

} // namespace
