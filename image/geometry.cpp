#include "geometry.h"

#include "parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

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

// Dest pixel (dx, dy) takes source element base + dx*stepX + dy*stepY.
// Used for the turns that walk the source across its rows; square tiles keep
// the source lines touched by one tile inside the first-level cache.
void GatherTiled(const TBitmap32& Source, TBitmap32& Dest, std::ptrdiff_t base, std::ptrdiff_t stepX,
                 std::ptrdiff_t stepY)
{
    constexpr int kTile = 64;
    const TColor32* src = Source.Bits();
    const int width = Dest.Width();
    ForEachRowBand(Dest.Height(), Dest.PixelCount(), [&](int firstRow, int endRow) {
        for (int ty = firstRow; ty < endRow; ty += kTile) {
            const int tyEnd = std::min(endRow, ty + kTile);
            for (int tx = 0; tx < width; tx += kTile) {
                const int txEnd = std::min(width, tx + kTile);
                for (int y = ty; y < tyEnd; ++y) {
                    TColor32* out = Dest.ScanLine(y);
                    const std::ptrdiff_t rowBase = base + y * stepY;
                    for (int x = tx; x < txEnd; ++x)
                        out[x] = src[rowBase + x * stepX];
                }
            }
        }
    });
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
                for (int x = 0; x < width; ++x)
                    out[x] = in[width - 1 - x];
            } else {
                std::memcpy(out, in, std::size_t(width) * sizeof(TColor32));
            }
        }
    });
}

// Fills view rows [firstRow, endRow) of a fine rotation. Acc is the integer
// type of the fixed-point sums: 32 bits whenever they cannot overflow.
template <typename Acc>
void RotateRows(const TBitmap32& Source, TBitmap32& Dest, const TFixedInverse& m, const TPixelRect& box,
                int firstRow, int endRow)
{
    const TColor32* src = Source.Bits();
    const auto width = static_cast<std::uint32_t>(Source.Width());
    const auto height = static_cast<std::uint32_t>(Source.Height());
    for (int y = std::max(firstRow, box.Top); y < std::min(endRow, box.Bottom); ++y) {
        TColor32* out = Dest.ScanLine(y);
        Acc sx = Acc(box.Left) * m.XA + Acc(y) * m.XB + m.XC + 2047;
        Acc sy = Acc(box.Left) * m.YA + Acc(y) * m.YB + m.YC + 2047;
        for (int x = box.Left; x < box.Right; ++x, sx += m.XA, sy += m.YA) {
            const auto u = static_cast<std::uint32_t>(sx >> 12);
            const auto v = static_cast<std::uint32_t>(sy >> 12);
            if (u < width && v < height)
                out[x] = src[std::size_t(v) * width + u];
        }
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
    return {clip(std::floor(minX), width), clip(std::floor(minY), height), clip(std::ceil(maxX), width),
            clip(std::ceil(maxY), height)};
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
        dst.Clear(clBlack32);
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
