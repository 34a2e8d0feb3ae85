// The first window: a folder's subfolders and files, to move through, enter
// and leave, and to open files from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "termhost/draw.h"
#include "termhost/list_view.h"

namespace termhost {

class FileBrowser {
public:
    // What a key asks of the host.
    struct Action {
        enum class Kind { None, OpenFile, Failed } kind = Kind::None;
        std::string text;  // the file to open, or why the folder cannot be shown
    };

    // Lists the folder; false with a reason when it cannot be read.
    bool Show(const std::filesystem::path &folder, std::string *error);
    // Lists the folder again, the highlight staying on the same name. When
    // the folder can no longer be shown, the nearest parent that can is
    // listed instead, and why it moved is returned; else the result is empty.
    [[nodiscard]] std::string Refresh();

    [[nodiscard]] const std::filesystem::path &Folder() const { return folder_; }
    // "2 folders, 5 files"
    [[nodiscard]] std::string Summary() const;

    void Draw(const Rect &area);
    Action HandleKey(int keyCode);

private:
    struct Entry {
        std::string name;
        bool folder = false;
        std::string size;  // "1.5 KiB", or what it is when not a file
    };
    bool List(const std::filesystem::path &folder, const std::string &highlight,
              std::string *error);
    Action Activate(const Entry &entry);
    [[nodiscard]] ListShape Shape() const;
    [[nodiscard]] int EntryCount() const { return static_cast<int>(entries_.size()); }

    std::filesystem::path folder_;
    std::vector<Entry> entries_;  // "..", then folders, then files
    ListView view_;
    int rows_ = 1;  // rows shown at the last draw
};

}  // namespace termhost
