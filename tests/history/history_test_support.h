// Test support for the history store: the list as plain strings, and a list
// filled from them.
#pragma once

#include <string>
#include <vector>

#include "support/list_entries.h"
#include "text/cursor_list.h"

inline void SetEntries(CursorList &list, const std::vector<std::string> &entries) {
    list.Clear();
    for (const std::string &e : entries)
        list.AppendBytes(e.data(), static_cast<std::int32_t>(e.size()));
}
