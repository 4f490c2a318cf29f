// CDsItemSilhouette: surface kind, level test, and the segments supplied from the face's mesh for
// the view being drawn.
#include "DsItemSilhouette.h"

#include "DsDriverGl.h"
#include "DsItemsFace.h"
#include "DsView3dCdc.h"
#include "VyrIndexedMesh.h"

#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

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

// Directions closer than this (per component of unit vectors) give the same segments: the
// model-view matrix holds floats, so one camera gives one direction to well within it.
constexpr double kSameDirection = 1e-7;

// How far a hidden-line frame moves an outline off its face, in pixels (see the header comment).
constexpr double kPixelsOffTheFace = 0.75;

}  // namespace

CDsItemSilhouette::CDsItemSilhouette(CDsItemsFace* face) : CDsItemsGroup(nullptr, nullptr)
{
    SetParent(face);
    m_surfaceKind = SurfaceKind(face ? face->GetEntity() : nullptr);
}

CDsItemSilhouette::~CDsItemSilhouette() = default;

EDsItemsType CDsItemSilhouette::GetItemType()
{
    return eDsItemSilhouette;
}

int CDsItemSilhouette::PickSilhouette()
{
    return 0;
}

void CDsItemSilhouette::AddSegment(const SPAposition& first, const SPAposition& second)
{
    m_segments.push_back(first);
    m_segments.push_back(second);
    m_sides.emplace_back();
}

const SPAposition* CDsItemSilhouette::GetSegment(int index) const
{
    if (index < 0 || index >= GetSegmentsCount()) return nullptr;
    return &m_segments[2 * static_cast<size_t>(index)];
}

void CDsItemSilhouette::ClearSegments()
{
    m_segments.clear();
    m_sides.clear();
    m_computed = false;
    m_meshRevision = CVyrIndexedMesh::SRevision();
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

bool CDsItemSilhouette::ViewInMeshFrame(view3d& view, SPAposition& eye, SPAvector& direction)
{
    if (CDsView3dCdc::StCheckIfPlotIsActive()) {
        // Plotted through the view: its camera, the mesh placed by its model transform.
        const SPAtransf placement = view.is_model_transform_enabled() ? view.get_model_transform() : SPAtransf();
        const SPAtransf back = placement.inverse();
        eye = view.get_eye() * back;
        direction = normalise(view.get_target() - view.get_eye()) * back;
    } else {
        // Drawn through OpenGL: the model-view matrix takes the mesh's frame to the eye's, where
        // the line of sight runs from the origin along -z. Its inverse takes both back.
        GLdouble m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        // a(r, c) = m[4c + r]; the inverse of the 3 x 3 part by its cofactors.
        auto a = [&m](int r, int c) { return m[4 * c + r]; };
        double inv[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
                inv[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
            }
        const double det = a(0, 0) * inv[0][0] + a(0, 1) * inv[1][0] + a(0, 2) * inv[2][0];
        if (!std::isfinite(det) || std::fabs(det) < 1e-300) return false;
        for (auto& row : inv)
            for (double& v : row) v /= det;
        const double t[3] = {m[12], m[13], m[14]};
        double e[3];
        for (int r = 0; r < 3; ++r) e[r] = -(inv[r][0] * t[0] + inv[r][1] * t[1] + inv[r][2] * t[2]);
        eye = SPAposition(e[0], e[1], e[2]);
        direction = SPAvector(-inv[0][2], -inv[1][2], -inv[2][2]);
    }
    direction = normalise(direction);
    return !direction.is_zero(0.5);
}

void CDsItemSilhouette::UpdateSegments(view3d& view)
{
    auto* face = dynamic_cast<CDsItemsFace*>(GetParent());
    const CVyrIndexedMesh* mesh = face ? face->GetMesh() : nullptr;
    SPAposition eye;
    SPAvector direction;
    if (!mesh || !ViewInMeshFrame(view, eye, direction)) {
        ClearSegments();
        return;
    }
    const CVyrIndexedMesh::SRevision revision = mesh->GetRevision();
    if (m_computed && m_meshRevision == revision &&
        std::fabs(direction.x() - m_direction.x()) <= kSameDirection &&
        std::fabs(direction.y() - m_direction.y()) <= kSameDirection &&
        std::fabs(direction.z() - m_direction.z()) <= kSameDirection)
        return;
    ClearSegments();
    m_computing.clear();
    mesh->ComputeSilhouette(SPAtransf(), eye, eye + direction, m_computing, &m_sides);
    m_segments.reserve(2 * m_computing.size());
    for (const auto& segment : m_computing) {
        m_segments.push_back(segment.first);
        m_segments.push_back(segment.second);
    }
    m_meshRevision = revision;
    m_direction = direction;
    m_computed = true;
}

void CDsItemSilhouette::DrawSegments(view3d& view)
{
    UpdateSegments(view);
    if (!CDsView3dCdc::StCheckIfPlotIsActive()) {
        DrawGl(view);
        return;
    }
    for (size_t i = 0; i + 1 < m_segments.size(); i += 2) view.draw_polyline_3d_positions(2, &m_segments[i], 0);
}

void CDsItemSilhouette::Refresh(view3d& view)
{
    if (!IsLevelShown(view)) return;
    if (!GetAttributes()->CheckDisplayPhaseMatch(&view)) return;
    SetAttributesToView(&view);
    DrawSegments(view);
}

void CDsItemSilhouette::DrawGeometry(view3d& view)
{
    if (!IsLevelShown(view)) return;
    GetAttributes()->CheckDisplayPhaseMatch(&view);
}

void CDsItemSilhouette::DrawGl(view3d& view)
{
    if (m_segments.size() < 2) return;
    const ERenderMode mode = view.GetRenderMode();
    if ((mode == eRenderHiddenLines || mode == eRenderPartialHiddenLines) && m_computed) {
        DrawMovedOffTheFace();
        return;
    }
    // Separate lines in one batch: the same pixels as one begin and end per segment.
    CDsDriverGl::StDrawPoints(static_cast<int>(m_segments.size() / 2 * 2), m_segments.data(), GL_LINES);
}

void CDsItemSilhouette::DrawMovedOffTheFace()
{
    // Where a model point lands in the window, through the matrices the drawing uses now.
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    auto window = [&](const SPAposition& p, double& x, double& y) {
        GLdouble wx = 0, wy = 0, wz = 0;
        if (gluProject(p.x(), p.y(), p.z(), modelView, projection, viewport, &wx, &wy, &wz) != GL_TRUE) return false;
        x = wx;
        y = wy;
        return std::isfinite(x) && std::isfinite(y);
    };
    // Beyond the corners of its mesh edge, and a little more so that the pixel it lights is not
    // an edge pixel of a triangle in front.
    auto moveOff = [&](SPAposition& end, const SPAunit_vector& away, double reach) {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (away.is_zero(0.5) || !window(end, x0, y0) || !window(end + away, x1, y1)) return;
        const double pixelsPerUnit = std::hypot(x1 - x0, y1 - y0);
        if (pixelsPerUnit > 1e-12) end += away * (reach + kPixelsOffTheFace / pixelsPerUnit);
    };
    CDsDriverGl::StBeginVertices(GL_LINES);
    for (size_t i = 0; i + 1 < m_segments.size(); i += 2) {
        SPAposition first = m_segments[i], second = m_segments[i + 1];
        const CVyrIndexedMesh::SSilhouetteSide& side = m_sides[i / 2];
        moveOff(first, side.away[0], side.reach[0]);
        moveOff(second, side.away[1], side.reach[1]);
        for (const SPAposition* end : {&first, &second})
            CDsDriverGl::StVertex(static_cast<float>(end->x()), static_cast<float>(end->y()), static_cast<float>(end->z()));
    }
    CDsDriverGl::StEndVertices();
}
