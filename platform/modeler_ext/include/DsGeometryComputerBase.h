// CDsGeometryComputerBase: the screen-space conversions that the display core's geometry computer
// inherits.
//
// Pixel rows: a view's drawable coordinates count y down from the top of its viewport, OpenGL's
// window coordinates count rows up from the bottom; ComputeUpsideDownCoordY turns a row of one
// into the same row of the other (row y <-> height - 1 - y), both ways.
#pragma once

#include "VyrModelerExtApi.h"

class view3d;

// Base of the geometry computer.
class VYR_MODELER_EXT_API CDsGeometryComputerBase {
public:
    // A stateless computer.
    CDsGeometryComputerBase() = default;
    // Frees the computer.
    virtual ~CDsGeometryComputerBase();

    // Row `y` counted from the other edge of `view`'s viewport: height - 1 - y. Without a view
    // the row is answered unchanged.
    int ComputeUpsideDownCoordY(const view3d* view, int y) const;
    // The pixel position, counted from the lower-left corner of `view`'s viewport (OpenGL's
    // direction), of the relative position (rx, ry): x = rx x width, y = ry x height, so (0, 0)
    // is the lower-left corner and (1, 1) the upper-right one. Without a view, or for a relative
    // position that is not a finite number, (0, 0).
    void ComputeRelativeCoordinates2D(const view3d* view, float rx, float ry, float& x, float& y) const;
    // The same truncated to whole pixels.
    void ComputeRelativeCoordinates2D(const view3d* view, float rx, float ry, int& x, int& y) const;
};
