// CDsPointsPalette: the screen-size point markers, one bitmap item per marker style (0 to 10) and
// size class, 33 slots indexed style x 3 + size class. Size classes: 0 for marker sizes up to 5
// (a 5 x 5 bitmap), 1 for 6 to 15 (11 x 11), 2 for 16 and more (17 x 17). The markers' bitmaps are
// resources of the application's resource module, found along the framework's chain of resource
// modules; style 10 shows the bitmaps of style 3.
//
// A marker is made on its first use (CreateMarker): a bitmap item whose bits are the resource
// bitmap's, upright (its top row on top, as the item's rows run up from the bottom), with its hot
// spot in the middle. A resource that cannot be loaded leaves the slot empty, so that a later call
// tries again.
//
// Drawing a marker (DrawMarker, DrawMarkerOnTraverse): the marker of the size class of the size
// given is placed with its hot spot on the pixel gluProject gives the position (rows counted up,
// so that it is not mirrored about the middle row) and drawn in the current colour; a marker that
// cannot be made, or a position that does not project, draws nothing.
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

    // The marker of `style` (0 to 10) in size class `sizeClass` (0 to 2), made on first use as a
    // `pixelSize` x `pixelSize` bitmap item at position (0, 0) with its hot spot at (pixelSize / 2,
    // pixelSize / 2), holding the resource bitmap of StGetMarkerResourceId (a bitmap of another
    // size is cut or padded at the right and bottom). An existing marker is answered as it is.
    // Null, the slot left empty, out of range, for a size below 1 or when the bitmap cannot be
    // loaded.
    CDsItemBitmap* CreateMarker(int sizeClass, EPointStyle style, int pixelSize);

    // Draws the marker of `style` for `size` pixels at `position` on `view` (Refresh: attributes,
    // then the bitmap in the view's 2-D drawing).
    void DrawMarker(int size, EPointStyle style, view3d& view, const SPAposition& position);
    // The same inside the renderers' scene walk (already in 2-D), the attributes applied when
    // `walk` is set.
    void DrawMarkerOnTraverse(int size, EPointStyle style, view3d& view, const SPAposition& position, bool walk);
    // The marker of `size` and `style`, made when needed and placed at the position's pixel on
    // `view`, as the two above draw it; null when it cannot be made or the position does not
    // project.
    CDsItemBitmap* PlaceMarker(int size, EPointStyle style, view3d& view, const SPAposition& position);

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
