#include "cd_prompts.h"

#include "cdsize_form.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

bool TCDDialogPrompts::AskOkCancel(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    return box.exec() == QMessageBox::Ok;
}

void TCDDialogPrompts::ShowMessage(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void TCDDialogPrompts::ShowError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

bool TCDDialogPrompts::AskCDSize(QWidget* parent, const QString& helpFile, int& megabytes) {
    return TCDSizeForm::Execute(parent, helpFile, megabytes);
}

QString TCDDialogPrompts::SaveIsoFile(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(kIsoFileFilter);
    dialog.setDefaultSuffix(kIsoDefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}
