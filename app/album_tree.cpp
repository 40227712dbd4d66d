#include "album_tree.h"

#include <QDropEvent>
#include <QMimeData>

TAlbumTree::TAlbumTree(QWidget* parent) : QTreeWidget(parent) {
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

void TAlbumTree::dragEnterEvent(QDragEnterEvent* event) {
    if (FromTree(event) || event->mimeData()->hasFormat(kImageDragFormat))
        event->acceptProposedAction();
    else
        QTreeWidget::dragEnterEvent(event);  // files from outside are the drop targets' business
}

void TAlbumTree::dragMoveEvent(QDragMoveEvent* event) {
    if (!FromTree(event) && !event->mimeData()->hasFormat(kImageDragFormat)) {
        QTreeWidget::dragMoveEvent(event);
        return;
    }
    if (Accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TAlbumTree::dropEvent(QDropEvent* event) {
    if (!FromTree(event) && !event->mimeData()->hasFormat(kImageDragFormat)) {
        QTreeWidget::dropEvent(event);
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
