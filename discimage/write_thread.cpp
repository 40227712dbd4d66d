#include "write_thread.h"

#include "job_state.h"
#include "mcdburner.h"
#include "transport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

namespace {

// Writes all of `bytes`, resuming after interruptions; false on any write error.
bool WriteAll(int fd, const char* data, size_t bytes) {
    while (bytes > 0) {
        const ssize_t n = write(fd, data, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

TThWrite::TThWrite(TMCDBurner& burner, bool toFile)
    : ToFile(toFile), FBurner(burner), FCache(*Job().CacheThread) {}

void TThWrite::Execute() {
    // Time-critical where the system allows it; a refusal leaves the normal priority.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -20);
    FBurner.FBytesWritten = 0;
    FBurner.FCacheWaits = 0;
    if (ToFile) WriteToFile();
    else WriteToDrive();
    EndJob();
}

void TThWrite::Fail(const std::string& text) {
    FCache.SetErrorText(text);
    FCache.RequestStop();
}

void TThWrite::WriteLoop(const std::function<bool(const char*, int32_t)>& writeGroup) {
    std::vector<char> group(kCacheBlockSize);
    int32_t bytes = FCache.TakeBlock(group.data());
    while (bytes != 0) {
        if (bytes != -1) {
            FBurner.FBytesWritten += bytes;
            if (Job().Abort) {
                Fail("OPERATION ABORTED BY USER");
                return;
            }
            if (!writeGroup(group.data(), bytes)) return;
        }
        for (;;) {
            if (Job().Abort) {
                Fail("OPERATION ABORTED BY USER");
                return;
            }
            bytes = FCache.TakeBlock(group.data());
            if (!FCache.ErrorText().empty()) return;
            if (bytes != -1) break;
            ++FBurner.FCacheWaits;
            FCache.WaitForBlock(std::chrono::milliseconds(10));
        }
    }
}

void TThWrite::WriteToFile() {
    const std::string& fileName = FBurner.ISOFileName;
    const int fd = open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Fail("CAN'T CREATE FILE " + Quoted(fileName));
        return;
    }
    const std::string writeError = "CAN'T WRITE FILE " + Quoted(fileName);
    if (FCache.ErrorText().empty()) {
        WriteLoop([&](const char* group, int32_t bytes) {
            if (WriteAll(fd, group, static_cast<size_t>(bytes))) return true;
            Fail(writeError);
            return false;
        });
    }
    if (close(fd) != 0) Fail(writeError);
    // An image that was not completed is of no use to anyone: do not leave it behind.
    if (!FCache.ErrorText().empty()) unlink(fileName.c_str());
}

void TThWrite::EndJob() {
    TJobState& job = Job();
    // Taken out of the job state first: a handler may already start the next job.
    const std::unique_ptr<TCacheThread> cache = std::move(job.CacheThread);
    cache->EndProducer();  // the error text is final from here on
    std::lock_guard<std::mutex> lock(job.EndLock);
    if (TransportName() == "PTASPI32") RestartTransport();
    if (FBurner.OnWriteDone) FBurner.OnWriteDone(&FBurner, cache->ErrorText());
}
