// Reading and writing a history file, with the look of the file read and the
// stamp of the file written, and splitting bytes held in memory as the file
// would be (for the fuzz target). The store's steps, pending records and
// hosts use them; CursorList::LoadFromFile and SaveToFile are the same
// without the look.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "text/cursor_list.h"

enum class LoadResult {
    Loaded,
    Missing,
    Busy,        // another program holds the file, or writes it (Windows), now
    Unreadable,  // anything else: no permission, not a regular file, too large
};

// Replaces the list with the file's entries; on any failure the list is left
// as it was. On success, look is the file's as it was opened, and cut tells
// whether its last line has no line break.
[[nodiscard]] LoadResult LoadHistoryFile(CursorList &list, const char *path,
                                         platform::FileLook &look, bool &cut);
[[nodiscard]] inline LoadResult LoadHistoryFile(CursorList &list, const char *path,
                                                platform::FileLook &look) {
    bool cut = false;
    return LoadHistoryFile(list, path, look, cut);
}
[[nodiscard]] inline LoadResult LoadHistoryFile(CursorList &list, const char *path,
                                                platform::FileStamp &stamp) {
    platform::FileLook look;
    const LoadResult result = LoadHistoryFile(list, path, look);
    if (result == LoadResult::Loaded) stamp = look.stamp;
    return result;
}

// Replaces the list with the entries that size bytes hold, split exactly as
// a file of those bytes is when loaded. For checking the loader without a
// file; running out of memory leaves the list as it was.
void LoadHistoryBytes(CursorList &list, const char *bytes, std::int32_t size);

// Replaces the file with the list's entries, only if it is still the file
// the look found there (or none, where it found none); on Saved, stamp is
// the new file's, and after a failed rewrite in place the file's as it was
// put back (all zero where unknown). A file the loader would refuse, over
// WholeFile::kLargestSize, is not written. access: the history's access
// list, kept between saves (platform::FileReplacement).
[[nodiscard]] platform::SaveOutcome SaveHistoryFile(
    const CursorList &list, const char *path, const platform::FileLook &replaced,
    platform::FileStamp &stamp, platform::AccessList *access = nullptr,
    platform::Patience patience = platform::Patience::Brief);

// The same for a list whose last entry was just recorded: the older entries
// of its file leave the list in the walk that writes the lines, so that a
// recording walks a long history once. Should the file not be opened, they
// stay; the caller removes them then.
[[nodiscard]] platform::SaveOutcome SaveRecordedHistoryFile(CursorList &list, const char *path,
                                                            const platform::FileLook &replaced,
                                                            platform::FileStamp &stamp,
                                                            platform::AccessList *access = nullptr);
