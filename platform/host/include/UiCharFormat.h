// CUiCharFormat: the character format of the host's text controls: which properties it sets (the
// mask), their values (the effects), the pitch and family, the face name and the reading
// direction, and the character height. Display items take fonts from it (CDsNFontStorage::SetData)
// and model heights of texts (GetHeightMm).
//
// The height is kept in twips (1/1440 inch), as a text control keeps it; GetHeightMm gives it in
// millimetres, the model unit of the texts made from a format. A negative height reads as 0.
#pragma once

#include "VyrHostApi.h"

#include <windows.h>

// The character format of a text control.
class VYR_HOST_API CUiCharFormat {
public:
    // Bits of the mask and of the effects.
    enum EProperty : unsigned long {
        eBold = 0x1,      // bold
        eItalic = 0x2,    // italic
        eUnderline = 0x4  // underlined
    };
    // Longest face name kept, in characters.
    static const int kFaceNameMax = 31;

    // No property set, no effect, pitch and family 0, no face name, left to right.
    CUiCharFormat() = default;

    // Which properties the format sets (EProperty bits).
    unsigned long GetMask() const { return m_mask; }
    // Sets which properties the format sets.
    void SetMask(unsigned long mask) { m_mask = mask; }
    // The values of the properties (EProperty bits); a bit counts only where the mask has it.
    unsigned long GetEffects() const { return m_effects; }
    // Sets the values of the properties.
    void SetEffects(unsigned long effects) { m_effects = effects; }
    // The pitch and family byte.
    BYTE GetPitchAndFamily() const { return m_pitchAndFamily; }
    // Sets the pitch and family byte.
    void SetPitchAndFamily(BYTE pitchAndFamily) { m_pitchAndFamily = pitchAndFamily; }
    // The face name (terminated, at most kFaceNameMax characters).
    const WCHAR* GetFaceName() const { return m_faceName; }
    // Sets the face name, cut to its first kFaceNameMax characters; null gives an empty name.
    void SetFaceName(const WCHAR* name);
    // Whether the text reads from right to left.
    bool Right2Left() const { return m_rightToLeft; }
    // Sets whether the text reads from right to left.
    void SetRight2Left(bool rightToLeft) { m_rightToLeft = rightToLeft; }
    // The character height in twips (0 until set).
    LONG GetHeight() const { return m_height; }
    // Sets the character height in twips.
    void SetHeight(LONG twips) { m_height = twips; }
    // The character height of `format` in millimetres (twips x 25.4 / 1440; 0 for a negative one).
    static float GetHeightMm(const CUiCharFormat& format);

private:
    unsigned long m_mask = 0;
    unsigned long m_effects = 0;
    BYTE m_pitchAndFamily = 0;
    WCHAR m_faceName[kFaceNameMax + 1] = {};
    bool m_rightToLeft = false;
    LONG m_height = 0;
};
