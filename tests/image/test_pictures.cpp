#include "test_pictures.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>
#include <unistd.h>

TBitmap32 NoisePicture(int width, int height, std::uint32_t seed, bool randomAlpha)
{
    std::mt19937 random(seed);
    TBitmap32 bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TColor32 p = random();
            bitmap.SetPixel(x, y, randomAlpha ? p : (p | 0xFF000000u));
        }
    return bitmap;
}

TBitmap32 FilledPicture(int width, int height, TColor32 color)
{
    TBitmap32 bitmap(width, height);
    bitmap.Clear(color);
    return bitmap;
}

TScratchFolder::TScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "fotolark-image-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch folder");
    FPath = pattern;
}

TScratchFolder::~TScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

std::vector<std::string> TScratchFolder::FileNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FPath))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const std::string& fileName, const std::vector<std::uint8_t>& data)
{
    std::ofstream out(fileName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}
