// "Image Already Used": a file about to be taken in has the file name of an album photo; the
// dialog shows that photo and asks whether to add a duplicate anyway.
#pragma once

#include "album_records.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TFitImage;

class TUsedImageForm : public QDialog {
    Q_OBJECT
public:
    // `albumTitle` is the title of the album holding `photo`; the picture is read from
    // `imageDir` + the file-name part of the photo's FileName. Throws EImageError when the
    // picture cannot be read.
    TUsedImageForm(QWidget* parent, const TPhoto& photo, const std::string& albumTitle,
                   const std::string& imageDir, const QString& helpFile = {});

    // Shows the dialog modally; mrYes (6) for "&Yes", mrNo (7) for "&No" or Esc. Throws
    // EImageError, before showing anything, when the photo's picture cannot be read.
    static int Execute(QWidget* parent, const TPhoto& photo, const std::string& albumTitle,
                       const std::string& imageDir, const QString& helpFile = {});

    QLabel* Label3;
    QLabel* lblAlbum;
    QLabel* lblFileName;
    TFitImage* FImage;
    QLabel* Label1;
    QLineEdit* edCaption;
    QLabel* Label2;
    QPlainTextEdit* memPhoto;
    QLabel* Label5;
    QPushButton* btnYes;
    QPushButton* btnNo;
    QToolButton* sbHelp;
};
