#include "bitmap32.h"

#include <algorithm>

void TBitmap32::SetSize(int width, int height)
{
    if (width < 1 || height < 1)
        width = height = 0;
    if (width == FWidth && height == FHeight)
        return;
    FWidth = width;
    FHeight = height;
    FBits.resize(PixelCount());
    if (FBits.empty())
        FBits.shrink_to_fit();
}

void TBitmap32::Clear(TColor32 color)
{
    std::fill(FBits.begin(), FBits.end(), color);
}

void TBitmap32::ResetAlpha()
{
    for (TColor32& p : FBits)
        p |= 0xFF000000u;
}
