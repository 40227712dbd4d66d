// What every dialog of the program shares: a fixed frame with a caption and close only, and the
// help button `sbHelp` that, like F1, opens the contents page of the help file.
#pragma once

#include <QSize>
#include <QString>

#include <initializer_list>

class QDialog;
class QFrame;
class QHBoxLayout;
class QPushButton;
class QToolButton;

enum class TDialogFrame { Fixed, ToolWindow };

// A dialog of exactly `size` that the user cannot resize, with a caption and no minimise or
// maximise button (close, Esc and the dialog's own buttons end it).
void SetDialogFrame(QDialog* dialog, QSize size, TDialogFrame frame = TDialogFrame::Fixed);

// The help button `sbHelp` of `dialog`; it and F1 inside the dialog open the contents page
// of `helpFile` (the running program's help file when empty). The caller places the button.
QToolButton* MakeHelpButton(QDialog* dialog, const QString& helpFile);

// A sunken frame named `name` that groups controls.
QFrame* MakeBevel(const char* name);

// A push button named `name` with `text` and the two-part `hint`, which closes `dialog` with
// `result` (QDialog::Accepted, QDialog::Rejected or a modal result of its own).
QPushButton* MakeCloseButton(QDialog* dialog, const char* name, const QString& text, const QString& hint, int result);

// The row at the foot of a dialog: the help button at the left, the other buttons at the right.
QHBoxLayout* MakeButtonRow(QToolButton* help, std::initializer_list<QPushButton*> buttons);
