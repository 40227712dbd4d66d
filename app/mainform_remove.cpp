// Removing photos and albums, and moving or copying a photo to another place in the tree.
#include "mainform.h"

#include "album_nodes.h"
#include "file_names.h"
#include "prefs.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Files that are missing or cannot be deleted are not reported.
void DeleteQuietly(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

void CopyQuietly(const std::string& from, const std::string& to) {
    std::error_code ignored;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ignored);
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
    const std::string name = FileNamePart(node->Photo().FileName);
    if (eraseFile) DeleteQuietly(FImageDir + name);
    DeleteQuietly(FThumbDir + name);
    delete node;
    FAlbumTreeClick();
    FAlbumsModified = true;
}

void TMainForm::RemoveAlbumNode(TAlbumNode* node) {
    bool eraseFiles = false;
    if (!FPrompts->RemoveAlbum(this, node->Album().Title, eraseFiles)) return;
    FAlbumTree->setUpdatesEnabled(false);
    const std::string albumFile = FAlbumDir + FileNamePart(node->Album().AlbumFile);
    for (int i = 0; i < node->childCount(); ++i)
        if (TPhotoNode* photo = AsPhotoNode(node->child(i))) {
            const std::string name = FileNamePart(photo->Photo().FileName);
            if (eraseFiles) DeleteQuietly(FImageDir + name);
            DeleteQuietly(FThumbDir + name);
        }
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
        const std::string oldName = FileNamePart(copy->FileName);
        copy->FileName = FileNamePart(NextImageName(FImageDir));
        CopyQuietly(FImageDir + oldName, FImageDir + copy->FileName);
        CopyQuietly(FThumbDir + oldName, FThumbDir + copy->FileName);
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
