// Builds one scanned page from the frames SANE delivers line by line.
#pragma once

#include "bitmap32.h"

#include <sane/sane.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes gray, RGB and the single-colour frames of a three-pass scan, at 1, 8 or 16 bits
// per sample, into opaque 32-bit pixels. The height may be unknown in advance (lines -1).
class TPageAssembler {
public:
    // Starts a frame; false when the frame cannot be decoded (kind, depth, sizes).
    bool BeginFrame(const SANE_Parameters& frame);
    // Bytes of the current frame in the order they arrived.
    void Add(const std::uint8_t* data, std::size_t size);
    // Ends the current frame; an incomplete last line is dropped.
    void EndFrame();

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    // True once lines had to be dropped because the page outgrew the size limit.
    bool TooLarge() const { return FTooLarge; }
    TBitmap32 TakePage();

private:
    void DecodeLine();
    void GrowTo(int rows);

    SANE_Parameters FFrame{};
    std::vector<std::uint8_t> FLine;  // the line being received
    std::size_t FLineFill = 0;
    int FRow = 0;  // next row of the current frame
    int FWidth = 0;
    int FHeight = 0;  // rows received so far, over all frames
    std::vector<TColor32> FPixels;
    bool FTooLarge = false;
};

// Bytes a frame needs per line for its pixels, or 0 for a frame we cannot decode.
std::size_t PixelBytesPerLine(const SANE_Parameters& frame);
