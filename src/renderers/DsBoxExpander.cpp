// CDsBoxExpander: a box widened by the triangles of a mesh.
#include "DsBoxExpander.h"

#include "DsBox.h"

void CDsBoxExpander::AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c)
{
    if (!m_box) return;
    for (const SPAposition* p : {&a, &b, &c}) {
        const float point[3] = {static_cast<float>(p->x()), static_cast<float>(p->y()), static_cast<float>(p->z())};
        m_box->Expand(point, &transformation);
    }
}
