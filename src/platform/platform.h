// The few operating-system services the plug-in needs, with one Windows and
// one POSIX implementation. Paths are NUL-terminated byte strings, passed to
// the system as they are. Test hooks (platform/fault.h) can make the calls
// that a save, a read and the lock depend on fail, so their failure paths
// are testable on both systems.
//
// How copies of the plug-in share one file through these (the one lock, the
// look before a replace, the pending records, and what a crash, a power cut
// or a stall leaves) is written once, as numbered rules, in docs/saving.md.
// Comments below point to those rules as "rule N".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr bool kFoldsCase = true;  // names compare ignoring ASCII case
#else
inline constexpr char kPathSeparator = '/';
inline constexpr bool kFoldsCase = false;  // case matters: names are exact bytes
#endif

// What tells one state of a history file from another: its last-write time,
// its change time (which a program can set back on neither system through
// the calls a writer uses, so a rewrite that puts the write time back still
// shows), its identity (POSIX: device and inode; Windows: none, left 0) and
// its size. Each save of this plug-in dates its file past the one it
// replaces, so no two of its saves share a stamp. All zero stands for no
// file.
struct FileStamp {
    std::int64_t writeTime = 0;
    std::int64_t changeTime = 0;
    std::uint64_t volume = 0;
    std::uint64_t fileId = 0;
    std::int64_t size = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

enum class Presence {
    Missing,  // nothing at the path
    Present,  // a file, its stamp read
    Unknown,  // cannot be told: no permission, an I/O error
};

// One look at a path: what is there, and what a file that replaces it must
// be given. A save is handed the look that found the file it replaces.
struct FileLook {
    Presence presence = Presence::Missing;
    FileStamp stamp;
    unsigned permissions = 0;  // POSIX mode bits; Windows attributes
    bool regular = false;      // a regular file, not a folder or a device
    bool readOnly = false;
    std::uint32_t owner = 0;  // POSIX: the user who owns it; Windows: 0

    // Whether a save may put a new file in its place.
    [[nodiscard]] bool Replaceable() const noexcept {
        return presence == Presence::Missing ||
               (presence == Presence::Present && regular && !readOnly);
    }
};

[[nodiscard]] FileLook LookAt(const char *path);

// Whether a file read with the stamp is being written by another program
// now (rule 7). On Windows the read tells: it shares no write access, so a
// program that has the file open for writing makes it fail as held, and
// this is always false. On POSIX no call tells it: a file whose last line
// is cut (cut: it does not end in a line break), whose write time is its
// change time (written, not dated: a save of this plug-in always dates its
// file apart) and that changed within the last two seconds is taken for a
// write under way; a whole file is not.
[[nodiscard]] bool BeingWritten(const FileStamp &stamp, bool cut);

// The file a path finally names, through any symbolic links: where the
// file belongs, for a link to one not made yet. The path itself when it
// names no link, or where the result is no path the file calls take (too
// long; on Windows, with a character the code page of names lacks).
[[nodiscard]] std::string ResolveLinks(const char *path);

// Whether the file's attributes can be queried: the test for "exists".
[[nodiscard]] bool FileAttributesQueryable(const char *path);

// Rows of the console's screen buffer; -1 when there is no console to ask.
[[nodiscard]] int ConsoleBufferRows();

// Reads an existing regular file. Opening never blocks: a FIFO, a device or
// a socket is refused. A file that another program holds for a moment is
// waited for, about 100 ms at most (twice that on Windows, whose open and
// byte lock each wait); on Windows so is one that another
// program has open for writing, since the reader shares no write access
// (rule 7), for no longer than it reads.
class FileReader {
public:
    explicit FileReader(const char *path);
    FileReader(const FileReader &) = delete;
    FileReader &operator=(const FileReader &) = delete;
    ~FileReader();

    [[nodiscard]] bool IsOpen() const noexcept { return handle_ != kNoHandle; }
    // Whether the open failed because nothing is at the path.
    [[nodiscard]] bool Missing() const noexcept { return missing_; }
    // Whether the open failed because another program holds the file now,
    // or writes it (Windows): a passing cause.
    [[nodiscard]] bool Held() const noexcept { return held_; }
    // The opened file as it was at the open: its stamp and permissions.
    [[nodiscard]] const FileLook &Look() const noexcept { return look_; }
    [[nodiscard]] const FileStamp &Stamp() const noexcept { return look_.stamp; }
    // Reads exactly count bytes; false on an error or an early end.
    [[nodiscard]] bool Read(void *into, std::size_t count) noexcept;
    // Whether nothing follows the bytes read so far.
    [[nodiscard]] bool AtEnd() noexcept;

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
    bool missing_ = false;
    bool held_ = false;
    FileLook look_;
};

// What a pending record's file turned out to be.
enum class RecordRead {
    Read,     // its bytes are read
    NotOne,   // not a file a record can be: a link, not a regular file, too large
    Foreign,  // another user's, who is not the history's owner (POSIX): not ours to read
    Gone,     // nothing is at the path
    Failed,   // it could not be opened or read now
};
// Reads a file that may be a pending record, of at most `limit` bytes: only
// a regular file, opened without following a link (so that no one can lead
// a holder to read a file of their choosing), and on POSIX owned by this
// user or by `owner`, the history's.
[[nodiscard]] RecordRead ReadRecordFile(const char *path, std::uint32_t owner, std::size_t limit,
                                        std::string &bytes);
// The permissions with this user's own reading and writing added (POSIX
// mode bits; Windows: without the read-only attribute): a record's, which
// its own copy must take up whatever the history's mode.
[[nodiscard]] unsigned WithOwnerAccess(unsigned permissions);

// How long a change bears with another copy or program in its way before
// it leaves the change for later (rule 2).
enum class Patience {
    Brief,  // a recording, or the menu's look for records: about 100 ms, as
            // the user waits for an editor to open
    Long,   // a trim or a purge the user asked for: about a second
};

// The one lock that every copy of the plug-in takes before it replaces a
// history, whatever user it runs as (rule 1): on POSIX an flock on the
// history's folder, on Windows a byte-range lock beyond the end of the
// plug-in's own library file. Neither is taken by a program that merely
// opens a file, and the system releases it when its holder dies. A copy
// waits for it for a while (the patience), and is never let past a holder
// that lives: one that cannot have it in time leaves its change for the
// holder (rule 2).
class HistoryLock {
public:
    // history: the history's path, links resolved; library: the path of
    // the library the host loaded.
    HistoryLock(const char *history, const char *library, Patience patience);
    HistoryLock(const HistoryLock &) = delete;
    HistoryLock &operator=(const HistoryLock &) = delete;
    ~HistoryLock();

    [[nodiscard]] bool Held() const noexcept { return handle_ != kNoHandle; }
    // Not held because it cannot be had here at all (rather than because
    // another copy holds it): a lasting cause.
    [[nodiscard]] bool Unusable() const noexcept { return unusable_; }

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
    bool unusable_ = false;
    std::string path_;  // what the lock is on, for the test hooks
};

// How a save ended. Failed and Refused both leave the file as it was; they
// tell a passing cause from a lasting one (rule 2).
enum class SaveOutcome {
    Saved,    // the new contents are in place and on disk
    Stale,    // the file is not the one expected: read it again, then retry
    Failed,   // something passing: a full disk, a failed write, a holder of the file
    Refused,  // this user cannot replace it while it stays as it is: read-only,
              // not a regular file, or a folder that takes no new files with
              // no file to rewrite in place
};

// The access list that a new file must be given to stand for the one it
// replaces: Windows only, where a list set on the history itself would not
// pass to a new file; POSIX carries the mode bits in the look. It is kept
// between saves, for the file it was read from or given to, so that a save
// over this copy's own last save reads it from nowhere.
class AccessList {
public:
    AccessList() = default;
    AccessList(const AccessList &) = delete;
    AccessList &operator=(const AccessList &) = delete;

private:
    friend class FileReplacement;
    FileStamp of_;                           // the file it belongs to; all zero: none known
    std::vector<unsigned char> descriptor_;  // a security descriptor; empty: the folder's
};

// Replaces a file's whole contents, only if it is still the file the look
// found (rule 5): the bytes go to a new file beside it, private to this
// user (rule 6), reach the disk, and then take its place in one rename,
// after a last look at it (rule 8). A read-only file, or anything but a
// regular file, is never replaced. Only the holder of the history's lock
// replaces a history (rule 1).
//
// Only where the folder refuses new files is the file rewritten in place,
// under a lock on the file itself (rule 9); that path alone cannot survive
// a crash or power cut in the middle of the write.
class FileReplacement {
public:
    // replaced: the look that found the file to replace, or found none
    // there (a first creation, which takes the name only if it is still
    // free, where the file system can tell; rule 8). A first creation is
    // given the look's permissions, where it has any, once complete.
    // access: where the history's access list is kept between saves
    // (Windows). patience: how long another program that holds the file
    // may refuse the rename (Windows), each time after a new last look.
    FileReplacement(const char *path, const FileLook &replaced, AccessList *access = nullptr,
                    Patience patience = Patience::Brief);
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();  // abandons an uncommitted replacement

    // Whether the new contents can be written (a file was opened).
    [[nodiscard]] bool IsOpen() const noexcept { return handle_ != kNoHandle; }
    // Appends bytes; false once any write has failed.
    [[nodiscard]] bool Write(const void *bytes, std::size_t size) noexcept;
    // Flushes to disk and puts the new contents in place.
    [[nodiscard]] SaveOutcome Commit() noexcept;
    // Gives up: the file stays as it was.
    void Cancel() noexcept { Abandon(); }
    // After a successful commit: the stamp of the file now in place. After
    // a rewrite in place that failed: the stamp of the file as it was put
    // back, the same contents. Otherwise all zero.
    [[nodiscard]] const FileStamp &Stamp() const noexcept { return stamp_; }

private:
    // What the replacement is doing; each step below moves it on.
    //   Closed     nothing open: not begun, refused, or over
    //   Beside     a new file open beside the target        -> Closed
    //   InPlace    the target itself open to be rewritten   -> Closed
    enum class State { Closed, Beside, InPlace };
    static constexpr std::intptr_t kNoHandle = -1;
    void OpenBeside();
    void OpenInPlace();
    [[nodiscard]] SaveOutcome CommitBeside() noexcept;
    [[nodiscard]] SaveOutcome CommitInPlace() noexcept;
    [[nodiscard]] bool Finish() noexcept;
    void Abandon() noexcept;
    void Close() noexcept;

    State state_ = State::Closed;
    std::string target_;     // the file to replace
    std::string temporary_;  // Beside: the new file
    FileLook replaced_;
    AccessList *access_;
    Patience patience_;
    std::vector<unsigned char> given_;  // Windows: the access list the new file was given
    std::string original_;              // InPlace: the bytes the file held before
    std::intptr_t handle_ = kNoHandle;
    std::size_t written_ = 0;
    bool failed_ = false;
    // Closed before any commit: why. Refused: the file may not be replaced
    // (a lasting cause), or, while opening, the folder took no new file.
    enum class Unopened { Failed, Refused, Stale };
    Unopened unopened_ = Unopened::Failed;
    FileStamp stamp_;
};

// Whether a FileReplacement of the file could go ahead now: false when the
// file is read-only or not a regular file, or when its folder takes no new
// files and the file cannot be rewritten in place. For hosts, to say that
// changes will not be saved; a save can still fail (a full disk).
[[nodiscard]] bool CanReplace(const char *path);

// Removes the new files that crashed saves left beside the file; false when
// one stays. A live save's new file is never removed (rule 10).
[[nodiscard]] bool RemoveCrashedSaves(const char *path);

// The regular files in the path's folder whose names start with the path's
// own file name and then the suffix: a listing of the folder, which tells
// links, folders and devices apart by itself, with no look at each.
[[nodiscard]] std::vector<std::string> FilesStartingWith(const char *path, const char *suffix);
// Gives the file the name `to` if that is free, so that later listings
// pass it over; false when it stays.
[[nodiscard]] bool MoveAside(const char *path, const char *to);

// Creates an empty file if there is none: a mark. False when none is there.
[[nodiscard]] bool PutMark(const char *path);
// Removes a file; true when it is gone, or was not there.
[[nodiscard]] bool RemoveFile(const char *path);
// Whether this user may remove the file: on POSIX it is this user's, or its
// folder is writable and not sticky; on Windows only a try tells.
[[nodiscard]] bool MayRemove(const char *path);

// A number no other process running now has, for names of its own.
[[nodiscard]] unsigned long ProcessId();
// The time now, as FileStamp::writeTime counts it.
[[nodiscard]] std::int64_t Now();

}  // namespace platform
