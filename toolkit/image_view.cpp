#include "image_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

TImgView32::TImgView32(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true);
}

void TImgView32::Changed() {
    if (FUpdateCount > 0) return;
    UpdateScrollBars();
    viewport()->update();
}

void TImgView32::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TImgView32::SetScale(double scale) {
    if (scale <= 0 || !std::isfinite(scale)) return;
    FScale = scale;
    Changed();
}

void TImgView32::ScrollBy(int dx, int dy) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

QSize TImgView32::ScaledSize() const {
    return QSize(static_cast<int>(std::lround(FBitmap.Width() * FScale)),
                 static_cast<int>(std::lround(FBitmap.Height() * FScale)));
}

QPoint TImgView32::ImageOffset() const {
    const QSize size = ScaledSize();
    const QSize client = viewport()->size();
    const int x = size.width() < client.width() ? (client.width() - size.width()) / 2 : -horizontalScrollBar()->value();
    const int y = size.height() < client.height() ? (client.height() - size.height()) / 2 : -verticalScrollBar()->value();
    return QPoint(x, y);
}

QPoint TImgView32::ControlToBitmap(QPoint at) const {
    const QPoint offset = ImageOffset();
    return QPoint(static_cast<int>((at.x() - offset.x()) / FScale), static_cast<int>((at.y() - offset.y()) / FScale));
}

QPointF TImgView32::ControlToBitmapF(QPointF at) const {
    const QPoint offset = ImageOffset();
    return QPointF((at.x() - offset.x()) / FScale, (at.y() - offset.y()) / FScale);
}

void TImgView32::UpdateScrollBars() {
    const QSize size = ScaledSize();
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, size.height() - client.height()));
    horizontalScrollBar()->setPageStep(client.width());
    verticalScrollBar()->setPageStep(client.height());
}

void TImgView32::paintEvent(QPaintEvent* event) {
    if (FBitmap.Empty()) return;
    QPainter painter(viewport());
    // The bitmap's memory seen as an image, without a copy.
    const QImage image(reinterpret_cast<const uchar*>(FBitmap.Bits()), FBitmap.Width(), FBitmap.Height(),
                       static_cast<qsizetype>(FBitmap.BytesPerLine()), QImage::Format_ARGB32);
    const QPoint offset = ImageOffset();
    const QRectF target(offset, QSizeF(FBitmap.Width() * FScale, FBitmap.Height() * FScale));
    // Only the part of the bitmap under the exposed area is drawn.
    const QRectF visible = target.intersected(QRectF(event->rect()));
    if (!visible.isEmpty()) {
        const QRectF source((visible.left() - offset.x()) / FScale, (visible.top() - offset.y()) / FScale,
                            visible.width() / FScale, visible.height() / FScale);
        painter.drawImage(visible, image, source);
    }
    const QRectF crop(offset.x() + FCropLayer.Left * FScale, offset.y() + FCropLayer.Top * FScale,
                      (FCropLayer.Right - FCropLayer.Left) * FScale, (FCropLayer.Bottom - FCropLayer.Top) * FScale);
    FCropLayer.Paint(painter, crop);
}

void TImgView32::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TImgView32::scrollContentsBy(int, int) {
    viewport()->update();
}

void TImgView32::mousePressEvent(QMouseEvent* event) {
    // A press on a shown crop selection starts moving or resizing it; the owner sees the
    // press either way and can tell by CropLayer().Dragging().
    FCropLayer.BeginDrag(ControlToBitmapF(event->position()), static_cast<float>(4 / FScale));
    emit MouseDown(event);
}

void TImgView32::mouseMoveEvent(QMouseEvent* event) {
    if (FCropLayer.Dragging()) {
        FCropLayer.DragTo(ControlToBitmapF(event->position()));
        viewport()->update();
        return;
    }
    emit MouseMove(event);
}

void TImgView32::mouseReleaseEvent(QMouseEvent* event) {
    FCropLayer.EndDrag();
    emit MouseUp(event);
}

void TImgView32::mouseDoubleClickEvent(QMouseEvent*) {
    emit DoubleClicked();
}
