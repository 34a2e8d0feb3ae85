// Kept form and sameness of file names on this system.
#include "history/file_names.h"

#include <cstring>

#include "platform/platform.h"

namespace {

// Where a backslash separates names a slash does too; names keep backslashes.
constexpr bool kBothSlashes = platform::kPathSeparator == '\\';

}  // namespace

DynString StoredName(const char *reported) {
    DynString name(reported);
    if (kBothSlashes) name.ReplaceAll("/", "\\");
    return name;
}

bool EqualIgnoringAsciiCase(const char *a, std::int32_t aLength, const char *b,
                            std::int32_t bLength) noexcept {
    if (aLength != bLength) return false;
    // From the end: paths in a history share their folders and differ in
    // their names, so a difference shows within a few bytes.
    for (std::int32_t i = aLength - 1; i >= 0; --i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

bool SameFile(const char *a, std::int32_t aLength, const char *b, std::int32_t bLength) noexcept {
    if (platform::kFoldsCase) return EqualIgnoringAsciiCase(a, aLength, b, bLength);
    if (aLength != bLength) return false;
    return aLength == 0 || std::memcmp(a, b, static_cast<std::size_t>(aLength)) == 0;
}

std::string FileKey(std::string_view name) {
    std::string key(name);
    if (platform::kFoldsCase)
        for (char &c : key) c = FoldAscii(c);
    return key;
}
