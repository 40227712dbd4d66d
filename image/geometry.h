#pragma once
// Geometric edits of the current image. Each reads Source and writes Dest
// (resized as needed); Source and Dest may be the same bitmap.

#include "bitmap32.h"

// Quarter turn: Dest is Height wide and Width high. Right = clockwise.
void RotateBitmapQuarter(const TBitmap32& Source, TBitmap32& Dest, bool Right);
void RotateBitmapHalf(const TBitmap32& Source, TBitmap32& Dest);
void FlipBitmapHorizontal(const TBitmap32& Source, TBitmap32& Dest);
void FlipBitmapVertical(const TBitmap32& Source, TBitmap32& Dest);
// Mirror along the main diagonal: Dest(x, y) = Source(y, x).
void TransposeBitmap(const TBitmap32& Source, TBitmap32& Dest);

// The inverse mapping of a fine rotation about the picture's centre, in fixed
// point with 12 fractional bits: the source pixel of view pixel (x, y) is
// ((x*XA + y*XB + XC + 2047) >> 12, (x*YA + y*YB + YC + 2047) >> 12).
struct TFixedInverse {
    int XA, XB, XC;
    int YA, YB, YC;
};
TFixedInverse FineRotationInverse(int Width, int Height, float AngleDegrees);

// Fine-rotation preview: Dest keeps Source's size, is black where the turned
// picture does not reach, and takes the nearest source pixel elsewhere.
// A positive angle turns the picture counter-clockwise on the screen.
void RotateBitmapFine(const TBitmap32& Source, TBitmap32& Dest, float AngleDegrees);

// Turns a crop selection (bitmap coordinates, possibly drawn backwards or
// reaching outside) into a rectangle of at least 1 x 1 pixel inside a
// Width x Height picture (which must not be empty).
TPixelRect CropSelectionRect(float Left, float Top, float Right, float Bottom, int Width, int Height);
// Dest becomes a copy of Rect of Source (Rect must lie inside Source).
void CropBitmap(const TBitmap32& Source, TBitmap32& Dest, const TPixelRect& Rect);
