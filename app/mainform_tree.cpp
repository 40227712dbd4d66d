// The album tree: selection, albums created and renamed in place, the context menu,
// showing a photo full size, and dragging within the tree or from the image view.
#include "mainform.h"

#include "album_nodes.h"
#include "album_text.h"
#include "album_tree.h"
#include "busy_cursor.h"
#include "file_names.h"
#include "image_view.h"
#include "jpeg_io.h"
#include "picture_file.h"
#include "prefs.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>

#include <filesystem>

namespace {

// Sizes up to 1 MB in whole kilobytes, larger ones in whole megabytes (rounded down).
QString SizeText(uint64_t size) {
    return size <= 1048576 ? QStringLiteral("%1KB").arg(size / 1024) : QStringLiteral("%1MB").arg(size / 1048576);
}

// Each size is an unsigned 32-bit value; the sum is kept in 64 bits, so that an album of
// more than 4 GB does not wrap round to a small size.
uint64_t PhotoByteSize(const TPhoto& photo) {
    return uint64_t{static_cast<uint32_t>(photo.ImageSize)} + static_cast<uint32_t>(photo.ThumbSize);
}

TAlbumNode* AlbumOf(QTreeWidgetItem* node) {
    if (TAlbumNode* album = AsAlbumNode(node)) return album;
    return node ? AsAlbumNode(node->parent()) : nullptr;
}

} // namespace

QTreeWidgetItem* TMainForm::SelectedNode() const {
    return FAlbumTree->currentItem() && FAlbumTree->currentItem()->isSelected() ? FAlbumTree->currentItem() : nullptr;
}

void TMainForm::SelectNode(QTreeWidgetItem* node) {
    const QSignalBlocker quiet(FAlbumTree);
    FAlbumTree->setCurrentItem(node);
    if (!node) FAlbumTree->clearSelection();
}

QTreeWidgetItem* TMainForm::LastNode() const {
    QTreeWidgetItem* last = FAlbumTree->topLevelItem(FAlbumTree->topLevelItemCount() - 1);
    if (last && last->childCount() > 0) last = last->child(last->childCount() - 1);
    return last;
}

void TMainForm::LoadThumbnail(const TPhoto& photo) {
    const std::string path = PhotoFilePath(FThumbDir, photo.FileName);
    FThumbView->Bitmap().Delete();
    if (!path.empty() && std::filesystem::exists(path)) {
        try {
            FThumbView->Bitmap() = ReadJpegFile(path);
        } catch (const std::exception&) {
            // a damaged thumbnail leaves the view empty, as a missing one does
        }
    }
    FThumbView->Changed();
}

uint64_t TMainForm::AlbumByteSize() const {
    TAlbumNode* album = AlbumOf(SelectedNode());
    uint64_t size = 0;
    if (album)
        for (int i = 0; i < album->childCount(); ++i)
            if (TPhotoNode* photo = AsPhotoNode(album->child(i))) size += PhotoByteSize(photo->Photo());
    return size;
}

void TMainForm::FAlbumTreeClick() {
    FStatusPanels[1]->clear();
    FStatusPanels[2]->clear();  // set again below only while a photo is selected
    QTreeWidgetItem* node = SelectedNode();
    if (FAlbumTree->topLevelItemCount() > 0 && node) {
        if (FImgView->HasImage() && (FModified || FImageSource == isNew || FImageSource == isFile)) {
            if (AskUser("Image Changed", "The image has been modified - save the changes?", TAskButtons::YesNo) == mrYes)
                CommitImage(false);
            FModified = false;
        }
        tbDiscardClick();
        uint64_t size = 0;
        if (TPhotoNode* photo = AsPhotoNode(node)) {
            FImageSource = isAlbumPhoto;
            size = PhotoByteSize(photo->Photo());
            LoadThumbnail(photo->Photo());
            FStatusPanels[2]->setText(ToDisplay(FileNamePart(photo->Photo().FileName)));
        } else {
            size = AlbumByteSize();
        }
        FStatusPanels[1]->setText(SizeText(size));
        FImgView->CropLayer().Visible = false;
        const QSignalBlocker quiet(tbCrop);
        tbCrop->setChecked(false);
        FImgView->viewport()->unsetCursor();
        FCropDragging = false;
        FImgView->Changed();
    }
    UpdateActions();
}

// Album nodes show the open picture while selected.
void TMainForm::UpdateNodePictures(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (TAlbumNode* album = AsAlbumNode(previous)) album->setIcon(0, FTreeImages[tiAlbumClosed]);
    if (TAlbumNode* album = AsAlbumNode(current)) album->setIcon(0, FTreeImages[tiAlbumOpen]);
}

void TMainForm::FAlbumTreeMouseUp(QTreeWidgetItem* node, QPoint globalAt) {
    const bool photo = AsPhotoNode(node) != nullptr;
    TreeShowImage->setEnabled(photo);
    if (photo) {
        TBusyCursor busy;
        LoadThumbnail(AsPhotoNode(node)->Photo());
    }
    SelectNode(node);
    FTreeMenuPopup();
    FTreeMenu->popup(globalAt);
}

void TMainForm::FTreeMenuPopup() {
    QTreeWidgetItem* node = FAlbumTree->topLevelItemCount() > 0 ? SelectedNode() : nullptr;
    TreeShowImage->setEnabled(AsPhotoNode(node) != nullptr);
    TreeEdit->setEnabled(AsPhotoNode(node) != nullptr);
    TreeDelete->setEnabled(node != nullptr);
}

void TMainForm::TreeEditClick() {
    QTreeWidgetItem* node = SelectedNode();
    if (TPhotoNode* photo = AsPhotoNode(node)) {
        const bool loadPreview = FWorkBitmap.Empty();
        try {
            if (loadPreview) FWorkBitmap = LoadPhotoImage(photo->Photo());
        } catch (const std::exception& error) {
            FPrompts->ShowError(this, QString::fromStdString(error.what()));
            return;
        }
        const bool accepted = FPrompts->PhotoProperties(this, photo->Photo(), FWorkBitmap);
        if (loadPreview) FWorkBitmap.Delete();
        if (!accepted) return;
        photo->setText(0, ToDisplay(photo->Photo().Caption));
        FAlbumsModified = true;
    } else if (TAlbumNode* album = AsAlbumNode(node)) {
        FAlbumTree->editItem(album);
    }
}

// Only album labels can be edited; a confirmed new label becomes the album's title. A label
// confirmed as it was shown keeps the title's bytes, whatever their encoding.
void TMainForm::FAlbumTreeEdited(QTreeWidgetItem* node) {
    TAlbumNode* album = AsAlbumNode(node);
    if (!album) return;
    const std::string title = EditedText(album->text(0), album->Album().Title);
    if (title == album->Album().Title) return;
    album->Album().Title = title;
    FAlbumsModified = true;
}

std::vector<std::string> TMainForm::AlbumFilesInTree() const {
    std::vector<std::string> names;
    for (int i = 0; i < FAlbumTree->topLevelItemCount(); ++i)
        if (TAlbumNode* album = AlbumNodeAt(i)) names.push_back(album->Album().AlbumFile);
    return names;
}

TAlbumNode* TMainForm::AddAlbumNode(std::unique_ptr<TAlbum> album) {
    auto* node = new TAlbumNode(std::move(album));
    node->setIcon(0, FTreeImages[tiAlbumClosed]);
    FAlbumTree->addTopLevelItem(node);
    return node;
}

void TMainForm::A_NewAlbumExecute() {
    auto album = std::make_unique<TAlbum>();
    album->AlbumFile = NewAlbumName(FAlbumDir, AlbumFilesInTree());
    album->Title = "New Album";
    album->Position = FAlbumTree->topLevelItemCount();
    TAlbumNode* node = AddAlbumNode(std::move(album));
    FAlbumsModified = true;
    SelectNode(node);
    FAlbumTree->editItem(node);
    UpdateActions();
}

void TMainForm::ShowPhoto() {
    TPhotoNode* photo = AsPhotoNode(SelectedNode());
    if (!photo) return;
    TBusyCursor busy;
    try {
        // Decoded first: a photo that cannot be shown leaves the current image as it was.
        TakeImage(LoadPhotoImage(photo->Photo()), isAlbumPhoto, StoredFileName(photo->Photo().FileName), true);
    } catch (const std::exception& error) {
        FPrompts->ShowError(this, QString::fromStdString(error.what()));
    }
}

// The photo's image file in the image folder, by the file-name part of its stored name only;
// a damaged name is refused before any file is touched.
std::string TMainForm::PhotoImagePath(const std::string& storedName) const {
    const std::string path = PhotoFilePath(FImageDir, storedName);
    if (path.empty())
        throw std::runtime_error("The photo's file name \"" + storedName + "\" does not name a file in the image folder.");
    return path;
}

TBitmap32 TMainForm::LoadPhotoImage(const TPhoto& photo) const {
    return LoadPictureFile(PhotoImagePath(photo.FileName));
}

// ---- dragging ----

bool TMainForm::FAlbumTreeDragOver(bool fromTree, QTreeWidgetItem* target) {
    if (fromTree) return true;
    if (FImageSource != isAlbumPhoto) return FAlbumTree->topLevelItemCount() > 0;
    TAlbumNode* shownAlbum = AlbumOf(SelectedNode());
    return target && AlbumOf(target) != shownAlbum;
}

void TMainForm::FAlbumTreeDragDrop(bool fromTree, QTreeWidgetItem* target, QPoint globalAt) {
    if (!target) target = LastNode();
    if (!target) return;
    if (!fromTree) {
        TAlbumNode* album = AlbumOf(target);
        if (FImageSource != isAlbumPhoto) {
            SelectNode(album);
            AddPhotoToAlbum();
        } else {
            FDropNode = album;
            FDragNode = SelectedNode();
            FPhotoMenu->popup(globalAt);
        }
        return;
    }
    FDragNode = SelectedNode();
    FDropNode = target;
    if (!FDragNode || FDragNode == FDropNode) return;
    if (AsPhotoNode(FDragNode)) {
        if (FDropNode->parent() == FDragNode->parent()) {
            MoveNodeBefore(FDragNode, FDropNode);
            FAlbumTreeClick();
        } else {
            FPhotoMenu->popup(globalAt);
        }
    } else {
        TAlbumNode* album = AlbumOf(FDropNode);
        if (album != FDragNode) MoveNodeBefore(FDragNode, album);
        FThumbView->Bitmap().Delete();
        FThumbView->Changed();
        FAlbumTreeClick();
    }
    FAlbumsModified = true;
}

// Moves `node` to just before `before` among `before`'s siblings, keeping its data.
void TMainForm::MoveNodeBefore(QTreeWidgetItem* node, QTreeWidgetItem* before) {
    const bool expanded = node->isExpanded();
    QTreeWidgetItem* oldParent = node->parent();
    if (oldParent)
        oldParent->removeChild(node);
    else
        FAlbumTree->takeTopLevelItem(FAlbumTree->indexOfTopLevelItem(node));
    if (QTreeWidgetItem* parent = before->parent())
        parent->insertChild(parent->indexOfChild(before), node);
    else
        FAlbumTree->insertTopLevelItem(FAlbumTree->indexOfTopLevelItem(before), node);
    node->setExpanded(expanded);
    SelectNode(node);
}
