// The CD window with a recorder: the virtual recorder library plays the drive "E:".
#include "cd_job_fixture.h"

#include "recorder_steps.h"
#include "transport.h"

#include <unistd.h>

#include <future>

namespace {

namespace fs = std::filesystem;

// Its waiting loops go on at once instead of sleeping, and a pending request is given up at
// once, as when the time of each completion wait has passed.
class TQuickBurner : public TMCDBurner {
protected:
    void Pause(int) override {}
    void WaitForCompletion(int, int) override {}
};

class TCDRecorderTest : public TCDJobTest {
protected:
    std::string DiscImage = Scratch.Path() + "/disc.img";
    std::string LogPath = Scratch.Path() + "/vrec.log";

    void SetUp() override {
        TCDJobTest::SetUp();
        ASSERT_EQ(chdir(VIRTUAL_RECORDER_DIR), 0);
        setenv("VREC_LOG", LogPath.c_str(), 1);
        SetRecorder("E:");
    }
    void TearDown() override {
        while (FReleased < FHolds.size()) Release();  // a test that failed early lets the job end
        TCDJobTest::TearDown();
        Burner.reset();
        StopTransport();
        unsetenv("VREC_DRIVES");
        unsetenv("VREC_LOG");
    }
    // Powers up a drive E: holding `medium`, with more settings in VREC_DRIVES syntax.
    void StartDrive(const std::string& settings = "") {
        setenv("VREC_DRIVES", ("letter=E,medium=cdr,image=" + DiscImage + settings).c_str(), 1);
        fs::remove(LogPath);
        Burner.reset();  // the disc tree exists once: the old component goes first
        Burner = std::make_unique<TQuickBurner>();
        ASSERT_TRUE(Burner->InitializeASPI(false));
    }
    // The recording thread stops at each of these wait reports in turn (after the window has
    // been told) until the test calls Release; the window's own handler gets every report.
    void HoldAtWaitReports(std::vector<int> seconds) {
        FHolds.resize(seconds.size());
        std::vector<std::shared_future<void>> held;
        for (std::promise<void>& hold : FHolds) held.push_back(hold.get_future().share());
        const TDriveWaitEvent window = Burner->OnDriveWait;
        Burner->OnDriveWait = [window, seconds, held, next = size_t(0)](TSCSIDevice* sender, int reported) mutable {
            window(sender, reported);
            if (next < seconds.size() && reported == seconds[next]) held[next++].wait_for(kHangGuard);
        };
    }
    void Release() { FHolds.at(FReleased++).set_value(); }
    // Requests of the virtual drive's log with this command block start.
    int Requests(const std::string& cdbStart) const {
        std::ifstream log(LogPath);
        int count = 0;
        for (std::string line; std::getline(log, line);) count += line.find("CDB " + cdbStart) != std::string::npos;
        return count;
    }

private:
    std::vector<std::promise<void>> FHolds;
    size_t FReleased = 0;
};

TEST_F(TCDRecorderTest, TheFirstDisplayAsksForABlankDisc) {
    const struct {
        bool Ok;
        const char* Settings;
        int32_t Capacity;
        const char* Message;
    } cases[] = {{true, "", 333000, ""}, {true, ",notready=5", 333000, ""}, {false, "", 333000, "Assuming 650 MB CD-R"},
                 {true, ",medium=dvdplusr", 2295104, ""}, {true, ",medium=dvdplusrdl", 4173824, ""},
                 {true, ",medium=bdr", 12219392, ""}, {true, ",medium=bdre", 11826176, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Settings);
        Form.reset();
        Prompts = {};
        Prompts.OkAnswers = {c.Ok};
        StartDrive(c.Settings);
        Open();
        ASSERT_EQ(Prompts.Asked, QStringList{"Insert Blank CD"});
        EXPECT_EQ(Prompts.Texts[0], "Please place a blank CD into drive E:\nso that Fotolark can determine\n"
                                    "the amount of available space.\n\nIf you click Cancel here, a 650MB CD-R is assumed");
        EXPECT_EQ(Form->Capacity, c.Capacity);
        EXPECT_EQ(Message(), c.Message);
        EXPECT_TRUE(Form->cxISOFile->isEnabled());
        EXPECT_FALSE(Form->cxISOFile->isChecked());
        EXPECT_EQ(Requests("1E 00 00 00 00"), c.Ok ? 1 : 0);  // the disc is unlocked again
    }
}

TEST_F(TCDRecorderTest, AChosenRecorderThatIsNotThereWorksAsNone) {
    SetRecorder("F:");
    Prompts.CDSize = 700;
    StartDrive();
    Open();
    EXPECT_EQ(Prompts.Asked, QStringList{"Set CD-R Size"});
    EXPECT_EQ(Form->Capacity, 358400);
    EXPECT_TRUE(Form->cxISOFile->isChecked());
    EXPECT_FALSE(Form->cxISOFile->isEnabled());
}

TEST_F(TCDRecorderTest, NoDiscAtTheStartOfAJob) {
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        Form.reset();
        Prompts = {};
        Prompts.OkAnswers = {false, ok};  // the first display assumes a disc of 650 MB
        StartDrive(",notready=12");
        Albums.AddAlbum("Holidays", 0, {"a.jpg"});
        Open();
        Form->btnCopyAllClick();
        Form->btnBurnClick();
        ASSERT_EQ(Prompts.Asked, (QStringList{"Insert Blank CD", "Insert Blank CD"}));
        EXPECT_EQ(Prompts.Texts[1], "Make sure a blank CD-R is in the CD-R/RW drive.\nClick Ok to write");
        if (ok) {
            WaitForJobEnd();
            EXPECT_EQ(Message(), "CD created and verified.");
        } else {
            EXPECT_FALSE(Form->JobRunning());
            EXPECT_EQ(Message(), "Waiting for CD to be ready...") << "Cancel leaves the message as it was";
        }
        ExpectJobEndedCleanly();
    }
}

TEST_F(TCDRecorderTest, NotEnoughSpaceThenASmallerLayout) {
    Albums.AddAlbum("Huge", 0, {"huge.jpg"});
    Albums.AddAlbum("Small", 1, {"small.jpg"});
    fs::resize_file(Albums.Folders.ImageDir + "huge.jpg", 700ll * 1024 * 1024);  // sparse: costs no space
    Prompts.OkAnswers = {true};
    StartDrive();
    Open();
    Drag(Form->LBAlbums, 0, Form->LBLayout);
    Form->cxTestBurn->setChecked(true);
    Form->btnBurnClick();
    EXPECT_EQ(Prompts.Asked.last(), "Layout Error");
    EXPECT_EQ(Prompts.Texts.last(), "Not enough free space on CD!");
    EXPECT_FALSE(Form->JobRunning());
    EXPECT_EQ(Message(), "");
    ExpectJobEndedCleanly();
    EXPECT_TRUE(Burner->TestWrite);
    EXPECT_TRUE(Burner->FinalizeDisc);
    EXPECT_EQ(Burner->WriteSpeed(), 0);

    Form->btnRemoveAllClick();
    Drag(Form->LBAlbums, 0, Form->LBLayout);
    ASSERT_EQ(LayoutTitles(), std::vector<std::string>{"Small"});
    Form->cxTestBurn->setChecked(false);
    const qsizetype asked = Prompts.Asked.size();
    Form->btnBurnClick();
    WaitForJobEnd();
    ExpectJobEndedCleanly();
    EXPECT_EQ(Prompts.Asked.size(), asked);
    EXPECT_EQ(Message(), "CD created and verified.");
    const std::string disc = Extract(DiscImage);
    EXPECT_TRUE(fs::exists(disc + "Images/small.jpg"));
    EXPECT_FALSE(fs::exists(disc + "Images/huge.jpg"));
    EXPECT_EQ(ReadBytes(disc + "Albums.dat"), Catalogue());
    EXPECT_EQ(Requests("1B 00 00 00 02"), 1);  // the end of the job ejects the disc
}

TEST_F(TCDRecorderTest, ATestWriteTheRecorderCannotMakeIsRefused) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Prompts.OkAnswers = {true};
    StartDrive(",testwrite=0");
    Open();
    Form->btnCopyAllClick();
    Form->cxTestBurn->setChecked(true);
    Form->btnBurnClick();
    EXPECT_EQ(Message(), kNoTestWriteText);
    EXPECT_EQ(Requests("2A"), 0);
    EXPECT_EQ(ReadBytes(DiscImage).find_first_not_of('\0'), std::string::npos) << "nothing recorded";
    ExpectJobEndedCleanly();

    Form->cxTestBurn->setChecked(false);
    Form->btnBurnClick();
    WaitForJobEnd();
    EXPECT_EQ(Message(), "CD created and verified.") << "a real recording is what the drive can do";
}

TEST_F(TCDRecorderTest, AFrozenDriveShowsInTheMessageLineUntilItAnswers) {
    // The first SYNCHRONIZE CACHE of the finalisation never completes; the second one does.
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Prompts.OkAnswers = {true};
    StartDrive(",hang=35");
    Open();
    Form->btnCopyAllClick();
    HoldAtWaitReports({100, 0});
    Form->btnBurnClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Message() == "waiting for the drive, 100 s"; }, HangGuardMs));
    Release();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Message() == "Finalizing Track..."; }, HangGuardMs))
        << "the message before the wait comes back";
    Release();
    WaitForJobEnd();
    EXPECT_EQ(Message(), "CD created and verified.");
    ExpectJobEndedCleanly();
}

TEST_F(TCDRecorderTest, AbortEndsTheWaitForAFrozenDrive) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Prompts.OkAnswers = {true};
    StartDrive(",hang=2A");
    Open();
    Form->btnCopyAllClick();
    HoldAtWaitReports({40});
    Form->btnBurnClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Message() == "waiting for the drive, 40 s"; }, HangGuardMs));
    Form->btnAbortClick();
    EXPECT_EQ(Prompts.Asked, QStringList{"Insert Blank CD"}) << "no question while writing";
    Release();
    WaitForJobEnd();
    EXPECT_EQ(Message(), "Error: OPERATION ABORTED BY USER");
    EXPECT_EQ(Requests("2A"), 1) << "only the write that froze";
    ExpectJobEndedCleanly();
}

TEST_F(TCDRecorderTest, AbortWhileTheDiscIsFinalizedAsksFirst) {
    Albums.AddAlbum("Holidays", 0, {"a.jpg"});
    Prompts.OkAnswers = {true};
    StartDrive(",hang=35");
    Open();
    Form->btnCopyAllClick();
    HoldAtWaitReports({10});
    Form->btnBurnClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Message() == "waiting for the drive, 10 s"; }, HangGuardMs));
    Prompts.OkAnswers = {false};
    Form->btnAbortClick();
    EXPECT_EQ(Prompts.Asked.last(), "Abort Write");
    EXPECT_EQ(Prompts.Texts.last(),
              "The disc is being finalized. If you abort now, it may be left unusable.\nAbort anyway?");
    EXPECT_FALSE(Form->btnAbort->isHidden()) << "Cancel: the job goes on";
    Prompts.OkAnswers = {true};
    Form->btnAbortClick();
    EXPECT_EQ(Prompts.Asked.count("Abort Write"), 2);
    Release();
    WaitForJobEnd();
    EXPECT_EQ(Message(), "Error: OPERATION ABORTED BY USER");
    EXPECT_EQ(Requests("5B"), 0) << "the session is not closed";
    ExpectJobEndedCleanly();
}

} // namespace
