#include "dialog_frame.h"

#include "fixed_dialog.h"
#include "help_button.h"
#include "hints.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>

void SetDialogFrame(QDialog* dialog, QSize size, TDialogFrame frame) {
    SetFixedDialogFlags(dialog, frame == TDialogFrame::ToolWindow ? Qt::Tool : Qt::Dialog);
    dialog->setFixedSize(size);
}

QToolButton* MakeHelpButton(QDialog* dialog, const QString& helpFile) {
    return CreateHelpButton(dialog, helpFile);
}

QFrame* MakeBevel(const char* name) {
    auto* bevel = new QFrame;
    bevel->setObjectName(name);
    bevel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return bevel;
}

QPushButton* MakeCloseButton(QDialog* dialog, const char* name, const QString& text, const QString& hint, int result) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    SetHint(button, hint);
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
    return button;
}

QHBoxLayout* MakeButtonRow(QToolButton* help, std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addWidget(help);
    row->addStretch();
    for (QPushButton* button : buttons) row->addWidget(button);
    return row;
}
