// A disc tree built from an album folder of its own, as the disc jobs build it.
#pragma once

#include "album_folder.h"
#include "disc_content.h"
#include "disc_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class DiscContentFixture : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TAlbumFolder Albums{Scratch.Path() + "/base"};
    TMCDBurner Burner;
    TDiscTempFiles Temp;
    TAlbumList Found;

    // Every album of the folder, with a stand-in viewer.
    TDiscContent Content(const std::string& title = "") {
        Found = FindAlbums(Albums.Folders.AlbumDir);
        TDiscContent content;
        for (const auto& album : Found) content.Albums.push_back(album.get());
        content.AlbumDir = Albums.Folders.AlbumDir;
        content.ImageDir = Albums.Folders.ImageDir;
        content.ThumbDir = Albums.Folders.ThumbDir;
        content.Title = title;
        content.ViewerPath = Scratch.Write("Resources/Diorama.exe", "MZ stand-in viewer");
        return content;
    }

    void Build(const TDiscContent& content) {
        ASSERT_TRUE(Temp.Create(Scratch.Path()));
        std::string error;
        ASSERT_TRUE(BuildDiscContent(Burner, content, Temp, error)) << error;
    }

    static std::vector<std::string> Names(const TDEntry* dir) {
        std::vector<std::string> names;
        for (const TFEntry* e = dir ? dir->FirstChild : nullptr; e; e = e->Next) names.push_back(e->LongName);
        return names;
    }
};
