#include "dialog_test_support.h"
#include "fit_image.h"
#include "image_error.h"
#include "jpeg_io.h"
#include "prompts.h"
#include "used_image_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

class UsedImageFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        ImageDir = Folder.path().toStdString() + "/Images";
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(ImageDir)));
        TBitmap32 picture(60, 40);
        picture.Clear(Color32(200, 100, 50));
        WriteJpegFile(picture, ImageDir + "/beach.jpg", 90);
        // The album names the file with a folder part, which must not lead anywhere else.
        Photo.FileName = "../elsewhere/beach.jpg";
        Photo.Caption = "On the beach";
        Photo.SetNotes({"Low tide", "Evening"});
    }

    QTemporaryDir Folder;
    std::string ImageDir;
    TPhoto Photo;
};

TEST_F(UsedImageFormTest, ShowsThePhotoThatUsesTheFile) {
    TUsedImageForm form(nullptr, Photo, "Holidays", ImageDir);
    EXPECT_EQ(form.windowTitle(), "Image Already Used");
    EXPECT_EQ(form.size(), QSize(409, 288));
    EXPECT_EQ(form.Label3->text(), "This image file is already used in the album");
    EXPECT_EQ(form.lblAlbum->text(), "Holidays");
    EXPECT_EQ(form.lblFileName->text(), QString::fromStdString(ImageDir + "/beach.jpg"));
    EXPECT_TRUE(form.FImage->HasPicture());
    EXPECT_EQ(form.Label1->text(), "Photo Caption:");
    EXPECT_EQ(form.edCaption->text(), "On the beach");
    EXPECT_TRUE(form.edCaption->isReadOnly());
    EXPECT_EQ(form.edCaption->maxLength(), 40);
    EXPECT_EQ(form.Label2->text(), "Additional Notes:");
    EXPECT_EQ(form.memPhoto->toPlainText(), "Low tide\nEvening");
    EXPECT_TRUE(form.memPhoto->isReadOnly());
    EXPECT_EQ(form.memPhoto->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.Label5->text(), "Do you want to duplicate this image and add it to an album?");
    EXPECT_EQ(form.btnYes->text(), "&Yes");
    EXPECT_TRUE(form.btnYes->isDefault());
    EXPECT_EQ(form.btnNo->text(), "&No");
    ExpectHint(form.lblFileName, "Photo image file name");
    ExpectHint(form.edCaption, "Caption of the photo");
    ExpectHint(form.memPhoto, "Additional information about the photo");
    ExpectHint(form.btnYes, "Make a copy of the photo for another album");
    ExpectHint(form.btnNo, "Close without duplicating the photo");
}

struct TAnswer {
    const char* Name;
    std::function<void(TUsedImageForm&)> Press;
    int Result;
};

void PrintTo(const TAnswer& answer, std::ostream* out) { *out << answer.Name; }

class UsedImageAnswerTest : public UsedImageFormTest, public ::testing::WithParamInterface<TAnswer> {};

TEST_P(UsedImageAnswerTest, ReturnsTheModalResult) {
    AnswerDialog<TUsedImageForm>(GetParam().Press);
    EXPECT_EQ(TUsedImageForm::Execute(nullptr, Photo, "Holidays", ImageDir), GetParam().Result);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, UsedImageAnswerTest,
    ::testing::Values(TAnswer{"Yes", [](TUsedImageForm& form) { form.btnYes->click(); }, mrYes},
                      TAnswer{"No", [](TUsedImageForm& form) { form.btnNo->click(); }, mrNo},
                      TAnswer{"Enter", [](TUsedImageForm& form) { QTest::keyClick(&form, Qt::Key_Return); }, mrYes},
                      TAnswer{"Esc", [](TUsedImageForm& form) { QTest::keyClick(&form, Qt::Key_Escape); }, mrNo}));

TEST_F(UsedImageFormTest, AnUnreadablePictureThrowsBeforeShowing) {
    Photo.FileName = "missing.jpg";
    EXPECT_THROW(TUsedImageForm::Execute(nullptr, Photo, "Holidays", ImageDir), EImageError);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
