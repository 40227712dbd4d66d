// "Add Photo to Album": the user picks the album a photo goes into.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

class TAlbumListForm : public QDialog {
    Q_OBJECT
public:
    // `names` are the album titles in tree order. An empty `caption` keeps "Add Photo to Album".
    TAlbumListForm(QWidget* parent, const std::vector<std::string>& names, const QString& caption = {},
                   const QString& helpFile = {});

    // The title shown in `lblAlbumName`, as the bytes it was given (empty when there is none).
    std::string AlbumName() const;

    // Shows the dialog modally with its top-left corner at the screen point `point`, or centred
    // on `centreOn` (the parent when none) when point.x or point.y is negative; either way it
    // is kept inside the parent's window and on screen. Returns true on "&Ok", with
    // `albumName` := the chosen title; false on "&Cancel", leaving `albumName` alone.
    static bool Execute(QWidget* parent, const std::vector<std::string>& names, std::string& albumName,
                        QPoint point = {-1, -1}, QWidget* centreOn = nullptr, const QString& helpFile = {});

    QListWidget* lbAlbums;
    QLabel* lblAlbumName;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QToolButton* sbHelp;

private:
    void lbAlbumsClick(int row);
    void lbAlbumsDblClick();

    std::vector<std::string> FNames;
    int FChosen = -1;  // the entry shown in lblAlbumName
};

// The top-left corner for a window of `size` wanted at `wanted`: moved left and up as far as
// needed to lie inside `window`, then inside `screen`; when it is larger than an area its
// top-left corner stays inside, so the caption can always be reached.
QPoint KeepInside(QPoint wanted, QSize size, const QRect& window, const QRect& screen);
