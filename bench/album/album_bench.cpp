// Reading a large album library: 100 albums of 1,000 photos each, with captions and a few
// lines of notes. Measures FindAlbums on the folder, and LoadAlbums until the main window's
// tree holds every node.
#include "album_records.h"
#include "mainform.h"

#include "../support/gui_bench_main.h"

#include <QApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const int kAlbums = 100;
const int kPhotos = 1000;

fs::path LibraryFolder() {
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / "fotolark-bench-albums";
        fs::remove_all(path);
        fs::create_directories(path);
        for (int a = 0; a < kAlbums; ++a) {
            TAlbum album;
            album.Title = "Album number " + std::to_string(a);
            album.AlbumFile = "2026121012" + std::to_string(1000 + a) + ".alb";
            album.Position = kAlbums - a;
            for (int p = 0; p < kPhotos; ++p) {
                auto* photo = new TPhoto;
                photo->FileName = "20261210" + std::to_string(10000 + p) + ".jpg";
                photo->Caption = "Photo " + std::to_string(p) + " at the seaside";
                photo->SetNotes({"Taken in the morning light.", "With the whole family.", "Keep for the calendar."});
                photo->ImageSize = 2500000 + p;
                photo->ThumbSize = 9000;
                album.AddPhoto(photo);
            }
            album.SaveToFile((path / album.AlbumFile).string());
        }
        return path;
    }();
    return folder;
}

void BM_FindAlbums(benchmark::State& state) {
    const std::string folder = LibraryFolder().string();
    for (auto _ : state) {
        TAlbumList albums = FindAlbums(folder);
        if (albums.size() != kAlbums) state.SkipWithError("albums missing");
        benchmark::DoNotOptimize(albums);
    }
}
BENCHMARK(BM_FindAlbums)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LoadAlbumsIntoTree(benchmark::State& state) {
    const std::string folder = LibraryFolder().string() + "/";
    TMainForm window;
    window.FAlbumDir = folder;
    for (auto _ : state) {
        window.LoadAlbums();
        if (window.FAlbumTree->topLevelItemCount() != kAlbums) state.SkipWithError("tree incomplete");
    }
}
BENCHMARK(BM_LoadAlbumsIntoTree)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    return RunWindowBenchmarks(argc, argv);
}
