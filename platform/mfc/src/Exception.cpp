// The framework's exceptions and their messages.
#include "afx.h"

#include <algorithm>
#include <cerrno>
#include <cwchar>

namespace {

// The file named in a message.
CStringW FileForMessage(const CStringW& fileName) {
    if (fileName.IsEmpty()) return CStringW(L"an unnamed file");
    return fileName;
}

}  // namespace

void CException::Delete() {
    if (m_bAutoDelete) delete this;
}

BOOL CException::CopyMessage(const CStringW& text, LPWSTR buffer, UINT maxChars, UINT* helpContext) {
    if (helpContext) *helpContext = 0;
    if (!buffer || maxChars == 0) return FALSE;
    size_t n = std::min(static_cast<size_t>(text.GetLength()), static_cast<size_t>(maxChars) - 1);
    std::wmemcpy(buffer, text.GetString(), n);
    buffer[n] = 0;
    return !text.IsEmpty();
}

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
    if (helpContext) *helpContext = 0;
    if (buffer && maxChars > 0) buffer[0] = 0;
    return FALSE;
}

CStringW CException::GetErrorMessage() const {
    // Messages are short; grow the buffer if one ever fills it.
    for (UINT size = 512; size <= (1u << 20); size *= 4) {
        std::wstring buffer(size, L'\0');
        if (!GetErrorMessage(&buffer[0], size)) return CStringW();
        CStringW text(buffer.c_str());
        if (text.GetLength() < static_cast<int>(size) - 1) return text;
    }
    return CStringW();
}

BOOL CMemoryException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
    return CopyMessage(CStringW(L"Out of memory."), buffer, maxChars, helpContext);
}

CFileException::CFileException(int cause, LONG osError, LPCWSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

BOOL CFileException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
    const CStringW file = FileForMessage(m_strFileName);
    CStringW text;
    switch (m_cause) {
    case none: text = L"No error."; break;
    case fileNotFound: text.Format(L"The file %s was not found.", file); break;
    case badPath: text.Format(L"The path %s is not valid.", file); break;
    case tooManyOpenFiles: text.Format(L"Too many files are open to open %s.", file); break;
    case accessDenied: text.Format(L"Access to %s was denied.", file); break;
    case invalidFile: text.Format(L"The file %s is not open.", file); break;
    case removeCurrentDir: text.Format(L"The current folder cannot be removed (%s).", file); break;
    case directoryFull: text.Format(L"The folder is full; %s could not be created.", file); break;
    case badSeek: text.Format(L"Cannot seek in %s.", file); break;
    case hardIO: text.Format(L"Hardware error while accessing %s.", file); break;
    case sharingViolation: text.Format(L"Sharing violation with %s.", file); break;
    case lockViolation: text.Format(L"Lock violation with %s.", file); break;
    case diskFull: text.Format(L"The disk is full (writing %s).", file); break;
    case endOfFile: text.Format(L"Read past the end of %s.", file); break;
    default: text.Format(L"Unexpected error with the file %s.", file); break;
    }
    return CopyMessage(text, buffer, maxChars, helpContext);
}

int CFileException::ErrnoToException(int errnoValue) {
    switch (errnoValue) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBADF: return accessDenied;
    case EBUSY:
    case ETXTBSY: return sharingViolation;
    case EDEADLK: return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    case EIO: return hardIO;
    case ESPIPE: return badSeek;
    default: return genericException;
    }
}

void CFileException::ThrowErrno(int errnoValue, LPCWSTR fileName) {
    if (errnoValue != 0) AfxThrowFileException(ErrnoToException(errnoValue), errnoValue, fileName);
}

CArchiveException::CArchiveException(int cause, LPCWSTR fileName) : m_cause(cause), m_strFileName(fileName) {}

BOOL CArchiveException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
    const CStringW file = FileForMessage(m_strFileName);
    CStringW text;
    switch (m_cause) {
    case none: text = L"No error."; break;
    case readOnly: text.Format(L"Cannot write to %s: the archive was opened for loading.", file); break;
    case endOfFile: text.Format(L"Unexpected end of %s.", file); break;
    case writeOnly: text.Format(L"Cannot read from %s: the archive was opened for storing.", file); break;
    case badIndex: text.Format(L"%s has an invalid format.", file); break;
    case badClass: text.Format(L"%s holds an object of an unexpected kind.", file); break;
    case badSchema: text.Format(L"%s holds an object of an unsupported version.", file); break;
    case bufferFull: text.Format(L"The archive buffer of %s is full.", file); break;
    default: text.Format(L"Unexpected error in the archive of %s.", file); break;
    }
    return CopyMessage(text, buffer, maxChars, helpContext);
}

void AfxThrowFileException(int cause, LONG osError, LPCWSTR fileName) {
    throw new CFileException(cause, osError, fileName);
}

void AfxThrowArchiveException(int cause, LPCWSTR fileName) {
    throw new CArchiveException(cause, fileName);
}

void AfxThrowMemoryException() {
    throw new CMemoryException();
}
