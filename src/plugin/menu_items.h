// The history menu's items: the entries whose lower-cased text holds the
// filter, in history order, each shown by at most its last 127 bytes, and the
// history position behind each item.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_interface.h"
#include "text/dyn_string.h"

class MenuItems {
public:
    // Takes HistoryList's entries as they are now, for the builds that
    // follow; again after every change to the history. The arrays grow when
    // the history has: a trim or purge works on the file as it is then, to
    // which other copies may have added entries since the menu opened.
    void TakeHistory();
    // Rebuilds the items from every entry taken; an empty filter lets every
    // entry through. Returns the number of items.
    std::int32_t Build(const DynString &filter);
    // Keeps the items whose entries hold `filter`, which is the filter of
    // the last build or narrowing with bytes added at its end, so no other
    // entry can hold it. When no item would remain, the items stay as they
    // are and 0 is returned.
    std::int32_t Narrow(const DynString &filter);

    // Highlights that item alone; a position outside the items highlights none.
    void Highlight(std::int32_t item) noexcept;

    [[nodiscard]] const MenuItemRecord *Items() const noexcept { return items_.data(); }
    [[nodiscard]] std::int32_t Count() const noexcept { return count_; }
    [[nodiscard]] std::int32_t HistoryPosition(std::int32_t item) const noexcept {
        return positions_[static_cast<std::size_t>(item)];
    }

private:
    struct Entry {
        const char *text;
        std::int32_t length;
    };
    // Asks for an entry's first bytes ahead of the search (a path's first
    // 128 bytes: two cache lines).
    static void Prefetch(const Entry &entry) noexcept {
        __builtin_prefetch(entry.text);
        if (entry.length > 64) __builtin_prefetch(entry.text + 64);
    }
    [[nodiscard]] const Entry &EntryAt(std::int32_t position) const noexcept {
        return entries_[static_cast<std::size_t>(position)];
    }
    // An array, not the list: a walk from node to node waits for each load.
    std::vector<Entry> entries_;
    std::vector<MenuItemRecord> items_;
    std::vector<std::int32_t> positions_;  // also the entries a narrowing tests
    std::int32_t count_ = 0;
    std::int32_t highlighted_ = -1;
};
