#include "del_photo_form.h"

#include "album_nodes.h"
#include "album_text.h"
#include "dialog_frame.h"
#include "fit_image.h"
#include "hints.h"
#include "image_error.h"
#include "jpeg_io.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The thumbnail, or an empty bitmap when it cannot be read or its name is damaged.
TBitmap32 ReadThumbnail(const std::string& path) {
    if (path.empty()) return {};
    try {
        return ReadJpegFile(path);
    } catch (const EImageError&) {
        return {};
    }
}

} // namespace

TDelPhotoForm::TDelPhotoForm(QWidget* parent, const TPhoto& photo, const std::string& thumbDir,
                             const std::string& imageDir, const QString& helpFile)
    : QDialog(parent) {
    setObjectName("DelPhotoForm");
    setWindowTitle("Remove Photo from Album");
    SetDialogFrame(this, QSize(442, 209));

    Bevel1 = MakeBevel("Bevel1");
    FThumbImage = new TFitImage(QSize(120, 120), TImageFit::Unscaled);
    FThumbImage->setObjectName("FThumbImage");
    FThumbImage->SetBitmap(ReadThumbnail(PhotoFilePath(thumbDir, photo.FileName)));
    auto* thumbLayout = new QVBoxLayout(Bevel1);
    thumbLayout->addWidget(FThumbImage, 0, Qt::AlignLeft | Qt::AlignTop);

    Bevel2 = MakeBevel("Bevel2");
    Label1 = new QLabel("Are you certain you want to remove this photo?");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    lblCaption = new QLabel(ToDisplay(photo.Caption));
    lblCaption->setObjectName("lblCaption");
    lblCaption->setTextFormat(Qt::PlainText);
    lblCaption->setAlignment(Qt::AlignCenter);
    SetHint(lblCaption, "Photo caption");

    memFileName = new QPlainTextEdit(PathToDisplay(PhotoFilePath(imageDir, photo.FileName)));
    memFileName->setObjectName("memFileName");
    memFileName->setReadOnly(true);
    memFileName->setLineWrapMode(QPlainTextEdit::NoWrap);
    memFileName->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetHint(memFileName, "Photo image file");

    cxDeleteFile = new QCheckBox("Erase the image file from your disk?");
    cxDeleteFile->setObjectName("cxDeleteFile");
    SetHint(cxDeleteFile, "Check to delete the file");

    auto* questionLayout = new QVBoxLayout(Bevel2);
    questionLayout->addWidget(Label1);
    questionLayout->addWidget(lblCaption);
    questionLayout->addWidget(memFileName, 1);
    questionLayout->addWidget(cxDeleteFile);

    btnYes = MakeCloseButton(this, "btnYes", "&Remove", "Remove the photo from the album", Accepted);
    btnYes->setDefault(true);
    Button2 = MakeCloseButton(this, "Button2", "&Cancel", "Close without removing the photo", Rejected);

    sbHelp = MakeHelpButton(this, helpFile);

    auto* panels = new QHBoxLayout;
    panels->addWidget(Bevel1);
    panels->addWidget(Bevel2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panels, 1);
    layout->addLayout(MakeButtonRow(sbHelp, {btnYes, Button2}));
    btnYes->setFocus();
}

bool TDelPhotoForm::Execute(QWidget* parent, const TPhoto& photo, const std::string& thumbDir,
                            const std::string& imageDir, bool& eraseImageFile, const QString& helpFile) {
    TDelPhotoForm form(parent, photo, thumbDir, imageDir, helpFile);
    if (form.exec() != QDialog::Accepted) return false;
    eraseImageFile = form.cxDeleteFile->isChecked();
    return true;
}
