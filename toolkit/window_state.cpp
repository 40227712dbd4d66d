#include "window_state.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace {

QRect AvailableArea(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen->availableGeometry();
}

} // namespace

QRect KeptInside(const QRect& rect, const QRect& area) {
    QRect kept(rect.topLeft(), rect.size().boundedTo(area.size()));
    kept.moveLeft(std::clamp(kept.left(), area.left(), area.right() + 1 - kept.width()));
    kept.moveTop(std::clamp(kept.top(), area.top(), area.bottom() + 1 - kept.height()));
    return kept;
}

void PlaceCentredOnScreen(QWidget* window, QSize designed) {
    const QRect area = AvailableArea(window);
    QRect placed(QPoint(), designed.boundedTo(area.size()));
    placed.moveCenter(area.center());
    window->setGeometry(placed);
}

TPJRegWdwState::TPJRegWdwState(QWidget* window, const QString& key, TSettingsFactory openSettings,
                               bool isMainWindow)
    : QObject(window), FWindow(window), FKey(key), FOpenSettings(std::move(openSettings)),
      FIsMainWindow(isMainWindow) {
    window->installEventFilter(this);
}

bool TPJRegWdwState::eventFilter(QObject* watched, QEvent* event) {
    // The show event reaches us before the window is mapped, so the restored rectangle is
    // the one the user sees first.
    if (watched == FWindow && event->type() == QEvent::Show && !FRestored) Restore();
    return QObject::eventFilter(watched, event);
}

void TPJRegWdwState::Restore() {
    FRestored = true;
    auto settings = FOpenSettings();
    const QRect current = FWindow->geometry();
    auto read = [&](const char* name, int fallback) {
        bool ok = false;
        const int value = settings->value(FKey + '/' + name).toInt(&ok);
        return ok ? value : fallback;
    };
    const int left = read("Left", current.left());
    const int top = read("Top", current.top());
    const int width = read("Width", current.width());
    const int height = read("Height", current.height());
    const int state = read("State", 0);
    // Nothing stored: the window keeps its first placement (a dialog is then centred on its
    // owner once shown). A stored rectangle from a larger screen never reaches past this one.
    const QRect stored(left, top, width, height);
    if (stored != current) FWindow->setGeometry(KeptInside(stored, AvailableArea(FWindow)));
    if (state == 1)
        FWindow->setWindowState(FWindow->windowState() | Qt::WindowMinimized);
    else if (state == 2)
        FWindow->setWindowState(FWindow->windowState() | Qt::WindowMaximized);
}

void TPJRegWdwState::Save() {
    const QRect normal = FWindow->isMaximized() || FWindow->isMinimized() ? FWindow->normalGeometry()
                                                                          : FWindow->geometry();
    int state = 0;
    if (FWindow->isMinimized() || (FIsMainWindow && QApplication::applicationState() == Qt::ApplicationHidden))
        state = 1;
    else if (FWindow->isMaximized())
        state = 2;
    auto settings = FOpenSettings();
    settings->setValue(FKey + "/Left", normal.left());
    settings->setValue(FKey + "/Top", normal.top());
    settings->setValue(FKey + "/Width", normal.width());
    settings->setValue(FKey + "/Height", normal.height());
    settings->setValue(FKey + "/State", state);
    settings->sync();
}
