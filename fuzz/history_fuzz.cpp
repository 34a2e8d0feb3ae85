// Fuzz target: arbitrary bytes as a history must load as the line rules say,
// also when they straddle the loader's block boundary. Loaded from memory, by
// the file loader's own splitting; history_file_fuzz goes through real files.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "history/history_file.h"
#include "text/cursor_list.h"
#include "text/whole_file.h"

namespace {

// What stands before an input, so that the first block ends after the
// input's first 0 to 15 bytes: a line whose text a NUL ends at once (an empty
// entry, cheap to load), then head bytes without a break. The input's first
// line goes on from those: with a long head it is the one long entry, its
// text carried over into the next block.
std::string Pad(std::size_t head) {
    std::string pad(WholeFile::kBlockSize, 'x');
    std::fill_n(pad.begin(), WholeFile::kBlockSize - head - 1, '\0');
    pad[WholeFile::kBlockSize - head - 1] = '\n';
    return pad;
}
constexpr std::size_t kLongHead = 4 * 1024;  // past what entries share slabs for
// Each pad, then the input in turn; a pad is written once.
std::string padded[2] = {Pad(0), Pad(kLongHead)};

// The entries the line rules give: a line ends at CR, LF or CR LF, bytes
// after the last break form one more entry, and a NUL ends its entry's text.
// Plain on purpose: the loader scans differently. Into entries, which keeps
// its room from one input to the next.
NOT_STEERING void ExpectedEntries(std::string_view bytes, std::vector<std::string_view> &entries) {
    entries.clear();
    const char *start = bytes.data();
    const char *const end = bytes.data() + bytes.size();
    for (const char *p = start; p <= end; ++p) {
        const bool last = p == end;
        if (!last && *p != '\r' && *p != '\n') continue;
        if (last && p == start) break;
        const char *nul = std::find(start, p, '\0');
        entries.emplace_back(start, static_cast<std::size_t>(nul - start));
        if (!last && *p == '\r' && p + 1 < end && p[1] == '\n') ++p;
        start = p + 1;
    }
}

// Checks that the list holds the pad's empty entry, if there was a pad, then
// the expected ones, the first led by the pad's head.
NOT_STEERING void CheckEntries(const CursorList &loaded,
                               const std::vector<std::string_view> &expected, bool afterPad,
                               std::string_view head) {
    const std::size_t pad = afterPad ? 1 : 0;
    const std::size_t count = expected.empty() && !head.empty() ? 1 : expected.size();
    if (static_cast<std::size_t>(loaded.count) != pad + count) Fail("wrong entry count");
    std::size_t i = 0;
    for (const ListNode *node = loaded.first; node; node = node->next, ++i) {
        const DynString &text = node->text;
        std::string_view got(text.buf, static_cast<std::size_t>(text.len));
        if (i == pad && !got.starts_with(head)) Fail("first entry lost its start");
        if (i == pad) got.remove_prefix(head.size());
        const std::string_view want =
            i < pad || i - pad >= expected.size() ? "" : expected[i - pad];
        if (got != want || text.buf[text.len] != '\0' || text.cap != text.len + text.len / 4 + 1)
            Fail("entry differs from the line rules");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > 1024 * 1024) return -1;  // far below the loader's 2 GiB limit
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    static std::vector<std::string_view> expected;
    ExpectedEntries(bytes, expected);

    // The first byte chooses whether the input is a file of its own, as
    // most histories are, under one block, which is cheap to load;
    const std::uint8_t choice = size > 0 ? data[0] : 0;
    if (choice & 32) {
        CursorList loaded;
        LoadHistoryBytes(loaded, bytes.data(), static_cast<std::int32_t>(size));
        CheckEntries(loaded, expected, false, "");
        return 0;
    }
    // or where the first block ends, 0 to 15 bytes into the input (at 0 the
    // input starts the next block, as a file starts the first), and whether
    // a long line runs on into the input.
    const std::size_t before = choice % 16;
    const std::size_t head = choice & 16 ? kLongHead : 0;
    std::string &input = padded[head ? 1 : 0];
    input.resize(WholeFile::kBlockSize);
    input += bytes;
    const std::string_view placed = std::string_view(input).substr(before);
    CursorList loaded;
    LoadHistoryBytes(loaded, placed.data(), static_cast<std::int32_t>(placed.size()));
    CheckEntries(loaded, expected, true,
                 placed.substr(WholeFile::kBlockSize - before - head, head));
    return 0;
}
