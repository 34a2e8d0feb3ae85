// The simulation's world: the folder that holds the shared history, the
// files that history entries name, and what other programs do to the
// history file. Everything here is seen from outside the plug-in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
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
    std::int64_t time = 0;     // last write, as finely as the file system keeps it
    std::int64_t changed = 0;  // last change of any kind, which no program sets back
    std::string bytes;         // of a regular file of sane size
    bool writerOpen = false;   // Windows: another program has it open for writing
    std::uint32_t owner = 0;   // POSIX: the user who owns it

    friend bool operator==(const Look &, const Look &) = default;
};

// Ways another program can keep the plug-in from reading the history.
enum class Spoil { None, Oversize, Fifo, Folder, Held };

// Look::time's units.
#ifdef _WIN32
inline constexpr std::int64_t kTicksPerSecond = 10000000;
#else
inline constexpr std::int64_t kTicksPerSecond = 1000000000;
#endif

// The pending records beside the history: file name, and the name it holds.
using Records = std::map<std::string, std::string>;

class World {
public:
    World();
    ~World();
    World(const World &) = delete;
    World &operator=(const World &) = delete;

    [[nodiscard]] const std::filesystem::path &Root() const { return root_; }
    // The times this world's programs set, as a file system of steps this
    // many seconds long keeps them (0: as they are).
    void SetCoarseTimes(int seconds) { coarseSeconds_ = seconds; }
    [[nodiscard]] const std::string &History() const { return history_; }
    // The library path every copy reports, so that all share one history.
    [[nodiscard]] const std::string &ModulePath() const { return modulePath_; }
    [[nodiscard]] Look LookAtHistory() const;
    // Whether the history, as the look found it, is being written by another
    // program, as a copy can tell: on Windows while the program has it open
    // for writing; on POSIX where its last line is cut and its write time is
    // its change time, as the file system keeps them (the copies bear with
    // such a write for as long as it lasts).
    [[nodiscard]] bool BeingWritten(const Look &look) const;
    // A file time as the file system keeps it.
    [[nodiscard]] std::int64_t Kept(std::int64_t time) const;

    // Another program writes the history afresh (a new file in its place),
    // or removes it.
    void Rewrite(const std::string &bytes);
    void RemoveHistory();
    // Another program rewrites the history in place, as cp over it does: the
    // same file, written, and kept open for writing (Windows) until it is
    // dated, as cp -p does at its end, to the write time given, or replaced.
    void RewriteInPlace(const std::string &bytes);
    void DateHistory(std::int64_t time);
    // Another program makes the history unreadable, and later mends it.
    [[nodiscard]] bool SpoilHistory(Spoil how);
    void MendHistory();
    [[nodiscard]] Spoil Spoilt() const { return spoil_; }

    // Whether a copy holds the history's lock now: tried as a copy tries it.
    [[nodiscard]] bool LockHeld() const;

    // The history as a power cut left it (nullopt: no file).
    void PutHistory(const std::optional<std::string> &bytes);

    // The pending records and their mark, and a record a power cut kept.
    [[nodiscard]] Records PendingRecords() const;
    [[nodiscard]] bool Marked() const;
    // Whether a copy of this process's user takes the record up where the
    // history is owned as the look found it: it is that user's, or the
    // history's owner's, or gone (taken up). Another's is left to them.
    [[nodiscard]] bool Trusted(const std::string &record, const Look &history) const;
    void PutRecord(const std::string &file, const std::string &name);

    // Another user may write the history and make files beside it; false
    // where this system or this user cannot show it.
    [[nodiscard]] bool ShareWithAnotherUser();

    // The files that entries name: some exist, some come and go.
    [[nodiscard]] std::string FileName(int n) const;
    void SetFileExists(int n, bool exists);
    // Whether a name, as an entry holds it, names something that exists.
    [[nodiscard]] static bool Exists(const std::string &name);

    // Names in the folder that are not the history, the library, pending
    // records and their mark, the entries' files or the copies.
    [[nodiscard]] std::set<std::string> Strays() const;

private:
    std::filesystem::path root_;
    std::string history_;
    std::string modulePath_;
    Spoil spoil_ = Spoil::None;
    int coarseSeconds_ = 0;
    std::string spoiltBytes_;                        // what the history held before it was spoilt
    std::filesystem::file_time_type spoiltWritten_;  // and its write time
    std::intptr_t holder_ = -1;                      // Windows: the handle that holds the file
    std::intptr_t writer_ = -1;  // Windows: the handle that writes it in place, while open

    // The program writing in place closes the file.
    void StopWriting();
};

}  // namespace sim
