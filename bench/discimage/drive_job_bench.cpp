// A 600 MB album layout written by the drive job to a blank CD-R in the virtual recorder,
// beside the image-file job on the same layout: throughput, and how often the recording
// thread found the cache empty once recording had begun ("cache_waits").
// FOTOLARK_BENCH_MB changes the layout's size, FOTOLARK_BENCH_CACHE_MB the cache's (default
// 4 MB, as the program uses it); the files and images go to /dev/shm when it
// exists, so that the disk's write-back does not decide the result. FOTOLARK_BENCH_DISCARD=1
// sends both jobs' output to /dev/null instead: then only the engines' own paths are
// compared, without the system's cost of finding memory for a new image.
// FOTOLARK_BENCH_MEDIUM picks the virtual recorder's blank disc (default cdr; dvdplusr, bdr
// ...), FOTOLARK_BENCH_HASH=1 makes it keep only a SHA-256 of the recording, and
// FOTOLARK_BENCH_SPARSE=1 makes the photos sparse files on the temporary folder's disk: so a
// 4.4 GB DVD+R layout needs neither memory nor disk space:
//   FOTOLARK_BENCH_MB=4500 FOTOLARK_BENCH_MEDIUM=dvdplusr FOTOLARK_BENCH_HASH=1
//   FOTOLARK_BENCH_SPARSE=1 FOTOLARK_BENCH_DISCARD=1 drive_job_bench
// The drive job reports "vs_file_job", its throughput divided by the image-file job's of the
// same run. With FOTOLARK_BENCH_DISCARD=1 and no hashing the virtual recorder records to
// /dev/null, as the file job writes there: both media then cost nothing. A hashing medium
// costs the job the SHA-256 of every byte, which a real drive does not ask of the computer;
// "medium_hash_s" then tells how long SHA-256 of the same bytes takes on its own on this
// machine (measured after each job, outside its time): the bound of such a run.
#include "bench_disc_jobs.h"
#include "sha256.h"
#include "transport.h"

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

constexpr int64_t kPhotoBytes = 2621440;  // 2.5 MB

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct TLayout {
    fs::path Folder;
    int Photos = 0;

    TLayout() {
        const char* size = std::getenv("FOTOLARK_BENCH_MB");
        Photos = static_cast<int>((size ? std::atoll(size) : 600) * 1048576 / kPhotoBytes);
        const bool sparse = Setting("FOTOLARK_BENCH_SPARSE") == "1";
        Folder = (fs::exists("/dev/shm") && !sparse ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                 ("fotolark-drive-bench-" + std::to_string(getpid()));
        fs::create_directories(Folder / "Images");
        std::string bytes(kPhotoBytes, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 24);
        for (int n = 0; n < Photos; ++n) {
            std::ofstream(Photo(n), std::ios::binary) << (sparse ? "" : bytes);
            if (sparse) fs::resize_file(Photo(n), kPhotoBytes);
        }
    }
    ~TLayout() {
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }
    std::string Photo(int n) const { return BenchPhotoPath(Folder, n); }
    void FillTree(TMCDBurner& burner) const { AddBenchPhotos(burner, Folder, Photos); }
};

void SetBenchCacheSize(TMCDBurner& burner) {
    if (const char* size = std::getenv("FOTOLARK_BENCH_CACHE_MB"))
        burner.SetCacheSize(static_cast<int32_t>(std::atoll(size) * 1048576));
}

const TLayout& Layout() {
    static const TLayout layout;
    return layout;
}

// Where a job's output goes: `name` in the layout's folder, or /dev/null when discarding.
std::string OutputPath(const std::string& name) {
    const char* discard = std::getenv("FOTOLARK_BENCH_DISCARD");
    return discard && std::string(discard) == "1" ? "/dev/null" : (Layout().Folder / name).string();
}

// Runs one job started by `start` to its end; the job's error text.
std::string RunJob(TMCDBurner& burner, const std::function<void()>& start) {
    std::promise<std::string> done;
    burner.OnWriteDone = [&](TMCDBurner*, const std::string& error) { done.set_value(error); };
    start();
    const std::string error = done.get_future().get();
    burner.WaitForJob();
    return error;
}

// The image-file job's throughput in this run, for the drive job's comparison.
double FileJobBytesPerSecond = 0;

// Seconds that SHA-256 of `bytes` zero bytes takes in pieces of a WRITE group, as the hashing
// medium receives them (the sparse photos are zeros; the hash's speed does not depend on them).
double MediumHashSeconds(int64_t bytes) {
    const std::vector<uint8_t> piece(63488);
    vrec::TSha256 digest;  // the hashing medium's own
    const auto start = std::chrono::steady_clock::now();
    for (int64_t done = 0; done < bytes; done += static_cast<int64_t>(piece.size())) digest.Add(piece.data(), piece.size());
    benchmark::DoNotOptimize(digest.HexDigest());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(benchmark::State& state, int64_t bytes, int64_t cacheWaits) {
    state.SetBytesProcessed(bytes);
    state.counters["cache_waits"] = static_cast<double>(cacheWaits);
}

void IsoFileJob(benchmark::State& state) {
    const std::string iso = OutputPath("out.iso");
    int64_t bytes = 0, waits = 0;
    double elapsed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto burner = std::make_unique<TNoWaitBurner>();
        SetBenchCacheSize(*burner);
        Layout().FillTree(*burner);
        burner->PrepareImage(true);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (!RunJob(*burner, [&] { burner->WriteISOFile(iso); }).empty()) state.SkipWithError("the image job failed");
        elapsed += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bytes += burner->BytesWritten();
        waits += burner->CacheWaits();
    }
    if (iso != "/dev/null") fs::remove(iso);
    Report(state, bytes, waits);
    FileJobBytesPerSecond = static_cast<double>(bytes) / elapsed;
}

void DriveJob(benchmark::State& state) {
    if (chdir(VIRTUAL_RECORDER_DIR) != 0) return state.SkipWithError("no virtual recorder");
    const std::string disc = OutputPath("disc.img");
    const std::string medium = Setting("FOTOLARK_BENCH_MEDIUM").empty() ? "cdr" : Setting("FOTOLARK_BENCH_MEDIUM");
    const std::string keep = Setting("FOTOLARK_BENCH_HASH") == "1" ? "hash=" + (Layout().Folder / "disc.sha256").string()
                                                                    : "image=" + disc;
    setenv("VREC_DRIVES", ("letter=D,medium=" + medium + "," + keep).c_str(), 1);
    const bool hashing = Setting("FOTOLARK_BENCH_HASH") == "1";
    int64_t bytes = 0, waits = 0;
    double elapsed = 0, hashSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto burner = std::make_unique<TNoWaitBurner>();
        burner->InitializeASPI(false);  // a fresh blank disc
        burner->SelectDriveLetter('D');
        SetBenchCacheSize(*burner);
        Layout().FillTree(*burner);
        burner->PrepareImage(false);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (const std::string error = RunJob(*burner, [&] { burner->BurnCD(); }); !error.empty()) {
            state.SkipWithError(("the drive job failed: " + error).c_str());
            break;
        }
        elapsed += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bytes += burner->BytesWritten();
        waits += burner->CacheWaits();
        state.PauseTiming();
        if (hashing) hashSeconds += MediumHashSeconds(burner->BytesWritten());
        burner.reset();
        StopTransport();
        state.ResumeTiming();
    }
    if (disc != "/dev/null") fs::remove(disc);
    Report(state, bytes, waits);
    if (FileJobBytesPerSecond > 0 && elapsed > 0)
        state.counters["vs_file_job"] = static_cast<double>(bytes) / elapsed / FileJobBytesPerSecond;
    if (hashing) state.counters["medium_hash_s"] = hashSeconds / static_cast<double>(state.iterations());
}

BENCHMARK(IsoFileJob)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(DriveJob)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
