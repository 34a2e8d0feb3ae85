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
    // through. Returns the number of items.
    std::int32_t Build(const DynString &filter);

    void Select(std::int32_t item) noexcept { items_[static_cast<std::size_t>(item)].Selected = 1; }

    [[nodiscard]] const MenuItemRecord *Items() const noexcept { return items_.data(); }
    [[nodiscard]] std::int32_t Count() const noexcept { return count_; }
    [[nodiscard]] std::int32_t HistoryPosition(std::int32_t item) const noexcept {
        return positions_[static_cast<std::size_t>(item)];
    }

private:
    std::vector<MenuItemRecord> items_;
    std::vector<std::int32_t> positions_;
    std::int32_t count_ = 0;
    DynString folded_;  // one scratch copy for every entry
};
