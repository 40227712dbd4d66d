// TCacheThread: produces the bytes of a prepared image, in order, into a bounded cache of
// blocks of up to 31 sectors, which the recording thread takes one at a time.
//
// How an image ends:
// - The image has ended for the consumer as soon as `TakeBlock` returns 0: every byte
//   (padding included) has been taken, or the producer has stopped or failed and nothing is
//   listed any more. At that moment the producer may still be finishing its last steps, so
//   `ProducerDone` may still be false; nobody may rely on it then.
// - `EndProducer` is the end of the job for the cache: once it returns, the producer thread
//   has ended, `ProducerDone` is true and `ErrorText` is final. The recording thread calls it
//   before it reports the job's outcome; the destructor does the same.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

constexpr int32_t kCacheBlockSize = 63488;  // 31 sectors

class TCacheThread {
public:
    // `imageBytes` is TrackSectors x 2048; `header` the header sectors of the image. The
    // files come from the process-wide disc tree, which must not change during the job.
    TCacheThread(int32_t cacheSize, bool writePostGap, int64_t imageBytes, std::string header);
    // Stops the producer if it still runs, waits for it and releases every block.
    ~TCacheThread();
    TCacheThread(const TCacheThread&) = delete;
    TCacheThread& operator=(const TCacheThread&) = delete;

    void Start();

    // Copies the oldest block into `buffer` (at least kCacheBlockSize bytes) and returns its
    // length; -1 when none is ready yet, 0 once the image has ended (see above).
    int32_t TakeBlock(char* buffer);
    // Waits at most `limit` for a quarter of the cache to be filled (or the last blocks to be
    // listed), the end of the image or a stop: whichever comes first.
    void WaitForBlock(std::chrono::milliseconds limit);
    // Waits at most `limit` for the cache to become ready or the producer to fail.
    void WaitForReady(std::chrono::milliseconds limit);
    void RequestStop();
    // Stops a producer that still has bytes to deliver (a producer that delivered everything
    // ends without an error) and waits until its thread has ended.
    void EndProducer();

    bool Ready() const { return FReady; }
    bool ProducerDone() const { return FProducerDone; }
    bool StopRequested() const { return FStopRequested; }
    std::string ErrorText() const;
    // Sets the job's error text unless one is already there (one error text per job).
    void SetErrorText(const std::string& text);
    std::string CurrentFile() const;
    int32_t Capacity() const { return FCapacity; }
    int32_t ListedBlocks() const;

private:
    using TBlock = std::vector<char>;

    void Execute();
    void AppendBlock(TBlock block);
    bool QueueHeader();
    bool ProduceFiles();
    bool CopyFile(const std::string& path, int64_t size);
    bool CopyData(const std::string& name, const std::string& data, int64_t size);
    bool CopyPieces(int64_t size, const std::function<int32_t(char* at, int32_t length)>& read);
    void SetCurrentFile(const std::string& path);
    static int32_t ReadPiece(int fd, char* at, int32_t length);
    void FailWith(const std::string& text);  // a file error ends the producer
    void AppendPadding();
    bool WaitForSpace();
    TBlock SpareBlock();
    void SetPriorityTier(int tier);
    void FollowCacheLevel();
    void Stop();
    bool Halted() const { return FStopRequested || FTerminated; }

    mutable std::mutex FLock;
    // The waits of both sides are bounded re-checks; this wakes them as soon as the other side
    // has listed or taken a block, stopped or failed, so neither sleeps while there is work.
    std::condition_variable FChanged;
    std::deque<TBlock> FBlockList;
    static constexpr size_t kSpareBlocks = 4;
    std::vector<TBlock> FSpareBlocks;  // taken blocks kept for reuse
    const int32_t FCapacity;
    const bool FPad;
    int64_t FRemaining;
    const int64_t FImageBytes;
    std::string FHeader;
    TBlock FReadBuffer;
    int32_t FFill = 0;  // bytes of FReadBuffer in use, a multiple of 2048
    std::string FErrorText;
    std::string FCurrentFile;
    std::atomic<bool> FStopRequested{false};
    std::atomic<bool> FProducerDone{false};
    std::atomic<bool> FReady{false};
    bool FAllListed = false;  // the last block has been listed (guarded by FLock)
    std::atomic<bool> FTerminated{false};
    int FPriorityTier = -1;
    std::thread FThread;
};
