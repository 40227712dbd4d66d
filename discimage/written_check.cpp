#include "written_check.h"

#include "iso_records.h"
#include "mcdburner.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t kPrime = 0x9E3779B97F4A7C15ull;

uint64_t Rotated(uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

// Each step is a bijection of the lane's state, so one changed word always changes the result
// of its lane.
uint64_t MixWord(uint64_t lane, uint64_t word) {
    return Rotated((lane ^ word) * kPrime, 31);
}

// Eight independent lanes, unrolled, keep the processor's multipliers busy: checking a piece
// read back takes less time than the system takes to copy it out of its cache.
inline __attribute__((always_inline)) uint64_t HashOfSector(const char* sector) {
    constexpr int kLanes = 8;
    uint64_t lanes[kLanes] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int offset = 0; offset < kSectorSize; offset += kLanes * 8) {
        uint64_t words[kLanes];
        std::memcpy(words, sector + offset, sizeof words);
#pragma GCC unroll 8
        for (int lane = 0; lane < kLanes; ++lane) lanes[lane] = MixWord(lanes[lane], words[lane]);
    }
    uint64_t hash = 0;
    for (const uint64_t lane : lanes) hash = MixWord(hash, lane);
    return hash;
}

// The file holding `sector` below `dir`, as a disc path; empty when none does.
std::string OwnerBelow(const TDEntry* dir, const std::string& path, int64_t sector, int64_t fileArea) {
    for (const TFEntry* entry = dir->FirstChild; entry; entry = entry->Next) {
        const std::string entryPath = path + "\\" + entry->LongName;
        if (entry->IsDirectory()) {
            if (entry->Dir == dir) continue;
            std::string found = OwnerBelow(entry->Dir, entryPath, sector, fileArea);
            if (!found.empty()) return found;
            continue;
        }
        if (entry->Size <= 0) continue;
        const int64_t start = fileArea + entry->IsoExtent;
        if (sector >= start && sector < start + SectorsFor(entry->Size)) return entryPath;
    }
    return {};
}

#if defined(__x86_64__)
// The same hashes with 64-bit vector multiplies, about three times as fast.
__attribute__((target("avx512f,avx512dq,avx512vl"))) void HashSectorsWide(const char* data, int64_t sectors,
                                                                          uint64_t* hashes) {
    for (int64_t i = 0; i < sectors; ++i) hashes[i] = HashOfSector(data + i * kSectorSize);
}
#endif

} // namespace

void HashSectorsPortable(const char* data, int64_t sectors, uint64_t* hashes) {
    for (int64_t i = 0; i < sectors; ++i) hashes[i] = HashOfSector(data + i * kSectorSize);
}

uint64_t SectorHash(const char* sector) {
    uint64_t hash = 0;
    HashSectors(sector, 1, &hash);
    return hash;
}

// Where the processor has them, the vector build; asked once.
void HashSectors(const char* data, int64_t sectors, uint64_t* hashes) {
#if defined(__x86_64__)
    static const bool wide = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
    }();
    if (wide) return HashSectorsWide(data, sectors, hashes);
#endif
    HashSectorsPortable(data, sectors, hashes);
}

void TWrittenCheck::AddWritten(const char* data, int64_t bytes) {
    const size_t sectors = static_cast<size_t>(bytes / kSectorSize), at = FHashes.size();
    FHashes.resize(at + sectors);
    HashSectors(data, static_cast<int64_t>(sectors), FHashes.data() + at);
}

void TWrittenCheck::CheckRead(int64_t first, const char* data, int64_t sectors) {
    constexpr int64_t kBatch = 64;
    uint64_t hashes[kBatch];
    for (int64_t done = 0; done < sectors; done += kBatch) {
        const int64_t count = std::min(kBatch, sectors - done);
        HashSectors(data + done * kSectorSize, count, hashes);
        for (int64_t i = 0; i < count; ++i) {
            const int64_t sector = first + done + i;
            if (sector >= WrittenSectors() || hashes[i] != FHashes[static_cast<size_t>(sector)]) MarkBad(sector);
        }
    }
}

void TWrittenCheck::MarkUnreadable(int64_t first, int64_t sectors) {
    for (int64_t i = 0; i < sectors; ++i) MarkBad(first + i);
}

void TWrittenCheck::MarkBad(int64_t sector) {
    ++FBadSectors;
    if (FFirstBad < 0) FFirstBad = sector;
}

std::string SectorOwner(const TMCDBurner& burner, int64_t sector) {
    const TDEntry* root = burner.RootDir();
    std::string owner = root ? OwnerBelow(root, "", sector, burner.FileAreaStart()) : std::string();
    return owner.empty() ? "volume structure" : owner;
}

std::string VerifyFailureText(const TMCDBurner& burner, const TWrittenCheck& check) {
    const int64_t bad = check.BadSectors();
    const std::string where = SectorOwner(burner, burner.StartSector + check.FirstBadSector());
    return "VERIFICATION FAILED: " + std::to_string(bad) + (bad == 1 ? " BAD BLOCK" : " BAD BLOCKS") +
           ", FIRST IN " + (where == "volume structure" ? where : "\"" + where + "\"");
}
