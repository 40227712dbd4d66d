// What the disc job benchmarks share: a burner without the drive's own waits, and a layout of
// numbered photos in \Images.
#pragma once

#include "mcdburner.h"

#include <filesystem>
#include <string>

// The drive's own waits (ready polls, lead-out) are not the engine's throughput.
class TNoWaitBurner : public TMCDBurner {
protected:
    void Pause(int) override {}
};

// The path of photo `n` in the Images folder of `folder`.
inline std::string BenchPhotoPath(const std::filesystem::path& folder, int n) {
    return (folder / "Images" / ("20040612" + std::to_string(10000 + n) + ".jpg")).string();
}

// Photos 0 to `photos` - 1 of `folder` in \Images of the disc tree.
inline void AddBenchPhotos(TMCDBurner& burner, const std::filesystem::path& folder, int photos) {
    burner.CreateDirPath("\\Images");
    for (int n = 0; n < photos; ++n) burner.InsertFile("\\Images", BenchPhotoPath(folder, n), false);
}
