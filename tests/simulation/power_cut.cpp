// The disk as a power cut leaves it.
#include "simulation/power_cut.h"

#include <fstream>
#include <sstream>

namespace sim {

using platform::fault::Call;

void Disk::Saw(Call call, const std::string &path) {
    switch (call) {
    case Call::Write: flushed_[path] = false; break;
    case Call::Flush: flushed_[path] = true; break;
    case Call::Replace: {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        renames_.push_back({flushed_[path], false, bytes.str()});
        break;
    }
    case Call::FlushFolder:
        for (Rename &rename : renames_) rename.durable = true;
        break;
    default: break;
    }
}

bool Disk::FolderFlushed() const { return !renames_.empty() && renames_.back().durable; }

std::optional<std::string> Disk::Survivor(const std::optional<std::string> &before,
                                          bool unflushedSurvive) const {
    std::optional<std::string> history = before;
    for (const Rename &rename : renames_)
        if (rename.durable || unflushedSurvive)
            history = rename.bytesOnDisk ? rename.bytes : std::string();
    return history;
}

}  // namespace sim
