// CVyrString: conversions, resource loading and file-name cleaning.
#include "VyrString.h"

#include "UiResourceManager.h"

#include <afx.h>
#include <vyrwin_codec.h>

CVyrString::CVyrString() = default;

CVyrString::CVyrString(const CStringW& text) : m_text(text) {}

CVyrString::CVyrString(const wchar_t* text) : m_text(text) {}

CVyrString::CVyrString(const char* text) : m_text(text) {}

CVyrString::CVyrString(const wchar_t* text, int length) : m_text(text, length) {}

CVyrString::CVyrString(wchar_t ch, int count) : m_text(ch, count) {}

CVyrString::CVyrString(const std::string& text) : m_text(text.c_str()) {}

CVyrString::CVyrString(const std::wstring& text) : m_text(text.c_str()) {}

CVyrString::CVyrString(const CVyrString& other) : m_text(other.m_text) {}

CVyrString::CVyrString(unsigned int id, bool switchResources) { LoadResourceString(id, switchResources); }

CVyrString& CVyrString::operator=(const CVyrString& other) {
    if (this != &other) {
        m_text = other.m_text;
        Changed();
    }
    return *this;
}

CVyrString::~CVyrString() = default;

BOOL CVyrString::LoadResourceString(unsigned int id, bool switchResources) {
    BOOL loaded;
    if (switchResources && gUiResourceManager.GetModuleHandle() != AfxGetResourceHandle()) {
        gUiResourceManager.SwitchToModuleResources(true);
        loaded = m_text.LoadString(id);
        gUiResourceManager.RestoreResources();
    } else {
        loaded = m_text.LoadString(id);
    }
    if (loaded) Changed();
    return loaded;
}

void CVyrString::Empty() {
    m_text.Empty();
    Changed();
}

const char* CVyrString::GetMultiByte() const {
    if (!m_multiByteValid) {
        m_multiByte = vyrwin::Utf8FromWide(m_text.Str());
        m_multiByteValid = true;
    }
    return m_multiByte.c_str();
}

void CVyrString::ReplaceInvalidFileChars() {
    for (int i = 0; i < m_text.GetLength(); ++i) {
        wchar_t c = m_text.GetAt(i);
        bool keep = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                    c == L'\\' || c == L':' || c == L'.';
        if (!keep) m_text.SetAt(i, L'_');
    }
    Changed();
}

CVyrString& CVyrString::operator+=(const CVyrString& text) {
    m_text += text.m_text;
    Changed();
    return *this;
}

CVyrString& CVyrString::operator+=(const wchar_t* text) {
    m_text += text;
    Changed();
    return *this;
}

CVyrString& CVyrString::operator+=(wchar_t ch) {
    m_text += ch;
    Changed();
    return *this;
}

void CVyrString::Changed() {
    // Swapping with an empty string releases the buffer rather than keeping it
    // for the next conversion.
    std::string().swap(m_multiByte);
    m_multiByteValid = false;
}

CVyrString operator+(const CVyrString& a, const CVyrString& b) {
    CVyrString result(a);
    result += b;
    return result;
}

CVyrString operator+(const CVyrString& a, const wchar_t* b) {
    CVyrString result(a);
    result += b;
    return result;
}

CVyrString operator+(const wchar_t* a, const CVyrString& b) {
    CVyrString result(a);
    result += b;
    return result;
}
