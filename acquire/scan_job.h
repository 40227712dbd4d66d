// Receiving pages from an open SANE device.
#pragma once

#include "bitmap32.h"
#include "sane_library.h"

#include <atomic>
#include <cstdint>
#include <optional>

// Progress of the page being received; written by the scanning thread, read by the dialog.
struct TScanProgress {
    std::atomic<std::int64_t> Received{0};
    std::atomic<std::int64_t> Expected{-1};  // -1 while the page height is unknown
};

struct TScanOutcome {
    SANE_Status Status = SANE_STATUS_GOOD;  // the first failure, SANE_STATUS_CANCELLED after Cancel
    std::optional<TBitmap32> Page;          // only when a whole page arrived
    bool FailedAtStart = false;             // the device refused to start the first page
    int Pages = 0;                          // pages received whole
};

// Scans with the device's current options until the page has arrived. With `fromFeeder`
// it goes on with the next page until the feeder is empty and keeps the last page.
// Any failure, an empty page or a cancel ends it without a page.
//
// `cancelled` is our own flag: a cancel from another thread may end sane_read with EOF,
// which must not count as a finished page. Whoever sets it also calls sane_cancel.
TScanOutcome ScanPages(const TSaneApi& api, SANE_Handle device, bool fromFeeder,
                       const std::atomic<bool>& cancelled, TScanProgress* progress = nullptr);
