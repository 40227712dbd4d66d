// The picture open dialog: Qt's file dialog offering JPEG files, with a preview pane beside it
// that shows the chosen picture scaled into the pane. Pictures are decoded on a worker thread,
// so that browsing a folder of large photos stays instant.
#pragma once

#include "bitmap32.h"

#include <QFileDialog>
#include <QThreadPool>

#include <atomic>
#include <cstdint>

class QLabel;
class TFitImage;

// The filter as the dialog shows it, followed by the patterns it applies (hidden).
inline constexpr const char* kOpenPictureFilter = "JPEG Image File (*.jpg,.jpeg) (*.jpg *.jpeg *.JPG *.JPEG)";

class TPicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit TPicturePreview(QWidget* parent = nullptr);
    // Waits for a picture still being decoded.
    ~TPicturePreview() override;

    // Shows the picture of `path`; a folder, an empty path or a file that cannot be decoded
    // shows an empty pane.
    void ShowFile(const QString& path);
    const TFitImage& Picture() const { return *FImage; }
    QString SizeText() const;

signals:
    // The pane shows what the last ShowFile asked for.
    void PictureShown();

private:
    void Decoded(uint64_t request, const TBitmap32& reduced, QSize original);

    TFitImage* FImage;
    QLabel* FSize;
    QThreadPool FDecoder;
    std::atomic<uint64_t> FRequest{0};  // the newest ShowFile; older decodings are dropped
};

class TOpenPictureDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TOpenPictureDialog(QWidget* parent = nullptr);
    TPicturePreview& Preview() { return *FPreview; }

    // The chosen file, or an empty path when cancelled.
    static QString Execute(QWidget* parent);

private:
    TPicturePreview* FPreview;
};
