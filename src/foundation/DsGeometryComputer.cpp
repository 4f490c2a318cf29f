// CDsGeometryComputer: the process-wide geometry service.
#include "DsGeometryComputer.h"

#include "DsTempFolder.h"

#include "DsAcisPick.h"
#include "DsDriverExtrema.h"
#include "DsGlSketch.h"
#include "DsGlContext.h"
#include "DsPolyline.h"
#include "DsView3dCdc.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "SpaErrors.h"
#include "view3d.h"

#include <afxwin.h>

#include <GL/gl.h>
#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace {

// The one instance, built by the library's static initialisers.
CDsGeometryComputer gGeometryComputer;

const double kZeroTolerance = 1e-6;
const double kDisplayRange = 1e9;
const double kPlaneTolerance = 1e-5;
const float kSignTolerance = 1e-4f;

// Keeps the current OpenGL context's projection and model-view matrices, viewport, scissor box and
// depth test for its lifetime and puts them back when it ends (nothing without a context, or when
// another context is current by then).
class CGlTransformsKept {
public:
    CGlTransformsKept() : m_context(wglGetCurrentContext())
    {
        if (!m_context) return;
        glGetDoublev(GL_PROJECTION_MATRIX, m_projection);
        glGetDoublev(GL_MODELVIEW_MATRIX, m_modelview);
        glGetIntegerv(GL_MATRIX_MODE, &m_mode);
        glGetIntegerv(GL_VIEWPORT, m_viewport);
        glGetIntegerv(GL_SCISSOR_BOX, m_scissor);
        m_depth = glIsEnabled(GL_DEPTH_TEST);
    }
    ~CGlTransformsKept()
    {
        if (!m_context || wglGetCurrentContext() != m_context) return;
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixd(m_projection);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(m_modelview);
        glMatrixMode(static_cast<GLenum>(m_mode));
        glViewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
        glScissor(m_scissor[0], m_scissor[1], m_scissor[2], m_scissor[3]);
        if (m_depth)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
    }
    CGlTransformsKept(const CGlTransformsKept&) = delete;
    CGlTransformsKept& operator=(const CGlTransformsKept&) = delete;

private:
    HGLRC m_context;
    GLdouble m_projection[16] = {};
    GLdouble m_modelview[16] = {};
    GLint m_mode = GL_MODELVIEW;
    GLint m_viewport[4] = {};
    GLint m_scissor[4] = {};
    GLboolean m_depth = GL_FALSE;
};

// The viewport height of `view`, read once per caller when a cell is given.
int ViewportHeight(const view3d& view, int* cell)
{
    if (cell && *cell != -1) return *cell;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    if (cell) *cell = vh;
    return vh;
}

// True when the 2-D point (0, 0) lies on segment a-b within the sign tolerance.
bool OriginOnSegment(float ax, float ay, float bx, float by)
{
    const float dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    float t = 0.0f;
    if (len2 > 0.0f) t = -(ax * dx + ay * dy) / len2;
    if (t < 0.0f) t = 0.0f;
    if (t > 1.0f) t = 1.0f;
    const float px = ax + t * dx, py = ay + t * dy;
    return px * px + py * py < kSignTolerance * kSignTolerance;
}

// A unit vector perpendicular to the unit vector `f`: its cross product with the coordinate axis
// least aligned with it, so the result is well conditioned.
SPAunit_vector PerpendicularTo(const SPAunit_vector& f)
{
    int least = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(f.component(i)) < std::fabs(f.component(least))) least = i;
    SPAvector e;
    e.set_component(least, 1.0);
    return normalise(cross(f, e));
}

} // namespace

CDsGeometryComputer::~CDsGeometryComputer() = default;

CDsGeometryComputer* CDsGeometryComputer::GetInstance()
{
    return &gGeometryComputer;
}

// --- Conversions and elementary vectors -------------------------------------------------

float CDsGeometryComputer::ConvertDegreesToRadians(float degrees) const
{
    return static_cast<float>(degrees * 0.017453292519943295);
}

float CDsGeometryComputer::ConvertRadiansToDegrees(float radians) const
{
    return static_cast<float>(radians * 180.0 * 0.3183098861837907);
}

void CDsGeometryComputer::CalculateCartesianFromPolarCoordinates(float a, float b, float r, const float* origin,
                                                                 float* out) const
{
    if (!origin || !out) return;
    const float ra = ConvertDegreesToRadians(a), rb = ConvertDegreesToRadians(b);
    out[0] = origin[0] + r * (-std::cos(ra) * std::sin(rb));
    out[1] = origin[1] + r * std::sin(ra);
    out[2] = origin[2] + r * (std::cos(ra) * std::cos(rb));
}

void CDsGeometryComputer::CalculatePolarFromCartesianCoordinates(const float* p, float r, const float* origin,
                                                                 float& elevation, float& azimuth) const
{
    elevation = 0.0f;
    azimuth = 0.0f;
    if (!p || !origin || r == 0.0f || !std::isfinite(r)) return;
    float s = (p[1] - origin[1]) / r;
    if (s > 1.0f) s = 1.0f;
    if (s < -1.0f) s = -1.0f;
    elevation = ConvertRadiansToDegrees(std::asin(s));
    azimuth = ConvertRadiansToDegrees(std::atan2(p[0] - origin[0], p[2] - origin[2]));
}

float CDsGeometryComputer::CalculateDistance(const float* a, const float* b) const
{
    if (!a || !b) return 0.0f;
    const float dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double CDsGeometryComputer::CalculateDistance(const SPAposition& a, const SPAposition& b) const
{
    return (b - a).len_sq();
}

void CDsGeometryComputer::CalculateVector(const float* a, const float* b, float* out) const
{
    if (!a || !b || !out) return;
    for (int i = 0; i < 3; ++i) out[i] = b[i] - a[i];
}

double CDsGeometryComputer::CalculateDistanceFromPlane(const float* p, const double* plane) const
{
    if (!p || !plane) return 0.0;
    return plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2] + plane[3];
}

float CDsGeometryComputer::CalculateNormalAndDegreesAngleBetween(const float* a, const float* b, float* normal) const
{
    if (!a || !b || !normal) return 0.0f;
    const SPAvector va(a[0], a[1], a[2]), vb(b[0], b[1], b[2]);
    const SPAvector c = cross(va, vb);
    SPAunit_vector n = normalise(c);
    // Opposite vectors have no cross product, yet a half turn about any axis perpendicular to a
    // turns a onto b: answer such an axis rather than a zero one with 180 degrees.
    if (n.is_zero(0.5) && va % vb < 0.0) n = PerpendicularTo(normalise(va));
    normal[0] = static_cast<float>(n.x());
    normal[1] = static_cast<float>(n.y());
    normal[2] = static_cast<float>(n.z());
    // About n = unit(a x b) the turn from a to b is the unsigned angle between them.
    return ConvertRadiansToDegrees(static_cast<float>(std::atan2(c.len(), va % vb)));
}

void CDsGeometryComputer::CalulateTriangleNormal(const SPAposition& p0, const SPAposition& p1, const SPAposition& p2,
                                                 SPAunit_vector& n) const
{
    n = normalise(cross(p1 - p0, p2 - p0));
}

void CDsGeometryComputer::CalulateTriangleNormal(const float* nine, float* n) const
{
    if (!nine || !n) return;
    SPAunit_vector u;
    CalulateTriangleNormal(SPAposition(nine[0], nine[1], nine[2]), SPAposition(nine[3], nine[4], nine[5]),
                           SPAposition(nine[6], nine[7], nine[8]), u);
    n[0] = static_cast<float>(-u.x());
    n[1] = static_cast<float>(-u.y());
    n[2] = static_cast<float>(-u.z());
}

void CDsGeometryComputer::ComputeMiddle(const SPAposition& a, const SPAposition& b, SPAposition& m) const
{
    m = SPAposition((a.x() + b.x()) / 2.0, (a.y() + b.y()) / 2.0, (a.z() + b.z()) / 2.0);
}

void CDsGeometryComputer::CalculateRotationMatrix(const SPAvector& from, const SPAvector& to, SPAtransf& out) const
{
    const SPAunit_vector f = normalise(from);
    const SPAunit_vector t = normalise(to);
    if (f.is_zero(0.5) || t.is_zero(0.5)) {
        out = SPAtransf();
        return;
    }
    double d = f % t;
    if (d > 1.0) d = 1.0;
    if (d < -1.0) d = -1.0;
    const SPAvector axis = cross(f, t);
    if (axis.len() > SPAresnor) {
        out = rotate_transf(std::acos(d), axis);
        return;
    }
    if (d > 0.0) {
        out = SPAtransf();  // parallel: nothing to turn
        return;
    }
    // Opposite: the cross product gives no axis, and any axis perpendicular to `from` turns it
    // onto `to` by a half turn.
    out = rotate_transf(M_PI, PerpendicularTo(f));
}

// --- View projection --------------------------------------------------------------------

bool CDsGeometryComputer::ProjectPositionOnView(const CGmPosition& p, view3d* view, float& x, float& y,
                                                int* viewportHeight, bool restorePick) const
{
    const view_matrix* m = PrepareProjection(view, restorePick);
    if (!m) return false;
    float dx = 0.0f, dy = 0.0f;
    if (!ToDevice(*m, *view, p.x(), p.y(), p.z(), dx, dy)) return false;
    x = dx;
    y = static_cast<float>(ViewportHeight(*view, viewportHeight)) - dy - 1.0f;
    return true;
}

const view_matrix* CDsGeometryComputer::PrepareProjection(view3d* view, bool restorePick) const
{
    if (!view) return nullptr;
    if (restorePick && view->get_pick_mode() != 0) {
        // Recompute the transformation outside pick mode, then put the pick region back. Only a
        // view that is picking is suspended, so that a projection inside a caller's own suspension
        // leaves the statics of that suspension alone. The view's return to pick mode sets its
        // pick transformations up in the current OpenGL context, as a pick starting does: a
        // projection asks, so what the caller loaded meanwhile (the window-pixel projection of a
        // text drawn in a pick's selection, an item's transform) is put back.
        const CGlTransformsKept kept;
        CDsAcisPick::StSuspendPickMode(view);
        view->compute_ctm();
        CDsAcisPick::StResumePickMode(view);
    } else if (!view->is_ctm_valid()) {
        view->compute_ctm();
    }
    return &view->get_ctm();
}

bool CDsGeometryComputer::ToDevice(const view_matrix& m, const view3d& view, double px, double py, double pz,
                                   float& x, float& y)
{
    float h[4];
    for (int j = 0; j < 4; ++j)
        h[j] = static_cast<float>(px * m[0][j] + py * m[1][j] + pz * m[2][j] + m[3][j]);
    return view.ClipToDrawable(h, x, y);
}

bool CDsGeometryComputer::CheckIfPointIsInView(view3d* view, const CGmPosition& p) const
{
    if (!view) return false;
    float x = 0.0f, y = 0.0f;
    if (!ProjectPositionOnView(p, view, x, y)) return false;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);
    return x >= 0.0f && x <= static_cast<float>(vw) && y >= 0.0f && y <= static_cast<float>(vh);
}

bool CDsGeometryComputer::Convert2dCoordsTo3dPositionOnViewTargetPlane(int x, int y, view3d* view,
                                                                       SPAposition& out) const
{
    if (!dynamic_cast<CDsView3dCdc*>(view)) return false;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);
    const double upp = view->get_units_per_pixel();
    out = view->get_target() + view->get_right() * ((x - vw / 2.0) * upp) + view->get_up() * ((y - vh / 2.0) * upp);
    return true;
}

void CDsGeometryComputer::Convert2dCoordsUpperRightToLowerLeft(view3d& view, int x, int y, int& outX,
                                                               int& outY) const
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    outX = vw - x;
    outY = vh - y;
}

bool CDsGeometryComputer::ConvertMouseMovePixelsToViewParallelVector(view3d* view, int dx, int dy,
                                                                     SPAvector& out) const
{
    if (!view) return false;
    const double upp = view->get_units_per_pixel();
    out = (view->get_right() * static_cast<double>(dx) + view->get_up() * static_cast<double>(dy)) * upp;
    return true;
}

bool CDsGeometryComputer::CalculatePickRay(const CUiPickEvent& event, SPAposition& origin,
                                           SPAunit_vector& direction) const
{
    view3d* view = event.view();
    if (!dynamic_cast<CDsView3dCdc*>(view)) return false;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);
    const double upp = view->get_units_per_pixel();
    // The camera's target is the reference point: the ray crosses the target plane there.
    origin = view->get_target() + view->get_right() * ((event.x() - vw / 2.0) * upp) +
             view->get_up() * ((vh / 2.0 - event.y()) * upp);
    direction = view->get_direction();
    return true;
}

bool CDsGeometryComputer::GetBoxProjectionDimensionsAndOffset(view3d* view, const CGmPosition& a,
                                                              const CGmPosition& b, float& first, float& third,
                                                              float& second, float& fourth, float& height,
                                                              float& width) const
{
    if (!view) return false;
    const double upp = view->get_units_per_pixel();
    double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
    bool measured = false;
    EXCEPTION_BEGIN
    EXCEPTION_TRY
        StSetExtremaMode(true);
        CDsDriverExtrema driver(view);
        const float pa[3] = {static_cast<float>(a.x()), static_cast<float>(a.y()), static_cast<float>(a.z())};
        const float pb[3] = {static_cast<float>(b.x()), static_cast<float>(b.y()), static_cast<float>(b.z())};
        driver.draw_point_3d(pa);
        driver.draw_point_3d(pb);
        measured = driver.GetExtremaCoordinates(x0, x1, y0, y1);
    EXCEPTION_CATCH_TRUE
        StSetExtremaMode(false);
    EXCEPTION_END
    // A position that does not project widens nothing: without any, the extrema are the cleared ones.
    if (!measured || !(x0 <= x1) || !(y0 <= y1)) return false;
    first = static_cast<float>(x0);
    third = static_cast<float>(y0);
    second = static_cast<float>(x1);
    fourth = static_cast<float>(y1);
    height = static_cast<float>((y1 - y0) * upp);
    width = static_cast<float>((x1 - x0) * upp);
    return true;
}

bool CDsGeometryComputer::GetProjectionDimensionsAndOffset(view3d* view, double& width, double& height,
                                                           double& offsetA, double& offsetB) const
{
    auto* context = view ? dynamic_cast<CDsGlContext*>(view->get_rendering_context()) : nullptr;
    if (!context) return false;
    const double upp = view->get_units_per_pixel();
    double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
    bool measured = false;
    EXCEPTION_BEGIN
        CDsExtremaModeScope mode;
    EXCEPTION_TRY
        CDsDriverExtrema driver(view);
        context->ComputeViewExtrema(driver.GetExtView(), true);
        measured = driver.GetExtremaCoordinates(x0, x1, y0, y1);
    EXCEPTION_CATCH_TRUE
    EXCEPTION_END
    if (!measured || !(x0 <= x1) || !(y0 <= y1)) return false;
    width = (x1 - x0) * upp;
    height = (y1 - y0) * upp;
    offsetA = x0;
    offsetB = y1;
    return true;
}

bool CDsGeometryComputer::GetProjectionDimensions(view3d* view, double& width, double& height) const
{
    double a = 0.0, b = 0.0;
    return GetProjectionDimensionsAndOffset(view, width, height, a, b);
}

// --- Offsets in rotated frames ------------------------------------------------------------

void CDsGeometryComputer::CalculatePositionOffset(const CGmPosition& p, float angle, const SPAunit_vector& u,
                                                  float du, const SPAunit_vector& v, float dv,
                                                  CGmPosition& out) const
{
    const double c = std::cos(angle), s = std::sin(angle);
    const SPAvector vu(u.x(), u.y(), u.z()), vv(v.x(), v.y(), v.z());
    out = CGmPosition(p + (vu * c + vv * s) * static_cast<double>(du) + (vu * -s + vv * c) * static_cast<double>(dv));
}

void CDsGeometryComputer::CalculatePositionOffset(const CGmPosition& p, float angle, view3d& view, float dx, float dy,
                                                  CGmPosition& out) const
{
    CalculatePositionOffset(p, angle, view.get_right(), dx, view.get_up(), dy, out);
}

void CDsGeometryComputer::CalculatePositionOffset2D(int x, int y, float angle, int dx, int dy, int& outX,
                                                    int& outY) const
{
    const double c = std::cos(angle), s = std::sin(angle);
    outX = static_cast<int>(dx * c + x - dy * s);
    outY = static_cast<int>(dx * s + dy * c + y);
}

// --- Polygons, triangles and rays -----------------------------------------------------------

bool CDsGeometryComputer::CheckIfPointIsInsidePolygon(const SPAposition& p, const float* vertices, int count,
                                                      const SPAunit_vector& normal) const
{
    if (!vertices || count < 3) return false;
    // Drop the coordinate in which the normal is largest: the best-conditioned axis plane.
    const double ax = std::fabs(normal.x()), ay = std::fabs(normal.y()), az = std::fabs(normal.z());
    int u = 1, v = 2;
    if (ax >= ay && ax >= az) {
        u = 1;
        v = 2;
    } else if (ay >= az) {
        u = 0;
        v = 2;
    } else {
        u = 0;
        v = 1;
    }
    const double pc[3] = {p.x(), p.y(), p.z()};
    static std::vector<float> scratch;  // reused between calls (user-interface thread only)
    scratch.resize(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        scratch[2 * i] = static_cast<float>(vertices[3 * i + u] - pc[u]);
        scratch[2 * i + 1] = static_cast<float>(vertices[3 * i + v] - pc[v]);
    }
    // Crossing count along the positive x axis from the point (now the origin); a point on the
    // boundary counts as inside.
    bool inside = false;
    for (int i = 0, j = count - 1; i < count; j = i++) {
        const float x0 = scratch[2 * j], y0 = scratch[2 * j + 1];
        const float x1 = scratch[2 * i], y1 = scratch[2 * i + 1];
        if (OriginOnSegment(x0, y0, x1, y1)) return true;
        if ((y0 > 0.0f) != (y1 > 0.0f)) {
            const float xc = x0 + (0.0f - y0) * (x1 - x0) / (y1 - y0);
            if (xc > 0.0f) inside = !inside;
        }
    }
    return inside;
}

bool CDsGeometryComputer::CalculateRayIntersectionWithPolygon(const float* vertices, int count,
                                                              const SPAposition& origin,
                                                              const SPAunit_vector& direction, SPAposition& hit,
                                                              double& parameter) const
{
    if (!vertices || count < 3) return false;
    float n[3];
    CalulateTriangleNormal(vertices, n);
    const SPAunit_vector normal(n[0], n[1], n[2]);
    const SPAposition root(vertices[0], vertices[1], vertices[2]);
    SPAposition h;
    double t = 0.0;
    if (!intersect_line_plane(origin, SPAvector(direction.x(), direction.y(), direction.z()), root, normal, t, h))
        return false;
    if (!CheckIfPointIsInsidePolygon(h, vertices, count, normal)) return false;
    hit = h;
    parameter = t;
    return true;
}

bool CDsGeometryComputer::CheckIfPointIsInsidePolygon(const CGmPosition& p, const CVyrIndexedPolygon* polygon,
                                                      const SPAunit_vector& normal) const
{
    if (!polygon || polygon->num_vertex() < 3 || !polygon->get_vertices()) return false;
    const int count = polygon->num_vertex();
    static std::vector<float> corners;  // reused between calls (user-interface thread only)
    corners.resize(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        const CVyrPolygonVertex* v = polygon->get_vertex(i);
        if (!v) return false;
        std::copy(v->GetFloatPosition(), v->GetFloatPosition() + 3, corners.begin() + 3 * i);
    }
    return CheckIfPointIsInsidePolygon(p, corners.data(), count, normal);
}

bool CDsGeometryComputer::CalculatePlaneFromPolygon(const CVyrIndexedPolygon* polygon, CGmPosition& point,
                                                    SPAunit_vector& normal) const
{
    if (!polygon || polygon->num_vertex() < 3 || !polygon->get_vertices()) return false;
    SPAposition a, b, c;
    polygon->get_vertex(0)->GetPosition(a);
    polygon->get_vertex(1)->GetPosition(b);
    polygon->get_vertex(2)->GetPosition(c);
    const SPAunit_vector n = normalise((a - b) * (c - b));
    if (n.is_zero(SPAresmch)) return false;
    point = b;
    normal = n;
    return true;
}

bool CDsGeometryComputer::CalculateRayIntersectionWithIndexedMesh(const CVyrIndexedMesh* mesh,
                                                                  const SPAposition& origin,
                                                                  const SPAunit_vector& direction, CGmPosition& hit,
                                                                  double& parameter) const
{
    if (!mesh) return false;
    const SPAvector dir(direction.x(), direction.y(), direction.z());
    bool found = false;
    double nearest = 0.0;
    for (int i = 0; i < mesh->get_num_polygon(); ++i) {
        const CVyrIndexedPolygon* polygon = mesh->get_polygon(i);
        CGmPosition root;
        SPAunit_vector normal;
        if (!CalculatePlaneFromPolygon(polygon, root, normal)) continue;
        double t = 0.0;
        SPAposition h;
        if (!intersect_line_plane(origin, dir, root, normal, t, h)) continue;
        const double distance = (h - origin).len();
        if (found && nearest <= distance) continue;
        if (!CheckIfPointIsInsidePolygon(CGmPosition(h), polygon, normal)) continue;
        found = true;
        nearest = distance;
        hit = h;
        parameter = t;
    }
    return found;
}

bool CDsGeometryComputer::CalculateRayIntersectionWithIndexedMesh(
    const CVyrIndexedMesh* mesh, const SPAposition& origin, const SPAunit_vector& direction,
    std::vector<std::pair<double, CGmPosition>>& hits) const
{
    if (!mesh) return false;
    const SPAvector dir(direction.x(), direction.y(), direction.z());
    bool found = false;
    for (int i = 0; i < mesh->get_num_polygon(); ++i) {
        const CVyrIndexedPolygon* polygon = mesh->get_polygon(i);
        CGmPosition root;
        SPAunit_vector normal;
        if (!CalculatePlaneFromPolygon(polygon, root, normal)) continue;
        double t = 0.0;
        SPAposition h;
        if (!intersect_line_plane(origin, dir, root, normal, t, h)) continue;
        if (!CheckIfPointIsInsidePolygon(CGmPosition(h), polygon, normal)) continue;
        found = true;
        const bool listed = std::any_of(hits.begin(), hits.end(),
                                        [t](const std::pair<double, CGmPosition>& e) { return e.first == t; });
        if (!listed) hits.emplace_back(t, CGmPosition(h));
    }
    std::sort(hits.begin(), hits.end(),
              [](const std::pair<double, CGmPosition>& a, const std::pair<double, CGmPosition>& b) {
                  return a.first < b.first;
              });
    // One hit of each run of parameters the modeler calls equal (a hit on an edge shared by two
    // polygons, found in both).
    std::vector<std::pair<double, CGmPosition>> kept;
    kept.reserve(hits.size());
    for (const auto& entry : hits)
        if (kept.empty() || !is_equal(kept.back().first, entry.first)) kept.push_back(entry);
    hits.swap(kept);
    return found;
}

bool CDsGeometryComputer::CalculateRayIntersection(const CVyrMeshInterface* meshes, const SPAposition& origin,
                                                   const SPAunit_vector& direction,
                                                   std::vector<std::pair<double, CGmPosition>>& hits,
                                                   const std::vector<int>& faces) const
{
    if (!meshes) return false;
    bool found = false;
    auto test = [&](int pid) {
        const CDmRefCountPtrTempl<CVyrMeshEntry> entry = meshes->GetMeshEntry(pid);
        if (entry && CalculateRayIntersectionWithIndexedMesh(entry->GetMesh(), origin, direction, hits)) found = true;
    };
    if (faces.empty()) {
        for (auto it = meshes->BeginMeshes(); it != meshes->EndMeshes(); ++it) test(it->first);
    } else {
        for (int pid : faces) test(pid);
    }
    return found;
}

bool CDsGeometryComputer::CheckPointInTriangle(const CGmPosition& a, const CGmPosition& b, const CGmPosition& c,
                                               const CGmPosition& p) const
{
    const float A[3] = {float(a.x()), float(a.y()), float(a.z())};
    const float B[3] = {float(b.x()), float(b.y()), float(b.z())};
    const float C[3] = {float(c.x()), float(c.y()), float(c.z())};
    const float P[3] = {float(p.x()), float(p.y()), float(p.z())};
    auto crossf = [](const float* u, const float* v, float* w) {
        w[0] = u[1] * v[2] - u[2] * v[1];
        w[1] = u[2] * v[0] - u[0] * v[2];
        w[2] = u[0] * v[1] - u[1] * v[0];
    };
    auto sub = [](const float* u, const float* v, float* w) {
        for (int i = 0; i < 3; ++i) w[i] = u[i] - v[i];
    };
    float ab[3], ac[3], n[3];
    sub(B, A, ab);
    sub(C, A, ac);
    crossf(ab, ac, n);
    if (n[0] == 0.0f && n[1] == 0.0f && n[2] == 0.0f) return false;  // degenerate triangle
    const float* corners[3] = {A, B, C};
    for (int i = 0; i < 3; ++i) {
        const float* s = corners[i];
        const float* e = corners[(i + 1) % 3];
        float edge[3], toP[3], w[3];
        sub(e, s, edge);
        sub(P, s, toP);
        crossf(edge, toP, w);
        if (w[0] * n[0] + w[1] * n[1] + w[2] * n[2] < 0.0f) return false;
    }
    return true;
}

bool CDsGeometryComputer::IsPointClippedByPlane(const SPAposition& p, const SPAposition& planePoint,
                                                const SPAunit_vector& normal) const
{
    const double d = (p - planePoint) % normal;
    if (std::fabs(d) < kPlaneTolerance) return false;
    return d < 0.0;
}

// --- Curves and polylines ---------------------------------------------------------------------

SPAposition CDsGeometryComputer::CalculateCurveMidPoint(const float* points, int count) const
{
    if (!points || count <= 0) return SPAposition(0.0, 0.0, 0.0);
    if (count == 2)
        return SPAposition((points[0] + points[3]) / 2.0f, (points[1] + points[4]) / 2.0f,
                           (points[2] + points[5]) / 2.0f);
    std::vector<float> cumulative(static_cast<size_t>(count > 1 ? count - 1 : 0));
    float total = 0.0f;
    for (int i = 0; i + 1 < count; ++i) {
        total += CalculateDistance(points + 3 * i, points + 3 * (i + 1));
        cumulative[i] = total;
    }
    const float half = total / 2.0f;
    for (int i = 0; i + 1 < count; ++i) {
        if (cumulative[i] < half) continue;
        const float before = i > 0 ? cumulative[i - 1] : 0.0f;
        const float length = cumulative[i] - before;
        const float t = length > 0.0f ? (half - before) / length : 1.0f;
        const float* s = points + 3 * i;
        const float* e = points + 3 * (i + 1);
        return SPAposition(s[0] + t * (e[0] - s[0]), s[1] + t * (e[1] - s[1]), s[2] + t * (e[2] - s[2]));
    }
    return SPAposition(0.0, 0.0, 0.0);
}

CGmPosition* CDsGeometryComputer::FindPositionOnCurveByPick(const CUiPickEvent& event, const CGmPosition* points,
                                                            int count) const
{
    view3d* view = event.view();
    if (!view || !points || count < 2) return nullptr;
    std::vector<float> sx(static_cast<size_t>(count)), sy(static_cast<size_t>(count));
    std::vector<char> ok(static_cast<size_t>(count));
    int height = -1;
    for (int i = 0; i < count; ++i) ok[i] = ProjectPositionOnView(points[i], view, sx[i], sy[i], &height) ? 1 : 0;
    const float cx = static_cast<float>(event.x()), cy = static_cast<float>(event.y());
    bool found = false;
    float best = 0.0f;
    CGmPosition result;
    for (int i = 0; i + 1 < count; ++i) {
        if (!ok[i] || !ok[i + 1]) continue;
        const float dx = sx[i + 1] - sx[i], dy = sy[i + 1] - sy[i];
        const float len = dx * dx + dy * dy;
        if (len == 0.0f) continue;
        float s = (cx - sx[i]) * dx + (cy - sy[i]) * dy;
        if (s > 1.1f * len || s < -0.1f * len) continue;  // the cursor is well beyond an end
        if (s < 0.0f) s = 0.0f;
        if (s > len) s = len;
        const float distance = std::fabs((cx - sx[i]) * dy - (cy - sy[i]) * dx) / std::sqrt(len);
        if (found && !(distance < best)) continue;
        found = true;
        best = distance;
        const double t = static_cast<double>(s) / len;
        result = CGmPosition(points[i] + (points[i + 1] - points[i]) * t);
    }
    return found ? new CGmPosition(result) : nullptr;
}

// --- Edge approximation --------------------------------------------------------------------------

namespace {

constexpr int kMaxApproximationPoints = CDsGlSketch::kMaxCurvePoints;
constexpr int kMaxFurtherPasses = 10;
constexpr double kPassEndGap = 0.01;

// One pass of the approximation of `edge`'s curve from t0 to t1 into the buffers; the count (0
// when the edge has no curve or the approximation fails).
int ApproximationPass(EDGE* edge, double t0, double t1, SPAposition* points, double* params)
{
    if (!edge || !edge->geometry()) return 0;
    int count = 0;
    API_BEGIN
    const CDsGlSketch sketch(nullptr);
    const outcome pass = sketch.ApproximateIntCurve(edge->geometry()->equation(), t0, t1,
                                                    CVyrRefinement::StGetCurrentRefinement()->GetCurveTol(),
                                                    kMaxApproximationPoints, count, points, params);
    if (!pass.ok()) count = 0;
    API_END
    if (!result.ok()) count = 0;
    return count;
}

// Appends points `first` .. count - 1, through `transform` when one is given.
void AppendPoints(const SPAposition* points, int first, int count, const SPAtransf* transform, CDsPolyline& polyline)
{
    for (int i = first; i < count; ++i) polyline.Add(transform ? points[i] * *transform : points[i]);
}

}  // namespace

bool CDsGeometryComputer::Aproximate(EDGE* edge, double start, double end, const SPAtransf* transform,
                                     CDsPolyline& polyline) const
{
    std::vector<SPAposition> points(kMaxApproximationPoints);
    std::vector<double> params(kMaxApproximationPoints);
    const int count = ApproximationPass(edge, start, end, points.data(), params.data());
    if (count <= 0) return false;
    AppendPoints(points.data(), 0, count, transform, polyline);
    return true;
}

bool CDsGeometryComputer::Aproximate_Drft(EDGE* edge, double start, double end, const SPAtransf* transform,
                                          CDsPolyline& polyline) const
{
    std::vector<SPAposition> points(kMaxApproximationPoints);
    std::vector<double> params(kMaxApproximationPoints);
    int count = ApproximationPass(edge, start, end, points.data(), params.data());
    if (count <= 0) return false;
    AppendPoints(points.data(), 0, count, transform, polyline);
    for (int pass = 0; pass < kMaxFurtherPasses; ++pass) {
        if (count != kMaxApproximationPoints) break;
        const double last = params[static_cast<size_t>(count - 1)];
        if (!(std::fabs(end - last) >= kPassEndGap)) break;
        count = ApproximationPass(edge, last, end, points.data(), params.data());
        if (count <= 0) break;
        AppendPoints(points.data(), 1, count, transform, polyline);
    }
    return true;
}

// --- Range clamps -----------------------------------------------------------------------------

std::string CDsGeometryComputer::GetWarningsFilePath()
{
    return dscore::TempFolder() + "DisplayDebugWarnings.txt";
}

namespace {

// The warnings file: open for appending and fully buffered from the first warning until the core
// unloads. Plain globals with constant initialisation, so they stay usable in every phase of
// loading and unloading; a warning written after the core began to unload goes straight to the
// file.
std::mutex gWarningsMutex;
std::FILE* gWarningsFile = nullptr;
std::string* gWarningsPath = nullptr;  // the open file's path
bool gWarningsFinished = false;        // unloading or exiting: no more buffering
bool gForkHandlerSet = false;

void CloseWarningsLocked()
{
    if (gWarningsFile) std::fclose(gWarningsFile);  // flushes
    gWarningsFile = nullptr;
    delete gWarningsPath;
    gWarningsPath = nullptr;
}

// A child must not inherit buffered lines: both processes would write them at exit.
void LockAndFlushBeforeFork()
{
    gWarningsMutex.lock();
    if (gWarningsFile) std::fflush(gWarningsFile);
}
void UnlockAfterFork() { gWarningsMutex.unlock(); }

// Flushes and closes the file when the core unloads or the process exits.
struct CWarningsCloser {
    ~CWarningsCloser()
    {
        std::lock_guard<std::mutex> lock(gWarningsMutex);
        CloseWarningsLocked();
        gWarningsFinished = true;
    }
} gWarningsCloser;

}  // namespace

void CDsGeometryComputer::WriteWarning(const char* line)
{
    const std::string path = GetWarningsFilePath();
    std::lock_guard<std::mutex> lock(gWarningsMutex);
    if (gWarningsFinished) {
        if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
            std::fprintf(file, "%s\n", line);
            std::fclose(file);
        }
        return;
    }
    if (!gWarningsFile || *gWarningsPath != path) {
        CloseWarningsLocked();
        gWarningsFile = std::fopen(path.c_str(), "abe");
        if (!gWarningsFile) return;  // no temporary folder to write to: the warning has nowhere to go
        gWarningsPath = new std::string(path);
        if (!gForkHandlerSet) gForkHandlerSet = pthread_atfork(LockAndFlushBeforeFork, UnlockAfterFork, UnlockAfterFork) == 0;
    }
    std::fprintf(gWarningsFile, "%s\n", line);
}

void CDsGeometryComputer::FlushWarnings()
{
    std::lock_guard<std::mutex> lock(gWarningsMutex);
    if (gWarningsFile) std::fflush(gWarningsFile);
}

void CDsGeometryComputer::SetIntoZeroTolerance(double& v) const
{
    if (v > -kZeroTolerance && v < kZeroTolerance) {
        v = 0.0;
        WriteWarning("Display warning: Value not in display zero tolerance !");
    }
}

void CDsGeometryComputer::SetIntoDisplayRange(double& v) const
{
    // A value that is not a number is out of range as well: it must never reach OpenGL.
    if (v > kDisplayRange || v < -kDisplayRange || std::isnan(v)) {
        v = 0.0;
        WriteWarning("Display warning: Value out of display range !");
    }
}

void CDsGeometryComputer::SetInDisplayRange(const SPAposition& in, SPAposition& out) const
{
    double c[3] = {in.x(), in.y(), in.z()};
    for (double& v : c) {
        SetIntoZeroTolerance(v);
        SetIntoDisplayRange(v);
    }
    out = SPAposition(c[0], c[1], c[2]);
}

void CDsGeometryComputer::SetInDisplayRange(const SPAunit_vector& in, SPAunit_vector& out) const
{
    double c[3] = {in.x(), in.y(), in.z()};
    for (double& v : c) SetIntoZeroTolerance(v);
    out = normalise(SPAvector(c[0], c[1], c[2]));
}

bool CDsGeometryComputer::CalculateRayIntersectionWithFaceMesh(CDsView3dCdc* view, const SPAposition& origin,
                                                               const SPAunit_vector& direction, ENTITY* face,
                                                               CGmPosition& hit) const
{
    CDsGlContext* context = view ? view->GetGlContext() : nullptr;
    ENTITY* owner = face ? get_owner(face) : nullptr;
    if (!context || !owner || owner == face) return false;
    CVyrMeshInterface* meshes = context->GetMeshInterface(owner);
    if (!meshes) return false;
    CDmRefCountPtrTempl<CVyrMeshEntry> entry = meshes->GetMeshEntry(face);
    if (!entry || !entry->GetMesh()) return false;
    double parameter = 0.0;
    return CalculateRayIntersectionWithIndexedMesh(entry->GetMesh(), origin, direction, hit, parameter);
}
