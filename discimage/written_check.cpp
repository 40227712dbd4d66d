#include "written_check.h"

#include "iso_records.h"
#include "mcdburner.h"

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

} // namespace

uint64_t SectorHash(const char* sector) {
    // Eight independent lanes, unrolled, keep the processor's multipliers busy: checking a
    // piece read back takes less time than the system takes to copy it out of its cache.
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

void TWrittenCheck::AddWritten(const char* data, int64_t bytes) {
    for (int64_t at = 0; at + kSectorSize <= bytes; at += kSectorSize) FHashes.push_back(SectorHash(data + at));
}

void TWrittenCheck::CheckRead(int64_t first, const char* data, int64_t sectors) {
    for (int64_t i = 0; i < sectors; ++i) {
        const int64_t sector = first + i;
        if (sector >= WrittenSectors() || SectorHash(data + i * kSectorSize) != FHashes[static_cast<size_t>(sector)])
            MarkBad(sector);
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
