#include "dialog_test_support.h"
#include "fit_image.h"
#include "fixed_dialog.h"
#include "photo_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

TPhoto SamplePhoto() {
    TPhoto photo;
    photo.FileName = "2024010100003.jpg";
    photo.Caption = "Beach";
    photo.SetNotes({"Sunny", "Windy"});
    photo.ImageSize = 1234;
    return photo;
}

TEST(PhotoFormTest, ShowsThePhotoWithEveryControl) {
    TPhoto photo = SamplePhoto();
    TPhotoForm form(nullptr, TBitmap32(300, 200), photo);
    EXPECT_EQ(form.windowTitle(), "Photo Properties");
    EXPECT_EQ(form.size(), QSize(392, 213));
    EXPECT_EQ(form.windowFlags() & kTitleBarHints,
              kFixedDialogHints) << "a caption and close, no minimise or maximise";
    EXPECT_EQ(form.Label1->text(), "Photo Caption:");
    EXPECT_EQ(form.Label2->text(), "Additional Notes:");
    EXPECT_EQ(form.edCaption->text(), "Beach");
    EXPECT_EQ(form.edCaption->maxLength(), 40);
    EXPECT_EQ(form.memPhoto->toPlainText(), "Sunny\nWindy");
    EXPECT_EQ(form.memPhoto->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.FImage->size(), QSize(137, 121));
    EXPECT_EQ(form.FImage->PictureRect(), QRect(0, 0, 137, 91));
    EXPECT_EQ(form.btnOk->text(), "&Ok");
    EXPECT_TRUE(form.btnOk->isDefault());
    EXPECT_EQ(form.btnCancel->text(), "&Cancel");
    ExpectHint(form.edCaption, "Enter a caption for the photo");
    ExpectHint(form.memPhoto, "Enter additional information about the photo");
    ExpectHint(form.btnOk, "Accept the photo information");
    ExpectHint(form.btnCancel, "Close without saving photo information");
}

TEST(PhotoFormTest, WithoutPreviewTheBoxStaysEmpty) {
    TPhoto photo;
    TPhotoForm form(nullptr, TBitmap32(), photo);
    EXPECT_FALSE(form.FImage->HasPicture());
    EXPECT_TRUE(form.edCaption->text().isEmpty());
    EXPECT_TRUE(form.memPhoto->toPlainText().isEmpty());
}

TEST(PhotoFormTest, OkStoresCaptionAndNotesOnly) {
    TPhoto photo = SamplePhoto();
    AnswerDialog<TPhotoForm>([](TPhotoForm& form) {
        form.edCaption->clear();
        QTest::keyClicks(form.edCaption, QString(50, 'x'));
        form.memPhoto->setPlainText("First line\nSecond line\n");
        form.btnOk->click();
    });
    ASSERT_TRUE(TPhotoForm::Execute(nullptr, photo, TBitmap32(8, 8)));
    EXPECT_EQ(photo.Caption, std::string(40, 'x'));
    EXPECT_EQ(photo.Notes(), (std::vector<std::string>{"First line", "Second line"}));
    EXPECT_EQ(photo.FileName, "2024010100003.jpg");
    EXPECT_EQ(photo.ImageSize, 1234);
}

TEST(PhotoFormTest, OkWithoutEditingKeepsTheBytes) {
    TPhoto photo;
    photo.Caption = "Caf\xe9";  // written by an older program in Windows-1252
    photo.SetNotes({"\xe0 la carte"});
    AnswerDialog<TPhotoForm>([](TPhotoForm& form) { form.btnOk->click(); });
    ASSERT_TRUE(TPhotoForm::Execute(nullptr, photo, TBitmap32()));
    EXPECT_EQ(photo.Caption, "Caf\xe9");
    EXPECT_EQ(photo.Notes(), std::vector<std::string>{"\xe0 la carte"});
}

TEST(PhotoFormTest, CancelAndEscChangeNothing) {
    for (const bool esc : {false, true}) {
        TPhoto photo = SamplePhoto();
        AnswerDialog<TPhotoForm>([esc](TPhotoForm& form) {
            form.edCaption->setText("Changed");
            form.memPhoto->setPlainText("Changed");
            if (esc)
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                form.btnCancel->click();
        });
        EXPECT_FALSE(TPhotoForm::Execute(nullptr, photo, TBitmap32()));
        EXPECT_EQ(photo.Caption, "Beach");
        EXPECT_EQ(photo.Notes(), (std::vector<std::string>{"Sunny", "Windy"}));
    }
}

} // namespace
