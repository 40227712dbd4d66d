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
// which the unique step ids take care of.
TBitmap32 TEditHistory::Record(TStep step) {
    TBitmap32 spare;
    for (TStep& dropped : FRedo) {
        FBytesKept -= BytesOf(dropped);
        if (dropped.Kept.PixelCount() > spare.PixelCount()) spare = std::move(dropped.Kept);
    }
    FRedo.clear();
    FBytesKept += BytesOf(step);
    FUndo.push_back(std::move(step));
    TBitmap32 oldest = DropOldestBeyondLimit();
    return oldest.PixelCount() > spare.PixelCount() ? std::move(oldest) : std::move(spare);
}

// Returns the largest bitmap dropped, for reuse.
TBitmap32 TEditHistory::DropOldestBeyondLimit() {
    TBitmap32 spare;
    while (FBytesKept > FByteLimit && !FUndo.empty()) {
        TStep& oldest = FUndo.front();
        FBytesKept -= BytesOf(oldest);
        FBaseState = oldest.Id;
        if (oldest.Kept.PixelCount() > spare.PixelCount()) spare = std::move(oldest.Kept);
        FUndo.pop_front();
    }
    return spare;
}

void TEditHistory::SetByteLimit(std::size_t byteLimit) {
    FByteLimit = byteLimit;
    (void)DropOldestBeyondLimit();
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
// current image; as no lossy edit makes the image larger, undoing never adds bytes and
// redoing only brings back what recording the step once kept within the limit.
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
}

void TEditHistory::Undo(TBitmap32& image, TBitmap32& shown) { Step(FUndo, FRedo, true, image, shown); }
void TEditHistory::Redo(TBitmap32& image, TBitmap32& shown) { Step(FRedo, FUndo, false, image, shown); }

void TEditHistory::Clear() {
    FUndo.clear();
    FRedo.clear();
    FBytesKept = 0;
    FBaseState = FSavedState = FNextId++;
}
