// The web pages of a disc of 5,000 photos in 20 albums: made in memory, counted for the CD
// window, and written and added to the disc tree as a job does it (the aim: under 0.5 s);
// then the whole image-file job with and without them (the aim: at most 1.05 times the time).
// The photos lie in /dev/shm when it exists; FOTOLARK_BENCH_PHOTO_KB sets their size
// (default 120 KB, so that the 5,000 fill a CD), FOTOLARK_BENCH_DISCARD=1 sends the image to
// /dev/null.
#include "disc_content.h"
#include "disc_web.h"
#include "../support/bench_figures.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kAlbums = 20;
constexpr int kPhotosPerAlbum = 250;

struct TBenchLayout {
    fs::path Folder;
    std::vector<std::unique_ptr<TAlbum>> Albums;
    TDiscContent Content;

    TBenchLayout() {
        Folder = (fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                 ("fotolark-web-bench-" + std::to_string(getpid()));
        fs::create_directories(Folder / "Images");
        fs::create_directories(Folder / "Thumbs");
        const char* kb = std::getenv("FOTOLARK_BENCH_PHOTO_KB");
        const std::string image(static_cast<size_t>(kb ? std::atoll(kb) : 120) * 1024, 'i');
        const std::string thumb(6 * 1024, 't');
        for (int a = 0; a < kAlbums; ++a) {
            auto album = std::make_unique<TAlbum>();
            album->Title = "Album " + std::to_string(a + 1) + " – summer & friends";
            for (int p = 0; p < kPhotosPerAlbum; ++p) {
                auto* photo = new TPhoto;
                photo->FileName = "20040612" + std::to_string(10000 + a * kPhotosPerAlbum + p) + ".jpg";
                photo->Caption = "Photo " + std::to_string(p + 1) + " <by the lake>";
                photo->SetNotes({"Taken in the evening.", "With \"everyone\" there."});
                std::ofstream(Folder / "Images" / photo->FileName, std::ios::binary) << image;
                std::ofstream(Folder / "Thumbs" / photo->FileName, std::ios::binary) << thumb;
                album->AddPhoto(photo);
            }
            Albums.push_back(std::move(album));
        }
        for (const auto& album : Albums) Content.Albums.push_back(album.get());
        Content.ImageDir = (Folder / "Images").string();
        Content.ThumbDir = (Folder / "Thumbs").string();
        Content.Title = "Summer 2004";
        Content.ViewerPath = (Folder / "Diorama.exe").string();
        std::ofstream(Content.ViewerPath, std::ios::binary) << std::string(300000, 'v');
    }
    ~TBenchLayout() {
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }
};

const TBenchLayout& Layout() {
    static const TBenchLayout layout;
    return layout;
}

void WebPagesInMemory(benchmark::State& state) {
    const TBenchLayout& layout = Layout();
    TMCDBurner burner;
    TDiscTempFiles temp;
    std::string error;
    TDiscContent content = layout.Content;
    content.WebPages = false;
    temp.Create();
    BuildDiscContent(burner, content, temp, error);
    const std::vector<TWebAlbum> albums = WebAlbumsOnDisc(burner, content);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<TWebPage> pages = WebPages(content.Title, albums);
        bytes += pages.size();
        benchmark::DoNotOptimize(pages.data());
    }
    EndDiscJob(burner, temp);
    state.counters["pages"] = static_cast<double>(bytes / state.iterations());
}

// What the CD window adds to "Used" after every change of the layout.
void UsedEstimate(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(WebPagesSectors(Layout().Content.Title, Layout().Content.Albums));
}

// Read from the tree and added to it, as a job does it.
void PagesOfAJob(benchmark::State& state) {
    const TBenchLayout& layout = Layout();
    TDiscContent content = layout.Content;
    content.WebPages = false;
    TMCDBurner burner;
    for (auto _ : state) {
        state.PauseTiming();
        TDiscTempFiles temp;
        std::string error;
        temp.Create();
        BuildDiscContent(burner, content, temp, error);
        state.ResumeTiming();
        AddWebPages(burner, layout.Content);
        state.PauseTiming();
        EndDiscJob(burner, temp);
        state.ResumeTiming();
    }
}

std::string RunJob(TMCDBurner& burner, const std::string& iso) {
    std::promise<std::string> done;
    burner.OnWriteDone = [&](TMCDBurner*, const std::string& error) { done.set_value(error); };
    burner.WriteISOFile(iso);
    const std::string error = done.get_future().get();
    burner.WaitForJob();
    return error;
}

// One image-file job from an empty tree to its end, temporary files deleted; its seconds.
double ImageJobSeconds(const TDiscContent& content, const std::string& iso, int64_t& bytes) {
    const auto start = std::chrono::steady_clock::now();
    TMCDBurner burner;
    ApplyBurnerSettings(burner);
    TDiscTempFiles temp;
    std::string error;
    if (!temp.Create() || !BuildDiscContent(burner, content, temp, error)) return -1;
    burner.PrepareImage(true);
    if (!RunJob(burner, iso).empty()) return -1;
    bytes += burner.BytesWritten();
    EndDiscJob(burner, temp);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The job without the pages and with them, in turns, so that a busy machine weighs on both
// alike; "ratio" is the median of each pair's time with pages over its time without (the time
// of a job on this machine drifts more from pair to pair than the pages add).
void ImageJobWithoutAndWithPages(benchmark::State& state) {
    const TBenchLayout& layout = Layout();
    const char* discard = std::getenv("FOTOLARK_BENCH_DISCARD");
    const std::string iso = discard && std::string(discard) == "1" ? "/dev/null" : (layout.Folder / "out.iso").string();
    TDiscContent without = layout.Content, with = layout.Content;
    without.WebPages = false;
    std::vector<double> withoutMs, withMs, ratios;
    int64_t bytes = 0;
    for (auto _ : state) {
        const double a = ImageJobSeconds(without, iso, bytes);
        const double b = ImageJobSeconds(with, iso, bytes);
        if (a < 0 || b < 0) {
            state.SkipWithError("the image job failed");
            break;
        }
        withoutMs.push_back(1000 * a);
        withMs.push_back(1000 * b);
        ratios.push_back(b / a);
    }
    if (iso != "/dev/null") fs::remove(iso);
    if (ratios.empty()) return;
    state.SetBytesProcessed(bytes);
    state.counters["without_ms"] = Median(withoutMs);
    state.counters["with_ms"] = Median(withMs);
    state.counters["ratio"] = Median(ratios);
}

} // namespace

BENCHMARK(WebPagesInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(UsedEstimate)->Unit(benchmark::kMillisecond);
BENCHMARK(PagesOfAJob)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(ImageJobWithoutAndWithPages)->Unit(benchmark::kMillisecond)->Iterations(31)->UseRealTime();

BENCHMARK_MAIN();
