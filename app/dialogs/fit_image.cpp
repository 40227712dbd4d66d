#include "fit_image.h"

#include "bitmap_image.h"

#include <QPainter>

namespace {

// The bitmap's memory seen as an image, without copying. Alpha is ignored: the pictures of
// this program are opaque.
QImage WrapBitmap(const TBitmap32& bitmap) {
    return QImage(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                  static_cast<qsizetype>(bitmap.BytesPerLine()), QImage::Format_RGB32);
}

} // namespace

TBitmap32 ReducedToFit(const TBitmap32& bitmap, QSize box) {
    if (bitmap.Width() <= box.width() && bitmap.Height() <= box.height()) return bitmap;
    return BitmapFromImage(WrapBitmap(bitmap).scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

TFitImage::TFitImage(QSize size, TImageFit fit, QWidget* parent) : QWidget(parent), FFit(fit) {
    setFixedSize(size);
}

void TFitImage::SetBitmap(const TBitmap32& bitmap) {
    FSourceSize = QSize(bitmap.Width(), bitmap.Height());
    if (bitmap.Empty())
        FPicture = QImage();
    else if (FFit == TImageFit::Unscaled)
        FPicture = WrapBitmap(bitmap).copy(QRect(QPoint(0, 0), FSourceSize.boundedTo(size())));  // what the box can show
    else
        FPicture = WrapBitmap(ReducedToFit(bitmap, size() * devicePixelRatio())).copy();
    update();
}

QRect TFitImage::PictureRect() const {
    if (FPicture.isNull()) return {};
    if (FFit == TImageFit::Unscaled) return QRect(QPoint(0, 0), FSourceSize);
    return QRect(QPoint(0, 0), FSourceSize.scaled(size(), Qt::KeepAspectRatio));
}

void TFitImage::paintEvent(QPaintEvent*) {
    if (FPicture.isNull()) return;
    QPainter painter(this);
    if (FFit == TImageFit::Unscaled)
        painter.drawImage(QPoint(0, 0), FPicture);
    else  // enlarged pictures keep sharp pixels; reduced ones were smoothed already
        painter.drawImage(PictureRect(), FPicture);
}
