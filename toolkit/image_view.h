// A scrollable view of one picture. The owner hands it a QImage; the view draws it at the
// current scale and offers scroll bars when the picture is larger than the view.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

class TImgView32 : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TImgView32(QWidget* parent = nullptr);

    void SetImage(const QImage& image);
    void Clear();
    bool HasImage() const { return !FImage.isNull(); }
    const QImage& Image() const { return FImage; }

    double Scale() const { return FScale; }
    void SetScale(double scale);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateScrollBars();
    QRect ImageRect() const;

    QImage FImage;
    double FScale = 1.0;
};
