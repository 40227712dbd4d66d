#include "rubber_band_layer.h"

#include <QPainter>

#include <cmath>

void TRubberbandLayer::SetLocation(float left, float top, float right, float bottom) {
    Left = left;
    Top = top;
    Right = right;
    Bottom = bottom;
}

bool TRubberbandLayer::BeginDrag(QPointF at, float handleSize) {
    if (!Visible) return false;
    const float x = at.x(), y = at.y();
    auto near = [handleSize](float a, float b) { return std::fabs(a - b) <= handleSize; };
    const float midX = (Left + Right) / 2, midY = (Top + Bottom) / 2;
    const bool onLeft = near(x, Left), onRight = near(x, Right);
    const bool onTop = near(y, Top), onBottom = near(y, Bottom);
    const bool atColumn = onLeft || onRight || near(x, midX);
    const bool atRow = onTop || onBottom || near(y, midY);
    int part = dpNone;
    if (atColumn && atRow && !(near(x, midX) && near(y, midY))) {
        if (onLeft) part |= dpLeft;
        if (onRight) part |= dpRight;
        if (onTop) part |= dpTop;
        if (onBottom) part |= dpBottom;
    }
    if (part == dpNone) {
        const bool inside = x >= std::min(Left, Right) && x <= std::max(Left, Right) &&
                            y >= std::min(Top, Bottom) && y <= std::max(Top, Bottom);
        if (!inside) return false;
        part = dpMove;
    }
    FDragPart = part;
    FDragStart = at;
    FStart[0] = Left, FStart[1] = Top, FStart[2] = Right, FStart[3] = Bottom;
    return true;
}

void TRubberbandLayer::DragTo(QPointF at) {
    const float dx = static_cast<float>(at.x() - FDragStart.x());
    const float dy = static_cast<float>(at.y() - FDragStart.y());
    if (FDragPart == dpMove) {
        SetLocation(FStart[0] + dx, FStart[1] + dy, FStart[2] + dx, FStart[3] + dy);
        return;
    }
    if (FDragPart & dpLeft) Left = FStart[0] + dx;
    if (FDragPart & dpTop) Top = FStart[1] + dy;
    if (FDragPart & dpRight) Right = FStart[2] + dx;
    if (FDragPart & dpBottom) Bottom = FStart[3] + dy;
    KeepMinimumSize();
}

void TRubberbandLayer::KeepMinimumSize() {
    if (Right - Left < MinWidth) (FDragPart & dpLeft) ? Left = Right - MinWidth : Right = Left + MinWidth;
    if (Bottom - Top < MinHeight) (FDragPart & dpTop) ? Top = Bottom - MinHeight : Bottom = Top + MinHeight;
}

void TRubberbandLayer::Paint(QPainter& painter, const QRectF& rect) const {
    if (!Visible) return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(rect);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(rect);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    const qreal xs[3] = {rect.left(), rect.center().x(), rect.right()};
    const qreal ys[3] = {rect.top(), rect.center().y(), rect.bottom()};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != 1 || j != 1) painter.drawRect(QRectF(xs[i] - 3, ys[j] - 3, 6, 6));
    painter.restore();
}
