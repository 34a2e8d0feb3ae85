// Reading a file into lines and drawing the visible ones.
#include "termhost/text_view.h"

#include <algorithm>
#include <cstdlib>

#include "platform/platform.h"
#include "termhost/key_codes.h"
#include "termhost/list_view.h"
#include "termhost/read_problem.h"
#include "termhost/text_width.h"
#include "termhost/theme.h"

namespace termhost {
namespace {

constexpr std::size_t kMaxBytes = 16u << 20;  // a viewer, not a pager for huge files
constexpr int kTabSize = 8;
constexpr int kSideStep = 8;  // columns per Left or Right

}  // namespace

bool ReadForEditor(const std::string &path, EditorText &text, std::string &problem) {
    platform::FileReader file(path.c_str());
    if (file.Missing()) {
        text = {{}, "new file"};  // as the editors of file managers open one
        return true;
    }
    // The bytes the file had when it was opened: one that grows meanwhile
    // shows as it was.
    const auto size = static_cast<std::uint64_t>(file.IsOpen() ? file.Stamp().size : 0);
    text.content.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxBytes)));
    if (!file.IsOpen() || !file.Read(text.content.data(), text.content.size())) {
        problem = ReadProblem(path);
        return false;
    }
    if (size > kMaxBytes) text.note = "first 16 MiB shown";
    return true;
}

std::string EditorRefusal(const std::string &path) {
    const platform::FileReader file(path.c_str());
    return file.IsOpen() || file.Missing() ? std::string() : ReadProblem(path);
}

TextView::TextView(std::string path, EditorText text)
    : path_(std::move(path)), content_(std::move(text.content)), note_(std::move(text.note)) {
    for (std::size_t start = 0; start < content_.size();) {
        lineStarts_.push_back(start);
        const std::size_t end = content_.find('\n', start);
        start = end == std::string::npos ? content_.size() : end + 1;
    }
}

std::string_view TextView::Line(int i) const {
    const std::size_t start = lineStarts_[static_cast<std::size_t>(i)];
    const std::size_t next =
        i + 1 < LineCount() ? lineStarts_[static_cast<std::size_t>(i) + 1] : content_.size();
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
    // Only what can show is made printable: a line may be megabytes long.
    const auto visibleBytes = static_cast<std::size_t>(left_ + textWidth + 1) * MB_CUR_MAX;
    std::vector<std::string> texts;
    int widest = 0;
    for (int i = top_; i < top_ + area.height && i < LineCount(); ++i) {
        texts.push_back(Printable(Line(i).substr(0, visibleBytes), kTabSize));
        widest = std::max(widest, DisplayWidth(texts.back()));
    }
    // Sideways no further than the longest line in sight goes.
    left_ = std::min(left_, std::max(0, widest - textWidth));
    for (int row = 0; row < area.height; ++row) {
        const int i = top_ + row;
        const int y = area.y + row;
        if (i >= LineCount()) {
            PutText(y, area.x, "", area.width, A_NORMAL);
            continue;
        }
        const std::string number = std::to_string(i + 1);
        PutText(y, area.x,
                std::string(static_cast<std::size_t>(digits) - number.size(), ' ') + number,
                digits + 1, NumberAttr());
        PutText(y, area.x + digits + 1, " ", 1, A_NORMAL);
        const std::string_view line = Line(i);
        const std::string &text = texts[static_cast<std::size_t>(row)];
        const std::size_t skip = FitBytes(text, left_);
        PutText(y, textX, std::string_view(text).substr(skip), textWidth, A_NORMAL);
        // Marks where a line goes on beyond the edges, so that no cut passes for its end.
        const int width = DisplayWidth(text);
        if (textWidth > 1 && left_ > 0 && width > 0)
            PutText(y, textX, Utf8Locale() ? "\xC2\xAB" : "<", 1, NumberAttr());
        if (textWidth > 1 && (width > left_ + textWidth || line.size() > visibleBytes))
            PutText(y, textX + textWidth - 1, Utf8Locale() ? "\xC2\xBB" : ">", 1, NumberAttr());
    }
}

void TextView::HandleKey(int keyCode) {
    if (const auto move = MoveForKey(keyCode)) top_ = ScrollText(LineCount(), rows_, top_, *move);
    if (keyCode == vk::kLeft) left_ = std::max(0, left_ - kSideStep);
    if (keyCode == vk::kRight) left_ += kSideStep;  // as far as Draw lets it
    if (keyCode == vk::kHome) left_ = 0;
}

}  // namespace termhost
