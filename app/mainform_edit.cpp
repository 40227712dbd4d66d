// Edits of the current image: quarter turns, flips, fine rotation, cropping and tone.
#include "mainform.h"

#include "geometry.h"
#include "image_view.h"
#include "tone.h"
#include "up_down.h"

#include <QLabel>
#include <QMouseEvent>


// Every edit but the fine-rotation preview reads the working copy, shows its result and
// keeps that as the new working copy. The history keeps the replaced working copy of an
// edit that loses pixels, and only the kind of one that does not.
void TMainForm::FinishEdit(TEditKind kind) {
    FImgView->Changed();
    if (IsLosslessEdit(kind)) {
        FHistory.RecordLossless(kind);
        FWorkBitmap = FImgView->Bitmap();
    } else {
        // The spare, or the memory of a step that the history drops, is reused rather than
        // fresh memory.
        TakeReadySpare();
        FWorkBitmap = FHistory.RecordLossy(kind, std::move(FWorkBitmap));
        FWorkBitmap = FImgView->Bitmap();
    }
    FollowHistory();
}

void TMainForm::RotateImage(int tag) {
    RotateQuarter(tag != 0);
    ApplyZoomMode();
}

void TMainForm::RotateQuarter(bool right) {
    RotateBitmapQuarter(FWorkBitmap, FImgView->Bitmap(), right);
    FinishEdit(right ? ekRotateRight : ekRotateLeft);
}

void TMainForm::FlipHorizontal() {
    FlipBitmapHorizontal(FWorkBitmap, FImgView->Bitmap());
    FinishEdit(ekFlipHorizontal);
}

void TMainForm::FlipVertical() {
    FlipBitmapVertical(FWorkBitmap, FImgView->Bitmap());
    FinishEdit(ekFlipVertical);
}

QString RotationText(int position) {
    return QStringLiteral("%1\u00b0").arg(position / 100.0, 0, 'f', 2);
}

// Position p of the up-down previews a turn of p hundredths of a degree clockwise.
void TMainForm::udRotateClick(int position) {
    ShowRotationAngle();
    if (FImgView->HasImage()) PreviewFineRotation(-static_cast<float>(position) / 100.0f);
    UpdateActions();
}

void TMainForm::ShowRotationAngle() {
    lblRotation->setText(RotationText(udRotate->value()));
}

void TMainForm::PreviewFineRotation(float angle) {
    if (FWorkBitmap.Empty()) return;
    RotateBitmapFine(FWorkBitmap, FImgView->Bitmap(), angle);
    FImgView->Changed();
}

void TMainForm::ApplyFineRotation() {
    {
        const QSignalBlocker quiet(udRotate);  // going back to 0 is no new preview
        udRotate->setValue(0);
    }
    ShowRotationAngle();
    FinishEdit(ekFineRotation);
    ApplyZoomMode();
}

// ---- cropping ----

void TMainForm::tbCropClick(bool down) {
    TRubberbandLayer& layer = FImgView->CropLayer();
    if (down) {
        layer.SetLocation(layer.Left, layer.Top, layer.Left + 1, layer.Top + 1);
        FImgView->viewport()->setCursor(Qt::CrossCursor);
    } else {
        layer.Visible = false;
        FCropDragging = false;
        FImgView->viewport()->unsetCursor();
    }
    FImgView->Changed();
    UpdateActions();
}

void TMainForm::CropMouseDown(QMouseEvent* event) {
    TRubberbandLayer& layer = FImgView->CropLayer();
    const QPoint at = FImgView->ControlToBitmap(event->position().toPoint());
    layer.Visible = true;
    const bool onSelection = at.x() >= layer.Left - 1 && at.x() <= layer.Right &&
                             at.y() >= layer.Top - 1 && at.y() <= layer.Bottom;
    if (!onSelection) {
        layer.EndDrag();
        layer.SetLocation(at.x(), at.y(), at.x(), at.y());
        FCropDragging = true;
    }
    FImgView->Changed();
}

void TMainForm::CropMouseMove(QMouseEvent* event) {
    if (!FCropDragging || !(event->buttons() & Qt::LeftButton)) return;
    TRubberbandLayer& layer = FImgView->CropLayer();
    const QPoint at = FImgView->ControlToBitmap(event->position().toPoint());
    layer.SetLocation(layer.Left, layer.Top, at.x(), at.y());
    FImgView->Changed();
}

void TMainForm::ApplyCropping() {
    if (FWorkBitmap.Empty()) return;
    const TRubberbandLayer& layer = FImgView->CropLayer();
    // Corners are ordered and rounded (ties to even), limited to the picture and kept at
    // least one pixel apart, so the working copy never becomes empty.
    const TPixelRect rect = CropSelectionRect(layer.Left, layer.Top, layer.Right, layer.Bottom,
                                              FWorkBitmap.Width(), FWorkBitmap.Height());
    CropBitmap(FWorkBitmap, FImgView->Bitmap(), rect);
    FImgView->viewport()->unsetCursor();
    FImgView->CropLayer().Visible = false;
    {
        const QSignalBlocker quiet(tbCrop);
        tbCrop->setChecked(false);
    }
    FCropDragging = false;
    FinishEdit(ekCrop);
    ApplyZoomMode();
}

// ---- tone ----

void TMainForm::ChangeBrightness() {
    if (FWorkBitmap.Empty()) return;
    TToneTable table;
    // The dialog previews what the view shows, a fine rotation being previewed included.
    if (!FPrompts->ModifyImage(this, FImgView->Bitmap(), table)) return;
    ApplyToneTable(FImgView->Bitmap(), FWorkBitmap, table);
    FinishEdit(ekTone);
}
