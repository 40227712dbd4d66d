// Every modal question of the CD window goes through TCDPrompts, so that tests can answer
// them from a script. TCDDialogPrompts shows the real dialogs.
#pragma once

#include <QString>

#include <functional>

class QWidget;

class TCDPrompts {
public:
    virtual ~TCDPrompts() = default;
    // A message dialog without icon with OK and Cancel; true for OK.
    virtual bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A message dialog without icon with only OK.
    virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text) = 0;
    // The standard error box.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // "Set CD-R Size"; true on OK with the size typed, in megabytes.
    virtual bool AskCDSize(QWidget* parent, const QString& helpFile, int& megabytes) = 0;
    // Why a chosen image file cannot be taken; empty when it can.
    using TTargetCheck = std::function<QString(const QString& file)>;
    // The save dialog for the image file; an empty path when cancelled. A file that `check`
    // refuses is not taken: the dialog says why and asks again.
    virtual QString SaveIsoFile(QWidget* parent, const TTargetCheck& check) = 0;
};

class TCDDialogPrompts : public TCDPrompts {
public:
    bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text) override;
    void ShowMessage(QWidget* parent, const QString& caption, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    bool AskCDSize(QWidget* parent, const QString& helpFile, int& megabytes) override;
    QString SaveIsoFile(QWidget* parent, const TTargetCheck& check) override;
};

// The save dialog's file type and default extension.
inline constexpr const char* kIsoFileFilter = "CD Image (ISO) files (*.iso)";
inline constexpr const char* kIsoDefaultSuffix = "iso";
