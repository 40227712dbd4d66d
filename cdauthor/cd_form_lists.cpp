#include "cd_form_lists.h"

#include "display_text.h"

#include "album_records.h"
#include "cd_form_widgets.h"

#include <QDropEvent>
#include <QHeaderView>

namespace {

constexpr int kAlbumRole = Qt::UserRole;

} // namespace

QString MegabytesText(int64_t sectors) {
    return QString::asprintf("%3.2f", static_cast<double>(sectors) * 2048 / 1024 / 1024);
}

QString AlbumSizeText(const TAlbum& album) {
    return MegabytesText(album.SectorCount()) + " MB";
}

TAlbumListBox::TAlbumListBox(const char* name, const QString& hint, QWidget* parent) : QTreeWidget(parent) {
    setObjectName(name);
    SetCDHint(this, hint);
    setRootIsDecorated(false);
    setColumnCount(2);
    setHeaderLabels({"Album Name", "Size (MB)"});
    headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    // The size column keeps its 100 pixels; the names take the rest of the list (150 pixels
    // where there is room), so that neither column is cut off in a narrow panel.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    header()->setSectionResizeMode(1, QHeaderView::Fixed);
    header()->setMinimumSectionSize(100);
    setColumnWidth(0, 150);
    setColumnWidth(1, 100);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    // The window moves the album itself; a move result would make the view remove the
    // dragged row a second time.
    setDefaultDropAction(Qt::CopyAction);
}

void TAlbumListBox::AppendAlbum(TAlbum* album) {
    auto* item = new QTreeWidgetItem({ToDisplay(album->Title), AlbumSizeText(*album)});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, kAlbumRole, QVariant::fromValue(static_cast<void*>(album)));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    addTopLevelItem(item);
}

TAlbum* TAlbumListBox::AlbumAt(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? static_cast<TAlbum*>(item->data(0, kAlbumRole).value<void*>()) : nullptr;
}

std::vector<TAlbum*> TAlbumListBox::Albums() const {
    std::vector<TAlbum*> albums;
    for (int row = 0; row < Count(); ++row) albums.push_back(AlbumAt(row));
    return albums;
}

int TAlbumListBox::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

int TAlbumListBox::RowAt(QPoint pos) const {
    QTreeWidgetItem* item = itemAt(pos);
    return item ? indexOfTopLevelItem(item) : -1;
}

void TAlbumListBox::MoveItem(int from, int to) {
    QTreeWidgetItem* item = takeTopLevelItem(from);
    if (!item) return;
    insertTopLevelItem(to, item);
    setCurrentItem(item);
}

void TAlbumListBox::RemoveAt(int row) {
    delete takeTopLevelItem(row);
}

bool TAlbumListBox::AcceptDrag(QDropEvent* event) const {
    if (!OnDragOver || !OnDragOver(event->source())) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void TAlbumListBox::dragEnterEvent(QDragEnterEvent* event) {
    AcceptDrag(event);
}

void TAlbumListBox::dragMoveEvent(QDragMoveEvent* event) {
    AcceptDrag(event);
}

void TAlbumListBox::dropEvent(QDropEvent* event) {
    if (AcceptDrag(event) && OnDragDrop) OnDragDrop(event->source(), event->position().toPoint());
}
