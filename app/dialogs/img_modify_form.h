// "Modify Image": brightness, gamma and contrast sliders with a live preview. The dialog only
// builds the tone table; the caller applies it to its image after "&Apply Changes".
#pragma once

#include "bitmap32.h"
#include "tone.h"

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class TFitImage;

// Told the new table whenever a slider moves, after the dialog's own preview has changed.
using TToneChanged = std::function<void(const TToneTable&)>;

class TImgModifyForm : public QDialog {
    Q_OBJECT
public:
    // `source` is the picture to preview; only a copy reduced to the preview box is kept.
    TImgModifyForm(QWidget* parent, const TBitmap32& source, const QString& helpFile = {},
                   TToneChanged onChange = {});

    const TToneTable& ToneTable() const { return FToneTable; }
    // The picture the preview shows, at the size it was reduced to.
    const TBitmap32& PreviewBitmap() const { return FPreviewBitmap; }

    // Shows the dialog modally. True on "&Apply Changes", with `table` := the tone table of
    // the sliders' final positions; false on "&Cancel" or Esc, leaving `table` alone.
    static bool Execute(QWidget* parent, const TBitmap32& source, TToneTable& table, const QString& helpFile = {},
                        TToneChanged onChange = {});

    QFrame* Bevel1;
    TFitImage* FImage;
    QFrame* Bevel2;
    QLabel* Label1;
    QSlider* tbBright;
    QLabel* Label2;
    QSlider* tbGamma;
    QLabel* Label3;
    QSlider* tbContrast;
    QPushButton* btnApply;
    QPushButton* btnCancel;
    QToolButton* sbHelp;

private:
    void TrackBarChange();

    TBitmap32 FPreviewSource;  // the source reduced to the preview box
    TBitmap32 FPreviewBitmap;  // FPreviewSource through the tone table
    TToneTable FToneTable{};
    TToneChanged FOnChange;
};
