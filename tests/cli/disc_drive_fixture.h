// fotolark-disc --drive against a virtual recorder drive D: with its request log and the
// disc image it records.
#pragma once

#include "disc_tool_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class FotolarkDiscDriveTest : public TDiscToolFixture {
protected:
    std::string Disc = Scratch.Path() + "/disc.img";
    std::string LogPath = Scratch.Path() + "/vrec.log";

    void SetUp() override {
        for (const auto& node : std::filesystem::directory_iterator("/dev"))
            if (node.path().filename().string().rfind("sr", 0) == 0)
                GTEST_SKIP() << "this machine has a real CD/DVD drive, which the tool would prefer";
        TDiscToolFixture::SetUp();
    }

    // Runs the tool with the virtual recorder's drive D: described by `drive`.
    TCommandResult Run(const std::string& drive, const std::string& arguments) {
        return RunCommand("TMPDIR=" + Quote(Temp) + " LD_LIBRARY_PATH=" + Quote(VIRTUAL_RECORDER_DIR) +
                          " VREC_DRIVES=" + Quote("letter=D,image=" + Disc + "," + drive) + " VREC_LOG=" +
                          Quote(LogPath) + " " + Quote(FOTOLARK_DISC) + " " + arguments);
    }
    std::string AlbumArguments() const {
        return " --title 'Summer 2004' --base " + Quote(Scratch.Path() + "/base") + " --viewer " + Quote(Viewer);
    }
    int Requests(const std::string& cdbStart) const {
        std::ifstream log(LogPath);
        int count = 0;
        for (std::string line; std::getline(log, line);) count += line.find("CDB " + cdbStart) != std::string::npos;
        return count;
    }
    // Every file of the volume in `image`, extracted by xorriso.
    std::string Extract(const std::string& image, const std::string& name) { return ExtractTree(image, "norock", name); }
    // The two trees hold the same files with the same bytes.
    static void ExpectSameFiles(const std::string& expected, const std::string& actual) {
        int files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(expected)) {
            if (!entry.is_regular_file()) continue;
            const std::string relative = std::filesystem::relative(entry.path(), expected).string();
            EXPECT_TRUE(ReadBytes(entry.path().string()) == ReadBytes(actual + "/" + relative)) << relative;
            ++files;
        }
        EXPECT_EQ(files, 4 + 2 * 4 + 9) << "autorun, title, viewer, catalogue, four photos and four thumbnails, "
                                           "index.html and Web/ with two album pages, five photo pages and the style";
    }
    // The block the recording started at: the address of the first WRITE (10).
    uint32_t FirstWriteAddress() const {
        std::ifstream log(LogPath);
        for (std::string line; std::getline(log, line);) {
            const size_t at = line.find("CDB 2A ");
            if (at == std::string::npos) continue;
            std::istringstream cdb(line.substr(at + 4));
            std::string byte;
            uint32_t lba = 0;
            for (int i = 0; i < 6 && cdb >> byte; ++i)
                if (i >= 2) lba = lba << 8 | static_cast<uint32_t>(std::stoul(byte, nullptr, 16));
            return lba;
        }
        return 0;
    }
};

