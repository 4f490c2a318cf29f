// Edge curve records.
#include "DsEdgeData.h"

CDsEdgeData::CDsEdgeData(const curve& c, SPAinterval range, int sense, EDGE_cvty convexity)
    : m_curve(c.make_copy()), m_range(range), m_sense(sense), m_convexity(convexity)
{
}

CDsEdgeData::~CDsEdgeData()
{
    delete m_curve;
}
