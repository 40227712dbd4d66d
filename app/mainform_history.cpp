// Undo and redo of the edits of the current image.
#include "mainform.h"

#include "hints.h"
#include "image_view.h"
#include "up_down.h"

#include <QAction>

#include <chrono>

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

// Memory for the next lossy step is made ready on a worker thread, so that neither the step
// nor the window waits for fresh memory to be touched (a photo's worth takes a good part of
// a second). A step taken before it is ready uses fresh memory as it would without.
void TMainForm::PrepareHistorySpare() {
    TakeReadySpare();
    if (FSpareBeingMade.valid() || !FImgView->HasImage()) return;
    const int width = FWorkBitmap.Width(), height = FWorkBitmap.Height();
    if (!FHistory.WantsSpare(width, height)) return;
    FSpareBeingMade = std::async(std::launch::async, [width, height] { return TBitmap32(width, height); });
}

void TMainForm::TakeReadySpare() {
    if (FSpareBeingMade.valid() && FSpareBeingMade.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        FHistory.OfferSpare(FSpareBeingMade.get());
}

void TMainForm::WaitForHistorySpare() {
    if (FSpareBeingMade.valid()) FHistory.OfferSpare(FSpareBeingMade.get());
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
