// CDsNFontStorage: the font description that text items and the view's GDI driver carry: a
// LOGFONTW (height, escapement in tenths of a degree, italic flag, face name...), the framework
// font made from it on demand, and a right-to-left flag; and the process-wide default font name
// (string resource 2174 of the display resource module "VyrDisplayRc", loaded on first use).
//
// The line angle lives in the log font's escapement, in tenths of a degree.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A face name longer than the log font holds (31 characters), wherever it comes from (a name
//   given, a character format, the default font name), is cut to its first 31.
// - The name "standard" is compared as written (lower case), like the empty name.
// - GetEmAscentRatio answers 1 when the measured ascent minus internal leading is 0 or less (no
//   ratio can be had from such metrics), as it does when the metrics cannot be read.
// - StCheckIfDefaultFontExist checks nothing while the default font name is empty (no resource
//   module gave one): there is no face to miss.
// - The texts of the default-font message (string resources 2221 and 2222) come from the display
//   resource module, like the default font name.
#pragma once

#include <afx.h>
#include <afxwin.h>

#include <cstdint>

#include "VyrString.h"

class CUiCharFormat;
struct TEXTMETRICW;

// A font description.
class AFX_EXT_CLASS CDsNFontStorage {
public:
    // The string resource that holds the default font name.
    static const unsigned int kDefaultFontNameId = 2174;
    // The string resource that opens the message of a substituted default font.
    static const unsigned int kMissingFontTextId = 2221;
    // The string resource that closes that message.
    static const unsigned int kMissingFontTailId = 2222;

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
    // The default description, then bold, italic and underline where both the format's mask and
    // its effects carry them, its pitch and family, its face name (through SetName) and its
    // reading direction.
    void SetData(const CUiCharFormat& format);
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
    // Baseline angle in radians, stored as tenths of a degree truncated toward zero.
    void SetLineAngleInRadians(float radians);
    // Baseline angle in radians.
    float GetLineAngleInRadians() const;
    // Weight 700 (bold) or 400.
    void SetBold(bool bold) { m_logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL; }
    // True exactly when the weight is 700.
    bool GetBold() const { return m_logFont.lfWeight == FW_BOLD; }
    // Underlined (1) or not (0).
    void SetUnderline(bool underline) { m_logFont.lfUnderline = underline ? 1 : 0; }
    // 1 when underlined.
    int GetUnderline() const { return m_logFont.lfUnderline ? 1 : 0; }
    // Character set, stored as given.
    void SetCharSet(uint8_t charSet) { m_logFont.lfCharSet = charSet; }
    // Character set.
    uint8_t GetCharSet() const { return m_logFont.lfCharSet; }
    // Pitch and family, stored as given.
    void SetPitchAndFamily(uint8_t pitchAndFamily) { m_logFont.lfPitchAndFamily = pitchAndFamily; }
    // Pitch and family.
    uint8_t GetPitchAndFamily() const { return m_logFont.lfPitchAndFamily; }
    // Right-to-left reading (not part of the log font).
    void SetRightToLeft(bool rightToLeft) { m_rightToLeft = rightToLeft ? 1 : 0; }
    // Right-to-left reading.
    bool GetRightToLeft() const { return m_rightToLeft != 0; }

    // The em height of the font over its character ascent (ascent minus internal leading),
    // measured at height 1000 without escapement on the current view's device context (its
    // OpenGL context made current first), else on a memory DC of the display; 1 when the
    // metrics cannot be read or give no ascent.
    float GetEmAscentRatio() const;
    // The ratio GetEmAscentRatio draws from measured metrics of a font made `height` high: height
    // over (ascent - internal leading); 1 when the ascent is 0 or the difference is 0 or less.
    static float StComputeEmAscentRatio(long height, const TEXTMETRICW& metrics);

    // The default font name: loaded from the display resource module when it is still empty;
    // empty while that module or its string cannot be had. A failed lookup is remembered: a
    // later call tries again only once another module goes by the display resource module's
    // name (loaded or registered since), or after StSetDefaultFontName.
    static CVyrString StGetDefaultFontName();
    // The default font name becomes a copy of `name`.
    static void StSetDefaultFontName(CVyrString& name);
    // Makes a font of the default description on the main window's DC and, when the DC draws it
    // with another face than the default font name, tells the user once per call (string 2221,
    // the name, string 2222). Nothing without a main window, its DC or a default font name.
    static void StCheckIfDefaultFontExist();

    // The default font name, empty until first asked for.
    static CVyrString sDefaultFontName;

private:
    // Drops the font object, copies the description and the flag, then the face name through
    // GetName / SetName.
    void CopyObject(const CDsNFontStorage& other);
    // No font object, reading left to right, the default description.
    void ResetMembers();
    // The face name becomes the default font name and the font is made again; the font object,
    // null when none can be made.
    CFont* CreateDefaultFont();

    LOGFONTW m_logFont{};
    CFont* m_font = nullptr;
    uint8_t m_rightToLeft = 0;
};
