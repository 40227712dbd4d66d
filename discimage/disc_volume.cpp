#include "disc_volume.h"

#include "drive_reads.h"
#include "joliet_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <set>

namespace {

constexpr int kReadAttempts = 3;
constexpr int kMaxDescriptors = 32;          // descriptors looked at before giving up on a terminator
constexpr uint32_t kMaxDirectoryBytes = 32u << 20;
constexpr size_t kMaxEntries = 2000000;
constexpr int kMaxDepth = 64;

uint32_t Little32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

std::string Folded(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A Joliet identifier (UCS-2, big-endian) as UTF-8.
std::string FromUcs2(const unsigned char* p, size_t bytes) {
    std::string text;
    for (size_t i = 0; i + 1 < bytes; i += 2) AppendUtf8(text, static_cast<char32_t>(p[i] << 8 | p[i + 1]));
    return text;
}

// A file identifier without its version (";1") and, for names without extension, the dot.
std::string FileName(std::string name) {
    const size_t version = name.rfind(';');
    if (version != std::string::npos) name.erase(version);
    if (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

struct TDirectory {
    std::string Path;  // "" for the root
    uint32_t Start, Size;
    int Depth;
};

class TTreeReader {
public:
    TTreeReader(TBlockSource& source, TDiscVolume& volume, std::string& error)
        : FSource(source), FVolume(volume), FError(error) {}

    bool ReadTree(const unsigned char* rootRecord) {
        std::deque<TDirectory> pending{{"", Little32(rootRecord + 2), Little32(rootRecord + 10), 0}};
        while (!pending.empty()) {
            const TDirectory dir = pending.front();
            pending.pop_front();
            if (!ReadDirectory(dir, pending)) return false;
        }
        return true;
    }

private:
    bool Fail(const TDirectory& dir, const std::string& why) {
        FError = "the directory " + (dir.Path.empty() ? std::string("\\") : dir.Path) + " " + why;
        return false;
    }

    bool ReadDirectory(const TDirectory& dir, std::deque<TDirectory>& pending) {
        if (dir.Depth > kMaxDepth) return Fail(dir, "lies deeper than " + std::to_string(kMaxDepth) + " levels");
        if (!FVisited.insert(dir.Start).second) return Fail(dir, "loops back to a directory read before");
        if (dir.Size > kMaxDirectoryBytes) return Fail(dir, "is too large to be real");
        const uint32_t blocks = (dir.Size + 2047) / 2048;
        if (uint64_t(dir.Start) + blocks > FVolume.End) return Fail(dir, "lies past the end of the volume");
        std::vector<char> data(size_t(blocks) * 2048);
        for (uint32_t at = 0; at < blocks; at += FSource.MaxReadBlocks()) {
            const uint32_t count = std::min(FSource.MaxReadBlocks(), blocks - at);
            if (ReadRetrying(FSource, dir.Start + at, count, data.data() + size_t(at) * 2048) > 0)
                return Fail(dir, "cannot be read");
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
        for (size_t at = 0; at < dir.Size;) {
            const size_t length = bytes[at];
            if (length == 0) {  // the rest of this block is unused
                at = (at / 2048 + 1) * 2048;
                continue;
            }
            const size_t nameLength = at + 33 <= dir.Size ? bytes[at + 32] : 0;
            if (length < 34 || 33 + nameLength > length || at % 2048 + length > 2048 || at + length > dir.Size)
                return Fail(dir, "holds a damaged record");
            const unsigned char* record = bytes + at;
            at += length;
            if (nameLength == 1 && (record[33] == 0 || record[33] == 1)) continue;  // itself, its parent
            if (++FEntries > kMaxEntries) return Fail(dir, "holds more entries than a disc can");
            const std::string name = FVolume.Joliet ? FromUcs2(record + 33, nameLength)
                                                    : std::string(reinterpret_cast<const char*>(record + 33), nameLength);
            const uint32_t start = Little32(record + 2) + record[1];  // after any extended attributes
            const uint32_t size = Little32(record + 10);
            if (record[25] & 0x02) {
                pending.push_back({dir.Path + "\\" + FileName(name), start, size, dir.Depth + 1});
                continue;
            }
            TVolumeFile file{dir.Path + "\\" + FileName(name), start, size, ""};
            if (record[25] & 0x80) file.Damage = "it is recorded in several extents";
            else if (uint64_t(start) + (uint64_t(size) + 2047) / 2048 > FVolume.End)
                file.Damage = "it lies past the end of the volume";
            FVolume.Files.push_back(file);
        }
        return true;
    }

    TBlockSource& FSource;
    TDiscVolume& FVolume;
    std::string& FError;
    std::set<uint32_t> FVisited;
    size_t FEntries = 0;
};

bool IsJolietDescriptor(const unsigned char* d) {
    return d[0] == 2 && d[88] == '%' && d[89] == '/' && (d[90] == '@' || d[90] == 'C' || d[90] == 'E');
}

} // namespace

TImageFileBlocks::TImageFileBlocks(const std::string& path) : FFd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (FFd >= 0) (void)posix_fadvise(FFd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

TImageFileBlocks::~TImageFileBlocks() {
    if (FFd >= 0) close(FFd);
}

bool TImageFileBlocks::Read(uint32_t first, uint32_t count, char* buffer) {
    const size_t size = size_t(count) * 2048;
    size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(FFd, buffer + done, size - done, off_t(first) * 2048 + off_t(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // a read error, or the file ends before the blocks
        done += size_t(got);
    }
    return true;
}

TDriveBlocks::TDriveBlocks(TSCSIDevice& device)
    : FDevice(device), FMaxReadBlocks(ReadBlocksPerRequest(device)) {}

bool TDriveBlocks::Read(uint32_t first, uint32_t count, char* buffer) {
    return ReadWhenReady(FDevice, first, static_cast<uint16_t>(count), reinterpret_cast<uint8_t*>(buffer));
}

uint32_t ReadRetrying(TBlockSource& source, uint32_t first, uint32_t count, char* buffer) {
    if (source.Read(first, count, buffer)) return 0;
    uint32_t unreadable = 0;
    for (uint32_t block = 0; block < count; ++block) {
        char* at = buffer + size_t(block) * 2048;
        bool read = false;
        for (int attempt = 0; attempt < kReadAttempts && !read; ++attempt) read = source.Read(first + block, 1, at);
        if (!read) {
            std::memset(at, 0, 2048);
            ++unreadable;
        }
    }
    return unreadable;
}

const TVolumeFile* TDiscVolume::Find(const std::string& path) const {
    auto exact = FExact.find(path);
    if (exact != FExact.end()) return &Files[exact->second];
    auto folded = FFolded.find(Folded(path));
    return folded != FFolded.end() ? &Files[folded->second] : nullptr;
}

bool ReadDiscVolume(TBlockSource& source, uint32_t sessionStart, TDiscVolume& volume, std::string& error) {
    volume = TDiscVolume{};
    unsigned char block[2048];
    unsigned char primary[2048], joliet[2048];
    bool havePrimary = false, haveJoliet = false;
    for (int i = 0; i < kMaxDescriptors; ++i) {
        if (ReadRetrying(source, sessionStart + 16 + i, 1, reinterpret_cast<char*>(block)) > 0) {
            error = "the volume descriptors cannot be read";
            return false;
        }
        if (std::memcmp(block + 1, "CD001", 5) != 0 || block[0] == 255) break;
        if (block[0] == 1 && !havePrimary) std::memcpy(primary, block, 2048), havePrimary = true;
        if (IsJolietDescriptor(block) && !haveJoliet) std::memcpy(joliet, block, 2048), haveJoliet = true;
    }
    if (!havePrimary) {
        error = "this is no ISO 9660 volume";
        return false;
    }
    volume.Joliet = haveJoliet;
    volume.End = Little32(primary + 80);
    const unsigned char* descriptor = haveJoliet ? joliet : primary;
    if (!TTreeReader(source, volume, error).ReadTree(descriptor + 156)) return false;
    for (size_t i = 0; i < volume.Files.size(); ++i) {
        volume.FExact.emplace(volume.Files[i].Path, i);
        volume.FFolded.emplace(Folded(volume.Files[i].Path), i);
    }
    return true;
}

uint32_t LastSessionStart(TSCSIDevice& device) {
    uint8_t answer[12] = {};
    if (!device.ReadTOC(1, false, 0, answer, sizeof answer)) return 0;
    return uint32_t(answer[8]) << 24 | answer[9] << 16 | answer[10] << 8 | answer[11];
}
