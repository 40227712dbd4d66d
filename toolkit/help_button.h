// The help button `sbHelp` that every dialog and the CD window show at the left of their
// button row: the help icon as a flat speed button that leaves the focus where it was.
#pragma once

#include <QString>

class QToolButton;
class QWidget;

// It and F1 inside `window` open the contents page of `chmPath` (the running program's help
// file when empty). The caller places the button.
QToolButton* CreateHelpButton(QWidget* window, const QString& chmPath);
