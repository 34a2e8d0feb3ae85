// Loads a plug-in library with dlopen on POSIX systems.
#ifndef _WIN32

#include <dlfcn.h>
#include <stdlib.h>

#include "hostsim/plugin_library.h"

namespace hostsim {

bool PluginLibrary::Open(const std::string &path, std::string &error) {
    Close();
    // Local binding: the plug-in's symbols must not stand in for the host's.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char *reason = ::dlerror();
        error = reason != nullptr ? reason : "dlopen failed: " + path;
        return false;
    }
    char *resolved = ::realpath(path.c_str(), nullptr);
    fullPath_ = resolved != nullptr ? resolved : path;
    ::free(resolved);
    return true;
}

void PluginLibrary::Close() {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = nullptr;
    fullPath_.clear();
}

void *PluginLibrary::Symbol(const char *name) const {
    return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

}  // namespace hostsim

#endif
