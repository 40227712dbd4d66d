// Pictures through GDI+, which every Windows from XP on carries and which reads JPEG.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>

// Starts GDI+ for the life of the object.
class TGdiplusSession {
public:
    TGdiplusSession();
    ~TGdiplusSession();
    TGdiplusSession(const TGdiplusSession&) = delete;
    TGdiplusSession& operator=(const TGdiplusSession&) = delete;
    bool Ok() const { return FOk; }

private:
    ULONG_PTR FToken = 0;
    bool FOk = false;
};

// The picture in `path`; nothing when the file is missing or cannot be read.
std::unique_ptr<Gdiplus::Bitmap> LoadPicture(const std::wstring& path);
// A `size` x `size` tile for the thumbnail list: the picture fitted and centred on
// `background`, or a plain frame when there is no picture. The caller deletes the bitmap.
HBITMAP MakeThumbnailTile(Gdiplus::Bitmap* picture, int size, COLORREF background);
// Draws the picture as large as fits into `box`, centred, never enlarged.
void DrawFitted(Gdiplus::Graphics& graphics, Gdiplus::Bitmap& picture, const RECT& box);
