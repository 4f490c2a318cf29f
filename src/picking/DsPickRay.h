// The pick rays of the pick walks: a pick ray brought into an item's model space, the plane of a
// polygon, a ray against one polygon, and a ray against the face polygons of an item's geometry
// with the hits a section hides dropped. Internal to the display core.
//
// Face polygons come from the geometry's vertex buffers of faces (GetVerticesBuffer with kind 4),
// else from its vertex lists (GetVertices with kind 4, one polygon per call), both asked for the
// item's id: a region's geometry answers for each of its items by id. A figure's polygons for the
// pick ray come from its items' vertices placed in double precision (GetPlacedVertices), tested
// about the ray's root: a million units out single precision rounds a placed corner by a
// sixteenth of a unit, pixels for a perspective eye close to it.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A vertex buffer of faces holds triangles: three indices per triangle when it has indices,
//   else three vertices per triangle; a buffer of another kind, a last incomplete triangle and an
//   index beyond the vertices are skipped.
// - The vertex lists end with the call that answers -1, and that call's polygon is tested too:
//   item groups hand their last (often only) polygon with that answer, so a one-polygon face would
//   otherwise never be hit.
// - The section test is given by the caller (SDsPickClip): a clip plane, and the scene whose
//   sections (its section plane and its stepped section) hide what they clip; a hit on a clipped
//   side is dropped. The caller hands the scene only for an item its sections can clip.
// - A point hidden by faces (CDsHidingFaces) is one that a face the frame draws covers as the
//   view sees it: the ray from the point towards the viewer meets a triangle of a face's mesh
//   farther than a twentieth of a pixel (in model units, at least a millionth of the point's size)
//   from the point, so that the faces the point lies on do not hide it, and no farther than the
//   near plane (nothing is drawn nearer to the viewer, nor behind a perspective eye). The faces
//   are those a walk of what the frame draws collected (DsDrawnItems.h): each item where the frame
//   draws it, placed by the walk's transform (a transform id's replacing an item's own), cut by
//   what clips it (where the ray meets a face on a cut-away side, the face is not drawn there and
//   hides nothing); a face polygon of more than three corners is tested as a fan of triangles; a
//   body group's faces are those of its face items as drawn.
#pragma once

#include "DsTransform.h"
#include "SpaValues.h"
#include "pick_ray.h"

#include <cmath>
#include <memory>
#include <vector>

class CDsGeometry;
class CDsItemsBody;
class CDsGlScene;
class view3d;

// One place where a ray meets a polygon: the point (model space of the item) and its parameter
// along the ray.
struct SDsRayIntersection {
    SPAposition point;       // where the ray meets the polygon
    double parameter = 0.0;  // root + parameter x direction = point
    SPAvector normal;        // the polygon's normal (not unit; either side), where DsRayItemFaces tells it
};

// A clip plane that hides what lies on the side opposite to its normal.
struct SDsPickClipPlane {
    SPAposition point;      // a point of the plane
    SPAunit_vector normal;  // the kept side
};

// What hides the hits of a pick: a clip plane and the sections of a scene (either may be null).
struct SDsPickClip {
    const SDsPickClipPlane* plane = nullptr;  // a clip plane
    const CDsGlScene* scene = nullptr;        // a scene whose sections clip (CDsGlScene::IsPointClipped)

    // True when `point` (model space of the root part) lies on a clipped side of the plane or of the
    // scene's sections.
    bool Hides(const SPAposition& point) const;
};

// The ray in the model space of an item placed by `transform`: the root mapped by the inverse, the
// direction too (without translation) and normalised. No ray (valid() false) for a singular
// transform or an invalid ray.
pick_ray DsRayToModelSpace(const CDsTransform& transform, const pick_ray& ray);

// The normal of the polygon: that of its first triangle of vertices (i, j, k), i < j < k in
// increasing order, whose normal has a length. False below three vertices or when every triangle
// is degenerate.
bool DsPolygonPlaneNormal(const SPAposition* vertices, int count, SPAunit_vector& normal);

// Where `ray` meets the polygon of `count` float vertices (x, y, z each): three vertices by the
// geometry computer's triangle test; four or more when the ray's root lies inside the polygon as
// seen along the ray (both projected on a plane across it: for a parallel view, as the window
// shows them) and the ray meets the polygon's plane. False below three vertices and without a hit.
bool DsRayPolygonIntersection(const float* vertices, int count, const pick_ray& ray, SDsRayIntersection& hit);
// The same for corners in double precision, tested about the ray's root.
bool DsRayPolygonIntersection(const double* vertices, int count, const pick_ray& ray, SDsRayIntersection& hit);

// The places where `ray` (model space of the root part) meets the face polygons of `geometry`
// (item `id`) placed by `transform`, appended to `hits` (model space of the item). No view is
// needed: polygons are tested along the ray. A geometry that draws no silhouettes (bits 0x100 to 0x800) gives at most the first hit. Hits that
// `clip` (may be null) hides, in the root part's space, are dropped.
void DsRayItemFaces(CDsGeometry* geometry, int id, const CDsTransform& transform, const pick_ray& ray,
                    const SDsPickClipPlane* clip, std::vector<SDsRayIntersection>& hits);
// The same with the hits that `clip` hides dropped (the clip plane and the sections of its scene).
// With `everyPolygon` every polygon is tested whatever the geometry draws: the first polygon met
// of a closed body may be its far side, so a caller that wants the nearest hit asks for them all.
void DsRayItemFaces(CDsGeometry* geometry, int id, const CDsTransform& transform, const pick_ray& ray,
                    const SDsPickClip& clip, std::vector<SDsRayIntersection>& hits, bool everyPolygon = false);

// The faces that hide what lies behind them in a pick, as a walk of the scene database finds
// them: each item's geometry and id, placed by the walk's transform and cut by what clips it (a
// clip plane, the sections of a scene for an item they can clip). Holds the geometries, not owned:
// they must outlive it, and what they draw must not change while it is asked: the polygons of a
// geometry that offers no faces with boxes (a figure's leaves, say) are read once, at the first
// question that reaches them, and kept placed, in runs with a box each, for the later questions
// (a snap asks about many points).
class CDsHidingFaces {
public:
    // The face polygons of `geometry` (item `id`) placed by `transform`, what `clip` hides left out;
    // with `facesOnly` they hide only the points of faces (the partial hidden-line mode keeps the
    // model's faces in the depth buffer, which hides faces behind them, not lines). With
    // `meshOutlines`, a figure's STL meshes are left out: the frame draws them as the outlines of
    // their triangles (outside the shaded and mixed modes), which hide nothing.
    void Add(CDsGeometry* geometry, int id, const CDsTransform& transform, const SDsPickClip& clip,
             bool facesOnly = false, bool meshOutlines = false);
    // The faces of a context's body group as the context shows them (its face items' meshes under
    // the faces', the body's and then `after`'s transformation; in render mode `renderMode` those
    // that hide: every shown face in the hidden-line mode, those at least three quarters opaque in
    // the others), what `clip` hides left out. The body must outlive the collection.
    void AddBody(CDsItemsBody* body, const SPAtransf& after, int renderMode, const SDsPickClip& clip,
                 bool facesOnly = false);
    // A plane polygon of `count` corners given where the frame draws it (model coordinates of the
    // root part), what `clip` hides left out: a filled rectangle drawn apart from the walk (a
    // hidden-line view's background), say. Nothing below three corners.
    void AddPolygon(const SPAposition* corners, int count, const SDsPickClip& clip);
    // Whether nothing was added.
    bool Empty() const { return m_items.empty() && m_bodies.empty(); }
    // Whether one of the faces hides `point` (model coordinates of the root part) from the viewer of
    // `view`: the ray from the point towards the viewer meets a polygon where its clip keeps it,
    // farther than a twentieth of a pixel (at least a millionth of the point's size) from the point.
    // False without a view or faces, and for a perspective eye at the point. The faces that hide
    // only faces are asked for a point of a face (`ofFace`); a point of a drawn line (`ofLine`),
    // which the frame draws in front of faces pushed back by their polygon offset, is hidden only by
    // a face in front of it by more than the face's depth slope across a pixel too (the larger of
    // its slopes along the window's rows and columns, as OpenGL takes it), on its own line of sight
    // or where the window decides: on the line of sight through the centre of the pixel the point
    // falls in, at the point's depth (a point on the border of pixels there only where it is hidden
    // in each).
    bool Hides(view3d* view, const SPAposition& point, bool ofFace = false, bool ofLine = false) const;

private:
    // Hides for a point, along the ray from `from` itself.
    bool HidesFrom(view3d* view, const SPAposition& from, bool ofFace, bool ofLine) const;

    // An item's triangles placed in the root part's space (nine coordinates each), and the box of
    // each run of them (six values: the low corner, then the high one).
    struct SPlacedTriangles {
        std::vector<double> corners;
        std::vector<double> runBoxes;
    };
    struct SItem {
        CDsGeometry* geometry;
        int id;
        SPAtransf placement;
        SPAbox box;  // the item's own box, empty when it has none
        SDsPickClip clip;
        bool faced = false;  // its faces come with boxes (CDsFacedGeometry): read at each question
                             // (no geometry: a polygon given placed, AddPolygon)
        bool meshOutlines = false;  // a figure's STL meshes are drawn as outlines: left out
        std::shared_ptr<SPlacedTriangles> placed;  // the others' triangles, once read
        bool facesOnly = false;  // hides only the points of faces
    };
    // The item's triangles placed, read at the first call.
    static const SPlacedTriangles& Placed(SItem& item);
    // The boxes of the runs of `triangles`' corners.
    static void BoxRuns(SPlacedTriangles& triangles);
    struct SBody {
        CDsItemsBody* body;
        SPAtransf after;
        int renderMode;
        SDsPickClip clip;
        bool facesOnly = false;  // hides only the points of faces
    };
    mutable std::vector<SItem> m_items;  // their triangles are read when first asked for
    std::vector<SBody> m_bodies;
};
