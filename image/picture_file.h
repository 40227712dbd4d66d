#pragma once
// Reading a picture file into a bitmap, the decoder chosen by the extension.

#include "bitmap32.h"

#include <functional>
#include <string>

// ".jpg" and ".jpeg" (any case) are decoded here. Other formats come from
// decoders that a higher layer registers (the window layer registers its
// toolkit's reader for "bmp" and "ico").
using TPictureLoader = std::function<TBitmap32(const std::string& FileName)>;

// Extension without the dot, any case. A later registration replaces an earlier one.
void RegisterPictureLoader(const std::string& Extension, TPictureLoader Loader);

// Decodes FileName into an opaque bitmap (alpha 255 everywhere). Throws
// EImageError: "Unknown picture file extension (.xyz)" when no decoder claims
// the extension, the decoder's own error otherwise.
TBitmap32 LoadPictureFile(const std::string& FileName);
