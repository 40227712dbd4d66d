#include "geometry.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TBitmap32 Turned(const TBitmap32& source, bool right)
{
    TBitmap32 dest;
    RotateBitmapQuarter(source, dest, right);
    return dest;
}

TEST(QuarterTurn, FourByTwoMapping)
{
    const TBitmap32 source = NoisePicture(4, 2, 1);
    const TBitmap32 left = Turned(source, false);
    ASSERT_EQ(left.Width(), 2);
    ASSERT_EQ(left.Height(), 4);
    EXPECT_EQ(left.Pixel(0, 0), source.Pixel(3, 0));  // top-left shows the source's top-right

    const TBitmap32 right = Turned(source, true);
    ASSERT_EQ(right.Width(), 2);
    ASSERT_EQ(right.Height(), 4);
    EXPECT_EQ(right.Pixel(0, 0), source.Pixel(0, 1));  // top-left shows the source's bottom-left
}

// Odd sizes: a small one, and one large enough to be shared out over the
// cores and to span several tiles of the fast loops.
const std::pair<int, int> kOddSizes[] = {{131, 70}, {1101, 603}};

TEST(QuarterTurn, EveryPixelLandsWhereTheRuleSays)
{
    for (const auto& [w, h] : kOddSizes) {
        const TBitmap32 source = NoisePicture(w, h, 2);
        const TBitmap32 left = Turned(source, false);
        const TBitmap32 right = Turned(source, true);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(left.Pixel(y, w - 1 - x), source.Pixel(x, y));
                ASSERT_EQ(right.Pixel(h - 1 - y, x), source.Pixel(x, y));
            }
    }
}

TEST(QuarterTurn, FourTurnsGiveTheStartBack)
{
    for (const bool right : {false, true}) {
        const TBitmap32 start = NoisePicture(67, 45, 3);
        TBitmap32 turning = start;
        for (int i = 0; i < 4; ++i)
            RotateBitmapQuarter(turning, turning, right);  // in place, as the window may call it
        EXPECT_EQ(turning, start);
    }
}

TEST(Flips, MirrorRowsOrColumns)
{
    for (const auto& [w, h] : kOddSizes) {
        const TBitmap32 source = NoisePicture(w, h, 4);
        TBitmap32 horizontal, vertical, half, transposed;
        FlipBitmapHorizontal(source, horizontal);
        FlipBitmapVertical(source, vertical);
        RotateBitmapHalf(source, half);
        TransposeBitmap(source, transposed);
        ASSERT_EQ(transposed.Width(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(horizontal.Pixel(w - 1 - x, y), source.Pixel(x, y));
                ASSERT_EQ(vertical.Pixel(x, h - 1 - y), source.Pixel(x, y));
                ASSERT_EQ(half.Pixel(w - 1 - x, h - 1 - y), source.Pixel(x, y));
                ASSERT_EQ(transposed.Pixel(y, x), source.Pixel(x, y));
            }
    }
}

TEST(Flips, EmptyStaysEmpty)
{
    TBitmap32 empty, dest(3, 3);
    FlipBitmapHorizontal(empty, dest);
    EXPECT_TRUE(dest.Empty());
    RotateBitmapQuarter(empty, dest, true);
    EXPECT_TRUE(dest.Empty());
    RotateBitmapFine(empty, dest, 5.0f);
    EXPECT_TRUE(dest.Empty());
}

// The fine rotation written out plainly: the forward matrix built from its
// three steps, inverted by the general 3 x 3 formula, every view pixel mapped
// on its own.
TBitmap32 ReferenceFineRotation(const TBitmap32& source, float angle)
{
    using M = std::array<std::array<double, 3>, 3>;
    const auto multiply = [](const M& a, const M& b) {
        M r{};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k)
                    r[i][j] += a[i][k] * b[k][j];
        return r;
    };
    const double w = source.Width(), h = source.Height();
    const double a = double(angle) * std::numbers::pi / 180.0;
    const M toOrigin{{{1, 0, -(w - 1) / 2}, {0, 1, -(h - 1) / 2}, {0, 0, 1}}};
    const M rotate{{{std::cos(a), std::sin(a), 0}, {-std::sin(a), std::cos(a), 0}, {0, 0, 1}}};
    const M back{{{1, 0, (w - 1) / 2}, {0, 1, (h - 1) / 2}, {0, 0, 1}}};
    const M f = multiply(back, multiply(rotate, toOrigin));
    const double det = f[0][0] * f[1][1] - f[0][1] * f[1][0];
    const double ia = f[1][1] / det, ib = -f[0][1] / det, ic = (f[0][1] * f[1][2] - f[1][1] * f[0][2]) / det;
    const double id = -f[1][0] / det, ie = f[0][0] / det, iff = (f[1][0] * f[0][2] - f[0][0] * f[1][2]) / det;
    const auto fixed = [](double v) { return (long long)std::nearbyint(v * 4096); };

    // The bounding box of the turned rectangle (0, 0, W, H), edges included.
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (const double cx : {0.0, w})
        for (const double cy : {0.0, h}) {
            const double x = f[0][0] * cx + f[0][1] * cy + f[0][2], y = f[1][0] * cx + f[1][1] * cy + f[1][2];
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        }

    TBitmap32 view(source.Width(), source.Height());
    view.Clear(0xFF000000u);
    for (int y = 0; y < view.Height(); ++y)
        for (int x = 0; x < view.Width(); ++x) {
            if (x < std::floor(minX) || x > std::floor(maxX) || y < std::floor(minY) || y > std::floor(maxY))
                continue;
            const long long sx = (x * fixed(ia) + y * fixed(ib) + fixed(ic) + 2047) >> 12;
            const long long sy = (x * fixed(id) + y * fixed(ie) + fixed(iff) + 2047) >> 12;
            if (sx >= 0 && sx < source.Width() && sy >= 0 && sy < source.Height())
                view.SetPixel(x, y, source.Pixel(int(sx), int(sy)));
        }
    return view;
}

TEST(FineRotation, MatchesThePlainVersionPixelForPixel)
{
    const struct {
        int width, height;
        float angle;
    } cases[] = {{101, 57, 7.5f},  {57, 101, -18.0f}, {33, 33, 0.01f}, {640, 481, 3.33f}, {2, 9, 18.0f},
                   {1, 1, -1.0f},   {45, 31, 90.0f},   {31, 45, 135.0f}, {40, 40, -45.0f},  {9, 14, 180.0f}};
    for (const auto& c : cases) {
        const TBitmap32 source = NoisePicture(c.width, c.height, 5);
        TBitmap32 view;
        RotateBitmapFine(source, view, c.angle);
        EXPECT_EQ(view, ReferenceFineRotation(source, c.angle)) << c.width << "x" << c.height << " at " << c.angle;
    }
}

TEST(FineRotation, EighteenDegreesKeepsSizeWithBlackCorners)
{
    const TBitmap32 source = FilledPicture(100, 100, Color32(200, 150, 100));
    TBitmap32 view;
    RotateBitmapFine(source, view, 18.0f);
    ASSERT_EQ(view.Width(), 100);
    ASSERT_EQ(view.Height(), 100);
    for (const auto& [x, y] : {std::pair{0, 0}, {99, 0}, {0, 99}, {99, 99}})
        EXPECT_EQ(view.Pixel(x, y), clBlack32) << x << "," << y;
    EXPECT_EQ(view.Pixel(50, 50), source.Pixel(50, 50));
}

TEST(FineRotation, ZeroAngleIsTheIdentity)
{
    const TFixedInverse m = FineRotationInverse(100, 60, 0.0f);
    EXPECT_EQ((std::array{m.XA, m.XB, m.XC, m.YA, m.YB, m.YC}), (std::array{4096, 0, 0, 0, 4096, 0}));
    const TBitmap32 source = NoisePicture(100, 60, 6);
    TBitmap32 view;
    RotateBitmapFine(source, view, 0.0f);
    EXPECT_EQ(view, source);
}

TEST(FineRotation, PositiveAngleTurnsCounterClockwise)
{
    // A mark right of the centre moves up when turned by +10 degrees.
    TBitmap32 source = FilledPicture(101, 101, Color32(0, 0, 0));
    source.SetPixel(90, 50, clWhite32);
    TBitmap32 view;
    RotateBitmapFine(source, view, 10.0f);
    int markY = -1;
    for (int y = 0; y < 101; ++y)
        for (int x = 0; x < 101; ++x)
            if (view.Pixel(x, y) == clWhite32)
                markY = y;
    EXPECT_GE(markY, 0);
    EXPECT_LT(markY, 50);
}

TEST(Crop, SelectionBecomesAWholePixelRectangleInside)
{
    const struct {
        float l, t, r, b;
        TPixelRect expected;
    } cases[] = {
        {10, 10, 50, 30, {10, 10, 50, 30}},       // a plain drag
        {90, 80, 130, 120, {90, 80, 100, 100}},   // beyond the right and bottom edges
        {-5, -3, 4, 2, {0, 0, 4, 2}},             // beyond the left and top edges
        {10.5f, 11.5f, 20.5f, 21.5f, {10, 12, 20, 22}},  // ties go to even
        {50, 30, 10, 10, {10, 10, 50, 30}},       // drawn up and to the left
        {20, 20, 20, 20, {20, 20, 21, 21}},       // a press without movement
        {0, 0, 1, 1, {0, 0, 1, 1}},               // crop mode applied at once
        {150, 150, 160, 160, {99, 99, 100, 100}}, // wholly outside
    };
    for (const auto& c : cases)
        EXPECT_EQ(CropSelectionRect(c.l, c.t, c.r, c.b, 100, 100), c.expected) << c.l << "," << c.t;
}

TEST(Crop, CopiesTheRectangle)
{
    const TBitmap32 source = NoisePicture(100, 100, 7);
    TBitmap32 cropped;
    CropBitmap(source, cropped, {10, 10, 50, 30});
    ASSERT_EQ(cropped.Width(), 40);
    ASSERT_EQ(cropped.Height(), 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(cropped.Pixel(x, y), source.Pixel(10 + x, 10 + y));
}

}  // namespace
