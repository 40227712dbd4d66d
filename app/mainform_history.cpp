// Undo and redo of the edits of the current image.
#include "mainform.h"

#include "hints.h"
#include "image_view.h"
#include "up_down.h"

#include <QAction>
#include <QTimer>

void TMainForm::UndoEdit() {
    if (!FHistory.CanUndo()) return;
    EndPreviews();
    FHistory.Undo(FWorkBitmap, FImgView->Bitmap());
    ShowHistoryStep();
}

void TMainForm::RedoEdit() {
    if (!FHistory.CanRedo()) return;
    EndPreviews();
    FHistory.Redo(FWorkBitmap, FImgView->Bitmap());
    ShowHistoryStep();
}

// A fine rotation being previewed or a crop selection being drawn is no step of its own:
// it ends as if it had never been started, and the step before it is taken back.
void TMainForm::EndPreviews() {
    if (udRotate->value() != 0) {
        const QSignalBlocker quiet(udRotate);
        udRotate->setValue(0);
        ShowRotationAngle();
    }
    if (tbCrop->isChecked()) {
        {
            const QSignalBlocker quiet(tbCrop);
            tbCrop->setChecked(false);
        }
        tbCropClick(false);
    }
}

void TMainForm::ShowHistoryStep() {
    FImgView->Changed();
    ApplyZoomMode();
    FollowHistory();
}

// The image counts as modified exactly when it is not where it was loaded or last saved.
void TMainForm::FollowHistory() {
    FModified = !FHistory.AtSavedState();
    UpdateActions();
    PrepareHistorySpare();
}

// Once the screen shows the image, memory for the next lossy step is made ready, so that the
// step itself does not wait for fresh memory to be touched.
void TMainForm::PrepareHistorySpare() {
    QTimer::singleShot(0, this, [this] {
        if (FImgView->HasImage()) FHistory.PrepareSpare(FWorkBitmap.Width(), FWorkBitmap.Height());
    });
}

void TMainForm::UpdateHistoryActions() {
    const bool imageShown = FActivated && FImgView->HasImage();
    const std::optional<TEditKind> undo = FHistory.UndoKind();
    const std::optional<TEditKind> redo = FHistory.RedoKind();
    A_Undo->setEnabled(imageShown && undo.has_value());
    A_Redo->setEnabled(imageShown && redo.has_value());
    SetHint(A_Undo, undo ? QStringLiteral("Undo %1").arg(QLatin1String(EditKindName(*undo))) : QStringLiteral("Undo"));
    SetHint(A_Redo, redo ? QStringLiteral("Redo %1").arg(QLatin1String(EditKindName(*redo))) : QStringLiteral("Redo"));
}
