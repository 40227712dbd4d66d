// The crop selection drawn over the image view: a rectangle in bitmap coordinates with a
// frame and square handles at the corners and side midpoints. Dragging inside moves it,
// dragging a handle resizes it; either way it stays at least MinWidth x MinHeight.
#pragma once

#include <QPointF>
#include <QRectF>

class QPainter;

class TRubberbandLayer {
public:
    float Left = 0, Top = 0, Right = 0, Bottom = 0;  // bitmap pixels
    bool Visible = false;
    float MinWidth = 1, MinHeight = 1;

    void SetLocation(float left, float top, float right, float bottom);

    // Hit test and dragging, in bitmap coordinates; `handleSize` is a handle's half size in
    // bitmap pixels at the current scale.
    bool BeginDrag(QPointF at, float handleSize);
    void DragTo(QPointF at);
    void EndDrag() { FDragPart = dpNone; }
    bool Dragging() const { return FDragPart != dpNone; }

    // Draws the frame with its handles; `toView` maps bitmap to view coordinates.
    void Paint(QPainter& painter, const QRectF& viewRect) const;

private:
    enum TDragPart { dpNone, dpMove, dpLeft = 1 << 1, dpTop = 1 << 2, dpRight = 1 << 3, dpBottom = 1 << 4 };
    void KeepMinimumSize();

    int FDragPart = dpNone;
    QPointF FDragStart;
    float FStart[4] = {};
};
