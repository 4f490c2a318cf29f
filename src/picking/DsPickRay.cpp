#include "DsPickRay.h"

#include "DsFacedGeometry.h"
#include "DsFigureGeometry.h"
#include "DsGeometryComputer.h"
#include "DsGlScene.h"
#include "DsItemPolygonsStl.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsItemsFigure.h"
#include "DsTrianglesCollector.h"
#include "VyrIndexedMesh.h"

#include "DsGeometry.h"
#include "DsTransform.h"
#include "GmPosition.h"
#include "VyrCurveExt.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The polygon kinds' silhouette bits: a geometry that draws any of them is tested polygon by
// polygon to the end, any other stops at its first hit.
constexpr int kSilhouetteBits = CDsGeometry::eDpSilhouetteLevelMask;

// How much of a pixel (in model units) a face must lie in front of a point to hide it, and the
// least of it relative to the point's size (float meshes round their corners).
constexpr double kHidingPixels = 0.05;
constexpr double kHidingRelative = 1e-6;
// A face hides in the shaded and mixed modes from this opacity on.
constexpr float kHidingOpacity = 0.75f;

// Whether the line origin + t direction, for t in [from, to], meets the box [lo, hi] (slab by slab).
bool SlabsMeet(const double origin[3], const double direction[3], const double lo[3], const double hi[3], double from,
               double to)
{
    for (int a = 0; a < 3; ++a) {
        if (direction[a] == 0.0) {
            if (origin[a] < lo[a] || origin[a] > hi[a]) return false;
            continue;
        }
        double t0 = (lo[a] - origin[a]) / direction[a], t1 = (hi[a] - origin[a]) / direction[a];
        if (t0 > t1) std::swap(t0, t1);
        from = std::max(from, t0);
        to = std::min(to, t1);
        if (from > to) return false;
    }
    return true;
}

// How far outside a triangle (in its own barycentric measure) a ray still meets it.
constexpr double kOnSide = 1e-9;
// How many float steps at a point's size a face may lie from it by rounding and still not hide it.
constexpr double kFloatSteps = 4.0;

// Tests the triangles of shown faces, placed by a transformation, against the ray from a point
// towards the viewer; remembers whether one lies in front of the point.
class CHidingTriangles : public CDsTrianglesCollector {
public:
    CHidingTriangles(const SPAposition& point, const SPAvector& towardsViewer, double tolerance, double reach)
        : m_point(point), m_direction(towardsViewer), m_tolerance(tolerance), m_reach(reach)
    {
        const double size = std::max({1.0, std::fabs(point.x()), std::fabs(point.y()), std::fabs(point.z())});
        m_rounding = kFloatSteps * size * std::numeric_limits<float>::epsilon();
    }
    // The point is one of a line, which the frame draws in front of faces drawn with a polygon
    // offset: a face drawn `pixel` model units a pixel at the point hides it only in front by more
    // than its depth slope across one pixel too. OpenGL takes that slope along the window's rows
    // and columns (`right` and `up`, unit), the larger of the two; the steepest way across the
    // face is up to 1.4 times as steep, and would let through a line the window hides.
    void SetLinePoint(double pixel, const SPAvector& right, const SPAvector& up)
    {
        m_linePixel = pixel;
        m_right = right;
        m_up = up;
    }
    // The placement of the triangles that come next.
    void SetPlacement(const SPAtransf& placement) { m_placement = placement; }
    // What cuts the triangles that come next: what it hides hides nothing (null: nothing).
    void SetClip(const SDsPickClip* clip) { m_clip = clip; }
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override
    {
        if (m_hidden) return;
        AddPlacedTriangle(a * m_placement, b * m_placement, c * m_placement);
    }
    // A triangle placed already (in the point's space).
    void AddPlacedTriangle(const SPAposition& p0, const SPAposition& p1, const SPAposition& p2)
    {
        if (m_hidden) return;
        // The ray against the triangle's plane and inside its corners (barycentric test).
        const SPAvector e1 = p1 - p0, e2 = p2 - p0;
        const SPAvector q = m_direction * e2;
        const double det = e1 % q;
        if (std::fabs(det) < 1e-300) return;  // the ray runs along the triangle's plane
        const SPAvector s = m_point - p0;
        const double u = (s % q) / det;
        const SPAvector r = s * e1;
        const double v = (m_direction % r) / det;
        const double t = (e2 % r) / det;
        // A ray through the side two triangles share hides the point: neither may round it out.
        if (u < -kOnSide || u > 1.0 + kOnSide || v < -kOnSide || u + v > 1.0 + kOnSide) return;
        // Beyond the near plane (behind a perspective eye) nothing is drawn that could hide it.
        if (!(t > m_tolerance) || t > m_reach) return;
        // A face the ray grazes: single precision places the face and the point (the window's
        // depth turned back into the model) a float's step apart at their size, which the ray
        // runs that much over the sine of its angle to the face.
        const double area = (e1 * e2).len();
        if (area > 0.0 && t <= m_rounding * area / std::max(std::fabs(det), 1e-3 * area)) return;
        if (m_linePixel > 0.0 && area > 0.0) {
            // The face's depth change across a pixel along a row or a column of the window: the
            // normal's share along that axis over its share along the line of sight.
            const SPAvector normal = e1 * e2;
            const double facing = std::max(std::fabs(normal % m_direction), 1e-6 * area);
            const double slope = std::max(std::fabs(normal % m_right), std::fabs(normal % m_up)) / facing;
            if (t <= m_tolerance + m_linePixel * slope) return;
        }
        // Where the ray meets the triangle must be kept by the section: a face is drawn only there.
        const SPAposition met = m_point + m_direction * t;
        if (m_clip && m_clip->Hides(met)) return;
        m_hidden = true;
    }
    bool Hidden() const { return m_hidden; }
    // Whether the ray can meet anything inside the box [low, high], placed by `placement`,
    // farther than the tolerance from the point: a face whose box it misses has no triangle to
    // test.
    bool MayMeet(const CGmPosition& low, const CGmPosition& high, const SPAtransf& placement) const
    {
        // The box's corners placed, as a box of its own.
        double box[2][3] = {{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
        for (int corner = 0; corner < 8; ++corner) {
            const SPAposition p = SPAposition(corner & 1 ? high.x() : low.x(), corner & 2 ? high.y() : low.y(),
                                              corner & 4 ? high.z() : low.z()) *
                                  placement;
            const double c[3] = {p.x(), p.y(), p.z()};
            for (int a = 0; a < 3; ++a) {
                box[0][a] = std::min(box[0][a], c[a]);
                box[1][a] = std::max(box[1][a], c[a]);
            }
        }
        return MayMeetPlaced(box[0], box[1]);
    }
    // The same for a box placed already (in the point's space).
    bool MayMeetPlaced(const double low[3], const double high[3]) const
    {
        // The slabs of the box, widened by the tolerance, against the ray beyond the tolerance.
        const double origin[3] = {m_point.x(), m_point.y(), m_point.z()};
        const double direction[3] = {m_direction.x(), m_direction.y(), m_direction.z()};
        double lo[3], hi[3];
        for (int a = 0; a < 3; ++a) {
            lo[a] = low[a] - m_tolerance;
            hi[a] = high[a] + m_tolerance;
        }
        return SlabsMeet(origin, direction, lo, hi, m_tolerance, m_reach);
    }

private:
    SPAposition m_point;
    SPAvector m_direction;  // unit
    double m_tolerance;
    double m_reach;  // how far towards the viewer the near plane lies
    double m_rounding = 0.0;  // how far apart single precision may place a face and the point
    SPAtransf m_placement;
    const SDsPickClip* m_clip = nullptr;
    double m_linePixel = 0.0;  // a pixel at a line's point, 0 for a face's
    SPAvector m_right, m_up;   // the window's rows and columns, for a line's point
    bool m_hidden = false;
};

// The ray from `point` towards the viewer of `view` (unit), the distance a face must lie in
// front of the point to hide it, and how far along the ray the near plane lies (faces nearer the
// viewer are not drawn, nor behind a perspective eye); false for a perspective eye at the point.
bool TowardsViewer(view3d* view, const SPAposition& point, SPAvector& towardsViewer, double& tolerance, double& reach,
                   double* pixelOut = nullptr)
{
    const SPAunit_vector direction = view->get_direction();
    const double hither = std::max(view->get_hither(), 0.0);
    const double depth = (point - view->get_eye()) % direction;
    if (view->is_perspective()) {
        towardsViewer = view->get_eye() - point;
    } else {
        towardsViewer = SPAvector(-direction.x(), -direction.y(), -direction.z());
    }
    const double length = towardsViewer.len();
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    towardsViewer = towardsViewer / length;
    const double size = std::max({std::fabs(point.x()), std::fabs(point.y()), std::fabs(point.z()), 1.0});
    // A pixel at the point's depth: in perspective nearer the eye than the target, smaller.
    double pixel = view->get_units_per_pixel();
    const double distance = (view->get_target() - view->get_eye()).len();
    if (view->is_perspective() && distance > 0.0 && depth > 0.0) pixel *= depth / distance;
    tolerance = std::max(kHidingPixels * pixel, kHidingRelative * size);
    if (pixelOut) *pixelOut = pixel;
    if (view->is_perspective())
        reach = depth > 0.0 ? length * std::max(0.0, 1.0 - hither / depth) : 0.0;
    else
        reach = std::isfinite(depth) ? std::max(0.0, depth - hither) : HUGE_VAL;
    return true;
}

// The points at the depth of `point` (along the view direction) on the lines of sight through the
// centre of the drawable pixel `point` falls in, or of each pixel whose border it lies on (within a
// thousandth of a pixel: feedback cuts a line at the pick window's border); none where the point
// projects nowhere. Answers how many (up to four).
int AtPixelCentres(view3d* view, const SPAposition& point, SPAposition centres[4])
{
    constexpr double kOnBorder = 1e-3;
    double x = 0.0, y = 0.0, depth = 0.0;
    if (!view->world_to_drawable(point, x, y, depth) || !std::isfinite(x) || !std::isfinite(y)) return 0;
    const auto cells = [](double v, double out[2]) {
        const double cell = std::floor(v);
        out[0] = cell + 0.5;
        if (v - cell < kOnBorder) return (out[1] = cell - 0.5), 2;
        if (cell + 1.0 - v < kOnBorder) return (out[1] = cell + 1.5), 2;
        return 1;
    };
    double xs[2], ys[2];
    const int columns = cells(x, xs), rows = cells(y, ys);
    const SPAunit_vector direction = view->get_direction();
    const SPAvector d(direction.x(), direction.y(), direction.z());
    int count = 0;
    for (int i = 0; i < columns; ++i)
        for (int j = 0; j < rows; ++j) {
            SPAposition start;
            SPAunit_vector along;
            if (!view->drawable_to_ray(xs[i], ys[j], start, along)) continue;
            const SPAvector a(along.x(), along.y(), along.z());
            const double rate = a % d;
            if (!(rate > 0.0)) continue;
            const SPAposition centre = start + ((point - start) % d / rate) * a;
            if (std::isfinite(centre.x()) && std::isfinite(centre.y()) && std::isfinite(centre.z()))
                centres[count++] = centre;
        }
    return count;
}

// Whether `face` is drawn so that it hides what lies behind it in render mode `mode`.
bool FaceHides(CDsItemsFace* face, ERenderMode mode)
{
    if (!face || face->IsHidden() || !face->GetMesh()) return false;
    return mode == eRenderHiddenLines || face->GetTransparency() >= kHidingOpacity;
}

// Hands the triangles of the body's hiding faces, placed by the faces', the body's and then
// `after`'s transformation, to `triangles`.
void CollectHidingFaces(CDsItemsBody* body, const SPAtransf& after, ERenderMode mode, CHidingTriangles& triangles)
{
    if (!body || body->IsHidden()) return;
    const SPAtransf placed = body->GetTransformation() * after;
    for (int i = 0; i < body->FacesCount() && !triangles.Hidden(); ++i) {
        CDsItemsFace* face = body->GetFaceItem(i);
        if (!FaceHides(face, mode)) continue;
        // The face's box is where the face is drawn in the body.
        CGmPosition low, high;
        if (face->GetBox(low, high, false) && !triangles.MayMeet(low, high, placed)) continue;
        triangles.SetPlacement(face->GetTransformation() * placed);
        face->GetMesh()->CollectMeshTriangles(triangles);
    }
}

}  // namespace

CDsFacedGeometry::~CDsFacedGeometry() = default;

pick_ray DsRayToModelSpace(const CDsTransform& transform, const pick_ray& ray)
{
    if (!ray.valid()) return pick_ray();
    CDsTransform inverse(transform);
    if (!inverse.Invert()) return pick_ray();
    const SPAposition root = inverse.TransformPoint(ray.root_point());
    const SPAvector direction =
        inverse.TransformVector(SPAvector(ray.direction().x(), ray.direction().y(), ray.direction().z()));
    return pick_ray(root, direction, ray.radius());
}

bool DsPolygonPlaneNormal(const SPAposition* vertices, int count, SPAunit_vector& normal)
{
    if (!vertices || count < 3) return false;
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j)
            for (int k = j + 1; k < count; ++k) {
                SPAunit_vector n;
                computer->CalulateTriangleNormal(vertices[i], vertices[j], vertices[k], n);
                if (n.len_sq() > 0.0) {
                    normal = n;
                    return true;
                }
            }
    return false;
}

bool DsRayPolygonIntersection(const float* vertices, int count, const pick_ray& ray, SDsRayIntersection& hit)
{
    if (!vertices || count < 3 || !ray.valid()) return false;
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    if (count == 3) {
        // Most triangles of a face lie away from the ray: a barycentric test turns them away before
        // the exact test (it lets through anything within a margin of the triangle's sides, so the
        // exact test alone decides near them). In double precision, from the triangle's first
        // corner: far from the origin, single precision rounds the ray's root by more than the
        // margin and turns away the triangle the ray meets.
        const float* a = vertices;
        const float* b = vertices + 3;
        const float* c = vertices + 6;
        const double d[3] = {ray.direction().x(), ray.direction().y(), ray.direction().z()};
        const double e1[3] = {static_cast<double>(b[0]) - a[0], static_cast<double>(b[1]) - a[1],
                              static_cast<double>(b[2]) - a[2]};
        const double e2[3] = {static_cast<double>(c[0]) - a[0], static_cast<double>(c[1]) - a[1],
                              static_cast<double>(c[2]) - a[2]};
        const double p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2], d[0] * e2[1] - d[1] * e2[0]};
        const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
        if (det != 0.0) {
            const double t[3] = {ray.root_point().x() - a[0], ray.root_point().y() - a[1], ray.root_point().z() - a[2]};
            const double u = (t[0] * p[0] + t[1] * p[1] + t[2] * p[2]) / det;
            constexpr double kMargin = 1e-3;
            if (u < -kMargin || u > 1.0 + kMargin) return false;
            const double q[3] = {t[1] * e1[2] - t[2] * e1[1], t[2] * e1[0] - t[0] * e1[2], t[0] * e1[1] - t[1] * e1[0]};
            const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) / det;
            if (v < -kMargin || u + v > 1.0 + kMargin) return false;
        }
        return computer->CalculateRayIntersectionWithPolygon(vertices, 3, ray.root_point(), ray.direction(), hit.point,
                                                             hit.parameter);
    }
    // Larger polygons: the ray's root and the corners seen along the ray (projected on a plane
    // across it), the root inside the outline and the ray meeting the polygon's plane. Along the
    // ray rather than through the view: a perspective ray starts at the eye, which no view
    // projects, and a corner behind the eye projects nowhere while the rest of the polygon shows.
    std::vector<SPAposition> corners(static_cast<size_t>(count));
    std::vector<SPAposition> across(static_cast<size_t>(count) + 1);
    const SPAunit_vector& d = ray.direction();
    const SPAvector side = std::fabs(d.x()) < 0.6 ? SPAvector(1, 0, 0) : SPAvector(0, 1, 0);
    const SPAvector u = normalise(side * SPAvector(d.x(), d.y(), d.z()));
    const SPAvector v = SPAvector(d.x(), d.y(), d.z()) * u;
    for (int i = 0; i < count; ++i) {
        corners[static_cast<size_t>(i)] = SPAposition(vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]);
        const SPAvector r = corners[static_cast<size_t>(i)] - ray.root_point();
        across[static_cast<size_t>(i)] = SPAposition(r % u, r % v, 0.0);
    }
    across[static_cast<size_t>(count)] = across[0];
    if (!CVyrCurveExt::ScnPtInPoly(SPAposition(0.0, 0.0, 0.0), across.data(), count + 1)) return false;
    SPAunit_vector normal;
    if (!DsPolygonPlaneNormal(corners.data(), count, normal)) return false;
    const SPAvector direction(d.x(), d.y(), d.z());
    return intersect_line_plane(ray.root_point(), direction, corners[0], normal, hit.parameter, hit.point);
}

bool DsRayPolygonIntersection(const double* vertices, int count, const pick_ray& ray, SDsRayIntersection& hit)
{
    if (!vertices || count < 3 || !ray.valid()) return false;
    // About the ray's root: the corners' floats keep their precision there, however far from the
    // origin the polygon lies.
    const SPAposition& root = ray.root_point();
    std::vector<float> about(3 * static_cast<size_t>(count));
    for (size_t i = 0; i < about.size(); i += 3) {
        about[i] = static_cast<float>(vertices[i] - root.x());
        about[i + 1] = static_cast<float>(vertices[i + 1] - root.y());
        about[i + 2] = static_cast<float>(vertices[i + 2] - root.z());
    }
    const SPAunit_vector& d = ray.direction();
    const pick_ray moved(SPAposition(0.0, 0.0, 0.0), SPAvector(d.x(), d.y(), d.z()), ray.radius());
    if (!DsRayPolygonIntersection(about.data(), count, moved, hit)) return false;
    hit.point = root + (hit.point - SPAposition(0.0, 0.0, 0.0));
    return true;
}

bool SDsPickClip::Hides(const SPAposition& point) const
{
    if (plane && CDsGeometryComputer::GetInstance()->IsPointClippedByPlane(point, plane->point, plane->normal))
        return true;
    return scene && scene->IsPointClipped(point);
}

void DsRayItemFaces(CDsGeometry* geometry, int id, const CDsTransform& transform, const pick_ray& ray,
                    const SDsPickClipPlane* clip, std::vector<SDsRayIntersection>& hits)
{
    SDsPickClip planeOnly;
    planeOnly.plane = clip;
    DsRayItemFaces(geometry, id, transform, ray, planeOnly, hits);
}

namespace {

// Hands faces' triangles to a polygon visit as float corners, and boxes to a face filter.
template <class Wants, class Visit>
class CFacePolygons : public CDsFaceVisitor {
public:
    CFacePolygons(Wants& wants, Visit& visit) : m_wants(wants), m_visit(visit) {}
    bool WantsFace(const SPAposition& low, const SPAposition& high) override { return !m_done && m_wants(low, high); }
    bool Done() const override { return m_done; }
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override
    {
        if (m_done) return;
        const float triangle[9] = {static_cast<float>(a.x()), static_cast<float>(a.y()), static_cast<float>(a.z()),
                                   static_cast<float>(b.x()), static_cast<float>(b.y()), static_cast<float>(b.z()),
                                   static_cast<float>(c.x()), static_cast<float>(c.y()), static_cast<float>(c.z())};
        m_done = !m_visit(static_cast<const float*>(triangle), 3);
    }

private:
    Wants& m_wants;
    Visit& m_visit;
    bool m_done = false;
};

// Hands the face polygons of `geometry` (item `id`) to `visit` (float vertices, x, y, z each, and
// their count) until it answers false: a faced geometry's triangles of the faces whose box
// `wants` (model space of the geometry), else the triangles of its vertex buffers of faces, else
// its vertex lists polygon by polygon.
template <class Wants, class Visit>
void ForEachFacePolygon(CDsGeometry* geometry, int id, Wants&& wants, Visit&& visit)
{
    if (auto* faced = dynamic_cast<CDsFacedGeometry*>(geometry)) {
        CFacePolygons<Wants, Visit> faces(wants, visit);
        if (faced->VisitFaces(id, faces)) return;
    }
    std::vector<CDsGeometry::sVerticesBuffer> buffers;
    if (geometry->GetVerticesBuffer(CDsGeometry::eDpFaces, buffers, id) && !buffers.empty()) {
        float triangle[9];
        for (const CDsGeometry::sVerticesBuffer& buffer : buffers) {
            if (buffer.m_primitive != 0 && !(buffer.m_primitive & CDsGeometry::eDpFaces)) continue;
            const size_t vertexCount = buffer.m_vertices.size() / 3;
            const size_t corners = buffer.m_indices.empty() ? vertexCount : buffer.m_indices.size();
            for (size_t t = 0; t + 3 <= corners; t += 3) {
                bool inside = true;
                for (size_t c = 0; c < 3 && inside; ++c) {
                    const size_t v = buffer.m_indices.empty() ? t + c : buffer.m_indices[t + c];
                    if (v >= vertexCount) {
                        inside = false;
                        break;
                    }
                    for (size_t a = 0; a < 3; ++a) triangle[3 * c + a] = buffer.m_vertices[3 * v + a];
                }
                if (inside && !visit(static_cast<const float*>(triangle), 3)) return;
            }
        }
        return;
    }
    int index = 0;
    for (;;) {
        float* vertices = nullptr;
        int count = 0;
        const int next = geometry->GetVertices(CDsGeometry::eDpFaces, index, vertices, count, id);
        if (vertices && count >= 3 && !visit(static_cast<const float*>(vertices), count)) return;
        if (next < 0 || next <= index) return;  // the last polygon, or a list that does not move on
        index = next;
    }
}

// How far a face's box is widened for the ray tests: its float corners may round outside it.
double BoxSlack(const SPAposition& low, const SPAposition& high)
{
    return 1e-5 * std::max({1.0, std::fabs(low.x()), std::fabs(low.y()), std::fabs(low.z()), std::fabs(high.x()),
                            std::fabs(high.y()), std::fabs(high.z())});
}

// Whether the line of `ray` (both ways) meets the box [low, high] widened by its slack.
bool LineMeetsBox(const pick_ray& ray, const SPAposition& low, const SPAposition& high)
{
    const double slack = BoxSlack(low, high);
    const double origin[3] = {ray.root_point().x(), ray.root_point().y(), ray.root_point().z()};
    const double direction[3] = {ray.direction().x(), ray.direction().y(), ray.direction().z()};
    const double lo[3] = {low.x() - slack, low.y() - slack, low.z() - slack};
    const double hi[3] = {high.x() + slack, high.y() + slack, high.z() + slack};
    return SlabsMeet(origin, direction, lo, hi, -HUGE_VAL, HUGE_VAL);
}

}  // namespace

void DsRayItemFaces(CDsGeometry* geometry, int id, const CDsTransform& transform, const pick_ray& ray,
                    const SDsPickClip& clip, std::vector<SDsRayIntersection>& hits, bool everyPolygon)
{
    if (!geometry) return;
    const pick_ray local = DsRayToModelSpace(transform, ray);
    if (!local.valid()) return;
    const bool firstOnly = !everyPolygon && (geometry->GetDrawPrimitives(0) & kSilhouetteBits) == 0;

    const auto test = [&](const auto* vertices, int count) {
        SDsRayIntersection hit;
        if (!DsRayPolygonIntersection(vertices, count, local, hit)) return true;
        if ((clip.plane || clip.scene) && clip.Hides(transform.TransformPoint(hit.point))) return true;
        // Newell's normal: sound for any corners of a plane polygon, three in a row among them.
        double n[3] = {0.0, 0.0, 0.0};
        for (int i = 0, j = count - 1; i < count; j = i++) {
            const auto* a = vertices + 3 * j;
            const auto* b = vertices + 3 * i;
            n[0] += (static_cast<double>(a[1]) - b[1]) * (static_cast<double>(a[2]) + b[2]);
            n[1] += (static_cast<double>(a[2]) - b[2]) * (static_cast<double>(a[0]) + b[0]);
            n[2] += (static_cast<double>(a[0]) - b[0]) * (static_cast<double>(a[1]) + b[1]);
        }
        hit.normal = SPAvector(n[0], n[1], n[2]);
        hits.push_back(hit);
        return !firstOnly;
    };
    // A figure's leaves are placed by their own transformations: their corners are read placed in
    // double precision, where single precision's step at their size may be pixels near the eye.
    if (auto* figure = dynamic_cast<CDsFigureGeometry*>(geometry)) {
        CDsItemsFigure* items = figure->GetFigItem();
        std::vector<double> corners;
        for (int index = 0; items;) {
            int count = 0;
            const int next = items->GetPlacedVertices(CDsGeometry::eDpFaces, index, corners, count);
            if (count >= 3 && corners.size() == 3 * static_cast<size_t>(count) && !test(corners.data(), count)) return;
            if (next < 0 || next <= index) return;  // the last polygon, or a list that does not move on
            index = next;
        }
        return;
    }
    // A face whose box the ray's line misses has no triangle to test.
    auto wants = [&](const SPAposition& low, const SPAposition& high) { return LineMeetsBox(local, low, high); };
    ForEachFacePolygon(geometry, id, wants, [&](const float* vertices, int count) { return test(vertices, count); });
}

void CDsHidingFaces::Add(CDsGeometry* geometry, int id, const CDsTransform& transform, const SDsPickClip& clip,
                         bool facesOnly, bool meshOutlines)
{
    if (!geometry) return;
    // Placement and box are asked once here: Hides runs for every hit the pick window meets off the ray.
    SPAbox box;
    if (!geometry->GetBoundBox(box, id)) box = SPAbox();
    m_items.push_back(SItem{geometry, id, transform.Convert2SPA(), box, clip,
                            dynamic_cast<CDsFacedGeometry*>(geometry) != nullptr,
                            meshOutlines && dynamic_cast<CDsFigureGeometry*>(geometry) != nullptr, nullptr, facesOnly});
}

namespace {
// How many triangles of an item's kept triangles share a box.
constexpr size_t kRunTriangles = 16;

// The face polygons of a figure's item (its group, a leaf) that the frame draws filled, as the
// group's GetVertices hands them out, less the STL meshes among its leaves; false when `visit`
// stopped the walk.
template <class Visit>
bool ForEachFilledPolygon(CDsItemBase* item, Visit&& visit)
{
    if (!item) return true;
    if (auto* group = dynamic_cast<CDsItemsGroup*>(item)) {
        for (int i = 0; i < group->Count(); ++i)
            if (!ForEachFilledPolygon(group->Get(i), visit)) return false;
        return true;
    }
    if (dynamic_cast<CDsItemPolygonsStl*>(item) || item->GetVerticesCount(CDsGeometry::eDpFaces) <= 0) return true;
    int index = 0;
    for (;;) {
        float* vertices = nullptr;
        int count = 0;
        const int next = item->GetVertices(CDsGeometry::eDpFaces, index, vertices, count);
        if (vertices && count >= 3 && !visit(static_cast<const float*>(vertices), count)) return false;
        if (next < 0 || next <= index) return true;  // the last polygon, or a list that does not move on
        index = next;
    }
}
}  // namespace

const CDsHidingFaces::SPlacedTriangles& CDsHidingFaces::Placed(SItem& item)
{
    if (item.placed) return *item.placed;
    // Every polygon once, as a fan of triangles placed where the frame draws it: the questions
    // that follow test only the runs whose box their ray meets, not every polygon of a figure of
    // many leaves.
    auto placed = std::make_shared<SPlacedTriangles>();
    std::vector<double>& corners = placed->corners;
    const SPAtransf& placement = item.placement;
    auto any = [](const SPAposition&, const SPAposition&) { return true; };
    const auto keep = [&](const float* vertices, int count) {
        const SPAposition first = SPAposition(vertices[0], vertices[1], vertices[2]) * placement;
        SPAposition previous = SPAposition(vertices[3], vertices[4], vertices[5]) * placement;
        for (int i = 2; i < count; ++i) {
            const float* c = vertices + 3 * i;
            const SPAposition next = SPAposition(c[0], c[1], c[2]) * placement;
            for (const SPAposition& p : {first, previous, next}) corners.insert(corners.end(), {p.x(), p.y(), p.z()});
            previous = next;
        }
        return true;
    };
    if (item.meshOutlines) ForEachFilledPolygon(static_cast<CDsFigureGeometry*>(item.geometry)->GetFigItem(), keep);
    else ForEachFacePolygon(item.geometry, item.id, any, keep);
    BoxRuns(*placed);
    item.placed = std::move(placed);
    return *item.placed;
}

void CDsHidingFaces::BoxRuns(SPlacedTriangles& placed)
{
    const std::vector<double>& corners = placed.corners;
    const size_t triangles = corners.size() / 9;
    for (size_t run = 0; run < triangles; run += kRunTriangles) {
        double box[6] = {HUGE_VAL, HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (size_t v = 3 * run; v < 3 * std::min(triangles, run + kRunTriangles); ++v)
            for (int a = 0; a < 3; ++a) {
                box[a] = std::min(box[a], corners[3 * v + a]);
                box[3 + a] = std::max(box[3 + a], corners[3 * v + a]);
            }
        placed.runBoxes.insert(placed.runBoxes.end(), box, box + 6);
    }
}

void CDsHidingFaces::AddPolygon(const SPAposition* corners, int count, const SDsPickClip& clip)
{
    if (!corners || count < 3) return;
    // Kept placed already, as a fan of triangles: it has no geometry to read them from later.
    auto placed = std::make_shared<SPlacedTriangles>();
    for (int i = 2; i < count; ++i)
        for (const SPAposition& p : {corners[0], corners[i - 1], corners[i]})
            placed->corners.insert(placed->corners.end(), {p.x(), p.y(), p.z()});
    BoxRuns(*placed);
    m_items.push_back(SItem{nullptr, 0, SPAtransf(), SPAbox(), clip, false, false, std::move(placed), false});
}

void CDsHidingFaces::AddBody(CDsItemsBody* body, const SPAtransf& after, int renderMode, const SDsPickClip& clip,
                             bool facesOnly)
{
    if (body) m_bodies.push_back(SBody{body, after, renderMode, clip, facesOnly});
}

bool CDsHidingFaces::Hides(view3d* view, const SPAposition& point, bool ofFace, bool ofLine) const
{
    if (!view || Empty()) return false;
    // A line's point is hidden by a face in front of it on its own line of sight (where the face's
    // side passes between the point and its pixel's centre, the frame draws that side's edge over
    // it), and where the window decides: at the centre of the pixel it falls in, by the faces that
    // cover that centre, each pushed back by its own offset. The ray from the point itself may meet
    // other faces than those: beside a silhouette, a sliver seen nearly edge-on that covers no pixel
    // centre, whose steep slope lets the point through while a flatter face in front hides it.
    if (HidesFrom(view, point, ofFace, ofLine)) return true;
    if (!ofLine) return false;
    SPAposition centres[4];
    const int count = AtPixelCentres(view, point, centres);
    for (int i = 0; i < count; ++i)
        if (!HidesFrom(view, centres[i], ofFace, true)) return false;
    return count > 0;
}

bool CDsHidingFaces::HidesFrom(view3d* view, const SPAposition& point, bool ofFace, bool ofLine) const
{
    SPAvector towardsViewer;
    double tolerance = 0.0, reach = 0.0;
    double pixel = 0.0;
    if (!TowardsViewer(view, point, towardsViewer, tolerance, reach, &pixel)) return false;
    CHidingTriangles triangles(point, towardsViewer, tolerance, reach);
    if (ofLine) {
        const SPAunit_vector right = view->get_right(), up = view->get_up();
        triangles.SetLinePoint(pixel, SPAvector(right.x(), right.y(), right.z()),
                               SPAvector(up.x(), up.y(), up.z()));
    }
    for (SItem& item : m_items) {
        if (item.facesOnly && !ofFace) continue;
        const SPAtransf& placement = item.placement;
        // An item whose box the ray from the point misses has no triangle to test.
        if (!item.box.empty() && !triangles.MayMeet(CGmPosition(item.box.low()), CGmPosition(item.box.high()), placement))
            continue;
        triangles.SetPlacement(placement);
        triangles.SetClip(item.clip.plane || item.clip.scene ? &item.clip : nullptr);
        if (!item.faced) {
            const SPlacedTriangles& placed = Placed(item);
            const double* c = placed.corners.data();
            const size_t count = placed.corners.size() / 9;
            for (size_t run = 0; run < count && !triangles.Hidden(); run += kRunTriangles) {
                const double* box = placed.runBoxes.data() + 6 * (run / kRunTriangles);
                if (!triangles.MayMeetPlaced(box, box + 3)) continue;
                for (size_t t = run; t < std::min(count, run + kRunTriangles) && !triangles.Hidden(); ++t) {
                    const double* p = c + 9 * t;
                    triangles.AddPlacedTriangle(SPAposition(p[0], p[1], p[2]), SPAposition(p[3], p[4], p[5]),
                                                SPAposition(p[6], p[7], p[8]));
                }
            }
            if (triangles.Hidden()) return true;
            continue;
        }
        auto wants = [&](const SPAposition& low, const SPAposition& high) {
            return triangles.MayMeet(CGmPosition(low), CGmPosition(high), placement);
        };
        ForEachFacePolygon(item.geometry, item.id, wants, [&](const float* vertices, int count) {
            // A polygon of more corners as a fan of triangles.
            const SPAposition first(vertices[0], vertices[1], vertices[2]);
            for (int i = 1; i + 1 < count && !triangles.Hidden(); ++i) {
                const float* b = vertices + 3 * i;
                const float* c = vertices + 3 * (i + 1);
                triangles.AddTriangle(first, SPAposition(b[0], b[1], b[2]), SPAposition(c[0], c[1], c[2]));
            }
            return !triangles.Hidden();
        });
        if (triangles.Hidden()) return true;
    }
    for (const SBody& body : m_bodies) {
        if (body.facesOnly && !ofFace) continue;
        triangles.SetClip(body.clip.plane || body.clip.scene ? &body.clip : nullptr);
        CollectHidingFaces(body.body, body.after, static_cast<ERenderMode>(body.renderMode), triangles);
        if (triangles.Hidden()) return true;
    }
    return false;
}
