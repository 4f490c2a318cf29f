// CDsPointGeometry: the geometry of one parametric point.
#include "DsPointGeometry.h"

#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPointsPalette.h"
#include "DsRectangle.h"
#include "view3d.h"

CDsPointGeometry::CDsPointGeometry() : m_point(0.0, 0.0, 0.0) {}

CDsPointGeometry::CDsPointGeometry(const SPAposition& point, eVyrParamPointType type, EPointStyle style, int size)
    : m_point(point), m_type(type), m_style(style), m_size(size)
{
}

CDsPointGeometry::CDsPointGeometry(const CDsPointGeometry& other)
    : CDsGeometry(other), m_point(other.m_point), m_type(other.m_type), m_style(other.m_style), m_size(other.m_size)
{
}

CDsPointGeometry& CDsPointGeometry::operator=(const CDsPointGeometry& other)
{
    m_point = other.m_point;
    m_type = other.m_type;
    m_style = other.m_style;
    m_size = other.m_size;
    return *this;
}

CDsPointGeometry::~CDsPointGeometry() = default;

CDsGeometry* CDsPointGeometry::Clone() const
{
    return new CDsPointGeometry(*this);
}

const int* CDsPointGeometry::GetConnectedItems(unsigned int& count, int) const
{
    count = 0;
    return nullptr;
}

bool CDsPointGeometry::GetBoundBox(SPAbox& box, int) const
{
    return GetBoundBox(box);
}

bool CDsPointGeometry::GetBoundBox(SPAbox& box) const
{
    box = SPAbox(m_point, m_point);
    return true;
}

bool CDsPointGeometry::HasBoundBox(int) const
{
    return true;
}

int CDsPointGeometry::GetDrawPrimitives(int) const
{
    return eDpOnTop | eDpPoints;
}

int CDsPointGeometry::Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*)
{
    return 0;
}

void CDsPointGeometry::DrawGl(view3d& view, eDrawPrimitives, int, int, const CDsDrawContext*)
{
    CDsPointsPalette* palette = CDsManager::GetInstance()->GetPointsPalette();
    if (!palette) return;
    const EPointStyle style = PointStyle();
    palette->DrawMarker(MarkerSize(style), style, view, m_point);
}

void CDsPointGeometry::DrawOnTraverse(view3d& view, eDrawPrimitives, bool walk, int)
{
    CDsPointsPalette* palette = CDsManager::GetInstance()->GetPointsPalette();
    if (!palette) return;
    palette->DrawMarkerOnTraverse(10, PointStyle(), view, m_point, walk);
}

LONG CDsPointGeometry::DrawPoints(view3d& view, LONG, int)
{
    if (view.draw_point_3d(m_point) == 0) return 0;
    return MapTypeToRefPointMask(m_type);
}

int CDsPointGeometry::GetVertices(eDrawPrimitives, int, float*&, int&, int)
{
    return -1;
}

bool CDsPointGeometry::GetPoint(eParameterPoints, SPAposition&, int) const
{
    return false;
}

bool CDsPointGeometry::GetBoundBox2D(SDsBox2D& box) const
{
    const int h = (m_size > 0 ? m_size : 10) / 2;
    box.minX = -h;
    box.minY = -h;
    box.maxX = h;
    box.maxY = h;
    return true;
}

EPointStyle CDsPointGeometry::PointStyle() const
{
    if (m_style != ePointStyleByType && m_type == -1) return m_style;
    switch (m_type) {
    case 256:
    case 257:
        return EPointStyle(4);
    case 258:
        return EPointStyle(1);
    case 259:
    case 264:
    case 265:
    case 266:
        return EPointStyle(6);
    case 260:
    case 261:
        return EPointStyle(3);
    case 263:
        return EPointStyle(10);
    case 269:
        return EPointStyle(0);
    case 271:
        return EPointStyle(8);
    default:
        return EPointStyle(2);
    }
}

int CDsPointGeometry::MarkerSize(EPointStyle style) const
{
    if (m_size >= 1) return m_size;
    return style == EPointStyle(10) ? 3 : 10;
}

LONG CDsPointGeometry::MapTypeToRefPointMask(eVyrParamPointType type)
{
    int bit = -1;
    switch (type) {
    case 256: bit = 0; break;
    case 257: bit = 1; break;
    case 258: bit = 2; break;
    case 259: bit = 3; break;
    case 260: bit = 12; break;
    case 261: bit = 21; break;
    case 262: bit = 13; break;
    case 263: bit = 9; break;
    case 267: bit = 4; break;
    case 268: bit = 15; break;
    case 269: bit = 6; break;
    case 270: bit = 7; break;
    case 271: bit = 8; break;
    case 272: bit = 5; break;
    case 273: bit = 10; break;
    case 274: bit = 11; break;
    default: return 0;
    }
    return static_cast<LONG>(1u << bit);
}

CDsPointGeometryCreator::CDsPointGeometryCreator()
{
    CDsPartStorage::instance();
    CDsPartStorage::sm_Type2Cat[61] = 2;
}
