// CStdioFile: lines of UTF-8 text over CFile, with a read-ahead buffer.
#include "afx.h"

#include "MfcInternal.h"
#include "vyrwin_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const size_t kReadChunk = 4096;

}  // namespace

CStdioFile::CStdioFile(LPCWSTR fileName, UINT openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

BOOL CStdioFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error) {
    m_readAhead.clear();
    m_readPos = 0;
    m_text = (openFlags & typeBinary) == 0;
    return CFile::Open(fileName, openFlags, error);
}

void CStdioFile::DropReadAhead() {
    size_t unread = m_readAhead.size() - m_readPos;
    m_readAhead.clear();
    m_readPos = 0;
    if (unread > 0) CFile::Seek(-static_cast<LONGLONG>(unread), current);
}

BOOL CStdioFile::ReadString(CStringW& text) {
    CheckOpen();
    std::string line;
    bool any = false;
    for (;;) {
        if (m_readPos == m_readAhead.size()) {
            const bool atStart = CFile::GetPosition() == 0;
            m_readAhead.resize(kReadChunk);
            UINT n = CFile::Read(m_readAhead.data(), static_cast<UINT>(kReadChunk));
            m_readAhead.resize(n);
            m_readPos = 0;
            if (n == 0) break;
            // A UTF-8 byte-order mark at the start of the file is not text.
            if (atStart && n >= 3 && std::memcmp(m_readAhead.data(), "\xEF\xBB\xBF", 3) == 0) m_readPos = 3;
            continue;
        }
        any = true;
        auto begin = m_readAhead.begin() + static_cast<std::ptrdiff_t>(m_readPos);
        auto newline = std::find(begin, m_readAhead.end(), '\n');
        line.append(begin, newline);
        m_readPos = static_cast<size_t>(newline - m_readAhead.begin());
        if (newline != m_readAhead.end()) {
            ++m_readPos;  // the '\n' itself
            break;
        }
    }
    if (!any) {
        text.Empty();
        return FALSE;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text = CStringW(vyrwin::WideFromNarrow(line.data(), line.size()));
    return TRUE;
}

void CStdioFile::WriteString(LPCWSTR text) {
    if (!text) return;
    CheckOpen();
    std::string bytes = vyrwin::Utf8FromWide(text);
    if (m_text) {
        std::string crlf;
        crlf.reserve(bytes.size() + bytes.size() / 16 + 2);
        for (char c : bytes) {
            if (c == '\n') crlf.push_back('\r');
            crlf.push_back(c);
        }
        bytes.swap(crlf);
    }
    // Written in pieces a UINT can count.
    size_t done = 0;
    while (done < bytes.size()) {
        size_t piece = std::min<size_t>(bytes.size() - done, 1u << 30);
        Write(bytes.data() + done, static_cast<UINT>(piece));
        done += piece;
    }
}

UINT CStdioFile::Read(void* buffer, UINT count) {
    CheckOpen();
    if (count == 0) return 0;
    if (!buffer) AfxThrowFileException(CFileException::genericException, EINVAL, m_strFileName);
    size_t fromBuffer = std::min<size_t>(count, m_readAhead.size() - m_readPos);
    // Nothing read ahead: the buffer may have no storage at all, which memcpy must not be given.
    if (fromBuffer > 0) std::memcpy(buffer, m_readAhead.data() + m_readPos, fromBuffer);
    m_readPos += fromBuffer;
    if (fromBuffer == count) return count;
    return static_cast<UINT>(fromBuffer) +
           CFile::Read(static_cast<char*>(buffer) + fromBuffer, count - static_cast<UINT>(fromBuffer));
}

void CStdioFile::Write(const void* buffer, UINT count) {
    CheckOpen();
    DropReadAhead();
    CFile::Write(buffer, count);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
    CheckOpen();
    DropReadAhead();
    return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const {
    return CFile::GetPosition() - (m_readAhead.size() - m_readPos);
}

void CStdioFile::SetLength(ULONGLONG length) {
    CheckOpen();
    DropReadAhead();
    CFile::SetLength(length);
}

void CStdioFile::Close() {
    m_readAhead.clear();
    m_readPos = 0;
    CFile::Close();
}

void CStdioFile::Abort() {
    m_readAhead.clear();
    m_readPos = 0;
    CFile::Abort();
}
