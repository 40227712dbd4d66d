// Helpers for scanning with SANE's "test" backend in tests.
#pragma once

#include "acquire_image.h"
#include "sane_options.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// SANE's test backend writes each page into a pipe from a reader thread, and stops that thread
// with an asynchronous thread cancel and joins it: in sane_cancel, and in the sane_read that
// hands over the frame's last byte, when the reader may still be on its way out. A cancel that
// lands while the reader is inside malloc or free leaves the reader's malloc arena locked; the
// next thread of that arena then deadlocks on the lock, at the latest as it exits, and the join
// never returns. The returned entry points are `api` with a sane_cancel, and a sane_read near
// the frame's end, that first wait until the reader threads started by the last sane_start have
// ended by themselves. Use it only where they do: the frontend read the whole page, or the page
// fits in the pipe (64 KiB) as on a read error at the first read.
TSaneApi StopReadersOnlyOnceEnded(const TSaneApi& api);

// A scan dialog stand-in: sets options, then scans like the dialog's Scan button.
class TScriptedScan : public TScanUserInterface {
public:
    explicit TScriptedScan(std::function<void(TSaneOptions&)> setOptions) : FSetOptions(std::move(setOptions)) {}
    TScanOutcome Run(const TSaneApi& api, SANE_Handle device, const std::string& sourceName) override;
    TScanOutcome Outcome;  // of the last run

private:
    std::function<void(TSaneOptions&)> FSetOptions;
};

// A test backend device opened directly through the SANE interface, closed on destruction.
class TOpenTestDevice {
public:
    explicit TOpenTestDevice(const char* name = "test:0");
    ~TOpenTestDevice();
    bool Opened() const { return FDevice != nullptr; }
    const TSaneApi& Api() const { return FLibrary.Api(); }
    SANE_Handle Device() const { return FDevice; }

private:
    TSaneLibrary FLibrary;
    bool FInitialised = false;
    SANE_Handle FDevice = nullptr;
};

// Opens `source` the way scanning does, runs `setOptions` and returns the page.
std::optional<TBitmap32> ScanTestPage(const std::string& source, std::function<void(TSaneOptions&)> setOptions,
                                      TScanOutcome* outcome = nullptr);

// A PNM file (P4, P5 or P6 with 8- or 16-bit samples) read into opaque pixels;
// empty when the text is not such a file.
TBitmap32 DecodePnm(const std::string& bytes);

// Runs scanimage with the given arguments and returns what it wrote on stdout.
std::string RunScanimage(const std::vector<std::string>& arguments);
