// How this system names files: the form a name is kept in, and when two
// names are the same file. Windows ignores ASCII case, and a recorded name
// is kept with backslashes for its slashes (an entry written elsewhere with
// slashes is compared as written); elsewhere a name is its exact bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/dyn_string.h"
#include "text/lead_bytes.h"

// The lead bytes of the code page names come in, read once at start-up:
// a letter that is a character's second byte is no letter, and is not
// folded. None before that.
extern LeadBytes NameLeadBytes;

// The name as the history keeps it: on Windows with every "/" made "\".
[[nodiscard]] DynString StoredName(const char *reported);

// Whether two byte runs are equal when the letters A to Z count as a to z
// (every other byte exact).
[[nodiscard]] bool EqualIgnoringAsciiCase(const char *a, std::int32_t aLength, const char *b,
                                          std::int32_t bLength) noexcept;

// Whether two kept names are the same file: on Windows ignoring the case of
// A to Z in characters of one byte (every other byte exact), elsewhere byte
// for byte.
[[nodiscard]] bool SameFile(const char *a, std::int32_t aLength, const char *b,
                            std::int32_t bLength) noexcept;
[[nodiscard]] inline bool SameFile(const DynString &a, const DynString &b) noexcept {
    return SameFile(a.buf, a.len, b.buf, b.len);
}

// A key equal for two kept names exactly when they are the same file.
[[nodiscard]] std::string FileKey(std::string_view name);
