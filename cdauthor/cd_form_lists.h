// The two album lists of the CD window: one item per album in the columns "Album Name" and
// "Size (MB)", dragged between and within the lists. The items only refer to the albums;
// the window owns them.
#pragma once

#include <QString>
#include <QTreeWidget>

#include <functional>
#include <vector>

class TAlbum;

// "%3.2f MB" of an album's sectors.
QString AlbumSizeText(const TAlbum& album);
// "%3.2f" of `sectors` in megabytes.
QString MegabytesText(int64_t sectors);

class TAlbumListBox : public QTreeWidget {
    Q_OBJECT
public:
    TAlbumListBox(const char* name, const QString& hint, QWidget* parent = nullptr);

    // Appends an item with a freshly built text for `album`.
    void AppendAlbum(TAlbum* album);
    int Count() const { return topLevelItemCount(); }
    TAlbum* AlbumAt(int row) const;
    std::vector<TAlbum*> Albums() const;
    // The selected item's row, -1 when none is selected.
    int SelectedRow() const;
    // The row of the item at `pos` (viewport coordinates); -1 below the last item.
    int RowAt(QPoint pos) const;
    // Moves the item at `from` so that it ends up at `to`.
    void MoveItem(int from, int to);
    void RemoveAt(int row);

    // Set by the window: whether a drag from `source` is accepted, and the drop itself.
    std::function<bool(QObject* source)> OnDragOver;
    std::function<void(QObject* source, QPoint pos)> OnDragDrop;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Accepts the drag or drop as a copy when the window takes drags from its source.
    bool AcceptDrag(QDropEvent* event) const;
};
