// CArchive: buffered little-endian binary streams over a CFile.
#include "afx.h"

#include "MfcInternal.h"
#include "vyrwin_codec.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kMinBuffer = 16;
// Strings are read in pieces of this many code units, so a corrupt length meets
// the end of the data before it can exhaust memory.
const size_t kStringPiece = 1u << 16;

}  // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufSize, void* buf) : m_file(file), m_mode(mode) {
    size_t size = bufSize > 0 ? static_cast<size_t>(bufSize) : 0;
    if (buf && size >= kMinBuffer) {
        m_buf = static_cast<BYTE*>(buf);
        m_bufSize = size;
    } else {
        m_own.resize(std::max(size, kMinBuffer));
        m_buf = m_own.data();
        m_bufSize = m_own.size();
    }
}

CArchive::~CArchive() {
    if (m_file && !(m_mode & bNoFlushOnDelete)) {
        try {
            Close();
        } catch (CException* e) {
            e->Delete();
        }
    }
    Abort();
}

void CArchive::Throw(int cause) const {
    AfxThrowArchiveException(cause, m_file ? m_file->GetFilePath().GetString() : nullptr);
}

void CArchive::Drain() {
    if (m_cur == 0) return;
    size_t n = m_cur;
    m_cur = 0;
    m_file->Write(m_buf, static_cast<UINT>(n));
}

size_t CArchive::Fill() {
    if (m_cur > 0) {
        std::memmove(m_buf, m_buf + m_cur, m_max - m_cur);
        m_max -= m_cur;
        m_cur = 0;
    }
    UINT got = m_file->Read(m_buf + m_max, static_cast<UINT>(m_bufSize - m_max));
    m_max += got;
    return m_max;
}

void CArchive::Flush() {
    if (!m_file) return;
    if (IsStoring()) {
        Drain();
        m_file->Flush();
    } else {
        size_t unread = m_max - m_cur;
        m_cur = m_max = 0;
        if (unread > 0) m_file->Seek(-static_cast<LONGLONG>(unread), CFile::current);
    }
}

void CArchive::Close() {
    Flush();
    m_file = nullptr;
}

void CArchive::Abort() {
    m_file = nullptr;
    m_cur = m_max = 0;
}

UINT CArchive::Read(void* buffer, UINT count) {
    if (!m_file) Throw(CArchiveException::genericException);
    if (IsStoring()) Throw(CArchiveException::writeOnly);
    if (count == 0) return 0;
    if (!buffer) Throw(CArchiveException::genericException);
    BYTE* out = static_cast<BYTE*>(buffer);
    size_t done = 0;
    while (done < count) {
        if (m_cur == m_max) {
            size_t left = count - done;
            if (left >= m_bufSize) {
                // Large reads bypass the buffer.
                UINT got = m_file->Read(out + done, static_cast<UINT>(left));
                done += got;
                break;
            }
            m_cur = m_max = 0;
            if (Fill() == 0) break;
        }
        size_t n = std::min<size_t>(count - done, m_max - m_cur);
        std::memcpy(out + done, m_buf + m_cur, n);
        m_cur += n;
        done += n;
    }
    return static_cast<UINT>(done);
}

void CArchive::ReadExact(void* buffer, UINT count) {
    if (Read(buffer, count) != count) Throw(CArchiveException::endOfFile);
}

void CArchive::Write(const void* buffer, UINT count) {
    if (!m_file) Throw(CArchiveException::genericException);
    if (IsLoading()) Throw(CArchiveException::readOnly);
    if (count == 0) return;
    if (!buffer) Throw(CArchiveException::genericException);
    const BYTE* in = static_cast<const BYTE*>(buffer);
    if (count >= m_bufSize) {
        // Large writes bypass the buffer.
        Drain();
        m_file->Write(in, count);
        return;
    }
    size_t done = 0;
    while (done < count) {
        if (m_cur == m_bufSize) Drain();
        size_t n = std::min<size_t>(count - done, m_bufSize - m_cur);
        std::memcpy(m_buf + m_cur, in + done, n);
        m_cur += n;
        done += n;
    }
}

void CArchive::WriteLE(uint64_t value, int n) {
    BYTE bytes[8];
    for (int i = 0; i < n; ++i) bytes[i] = static_cast<BYTE>(value >> (8 * i));
    Write(bytes, static_cast<UINT>(n));
}

uint64_t CArchive::ReadLE(int n) {
    BYTE bytes[8];
    ReadExact(bytes, static_cast<UINT>(n));
    uint64_t value = 0;
    for (int i = 0; i < n; ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    return value;
}

CArchive& CArchive::operator<<(BYTE v) { WriteLE(v, 1); return *this; }
CArchive& CArchive::operator<<(char v) { WriteLE(static_cast<BYTE>(v), 1); return *this; }
CArchive& CArchive::operator<<(bool v) { WriteLE(v ? 1 : 0, 1); return *this; }
CArchive& CArchive::operator<<(WORD v) { WriteLE(v, 2); return *this; }
CArchive& CArchive::operator<<(SHORT v) { WriteLE(static_cast<uint16_t>(v), 2); return *this; }
CArchive& CArchive::operator<<(int32_t v) { WriteLE(static_cast<uint32_t>(v), 4); return *this; }
CArchive& CArchive::operator<<(uint32_t v) { WriteLE(v, 4); return *this; }
CArchive& CArchive::operator<<(long long v) { WriteLE(static_cast<uint64_t>(v), 8); return *this; }
CArchive& CArchive::operator<<(unsigned long long v) { WriteLE(v, 8); return *this; }

CArchive& CArchive::operator<<(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteLE(bits, 4);
    return *this;
}

CArchive& CArchive::operator<<(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteLE(bits, 8);
    return *this;
}

CArchive& CArchive::operator>>(BYTE& v) { v = static_cast<BYTE>(ReadLE(1)); return *this; }
CArchive& CArchive::operator>>(char& v) { v = static_cast<char>(ReadLE(1)); return *this; }
CArchive& CArchive::operator>>(bool& v) { v = ReadLE(1) != 0; return *this; }
CArchive& CArchive::operator>>(WORD& v) { v = static_cast<WORD>(ReadLE(2)); return *this; }
CArchive& CArchive::operator>>(SHORT& v) { v = static_cast<SHORT>(static_cast<uint16_t>(ReadLE(2))); return *this; }
CArchive& CArchive::operator>>(int32_t& v) { v = static_cast<int32_t>(static_cast<uint32_t>(ReadLE(4))); return *this; }
CArchive& CArchive::operator>>(uint32_t& v) { v = static_cast<uint32_t>(ReadLE(4)); return *this; }
CArchive& CArchive::operator>>(long long& v) { v = static_cast<long long>(ReadLE(8)); return *this; }
CArchive& CArchive::operator>>(unsigned long long& v) { v = ReadLE(8); return *this; }

CArchive& CArchive::operator>>(float& v) {
    uint32_t bits = static_cast<uint32_t>(ReadLE(4));
    std::memcpy(&v, &bits, sizeof v);
    return *this;
}

CArchive& CArchive::operator>>(double& v) {
    uint64_t bits = ReadLE(8);
    std::memcpy(&v, &bits, sizeof v);
    return *this;
}

CArchive& CArchive::operator<<(const CStringW& s) {
    const std::u16string units = vyrwin::Utf16FromWide(s.Str());
    size_t length = units.size();
    *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
    if (length < 0xFF) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(length);
    }
    for (size_t i = 0; i < length; i += kStringPiece) {
        size_t n = std::min(kStringPiece, length - i);
        std::vector<BYTE> bytes(n * 2);
        for (size_t k = 0; k < n; ++k) {
            bytes[2 * k] = static_cast<BYTE>(units[i + k]);
            bytes[2 * k + 1] = static_cast<BYTE>(units[i + k] >> 8);
        }
        Write(bytes.data(), static_cast<UINT>(bytes.size()));
    }
    return *this;
}

CArchive& CArchive::operator<<(LPCWSTR s) {
    return *this << CStringW(s);
}

CArchive& CArchive::operator>>(CStringW& s) {
    bool wide = false;
    uint64_t length = 0;
    for (;;) {
        BYTE b;
        *this >> b;
        if (b < 0xFF) {
            length = b;
            break;
        }
        WORD w;
        *this >> w;
        if (w == 0xFFFE) {
            if (wide) Throw(CArchiveException::badIndex);  // the wide mark twice
            wide = true;
            continue;
        }
        if (w == 0xFFFF) {
            DWORD d;
            *this >> d;
            if (d == 0xFFFFFFFF) {
                unsigned long long q;
                *this >> q;
                length = q;
            } else {
                length = d;
            }
        } else {
            length = w;
        }
        break;
    }
    if (length > static_cast<uint64_t>(INT32_MAX)) Throw(CArchiveException::badIndex);

    // UTF-16 strings are decoded whole, so a surrogate pair split between two pieces joins.
    const size_t unitSize = wide ? 2 : 1;
    std::vector<BYTE> bytes;
    std::u16string units;
    std::string narrow;
    for (uint64_t done = 0; done < length;) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(kStringPiece, length - done));
        bytes.resize(n * unitSize);
        ReadExact(bytes.data(), static_cast<UINT>(bytes.size()));
        if (wide) {
            for (size_t k = 0; k < n; ++k) units += static_cast<char16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
        } else {
            narrow.append(reinterpret_cast<const char*>(bytes.data()), n);
        }
        done += n;
    }
    const std::wstring text =
        wide ? vyrwin::WideFromUtf16(units) : vyrwin::WideFromNarrow(narrow.data(), narrow.size());
    s = CStringW(text);
    return *this;
}

void CArchive::WriteString(LPCWSTR text) {
    if (!text) return;
    const std::u16string units = vyrwin::Utf16FromWide(text, std::wcslen(text));
    std::vector<BYTE> bytes(units.size() * 2);
    for (size_t k = 0; k < units.size(); ++k) {
        bytes[2 * k] = static_cast<BYTE>(units[k]);
        bytes[2 * k + 1] = static_cast<BYTE>(units[k] >> 8);
    }
    for (size_t i = 0; i < bytes.size(); i += (1u << 30)) {
        Write(bytes.data() + i, static_cast<UINT>(std::min<size_t>(bytes.size() - i, 1u << 30)));
    }
}

BOOL CArchive::ReadString(CStringW& text) {
    std::u16string units;
    bool any = false;
    for (;;) {
        BYTE pair[2];
        if (Read(pair, 2) != 2) break;
        any = true;
        uint16_t unit = static_cast<uint16_t>(pair[0] | (pair[1] << 8));
        if (unit == L'\n') break;
        units += static_cast<char16_t>(unit);
    }
    if (!any) {
        text.Empty();
        return FALSE;
    }
    if (!units.empty() && units.back() == L'\r') units.pop_back();
    text = CStringW(vyrwin::WideFromUtf16(units));
    return TRUE;
}
