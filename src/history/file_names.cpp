// Kept form and sameness of file names on this system.
#include "history/file_names.h"

#include <cstring>

#include "platform/platform.h"

namespace {

// Where a backslash separates names a slash does too; names keep backslashes.
constexpr bool kBothSlashes = platform::kPathSeparator == '\\';

// Of two names equal but for the case of A to Z: whether their characters'
// second bytes are the same, case and all. Their lead bytes are, as the
// fold leaves them alone.
bool SameSecondBytes(const char *a, const char *b, std::int32_t length) noexcept {
    if (!NameLeadBytes.Any()) return true;
    for (std::int32_t i = 0; i + 1 < length; ++i) {
        if (!NameLeadBytes.Lead(a[i])) continue;
        ++i;
        if (a[i] != b[i]) return false;
    }
    return true;
}

}  // namespace

constinit LeadBytes NameLeadBytes;

DynString StoredName(const char *reported) {
    DynString name(reported);
    // No character's second byte is a slash: they are 0x40 and up.
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
    if (platform::kFoldsCase)
        return EqualIgnoringAsciiCase(a, aLength, b, bLength) && SameSecondBytes(a, b, aLength);
    if (aLength != bLength) return false;
    return aLength == 0 || std::memcmp(a, b, static_cast<std::size_t>(aLength)) == 0;
}

std::string FileKey(std::string_view name) {
    std::string key(name);
    if (platform::kFoldsCase)
        NameLeadBytes.ToLower(key.data(), static_cast<std::int32_t>(key.size()));
    return key;
}
