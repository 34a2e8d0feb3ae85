// Test support for the history store: the list as plain strings, and a list
// filled from them.
#pragma once

#include <string>
#include <vector>

#include "text/cursor_list.h"

inline std::vector<std::string> Entries(const CursorList &list) {
    std::vector<std::string> entries;
    for (const ListNode *n = list.first; n; n = n->next) entries.emplace_back(n->text.buf, n->text.len);
    return entries;
}

inline void SetEntries(CursorList &list, const std::vector<std::string> &entries) {
    list.Clear();
    for (const std::string &e : entries) list.AppendBytes(e.data(), static_cast<std::int32_t>(e.size()));
}
