// WholeFile: reading a file all or nothing. The size is measured first and
// exactly that many bytes must follow; a file that cannot be measured, does
// not fit a signed 32-bit size, is not a regular file, or grows or shrinks
// while read fails. Internal to the text primitives and the history file.
#pragma once

#include <climits>
#include <cstdint>

#include "platform/platform.h"

class WholeFile {
public:
    // A block size for reading piecewise: each read is worth its system
    // call, and a block still fits on the stack.
    static constexpr std::int32_t kBlockSize = 64 * 1024;
    // The largest file read: its size must fit a string length.
    static constexpr std::int32_t kLargestSize = INT32_MAX;

    // Opens the file for reading only, so read-only files can be read too.
    explicit WholeFile(const char *path);

    // Whether the file is open and its size is known.
    [[nodiscard]] bool IsOpen() const noexcept { return size_ >= 0; }
    // Whether the open failed because nothing is at the path.
    [[nodiscard]] bool Missing() const noexcept { return reader_.Missing(); }
    // Whether the open failed because another program holds or writes it now.
    [[nodiscard]] bool Held() const noexcept { return reader_.Held(); }
    [[nodiscard]] std::int32_t Size() const noexcept { return size_; }
    // The file as it was opened.
    [[nodiscard]] const platform::FileLook &Look() const noexcept { return reader_.Look(); }
    [[nodiscard]] const platform::FileStamp &Stamp() const noexcept { return reader_.Stamp(); }
    // Reads the next count bytes, all of them or fail.
    [[nodiscard]] bool Read(char *into, std::int32_t count) noexcept;
    // Whether every byte was read and nothing follows the measured size.
    [[nodiscard]] bool Finished() noexcept;

private:
    platform::FileReader reader_;
    std::int32_t size_ = -1;
    std::int32_t read_ = 0;
};
