// What a power cut leaves of a copy's saves, rebuilt from the calls it made:
// a file's bytes reach the disk with its flush, a rename with the flush of
// its folder. A rename not flushed may or may not survive the cut, and a
// file renamed before its bytes were flushed comes back empty.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/fault.h"

namespace sim {

class Disk {
public:
    // A call the copy made, before it was made.
    void Saw(platform::fault::Call call, const std::string &path);

    // Whether a save was reported done: its rename's folder was flushed.
    [[nodiscard]] bool FolderFlushed() const;
    // The history after the cut, from what it held before (nullopt: no
    // file) and what the last rename put in its place (the history as the
    // copy left it: a new file is held open until it is in place);
    // `unflushedSurvive` says whether renames not flushed survive.
    [[nodiscard]] std::optional<std::string> Survivor(const std::optional<std::string> &before,
                                                      const std::string &renamed,
                                                      bool unflushedSurvive) const;

private:
    struct Rename {
        bool bytesOnDisk;  // flushed after the last write
        bool durable;      // its folder flushed since
    };
    std::map<std::string, bool> flushed_;  // by path: bytes on disk
    std::vector<Rename> renames_;
};

}  // namespace sim
