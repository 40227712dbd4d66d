#include "effects.h"

#include <algorithm>

void Convolve5x5(TBitmap32& Bitmap, const TKernel5x5& Kernel, std::uint16_t Divisor)
{
    const int divisor = Divisor == 0 ? 1 : Divisor;
    const TBitmap32 source = Bitmap;
    for (int y = 2; y <= Bitmap.Height() - 3; ++y) {
        TColor32* out = Bitmap.ScanLine(y);
        for (int x = 2; x <= Bitmap.Width() - 3; ++x) {
            int sums[3] = {0, 0, 0};  // red, green, blue
            for (int dy = -2; dy <= 2; ++dy) {
                const TColor32* in = source.ScanLine(y + dy) + x;
                for (int dx = -2; dx <= 2; ++dx) {
                    const int k = Kernel[std::size_t((dy + 2) * 5 + dx + 2)];
                    const TColor32 p = in[dx];
                    sums[0] += k * int(RedOf(p));
                    sums[1] += k * int(GreenOf(p));
                    sums[2] += k * int(BlueOf(p));
                }
            }
            const auto channel = [divisor](int sum) { return unsigned(std::clamp(sum / divisor, 0, 255)); };
            out[x] = Color32(channel(sums[0]), channel(sums[1]), channel(sums[2]));
        }
    }
}

namespace {

unsigned ClampAlpha(long long v) { return unsigned(std::clamp<long long>(v, 0, 255)); }

void BlendRow(TBitmap32& bitmap, int y, int x0, int x1, TColor32 color, unsigned alpha)
{
    if (y < 0 || y >= bitmap.Height())
        return;
    TColor32* row = bitmap.ScanLine(y);
    for (int x = std::max(x0, 0); x <= std::min(x1, bitmap.Width() - 1); ++x)
        row[x] = BlendColor32(row[x], color, alpha);
}

void BlendColumn(TBitmap32& bitmap, int x, int y0, int y1, TColor32 color, unsigned alpha)
{
    if (x < 0 || x >= bitmap.Width())
        return;
    for (int y = std::max(y0, 0); y <= std::min(y1, bitmap.Height() - 1); ++y)
        bitmap.SetPixel(x, y, BlendColor32(bitmap.Pixel(x, y), color, alpha));
}

}  // namespace

void DrawBevel(TBitmap32& Bitmap, const TPixelRect& Rect, int BevelWidth, int Contrast, TColor LightColor,
               TColor DarkColor)
{
    const auto [l, t, r, b] = Rect;
    if (l >= r || t >= b || l >= Bitmap.Width() || t >= Bitmap.Height() || r <= 0 || b <= 0 || Contrast == 0)
        return;
    const long long c = Contrast < 0 ? -(long long)Contrast : Contrast;
    const unsigned lightAlpha = ClampAlpha(c * 512 / 100), darkAlpha = ClampAlpha(c * 255 / 100);
    TColor32 topLeft = ColorToPixel(LightColor), bottomRight = ColorToPixel(DarkColor);
    unsigned topLeftAlpha = lightAlpha, bottomRightAlpha = darkAlpha;
    if (Contrast < 0) {
        std::swap(topLeft, bottomRight);
        std::swap(topLeftAlpha, bottomRightAlpha);
    }
    // Rings past the middle of the rectangle would draw nothing.
    const int rings = std::min(BevelWidth, std::max(r - l, b - t));
    for (int i = 0; i < rings; ++i) {
        BlendRow(Bitmap, t + i, l + i, r - 1 - i, topLeft, topLeftAlpha);
        BlendRow(Bitmap, b - 1 - i, l + i, r - 1 - i, bottomRight, bottomRightAlpha);
        BlendColumn(Bitmap, l + i, t + i + 1, b - 2 - i, topLeft, topLeftAlpha);
        BlendColumn(Bitmap, r - 1 - i, t + i + 1, b - 2 - i, bottomRight, bottomRightAlpha);
    }
}
