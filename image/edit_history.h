#pragma once
// The undo and redo history of the current image.
//
// Steps that lose nothing (quarter turns, flips) are kept as the operation and taken back by
// its inverse. Steps that lose pixels (fine rotation, crop, tone) keep one bitmap: the image
// before the step while it can be undone, the image after it while it can be redone; undo
// and redo swap it with the current image, so no step ever holds two bitmaps.
//
// Every lossy step needs memory for one more bitmap. So that recording does not pay for
// fresh memory (first touch of fresh pages costs far more than a copy), the history keeps
// one spare buffer: made ready while the program is idle (PrepareSpare), and refilled from
// the steps it drops. The kept bitmaps and the spare never exceed the byte limit together:
// the spare goes first, then the oldest steps.

#include "bitmap32.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

enum TEditKind : std::uint8_t { ekRotateLeft, ekRotateRight, ekFlipHorizontal, ekFlipVertical, ekFineRotation, ekCrop, ekTone };

// What the step is called in the "Undo ..." and "Redo ..." hints ("crop").
const char* EditKindName(TEditKind kind);
constexpr bool IsLosslessEdit(TEditKind kind) { return kind <= ekFlipVertical; }

// 1 GB or a quarter of the machine's memory, whichever is less.
std::size_t DefaultHistoryLimit();

class TEditHistory {
public:
    explicit TEditHistory(std::size_t byteLimit = DefaultHistoryLimit()) : FByteLimit(byteLimit) {}

    // A lossless edit was applied to the current image.
    void RecordLossless(TEditKind kind);
    // A lossy edit was applied; `before` is the image as it was before the edit. Returns the
    // spare buffer, or else the largest bitmap of a step dropped on the way, whose memory the
    // caller reuses for the new image instead of asking for fresh memory (empty when there
    // is neither).
    TBitmap32 RecordLossy(TEditKind kind, TBitmap32 before);
    // Whether a spare buffer of width x height pixels would be kept: none of that size is
    // kept already and it fits within the limit beside the kept steps.
    bool WantsSpare(int width, int height) const;
    // Keeps `buffer` as the spare for the next lossy step when it is still wanted; a buffer
    // made on another thread is offered here once it is ready.
    void OfferSpare(TBitmap32 buffer);
    // Makes a spare buffer of width x height pixels ready, its memory touched now.
    void PrepareSpare(int width, int height);

    bool CanUndo() const { return !FUndo.empty(); }
    bool CanRedo() const { return !FRedo.empty(); }
    std::optional<TEditKind> UndoKind() const;
    std::optional<TEditKind> RedoKind() const;
    // Take the last step back from, or the next one forward into, `image` (the current
    // image); afterwards `shown` is a copy of it. The memory of `shown` serves as the
    // destination of an inverse edit, so that undoing costs what doing did. Nothing happens
    // when there is no such step.
    void Undo(TBitmap32& image, TBitmap32& shown);
    void Redo(TBitmap32& image, TBitmap32& shown);

    // A new image: no steps, and the image as it is now counts as saved. The largest buffer
    // stays as the spare, for the edits of the next image.
    void Clear();
    // The current image was saved: this is the state that counts as unmodified.
    void MarkSaved() { FSavedState = CurrentState(); }
    // The image is (after undo or redo) where it was when loaded or last saved.
    bool AtSavedState() const { return FSavedState == CurrentState(); }

    std::size_t ByteLimit() const { return FByteLimit; }
    void SetByteLimit(std::size_t byteLimit);
    // The kept bitmaps and the spare, in bytes of memory held.
    std::size_t BytesKept() const { return FBytesKept; }
    std::size_t SpareBytes() const { return FSpare.BytesHeld(); }
    std::size_t UndoCount() const { return FUndo.size(); }
    std::size_t RedoCount() const { return FRedo.size(); }

private:
    struct TStep {
        TEditKind Kind;
        std::uint64_t Id;  // unique within the history; names the state right after the step
        TBitmap32 Kept;    // lossy steps only
    };

    TBitmap32 Record(TStep step);
    void Step(std::deque<TStep>& from, std::deque<TStep>& to, bool undo, TBitmap32& image, TBitmap32& shown);
    TBitmap32 DropBeyondLimit();
    TBitmap32 TakeSpare();
    void KeepSpare(TBitmap32 buffer);
    // The state the image is in: the id of the last step done, or of the last one dropped.
    std::uint64_t CurrentState() const { return FUndo.empty() ? FBaseState : FUndo.back().Id; }
    static std::size_t BytesOf(const TStep& step) { return step.Kept.BytesHeld(); }
    // Keeps the one of the two buffers that holds more memory in `into`.
    static void KeepLarger(TBitmap32& into, TBitmap32&& other) {
        if (other.BytesHeld() > into.BytesHeld()) into = std::move(other);
    }

    std::deque<TStep> FUndo;  // oldest first
    std::deque<TStep> FRedo;  // next to redo last
    TBitmap32 FSpare;         // only its memory matters, not its pixels
    std::size_t FByteLimit;
    std::size_t FBytesKept = 0;
    std::uint64_t FNextId = 1;
    std::uint64_t FBaseState = 0;
    std::uint64_t FSavedState = 0;
};
