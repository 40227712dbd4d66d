#include "effects.h"
#include "image_error.h"
#include "jpeg_io.h"
#include "test_pictures.h"
#include "thumbnailer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(Thumbnailer, DefaultsAndEnumerationOrder)
{
    const TThumbnailer t;
    EXPECT_EQ(t.Color, clBlack);
    EXPECT_EQ(t.Width, 0);
    EXPECT_EQ(t.Mode, tmCenter);
    EXPECT_EQ(t.BevelColorLight, clWhite);
    EXPECT_EQ(t.StretchFilter, sfNearest);
    EXPECT_EQ(t.DrawMode, dmOpaque);
    EXPECT_EQ((std::array{int(tmCenter), int(tmClip), int(tmStretch), int(tmCrop)}), (std::array{0, 1, 2, 3}));
    EXPECT_EQ((std::array{int(sfNearest), int(sfLinear), int(sfLinear2), int(sfSpline)}), (std::array{0, 1, 2, 3}));
    EXPECT_EQ((std::array{int(dmOpaque), int(dmBlend), int(dmCustom)}), (std::array{0, 1, 2}));
}

void ExpectNearColour(TColor32 actual, TColor32 expected, int tolerance)
{
    EXPECT_NEAR(int(RedOf(actual)), int(RedOf(expected)), tolerance);
    EXPECT_NEAR(int(GreenOf(actual)), int(GreenOf(expected)), tolerance);
    EXPECT_NEAR(int(BlueOf(actual)), int(BlueOf(expected)), tolerance);
}

TEST(Thumbnailer, AlbumGeometry)
{
    const TColor32 colour = Color32(200, 100, 50);
    const struct {
        int width, height, thumbWidth, thumbHeight, pictureWidth, pictureHeight;
    } cases[] = {
        {1600, 1200, 128, 98, 120, 90},  // landscape 4:3
        {1200, 1600, 75, 98, 67, 90},    // portrait
        {60, 45, 128, 98, 120, 90},      // enlarged
        {120, 90, 128, 98, 120, 90},     // exactly the box
    };
    for (const auto& c : cases) {
        TBitmap32 thumb;
        ASSERT_TRUE(AlbumThumbnailer().MakeThumbnail(FilledPicture(c.width, c.height, colour), thumb));
        ASSERT_EQ(thumb.Width(), c.thumbWidth) << c.width << "x" << c.height;
        ASSERT_EQ(thumb.Height(), c.thumbHeight) << c.width << "x" << c.height;
        // Inside the bevel the picture; right of it the shadow, not the picture.
        ExpectNearColour(thumb.Pixel(c.pictureWidth / 2, c.pictureHeight / 2), colour, 3);
        ExpectNearColour(thumb.Pixel(c.pictureWidth - 6, c.pictureHeight - 6), colour, 3);
        EXPECT_NE(thumb.Pixel(c.pictureWidth + 1, c.pictureHeight / 2) & 0xFFFFFF, colour & 0xFFFFFF);
    }
}

TEST(Thumbnailer, BoxSizedPictureIsCopiedUnfiltered)
{
    const TBitmap32 picture = NoisePicture(120, 90, 12);
    TBitmap32 thumb;
    AlbumThumbnailer().MakeThumbnail(picture, thumb);
    for (int y = 5; y < 85; ++y)  // inside the five bevel rings
        for (int x = 5; x < 115; ++x)
            ASSERT_EQ(thumb.Pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
}

TEST(Thumbnailer, BevelAndShadowOfAGreyPicture)
{
    const TColor32 grey = Color32(128, 128, 128);
    TBitmap32 thumb;
    AlbumThumbnailer().MakeThumbnail(FilledPicture(1600, 1200, grey), thumb);
    EXPECT_GT(RedOf(thumb.Pixel(0, 0)), 150u);    // light bevel
    EXPECT_LT(RedOf(thumb.Pixel(119, 89)), 110u);  // dark bevel
    // Right of the picture on the middle row: from the grey shadow to the white background.
    unsigned previous = 0;
    for (int x = 120; x <= 127; ++x) {
        const unsigned red = RedOf(thumb.Pixel(x, 45));
        EXPECT_GE(red, previous) << x;
        previous = red;
    }
    EXPECT_EQ(RedOf(thumb.Pixel(120, 45)), 128u);
    EXPECT_EQ(RedOf(thumb.Pixel(127, 45)), 255u);
    EXPECT_EQ(AlphaOf(thumb.Pixel(127, 97)), 255u);  // the shadow covers the whole clipped thumbnail
}

TEST(Thumbnailer, ModesPlaceThePicture)
{
    TThumbnailer t;  // no shadow, no bevel, nearest
    t.Width = 40;
    t.Height = 40;
    t.Color = clWhite;
    const TBitmap32 wide = FilledPicture(80, 40, Color32(0, 0, 255));
    TBitmap32 thumb;
    t.Mode = tmCenter;
    t.MakeThumbnail(wide, thumb);
    EXPECT_EQ(thumb.Width(), 40);
    EXPECT_EQ(thumb.Pixel(20, 5), ColorToPixel(clWhite, 0));  // above the centred 40 x 20 picture
    EXPECT_EQ(thumb.Pixel(20, 20), Color32(0, 0, 255));
    t.Mode = tmStretch;
    t.MakeThumbnail(wide, thumb);
    EXPECT_EQ(thumb.Pixel(20, 5), Color32(0, 0, 255));
    t.AutoOrientation = true;  // a wide picture, a square box: nothing to swap
    t.Width = 20;               // a tall box turned for the wide picture
    t.Mode = tmClip;
    t.MakeThumbnail(wide, thumb);
    EXPECT_EQ(thumb.Width(), 40);
    EXPECT_EQ(thumb.Height(), 20);
}

TEST(Thumbnailer, CropModeTakesTheCentre)
{
    TThumbnailer t;
    t.Width = 10;
    t.Height = 10;
    t.Mode = tmCrop;
    TBitmap32 wide = FilledPicture(30, 10, Color32(255, 0, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x)
            wide.SetPixel(x, y, Color32(0, 255, 0));
    TBitmap32 thumb;
    t.MakeThumbnail(wide, thumb);
    ASSERT_EQ(thumb.Width(), 10);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(thumb.Pixel(x, 5), Color32(0, 255, 0));
}

TEST(Thumbnailer, NoPixelsNoThumbnail)
{
    TBitmap32 thumb(5, 5);
    EXPECT_FALSE(AlbumThumbnailer().MakeThumbnail(TBitmap32(), thumb));
    EXPECT_TRUE(thumb.Empty());
    EXPECT_FALSE(TThumbnailer().MakeThumbnail(FilledPicture(4, 4, clWhite32), thumb));  // box 0 x 0
    TScratchFolder folder;
    EXPECT_THROW(WriteThumbnailFile(TBitmap32(), folder.File("t.jpg")), EImageError);
    EXPECT_TRUE(folder.FileNames().empty());
}

TEST(Thumbnailer, AThinPictureStillShows)
{
    TBitmap32 thumb;
    AlbumThumbnailer().MakeThumbnail(FilledPicture(1, 2000, Color32(0, 0, 0)), thumb);
    EXPECT_EQ(thumb.Width(), 1 + 8);
    EXPECT_EQ(thumb.Height(), 90 + 8);
}

TEST(Thumbnailer, FileIsTheQuality90Encoding)
{
    TScratchFolder folder;
    const TBitmap32 picture = NoisePicture(300, 200, 13);
    const std::uint64_t size = WriteThumbnailFile(picture, folder.File("a.jpg"));
    TBitmap32 thumb;
    AlbumThumbnailer().MakeThumbnail(picture, thumb);
    const std::vector<std::uint8_t> expected = EncodeJpeg(thumb, 90);
    EXPECT_EQ(size, expected.size());
    EXPECT_EQ(std::filesystem::file_size(folder.File("a.jpg")), expected.size());
    EXPECT_EQ(ReadJpegFile(folder.File("a.jpg")).Width(), 128);
}

TEST(Convolve5x5, CentreKernelLeavesColoursAndMakesInsideOpaque)
{
    const TBitmap32 source = NoisePicture(9, 7, 14, true);
    TBitmap32 bitmap = source;
    TKernel5x5 kernel{};
    kernel[12] = 1;
    Convolve5x5(bitmap, kernel, 1);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = x >= 2 && x <= 6 && y >= 2 && y <= 4;
            const TColor32 expected = inside ? (source.Pixel(x, y) | 0xFF000000u) : source.Pixel(x, y);
            EXPECT_EQ(bitmap.Pixel(x, y), expected) << x << "," << y;
        }
}

TEST(Convolve5x5, BoxBlurAveragesAndZeroDivisorIsSafe)
{
    TBitmap32 bitmap = FilledPicture(5, 5, Color32(0, 0, 0));
    bitmap.SetPixel(0, 0, Color32(250, 25, 0));
    TKernel5x5 ones;
    ones.fill(1);
    TBitmap32 blurred = bitmap;
    Convolve5x5(blurred, ones, 25);
    EXPECT_EQ(blurred.Pixel(2, 2), Color32(10, 1, 0));
    Convolve5x5(bitmap, ones, 0);
    EXPECT_EQ(bitmap.Pixel(2, 2), Color32(250, 25, 0));
}

TEST(DrawBevel, ColoursAtContrast30)
{
    // On black the light rings show their alpha, on white the dark ones theirs.
    TBitmap32 black = FilledPicture(20, 20, Color32(0, 0, 0));
    DrawBevel(black, {0, 0, 20, 20}, 2, 30, clWhite, clBlack);
    EXPECT_EQ(black.Pixel(5, 0), Color32(153, 153, 153));
    EXPECT_EQ(black.Pixel(0, 5), Color32(153, 153, 153));
    EXPECT_EQ(black.Pixel(19, 19), Color32(0, 0, 0));
    EXPECT_EQ(black.Pixel(10, 10), Color32(0, 0, 0));  // inside the rings

    TBitmap32 white = FilledPicture(20, 20, clWhite32);
    DrawBevel(white, {0, 0, 20, 20}, 2, 30, clWhite, clBlack);
    EXPECT_EQ(white.Pixel(5, 19), Color32(179, 179, 179));  // 255 - 76
    EXPECT_EQ(white.Pixel(19, 5), Color32(179, 179, 179));
    EXPECT_EQ(white.Pixel(19, 0), clWhite32);  // the corner belongs to the top row

    TBitmap32 grey = FilledPicture(20, 20, Color32(128, 128, 128));
    DrawBevel(grey, {0, 0, 20, 20}, 1, -30, clWhite, clBlack);  // negative contrast: sunken
    EXPECT_EQ(grey.Pixel(5, 0), Color32(90, 90, 90));
    EXPECT_EQ(grey.Pixel(5, 19), Color32(204, 204, 204));
}

TEST(DrawBevel, ClipsAndIgnoresEmptyRectangles)
{
    TBitmap32 bitmap = FilledPicture(4, 4, Color32(0, 0, 0));
    const TBitmap32 before = bitmap;
    DrawBevel(bitmap, {2, 2, 2, 9}, 3, 30, clWhite, clBlack);
    DrawBevel(bitmap, {5, 0, 9, 4}, 3, 30, clWhite, clBlack);
    DrawBevel(bitmap, {0, 0, 4, 4}, 3, 0, clWhite, clBlack);
    EXPECT_EQ(bitmap, before);
    DrawBevel(bitmap, {-2, -2, 10, 10}, 1000000, 30, clWhite, clBlack);
    EXPECT_NE(bitmap, before);
}

}  // namespace
