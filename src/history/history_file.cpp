// The history file format: one entry per line, CR LF line ends, no header.
#include <vector>

#include "platform/platform.h"
#include "text/cursor_list.h"

namespace {

// Collects small writes into large ones.
class BufferedWriter {
public:
    explicit BufferedWriter(platform::FileReplacement &out) : out_(out) { buffer_.reserve(kSize); }

    bool Put(const char *bytes, std::size_t size) {
        if (buffer_.size() + size > kSize && !Flush()) return false;
        if (size >= kSize) return out_.Write(bytes, size);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        return true;
    }

    bool Flush() {
        const bool ok = out_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }

private:
    static constexpr std::size_t kSize = 64 * 1024;
    platform::FileReplacement &out_;
    std::vector<char> buffer_;
};

}  // namespace

int CursorList::LoadFromFile(const char *path) {
    DynString bytes;
    if (!bytes.ReadWholeFile(path)) return 0;
    // Built aside and swapped in: running out of memory halfway leaves the
    // list as it was, never a shortened list that a save would write out.
    CursorList fresh;
    const char *p = bytes.buf;
    const std::int32_t n = bytes.len;
    std::int32_t start = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        if (p[i] != '\r' && p[i] != '\n') continue;
        fresh.AppendBytes(p + start, i - start);
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
        start = i + 1;
    }
    // A last line without a break is an entry too, so a hand-written file
    // with one name in it is not emptied by the next save.
    if (start < n) fresh.AppendBytes(p + start, n - start);
    TakeFrom(fresh);
    return 1;
}

int CursorList::SaveToFile(const char *path) const {
    platform::FileReplacement out(path);
    if (!out.IsOpen()) return 0;
    BufferedWriter writer(out);
    bool ok = true;
    for (const ListNode *node = first; node && ok; node = node->next) {
        ok = writer.Put(node->text.buf, static_cast<std::size_t>(node->text.len)) &&
             writer.Put("\r\n", 2);
    }
    if (!ok || !writer.Flush()) return 0;  // the old file stays as it was
    return out.Commit() ? 1 : 0;
}
