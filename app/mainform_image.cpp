// The image workspace: the current image, its view, zoom, discarding, panning and the
// mouse hand-overs to the album operations.
#include "mainform.h"

#include "album_nodes.h"
#include "album_text.h"
#include "image_view.h"
#include "picture_file.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeWidget>

#include <filesystem>

const char* const kImageDragFormat = "application/x-fotolark-current-image";

void TMainForm::ShowWorkBitmap() {
    FImgView->Bitmap() = FWorkBitmap;
    FImgView->Changed();
}

// A file that cannot be decoded throws before anything changes: the previous image stays
// the current one, with its source, file and modified flag.
void TMainForm::LoadImageFile(const std::string& fileName, bool show) {
    TakeImage(LoadPictureFile(fileName), isFile, fileName, show);
}

void TMainForm::TakeImage(TBitmap32 picture, TImageSource source, const std::string& file, bool show) {
    FWorkBitmap = std::move(picture);
    FImageSource = source;
    FImageFile = file;
    FHistory.Clear();
    if (show) {
        ShowWorkBitmap();
        ApplyZoomMode();
        PrepareHistorySpare();
    }
    UpdateActions();
}

// ---- zoom ----

void TMainForm::ApplyZoomMode() {
    if (!FImgView->HasImage()) return;
    switch (FZoomMode) {
    case zmOriginalSize: ShowOriginalSize(); break;
    case zmFitWidth: FitToWidth(); break;
    case zmFitHeight: FitToHeight(); break;
    }
}

void TMainForm::ShowOriginalSize() {
    FZoomMode = zmOriginalSize;
    FImgView->SetScale(1.0);
}

// The scroll-bar allowance is taken off whether or not a scroll bar shows, so that a fitted
// image never flips the scroll bar on and off.
void TMainForm::FitToWidth() {
    FZoomMode = zmFitWidth;
    if (!FImgView->HasImage()) return;
    const int scrollBar = FImgView->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    FImgView->SetScale(static_cast<double>(FImgView->contentsRect().width() - scrollBar) / FImgView->Bitmap().Width());
}

void TMainForm::FitToHeight() {
    FZoomMode = zmFitHeight;
    if (!FImgView->HasImage()) return;
    const int scrollBar = FImgView->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    FImgView->SetScale(static_cast<double>(FImgView->contentsRect().height() - scrollBar) / FImgView->Bitmap().Height());
}

// ---- discarding ----

void TMainForm::tbDiscardClick() {
    FImgView->Bitmap().Delete();
    FImgView->Changed();
    FWorkBitmap.Delete();
    if (FImageSource == isFileCopy) {
        const std::string copy = PhotoFilePath(FImageDir, FImageFile);
        std::error_code ignored;  // a copy that is already gone is fine
        if (!copy.empty()) std::filesystem::remove(copy, ignored);
    }
    FThumbView->Bitmap().Delete();
    FThumbView->Changed();
    FImageSource = isNew;
    FImageFile.clear();
    FModified = false;
    FHistory.Clear();
    UpdateActions();
}

// ---- mouse on the image view ----

void TMainForm::FImgViewMouseDown(QMouseEvent* event) {
    if (!FImgView->HasImage()) return;
    if (tbCrop->isChecked()) {
        CropMouseDown(event);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (event->modifiers() & Qt::ControlModifier) {
        FPanning = true;
        FPanLast = event->position().toPoint();
        FImgView->viewport()->setCursor(Qt::PointingHandCursor);
        return;
    }
    if (FAlbumTree->topLevelItemCount() > 0) StartImageDrag();
}

void TMainForm::FImgViewMouseMove(QMouseEvent* event) {
    if (tbCrop->isChecked()) {
        CropMouseMove(event);
        return;
    }
    if (!FPanning) return;
    const QPoint at = event->position().toPoint();
    FImgView->ScrollBy(FPanLast.x() - at.x(), FPanLast.y() - at.y());
    FPanLast = at;
}

void TMainForm::FImgViewMouseUp(QMouseEvent* event) {
    if (tbCrop->isChecked()) {
        FCropDragging = false;
        return;
    }
    if (FPanning && event->button() == Qt::LeftButton) {
        FPanning = false;
        FImgView->viewport()->unsetCursor();
        return;
    }
    if (event->button() == Qt::RightButton && !FWorkBitmap.Empty() && FImageSource != isAlbumPhoto &&
        FAlbumTree->topLevelItemCount() > 0)
        ChooseAlbumAndAdd(event->globalPosition().toPoint());
}

// The current image is dragged onto the album tree, which decides what the drop means.
void TMainForm::StartImageDrag() {
    auto* drag = new QDrag(FImgView);
    auto* data = new QMimeData;
    data->setData(kImageDragFormat, QByteArray());
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction);
}
