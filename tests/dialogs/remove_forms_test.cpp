#include "del_album_form.h"
#include "del_photo_form.h"
#include "dialog_test_support.h"
#include "fit_image.h"
#include "fixed_dialog.h"
#include "jpeg_io.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

class DelPhotoFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        ThumbDir = Folder.path().toStdString() + "/Albums/Thumbs/";
        ImageDir = Folder.path().toStdString() + "/Images/";
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(ThumbDir)));
        WriteJpegFile(TBitmap32(120, 80), ThumbDir + "2024010100001.jpg", 90);
        Photo.FileName = "2024010100001.jpg";
        Photo.Caption = "Harbour";
    }

    QTemporaryDir Folder;
    std::string ThumbDir, ImageDir;
    TPhoto Photo;
};

TEST_F(DelPhotoFormTest, ShowsThePhotoWithEveryControl) {
    TDelPhotoForm form(nullptr, Photo, ThumbDir, ImageDir);
    EXPECT_EQ(form.windowTitle(), "Remove Photo from Album");
    EXPECT_EQ(form.size(), QSize(442, 209));
    EXPECT_EQ(form.windowFlags() & kTitleBarHints,
              kFixedDialogHints) << "a caption and close, no minimise or maximise";
    EXPECT_EQ(form.Label1->text(), "Are you certain you want to remove this photo?");
    EXPECT_EQ(form.Label1->alignment(), Qt::AlignCenter);
    EXPECT_EQ(form.lblCaption->text(), "Harbour");
    EXPECT_EQ(form.lblCaption->alignment(), Qt::AlignCenter);
    EXPECT_EQ(form.FThumbImage->PictureRect(), QRect(0, 0, 120, 80));
    EXPECT_EQ(form.memFileName->toPlainText(), QString::fromStdString(ImageDir + "2024010100001.jpg"));
    EXPECT_TRUE(form.memFileName->isReadOnly());
    EXPECT_EQ(form.memFileName->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form.memFileName->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.cxDeleteFile->text(), "Erase the image file from your disk?");
    EXPECT_FALSE(form.cxDeleteFile->isChecked());
    EXPECT_EQ(form.btnYes->text(), "&Remove");
    EXPECT_TRUE(form.btnYes->isDefault());
    EXPECT_EQ(form.Button2->text(), "&Cancel");
    EXPECT_TRUE(form.Bevel1 && form.Bevel2);
    ExpectHint(form.lblCaption, "Photo caption");
    ExpectHint(form.memFileName, "Photo image file");
    ExpectHint(form.cxDeleteFile, "Check to delete the file");
    ExpectHint(form.btnYes, "Remove the photo from the album");
    ExpectHint(form.Button2, "Close without removing the photo");
}

TEST_F(DelPhotoFormTest, RemoveReportsTheBox) {
    for (const bool erase : {true, false}) {
        AnswerDialog<TDelPhotoForm>([erase](TDelPhotoForm& form) {
            form.cxDeleteFile->setChecked(erase);
            form.btnYes->click();
        });
        bool eraseImageFile = !erase;
        EXPECT_TRUE(TDelPhotoForm::Execute(nullptr, Photo, ThumbDir, ImageDir, eraseImageFile));
        EXPECT_EQ(eraseImageFile, erase);
    }
}

TEST_F(DelPhotoFormTest, CancelRemovesNothing) {
    AnswerDialog<TDelPhotoForm>([](TDelPhotoForm& form) {
        form.cxDeleteFile->setChecked(true);
        form.Button2->click();
    });
    bool eraseImageFile = false;
    EXPECT_FALSE(TDelPhotoForm::Execute(nullptr, Photo, ThumbDir, ImageDir, eraseImageFile));
    EXPECT_FALSE(eraseImageFile);
}

TEST_F(DelPhotoFormTest, APhotoWithoutThumbnailCanStillBeRemoved) {
    QFile damaged(QString::fromStdString(ThumbDir + "damaged.jpg"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a JPEG");
    damaged.close();
    for (const char* fileName : {"missing.jpg", "damaged.jpg", "."}) {
        Photo.FileName = fileName;
        AnswerDialog<TDelPhotoForm>([](TDelPhotoForm& form) {
            EXPECT_FALSE(form.FThumbImage->HasPicture());
            form.btnYes->click();
        });
        bool eraseImageFile = true;
        EXPECT_TRUE(TDelPhotoForm::Execute(nullptr, Photo, ThumbDir, ImageDir, eraseImageFile));
        EXPECT_FALSE(eraseImageFile);
    }
}

TEST(DelAlbumFormTest, ShowsTheAlbumWithEveryControl) {
    TDelAlbumForm form(nullptr, "Caf\xe9s");
    EXPECT_EQ(form.windowTitle(), "Remove Album");
    EXPECT_EQ(form.size(), QSize(313, 175));
    EXPECT_EQ(form.windowFlags() & kTitleBarHints,
              kFixedDialogHints) << "a caption and close, no minimise or maximise";
    EXPECT_EQ(form.Label1->text(), "Are you certain you want to remove this album?");
    EXPECT_EQ(form.Label1->alignment(), Qt::AlignCenter);
    EXPECT_EQ(form.lblAlbum->text(), QString::fromUtf8("Cafés"));
    EXPECT_EQ(form.lblAlbum->alignment(), Qt::AlignCenter);
    EXPECT_EQ(form.Label3->text(), "(This will also remove all the photos contained in the album)");
    EXPECT_EQ(form.cxDeleteFile->text(), "Erase the image files from your disk?");
    EXPECT_FALSE(form.cxDeleteFile->isChecked());
    EXPECT_EQ(form.btnYes->text(), "&Remove");
    EXPECT_TRUE(form.btnYes->isDefault());
    EXPECT_EQ(form.Button2->text(), "&Cancel");
    EXPECT_TRUE(form.Bevel1);
    ExpectHint(form.lblAlbum, "Album title");
    ExpectHint(form.cxDeleteFile, "Delete the photo image files");
    ExpectHint(form.btnYes, "Remove the album");
    ExpectHint(form.Button2, "Close without removing the album");
}

TEST(DelAlbumFormTest, RemoveReportsTheBoxAndCancelRemovesNothing) {
    for (const bool erase : {true, false}) {
        AnswerDialog<TDelAlbumForm>([erase](TDelAlbumForm& form) {
            form.cxDeleteFile->setChecked(erase);
            form.btnYes->click();
        });
        bool eraseImageFiles = !erase;
        EXPECT_TRUE(TDelAlbumForm::Execute(nullptr, "Holidays", eraseImageFiles));
        EXPECT_EQ(eraseImageFiles, erase);
    }
    AnswerDialog<TDelAlbumForm>([](TDelAlbumForm& form) {
        form.cxDeleteFile->setChecked(true);
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    bool eraseImageFiles = false;
    EXPECT_FALSE(TDelAlbumForm::Execute(nullptr, "Holidays", eraseImageFiles));
    EXPECT_FALSE(eraseImageFiles);
}

} // namespace
