// Fuzz target: arbitrary bytes as a history file must load, save and load
// again to the same entries, and load as the line rules say.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fault.h"
#include "text/cursor_list.h"
#include "text/whole_file.h"

namespace {

std::string folder;  // this process's own, so parallel jobs never share files
std::string input;
std::string output;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

[[noreturn]] void Fail(const char *what) {
    std::fprintf(stderr, "history_fuzz: %s\n", what);
    RemoveFolder();  // libFuzzer keeps the input as the crash artifact
    std::abort();
}

// The entries the line rules give: a line ends at CR, LF or CR LF, bytes
// after the last break form one more entry, and a NUL ends its entry's text.
// Plain on purpose: the loader scans differently.
std::vector<std::string_view> ExpectedEntries(std::string_view bytes) {
    std::vector<std::string_view> entries;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        const bool end = i == bytes.size();
        if (!end && bytes[i] != '\r' && bytes[i] != '\n') continue;
        if (end && start == i) break;
        std::string_view line = bytes.substr(start, i - start);
        entries.push_back(line.substr(0, line.find('\0')));
        if (!end && bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return entries;
}

bool SameEntries(const CursorList &a, const CursorList &b) {
    if (a.count != b.count) return false;
    for (const ListNode *x = a.first, *y = b.first; x; x = x->next, y = y->next) {
        if (!x->text.Equals(y->text)) return false;
    }
    return true;
}

// Writes the bytes as the input file, loads it, and checks the entries
// against the line rules.
void LoadAndCheck(std::string_view bytes, CursorList &loaded) {
    std::FILE *file = std::fopen(input.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0)
        Fail("cannot write the input file");

    if (!loaded.LoadFromFile(input.c_str())) Fail("input did not load");
    const std::vector<std::string_view> expected = ExpectedEntries(bytes);
    if (static_cast<std::size_t>(loaded.count) != expected.size()) Fail("wrong entry count");
    std::size_t i = 0;
    for (const ListNode *node = loaded.first; node; node = node->next, ++i) {
        const DynString &text = node->text;
        if (std::string_view(text.buf, static_cast<std::size_t>(text.len)) != expected[i] ||
            text.buf[text.len] != '\0' || text.cap != text.len + text.len / 4 + 1)
            Fail("entry differs from the line rules");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    platform::fault::SetDiskFlush(false);  // thousands of saves a second
    std::string pattern = std::filesystem::temp_directory_path().string() + "/quorvel-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) Fail("cannot create a temporary folder");
    folder = pattern;
    input = folder + "/input.ini";
    output = folder + "/output.ini";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    CursorList loaded;
    LoadAndCheck(bytes, loaded);

    // Again with the input placed across the end of the first read block,
    // where the loader carries a line over to the next block.
    CursorList straddling;
    const std::size_t before = size > 0 ? data[0] % 16 : 0;
    LoadAndCheck(std::string(WholeFile::kBlockSize - before, 'x') + std::string(bytes), straddling);

    if (!loaded.SaveToFile(output.c_str())) Fail("save failed");
    CursorList reloaded;
    if (!reloaded.LoadFromFile(output.c_str())) Fail("saved file did not load");
    if (!SameEntries(loaded, reloaded)) Fail("reloaded list differs from the saved one");
    return 0;
}
