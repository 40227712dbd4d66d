#include "del_album_form.h"

#include "album_nodes.h"
#include "dialog_frame.h"
#include "hints.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TDelAlbumForm::TDelAlbumForm(QWidget* parent, const std::string& albumTitle, const QString& helpFile)
    : QDialog(parent) {
    setObjectName("DelAlbumForm");
    setWindowTitle("Remove Album");
    SetDialogFrame(this, QSize(313, 175));

    Bevel1 = MakeBevel("Bevel1");

    Label1 = new QLabel("Are you certain you want to remove this album?");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    lblAlbum = new QLabel(ToDisplay(albumTitle));
    lblAlbum->setObjectName("lblAlbum");
    lblAlbum->setTextFormat(Qt::PlainText);
    lblAlbum->setAlignment(Qt::AlignCenter);
    SetHint(lblAlbum, "Album title");

    Label3 = new QLabel("(This will also remove all the photos contained in the album)");
    Label3->setWordWrap(true);

    cxDeleteFile = new QCheckBox("Erase the image files from your disk?");
    cxDeleteFile->setObjectName("cxDeleteFile");
    SetHint(cxDeleteFile, "Delete the photo image files");

    auto* question = new QVBoxLayout(Bevel1);
    question->addWidget(Label1);
    question->addWidget(lblAlbum);
    question->addWidget(Label3);
    question->addWidget(cxDeleteFile);

    btnYes = MakeCloseButton(this, "btnYes", "&Remove", "Remove the album", Accepted);
    btnYes->setDefault(true);
    Button2 = MakeCloseButton(this, "Button2", "&Cancel", "Close without removing the album", Rejected);

    sbHelp = MakeHelpButton(this, helpFile);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1, 1);
    layout->addLayout(MakeButtonRow(sbHelp, {btnYes, Button2}));
    btnYes->setFocus();
}

bool TDelAlbumForm::Execute(QWidget* parent, const std::string& albumTitle, bool& eraseImageFiles,
                            const QString& helpFile) {
    TDelAlbumForm form(parent, albumTitle, helpFile);
    if (form.exec() != QDialog::Accepted) return false;
    eraseImageFiles = form.cxDeleteFile->isChecked();
    return true;
}
