// CDsGeometryComputer: the display core's small geometric computations in model and screen space
// (projection into views, pick rays, polygon and triangle tests, offsets in rotated frames, the
// mid point of a polyline, the nearest polyline point to the cursor, and the clamps that keep
// values inside the range the display handles).
//
// One process-wide instance, built at library start-up and never freed (GetInstance). The
// computer is stateless apart from scratch storage that the polygon tests reuse, so calls must
// come from one thread (the user-interface thread).
//
// Screen conventions: ProjectPositionOnView answers window pixels with y counted from the TOP of
// the viewport; Convert2dCoordsTo3dPositionOnViewTargetPlane takes y counted from the BOTTOM;
// CalculatePickRay takes the event's y counted from the top.
//
// Point in polygon: the polygon is taken in boundary order and tested with a crossing count on
// its best-conditioned axis plane, so convex and concave simple polygons both answer correctly;
// a point on the boundary (within 1e-4) counts as inside. An indexed polygon of a mesh is tested
// the same way with all of its corners, however many.
//
// Mesh ray tests meet the ray's whole line with each polygon's plane; the nearest hit is the one
// nearest to the ray's origin, on either side of it.
//
// Warnings: every value a clamp changes writes one warning line to "DisplayDebugWarnings.txt" in
// the temporary folder (GetTempPathW: TEMP, else TMPDIR, else /tmp), and so do the readers of preferences and setup files
// for the faults they skip (WriteWarning). The file stays open while the core is loaded and
// its lines are buffered; they reach the file when the buffer fills, at FlushWarnings, when the
// temporary folder changes, before the process forks, at a normal process exit and when the
// core is unloaded (where the file is closed). A process that ends abnormally (a crash, abort,
// _exit) loses the lines not yet flushed.
//
// Edge approximation (Aproximate, Aproximate_Drft) takes the curve of the edge, not the edge's
// sense: the parameters are the curve's. A pass that fails appends nothing; Aproximate_Drft keeps
// the points of the passes before it.
//
// Coming with the bodies: the ray test on a face's mesh through a view's context
// (CalculateRayIntersectionWithFaceMesh).
#pragma once

#include <afx.h>

#include "DsGeometryComputerBase.h"
#include "GmPosition.h"
#include "SpaValues.h"
#include "UiPickEvent.h"
#include "VyrViewTypes.h"

#include <string>
#include <utility>
#include <vector>

class CDsPolyline;
class CDsView3dCdc;
class CVyrIndexedMesh;
class CVyrIndexedPolygon;
class EDGE;
class ENTITY;
class CVyrMeshInterface;
class view3d;

// The process-wide geometry service.
class AFX_EXT_CLASS CDsGeometryComputer : public CDsGeometryComputerBase {
public:
    // A computer; use GetInstance rather than making others.
    CDsGeometryComputer() = default;
    // Frees the computer.
    ~CDsGeometryComputer() override;

    // The process-wide instance.
    static CDsGeometryComputer* GetInstance();

    // --- Conversions and elementary vectors ---------------------------------------------
    // Degrees to radians.
    float ConvertDegreesToRadians(float degrees) const;
    // Radians to degrees.
    float ConvertRadiansToDegrees(float radians) const;
    // out = origin + r x (-cos a sin b, sin a, cos a cos b), angles a and b in degrees.
    void CalculateCartesianFromPolarCoordinates(float a, float b, float r, const float* origin, float* out) const;
    // Elevation asin((p.y - o.y) / r) and azimuth atan2(p.x - o.x, p.z - o.z), in degrees (0 for r = 0).
    void CalculatePolarFromCartesianCoordinates(const float* p, float r, const float* origin, float& elevation,
                                                float& azimuth) const;
    // The distance between two float points.
    float CalculateDistance(const float* a, const float* b) const;
    // The SQUARED distance between two positions.
    double CalculateDistance(const SPAposition& a, const SPAposition& b) const;
    // out = b - a (three floats).
    void CalculateVector(const float* a, const float* b, float* out) const;
    // a x + b y + c z + d for the plane's four coefficients.
    double CalculateDistanceFromPlane(const float* p, const double* plane) const;
    // normal = unit(a x b); the angle from a to b about that normal, in degrees. For opposite
    // vectors (180 degrees) the normal is a unit vector perpendicular to a, so that the turn
    // still takes a onto b; for parallel or zero vectors it is zero with 0 degrees.
    float CalculateNormalAndDegreesAngleBetween(const float* a, const float* b, float* normal) const;
    // n = unit((p1 - p0) x (p2 - p0)).
    void CalulateTriangleNormal(const SPAposition& p0, const SPAposition& p1, const SPAposition& p2,
                                SPAunit_vector& n) const;
    // The same on three float points (nine floats), answered NEGATED.
    void CalulateTriangleNormal(const float* nine, float* n) const;
    // m = (a + b) / 2.
    void ComputeMiddle(const SPAposition& a, const SPAposition& b, SPAposition& m) const;
    // The rotation about from x to by the angle between them, turning `from` onto `to`'s
    // direction: the identity for parallel or zero vectors, a half turn about an axis
    // perpendicular to `from` for opposite ones.
    void CalculateRotationMatrix(const SPAvector& from, const SPAvector& to, SPAtransf& out) const;

    // --- View projection -----------------------------------------------------------------
    // Window pixels of `p` on `view`, y counted from the top. `viewportHeight`, when given and not
    // -1, is used as the height; otherwise the height is read and stored into it, so a caller
    // projecting many points reads the viewport once. With `restorePick` a view in pick mode has
    // its pick mode suspended while its transformation is recomputed. False (outputs unchanged)
    // without a view or for a point that does not project.
    bool ProjectPositionOnView(const CGmPosition& p, view3d* view, float& x, float& y, int* viewportHeight = nullptr,
                               bool restorePick = false) const;
    // The transformation `view` projects points with (view3d::get_ctm), made current first as
    // ProjectPositionOnView makes it (with `restorePick`, outside a picking view's pick mode).
    // Null without a view.
    const view_matrix* PrepareProjection(view3d* view, bool restorePick) const;
    // Device x and y (y UP from the viewport's bottom) of the model point (px, py, pz) through
    // `m`, a transformation of `view` from PrepareProjection: the step ProjectPositionOnView takes
    // before turning y over. False for a point that does not project.
    static bool ToDevice(const view_matrix& m, const view3d& view, double px, double py, double pz, float& x,
                         float& y);
    // True when `p` projects into [0, width] x [0, height] of the viewport; false without a view.
    bool CheckIfPointIsInView(view3d* view, const CGmPosition& p) const;
    // The point of the view's target plane under pixel (x, y), y counted from the bottom.
    // Nothing (false) unless the view is a CDsView3dCdc.
    bool Convert2dCoordsTo3dPositionOnViewTargetPlane(int x, int y, view3d* view, SPAposition& out) const;
    // outX = width - x, outY = height - y.
    void Convert2dCoordsUpperRightToLowerLeft(view3d& view, int x, int y, int& outX, int& outY) const;
    // (right x dx + up x dy) x units per pixel; nothing (false) without a view.
    bool ConvertMouseMovePixelsToViewParallelVector(view3d* view, int dx, int dy, SPAvector& out) const;
    // The parallel pick ray through the event's pixel (y from the top): origin on the target
    // plane, direction the view direction. False unless the event's view is a CDsView3dCdc.
    bool CalculatePickRay(const CUiPickEvent& event, SPAposition& origin, SPAunit_vector& direction) const;
    // The screen extent of two positions (two corners of a box) measured by an extrema driver on
    // the view, in pixels from the view's target with y up: x minimum (first), y minimum (third),
    // x maximum (second), y maximum (fourth); height and width are that extent in model units
    // (pixels times units per pixel, so 0 for a view without a viewport). The extrema mode is
    // raised for the measurement. False, outputs unchanged, without a view or when neither
    // position projects.
    bool GetBoxProjectionDimensionsAndOffset(view3d* view, const CGmPosition& a, const CGmPosition& b, float& first,
                                             float& third, float& second, float& fourth, float& height,
                                             float& width) const;
    // The model-unit width and height of everything the view's rendering context shows, measured
    // by an extrema driver on the view (the context's whole content). False, outputs unchanged,
    // without a view, without a core rendering context or when nothing was measured.
    bool GetProjectionDimensions(view3d* view, double& width, double& height) const;
    // The same, with the left and the top edge (pixels from the view's target, y up) as offsets.
    bool GetProjectionDimensionsAndOffset(view3d* view, double& width, double& height, double& offsetA,
                                          double& offsetB) const;

    // --- Offsets in rotated frames -------------------------------------------------------
    // out = p + du (cos a u + sin a v) + dv (-sin a u + cos a v), a in radians.
    void CalculatePositionOffset(const CGmPosition& p, float angle, const SPAunit_vector& u, float du,
                                 const SPAunit_vector& v, float dv, CGmPosition& out) const;
    // The same with u and v the view's right and up vectors.
    void CalculatePositionOffset(const CGmPosition& p, float angle, view3d& view, float dx, float dy,
                                 CGmPosition& out) const;
    // outX = dx cos a + x - dy sin a, outY = dx sin a + dy cos a + y, truncated.
    void CalculatePositionOffset2D(int x, int y, float angle, int dx, int dy, int& outX, int& outY) const;

    // --- Polygons, triangles and rays ----------------------------------------------------
    // True when `p` lies inside (or on the boundary of) the polygon of `count` float vertices in
    // boundary order, seen along `normal`; false below three vertices or for null vertices.
    bool CheckIfPointIsInsidePolygon(const SPAposition& p, const float* vertices, int count,
                                     const SPAunit_vector& normal) const;
    // Where the ray meets the polygon's plane (plane of its first three vertices), when that point
    // lies inside the polygon; false below three vertices or without a hit.
    bool CalculateRayIntersectionWithPolygon(const float* vertices, int count, const SPAposition& origin,
                                             const SPAunit_vector& direction, SPAposition& hit,
                                             double& parameter) const;
    // The same for an indexed polygon's corners (any number of them); false for null.
    bool CheckIfPointIsInsidePolygon(const CGmPosition& p, const CVyrIndexedPolygon* polygon,
                                     const SPAunit_vector& normal) const;
    // The plane of an indexed polygon's first three corners a, b, c: point = b, normal =
    // unit((a - b) x (c - b)). False below three corners, for null and for corners on one line.
    bool CalculatePlaneFromPolygon(const CVyrIndexedPolygon* polygon, CGmPosition& point,
                                   SPAunit_vector& normal) const;
    // The hit nearest to `origin` (by distance, on the whole line) where the line meets a polygon
    // of `mesh` inside that polygon: its point and line parameter. False for a null mesh or no hit.
    bool CalculateRayIntersectionWithIndexedMesh(const CVyrIndexedMesh* mesh, const SPAposition& origin,
                                                 const SPAunit_vector& direction, CGmPosition& hit,
                                                 double& parameter) const;
    // Appends (parameter, point) of every hit inside a polygon of `mesh` whose parameter is not in
    // the list already, then sorts the list by parameter and keeps one hit of each run of
    // parameters equal within the modeler's resolution. True when this mesh gave a hit.
    bool CalculateRayIntersectionWithIndexedMesh(const CVyrIndexedMesh* mesh, const SPAposition& origin,
                                                 const SPAunit_vector& direction,
                                                 std::vector<std::pair<double, CGmPosition>>& hits) const;
    // The hits (as above) of the meshes of the faces whose pids are listed (every mesh of the
    // interface for an empty list); true when any was found. Meshes switched off (display-manager
    // flag 1) give none.
    bool CalculateRayIntersection(const CVyrMeshInterface* meshes, const SPAposition& origin,
                                  const SPAunit_vector& direction, std::vector<std::pair<double, CGmPosition>>& hits,
                                  const std::vector<int>& faces) const;
    // The hit nearest to `origin` on the mesh of `face` as `view`'s rendering context shows it
    // (the mesh interface of the face's body item). False without a view, a context, an owner of
    // the face, an interface for the owner or a mesh for the face, or when the ray misses it.
    bool CalculateRayIntersectionWithFaceMesh(CDsView3dCdc* view, const SPAposition& origin,
                                              const SPAunit_vector& direction, ENTITY* face, CGmPosition& hit) const;
    // True when `p` lies on the inner side of all three edges (an edge counts as inside).
    bool CheckPointInTriangle(const CGmPosition& a, const CGmPosition& b, const CGmPosition& c,
                              const CGmPosition& p) const;
    // False within 1e-5 of the plane; else true on the side opposite to the normal.
    bool IsPointClippedByPlane(const SPAposition& p, const SPAposition& planePoint,
                               const SPAunit_vector& normal) const;

    // --- Curves and polylines ------------------------------------------------------------
    // The point half-way along the polyline (count points of three floats) by length; the origin
    // for no points.
    SPAposition CalculateCurveMidPoint(const float* points, int count) const;
    // A new position (the caller deletes it) on the polyline nearest to the event's cursor on
    // screen, or null when no segment is near enough or there is no view.
    CGmPosition* FindPositionOnCurveByPick(const CUiPickEvent& event, const CGmPosition* points, int count) const;
    // Appends to `polyline` the approximation of the edge's curve from `start` to `end` within the
    // current refinement's curve tolerance (at most 1,024 points, CDsGlSketch::ApproximateIntCurve),
    // each point taken through `transform` when one is given. False, nothing appended, for a null
    // edge, an edge without a curve, or an approximation that fails or gives no point.
    bool Aproximate(EDGE* edge, double start, double end, const SPAtransf* transform, CDsPolyline& polyline) const;
    // As Aproximate, in passes: while a pass gives the full 1,024 points and its last parameter
    // lies 0.01 or more before `end`, a further pass starts there (its repeated first point left
    // out), at most 10 further passes. A failing pass ends the work; what earlier passes appended
    // stays. False when the first pass fails.
    bool Aproximate_Drft(EDGE* edge, double start, double end, const SPAtransf* transform,
                         CDsPolyline& polyline) const;

    // --- Range clamps (each change writes a warning line) -------------------------------
    // -1e-6 < v < 1e-6 (zero included) becomes 0.
    void SetIntoZeroTolerance(double& v) const;
    // |v| > 1e9 becomes 0.
    void SetIntoDisplayRange(double& v) const;
    // Each coordinate through SetIntoZeroTolerance, then SetIntoDisplayRange.
    void SetInDisplayRange(const SPAposition& in, SPAposition& out) const;
    // Each component through SetIntoZeroTolerance, then normalised.
    void SetInDisplayRange(const SPAunit_vector& in, SPAunit_vector& out) const;
    // The full path of the warnings file.
    static std::string GetWarningsFilePath();
    // Writes the buffered warning lines to the warnings file now (nothing when none are
    // waiting). Call it before reading the file, or before a risky operation.
    static void FlushWarnings();
    // Appends one line (a line feed is added) to the warnings file, buffered as above. Every
    // part of the core that meets bad input (clamped values, faulty preferences or setup files)
    // reports it here.
    static void WriteWarning(const char* line);

protected:
    // |v| < 1e-4.
    static bool IsZero(float v) { return v < 1e-4f && v > -1e-4f; }
    // v > 1e-4.
    static bool IsPositive(float v) { return v > 1e-4f; }
    // v < -1e-4.
    static bool IsNegative(float v) { return v < -1e-4f; }
    // v > -1e-4.
    static bool IsPositiveOrZero(float v) { return v > -1e-4f; }
    // v < 1e-4.
    static bool IsNegativeOrZero(float v) { return v < 1e-4f; }
    // 0 within 1e-4, else 1 or -1.
    static int Sign(float v) { return IsZero(v) ? 0 : (v > 0.0f ? 1 : -1); }
};
