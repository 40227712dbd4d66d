// Reading back after writing, against a plain sequential read of the same image file.
// A 1.5 GB layout written to an image file and a 600 MB layout recorded on a DVD-R in the
// virtual recorder, both with Verify: the time measured is the read-back alone, from the job's
// OnVerifying to its end. Beside it, in the same run, `dd` of the same image file to /dev/null.
// Both read the same file from the storage: it is dropped from the page cache before each read
// (the job drops its image itself; the virtual recorder's disc is dropped when reading back
// begins, so that its reads come from the medium rather than the drive's cache).
// The storage must be in the same state for both. On a virtual machine the first read of a
// file just written is several times slower than the next ones, and the next few still grow
// quicker (the disk is the host's cache). So the file is read once, untimed, as reading back
// begins; then dd reads it right before the read-back and again right after the job, and the
// read-back is set against the mean of the two, which cancels a steady change of speed. Now
// and then one read stalls on the host; the median of the runs' ratios is not moved by that.
// Counters: the read-back's and dd's throughput (medians of the runs), their ratio (goal at
// least 0.9; the median of the runs' ratios) and the process's peak memory (goal under
// 64 MB). FOTOLARK_BENCH_RUNS=1 prints each run's figures.
// The drive is read back behind two host adapters: one that takes 1280 KiB in a request (what
// Linux gives a SATA drive by default), and one that takes the virtual recorder's own 64 KiB, so
// that every READ (10) asks for 32 blocks; the argument is the adapter's limit in KiB.
// FOTOLARK_BENCH_IMAGE_MB and FOTOLARK_BENCH_DRIVE_MB change the sizes; the files go to the
// temporary folder (TMPDIR), on disk.
#include "bench_disc_jobs.h"
#include "transport.h"
#include "../support/bench_figures.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int64_t kPhotoBytes = 2500000;

int64_t SizeSetting(const char* name, int64_t fallback) {
    const char* value = std::getenv(name);
    return (value ? std::atoll(value) : fallback) * 1000000;
}

// Photos of varied bytes in a folder of the temporary folder, removed at the end.
struct TLayout {
    fs::path Folder;
    int Photos = 0;

    TLayout(const std::string& name, int64_t bytes) : Photos(static_cast<int>(bytes / kPhotoBytes)) {
        Folder = fs::temp_directory_path() / ("fotolark-verify-bench-" + name + "-" + std::to_string(getpid()));
        fs::create_directories(Folder / "Images");
        std::string data(kPhotoBytes, '\0');
        for (int n = 0; n < Photos; ++n) {
            for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i + n) * 2654435761u >> 24);
            std::ofstream(Photo(n), std::ios::binary) << data;
        }
    }
    ~TLayout() {
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }
    std::string Photo(int n) const { return BenchPhotoPath(Folder, n); }
    void FillTree(TMCDBurner& burner) const { AddBenchPhotos(burner, Folder, Photos); }
};

// Flushes `path` and drops it from the page cache, so that the next read comes from storage.
void DropFromCache(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    (void)fdatasync(fd);
    (void)posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
}

// Removes the image of the run before and lets the file system finish freeing it. The job
// would otherwise replace it as it ends, and freeing 1.5 GB (ext4 returning the blocks to the
// storage) takes half a second here, inside the time measured though no reading is in it.
void RemoveEarlierImage(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
    const int folder = open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    (void)syncfs(folder);
    close(folder);
}

double Seconds(TClock::time_point from, TClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Seconds of `dd` reading the whole of `path` from the storage, per byte of the file times
// `bytes`: the time a plain read of `bytes` takes.
double DdSeconds(const std::string& path, int64_t bytes) {
    DropFromCache(path);
    const auto start = TClock::now();
    const std::string command = "dd if='" + path + "' of=/dev/null bs=1M status=none";
    const bool read = std::system(command.c_str()) == 0;
    const double seconds = Seconds(start, TClock::now());
    return read ? seconds * static_cast<double>(bytes) / static_cast<double>(fs::file_size(path)) : 0;
}

// Run as reading back begins: the first read of the new file, untimed, then dd's timed read
// before the read-back (its seconds), and the file dropped from the cache for the read-back.
double DdBeforeReadBack(const std::string& path, int64_t bytes) {
    (void)DdSeconds(path, bytes);
    const double seconds = DdSeconds(path, bytes);
    DropFromCache(path);
    return seconds;
}

// The image a job is writing: the file beside `target` that will replace it.
std::string TemporaryImage(const fs::path& folder, const std::string& target) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path() != target) return entry.path().string();
    return target;
}

double PeakMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// Runs one verified job started by `start`; the seconds of its read-back, or 0 when it failed.
// `beforeReading` runs on the job's thread as reading back begins, before the clock starts.
double ReadBackSeconds(TMCDBurner& burner, const std::function<void()>& start,
                       const std::function<void()>& beforeReading, std::string& error) {
    std::promise<std::string> done;
    TClock::time_point readingFrom{}, ended{};
    burner.OnVerifying = [&](TMCDBurner*) {
        beforeReading();
        readingFrom = TClock::now();
    };
    burner.OnWriteDone = [&](TMCDBurner*, const std::string& text) {
        ended = TClock::now();
        done.set_value(text);
    };
    burner.Verify = true;
    start();
    error = done.get_future().get();
    burner.WaitForJob();
    if (error.empty() && !burner.Verified()) error = "nothing was read back";
    return error.empty() ? Seconds(readingFrom, ended) : 0;
}

// The storage's speed swings from run to run (more so on a virtual machine, whose disk is the
// host's cache): each run's read-back is set against its own dd.
struct TRuns {
    std::vector<double> ReadBack, Dd, Ratio;
    int64_t Bytes = 0;

    // `ddBefore` and `ddAfter`: the seconds of dd's reads right before and right after.
    void Add(int64_t bytes, double readBack, double ddBefore, double ddAfter) {
        const double dd = (ddBefore + ddAfter) / 2;
        Bytes += bytes;
        ReadBack.push_back(static_cast<double>(bytes) / 1e6 / readBack);
        Dd.push_back(static_cast<double>(bytes) / 1e6 / dd);
        Ratio.push_back(dd / readBack);
        if (std::getenv("FOTOLARK_BENCH_RUNS")) std::fprintf(stderr, "read-back %.0f MB/s, dd %.0f MB/s\n", ReadBack.back(), Dd.back());
    }
    void Report(benchmark::State& state) const {
        state.SetBytesProcessed(Bytes);
        state.counters["read_back_MBps"] = Median(ReadBack);
        state.counters["dd_MBps"] = Median(Dd);
        state.counters["ratio_to_dd"] = Median(Ratio);
        state.counters["peak_MB"] = PeakMB();
    }
};

void ImageFileReadBack(benchmark::State& state) {
    const TLayout layout("image", SizeSetting("FOTOLARK_BENCH_IMAGE_MB", 1536));
    const std::string iso = (layout.Folder / "out.iso").string();
    TRuns runs;
    for (auto _ : state) {
        RemoveEarlierImage(iso);
        auto burner = std::make_unique<TNoWaitBurner>();
        layout.FillTree(*burner);
        burner->PrepareImage(true);
        double ddBefore = 0;
        std::string error;
        const double seconds = ReadBackSeconds(
            *burner, [&] { burner->WriteISOFile(iso); },
            [&] { ddBefore = DdBeforeReadBack(TemporaryImage(layout.Folder, iso), burner->BytesWritten()); },
            error);
        if (!error.empty()) return state.SkipWithError(("the image job failed: " + error).c_str());
        state.SetIterationTime(seconds);
        runs.Add(burner->BytesVerified(), seconds, ddBefore, DdSeconds(iso, burner->BytesVerified()));
    }
    runs.Report(state);
}

void DriveReadBack(benchmark::State& state) {
    if (chdir(VIRTUAL_RECORDER_DIR) != 0) return state.SkipWithError("no virtual recorder");
    const TLayout layout("drive", SizeSetting("FOTOLARK_BENCH_DRIVE_MB", 600));
    const std::string disc = (layout.Folder / "disc.img").string();
    TRuns runs;
    for (auto _ : state) {
        RemoveEarlierImage(disc);
        setenv("VREC_DRIVES", ("letter=D,medium=dvdr,image=" + disc).c_str(), 1);
        setenv("VREC_MAXTRANSFER", std::to_string(state.range(0) * 1024).c_str(), 1);
        auto burner = std::make_unique<TNoWaitBurner>();
        burner->InitializeASPI(false);  // a fresh blank disc
        burner->SelectDriveLetter('D');
        layout.FillTree(*burner);
        burner->PrepareImage(false);
        double ddBefore = 0;
        std::string error;
        const double seconds = ReadBackSeconds(
            *burner, [&] { burner->BurnCD(); },
            [&] { ddBefore = DdBeforeReadBack(disc, burner->BytesWritten()); },
            error);
        if (!error.empty()) return state.SkipWithError(("the drive job failed: " + error).c_str());
        state.SetIterationTime(seconds);
        const int64_t verified = burner->BytesVerified();
        burner.reset();
        StopTransport();
        runs.Add(verified, seconds, ddBefore, DdSeconds(disc, verified));
    }
    runs.Report(state);
}

BENCHMARK(ImageFileReadBack)->Unit(benchmark::kMillisecond)->Iterations(9)->UseManualTime();
BENCHMARK(DriveReadBack)
    ->Arg(1280)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(9)
    ->UseManualTime();

} // namespace

BENCHMARK_MAIN();
