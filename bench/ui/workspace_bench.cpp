// The main window at work on a 24-megapixel photo:
// - one step of the fine-rotation arrow, from the click to the end of the view's repaint, in
//   the fit-to-width mode a photo of that size is usually viewed in;
// - "Save Changed Image" of a changed album photo (JPEG at the stored quality 100, thumbnail,
//   both sizes) against the bare JPEG encode of the same picture;
// - program start to a usable window, with whatever scanner backends the machine has.
#include "album_records.h"
#include "image_view.h"
#include "jpeg_io.h"
#include "mainform.h"
#include "prefs.h"
#include "up_down.h"

#include "../support/gui_bench_main.h"

#include <QApplication>
#include <QSpinBox>
#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TBitmap32 TestPhoto() {
    TBitmap32 photo(6000, 4000);
    for (int y = 0; y < 4000; ++y)
        for (int x = 0; x < 6000; ++x) photo.SetPixel(x, y, Color32(x, y, x ^ y));
    return photo;
}

void BM_FineRotationStep(benchmark::State& state) {
    TMainForm window;
    window.resize(1280, 900);
    window.show();
    window.FormActivate();
    window.FWorkBitmap = TestPhoto();
    window.FImgView->Bitmap() = window.FWorkBitmap;
    window.FZoomMode = zmFitWidth;
    window.ApplyZoomMode();
    window.UpdateActions();
    QApplication::processEvents();
    int step = 1;
    for (auto _ : state) {
        window.udRotate->stepBy(step);
        window.FImgView->viewport()->repaint();
        if (window.udRotate->value() >= 1800 || window.udRotate->value() <= -1800) step = -step;
    }
}
BENCHMARK(BM_FineRotationStep)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_BareJpegEncode(benchmark::State& state) {
    const TBitmap32 photo = TestPhoto();
    const std::string file = (fs::temp_directory_path() / "fotolark-bench-encode.jpg").string();
    for (auto _ : state) WriteJpegFile(photo, file, 100);
    fs::remove(file);
}
BENCHMARK(BM_BareJpegEncode)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_SaveChangedAlbumPhoto(benchmark::State& state) {
    TMainForm window;
    window.FormActivate();
    TAlbum album;
    album.Title = "Bench";
    album.AlbumFile = "bench.alb";
    auto* photo = new TPhoto;
    photo->FileName = photo->Caption = "bench.jpg";
    album.AddPhoto(photo);
    album.SaveToFile(window.FAlbumDir + "bench.alb");
    window.LoadAlbums();
    const TBitmap32 picture = TestPhoto();
    for (auto _ : state) {
        state.PauseTiming();
        window.SelectNode(window.FAlbumTree->topLevelItem(0)->child(0));
        window.FImageSource = isAlbumPhoto;
        window.FImageFile = "bench.jpg";
        window.FWorkBitmap = picture;
        window.FModified = true;
        state.ResumeTiming();
        window.CommitImage(true);
    }
    fs::remove(window.FAlbumDir + "bench.alb");
}
BENCHMARK(BM_SaveChangedAlbumPhoto)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Creating the window runs the whole start-up (settings, folders, albums, the recorder
// transport, the scanner search on its worker); the window is usable once it has become
// active and painted. Closing it waits for the scanner search and is not counted.
void BM_StartToUsableWindow(benchmark::State& state) {
    for (auto _ : state) {
        auto window = std::make_unique<TMainForm>();
        window->show();
        window->FormActivate();
        QApplication::processEvents();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToUsableWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return RunWindowBenchmarks(argc, argv);
}
