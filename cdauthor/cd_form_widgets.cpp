#include "cd_form_widgets.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

void SetCDHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint.section('|', 0, 0));
    widget->setStatusTip(hint.section('|', -1));
}

QValidator::State TNoControlCharsValidator::validate(QString& input, int&) const {
    for (const QChar c : input)
        if (c.category() == QChar::Other_Control) return Invalid;
    return Acceptable;
}

void ProcessEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

