#include "geometry.h"

#include "parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Runs edit(source, dest) with a private copy of the source when the caller
// passed the same bitmap twice, since every edit reads while it writes.
template <typename Edit>
void WithDistinctSource(const TBitmap32& Source, TBitmap32& Dest, Edit edit)
{
    if (&Source == &Dest) {
        const TBitmap32 copy = Source;
        edit(copy, Dest);
    } else {
        edit(Source, Dest);
    }
}

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

// floor(a / b) and ceil(a / b) for b != 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// The x (half-open range) for which (x*step + start) >> 12 lies in 0..extent-1,
// that is 0 <= x*step + start <= extent*4096 - 1.
std::pair<std::int64_t, std::int64_t> InsideRange(std::int64_t step, std::int64_t start, int extent)
{
    const std::int64_t last = std::int64_t(extent) * 4096 - 1;
    if (step > 0)
        return {CeilDiv(-start, step), FloorDiv(last - start, step) + 1};
    if (step < 0)
        return {CeilDiv(last - start, step), FloorDiv(-start, step) + 1};
    return start >= 0 && start <= last ? std::pair<std::int64_t, std::int64_t>{INT32_MIN, INT32_MAX}
                                       : std::pair<std::int64_t, std::int64_t>{0, 0};
}

// Fills view rows [firstRow, endRow) of a fine rotation. Each row maps onto a
// straight line through the source, so the pixels that find a source pixel
// form one run; the rest of the row is black. Acc is the integer type of the
// fixed-point sums: 32 bits whenever they cannot overflow.
template <typename Acc>
void RotateRows(const TBitmap32& Source, TBitmap32& Dest, const TFixedInverse& m, const TPixelRect& box,
                int firstRow, int endRow)
{
    const TColor32* src = Source.Bits();
    const auto width = std::size_t(Source.Width());
    // The slanted line of the next rows crosses each source row a little
    // further left (or right), at lines no prefetcher foresees: fetch them
    // into the cache a few rows ahead.
    const std::ptrdiff_t ahead = m.YA > 0 ? -64 : 64;
    const std::size_t last = Source.PixelCount() - 1;
    for (int y = firstRow; y < endRow; ++y) {
        TColor32* out = Dest.ScanLine(y);
        const std::int64_t startX = std::int64_t(y) * m.XB + m.XC + 2047;
        const std::int64_t startY = std::int64_t(y) * m.YB + m.YC + 2047;
        const auto [fromX, endX] = InsideRange(m.XA, startX, Source.Width());
        const auto [fromY, endY] = InsideRange(m.YA, startY, Source.Height());
        int x0 = int(std::max({fromX, fromY, std::int64_t(box.Left)}));
        int x1 = int(std::min({endX, endY, std::int64_t(box.Right)}));
        if (y < box.Top || y >= box.Bottom || x0 >= x1)
            x0 = x1 = 0;
        std::fill(out, out + x0, clBlack32);
        Acc sx = Acc(x0) * m.XA + Acc(startX);
        Acc sy = Acc(x0) * m.YA + Acc(startY);
        for (int x = x0; x < x1; ++x, sx += m.XA, sy += m.YA) {
            const std::size_t at = std::size_t(sy >> 12) * width + std::size_t(sx >> 12);
#ifdef __SSE2__
            _mm_prefetch(reinterpret_cast<const char*>(src + std::min(last, at + std::size_t(ahead))), _MM_HINT_T1);
#endif
            out[x] = src[at];
        }
        std::fill(out + x1, out + Dest.Width(), clBlack32);
    }
}

// The part of the view that the turned source rectangle (0, 0, W, H) covers.
TPixelRect RotatedBounds(int width, int height, double cosA, double sinA)
{
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const double x : {0.0, double(width)}) {
        for (const double y : {0.0, double(height)}) {
            const double rx = (x - cx) * cosA + (y - cy) * sinA + cx;
            const double ry = -(x - cx) * sinA + (y - cy) * cosA + cy;
            minX = std::min(minX, rx), maxX = std::max(maxX, rx);
            minY = std::min(minY, ry), maxY = std::max(maxY, ry);
        }
    }
    const auto clip = [](double v, int limit) { return int(std::clamp(v, 0.0, double(limit))); };
    // Pixels on the box's edge count as inside it.
    return {clip(std::floor(minX), width), clip(std::floor(minY), height), clip(std::floor(maxX) + 1, width),
            clip(std::floor(maxY) + 1, height)};
}

int Fixed12(double v) { return static_cast<int>(std::nearbyint(v * 4096.0)); }

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

TFixedInverse FineRotationInverse(int Width, int Height, float AngleDegrees)
{
    // Forward: p' = R (p - c) + c with R = [cos sin; -sin cos] (y points down).
    // Inverse: p = R^T (p' - c) + c.
    const double a = double(AngleDegrees) * std::numbers::pi / 180.0;
    const double cosA = std::cos(a), sinA = std::sin(a);
    const double cx = (Width - 1) / 2.0, cy = (Height - 1) / 2.0;
    return {Fixed12(cosA), Fixed12(-sinA), Fixed12(cx - cx * cosA + cy * sinA),
            Fixed12(sinA), Fixed12(cosA),  Fixed12(cy - cx * sinA - cy * cosA)};
}

void RotateBitmapFine(const TBitmap32& Source, TBitmap32& Dest, float AngleDegrees)
{
    WithDistinctSource(Source, Dest, [AngleDegrees](const TBitmap32& src, TBitmap32& dst) {
        dst.SetSize(src.Width(), src.Height());
        if (dst.Empty())
            return;
        const double a = double(AngleDegrees) * std::numbers::pi / 180.0;
        const TPixelRect box = RotatedBounds(src.Width(), src.Height(), std::cos(a), std::sin(a));
        const TFixedInverse m = FineRotationInverse(src.Width(), src.Height(), AngleDegrees);
        // |x*A + y*B + C| stays below 2^31 for sides up to 65535 (every JPEG).
        const bool fits32 = src.Width() <= 65535 && src.Height() <= 65535;
        ForEachRowBand(dst.Height(), dst.PixelCount(), [&](int firstRow, int endRow) {
            if (fits32)
                RotateRows<std::int32_t>(src, dst, m, box, firstRow, endRow);
            else
                RotateRows<std::int64_t>(src, dst, m, box, firstRow, endRow);
        });
    });
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
