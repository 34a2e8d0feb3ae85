// Windows: a path of the ANSI code page in the form the wide calls take at
// any length.
#pragma once

#ifdef _WIN32

#include <string>

namespace platform {

// The full path, converted from the ANSI code page, behind "\\?\" (behind
// "\\?\UNC\" for a share): the form in which the wide calls take a path
// past the 259 bytes of the ANSI calls. Empty when it cannot be made.
[[nodiscard]] std::wstring LongWidePath(const char *path) noexcept;

}  // namespace platform

#endif
