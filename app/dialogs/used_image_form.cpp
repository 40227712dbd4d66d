#include "used_image_form.h"

#include "album_nodes.h"
#include "album_text.h"
#include "dialog_frame.h"
#include "fit_image.h"
#include "hints.h"
#include "jpeg_io.h"
#include "prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TUsedImageForm::TUsedImageForm(QWidget* parent, const TPhoto& photo, const std::string& albumTitle,
                               const std::string& imageDir, const QString& helpFile)
    : QDialog(parent) {
    setObjectName("UsedImageForm");
    setWindowTitle("Image Already Used");
    SetDialogFrame(this, QSize(409, 288));

    const std::string imageFile = PhotoFilePath(imageDir, photo.FileName);
    const TBitmap32 picture = ReadJpegFile(imageFile);  // first, so that a failure leaves nothing behind

    Label3 = new QLabel("This image file is already used in the album");
    lblAlbum = new QLabel(ToDisplay(albumTitle));
    lblAlbum->setObjectName("lblAlbum");
    lblAlbum->setTextFormat(Qt::PlainText);
    QFont bold = lblAlbum->font();
    bold.setBold(true);
    lblAlbum->setFont(bold);

    lblFileName = new QLabel(PathToDisplay(imageFile));
    lblFileName->setObjectName("lblFileName");
    lblFileName->setTextFormat(Qt::PlainText);
    SetHint(lblFileName, "Photo image file name");

    FImage = new TFitImage(QSize(137, 121), TImageFit::ScaleToFit);
    FImage->setObjectName("FImage");
    FImage->SetBitmap(picture);

    Label1 = new QLabel("Photo Caption:");
    edCaption = new QLineEdit(ToDisplay(photo.Caption));
    edCaption->setObjectName("edCaption");
    edCaption->setReadOnly(true);
    edCaption->setMaxLength(40);
    SetHint(edCaption, "Caption of the photo");

    Label2 = new QLabel("Additional Notes:");
    memPhoto = new QPlainTextEdit(NotesToText(photo.Notes()));
    memPhoto->setObjectName("memPhoto");
    memPhoto->setReadOnly(true);
    memPhoto->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetHint(memPhoto, "Additional information about the photo");

    Label5 = new QLabel("Do you want to duplicate this image and add it to an album?");

    btnYes = MakeCloseButton(this, "btnYes", "&Yes", "Make a copy of the photo for another album", mrYes);
    btnYes->setDefault(true);
    btnNo = MakeCloseButton(this, "btnNo", "&No", "Close without duplicating the photo", mrNo);
    sbHelp = MakeHelpButton(this, helpFile);

    auto* album = new QHBoxLayout;
    album->addWidget(Label3);
    album->addWidget(lblAlbum, 1);

    auto* details = new QVBoxLayout;
    details->addWidget(Label1);
    details->addWidget(edCaption);
    details->addWidget(Label2);
    details->addWidget(memPhoto, 1);

    auto* photoRow = new QHBoxLayout;
    photoRow->addWidget(FImage, 0, Qt::AlignTop);
    photoRow->addLayout(details, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(album);
    layout->addWidget(lblFileName);
    layout->addLayout(photoRow, 1);
    layout->addWidget(Label5);
    layout->addLayout(MakeButtonRow(sbHelp, {btnYes, btnNo}));
    btnYes->setFocus();
}

int TUsedImageForm::Execute(QWidget* parent, const TPhoto& photo, const std::string& albumTitle,
                            const std::string& imageDir, const QString& helpFile) {
    TUsedImageForm form(parent, photo, albumTitle, imageDir, helpFile);
    return form.exec() == mrYes ? mrYes : mrNo;
}
