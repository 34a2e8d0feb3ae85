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
    // Rebuilds the items from HistoryList; an empty filter lets every entry
    // through. Returns the number of items. The arrays are sized by the
    // history's count at the first build: the history never grows while a
    // menu runs.
    std::int32_t Build(const DynString &filter);
    // Keeps the items whose entries hold `filter`, which is the filter of
    // the last build or narrowing with bytes added at its end, so no other
    // entry can hold it. The history must not have changed since. When no
    // item would remain, the items stay as they are and 0 is returned.
    std::int32_t Narrow(const DynString &filter);

    // Highlights that item alone; a position outside the items highlights none.
    void Highlight(std::int32_t item) noexcept;

    [[nodiscard]] const MenuItemRecord *Items() const noexcept { return items_.data(); }
    [[nodiscard]] std::int32_t Count() const noexcept { return count_; }
    [[nodiscard]] std::int32_t HistoryPosition(std::int32_t item) const noexcept {
        return positions_[static_cast<std::size_t>(item)];
    }

private:
    std::vector<MenuItemRecord> items_;
    std::vector<std::int32_t> positions_;
    std::vector<const DynString *> entries_;  // behind each item, for narrowing
    std::int32_t count_ = 0;
    std::int32_t highlighted_ = -1;
};
