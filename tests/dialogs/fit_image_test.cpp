#include "fit_image.h"

#include <gtest/gtest.h>

namespace {

TEST(FitImageTest, ReducesOnlyWhatIsLargerThanTheBox) {
    const TBitmap32 wide(400, 200);
    const TBitmap32 reduced = ReducedToFit(wide, QSize(192, 192));
    EXPECT_EQ(reduced.Width(), 192);
    EXPECT_EQ(reduced.Height(), 96);
    EXPECT_EQ(AlphaOf(reduced.Pixel(0, 0)), 255u);

    TBitmap32 small(3, 2);
    small.Clear(Color32(1, 2, 3));
    EXPECT_EQ(ReducedToFit(small, QSize(192, 192)), small);
}

struct TFitCase {
    TImageFit Fit;
    int Width, Height;
    QRect Expected;
};

class PictureRectTest : public ::testing::TestWithParam<TFitCase> {};

TEST_P(PictureRectTest, DrawsAtTheTopLeftCorner) {
    TFitImage box(QSize(192, 192), GetParam().Fit);
    box.SetBitmap(TBitmap32(GetParam().Width, GetParam().Height));
    EXPECT_TRUE(box.HasPicture());
    EXPECT_EQ(box.PictureRect(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureRectTest,
    ::testing::Values(TFitCase{TImageFit::ScaleToFit, 1, 1, QRect(0, 0, 192, 192)},
                      TFitCase{TImageFit::ScaleToFit, 4000, 1000, QRect(0, 0, 192, 48)},
                      TFitCase{TImageFit::ScaleToFit, 50, 100, QRect(0, 0, 96, 192)},
                      TFitCase{TImageFit::Unscaled, 50, 30, QRect(0, 0, 50, 30)},
                      TFitCase{TImageFit::Unscaled, 500, 30, QRect(0, 0, 500, 30)}));

TEST(FitImageTest, AnEmptyBitmapShowsNothing) {
    TFitImage box(QSize(137, 121), TImageFit::ScaleToFit);
    box.SetBitmap(TBitmap32(10, 10));
    box.SetBitmap(TBitmap32());
    EXPECT_FALSE(box.HasPicture());
    EXPECT_TRUE(box.PictureRect().isEmpty());
}

} // namespace
