#include "bitmap32.h"

#include <gtest/gtest.h>

namespace {

TEST(Bitmap32, SizesBelowOneMakeItEmpty)
{
    const struct {
        int width, height, expectedWidth, expectedHeight;
    } cases[] = {{3, 2, 3, 2}, {0, 5, 0, 0}, {5, 0, 0, 0}, {-1, 4, 0, 0}, {1, 1, 1, 1}};
    for (const auto& c : cases) {
        TBitmap32 bitmap(c.width, c.height);
        EXPECT_EQ(bitmap.Width(), c.expectedWidth);
        EXPECT_EQ(bitmap.Height(), c.expectedHeight);
        EXPECT_EQ(bitmap.Empty(), c.expectedWidth == 0);
    }
}

TEST(Bitmap32, RowsAreContiguousTopToBottom)
{
    TBitmap32 bitmap(3, 2);
    bitmap.SetPixel(2, 0, 0x11223344u);
    bitmap.SetPixel(0, 1, 0x55667788u);
    EXPECT_EQ(bitmap.Bits()[2], 0x11223344u);
    EXPECT_EQ(bitmap.Bits()[3], 0x55667788u);
    EXPECT_EQ(bitmap.ScanLine(1), bitmap.Bits() + 3);
    EXPECT_EQ(bitmap.BytesPerLine(), 12u);
}

TEST(Bitmap32, CopyClearAndAlpha)
{
    TBitmap32 bitmap(2, 2);
    bitmap.Clear(Color32(1, 2, 3, 0));
    TBitmap32 copy;
    copy.Assign(bitmap);
    EXPECT_EQ(copy, bitmap);
    copy.ResetAlpha();
    EXPECT_EQ(copy.Pixel(1, 1), Color32(1, 2, 3, 255));
    EXPECT_EQ(bitmap.Pixel(1, 1), Color32(1, 2, 3, 0));  // a deep copy
    copy.Delete();
    EXPECT_TRUE(copy.Empty());
}

TEST(Bitmap32, ColourValuesBecomePixels)
{
    EXPECT_EQ(ColorToPixel(0x0000FF), 0xFFFF0000u);  // red lives in the colour's lowest byte
    EXPECT_EQ(ColorToPixel(clGray, 0), 0x00808080u);
    EXPECT_EQ(BlendColor32(Color32(0, 0, 0), clWhite32, 153), Color32(153, 153, 153));
}

}  // namespace
