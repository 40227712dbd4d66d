#include "tone.h"

#include "parallel_rows.h"

#include <algorithm>
#include <cmath>
#include <vector>

void BuildToneTable(int Brightness, int Contrast, int Gamma, std::uint8_t OutHigh, std::uint8_t OutLow,
                    std::uint8_t InHigh, std::uint8_t InMid, std::uint8_t InLow, TToneTable& Table)
{
    // Every intermediate is a float on purpose: the table must match the one
    // users have always got, tie for tie.
    const float b = float(Brightness) / 100.0f;
    const float c = float(Contrast) / 100.0f;
    const float gammaExponent = float(Gamma) / 200.0f;
    const float g = float(std::pow(10.0, double(gammaExponent)));
    const float lo = float(InLow) / 255.0f, mid = float(InMid) / 255.0f, hi = float(InHigh) / 255.0f;
    const float olo = float(OutLow) / 255.0f, ohi = float(OutHigh) / 255.0f;

    for (int i = 0; i < 256; ++i) {
        const float x = float(i) / 255.0f;
        float r;
        if (x < lo) {
            r = 0.0f;
        } else if (x > hi) {
            r = 1.0f;
        } else {
            float t;
            if (x < mid) {
                const float half = (x - lo) / 2.0f;
                t = half / (mid - lo);
            } else if (hi > mid) {
                const float half = (x - mid) / 2.0f;
                const float part = half / (hi - mid);
                t = part + 0.5f;
            } else {
                t = 1.0f;  // x is both the middle and the top level
            }
            const float v = t == 0.0f ? 0.0f : float(std::pow(double(t), double(g)));
            const float centred = v - 0.5f;
            const float stretched = (1.0f + c) * centred;
            r = stretched + 0.5f;
            r = r + b;
            r = std::clamp(r, olo, ohi);
        }
        const float scaled = r * 255.0f;
        Table[i] = static_cast<std::uint8_t>(std::clamp(std::nearbyint(scaled), 0.0f, 255.0f));
    }
}

void ApplyToneTable(TBitmap32& Dest, const TBitmap32& Source, const TToneTable& Table)
{
    // Green and blue are looked up together in one 64K table: half the
    // lookups of three separate ones, same values.
    std::vector<std::uint16_t> greenBlue(65536);
    for (unsigned gb = 0; gb < 65536; ++gb)
        greenBlue[gb] = std::uint16_t((Table[gb >> 8] << 8) | Table[gb & 0xFF]);
    std::array<TColor32, 256> red;
    for (unsigned r = 0; r < 256; ++r)
        red[r] = 0xFF000000u | (TColor32(Table[r]) << 16);

    Dest.SetSize(Source.Width(), Source.Height());
    const TColor32* in = Source.Bits();
    TColor32* out = Dest.Bits();
    const int width = Source.Width();
    ForEachRowBand(Source.Height(), Source.PixelCount(), [&](int firstRow, int endRow) {
        const std::size_t end = std::size_t(endRow) * std::size_t(width);
        for (std::size_t i = std::size_t(firstRow) * std::size_t(width); i < end; ++i) {
            const TColor32 p = in[i];
            out[i] = red[(p >> 16) & 0xFF] | greenBlue[p & 0xFFFF];
        }
    });
}
