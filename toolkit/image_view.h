// A scalable view of a TBitmap32: drawn at a floating-point scale by nearest-neighbour
// sampling, centred when smaller than the view, with scroll bars otherwise. Only the visible
// part is drawn, straight from the bitmap's memory. The view also carries the crop layer and
// reports its mouse events to its owner.
#pragma once

#include "bitmap32.h"
#include "rubber_band_layer.h"

#include <QAbstractScrollArea>

class TImgView32 : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TImgView32(QWidget* parent = nullptr);

    // The bitmap shown. After changing it, call Changed (or bracket the work with
    // BeginUpdate/EndUpdate) so the view repaints once.
    TBitmap32& Bitmap() { return FBitmap; }
    const TBitmap32& Bitmap() const { return FBitmap; }
    bool HasImage() const { return !FBitmap.Empty(); }
    void Changed();
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    double Scale() const { return FScale; }
    void SetScale(double scale);
    void ScrollBy(int dx, int dy);

    // Where the bitmap's top-left corner lies in view coordinates.
    QPoint ImageOffset() const;
    // View position to bitmap coordinates: minus the offset, divided by the scale, truncated.
    QPoint ControlToBitmap(QPoint at) const;
    QPointF ControlToBitmapF(QPointF at) const;

    TRubberbandLayer& CropLayer() { return FCropLayer; }

signals:
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();
    QSize ScaledSize() const;

    TBitmap32 FBitmap;
    double FScale = 1.0;
    int FUpdateCount = 0;
    TRubberbandLayer FCropLayer;
};
