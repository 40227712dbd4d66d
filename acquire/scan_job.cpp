#include "scan_job.h"

#include "page_assembler.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

bool SingleColourFrame(SANE_Frame format) {
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

std::int64_t ExpectedPageBytes(const SANE_Parameters& frame) {
    if (frame.lines < 0) return -1;
    const std::int64_t bytes = std::int64_t(frame.bytes_per_line) * frame.lines;
    return SingleColourFrame(frame.format) ? 3 * bytes : bytes;
}

// Reads one frame to its end. Returns SANE_STATUS_GOOD at the frame's end.
SANE_Status ReadFrame(const TSaneApi& api, SANE_Handle device, TPageAssembler& page,
                      const std::atomic<bool>& cancelled, TScanProgress* progress) {
    std::vector<SANE_Byte> buffer(64 * 1024);
    for (;;) {
        SANE_Int length = 0;
        const SANE_Status status = api.read(device, buffer.data(), SANE_Int(buffer.size()), &length);
        if (cancelled) return SANE_STATUS_CANCELLED;
        if (status == SANE_STATUS_EOF) return SANE_STATUS_GOOD;
        if (status != SANE_STATUS_GOOD) return status;
        const std::size_t received = std::size_t(std::clamp<SANE_Int>(length, 0, SANE_Int(buffer.size())));
        page.Add(buffer.data(), received);
        if (page.TooLarge()) return SANE_STATUS_NO_MEM;
        if (progress) progress->Received += std::int64_t(received);
    }
}

// Receives every frame of one page; sane_start for the first frame has succeeded.
SANE_Status ReadPage(const TSaneApi& api, SANE_Handle device, TPageAssembler& page,
                     const std::atomic<bool>& cancelled, TScanProgress* progress) {
    for (bool firstFrame = true;; firstFrame = false) {
        SANE_Parameters frame{};
        SANE_Status status = api.get_parameters(device, &frame);
        if (status != SANE_STATUS_GOOD) return status;
        if (!page.BeginFrame(frame)) return SANE_STATUS_UNSUPPORTED;
        if (progress && firstFrame) {
            progress->Received = 0;
            progress->Expected = ExpectedPageBytes(frame);
        }
        status = ReadFrame(api, device, page, cancelled, progress);
        if (status != SANE_STATUS_GOOD) return status;
        page.EndFrame();
        if (frame.last_frame) return page.Empty() ? SANE_STATUS_EOF : SANE_STATUS_GOOD;
        status = api.start(device);
        if (cancelled) return SANE_STATUS_CANCELLED;
        if (status != SANE_STATUS_GOOD) return status;
    }
}

TScanOutcome Failed(const TSaneApi& api, SANE_Handle device, SANE_Status status) {
    api.cancel(device);
    return TScanOutcome{status, std::nullopt};
}

} // namespace

TScanOutcome ScanPages(const TSaneApi& api, SANE_Handle device, bool fromFeeder,
                       const std::atomic<bool>& cancelled, TScanProgress* progress) {
    TScanOutcome outcome;
    for (;;) {
        if (cancelled) return Failed(api, device, SANE_STATUS_CANCELLED);
        const SANE_Status started = api.start(device);
        if (cancelled) return Failed(api, device, SANE_STATUS_CANCELLED);
        // An empty feeder after at least one page is the normal end of a feeder scan.
        if (started == SANE_STATUS_NO_DOCS && outcome.Page) break;
        if (started != SANE_STATUS_GOOD) {
            TScanOutcome failed = Failed(api, device, started);
            failed.FailedAtStart = !outcome.Page;
            return failed;
        }
        SANE_Status status = SANE_STATUS_NO_MEM;
        // Running out of memory must not escape: this runs on the scan dialog's worker thread.
        try {
            TPageAssembler page;
            status = ReadPage(api, device, page, cancelled, progress);
            if (status == SANE_STATUS_GOOD) outcome.Page = page.TakePage();
        } catch (const std::bad_alloc&) {
            status = SANE_STATUS_NO_MEM;
        }
        if (status != SANE_STATUS_GOOD) return Failed(api, device, status);
        ++outcome.Pages;
        if (!fromFeeder) break;
    }
    api.cancel(device);
    return outcome;
}
