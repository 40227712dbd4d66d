#include "geometry.h"

#include "distinct_source.h"
#include "parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

#ifdef __SSE2__
__m128i Reverse4(__m128i v) { return _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3)); }

// Dest rows y..y+3, columns x..x+3 of a gather whose rows run along source
// rows (stepY is +1 or -1): four 4-pixel source loads, one 4 x 4 transpose.
void GatherBlock4x4(const TColor32* src, TBitmap32& dest, std::ptrdiff_t base, std::ptrdiff_t stepX,
                    std::ptrdiff_t stepY, int x, int y)
{
    __m128i v[4];
    for (int i = 0; i < 4; ++i) {
        const std::ptrdiff_t first = base + (x + i) * stepX + y * stepY;
        v[i] = stepY > 0 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + first))
                         : Reverse4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + first - 3)));
    }
    const __m128i t0 = _mm_unpacklo_epi32(v[0], v[1]), t1 = _mm_unpacklo_epi32(v[2], v[3]);
    const __m128i t2 = _mm_unpackhi_epi32(v[0], v[1]), t3 = _mm_unpackhi_epi32(v[2], v[3]);
    const __m128i rows[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), _mm_unpacklo_epi64(t2, t3),
                             _mm_unpackhi_epi64(t2, t3)};
    for (int j = 0; j < 4; ++j)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest.ScanLine(y + j) + x), rows[j]);
}
#endif

// Dest pixel (dx, dy) takes source element base + dx*stepX + dy*stepY, where
// stepY is +1 or -1: the turns, which walk the source across its rows.
// Within a tile, 4 x 4 blocks are transposed in registers; a strip of blocks
// touches one cache line in each of kTile source rows, which stay cached
// while the next strips use the rest of those lines.
void GatherTiled(const TBitmap32& Source, TBitmap32& Dest, std::ptrdiff_t base, std::ptrdiff_t stepX,
                 std::ptrdiff_t stepY)
{
    constexpr int kTile = 1024;
    const TColor32* src = Source.Bits();
    const int width = Dest.Width();
    const auto scalar = [&](int y, int fromX, int endX) {
        TColor32* out = Dest.ScanLine(y);
        const std::ptrdiff_t rowBase = base + y * stepY;
        for (int x = fromX; x < endX; ++x)
            out[x] = src[rowBase + x * stepX];
    };
    ForEachRowBand(Dest.Height(), Dest.PixelCount(), [&](int firstRow, int endRow) {
        for (int ty = firstRow; ty < endRow; ty += kTile) {
            const int tyEnd = std::min(endRow, ty + kTile);
            for (int tx = 0; tx < width; tx += kTile) {
                const int txEnd = std::min(width, tx + kTile);
                int y = ty;
#ifdef __SSE2__
                const int blockEnd = tx + (txEnd - tx) / 4 * 4;
                for (; y + 4 <= tyEnd; y += 4) {
                    for (int x = tx; x < blockEnd; x += 4)
                        GatherBlock4x4(src, Dest, base, stepX, stepY, x, y);
                    for (int j = 0; j < 4; ++j)
                        scalar(y + j, blockEnd, txEnd);
                }
#endif
                for (; y < tyEnd; ++y)
                    scalar(y, tx, txEnd);
            }
        }
    });
}

// Mirrors one row left to right.
void ReverseRow(const TColor32* in, TColor32* out, int width)
{
    int x = 0;
#ifdef __SSE2__
    for (; x + 4 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + width - 4 - x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), Reverse4(v));
    }
#endif
    for (; x < width; ++x)
        out[x] = in[width - 1 - x];
}

void Transposed(const TBitmap32& Source, TBitmap32& Dest, std::ptrdiff_t base, std::ptrdiff_t stepX,
                std::ptrdiff_t stepY)
{
    Dest.SetSize(Source.Height(), Source.Width());
    if (!Dest.Empty())
        GatherTiled(Source, Dest, base, stepX, stepY);
}

// Copies every row of Source into Dest, mirrored left to right when asked,
// taking the rows bottom-up when asked.
void CopyRows(const TBitmap32& Source, TBitmap32& Dest, bool mirrorRows, bool bottomUp)
{
    Dest.SetSize(Source.Width(), Source.Height());
    const int width = Source.Width();
    const int height = Source.Height();
    ForEachRowBand(height, Source.PixelCount(), [&](int firstRow, int endRow) {
        for (int y = firstRow; y < endRow; ++y) {
            const TColor32* in = Source.ScanLine(bottomUp ? height - 1 - y : y);
            TColor32* out = Dest.ScanLine(y);
            if (mirrorRows) {
                ReverseRow(in, out, width);
            } else {
                std::memcpy(out, in, std::size_t(width) * sizeof(TColor32));
            }
        }
    });
}

}  // namespace

void RotateBitmapQuarter(const TBitmap32& Source, TBitmap32& Dest, bool Right)
{
    WithDistinctSource(Source, Dest, [Right](const TBitmap32& src, TBitmap32& dst) {
        const std::ptrdiff_t w = src.Width(), h = src.Height();
        if (Right)  // view (x, y) shows source (y, H - 1 - x)
            Transposed(src, dst, (h - 1) * w, -w, 1);
        else  // view (x, y) shows source (W - 1 - y, x)
            Transposed(src, dst, w - 1, w, -1);
    });
}

void TransposeBitmap(const TBitmap32& Source, TBitmap32& Dest)
{
    WithDistinctSource(Source, Dest,
                       [](const TBitmap32& src, TBitmap32& dst) { Transposed(src, dst, 0, src.Width(), 1); });
}

void RotateBitmapHalf(const TBitmap32& Source, TBitmap32& Dest)
{
    WithDistinctSource(Source, Dest, [](const TBitmap32& src, TBitmap32& dst) { CopyRows(src, dst, true, true); });
}

void FlipBitmapHorizontal(const TBitmap32& Source, TBitmap32& Dest)
{
    WithDistinctSource(Source, Dest, [](const TBitmap32& src, TBitmap32& dst) { CopyRows(src, dst, true, false); });
}

void FlipBitmapVertical(const TBitmap32& Source, TBitmap32& Dest)
{
    WithDistinctSource(Source, Dest, [](const TBitmap32& src, TBitmap32& dst) { CopyRows(src, dst, false, true); });
}

TPixelRect CropSelectionRect(float Left, float Top, float Right, float Bottom, int Width, int Height)
{
    const auto whole = [](float v) { return static_cast<long long>(std::nearbyint(double(v))); };
    const auto side = [&](float a, float b, int extent, int& first, int& end) {
        first = int(std::clamp<long long>(whole(std::min(a, b)), 0, extent - 1));
        end = int(std::clamp<long long>(whole(std::max(a, b)), first + 1, extent));
    };
    TPixelRect r{};
    side(Left, Right, Width, r.Left, r.Right);
    side(Top, Bottom, Height, r.Top, r.Bottom);
    return r;
}

void CropBitmap(const TBitmap32& Source, TBitmap32& Dest, const TPixelRect& Rect)
{
    WithDistinctSource(Source, Dest, [&Rect](const TBitmap32& src, TBitmap32& dst) {
        dst.SetSize(Rect.Width(), Rect.Height());
        for (int y = 0; y < dst.Height(); ++y)
            std::memcpy(dst.ScanLine(y), src.ScanLine(Rect.Top + y) + Rect.Left,
                        std::size_t(dst.Width()) * sizeof(TColor32));
    });
}
