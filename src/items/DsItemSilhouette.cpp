// CDsItemSilhouette: surface kind, level test and segments.
#include "DsItemSilhouette.h"

#include "DsItemsFace.h"

#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "view3d.h"

#include <GL/gl.h>

namespace {

// The kind of the surface of `entity` when it is a FACE with a surface.
int SurfaceKind(ENTITY* entity)
{
    if (!is_FACE(entity)) return CDsItemSilhouette::eSurfaceOther;
    const SURFACE* geometry = static_cast<FACE*>(entity)->geometry();
    if (!geometry) return CDsItemSilhouette::eSurfaceOther;
    switch (geometry->equation().type()) {
    case cone_type:
        return CDsItemSilhouette::eSurfaceCone;
    case plane_type:
        return CDsItemSilhouette::eSurfacePlane;
    case torus_type:
        return CDsItemSilhouette::eSurfaceTorus;
    case sphere_type:
        return CDsItemSilhouette::eSurfaceSphere;
    case spline_type:
        return CDsItemSilhouette::eSurfaceSpline;
    default:
        return CDsItemSilhouette::eSurfaceOther;
    }
}

}  // namespace

CDsItemSilhouette::CDsItemSilhouette(CDsItemsFace* face) : CDsItemsGroup(nullptr, nullptr)
{
    SetParent(face);
    m_surfaceKind = SurfaceKind(face ? face->GetEntity() : nullptr);
}

CDsItemSilhouette::~CDsItemSilhouette()
{
    for (SPAposition* segment : m_segments) delete[] segment;
}

EDsItemsType CDsItemSilhouette::GetItemType()
{
    return eDsItemSilhouette;
}

void CDsItemSilhouette::AddSegment(const SPAposition& first, const SPAposition& second)
{
    SPAposition* segment = new SPAposition[2];
    segment[0] = first;
    segment[1] = second;
    m_segments.push_back(segment);
}

bool CDsItemSilhouette::IsLevelShown(view3d& view) const
{
    switch (view.GetSilhouetteLevel()) {
    case eDsSilhouetteNone:
        return false;
    case eDsSilhouetteCylinders:
        return m_surfaceKind == eSurfaceCone;
    default:
        return true;
    }
}

void CDsItemSilhouette::Refresh(view3d& view)
{
    if (!IsLevelShown(view)) return;
    if (GetAttributes()->CheckDisplayPhaseMatch(&view)) SetAttributesToView(&view);
}

void CDsItemSilhouette::DrawGeometry(view3d& view)
{
    if (!IsLevelShown(view)) return;
    GetAttributes()->CheckDisplayPhaseMatch(&view);
}

void CDsItemSilhouette::DrawGl(view3d&)
{
    for (const SPAposition* segment : m_segments) {
        glBegin(GL_LINES);
        glVertex3d(segment[0].x(), segment[0].y(), segment[0].z());
        glVertex3d(segment[1].x(), segment[1].y(), segment[1].z());
        glEnd();
    }
}
