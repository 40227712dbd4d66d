#pragma once
// Pictures and folders that the image tests make for themselves.

#include "bitmap32.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Deterministic noise: every channel varies, alpha 255 unless asked otherwise.
TBitmap32 NoisePicture(int width, int height, std::uint32_t seed, bool randomAlpha = false);
TBitmap32 FilledPicture(int width, int height, TColor32 color);

// A fresh empty folder, removed with everything in it when the object goes.
class TScratchFolder {
public:
    TScratchFolder();
    ~TScratchFolder();
    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& name) const { return (FPath / name).string(); }
    std::vector<std::string> FileNames() const;

private:
    std::filesystem::path FPath;
};

void WriteBytes(const std::string& fileName, const std::vector<std::uint8_t>& data);
