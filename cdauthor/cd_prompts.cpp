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
    // A long list (files left off a disc) shows its first lines; all of them are in the details.
    constexpr int kShownLines = 20;
    const QStringList lines = text.split('\n');
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    if (lines.size() > kShownLines) {
        box.setText(lines.mid(0, kShownLines).join('\n') + "\n...");
        box.setDetailedText(text);
    }
    box.exec();
}

void TCDDialogPrompts::ShowError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

bool TCDDialogPrompts::AskCDSize(QWidget* parent, const QString& helpFile, int& megabytes) {
    return TCDSizeForm::Execute(parent, helpFile, megabytes);
}

QString TCDDialogPrompts::SaveIsoFile(QWidget* parent, const TTargetCheck& check) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(kIsoFileFilter);
    dialog.setDefaultSuffix(kIsoDefaultSuffix);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        const QString file = dialog.selectedFiles().first();
        const QString refusal = check(file);
        if (refusal.isEmpty()) return file;
        QMessageBox::warning(&dialog, dialog.windowTitle(), refusal);
    }
}
