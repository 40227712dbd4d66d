// Checking what a job wrote against what it read back. Each sector written is hashed as it
// goes out (the image itself is never kept), and the sectors read back afterwards are
// compared against those hashes; bad sectors are counted and the first one is kept so that
// the file it belongs to can be named.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TMCDBurner;

// A 64-bit hash of one 2048-byte sector: any change of a single 64-bit word changes it.
uint64_t SectorHash(const char* sector);
// The hashes of `sectors` whole sectors from `data`, into `hashes`.
void HashSectors(const char* data, int64_t sectors, uint64_t* hashes);
// The same without vector instructions: what HashSectors does on processors without them.
void HashSectorsPortable(const char* data, int64_t sectors, uint64_t* hashes);

class TWrittenCheck {
public:
    // Hashes the whole sectors of a group as it is written.
    void AddWritten(const char* data, int64_t bytes);
    int64_t WrittenSectors() const { return static_cast<int64_t>(FHashes.size()); }

    // Compares `sectors` sectors read back from position `first` (counted from the start of
    // the image) with what was written there.
    void CheckRead(int64_t first, const char* data, int64_t sectors);
    // `sectors` sectors from `first` could not be read back.
    void MarkUnreadable(int64_t first, int64_t sectors);

    int64_t BadSectors() const { return FBadSectors; }
    int64_t FirstBadSector() const { return FFirstBad; }  // -1 while all are good

private:
    void MarkBad(int64_t sector);

    std::vector<uint64_t> FHashes;
    int64_t FBadSectors = 0;
    int64_t FFirstBad = -1;
};

// The disc path of the file whose data hold the absolute sector `sector` of the laid-out
// tree (such as \Images\Photo.jpg), or "volume structure" for any other sector.
std::string SectorOwner(const TMCDBurner& burner, int64_t sector);

// The job's error text for a failed check: how many blocks are bad and where the first is.
std::string VerifyFailureText(const TMCDBurner& burner, const TWrittenCheck& check);
