// A CD window over an album folder of its own, with scripted questions, stand-in viewer and
// settings naming the recorder (or none).
#pragma once

#include "album_folder.h"
#include "cd_form.h"
#include "cd_form_lists.h"
#include "disc_tables.h"
#include "mcdburner.h"
#include "scripted_cd_prompts.h"
#include "hang_guard.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

class TCDFormTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TAlbumFolder Albums{Scratch.Path() + "/base"};
    std::string Viewer = Scratch.Write("Resources/Diorama.exe", "MZ stand-in viewer");
    std::string TempFolder = Scratch.Path() + "/tmp";
    TScriptedCDPrompts Prompts;
    std::unique_ptr<TMCDBurner> Burner = std::make_unique<TMCDBurner>();
    std::unique_ptr<TCDForm> Form;

    void SetUp() override {
        std::filesystem::create_directories(TempFolder);
        setenv("TMPDIR", TempFolder.c_str(), 1);
        // Settings of this test alone: ctest runs the tests of this program side by side.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(Scratch.Path() + "/config"));
        SetRecorder("");
    }
    void TearDown() override {
        Form.reset();
        unsetenv("TMPDIR");
    }

    // The "CD-R/RW" setting: the chosen recorder's drive, or none.
    static void SetRecorder(const std::string& drive) {
        TPrefs prefs;
        prefs.CDWriter = drive;
        prefs.Save();
    }

    // Creates the window and runs its first display.
    TCDForm& Open() {
        Form = std::make_unique<TCDForm>(Albums.Folders, *Burner, QString(), &Prompts);
        Form->ViewerPath = Viewer;
        Form->show();
        Form->FormActivate();
        return *Form;
    }

    // Row titles of a list as shown.
    static QStringList Titles(const TAlbumListBox* list) {
        QStringList titles;
        for (int row = 0; row < list->Count(); ++row) titles << list->topLevelItem(row)->text(0);
        return titles;
    }
    // Selects the album at `row` of `from` and drops it on `to` at the item `toRow` (-1: below
    // the last item).
    void Drag(TAlbumListBox* from, int row, TAlbumListBox* to, int toRow = -1) {
        from->setCurrentItem(from->topLevelItem(row));
        const QPoint at = toRow < 0 ? QPoint(5, to->viewport()->height() - 2)
                                    : to->visualItemRect(to->topLevelItem(toRow)).center();
        Form->LBDragDrop(to, from, at);
    }

    QString Message() const { return Form->lblMessage->text(); }

    // Processes events until the job's end has been handled.
    void WaitForJobEnd() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Form->JobRunning(); }, HangGuardMs)) << "the job did not end";
    }
};
