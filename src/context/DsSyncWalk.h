// The synchronisation of a view with the scene database: the location-box walk that gives every
// visible location its window box, the dirty-rectangle record of a frame, and the searches the
// frame drawing runs over its lists.
#pragma once

#include "VyrObjectPath.h"

#include <windows.h>

#include <vector>

// One dirty rectangle of a frame: a window rectangle (y up: top is the larger y) and the location
// it belongs to (an empty path for a bare rectangle).
struct SDsLocationRect {
    // An empty rectangle without a path.
    SDsLocationRect() = default;
    // `r` without a path.
    explicit SDsLocationRect(const RECT& r) : rect(r) {}
    // `r` of the location `p`.
    SDsLocationRect(const RECT& r, const CVyrObjectPath& p) : rect(r), path(p) {}

    RECT rect = {0, 0, 0, 0};
    CVyrObjectPath path;
};

// The dirty rectangles of a frame; empty means the whole viewport.
typedef std::vector<SDsLocationRect> TDsLocationRects;
