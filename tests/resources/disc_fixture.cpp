#include "disc_fixture.h"

#include "album_records.h"
#include "bitmap32.h"
#include "jpeg_io.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::vector<std::unique_ptr<TAlbum>> MakeAlbums(const std::vector<TFixtureAlbum>& albums) {
    std::vector<std::unique_ptr<TAlbum>> made;
    for (size_t i = 0; i < albums.size(); ++i) {
        auto album = std::make_unique<TAlbum>();
        album->Title = albums[i].Title;
        album->AlbumFile = "2026121012000" + std::to_string(i) + ".alb";
        album->Position = static_cast<int32_t>(i);
        for (const TFixturePhoto& source : albums[i].Photos) {
            auto photo = new TPhoto;
            photo->FileName = source.FileName;
            photo->Caption = source.Caption;
            photo->SetNotes(source.Notes);
            album->AddPhoto(photo);
        }
        made.push_back(std::move(album));
    }
    return made;
}

void WritePicture(const fs::path& file, int width, int height, TColor32 colour) {
    TBitmap32 picture(width, height);
    picture.Clear(colour);
    WriteJpegFile(picture, file.string(), 90);
}

void WritePictures(const fs::path& images, const fs::path& thumbs, const std::vector<TFixtureAlbum>& albums) {
    fs::create_directories(images);
    fs::create_directories(thumbs);
    for (const TFixtureAlbum& album : albums)
        for (const TFixturePhoto& photo : album.Photos) {
            if (!photo.WithFiles) continue;
            WritePicture(images / photo.FileName, 640, 480, 0xFF3080C0);
            WritePicture(thumbs / photo.FileName, 120, 90, 0xFF3080C0);
        }
}

} // namespace

std::string CatalogueBytes(const std::vector<TFixtureAlbum>& albums) {
    const auto made = MakeAlbums(albums);
    std::vector<const TAlbum*> layout;
    for (const auto& album : made) layout.push_back(album.get());
    std::ostringstream out(std::ios::binary);
    WriteAlbumCatalogue(out, layout);
    return out.str();
}

void MakeDiscFolder(const std::string& folder, const std::vector<TFixtureAlbum>& albums, const std::string& title) {
    const fs::path root(folder);
    WritePictures(root / "Images", root / "Thumbs", albums);
    std::ofstream(root / "Albums.dat", std::ios::binary) << CatalogueBytes(albums);
    if (!title.empty()) std::ofstream(root / "title.txt", std::ios::binary) << title << "\r\n";
}

void MakeBaseFolder(const std::string& folder, const std::vector<TFixtureAlbum>& albums) {
    const fs::path root(folder);
    WritePictures(root / "Images", root / "Albums" / "Thumbs", albums);
    for (const auto& album : MakeAlbums(albums)) {
        for (const TProject::TEntry& entry : album->Project.Photos()) {
            std::error_code error;
            entry.Photo->ImageSize = static_cast<int32_t>(fs::file_size(root / "Images" / entry.Photo->FileName, error));
            entry.Photo->ThumbSize =
                static_cast<int32_t>(fs::file_size(root / "Albums" / "Thumbs" / entry.Photo->FileName, error));
        }
        album->SaveToFile((root / "Albums" / album->AlbumFile).string());
    }
}
