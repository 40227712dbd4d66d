// "Photo Properties": the caption and notes of a photo, beside a preview of its picture.
#pragma once

#include "album_records.h"
#include "bitmap32.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TFitImage;

class TPhotoForm : public QDialog {
    Q_OBJECT
public:
    // Edits `photo`, which must outlive the dialog; `preview` may be empty (no picture).
    TPhotoForm(QWidget* parent, const TBitmap32& preview, TPhoto& photo, const QString& helpFile = {});

    // Shows the dialog modally. On "&Ok" the photo takes the caption and notes and the
    // result is true; on "&Cancel" the photo is left untouched and the result is false.
    static bool Execute(QWidget* parent, TPhoto& photo, const TBitmap32& preview, const QString& helpFile = {});

    QLabel* Label1;
    QLineEdit* edCaption;
    QLabel* Label2;
    QPlainTextEdit* memPhoto;
    TFitImage* FImage;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QToolButton* sbHelp;

private:
    void btnOkClick();  // on OK: the photo takes caption and notes

    TPhoto& FPhoto;
};
