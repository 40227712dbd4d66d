#include "prompts.h"

#include "album_list_form.h"
#include "cd_form.h"
#include "del_album_form.h"
#include "del_photo_form.h"
#include "img_modify_form.h"
#include "open_picture_dialog.h"
#include "photo_form.h"
#include "prefs_form.h"
#include "scan_commands.h"
#include "used_image_form.h"

#include <QApplication>
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

bool TDialogPrompts::PhotoProperties(QWidget* parent, TPhoto& photo, const TBitmap32& preview) {
    return TPhotoForm::Execute(parent, photo, preview);
}

bool TDialogPrompts::ModifyImage(QWidget* parent, const TBitmap32& source, TToneTable& table) {
    return TImgModifyForm::Execute(parent, source, table);
}

bool TDialogPrompts::ChooseAlbum(QWidget* parent, const std::vector<std::string>& titles, QPoint at,
                                 std::string& chosen) {
    QWidget* imageView = parent ? parent->findChild<QWidget*>("FImgView") : nullptr;
    return TAlbumListForm::Execute(parent, titles, chosen, at, imageView);
}

int TDialogPrompts::ImageAlreadyUsed(QWidget* parent, const TPhoto& photo, const std::string& albumTitle,
                                     const std::string& imageDir) {
    return TUsedImageForm::Execute(parent, photo, albumTitle, imageDir);
}

bool TDialogPrompts::RemovePhoto(QWidget* parent, const TPhoto& photo, const std::string& thumbDir,
                                 const std::string& imageDir, bool& eraseFiles) {
    return TDelPhotoForm::Execute(parent, photo, thumbDir, imageDir, eraseFiles);
}

bool TDialogPrompts::RemoveAlbum(QWidget* parent, const std::string& title, bool& eraseFiles) {
    return TDelAlbumForm::Execute(parent, title, eraseFiles);
}

QString TDialogPrompts::OpenImageFile(QWidget* parent) {
    return TOpenPictureDialog::Execute(parent);
}

std::optional<TBitmap32> TDialogPrompts::ScanPage(QWidget* parent, TAcquireImage& scanner, TScanSourceList& sources) {
    return ScanOnePage(scanner, sources, parent);
}

bool TDialogPrompts::EditPreferences(QWidget* parent, const std::vector<TCDWriterChoice>& writers,
                                     TScanSourceList& sources) {
    return TPrefsForm::Execute(parent, writers, &sources);
}

void TDialogPrompts::CreateCD(QWidget* parent, const TStorageFolders& folders, TMCDBurner& burner,
                              const QString& helpFile) {
    TCDForm form(folders, burner, helpFile, nullptr, parent);
    form.exec();
}
