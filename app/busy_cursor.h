// The hourglass while a longer step runs: pending repaints happen first, so the window shows
// the state the step starts from.
#pragma once

#include <QApplication>

class TBusyCursor {
public:
    TBusyCursor() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
