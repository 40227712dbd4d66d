// The current image: enable rules, zoom, discarding, and the edits.
#include "ui_fixture.h"

#include "geometry.h"
#include "up_down.h"

#include <QMouseEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QStyle>

#include <fstream>

namespace {

void Press(TMainForm& window, QPoint bitmapAt, bool press) {
    const QPoint at = window.FImgView->ImageOffset() + bitmapAt;
    QMouseEvent event(press ? QEvent::MouseButtonPress : QEvent::MouseMove, at, window.FImgView->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    press ? window.FImgViewMouseDown(&event) : window.FImgViewMouseMove(&event);
}

} // namespace

TEST_F(MainFormTest, ImageActionsFollowTheImage) {
    TMainForm& window = Open();
    QAction* imageActions[] = {window.A_FitWidth, window.A_FitHeight, window.A_OriginalSize, window.A_FlipH,
                               window.A_FlipV, window.A_RotateL, window.A_RotateR, window.A_Brightness,
                               window.A_Discard, window.A_ApplyRotation, window.A_ApplyCrop, window.tbCrop};
    for (QAction* action : imageActions) EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(window.udRotate->isEnabled());
    EXPECT_TRUE(window.A_NewImage->isEnabled());
    EXPECT_TRUE(window.A_Scan->isEnabled());

    ShowImage(window, 4, 4);
    for (QAction* action : {window.A_FitWidth, window.A_FlipH, window.A_Discard, window.tbCrop})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_TRUE(window.udRotate->isEnabled());
    EXPECT_FALSE(window.A_ApplyRotation->isEnabled());
    EXPECT_FALSE(window.A_SaveImage->isEnabled());

    window.A_Discard->trigger();
    EXPECT_FALSE(window.A_SaveImage->isEnabled());
    EXPECT_FALSE(window.A_FlipH->isEnabled());
}

TEST_F(MainFormTest, FitModesUseTheViewWithTheScrollBarAllowance) {
    TMainForm& window = Open();
    ShowImage(window, 1000, 500);
    const int frame = window.FImgView->width() - window.FImgView->contentsRect().width();
    window.FImgView->resize(617 + frame, 400 + frame);
    const int scrollBar = window.FImgView->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    window.A_FitWidth->trigger();
    EXPECT_DOUBLE_EQ(window.FImgView->Scale(), (617.0 - scrollBar) / 1000);
    EXPECT_EQ(window.FZoomMode, zmFitWidth);
    window.A_FitHeight->trigger();
    EXPECT_DOUBLE_EQ(window.FImgView->Scale(), (400.0 - scrollBar) / 500);
    window.FImgView->resize(817 + frame, 600 + frame);
    window.ApplyZoomMode();  // what resizing the window runs
    EXPECT_DOUBLE_EQ(window.FImgView->Scale(), (600.0 - scrollBar) / 500);
    window.A_OriginalSize->trigger();
    EXPECT_DOUBLE_EQ(window.FImgView->Scale(), 1.0);
}

TEST_F(MainFormTest, DiscardingDeletesOnlyACopyMadeForTheImage) {
    TMainForm& window = Open();
    const std::string copy = Folders.ImageDir + "copy.jpg";
    const std::string outside = Base.string() + "/outside.jpg";
    std::ofstream(copy) << "x";
    std::ofstream(outside) << "x";
    ShowImage(window, 2, 2);
    window.FImageSource = isFile;
    window.FImageFile = outside;
    window.tbDiscardClick();
    EXPECT_TRUE(std::filesystem::exists(outside));

    ShowImage(window, 2, 2);
    window.FImageSource = isFileCopy;
    window.FImageFile = copy;
    window.FModified = true;
    window.tbDiscardClick();
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_EQ(window.FImageSource, isNew);
    EXPECT_FALSE(window.FModified);
}

TEST_F(MainFormTest, QuarterTurnsAndFlipsMarkTheImageModified) {
    TMainForm& window = Open();
    ShowImage(window, 4, 2);
    const TColor32 topRight = window.FWorkBitmap.Pixel(3, 0);
    const TBitmap32 original = window.FWorkBitmap;
    window.A_RotateL->trigger();
    EXPECT_EQ(window.FWorkBitmap.Width(), 2);
    EXPECT_EQ(window.FWorkBitmap.Pixel(0, 0), topRight);
    EXPECT_TRUE(window.FModified);
    EXPECT_TRUE(window.A_SaveImage->isEnabled());
    for (int i = 0; i < 3; ++i) window.A_RotateL->trigger();
    EXPECT_EQ(window.FWorkBitmap, original);
    window.A_FlipH->trigger();
    EXPECT_EQ(window.FWorkBitmap.Pixel(0, 0), topRight);
    EXPECT_EQ(window.FImgView->Bitmap(), window.FWorkBitmap);
}

TEST_F(MainFormTest, FineRotationPreviewsUntilApplied) {
    TMainForm& window = Open();
    ShowImage(window, 100, 100);
    const TBitmap32 original = window.FWorkBitmap;
    window.udRotate->stepBy(1);
    EXPECT_TRUE(window.A_ApplyRotation->isEnabled());
    for (int i = 1; i < 100; ++i) window.udRotate->stepBy(1);
    EXPECT_EQ(window.udRotate->value(), 100);
    EXPECT_EQ(window.FWorkBitmap, original) << "a preview leaves the working copy";
    EXPECT_FALSE(window.FModified);
    // One degree clockwise: the pixel right of the centre moves down, never up.
    EXPECT_EQ(window.FImgView->Bitmap().Pixel(0, 0), clBlack32) << "a corner turned out of the frame";

    const TBitmap32 preview = window.FImgView->Bitmap();
    window.A_FlipH->trigger();
    TBitmap32 flipped;
    FlipBitmapHorizontal(original, flipped);
    EXPECT_EQ(window.FWorkBitmap, flipped) << "another edit drops the preview";

    window.udRotate->stepBy(-1);
    window.A_ApplyRotation->trigger();
    EXPECT_EQ(window.udRotate->value(), 0);
    EXPECT_FALSE(window.A_ApplyRotation->isEnabled());
    EXPECT_TRUE(window.FModified);
    (void)preview;
}

TEST_F(MainFormTest, CroppingToADrawnSelection) {
    TMainForm& window = Open();
    ShowImage(window, 100, 60);
    window.tbCrop->trigger();
    Press(window, {10, 10}, true);
    Press(window, {50, 30}, false);
    window.A_ApplyCrop->trigger();
    EXPECT_EQ(window.FWorkBitmap.Width(), 40);
    EXPECT_EQ(window.FWorkBitmap.Height(), 20);
    EXPECT_EQ(window.FWorkBitmap.Pixel(0, 0), Color32(10, 10, 7));
    EXPECT_FALSE(window.tbCrop->isChecked());
    EXPECT_TRUE(window.FModified);
}

TEST_F(MainFormTest, CroppingStraightAwayKeepsTheTopLeftPixel) {
    TMainForm& window = Open();
    ShowImage(window, 30, 20);
    window.tbCrop->trigger();
    window.A_ApplyCrop->trigger();
    EXPECT_EQ(window.FWorkBitmap.Width(), 1);
    EXPECT_EQ(window.FWorkBitmap.Height(), 1);
    EXPECT_EQ(window.FWorkBitmap.Pixel(0, 0), Color32(0, 0, 7));
}

TEST_F(MainFormTest, ToneAdjustmentAppliesOnlyWhenAccepted) {
    TMainForm& window = Open();
    ShowImage(window, 2, 1);
    window.FWorkBitmap.SetPixel(0, 0, Color32(127, 127, 127));
    window.A_Brightness->trigger();  // cancelled
    EXPECT_EQ(window.FWorkBitmap.Pixel(0, 0), Color32(127, 127, 127));
    EXPECT_FALSE(window.FModified);

    Prompts->Tones = {{0, 0, 0}};
    window.A_Brightness->trigger();
    EXPECT_EQ(window.FWorkBitmap.Pixel(0, 0), Color32(128, 128, 128));
    EXPECT_TRUE(window.FModified);
}

// The tone dialog previews the view's picture, so a fine rotation being previewed shows in it.
TEST_F(MainFormTest, TheToneDialogPreviewsWhatTheViewShows) {
    TMainForm& window = Open();
    ShowImage(window, 40, 30);
    window.udRotate->stepBy(500);
    window.A_Brightness->trigger();
    EXPECT_EQ(Prompts->ModifySource, window.FImgView->Bitmap());
    EXPECT_NE(Prompts->ModifySource, window.FWorkBitmap);
}

// udRotate is a horizontal up-down: the left arrow turns back, the right arrow on, and the
// angle beside it says in degrees what the preview shows.
TEST_F(MainFormTest, TheRotationControlIsAHorizontalUpDownWithItsAngle) {
    TMainForm& window = Open();
    ShowImage(window, 20, 20);
    TUpDown& upDown = *window.udRotate;
    EXPECT_EQ(upDown.DecreaseButton()->arrowType(), Qt::LeftArrow);
    EXPECT_EQ(upDown.IncreaseButton()->arrowType(), Qt::RightArrow);
    EXPECT_EQ(window.lblRotation->text(), "0.00\u00b0");

    upDown.IncreaseButton()->click();
    EXPECT_EQ(upDown.value(), 1);
    EXPECT_EQ(window.lblRotation->text(), "0.01\u00b0");
    upDown.DecreaseButton()->click();
    upDown.DecreaseButton()->click();
    EXPECT_EQ(upDown.value(), -1);
    EXPECT_EQ(window.lblRotation->text(), "-0.01\u00b0");
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(&upDown, &right);
    EXPECT_EQ(upDown.value(), 0);

    upDown.stepBy(1000);
    EXPECT_EQ(window.lblRotation->text(), "10.00\u00b0");
    upDown.stepBy(5000);
    EXPECT_EQ(upDown.value(), 1800) << "18 degrees at most";
    EXPECT_FALSE(upDown.IncreaseButton()->isEnabled());
    window.A_ApplyRotation->trigger();
    EXPECT_EQ(window.lblRotation->text(), "0.00\u00b0");
}
