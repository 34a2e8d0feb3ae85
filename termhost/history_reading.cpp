// Block by block, so that memory stays small whatever the file holds.
#include "termhost/history_reading.h"

#include <algorithm>
#include <vector>

#include "termhost/regular_file.h"

namespace termhost {
namespace {

// Splits blocks of bytes into entries.
class EntrySplitter {
public:
    explicit EntrySplitter(const std::function<void(std::string_view)> &entry) : entry_(entry) {}

    void Feed(const char *bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            const char c = bytes[i];
            const bool pairedLf = afterCr_ && c == '\n';
            afterCr_ = c == '\r';
            if (pairedLf) continue;
            if (c == '\r' || c == '\n') {
                End();
            } else {
                started_ = true;
                if (c == '\0') textEnded_ = true;
                if (!textEnded_ && entry_) text_ += c;
            }
        }
    }

    // A last line without a break is an entry too, unless the limit cut it.
    void Finish(bool cut) {
        if (started_ && !cut) End();
    }

    [[nodiscard]] std::uintmax_t Entries() const { return entries_; }

private:
    void End() {
        ++entries_;
        if (entry_) entry_(text_);
        text_.clear();
        started_ = textEnded_ = false;
    }

    const std::function<void(std::string_view)> &entry_;
    std::string text_;
    std::uintmax_t entries_ = 0;
    bool started_ = false;    // the line has bytes
    bool textEnded_ = false;  // a NUL ended its text
    bool afterCr_ = false;    // the last byte was a CR: an LF next is its pair
};

}  // namespace

HistorySummary ReadHistory(const std::string &path,
                           const std::function<void(std::string_view)> &entry) {
    HistorySummary summary;
    RegularFile file(path);
    if (!file.IsOpen()) {
        summary.missing = file.Missing();
        summary.problem = file.Problem();
        return summary;
    }
    EntrySplitter splitter(entry);
    std::vector<char> block(kReadBlockSize);
    std::size_t total = 0;
    for (;;) {
        // One byte past the limit tells a larger file from one of exactly that size.
        const std::size_t wanted = std::min(block.size(), kHistoryReadLimit + 1 - total);
        const long n = file.Read(block.data(), wanted);
        if (n < 0) {
            summary.problem = file.Problem();
            break;
        }
        if (n == 0) break;
        const auto got = static_cast<std::size_t>(n);
        summary.cut = total + got > kHistoryReadLimit;
        splitter.Feed(block.data(), summary.cut ? kHistoryReadLimit - total : got);
        total += got;
        if (summary.cut) break;
    }
    splitter.Finish(summary.cut || !summary.problem.empty());
    summary.entries = splitter.Entries();
    return summary;
}

std::string Describe(const HistorySummary &summary) {
    if (summary.missing) return "no file yet";
    if (!summary.problem.empty()) return "cannot be read: " + summary.problem;
    const std::string count =
        std::to_string(summary.entries) + (summary.entries == 1 ? " entry" : " entries");
    if (summary.cut) return "at least " + count + " in its first " + kHistoryReadLimitText;
    return count;
}

}  // namespace termhost
