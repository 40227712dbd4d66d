// Reading an image file back after the job wrote it, and comparing it with what was written.
#include "drive_reads.h"
#include "job_state.h"
#include "mcdburner.h"
#include "write_thread.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr int64_t kReadBackSectors = 256;  // 512 KiB a read from a file
constexpr int kDriveReadAttempts = 3;       // for a block the drive could not read

// Reads up to `size` bytes at `offset`, resuming after interruptions and short reads; the
// bytes read, fewer at the end of the file, or -1 on a read error.
int64_t ReadAt(int fd, char* buffer, int64_t size, int64_t offset) {
    int64_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd, buffer + done, static_cast<size_t>(size - done), offset + done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += got;
    }
    return done;
}

} // namespace

// The written file is flushed and dropped from the page cache first, so that where the system
// allows it the comparison reads what the storage holds rather than what is still in memory.
void TThWrite::VerifyImageFile(int fd, const std::string& path) {
    const std::string readError = "CAN'T READ FILE \"" + FBurner.ISOFileName + "\"";
    if (fdatasync(fd) != 0) return Fail("CAN'T WRITE FILE \"" + FBurner.ISOFileName + "\"");
    (void)posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Fail(readError);
    (void)posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
    StartVerify();
    std::vector<char> buffer(static_cast<size_t>(kReadBackSectors * 2048));
    const int64_t total = FCheck.WrittenSectors();
    for (int64_t sector = 0; sector < total;) {
        if (Job().Abort) {
            Fail("OPERATION ABORTED BY USER");
            break;
        }
        const int64_t count = std::min(kReadBackSectors, total - sector);
        const int64_t got = ReadAt(in, buffer.data(), count * 2048, sector * 2048);
        const int64_t whole = got < 0 ? 0 : got / 2048;
        FCheck.CheckRead(sector, buffer.data(), whole);
        // A read error fails this stretch; the file ending early leaves the rest unread.
        if (whole < count) FCheck.MarkUnreadable(sector + whole, got < 0 ? count : total - sector - whole);
        if (got >= 0 && whole < count) break;
        sector += count;
        FBurner.FBytesVerified = sector * 2048;
    }
    close(in);
    EndVerify();
}

void TThWrite::StartVerify() {
    FBurner.FVerifying = true;
    if (FBurner.OnVerifying) FBurner.OnVerifying(&FBurner);
}

void TThWrite::EndVerify() {
    FBurner.FVerifying = false;
    if (!FCache.ErrorText().empty()) return;
    if (FCheck.BadSectors() > 0) return Fail(VerifyFailureText(FBurner, FCheck));
    FBurner.FVerified = true;
}

// The recorded blocks are read back from StartSector on; a drive still busy with the end of
// the recording is waited for. A stretch the drive cannot read is read again block by block.
void TThWrite::VerifyDrive() {
    if (!FCache.ErrorText().empty()) return;
    StartVerify();
    const int64_t readSectors = ReadBlocksPerRequest(FBurner);
    std::vector<char> buffer(static_cast<size_t>(readSectors * 2048));
    const int64_t total = FCheck.WrittenSectors();
    for (int64_t sector = 0; sector < total;) {
        if (Job().Abort) {
            Fail("OPERATION ABORTED BY USER");
            break;
        }
        const int64_t count = std::min(readSectors, total - sector);
        if (ReadFromDrive(sector, count, buffer.data())) {
            FCheck.CheckRead(sector, buffer.data(), count);
        } else if (!ReadBlockByBlock(sector, count, buffer.data())) {
            Fail("OPERATION ABORTED BY USER");
            break;
        }
        sector += count;
        FBurner.FBytesVerified = sector * 2048;
    }
    EndVerify();
}

// A stretch the drive could not read: each block a few times, so that exactly the bad ones
// count. A damaged disc can take the drive long for every failed read, so Abort is heeded
// between blocks.
bool TThWrite::ReadBlockByBlock(int64_t sector, int64_t count, char* buffer) {
    for (int64_t block = sector; block < sector + count; ++block) {
        if (Job().Abort) return false;
        bool read = false;
        for (int attempt = 0; attempt < kDriveReadAttempts && !read; ++attempt)
            read = ReadFromDrive(block, 1, buffer);
        if (read) FCheck.CheckRead(block, buffer, 1);
        else FCheck.MarkUnreadable(block, 1);
    }
    return true;
}

// The drive is asked to read the disc itself (FUA): the blocks just recorded may still be in
// its buffer, and a comparison with those would prove nothing. A drive that refuses the bit is
// read without it from then on.
bool TThWrite::ReadFromDrive(int64_t sector, int64_t count, char* buffer) {
    const auto lba = static_cast<uint32_t>(FBurner.StartSector + sector);
    const auto blocks = static_cast<uint16_t>(count);
    auto* data = reinterpret_cast<uint8_t*>(buffer);
    if (FReadFromMedium) {
        if (ReadWhenReady(FBurner, lba, blocks, data, true)) return true;
        if (!FieldRefused(FBurner)) return false;
        FReadFromMedium = false;
    }
    return ReadWhenReady(FBurner, lba, blocks, data);
}
