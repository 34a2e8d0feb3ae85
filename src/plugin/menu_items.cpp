// Building the history menu's items through the filter, and narrowing them.
#include "plugin/menu_items.h"

#include <cstring>

#include "history/file_names.h"
#include "history/history.h"
#include "plugin/folded_search.h"

namespace {

constexpr std::int32_t kShownBytes = sizeof(MenuItemRecord::Text) - 1;

// The item shows the end of a long path: the file's name matters most. The
// whole record is written, so no item keeps bytes of an earlier build.
void FillItem(MenuItemRecord &item, const char *text, std::int32_t length) {
    std::int32_t start = length > kShownBytes ? length - kShownBytes : 0;
    // Nor does it begin with the second byte of a character.
    if (!NameLeadBytes.StartsCharacter(text, start)) ++start;
    const auto shown = static_cast<std::size_t>(length - start);
    std::memcpy(item.Text, text + start, shown);
    std::memset(item.Text + shown, 0, sizeof item.Text - shown);
    item.Selected = item.Checked = item.Separator = 0;
}

// Entries lie apart in memory, and a search waits for each one's bytes:
// asking for them this many entries ahead overlaps the waits.
constexpr std::size_t kAhead = 16;

}  // namespace

void MenuItems::TakeHistory() {
    const auto count = static_cast<std::size_t>(HistoryList.count);
    if (items_.size() < count) {
        items_.resize(count);
        positions_.resize(count);
    }
    entries_.resize(count);
    std::size_t at = 0;
    for (const ListNode *node = HistoryList.first; node; node = node->next)
        entries_[at++] = {node->text.buf, node->text.len};
    count_ = 0;  // until the next build
}

std::int32_t MenuItems::Build(const DynString &filter) {
    const FoldedSearch search(filter, NameLeadBytes);
    std::size_t kept = 0;
    for (std::size_t at = 0; at < entries_.size(); ++at) {
        if (at + kAhead < entries_.size()) Prefetch(entries_[at + kAhead]);
        const Entry &entry = entries_[at];
        if (!search.In(entry.text, entry.length)) continue;
        // Only the items shown are written: the host reads no further, and
        // clearing the whole array first would double the bytes written.
        FillItem(items_[kept], entry.text, entry.length);
        positions_[kept++] = static_cast<std::int32_t>(at);
    }
    count_ = static_cast<std::int32_t>(kept);
    return count_;
}

std::int32_t MenuItems::Narrow(const DynString &filter) {
    const FoldedSearch search(filter, NameLeadBytes);
    const auto count = static_cast<std::size_t>(count_);
    std::size_t kept = 0;
    for (std::size_t from = 0; from < count; ++from) {
        if (from + kAhead < count) Prefetch(EntryAt(positions_[from + kAhead]));
        const std::int32_t position = positions_[from];
        const Entry &entry = EntryAt(position);
        if (!search.In(entry.text, entry.length)) continue;
        // An item that keeps its place is already as it should be.
        const std::size_t at = kept++;
        if (at == from) continue;
        FillItem(items_[at], entry.text, entry.length);
        positions_[at] = position;
    }
    // Nothing was written when nothing matched: the items are as they were.
    if (kept > 0) count_ = static_cast<std::int32_t>(kept);
    return static_cast<std::int32_t>(kept);
}

void MenuItems::Highlight(std::int32_t item) noexcept {
    if (highlighted_ >= 0) items_[static_cast<std::size_t>(highlighted_)].Selected = 0;
    highlighted_ = item >= 0 && item < count_ ? item : -1;
    if (highlighted_ >= 0) items_[static_cast<std::size_t>(highlighted_)].Selected = 1;
}
