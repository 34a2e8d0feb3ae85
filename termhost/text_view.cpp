// Reading a file into lines and drawing the visible ones.
#include "text_view.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "key_codes.h"
#include "list_view.h"
#include "text_width.h"
#include "theme.h"

namespace termhost {
namespace {

constexpr std::size_t kMaxBytes = 16u << 20;  // a viewer, not a pager for huge files
constexpr int kTabSize = 8;
constexpr int kSideStep = 8;  // columns per Left or Right
constexpr int kMaxLeft = 4096;

}  // namespace

TextView::TextView(std::string path) : path_(std::move(path)) {
    std::error_code failure;
    if (std::filesystem::is_directory(path_, failure)) {
        note_ = "a folder, not a file";
        return;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        note_ = std::string("cannot read it: ") + std::strerror(errno);
        return;
    }
    content_.resize(kMaxBytes + 1);
    in.read(content_.data(), static_cast<std::streamsize>(content_.size()));
    content_.resize(static_cast<std::size_t>(in.gcount()));
    if (content_.size() > kMaxBytes) {
        content_.resize(kMaxBytes);
        note_ = "only its first 16 MiB are shown";
    }
    for (std::size_t start = 0; start < content_.size();) {
        lineStarts_.push_back(start);
        const std::size_t end = content_.find('\n', start);
        start = end == std::string::npos ? content_.size() : end + 1;
    }
}

std::string_view TextView::Line(int i) const {
    const std::size_t start = lineStarts_[static_cast<std::size_t>(i)];
    const std::size_t next = i + 1 < LineCount() ? lineStarts_[static_cast<std::size_t>(i) + 1]
                                                 : content_.size();
    std::string_view line(content_.data() + start, next - start);
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::string TextView::Status() const {
    std::string status;
    if (LineCount() > 0)
        status = "lines " + std::to_string(top_ + 1) + "-" +
                 std::to_string(std::min(LineCount(), top_ + rows_)) + " of " +
                 std::to_string(LineCount());
    else if (note_.empty())
        status = "empty file";
    if (!note_.empty()) status += (status.empty() ? "" : ", ") + note_;
    return status;
}

void TextView::Draw(const Rect &area) {
    rows_ = std::max(1, area.height);
    top_ = std::clamp(top_, 0, std::max(0, LineCount() - rows_));
    const int digits = static_cast<int>(std::to_string(std::max(1, LineCount())).size());
    const int textX = area.x + digits + 2;
    const int textWidth = std::max(0, area.width - digits - 2);
    for (int row = 0; row < area.height; ++row) {
        const int i = top_ + row;
        const int y = area.y + row;
        if (i >= LineCount()) {
            PutText(y, area.x, "", area.width, A_NORMAL);
            continue;
        }
        const std::string number = std::to_string(i + 1);
        PutText(y, area.x, std::string(static_cast<std::size_t>(digits) - number.size(), ' ') + number,
                digits + 1, NumberAttr());
        PutText(y, area.x + digits + 1, " ", 1, A_NORMAL);
        const std::string text = Printable(Line(i), kTabSize);
        const std::size_t skip = FitBytes(text, left_);
        PutText(y, textX, std::string_view(text).substr(skip), textWidth, A_NORMAL);
    }
}

void TextView::HandleKey(int keyCode) {
    if (const auto move = MoveForKey(keyCode)) top_ = ScrollText(LineCount(), rows_, top_, *move);
    if (keyCode == vk::kLeft) left_ = std::max(0, left_ - kSideStep);
    if (keyCode == vk::kRight) left_ = std::min(kMaxLeft, left_ + kSideStep);
}

}  // namespace termhost
