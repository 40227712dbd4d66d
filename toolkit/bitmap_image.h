// Pictures between Qt's images and our bitmaps.
#pragma once

#include "bitmap32.h"

#include <QImage>

// An opaque bitmap (alpha 255 everywhere) of `image`, whatever its format.
TBitmap32 BitmapFromImage(const QImage& image);
