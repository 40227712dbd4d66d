// Holding the fine-rotation arrow on a 24-megapixel photo: the time from one step of the
// up-down control to the end of the view's repaint, in the fit-to-width mode a photo of that
// size is usually viewed in.
#include "image_view.h"
#include "mainform.h"

#include "../support/gui_bench_main.h"

#include <QApplication>
#include <QSpinBox>
#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void BM_FineRotationStep(benchmark::State& state) {
    TMainForm window;
    window.resize(1280, 900);
    window.show();
    window.FormActivate();
    window.FWorkBitmap.SetSize(6000, 4000);
    for (int y = 0; y < 4000; ++y)
        for (int x = 0; x < 6000; ++x) window.FWorkBitmap.SetPixel(x, y, Color32(x, y, x ^ y));
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

} // namespace

int main(int argc, char** argv) {
    return RunWindowBenchmarks(argc, argv);
}
