// "Remove Photo from Album": confirms removing a photo and asks whether its image file goes too.
#pragma once

#include "album_records.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TFitImage;

class TDelPhotoForm : public QDialog {
    Q_OBJECT
public:
    // Shows the thumbnail from `thumbDir` and the image file path in `imageDir` (each the
    // folder + the file-name part of the photo's FileName). A thumbnail that is missing or
    // cannot be read leaves the picture empty, so that a broken photo can still be removed.
    TDelPhotoForm(QWidget* parent, const TPhoto& photo, const std::string& thumbDir, const std::string& imageDir,
                  const QString& helpFile = {});

    // Shows the dialog modally. True on "&Remove", with `eraseImageFile` := the state of
    // "Erase the image file from your disk?"; false on "&Cancel", leaving `eraseImageFile` alone.
    static bool Execute(QWidget* parent, const TPhoto& photo, const std::string& thumbDir,
                        const std::string& imageDir, bool& eraseImageFile, const QString& helpFile = {});

    QFrame* Bevel1;
    QFrame* Bevel2;
    QLabel* Label1;
    QLabel* lblCaption;
    TFitImage* FThumbImage;
    QPlainTextEdit* memFileName;
    QCheckBox* cxDeleteFile;
    QPushButton* btnYes;
    QPushButton* Button2;
    QToolButton* sbHelp;
};
