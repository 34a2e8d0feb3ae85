// Building the history menu's items through the filter.
#include "plugin/menu_items.h"

#include <cstring>

#include "history/history.h"

namespace {

constexpr std::int32_t kShownBytes = sizeof(MenuItemRecord::Text) - 1;

// The item shows the end of a long path: the file's name matters most. The
// whole record is written, so no item keeps bytes of an earlier build.
void FillItem(MenuItemRecord &item, const DynString &entry) {
    const std::int32_t start = entry.len > kShownBytes ? entry.len - kShownBytes : 0;
    const auto shown = static_cast<std::size_t>(entry.len - start);
    std::memcpy(item.Text, entry.buf + start, shown);
    std::memset(item.Text + shown, 0, sizeof item.Text - shown);
    item.Selected = item.Checked = item.Separator = 0;
}

}  // namespace

std::int32_t MenuItems::Build(const DynString &filter) {
    const auto entries = static_cast<std::size_t>(HistoryList.count);
    if (items_.size() < entries) {
        items_.resize(entries);
        positions_.resize(entries);
    }
    count_ = 0;
    std::int32_t position = 0;
    for (const ListNode *node = HistoryList.first; node; node = node->next, ++position) {
        const DynString &entry = node->text;
        if (filter.len > 0) {
            folded_.AssignBytes(entry.buf, entry.len);
            if (folded_.ToLower().Find(filter, 0) < 0) continue;
        }
        // Only the items shown are written: the host reads no further, and
        // clearing the whole array first would double the bytes written.
        FillItem(items_[static_cast<std::size_t>(count_)], entry);
        positions_[static_cast<std::size_t>(count_)] = position;
        ++count_;
    }
    return count_;
}
