#include "hints.h"

#include <QAction>
#include <QIcon>
#include <QWidget>

QString ShortHint(const QString& hint) {
    return hint.section('|', 0, 0);
}

QString LongHint(const QString& hint) {
    const int bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QAction* action, const QString& hint) {
    action->setToolTip(ShortHint(hint));
    action->setStatusTip(LongHint(hint));
}

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(ShortHint(hint));
    widget->setStatusTip(LongHint(hint));
}

// Our bundled pictures live in a resource file of a static library, which must be
// registered before the first use.
static void LoadBundledIcons() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)loaded;
}

QIcon BundledIcon(const char* name) {
    LoadBundledIcons();
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

QIcon ThemeIcon(const char* themeName, const char* bundledName) {
    return QIcon::fromTheme(QString::fromLatin1(themeName), BundledIcon(bundledName));
}
