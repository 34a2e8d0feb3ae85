// The floor of a save: the fewest calls that replace a file safely, as a
// baseline for the plug-in's saves.
#pragma once

#include <string>

// Writes the bytes to a new file beside `path` in one write, flushes it to
// disk, closes it and renames it over `path`, written through (on POSIX,
// the folder flushed). False when a call failed.
[[nodiscard]] bool SafeSave(const std::string &bytes, const std::string &path);
