// TAcquireImage: the scanner component. It loads SANE at run time, lists and opens a
// scanner (a SANE device, called a source here) and receives one page as a bitmap.
#pragma once

#include "bitmap32.h"
#include "sane_library.h"
#include "scan_job.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The source's own dialog: lets the user set the device's options and scan.
class TScanUserInterface {
public:
    virtual ~TScanUserInterface() = default;
    virtual TScanOutcome Run(const TSaneApi& api, SANE_Handle device, const std::string& sourceName) = 0;
};

// Stages reported through OnTwainError.
enum TScanStage {
    tsOpenManager = 2,    // sane_init
    tsSourceIdentity = 3, // listing the devices
    tsOpenSource = 4,     // sane_open
    tsEnableSource = 5,   // the device refused to start the scan
    tsTransfer = 7,       // receiving the page
};

class TAcquireImage {
public:
    TAcquireImage();
    ~TAcquireImage();
    TAcquireImage(const TAcquireImage&) = delete;
    TAcquireImage& operator=(const TAcquireImage&) = delete;

    // Stored properties.
    bool SHOWhideUI = true;
    std::uint16_t AppVersionMajorNum = 0;
    std::uint16_t AppVersionMinorNum = 0;
    std::uint16_t Language = 0;
    std::uint16_t Country = 0;
    std::string AppInfo = "Twain Freeware Component";
    std::string AppManufacturer = "none";
    std::string AppProductFamily = "none";
    std::string AppProductName = "none";
    // (Sender, Stage, Code): Code is the failing SANE status.
    std::function<void(TAcquireImage*, int, int)> OnTwainError;

    // The library to load; tests name one that cannot load.
    std::string LibraryName = kSaneLibraryName;
    // The source that scanning uses when the device list holds it (the "Scansource"
    // setting); otherwise the first device.
    std::string DefaultSource;
    // Shown by AcquireBitmap when SHOWhideUI is set. Without it the page is scanned at
    // once with the device's current options.
    TScanUserInterface* UserInterface = nullptr;

    // Operations that return a code return 0 for success, otherwise the SANE status, and
    // 1 at once when the library is not loaded.
    bool LoadSourceManager();
    int OpenSourceManager();
    // Default: the default source (above). Otherwise the selected source, or the default
    // one when none is selected (SANE has no selection dialog of its own). "" when none.
    std::string GetSourceName(bool Default);
    // The device names; searching can take seconds (every backend probes its buses).
    std::vector<std::string> GetSourceList();
    // A device list found earlier in this run; GetSourceName then needs no new search.
    void SetKnownSources(std::vector<std::string> names);
    // Selects the named source; "" selects the default source.
    int SelectSource(const std::string& Name);
    int OpenSource();
    // Runs the source's dialog (or scans at once) and returns the page, alpha 255.
    std::optional<TBitmap32> AcquireBitmap();
    // Closes the source and the session, whatever state was reached.
    int CloseSourceManager();
    void UnloadSourceManager();
    // The last failure's status + 32768, or 1 when nothing failed.
    int GetConditionCode() const;

    const std::string& SelectedSource() const { return FSelectedSource; }

private:
    int Fail(int stage, SANE_Status status);

    TSaneLibrary FLibrary;
    std::unique_lock<std::timed_mutex> FSession;
    bool FInitialised = false;
    SANE_Handle FDevice = nullptr;
    std::string FSelectedSource;
    std::optional<std::vector<std::string>> FKnownSources;
    SANE_Status FLastStatus = SANE_STATUS_GOOD;
};

// A whole scanning session: load, open, select the default source, open it, acquire the
// page, close and unload. Each step fails in turn after an earlier failure.
std::optional<TBitmap32> AcquireFromDefaultSource(TAcquireImage& scanner);

// A whole session that lists the sources: load, open, list, close, unload. Empty when
// SANE is missing or finds no device.
std::vector<std::string> ListScanSources(const std::string& libraryName = kSaneLibraryName);

// The source to use: `wanted` when listed (exactly, else ignoring letter case), otherwise
// the first source; "" when there is none.
std::string ChooseDefaultSource(const std::vector<std::string>& sources, const std::string& wanted);
