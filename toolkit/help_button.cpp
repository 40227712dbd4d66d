#include "help_button.h"

#include "help_viewer.h"

#include <QFile>
#include <QIcon>
#include <QStyle>
#include <QToolButton>

namespace {

// The desktop's help icon; without an icon theme the program's own, which the style's
// fallback (drawn as a red cross by some styles) does not resemble.
QIcon HelpIcon(const QWidget* window) {
    const QString bundled = QStringLiteral(":/icons/help.svg");
    const QIcon fallback = QFile::exists(bundled) ? QIcon(bundled) : window->style()->standardIcon(QStyle::SP_DialogHelpButton);
    return QIcon::fromTheme("help-contents", fallback);
}

} // namespace

QToolButton* CreateHelpButton(QWidget* window, const QString& chmPath) {
    const QString path = chmPath.isEmpty() ? HelpFilePath() : chmPath;
    auto* button = new QToolButton(window);
    button->setObjectName("sbHelp");
    button->setIcon(HelpIcon(window));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip("Fotolark Help");
    button->setStatusTip("Fotolark Help");
    QObject::connect(button, &QToolButton::clicked, window, [window, path] { ShowHelpContents(window, path); });
    InstallHelpKey(window, path);
    return button;
}
