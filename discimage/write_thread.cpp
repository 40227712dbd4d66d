#include "write_thread.h"

#include "file_names.h"
#include "job_state.h"
#include "mcdburner.h"
#include "safe_file.h"
#include "temporary_names.h"
#include "transport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A target that exists and is neither a regular file nor a folder: a pipe or a device.
bool IsStreamTarget(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

} // namespace

TThWrite::TThWrite(TMCDBurner& burner, bool toFile)
    : ToFile(toFile), FBurner(burner), FCache(*Job().CacheThread) {}

void TThWrite::Execute() {
    // Time-critical where the system allows it; a refusal leaves the normal priority.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -20);
    FBurner.FBytesWritten = 0;
    FBurner.FCacheWaits = 0;
    FBurner.FVerified = false;
    FBurner.FBytesVerified = 0;
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

// An existing pipe or device takes the image as it comes. Any other target gets a new file
// beside it that replaces it only once the whole image is in, so a job that fails keeps the
// earlier image; temporary files that an ended job of ours left there go first.
void TThWrite::WriteToFile() {
    const std::string& fileName = FBurner.ISOFileName;
    const std::string createError = "CAN'T CREATE FILE " + Quoted(fileName);
    const std::string writeError = "CAN'T WRITE FILE " + Quoted(fileName);
    if (IsStreamTarget(fileName)) {
        const int fd = open(fileName.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return Fail(createError);
        WriteImageTo(fd, writeError);
        if (close(fd) != 0) Fail(writeError);
        return;
    }
    RemoveStaleTemporaryFiles(FolderPart(fileName));
    TSafeFile image(fileName);
    if (!image.Open()) return Fail(createError);
    WriteImageTo(image.Descriptor(), writeError);
    // Checked before it replaces the target, so that a bad image never replaces a good one.
    if (FCache.ErrorText().empty() && FBurner.Verify) VerifyImageFile(image.Descriptor(), image.TemporaryPath());
    if (FCache.ErrorText().empty() && !image.Commit()) Fail(writeError);
}

void TThWrite::WriteImageTo(int fd, const std::string& writeError) {
    if (!FCache.ErrorText().empty()) return;
    WriteLoop([&](const char* group, int32_t bytes) {
        if (FBurner.Verify) FCheck.AddWritten(group, bytes);
        if (WriteAll(fd, group, static_cast<size_t>(bytes))) return true;
        Fail(writeError);
        return false;
    });
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
