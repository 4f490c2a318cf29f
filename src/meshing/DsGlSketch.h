// CDsGlSketch: turns the topology of a solid body into what the display draws. For a body it
// makes a mesh interface, gives each edge a polyline entry and facets the faces into indexed
// meshes through the faceter; for a single face or edge it adds that face's mesh or that edge's
// polyline to an existing interface. Made on the caller's stack for one job.
//
// Edges. A straight edge gets 2 points; an elliptic one ceil(turns x n) segments with n per full
// turn from the pixel size p and the major radius r (12 when r <= p, else at least 12 and enough
// that each chord stays within a pixel of the curve), at most 1,023; a free-form one the points
// of the faceter's curve approximation on the refinement's curve tolerance (evaluated at 1,023
// equal steps when the faceter needed its whole limit of 1,024 points). While dynamic ellipses
// are on (CDsEllipseStorage::StGetDynamicEllipses) an elliptic edge gets a view-dependent ellipse
// storage instead of points. A closed edge whose range is empty is taken over one period.
//
// Choices left open, and faults avoided:
// - Points run in the direction of the edge's curve over its parameter range (the modeler's edge
//   range is already in the curve's parameters, whatever the edge's sense).
// - A segment count within 1e-9 of a whole number is that number (a half circle at 12 segments
//   per turn gets 6, not 7 because of rounding).
// - Each edge of a body is sketched in its own error block: an edge whose curve cannot be
//   evaluated gets no points, and the edges after it are still sketched.
// - A free-form curve whose interval lies outside its parameter range is moved into it by whole
//   steps computed at once (not one step at a time), and not at all when that would take more
//   than a million steps; the second faceting keeps to the caller's maximum when that is below
//   1,024.
// - With no view, or a view without width, the pixel size is 100 / 300.
// - A display curve (ApproximateCurve) is always a list of points: an elliptic one is evaluated
//   whatever the dynamic-ellipse switch says, and a free-form one whose faceting fails gives no
//   item rather than an error raised to the caller.
// - A display curve of a face (SketchCurveEdge) is approximated inside an error block of its own:
//   an edge whose curve cannot be approximated adds no item, and the caller goes on with the next.
#pragma once

#include <afx.h>

#include "DmRefCountPtrTempl.h"
#include "VyrPolylineEntry.h"

#include "SpaErrors.h"
#include "SpaValues.h"

class BODY;
class CDsItemPolyline3D;
class CDsItemsGroup;
class CURVE;
class CVyrMeshInterface;
class CVyrRefinement;
class EDGE;
class ENTITY;
class ENTITY_LIST;
class FACE;
class curve;
class ellipse;

// The body sketcher.
class AFX_EXT_CLASS CDsGlSketch {
public:
    // Most points of one curve.
    static constexpr int kMaxCurvePoints = 1024;

    // A sketch on `refinement` (not owned; null: the current refinement), facet-first on.
    explicit CDsGlSketch(const CVyrRefinement* refinement);
    // Not copyable: a sketch lives for one job.
    CDsGlSketch(const CDsGlSketch&) = delete;
    // Not copyable.
    CDsGlSketch& operator=(const CDsGlSketch&) = delete;
    // Releases the polyline entry it may still hold.
    ~CDsGlSketch();

    // --- Bodies, faces and edges -----------------------------------------------------------
    // A new mesh interface (the caller owns it) filled with the body's edge polylines and face
    // meshes; null when `entity` is null or not a body.
    CVyrMeshInterface* BuildBody(ENTITY* entity, bool fast);
    // A polyline entry per edge of the body into `meshes` (BuildEdge for each).
    void BuildEdges(const BODY* body, CVyrMeshInterface* meshes, bool fast);
    // BuildEdgeFast (fast) or BuildEdgeSafe.
    void BuildEdge(EDGE* edge, CVyrMeshInterface* meshes, bool fast);
    // BuildEdgeFast with modeler logging on, in a bulletin board and an error block.
    void BuildEdgeSafe(EDGE* edge, CVyrMeshInterface* meshes);
    // A new polyline entry for the edge, sketched, and stored in `meshes` when its pid is above 0.
    void BuildEdgeFast(EDGE* edge, CVyrMeshInterface* meshes);
    // Facets the body's faces into `meshes` in one call (when it has faces).
    void BuildFaces(BODY* body, CVyrMeshInterface* meshes, bool fast);
    // Facets one face into `meshes` (fast, else through BuildFaceSafe).
    void BuildFace(FACE* face, CVyrMeshInterface* meshes, bool fast);
    // Facets one face with modeler logging on, in a bulletin board and an error block.
    void BuildFaceSafe(FACE* face, CVyrMeshInterface* meshes);
    // Facets one face, nothing around it.
    void BuildFaceFast(FACE* face, CVyrMeshInterface* meshes);
    // Facets again, one by one, each face of `faces` that has no mesh in `meshes`.
    void RefacetProblematicFacesOneByOne(CVyrMeshInterface* meshes, ENTITY_LIST& faces);

    // --- Edge polylines -------------------------------------------------------------------------
    // Sketches `edge` into `entry` (the points or storage it had are replaced).
    void SketchEdge(EDGE* edge, CDmRefCountPtrTempl<CVyrPolylineEntry> entry);
    // Sketches the curve entity `curve` into `entry`, as SketchEdge does for an edge: holds the
    // entry, SketchCurve, releases it (the points or storage the entry had are replaced).
    void SketchCurve(CURVE* curve, CDmRefCountPtrTempl<CVyrPolylineEntry> entry);
    // Facets the entity into the active mesh interface first when that has no mesh for it (and
    // facet-first is on); then sketches it: an edge through GetEdgeGeometry with the body's
    // transformation, a curve entity through SketchCurve. Answers 0.
    int SketchEntityGeometry(ENTITY* entity);
    // The geometry of one edge: EdgeNotification with `transform` (the placement of the edge's
    // body, null for none), then, when that answers non-zero, SketchEdgeCurve. The points stay in
    // the body's own coordinates whatever `transform` is: the body's item places them when it
    // draws. Answers 0.
    int GetEdgeGeometry(EDGE* edge, const SPAtransf* transform);
    // Sketches the edge's curve over the edge's range; nothing without geometry. Answers 0.
    int SketchEdgeCurve(EDGE* edge);
    // Sketches the equation of the curve entity `curve` over the range it has on its own: the
    // range of the edge that owns it, else the equation's parameter range (one period of a
    // periodic curve). Nothing for null, without a held entry, or for a curve without bounds (a
    // straight line not owned by an edge). Answers 0.
    int SketchCurve(CURVE* curve);
    // Answers 1 and does nothing else.
    int EdgeNotification(EDGE* edge, const SPAtransf* transform);

    // --- Display curves -----------------------------------------------------------------------
    // Adds to `group` a polyline item (ApproximateCurve) of the edge's curve over the edge's
    // range, taken through `transform` when given; nothing without a group or an edge with a curve.
    void SketchCurveEdge(EDGE* edge, const SPAtransf* transform, CDsItemsGroup* group);
    // A new polyline item (the caller owns it; not closed, no attributes) of `c` from t0 to t1: as
    // SketchCurveParam, with the pixel size as the tolerance of a free-form curve. Null when the
    // range is empty after the period correction, the curve kind gives no points or faceting fails.
    CDsItemPolyline3D* ApproximateCurve(const curve& c, double t0, double t1);
    // Sketches `c` from t0 to t1 into the held polyline entry (see the header comment). Answers 0.
    int SketchCurveParam(const curve& c, double t0, double t1);
    // Stores the points (as floats, values smaller than the smallest normal float as 0) in the
    // held polyline entry with their middle point. Answers 0.
    int PolylineNotification(int count, const SPAposition* points);
    // Segments of the elliptic arc from t0 to t1 (see the header comment); 0 for an empty or
    // non-finite range.
    int GetEllipseSegmentsCount(const ellipse& e, double t0, double t1) const;

    // --- Curve approximation ------------------------------------------------------------------
    // The faceter's approximation of `c` from t0 to t1 within `tol` by at most `maximum` points
    // (at most 1,024 kept) into `points` and `params` (each holding `maximum` values); the
    // faceter's outcome, the count in `count`.
    outcome FacetCurve(const curve& c, double t0, double t1, double tol, int maximum, int& count,
                       SPAposition* points, double* params) const;
    // FacetCurve, with an interval outside the curve's range moved into it when that gives no
    // points; the count is 0 on failure; with the current refinement's display-vertices flag a
    // nearly straight result is reduced to its chord (FixIntCurveApproximation).
    outcome ApproximateIntCurve(const curve& c, double t0, double t1, double tol, int maximum, int& count,
                                SPAposition* points, double* params) const;
    // More than two points whose inner points all lie within `tol` of the chord from the first
    // to the last become the two end points (a chord shorter than 1e-6 is left alone).
    void FixIntCurveApproximation(int& count, SPAposition* points, double* params, double tol) const;
    // (a, b) becomes (-b, -a).
    void SwapParameters(SPAparameter& a, SPAparameter& b) const;

    // The sketch's refinement, or the current one when it has none.
    const CVyrRefinement* GetRefinement() const;

private:
    int m_facetFirst = 1;
    const SPAtransf* m_bodyTransform = nullptr;
    CDmRefCountPtrTempl<CVyrPolylineEntry> m_polyline;
    const CVyrRefinement* m_refinement = nullptr;
};

// Model length of one pixel of the first view (its picture width over its viewport width); 100
// / 300 without a view.
AFX_EXT_API double DsGetViewPixelSize();
