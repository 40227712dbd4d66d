#include "resample.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

// The separable filters written out plainly: weights per the rules, and every
// destination pixel summed over all its tap pairs in 64-bit integers.
struct TTap {
    int index, weight;
};

std::vector<TTap> ReferenceTaps(int s0, int n, int m, int extent, int i, bool spline)
{
    const auto f = [spline](double x) {
        x = std::fabs(x);
        if (!spline)
            return x < 1 ? 1 - x : 0.0;
        if (x < 1)
            return x * x * x / 2 - x * x + 2.0 / 3;
        return x < 2 ? (2 - x) * (2 - x) * (2 - x) / 6 : 0.0;
    };
    const double r = spline ? 1.5 : 1.001;
    double scale = n == 1 ? 1.0 : double(m - 1) / (n - 1);
    double c = s0 + i / scale;
    if (m == 1 && n > 1) {  // our answer for one pixel from many
        scale = 1.0 / n;
        c = s0 + (n - 1) / 2.0;
    }
    const auto limit = [extent](double j) { return std::clamp(int(j), 0, extent - 1); };
    std::vector<TTap> taps;
    if (scale < 1) {
        for (double j = std::floor(c - r / scale); j <= std::ceil(c + r / scale); ++j) {
            const int w = int(std::nearbyint(255 * scale * f((c - j) * scale)));
            if (w != 0)
                taps.push_back({limit(j), w});
        }
        double sum = 0;
        for (const TTap& t : taps)
            sum += t.weight;
        sum /= 255;
        if (sum != 0 && sum != 1) {
            for (TTap& t : taps)
                t.weight = int(std::nearbyint(t.weight * (1 / sum)));
            // our mend: ones added to (or taken from) the largest weights until the sum is 255
            std::vector<TTap*> largestFirst;
            int total = 0;
            for (TTap& t : taps) {
                largestFirst.push_back(&t);
                total += t.weight;
            }
            std::stable_sort(largestFirst.begin(), largestFirst.end(),
                             [](const TTap* a, const TTap* b) { return a->weight > b->weight; });
            for (std::size_t k = 0; total != 255; k = (k + 1) % largestFirst.size()) {
                const int step = total < 255 ? 1 : (largestFirst[k]->weight > 0 ? -1 : 0);
                largestFirst[k]->weight += step;
                total += step;
            }
        }
        if (taps.empty())  // every weight rounded to 0: the nearest pixel, full weight
            taps.push_back({limit(std::nearbyint(c)), 255});
    } else {
        for (double j = std::floor(c - 1 / r); j <= std::ceil(c + 1 / r); ++j) {
            const int w = int(std::nearbyint(256 * f(c - j)));
            if (w != 0)
                taps.push_back({limit(j), w});
        }
    }
    return taps;
}

void ReferenceTransfer(TBitmap32& dest, const TPixelRect& d, const TBitmap32& source, const TPixelRect& s,
                       TStretchFilter filter, TDrawMode mode)
{
    const bool spline = filter == sfSpline;
    const bool copy = d.Width() == s.Width() && d.Height() == s.Height();
    for (int dy = 0; dy < d.Height(); ++dy)
        for (int dx = 0; dx < d.Width(); ++dx) {
            const int x = d.Left + dx, y = d.Top + dy;
            if (x < 0 || y < 0 || x >= dest.Width() || y >= dest.Height())
                continue;
            TColor32 result = 0;
            if (copy) {
                result = source.Pixel(s.Left + dx, s.Top + dy);
            } else {
                const auto wxs = ReferenceTaps(s.Left, s.Width(), d.Width(), source.Width(), dx, spline);
                const auto wys = ReferenceTaps(s.Top, s.Height(), d.Height(), source.Height(), dy, spline);
                for (int shift = 0; shift < 32; shift += 8) {
                    long long sum = 0;
                    for (const TTap& wy : wys)
                        for (const TTap& wx : wxs)
                            sum += (long long)wy.weight * wx.weight * ((source.Pixel(wx.index, wy.index) >> shift) & 255);
                    result |= TColor32(std::min(sum >> 16, 255LL)) << shift;
                }
            }
            const TColor32 old = dest.Pixel(x, y);
            dest.SetPixel(x, y, mode == dmBlend ? BlendColor32(old, result, AlphaOf(result)) : result);
        }
}

struct TStretchCase {
    int sourceWidth, sourceHeight;
    TPixelRect sourceRect, destRect;
};

TEST(Resample, SeparableFiltersMatchThePlainVersion)
{
    const TStretchCase cases[] = {
        {37, 23, {0, 0, 37, 23}, {0, 0, 11, 7}},     // reduce
        {5, 3, {0, 0, 5, 3}, {0, 0, 17, 13}},        // enlarge
        {31, 5, {0, 0, 31, 5}, {0, 0, 9, 12}},       // reduce across, enlarge down
        {1, 1, {0, 0, 1, 1}, {0, 0, 7, 5}},          // one source pixel
        {9, 9, {0, 0, 9, 9}, {0, 0, 1, 3}},          // one destination column
        {41, 29, {6, 3, 35, 26}, {2, 1, 15, 11}},    // part of the source, placed inside
        {41, 29, {0, 0, 41, 29}, {-3, -2, 12, 13}},  // reaching past the destination's edges
        {13, 7, {0, 0, 13, 7}, {1, 1, 14, 8}},       // same size: copied
        {999, 601, {0, 0, 999, 601}, {0, 0, 121, 73}},
    };
    for (const TStretchFilter filter : {sfLinear2, sfSpline})
        for (const TDrawMode mode : {dmOpaque, dmBlend})
            for (const TStretchCase& c : cases) {
                const TBitmap32 source = NoisePicture(c.sourceWidth, c.sourceHeight, 9, true);
                TBitmap32 fast = NoisePicture(16, 15, 10);
                TBitmap32 reference = fast;
                StretchTransfer(fast, c.destRect, source, c.sourceRect, filter, mode);
                ReferenceTransfer(reference, c.destRect, source, c.sourceRect, filter, mode);
                ASSERT_EQ(fast, reference) << "filter " << filter << " mode " << mode << " source "
                                           << c.sourceWidth << "x" << c.sourceHeight;
            }
}

TEST(Resample, OpaqueSplineReductionLeavesAlphaJustBelowFull)
{
    // Also 6000 pixels into 120, where rounding alone would leave alpha near 231.
    for (const auto& [width, height] : {std::pair{400, 300}, {1600, 1200}, {6000, 8}}) {
        const TBitmap32 source = FilledPicture(width, height, Color32(10, 20, 30));
        const int m = width * 3 / 40, mh = height * 3 / 40;
        TBitmap32 dest(m, mh);
        StretchTransfer(dest, {0, 0, m, mh}, source, {0, 0, width, height}, sfSpline, dmOpaque);
        std::map<unsigned, int> alphas;
        for (int y = 0; y < mh; ++y)
            for (int x = 0; x < m; ++x)
                ++alphas[AlphaOf(dest.Pixel(x, y))];
        for (const auto& [alpha, count] : alphas)
            EXPECT_TRUE(alpha == 253 || alpha == 254) << width << ": alpha " << alpha << " x " << count;
    }
}

TEST(Resample, ExtremeReductionStillRenders)
{
    // 40,000 pixels into 100: every filter weight rounds to 0.
    const TColor32 colour = Color32(10, 200, 30);
    const TBitmap32 source = FilledPicture(40000, 3, colour);
    TBitmap32 dest = FilledPicture(100, 3, clBlack32);
    StretchTransfer(dest, {0, 0, 100, 3}, source, {0, 0, 40000, 3}, sfSpline, dmOpaque);
    for (int x = 0; x < 100; ++x) {
        const TColor32 p = dest.Pixel(x, 1);
        EXPECT_NEAR(RedOf(p), 10, 1);
        EXPECT_NEAR(GreenOf(p), 200, 1);
        EXPECT_NEAR(BlueOf(p), 30, 1);
    }
}

TEST(Resample, NearestAndBilinear)
{
    // A 2 x 1 source doubled: nearest repeats each pixel, bilinear blends between them.
    TBitmap32 source(2, 1);
    source.SetPixel(0, 0, Color32(0, 0, 0));
    source.SetPixel(1, 0, Color32(200, 100, 40));
    TBitmap32 nearest(4, 1), linear(4, 1);
    StretchTransfer(nearest, {0, 0, 4, 1}, source, {0, 0, 2, 1}, sfNearest, dmOpaque);
    StretchTransfer(linear, {0, 0, 4, 1}, source, {0, 0, 2, 1}, sfLinear, dmOpaque);
    EXPECT_EQ(nearest.Pixel(1, 0), source.Pixel(0, 0));
    EXPECT_EQ(nearest.Pixel(2, 0), source.Pixel(1, 0));
    EXPECT_EQ(linear.Pixel(0, 0), source.Pixel(0, 0));
    EXPECT_EQ(linear.Pixel(3, 0), source.Pixel(1, 0));
    EXPECT_EQ(linear.Pixel(1, 0), Color32(50, 25, 10));  // a quarter of the way
    // Same size is an exact copy for both.
    const TBitmap32 noise = NoisePicture(7, 5, 11);
    for (const TStretchFilter filter : {sfNearest, sfLinear}) {
        TBitmap32 copy(7, 5);
        StretchTransfer(copy, {0, 0, 7, 5}, noise, {0, 0, 7, 5}, filter, dmOpaque);
        EXPECT_EQ(copy, noise);
    }
}

}  // namespace
