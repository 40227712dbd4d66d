// Answers the window's questions from a script and remembers what was asked.
#pragma once

#include "prompts.h"

#include <deque>
#include <QStringList>

class TScriptedPrompts : public TPrompts {
public:
    std::deque<int> Answers;  // AskUser results in order; an empty script answers Cancel
    QStringList Asked;        // captions of the questions asked
    QStringList Errors;
    QStringList Informations;

    int AskUser(QWidget*, const QString& caption, const QString&, TAskButtons) override {
        Asked << caption;
        if (Answers.empty()) return mrCancel;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    void ShowInformation(QWidget*, const QString& caption, const QString&) override { Informations << caption; }
};
