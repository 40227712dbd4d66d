#include "prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

int TDialogPrompts::AskUser(QWidget* parent, const QString& caption, const QString& text,
                            TAskButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    if (buttons == TAskButtons::YesNoCancel) box.addButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    default: return mrCancel;  // Cancel, Escape or the close button
    }
}

void TDialogPrompts::ShowError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

void TDialogPrompts::ShowInformation(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool TDialogPrompts::PhotoProperties(QWidget*, TPhoto&, const TBitmap32&) {
    return false;
}

bool TDialogPrompts::ModifyImage(QWidget*, const TBitmap32&, TToneTable&) {
    return false;
}

bool TDialogPrompts::ChooseAlbum(QWidget*, const QStringList&, QPoint, QString&) {
    return false;
}

int TDialogPrompts::ImageAlreadyUsed(QWidget*, const TPhoto&, const QString&, const std::string&) {
    return mrNo;
}

bool TDialogPrompts::RemovePhoto(QWidget*, const TPhoto&, const std::string&, const std::string&, bool&) {
    return false;
}

bool TDialogPrompts::RemoveAlbum(QWidget*, const QString&, bool&) {
    return false;
}

QString TDialogPrompts::OpenImageFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                        "JPEG Image File (*.jpg,.jpeg) (*.jpg *.jpeg *.JPG *.JPEG)");
}
