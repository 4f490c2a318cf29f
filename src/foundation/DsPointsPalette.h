// CDsPointsPalette: the screen-size point markers, one bitmap item per marker style (0 to 10) and
// size class, 33 slots indexed style x 3 + size class. Size classes: 0 for marker sizes up to 5
// (a 5 x 5 bitmap), 1 for 6 to 15 (11 x 11), 2 for 16 and more (17 x 17). The markers' bitmaps are
// resources of the application's resource module; style 10 shows the bitmaps of style 3.
//
// Not yet here: making a marker on its first use (CreateMarker: a bitmap item of the marker's
// size whose bits are loaded from the resource of MarkerResourceId) and drawing it, which need
// the bitmap item and the resource bitmaps. Until then every slot stays empty and the drawing
// calls find no marker and draw nothing.
#pragma once

#include <afx.h>

#include "VyrFigureGenerator.h"

class CDsItemBitmap;
class SPAposition;
class view3d;

// The points palette.
class AFX_EXT_CLASS CDsPointsPalette {
public:
    // Number of marker styles (0 to 10).
    static const int kStyleCount = 11;
    // Number of size classes (0 to 2).
    static const int kSizeClassCount = 3;
    // Number of marker slots.
    static const int kMarkerCount = kStyleCount * kSizeClassCount;

    // A palette with an empty marker table.
    CDsPointsPalette();
    // Deletes every marker.
    virtual ~CDsPointsPalette();
    CDsPointsPalette(const CDsPointsPalette&) = delete;
    CDsPointsPalette& operator=(const CDsPointsPalette&) = delete;

    // Deletes every marker: all 33 slots empty.
    void ClearMarkers();
    // The marker of `style` (0 to 10) in size class `sizeClass` (0 to 2); null when the slot is
    // empty or out of range.
    CDsItemBitmap* GetMarker(int style, int sizeClass) const;

    // Draws the marker of `style` at `size` pixels at `position` on `view` (nothing while the
    // marker's slot is empty).
    void DrawMarker(int size, EPointStyle style, view3d& view, const SPAposition& position);
    // The same inside the renderers' scene walk, passing `walk` on.
    void DrawMarkerOnTraverse(int size, EPointStyle style, view3d& view, const SPAposition& position, bool walk);

    // The size class of a marker size: 0 up to 5, 1 from 6 to 15, 2 from 16.
    static int StGetSizeClass(int size);
    // The pixel size of the bitmaps of a size class (5, 11 or 17); 0 out of range.
    static int StGetMarkerPixels(int sizeClass);
    // The resource number of the bitmap of `style` (0 to 10) in size class `sizeClass` (0 to 2);
    // 0 out of range.
    static unsigned int StGetMarkerResourceId(int style, int sizeClass);

private:
    CDsItemBitmap* m_markers[kMarkerCount];
};
