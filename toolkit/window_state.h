// Keeps a top-level window's normal rectangle and state (0 normal, 1 minimised, 2 maximised)
// in the settings under a key such as "Window/MainWindow": restored just before the window is
// first shown, saved when the owner calls Save while tearing the window down.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QSettings;
class QWidget;

class TPJRegWdwState : public QObject {
    Q_OBJECT
public:
    using TSettingsFactory = std::function<std::unique_ptr<QSettings>()>;

    // `isMainWindow`: a minimised application counts as state 1 for the main window.
    TPJRegWdwState(QWidget* window, const QString& key, TSettingsFactory openSettings,
                   bool isMainWindow);

    void Restore();
    void Save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FWindow;
    QString FKey;
    TSettingsFactory FOpenSettings;
    bool FIsMainWindow;
    bool FRestored = false;
};

// `rect` moved, and shrunk where it is larger, so that it lies inside `area`.
QRect KeptInside(const QRect& rect, const QRect& area);

// Gives `window` its designed size, no larger than its screen's available area, centred there.
void PlaceCentredOnScreen(QWidget* window, QSize designed);
