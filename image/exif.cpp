#include "exif.h"

#include "geometry.h"

#include <cstring>

namespace {

// Bounds-checked reads from the TIFF block in its own byte order.
class TTiffReader {
public:
    TTiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : FData(data), FSize(size), FBigEndian(bigEndian) {}

    bool Has(std::size_t offset, std::size_t count) const { return offset <= FSize && count <= FSize - offset; }
    unsigned U16(std::size_t at) const
    {
        const unsigned a = FData[at], b = FData[at + 1];
        return FBigEndian ? (a << 8) | b : (b << 8) | a;
    }
    std::uint32_t U32(std::size_t at) const
    {
        const std::uint32_t hi = U16(at), lo = U16(at + 2);
        return FBigEndian ? (hi << 16) | lo : (lo << 16) | hi;
    }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    bool FBigEndian;
};

constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kTypeShort = 3;

}  // namespace

int ExifOrientation(const std::uint8_t* App1, std::size_t Size)
{
    static const std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (App1 == nullptr || Size < 6 + 8 || std::memcmp(App1, kExifHeader, 6) != 0)
        return 1;
    const std::uint8_t* tiff = App1 + 6;
    const std::size_t tiffSize = Size - 6;
    bool bigEndian;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else
        return 1;
    const TTiffReader in(tiff, tiffSize, bigEndian);
    if (in.U16(2) != 42)
        return 1;

    // First image directory: a count, then 12-byte entries (tag, type, count, value).
    const std::size_t ifd = in.U32(4);
    if (!in.Has(ifd, 2))
        return 1;
    const unsigned entries = in.U16(ifd);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + std::size_t(i) * 12;
        if (!in.Has(entry, 12))
            return 1;
        if (in.U16(entry) != kOrientationTag)
            continue;
        if (in.U16(entry + 2) != kTypeShort || in.U32(entry + 4) < 1)
            return 1;
        const unsigned value = in.U16(entry + 8);  // a short sits left-aligned in the value field
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

void ApplyExifOrientation(TBitmap32& Bitmap, int Orientation)
{
    // Each value names where the stored first row and column belong.
    switch (Orientation) {
    case 2:  // row 0 at the top, column 0 on the right
        FlipBitmapHorizontal(Bitmap, Bitmap);
        break;
    case 3:  // row 0 at the bottom, column 0 on the right
        RotateBitmapHalf(Bitmap, Bitmap);
        break;
    case 4:  // row 0 at the bottom, column 0 on the left
        FlipBitmapVertical(Bitmap, Bitmap);
        break;
    case 5:  // row 0 on the left, column 0 at the top
        TransposeBitmap(Bitmap, Bitmap);
        break;
    case 6:  // row 0 on the right, column 0 at the top
        RotateBitmapQuarter(Bitmap, Bitmap, true);
        break;
    case 7:  // row 0 on the right, column 0 at the bottom
        RotateBitmapQuarter(Bitmap, Bitmap, true);
        FlipBitmapVertical(Bitmap, Bitmap);
        break;
    case 8:  // row 0 on the left, column 0 at the bottom
        RotateBitmapQuarter(Bitmap, Bitmap, false);
        break;
    default:
        break;
    }
}
