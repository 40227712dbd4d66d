#include "page_assembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

SANE_Parameters Frame(SANE_Frame format, int depth, int width, int lines, int bytesPerLine, bool last = true) {
    SANE_Parameters frame{};
    frame.format = format;
    frame.last_frame = last;
    frame.depth = depth;
    frame.pixels_per_line = width;
    frame.lines = lines;
    frame.bytes_per_line = bytesPerLine;
    return frame;
}

void Feed(TPageAssembler& page, const SANE_Parameters& frame, const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(page.BeginFrame(frame));
    // In uneven pieces, as sane_read may return them.
    for (std::size_t at = 0; at < bytes.size(); at += 3)
        page.Add(bytes.data() + at, std::min<std::size_t>(3, bytes.size() - at));
    page.EndFrame();
}

TEST(PageAssembler, RgbFrameWithPaddedLines) {
    TPageAssembler page;
    // Two pixels per line, 8 bytes per line: two padding bytes to skip.
    Feed(page, Frame(SANE_FRAME_RGB, 8, 2, 2, 8),
         {255, 0, 0, 0, 255, 0, 9, 9, /**/ 0, 0, 255, 10, 20, 30, 9, 9});
    const TBitmap32 bitmap = page.TakePage();
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Pixel(0, 0), Color32(255, 0, 0));
    EXPECT_EQ(bitmap.Pixel(1, 0), Color32(0, 255, 0));
    EXPECT_EQ(bitmap.Pixel(0, 1), Color32(0, 0, 255));
    EXPECT_EQ(bitmap.Pixel(1, 1), Color32(10, 20, 30));
}

TEST(PageAssembler, GrayLineArtAndSixteenBitSamples) {
    {
        TPageAssembler page;  // 1 bit: a set bit is black
        Feed(page, Frame(SANE_FRAME_GRAY, 1, 10, 1, 2), {0b10100000, 0b01000000});
        const TBitmap32 bitmap = page.TakePage();
        EXPECT_EQ(bitmap.Pixel(0, 0), clBlack32);
        EXPECT_EQ(bitmap.Pixel(1, 0), clWhite32);
        EXPECT_EQ(bitmap.Pixel(2, 0), clBlack32);
        EXPECT_EQ(bitmap.Pixel(9, 0), clBlack32);
        EXPECT_EQ(bitmap.Pixel(8, 0), clWhite32);
    }
    {
        TPageAssembler page;  // 16 bits in host order, scaled to 8 bits
        std::vector<std::uint8_t> bytes(6);
        const std::uint16_t samples[3] = {0xFFFF, 0x8080, 0x0000};
        std::memcpy(bytes.data(), samples, sizeof samples);
        Feed(page, Frame(SANE_FRAME_GRAY, 16, 3, 1, 6), bytes);
        const TBitmap32 bitmap = page.TakePage();
        EXPECT_EQ(bitmap.Pixel(0, 0), clWhite32);
        EXPECT_EQ(bitmap.Pixel(1, 0), Color32(128, 128, 128));
        EXPECT_EQ(bitmap.Pixel(2, 0), clBlack32);
    }
}

TEST(PageAssembler, ThreePassFramesOfUnknownHeight) {
    TPageAssembler page;
    Feed(page, Frame(SANE_FRAME_RED, 8, 1, -1, 1, false), {10, 11, 12});
    Feed(page, Frame(SANE_FRAME_GREEN, 8, 1, -1, 1, false), {20, 21, 22});
    Feed(page, Frame(SANE_FRAME_BLUE, 8, 1, -1, 1), {30, 31, 32});
    const TBitmap32 bitmap = page.TakePage();
    ASSERT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.Pixel(0, 0), Color32(10, 20, 30));
    EXPECT_EQ(bitmap.Pixel(0, 2), Color32(12, 22, 32));
}

TEST(PageAssembler, IncompleteLastLineIsDropped) {
    TPageAssembler page;
    Feed(page, Frame(SANE_FRAME_GRAY, 8, 2, -1, 2), {1, 2, 3});
    EXPECT_EQ(page.TakePage().Height(), 1);
}

TEST(PageAssembler, RefusesFramesItCannotDecode) {
    const SANE_Parameters cases[] = {
        Frame(SANE_Frame(0x0B), 8, 4, 4, 4),  // a JPEG frame (an extension of SANE)
        Frame(SANE_FRAME_GRAY, 4, 4, 4, 4),              // no 4-bit samples in SANE's image frames
        Frame(SANE_FRAME_RGB, 8, 4, 4, 11),              // lines shorter than their pixels
        Frame(SANE_FRAME_GRAY, 8, 0, 4, 4),              // no pixels
        Frame(SANE_FRAME_GRAY, 8, 1 << 20, 1 << 20, 1 << 20),  // beyond the size limit
        Frame(SANE_FRAME_GRAY, 8, 4, 4, 1 << 30),              // absurdly long lines
    };
    for (const SANE_Parameters& frame : cases) {
        TPageAssembler page;
        EXPECT_FALSE(page.BeginFrame(frame)) << "format " << frame.format << " depth " << frame.depth;
    }
    TPageAssembler page;  // a later frame of another width
    ASSERT_TRUE(page.BeginFrame(Frame(SANE_FRAME_RED, 8, 4, 1, 4, false)));
    EXPECT_FALSE(page.BeginFrame(Frame(SANE_FRAME_GREEN, 8, 5, 1, 5, false)));
}

} // namespace
