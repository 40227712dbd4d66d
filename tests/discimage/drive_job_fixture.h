// Drive jobs against the virtual recorder's drive D: a burner whose waits go on at once, the
// files of a small tree, the job's command log and the recorded blocks.
#pragma once

#include "disc_test_support.h"
#include "hang_guard.h"
#include "transport.h"
#include "../recorder/fake_nodes.h"
#include "../recorder/recorder_behind_nodes.h"
#include "passthrough_requests.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>

// Its waits go on at once; the pauses it was asked for are kept. A request still pending (the
// virtual recorder completes every other one before it returns) is given up at once, as when
// its time limit has run out. On stand-in device nodes, whose requests complete on a request
// thread, it waits for the answer, unless the drive holds the command.
class TQuickBurner : public TMCDBurner {
public:
    std::function<void()> OnPause;  // runs on the pausing thread, before the pause is noted
    TFakeNodes* Nodes = nullptr;

    std::vector<int> Pauses() {
        std::lock_guard<std::mutex> lock(FPauseLock);
        return FPauses;
    }

protected:
    void Pause(int Ms) override {
        if (OnPause) OnPause();
        std::lock_guard<std::mutex> lock(FPauseLock);
        FPauses.push_back(Ms);
    }
    void WaitForCompletion(int Event, int) override {
        if (Nodes) Nodes->WaitForAnswerOrHold(Event);
    }

private:
    std::mutex FPauseLock;
    std::vector<int> FPauses;
};

// "00 00 01 2C" for 300: a block address as the log shows it inside a command block.
inline std::string Big32Hex(uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", value >> 24, (value >> 16) & 0xFF, (value >> 8) & 0xFF,
                  value & 0xFF);
    return text;
}

struct TDiscFile {
    std::string DiscDir;  // "\" or "\Images"
    std::string Name;
    std::string Bytes;
};

class DriveJobTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    std::string Disc = Scratch.Path() + "/disc.img";
    std::string LogPath = Scratch.Path() + "/vrec.log";
    std::unique_ptr<TQuickBurner> Burner;
    std::vector<TDiscFile> Files = {
        {"\\", "autorun.inf", "[autorun]\r\nopen=Diorama.exe\r\n"},
        {"\\", "Albums.dat", PatternBytes(5000, 1)},
        {"\\Images", "2004061200001.jpg", PatternBytes(400000, 2)},
        {"\\Images", "Strand und Meer.jpeg", PatternBytes(63488, 3)},
        {"\\Thumbs", "2004061200001.jpg", PatternBytes(4097, 4)},
    };
    std::vector<std::string> Lines;  // the burner's diagnostic lines, "kind:text"
    std::mutex LinesLock;
    // Set before StartDrive: drive D is the virtual recorder behind the pass-through layer.
    std::unique_ptr<TFakeNodes> Nodes;
    std::unique_ptr<TRecorderBehindNodes> DriveBehindNodes;

    void SetUp() override {
        ASSERT_EQ(chdir(VIRTUAL_RECORDER_DIR), 0);
        setenv("VREC_LOG", LogPath.c_str(), 1);
    }
    void TearDown() override {
        Burner.reset();
        if (Nodes) {
            Nodes->Gate.Release();
            EXPECT_TRUE(WaitForRequests(HangGuardMs)) << "a request never ended";
        }
        StopTransport();
        SetDeviceNodes(nullptr);
        unsetenv("VREC_DRIVES");
        unsetenv("VREC_LOG");
        unsetenv("VREC_MAXTRANSFER");
    }

    // Powers up drive D: with `settings` in the virtual recorder's syntax and selects it.
    void StartDrive(const std::string& settings) {
        setenv("VREC_DRIVES", ("letter=D,image=" + Disc + "," + settings).c_str(), 1);
        Burner.reset();  // the disc tree exists once: the old component goes first
        StopTransport();
        std::filesystem::remove(LogPath);
        Burner = std::make_unique<TQuickBurner>();
        Burner->OnDebugMessage = [this](TSCSIDevice*, const std::string& text, uint8_t kind) {
            std::lock_guard<std::mutex> lock(LinesLock);
            Lines.push_back(std::to_string(kind) + ":" + text);
        };
        if (Nodes) {
            TFakeDrive drive = DriveAt('D', 0, 0);
            drive.TransferLimit = 0x10000;  // the recorder's adapter's, as the system would say
            Nodes->Drives = {drive};
            DriveBehindNodes = std::make_unique<TRecorderBehindNodes>("./libwnaspi32.so");
            Nodes->Answer = std::ref(*DriveBehindNodes);
            SetDeviceNodes(Nodes.get());
            Burner->Nodes = Nodes.get();
        }
        ASSERT_TRUE(Burner->InitializeASPI(Nodes != nullptr));
        ASSERT_TRUE(Burner->SelectDriveLetter('D'));
        for (const TDiscFile& file : Files) {
            const std::string local = Scratch.Write("src/" + file.DiscDir.substr(1) + "/" + file.Name, file.Bytes);
            Burner->CreateDirPath(file.DiscDir);
            ASSERT_EQ(Burner->InsertFile(file.DiscDir, local, false), 1) << local;
        }
        Burner->IdVolume = "Summer 2004";
    }

    // Lays the tree out for the drive and records it; the job's error text.
    std::string Record() {
        Burner->PrepareImage(false);
        return RecordPrepared();
    }
    std::string RecordPrepared() {
        std::promise<std::string> done;
        Burner->OnWriteDone = [&](TMCDBurner*, const std::string& error) { done.set_value(error); };
        std::future<std::string> result = done.get_future();
        Burner->BurnCD();
        if (result.wait_for(kHangGuard) != std::future_status::ready) {
            ADD_FAILURE() << "the drive job did not end";
            Burner->AbortWrite();
        }
        Burner->WaitForJob();
        Burner->OnWriteDone = nullptr;
        return result.get();
    }

    // The command blocks the drive received, as the log's hex text ("2A 00 00 ...").
    std::vector<std::string> Commands() const {
        std::vector<std::string> cdbs;
        std::ifstream log(LogPath);
        for (std::string line; std::getline(log, line);) {
            const size_t at = line.find(" CDB ");
            if (at != std::string::npos) cdbs.push_back(line.substr(at + 5));
        }
        return cdbs;
    }
    int Count(const std::string& cdbStart) const {
        int n = 0;
        for (const std::string& cdb : Commands()) n += cdb.rfind(cdbStart, 0) == 0;
        return n;
    }
    // Each command block start is found after the one before it.
    void ExpectInOrder(const std::vector<std::string>& starts) const {
        const std::vector<std::string> cdbs = Commands();
        size_t at = 0;
        for (const std::string& start : starts) {
            while (at < cdbs.size() && cdbs[at].rfind(start, 0) != 0) ++at;
            ASSERT_LT(at, cdbs.size()) << "missing, or out of order: " << start;
            ++at;
        }
    }
    bool Traced(const std::string& line) {
        std::lock_guard<std::mutex> lock(LinesLock);
        return std::find(Lines.begin(), Lines.end(), line) != Lines.end();
    }

    // The same tree written as an image file from block 0.
    std::string IsoFileBytes() {
        const std::string iso = Scratch.Path() + "/same.iso";
        EXPECT_EQ(WriteImage(*Burner, iso), "");
        return ReadBytes(iso);
    }
    // The recorded blocks of the job: ImageBlocks from StartSector.
    std::string RecordedBytes() const {
        return ReadBytes(Disc).substr(static_cast<size_t>(Burner->StartSector) * 2048,
                                      static_cast<size_t>(Burner->ImageBlocks()) * 2048);
    }

    void ExpectSameAsIsoFile() {
        const std::string recorded = RecordedBytes();
        EXPECT_TRUE(recorded == IsoFileBytes()) << "the recorded blocks differ from the image file";
    }

    // xorriso, bsdtar and isoinfo find every file with its bytes in the Joliet tree.
    void ExpectReadersFindTheFiles(const std::string& image) {
        const std::string byXorriso = Scratch.Path() + "/xorriso";
        TCommandResult run = RunCommand("xorriso -abort_on FAILURE -osirrox on -read_fs norock -indev " + Quote(image) +
                                        " -extract / " + Quote(byXorriso));
        ASSERT_EQ(run.Status, 0) << run.Output;
        const std::string byBsdtar = Scratch.Path() + "/bsdtar";
        std::filesystem::create_directories(byBsdtar);
        run = RunCommand("bsdtar -x -f " + Quote(image) + " -C " + Quote(byBsdtar));
        ASSERT_EQ(run.Status, 0) << run.Output;
        const TCommandResult listing = RunCommand("isoinfo -J -f -i " + Quote(image));
        ASSERT_EQ(listing.Status, 0) << listing.Output;
        for (const TDiscFile& file : Files) {
            std::string dir = file.DiscDir == "\\" ? "" : file.DiscDir.substr(1) + "/";
            EXPECT_TRUE(ReadBytes(byXorriso + "/" + dir + file.Name) == file.Bytes) << "xorriso: " << file.Name;
            EXPECT_TRUE(ReadBytes(byBsdtar + "/" + dir + file.Name) == file.Bytes) << "bsdtar: " << file.Name;
            EXPECT_NE(listing.Output.find("/" + dir + file.Name), std::string::npos) << listing.Output;
        }
        run = RunCommand("isoinfo -d -i " + Quote(image));
        EXPECT_NE(run.Output.find("Volume id: Summer 2004"), std::string::npos) << run.Output;
    }
};

