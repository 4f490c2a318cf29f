// CVyrCurveExt: curve and polygon helpers; ClipLine2D: segment against a window rectangle.
#pragma once

#include "VyrModelerExtApi.h"
#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// Static curve helpers.
class VYR_MODELER_EXT_API CVyrCurveExt {
public:
    // How LineLineDist reads its two lines.
    enum {
        // Each line is the segment from its point p to p + d.
        kSegments = 0,
        // Each line is the unbounded line through p along d.
        kInfiniteLines = 9999
    };

    // True when `p` lies inside the closed polygon of `n` points (x and y only; z is ignored).
    // The polygon may repeat its first point at the end or not; it may be non-convex, and a
    // self-crossing one counts by the even-odd rule. Points within SPAresabs of an edge count
    // as inside. False for fewer than three points, a null array or non-finite coordinates.
    static bool ScnPtInPoly(const SPAposition& p, const SPAposition* poly, int n);

    // The parameter (of the edge's curve, inside the edge's param_range()) of the point of an
    // EDGE (or a COEDGE's edge) closest to `pos`. `pos` is in model space: the body's transform
    // is undone first. False (param unchanged) for null, other entities, edges without a curve,
    // non-finite positions and curves the modeler fails to evaluate.
    static bool ClosestPointParam1(const ENTITY* edge, const SPAposition& pos, double& param);

    // The closest points of two lines, each given by a point p and a direction d (see the
    // option): `on1` on the first, `on2` on the second, and their distance. False (outputs
    // unchanged) for non-finite input; for kInfiniteLines also for a zero direction or parallel
    // lines, whose closest points are not unique. Any option other than kInfiniteLines means
    // kSegments.
    static bool LineLineDist(const SPAposition& p1, const SPAvector& d1, const SPAposition& p2,
                             const SPAvector& d2, SPAposition& on1, SPAposition& on2, double& dist,
                             int option = kInfiniteLines);
};

// True when the segment (x1, y1)-(x2, y2) meets the rectangle with corners (xmin, ymin) and
// (xmax, ymax), boundary included (the corners may come in any order). A segment of zero length
// meets it when the point lies in it.
VYR_MODELER_EXT_API bool ClipLine2D(int x1, int y1, int x2, int y2, int xmin, int ymin, int xmax, int ymax);
