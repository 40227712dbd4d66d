#pragma once
// JPEG reading and writing through libjpeg. Every failure throws
// EImageError (libjpeg's own as EJpegError, "JPEG error #<code>").

#include "bitmap32.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a decoder may allocate for one picture. The defaults allow 256 million
// pixels (a bitmap of about 1 GB), far above any camera, so that a tiny file whose
// header declares an absurd size fails at once with a message, before any
// pixel is decoded, instead of taking gigabytes and many seconds.
struct TDecodeLimits {
    std::uint64_t MaxPixels = 256'000'000;
    std::uint64_t MaxCodecMemory = std::uint64_t(2) << 30;  // libjpeg's own buffers
};

// Decodes a JPEG (any colour space libjpeg reads: grey, RGB/YCbCr, CMYK/YCCK)
// into an opaque bitmap, stood upright by its EXIF orientation.
TBitmap32 DecodeJpeg(const std::uint8_t* Data, std::size_t Size, const TDecodeLimits& Limits = {});
TBitmap32 ReadJpegFile(const std::string& FileName, const TDecodeLimits& Limits = {});

// Encodes as baseline JPEG: 24-bit RGB (alpha dropped), libjpeg defaults,
// the given quality (1..100) forced to baseline tables.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap32& Bitmap, int Quality);
// Encodes and replaces FileName. The data go to a temporary file beside it
// that is renamed over the target, so a failure never leaves half a photo.
// Returns the size of the file written, in bytes.
std::uint64_t WriteJpegFile(const TBitmap32& Bitmap, const std::string& FileName, int Quality);
