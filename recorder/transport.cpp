#include "transport.h"

#include "aspi.h"
#include "passthrough_linux.h"

#include <dlfcn.h>

namespace {

struct TTransportState {
    bool Initialized = false;
    std::string Name;
    void* Library = nullptr;
    GetASPI32SupportInfoProc SupportInfo = nullptr;
    SendASPI32CommandProc SendCommand = nullptr;
    bool PreferPassThrough = true;
};

TTransportState Transport;

// At program end the library is released and the drive handles are closed.
struct TTransportCleanup {
    ~TTransportCleanup() { StopTransport(); }
} TransportCleanup;

void InstallPassThrough()
{
    Transport.SupportInfo = PassThroughGetSupportInfo;
    Transport.SendCommand = PassThroughSendCommand;
    Transport.Name = "PTASPI32";
    Transport.Initialized = true;
}

enum class TLoadResult { NoLibrary, Incomplete, Loaded };

// Loads the ASPI-style library: the copy in the working folder first, then the loader's search.
// A library that lacks an entry point is released again.
TLoadResult LoadLibraryTransport()
{
    void* library = dlopen("./libwnaspi32.so", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        library = dlopen("libwnaspi32.so", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return TLoadResult::NoLibrary;
    auto supportInfo = reinterpret_cast<GetASPI32SupportInfoProc>(dlsym(library, "GetASPI32SupportInfo"));
    auto sendCommand = reinterpret_cast<SendASPI32CommandProc>(dlsym(library, "SendASPI32Command"));
    if (!supportInfo || !sendCommand) {
        dlclose(library);
        return TLoadResult::Incomplete;
    }
    Transport.Library = library;
    Transport.SupportInfo = supportInfo;
    Transport.SendCommand = sendCommand;
    Transport.Name = "WNASPI32.DLL";
    Transport.Initialized = true;
    return TLoadResult::Loaded;
}

}  // namespace

bool StartTransport(bool PreferPassThrough)
{
    StopTransport();
    Transport.PreferPassThrough = PreferPassThrough;
    // The pass-through enumeration runs at most once per start.
    if (PreferPassThrough && PassThroughEnumerate() > 0)
        InstallPassThrough();
    if (!Transport.Initialized) {
        // A library without both entry points ends the start: no fallback to pass-through.
        TLoadResult loaded = LoadLibraryTransport();
        if (loaded == TLoadResult::NoLibrary && !PreferPassThrough && PassThroughEnumerate() > 0)
            InstallPassThrough();
    }
    if (Transport.Initialized)
        GetASPI32SupportInfo();
    return Transport.Initialized;
}

void RestartTransport()
{
    StartTransport(Transport.PreferPassThrough);
}

void StopTransport()
{
    if (Transport.Library)
        dlclose(Transport.Library);
    PassThroughReset();
    bool preference = Transport.PreferPassThrough;
    Transport = TTransportState{};
    Transport.PreferPassThrough = preference;
}

bool TransportInitialized()
{
    return Transport.Initialized;
}

const std::string& TransportName()
{
    return Transport.Name;
}

uint32_t GetASPI32SupportInfo()
{
    return Transport.Initialized ? Transport.SupportInfo() : uint32_t(SS_NO_ADAPTERS) << 8;
}

uint8_t SendASPI32Command(void* Srb)
{
    if (!Transport.Initialized)
        return SS_NO_ASPI;
    return static_cast<uint8_t>(Transport.SendCommand(Srb));
}
