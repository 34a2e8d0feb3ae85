// Looks at files, marks and listings: the parts of the platform layer that
// are the same on every system.
#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {

FileLook LookAt(const char *path) {
    if (fault::Fails(fault::Call::FileStamp, path)) {
        FileLook unknown;
        unknown.presence = Presence::Unknown;
        return unknown;
    }
    return system::LookAt(path);
}

std::string system::FolderOf(const std::string &path) {
    const std::size_t slash = path.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool BeingWritten(const FileStamp &stamp, bool cut) {
    if (system::kWriterShowsInRead || !cut) return false;
    // Either way round: a clock set apart from the file system's (a share
    // on another machine) must not make a file look busy for ever; nor
    // must a writer that died halfway.
    const std::int64_t kStill = fault::StillAfter().count() * (system::kTicksPerSecond / 1000);
    const std::int64_t since = Now() - stamp.changeTime;
    return stamp.writeTime == stamp.changeTime && since < kStill && since > -kStill;
}

std::vector<std::string> FilesStartingWith(const char *path, const char *suffix) {
    const std::string start = std::string(path) + suffix;
    if (fault::Fails(fault::Call::List, start.c_str())) return {};
    return system::Siblings(start, true);
}

bool MoveAside(const char *path, const char *to) {
    return !fault::Fails(fault::Call::Remove, path) &&
           system::Rename(system::kNoFile, path, to, true) == system::Renamed::Yes;
}

bool PutMark(const char *path) { return system::CreateMark(path); }

bool RemoveFile(const char *path) { return system::Remove(path); }

}  // namespace platform
