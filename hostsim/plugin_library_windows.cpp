// Loads a plug-in library with LoadLibraryA on Windows.
#ifdef _WIN32

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "hostsim/plugin_library.h"

namespace hostsim {
namespace {

HMODULE AsModule(void *handle) { return static_cast<HMODULE>(handle); }

// The module's full file name, in a buffer that grows until it fits.
std::string ModuleFileName(HMODULE module) {
    std::vector<char> name(MAX_PATH);
    for (;;) {
        const DWORD size =
            ::GetModuleFileNameA(module, name.data(), static_cast<DWORD>(name.size()));
        if (size == 0) return {};
        if (size < name.size()) return std::string(name.data(), size);
        name.resize(name.size() * 2);
    }
}

}  // namespace

bool PluginLibrary::Open(const std::string &path, std::string &error) {
    Close();
    const HMODULE module = ::LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "LoadLibraryA failed with error " + std::to_string(::GetLastError()) + ": " + path;
        return false;
    }
    handle_ = module;
    fullPath_ = ModuleFileName(module);
    if (fullPath_.empty()) fullPath_ = path;
    return true;
}

void PluginLibrary::Close() {
    if (handle_ != nullptr) ::FreeLibrary(AsModule(handle_));
    handle_ = nullptr;
    fullPath_.clear();
}

void *PluginLibrary::Symbol(const char *name) const {
    if (handle_ == nullptr) return nullptr;
    // FARPROC to void * goes through a plain copy: a cast between function
    // types would draw -Wcast-function-type.
    const FARPROC address = ::GetProcAddress(AsModule(handle_), name);
    void *symbol = nullptr;
    static_assert(sizeof symbol == sizeof address);
    std::memcpy(&symbol, &address, sizeof symbol);
    return symbol;
}

}  // namespace hostsim

#endif
