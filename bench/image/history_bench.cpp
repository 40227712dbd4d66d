// Undo and recording on the 6000 x 4000 photo, done as the main window does them: the
// history works on the working copy, which is then copied into the view's bitmap.
// Compare with BM_Copy and with doing the same edit (BM_EditQuarterTurn, BM_EditTone).
#include "bench_photo.h"
#include "edit_history.h"
#include "geometry.h"
#include "tone.h"

#include <utility>

namespace {

TToneTable BrighterTable() {
    TToneTable table;
    BuildToneTable(20, 10, 0, table);
    return table;
}

// An edit as the window does it, recorded or not: the edit writes the view's bitmap, which
// becomes the working copy.
template <bool Record>
void EditTone(benchmark::State& state) {
    const TToneTable table = BrighterTable();
    TBitmap32 work = BenchPhoto(), view = work;
    // A full history, as on a long session: each step recorded drops the oldest one.
    TEditHistory history(3 * work.PixelCount() * sizeof(TColor32));
    if constexpr (Record)
        for (int i = 0; i < 3; ++i) history.RecordLossy(ekTone, work);
    for (auto _ : state) {
        ApplyToneTable(view, work, table);
        if constexpr (Record) work = history.RecordLossy(ekTone, std::move(work));
        work = view;
        benchmark::DoNotOptimize(work.Bits());
    }
}

// The history still filling, as in the first lossy edits of a photo: between two edits the
// window makes the spare buffer ready while idle, which is left out of the time here.
void BM_EditToneRecordedWhileFilling(benchmark::State& state) {
    const TToneTable table = BrighterTable();
    TBitmap32 work = BenchPhoto(), view = work;
    TEditHistory history(std::size_t(1) << 40);  // never full
    for (auto _ : state) {
        state.PauseTiming();
        if (history.UndoCount() == 4) history.Clear();  // keeps the run's memory small
        history.PrepareSpare(work.Width(), work.Height());
        state.ResumeTiming();
        ApplyToneTable(view, work, table);
        work = history.RecordLossy(ekTone, std::move(work));
        work = view;
        benchmark::DoNotOptimize(work.Bits());
    }
}

template <TEditKind Kind, bool Record>
void EditLossless(benchmark::State& state) {
    TBitmap32 work = BenchPhoto(), view = work;
    TEditHistory history;
    for (auto _ : state) {
        if constexpr (Kind == ekRotateLeft)
            RotateBitmapQuarter(work, view, false);
        else
            FlipBitmapHorizontal(work, view);
        if constexpr (Record) history.RecordLossless(Kind);
        work = view;
        benchmark::DoNotOptimize(work.Bits());
    }
}

// Times the undo of one step that `edit` made, redoing it untimed before the next round.
// The view's bitmap shows the edited image, as on screen, and keeps the memory of the
// full-size picture (a smaller size keeps a bitmap's memory).
template <typename Edit>
void UndoStep(benchmark::State& state, Edit edit) {
    TBitmap32 work = BenchPhoto();
    TBitmap32 view = work;  // the view keeps the buffer of the full-size picture, as on screen
    TEditHistory history;
    edit(history, work);
    view = work;
    for (auto _ : state) {
        history.Undo(work, view);
        benchmark::DoNotOptimize(view.Bits());
        state.PauseTiming();
        history.Redo(work, view);
        state.ResumeTiming();
    }
}

// A copy into memory not touched before: what a growing history pays per step for its
// memory until it is full (the first touch of fresh memory).
void BM_CopyToFreshMemory(benchmark::State& state) {
    for (auto _ : state) {
        TBitmap32 copy = BenchPhoto();
        benchmark::DoNotOptimize(copy.Bits());
    }
}

// A plain copy with the caches in the state the undo benchmarks leave them: another copy of
// the whole bitmap runs, untimed, between two timed ones, as the redo does there.
void BM_CopyBetweenCopies(benchmark::State& state) {
    TBitmap32 before = BenchPhoto(), after = before, view = before;
    for (auto _ : state) {
        view = before;
        benchmark::DoNotOptimize(view.Bits());
        state.PauseTiming();
        view = after;
        state.ResumeTiming();
    }
}

void BM_EditToneWithoutHistory(benchmark::State& state) { EditTone<false>(state); }
void BM_EditToneRecorded(benchmark::State& state) { EditTone<true>(state); }
void BM_EditQuarterTurn(benchmark::State& state) { EditLossless<ekRotateLeft, true>(state); }
void BM_EditFlipHorizontal(benchmark::State& state) { EditLossless<ekFlipHorizontal, true>(state); }

void BM_UndoQuarterTurn(benchmark::State& state) {
    UndoStep(state, [](TEditHistory& history, TBitmap32& work) {
        RotateBitmapQuarter(work, work, false);
        history.RecordLossless(ekRotateLeft);
    });
}

void BM_UndoFlipHorizontal(benchmark::State& state) {
    UndoStep(state, [](TEditHistory& history, TBitmap32& work) {
        FlipBitmapHorizontal(work, work);
        history.RecordLossless(ekFlipHorizontal);
    });
}

void BM_UndoCrop(benchmark::State& state) {
    UndoStep(state, [](TEditHistory& history, TBitmap32& work) {
        TBitmap32 cropped;
        CropBitmap(work, cropped, {1000, 1000, 4000, 3000});
        history.RecordLossy(ekCrop, std::exchange(work, std::move(cropped)));
    });
}

void BM_UndoTone(benchmark::State& state) {
    UndoStep(state, [](TEditHistory& history, TBitmap32& work) {
        TBitmap32 toned;
        ApplyToneTable(toned, work, BrighterTable());
        history.RecordLossy(ekTone, std::exchange(work, std::move(toned)));
    });
}

}  // namespace

BENCHMARK(BM_EditQuarterTurn)->Apply(Setup);
BENCHMARK(BM_UndoQuarterTurn)->Apply(Setup);
BENCHMARK(BM_EditFlipHorizontal)->Apply(Setup);
BENCHMARK(BM_UndoFlipHorizontal)->Apply(Setup);
BENCHMARK(BM_UndoCrop)->Apply(Setup);
BENCHMARK(BM_UndoTone)->Apply(Setup);
BENCHMARK(BM_CopyToFreshMemory)->Apply(Setup);
BENCHMARK(BM_CopyBetweenCopies)->Apply(Setup);
BENCHMARK(BM_EditToneWithoutHistory)->Apply(Setup);
BENCHMARK(BM_EditToneRecorded)->Apply(Setup);
BENCHMARK(BM_EditToneRecordedWhileFilling)->Apply(Setup);
