// CDsItemBitmap: the leaf item of a one-bit bitmap drawn at a window position (point markers of
// the points palette, texts rendered to a bitmap).
//
// Only what the points palette needs so far: a marker it holds can be deleted. The bitmap item
// itself (its bits, size, hot spot and position, drawing and picking) comes with the display
// items.
#pragma once

#include <afx.h>

// A one-bit bitmap item (deletion so far).
class AFX_EXT_CLASS CDsItemBitmap {
public:
    // Frees the item.
    virtual ~CDsItemBitmap();
};
