// A base folder with albums, photos and thumbnails laid out as Fotolark stores them.
#pragma once

#include "album_records.h"
#include "disc_test_support.h"
#include "file_names.h"
#include "prefs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

class TAlbumFolder {
public:
    explicit TAlbumFolder(const std::string& base) : Folders(StorageFolders(WithTrailingSlash(base))) {
        CreateStorageFolders(Folders);
    }

    static std::string ImageBytes(const std::string& name) { return PatternBytes(5000 + name.size() * 700, Seed(name)); }
    static std::string ThumbBytes(const std::string& name) { return PatternBytes(900 + name.size(), Seed(name) + 1); }

    // Saves an album file holding `photos` and writes each photo and thumbnail that is not
    // listed in `missing`.
    void AddAlbum(const std::string& title, int position, const std::vector<std::string>& photos,
                  const std::vector<std::string>& missing = {}) {
        TAlbum album;
        album.Title = title;
        album.Position = position;
        album.AlbumFile = "album" + std::to_string(position) + ".alb";
        album.Project.Title = title;
        for (const std::string& name : photos) {
            auto* photo = new TPhoto;
            photo->FileName = name;
            photo->Caption = "Caption of " + name;
            photo->ImageSize = static_cast<int32_t>(ImageBytes(name).size());
            photo->ThumbSize = static_cast<int32_t>(ThumbBytes(name).size());
            album.AddPhoto(photo);
            if (std::find(missing.begin(), missing.end(), name) != missing.end()) continue;
            WriteFile(Folders.ImageDir + name, ImageBytes(name));
            WriteFile(Folders.ThumbDir + name, ThumbBytes(name));
        }
        album.SaveToFile(Folders.AlbumDir + album.AlbumFile);
    }

    TStorageFolders Folders;

private:
    static int Seed(const std::string& name) { return static_cast<int>(std::hash<std::string>{}(name) % 100000); }
    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
};
