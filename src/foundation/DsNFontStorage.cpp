// CDsNFontStorage: the font description, its framework font and the default font name.
#include "DsNFontStorage.h"

#include "VyrLangResourceManager.h"

#include <algorithm>
#include <cwchar>

CVyrString CDsNFontStorage::sDefaultFontName;

CDsNFontStorage::CDsNFontStorage()
{
    ResetMembers();
}

CDsNFontStorage::CDsNFontStorage(const CDsNFontStorage& other)
{
    ResetMembers();
    CopyObject(other);
}

CDsNFontStorage& CDsNFontStorage::operator=(const CDsNFontStorage& other)
{
    if (this != &other) CopyObject(other);
    return *this;
}

CDsNFontStorage::~CDsNFontStorage()
{
    DeleteMyFont();
}

void CDsNFontStorage::ResetMembers()
{
    DeleteMyFont();
    m_rightToLeft = 0;
    ResetLogFont(m_logFont);
}

void CDsNFontStorage::CopyObject(const CDsNFontStorage& other)
{
    DeleteMyFont();
    m_logFont = other.m_logFont;
    m_rightToLeft = other.m_rightToLeft;
    CVyrString name;
    other.GetName(name);
    SetName(name);
}

void CDsNFontStorage::ResetLogFont(LOGFONTW& logFont) const
{
    logFont = LOGFONTW{};
    logFont.lfHeight = 12;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    logFont.lfClipPrecision = 0;
    logFont.lfQuality = NONANTIALIASED_QUALITY;
    logFont.lfPitchAndFamily = 0;
    const CVyrString name = StGetDefaultFontName();
    std::wcsncpy(logFont.lfFaceName, name.GetString(), LF_FACESIZE - 1);
    logFont.lfFaceName[LF_FACESIZE - 1] = 0;
}

void CDsNFontStorage::SetName(const CVyrString& name)
{
    const CVyrString face = name.IsEmpty() || std::wcscmp(name.GetString(), L"standard") == 0 ? StGetDefaultFontName() : name;
    std::wcsncpy(m_logFont.lfFaceName, face.GetString(), LF_FACESIZE - 1);
    m_logFont.lfFaceName[LF_FACESIZE - 1] = 0;
}

void CDsNFontStorage::GetName(CVyrString& name) const
{
    const size_t length = std::find(m_logFont.lfFaceName, m_logFont.lfFaceName + LF_FACESIZE, L'\0') -
                          m_logFont.lfFaceName;
    name = CVyrString(m_logFont.lfFaceName, static_cast<int>(length));
}

CFont* CDsNFontStorage::CreateFontW()
{
    DeleteMyFont();
    m_font = new CFont();
    if (!m_font->CreateFontIndirectW(&m_logFont)) {
        SetName(StGetDefaultFontName());
        if (!m_font->CreateFontIndirectW(&m_logFont)) DeleteMyFont();
    }
    return m_font;
}

CFont* CDsNFontStorage::SelectMyFont(CDC* dc)
{
    if (!dc) return nullptr;
    CFont* font = CreateFontW();
    return font ? dc->SelectObject(font) : nullptr;
}

void CDsNFontStorage::ReleaseMyFont(CDC* dc, CFont* previous)
{
    if (dc && previous) dc->SelectObject(previous);
    if (m_font != previous) DeleteMyFont();
}

void CDsNFontStorage::DeleteMyFont()
{
    delete m_font;
    m_font = nullptr;
}

void CDsNFontStorage::SetLineAngle(float degrees)
{
    m_logFont.lfEscapement = static_cast<LONG>(degrees * 10.0f);
}

CVyrString CDsNFontStorage::StGetDefaultFontName()
{
    if (sDefaultFontName.IsEmpty()) {
        HINSTANCE module = CVyrLangResourceManager::GetInstance()->GetResourceHandle(CVyrString(L"VyrDisplayRc"));
        if (module) {
            const HINSTANCE previous = AfxGetResourceHandle();
            AfxSetResourceHandle(module);
            CStringW name;
            if (name.LoadString(kDefaultFontNameId)) sDefaultFontName = CVyrString(name);
            AfxSetResourceHandle(previous);
        }
    }
    return sDefaultFontName;
}

void CDsNFontStorage::StSetDefaultFontName(CVyrString& name)
{
    sDefaultFontName = name;
}
