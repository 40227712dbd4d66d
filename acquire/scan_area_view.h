// The small picture of the scan dialog: the preview of the whole scan bed with the
// chosen area drawn on it. Dragging on it chooses a new area.
#pragma once

#include <QImage>
#include <QRectF>
#include <QWidget>

#include <functional>

class TScanAreaView : public QWidget {
    Q_OBJECT
public:
    explicit TScanAreaView(QWidget* parent = nullptr);

    // The whole bed in the device's units (mm or pixels).
    void SetBed(const QRectF& bed);
    void SetArea(const QRectF& area);
    // The preview picture of the whole bed; a null image shows an empty bed.
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return FPicture; }

    // Called with the area the user dragged, in the device's units.
    std::function<void(const QRectF&)> OnAreaDragged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF BedOnScreen() const;
    QPointF ToBed(const QPointF& screen) const;
    QRectF ToScreen(const QRectF& area) const;

    QRectF FBed;
    QRectF FArea;
    QImage FPicture;
    bool FDragging = false;
    QPointF FDragStart;
    QRectF FAreaBeforeDrag;
};
