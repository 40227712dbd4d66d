// The SANE library, loaded at run time so that Fotolark starts and runs without it.
// Only the types of sane.h are used; the program never links libsane.
#pragma once

#include <sane/sane.h>

#include <mutex>
#include <string>

inline constexpr const char* kSaneLibraryName = "libsane.so.1";

// The entry points of one loaded SANE library.
struct TSaneApi {
    SANE_Status (*init)(SANE_Int*, SANE_Auth_Callback) = nullptr;
    void (*exit)() = nullptr;
    SANE_Status (*get_devices)(const SANE_Device***, SANE_Bool) = nullptr;
    SANE_Status (*open)(SANE_String_Const, SANE_Handle*) = nullptr;
    void (*close)(SANE_Handle) = nullptr;
    const SANE_Option_Descriptor* (*get_option_descriptor)(SANE_Handle, SANE_Int) = nullptr;
    SANE_Status (*control_option)(SANE_Handle, SANE_Int, SANE_Action, void*, SANE_Int*) = nullptr;
    SANE_Status (*get_parameters)(SANE_Handle, SANE_Parameters*) = nullptr;
    SANE_Status (*start)(SANE_Handle) = nullptr;
    SANE_Status (*read)(SANE_Handle, SANE_Byte*, SANE_Int, SANE_Int*) = nullptr;
    void (*cancel)(SANE_Handle) = nullptr;
    SANE_Status (*set_io_mode)(SANE_Handle, SANE_Bool) = nullptr;
    SANE_Status (*get_select_fd)(SANE_Handle, SANE_Int*) = nullptr;
    SANE_String_Const (*strstatus)(SANE_Status) = nullptr;
};

// Owns one dlopen handle of the SANE library.
class TSaneLibrary {
public:
    TSaneLibrary() = default;
    ~TSaneLibrary() { Unload(); }
    TSaneLibrary(const TSaneLibrary&) = delete;
    TSaneLibrary& operator=(const TSaneLibrary&) = delete;

    // Loads the library and resolves every entry point; false (and nothing loaded) when
    // the library or one of its entry points is missing.
    bool Load(const std::string& libraryName);
    void Unload();
    bool Loaded() const { return FHandle != nullptr; }
    const TSaneApi& Api() const { return FApi; }

private:
    void* FHandle = nullptr;
    TSaneApi FApi;
};

// SANE keeps process-wide state between sane_init and sane_exit, so only one session may
// exist at a time; every session holds this lock from sane_init until after sane_exit.
std::timed_mutex& SaneSessionMutex();
