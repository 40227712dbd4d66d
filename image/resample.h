#pragma once
// Resampling a rectangle of one bitmap into a rectangle of another.

#include "bitmap32.h"

enum TStretchFilter { sfNearest, sfLinear, sfLinear2, sfSpline };
// How a resampled pixel meets the destination: stored as it is, or blended
// over it by its own alpha. dmCustom has no combiner of its own and stores.
enum TDrawMode { dmOpaque, dmBlend, dmCustom };

// Resamples SourceRect of Source into DestRect of Dest with the filter.
// Source pixels outside the source bitmap repeat its edge; destination pixels
// outside Dest are skipped. Source and Dest must be different bitmaps.
void StretchTransfer(TBitmap32& Dest, const TPixelRect& DestRect, const TBitmap32& Source,
                     const TPixelRect& SourceRect, TStretchFilter Filter, TDrawMode DrawMode);
