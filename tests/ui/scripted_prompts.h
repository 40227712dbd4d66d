// Answers the window's questions from a script and remembers what was asked.
#pragma once

#include "album_records.h"
#include "prompts.h"

#include <array>
#include <string>

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
        return NextAnswer();
    }
    void ShowError(QWidget*, const QString& text) override { Errors << text; }
    void ShowInformation(QWidget*, const QString& caption, const QString&) override { Informations << caption; }

    // Photo Properties: the next caption to type, or Cancel when none is scripted.
    std::deque<std::string> Captions;
    bool PhotoProperties(QWidget*, TPhoto& photo, const TBitmap32&) override {
        Asked << "Photo Properties";
        if (Captions.empty()) return false;
        photo.Caption = Captions.front();
        Captions.pop_front();
        return true;
    }
    // Add Photo to Album: the album names offered and the next name to choose (none cancels).
    std::vector<std::string> Offered;
    std::deque<std::string> Albums;
    bool ChooseAlbum(QWidget*, const std::vector<std::string>& titles, QPoint, std::string& chosen) override {
        Asked << "Add Photo to Album";
        Offered = titles;
        if (Albums.empty()) return false;
        chosen = Albums.front();
        Albums.pop_front();
        return true;
    }
    int ImageAlreadyUsed(QWidget*, const TPhoto&, const std::string&, const std::string&) override {
        Asked << "Image Already Used";
        return NextAnswer() == mrYes ? mrYes : mrNo;
    }
    // Remove Photo / Remove Album: answered from Answers (mrYes removes), erasing the files
    // when EraseFiles is set.
    bool EraseFiles = false;
    bool RemovePhoto(QWidget*, const TPhoto&, const std::string&, const std::string&, bool& erase) override {
        Asked << "Remove Photo from Album";
        erase = EraseFiles;
        return NextAnswer() == mrYes;
    }
    bool RemoveAlbum(QWidget*, const std::string&, bool& erase) override {
        Asked << "Remove Album";
        erase = EraseFiles;
        return NextAnswer() == mrYes;
    }
    QString FileToOpen;  // empty: the open dialog is cancelled
    QString OpenImageFile(QWidget*) override {
        Asked << "Open";
        return FileToOpen;
    }
    int NextAnswer() {
        if (Answers.empty()) return mrCancel;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    // Modify Image: applies the scripted slider positions, or cancels when none are given.
    std::deque<std::array<int, 3>> Tones;  // brightness, contrast, gamma
    bool ModifyImage(QWidget*, const TBitmap32&, TToneTable& table) override {
        Asked << "Modify Image";
        if (Tones.empty()) return false;
        BuildToneTable(Tones.front()[0], Tones.front()[1], Tones.front()[2], table);
        Tones.pop_front();
        return true;
    }
};
