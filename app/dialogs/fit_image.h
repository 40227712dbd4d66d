// The picture box of the dialogs: shows a bitmap at the top-left corner, either scaled to fit
// the box with its aspect ratio kept (up or down) or at its own size.
#pragma once

#include "bitmap32.h"

#include <QImage>
#include <QWidget>

enum class TImageFit { ScaleToFit, Unscaled };

class TFitImage : public QWidget {
    Q_OBJECT
public:
    TFitImage(QSize size, TImageFit fit, QWidget* parent = nullptr);

    // Shows a picture of `bitmap` (an empty bitmap shows nothing). A picture larger than the
    // box is reduced once here, so that repainting never touches a big photo again.
    void SetBitmap(const TBitmap32& bitmap);
    bool HasPicture() const { return !FPicture.isNull(); }
    // Where the picture is drawn, in the box's coordinates (empty without a picture).
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TImageFit FFit;
    QImage FPicture;
    QSize FSourceSize;  // the bitmap's own size, which the drawn rectangle keeps the shape of
};

// A copy of `bitmap` no larger than `box` (aspect ratio kept, smoothly reduced); a bitmap that
// already fits is copied as it is.
TBitmap32 ReducedToFit(const TBitmap32& bitmap, QSize box);
