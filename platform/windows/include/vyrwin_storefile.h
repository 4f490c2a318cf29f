// Store files: a text file that holds one whole store of settings (the registry, the host's
// preferences). It is read whole and parsed once while it stays unchanged, written whole and
// atomically under a writers' lock, and set aside under a new name, never overwritten, when its
// bytes cannot be taken as they are.
//
// The atomic write serves any file written whole, not only stores (the display's pictures too).
//
// Knowing that the file is unchanged. Parsing a store costs milliseconds, so the parsed store is
// kept with the identity of the file it came from: device, inode, size, and the modification and
// status-change times with their nanoseconds. One stat() answers whether the file is still that
// file. The identity alone is not proof, though: the kernel stamps files from a coarse clock (one
// tick is several milliseconds, whole seconds on some file systems), and an atomic rename may
// hand a new file the inode just freed, so two writes of the same size within one tick can leave
// a file that looks unchanged. A generation counter written into the file would only cover
// writers that go through this code, not a person with an editor, a script or a fuzzer writing
// the bytes in place. So the cache applies the rule every writer is subject to: once the file's
// status-change time lies kRacyWindowNanoseconds before the moment its content was last
// compared, any later change, however made, stamps a later time and the identity differs; until
// then ("racy"), a read that finds the same identity also reads the bytes and compares them with
// the kept ones (microseconds, no parse). Writes by this process put the new store and its bytes
// straight into the cache. The rule assumes that the system clock does not step back.
#pragma once

#include "vyrwin_export.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>

namespace vyrwin {

// What one version of a file is, as far as stat() can tell.
struct FileIdentity {
    bool exists = false;     // false: there is no file
    uint64_t device = 0;     // device of the file system
    uint64_t inode = 0;      // inode
    int64_t size = 0;        // bytes
    long long modified = 0;  // modification time, nanoseconds since the epoch
    long long changed = 0;   // status-change time (ctime), nanoseconds since the epoch
};

// How long after its last change a file's identity alone does not prove it unchanged: above the
// coarsest timestamp granularity of the file systems a store may live on (two seconds) plus the
// lag of the kernel's coarse clock.
constexpr long long kRacyWindowNanoseconds = 2500LL * 1000 * 1000;

// Both name the same version of a file (or both no file).
VYR_WINAPI_EXPORT bool SameFileIdentity(const FileIdentity& a, const FileIdentity& b);
// The identity of the file at `path` (exists false when there is none); false when stat() fails
// for another reason than a missing file.
VYR_WINAPI_EXPORT bool StatFileIdentity(const std::string& path, FileIdentity& identity);
// The wall clock, nanoseconds since the epoch (the clock file times are stamped from).
VYR_WINAPI_EXPORT long long WallClockNanoseconds();
// True when content compared (or read) at `verifiedAt` proves every later change visible in the
// identity: the file's last change lies a whole racy window before that moment.
VYR_WINAPI_EXPORT bool FileIdentitySettled(const FileIdentity& identity, long long verifiedAt);

// What reading a whole file came to.
enum class FileReadResult {
    kOk,       // read
    kMissing,  // no file (text empty)
    kFailed    // could not be read; `error` tells why (EFBIG: larger than allowed)
};
// Reads the whole file; `identity` is that of the file opened, taken before its bytes. A file of
// more than `maxBytes` is not read (kFailed, EFBIG).
VYR_WINAPI_EXPORT FileReadResult ReadWholeFile(const std::string& path, std::string& text, int& error,
                                               FileIdentity& identity,
                                               size_t maxBytes = std::numeric_limits<size_t>::max());

// The folder part of a path ("." without a slash, "/" for a file in the root).
VYR_WINAPI_EXPORT std::string ParentFolder(const std::string& path);
// Creates the folders on the way to the file; on failure `error` tells why.
VYR_WINAPI_EXPORT bool MakeParentFolders(const std::string& path, int& error);

// The file that a write to `path` replaces: `path` itself, or the file its symbolic link leads to
// (links to links followed; a relative link read from the link's own folder), so that the link
// stays a link and what it leads to gets the new bytes. True, with that file in `target`, when it
// is a regular file or nothing yet: a link that leads nowhere names the file a write makes (its
// folder must exist), so the link then leads to it. False, with `error`, for a folder (EISDIR),
// any other thing that is not a regular file, such as a FIFO, a device or a socket (ENOTSUP), a
// loop of links (ELOOP) or a path that cannot be looked at (lstat's error). Nothing is opened.
VYR_WINAPI_EXPORT bool ResolveFileToReplace(const std::string& path, std::string& target, int& error);

// The permission bits WriteFileAtomically gives a new file: those of any new file the process
// makes (0666 less the umask).
constexpr int kNewFileModeFromUmask = -1;

// Writes `size` bytes to the file at `path` whole or not at all: a temporary file beside the file
// replaced (ResolveFileToReplace's target: the file a link leads to), synced and renamed over it,
// so a reader sees the old or the new bytes whole, never a part. A folder, a FIFO, a device or a
// socket at the path (or at the end of its links) is refused and left alone; no file is opened
// but the temporary one. The file keeps its permission bits; a new one gets `newFileMode`
// (kNewFileModeFromUmask: 0666 less the umask). `identity` is that of the file written (exists
// false when it cannot be told); on failure `error` tells why, the old file is whole and no
// temporary file is left behind.
VYR_WINAPI_EXPORT bool WriteFileAtomically(const std::string& path, const void* bytes, size_t size, int newFileMode,
                                           FileIdentity& identity, int& error);
// The same for a store's text; a new store file gets 0644.
VYR_WINAPI_EXPORT bool WriteFileAtomically(const std::string& path, const std::string& text, FileIdentity& identity,
                                           int& error);

// Renames the file to "<file>.corrupt-<date>-<time>[-n]", a name not taken yet, and answers that
// name in `aside`; a symbolic link stays, and the file it leads to is moved aside beside itself
// (ResolveFileToReplace). On failure `error` tells why and the file stays where it is.
VYR_WINAPI_EXPORT bool MoveFileAside(const std::string& path, std::string& aside, int& error);

// The path of a store file: the environment variable's value when it is set and not empty, else
// "<config>/vyr-display/<fileName>" with <config> $XDG_CONFIG_HOME (when absolute), else
// $HOME/.config, else the password database's home folder + "/.config". Empty when none of them
// names a folder.
VYR_WINAPI_EXPORT std::string StoreFilePath(const char* environmentVariable, const char* fileName);

// Holds the writers' lock of a store file ("<path>.lock", an exclusive flock) while it lives.
// Writers of one store serialise through it across processes.
class VYR_WINAPI_EXPORT StoreWriterLock {
public:
    // Waits for the lock of the store file at `storePath`.
    explicit StoreWriterLock(const std::string& storePath);
    // Releases the lock.
    ~StoreWriterLock();
    StoreWriterLock(const StoreWriterLock&) = delete;
    StoreWriterLock& operator=(const StoreWriterLock&) = delete;

    // True when the lock is held.
    bool Held() const { return fd_ >= 0; }
    // Why the lock could not be taken (an errno value), 0 while held.
    int Error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// The parsed form T of a store file, kept with the file's bytes and identity while the file is
// unchanged (see the top of this header). One cache per store; thread-safe.
template <class T>
class StoreFileCache {
public:
    // What loading found.
    enum class Status {
        kOk,      // `store` holds the file's store (a default T for a missing file)
        kFailed,  // the file cannot be read; `error` tells why
        kCorrupt  // the parser refused the bytes; `reason` tells why, nothing is kept
    };
    // The answer of Load.
    struct Loaded {
        Status status = Status::kOk;
        std::shared_ptr<const T> store;  // kOk: never changed afterwards
        int error = 0;                   // kFailed: an errno value
        std::string reason;              // kCorrupt: what is wrong
    };
    // Turns a file's bytes into a store; false, with a reason, for bytes that are no store.
    typedef std::function<bool(const std::string& text, T& store, std::string& reason)> Parser;

    // A cache that parses with `parse` and refuses files of more than `maxBytes`.
    explicit StoreFileCache(Parser parse, size_t maxBytes = std::numeric_limits<size_t>::max())
        : parse_(std::move(parse)), maxBytes_(maxBytes) {}

    // The store the file at `path` holds now: the kept one while the file is unchanged, else read,
    // parsed and kept. A corrupt or unreadable file is reported, not kept.
    Loaded Load(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        const long long startedAt = WallClockNanoseconds();  // before the file is looked at
        Loaded loaded;
        std::string text;
        int error = 0;
        FileIdentity identity;
        FileReadResult read = FileReadResult::kFailed;
        bool haveRead = false;
        if (valid_ && path_ == path) {
            FileIdentity now;
            if (StatFileIdentity(path, now) && SameFileIdentity(now, identity_)) {
                if (settled_) {
                    loaded.store = store_;
                    return loaded;
                }
                // Racy: the same identity may still hide a change made within one clock tick.
                read = ReadWholeFile(path, text, error, identity, maxBytes_);
                haveRead = true;
                if (read != FileReadResult::kFailed && SameFileIdentity(identity, identity_) && text == text_) {
                    settled_ = FileIdentitySettled(identity_, startedAt);
                    loaded.store = store_;
                    return loaded;
                }
            }
        }
        if (!haveRead) read = ReadWholeFile(path, text, error, identity, maxBytes_);
        valid_ = false;
        if (read == FileReadResult::kFailed) {
            loaded.status = Status::kFailed;
            loaded.error = error;
            return loaded;
        }
        auto store = std::make_shared<T>();
        if (read == FileReadResult::kOk && !parse_(text, *store, loaded.reason)) {
            loaded.status = Status::kCorrupt;
            return loaded;
        }
        valid_ = true;
        path_ = path;
        identity_ = identity;
        text_ = std::move(text);
        store_ = store;
        settled_ = FileIdentitySettled(identity, startedAt);
        loaded.store = std::move(store);
        return loaded;
    }

    // Keeps what this process has just written to `path` as its current store.
    void Keep(const std::string& path, const FileIdentity& identity, std::string text, std::shared_ptr<const T> store) {
        std::lock_guard<std::mutex> lock(mutex_);
        valid_ = identity.exists;
        path_ = path;
        identity_ = identity;
        text_ = std::move(text);
        store_ = std::move(store);
        settled_ = false;  // just written: racy until a later read compares the bytes
    }

    // Forgets the kept store: the next Load reads the file.
    void Forget() {
        std::lock_guard<std::mutex> lock(mutex_);
        valid_ = false;
        store_.reset();
        text_.clear();
    }

private:
    Parser parse_;
    size_t maxBytes_;
    std::mutex mutex_;
    bool valid_ = false;
    std::string path_;
    FileIdentity identity_;
    std::string text_;  // empty for a missing file
    std::shared_ptr<const T> store_;
    bool settled_ = false;  // the identity alone proves the file unchanged
};

}  // namespace vyrwin
