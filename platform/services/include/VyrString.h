// CVyrString: the wide string that every interface of the display system takes.
#pragma once

#include "VyrServicesApi.h"

#include <afxstr.h>

#include <string>

// A wide-character string (wchar_t, 32 bits here) over the framework's CStringW,
// with conversions from narrow and standard strings and loading from the string
// resources of the display core. Narrow text is UTF-8, the system's multibyte
// encoding here, both when it is read and when GetMultiByte writes it.
class VYR_SERVICES_API CVyrString {
public:
    // An empty string.
    CVyrString();
    // A copy of a framework string.
    CVyrString(const CStringW& text);
    // A null-terminated wide string; null gives an empty string.
    CVyrString(const wchar_t* text);
    // A null-terminated narrow (UTF-8) string; null gives an empty string. Bytes
    // that are not UTF-8 are decoded as the framework's narrow strings are.
    CVyrString(const char* text);
    // The first `length` characters of a wide buffer (null or negative length: empty).
    CVyrString(const wchar_t* text, int length);
    // `count` copies of one character (count < 1: empty).
    CVyrString(wchar_t ch, int count);
    // A standard narrow (UTF-8) string, up to its first zero character.
    CVyrString(const std::string& text);
    // A standard wide string, up to its first zero character.
    CVyrString(const std::wstring& text);
    // A copy of another string (its multibyte conversion is not shared).
    CVyrString(const CVyrString& other);
    // Empty, then string resource `id` loaded as LoadResourceString does.
    CVyrString(unsigned int id, bool switchResources);
    // Takes the text of another string.
    CVyrString& operator=(const CVyrString& other);
    // Releases the text and its multibyte conversion.
    virtual ~CVyrString();

    // Loads string resource `id` into this string. With switchResources, and
    // when the core's module is not already the framework's resource handle, the
    // core's resources are made current for the load and the previous handle is
    // restored afterwards; otherwise the resources are searched as they are.
    // False (text unchanged) when no resource module holds the id.
    virtual BOOL LoadResourceString(unsigned int id, bool switchResources);

    // The text, null-terminated; valid until the string changes.
    LPCWSTR GetString() const { return m_text.GetString(); }
    // The text, null-terminated; valid until the string changes.
    operator LPCWSTR() const { return m_text.GetString(); }
    // The framework string held.
    const CStringW& GetCString() const { return m_text; }
    // The number of characters.
    int GetLength() const { return m_text.GetLength(); }
    // True when there are no characters.
    bool IsEmpty() const { return m_text.IsEmpty(); }
    // Makes the string empty.
    void Empty();

    // The text as UTF-8, null-terminated, in a buffer this string owns: it stays
    // valid while this string is unchanged and is freed by any change or by the
    // string's destruction. Other strings' conversions are unaffected. Characters
    // that are not valid code points become U+FFFD.
    const char* GetMultiByte() const;

    // Makes the text usable as a file name: every character other than an ASCII
    // letter or digit, a backslash, a colon or a dot becomes '_'.
    void ReplaceInvalidFileChars();

    // Appends text.
    CVyrString& operator+=(const CVyrString& text);
    CVyrString& operator+=(const wchar_t* text);
    CVyrString& operator+=(wchar_t ch);

private:
    // Drops the multibyte conversion after a change of the text.
    void Changed();

    CStringW m_text;
    mutable std::string m_multiByte;
    mutable bool m_multiByteValid = false;
};

// Concatenation.
VYR_SERVICES_API CVyrString operator+(const CVyrString& a, const CVyrString& b);
VYR_SERVICES_API CVyrString operator+(const CVyrString& a, const wchar_t* b);
VYR_SERVICES_API CVyrString operator+(const wchar_t* a, const CVyrString& b);

// Ordinal comparisons (a null pointer counts as empty).
inline bool operator==(const CVyrString& a, const CVyrString& b) { return a.GetCString() == b.GetCString(); }
inline bool operator==(const CVyrString& a, const wchar_t* b) { return a.GetCString().Compare(b) == 0; }
inline bool operator==(const wchar_t* a, const CVyrString& b) { return b == a; }
inline bool operator==(const CVyrString& a, const CStringW& b) { return a.GetCString() == b; }
inline bool operator==(const CStringW& a, const CVyrString& b) { return b == a; }
inline bool operator!=(const CVyrString& a, const CVyrString& b) { return !(a == b); }
inline bool operator!=(const CVyrString& a, const wchar_t* b) { return !(a == b); }
inline bool operator!=(const wchar_t* a, const CVyrString& b) { return !(b == a); }
inline bool operator!=(const CVyrString& a, const CStringW& b) { return !(a == b); }
inline bool operator!=(const CStringW& a, const CVyrString& b) { return !(b == a); }
inline bool operator<(const CVyrString& a, const CVyrString& b) { return a.GetCString() < b.GetCString(); }
