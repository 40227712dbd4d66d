// Answers the window's questions from a script and remembers what was asked.
#pragma once

#include "album_records.h"
#include "image_error.h"
#include "prefs.h"
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
    // Like the real dialog, which throws when the used photo's picture cannot be read.
    std::string UsedImageError;
    int ImageAlreadyUsed(QWidget*, const TPhoto&, const std::string&, const std::string&) override {
        Asked << "Image Already Used";
        if (!UsedImageError.empty()) throw EImageError(UsedImageError);
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
    // Scanning: the next page the scanner delivers (none: cancelled).
    std::deque<TBitmap32> Pages;
    std::optional<TBitmap32> ScanPage(QWidget*, TAcquireImage&, TScanSourceList&) override {
        Asked << "Scan";
        if (Pages.empty()) return std::nullopt;
        TBitmap32 page = std::move(Pages.front());
        Pages.pop_front();
        return page;
    }
    // Preferences: the base folder the user chooses ("" leaves the settings alone).
    std::string NewBaseDir;
    bool EditPreferences(QWidget*, const std::vector<TCDWriterChoice>&, TScanSourceList&) override {
        Asked << "Preferences";
        if (NewBaseDir.empty()) return false;
        TPrefs prefs;
        prefs.BaseDir = NewBaseDir;
        prefs.Save();
        return true;
    }
    void CreateCD(QWidget*, const TStorageFolders&, TMCDBurner&, const QString&) override { Asked << "Create a CD"; }
    int NextAnswer() {
        if (Answers.empty()) return mrCancel;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    // Modify Image: applies the scripted slider positions, or cancels when none are given.
    std::deque<std::array<int, 3>> Tones;  // brightness, contrast, gamma
    TBitmap32 ModifySource;                // the picture the dialog previewed
    bool ModifyImage(QWidget*, const TBitmap32& source, TToneTable& table) override {
        Asked << "Modify Image";
        ModifySource = source;
        if (Tones.empty()) return false;
        BuildToneTable(Tones.front()[0], Tones.front()[1], Tones.front()[2], table);
        Tones.pop_front();
        return true;
    }
};
