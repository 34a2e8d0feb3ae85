// WholeFile: measuring a file, then reading exactly what was measured.
#include "text/whole_file.h"

#include <cstdint>

WholeFile::WholeFile(const char *path) : file_(std::fopen(path, "rb"), &std::fclose) {
    if (!file_) return;
    // Reads come in large blocks already: a stream buffer would only copy.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    if (std::fseek(file_.get(), 0, SEEK_END) != 0) return;
    const long size = std::ftell(file_.get());
    // ftell fails on files it cannot measure; sizes must fit a string length.
    if (size < 0 || size > INT32_MAX) return;
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0) return;
    size_ = static_cast<std::int32_t>(size);
}

bool WholeFile::Read(char *into, std::int32_t count) noexcept {
    if (!IsOpen() || count < 0 || count > size_ - read_) return false;
    const auto n = static_cast<std::size_t>(count);
    if (std::fread(into, 1, n, file_.get()) != n) return false;
    read_ += count;
    return true;
}

bool WholeFile::Finished() noexcept {
    // Nothing may follow: a directory or a file that grew is not read.
    return IsOpen() && read_ == size_ && std::fgetc(file_.get()) == EOF &&
           !std::ferror(file_.get());
}
