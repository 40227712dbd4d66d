// libFuzzer entry: any bytes given to the JPEG decoder must end in a picture
// or an EImageError, never a crash, a leak or unbounded memory.
#include "image_error.h"
#include "jpeg_io.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDecodeLimits limits;
    limits.MaxPixels = 1u << 22;
    limits.MaxCodecMemory = 64u << 20;
    try {
        const TBitmap32 picture = DecodeJpeg(data, size, limits);
        if (picture.PixelCount() > limits.MaxPixels)
            std::abort();
        for (std::size_t i = 0; i < picture.PixelCount(); ++i)
            if ((picture.Bits()[i] >> 24) != 255)
                std::abort();  // decoded pictures are opaque
    } catch (const EImageError&) {
    }
    return 0;
}
