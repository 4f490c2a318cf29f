// CStringW: the framework's wide string, a value type over std::wstring.
// The framework is built wide, so CString is the same type.
#pragma once

#include "VyrMfcApi.h"

#include "vyrwin_types.h"

#include <cstdarg>
#include <string>
#include <utility>

class CStringW;

namespace vyrmfc {
// Format arguments pass through unchanged, except strings, which pass their text
// (the framework's string can be handed straight to "%s").
template <typename T>
inline T&& FormatArg(T&& value) { return std::forward<T>(value); }
inline LPCWSTR FormatArg(const CStringW& value);
inline LPCWSTR FormatArg(CStringW& value);
inline LPCWSTR FormatArg(CStringW&& value);
}  // namespace vyrmfc

// A wide string with value semantics. Indexes and lengths are in WCHAR units;
// out-of-range positions are clamped (documented per member), never undefined.
class VYR_MFC_API CStringW {
public:
    // An empty string.
    CStringW() = default;
    // A copy of a null-terminated wide string; null gives an empty string.
    CStringW(LPCWSTR text);
    // The first `length` characters of text (null text or a negative length: empty).
    CStringW(LPCWSTR text, int length);
    // A narrow string, decoded as the system's narrow text (vyrwin_codec.h): as UTF-8
    // when it is valid UTF-8, else byte by byte as Windows-1252. Null: empty.
    CStringW(LPCSTR text);
    // `repeat` copies of one character (repeat < 1: empty).
    explicit CStringW(WCHAR ch, int repeat = 1);
    // A copy of a standard wide string.
    explicit CStringW(const std::wstring& text) : m_str(text) {}
    // Copy and move.
    CStringW(const CStringW& other) = default;
    CStringW(CStringW&& other) noexcept = default;
    CStringW& operator=(const CStringW& other) = default;
    CStringW& operator=(CStringW&& other) noexcept = default;
    // Assigns a wide string (null: empty).
    CStringW& operator=(LPCWSTR text);
    // Assigns a narrow string, decoded as the narrow constructor does.
    CStringW& operator=(LPCSTR text);
    // Assigns one character.
    CStringW& operator=(WCHAR ch);
    ~CStringW() = default;

    // Number of characters.
    int GetLength() const { return static_cast<int>(m_str.size()); }
    // True when the string has no characters.
    bool IsEmpty() const { return m_str.empty(); }
    // Makes the string empty.
    void Empty() { m_str.clear(); }
    // The null-terminated text; valid until the string changes.
    LPCWSTR GetString() const { return m_str.c_str(); }
    // The null-terminated text; valid until the string changes.
    operator LPCWSTR() const { return m_str.c_str(); }
    // The standard string held.
    const std::wstring& Str() const { return m_str; }

    // The character at index; 0 when the index is out of range.
    WCHAR GetAt(int index) const;
    // Replaces the character at index; ignored when the index is out of range.
    void SetAt(int index, WCHAR ch);
    // The character at index; 0 when the index is out of range.
    WCHAR operator[](int index) const { return GetAt(index); }

    // A writable buffer of at least minLength characters plus a terminator, holding
    // the current text. Call ReleaseBuffer before using the string again.
    LPWSTR GetBuffer(int minLength = 0);
    // A writable buffer holding exactly `length` characters (text cut or padded with 0).
    LPWSTR GetBufferSetLength(int length);
    // Ends buffer access: newLength < 0 takes the text up to the first 0 character;
    // otherwise the string keeps newLength characters (clamped to the buffer).
    void ReleaseBuffer(int newLength = -1);

    // Appending.
    CStringW& operator+=(const CStringW& text);
    CStringW& operator+=(LPCWSTR text);
    CStringW& operator+=(LPCSTR text);
    CStringW& operator+=(WCHAR ch);

    // Ordinal comparison: < 0, 0 or > 0 (null counts as empty).
    int Compare(LPCWSTR text) const;
    // Comparison ignoring case (characters folded to lower case first).
    int CompareNoCase(LPCWSTR text) const;

    // Index of the first `ch` at or after start; -1 when none or start is past the end.
    int Find(WCHAR ch, int start = 0) const;
    // Index of the first occurrence of sub at or after start; -1 when none, for a
    // null sub or when start is past the end. An empty sub is found at start.
    int Find(LPCWSTR sub, int start = 0) const;
    // Index of the last `ch`; -1 when none.
    int ReverseFind(WCHAR ch) const;

    // The first count characters (count < 0: empty; past the end: the whole string).
    CStringW Left(int count) const;
    // The last count characters (count < 0: empty; past the end: the whole string).
    CStringW Right(int count) const;
    // From first to the end (first < 0 counts as 0; past the end: empty).
    CStringW Mid(int first) const;
    // count characters from first, clamped to the string.
    CStringW Mid(int first, int count) const;

    // Case conversion in place (towupper / towlower of the current locale).
    CStringW& MakeUpper();
    CStringW& MakeLower();

    // Removes white space (iswspace), or the given character, or any of the given
    // characters, from both ends / the start / the end.
    CStringW& Trim();
    CStringW& Trim(WCHAR target);
    CStringW& Trim(LPCWSTR targets);
    CStringW& TrimLeft();
    CStringW& TrimLeft(WCHAR target);
    CStringW& TrimLeft(LPCWSTR targets);
    CStringW& TrimRight();
    CStringW& TrimRight(WCHAR target);
    CStringW& TrimRight(LPCWSTR targets);

    // Replaces every oldChar by newChar; answers how many were replaced.
    int Replace(WCHAR oldChar, WCHAR newChar);
    // Replaces every (non-overlapping, left to right) occurrence of oldText by
    // newText (null: empty); answers how many. A null or empty oldText replaces nothing.
    int Replace(LPCWSTR oldText, LPCWSTR newText);
    // Removes every ch; answers how many were removed.
    int Remove(WCHAR ch);
    // Inserts before index (clamped to 0..length); answers the new length.
    int Insert(int index, WCHAR ch);
    int Insert(int index, LPCWSTR text);
    // Deletes count characters from index (both clamped); answers the new length.
    int Delete(int index, int count = 1);

    // printf-style formatting in the framework's convention, not the C library's:
    // %s and %ls read a wide string (WCHAR*), %S and %hs a narrow UTF-8/locale
    // string (char*); %c and %lc a wide character, %C and %hc a narrow one; %ld,
    // %lu, %lx read 32-bit LONG/DWORD values; %I64d (and u, x) read 64-bit and %Id a
    // pointer-sized integer. Width, precision, flags, %%, %f/%e/%g/%p work as usual.
    // A string object passed for %s is read as its text. A bad format gives an empty
    // string.
    template <typename... Args>
    void Format(LPCWSTR format, Args&&... args) { FormatRaw(format, vyrmfc::FormatArg(std::forward<Args>(args))...); }
    // As Format, appending to the current text.
    template <typename... Args>
    void AppendFormat(LPCWSTR format, Args&&... args) { AppendFormatRaw(format, vyrmfc::FormatArg(std::forward<Args>(args))...); }
    // Format with an argument list.
    void FormatV(LPCWSTR format, va_list args);
    // AppendFormat with an argument list.
    void AppendFormatV(LPCWSTR format, va_list args);
    // Format with C variadic arguments (no string objects among them).
    void FormatRaw(LPCWSTR format, ...);
    // AppendFormat with C variadic arguments (no string objects among them).
    void AppendFormatRaw(LPCWSTR format, ...);

    // The next token delimited by any of `tokens`, starting at `start`; start moves
    // past the token. When no token remains the answer is empty and start becomes -1.
    // With null or empty `tokens` the rest of the string is one token.
    CStringW Tokenize(LPCWSTR tokens, int& start) const;

    // Loads string `id` from the current resource module, then from the chain of
    // extension modules. False (string unchanged) when no module has it.
    BOOL LoadString(UINT id);

private:
    std::wstring m_str;
};

// The framework is built wide: CString is the wide string.
typedef CStringW CString;

// Concatenation.
VYR_MFC_API CStringW operator+(const CStringW& a, const CStringW& b);
VYR_MFC_API CStringW operator+(const CStringW& a, LPCWSTR b);
VYR_MFC_API CStringW operator+(LPCWSTR a, const CStringW& b);
VYR_MFC_API CStringW operator+(const CStringW& a, WCHAR b);
VYR_MFC_API CStringW operator+(WCHAR a, const CStringW& b);

// Ordinal comparisons (null counts as empty).
inline bool operator==(const CStringW& a, const CStringW& b) { return a.Str() == b.Str(); }
inline bool operator!=(const CStringW& a, const CStringW& b) { return !(a == b); }
inline bool operator<(const CStringW& a, const CStringW& b) { return a.Str() < b.Str(); }
inline bool operator>(const CStringW& a, const CStringW& b) { return b < a; }
inline bool operator<=(const CStringW& a, const CStringW& b) { return !(b < a); }
inline bool operator>=(const CStringW& a, const CStringW& b) { return !(a < b); }
inline bool operator==(const CStringW& a, LPCWSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCWSTR a, const CStringW& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CStringW& a, LPCWSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCWSTR a, const CStringW& b) { return b.Compare(a) != 0; }
inline bool operator<(const CStringW& a, LPCWSTR b) { return a.Compare(b) < 0; }
inline bool operator<(LPCWSTR a, const CStringW& b) { return b.Compare(a) > 0; }
inline bool operator>(const CStringW& a, LPCWSTR b) { return a.Compare(b) > 0; }
inline bool operator>(LPCWSTR a, const CStringW& b) { return b.Compare(a) < 0; }
inline bool operator==(const CStringW& a, WCHAR b) { return a.GetLength() == 1 && a.GetAt(0) == b; }
inline bool operator==(WCHAR a, const CStringW& b) { return b == a; }
inline bool operator!=(const CStringW& a, WCHAR b) { return !(a == b); }
inline bool operator!=(WCHAR a, const CStringW& b) { return !(b == a); }

namespace vyrmfc {
inline LPCWSTR FormatArg(const CStringW& value) { return value.GetString(); }
inline LPCWSTR FormatArg(CStringW& value) { return value.GetString(); }
inline LPCWSTR FormatArg(CStringW&& value) { return value.GetString(); }
}  // namespace vyrmfc
