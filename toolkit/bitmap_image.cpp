#include "bitmap_image.h"

#include <cstring>

TBitmap32 BitmapFromImage(const QImage& image) {
    // QImage's RGB32 pixels are laid out as ours: alpha, red, green, blue from the top byte.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    TBitmap32 bitmap(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(bitmap.ScanLine(y), rgb.constScanLine(y), bitmap.BytesPerLine());
    bitmap.ResetAlpha();
    return bitmap;
}
