#pragma once
// TBitmap32: the one pixel container of the image work.
// One 32-bit ARGB value per pixel (alpha bits 24-31, red 16-23, green 8-15,
// blue 0-7), rows top to bottom, each row left to right, no padding, so the
// buffer can be shown directly as a QImage::Format_ARGB32 over the same memory.

#include <cstddef>
#include <cstdint>
#include <vector>

using TColor32 = std::uint32_t;

constexpr TColor32 Color32(unsigned r, unsigned g, unsigned b, unsigned a = 255)
{
    return (TColor32(a & 0xFF) << 24) | (TColor32(r & 0xFF) << 16) | (TColor32(g & 0xFF) << 8) |
           TColor32(b & 0xFF);
}
constexpr unsigned AlphaOf(TColor32 c) { return c >> 24; }
constexpr unsigned RedOf(TColor32 c) { return (c >> 16) & 0xFF; }
constexpr unsigned GreenOf(TColor32 c) { return (c >> 8) & 0xFF; }
constexpr unsigned BlueOf(TColor32 c) { return c & 0xFF; }

constexpr TColor32 clBlack32 = 0xFF000000u;
constexpr TColor32 clWhite32 = 0xFFFFFFFFu;

// Blends color over dest by alpha (0..255) in red, green and blue, rounded to
// nearest; dest's alpha stays.
constexpr TColor32 BlendColor32(TColor32 dest, TColor32 color, unsigned alpha)
{
    const auto mix = [alpha](unsigned d, unsigned c) { return (d * (255 - alpha) + c * alpha + 127) / 255; };
    return (dest & 0xFF000000u) | (mix(RedOf(dest), RedOf(color)) << 16) |
           (mix(GreenOf(dest), GreenOf(color)) << 8) | mix(BlueOf(dest), BlueOf(color));
}

// A colour value of the user interface: red in the lowest byte, then green,
// then blue, top byte 0.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
// The pixel of a colour, with the given alpha.
constexpr TColor32 ColorToPixel(TColor color, unsigned alpha = 255)
{
    return Color32(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF, alpha);
}

// A whole-pixel rectangle; Right and Bottom are exclusive.
struct TPixelRect {
    int Left, Top, Right, Bottom;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TPixelRect&) const = default;
};

class TBitmap32 {
public:
    TBitmap32() = default;
    TBitmap32(int width, int height) { SetSize(width, height); }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    std::size_t PixelCount() const { return std::size_t(FWidth) * std::size_t(FHeight); }
    // Bytes per row (no padding), for wrapping the buffer in a QImage.
    std::size_t BytesPerLine() const { return std::size_t(FWidth) * sizeof(TColor32); }
    // Bytes of pixel memory held, which may exceed the pixels in use after a shrink.
    std::size_t BytesHeld() const { return FBits.capacity() * sizeof(TColor32); }

    // Resizes; a side below 1 makes the bitmap 0 x 0. Pixel contents after a
    // size change are unspecified (callers fill them); same size keeps them.
    void SetSize(int width, int height);
    // Frees the pixels: the bitmap becomes 0 x 0.
    void Delete() { SetSize(0, 0); }
    // Fills every pixel with one colour.
    void Clear(TColor32 color = clBlack32);
    // Makes this bitmap a copy of source (size and pixels).
    void Assign(const TBitmap32& source) { *this = source; }

    TColor32* Bits() { return FBits.data(); }
    const TColor32* Bits() const { return FBits.data(); }
    TColor32* ScanLine(int y) { return FBits.data() + std::size_t(y) * std::size_t(FWidth); }
    const TColor32* ScanLine(int y) const { return FBits.data() + std::size_t(y) * std::size_t(FWidth); }

    // Unchecked pixel access: 0 <= x < Width(), 0 <= y < Height().
    TColor32 Pixel(int x, int y) const { return ScanLine(y)[x]; }
    void SetPixel(int x, int y, TColor32 color) { ScanLine(y)[x] = color; }

    // Sets the alpha of every pixel to 255 (decoded and scanned images).
    void ResetAlpha();

    bool operator==(const TBitmap32& other) const = default;

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<TColor32> FBits;
};
