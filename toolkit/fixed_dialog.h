// The frame of a fixed dialog: a caption and no minimise or maximise buttons.
#pragma once

#include <Qt>

class QWidget;

// The hints that decide a window's title-bar buttons, and those a fixed dialog has of them.
inline constexpr Qt::WindowFlags kTitleBarHints = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                  Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                                                  Qt::WindowCloseButtonHint;
inline constexpr Qt::WindowFlags kFixedDialogHints =
    Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Gives `dialog` (of kind Qt::Dialog or Qt::Tool) a title bar whose only button is close,
// which ends it as Esc does. A title bar without any button cannot be asked for: window
// managers read Qt's hints for it as "every button" (and some keep close in any case).
void SetFixedDialogFlags(QWidget* dialog, Qt::WindowType kind = Qt::Dialog);
