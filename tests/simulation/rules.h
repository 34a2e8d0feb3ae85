// The rules the simulation holds the plug-in to, stated plainly and apart
// from the plug-in's code: how names are kept and compared, how the history
// file reads and writes, how the menu lists and narrows, and what a trim
// answer means.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/break_keys.h"

namespace sim {

using Entries = std::vector<std::string>;

#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// A name as the history keeps it: on Windows with "/" made "\".
std::string StoredForm(const std::string &reported);
// What makes two kept names the same file: on Windows ASCII case is ignored.
std::string FileKey(const std::string &stored);
// Whether the name can be one line of the history file.
bool Recordable(const std::string &reported);

// The name becomes the newest entry; older entries for its file go.
void Record(Entries &list, const std::string &stored);
// Each recording in turn, oldest first.
void Replay(Entries &list, const Entries &recordings);

// A line ends at CR, LF or CR LF; bytes after the last break are one more
// entry; a NUL ends its entry's text.
Entries ParseHistory(const std::string &bytes);
std::string HistoryBytes(const Entries &list);

// The number a trim answer starts with: blanks, an optional "+", digits;
// nothing without digits or with a minus sign; beyond INT32_MAX keeps all.
std::optional<std::int32_t> KeepCount(const std::string &answer);

// The menu's break keys, by the index the host reports, from the plug-in's
// one table of them.
inline constexpr int kBackspaceKey = BreakKeyIndex(host::vk::kBackspace),
                     kPurgeKey = BreakKeyIndex(host::vk::kF5),
                     kTrimKey = BreakKeyIndex(host::vk::kDelete);
// The character a key adds to the filter, or 0 for the editing keys.
char KeyCharacter(int index);

// What the menu shows for a filter. A filter that matches nothing loses its
// last bytes until one does.
struct Listing {
    std::vector<std::string> texts;  // each entry's last 127 bytes at most
    std::vector<int> positions;      // the entry behind each item
};
Listing ListFor(const Entries &list, std::string &filter);

}  // namespace sim
