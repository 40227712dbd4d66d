// Small pieces both CD dialogs share: two-part hints, and a wait that keeps the windows responsive.
#pragma once

#include <QString>
#include <QValidator>

#include <string>

class QWidget;

// A hint "short|long": the short part is the tool tip, the long part the status tip. A hint
// without a bar uses its whole text for both.
void SetCDHint(QWidget* widget, const QString& hint);

// Input that holds no control character: a title with a line break would add lines to
// autorun.inf, so such text can be neither typed nor pasted.
class TNoControlCharsValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Handles window events for `ms` milliseconds: a wait for the drive that keeps the windows
// responsive without spinning.
void ProcessEventsFor(int ms);

