#include "distinct_source.h"
#include "geometry.h"
#include "parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#ifdef __SSE2__
#include <xmmintrin.h>
#endif

namespace {

double Radians(float degrees) { return double(degrees) * std::numbers::pi / 180.0; }

int Fixed12(double v) { return static_cast<int>(std::nearbyint(v * 4096.0)); }

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


}  // namespace

TFixedInverse FineRotationInverse(int Width, int Height, float AngleDegrees)
{
    // Forward: p' = R (p - c) + c with R = [cos sin; -sin cos] (y points down).
    // Inverse: p = R^T (p' - c) + c.
    const double a = Radians(AngleDegrees);
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
        const double a = Radians(AngleDegrees);
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

