// What another program can do to a history that copies of the plug-in
// share, for the load harness (copies_at_once): hold the copies' one lock as
// a hung holder would, or hold the history open as a viewer or a scanner
// does. Let go when the object goes.
#pragma once

#include <cstdint>
#include <string>

class OutsideHold {
public:
    // The history's lock, taken as a copy takes it: on Windows a byte-range
    // lock on the lock file beside the history, far beyond its end; on
    // POSIX an flock on the history's folder. Waits for it.
    static OutsideHold Lock(const std::string &history, const std::string &library);
    // The history open to no one else: on Windows shared with nothing; on
    // POSIX, where opening keeps no one out, under a lock on its bytes that
    // keeps the plug-in's readers out.
    static OutsideHold Open(const std::string &history);
    // The history open to read, sharing everything, as a scanner has it.
    static OutsideHold Read(const std::string &history);

    OutsideHold(OutsideHold &&other) noexcept;
    OutsideHold(const OutsideHold &) = delete;
    OutsideHold &operator=(const OutsideHold &) = delete;
    ~OutsideHold();

    [[nodiscard]] bool Held() const noexcept { return handle_ != kNone; }

private:
    static constexpr std::intptr_t kNone = -1;
    explicit OutsideHold(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_;
};
