#include "album_tree.h"

#include <QDropEvent>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QUrl>

namespace {

// Tells the tree when the in-place editor hands its text to a node.
class TLabelDelegate : public QStyledItemDelegate {
public:
    TLabelDelegate(QObject* parent, std::function<void(const QModelIndex&)> committed)
        : QStyledItemDelegate(parent), FCommitted(std::move(committed)) {}
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        QStyledItemDelegate::setModelData(editor, model, index);
        FCommitted(index);
    }

private:
    std::function<void(const QModelIndex&)> FCommitted;
};

} // namespace

TAlbumTree::TAlbumTree(QWidget* parent) : QTreeWidget(parent) {
    setItemDelegate(new TLabelDelegate(this, [this](const QModelIndex& index) {
        if (LabelEdited) LabelEdited(itemFromIndex(index));
    }));
    setHeaderHidden(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
}

bool TAlbumTree::FromTree(const QDropEvent* event) const {
    return event->source() == this;
}

bool TAlbumTree::Accepts(const QDropEvent* event) {
    const bool fromTree = FromTree(event);
    if (!fromTree && !event->mimeData()->hasFormat(kImageDragFormat)) return false;
    return !AcceptDrop || AcceptDrop(fromTree, itemAt(event->position().toPoint()));
}

QStringList DraggedFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

bool TAlbumTree::TakesFiles(const QDropEvent* event, bool entering) {
    const QStringList files = DraggedFiles(event->mimeData());
    return !files.isEmpty() && AcceptFiles && AcceptFiles(files, itemAt(event->position().toPoint()), entering);
}

void TAlbumTree::dragEnterEvent(QDragEnterEvent* event) {
    if (FromTree(event) || event->mimeData()->hasFormat(kImageDragFormat) || TakesFiles(event, true))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TAlbumTree::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls() && !FromTree(event)) {
        TakesFiles(event, false) ? event->acceptProposedAction() : event->ignore();
        return;
    }
    if (Accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TAlbumTree::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls() && !FromTree(event)) {
        event->acceptProposedAction();
        if (FilesDropped) FilesDropped(DraggedFiles(event->mimeData()), itemAt(event->position().toPoint()));
        return;
    }
    if (!FromTree(event) && !event->mimeData()->hasFormat(kImageDragFormat)) {
        event->ignore();
        return;
    }
    // The window moves nodes itself, so the tree's own move is never run.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (Dropped && Accepts(event))
        Dropped(FromTree(event), itemAt(event->position().toPoint()), mapToGlobal(event->position().toPoint()));
}

void TAlbumTree::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton && RightClicked && topLevelItemCount() > 0)
        RightClicked(itemAt(event->position().toPoint()), event->globalPosition().toPoint());
}
