// Helpers for the dialog tests: answering a modal dialog from inside its own event loop, and
// reading a control's two-part hint.
#pragma once

#include "hints.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Failed comparisons of texts print the texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// Runs `script` on the modal dialog that `show` opens, once that dialog is up. The script
// must close it (click a button, press Esc).
template <class Dialog>
void AnswerDialog(const std::function<void(Dialog&)>& script) {
    QTimer::singleShot(0, [script] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no modal " << Dialog::staticMetaObject.className() << " is open";
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) other->reject();
            return;
        }
        script(*dialog);
    });
}

inline void ExpectHint(const QWidget* widget, const QString& hint) {
    EXPECT_EQ(widget->toolTip(), ShortHint(hint)) << widget->objectName().toStdString();
    EXPECT_EQ(widget->statusTip(), LongHint(hint)) << widget->objectName().toStdString();
}
