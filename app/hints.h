// Hints have a short part and a long part separated by a bar: the short part is the tool tip,
// the long part goes to the main window's status bar. A hint without a bar uses its whole
// text for both.
#pragma once

#include <QString>

class QAction;
class QIcon;
class QWidget;

QString ShortHint(const QString& hint);
QString LongHint(const QString& hint);
void SetHint(QAction* action, const QString& hint);
void SetHint(QWidget* widget, const QString& hint);

// One of our own bundled pictures (app/icons/<name>.svg).
QIcon BundledIcon(const char* name);
// An icon of the desktop's theme where it has one, otherwise our own bundled picture.
QIcon ThemeIcon(const char* themeName, const char* bundledName);
