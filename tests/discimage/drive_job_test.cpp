// Drive jobs against the virtual recorder: what each kind of disc is sent, in which order, how
// the job ends, and the recorded user data read back with the public ISO readers next to the
// same layout written as an image file.
#include "drive_job_fixture.h"
#include "written_check.h"
#include "hang_guard.h"

#include "transport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>

namespace fs = std::filesystem;

namespace {

TEST_F(DriveJobTest, BlankCdrHoldsTheImageFileBytesAndIsClosed) {
    StartDrive("medium=cdr");
    ASSERT_EQ(Record(), "");
    EXPECT_EQ(Burner->StartSector, 0u);
    EXPECT_EQ(Burner->BytesWritten(), Burner->ImageBlocks() * 2048);
    EXPECT_EQ(TSCSIDevice::CurrentDiscType, dtCDR);
    EXPECT_TRUE(Traced("1:>>> STARTING WRITE PROCESS ON CD-R AT 40X"));
    EXPECT_FALSE(Traced("1:>>> TEST/DUMMY WRITE"));
    ExpectInOrder({"1B 00 00 00 03", "01", "BB 00 FF FF FF FF", "55", "2A 00 00 00 00 00", "35 00", "55", "55",
                   "5B 01 02", "1B 00 00 00 03", "1E 00 00 00 00", "01"});
    EXPECT_EQ(Count("54"), 0) << "no power calibration unless asked for";
    ExpectSameAsIsoFile();
    ExpectReadersFindTheFiles(Disc);
}

TEST_F(DriveJobTest, EveryWritableMediumHoldsTheImageFileBytes) {
    const struct {
        const char* Settings;
        const char* StartLine;
        int Closes;
    } cases[] = {
        {"medium=cdrw", "1:>>> STARTING WRITE PROCESS ON CD-RW AT 40X", 1},
        {"medium=dvdr", "1:>>> STARTING WRITE PROCESS ON DVD-R AT 6X", 0},
        {"medium=dvdrw", "1:>>> STARTING WRITE PROCESS ON DVD-RW AT 6X", 0},
        {"medium=dvdplusrw", "1:>>> STARTING WRITE PROCESS ON DVD+RW AT 6X", 1},
        {"medium=dvdram,dvdram=1", "1:>>> STARTING WRITE PROCESS ON DVD-RAM AT 1X", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Settings);
        Lines.clear();
        StartDrive(c.Settings);
        ASSERT_EQ(Record(), "");
        EXPECT_TRUE(Traced(c.StartLine));
        EXPECT_EQ(Count("5B"), c.Closes);
        EXPECT_EQ(Burner->StartSector, 0u);
        ExpectSameAsIsoFile();
    }
    ExpectReadersFindTheFiles(Disc);
}

// With Verify the recorded blocks are read back with READ (10) from the disc itself (FUA) and
// compared, on every medium.
TEST_F(DriveJobTest, VerifyReadsTheRecordingBackOnEveryMedium) {
    for (const char* settings : {"medium=cdr", "medium=cdrw", "medium=dvdr", "medium=dvdrw", "medium=dvdplusrw",
                                 "medium=dvdram,dvdram=1", "medium=cdr-appendable"}) {
        SCOPED_TRACE(settings);
        StartDrive(settings);
        Burner->Verify = true;
        ASSERT_EQ(Record(), "");
        EXPECT_TRUE(Burner->Verified());
        EXPECT_EQ(Burner->BytesVerified(), Burner->ImageBlocks() * 2048);
        EXPECT_EQ(Count("28 08"), Count("28"));
        ExpectInOrder({"2A 00", "28 08 " + Big32Hex(Burner->StartSector)});
    }
    // A test write records nothing, so nothing is read back.
    StartDrive("medium=cdr");
    Burner->Verify = true;
    Burner->TestWrite = true;
    ASSERT_EQ(Record(), "");
    EXPECT_FALSE(Burner->Verified());
    EXPECT_EQ(Count("28"), 0);
}

// Each READ (10) of the read-back asks for as many blocks as the host adapter takes in one
// request, up to 512 KiB; 64 KiB where the adapter says nothing else.
TEST_F(DriveJobTest, VerifyReadsAsMuchAsTheAdapterTakes) {
    const struct {
        const char* MaxTransfer;  // nullptr: the recorder's own 64 KiB
        int64_t Blocks;
    } cases[] = {{nullptr, 32}, {"131072", 64}, {"1310720", 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.MaxTransfer ? c.MaxTransfer : "unset");
        if (c.MaxTransfer) setenv("VREC_MAXTRANSFER", c.MaxTransfer, 1);
        StartDrive("medium=cdr");
        Burner->Verify = true;
        ASSERT_EQ(Record(), "");
        EXPECT_TRUE(Burner->Verified());
        const int64_t blocks = Burner->ImageBlocks();
        ASSERT_GT(blocks, c.Blocks);
        EXPECT_EQ(Count("28"), (blocks + c.Blocks - 1) / c.Blocks);
        // The transfer length: the low two bytes.
        const std::string length = Big32Hex(static_cast<uint32_t>(c.Blocks)).substr(6);
        EXPECT_EQ(Count("28 08 " + Big32Hex(Burner->StartSector) + " 00 " + length), 1);
    }
}

// Through the pass-through layer the read-back's requests are no larger than the system moves
// for the drive in one command; larger ones would all fail and be read again block by block.
TEST_F(DriveJobTest, VerifyThroughThePassThroughAsksNoMoreThanTheSystemMoves) {
    Nodes = std::make_unique<TFakeNodes>();
    StartDrive("medium=cdr");
    ASSERT_EQ(TransportName(), "PTASPI32");
    Burner->Verify = true;
    ASSERT_EQ(Record(), "");
    EXPECT_TRUE(Burner->Verified());
    EXPECT_EQ(Count("28"), (Burner->ImageBlocks() + 31) / 32);
}

// A block read back with other bytes, or not at all, fails the job naming the file it holds.
TEST_F(DriveJobTest, ABadBlockIsNamedByItsFile) {
    StartDrive("medium=cdr");
    IsoFileBytes();  // the same layout from block 0, as the blank disc gets it
    const int64_t photo = Burner->FileAreaStart() + 1;  // Albums.dat takes 3 blocks, autorun.inf 1
    ASSERT_EQ(SectorOwner(*Burner, photo + 3), "\\Images\\2004061200001.jpg");
    const struct {
        std::string Fault;
        std::string Error;
    } cases[] = {
        {"alterread=" + std::to_string(photo + 3),
         "VERIFICATION FAILED: 1 BAD BLOCK, FIRST IN \"\\Images\\2004061200001.jpg\""},
        {"readerror=" + std::to_string(photo + 5),
         "VERIFICATION FAILED: 1 BAD BLOCK, FIRST IN \"\\Images\\2004061200001.jpg\""},
        {"readerror=17", "VERIFICATION FAILED: 1 BAD BLOCK, FIRST IN volume structure"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fault);
        StartDrive("medium=cdr," + c.Fault);
        Burner->Verify = true;
        EXPECT_EQ(Record(), c.Error);
        EXPECT_FALSE(Burner->Verified());
    }
    // Without Verify the same damage goes unnoticed.
    StartDrive("medium=cdr,alterread=" + std::to_string(photo + 3));
    EXPECT_EQ(Record(), "");
    EXPECT_EQ(Count("28"), 0);
}

// Blocks just recorded may still be in the drive's buffer; asked with FUA, the drive reads the
// disc, so damage there is found even in the last blocks written.
TEST_F(DriveJobTest, VerifyReadsTheDiscNotTheDrivesBuffer) {
    StartDrive("medium=cdr");
    IsoFileBytes();
    const int64_t photo = Burner->FileAreaStart() + 1;
    StartDrive("medium=cdr,readcache=100000,alterread=" + std::to_string(photo + 3));
    Burner->Verify = true;
    EXPECT_EQ(Record(), "VERIFICATION FAILED: 1 BAD BLOCK, FIRST IN \"\\Images\\2004061200001.jpg\"");
}

// A stretch that cannot be read is read again block by block; an Abort meanwhile ends the job
// at the next block rather than after every block of the stretch.
TEST_F(DriveJobTest, AbortEndsTheReadingOfABadStretchBlockByBlock) {
    Nodes = std::make_unique<TFakeNodes>();
    StartDrive("medium=cdr,readerror=17");
    int singleBlockReads = 0;  // counted on the request thread, read after the job
    Nodes->Answer = [&, drive = Nodes->Answer](sg_io_hdr_t& io) {
        const auto* cdb = static_cast<const uint8_t*>(io.cmdp);
        const bool singleBlockRead = cdb[0] == 0x28 && cdb[7] == 0 && cdb[8] == 1;
        if (singleBlockRead && ++singleBlockReads == 2) Burner->AbortWrite();
        return drive(io);
    };
    Burner->Verify = true;
    EXPECT_EQ(Record(), "OPERATION ABORTED BY USER");
    EXPECT_EQ(singleBlockReads, 2);
    EXPECT_FALSE(Burner->Verified());
}

// A drive that refuses the FUA bit is read without it, and a good recording still verifies.
TEST_F(DriveJobTest, VerifyReadsWithoutFuaWhereTheDriveRefusesIt) {
    StartDrive("medium=cdr,nofua=1");
    Burner->Verify = true;
    ASSERT_EQ(Record(), "");
    EXPECT_TRUE(Burner->Verified());
    EXPECT_EQ(Count("28 08"), 1);
    EXPECT_EQ(Count("28 00"), Count("28") - 1);
    EXPECT_EQ(Burner->BytesVerified(), Burner->ImageBlocks() * 2048);
}

// A drive still busy with the end of the recording answers the first reads NOT READY; they are
// waited out with the pauses of the write retries, and nothing counts as bad.
TEST_F(DriveJobTest, VerifyWaitsWhileTheDriveIsNotReady) {
    StartDrive("medium=cdr,readbusy=4");
    Burner->Verify = true;
    ASSERT_EQ(Record(), "");
    EXPECT_TRUE(Burner->Verified());
    const std::vector<int> pauses = Burner->Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 600), 4);
    // The first stretch is asked for five times, then every stretch once.
    EXPECT_EQ(Count("28 08 " + Big32Hex(Burner->StartSector)), 5);
}

TEST_F(DriveJobTest, AppendableCdrIsLaidOutFromTheNextWritableAddress) {
    StartDrive("medium=cdr-appendable");
    ASSERT_EQ(Record(), "");
    const uint32_t start = Burner->StartSector;
    ASSERT_GT(start, 20000u) << "after the first session";
    ExpectInOrder({"2A 00 " + [&] {
                       char hex[16];
                       std::snprintf(hex, sizeof hex, "%02X %02X %02X %02X", start >> 24, (start >> 16) & 0xFF,
                                     (start >> 8) & 0xFF, start & 0xFF);
                       return std::string(hex);
                   }()});
    // Every extent is absolute: the primary volume's root directory lies inside the session.
    const std::string pvd = SectorOf(ReadBytes(Disc), start + 16);
    EXPECT_EQ(pvd.substr(1, 5), "CD001");
    EXPECT_GE(Little32(pvd, 156 + 2), start + 16);
    EXPECT_EQ(Little32(pvd, 80), start + Burner->ImageBlocks()) << "the volume spans the earlier session";
    ExpectReadersFindTheFiles(SessionView(Disc, start, Scratch.Path() + "/view.img"));
    const TCommandResult session = RunCommand("isoinfo -J -f -T " + std::to_string(start) + " -i " + Quote(Disc));
    EXPECT_NE(session.Output.find("/Images/Strand und Meer.jpeg"), std::string::npos) << session.Output;
}

TEST_F(DriveJobTest, DvdrIsStreamedIntoAReservedTrackAndWaitedFor) {
    StartDrive("medium=dvdr,maxwrite=11080,finalizebusy=3");
    ASSERT_EQ(Record(), "");
    EXPECT_TRUE(Traced("1:>>> STARTING WRITE PROCESS ON DVD-R AT 9X"));
    const uint32_t reserved = static_cast<uint32_t>(Burner->ImageBlocks() + 1);
    char reserve[32];
    std::snprintf(reserve, sizeof reserve, "53 00 00 00 00 %02X %02X %02X %02X", reserved >> 24, (reserved >> 16) & 0xFF,
                  (reserved >> 8) & 0xFF, reserved & 0xFF);
    ExpectInOrder({"55", "B6", "BF 00 00 00 00 00 00 0F", reserve, "2A 00 00 00 00 00", "35 02", "51", "51", "51", "51",
                   "55", "1B 00 00 00 03", "1E 00 00 00 00"});
    EXPECT_EQ(Count("5B"), 0);
    EXPECT_EQ(Count("01"), 1) << "rezero before the writes only";
    const std::vector<int> pauses = Burner->Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 1000), 3 + 2) << "three polls of the disc, two drive waits";
}

TEST_F(DriveJobTest, DvdrFinalizationGivesUpAfterFortyFiveMinutes) {
    StartDrive("medium=dvdr,finalizebusy=2701");
    EXPECT_EQ(Record(), "TIMEOUT WAITING FOR DRIVE");
    const std::vector<int> pauses = Burner->Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 1000), 45 * 60 + 2) << "45 minutes of polls, two drive waits";
    EXPECT_EQ(Count("1B 00 00 00 03"), 1) << "only the load before the writes";
    EXPECT_EQ(Count("1E"), 0);
}

TEST_F(DriveJobTest, DvdRamGetsNoLoadSpeedParametersPollsOrClose) {
    StartDrive("medium=dvdram,dvdram=1");
    ASSERT_EQ(Record(), "");
    const std::vector<std::string> cdbs = Commands();
    const auto firstWrite = std::find_if(cdbs.begin(), cdbs.end(), [](const std::string& c) { return c.rfind("2A", 0) == 0; });
    for (const char* never : {"1B", "BB", "55"})
        EXPECT_EQ(std::count_if(cdbs.begin(), firstWrite, [&](const std::string& c) { return c.rfind(never, 0) == 0; }), 0)
            << never << " before the writes";
    for (const char* never : {"55", "5C", "5B", "B6", "53"}) EXPECT_EQ(Count(never), 0) << never;
    ExpectInOrder({"01", "2A", "35 00", "00", "1B 00 00 00 03", "1E 00 00 00 00"});
    ExpectSameAsIsoFile();
}

TEST_F(DriveJobTest, TestWriteRecordsNothingAndSendsNoCalibrationOrClose) {
    StartDrive("medium=cdr");
    Burner->TestWrite = true;
    Burner->PerformOPC = true;
    ASSERT_EQ(Record(), "");
    EXPECT_TRUE(Traced("1:>>> TEST/DUMMY WRITE"));
    EXPECT_EQ(Count("54"), 0);
    EXPECT_EQ(Count("5B"), 0);
    EXPECT_GT(Count("2A"), 0);
    ExpectInOrder({"55", "2A", "35 00", "1B 00 00 00 03", "1E 00 00 00 00"});
    // The write parameters page (after the 8-byte header) carries the test-write bit in byte 2.
    bool testBit = false;
    for (const std::string& cdb : Commands())
        if (cdb.rfind("55", 0) == 0) testBit |= cdb.find("OUT 00 00 00 00 00 00 00 00 05 32 51") != std::string::npos;
    EXPECT_TRUE(testBit);
    const std::string disc = ReadBytes(Disc);
    EXPECT_EQ(disc.find_first_not_of('\0'), std::string::npos) << "nothing recorded";
}

TEST_F(DriveJobTest, ATestWriteTheDriveCannotMakeIsRefusedBeforeAnyWrite) {
    for (const char* settings : {"medium=cdr,testwrite=0", "medium=dvdplusrw", "medium=dvdram,dvdram=1"}) {
        SCOPED_TRACE(settings);
        StartDrive(settings);
        Burner->TestWrite = true;
        EXPECT_EQ(Record(), "TEST WRITE NOT SUPPORTED BY THIS RECORDER");
        EXPECT_EQ(Count("2A"), 0);
        EXPECT_EQ(Count("5B"), 0);
        EXPECT_EQ(ReadBytes(Disc).find_first_not_of('\0'), std::string::npos) << "nothing recorded";
    }
}

// A drive that stops answering (the first WRITE, or the first SYNCHRONIZE CACHE of the
// finalisation, never completes) is reported while the job waits for it, and an abort ends
// that wait at once.
TEST_F(DriveJobTest, AFrozenDriveIsReportedAndAnAbortEndsTheWait) {
    const struct {
        const char* Settings;
        int AbortAt;  // the report (seconds) at which the user aborts; -1: never
        const char* Error;
        std::vector<int> Reports;
        int Closes;
    } cases[] = {
        {"medium=cdr,hang=2A", -1, "WRITER ERROR []", {10, 40, 70, 100, 0}, 0},  // 120 s, then given up
        {"medium=cdr,hang=2A", 40, "OPERATION ABORTED BY USER", {10, 40, 0}, 0},
        {"medium=cdr,hang=35", -1, "", {10, 40, 70, 100, 0}, 1},  // the second, immediate one is answered
        {"medium=cdr,hang=35", 10, "OPERATION ABORTED BY USER", {10, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Settings) + " abort at " + std::to_string(c.AbortAt));
        StartDrive(c.Settings);
        std::vector<int> reports;  // raised on the recording thread, read after its end
        Burner->OnDriveWait = [&](TSCSIDevice*, int seconds) {
            reports.push_back(seconds);
            if (seconds == c.AbortAt) Burner->AbortWrite();
        };
        EXPECT_EQ(Record(), c.Error);
        EXPECT_EQ(reports, c.Reports);
        if (std::string(c.Settings).ends_with("2A")) {
            EXPECT_EQ(Count("2A"), 1) << "only the one that froze";
        }
        EXPECT_EQ(Count("5B"), c.Closes);
        EXPECT_EQ(Count("35 00"), 1) << "the cache is synchronised once the drive answers";
    }
}

// A drive of the pass-through layer that stops answering inside the system call: Abort ends
// the job, the WRITE given up reaches the drive later without harm, and the next job records.
TEST_F(DriveJobTest, AbortEndsAJobWhoseWriteTheSystemHolds) {
    Nodes = std::make_unique<TFakeNodes>();
    StartDrive("medium=cdr");
    ASSERT_EQ(TransportName(), "PTASPI32");
    Nodes->Gate.Arm(0x2A);
    std::vector<int> reports;  // raised on the recording thread, read after its end
    Burner->OnDriveWait = [&](TSCSIDevice*, int seconds) {
        reports.push_back(seconds);
        if (seconds == 40) Burner->AbortWrite();
    };
    EXPECT_EQ(Record(), "OPERATION ABORTED BY USER");
    EXPECT_EQ(reports, (std::vector<int>{10, 40}));
    EXPECT_EQ(Nodes->Gate.Held(), 1);
    EXPECT_EQ(Count("2A"), 0) << "still held";
    EXPECT_EQ(Count("35"), 0) << "the commands after it wait their turn";

    Nodes->Gate.Release();
    ASSERT_TRUE(WaitForRequests(HangGuardMs));
    EXPECT_EQ(Count("2A"), 1) << "the WRITE given up reached the drive";
    ExpectInOrder({"2A", "35"});
    Burner->OnDriveWait = nullptr;
    Burner->ResumeDriveWaits();  // as the end of a drive job does
    ASSERT_TRUE(Burner->SelectDriveLetter('D'));
    ASSERT_TRUE(Burner->NextWritableAddress());
    EXPECT_GT(Burner->StartSector, 0u) << "after the blocks of the WRITE given up";
    EXPECT_EQ(Record(), "");
    EXPECT_EQ(Count("5B"), 1);
}

TEST_F(DriveJobTest, CloseAndCalibrationFollowTheirOptions) {
    StartDrive("medium=cdr");
    Burner->FinalizeTrack = false;
    Burner->PerformOPC = true;
    ASSERT_EQ(Record(), "");
    EXPECT_EQ(Count("5B"), 0) << "the disc stays open";
    ExpectInOrder({"55", "54 01", "2A"});
}

TEST_F(DriveJobTest, BusyAndLongWriteAreRetriedEvery600Ms) {
    StartDrive("medium=cdr,busy=3,longwrite=2");
    ASSERT_EQ(Record(), "");
    const std::vector<int> pauses = Burner->Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 600), 5);
    ExpectSameAsIsoFile();
}

TEST_F(DriveJobTest, WriterStaysBusyTenThousandTimes) {
    StartDrive("medium=cdr,busy=10000");
    EXPECT_EQ(Record(), "WRITER BUSY/BUFFER FULL");
    EXPECT_EQ(Count("2A"), 10000);
    EXPECT_EQ(Count("5B"), 0);
    ExpectInOrder({"2A", "5C", "35 00", "5C"});
}

TEST_F(DriveJobTest, FailedWritesEndTheJobWithTheDriveReason) {
    const struct {
        const char* Settings;
        uint32_t WrongStart;
        const char* Error;
    } cases[] = {
        {"medium=cdr", 100, "WRITER ERROR [ILLEGAL REQUEST (INVALID ADDRESS FOR WRITE)]"},
        {"medium=cdr,mediumerror=40", 0, "WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Settings);
        StartDrive(c.Settings);
        Burner->PrepareImage(false);
        Burner->StartSector += c.WrongStart;
        EXPECT_EQ(RecordPrepared(), c.Error);
        EXPECT_EQ(Count("5B"), 0);
        EXPECT_EQ(Count("35 00"), 1) << "the cache is still synchronised";
        EXPECT_EQ(Count("1E"), 0) << "the disc is handed back by the caller";
    }
}

TEST_F(DriveJobTest, AFailedBufferPollEndsThePolling) {
    // The first poll (before the sixth group) never completes; its time runs out.
    Files.push_back({"\\Images", "big.jpg", PatternBytes(40 * 63488, 5)});
    StartDrive("medium=cdr,hang=5C");
    ASSERT_EQ(Record(), "");
    const std::vector<std::string> cdbs = Commands();
    const auto lastWrite = std::find_if(cdbs.rbegin(), cdbs.rend(), [](const std::string& c) { return c.rfind("2A", 0) == 0; });
    const auto polls = std::count_if(lastWrite, cdbs.rend(), [](const std::string& c) { return c.rfind("5C", 0) == 0; });
    EXPECT_LE(polls, 1) << "at most the one that hung";
    ExpectSameAsIsoFile();
}

TEST_F(DriveJobTest, BufferIsPolledBeforeEveryFifthGroup) {
    Files.push_back({"\\Images", "big.jpg", PatternBytes(40 * 63488, 5)});
    StartDrive("medium=cdr");
    ASSERT_EQ(Record(), "");
    std::vector<int> pollsAfter;  // groups written before each poll
    int groups = 0;
    for (const std::string& cdb : Commands()) {
        if (cdb.rfind("2A", 0) == 0) ++groups;
        if (cdb.rfind("5C", 0) == 0) pollsAfter.push_back(groups);
    }
    ASSERT_GE(pollsAfter.size(), 2u);
    pollsAfter.resize(pollsAfter.size() - 2);  // the two of the finalisation
    std::vector<int> expected;
    for (int g = 5; g < groups; g += 5) expected.push_back(g);
    EXPECT_EQ(pollsAfter, expected);
}

TEST_F(DriveJobTest, AbortBeforeTheFirstGroupWritesNothing) {
    StartDrive("medium=cdr");
    Burner->PrepareImage(false);
    // The abort comes as the recording thread starts: the flag is cleared before that.
    Burner->OnDebugMessage = [this](TSCSIDevice*, const std::string& text, uint8_t) {
        if (text.rfind(">>> STARTING", 0) == 0) Burner->AbortWrite();
    };
    EXPECT_EQ(RecordPrepared(), "OPERATION ABORTED BY USER");
    EXPECT_EQ(Count("2A"), 0);
    EXPECT_EQ(Count("35 00"), 1);
    EXPECT_EQ(Count("5B"), 0);
    EXPECT_EQ(Count("1E"), 0);
    EXPECT_EQ(Count("1B"), 1) << "only the load before the writes";
}

TEST_F(DriveJobTest, AbortInTheMiddleStopsTheWrites) {
    Files.push_back({"\\Images", "big.jpg", std::string(6 << 20, 'x')});
    // The fifth group is refused once as busy; the user aborts while the job waits to retry.
    StartDrive("medium=cdr,busyat=" + std::to_string(4 * 31));
    std::atomic<bool> writing{false};  // the drive's preparation pauses too
    Burner->OnDebugMessage = [&](TSCSIDevice*, const std::string& text, uint8_t) {
        if (text.rfind(">>> STARTING", 0) == 0) writing = true;
    };
    Burner->OnPause = [&] {
        if (writing) Burner->AbortWrite();
    };
    EXPECT_EQ(Record(), "OPERATION ABORTED BY USER");
    EXPECT_EQ(Count("2A"), 5) << "four groups and the refused fifth";
    EXPECT_EQ(Count("5B"), 0);
    EXPECT_EQ(Count("35 00"), 1);
}

TEST_F(DriveJobTest, ASourceDeletedAfterTheStartEndsTheJobNamingIt) {
    // The first file fills the cache, so recording starts before the second one is read.
    Files.insert(Files.begin(), {"\\", "first.bin", PatternBytes(6 << 20, 6)});
    StartDrive("medium=cdr");
    Burner->PrepareImage(false);
    const std::string gone = Scratch.Path() + "/src/Images/2004061200001.jpg";
    fs::remove(gone);
    EXPECT_EQ(RecordPrepared(), "CAN'T OPEN FILE \"" + gone + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
    EXPECT_GT(Count("2A"), 0) << "the files before it were recorded";
    EXPECT_EQ(Count("5B"), 0);
}

TEST_F(DriveJobTest, FinalizingTrackComesAfterTheLastWrite) {
    StartDrive("medium=cdr");
    std::atomic<int64_t> bytesAtFinalizing{-1};
    Burner->OnFinalizingTrack = [&](TMCDBurner* sender) { bytesAtFinalizing = sender->BytesWritten(); };
    ASSERT_EQ(Record(), "");
    EXPECT_EQ(bytesAtFinalizing, Burner->ImageBlocks() * 2048);
}

// The pass-through layer: every job ends with a restart that closes the drive's handle, and
// the next job opens it again.
TEST(DriveJobPassThroughTest, TwoJobsInARowReopenTheDrive) {
    TFakeNodes nodes;
    nodes.Drives = {DriveAt('D', 0, 0)};
    std::atomic<int> writes{0};
    nodes.Answer = [&](sg_io_hdr_t& io) {
        writes += static_cast<uint8_t*>(io.cmdp)[0] == 0x2A;
        return true;
    };
    SetDeviceNodes(&nodes);
    {
        TScratchDir scratch;
        TQuickBurner burner;
        burner.Nodes = &nodes;
        ASSERT_TRUE(burner.InitializeASPI(true));
        ASSERT_EQ(TransportName(), "PTASPI32");
        const std::string photo = scratch.Write("photo.jpg", PatternBytes(100000, 7));
        for (int job = 0; job < 2; ++job) {
            SCOPED_TRACE(job);
            ASSERT_TRUE(burner.SelectDriveLetter('D'));
            burner.CreateDirPath("\\Images");
            ASSERT_EQ(burner.InsertFile("\\Images", photo, false), 1);
            burner.PrepareImage(false);
            const int opensBefore = nodes.Opens;
            std::promise<std::string> done;
            burner.OnWriteDone = [&](TMCDBurner*, const std::string& error) { done.set_value(error); };
            const int writesBefore = writes;
            ASSERT_TRUE(burner.BurnCD());
            EXPECT_EQ(done.get_future().get(), "");
            EXPECT_GT(writes, writesBefore);
            burner.WaitForJob();
            EXPECT_GT(nodes.Opens, opensBefore);
            EXPECT_EQ(nodes.OpenHandles, 0) << "the restart closed the drive";
            EXPECT_TRUE(CloseAfterCommand);
            burner.ClearTree();
        }
    }
    StopTransport();
    SetDeviceNodes(nullptr);
}

} // namespace
