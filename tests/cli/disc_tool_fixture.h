// What both fotolark-disc test suites start from: a scratch folder with a base folder of two
// albums (one photo shared), a stand-in viewer and a temporary folder of the tool's own.
#pragma once

#include "album_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class TDiscToolFixture : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TAlbumFolder Albums{Scratch.Path() + "/base"};
    std::string Viewer = Scratch.Write("Diorama.exe", "MZ stand-in viewer");
    std::string Iso = Scratch.Path() + "/out.iso";
    std::string Temp = Scratch.Path() + "/tmp";

    void SetUp() override {
        std::filesystem::create_directories(Temp);
        Albums.AddAlbum("Holidays", 0, {"2004061200001.jpg", "2004061200002.jpg", "b.jpg"});
        Albums.AddAlbum("Garden", 1, {"c.jpg", "b.jpg"});
    }

    // Every file of the volume in `image`, read as `readFs` ("norock": Joliet names, "ecma119":
    // the ISO 9660 names) and extracted by xorriso into the scratch folder `name`.
    std::string ExtractTree(const std::string& image, const std::string& readFs, const std::string& name) {
        const std::string out = Scratch.Path() + "/" + name;
        const TCommandResult run = RunCommand("xorriso -abort_on FAILURE -osirrox on -read_fs " + readFs + " -indev " +
                                              Quote(image) + " -extract / " + Quote(out));
        EXPECT_EQ(run.Status, 0) << run.Output;
        return out;
    }
};
