// CDsNFontStorage: the font description, its framework font and the default font name.
#include "DsNFontStorage.h"

#include "DsView3dCdc.h"
#include "UiCharFormat.h"
#include "VyrLangResourceManager.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <memory>

CVyrString CDsNFontStorage::sDefaultFontName;

namespace {

// The display resource module's name.
const wchar_t* const kDisplayModule = L"VyrDisplayRc";

// A lookup of the default font name that found none is remembered with the display resource
// module there was under its name at the time (null: none): text is drawn in every frame (the
// reference triad's labels), and without the module every lookup would try to load it again.
// Only another module under that name (one loaded or registered since) makes a lookup worth
// repeating; a name set by hand forgets the failure.
bool sDefaultFontNameMissing = false;
HMODULE sModuleWhenMissing = nullptr;

// String `id` of the display resource module; empty when the module or the string is missing.
CVyrString DisplayResourceString(unsigned int id)
{
    HINSTANCE module = CVyrLangResourceManager::GetInstance()->GetResourceHandle(CVyrString(kDisplayModule));
    if (!module) return CVyrString();
    const HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module);
    CStringW text;
    const bool loaded = text.LoadString(id) != 0;
    AfxSetResourceHandle(previous);
    return loaded ? CVyrString(text) : CVyrString();
}

// Copies `name` into a log font's face name, cut to the 31 characters the field holds.
void CopyFaceName(WCHAR (&field)[LF_FACESIZE], const wchar_t* name)
{
    size_t n = 0;
    for (; name && n < LF_FACESIZE - 1 && name[n]; ++n) field[n] = name[n];
    field[n] = 0;
}

}  // namespace

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
    CopyFaceName(logFont.lfFaceName, name.GetString());
}

void CDsNFontStorage::SetName(const CVyrString& name)
{
    const CVyrString face = name.IsEmpty() || std::wcscmp(name.GetString(), L"standard") == 0 ? StGetDefaultFontName() : name;
    CopyFaceName(m_logFont.lfFaceName, face.GetString());
}

void CDsNFontStorage::GetName(CVyrString& name) const
{
    const size_t length = std::find(m_logFont.lfFaceName, m_logFont.lfFaceName + LF_FACESIZE, L'\0') -
                          m_logFont.lfFaceName;
    name = CVyrString(m_logFont.lfFaceName, static_cast<int>(length));
}

void CDsNFontStorage::SetData(const CUiCharFormat& format)
{
    ResetLogFont(m_logFont);
    const unsigned long set = format.GetMask() & format.GetEffects();
    if (set & CUiCharFormat::eBold) m_logFont.lfWeight = FW_BOLD;
    if (set & CUiCharFormat::eItalic) m_logFont.lfItalic = 1;
    if (set & CUiCharFormat::eUnderline) m_logFont.lfUnderline = 1;
    m_logFont.lfPitchAndFamily = format.GetPitchAndFamily();
    SetName(CVyrString(format.GetFaceName()));
    m_rightToLeft = format.Right2Left() ? 1 : 0;
}

CFont* CDsNFontStorage::CreateFontW()
{
    DeleteMyFont();
    m_font = new CFont();
    if (!m_font->CreateFontIndirectW(&m_logFont)) return CreateDefaultFont();
    return m_font;
}

CFont* CDsNFontStorage::CreateDefaultFont()
{
    DeleteMyFont();
    SetName(StGetDefaultFontName());
    m_font = new CFont();
    if (!m_font->CreateFontIndirectW(&m_logFont)) DeleteMyFont();
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

void CDsNFontStorage::SetLineAngleInRadians(float radians)
{
    m_logFont.lfEscapement = static_cast<LONG>(radians * 180.0f / static_cast<float>(M_PI) * 10.0f);
}

float CDsNFontStorage::GetLineAngleInRadians() const
{
    return static_cast<float>(m_logFont.lfEscapement) * 0.1f * static_cast<float>(M_PI) / 180.0f;
}

float CDsNFontStorage::StComputeEmAscentRatio(long height, const TEXTMETRICW& metrics)
{
    const long ascent = metrics.tmAscent - metrics.tmInternalLeading;
    if (metrics.tmAscent == 0 || ascent <= 0) return 1.0f;
    return static_cast<float>(height) / static_cast<float>(ascent);
}

float CDsNFontStorage::GetEmAscentRatio() const
{
    static const long kHeight = 1000;
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    CDC* dc = view && view->GetGlContext() ? view->GetCdc() : nullptr;
    CDC display;
    CDC memory;
    if (!dc) {
        if (display.Attach(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)) && memory.CreateCompatibleDC(&display))
            dc = &memory;
    }
    float ratio = 1.0f;
    if (dc) {
        CDsNFontStorage measured(*this);
        measured.SetHeight(kHeight);
        measured.m_logFont.lfEscapement = 0;
        CFont* previous = measured.SelectMyFont(dc);
        TEXTMETRICW metrics{};
        if (previous && dc->GetTextMetricsW(&metrics)) ratio = StComputeEmAscentRatio(kHeight, metrics);
        measured.ReleaseMyFont(dc, previous);
        if (dc != &memory) view->ReleaseCdc(dc);
    }
    return ratio;
}

CVyrString CDsNFontStorage::StGetDefaultFontName()
{
    if (!sDefaultFontName.IsEmpty()) return sDefaultFontName;
    if (sDefaultFontNameMissing && GetModuleHandleW(kDisplayModule) == sModuleWhenMissing) return sDefaultFontName;
    sDefaultFontName = DisplayResourceString(kDefaultFontNameId);
    sDefaultFontNameMissing = sDefaultFontName.IsEmpty();
    sModuleWhenMissing = sDefaultFontNameMissing ? GetModuleHandleW(kDisplayModule) : nullptr;
    return sDefaultFontName;
}

void CDsNFontStorage::StCheckIfDefaultFontExist()
{
    const CVyrString expected = StGetDefaultFontName();
    CWnd* window = AfxGetMainWnd();
    if (expected.IsEmpty() || !window || !window->GetSafeHwnd()) return;
    CDC* dc = window->GetDC();
    if (!dc) return;
    CDsNFontStorage font;
    CFont* previous = font.SelectMyFont(dc);
    CStringW used;
    if (previous) {
        dc->GetTextFaceW(used);
        dc->SelectObject(previous);
    }
    font.DeleteMyFont();
    window->ReleaseDC(dc);
    if (!previous || used == expected.GetCString()) return;
    CStringW text = DisplayResourceString(kMissingFontTextId).GetCString();
    text += expected.GetCString();
    text += DisplayResourceString(kMissingFontTailId).GetCString();
    AfxMessageBox(text, 0, 0);
}

void CDsNFontStorage::StSetDefaultFontName(CVyrString& name)
{
    sDefaultFontName = name;
    sDefaultFontNameMissing = false;
    sModuleWhenMissing = nullptr;
}
