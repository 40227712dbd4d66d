#include "image_view.h"

#include <QPainter>
#include <QScrollBar>

TImgView32::TImgView32(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

void TImgView32::SetImage(const QImage& image) {
    FImage = image;
    UpdateScrollBars();
    viewport()->update();
}

void TImgView32::Clear() {
    SetImage(QImage());
}

void TImgView32::SetScale(double scale) {
    if (scale <= 0 || scale == FScale) return;
    FScale = scale;
    UpdateScrollBars();
    viewport()->update();
}

QRect TImgView32::ImageRect() const {
    const QSize size = (QSizeF(FImage.size()) * FScale).toSize();
    // A picture smaller than the view is centred; a larger one scrolls.
    const int x = size.width() < viewport()->width() ? (viewport()->width() - size.width()) / 2
                                                     : -horizontalScrollBar()->value();
    const int y = size.height() < viewport()->height() ? (viewport()->height() - size.height()) / 2
                                                       : -verticalScrollBar()->value();
    return QRect(QPoint(x, y), size);
}

void TImgView32::UpdateScrollBars() {
    const QSize size = (QSizeF(FImage.size()) * FScale).toSize();
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - viewport()->width()));
    verticalScrollBar()->setRange(0, std::max(0, size.height() - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
}

void TImgView32::paintEvent(QPaintEvent*) {
    if (FImage.isNull()) return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, FScale != 1.0);
    painter.drawImage(ImageRect(), FImage);
}

void TImgView32::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}
