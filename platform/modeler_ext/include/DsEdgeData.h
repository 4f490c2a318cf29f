// CDsEdgeData: the curve record of one display curve of a face: a copy of its curve, the
// parameter range, the edge's sense and its convexity.
#pragma once

#include "VyrModelerExtApi.h"
#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// An edge's curve record. It owns its copy of the curve.
class VYR_MODELER_EXT_API CDsEdgeData {
public:
    // A record of a copy of `c` over `range` with the edge's sense (FORWARD or REVERSED; other
    // values are kept as given) and convexity.
    CDsEdgeData(const curve& c, SPAinterval range, int sense, EDGE_cvty convexity);
    // Not copyable: it owns its curve copy.
    CDsEdgeData(const CDsEdgeData&) = delete;
    CDsEdgeData& operator=(const CDsEdgeData&) = delete;
    // Frees the curve copy.
    virtual ~CDsEdgeData();

    // The curve copy.
    const curve& GetCurve() const { return *m_curve; }
    // The parameter range.
    const SPAinterval& GetRange() const { return m_range; }
    // The edge's sense.
    int GetSense() const { return m_sense; }
    // The convexity.
    EDGE_cvty GetConvexity() const { return m_convexity; }

private:
    curve* m_curve;
    SPAinterval m_range;
    int m_sense;
    EDGE_cvty m_convexity;
};
