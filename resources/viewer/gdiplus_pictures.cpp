#include "gdiplus_pictures.h"

#include "fit_rect.h"

using namespace Gdiplus;

namespace {

Color FromColorRef(COLORREF colour) { return Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

} // namespace

TGdiplusSession::TGdiplusSession() {
    GdiplusStartupInput input;
    FOk = GdiplusStartup(&FToken, &input, nullptr) == Gdiplus::Ok;
}

TGdiplusSession::~TGdiplusSession() {
    if (FOk) GdiplusShutdown(FToken);
}

std::unique_ptr<Bitmap> LoadPicture(const std::wstring& path) {
    if (path.empty()) return nullptr;
    auto picture = std::make_unique<Bitmap>(path.c_str());
    if (picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0 || picture->GetHeight() == 0) return nullptr;
    return picture;
}

void DrawFitted(Graphics& graphics, Bitmap& picture, const RECT& box) {
    const TPlacement place = FitInside(static_cast<int>(picture.GetWidth()), static_cast<int>(picture.GetHeight()),
                                       box.left, box.top, box.right - box.left, box.bottom - box.top);
    graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    graphics.DrawImage(&picture, Rect(place.Left, place.Top, place.Width, place.Height));
}

HBITMAP MakeThumbnailTile(Bitmap* picture, int size, COLORREF background) {
    Bitmap tile(size, size, PixelFormat32bppRGB);
    {
        Graphics graphics(&tile);
        graphics.Clear(FromColorRef(background));
        const RECT box{2, 2, size - 2, size - 2};
        if (picture) {
            DrawFitted(graphics, *picture, box);
        } else {
            Pen frame(Color(255, 160, 160, 160));
            graphics.DrawRectangle(&frame, Rect(box.left, box.top, box.right - box.left - 1, box.bottom - box.top - 1));
        }
    }
    HBITMAP handle = nullptr;
    tile.GetHBITMAP(FromColorRef(background), &handle);
    return handle;
}
