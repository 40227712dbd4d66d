// "Remove Album": confirms removing an album with its photos and asks whether their image
// files go too.
#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

class TDelAlbumForm : public QDialog {
    Q_OBJECT
public:
    TDelAlbumForm(QWidget* parent, const std::string& albumTitle, const QString& helpFile = {});

    // Shows the dialog modally. True on "&Remove", with `eraseImageFiles` := the state of
    // "Erase the image files from your disk?"; false on "&Cancel", leaving `eraseImageFiles` alone.
    static bool Execute(QWidget* parent, const std::string& albumTitle, bool& eraseImageFiles,
                        const QString& helpFile = {});

    QFrame* Bevel1;
    QLabel* Label1;
    QLabel* lblAlbum;
    QLabel* Label3;
    QCheckBox* cxDeleteFile;
    QPushButton* btnYes;
    QPushButton* Button2;
    QToolButton* sbHelp;
};
