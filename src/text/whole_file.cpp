// WholeFile: measuring a file, then reading exactly what was measured.
#include "text/whole_file.h"

WholeFile::WholeFile(const char *path) : reader_(path) {
    if (reader_.IsOpen() && reader_.Stamp().size <= kLargestSize)
        size_ = static_cast<std::int32_t>(reader_.Stamp().size);
}

bool WholeFile::Read(char *into, std::int32_t count) noexcept {
    if (!IsOpen() || count < 0 || count > size_ - read_) return false;
    if (!reader_.Read(into, static_cast<std::size_t>(count))) return false;
    read_ += count;
    return true;
}

bool WholeFile::Finished() noexcept {
    // Nothing may follow: a file that grew is not read.
    return IsOpen() && read_ == size_ && reader_.AtEnd();
}
