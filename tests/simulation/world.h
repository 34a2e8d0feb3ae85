// The simulation's world: the folder that holds the shared history, the
// files that history entries name, and what other programs do to the
// history file. Everything here is seen from outside the plug-in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <string>

namespace sim {

// The history file as it was at one look.
struct Look {
    bool exists = false;
    bool regular = false;
    std::uintmax_t size = 0;
    std::int64_t time = 0;  // last write, as finely as the system keeps it
    std::string bytes;      // of a regular file of sane size

    friend bool operator==(const Look &, const Look &) = default;
};

// Ways another program can keep the plug-in from reading the history.
enum class Spoil { None, Oversize, Fifo, Folder, Held };

// What another program, or another user, can put at the lock's path: a
// link to a file of the world's own, a folder, a FIFO, a file of another
// user's.
enum class LockSpoil { None, Link, Folder, Fifo, Foreign };
const char *LockSpoilName(LockSpoil how);

class World {
public:
    World();
    ~World();
    World(const World &) = delete;
    World &operator=(const World &) = delete;

    [[nodiscard]] const std::filesystem::path &Root() const { return root_; }
    [[nodiscard]] const std::string &History() const { return history_; }
    // The library path every copy reports, so that all share one history.
    [[nodiscard]] const std::string &ModulePath() const { return modulePath_; }
    [[nodiscard]] Look LookAtHistory() const;

    // Another program writes the history afresh (a new file in its place),
    // or removes it.
    void Rewrite(const std::string &bytes);
    void RemoveHistory();
    // Another program makes the history unreadable, and later mends it.
    [[nodiscard]] bool SpoilHistory(Spoil how);
    void MendHistory();
    [[nodiscard]] Spoil Spoilt() const { return spoil_; }

    // The lock's path spoilt, and cleared again; false where the system or
    // this user cannot do it.
    [[nodiscard]] bool SpoilLock(LockSpoil how);
    void MendLock();
    [[nodiscard]] LockSpoil LockSpoilt() const { return lockSpoil_; }
    // Whether the file a link at the lock's path leads to is as it was.
    [[nodiscard]] bool VictimUntouched() const;

    // The history as a power cut left it (nullopt: no file).
    void PutHistory(const std::optional<std::string> &bytes);

    // The files that entries name: some exist, some come and go.
    [[nodiscard]] std::string FileName(int n) const;
    void SetFileExists(int n, bool exists);
    // Whether a name, as an entry holds it, names something that exists.
    [[nodiscard]] static bool Exists(const std::string &name);

    // Names in the folder that are not the history, its files or the copies.
    [[nodiscard]] std::set<std::string> Strays() const;

private:
    std::filesystem::path root_;
    std::string history_;
    std::string modulePath_;
    Spoil spoil_ = Spoil::None;
    LockSpoil lockSpoil_ = LockSpoil::None;
    std::string spoiltBytes_;    // what the history held before it was spoilt
    std::intptr_t holder_ = -1;  // Windows: the handle that holds the file
};

}  // namespace sim
