// Small pieces both CD dialogs share: two-part hints, and a wait that keeps the windows responsive.
#pragma once

#include <QString>

#include <string>

class QWidget;

// A hint "short|long": the short part is the tool tip, the long part the status tip. A hint
// without a bar uses its whole text for both.
void SetCDHint(QWidget* widget, const QString& hint);

// Handles window events for `ms` milliseconds: a wait for the drive that keeps the windows
// responsive without spinning.
void ProcessEventsFor(int ms);

