#include "dialog_frame.h"

#include "help_viewer.h"
#include "hints.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>

void SetDialogFrame(QDialog* dialog, QSize size, TDialogFrame frame) {
    const Qt::WindowFlags kind = frame == TDialogFrame::ToolWindow ? Qt::Tool : Qt::Dialog;
    dialog->setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setFixedSize(size);
}

QToolButton* MakeHelpButton(QDialog* dialog, const QString& helpFile) {
    const QString path = helpFile.isEmpty() ? HelpFilePath() : helpFile;
    auto* button = new QToolButton(dialog);
    button->setObjectName("sbHelp");
    button->setIcon(ThemeIcon("help-contents", "help"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);  // a speed button: clicking it leaves the focus where it was
    SetHint(button, "Fotolark Help|Fotolark Help");
    QObject::connect(button, &QToolButton::clicked, dialog, [dialog, path] { ShowHelpContents(dialog, path); });
    InstallHelpKey(dialog, path);
    return button;
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
