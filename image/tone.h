#pragma once
// Brightness, gamma and contrast through one 256-entry tone table.

#include "bitmap32.h"

#include <array>
#include <cstdint>

using TToneTable = std::array<std::uint8_t, 256>;

// Levels and curve: input levels InLow/InMid/InHigh map to 0, 0.5 and 1, the
// curve is raised to 10^(Gamma/200), then contrast and brightness (slider
// positions -100..100) are applied and the result limited to OutLow..OutHigh.
// Computed in single precision exactly as the tone dialog always has been.
void BuildToneTable(int Brightness, int Contrast, int Gamma, std::uint8_t OutHigh, std::uint8_t OutLow,
                    std::uint8_t InHigh, std::uint8_t InMid, std::uint8_t InLow, TToneTable& Table);

// The levels the tone dialog always passes.
inline void BuildToneTable(int Brightness, int Contrast, int Gamma, TToneTable& Table)
{
    BuildToneTable(Brightness, Contrast, Gamma, 255, 0, 255, 127, 0, Table);
}

// Dest gets Source's size; each of red, green and blue is replaced by its
// table entry and alpha becomes 255. Source and Dest may be the same bitmap.
void ApplyToneTable(TBitmap32& Dest, const TBitmap32& Source, const TToneTable& Table);
