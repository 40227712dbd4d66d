#include "page_assembler.h"

#include <algorithm>
#include <cstring>

namespace {

// Pages larger than this (1 GiB of pixels) and lines longer than 64 MiB are refused rather
// than exhausting memory.
constexpr std::size_t kMaxPixels = std::size_t(1) << 28;
constexpr std::size_t kMaxLineBytes = std::size_t(1) << 26;

int ChannelsOf(SANE_Frame format) {
    return format == SANE_FRAME_RGB ? 3 : 1;
}

bool Decodable(SANE_Frame format) {
    return format == SANE_FRAME_GRAY || format == SANE_FRAME_RGB || format == SANE_FRAME_RED ||
           format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

// Sample `index` of a line as an 8-bit intensity. A set bit of 1-bit gray is black;
// in colour frames it is full intensity.
unsigned Sample(const std::uint8_t* line, int index, int depth, bool gray) {
    switch (depth) {
    case 1: {
        const bool set = (line[index / 8] >> (7 - index % 8)) & 1;
        return set != gray ? 255 : 0;
    }
    case 8:
        return line[index];
    default: {  // 16 bits in host byte order
        std::uint16_t value;
        std::memcpy(&value, line + 2 * std::size_t(index), sizeof value);
        return (unsigned(value) * 255 + 32767) / 65535;
    }
    }
}

} // namespace

std::size_t PixelBytesPerLine(const SANE_Parameters& frame) {
    if (!Decodable(frame.format)) return 0;
    if (frame.depth != 1 && frame.depth != 8 && frame.depth != 16) return 0;
    if (frame.pixels_per_line <= 0) return 0;
    const std::size_t bits = std::size_t(frame.pixels_per_line) * ChannelsOf(frame.format) * frame.depth;
    return (bits + 7) / 8;
}

bool TPageAssembler::BeginFrame(const SANE_Parameters& frame) {
    const std::size_t needed = PixelBytesPerLine(frame);
    if (needed == 0 || frame.bytes_per_line < 0 || std::size_t(frame.bytes_per_line) < needed ||
        std::size_t(frame.bytes_per_line) > kMaxLineBytes)
        return false;
    // Every frame of a three-pass page has the width of the first one.
    if (FWidth == 0) FWidth = frame.pixels_per_line;
    if (frame.pixels_per_line != FWidth) return false;
    if (frame.lines > 0 && std::size_t(frame.lines) * std::size_t(FWidth) > kMaxPixels) return false;
    FFrame = frame;
    FLine.assign(std::size_t(frame.bytes_per_line), 0);
    FLineFill = 0;
    FRow = 0;
    if (frame.lines > 0) FPixels.reserve(std::size_t(frame.lines) * std::size_t(FWidth));
    return true;
}

void TPageAssembler::Add(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t take = std::min(size, FLine.size() - FLineFill);
        std::memcpy(FLine.data() + FLineFill, data, take);
        FLineFill += take;
        data += take;
        size -= take;
        if (FLineFill == FLine.size()) {
            DecodeLine();
            FLineFill = 0;
        }
    }
}

void TPageAssembler::EndFrame() {
    FLineFill = 0;
}

void TPageAssembler::GrowTo(int rows) {
    if (rows <= FHeight) return;
    FPixels.resize(std::size_t(rows) * std::size_t(FWidth), clBlack32);
    FHeight = rows;
}

void TPageAssembler::DecodeLine() {
    if (std::size_t(FRow + 1) * std::size_t(FWidth) > kMaxPixels) {
        FTooLarge = true;
        return;
    }
    GrowTo(FRow + 1);
    TColor32* out = FPixels.data() + std::size_t(FRow) * std::size_t(FWidth);
    const std::uint8_t* line = FLine.data();
    const int depth = FFrame.depth;
    const bool gray = FFrame.format == SANE_FRAME_GRAY;
    for (int x = 0; x < FWidth; ++x) {
        switch (FFrame.format) {
        case SANE_FRAME_GRAY: {
            const unsigned v = Sample(line, x, depth, gray);
            out[x] = Color32(v, v, v);
            break;
        }
        case SANE_FRAME_RGB:
            out[x] = Color32(Sample(line, 3 * x, depth, gray), Sample(line, 3 * x + 1, depth, gray),
                             Sample(line, 3 * x + 2, depth, gray));
            break;
        case SANE_FRAME_RED:
            out[x] = (out[x] & 0xFF00FFFFu) | (TColor32(Sample(line, x, depth, gray)) << 16);
            break;
        case SANE_FRAME_GREEN:
            out[x] = (out[x] & 0xFFFF00FFu) | (TColor32(Sample(line, x, depth, gray)) << 8);
            break;
        default:  // SANE_FRAME_BLUE
            out[x] = (out[x] & 0xFFFFFF00u) | TColor32(Sample(line, x, depth, gray));
            break;
        }
    }
    ++FRow;
}

TBitmap32 TPageAssembler::TakePage() {
    TBitmap32 page(FWidth, FHeight);
    if (!page.Empty()) std::copy(FPixels.begin(), FPixels.end(), page.Bits());
    FPixels.clear();
    FPixels.shrink_to_fit();
    FWidth = FHeight = FRow = 0;
    FTooLarge = false;
    return page;
}
