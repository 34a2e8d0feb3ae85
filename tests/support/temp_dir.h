// Test support: a fresh folder per test, and whole-file byte access.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    [[nodiscard]] const std::filesystem::path &Root() const { return root_; }
    // Path of a file in the folder, as the system's own byte string.
    [[nodiscard]] std::string File(const std::string &name) const;

private:
    std::filesystem::path root_;
};

void WriteBytes(const std::string &path, const std::string &bytes);
[[nodiscard]] std::optional<std::string> ReadBytes(const std::string &path);
// Names of the folder's entries, sorted.
[[nodiscard]] std::string ListFolder(const std::filesystem::path &folder);
