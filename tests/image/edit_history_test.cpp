#include "edit_history.h"
#include "geometry.h"
#include "test_pictures.h"
#include "tone.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct TEditCase {
    const char* Name;
    TEditKind Kind;
    std::function<void(const TBitmap32&, TBitmap32&)> Edit;  // source, dest
};

std::vector<TEditCase> AllEdits() {
    return {
        {"RotateLeft", ekRotateLeft, [](const TBitmap32& s, TBitmap32& d) { RotateBitmapQuarter(s, d, false); }},
        {"RotateRight", ekRotateRight, [](const TBitmap32& s, TBitmap32& d) { RotateBitmapQuarter(s, d, true); }},
        {"FlipHorizontal", ekFlipHorizontal, FlipBitmapHorizontal},
        {"FlipVertical", ekFlipVertical, FlipBitmapVertical},
        {"FineRotation", ekFineRotation, [](const TBitmap32& s, TBitmap32& d) { RotateBitmapFine(s, d, 7.5f); }},
        {"Crop", ekCrop, [](const TBitmap32& s, TBitmap32& d) { CropBitmap(s, d, {2, 1, 6, 4}); }},
        {"Tone", ekTone, [](const TBitmap32& s, TBitmap32& d) {
             TToneTable table;
             BuildToneTable(40, -20, 30, table);
             ApplyToneTable(d, s, table);
         }},
    };
}

// Does an edit the way the main window does: the edit writes a new bitmap, which becomes
// the current image, and the history records the step.
void DoEdit(TEditHistory& history, TBitmap32& image, const TEditCase& edit) {
    TBitmap32 result;
    edit.Edit(image, result);
    if (IsLosslessEdit(edit.Kind)) {
        history.RecordLossless(edit.Kind);
        image = std::move(result);
    } else {
        history.RecordLossy(edit.Kind, std::exchange(image, std::move(result)));
    }
}

TEST(EditHistory, EachKindUndoesAndRedoesToTheExactPixels) {
    for (const TEditCase& edit : AllEdits()) {
        SCOPED_TRACE(edit.Name);
        TEditHistory history;
        const TBitmap32 before = NoisePicture(9, 5, 3);
        TBitmap32 shown;
        TBitmap32 image = before;
        DoEdit(history, image, edit);
        const TBitmap32 after = image;
        ASSERT_NE(after, before);
        EXPECT_EQ(history.BytesKept(), IsLosslessEdit(edit.Kind) ? 0u : before.PixelCount() * 4);

        ASSERT_EQ(history.UndoKind(), edit.Kind);
        history.Undo(image, shown);
        EXPECT_EQ(image, before);
        EXPECT_EQ(shown, before);
        EXPECT_FALSE(history.CanUndo());
        ASSERT_EQ(history.RedoKind(), edit.Kind);
        history.Redo(image, shown);
        EXPECT_EQ(image, after);
        EXPECT_EQ(shown, after);
        EXPECT_FALSE(history.CanRedo());
    }
}

TEST(EditHistory, MixedStepsUndoneToTheStartGiveTheLoadedImage) {
    TEditHistory history;
    const TBitmap32 loaded = NoisePicture(12, 7, 5);
    TBitmap32 shown;
    TBitmap32 image = loaded;
    std::vector<TBitmap32> states{image};
    for (const TEditCase& edit : AllEdits()) {
        DoEdit(history, image, edit);
        states.push_back(image);
        EXPECT_FALSE(history.AtSavedState());
    }
    for (size_t i = states.size() - 1; i > 0; --i) {
        history.Undo(image, shown);
        ASSERT_EQ(image, states[i - 1]) << "after undoing step " << i;
    }
    EXPECT_EQ(image, loaded);
    EXPECT_TRUE(history.AtSavedState());
    history.Undo(image, shown);  // nothing left: no change
    EXPECT_EQ(image, loaded);

    for (size_t i = 1; i < states.size(); ++i) {
        history.Redo(image, shown);
        ASSERT_EQ(image, states[i]) << "after redoing step " << i;
        EXPECT_FALSE(history.AtSavedState());
    }
}

TEST(EditHistory, SavedStateFollowsUndoAndRedo) {
    const std::vector<TEditCase> edits = AllEdits();
    TEditHistory history;
    TBitmap32 shown;
    TBitmap32 image = NoisePicture(8, 8, 9);
    DoEdit(history, image, edits[0]);
    DoEdit(history, image, edits[5]);
    history.MarkSaved();
    EXPECT_TRUE(history.AtSavedState());
    history.Undo(image, shown);
    EXPECT_FALSE(history.AtSavedState());
    history.Undo(image, shown);
    EXPECT_FALSE(history.AtSavedState());  // the loaded state no longer counts once saved
    history.Redo(image, shown);
    history.Redo(image, shown);
    EXPECT_TRUE(history.AtSavedState());

    history.Clear();
    EXPECT_TRUE(history.AtSavedState());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.BytesKept(), history.SpareBytes()) << "no step's bitmap is kept, at most a spare";
}

TEST(EditHistory, NewEditDropsTheRedoBranch) {
    const std::vector<TEditCase> edits = AllEdits();
    TEditHistory history;
    TBitmap32 shown;
    TBitmap32 image = NoisePicture(10, 6, 11);
    DoEdit(history, image, edits[6]);  // tone
    DoEdit(history, image, edits[5]);  // crop
    history.MarkSaved();
    history.Undo(image, shown);
    ASSERT_TRUE(history.CanRedo());
    const TBitmap32 branchPoint = image;

    DoEdit(history, image, edits[2]);  // flip
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.BytesKept(), size_t(10 * 6 * 4));  // only the tone step's bitmap remains
    history.Redo(image, shown);  // nothing to redo: no change
    EXPECT_FALSE(history.AtSavedState());
    history.Undo(image, shown);
    EXPECT_EQ(image, branchPoint);
    // The saved state lay on the dropped branch: no state reached from here is the saved one.
    EXPECT_FALSE(history.AtSavedState());
    history.Undo(image, shown);
    EXPECT_FALSE(history.AtSavedState());
}

TEST(EditHistory, MemoryBoundDropsTheOldestSteps) {
    const std::vector<TEditCase> edits = AllEdits();
    const size_t bitmapBytes = 10 * 10 * 4;
    TEditHistory history(2 * bitmapBytes);
    TBitmap32 shown;
    TBitmap32 image = NoisePicture(10, 10, 13);
    DoEdit(history, image, edits[0]);  // rotate left: no bytes, dropped with the tone step after it
    DoEdit(history, image, edits[6]);
    const TBitmap32 afterFirstTone = image;
    DoEdit(history, image, edits[3]);
    DoEdit(history, image, edits[6]);
    EXPECT_EQ(history.UndoCount(), 4u);
    EXPECT_EQ(history.BytesKept(), 2 * bitmapBytes);

    // A third bitmap is one too many; the dropped one comes back for reuse.
    const TBitmap32 spare = history.RecordLossy(ekTone, image);
    EXPECT_EQ(spare.PixelCount(), 100u);
    EXPECT_EQ(history.UndoCount(), 3u);
    EXPECT_EQ(history.BytesKept(), 2 * bitmapBytes);
    while (history.CanUndo()) history.Undo(image, shown);
    EXPECT_EQ(image, afterFirstTone);
    EXPECT_FALSE(history.AtSavedState());  // the loaded image cannot be reached any more

    // Lowering the bound applies at once; a step larger than the bound is not kept at all.
    while (history.CanRedo()) history.Redo(image, shown);
    history.SetByteLimit(bitmapBytes - 1);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.BytesKept(), 0u);
}

TEST(EditHistory, UndoingACropGivesBackTheBytesOfTheSmallerImage) {
    const std::vector<TEditCase> edits = AllEdits();
    TEditHistory history;
    TBitmap32 shown;
    TBitmap32 image = NoisePicture(10, 10, 17);
    DoEdit(history, image, edits[5]);  // crop to 4 x 3
    EXPECT_EQ(history.BytesKept(), size_t(10 * 10 * 4));
    history.Undo(image, shown);
    EXPECT_EQ(history.BytesKept(), size_t(4 * 3 * 4));
    history.Redo(image, shown);
    EXPECT_EQ(history.BytesKept(), size_t(10 * 10 * 4));
}

// The main window's way of editing: the edit writes the shown bitmap, the history keeps the
// replaced image of a lossy step and hands back a buffer, into which the shown one is copied;
// when idle, the window has a spare made ready.
void DoEditAsWindow(TEditHistory& history, TBitmap32& image, TBitmap32& shown, const TEditCase& edit) {
    edit.Edit(image, shown);
    if (IsLosslessEdit(edit.Kind))
        history.RecordLossless(edit.Kind);
    else
        image = history.RecordLossy(edit.Kind, std::move(image));
    image = shown;
    history.PrepareSpare(image.Width(), image.Height());
}

TEST(EditHistory, ReusedBuffersGiveTheExactPixelsWithinTheBound) {
    const size_t bitmapBytes = 10 * 10 * 4;
    for (const size_t limit : {size_t(1) << 30, 2 * bitmapBytes, bitmapBytes}) {
        SCOPED_TRACE(limit);
        TEditHistory history(limit);
        TBitmap32 image = NoisePicture(10, 10, 19), shown = image;
        history.PrepareSpare(10, 10);
        std::vector<TBitmap32> states{image};
        for (const TEditCase& edit : AllEdits()) {
            DoEditAsWindow(history, image, shown, edit);
            states.push_back(image);
            EXPECT_LE(history.BytesKept(), limit) << edit.Name;
        }
        size_t at = states.size() - 1;
        while (history.CanUndo()) {
            history.Undo(image, shown);
            --at;
            EXPECT_EQ(image, states[at]);
            EXPECT_EQ(shown, states[at]);
            EXPECT_LE(history.BytesKept(), limit);
        }
        EXPECT_EQ(at == 0, limit > 2 * bitmapBytes) << "only the unbounded history reaches the loaded image";
        while (history.CanRedo()) {
            history.Redo(image, shown);
            ++at;
            EXPECT_EQ(image, states[at]);
            EXPECT_EQ(shown, states[at]);
            EXPECT_LE(history.BytesKept(), limit);
        }
        EXPECT_EQ(at, states.size() - 1);
    }
}

// The spare is counted with the steps, handed over by the next lossy step, made only where
// it fits beside the steps, and dropped before any step when the bound shrinks.
TEST(EditHistory, TheSpareBufferCountsWithinTheBound) {
    const size_t bitmapBytes = 10 * 10 * 4;
    TEditHistory history(3 * bitmapBytes);
    const TBitmap32 image = NoisePicture(10, 10, 23);
    history.PrepareSpare(10, 10);
    history.PrepareSpare(10, 10);
    EXPECT_EQ(history.SpareBytes(), bitmapBytes);
    EXPECT_EQ(history.BytesKept(), bitmapBytes);

    const TBitmap32 handedOver = history.RecordLossy(ekTone, image);
    EXPECT_EQ(handedOver.BytesHeld(), bitmapBytes);
    EXPECT_EQ(history.SpareBytes(), 0u);
    EXPECT_EQ(history.BytesKept(), bitmapBytes);  // the step alone

    history.RecordLossy(ekTone, image);
    history.PrepareSpare(10, 10);
    EXPECT_EQ(history.BytesKept(), 3 * bitmapBytes);
    history.SetByteLimit(2 * bitmapBytes);
    EXPECT_EQ(history.SpareBytes(), 0u);
    EXPECT_EQ(history.UndoCount(), 2u);

    history.PrepareSpare(10, 10);  // no room beside two steps
    EXPECT_EQ(history.SpareBytes(), 0u);

    // A new image keeps one buffer of the old steps as its spare, if the bound allows.
    history.Clear();
    EXPECT_EQ(history.SpareBytes(), bitmapBytes);
    EXPECT_EQ(history.BytesKept(), bitmapBytes);
    history.SetByteLimit(bitmapBytes - 1);
    EXPECT_EQ(history.BytesKept(), 0u);
}

TEST(EditHistory, DefaultLimitIsAtMostOneGigabyte) {
    const size_t limit = DefaultHistoryLimit();
    EXPECT_GT(limit, 0u);
    EXPECT_LE(limit, size_t(1) << 30);
    EXPECT_EQ(TEditHistory().ByteLimit(), limit);
}

} // namespace
