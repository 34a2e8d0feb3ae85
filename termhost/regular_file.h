// Opening a file for reading without ever blocking: a named pipe, a device
// or a socket would make a read wait for a writer or never end, so only
// regular files are opened.
#pragma once

#include <cstddef>
#include <string>

namespace termhost {

// Bytes asked for by one read of a whole file: few calls, little memory.
inline constexpr std::size_t kReadBlockSize = 64 * 1024;

class RegularFile {
public:
    explicit RegularFile(const std::string &path);
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    // Not there: no such file, or a link that leads nowhere.
    [[nodiscard]] bool Missing() const { return missing_; }
    // Why it is not open when it is there: "a named pipe (FIFO), not a
    // file", or the system's reason.
    [[nodiscard]] const std::string &Problem() const { return problem_; }

    // Reads up to `size` bytes; the count read (0 at the end), or -1 on an
    // error, whose reason Problem() then gives.
    [[nodiscard]] long Read(char *bytes, std::size_t size);

private:
    int fd_ = -1;
    bool missing_ = false;
    std::string problem_;
};

}  // namespace termhost
