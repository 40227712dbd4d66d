// A main window over a fresh settings file and a base folder of its own.
#pragma once

#include "album_records.h"
#include "image_view.h"
#include "mainform.h"
#include "prefs.h"
#include "scripted_prompts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        OpenSettings()->clear();
        Base = std::filesystem::temp_directory_path() /
               ("fotolark-ui-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Base);
        Folders = StorageFolders(Base.string());
        CreateStorageFolders(Folders);
        OpenSettings()->setValue("Prefs/BaseDir", QString::fromStdString(Base.string()));
    }
    void TearDown() override {
        Window.reset();
        std::filesystem::remove_all(Base);
    }

    // Opens the window as the program does and lets it become active.
    TMainForm& Open() {
        auto prompts = std::make_unique<TScriptedPrompts>();
        Prompts = prompts.get();
        Window = std::make_unique<TMainForm>(std::move(prompts));
        Window->FormActivate();
        return *Window;
    }

    // An album whose photos are named by their captions ("Beach" stored as "Beach.jpg").
    void WriteAlbum(const std::string& file, const std::string& title, int position,
                    const std::vector<std::string>& captions = {}) {
        std::vector<std::pair<std::string, std::string>> photos;
        for (const std::string& caption : captions) photos.emplace_back(caption, caption + ".jpg");
        WriteAlbumStoring(file, title, position, photos);
    }
    // An album whose photos store these (caption, file name) pairs exactly.
    void WriteAlbumStoring(const std::string& file, const std::string& title, int position,
                           const std::vector<std::pair<std::string, std::string>>& photos) {
        TAlbum album;
        album.Title = title;
        album.AlbumFile = file;
        album.Position = position;
        for (const auto& [caption, fileName] : photos) {
            auto* photo = new TPhoto;
            photo->Caption = caption;
            photo->FileName = fileName;
            album.AddPhoto(photo);
        }
        ASSERT_TRUE(album.SaveToFile(Folders.AlbumDir + file));
    }

    // Makes a `width` x `height` picture the current image, each pixel numbered by its place.
    static void ShowImage(TMainForm& window, int width, int height) {
        window.FWorkBitmap.SetSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) window.FWorkBitmap.SetPixel(x, y, Color32(x, y, 7));
        window.FImgView->Bitmap() = window.FWorkBitmap;
        window.FImgView->Changed();
        window.UpdateActions();
    }

    // Types `text` into a node's in-place editor and ends the edit with `key`: Return
    // confirms, Escape cancels.
    static void EditLabel(TMainForm& window, QTreeWidgetItem* node, const QString& text, Qt::Key key = Qt::Key_Return) {
        window.FAlbumTree->editItem(node);
        auto* editor = window.FAlbumTree->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr) << "no in-place editor opened";
        editor->setText(text);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(editor, &press);
        QCoreApplication::sendPostedEvents();  // the delegate commits and closes through a queued call
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed editor goes
    }

    std::filesystem::path Base;
    TStorageFolders Folders;
    std::unique_ptr<TMainForm> Window;
    TScriptedPrompts* Prompts = nullptr;
};
