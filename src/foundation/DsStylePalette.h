// CDsStylePalette: the line-style palette, 32 GL line stipples indexed by line style (the style
// byte of a line attribute), each a 16-bit pattern and a repeat factor.
//
// Styles 0 to 7 are the standard styles, fixed by the drafting standard (ISO: factor 2, ANSI:
// factor 1): 0 solid, 1 to 7 dashed and dotted patterns. Styles 8 to 31 are free for the host
// (0x63C6 with factor 1 until set). One default palette (ISO) lives for the library's lifetime;
// the active palette, which the drivers draw with, is the default one until another is activated.
// The palette is a framework palette too (a CPalette that holds no GDI palette of its own).
#pragma once

#include <afx.h>
#include <afxwin.h>

#include <cstdint>

// The drafting standard of styles 0 to 7.
enum EStandardLineStyles : int {
    eStandardIso = 0,   // ISO: factor 2
    eStandardAnsi = 1,  // ANSI: factor 1
};

// A table of 32 line stipples.
class AFX_EXT_CLASS CDsStylePalette : public CPalette {
public:
    // Number of styles.
    static constexpr int kStyleCount = 32;

    // ISO standard with the default styles.
    CDsStylePalette();
    // When this palette is the active one, the default palette becomes active.
    ~CDsStylePalette() override;
    // Copies the table and the standard (the copy is not active and holds no GDI palette).
    CDsStylePalette(const CDsStylePalette& other);
    // Copies the table and the standard; the GDI palette stays.
    CDsStylePalette& operator=(const CDsStylePalette& other);

    // Styles 0 to 7 of the stored standard, then styles 8 to 31 = 0x63C6 with factor 1.
    void SetDefaultStyles();
    // Styles 0 to 7 with ISO factors (2).
    void SetIsoStyles();
    // Styles 0 to 7 with ANSI factors (1).
    void SetAnsiStyles();
    // Stores the standard and sets styles 0 to 7 for it; any other value changes nothing.
    // Styles 8 to 31 stay.
    void SetStandard(EStandardLineStyles standard);
    // The stored standard.
    EStandardLineStyles GetStandrd() const { return m_standard; }
    // Pattern and factor of style 0 to 31; false (outputs unchanged) for any other style.
    bool GetStyle(int style, uint16_t& pattern, int& factor) const;
    // Sets pattern and factor of style 8 to 31; false (nothing changed) for styles 0 to 7, which
    // are fixed, and out of range.
    bool SetStyle(int style, uint16_t pattern, int factor);

    // Makes `palette` the active one (null: the default one).
    static void StActivate(CDsStylePalette* palette);
    // Makes the default palette active again, whatever palette is given.
    static void StDeactivate(CDsStylePalette* palette);
    // The active palette; never null.
    static CDsStylePalette* StGetActive();

    // The active palette (the default one unless another was activated).
    static CDsStylePalette* mActive;

private:
    void SetStandardStyles(int factor);

    uint16_t m_pattern[kStyleCount];
    int m_factor[kStyleCount];
    EStandardLineStyles m_standard = eStandardIso;
};
