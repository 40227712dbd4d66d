// A main window over a fresh settings file and a base folder of its own.
#pragma once

#include "album_records.h"
#include "image_view.h"
#include "mainform.h"
#include "prefs.h"
#include "scripted_prompts.h"

#include <QSettings>
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

    void WriteAlbum(const std::string& file, const std::string& title, int position,
                    const std::vector<std::string>& captions = {}) {
        TAlbum album;
        album.Title = title;
        album.AlbumFile = file;
        album.Position = position;
        for (const std::string& caption : captions) {
            auto* photo = new TPhoto;
            photo->Caption = caption;
            photo->FileName = caption + ".jpg";
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

    std::filesystem::path Base;
    TStorageFolders Folders;
    std::unique_ptr<TMainForm> Window;
    TScriptedPrompts* Prompts = nullptr;
};
