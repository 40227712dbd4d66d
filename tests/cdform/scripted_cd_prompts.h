// Answers the CD window's questions from a script and remembers what was asked.
#pragma once

#include "cd_prompts.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

class TScriptedCDPrompts : public TCDPrompts {
public:
    std::deque<bool> OkAnswers;    // AskOkCancel answers in order; an empty script answers Cancel
    std::optional<int> CDSize;     // the size typed in "Set CD-R Size"; none cancels
    QString IsoFile;               // the file chosen in the save dialog; empty cancels
    std::function<void()> OnSave;  // runs when the save dialog opens

    QStringList Asked;  // captions of the questions and messages, "Set CD-R Size" and "Save"
    QStringList Texts;  // their texts
    QStringList Errors;

    bool AskOkCancel(QWidget*, const QString& caption, const QString& text) override {
        Asked << caption;
        Texts << text;
        if (OkAnswers.empty()) return false;
        const bool ok = OkAnswers.front();
        OkAnswers.pop_front();
        return ok;
    }
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override {
        Asked << caption;
        Texts << text;
    }
    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    bool AskCDSize(QWidget*, const QString&, int& megabytes) override {
        Asked << "Set CD-R Size";
        if (!CDSize) return false;
        megabytes = *CDSize;
        return true;
    }
    // A file the check refuses is answered as a user would after the refusal: by cancelling.
    QString SaveIsoFile(QWidget*, const TTargetCheck& check) override {
        Asked << "Save";
        if (OnSave) OnSave();
        const QString refusal = IsoFile.isEmpty() ? QString() : check(IsoFile);
        if (refusal.isEmpty()) return IsoFile;
        Errors << refusal;
        return {};
    }
};
