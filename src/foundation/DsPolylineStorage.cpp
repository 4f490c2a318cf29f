#include "DsPolylineStorage.h"

CDsPolylineStorage::CDsPolylineStorage(int count, const CGmPosition* points)
{
    if (count < 1 || !points) return;
    m_vertices.assign(points, points + count);
}

CGmPosition CDsPolylineStorage::GetTRansformedVertex(int i) const
{
    if (i < 0 || i >= GetVertexCount()) return CGmPosition();
    return CGmPosition(m_vertices[static_cast<size_t>(i)] * m_transformation);
}
