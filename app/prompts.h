// Every modal question or dialog that a main-window flow opens goes through TPrompts, so that
// tests can answer them from a script. TDialogPrompts shows the real dialogs.
#pragma once

#include <QString>

class QWidget;

// Results of AskUser, as the message dialog reports them.
enum TModalResult { mrYes = 6, mrNo = 7, mrCancel = 2 };

enum class TAskButtons { YesNo, YesNoCancel };

class TPrompts {
public:
    virtual ~TPrompts() = default;
    // A message dialog without icon whose window caption is `caption`.
    virtual int AskUser(QWidget* parent, const QString& caption, const QString& text,
                        TAskButtons buttons) = 0;
    // The standard error box.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // An information box without question.
    virtual void ShowInformation(QWidget* parent, const QString& caption, const QString& text) = 0;
};

class TDialogPrompts : public TPrompts {
public:
    int AskUser(QWidget* parent, const QString& caption, const QString& text,
                TAskButtons buttons) override;
    void ShowError(QWidget* parent, const QString& text) override;
    void ShowInformation(QWidget* parent, const QString& caption, const QString& text) override;
};
