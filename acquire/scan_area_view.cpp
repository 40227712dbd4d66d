#include "scan_area_view.h"

#include <QMouseEvent>
#include <QPainter>

TScanAreaView::TScanAreaView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(160, 200);
    setCursor(Qt::CrossCursor);
}

void TScanAreaView::SetBed(const QRectF& bed) {
    FBed = bed;
    update();
}

void TScanAreaView::SetArea(const QRectF& area) {
    FArea = area;
    update();
}

void TScanAreaView::SetPicture(const QImage& picture) {
    FPicture = picture;
    update();
}

// The bed keeps its proportions and is centred in the widget.
QRectF TScanAreaView::BedOnScreen() const {
    if (FBed.width() <= 0 || FBed.height() <= 0) return QRectF(rect());
    QSizeF size = FBed.size();
    size.scale(QSizeF(width() - 2, height() - 2), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

QPointF TScanAreaView::ToBed(const QPointF& screen) const {
    const QRectF bed = BedOnScreen();
    if (bed.isEmpty() || FBed.isEmpty()) return FBed.topLeft();
    const double x = (screen.x() - bed.left()) / bed.width() * FBed.width() + FBed.left();
    const double y = (screen.y() - bed.top()) / bed.height() * FBed.height() + FBed.top();
    return QPointF(qBound(FBed.left(), x, FBed.right()), qBound(FBed.top(), y, FBed.bottom()));
}

QRectF TScanAreaView::ToScreen(const QRectF& area) const {
    const QRectF bed = BedOnScreen();
    if (FBed.isEmpty()) return QRectF();
    const double sx = bed.width() / FBed.width();
    const double sy = bed.height() / FBed.height();
    return QRectF(bed.left() + (area.left() - FBed.left()) * sx, bed.top() + (area.top() - FBed.top()) * sy,
                  area.width() * sx, area.height() * sy);
}

void TScanAreaView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF bed = BedOnScreen();
    if (FPicture.isNull()) painter.fillRect(bed, Qt::white);
    else painter.drawImage(bed, FPicture);
    painter.setPen(Qt::gray);
    painter.drawRect(bed);
    painter.setPen(QPen(Qt::red, 1, Qt::DashLine));
    painter.drawRect(ToScreen(FArea));
}

void TScanAreaView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    FDragging = true;
    FDragStart = ToBed(event->position());
    FAreaBeforeDrag = FArea;
}

void TScanAreaView::mouseMoveEvent(QMouseEvent* event) {
    if (!FDragging) return;
    SetArea(QRectF(FDragStart, ToBed(event->position())).normalized());
}

void TScanAreaView::mouseReleaseEvent(QMouseEvent* event) {
    if (!FDragging || event->button() != Qt::LeftButton) return;
    FDragging = false;
    const QRectF area = QRectF(FDragStart, ToBed(event->position())).normalized();
    // A click without a drag keeps the area.
    if (area.width() <= 0 || area.height() <= 0) SetArea(FAreaBeforeDrag);
    else if (OnAreaDragged) OnAreaDragged(area);
}
