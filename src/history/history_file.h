// Reading and writing the history file, with the stamp of the file read or
// written, and splitting bytes held in memory as the file would be (for the
// fuzz target). Internal to the history store; CursorList::LoadFromFile and
// SaveToFile are the same without the stamp.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "text/cursor_list.h"

enum class LoadResult { Loaded, Missing, Unreadable };

// Replaces the list with the file's entries; on any failure the list is left
// as it was. On success, stamp is the file's as it was opened.
[[nodiscard]] LoadResult LoadHistoryFile(CursorList &list, const char *path,
                                         platform::FileStamp &stamp);

// Replaces the list with the entries that size bytes hold, split exactly as
// a file of those bytes is when loaded. For checking the loader without a
// file; running out of memory leaves the list as it was.
void LoadHistoryBytes(CursorList &list, const char *bytes, std::int32_t size);

// Replaces the file with the list's entries, only if it is still the file
// the expected stamp names (all zero: no file); on Saved, stamp is the new
// file's. A file the loader would refuse, over WholeFile::kLargestSize, is
// not written. The file's lock, when held, sees the save's progress
// (platform::FileReplacement).
[[nodiscard]] platform::SaveOutcome SaveHistoryFile(const CursorList &list, const char *path,
                                                    const platform::FileStamp &expected,
                                                    platform::FileStamp &stamp,
                                                    platform::FileLock *lock = nullptr);

// The same for a list whose last entry was just recorded: the older entries
// of its file leave the list in the walk that writes the lines, so that a
// recording walks a long history once. Should the file not be opened, they
// stay; the caller removes them then.
[[nodiscard]] platform::SaveOutcome SaveRecordedHistoryFile(CursorList &list, const char *path,
                                                            const platform::FileStamp &expected,
                                                            platform::FileStamp &stamp,
                                                            platform::FileLock *lock = nullptr);
