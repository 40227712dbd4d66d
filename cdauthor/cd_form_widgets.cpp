#include "cd_form_widgets.h"

#include "help_viewer.h"

#include <QEventLoop>
#include <QIcon>
#include <QTimer>
#include <QToolButton>

void SetCDHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint.section('|', 0, 0));
    widget->setStatusTip(hint.section('|', -1));
}

QToolButton* MakeCDHelpButton(QWidget* window, const QString& helpFile) {
    auto* button = new QToolButton(window);
    button->setObjectName("sbHelp");
    button->setIcon(QIcon::fromTheme("help-contents"));
    button->setText("?");
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);  // a speed button leaves the focus where it was
    SetCDHint(button, "Fotolark Help|Fotolark Help");
    QObject::connect(button, &QToolButton::clicked, window, [window, helpFile] { ShowHelpContents(window, helpFile); });
    InstallHelpKey(window, helpFile);
    return button;
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

