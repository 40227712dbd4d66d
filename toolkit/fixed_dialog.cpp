#include "fixed_dialog.h"

#include <QWidget>

void SetFixedDialogFlags(QWidget* dialog, Qt::WindowType kind) {
    dialog->setWindowFlags(kind | kFixedDialogHints);
}
