// CDsNFontStorage: the font description that text items and the view's GDI driver carry: a
// LOGFONTW (height, escapement in tenths of a degree, italic flag, face name...), the framework
// font made from it on demand, and a right-to-left flag; and the process-wide default font name
// (string resource 2174 of the display resource module "VyrDisplayRc", loaded on first use).
//
// What the drivers call so far: the description and its accessors, the face name rules, making,
// selecting and releasing the font. Text-item operations (the character-format description, the
// em-to-ascent ratio, the check of the default font) come with the text items.
//
// Choices where the behaviour was open:
// - A face name longer than the log font holds (31 characters) is cut to its first 31.
// - The name "standard" is compared as written (lower case), like the empty name.
#pragma once

#include <afx.h>
#include <afxwin.h>

#include "VyrString.h"

// A font description.
class AFX_EXT_CLASS CDsNFontStorage {
public:
    // The string resource that holds the default font name.
    static const unsigned int kDefaultFontNameId = 2174;

    // The default log font (ResetLogFont), no font object, reading left to right.
    CDsNFontStorage();
    // A copy of the description and the right-to-left flag (CopyObject); no font object.
    CDsNFontStorage(const CDsNFontStorage& other);
    // Drops this storage's font object and copies the description (CopyObject).
    CDsNFontStorage& operator=(const CDsNFontStorage& other);
    // Deletes the font object.
    virtual ~CDsNFontStorage();

    // Fills `logFont` with the default description: height 12; width, escapement, orientation
    // 0; weight 400; not italic, underlined or struck out; DEFAULT_CHARSET; OUT_TT_ONLY_PRECIS;
    // clip precision 0; NONANTIALIASED_QUALITY; pitch and family 0; the default font name.
    void ResetLogFont(LOGFONTW& logFont) const;
    // The face name; "standard" and the empty name select the default font name.
    void SetName(const CVyrString& name);
    // The face name.
    void GetName(CVyrString& name) const;
    // Deletes the font object and makes a new one from the description; when that fails, the
    // face name becomes the default font name and the font is made again. The font object (owned
    // by the storage), or null when no font could be made.
    CFont* CreateFontW();
    // Makes the font object anew and selects it into `dc`; answers the font selected before
    // (null for a null DC or when the font cannot be made or selected).
    CFont* SelectMyFont(CDC* dc);
    // With both given, selects `previous` back into `dc`; then deletes the storage's font object
    // unless it is `previous` itself.
    void ReleaseMyFont(CDC* dc, CFont* previous);
    // Deletes the font object (nothing when there is none).
    void DeleteMyFont();
    // The font object, null until made.
    CFont* GetMyFont() const { return m_font; }

    // The description as it stands.
    const LOGFONTW& GetLogFont() const { return m_logFont; }
    // Height (logical units; negative: character height), stored as given.
    void SetHeight(long height) { m_logFont.lfHeight = static_cast<LONG>(height); }
    // Height.
    long GetHeight() const { return m_logFont.lfHeight; }
    // Italic (1) or upright (0).
    void SetSlanted(bool slanted) { m_logFont.lfItalic = slanted ? 1 : 0; }
    // 1 when italic.
    int GetSlanted() const { return m_logFont.lfItalic ? 1 : 0; }
    // Baseline angle in degrees, stored as tenths of a degree truncated toward zero.
    void SetLineAngle(float degrees);
    // Baseline angle in degrees.
    float GetLineAngleInDegrees() const { return static_cast<float>(m_logFont.lfEscapement) * 0.1f; }
    // Right-to-left reading (not part of the log font).
    void SetRightToLeft(bool rightToLeft) { m_rightToLeft = rightToLeft ? 1 : 0; }
    // Right-to-left reading.
    bool GetRightToLeft() const { return m_rightToLeft != 0; }

    // The default font name: loaded from the display resource module when it is still empty;
    // empty while that module or its string cannot be had (a later call tries again).
    static CVyrString StGetDefaultFontName();
    // The default font name becomes a copy of `name`.
    static void StSetDefaultFontName(CVyrString& name);

    // The default font name, empty until first asked for.
    static CVyrString sDefaultFontName;

private:
    // Drops the font object, copies the description and the flag, then the face name through
    // GetName / SetName.
    void CopyObject(const CDsNFontStorage& other);
    // No font object, reading left to right, the default description.
    void ResetMembers();

    LOGFONTW m_logFont{};
    CFont* m_font = nullptr;
    uint8_t m_rightToLeft = 0;
};
