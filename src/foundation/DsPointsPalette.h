// CDsPointsPalette: the screen-size point markers, one per marker style and size class.
//
// Only the two drawing calls that point geometries make so far; the marker table and its bitmap
// items come with the palettes. Until then the palette has no markers and both calls draw nothing.
#pragma once

#include <afx.h>

#include "VyrFigureGenerator.h"

class SPAposition;
class view3d;

// The points palette.
class AFX_EXT_CLASS CDsPointsPalette {
public:
    // A palette with an empty marker table.
    CDsPointsPalette() = default;
    // Frees the palette.
    virtual ~CDsPointsPalette();

    // Draws the marker of `style` at `size` pixels at `position` on `view`.
    void DrawMarker(int size, EPointStyle style, view3d& view, const SPAposition& position);
    // The same inside the renderers' scene walk, passing `walk` on.
    void DrawMarkerOnTraverse(int size, EPointStyle style, view3d& view, const SPAposition& position, bool walk);
};
