// Helpers for the disc image tests: scratch folders, files, running the public ISO readers,
// and writing the current disc tree into an image file.
#pragma once

#include "mcdburner.h"

#include <string>
#include <vector>

class TScratchDir {
public:
    TScratchDir();
    ~TScratchDir();
    const std::string& Path() const { return FPath; }
    // Writes `bytes` to Path()/`name` (creating folders) and returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string FPath;
};

std::string ReadBytes(const std::string& path);
// `size` bytes of a repeating pattern that differs for each `seed`.
std::string PatternBytes(size_t size, int seed);

struct TCommandResult {
    int Status = -1;
    std::string Output;  // stdout and stderr together
};
TCommandResult RunCommand(const std::string& command);
std::string Quote(const std::string& text);

// Prepares the tree for a file and writes the image into `isoPath`; the job's error text.
std::string WriteImage(TMCDBurner& burner, const std::string& isoPath);

// The lines of diagnostic messages a burner sends, as "kind:text".
std::vector<std::string>& CaptureMessages(TMCDBurner& burner);

// The disc image `disc` (block n at byte n x 2048) as a reader of multisession discs sees it:
// the volume descriptors of the session that starts at block `start` copied in front, every
// other block where the drive recorded it. Written to `viewPath`, which is returned.
std::string SessionView(const std::string& disc, uint32_t start, const std::string& viewPath);

// One sector of an image file.
std::string SectorOf(const std::string& image, int64_t sector);
uint32_t Little32(const std::string& bytes, size_t at);
uint32_t Big32(const std::string& bytes, size_t at);
uint16_t Little16(const std::string& bytes, size_t at);
