#include "album_nodes.h"

TAlbumNode::TAlbumNode(std::unique_ptr<TAlbum> album)
    : QTreeWidgetItem(ntAlbum), FAlbum(std::move(album)) {
    setText(0, ToDisplay(FAlbum->Title));
    setFlags(flags() | Qt::ItemIsEditable);  // albums are renamed in place, photos are not
}

TPhotoNode::TPhotoNode(std::unique_ptr<TPhoto> photo)
    : QTreeWidgetItem(ntPhoto), FPhoto(std::move(photo)) {
    setText(0, ToDisplay(FPhoto->Caption));
}

TAlbumNode* AsAlbumNode(QTreeWidgetItem* item) {
    return item && item->type() == ntAlbum ? static_cast<TAlbumNode*>(item) : nullptr;
}

TPhotoNode* AsPhotoNode(QTreeWidgetItem* item) {
    return item && item->type() == ntPhoto ? static_cast<TPhotoNode*>(item) : nullptr;
}

