#include "thumbnailer.h"

#include "effects.h"
#include "image_error.h"
#include "jpeg_io.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Fills the part of rect inside the bitmap.
void FillRect(TBitmap32& bitmap, TPixelRect rect, TColor32 color)
{
    rect = {std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, bitmap.Width()),
            std::min(rect.Bottom, bitmap.Height())};
    for (int y = rect.Top; y < rect.Bottom; ++y)
        std::fill(bitmap.ScanLine(y) + rect.Left, bitmap.ScanLine(y) + rect.Right, color);
}

// Copies Source onto Dest with its top-left corner at (left, top), clipped.
void CopyAt(TBitmap32& dest, const TBitmap32& source, int left, int top)
{
    const int x0 = std::max(0, -left), x1 = std::min(source.Width(), dest.Width() - left);
    for (int y = std::max(0, -top); y < std::min(source.Height(), dest.Height() - top); ++y)
        if (x0 < x1)
            std::copy(source.ScanLine(y) + x0, source.ScanLine(y) + x1, dest.ScanLine(top + y) + left + x0);
}

// A soft shadow under rect: a ShadowColor block on the background, blurred,
// shifted a third of the offset up and left so that it shows right and below.
void DrawShadow(TBitmap32& dest, const TPixelRect& rect, int offset, TColor background, TColor shadow)
{
    TBitmap32 scratch(rect.Width() + 2 * offset, rect.Height() + 2 * offset);
    scratch.Clear(ColorToPixel(background));
    FillRect(scratch, {offset, offset, scratch.Width() - offset, scratch.Height() - offset}, ColorToPixel(shadow));
    TKernel5x5 box;
    box.fill(1);
    Convolve5x5(scratch, box, 25);
    const int shift = static_cast<int>(std::nearbyint(offset / 3.0));
    CopyAt(dest, scratch, rect.Left - shift, rect.Top - shift);
}

}  // namespace

bool TThumbnailer::MakeThumbnail(const TBitmap32& Source, TBitmap32& Dest) const
{
    if (&Source == &Dest) {  // Dest is resized before Source is read
        const TBitmap32 source = Source;
        return MakeThumbnail(source, Dest);
    }
    int w = Width, h = Height;
    const int s = ShadowOffset;
    const long long sw = Source.Width(), sh = Source.Height();
    if (Source.Empty() || w <= 0 || h <= 0) {
        Dest.Delete();
        return false;
    }
    if (AutoOrientation && ((sw < sh && h < w) || (sh < sw && w < h)))
        std::swap(w, h);
    Dest.SetSize(w + s, h + s);

    // Fit the source into the box, keeping its aspect ratio.
    const double fx = double(sw) / w, fy = double(sh) / h;
    // A very thin picture keeps at least one pixel across instead of vanishing.
    int fw, fh;
    if (fx > fy) {
        fw = w;
        fh = int(std::max(1LL, sh * w / sw));
    } else {
        fh = h;
        fw = int(std::max(1LL, sw * h / sh));
    }

    TPixelRect source{0, 0, int(sw), int(sh)};
    if (Mode == tmCrop) {  // the centred part with the box's aspect ratio
        if (fx < fy) {
            const int rows = int(std::max(1LL, sw * h / w));
            source.Top = int((sh - rows) / 2);
            source.Bottom = source.Top + rows;
        } else {
            const int columns = int(std::max(1LL, sh * w / h));
            source.Left = int((sw - columns) / 2);
            source.Right = source.Left + columns;
        }
    }

    TPixelRect dest{0, 0, w, h};
    if (Mode == tmCenter) {
        dest = {(w - fw) / 2, (h - fh) / 2, 0, 0};
        dest.Right = dest.Left + fw;
        dest.Bottom = dest.Top + fh;
    } else if (Mode == tmClip) {
        dest = {0, 0, fw, fh};
        Dest.SetSize(fw + s, fh + s);
    }

    FillRect(Dest, {0, 0, w + s, h + s}, ColorToPixel(Color, 0));
    if (s != 0)
        DrawShadow(Dest, dest, s, Color, ShadowColor);
    FillRect(Dest, dest, ColorToPixel(Color));
    StretchTransfer(Dest, dest, Source, source, StretchFilter, DrawMode);
    if (BevelWidth > 0 && BevelContrast != 0)
        DrawBevel(Dest, dest, BevelWidth, BevelContrast, BevelColorLight, BevelColorDark);
    return true;
}

TThumbnailer AlbumThumbnailer()
{
    TThumbnailer t;
    t.Color = clWhite;
    t.Width = 120;
    t.Height = 90;
    t.Mode = tmClip;
    t.AutoOrientation = false;
    t.BevelWidth = 5;
    t.BevelContrast = 30;
    t.ShadowOffset = 8;
    t.ShadowColor = clGray;
    t.BevelColorLight = clWhite;
    t.BevelColorDark = clBlack;
    t.StretchFilter = sfSpline;
    t.DrawMode = dmBlend;
    return t;
}

std::uint64_t WriteThumbnailFile(const TBitmap32& Picture, const std::string& FileName)
{
    TBitmap32 thumbnail;
    if (!AlbumThumbnailer().MakeThumbnail(Picture, thumbnail))
        throw EImageError("There is no picture to make a thumbnail of");
    return WriteJpegFile(thumbnail, FileName, kThumbnailQuality);
}
