#include "DemoGeometry.h"

#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>
#include <tuple>

namespace vyrdemo {
namespace {

// A corner's position rounded to a grid fine enough to join corners the faceter shares.
using Key = std::tuple<long, long, long>;

Key KeyOf(const float* p)
{
    return Key(std::lround(p[0] * 1e4), std::lround(p[1] * 1e4), std::lround(p[2] * 1e4));
}

}  // namespace

CDemoFaceGeometry::CDemoFaceGeometry(const TriangleSoup& soup, int kinds) : m_kinds(kinds), m_soup(soup)
{
    // A side is on the outline when no other triangle of the face has it.
    std::map<std::pair<Key, Key>, int> sides;
    const auto& c = m_soup.corners;
    for (size_t t = 0; t + 18 <= c.size(); t += 18)
        for (int i = 0; i < 3; ++i) {
            Key a = KeyOf(&c[t + 6 * i]), b = KeyOf(&c[t + 6 * ((i + 1) % 3)]);
            if (b < a) std::swap(a, b);
            ++sides[{a, b}];
        }
    for (size_t t = 0; t + 18 <= c.size(); t += 18)
        for (int i = 0; i < 3; ++i) {
            const float* p = &c[t + 6 * i];
            const float* q = &c[t + 6 * ((i + 1) % 3)];
            Key a = KeyOf(p), b = KeyOf(q);
            if (b < a) std::swap(a, b);
            if (sides[{a, b}] != 1) continue;
            m_outline.insert(m_outline.end(), p, p + 3);
            m_outline.insert(m_outline.end(), q, q + 3);
        }
    float low[3], high[3];
    if (Bounds(m_soup, low, high)) {
        const double dx = high[0] - low[0], dy = high[1] - low[1], dz = high[2] - low[2];
        SetSize(static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz)));
    }
}

bool CDemoFaceGeometry::GetBoundBox(SPAbox& box, int) const
{
    float low[3], high[3];
    if (!Bounds(m_soup, low, high)) return false;
    box = SPAbox(SPAposition(low[0], low[1], low[2]), SPAposition(high[0], high[1], high[2]));
    return true;
}

void CDemoFaceGeometry::DrawGl(view3d&, eDrawPrimitives kinds, int, int, const CDsDrawContext*)
{
    if (kinds & eDpFaces) {
        glBegin(GL_TRIANGLES);
        for (size_t i = 0; i + 6 <= m_soup.corners.size(); i += 6) {
            glNormal3fv(&m_soup.corners[i + 3]);
            glVertex3fv(&m_soup.corners[i]);
        }
        glEnd();
    }
    if (kinds & eDpLines) {
        glBegin(GL_LINES);
        for (size_t i = 0; i + 3 <= m_outline.size(); i += 3) glVertex3fv(&m_outline[i]);
        glEnd();
    }
}

int CDemoFaceGeometry::Draw(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*)
{
    // Through the view (plots, measures): the outline only.
    if (!(kinds & (eDpLines | eDpFaces))) return 0;
    int drawn = 0;
    for (size_t i = 0; i + 6 <= m_outline.size(); i += 6) drawn += view.draw_polyline_3d(2, &m_outline[i], 0) ? 1 : 0;
    return drawn;
}

}  // namespace vyrdemo
