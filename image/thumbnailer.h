#pragma once
// Thumbnail rendering: the picture fitted into a box, on a soft drop shadow,
// with a bevelled border.

#include "bitmap32.h"
#include "resample.h"

#include <cstdint>
#include <string>

enum TThumbMode { tmCenter, tmClip, tmStretch, tmCrop };

class TThumbnailer {
public:
    TColor Color = clBlack;  // background
    int Width = 0;           // box size
    int Height = 0;
    TThumbMode Mode = tmCenter;
    bool AutoOrientation = false;  // turn the box to the picture's orientation
    int BevelWidth = 0;
    int BevelContrast = 0;
    int ShadowOffset = 0;
    TColor ShadowColor = clBlack;
    TColor BevelColorLight = clWhite;
    TColor BevelColorDark = clBlack;
    TStretchFilter StretchFilter = sfNearest;
    TDrawMode DrawMode = dmOpaque;

    // Renders Source into Dest (resized) and returns true. A source or box
    // without pixels cannot be fitted: Dest is emptied and false returned.
    bool MakeThumbnail(const TBitmap32& Source, TBitmap32& Dest) const;
};

// The thumbnailer as album thumbnails use it: 120 x 90 box on white, clipped
// to the fitted picture, grey shadow 8, bevel 5 at contrast 30, B-spline.
TThumbnailer AlbumThumbnailer();

constexpr int kThumbnailQuality = 90;

// Renders the album thumbnail of Picture and writes it as JPEG (quality 90)
// to FileName, replacing it. Returns the size of the file written, in bytes.
// Throws EImageError when the picture is empty or the file cannot be written.
std::uint64_t WriteThumbnailFile(const TBitmap32& Picture, const std::string& FileName);
