#include "sane_library.h"

#include <dlfcn.h>

namespace {

template <typename Function>
bool Resolve(void* handle, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(dlsym(handle, name));
    return entry != nullptr;
}

} // namespace

bool TSaneLibrary::Load(const std::string& libraryName) {
    Unload();
    FHandle = dlopen(libraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) return false;
    const bool complete = Resolve(FHandle, "sane_init", FApi.init) &&
                          Resolve(FHandle, "sane_exit", FApi.exit) &&
                          Resolve(FHandle, "sane_get_devices", FApi.get_devices) &&
                          Resolve(FHandle, "sane_open", FApi.open) &&
                          Resolve(FHandle, "sane_close", FApi.close) &&
                          Resolve(FHandle, "sane_get_option_descriptor", FApi.get_option_descriptor) &&
                          Resolve(FHandle, "sane_control_option", FApi.control_option) &&
                          Resolve(FHandle, "sane_get_parameters", FApi.get_parameters) &&
                          Resolve(FHandle, "sane_start", FApi.start) &&
                          Resolve(FHandle, "sane_read", FApi.read) &&
                          Resolve(FHandle, "sane_cancel", FApi.cancel) &&
                          Resolve(FHandle, "sane_set_io_mode", FApi.set_io_mode) &&
                          Resolve(FHandle, "sane_get_select_fd", FApi.get_select_fd) &&
                          Resolve(FHandle, "sane_strstatus", FApi.strstatus);
    if (!complete) Unload();
    return complete;
}

void TSaneLibrary::Unload() {
    if (FHandle) dlclose(FHandle);
    FHandle = nullptr;
    FApi = TSaneApi();
}

std::timed_mutex& SaneSessionMutex() {
    static std::timed_mutex mutex;
    return mutex;
}
