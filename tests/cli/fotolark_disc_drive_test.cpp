// fotolark-disc --drive against the virtual recorder: the recorded discs read back with the
// public ISO readers as the same files as the image-file output.
#include "disc_drive_fixture.h"
#include "disc_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

TEST(DriveOptionsTest, DriveNamesAndUsageErrors) {
    const struct {
        const char* Name;
        char Letter;
    } drives[] = {{"E", 'E'}, {"e:", 'E'}, {"/dev/sr0", 'D'}, {"/dev/sr1", 'E'}, {"/dev/sr22", 'Z'},
                  {"/dev/sr23", 0}, {"/dev/sr", 0}, {"/dev/sda", 0}, {"EF", 0}, {"1", 0}, {"", 0}};
    for (const auto& drive : drives) EXPECT_EQ(DriveLetterOf(drive.Name), drive.Letter) << drive.Name;

    const struct {
        std::vector<std::string> Args;
        const char* Error;
    } cases[] = {
        {{"--drive"}, "option '--drive' needs a value"},
        {{"--drive", "/dev/sda"}, "'/dev/sda' is no drive: give a letter such as E or a node such as /dev/sr1"},
        {{"--drive", "E", "--iso", "a.iso"}, "give either --iso FILE or --drive LETTER, not both"},
        {{"--iso", "a.iso", "--test-write"}, "--test-write needs --drive LETTER"},
    };
    for (const auto& c : cases) {
        TDiscOptions options;
        std::string error;
        EXPECT_FALSE(ParseDiscOptions(c.Args, options, error));
        EXPECT_EQ(error, c.Error);
    }
    TDiscOptions options;
    std::string error;
    ASSERT_TRUE(ParseDiscOptions({"--drive", "/dev/sr1", "--test-write"}, options, error)) << error;
    EXPECT_EQ(options.DriveLetter, 'E');
    EXPECT_TRUE(options.TestWrite);
    ASSERT_TRUE(ParseDiscOptions({"--list-drives"}, options, error)) << error;
    EXPECT_TRUE(options.ListDrives);
}

TEST_F(FotolarkDiscDriveTest, ListsTheDrivesWithWhatTheyWrite) {
    const TCommandResult run = RunCommand("LD_LIBRARY_PATH=" + Quote(VIRTUAL_RECORDER_DIR) +
                                          " VREC_DRIVES='letter=D;letter=E,dvd=0,testwrite=0,buf=0' " +
                                          Quote(FOTOLARK_DISC) + " --list-drives");
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("0:0:0,D: FOTOLARKVIRTUAL RECORDER1.00\n"
                              "    writes CD-R, CD-RW, DVD-R/RW; test writes; buffer underrun protection\n"),
              std::string::npos)
        << run.Output;
    EXPECT_NE(run.Output.find("0:1:0,E: FOTOLARKVIRTUAL RECORDER1.00\n    writes CD-R, CD-RW\n"), std::string::npos)
        << run.Output;
}

// DVD+R and Blu-ray writers are known by the write features of GET CONFIGURATION.
TEST_F(FotolarkDiscDriveTest, ListsTheNewerMediaFromTheWriteFeatures) {
    const TCommandResult run = RunCommand("LD_LIBRARY_PATH=" + Quote(VIRTUAL_RECORDER_DIR) +
                                          " VREC_DRIVES='letter=D,plusr=1;letter=E,bd=1,dvd=0;letter=F,plusr=1,bd=1,getconfig=0' " +
                                          Quote(FOTOLARK_DISC) + " --list-drives");
    ASSERT_EQ(run.Status, 0) << run.Output;
    for (const char* listed :
         {"0:0:0,D: FOTOLARKVIRTUAL RECORDER1.00\n    writes CD-R, CD-RW, DVD-R/RW, DVD+R, DVD+R DL; test writes; "
          "buffer underrun protection\n",
          "0:1:0,E: FOTOLARKVIRTUAL RECORDER1.00\n    writes CD-R, CD-RW, BD-R, BD-RE; test writes; buffer underrun "
          "protection\n",
          // Without GET CONFIGURATION only the capabilities page speaks.
          "0:2:0,F: FOTOLARKVIRTUAL RECORDER1.00\n    writes CD-R, CD-RW, DVD-R/RW; test writes; buffer underrun "
          "protection\n"})
        EXPECT_NE(run.Output.find(listed), std::string::npos) << listed << "\n" << run.Output;
}

TEST_F(FotolarkDiscDriveTest, BlankCdrHoldsTheFilesOfTheImageFile) {
    ASSERT_EQ(RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " --iso " + Quote(Iso) + AlbumArguments()).Status, 0);
    const TCommandResult run = Run("medium=cdr", "--drive D" + AlbumArguments());
    ASSERT_EQ(run.Status, 0) << run.Output;
    ExpectSameFiles(Extract(Iso, "from-iso"), Extract(Disc, "from-disc"));
    EXPECT_EQ(Requests("5B 01 02"), 1) << "the session is closed";
    EXPECT_EQ(Requests("1B 00 00 00 02"), 1) << "the disc is ejected at the end";
    EXPECT_TRUE(fs::is_empty(Temp));
    const TCommandResult info = RunCommand("isoinfo -d -i " + Quote(Disc));
    EXPECT_NE(info.Output.find("Volume id: Summer 2004"), std::string::npos) << info.Output;
}

TEST_F(FotolarkDiscDriveTest, DvdrHoldsTheFilesOfTheImageFile) {
    ASSERT_EQ(RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " --iso " + Quote(Iso) + AlbumArguments()).Status, 0);
    const TCommandResult run = Run("medium=dvdr", "--drive /dev/sr0" + AlbumArguments());
    ASSERT_EQ(run.Status, 0) << run.Output;
    ExpectSameFiles(Extract(Iso, "from-iso"), Extract(Disc, "from-disc"));
    EXPECT_EQ(Requests("53"), 1) << "a reserved track";
}

TEST_F(FotolarkDiscDriveTest, AppendableCdrGetsASecondSession) {
    ASSERT_EQ(RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " --iso " + Quote(Iso) + AlbumArguments()).Status, 0);
    const TCommandResult run = Run("medium=cdr-appendable", "--drive D" + AlbumArguments());
    ASSERT_EQ(run.Status, 0) << run.Output;
    const uint32_t session = FirstWriteAddress();
    ASSERT_GT(session, 20000u);
    ExpectSameFiles(Extract(Iso, "from-iso"), Extract(SessionView(Disc, session, Scratch.Path() + "/view.img"), "from-disc"));
}

TEST_F(FotolarkDiscDriveTest, TestWriteRecordsNothingAndSucceeds) {
    const TCommandResult run = Run("medium=cdr", "--drive D --test-write" + AlbumArguments());
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_GT(Requests("2A"), 0);
    EXPECT_EQ(Requests("5B"), 0);
    EXPECT_EQ(ReadBytes(Disc).find_first_not_of('\0'), std::string::npos);
}

TEST_F(FotolarkDiscDriveTest, ATestWriteTheRecorderCannotMakeIsRefused) {
    for (const char* drive : {"medium=cdr,testwrite=0", "medium=dvdplusrw"}) {
        SCOPED_TRACE(drive);
        fs::remove(LogPath);
        fs::remove(Disc);
        const TCommandResult run = Run(drive, "--drive D --test-write" + AlbumArguments());
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Output.find("fotolark-disc: This recorder cannot do a test write.\n"), std::string::npos)
            << run.Output;
        EXPECT_EQ(Requests("2A"), 0);
        EXPECT_EQ(ReadBytes(Disc).find_first_not_of('\0'), std::string::npos) << "nothing recorded";
        EXPECT_TRUE(fs::is_empty(Temp));
    }
}

TEST_F(FotolarkDiscDriveTest, ALayoutTooLargeForTheDiscIsRefused) {
    Albums.AddAlbum("Huge", 2, {"huge.jpg"});
    fs::resize_file(Albums.Folders.ImageDir + "huge.jpg", 700ll * 1024 * 1024);  // sparse: costs no space
    const TCommandResult run = Run("medium=cdr", "--drive D" + AlbumArguments());
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("fotolark-disc: Not enough free space on CD!"), std::string::npos) << run.Output;
    EXPECT_EQ(Requests("2A"), 0);
    EXPECT_EQ(Requests("1B 00 00 00 02"), 0) << "nothing started, nothing ejected";
    EXPECT_TRUE(fs::is_empty(Temp));
}

TEST_F(FotolarkDiscDriveTest, AMissingDriveIsReported) {
    const TCommandResult run = Run("medium=cdr", "--drive G" + AlbumArguments());
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("fotolark-disc: no CD/DVD drive at G:"), std::string::npos) << run.Output;
}

} // namespace
