#include "picture_file.h"

#include "image_error.h"
#include "jpeg_io.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

std::string LowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); });
    return text;
}

// The text after the last dot of the file-name part ("" when there is none).
std::string ExtensionOf(const std::string& fileName)
{
    const std::size_t nameStart = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart))
        return {};
    return fileName.substr(dot + 1);
}

struct TLoaderRegistry {
    std::mutex lock;
    std::map<std::string, TPictureLoader> loaders;
};

TLoaderRegistry& Registry()
{
    static TLoaderRegistry registry;
    return registry;
}

TPictureLoader FindLoader(const std::string& extension)
{
    const std::string key = LowerAscii(extension);
    if (key == "jpg" || key == "jpeg")
        return [](const std::string& fileName) { return ReadJpegFile(fileName); };
    TLoaderRegistry& registry = Registry();
    const std::lock_guard<std::mutex> guard(registry.lock);
    const auto found = registry.loaders.find(key);
    return found == registry.loaders.end() ? TPictureLoader{} : found->second;
}

}  // namespace

void RegisterPictureLoader(const std::string& Extension, TPictureLoader Loader)
{
    TLoaderRegistry& registry = Registry();
    const std::lock_guard<std::mutex> guard(registry.lock);
    registry.loaders[LowerAscii(Extension)] = std::move(Loader);
}

TBitmap32 LoadPictureFile(const std::string& FileName)
{
    const std::string extension = ExtensionOf(FileName);
    const TPictureLoader loader = FindLoader(extension);
    if (!loader)
        throw EImageError("Unknown picture file extension (." + extension + ")");
    TBitmap32 bitmap = loader(FileName);
    bitmap.ResetAlpha();
    return bitmap;
}
