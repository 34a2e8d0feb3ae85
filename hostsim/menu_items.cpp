// A menu's items, read in place or kept.
#include "hostsim/host.h"
#include "text/bounded_length.h"

namespace hostsim {

MenuItems::MenuItems(const MenuItemRecord *records, int count)
    : records_(records), recordCount_(records != nullptr && count > 0 ? count : 0) {}

MenuItems::MenuItems(const MenuItems &other) {
    texts_.reserve(other.texts_.size());
    kept_.reserve(other.size());
    for (std::size_t i = 0; i < other.size(); ++i) Add(other[i]);
}

MenuItems &MenuItems::operator=(const MenuItems &other) {
    if (this != &other) *this = MenuItems(other);
    return *this;
}

void MenuItems::Add(const MenuItem &item) {
    kept_.push_back({texts_.size(), item.text.size(), item.selected, item.checked, item.separator});
    texts_.append(item.text);
}

std::size_t MenuItems::size() const noexcept { return recordCount_ + kept_.size(); }

MenuItem MenuItems::operator[](std::size_t i) const noexcept {
    if (i < recordCount_) {
        const MenuItemRecord &record = records_[i];
        const auto length = static_cast<std::size_t>(BoundedLength(record.Text));
        return {{record.Text, length}, record.Selected, record.Checked, record.Separator};
    }
    const Kept &kept = kept_[i - recordCount_];
    return {
        {texts_.data() + kept.offset, kept.length}, kept.selected, kept.checked, kept.separator};
}

}  // namespace hostsim
