// Building the history menu's items through the filter, and narrowing them.
#include "plugin/menu_items.h"

#include <cstring>

#include "history/history.h"
#include "plugin/folded_search.h"

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
        entries_.resize(entries);
    }
    const FoldedSearch search(filter);
    std::int32_t kept = 0;
    std::int32_t position = 0;
    for (const ListNode *node = HistoryList.first; node; node = node->next, ++position) {
        const DynString &entry = node->text;
        if (!search.In(entry.buf, entry.len)) continue;
        // Only the items shown are written: the host reads no further, and
        // clearing the whole array first would double the bytes written.
        const auto at = static_cast<std::size_t>(kept++);
        FillItem(items_[at], entry);
        positions_[at] = position;
        entries_[at] = &entry;
    }
    count_ = kept;
    return count_;
}

std::int32_t MenuItems::Narrow(const DynString &filter) {
    const FoldedSearch search(filter);
    std::int32_t kept = 0;
    for (std::int32_t item = 0; item < count_; ++item) {
        const auto from = static_cast<std::size_t>(item);
        const DynString &entry = *entries_[from];
        if (!search.In(entry.buf, entry.len)) continue;
        // An item that keeps its place is already as it should be.
        const auto at = static_cast<std::size_t>(kept++);
        if (at == from) continue;
        FillItem(items_[at], entry);
        positions_[at] = positions_[from];
        entries_[at] = &entry;
    }
    // Nothing was written when nothing matched: the items are as they were.
    if (kept > 0) count_ = kept;
    return kept;
}

void MenuItems::Highlight(std::int32_t item) noexcept {
    if (highlighted_ >= 0) items_[static_cast<std::size_t>(highlighted_)].Selected = 0;
    highlighted_ = item >= 0 && item < count_ ? item : -1;
    if (highlighted_ >= 0) items_[static_cast<std::size_t>(highlighted_)].Selected = 1;
}
