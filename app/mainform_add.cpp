// Adding the current image to an album: placing its file, the thumbnail, the photo node.
#include "mainform.h"

#include "album_nodes.h"
#include "busy_cursor.h"
#include "file_names.h"
#include "image_view.h"
#include "jpeg_io.h"
#include "prefs.h"
#include "thumbnailer.h"

#include <QApplication>
#include <QLabel>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

int ReadQuality() {
    return TPrefs().Quality;
}

} // namespace

std::vector<std::string> TMainForm::AlbumNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < FAlbumTree->topLevelItemCount(); ++i)
        if (TAlbumNode* album = AlbumNodeAt(i)) names.push_back(album->Album().Title);
    return names;
}

TPhotoNode* TMainForm::FindPhotoByFile(const std::string& path) const {
    const std::string key = UpperAscii(FileNamePart(path));
    for (int i = 0; i < FAlbumTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* album = FAlbumTree->topLevelItem(i);
        for (int j = 0; j < album->childCount(); ++j)
            if (TPhotoNode* photo = AsPhotoNode(album->child(j)))
                if (UpperAscii(FileNamePart(photo->Photo().FileName)) == key) return photo;
    }
    return nullptr;
}

// A used photo whose picture cannot be shown (its file missing or broken) ends the drop
// with the error box, answered as No.
int TMainForm::CheckDupImage(const std::string& path, TPhotoNode*& node) {
    node = FindPhotoByFile(path);
    if (!node) return -1;
    try {
        return FPrompts->ImageAlreadyUsed(this, node->Photo(), AsAlbumNode(node->parent())->Album().Title, FImageDir);
    } catch (const std::exception& error) {
        FPrompts->ShowError(this, QString::fromStdString(error.what()));
        return mrNo;
    }
}

// Writes the thumbnail of the working copy beside the photo's image and returns the sizes of
// the image file and of the thumbnail.
std::pair<int32_t, int32_t> TMainForm::MakeThumbnailFile(const std::string& fileName) {
    std::error_code error;
    const auto imageSize = fs::file_size(FImageDir + fileName, error);
    if (error) throw std::runtime_error("Cannot open " + FImageDir + fileName + ": " + error.message());
    const auto thumbSize = WriteThumbnailFile(FWorkBitmap, FThumbDir + fileName);
    FImgView->Bitmap().Delete();
    FImgView->Changed();
    return {static_cast<int32_t>(imageSize), static_cast<int32_t>(thumbSize)};
}

// Puts the current image's file into the image folder and returns its file name there.
std::string TMainForm::PlaceImageFile() {
    if (FImageSource == isNew) {
        FImageFile = NextImageName(FImageDir);
        WriteJpegFile(FWorkBitmap, FImageFile, ReadQuality());
        return FileNamePart(FImageFile);
    }
    const std::string source = FImageFile;
    if (FolderPart(source) == FImageDir) {
        if (FModified) WriteJpegFile(FWorkBitmap, source, ReadQuality());
        return FileNamePart(source);
    }
    std::string destination = FImageDir + FileNamePart(source);
    if (TNamesInFolder(FImageDir).IsTaken(FileNamePart(source))) destination = NextImageName(FImageDir);
    if (FModified) {
        FImageFile = destination;
        WriteJpegFile(FWorkBitmap, destination, ReadQuality());
    } else {
        std::error_code ignored;  // a failed copy is not reported; the name still stands
        fs::copy_file(source, destination, fs::copy_options::skip_existing, ignored);
    }
    return FileNamePart(destination);
}

void TMainForm::AddPhotoToAlbum() {
    auto photo = std::make_unique<TPhoto>();
    if (!FPrompts->PhotoProperties(this, *photo, FWorkBitmap)) return;
    TBusyCursor busy;
    try {
        photo->FileName = PlaceImageFile();
        FImageSource = isNew;
        FImageFile.clear();
        FModified = false;
        QTreeWidgetItem* target = SelectedNode() ? SelectedNode() : LastNode();
        TAlbumNode* album = AsAlbumNode(target) ? AsAlbumNode(target) : AsAlbumNode(target->parent());
        const auto [imageSize, thumbSize] = MakeThumbnailFile(photo->FileName);
        photo->ImageSize = imageSize;
        photo->ThumbSize = thumbSize;
        auto* node = new TPhotoNode(std::move(photo));
        node->setIcon(0, FTreeImages[tiPhoto]);
        album->addChild(node);
        FImgView->Bitmap().Delete();
        FImgView->Changed();
        FWorkBitmap.Delete();
        FHistory.Clear();
        SelectNode(node);
        FAlbumsModified = true;
        FAlbumTreeClick();
    } catch (const std::exception& error) {
        FPrompts->ShowError(this, QString::fromStdString(error.what()));
    }
    UpdateActions();
}

void TMainForm::CommitImage(bool refresh) {
    TBusyCursor busy;
    if (FImageSource != isAlbumPhoto) {
        if (ChooseAlbumAndAdd(QPoint(-1, -1))) {
            FModified = false;
            if (refresh) FAlbumTreeClick();
        }
        UpdateActions();
        return;
    }
    try {
        WriteJpegFile(FWorkBitmap, PhotoImagePath(FImageFile), ReadQuality());
        const auto [imageSize, thumbSize] = MakeThumbnailFile(StoredFileName(FImageFile));
        RecordPhotoSizes(StoredFileName(FImageFile), imageSize, thumbSize);
        FAlbumsModified = true;
        FModified = false;
        FHistory.MarkSaved();
        if (refresh) FAlbumTreeClick();
    } catch (const std::exception& error) {
        FPrompts->ShowError(this, QString::fromStdString(error.what()));
    }
    UpdateActions();
}

// The sizes go to the photos whose file was written, found by that file: when the "Image
// Changed" question saves the shown photo, the selection has already moved on.
void TMainForm::RecordPhotoSizes(const std::string& fileName, int32_t imageSize, int32_t thumbSize) {
    for (int i = 0; i < FAlbumTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* album = FAlbumTree->topLevelItem(i);
        for (int j = 0; j < album->childCount(); ++j)
            if (TPhotoNode* photo = AsPhotoNode(album->child(j)); photo && StoredFileName(photo->Photo().FileName) == fileName) {
                photo->Photo().ImageSize = imageSize;
                photo->Photo().ThumbSize = thumbSize;
            }
    }
}

bool TMainForm::ChooseAlbumAndAdd(QPoint at) {
    const std::vector<std::string> names = AlbumNames();
    if (names.empty()) {
        FPrompts->ShowInformation(this, "Fotolark",
                                  "You must create a new album before adding a photo.");
        return false;
    }
    std::string chosen;
    if (!FPrompts->ChooseAlbum(this, names, at, chosen)) return false;
    for (int i = 0; i < FAlbumTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* album = FAlbumTree->topLevelItem(i);
        if (album->text(0).compare(ToDisplay(chosen), Qt::CaseInsensitive) == 0) {
            SelectNode(album);
            AddPhotoToAlbum();
            break;
        }
    }
    return true;
}
