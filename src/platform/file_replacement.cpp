// FileReplacement: write new contents beside a file, then swap them in.
#include <string>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace platform {
namespace {

// Distinguishes the temporary files of one process's successive saves.
unsigned long saveCounter = 0;

}  // namespace

FileReplacement::FileReplacement(const char *path) : target_(system::ResolveLinks(path)) {
    Open();
}

FileReplacement::~FileReplacement() { Abandon(); }

void FileReplacement::Open() {
    const system::Existing existing = system::Inspect(target_);
    // Checked here because root, and Wine, would let the replace through.
    if (existing == system::Existing::ReadOnly || existing == system::Existing::NotAFile) return;
    const std::string prefix = target_ + ".tmp" + std::to_string(system::ProcessId()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + std::to_string(++saveCounter);
        bool nameTaken = false;
        if (!fault::Fails(fault::Call::CreateTemporary))
            handle_ = system::CreateExclusive(name, target_, nameTaken);
        if (handle_ != kNoHandle) {
            temporary_ = std::move(name);
            return;
        }
        if (!nameTaken) break;
    }
    // No new file can be made here (say, the folder is read-only): rewrite the
    // file itself, as long as it exists and may be written.
    if (existing != system::Existing::Writable || fault::Fails(fault::Call::OpenInPlace)) return;
    handle_ = system::OpenForRewrite(target_);
}

bool FileReplacement::Write(const void *bytes, std::size_t size) noexcept {
    if (handle_ == kNoHandle || failed_) return false;
    if (size > 0 && (fault::Fails(fault::Call::Write) || !system::WriteAll(handle_, bytes, size)))
        failed_ = true;
    return !failed_;
}

bool FileReplacement::CloseHandle() noexcept {
    const bool closed = system::Close(handle_);
    handle_ = kNoHandle;
    return closed && !fault::Fails(fault::Call::Close);
}

bool FileReplacement::Commit() noexcept {
    if (handle_ == kNoHandle) return false;
    if (!failed_ && fault::DiskFlushEnabled())
        failed_ = fault::Fails(fault::Call::Flush) || !system::FlushToDisk(handle_);
    if (!CloseHandle()) failed_ = true;
    if (failed_ || temporary_.empty()) {
        Abandon();
        return !failed_;
    }
    if (fault::Fails(fault::Call::Replace) || !system::Replace(temporary_, target_)) {
        Abandon();
        return false;
    }
    temporary_.clear();
    return true;
}

void FileReplacement::Abandon() noexcept {
    if (handle_ != kNoHandle) (void)CloseHandle();
    if (!temporary_.empty()) system::Remove(temporary_);
    temporary_.clear();
}

}  // namespace platform
