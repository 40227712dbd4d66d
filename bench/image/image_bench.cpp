// The image edits on a 6000 x 4000 photo (a 96 MB bitmap), next to a plain
// copy of that bitmap as the memory-bandwidth yardstick.
#include "bench_photo.h"
#include "geometry.h"
#include "jpeg_io.h"
#include "thumbnailer.h"
#include "tone.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// Smooth gradients with a little noise, so JPEG sizes and times are like a photo's.
const TBitmap32& Photo()
{
    static const TBitmap32 photo = [] {
        TBitmap32 bitmap(kWidth, kHeight);
        std::mt19937 random(1);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const unsigned noise = random() & 15;
                const unsigned r = unsigned(128 + 100 * std::sin(x / 700.0)) + noise;
                const unsigned g = unsigned(128 + 100 * std::cos(y / 500.0)) + noise;
                const unsigned b = ((x + y) / 40) % 200 + noise;
                bitmap.SetPixel(x, y, Color32(r, g, b));
            }
        return bitmap;
    }();
    return photo;
}

const std::vector<std::uint8_t>& PhotoJpeg()
{
    static const std::vector<std::uint8_t> jpeg = EncodeJpeg(Photo(), 100);
    return jpeg;
}

void BM_Copy(benchmark::State& state)
{
    TBitmap32 dest(kWidth, kHeight);
    for (auto _ : state) {
        dest.Assign(Photo());
        benchmark::DoNotOptimize(dest.Bits());
    }
}

void BM_JpegDecode(benchmark::State& state)
{
    const std::vector<std::uint8_t>& jpeg = PhotoJpeg();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeJpeg(jpeg.data(), jpeg.size()));
    state.counters["bytes"] = double(jpeg.size());
}

void BM_JpegEncodeQuality100(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeJpeg(Photo(), 100));
}

void BM_MakeThumbnail(benchmark::State& state)
{
    const TThumbnailer thumbnailer = AlbumThumbnailer();
    TBitmap32 thumb;
    for (auto _ : state) {
        thumbnailer.MakeThumbnail(Photo(), thumb);
        benchmark::DoNotOptimize(thumb.Bits());
    }
}

void BM_FineRotation(benchmark::State& state)
{
    TBitmap32 view(kWidth, kHeight);
    for (auto _ : state) {
        RotateBitmapFine(Photo(), view, 7.5f);
        benchmark::DoNotOptimize(view.Bits());
    }
}

void BM_QuarterTurn(benchmark::State& state)
{
    TBitmap32 view(kHeight, kWidth);
    for (auto _ : state) {
        RotateBitmapQuarter(Photo(), view, true);
        benchmark::DoNotOptimize(view.Bits());
    }
}

void BM_FlipHorizontal(benchmark::State& state)
{
    TBitmap32 view(kWidth, kHeight);
    for (auto _ : state) {
        FlipBitmapHorizontal(Photo(), view);
        benchmark::DoNotOptimize(view.Bits());
    }
}

void BM_FlipVertical(benchmark::State& state)
{
    TBitmap32 view(kWidth, kHeight);
    for (auto _ : state) {
        FlipBitmapVertical(Photo(), view);
        benchmark::DoNotOptimize(view.Bits());
    }
}

void BM_ApplyToneTable(benchmark::State& state)
{
    TToneTable table;
    BuildToneTable(20, 10, 30, table);
    TBitmap32 view(kWidth, kHeight);
    for (auto _ : state) {
        ApplyToneTable(view, Photo(), table);
        benchmark::DoNotOptimize(view.Bits());
    }
}

}  // namespace

const TBitmap32& BenchPhoto() { return Photo(); }

// Real time: the edits spread over both cores. With --benchmark_repetitions
// the "min" line is the figure least disturbed by other work on the machine.
void Setup(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
}
BENCHMARK(BM_Copy)->Apply(Setup);
BENCHMARK(BM_JpegDecode)->Apply(Setup);
BENCHMARK(BM_JpegEncodeQuality100)->Apply(Setup);
BENCHMARK(BM_MakeThumbnail)->Apply(Setup);
BENCHMARK(BM_FineRotation)->Apply(Setup);
BENCHMARK(BM_QuarterTurn)->Apply(Setup);
BENCHMARK(BM_FlipHorizontal)->Apply(Setup);
BENCHMARK(BM_FlipVertical)->Apply(Setup);
BENCHMARK(BM_ApplyToneTable)->Apply(Setup);

int main(int argc, char** argv)
{
    Photo();  // made once, outside every measurement
    PhotoJpeg();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
