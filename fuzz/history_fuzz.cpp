// Fuzz target: arbitrary bytes as a history must load as the line rules say,
// also when they straddle the loader's block boundary. Loaded from memory, by
// the file loader's own splitting; history_file_fuzz goes through real files.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "history/history_file.h"
#include "text/cursor_list.h"
#include "text/whole_file.h"

namespace {

// Bytes that fill the first block up to the input: one line whose text a NUL
// ends at once, so it is an empty entry and no input pays for copying it.
std::string Pad() {
    std::string pad(WholeFile::kBlockSize, '\0');
    pad.back() = '\n';
    return pad;
}
// The pad, then each input in turn; the pad is written once.
std::string padded = Pad();

// The entries the line rules give: a line ends at CR, LF or CR LF, bytes
// after the last break form one more entry, and a NUL ends its entry's text.
// Plain on purpose: the loader scans differently. Into entries, which keeps
// its room from one input to the next.
NOT_STEERING void ExpectedEntries(std::string_view bytes, std::vector<std::string_view> &entries) {
    entries.clear();
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
}

// Checks the loaded entries, after skip empty ones, against the expected.
NOT_STEERING void CheckEntries(const CursorList &loaded,
                               const std::vector<std::string_view> &expected, std::size_t skip) {
    if (static_cast<std::size_t>(loaded.count) != skip + expected.size())
        Fail("wrong entry count");
    std::size_t i = 0;
    for (const ListNode *node = loaded.first; node; node = node->next, ++i) {
        const DynString &text = node->text;
        const std::string_view want = i < skip ? std::string_view() : expected[i - skip];
        if (std::string_view(text.buf, static_cast<std::size_t>(text.len)) != want ||
            text.buf[text.len] != '\0' || text.cap != text.len + text.len / 4 + 1)
            Fail("entry differs from the line rules");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > 1024 * 1024) return -1;  // far below the loader's 2 GiB limit
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    static std::vector<std::string_view> expected;
    ExpectedEntries(bytes, expected);
    CursorList loaded;
    LoadHistoryBytes(loaded, bytes.data(), static_cast<std::int32_t>(size));
    CheckEntries(loaded, expected, 0);

    // Again with the first block ending after the input's first few bytes,
    // where the loader carries a line, a CR LF or a NUL over to the next.
    const std::size_t before = size > 0 ? data[0] % 16 : 0;
    padded.resize(WholeFile::kBlockSize);
    padded += bytes;
    const std::string_view straddling = std::string_view(padded).substr(before);
    CursorList carried;
    LoadHistoryBytes(carried, straddling.data(), static_cast<std::int32_t>(straddling.size()));
    CheckEntries(carried, expected, 1);

    return 0;
}
