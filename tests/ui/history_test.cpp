// Undo and redo of the edits of the current image.
#include "ui_fixture.h"

#include "jpeg_io.h"
#include "up_down.h"

#include <QMenuBar>
#include <QToolBar>

#include <vector>

namespace {

void DragCrop(TMainForm& window, QPoint from, QPoint to) {
    for (const auto& [at, type] : {std::pair{from, QEvent::MouseButtonPress}, std::pair{to, QEvent::MouseMove}}) {
        const QPoint place = window.FImgView->ImageOffset() + at;
        QMouseEvent event(type, place, window.FImgView->mapToGlobal(place), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        type == QEvent::MouseButtonPress ? window.FImgViewMouseDown(&event) : window.FImgViewMouseMove(&event);
    }
}

// The working copy and what the view shows, which must agree after every step.
void ExpectShown(TMainForm& window, const TBitmap32& expected, const char* what) {
    EXPECT_EQ(window.FWorkBitmap, expected) << what;
    EXPECT_EQ(window.FImgView->Bitmap(), expected) << what;
}

} // namespace

// Every kind of step, one after another, undone to the loaded image and redone to the end.
TEST_F(MainFormTest, EveryEditUndoesAndRedoesToTheExactPixels) {
    TMainForm& window = Open();
    ShowImage(window, 30, 20);
    Prompts->Tones = {{30, 10, -20}};
    std::vector<TBitmap32> states{window.FWorkBitmap};
    const std::vector<std::function<void()>> edits = {
        [&] { window.A_RotateL->trigger(); },
        [&] { window.A_RotateR->trigger(); },
        [&] { window.A_FlipH->trigger(); },
        [&] { window.A_FlipV->trigger(); },
        [&] {
            window.udRotate->stepBy(350);
            window.A_ApplyRotation->trigger();
        },
        [&] {
            window.tbCrop->trigger();
            DragCrop(window, {3, 2}, {17, 12});
            window.A_ApplyCrop->trigger();
        },
        [&] { window.A_Brightness->trigger(); },
    };
    for (const auto& edit : edits) {
        edit();
        ASSERT_NE(window.FWorkBitmap, states.back());
        states.push_back(window.FWorkBitmap);
        EXPECT_TRUE(window.FModified);
    }
    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(window.A_Undo->isEnabled());
        window.A_Undo->trigger();
        ExpectShown(window, states[i - 1], "after an undo");
    }
    EXPECT_FALSE(window.A_Undo->isEnabled());
    EXPECT_FALSE(window.FModified) << "back at the loaded image";
    EXPECT_FALSE(window.A_SaveImage->isEnabled());

    for (size_t i = 1; i < states.size(); ++i) {
        window.A_Redo->trigger();
        ExpectShown(window, states[i], "after a redo");
        EXPECT_TRUE(window.FModified);
    }
    EXPECT_FALSE(window.A_Redo->isEnabled());
}

TEST_F(MainFormTest, UndoAndRedoAreEnabledWithAStepAndNameIt) {
    TMainForm& window = Open();
    EXPECT_FALSE(window.A_Undo->isEnabled());
    EXPECT_FALSE(window.A_Redo->isEnabled());
    ShowImage(window, 10, 10);
    EXPECT_FALSE(window.A_Undo->isEnabled());
    EXPECT_EQ(window.A_Undo->toolTip(), "Undo");

    window.tbCrop->trigger();
    window.A_ApplyCrop->trigger();
    EXPECT_TRUE(window.A_Undo->isEnabled());
    EXPECT_EQ(window.A_Undo->toolTip(), "Undo crop");
    EXPECT_EQ(window.A_Undo->statusTip(), "Undo crop");
    EXPECT_FALSE(window.A_Redo->isEnabled());
    EXPECT_EQ(window.A_Redo->toolTip(), "Redo");

    window.A_FlipV->trigger();
    EXPECT_EQ(window.A_Undo->toolTip(), "Undo flip vertical");
    window.A_Undo->trigger();
    EXPECT_EQ(window.A_Undo->toolTip(), "Undo crop");
    EXPECT_TRUE(window.A_Redo->isEnabled());
    EXPECT_EQ(window.A_Redo->toolTip(), "Redo flip vertical");

    // A new edit drops what could have been redone.
    window.A_RotateR->trigger();
    EXPECT_FALSE(window.A_Redo->isEnabled());
    EXPECT_EQ(window.A_Undo->toolTip(), "Undo rotate right");

    window.A_Discard->trigger();
    EXPECT_FALSE(window.A_Undo->isEnabled());
    EXPECT_FALSE(window.A_Redo->isEnabled());
}

TEST_F(MainFormTest, UndoAndRedoHeadTheImageMenuAndEndTheModificationBar) {
    TMainForm& window = Open();
    EXPECT_EQ(window.A_Undo->text(), "&Undo");
    EXPECT_EQ(window.A_Redo->text(), "R&edo");
    EXPECT_EQ(window.A_Undo->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(window.A_Redo->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));

    QMenu* image = nullptr;
    for (QAction* item : window.menuBar()->actions())
        if (item->text() == "&Image") image = item->menu();
    ASSERT_TRUE(image);
    const QList<QAction*> items = image->actions();
    ASSERT_GE(items.size(), 4);
    EXPECT_EQ(items[0], window.A_Undo);
    EXPECT_EQ(items[1], window.A_Redo);
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->objectName(), "ImageFitWidth");

    const QList<QAction*> buttons = window.ModifyBar->actions();
    ASSERT_GE(buttons.size(), 3);
    EXPECT_EQ(buttons[buttons.size() - 2], window.A_Undo);
    EXPECT_EQ(buttons.back(), window.A_Redo);
}

TEST_F(MainFormTest, UndoDuringAPreviewEndsThePreviewFirst) {
    TMainForm& window = Open();
    ShowImage(window, 40, 30);
    const TBitmap32 loaded = window.FWorkBitmap;
    window.A_FlipH->trigger();

    window.udRotate->stepBy(250);  // previewed, not applied: no step
    ASSERT_NE(window.FImgView->Bitmap(), window.FWorkBitmap);
    EXPECT_EQ(window.A_Undo->toolTip(), "Undo flip horizontal");
    window.A_Undo->trigger();
    ExpectShown(window, loaded, "the preview ends and the flip is taken back");
    EXPECT_EQ(window.udRotate->value(), 0);
    EXPECT_FALSE(window.A_ApplyRotation->isEnabled());
    EXPECT_FALSE(window.FModified);

    window.A_Redo->trigger();
    window.tbCrop->trigger();
    DragCrop(window, {5, 5}, {20, 20});
    ASSERT_TRUE(window.FImgView->CropLayer().Visible);
    window.A_Undo->trigger();
    EXPECT_FALSE(window.tbCrop->isChecked());
    EXPECT_FALSE(window.FImgView->CropLayer().Visible);
    EXPECT_FALSE(window.A_ApplyCrop->isEnabled());
    ExpectShown(window, loaded, "the selection ends and the flip is taken back");
}

TEST_F(MainFormTest, ANewImageStartsANewHistory) {
    TMainForm& window = Open();
    ShowImage(window, 8, 6);
    window.A_RotateL->trigger();
    // The spare buffer being made on a worker outlives the image; waiting for it fixes the count.
    window.WaitForHistorySpare();
    window.TakeImage(TBitmap32(5, 5), isFile, "other.jpg", true);
    EXPECT_FALSE(window.A_Undo->isEnabled());
    EXPECT_EQ(window.FHistory.UndoCount(), 0u);
    EXPECT_EQ(window.FHistory.BytesKept(), window.FHistory.SpareBytes()) << "no step is kept, only the spare";
}

// Saving an album photo keeps its steps and marks the saved state. The save also empties the
// view (the thumbnail is made from it), so there is nothing left to undo on screen.
TEST_F(MainFormTest, SavingKeepsTheHistoryAndMarksTheSavedState) {
    WriteAlbum("a.alb", "Trip", 0, {"Beach"});
    TMainForm& window = Open();
    TBitmap32 picture(20, 10);
    picture.Clear(Color32(1, 2, 3));
    WriteJpegFile(picture, Folders.ImageDir + "Beach.jpg", 90);
    window.SelectNode(window.FAlbumTree->topLevelItem(0)->child(0));
    window.ShowPhoto();
    window.A_RotateL->trigger();
    window.A_FlipH->trigger();
    window.CommitImage(false);  // as the "Image Changed" question runs it
    EXPECT_FALSE(window.FModified);
    EXPECT_EQ(window.FHistory.UndoCount(), 2u);
    EXPECT_TRUE(window.FHistory.AtSavedState());
    EXPECT_FALSE(window.A_Undo->isEnabled()) << "the view is empty after saving";

    window.FAlbumTreeClick();  // showing the album again discards the image and its history
    EXPECT_EQ(window.FHistory.UndoCount(), 0u);
}

// With a small bound, the oldest steps go; the loaded image can then no longer be reached.
TEST_F(MainFormTest, TheHistoryStaysWithinItsBound) {
    TMainForm& window = Open();
    ShowImage(window, 10, 10);
    window.FHistory.SetByteLimit(2 * 10 * 10 * 4);
    Prompts->Tones = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}};
    for (int i = 0; i < 3; ++i) window.A_Brightness->trigger();
    EXPECT_EQ(window.FHistory.UndoCount(), 2u);
    EXPECT_LE(window.FHistory.BytesKept(), window.FHistory.ByteLimit());
    window.A_Undo->trigger();
    window.A_Undo->trigger();
    EXPECT_FALSE(window.A_Undo->isEnabled());
    EXPECT_TRUE(window.FModified);
}

// After an image is shown or a lossy step is taken, a spare buffer is made on a worker
// thread for the next lossy step, which takes it instead of fresh memory.
TEST_F(MainFormTest, ASpareBufferIsMadeReadyOffTheWindowsThread) {
    TMainForm& window = Open();
    window.TakeImage(TBitmap32(10, 10), isFile, "picture.jpg", true);
    const size_t bitmapBytes = 10 * 10 * 4;
    window.WaitForHistorySpare();
    EXPECT_EQ(window.FHistory.SpareBytes(), bitmapBytes);

    Prompts->Tones = {{10, 0, 0}};
    window.A_Brightness->trigger();
    EXPECT_EQ(window.FHistory.BytesKept(), bitmapBytes) << "the step took the spare and kept the image before it";
    window.WaitForHistorySpare();
    EXPECT_EQ(window.FHistory.SpareBytes(), bitmapBytes);
    EXPECT_EQ(window.FHistory.BytesKept(), 2 * bitmapBytes);
}
