// CMemFile: a growable file in memory.
#include "afx.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

CMemFile::CMemFile(UINT growBytes) : m_growBytes(growBytes) {}

CMemFile::CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes) {
    Attach(buffer, bufferSize, growBytes);
}

CMemFile::~CMemFile() {
    if (m_owned) std::free(m_buffer);
    m_buffer = nullptr;
}

void CMemFile::Attach(BYTE* buffer, UINT bufferSize, UINT growBytes) {
    if (m_owned) std::free(m_buffer);
    m_buffer = buffer;
    m_bufferSize = buffer ? bufferSize : 0;
    m_fileSize = growBytes == 0 ? m_bufferSize : 0;
    m_position = 0;
    m_growBytes = growBytes;
    m_owned = false;
}

BYTE* CMemFile::Detach() {
    BYTE* buffer = m_buffer;
    m_buffer = nullptr;
    m_bufferSize = 0;
    m_fileSize = 0;
    m_position = 0;
    m_owned = true;
    return buffer;
}

BOOL CMemFile::Open(LPCWSTR fileName, UINT, CFileException* error) {
    if (error) {
        error->m_cause = CFileException::invalidFile;
        error->m_lOsError = EINVAL;
        error->m_strFileName = fileName;
    }
    return FALSE;
}

void CMemFile::Grow(size_t size) {
    if (size <= m_bufferSize) return;
    if (m_growBytes == 0) AfxThrowMemoryException();
    size_t newSize = m_bufferSize;
    while (newSize < size) {
        if (newSize > SIZE_MAX / 2 - m_growBytes) AfxThrowMemoryException();
        newSize = std::max(newSize + m_growBytes, newSize + newSize / 2);
    }
    // A caller's attached buffer grows in place, as it came from malloc.
    void* grown = std::realloc(m_buffer, newSize);
    if (!grown) AfxThrowMemoryException();
    m_buffer = static_cast<BYTE*>(grown);
    m_bufferSize = newSize;
}

UINT CMemFile::Read(void* buffer, UINT count) {
    if (count == 0 || m_position >= m_fileSize) return 0;
    if (!buffer) AfxThrowFileException(CFileException::genericException, EINVAL);
    size_t n = std::min<size_t>(count, m_fileSize - m_position);
    std::memcpy(buffer, m_buffer + m_position, n);
    m_position += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count) {
    if (count == 0) return;
    if (!buffer) AfxThrowFileException(CFileException::genericException, EINVAL);
    size_t end = m_position + count;
    Grow(end);
    if (m_position > m_fileSize) std::memset(m_buffer + m_fileSize, 0, m_position - m_fileSize);
    std::memmove(m_buffer + m_position, buffer, count);
    m_position = end;
    m_fileSize = std::max(m_fileSize, end);
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from) {
    LONGLONG base = from == begin ? 0
                    : from == current ? static_cast<LONGLONG>(m_position)
                    : from == end ? static_cast<LONGLONG>(m_fileSize)
                                  : -1;
    if (base < 0 || (offset < 0 && offset < -base) || (offset > 0 && offset > LLONG_MAX / 2 - base)) {
        AfxThrowFileException(CFileException::badSeek, EINVAL);
    }
    m_position = static_cast<size_t>(base + offset);
    return m_position;
}

ULONGLONG CMemFile::GetLength() const {
    return m_fileSize;
}

void CMemFile::SetLength(ULONGLONG length) {
    if (length > SIZE_MAX / 2) AfxThrowMemoryException();
    size_t size = static_cast<size_t>(length);
    Grow(size);
    if (size > m_fileSize) std::memset(m_buffer + m_fileSize, 0, size - m_fileSize);
    m_fileSize = size;
    m_position = std::min(m_position, m_fileSize);
}

ULONGLONG CMemFile::GetPosition() const {
    return m_position;
}

void CMemFile::Close() {
    if (m_owned) std::free(m_buffer);
    m_buffer = nullptr;
    m_bufferSize = 0;
    m_fileSize = 0;
    m_position = 0;
    m_owned = true;
}
