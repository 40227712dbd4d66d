// The image-file job: start, progress, end event, and every way it can fail.
#include "disc_test_support.h"
#include "hang_guard.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class IsoFileJobTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TMCDBurner Burner;
    std::string Iso = Scratch.Path() + "/out.iso";

    struct TDone {
        std::string Error;
        std::thread::id Thread;
    };
    std::promise<TDone> Done;

    void Start() {
        Burner.OnWriteDone = [this](TMCDBurner* sender, const std::string& error) {
            EXPECT_EQ(sender, &Burner);
            Done.set_value({error, std::this_thread::get_id()});
        };
        Burner.PrepareImage(true);
        Burner.WriteISOFile(Iso);
    }

    TDone Finish() {
        auto result = Done.get_future();
        EXPECT_EQ(result.wait_for(kHangGuard), std::future_status::ready);
        Burner.WaitForJob();
        return result.get();
    }
};

TEST_F(IsoFileJobTest, WritesTheWholeImageAndReportsOnTheRecordingThread) {
    const std::string data = PatternBytes(3 * 1024 * 1024 + 5, 9);
    Burner.InsertFile("\\", Scratch.Write("photo.jpg", data), false);
    Burner.SetCacheSize(2097152);
    Start();
    const TDone done = Finish();
    EXPECT_EQ(done.Error, "");
    EXPECT_NE(done.Thread, std::this_thread::get_id());
    EXPECT_EQ(Burner.ISOFileName, Iso);
    const int64_t bytes = Burner.ImageBlocks() * 2048;
    EXPECT_EQ(Burner.BytesWritten(), bytes);
    const std::string image = ReadBytes(Iso);
    ASSERT_EQ(static_cast<int64_t>(image.size()), bytes);
    EXPECT_EQ(image.substr(26 * 2048, data.size()), data);
    EXPECT_EQ(Burner.HeaderStream(), "");  // handed to the producer
}

// With Verify the job reads the whole image back before it replaces the target.
TEST_F(IsoFileJobTest, VerifyReadsTheWholeImageBackOnlyWhenAskedTo) {
    const std::string data = PatternBytes(2 * 1024 * 1024 + 3, 5);
    Burner.InsertFile("\\", Scratch.Write("photo.jpg", data), false);
    // Raised as reading back begins: nothing is counted as verified yet.
    std::vector<int64_t> verifiedAtStart;
    Burner.OnVerifying = [&](TMCDBurner* burner) { verifiedAtStart.push_back(burner->BytesVerified()); };
    for (const bool verify : {true, false}) {
        SCOPED_TRACE(verify ? "verify" : "no verify");
        Burner.Verify = verify;
        Done = {};
        verifiedAtStart.clear();
        Start();
        EXPECT_EQ(Finish().Error, "");
        EXPECT_EQ(verifiedAtStart, verify ? std::vector<int64_t>{0} : std::vector<int64_t>{});
        EXPECT_EQ(Burner.Verified(), verify);
        EXPECT_FALSE(Burner.Verifying());
        EXPECT_EQ(Burner.BytesVerified(), verify ? Burner.ImageBlocks() * 2048 : 0);
        EXPECT_EQ(ReadBytes(Iso).substr(26 * 2048, data.size()), data);
    }
}

TEST_F(IsoFileJobTest, ReplacesAnExistingFile) {
    Scratch.Write("out.iso", std::string(2'000'000, 'x'));
    Start();
    EXPECT_EQ(Finish().Error, "");
    EXPECT_EQ(fs::file_size(Iso), 300u * 2048);
}

TEST_F(IsoFileJobTest, AFolderThatDoesNotExistOrIsTheTargetCannotTakeTheFile) {
    for (const std::string& target : {Scratch.Path() + "/no/such/folder/out.iso", Scratch.Path()}) {
        Iso = target;
        Done = {};
        Start();
        EXPECT_EQ(Finish().Error, "CAN'T CREATE FILE \"" + Iso + "\"");
    }
}

// A source file deleted after it was added: before the cache is full the job ends on the
// calling thread, once recording runs it ends on the recording thread; no image is left.
TEST_F(IsoFileJobTest, ADeletedSourceFileEndsTheJob) {
    for (const bool duringRecording : {false, true}) {
        SCOPED_TRACE(duringRecording ? "during recording" : "before recording");
        Burner.ClearTree();
        Done = {};
        Burner.SetCacheSize(2097152);
        if (duringRecording) Burner.InsertFile("\\", Scratch.Write("big.bin", PatternBytes(40 * 63488, 1)), false);
        const std::string gone = Scratch.Write("gone.jpg", "x");
        Burner.InsertFile("\\", gone, false);
        fs::remove(gone);
        Start();
        const TDone done = Finish();
        EXPECT_EQ(done.Error, "CAN'T OPEN FILE \"" + gone + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
        EXPECT_EQ(done.Thread == std::this_thread::get_id(), !duringRecording);
        EXPECT_FALSE(fs::exists(Iso));
    }
}

TEST_F(IsoFileJobTest, AFullDiskEndsTheJobWithAWriteError) {
    Scratch.Write("out.iso", PatternBytes(300'000, 7));
    Burner.InsertFile("\\", Scratch.Write("photo.jpg", PatternBytes(2'000'000, 2)), false);
    // A file-size limit stands in for a full disk: writes beyond it fail with EFBIG.
    signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = 1'000'000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    Start();
    const TDone done = Finish();
    setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_EQ(done.Error, "CAN'T WRITE FILE \"" + Iso + "\"");
    EXPECT_EQ(ReadBytes(Iso), PatternBytes(300'000, 7)) << "the earlier image is kept";
    EXPECT_EQ(FileNamesIn(Scratch.Path()), (std::vector<std::string>{"out.iso", "photo.jpg"}));
}

// A job that fails on a source file keeps the image that was there before, leaves no
// temporary file, and a successful one replaces the image keeping its permissions.
TEST_F(IsoFileJobTest, OnlyASuccessfulJobReplacesTheEarlierImage) {
    const std::string earlier = PatternBytes(100'000, 3);
    Scratch.Write("out.iso", earlier);
    ASSERT_EQ(chmod(Iso.c_str(), 0640), 0);
    const std::string gone = Scratch.Write("gone.jpg", "x");
    Burner.InsertFile("\\", gone, false);
    fs::remove(gone);
    Start();
    EXPECT_NE(Finish().Error, "");
    EXPECT_EQ(ReadBytes(Iso), earlier);
    EXPECT_EQ(FileNamesIn(Scratch.Path()), std::vector<std::string>{"out.iso"});

    Burner.ClearTree();
    Burner.InsertFile("\\", Scratch.Write("a.txt", "new"), false);
    Done = {};
    Start();
    EXPECT_EQ(Finish().Error, "");
    EXPECT_EQ(ReadBytes(Iso).substr(26 * 2048, 3), "new");
    EXPECT_EQ(fs::status(Iso).permissions(), fs::perms(0640));
    EXPECT_EQ(FileNamesIn(Scratch.Path()), (std::vector<std::string>{"a.txt", "out.iso"}));
}

// What a job of an ended process left beside its target goes when the next job starts there.
TEST_F(IsoFileJobTest, TemporaryFilesOfAnEndedJobAreRemoved) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    const std::string stale = ".fotolark-" + std::to_string(child) + "-0123456789abcdef.tmp";
    Scratch.Write(stale, PatternBytes(4096, 1));
    Burner.InsertFile("\\", Scratch.Write("a.txt", "a"), false);
    Start();
    EXPECT_EQ(Finish().Error, "");
    EXPECT_EQ(FileNamesIn(Scratch.Path()), (std::vector<std::string>{"a.txt", "out.iso"}));
}

// The image goes into a pipe that the test drains only after the abort, so the recording
// thread is certainly still writing when AbortWrite is called.
TEST_F(IsoFileJobTest, AbortEndsTheJobWithTheAbortText) {
    Burner.SetCacheSize(2097152);
    Burner.InsertFile("\\", Scratch.Write("big.bin", PatternBytes(40 * 63488, 1)), false);
    ASSERT_EQ(mkfifo(Iso.c_str(), 0600), 0);
    const int reader = open(Iso.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Start();
    Burner.AbortWrite();
    auto result = Done.get_future();
    std::vector<char> sink(65536);
    while (result.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        while (read(reader, sink.data(), sink.size()) > 0) {
        }
    close(reader);
    Burner.WaitForJob();
    EXPECT_EQ(result.get().Error, "OPERATION ABORTED BY USER");
    EXPECT_LT(Burner.BytesWritten(), Burner.ImageBlocks() * 2048);
}

TEST_F(IsoFileJobTest, ASecondJobRunsAfterTheFirstHasEnded) {
    Burner.InsertFile("\\", Scratch.Write("a.txt", "first"), false);
    Start();
    ASSERT_EQ(Finish().Error, "");
    Burner.ClearTree();
    Burner.InsertFile("\\", Scratch.Write("b.txt", "second"), false);
    Done = {};
    Iso = Scratch.Path() + "/second.iso";
    Start();
    EXPECT_EQ(Finish().Error, "");
    EXPECT_EQ(ReadBytes(Iso).substr(26 * 2048, 6), "second");
}

} // namespace
