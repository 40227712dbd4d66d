#include "del_album_form.h"

#include "album_nodes.h"
#include "dialog_frame.h"
#include "hints.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TDelAlbumForm::TDelAlbumForm(QWidget* parent, const std::string& albumTitle, const QString& helpFile)
    : QDialog(parent) {
    setObjectName("DelAlbumForm");
    setWindowTitle("Remove Album");
    SetDialogFrame(this, QSize(313, 175));

    Bevel1 = MakeBevel("Bevel1");

    Label1 = new QLabel("Are you certain you want to remove this album?");
    Label1->setAlignment(Qt::AlignCenter);

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

    btnYes = new QPushButton("&Remove");
    btnYes->setObjectName("btnYes");
    btnYes->setDefault(true);
    SetHint(btnYes, "Remove the album");
    connect(btnYes, &QPushButton::clicked, this, &QDialog::accept);

    Button2 = new QPushButton("&Cancel");
    Button2->setObjectName("Button2");
    SetHint(Button2, "Close without removing the album");
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    sbHelp = MakeHelpButton(this, helpFile);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sbHelp);
    buttons->addStretch();
    buttons->addWidget(btnYes);
    buttons->addWidget(Button2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1, 1);
    layout->addLayout(buttons);
    btnYes->setFocus();
}

bool TDelAlbumForm::Execute(QWidget* parent, const std::string& albumTitle, bool& eraseImageFiles,
                            const QString& helpFile) {
    TDelAlbumForm form(parent, albumTitle, helpFile);
    if (form.exec() != QDialog::Accepted) return false;
    eraseImageFiles = form.cxDeleteFile->isChecked();
    return true;
}
