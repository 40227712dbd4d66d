#include "scan_test_support.h"

#include "hang_guard.h"

#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

// SANE's entry points are plain C functions, so the wrapped backend lives here.
std::mutex gBackendMutex;
TSaneApi gBackend;
std::set<std::string> gReaders;  // thread ids that appeared during the last sane_start
std::string gStarterName;        // the name of the thread that called it
std::int64_t gFrameBytesLeft = -1;  // of the frame that sane_start began; -1 when unknown

std::set<std::string> ThreadsOfThisProcess() {
    std::set<std::string> threads;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        threads.insert(entry.path().filename().string());
    return threads;
}

// A thread's name; empty once it has gone.
std::string ThreadName(const std::string& thread) {
    std::ifstream comm("/proc/self/task/" + thread + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// What is left of the current frame for the frontend to read; -1 when the backend did not say.
std::int64_t FrameBytesLeft(SANE_Handle device) {
    SANE_Parameters frame{};
    if (gBackend.get_parameters(device, &frame) != SANE_STATUS_GOOD || frame.lines < 0) return -1;
    return std::int64_t(frame.bytes_per_line) * frame.lines;
}

SANE_Status StartNotingReaders(SANE_Handle device) {
    const std::lock_guard lock(gBackendMutex);
    gStarterName = ThreadName(std::to_string(gettid()));
    const std::set<std::string> before = ThreadsOfThisProcess();
    const SANE_Status status = gBackend.start(device);
    gReaders.clear();
    for (const std::string& thread : ThreadsOfThisProcess())
        if (!before.count(thread)) gReaders.insert(thread);
    gFrameBytesLeft = status == SANE_STATUS_GOOD ? FrameBytesLeft(device) : -1;
    return status;
}

// A backend's reader keeps the name of the thread that started the scan, as a new thread does
// on Linux; other threads of the process that began meanwhile (Qt's pooled ones) name
// themselves and are not waited for.
bool IsRunningReader(const std::string& thread) {
    return ThreadName(thread) == gStarterName;
}

// Whether the thread sleeps in write(2), as a reader does while the pipe is full.
bool WaitsInWrite(const std::string& thread) {
    std::ifstream syscall("/proc/self/task/" + thread + "/syscall");
    std::string number;
    syscall >> number;
    return number == std::to_string(SYS_write);
}

// A thread leaves /proc/self/task only after its last step, the release of its malloc caches.
void WaitWhileAnyReader(const std::function<bool(const std::string&)>& busy) {
    const auto giveUp = std::chrono::steady_clock::now() + kHangGuard;
    while (std::any_of(gReaders.begin(), gReaders.end(), busy) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void WaitUntilReadersEnded() {
    WaitWhileAnyReader(IsRunningReader);
}

// The backend also ends the reader in the sane_read that hands over the frame's last byte, or
// that finds the pipe closed, when the reader may still be on its way out. With the frame's
// length known, reads stop short of its last part, which then fits in the pipe: the reader can
// write it all and end, and is waited for before that part is read. With the length unknown,
// each read waits until the reader has ended or sleeps on a full pipe, which then holds more.
constexpr std::int64_t kLastPart = 32 * 1024;  // well within a pipe's 64 KiB

SANE_Status ReadAfterReaders(SANE_Handle device, SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) {
    const std::lock_guard lock(gBackendMutex);
    if (gFrameBytesLeft > kLastPart)
        maxLength = SANE_Int(std::min<std::int64_t>(maxLength, gFrameBytesLeft - kLastPart));
    else if (gFrameBytesLeft >= 0)
        WaitUntilReadersEnded();
    else
        WaitWhileAnyReader([](const std::string& thread) { return IsRunningReader(thread) && !WaitsInWrite(thread); });
    const SANE_Status status = gBackend.read(device, data, maxLength, length);
    if (status == SANE_STATUS_GOOD && gFrameBytesLeft > 0)
        gFrameBytesLeft = std::max<std::int64_t>(0, gFrameBytesLeft - *length);
    return status;
}

void CancelWhenReadersEnded(SANE_Handle device) {
    const std::lock_guard lock(gBackendMutex);
    WaitUntilReadersEnded();
    gBackend.cancel(device);
}

} // namespace

TSaneApi StopReadersOnlyOnceEnded(const TSaneApi& api) {
    const std::lock_guard lock(gBackendMutex);
    gBackend = api;
    gReaders.clear();
    gFrameBytesLeft = -1;
    TSaneApi wrapped = api;
    wrapped.start = StartNotingReaders;
    wrapped.read = ReadAfterReaders;
    wrapped.cancel = CancelWhenReadersEnded;
    return wrapped;
}

TScanOutcome TScriptedScan::Run(const TSaneApi& api, SANE_Handle device, const std::string&) {
    TSaneOptions options(api, device);
    if (FSetOptions) FSetOptions(options);
    const std::atomic<bool> never{false};
    Outcome = ScanPages(StopReadersOnlyOnceEnded(api), device, ScansFromFeeder(options), never);
    return Outcome;
}

TOpenTestDevice::TOpenTestDevice(const char* name) {
    if (!FLibrary.Load(kSaneLibraryName)) return;
    FInitialised = Api().init(nullptr, nullptr) == SANE_STATUS_GOOD;
    if (FInitialised && Api().open(name, &FDevice) != SANE_STATUS_GOOD) FDevice = nullptr;
}

TOpenTestDevice::~TOpenTestDevice() {
    if (FDevice) Api().close(FDevice);
    if (FInitialised) Api().exit();
}

std::optional<TBitmap32> ScanTestPage(const std::string& source, std::function<void(TSaneOptions&)> setOptions,
                                      TScanOutcome* outcome) {
    TScriptedScan dialog(std::move(setOptions));
    TAcquireImage scanner;
    scanner.UserInterface = &dialog;
    scanner.DefaultSource = source;
    std::optional<TBitmap32> page = AcquireFromDefaultSource(scanner);
    if (outcome) *outcome = dialog.Outcome;
    return page;
}

namespace {

// The next header number of a PNM file, skipping white space and comments.
bool ReadHeaderNumber(std::istream& in, int& value) {
    for (;;) {
        in >> std::ws;
        if (in.peek() != '#') break;
        std::string comment;
        std::getline(in, comment);
    }
    return bool(in >> value);
}

} // namespace

TBitmap32 DecodePnm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int width = 0, height = 0, maxValue = 1;
    in >> magic;
    if (magic != "P4" && magic != "P5" && magic != "P6") return {};
    if (!ReadHeaderNumber(in, width) || !ReadHeaderNumber(in, height)) return {};
    if (magic != "P4" && !ReadHeaderNumber(in, maxValue)) return {};
    in.get();  // the single white-space character before the samples
    const std::string data = bytes.substr(std::size_t(in.tellg()));
    const int channels = magic == "P6" ? 3 : 1;
    const int sampleBytes = maxValue > 255 ? 2 : 1;
    TBitmap32 picture(width, height);
    const auto sample = [&](std::size_t index) -> unsigned {
        if (sampleBytes == 1) return std::uint8_t(data[index]);
        const unsigned value = std::uint8_t(data[2 * index]) << 8 | std::uint8_t(data[2 * index + 1]);
        return (value * 255 + 32767) / 65535;
    };
    const std::size_t rowBytes = magic == "P4" ? std::size_t(width + 7) / 8 : std::size_t(width) * channels * sampleBytes;
    if (data.size() < rowBytes * std::size_t(height)) return {};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (magic == "P4") {
                const bool black = (std::uint8_t(data[std::size_t(y) * rowBytes + std::size_t(x) / 8]) >> (7 - x % 8)) & 1;
                picture.SetPixel(x, y, black ? clBlack32 : clWhite32);
                continue;
            }
            const std::size_t first = (std::size_t(y) * width + x) * channels;
            const unsigned r = sample(first);
            picture.SetPixel(x, y, channels == 3 ? Color32(r, sample(first + 1), sample(first + 2)) : Color32(r, r, r));
        }
    return picture;
}

// scanimage itself now and then never ends (seen once in about ten thousand runs here, with the
// same test backend and options that it reads at once otherwise): such a run is ended and the
// picture asked for once more, since the program under test is not the one that hung.
std::string RunScanimage(const std::vector<std::string>& arguments) {
    constexpr int kHungMs = 30000;  // several hundred times what one page takes
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    for (int attempt = 0; attempt < 2; ++attempt) {
        QProcess process;
        process.start(QStringLiteral("scanimage"), list);
        if (process.waitForFinished(kHungMs)) return process.readAllStandardOutput().toStdString();
        process.kill();
        process.waitForFinished(HangGuardMs);
    }
    return "";
}
