#include "resample.h"

#include "parallel_rows.h"
#include "resample_weights.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

TColor32 Combine(TColor32 dest, TColor32 result, TDrawMode mode)
{
    return mode == dmBlend ? BlendColor32(dest, result, AlphaOf(result)) : result;
}

// The part of DestRect inside Dest, as destination offsets from DestRect's corner.
struct TSpan {
    int First, End;
};
TSpan VisibleSpan(int rectStart, int rectSize, int bitmapSize)
{
    return {std::max(0, -rectStart), std::min(rectSize, bitmapSize - rectStart)};
}

// Source position for nearest and bilinear: pixel centres map onto pixel centres.
// In 1/256 pixel, for destination pixel i of m over count source pixels.
long long CentreFixed8(int i, int m, int count)
{
    return ((2LL * i + 1) * count * 256) / (2LL * m) - 128;
}

struct TTransfer {
    TBitmap32& Dest;
    const TPixelRect& DestRect;
    const TBitmap32& Source;
    const TPixelRect& SourceRect;
    TDrawMode Mode;

    int SourceX(int i) const { return std::clamp(SourceRect.Left + i, 0, Source.Width() - 1); }
    int SourceY(int i) const { return std::clamp(SourceRect.Top + i, 0, Source.Height() - 1); }

    // Calls pixel(dx, dy) for every visible destination pixel (offsets within
    // DestRect) and combines its result into Dest.
    template <typename PixelAt>
    void ForEachPixel(PixelAt pixel) const
    {
        const TSpan xs = VisibleSpan(DestRect.Left, DestRect.Width(), Dest.Width());
        const TSpan ys = VisibleSpan(DestRect.Top, DestRect.Height(), Dest.Height());
        if (xs.First >= xs.End || ys.First >= ys.End)
            return;
        const std::size_t pixels = std::size_t(xs.End - xs.First) * std::size_t(ys.End - ys.First);
        ForEachRowBand(ys.End - ys.First, pixels, [&](int firstRow, int endRow) {
            for (int dy = ys.First + firstRow; dy < ys.First + endRow; ++dy) {
                TColor32* out = Dest.ScanLine(DestRect.Top + dy) + DestRect.Left;
                for (int dx = xs.First; dx < xs.End; ++dx)
                    out[dx] = Combine(out[dx], pixel(dx, dy), Mode);
            }
        });
    }

    void Copy() const
    {
        ForEachPixel([&](int dx, int dy) { return Source.Pixel(SourceX(dx), SourceY(dy)); });
    }

    void Nearest() const
    {
        const int m = DestRect.Width(), n = SourceRect.Width();
        const int mh = DestRect.Height(), nh = SourceRect.Height();
        ForEachPixel([&](int dx, int dy) {
            const int sx = int(((2LL * dx + 1) * n) / (2LL * m));
            const int sy = int(((2LL * dy + 1) * nh) / (2LL * mh));
            return Source.Pixel(SourceX(sx), SourceY(sy));
        });
    }

    void Bilinear() const
    {
        const auto position = [](int i, int m, int count) {
            return std::clamp<long long>(CentreFixed8(i, m, count), 0, (count - 1) * 256LL);
        };
        ForEachPixel([&](int dx, int dy) {
            const long long px = position(dx, DestRect.Width(), SourceRect.Width());
            const long long py = position(dy, DestRect.Height(), SourceRect.Height());
            const int x0 = int(px >> 8), y0 = int(py >> 8);
            const unsigned fx = unsigned(px & 255), fy = unsigned(py & 255);
            const TColor32 p00 = Source.Pixel(SourceX(x0), SourceY(y0));
            const TColor32 p10 = Source.Pixel(SourceX(x0 + 1), SourceY(y0));
            const TColor32 p01 = Source.Pixel(SourceX(x0), SourceY(y0 + 1));
            const TColor32 p11 = Source.Pixel(SourceX(x0 + 1), SourceY(y0 + 1));
            TColor32 result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const unsigned top = ((p00 >> shift) & 255) * (256 - fx) + ((p10 >> shift) & 255) * fx;
                const unsigned bottom = ((p01 >> shift) & 255) * (256 - fx) + ((p11 >> shift) & 255) * fx;
                result |= ((top * (256 - fy) + bottom * fy + 32768) >> 16) << shift;
            }
            return result;
        });
    }

    void Separable(TStretchFilter filter) const;
};

// sums (blue, green, red, alpha per column) += wa * rowA + wb * rowB.
// Weights stay far below 2^15, so SSE2 multiplies 16-bit channel pairs of
// both rows and adds them into 32-bit sums in one step (pmaddwd).
void AccumulateRows(std::int32_t* sums, const TColor32* rowA, int wa, const TColor32* rowB, int wb, int columns)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i weights = _mm_set1_epi32(int(unsigned(wb) << 16 | (unsigned(wa) & 0xFFFF)));
    const __m128i zero = _mm_setzero_si128();
    const auto add = [&](std::int32_t* at, __m128i channelPairs) {
        auto* p = reinterpret_cast<__m128i*>(at);
        _mm_storeu_si128(p, _mm_add_epi32(_mm_loadu_si128(p), _mm_madd_epi16(channelPairs, weights)));
    };
    for (; x + 4 <= columns; x += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rowA + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rowB + x));
        const __m128i aLow = _mm_unpacklo_epi8(a, zero), bLow = _mm_unpacklo_epi8(b, zero);
        const __m128i aHigh = _mm_unpackhi_epi8(a, zero), bHigh = _mm_unpackhi_epi8(b, zero);
        std::int32_t* at = sums + 4 * std::size_t(x);
        add(at, _mm_unpacklo_epi16(aLow, bLow));
        add(at + 4, _mm_unpackhi_epi16(aLow, bLow));
        add(at + 8, _mm_unpacklo_epi16(aHigh, bHigh));
        add(at + 12, _mm_unpackhi_epi16(aHigh, bHigh));
    }
#endif
    for (; x < columns; ++x) {
        std::int32_t* acc = sums + 4 * std::size_t(x);
        for (int c = 0; c < 4; ++c)
            acc[c] += wa * std::int32_t((rowA[x] >> (8 * c)) & 255) + wb * std::int32_t((rowB[x] >> (8 * c)) & 255);
    }
}

// Separable filtering, the vertical taps first: for one destination row the
// weighted sum of its source rows is kept per column and channel, then the
// horizontal taps combine those sums. Integer sums throughout, shifted once
// at the end, so the order of the two passes does not change any result.
void TTransfer::Separable(TStretchFilter filter) const
{
    const TWeightTable wx =
        BuildWeightTable(SourceRect.Left, SourceRect.Width(), DestRect.Width(), Source.Width(), filter);
    const TWeightTable wy =
        BuildWeightTable(SourceRect.Top, SourceRect.Height(), DestRect.Height(), Source.Height(), filter);
    const TSpan xs = VisibleSpan(DestRect.Left, DestRect.Width(), Dest.Width());
    const TSpan ys = VisibleSpan(DestRect.Top, DestRect.Height(), Dest.Height());
    if (xs.First >= xs.End || ys.First >= ys.End)
        return;
    const int columns = wx.MaxIndex - wx.MinIndex + 1;
    const std::size_t work = std::size_t(columns) * std::size_t(wy.Taps.size());

    ForEachRowBand(ys.End - ys.First, work, [&](int firstRow, int endRow) {
        std::vector<std::int32_t> sums(std::size_t(columns) * 4);
        for (int dy = ys.First + firstRow; dy < ys.First + endRow; ++dy) {
            std::fill(sums.begin(), sums.end(), 0);
            for (int t = wy.First[dy]; t < wy.First[dy + 1]; t += 2) {
                // Taps in pairs; an odd last one pairs with itself at weight 0.
                const auto& a = wy.Taps[std::size_t(t)];
                const bool pair = t + 1 < wy.First[dy + 1];
                const auto& b = pair ? wy.Taps[std::size_t(t) + 1] : a;
                AccumulateRows(sums.data(), Source.ScanLine(a.Index) + wx.MinIndex, a.Weight,
                               Source.ScanLine(b.Index) + wx.MinIndex, pair ? b.Weight : 0, columns);
            }
            TColor32* out = Dest.ScanLine(DestRect.Top + dy) + DestRect.Left;
            for (int dx = xs.First; dx < xs.End; ++dx) {
                std::int32_t channel[4] = {0, 0, 0, 0};
                for (int t = wx.First[dx]; t < wx.First[dx + 1]; ++t) {
                    const std::int32_t* column = sums.data() + std::size_t(wx.Taps[t].Index - wx.MinIndex) * 4;
                    const std::int32_t w = wx.Taps[t].Weight;
                    for (int c = 0; c < 4; ++c)
                        channel[c] += w * column[c];
                }
                TColor32 result = 0;
                for (int c = 0; c < 4; ++c)
                    result |= TColor32(std::min(channel[c] >> 16, 255)) << (8 * c);
                out[dx] = Combine(out[dx], result, Mode);
            }
        }
    });
}

}  // namespace

void StretchTransfer(TBitmap32& Dest, const TPixelRect& DestRect, const TBitmap32& Source,
                     const TPixelRect& SourceRect, TStretchFilter Filter, TDrawMode DrawMode)
{
    if (DestRect.Empty() || SourceRect.Empty() || Source.Empty() || Dest.Empty())
        return;
    const TTransfer transfer{Dest, DestRect, Source, SourceRect, DrawMode};
    const bool sameSize =
        DestRect.Width() == SourceRect.Width() && DestRect.Height() == SourceRect.Height();
    switch (Filter) {
    case sfNearest:
        transfer.Nearest();
        break;
    case sfLinear:
        transfer.Bilinear();
        break;
    case sfLinear2:
    case sfSpline:
        if (sameSize)
            transfer.Copy();
        else
            transfer.Separable(Filter);
        break;
    }
}
