// Reading the file tree of an ISO 9660 volume, through its Joliet names when it has them, from
// an image file or from the disc in a drive. Damaged or hostile volumes (directories that loop,
// extents past the end, absurd sizes) end with a message, never with a crash or a hang.
#pragma once

#include "scsi_device.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Where the blocks of a volume come from.
class TBlockSource {
public:
    virtual ~TBlockSource() = default;
    // Reads `count` 2048-byte blocks (at most MaxReadBlocks()) from `first`; false when they
    // could not be read.
    virtual bool Read(uint32_t first, uint32_t count, char* buffer) = 0;
    virtual uint32_t MaxReadBlocks() const = 0;
};

class TImageFileBlocks : public TBlockSource {
public:
    explicit TImageFileBlocks(const std::string& path);
    ~TImageFileBlocks() override;
    bool IsOpen() const { return FFd >= 0; }
    bool Read(uint32_t first, uint32_t count, char* buffer) override;
    uint32_t MaxReadBlocks() const override { return 256; }  // 512 KiB a read

private:
    int FFd = -1;
};

// READ (10) from the selected drive, waiting while it is not ready.
class TDriveBlocks : public TBlockSource {
public:
    explicit TDriveBlocks(TSCSIDevice& device);
    bool Read(uint32_t first, uint32_t count, char* buffer) override;
    uint32_t MaxReadBlocks() const override { return FMaxReadBlocks; }

private:
    TSCSIDevice& FDevice;
    uint32_t FMaxReadBlocks;
};

// Reads `count` blocks from `first`; a stretch that fails is read again block by block, each
// block a few times. Unreadable blocks are left zero; their number is returned.
uint32_t ReadRetrying(TBlockSource& source, uint32_t first, uint32_t count, char* buffer);

struct TVolumeFile {
    std::string Path;   // such as \Images\a.jpg
    uint32_t Start = 0;  // first block of the data
    uint32_t Size = 0;   // bytes
    std::string Damage;  // why the data cannot be read; empty when they can
};

struct TDiscVolume {
    bool Joliet = false;
    uint32_t End = 0;  // the first block after the volume
    std::vector<TVolumeFile> Files;

    // The file at `path`, matched exactly or else without regard to ASCII case; nullptr when
    // there is none.
    const TVolumeFile* Find(const std::string& path) const;

private:
    friend bool ReadDiscVolume(TBlockSource&, uint32_t, TDiscVolume&, std::string&);
    std::map<std::string, size_t> FExact, FFolded;
};

// Reads the tree of the volume whose descriptors start 16 blocks after `sessionStart`. False
// with a message in `error` when the volume cannot be read.
bool ReadDiscVolume(TBlockSource& source, uint32_t sessionStart, TDiscVolume& volume, std::string& error);

// The first block of the last session of the disc in the drive (READ TOC format 1); 0 when the
// drive does not say.
uint32_t LastSessionStart(TSCSIDevice& device);
