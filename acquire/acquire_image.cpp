#include "acquire_image.h"

#include "sane_options.h"

#include <algorithm>
#include <chrono>
#include <strings.h>

namespace {

// How long a new session waits for another one (such as the background source search)
// to end before it gives up as busy.
constexpr std::chrono::seconds kSessionWait{30};

constexpr int kNotLoaded = 1;

} // namespace

TAcquireImage::TAcquireImage() = default;

TAcquireImage::~TAcquireImage() {
    UnloadSourceManager();
}

int TAcquireImage::Fail(int stage, SANE_Status status) {
    FLastStatus = status;
    if (OnTwainError) OnTwainError(this, stage, int(status));
    return int(status);
}

bool TAcquireImage::LoadSourceManager() {
    return FLibrary.Loaded() || FLibrary.Load(LibraryName);
}

int TAcquireImage::OpenSourceManager() {
    if (!FLibrary.Loaded()) return kNotLoaded;
    if (FInitialised) return SANE_STATUS_GOOD;
    FSession = std::unique_lock(SaneSessionMutex(), kSessionWait);
    if (!FSession.owns_lock()) return Fail(tsOpenManager, SANE_STATUS_DEVICE_BUSY);
    SANE_Int version = 0;
    const SANE_Status status = FLibrary.Api().init(&version, nullptr);
    if (status != SANE_STATUS_GOOD) {
        FSession.unlock();
        return Fail(tsOpenManager, status);
    }
    FInitialised = true;
    return SANE_STATUS_GOOD;
}

std::vector<std::string> TAcquireImage::GetSourceList() {
    std::vector<std::string> names;
    if (!FInitialised) return names;
    const SANE_Device** devices = nullptr;
    const SANE_Status status = FLibrary.Api().get_devices(&devices, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) {
        Fail(tsSourceIdentity, status);
        return names;
    }
    for (; devices && *devices; ++devices)
        if ((*devices)->name) names.emplace_back((*devices)->name);
    FKnownSources = names;
    return names;
}

void TAcquireImage::SetKnownSources(std::vector<std::string> names) {
    FKnownSources = std::move(names);
}

std::string TAcquireImage::GetSourceName(bool Default) {
    if (!FLibrary.Loaded()) return "";
    if (!Default && !FSelectedSource.empty()) return FSelectedSource;
    const std::vector<std::string> sources = FKnownSources ? *FKnownSources : GetSourceList();
    return ChooseDefaultSource(sources, DefaultSource);
}

int TAcquireImage::SelectSource(const std::string& Name) {
    if (!FLibrary.Loaded()) return kNotLoaded;
    // A name the device list does not hold is still tried: sane_open decides.
    FSelectedSource = Name.empty() ? GetSourceName(true) : Name;
    if (FSelectedSource.empty()) return Fail(tsSourceIdentity, SANE_STATUS_INVAL);
    return SANE_STATUS_GOOD;
}

int TAcquireImage::OpenSource() {
    if (!FLibrary.Loaded()) return kNotLoaded;
    if (!FInitialised || FSelectedSource.empty()) return Fail(tsOpenSource, SANE_STATUS_INVAL);
    if (FDevice) return SANE_STATUS_GOOD;
    const SANE_Status status = FLibrary.Api().open(FSelectedSource.c_str(), &FDevice);
    if (status != SANE_STATUS_GOOD) {
        FDevice = nullptr;
        return Fail(tsOpenSource, status);
    }
    return SANE_STATUS_GOOD;
}

std::optional<TBitmap32> TAcquireImage::AcquireBitmap() {
    if (!FLibrary.Loaded() || !FDevice) return std::nullopt;
    TScanOutcome outcome;
    if (SHOWhideUI && UserInterface) {
        outcome = UserInterface->Run(FLibrary.Api(), FDevice, FSelectedSource);
    } else {
        const TSaneOptions options(FLibrary.Api(), FDevice);
        const std::atomic<bool> never{false};
        outcome = ScanPages(FLibrary.Api(), FDevice, ScansFromFeeder(options), never);
    }
    if (!outcome.Page) {
        if (outcome.Status != SANE_STATUS_CANCELLED && outcome.Status != SANE_STATUS_GOOD)
            Fail(outcome.FailedAtStart ? tsEnableSource : tsTransfer, outcome.Status);
        return std::nullopt;
    }
    outcome.Page->ResetAlpha();
    return outcome.Page;
}

int TAcquireImage::CloseSourceManager() {
    if (!FLibrary.Loaded()) return kNotLoaded;
    if (FDevice) FLibrary.Api().close(FDevice);
    FDevice = nullptr;
    if (FInitialised) FLibrary.Api().exit();
    FInitialised = false;
    if (FSession.owns_lock()) FSession.unlock();
    return SANE_STATUS_GOOD;
}

void TAcquireImage::UnloadSourceManager() {
    if (!FLibrary.Loaded()) return;
    CloseSourceManager();
    FLibrary.Unload();
}

int TAcquireImage::GetConditionCode() const {
    return FLastStatus != SANE_STATUS_GOOD ? int(FLastStatus) + 0x8000 : 1;
}

std::optional<TBitmap32> AcquireFromDefaultSource(TAcquireImage& scanner) {
    if (!scanner.LoadSourceManager()) return std::nullopt;
    scanner.OpenSourceManager();
    scanner.SelectSource(scanner.GetSourceName(true));
    scanner.OpenSource();
    std::optional<TBitmap32> page = scanner.AcquireBitmap();
    scanner.CloseSourceManager();
    scanner.UnloadSourceManager();
    return page;
}

std::vector<std::string> ListScanSources(const std::string& libraryName) {
    TAcquireImage scanner;
    scanner.LibraryName = libraryName;
    std::vector<std::string> sources;
    if (!scanner.LoadSourceManager()) return sources;
    if (scanner.OpenSourceManager() == SANE_STATUS_GOOD) sources = scanner.GetSourceList();
    scanner.CloseSourceManager();
    scanner.UnloadSourceManager();
    return sources;
}

std::string ChooseDefaultSource(const std::vector<std::string>& sources, const std::string& wanted) {
    if (sources.empty()) return "";
    if (std::find(sources.begin(), sources.end(), wanted) != sources.end()) return wanted;
    const auto sameLetters = std::find_if(sources.begin(), sources.end(), [&](const std::string& name) {
        return strcasecmp(name.c_str(), wanted.c_str()) == 0;
    });
    return sameLetters != sources.end() ? *sameLetters : sources.front();
}
