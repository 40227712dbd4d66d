// Album tree nodes own their records: an album node its TAlbum (with an empty photo list
// while shown), a photo node its own copy of the photo.
#pragma once

#include "album_records.h"
#include "display_text.h"

#include <QTreeWidgetItem>

#include <memory>

enum TNodeType { ntAlbum = QTreeWidgetItem::UserType + 1, ntPhoto };

class TAlbumNode : public QTreeWidgetItem {
public:
    explicit TAlbumNode(std::unique_ptr<TAlbum> album);
    TAlbum& Album() const { return *FAlbum; }

private:
    std::unique_ptr<TAlbum> FAlbum;
};

class TPhotoNode : public QTreeWidgetItem {
public:
    explicit TPhotoNode(std::unique_ptr<TPhoto> photo);
    TPhoto& Photo() const { return *FPhoto; }

private:
    std::unique_ptr<TPhoto> FPhoto;
};

TAlbumNode* AsAlbumNode(QTreeWidgetItem* item);
TPhotoNode* AsPhotoNode(QTreeWidgetItem* item);
