// The disk as a power cut leaves it.
#include "simulation/power_cut.h"

#include <filesystem>

namespace sim {

using platform::fault::Call;

void Disk::Saw(Call call, const std::string &path) {
    switch (call) {
    case Call::Write: flushed_[path] = false; break;
    case Call::Flush: flushed_[path] = true; break;
    case Call::Replace:
        // The history's new file; a pending record's is not the history.
        if (std::filesystem::path(path).filename().string().rfind("quorvel.ini.tmp", 0) == 0)
            renames_.push_back({flushed_[path], false});
        break;
    case Call::FlushFolder:
        for (Rename &rename : renames_) rename.durable = true;
        break;
    default: break;
    }
}

bool Disk::FolderFlushed() const { return !renames_.empty() && renames_.back().durable; }

std::optional<std::string> Disk::Survivor(const std::optional<std::string> &before,
                                          const std::string &renamed, bool unflushedSurvive) const {
    if (renames_.empty()) return before;
    const Rename &last = renames_.back();
    if (!last.durable && !unflushedSurvive) return before;
    return last.bytesOnDisk ? renamed : std::string();
}

}  // namespace sim
