// The DLL's entry point. A host may load and free the DLL any number of
// times, so a free must give back all that the load took; the static C++
// runtime keeps one block that only it can free.
#include <windows.h>

namespace __gnu_cxx {
// Frees the C++ runtime's reserve for exceptions thrown when the heap is
// full, which it takes as the DLL loads and otherwise never frees.
void __freeres() noexcept;
}  // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID processEnding) {
    // Runs before the DLL's own destructors, none of which throws. When the
    // process ends, the system takes everything back anyway.
    if (reason == DLL_PROCESS_DETACH && processEnding == nullptr) __gnu_cxx::__freeres();
    return TRUE;
}
