// CDsNFontStorage: the font description that text items and the view's GDI driver carry.
//
// Only what the display manager calls so far: the process-wide default font name (string
// resource 2174 of the display resource module "VyrDisplayRc", loaded on first use). The log
// font, the font object and the measurements come with the fonts.
#pragma once

#include <afx.h>

#include "VyrString.h"

// A font description (the default font name so far).
class AFX_EXT_CLASS CDsNFontStorage {
public:
    // The string resource that holds the default font name.
    static const unsigned int kDefaultFontNameId = 2174;

    // The default font name: loaded from the display resource module when it is still empty;
    // empty while that module or its string cannot be had (a later call tries again).
    static CVyrString StGetDefaultFontName();
    // The default font name becomes a copy of `name`.
    static void StSetDefaultFontName(CVyrString& name);

    // The default font name, empty until first asked for.
    static CVyrString sDefaultFontName;
};
