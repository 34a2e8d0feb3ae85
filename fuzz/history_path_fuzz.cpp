// Fuzz target: any library path gives the history path the rules say,
// stated here apart from the code, and never the library's own path.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "history/history_path.h"
#include "platform/platform.h"

namespace {

NOT_STEERING std::string Lowered(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The rules: the same folder and name, with ".ini" in place of the extension.
// It is appended instead when the name has no extension, or has ".ini" in any
// case already. Where the system ignores case, the whole path is lower-cased.
NOT_STEERING std::string ExpectedPath(std::string path) {
    if (platform::kFoldsCase) path = Lowered(path);
    const std::size_t slash = path.find_last_of(std::string{'/', platform::kPathSeparator});
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot >= name && Lowered(path.substr(dot)) != ".ini")
        path.erase(dot);
    return path + ".ini";
}

// Whether the system takes the two for one file.
NOT_STEERING bool SameFile(const std::string &a, const std::string &b) {
    return platform::kFoldsCase ? Lowered(a) == Lowered(b) : a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // A path is a C string: it ends at the first NUL.
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string library(bytes.substr(0, bytes.find('\0')));
    const DynString history = HistoryPathFor(library.c_str());
    const std::string got(history.buf, static_cast<std::size_t>(history.len));
    if (history.buf[history.len] != '\0') Fail("history path not terminated");
    if (got != ExpectedPath(library)) Fail("history path differs from the rules");
    if (SameFile(got, library)) Fail("history path is the library's own");
    return 0;
}
