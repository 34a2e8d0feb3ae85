// A list's texts as plain strings, first to last, for comparing in tests.
#pragma once

#include <string>
#include <vector>

#include "text/cursor_list.h"

inline std::vector<std::string> Entries(const CursorList &list) {
    std::vector<std::string> entries;
    for (const ListNode *n = list.first; n; n = n->next)
        entries.emplace_back(n->text.buf, static_cast<std::size_t>(n->text.len));
    return entries;
}
