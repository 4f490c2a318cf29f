// CDsItemSilhouette: the silhouette group of a curved face item (a cone, sphere, torus or
// spline face), made by the face item for its FACE. It keeps the kind of the face's surface, which
// decides at which silhouette level of the view it takes part (level 1, cylinders: cones, of which
// cylinders are one kind; level 2: all), and the segments of the silhouette as pairs of end
// points, which its DrawGl draws as separate lines.
//
// Segments. The outline of a curved face depends on where it is seen from, so the segments are
// supplied for the view being drawn (UpdateSegments): from the face's mesh
// (CVyrIndexedMesh::ComputeSilhouette), for the viewing direction brought into the mesh's frame.
// They are kept with the direction and the mesh's revision they were computed for
// (CVyrIndexedMesh::GetRevision, which every change of a mesh's shape renews and no two meshes
// share), and computed again only when either changes: when the camera turns, when another view
// looks from elsewhere, when the face's mesh is edited in place or the face is given another
// mesh. Panning and zooming keep them, and a frame in which nothing changed costs the comparison
// alone. The direction is the one the drawing uses at that moment: through OpenGL, the inverse of
// the model-view matrix (which holds the camera and every placement pushed before: the
// location's, the body's, the face's); while a plot is active, the view's camera and its model
// transform.
//
// Hidden lines. The segments lie on the face's mesh, and a mesh seen at its outline folds: the
// face's own triangles in front reach up to the segments, or over them, in the picture, and the
// depth buffer of a hidden-line frame would hide parts of the outline in its own face (whatever
// polygon offset pushes the faces back). There each end of a segment is drawn moved sideways in
// the picture, to the side where its face does not lie, beyond the corners of the mesh edge it
// lies on and three quarters of a pixel more (CVyrIndexedMesh::SSilhouetteSide); ends that
// segments share move alike, so the outline stays whole, and what another body hides stays
// hidden. The mesh's member OffsetSegmentToPreventFhlAtrifacts, which moves a segment by twice
// the surface tolerance, would move it by several pixels when zoomed in (apart from its rims) and
// by too little when zoomed out. Wireframe frames and plots draw the segments where they are.
//
// Choices where the behaviour was open:
// - One set of segments per silhouette: views looking from different directions compute them in
//   turn (one pass over the face's triangles each), views looking alike share them.
// - Refresh draws the segments after setting the attributes (through OpenGL, or through the
//   view's polyline calls while a plot is active): the body's plot pass reaches silhouettes only
//   through Refresh, and a leaf's Refresh draws what it sets the attributes for.
// - AddSegment appends to the segments held; the next supply from the mesh replaces them.
// - Silhouettes are never picked (PickSilhouette answers 0): they follow the camera, and a pick
//   finds the face they outline.
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"
#include "SpaValues.h"
#include "VyrIndexedMesh.h"

#include <vector>

class CDsItemsFace;

// The silhouette group of a face.
class AFX_EXT_CLASS CDsItemSilhouette : public CDsItemsGroup {
public:
    // The kind of surface of the face.
    enum ESurfaceKind : int {
        eSurfacePlane = 0,
        eSurfaceCone = 1,
        eSurfaceSphere = 2,
        eSurfaceTorus = 3,
        eSurfaceSpline = 4,
        eSurfaceOther = 5  // another surface, or no FACE
    };

    // The silhouette of `face` (its parent; may be null): the surface kind of its FACE, no segments.
    explicit CDsItemSilhouette(CDsItemsFace* face);
    // Frees every segment, then the group.
    ~CDsItemSilhouette() override;

    // Each segment as one GL_LINES pair; in the hidden-line render modes moved off its face (see
    // the header comment).
    void DrawGl(view3d& view) override;
    // 36.
    EDsItemsType GetItemType() override;
    // At a silhouette level that takes this surface kind and in a matching draw phase: the
    // silhouette's attributes to the view, then the segments for the view drawn (DrawSegments).
    void Refresh(view3d& view) override;
    // The same level test, then the draw-phase test only.
    void DrawGeometry(view3d& view) override;

    // --- The silhouette's own operations (virtual) ------------------------------------------
    // A silhouette is not picked (see the header comment): 0.
    virtual int PickSilhouette();

    // The kind of surface (ESurfaceKind).
    int GetSurfaceKind() const { return m_surfaceKind; }
    // Whether the view's silhouette level takes this surface kind: none at level 0, cones at
    // level 1, every kind at level 2.
    bool IsLevelShown(view3d& view) const;
    // The number of segments.
    int GetSegmentsCount() const { return static_cast<int>(m_segments.size() / 2); }
    // Segment `index`'s two ends; null outside the segments.
    const SPAposition* GetSegment(int index) const;
    // Appends the segment from `first` to `second`.
    void AddSegment(const SPAposition& first, const SPAposition& second);
    // Makes the segments those of the face's mesh seen as `view` draws now (see the header
    // comment), unless they already are. Without a mesh, or when the drawing's placement cannot
    // be inverted, the silhouette has no segments.
    void UpdateSegments(view3d& view);
    // UpdateSegments, then the segments drawn: through OpenGL (DrawGl), or while a plot is active
    // through the view's polyline calls, in the look set before.
    void DrawSegments(view3d& view);
    // Frees the segments and forgets what they were computed for.
    void ClearSegments();

private:
    // The viewing direction and a point on the line of sight, in the mesh's frame, as the drawing
    // is placed now; false when the placement cannot be inverted.
    static bool ViewInMeshFrame(view3d& view, SPAposition& eye, SPAvector& direction);
    // The segments drawn through OpenGL, each moved off its face's mesh in the picture.
    void DrawMovedOffTheFace();

    int32_t m_surfaceKind = eSurfaceOther;
    // Both ends of each segment in turn.
    std::vector<SPAposition> m_segments;
    // Per segment, which way and how far it leaves its face's mesh (none for a segment added by
    // AddSegment).
    std::vector<CVyrIndexedMesh::SSilhouetteSide> m_sides;
    // The mesh's answer before it is taken into m_segments, kept so that a turn allocates nothing.
    CVyrIndexedMesh::SegmentList m_computing;
    // What the segments were computed for: the mesh's revision, the unit direction.
    CVyrIndexedMesh::SRevision m_meshRevision;
    SPAvector m_direction = SPAvector(0, 0, 0);
    bool m_computed = false;
};
