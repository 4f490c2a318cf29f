// Store files: identities, whole reads, atomic writes, the writers' lock, setting a file aside
// and the default place of a store (vyrwin_storefile.h).
#include "vyrwin_storefile.h"

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

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
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

bool WriteFileAtomically(const std::string& path, const std::string& text, FileIdentity& identity, int& error) {
    identity = FileIdentity();
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat info;
    const mode_t mode = stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    const int folder = open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    // After the rename, which stamps the file's status-change time on most file systems.
    if (!StatFileIdentity(path, identity)) identity = FileIdentity();
    return true;
}

bool MoveFileAside(const std::string& path, std::string& aside, int& error) {
    char stamp[32];
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    aside = path + ".corrupt-" + stamp;
    struct stat info;
    for (int n = 2; lstat(aside.c_str(), &info) == 0; ++n) aside = path + ".corrupt-" + stamp + "-" + std::to_string(n);
    if (rename(path.c_str(), aside.c_str()) != 0) {
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
