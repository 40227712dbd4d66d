// Image files coming in: the open dialog, and files dropped on the image view or the tree.
#include "mainform.h"

#include "album_nodes.h"
#include "file_names.h"
#include "image_view.h"
#include "picture_file.h"
#include "prefs.h"
#include "safe_file.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Only JPEG files are taken, judged by the first file's extension in any letter case.
bool IsJpegName(const QString& path) {
    const QString suffix = QStringLiteral(".") + QFileInfo(path).suffix().toUpper();
    return !QFileInfo(path).suffix().isEmpty() && (suffix == ".JPG" || suffix == ".JPEG");
}

} // namespace

// A dropped file that an album already uses is copied to `copy` in the image folder and
// decoded from there. A copy that cannot be made or decoded is removed again and throws, so
// that nothing is made from it.
TBitmap32 TMainForm::LoadDuplicateCopy(const std::string& dropped, const std::string& copy) {
    const int error = CopyFileContents(dropped, copy);
    try {
        if (error != 0) throw std::runtime_error("Cannot copy " + dropped + " to " + copy + ": " + std::strerror(error));
        return LoadPictureFile(copy);
    } catch (const std::exception&) {
        std::error_code ignored;
        fs::remove(copy, ignored);
        throw;
    }
}

void TMainForm::BringToFront() {
    raise();
    activateWindow();
}

void TMainForm::TryLoadImageFile(const std::string& path, bool show) {
    try {
        LoadImageFile(path, show);
    } catch (const std::exception& error) {
        FPrompts->ShowError(this, QString::fromStdString(error.what()));
    }
}

void TMainForm::tbNewImageClick() {
    const QString path = FPrompts->OpenImageFile(this);
    if (!path.isEmpty()) TryLoadImageFile(path.toStdString(), true);
}

void TMainForm::WarnIfManyFiles(const QStringList& files) {
    if (files.size() > 1) FPrompts->ShowInformation(this, "Files Dropped", "Fotolark accepts only one file at a time.");
}

// ---- the image view as a drop target ----

bool TMainForm::FImgViewDropAccepts(const QStringList& files) {
    if (files.isEmpty() || !IsJpegName(files.first())) return false;
    BringToFront();
    return true;
}

void TMainForm::FImgViewDropDrop(const QStringList& files) {
    if (files.isEmpty()) return;
    WarnIfManyFiles(files);
    const std::string path = files.first().toStdString();
    if (!IsJpegName(files.first())) {
        BringToFront();
        return;
    }
    TPhotoNode* used = nullptr;
    const int answer = CheckDupImage(path, used);
    if (answer == -1) {
        TryLoadImageFile(path, true);
    } else if (answer == mrYes) {
        const std::string copy = NextImageName(FImageDir);
        try {
            TakeImage(LoadDuplicateCopy(path, copy), isFileCopy, copy, true);
        } catch (const std::exception& error) {
            FPrompts->ShowError(this, QString::fromStdString(error.what()));
        }
    } else {
        return;
    }
    BringToFront();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FImgView->viewport()) return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls() && FImgViewDropAccepts(DraggedFiles(drag->mimeData())))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls()) return false;
        drop->acceptProposedAction();
        FImgViewDropDrop(DraggedFiles(drop->mimeData()));
        return true;
    }
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

// ---- the album tree as a drop target ----

bool TMainForm::FTreeDropAccepts(const QStringList& files, QTreeWidgetItem* target, bool entering) {
    if (files.isEmpty() || !IsJpegName(files.first())) return false;
    if (entering) return FAlbumTree->topLevelItemCount() > 0;
    BringToFront();
    // The album that will receive the photo is highlighted while dragging.
    if (AsAlbumNode(target)) SelectNode(target);
    return FAlbumTree->topLevelItemCount() > 0;
}

void TMainForm::FTreeDropDrop(const QStringList& files, QTreeWidgetItem* target) {
    if (!target) target = LastNode();
    if (!target) return;
    TAlbumNode* album = AsAlbumNode(target) ? AsAlbumNode(target) : AsAlbumNode(target->parent());
    WarnIfManyFiles(files);
    const std::string path = files.first().toStdString();

    // Should the user cancel the photo's properties, the current image comes back as it was.
    const TBitmap32 previousBitmap = FWorkBitmap;
    const TImageSource previousSource = FImageSource;
    const std::string previousFile = FImageFile;
    const bool previousModified = FModified;

    TPhotoNode* used = nullptr;
    const int answer = CheckDupImage(path, used);
    if (answer != -1 && answer != mrYes) return;
    SelectNode(album);
    // A picture that cannot be copied or decoded ends the drop: nothing was changed yet.
    std::string copy;
    TEditHistory previousHistory = std::move(FHistory);
    try {
        if (answer == -1) {
            LoadImageFile(path, false);
        } else {
            copy = NextImageName(FImageDir);
            TakeImage(LoadDuplicateCopy(path, copy), isFileCopy, copy, false);
        }
    } catch (const std::exception& error) {
        FPrompts->ShowError(this, QString::fromStdString(error.what()));
        FHistory = std::move(previousHistory);
        return;
    }
    FModified = false;
    const int photosBefore = album->childCount();
    AddPhotoToAlbum();
    if (album->childCount() == photosBefore) {
        if (!copy.empty()) {
            std::error_code ignored;
            fs::remove(copy, ignored);
        }
        FWorkBitmap = previousBitmap;
        FImageSource = previousSource;
        FImageFile = previousFile;
        FModified = previousModified;
        FHistory = std::move(previousHistory);
        UpdateActions();
        return;
    }
    album->setExpanded(true);
    FAlbumsModified = true;
}
