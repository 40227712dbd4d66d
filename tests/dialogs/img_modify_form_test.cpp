#include "dialog_test_support.h"
#include "fit_image.h"
#include "fixed_dialog.h"
#include "img_modify_form.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

TBitmap32 GreyPicture(int width, int height, unsigned grey) {
    TBitmap32 picture(width, height);
    picture.Clear(Color32(grey, grey, grey));
    return picture;
}

TToneTable TableFor(int brightness, int contrast, int gamma) {
    TToneTable table;
    BuildToneTable(brightness, contrast, gamma, table);
    return table;
}

TEST(ImgModifyFormTest, HasEveryControlAtItsStart) {
    TImgModifyForm form(nullptr, GreyPicture(40, 30, 127));
    EXPECT_EQ(form.windowTitle(), "Modify Image");
    EXPECT_EQ(form.size(), QSize(312, 386));
    EXPECT_EQ(form.windowFlags() & kTitleBarHints,
              kFixedDialogHints) << "a caption and close, no minimise or maximise";
    EXPECT_EQ(form.FImage->size(), QSize(192, 192));
    EXPECT_EQ(form.FImage->PictureRect(), QRect(0, 0, 192, 144));
    struct {
        QLabel* Label;
        QSlider* Slider;
        const char* Text;
        const char* Hint;
    } const rows[] = {{form.Label1, form.tbBright, "Brightness:", "Adjust brightness"},
                      {form.Label2, form.tbGamma, "Gamma:", "Adjust exposure"},
                      {form.Label3, form.tbContrast, "Contrast:", "Adjust contrast"}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.Label->text(), row.Text);
        EXPECT_EQ(row.Slider->minimum(), -100);
        EXPECT_EQ(row.Slider->maximum(), 100);
        EXPECT_EQ(row.Slider->value(), 0);
        ExpectHint(row.Slider, row.Hint);
    }
    EXPECT_EQ(form.btnApply->text(), "&Apply Changes");
    EXPECT_TRUE(form.btnApply->isDefault());
    EXPECT_EQ(form.btnCancel->text(), "&Cancel");
    ExpectHint(form.btnApply, "Keep the changes you made");
    ExpectHint(form.btnCancel, "Do not save changes");
    EXPECT_TRUE(form.Bevel1 && form.Bevel2);
    // The preview starts as the picture itself, the table as that of the starting positions.
    EXPECT_EQ(form.PreviewBitmap(), GreyPicture(40, 30, 127));
    EXPECT_EQ(form.ToneTable(), TableFor(0, 0, 0));
}

TEST(ImgModifyFormTest, ApplyWithoutMovingGivesTheStartingTable) {
    AnswerDialog<TImgModifyForm>([](TImgModifyForm& form) { form.btnApply->click(); });
    TToneTable table{};
    ASSERT_TRUE(TImgModifyForm::Execute(nullptr, GreyPicture(4, 4, 127), table));
    EXPECT_EQ(table, TableFor(0, 0, 0));
    EXPECT_EQ(table[127], 128);
    EXPECT_EQ(table[128], 128);
    EXPECT_EQ(table[64], 64);
}

TEST(ImgModifyFormTest, SlidersPreviewLiveAndReturnTheirTable) {
    const TBitmap32 source = GreyPicture(10, 10, 64);
    std::vector<TToneTable> told;
    AnswerDialog<TImgModifyForm>([](TImgModifyForm& form) {
        form.tbBright->setValue(50);
        EXPECT_EQ(form.PreviewBitmap().Pixel(5, 5), Color32(192, 192, 192));
        form.tbContrast->setValue(50);
        form.tbGamma->setValue(-100);
        form.btnApply->click();
    });
    TToneTable table{};
    ASSERT_TRUE(TImgModifyForm::Execute(nullptr, source, table, {},
                                        [&told](const TToneTable& now) { told.push_back(now); }));
    EXPECT_EQ(table, TableFor(50, 50, -100));
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], TableFor(50, 0, 0));
    EXPECT_EQ(told[2], table);
    EXPECT_EQ(source, GreyPicture(10, 10, 64));  // the dialog never touches the picture
}

TEST(ImgModifyFormTest, MovingBackToZeroGivesTheStartingTable) {
    TImgModifyForm form(nullptr, GreyPicture(3, 3, 127));
    form.tbGamma->setValue(40);
    form.tbGamma->setValue(0);
    EXPECT_EQ(form.ToneTable(), TableFor(0, 0, 0));
    EXPECT_EQ(form.PreviewBitmap().Pixel(1, 1), Color32(128, 128, 128));
}

TEST(ImgModifyFormTest, CancelAndEscKeepTheTable) {
    for (const bool esc : {false, true}) {
        AnswerDialog<TImgModifyForm>([esc](TImgModifyForm& form) {
            form.tbBright->setValue(80);
            if (esc)
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                form.btnCancel->click();
        });
        TToneTable table = TableFor(10, 10, 10);
        EXPECT_FALSE(TImgModifyForm::Execute(nullptr, GreyPicture(4, 4, 50), table));
        EXPECT_EQ(table, TableFor(10, 10, 10));
    }
}

TEST(ImgModifyFormTest, PreviewsLargeAndTinyPictures) {
    TImgModifyForm large(nullptr, GreyPicture(3000, 2000, 127));
    EXPECT_EQ(large.PreviewBitmap().Width(), 192);
    EXPECT_EQ(large.PreviewBitmap().Height(), 128);
    large.tbContrast->setValue(-100);
    EXPECT_EQ(large.PreviewBitmap().Pixel(100, 100), Color32(128, 128, 128));

    TImgModifyForm tiny(nullptr, GreyPicture(1, 1, 10));
    EXPECT_EQ(tiny.FImage->PictureRect(), QRect(0, 0, 192, 192));
    tiny.tbBright->setValue(100);
    EXPECT_EQ(tiny.PreviewBitmap().Pixel(0, 0), Color32(255, 255, 255));
}

} // namespace
