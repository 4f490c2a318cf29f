// Store files: identities, whole reads, atomic writes, the writers' lock, setting a file aside
// and the default place of a store (vyrwin_storefile.h).
#include "vyrwin_storefile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vyrwin {

namespace {

long long Nanoseconds(const struct timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& info) {
    FileIdentity id;
    id.exists = true;
    id.device = static_cast<uint64_t>(info.st_dev);
    id.inode = static_cast<uint64_t>(info.st_ino);
    id.size = static_cast<int64_t>(info.st_size);
    id.modified = Nanoseconds(info.st_mtim);
    id.changed = Nanoseconds(info.st_ctim);
    return id;
}

bool WriteAll(int fd, const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t put = write(fd, bytes + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// Creates a new file "<path>.tmp-XXXXXX" (a name not taken yet) for writing, with the permission
// bits any new file of the process gets; -1, with errno, when none can be made.
int CreateTemporaryBeside(const std::string& path, std::string& temp) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<unsigned long long> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned long long seed = static_cast<unsigned long long>(WallClockNanoseconds()) ^
                                  (static_cast<unsigned long long>(getpid()) << 32) ^
                                  (++counter * 0x9E3779B97F4A7C15ULL);
        temp = path + ".tmp-";
        for (int i = 0; i < 6; ++i, seed /= 62) temp += kLetters[seed % 62];
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// `folder` and `name` joined (a name from the root stays as it is).
std::string InFolder(const std::string& folder, const std::string& name) {
    if (!name.empty() && name[0] == '/') return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

bool SameFileIdentity(const FileIdentity& a, const FileIdentity& b) {
    if (!a.exists || !b.exists) return a.exists == b.exists;
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified == b.modified &&
           a.changed == b.changed;
}

bool StatFileIdentity(const std::string& path, FileIdentity& identity) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        identity = FileIdentity();
        return errno == ENOENT;
    }
    identity = IdentityOf(info);
    return true;
}

long long WallClockNanoseconds() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

bool FileIdentitySettled(const FileIdentity& identity, long long verifiedAt) {
    return !identity.exists || verifiedAt - identity.changed >= kRacyWindowNanoseconds;
}

FileReadResult ReadWholeFile(const std::string& path, std::string& text, int& error, FileIdentity& identity,
                             size_t maxBytes) {
    text.clear();
    identity = FileIdentity();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return errno == ENOENT ? FileReadResult::kMissing : FileReadResult::kFailed;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        error = errno;
        close(fd);
        return FileReadResult::kFailed;
    }
    identity = IdentityOf(info);
    if (info.st_size > 0 && static_cast<uint64_t>(info.st_size) > maxBytes) {
        error = EFBIG;
        close(fd);
        return FileReadResult::kFailed;
    }
    if (info.st_size > 0) text.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = errno;
            close(fd);
            text.clear();
            return FileReadResult::kFailed;
        }
        if (got == 0) break;
        if (text.size() + static_cast<size_t>(got) > maxBytes) {  // grew while being read
            error = EFBIG;
            close(fd);
            text.clear();
            return FileReadResult::kFailed;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return FileReadResult::kOk;
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool MakeParentFolders(const std::string& path, int& error) {
    const std::string parent = ParentFolder(path);
    error = ENOTDIR;
    for (size_t slash = parent.find('/', 1);; slash = parent.find('/', slash + 1)) {
        const std::string prefix = parent.substr(0, slash);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) error = errno;
        if (slash == std::string::npos) break;
    }
    struct stat info;
    return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ResolveFileToReplace(const std::string& path, std::string& target, int& error) {
    // As many links as the kernel itself follows on the way to a file.
    constexpr int kMaxLinks = 40;
    target = path;
    for (int links = 0;; ++links) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0) {
            error = errno;
            if (errno != ENOENT) return false;
            error = 0;  // nothing there yet: a write makes it
            return true;
        }
        if (S_ISREG(info.st_mode)) {
            error = 0;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            error = S_ISDIR(info.st_mode) ? EISDIR : ENOTSUP;
            return false;
        }
        if (links == kMaxLinks) {
            error = ELOOP;
            return false;
        }
        std::string text(static_cast<size_t>(info.st_size > 0 ? info.st_size : 0) + 256, '\0');
        const ssize_t length = readlink(target.c_str(), &text[0], text.size());
        if (length < 0 || static_cast<size_t>(length) >= text.size()) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        text.resize(static_cast<size_t>(length));
        target = InFolder(ParentFolder(target), text);
    }
}

bool WriteFileAtomically(const std::string& path, const void* bytes, size_t size, int newFileMode,
                         FileIdentity& identity, int& error) {
    identity = FileIdentity();
    std::string target;
    if (!ResolveFileToReplace(path, target, error)) return false;
    std::string temp;
    const int fd = CreateTemporaryBeside(target, temp);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat info;
    bool ok = true;
    if (stat(target.c_str(), &info) == 0)
        ok = fchmod(fd, info.st_mode & 07777) == 0;
    else if (newFileMode >= 0)
        ok = fchmod(fd, static_cast<mode_t>(newFileMode) & 07777) == 0;
    ok = ok && WriteAll(fd, static_cast<const char*>(bytes), size) && fsync(fd) == 0;
    error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    const int folder = open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    // After the rename, which stamps the file's status-change time on most file systems.
    if (!StatFileIdentity(target, identity)) identity = FileIdentity();
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, FileIdentity& identity, int& error) {
    return WriteFileAtomically(path, text.data(), text.size(), 0644, identity, error);
}

bool MoveFileAside(const std::string& path, std::string& aside, int& error) {
    std::string target;
    if (!ResolveFileToReplace(path, target, error)) return false;
    char stamp[32];
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    aside = target + ".corrupt-" + stamp;
    struct stat info;
    for (int n = 2; lstat(aside.c_str(), &info) == 0; ++n)
        aside = target + ".corrupt-" + stamp + "-" + std::to_string(n);
    if (rename(target.c_str(), aside.c_str()) != 0) {
        error = errno;
        return false;
    }
    error = 0;
    return true;
}

std::string StoreFilePath(const char* environmentVariable, const char* fileName) {
    const char* file = environmentVariable ? std::getenv(environmentVariable) : nullptr;
    if (file && *file) return file;
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && config[0] == '/') {
        base = config;
    } else if (home && home[0] == '/') {
        base = std::string(home) + "/.config";
    } else {
        struct passwd entry;
        struct passwd* found = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir &&
            found->pw_dir[0] == '/')
            base = std::string(found->pw_dir) + "/.config";
    }
    if (base.empty()) return std::string();
    return base + "/vyr-display/" + fileName;
}

StoreWriterLock::StoreWriterLock(const std::string& storePath) {
    const std::string lockPath = storePath + ".lock";
    fd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    while (flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = errno;
            close(fd_);
            fd_ = -1;
            return;
        }
    }
}

StoreWriterLock::~StoreWriterLock() {
    if (fd_ >= 0) close(fd_);  // releases the lock
}

}  // namespace vyrwin
