// Windows: paths between the code page of file names and the wide calls.
#pragma once

#ifdef _WIN32

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The full path, converted from the code page of file names, behind "\\?\"
// (behind "\\?\UNC\" for a share): the form in which the wide calls take a
// path past the 259 bytes of the ANSI calls. Empty when it cannot be made.
[[nodiscard]] std::wstring LongWidePath(const char *path) noexcept;

// A wide path in the code page of file names, where it converts back to the
// very same characters and the ANSI calls take its length; empty otherwise.
// A character that code page lacks would turn into '?' or a look-alike,
// which names another file or none.
[[nodiscard]] std::string NarrowPath(std::wstring_view path);

// A path in the system's own form, \\?\C:\... or \\?\UNC\server\share\..., in
// the usual one; empty for another (a volume without a letter).
[[nodiscard]] std::wstring UsualForm(std::wstring_view path);

// Where a symbolic link leads, from the reparse data read from it: the
// usual form of an absolute target, or a relative one taken from the link's
// folder. Empty for any other reparse point or data out of shape.
[[nodiscard]] std::wstring LinkTarget(std::wstring_view link, const void *data, std::size_t size);

}  // namespace platform

#endif
