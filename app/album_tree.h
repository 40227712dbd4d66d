// The album tree control: a two-level tree whose drag and drop and right-click the main
// window decides. It only reports what happens.
#pragma once

#include <QTreeWidget>

#include <functional>

class TAlbumTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TAlbumTree(QWidget* parent = nullptr);

    // Whether a drag may drop at `at` (viewport coordinates); `fromTree` tells a node dragged
    // within the tree from the current image dragged from the view.
    std::function<bool(bool fromTree, QTreeWidgetItem* target)> AcceptDrop;
    std::function<void(bool fromTree, QTreeWidgetItem* target, QPoint globalAt)> Dropped;
    std::function<void(QTreeWidgetItem* target, QPoint globalAt)> RightClicked;
    // Files dragged from outside: whether to take them (`entering` on the first event), and
    // the drop itself.
    std::function<bool(const QStringList& files, QTreeWidgetItem* target, bool entering)> AcceptFiles;
    std::function<void(const QStringList& files, QTreeWidgetItem* target)> FilesDropped;
    // A label the user confirmed in the in-place editor (Escape reports nothing). The tree's
    // own change signal cannot tell this apart: it also fires for pictures and flags.
    std::function<void(QTreeWidgetItem* node)> LabelEdited;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool FromTree(const QDropEvent* event) const;
    bool Accepts(const QDropEvent* event);
    bool TakesFiles(const QDropEvent* event, bool entering);
};

extern const char* const kImageDragFormat;

// The local files of a drag from the desktop, in the order the source gives them.
QStringList DraggedFiles(const QMimeData* data);
