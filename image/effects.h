#pragma once
// The finishing touches of thumbnails: a 5 x 5 convolution for the soft
// shadow and the bevel drawn around the picture.

#include "bitmap32.h"

#include <array>
#include <cstdint>

using TKernel5x5 = std::array<int, 25>;  // row by row, top-left first

// Each pixel at least two pixels inside the border becomes, per red, green and
// blue, the kernel-weighted sum of its 5 x 5 neighbourhood divided by Divisor
// (truncated, limited to 0..255), with alpha 255. The two outermost rows and
// columns stay. A divisor of 0 counts as 1.
void Convolve5x5(TBitmap32& Bitmap, const TKernel5x5& Kernel, std::uint16_t Divisor);

// Draws BevelWidth rings inside the rectangle (Right and Bottom exclusive):
// top and left edges in the light colour, bottom and right in the dark one,
// blended by an alpha that grows with Contrast (negative Contrast swaps the
// colours). Corners belong to the rows. Clipped to the bitmap.
void DrawBevel(TBitmap32& Bitmap, const TPixelRect& Rect, int BevelWidth, int Contrast, TColor LightColor,
               TColor DarkColor);
