#include "edit_history.h"

#include "geometry.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

const char* EditKindName(TEditKind kind) {
    switch (kind) {
    case ekRotateLeft: return "rotate left";
    case ekRotateRight: return "rotate right";
    case ekFlipHorizontal: return "flip horizontal";
    case ekFlipVertical: return "flip vertical";
    case ekFineRotation: return "fine rotation";
    case ekCrop: return "crop";
    case ekTone: return "brightness/gamma/contrast";
    }
    return "edit";
}

std::size_t DefaultHistoryLimit() {
    constexpr std::size_t kOneGigabyte = std::size_t(1) << 30;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return kOneGigabyte;
    return std::min(kOneGigabyte, std::size_t(pages) / 4 * std::size_t(pageSize));
}

namespace {

// Applies a lossless edit, or its inverse, to source, writing dest.
void ApplyLossless(TEditKind kind, bool inverse, const TBitmap32& source, TBitmap32& dest) {
    switch (kind) {
    case ekRotateLeft: RotateBitmapQuarter(source, dest, inverse); break;
    case ekRotateRight: RotateBitmapQuarter(source, dest, !inverse); break;
    case ekFlipHorizontal: FlipBitmapHorizontal(source, dest); break;
    case ekFlipVertical: FlipBitmapVertical(source, dest); break;
    default: break;
    }
}

} // namespace

void TEditHistory::RecordLossless(TEditKind kind) {
    Record({kind, FNextId++, TBitmap32()});
}

TBitmap32 TEditHistory::RecordLossy(TEditKind kind, TBitmap32 before) {
    return Record({kind, FNextId++, std::move(before)});
}

// A new step makes the redo branch unreachable; a saved state in it can never come back,
// which the unique step ids take care of. The buffer handed back for the new image is the
// spare or the largest one dropped; the spare leaves the count, as the caller now holds it.
TBitmap32 TEditHistory::Record(TStep step) {
    TBitmap32 reuse = TakeSpare();
    for (TStep& dropped : FRedo) {
        FBytesKept -= BytesOf(dropped);
        KeepLarger(reuse, std::move(dropped.Kept));
    }
    FRedo.clear();
    FBytesKept += BytesOf(step);
    FUndo.push_back(std::move(step));
    KeepLarger(reuse, DropBeyondLimit());
    return reuse;
}

TBitmap32 TEditHistory::TakeSpare() {
    FBytesKept -= FSpare.BytesHeld();
    return std::exchange(FSpare, TBitmap32());
}

void TEditHistory::KeepSpare(TBitmap32 buffer) {
    (void)TakeSpare();
    FSpare = std::move(buffer);
    FBytesKept += FSpare.BytesHeld();
    (void)DropBeyondLimit();
}

// Drops the spare first, then the oldest steps, until the kept memory fits the limit.
// Returns the largest bitmap of a dropped step, for reuse.
TBitmap32 TEditHistory::DropBeyondLimit() {
    if (FBytesKept > FByteLimit) (void)TakeSpare();
    TBitmap32 largest;
    while (FBytesKept > FByteLimit && !FUndo.empty()) {
        TStep& oldest = FUndo.front();
        FBytesKept -= BytesOf(oldest);
        FBaseState = oldest.Id;
        KeepLarger(largest, std::move(oldest.Kept));
        FUndo.pop_front();
    }
    return largest;
}

namespace {

std::size_t BitmapBytes(int width, int height) {
    return std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)) * sizeof(TColor32);
}

} // namespace

bool TEditHistory::WantsSpare(int width, int height) const {
    const std::size_t bytes = BitmapBytes(width, height);
    if (bytes == 0 || FSpare.BytesHeld() >= bytes) return false;
    return FBytesKept - FSpare.BytesHeld() + bytes <= FByteLimit;
}

void TEditHistory::OfferSpare(TBitmap32 buffer) {
    if (WantsSpare(buffer.Width(), buffer.Height())) KeepSpare(std::move(buffer));
}

void TEditHistory::PrepareSpare(int width, int height) {
    if (WantsSpare(width, height)) KeepSpare(TBitmap32(width, height));  // zero-filled: every page touched
}

void TEditHistory::SetByteLimit(std::size_t byteLimit) {
    FByteLimit = byteLimit;
    (void)DropBeyondLimit();
}

std::optional<TEditKind> TEditHistory::UndoKind() const {
    if (FUndo.empty()) return std::nullopt;
    return FUndo.back().Kind;
}

std::optional<TEditKind> TEditHistory::RedoKind() const {
    if (FRedo.empty()) return std::nullopt;
    return FRedo.back().Kind;
}

// Undo and redo move a step between the two lists. A lossy step swaps its bitmap with the
// current image, which costs no copy; the current image's buffer may hold more memory than
// the step's did, so the limit is applied again.
void TEditHistory::Step(std::deque<TStep>& from, std::deque<TStep>& to, bool undo, TBitmap32& image,
                        TBitmap32& shown) {
    if (from.empty()) return;
    TStep step = std::move(from.back());
    from.pop_back();
    if (IsLosslessEdit(step.Kind)) {
        ApplyLossless(step.Kind, undo, image, shown);
        image = shown;
    } else {
        FBytesKept -= BytesOf(step);
        std::swap(image, step.Kept);
        FBytesKept += BytesOf(step);
        shown = image;
    }
    to.push_back(std::move(step));
    (void)DropBeyondLimit();
}

void TEditHistory::Undo(TBitmap32& image, TBitmap32& shown) { Step(FUndo, FRedo, true, image, shown); }
void TEditHistory::Redo(TBitmap32& image, TBitmap32& shown) { Step(FRedo, FUndo, false, image, shown); }

void TEditHistory::Clear() {
    TBitmap32 largest = TakeSpare();
    for (std::deque<TStep>* steps : {&FUndo, &FRedo}) {
        for (TStep& step : *steps) KeepLarger(largest, std::move(step.Kept));
        steps->clear();
    }
    FBytesKept = 0;
    KeepSpare(std::move(largest));
    FBaseState = FSavedState = FNextId++;
}
