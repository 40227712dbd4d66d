// Removing photos and albums, and moving or copying a photo to another place in the tree.
#include "mainform.h"

#include "album_nodes.h"
#include "album_text.h"
#include "file_names.h"
#include "prefs.h"
#include "safe_file.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Files that are missing or cannot be deleted are not reported. An empty path stands for a
// damaged stored name (PhotoFilePath) and touches nothing.
void DeleteQuietly(const std::string& path) {
    std::error_code ignored;
    if (!path.empty()) fs::remove(path, ignored);
}

void CopyQuietly(const std::string& from, const std::string& to) {
    if (!from.empty()) (void)CopyFileContents(from, to);
}

// The photo's thumbnail always goes; its image file when the user asked for that.
void DeletePhotoFiles(const TPhoto& photo, const std::string& imageDir, const std::string& thumbDir, bool eraseImage) {
    if (eraseImage) DeleteQuietly(PhotoFilePath(imageDir, photo.FileName));
    DeleteQuietly(PhotoFilePath(thumbDir, photo.FileName));
}

} // namespace

void TMainForm::TreeDeleteClick() {
    QTreeWidgetItem* node = SelectedNode();
    if (TPhotoNode* photo = AsPhotoNode(node))
        RemovePhotoNode(photo);
    else if (TAlbumNode* album = AsAlbumNode(node))
        RemoveAlbumNode(album);
}

void TMainForm::RemovePhotoNode(TPhotoNode* node) {
    bool eraseFile = false;
    if (!FPrompts->RemovePhoto(this, node->Photo(), FThumbDir, FImageDir, eraseFile)) return;
    DeletePhotoFiles(node->Photo(), FImageDir, FThumbDir, eraseFile);
    delete node;
    FAlbumTreeClick();
    FAlbumsModified = true;
}

void TMainForm::RemoveAlbumNode(TAlbumNode* node) {
    bool eraseFiles = false;
    if (!FPrompts->RemoveAlbum(this, node->Album().Title, eraseFiles)) return;
    FAlbumTree->setUpdatesEnabled(false);
    const std::string albumFile = StoredFilePath(FAlbumDir, node->Album().AlbumFile);
    for (int i = 0; i < node->childCount(); ++i)
        if (TPhotoNode* photo = AsPhotoNode(node->child(i))) DeletePhotoFiles(photo->Photo(), FImageDir, FThumbDir, eraseFiles);
    const int index = FAlbumTree->indexOfTopLevelItem(node);
    QTreeWidgetItem* next = FAlbumTree->topLevelItem(index > 0 ? index - 1 : index + 1);
    SelectNode(next);
    delete node;
    DeleteQuietly(albumFile);
    FAlbumTree->setUpdatesEnabled(true);
    FAlbumTreeClick();  // also clears the status panels when no album is left
    FAlbumsModified = true;
    UpdateActions();
}

// Tag 1 moves the dragged photo to the drop place; any other tag copies it there with files
// of its own under a new name.
void TMainForm::PhotoMoveClick(int tag) {
    TPhotoNode* dragged = AsPhotoNode(FDragNode);
    if (!dragged || !FDropNode) return;
    QTreeWidgetItem* placed = dragged;
    if (tag != 1) {
        auto copy = std::make_unique<TPhoto>(dragged->Photo());
        copy->FileName = FileNamePart(NextImageName(FImageDir));
        CopyQuietly(PhotoFilePath(FImageDir, dragged->Photo().FileName), FImageDir + copy->FileName);
        CopyQuietly(PhotoFilePath(FThumbDir, dragged->Photo().FileName), FThumbDir + copy->FileName);
        placed = new TPhotoNode(std::move(copy));
        placed->setIcon(0, FTreeImages[tiPhoto]);
    } else {
        dragged->parent()->removeChild(dragged);
    }
    if (AsPhotoNode(FDropNode)) {
        QTreeWidgetItem* album = FDropNode->parent();
        album->insertChild(album->indexOfChild(FDropNode), placed);
    } else {
        FDropNode->addChild(placed);
    }
    SelectNode(FDropNode);
    FAlbumTreeClick();
    FAlbumsModified = true;
}
