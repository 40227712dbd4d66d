#pragma once
// The EXIF orientation tag: cameras and phones store portrait photos
// sideways and say so in this tag. Our own JPEGs carry no EXIF, so the
// decoder stands the pixels upright before anything else sees them.

#include "bitmap32.h"

#include <cstddef>
#include <cstdint>

// Orientation (1..8) from the body of an APP1 marker (starting with
// "Exif\0\0"); 1 when the block is not EXIF, has no valid tag or is damaged.
int ExifOrientation(const std::uint8_t* App1, std::size_t Size);

// Turns and flips Bitmap so that a picture stored with this orientation
// stands as the camera meant. Values other than 2..8 leave it as it is.
void ApplyExifOrientation(TBitmap32& Bitmap, int Orientation);
