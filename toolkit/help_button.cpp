#include "help_button.h"

#include "help_viewer.h"

#include <QIcon>
#include <QStyle>
#include <QToolButton>

QToolButton* CreateHelpButton(QWidget* window, const QString& chmPath) {
    const QString path = chmPath.isEmpty() ? HelpFilePath() : chmPath;
    auto* button = new QToolButton(window);
    button->setObjectName("sbHelp");
    button->setIcon(QIcon::fromTheme("help-contents", window->style()->standardIcon(QStyle::SP_DialogHelpButton)));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip("Fotolark Help");
    button->setStatusTip("Fotolark Help");
    QObject::connect(button, &QToolButton::clicked, window, [window, path] { ShowHelpContents(window, path); });
    InstallHelpKey(window, path);
    return button;
}
