// The history file format: one entry per line, CR LF line ends, no header.
#include "history/history_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "history/file_names.h"
#include "platform/platform.h"
#include "text/cursor_list.h"
#include "text/line_break.h"
#include "text/node_store.h"
#include "text/whole_file.h"

namespace {

// The last save's write buffer, kept for the next.
struct KeptBuffer {
    std::unique_ptr<char[]> buffer;
    std::size_t size = 0;
};
KeptBuffer kept;

// Copies a line's bytes with fixed-size moves the compiler makes inline: a
// call to the C runtime's memcpy costs more than a typical line (three times
// the whole copy under Wine), and a save makes one per entry.
void CopyLine(char *to, const char *from, std::size_t size) noexcept {
    constexpr std::size_t kStep = 16;
    if (size >= kStep) {
        for (std::size_t i = 0; i + kStep <= size; i += kStep) std::memcpy(to + i, from + i, kStep);
        std::memcpy(to + size - kStep, from + size - kStep, kStep);  // the tail, overlapping
    } else if (size >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + size - 8, from + size - 8, 8);
    } else if (size >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + size - 4, from + size - 4, 4);
    } else {
        for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
    }
}

// Collects the file's lines into large writes.
class LineWriter {
public:
    explicit LineWriter(platform::FileReplacement &out) : out_(out) {
        buffer_ = std::move(kept.buffer);
        size_ = kept.size;
        if (!buffer_) {
            buffer_.reset(new char[kFirstSize]);
            size_ = kFirstSize;
        }
    }
    // The buffer is kept for the next save: with a large history, a fresh
    // one each time costs more than the lines (its pages are new to the
    // system each time), most of all under Wine.
    ~LineWriter() {
        kept.buffer = std::move(buffer_);
        kept.size = size_;
    }
    LineWriter(const LineWriter &) = delete;
    LineWriter &operator=(const LineWriter &) = delete;

    // Writes the bytes and a CR LF: on every system, as the file is binary.
    // A line that would take the file past what the loader reads fails, as
    // a full disk does: a file that cannot be read back is never written.
    bool PutLine(const char *bytes, std::size_t size) {
        total_ += size + 2;
        if (total_ > static_cast<std::uint64_t>(WholeFile::kLargestSize)) return false;
        if (used_ + size + 2 > size_) {
            if (!Flush()) return false;
            Grow();
        }
        if (size + 2 > size_) return out_.Write(bytes, size) && out_.Write("\r\n", 2);
        CopyLine(buffer_.get() + used_, bytes, size);
        buffer_[used_ + size] = '\r';
        buffer_[used_ + size + 1] = '\n';
        used_ += size + 2;
        return true;
    }

    bool Flush() {
        const bool ok = out_.Write(buffer_.get(), used_);
        used_ = 0;
        return ok;
    }

private:
    // Doubles an emptied buffer that was found too small, up to its largest;
    // without the memory, writes go on in the buffer there is.
    void Grow() noexcept {
        if (size_ >= kMaxSize) return;
        char *larger = new (std::nothrow) char[size_ * 2];
        if (larger == nullptr) return;
        buffer_.reset(larger);
        size_ *= 2;
    }

    // Few, large writes: each write call costs the file system a fixed amount
    // (its times are updated) besides its bytes. The buffer starts small and
    // grows with a large history: a small one never pays for a large block,
    // which under the sanitizers is a fresh mapping each time; and the lines
    // need not be measured first, a walk over every node of its own.
    static constexpr std::size_t kFirstSize = 64 * 1024;
    static constexpr std::size_t kMaxSize = 1024 * 1024;
    platform::FileReplacement &out_;
    std::size_t size_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t total_ = 0;  // bytes of the file so far
};

// The next position of one byte value, or the end when there is none. memchr
// looks at many bytes at a time, and each occurrence is searched for once, so
// a whole scan stays linear.
class NextByte {
public:
    NextByte(const char *bytes, std::int32_t size, char value)
        : bytes_(bytes), size_(size), value_(value) {}

    std::int32_t From(std::int32_t pos) {
        if (found_ >= pos) return found_;
        const void *hit = std::memchr(bytes_ + pos, value_, static_cast<std::size_t>(size_ - pos));
        found_ = hit ? static_cast<std::int32_t>(static_cast<const char *>(hit) - bytes_) : size_;
        return found_;
    }

private:
    const char *bytes_;
    std::int32_t size_;
    char value_;
    std::int32_t found_ = -1;
};

// Splits bytes that arrive in blocks into entries. A line ends at its first
// CR or LF, and CR followed by LF is one break, even across two blocks. A NUL
// ends the entry's text, and the line still runs on to its break.
class LineSplitter {
public:
    explicit LineSplitter(CursorList &list) : list_(list) {}

    void Feed(const char *p, std::int32_t n) {
        std::int32_t start = 0;
        if (afterCr_ && n > 0 && p[0] == '\n') start = 1;
        afterCr_ = false;
        NextByte nul(p, n, '\0');  // mostly one search finds none in the block
        while (start < n) {
            const std::int32_t end = NextLineBreak(p, start, n);
            const std::int32_t textEnd = std::min(end, nul.From(start));
            if (end == n) {  // the line goes on in the next block
                Carry(p + start, textEnd - start, textEnd < end);
                return;
            }
            AddLine(p + start, textEnd - start);
            if (p[end] == '\n') {
                start = end + 1;
            } else if (end + 1 < n) {
                start = end + (p[end + 1] == '\n' ? 2 : 1);
            } else {
                afterCr_ = true;
                return;
            }
        }
    }

    // A last line without a break is an entry too, so a hand-written file
    // with one name in it is not emptied by the next save. Returns whether
    // there was one: a cut line.
    bool Finish() {
        const bool cut = carried_;
        if (carried_) AddLine(nullptr, 0);
        return cut;
    }

private:
    // Keeps a line's text so far for the next block; cut: a NUL ended it.
    void Carry(const char *text, std::int32_t size, bool cut) {
        if (!cut_) partial_.AppendBytes(text, size);
        cut_ = cut_ || cut;
        carried_ = true;
    }

    void AddLine(const char *text, std::int32_t size) {
        if (!carried_) {
            list_.AppendCarved(slabs_, text, size);
            return;
        }
        if (!cut_) partial_.AppendBytes(text, size);
        list_.AppendCarved(slabs_, partial_.buf, partial_.len);
        partial_.Clear();
        carried_ = cut_ = false;
    }

    CursorList &list_;
    NodeSlabs slabs_;       // a whole file's entries are made at once
    DynString partial_;     // the text of a line that began in an earlier block
    bool carried_ = false;  // a line began in an earlier block
    bool cut_ = false;      // a NUL has ended that line's text
    bool afterCr_ = false;  // the last block ended in a CR: an LF first is its pair
};

// Splits size bytes into a fresh list, block by block as next(n) hands them
// over; false when a block could not be had. cut: the last line has no
// break.
template <class NextBlock>
bool SplitInBlocks(CursorList &fresh, std::int32_t size, NextBlock next, bool &cut) {
    LineSplitter lines(fresh);
    for (std::int32_t left = size; left > 0;) {
        const std::int32_t n = std::min(left, WholeFile::kBlockSize);
        const char *block = next(n);
        if (!block) return false;
        lines.Feed(block, n);
        left -= n;
    }
    cut = lines.Finish();
    return true;
}

}  // namespace

LoadResult LoadHistoryFile(CursorList &list, const char *path, platform::FileLook &look,
                           bool &cut) {
    WholeFile file(path);
    if (!file.IsOpen())
        return file.Missing() ? LoadResult::Missing
               : file.Held()  ? LoadResult::Busy
                              : LoadResult::Unreadable;
    // Built aside and swapped in: running out of memory halfway leaves the
    // list as it was, never a shortened list that a save would write out.
    CursorList fresh;
    // Read in blocks rather than whole: no copy of the file is held beside
    // the list, and no allocation the size of the file is made (a large one
    // makes the allocator first merge every small block freed so far).
    char block[WholeFile::kBlockSize];
    bool endsCut = false;
    const bool read = SplitInBlocks(
        fresh, file.Size(), [&](std::int32_t n) { return file.Read(block, n) ? block : nullptr; },
        endsCut);
    if (!read || !file.Finished()) return LoadResult::Unreadable;
    list.TakeFrom(fresh);
    look = file.Look();
    cut = endsCut;
    return LoadResult::Loaded;
}

void LoadHistoryBytes(CursorList &list, const char *bytes, std::int32_t size) {
    CursorList fresh;
    std::int32_t at = 0;
    bool cut = false;
    (void)SplitInBlocks(
        fresh, size,
        [&](std::int32_t n) {
            const char *block = bytes + at;
            at += n;
            return block;
        },
        cut);
    list.TakeFrom(fresh);
}

namespace {

// Writes what the walk hands the writer into a new file that then takes the
// history's place; anything but Saved leaves the old file as it was. stamp:
// the file's now, where known (FileReplacement::Stamp).
template <class Walk>
platform::SaveOutcome Save(const char *path, const platform::FileLook &replaced,
                           platform::FileStamp &stamp, platform::AccessList *access,
                           platform::Patience patience, Walk walk) {
    platform::FileReplacement out(path, replaced, access, patience);
    auto outcome = platform::SaveOutcome::Failed;
    if (out.IsOpen()) {
        LineWriter writer(out);
        if (walk(writer) && writer.Flush())
            outcome = out.Commit();
        else
            out.Cancel();
    } else {
        outcome = out.Commit();
    }
    stamp = out.Stamp();
    return outcome;
}

}  // namespace

platform::SaveOutcome SaveHistoryFile(const CursorList &list, const char *path,
                                      const platform::FileLook &replaced,
                                      platform::FileStamp &stamp, platform::AccessList *access,
                                      platform::Patience patience) {
    return Save(path, replaced, stamp, access, patience, [&list](LineWriter &writer) {
        bool ok = true;
        for (const ListNode *node = list.first; node && ok; node = node->next) {
            PrefetchAhead(node);
            ok = writer.PutLine(node->text.buf, static_cast<std::size_t>(node->text.len));
        }
        return ok;
    });
}

platform::SaveOutcome SaveRecordedHistoryFile(CursorList &list, const char *path,
                                              const platform::FileLook &replaced,
                                              platform::FileStamp &stamp,
                                              platform::AccessList *access) {
    const DynString &recorded = list.last->text;
    return Save(path, replaced, stamp, access, platform::Patience::Brief, [&](LineWriter &writer) {
        bool ok = true;
        list.RemoveIf([&](const DynString &entry) {
            if (&entry != &recorded && SameFile(entry, recorded)) return true;
            ok = ok && writer.PutLine(entry.buf, static_cast<std::size_t>(entry.len));
            return false;
        });
        return ok;
    });
}

int CursorList::LoadFromFile(const char *path) {
    platform::FileLook ignored;
    return LoadHistoryFile(*this, path, ignored) == LoadResult::Loaded ? 1 : 0;
}

int CursorList::SaveToFile(const char *path) const {
    // Over whatever the file holds now: this is the list's own writing,
    // not a change to a shared history.
    const std::string target = platform::ResolveLinks(path);
    const platform::FileLook now = platform::LookAt(target.c_str());
    platform::FileStamp ignored;
    return SaveHistoryFile(*this, target.c_str(), now, ignored) == platform::SaveOutcome::Saved ? 1
                                                                                                : 0;
}
