// FileReader: reading an existing regular file from start to end.
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {

FileReader::FileReader(const char *path) {
    system::File file = system::kNoFile;
    const system::Opened opened = system::OpenToRead(path, file, look_);
    missing_ = opened == system::Opened::Missing;
    held_ = opened == system::Opened::Held;
    if (opened == system::Opened::Yes) handle_ = file;
}

FileReader::~FileReader() {
    if (IsOpen()) (void)system::Close(handle_);
}

bool FileReader::Read(void *into, std::size_t count) noexcept {
    if (!IsOpen()) return false;
    auto *p = static_cast<char *>(into);
    while (count > 0) {
        const std::int64_t n = system::ReadSome(handle_, p, count);
        if (n <= 0) return false;
        p += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileReader::AtEnd() noexcept {
    char probe;
    return IsOpen() && system::ReadSome(handle_, &probe, 1) == 0;
}

}  // namespace platform
