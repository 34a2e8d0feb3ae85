// Fuzz target: the entries that arbitrary bytes load to must save to a real
// file and load from it again to the same entries, with the stamp the save
// reported: the stamp by which a copy tells its own save from another's.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_check.h"
#include "history/history_file.h"
#include "platform/fault.h"
#include "text/cursor_list.h"

namespace {

std::string folder;  // this process's own, so parallel jobs never share files
std::string path;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

[[noreturn]] void FailAndCleanUp(const char *what) {
    RemoveFolder();
    Fail(what);
}

NOT_STEERING bool SameEntries(const CursorList &a, const CursorList &b) {
    if (a.count != b.count) return false;
    for (const ListNode *x = a.first, *y = b.first; x; x = x->next, y = y->next) {
        if (!x->text.Equals(y->text)) return false;
    }
    return true;
}

// The file's size: each entry and its CR LF.
NOT_STEERING std::int64_t SavedSize(const CursorList &list) {
    std::int64_t size = 0;
    for (const ListNode *node = list.first; node; node = node->next) size += node->text.len + 2;
    return size;
}

// A folder in memory where there is one: every input is a save and a load.
std::filesystem::path TemporaryBase() {
    std::error_code ignored;
    if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    platform::fault::SetDiskFlush(false);  // thousands of saves a second
    std::string pattern = (TemporaryBase() / "quorvel-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) FailAndCleanUp("cannot create a temporary folder");
    folder = pattern;
    path = folder + "/history.ini";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > 1024 * 1024) return -1;  // far below the loader's 2 GiB limit
    CursorList list;
    LoadHistoryBytes(list, reinterpret_cast<const char *>(data), static_cast<std::int32_t>(size));

    // Each input's file replaces the last one's, as this copy wrote it; the
    // first is a first creation.
    static platform::FileLook previous;
    platform::FileStamp saved;
    if (SaveHistoryFile(list, path.c_str(), previous, saved) != platform::SaveOutcome::Saved)
        FailAndCleanUp("save failed");
    if (saved.size != SavedSize(list)) FailAndCleanUp("saved size differs from the entries'");
    CursorList reloaded;
    if (LoadHistoryFile(reloaded, path.c_str(), previous) != LoadResult::Loaded)
        FailAndCleanUp("saved file did not load");
    if (previous.stamp != saved) FailAndCleanUp("the file loaded is not the one saved");
    if (!SameEntries(list, reloaded)) FailAndCleanUp("reloaded list differs from the saved one");
    return 0;
}
