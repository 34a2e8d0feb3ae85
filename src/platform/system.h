// Internal to the platform layer: the raw system calls behind it, one
// definition per system (system_posix.cpp, system_windows.cpp). Handles are
// file descriptors or HANDLEs; kNoFile is neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::system {

using File = std::intptr_t;
inline constexpr File kNoFile = -1;

enum class Existing { Missing, Writable, ReadOnly, NotAFile };

// The file a path finally names, through any symbolic links.
[[nodiscard]] std::string ResolveLinks(const char *path);
[[nodiscard]] Existing Inspect(const std::string &path);
// Creates a new file that must not exist yet, with the permissions of
// likeFile when that exists. nameTaken tells a clash from other failures.
[[nodiscard]] File CreateExclusive(const std::string &path, const std::string &likeFile,
                                   bool &nameTaken);
[[nodiscard]] File OpenForRewrite(const std::string &path);
[[nodiscard]] bool WriteAll(File file, const void *bytes, std::size_t size);
[[nodiscard]] bool FlushToDisk(File file);
[[nodiscard]] bool Close(File file);
// Puts `from` in place of `to` in one step.
[[nodiscard]] bool Replace(const std::string &from, const std::string &to);
void Remove(const std::string &path);
[[nodiscard]] unsigned long ProcessId();

}  // namespace platform::system
