// CFile over POSIX file descriptors.
#include "afx.h"

#include "MfcInternal.h"
#include "vyrwin_codec.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vyrmfc {

std::string ToOsPath(LPCWSTR path) {
    std::wstring text(path ? path : L"");
    for (wchar_t& c : text) {
        if (c == L'\\') c = L'/';
    }
    return vyrwin::Utf8FromWide(text);
}

CStringW AbsolutePath(LPCWSTR path) {
    CStringW text(path);
    text.Replace(L'\\', L'/');
    if (text.IsEmpty() || text[0] == L'/') return text;
    std::string cwd(PATH_MAX, '\0');
    if (!::getcwd(&cwd[0], cwd.size())) return text;
    cwd.resize(std::char_traits<char>::length(cwd.c_str()));
    CStringW full(vyrwin::WideFromNarrow(cwd.data(), cwd.size()));
    if (full.IsEmpty() || full[full.GetLength() - 1] != L'/') full += L'/';
    while (text.Left(2) == L"./") text.Delete(0, 2);
    return full + text;
}

}  // namespace vyrmfc

namespace {

// True when the folder that would hold `osPath` exists.
bool ParentExists(const std::string& osPath) {
    size_t slash = osPath.find_last_of('/');
    if (slash == std::string::npos) return true;  // the current folder
    std::string parent = slash == 0 ? std::string("/") : osPath.substr(0, slash);
    struct stat info;
    return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

CFile::CFile() = default;

CFile::CFile(LPCWSTR fileName, UINT openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CFile::~CFile() {
    if (m_fd >= 0 && m_bCloseOnDelete) ::close(m_fd);
    m_fd = -1;
}

BOOL CFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error) {
    if (m_fd >= 0) Abort();
    const CStringW fullPath = vyrmfc::AbsolutePath(fileName);
    auto fail = [&](int cause, int err) {
        if (error) {
            error->m_cause = cause;
            error->m_lOsError = err;
            error->m_strFileName = fullPath;
        }
        return FALSE;
    };
    if (!fileName || !*fileName) return fail(CFileException::badPath, ENOENT);

    int flags = O_CLOEXEC;
    switch (openFlags & 0x3) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: return fail(CFileException::genericException, EINVAL);
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate)) flags |= O_TRUNC;
    }

    const std::string osPath = vyrmfc::ToOsPath(fileName);
    int fd;
    do {
        fd = ::open(osPath.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int err = errno;
        int cause = CFileException::ErrnoToException(err);
        // A missing folder on the way is a bad path, as opposed to a missing file.
        if (err == ENOENT && ((openFlags & modeCreate) || !ParentExists(osPath))) cause = CFileException::badPath;
        return fail(cause, err);
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return fail(CFileException::accessDenied, EISDIR);
    }
    m_fd = fd;
    m_strFileName = fullPath;
    if (error) error->Clear();
    return TRUE;
}

void CFile::CheckOpen() const {
    if (m_fd < 0) AfxThrowFileException(CFileException::invalidFile, EBADF, m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count) {
    CheckOpen();
    if (count == 0) return 0;
    if (!buffer) AfxThrowFileException(CFileException::genericException, EINVAL, m_strFileName);
    char* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            CFileException::ThrowErrno(errno, m_strFileName);
        }
        if (n == 0) break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    CheckOpen();
    if (count == 0) return;
    if (!buffer) AfxThrowFileException(CFileException::genericException, EINVAL, m_strFileName);
    const char* in = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            CFileException::ThrowErrno(errno, m_strFileName);
        }
        if (n == 0) AfxThrowFileException(CFileException::diskFull, ENOSPC, m_strFileName);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    CheckOpen();
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : from == end ? SEEK_END : -1;
    off_t pos = whence < 0 ? -1 : ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (pos < 0) AfxThrowFileException(CFileException::badSeek, whence < 0 ? EINVAL : errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
    CheckOpen();
    struct stat info;
    if (::fstat(m_fd, &info) != 0) CFileException::ThrowErrno(errno, m_strFileName);
    return static_cast<ULONGLONG>(info.st_size);
}

void CFile::SetLength(ULONGLONG length) {
    CheckOpen();
    if (length > static_cast<ULONGLONG>(LLONG_MAX)) AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
    if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0) CFileException::ThrowErrno(errno, m_strFileName);
}

ULONGLONG CFile::GetPosition() const {
    CheckOpen();
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

void CFile::Flush() {
    CheckOpen();
}

void CFile::Close() {
    if (m_fd < 0) return;
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) CFileException::ThrowErrno(errno, m_strFileName);
}

void CFile::Abort() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

CStringW CFile::GetFilePath() const {
    return m_strFileName;
}

CStringW CFile::GetFileName() const {
    int slash = m_strFileName.ReverseFind(L'/');
    return m_strFileName.Mid(slash + 1);
}
