#include "cache_thread.h"

#include "disc_tables.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

constexpr int64_t kPaddedImageBytes = 614400;  // 300 sectors
constexpr int32_t kSector = 2048;

// Set only while the cache lock is held; the other side sleeps instead of entering meanwhile.
std::atomic<bool> ProducerBusy{false};
std::atomic<bool> ConsumerBusy{false};

enum { tpNormal, tpLower, tpLowest, tpIdle };

// Scheduling priority of the calling thread as a nice value; refusals are ignored.
void SetThreadNice(int nice) {
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    (void)setpriority(PRIO_PROCESS, tid, nice);
}

int32_t RoundUpToSector(int64_t bytes) {
    return static_cast<int32_t>((bytes + kSector - 1) / kSector * kSector);
}

} // namespace

TCacheThread::TCacheThread(int32_t cacheSize, bool writePostGap, int64_t imageBytes, std::string header)
    : FCapacity(cacheSize / 65536),
      FPad(writePostGap && imageBytes < kPaddedImageBytes),
      // The padding is counted from the start: once every byte has been taken, the image has
      // ended, and the recording thread need not wait for the producer to notice.
      FRemaining(FPad ? kPaddedImageBytes : imageBytes),
      FImageBytes(imageBytes),
      FHeader(std::move(header)) {}

TCacheThread::~TCacheThread() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FTerminated = true;
    }
    FChanged.notify_all();
    if (FThread.joinable()) FThread.join();
}

void TCacheThread::EndProducer() {
    RequestStop();
    if (FThread.joinable()) FThread.join();
}

void TCacheThread::Start() {
    FThread = std::thread([this] {
        SetPriorityTier(tpLower);
        Execute();
    });
}

std::string TCacheThread::ErrorText() const {
    std::lock_guard<std::mutex> lock(FLock);
    return FErrorText;
}

void TCacheThread::SetErrorText(const std::string& text) {
    std::lock_guard<std::mutex> lock(FLock);
    if (FErrorText.empty()) FErrorText = text;
}

std::string TCacheThread::CurrentFile() const {
    std::lock_guard<std::mutex> lock(FLock);
    return FCurrentFile;
}

int32_t TCacheThread::ListedBlocks() const {
    std::lock_guard<std::mutex> lock(FLock);
    return static_cast<int32_t>(FBlockList.size());
}

void TCacheThread::Execute() {
    FReadBuffer.resize(kCacheBlockSize);
    if (!QueueHeader() || !ProduceFiles()) return;
    if (FFill > 0) {
        FReadBuffer.resize(static_cast<size_t>(FFill));
        AppendBlock(std::move(FReadBuffer));
    }
    if (FPad) AppendPadding();
    {
        std::unique_lock<std::mutex> lock(FLock);
        FReady = true;
        FAllListed = true;
        FChanged.notify_all();
        while (FRemaining > 0 && !Halted()) FChanged.wait_for(lock, std::chrono::milliseconds(10));
        FProducerDone = true;
    }
    FChanged.notify_all();
}

void TCacheThread::AppendBlock(TBlock block) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        ProducerBusy = true;
        FBlockList.push_back(std::move(block));
        ProducerBusy = false;
    }
    FChanged.notify_all();
}

// Every header block is listed at once, even beyond the capacity.
bool TCacheThread::QueueHeader() {
    for (size_t at = 0; at < FHeader.size(); at += kCacheBlockSize) {
        const size_t length = std::min<size_t>(kCacheBlockSize, FHeader.size() - at);
        AppendBlock(TBlock(FHeader.begin() + static_cast<std::ptrdiff_t>(at),
                           FHeader.begin() + static_cast<std::ptrdiff_t>(at + length)));
    }
    FHeader.clear();
    FHeader.shrink_to_fit();
    if (!WaitForSpace()) {
        Stop();
        return false;
    }
    return true;
}

// Directories in creation order, entries in list order: the order of the file data area.
bool TCacheThread::ProduceFiles() {
    for (int32_t d = 0; d < DirCount; ++d) {
        for (const TFEntry* entry = DirList[d]->FirstChild; entry; entry = entry->Next) {
            if (entry->IsDirectory() || entry->SourcePath.empty() || entry->Size <= 0) continue;
            const bool copied = entry->Data ? CopyData(entry->SourcePath, *entry->Data, entry->Size)
                                            : CopyFile(entry->SourcePath, entry->Size);
            if (!copied) return false;
        }
    }
    return true;
}

// Reads exactly `size` bytes of the file, sector-aligned, into blocks.
bool TCacheThread::CopyFile(const std::string& path, int64_t size) {
    SetCurrentFile(path);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        FailWith("CAN'T OPEN FILE \"" + path + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
        return false;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const bool ok = CopyPieces(size, [&](char* at, int32_t length) {
        const int32_t got = ReadPiece(fd, at, length);
        if (got < 0) FailWith("CAN'T READ FILE \"" + path + "\"");
        return got;
    });
    close(fd);
    return ok;
}

// `size` bytes of a file held in memory (fewer when it holds less), sector-aligned, into blocks.
bool TCacheThread::CopyData(const std::string& name, const std::string& data, int64_t size) {
    SetCurrentFile(name);
    size_t offset = 0;
    return CopyPieces(size, [&](char* at, int32_t length) {
        const size_t n = std::min(static_cast<size_t>(length), data.size() - std::min(offset, data.size()));
        std::memcpy(at, data.data() + offset, n);
        offset += n;
        return static_cast<int32_t>(n);
    });
}

void TCacheThread::SetCurrentFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(FLock);
    FCurrentFile = path;
}

// Fills blocks with `size` bytes that `read` delivers piece by piece (fewer at the source's
// end, -1 after it has failed the job), each piece rounded up to whole sectors.
bool TCacheThread::CopyPieces(int64_t size, const std::function<int32_t(char* at, int32_t length)>& read) {
    int64_t left = size;
    bool ok = true;
    while (left > 0 && ok) {
        const int32_t piece = static_cast<int32_t>(std::min<int64_t>(left, kCacheBlockSize - FFill));
        char* at = FReadBuffer.data() + FFill;
        const int32_t got = read(at, piece);
        if (got < 0) {
            ok = false;
            break;
        }
        // Bytes a file no longer has (it became shorter) and the rest of its last sector are zero.
        const int32_t used = RoundUpToSector(piece);
        std::memset(at + got, 0, static_cast<size_t>(used - got));
        FFill += used;
        left -= piece;

        ok = !FStopRequested;
        if (ok) {
            while (ConsumerBusy) std::this_thread::yield();
            if (FFill == kCacheBlockSize) {
                AppendBlock(std::move(FReadBuffer));
                FReadBuffer = SpareBlock();
                FFill = 0;
            }
            FollowCacheLevel();
            ok = WaitForSpace();
        }
        if (!ok) Stop();
    }
    return ok;
}

// Up to `length` bytes into `at`; fewer at the end of the file, -1 on a read error.
int32_t TCacheThread::ReadPiece(int fd, char* at, int32_t length) {
    int32_t got = 0;
    while (got < length) {
        const ssize_t n = read(fd, at + got, static_cast<size_t>(length - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<int32_t>(n);
    }
    return got;
}

void TCacheThread::FailWith(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (FErrorText.empty()) FErrorText = text;
        FProducerDone = true;
    }
    FChanged.notify_all();
}

// Pads a short image to 300 sectors with FFh bytes.
void TCacheThread::AppendPadding() {
    int64_t padding = kPaddedImageBytes - FImageBytes;
    {
        std::lock_guard<std::mutex> lock(FLock);
        ProducerBusy = true;
        while (padding > 0) {
            const auto length = static_cast<size_t>(std::min<int64_t>(padding, kCacheBlockSize));
            FBlockList.emplace_back(length, static_cast<char>(0xFF));
            padding -= static_cast<int64_t>(length);
        }
        ProducerBusy = false;
    }
    FChanged.notify_all();
}

// Waits, at idle priority, while the cache holds capacity - 1 blocks or more. False when a
// stop was requested meanwhile.
bool TCacheThread::WaitForSpace() {
    if (ListedBlocks() < FCapacity - 1) return !Halted();
    SetPriorityTier(tpIdle);
    std::unique_lock<std::mutex> lock(FLock);
    FReady = true;
    FChanged.notify_all();
    while (static_cast<int32_t>(FBlockList.size()) >= FCapacity - 1 && !Halted())
        FChanged.wait_for(lock, std::chrono::milliseconds(1));
    return !Halted();
}

// A full-sized block the consumer has finished with, or a new one: reusing them spares the
// allocation and the zero-filling of 62 KB for every block.
TCacheThread::TBlock TCacheThread::SpareBlock() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (!FSpareBlocks.empty()) {
            TBlock block = std::move(FSpareBlocks.back());
            FSpareBlocks.pop_back();
            return block;
        }
    }
    return TBlock(kCacheBlockSize);
}

void TCacheThread::FollowCacheLevel() {
    const int32_t listed = ListedBlocks();
    if (listed < FCapacity / 4) SetPriorityTier(tpNormal);
    else if (listed < FCapacity / 2) SetPriorityTier(tpLower);
    else SetPriorityTier(tpLowest);
}

void TCacheThread::SetPriorityTier(int tier) {
    if (tier == FPriorityTier) return;
    static constexpr int kNice[] = {0, 2, 5, 19};
    SetThreadNice(kNice[tier]);
    FPriorityTier = tier;
}

void TCacheThread::Stop() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FBlockList.clear();
        // A stop that comes after every byte was taken ends a complete image: no abort.
        if (FErrorText.empty() && FStopRequested && FRemaining > 0) FErrorText = "OPERATION ABORTED BY USER";
        FProducerDone = true;
    }
    FChanged.notify_all();
}

void TCacheThread::RequestStop() {
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopRequested = true;
    }
    FChanged.notify_all();
}

void TCacheThread::WaitForBlock(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(FLock);
    // An empty cache is refilled by a quarter before the consumer goes on: taking each block
    // the moment it is listed would hand the processor back and forth for every block.
    const size_t refill = static_cast<size_t>(std::max(1, FCapacity / 4));
    FChanged.wait_for(lock, limit, [this, refill] {
        return FBlockList.size() >= refill || (FAllListed && !FBlockList.empty()) || FRemaining <= 0 ||
               FProducerDone || FStopRequested;
    });
}

void TCacheThread::WaitForReady(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(FLock);
    FChanged.wait_for(lock, limit, [this] { return FReady || !FErrorText.empty(); });
}

int32_t TCacheThread::TakeBlock(char* buffer) {
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (FRemaining <= 0) return 0;
        if (FBlockList.empty()) return FProducerDone ? 0 : -1;
    }
    while (ProducerBusy) {
        if (FStopRequested) return 0;
        std::this_thread::yield();
    }
    TBlock block;
    {
        std::lock_guard<std::mutex> lock(FLock);
        if (FBlockList.empty()) return FProducerDone ? 0 : -1;
        ConsumerBusy = true;
        block = std::move(FBlockList.front());
        FBlockList.pop_front();
        FRemaining -= static_cast<int64_t>(block.size());
        ConsumerBusy = false;
    }
    FChanged.notify_all();
    // The block is ours once it has left the list: copy it without holding up the producer.
    std::memcpy(buffer, block.data(), block.size());
    const auto length = static_cast<int32_t>(block.size());
    if (length == kCacheBlockSize) {
        std::lock_guard<std::mutex> lock(FLock);
        if (FSpareBlocks.size() < kSpareBlocks) FSpareBlocks.push_back(std::move(block));
    }
    return length;
}
