#include "photo_form.h"

#include "album_nodes.h"
#include "album_text.h"
#include "dialog_frame.h"
#include "fit_image.h"
#include "hints.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TPhotoForm::TPhotoForm(QWidget* parent, const TBitmap32& preview, TPhoto& photo, const QString& helpFile)
    : QDialog(parent), FPhoto(photo) {
    setObjectName("PhotoForm");
    setWindowTitle("Photo Properties");
    SetDialogFrame(this, QSize(392, 213));

    Label1 = new QLabel("Photo Caption:");
    edCaption = new QLineEdit(ToDisplay(photo.Caption));
    edCaption->setObjectName("edCaption");
    edCaption->setMaxLength(40);
    SetHint(edCaption, "Enter a caption for the photo");
    Label1->setBuddy(edCaption);

    Label2 = new QLabel("Additional Notes:");
    memPhoto = new QPlainTextEdit(NotesToText(photo.Notes()));
    memPhoto->setObjectName("memPhoto");
    memPhoto->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetHint(memPhoto, "Enter additional information about the photo");
    Label2->setBuddy(memPhoto);

    FImage = new TFitImage(QSize(137, 121), TImageFit::ScaleToFit);
    FImage->setObjectName("FImage");
    FImage->SetBitmap(preview);

    btnOk = MakeCloseButton(this, "btnOk", "&Ok", "Accept the photo information", Accepted);
    btnOk->setDefault(true);
    connect(this, &QDialog::accepted, this, &TPhotoForm::btnOkClick);
    btnCancel = MakeCloseButton(this, "btnCancel", "&Cancel", "Close without saving photo information", Rejected);
    sbHelp = MakeHelpButton(this, helpFile);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(edCaption, 1, 0);
    layout->addWidget(Label2, 2, 0);
    layout->addWidget(memPhoto, 3, 0);
    layout->addWidget(FImage, 0, 1, 4, 1, Qt::AlignTop);
    layout->addLayout(MakeButtonRow(sbHelp, {btnOk, btnCancel}), 4, 0, 1, 2);
    layout->setRowStretch(3, 1);
    edCaption->setFocus();
}

void TPhotoForm::btnOkClick() {
    FPhoto.Caption = EditedText(edCaption->text(), FPhoto.Caption);
    FPhoto.SetNotes(TextToNotes(memPhoto->toPlainText(), FPhoto.Notes()));
}

bool TPhotoForm::Execute(QWidget* parent, TPhoto& photo, const TBitmap32& preview, const QString& helpFile) {
    TPhotoForm form(parent, preview, photo, helpFile);
    return form.exec() == QDialog::Accepted;
}
