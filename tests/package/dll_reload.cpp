// Loads and frees the DLL many times in one process, as a host that loads
// its plug-ins on demand does, and checks that each load gives back all it
// took: dll_reload DLL LOADS. Each load records a file and shows the menu
// through the exports. Exits 0 when the DLL left the process at each free;
// the next free thread-local slot, the heap's bytes in use and the private
// memory committed are the same after as before, and the handles open are
// at most one more per load (see below); and one more load still records
// and lists the history.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "hostsim/host.h"
#include "support/temp_dir.h"

namespace {

struct Resources {
    DWORD nextTlsSlot = 0;
    long handles = 0;
    SIZE_T heapBytes = 0;     // in use, over every heap of the process
    SIZE_T privateBytes = 0;  // committed, the process's own
};

DWORD NextTlsSlot() {
    const DWORD slot = ::TlsAlloc();
    ::TlsFree(slot);
    return slot;
}

// Counted one by one: Wine's GetProcessHandleCount reports none.
long HandlesOpen() {
    constexpr std::uintptr_t kHandleValues = 1 << 16;
    long open = 0;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < kHandleValues; value += 4)
        open += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return open;
}

SIZE_T HeapBytesInUse() {
    std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr));
    heaps.resize(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    SIZE_T bytes = 0;
    for (const HANDLE heap : heaps) {
        if (!::HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        ::HeapUnlock(heap);
    }
    return bytes;
}

// Walked region by region: Wine's GetProcessMemoryInfo reports none.
SIZE_T PrivateBytesCommitted() {
    SIZE_T bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char *at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char *>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    return bytes;
}

Resources Measure() {
    return {NextTlsSlot(), HandlesOpen(), HeapBytesInUse(), PrivateBytesCommitted()};
}

void Print(const char *when, const Resources &r) {
    std::printf("%-7s next TLS slot %lu, handles %ld, heap bytes in use %lu, private bytes %lu\n",
                when, r.nextTlsSlot, r.handles, static_cast<unsigned long>(r.heapBytes),
                static_cast<unsigned long>(r.privateBytes));
}

// One load as a host makes it: the DLL is loaded, asked for its menu entry,
// hears of an editor opening, shows its menu (cancelled) and is freed.
// The names the menu listed; nullopt when the load failed.
std::optional<std::vector<std::string>> LoadOnce(const std::string &dll, const std::string &file) {
    hostsim::ScriptedFrontend ui;
    hostsim::Host host(ui);
    std::string error;
    if (!host.LoadPlugin(dll, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return std::nullopt;
    }
    (void)host.GetPluginInfo();
    host.OpenEditorWindow(file);
    (void)host.OpenPlugin();
    std::vector<std::string> listed;
    for (const hostsim::MenuCall &menu : host.CallsOf<hostsim::MenuCall>())
        for (const hostsim::MenuItem item : menu.items) listed.emplace_back(item.text);
    return listed;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dll_reload DLL LOADS\n");
        return 2;
    }
    const long loads = std::strtol(argv[2], nullptr, 10);
    // A copy in a folder of its own, so that its history starts empty.
    TempDir folder;
    const std::string dll = folder.File("quorvel.dll");
    std::filesystem::copy_file(argv[1], dll);

    // A host has the system's security functions loaded as long as it runs;
    // loaded and freed with the plug-in alone, Wine keeps about 500 bytes of
    // them each time, whatever the plug-in does with them.
    if (::LoadLibraryA("advapi32.dll") == nullptr) return 1;
    // The first load in a process makes the system's loader keep a few bytes,
    // whatever the DLL: the figures are taken after it.
    if (!LoadOnce(dll, folder.File("notes.txt"))) return 1;
    const Resources before = Measure();
    for (long i = 0; i < loads; ++i) {
        if (!LoadOnce(dll, folder.File("notes.txt"))) return 1;
        if (::GetModuleHandleA(dll.c_str()) != nullptr) {
            std::fprintf(stderr, "load %ld: the DLL stayed in the process once freed\n", i + 1);
            return 1;
        }
    }
    const Resources after = Measure();
    std::printf("%ld loads and frees\n", loads);
    Print("before", before);
    Print("after", after);
    // Each load leaves one handle that no code in the DLL can reach: the
    // lock that GCC 12's unwinder (libgcc, Win32 thread model) makes as it
    // registers the DLL's unwind tables, and never closes. Any more is ours.
    const long handlesLeft = after.handles - before.handles;
    bool good = after.nextTlsSlot == before.nextTlsSlot && handlesLeft <= loads &&
                after.heapBytes == before.heapBytes && after.privateBytes == before.privateBytes;

    const auto listed = LoadOnce(dll, folder.File("todo.txt"));
    const std::vector<std::string> expected{folder.File("notes.txt"), folder.File("todo.txt")};
    if (listed != expected) {
        std::fprintf(stderr, "the last load did not record and list both files; it listed:\n");
        for (const std::string &name : listed.value_or(std::vector<std::string>{}))
            std::fprintf(stderr, "  %s\n", name.c_str());
        good = false;
    }
    return good ? 0 : 1;
}
