// Private to the GDI part: what a pen holds.
#pragma once

#include "GdiInternal.h"

#include <vector>

// A pen: CreatePen's style, width and colour, or an extended pen's style (with caps, joins and
// type), brush and user-style runs; and how many DCs hold it selected.
struct HPEN__ {
    DWORD style = PS_SOLID;
    int width = 0;                // logical units
    COLORREF color = 0;
    bool ext = false;             // made by ExtCreatePen
    UINT brushStyle = BS_SOLID;   // BS_SOLID or BS_NULL
    std::vector<DWORD> runs;      // PS_USERSTYLE runs, alternately drawn and skipped
    bool stock = false;
    int selectedCount = 0;
};
