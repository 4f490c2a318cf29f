// The host's scene-database geometry of a solid body: what a document files into the scene
// database for a body the rendering context shows, or for a copy of one (an instance's copy body
// the context shows through a copy group, CDsGlContext::AddCopy). Its drawing, box and kinds come
// from the body's group in the context (CDsGlContext::FindDsBody; for a copy, the group the copy
// shows): the face items' meshes, the edge items' polylines and the outlines of the curved faces
// (their silhouette groups' segments, supplied for the view being drawn), in the look the draw walk
// gives the database item, under the body's transformation (for a copy, the body's followed by the
// copy's); through the view's own drawing (plots, measures) the body, or the copy, plots or
// measures itself.
//
// Copies. A copy is drawn from the copied body's own items: its meshes, polylines and outlines,
// never faceted again; the outlines are supplied for the direction the copy is seen from. A copy
// follows its body wherever the body goes (moved, a face moved on its own, edited in place), draws
// what the body's shown items draw (nothing while the body is hidden on its own item), and draws
// and picks nothing while the copy is hidden on its own item (its hide level) or has no body: the
// body left the context (VyrHideBody, CDsGlContext::remove), which lets its copies go until
// CDsGlContext::UpdateCopy(copy, copy) gives them the body shown again.
//
// Silhouettes. The geometry answers the silhouette kind with a style bit per kind of curved face
// it shows: 0x100 for cones (cylinders among them), which the silhouette level of cylinders draws,
// 0x200 for spheres, tori and splines, which only the level of all silhouettes draws. Drawing the
// silhouette kind draws the outlines the view's level takes. Hidden-line frames hide their hidden
// parts as they hide edges: the outlines are lines on the faces' meshes, drawn after the faces
// filled the depth buffer, each moved just off its own face in the picture so that only other
// faces hide it (see CDsItemSilhouette).
//
// The face polygons (GetVertices) are what the visible-only pass of region picks and the pick ray
// test read: each is one triangle of a face's mesh, in model space (the geometry's location adds
// its own transform). The geometry also hands them out face by face with the faces' boxes
// (CDsFacedGeometry), so that the pick ray's tests skip the faces whose box the ray misses; and
// while OpenGL selects (a pick), a face whose box lies wholly outside the pick volume is not
// drawn: it could give no hit.
//
// The geometry holds the body (or copy) entity and the context, neither owned; the entity must
// stay shown in the context while the geometry is in the database. An entity the context does not
// show draws nothing and has no box, and so does every entity of a context that is gone: a
// document's part outlives the windows that filed bodies into it, and another window of the
// document draws the part.
#pragma once


#include "DsDrawnItems.h"
#include "DsFacedGeometry.h"
#include "DsGeometry.h"
#include "VyrIndexedMesh.h"
#include "VyrSmartPointerFunctionality.h"

#include <vector>

class BODY;
class CDsGlContext;
class CDsItemsBody;
class CDsItemsCopy;
class CDsScene;
class ENTITY;

// The geometry of one body, or of one copy of a body.
class CVyrBodyGeometry : public CDsGeometry, public CDsFacedGeometry, public CDsEntityGeometry {
public:
    // The geometry of `shown` as `context` shows it: a body (its body group), or an entity the
    // context shows as a copy of a body (its copy group, drawn from the copied body's items).
    CVyrBodyGeometry(ENTITY* shown, CDsGlContext* context);

    // A geometry of the same entity and context.
    CDsGeometry* Clone() const override;
    // None.
    const int* GetConnectedItems(unsigned int& count, int index) const override;
    // The body group's box under its transformation (a copy's: the copy box); false when the
    // body is not shown (a copy: not shown, or without a body).
    bool GetBoundBox(SPAbox& box, int index) const override;
    // Whether the body is shown (a copy: shown, with a body).
    bool HasBoundBox(int index) const override;
    // Faces (when the body has some), lines, and silhouettes with the style bits of the kinds of
    // curved faces shown (see the header comment); nothing when the body is not shown, nor for a
    // copy without a body or hidden on its own item.
    int GetDrawPrimitives(int index) const override;
    // Plots the body (lines) or measures it (an extrema view); the number of things drawn. With the
    // view in pick mode: the number of the body's edges the pick region meets (lines only).
    int Draw(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    // Faces: the face items' meshes; lines: the edge items' polylines; silhouettes: the outlines
    // of the curved faces that the view's silhouette level takes; in the look the walk set (the
    // edges and outlines in the special set's colour while the view draws a location in a special
    // state: dimmed, marked, highlighted, ...), under the body's transformation (and a face's
    // own; a copy's after them), hidden items left out; while OpenGL selects, faces whose box lies
    // outside the pick volume left out too.
    void DrawGl(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    // None.
    LONG DrawPoints(view3d& view, LONG mask, int index) override;
    // Faces: triangle `index` of the shown face items' meshes (faces in the faces group's order,
    // each mesh's triangles in its order), under the face's, the body's and a copy's
    // transformation, as three points (count 3); the answer is the index of the next triangle, -1 with the last
    // one (whose points are given too). -1 with no points (null, count 0) for an index outside
    // the triangles, other kinds or a body not shown. A call with index 0 looks the body up and
    // gathers the triangles anew; later indexes read what it gathered, whose points stay valid
    // until the next call with index 0.
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int options) override;
    // None.
    bool GetPoint(eParameterPoints which, SPAposition& position, int index) const override;
    // The shown face items one by one: each one's box (where it is drawn, under the body's
    // and a copy's transformation), then, when the visitor wants the face, the boxes of its parts (a few
    // neighbouring triangles each), each followed by the part's triangles, as GetVertices hands
    // them out, when the visitor wants it. False when the body is not shown.
    bool VisitFaces(int id, CDsFaceVisitor& visitor) override;

    // The body, or the copy entity, the geometry shows.
    ENTITY* GetEntity() const { return m_entity; }
    // The same, for the picks and snaps that ask where the database draws it.
    ENTITY* GetShownEntity() const override { return m_entity; }
    // The body group it draws and, for a copy, the copy's transformation; false when it draws
    // nothing (the body not shown, a copy without a body or hidden on its own item).
    bool GetShownBody(CDsItemsBody*& body, SPAtransf& after) const override;
    // The context the geometry shows the entity in; null once that context is gone.
    CDsGlContext* GetContext() const;

private:
    // What the geometry draws as the context shows it now: the body group and, for a copy, the
    // copy group it is seen through (null for a body's own geometry). No group when the entity is
    // not shown, the context is gone or a copy has no body.
    struct SShown {
        CDsItemsBody* group = nullptr;
        CDsItemsCopy* copy = nullptr;
        // Whether a copy is hidden on its own item (it then draws and picks nothing).
        bool CopyHidden() const;
        // The body's transformation followed by the copy's.
        SPAtransf Placement() const;
    };
    SShown Shown() const;

    // The triangles of one face's mesh in the mesh's own space, kept until the mesh's shape
    // changes: sorted so that neighbours follow each other, in parts of kPartTriangles with a box
    // each.
    struct SFaceTriangles {
        CVyrIndexedMesh::SRevision revision;  // the shape they were taken from
        std::vector<float> corners;           // nine floats a triangle
        std::vector<float> boxes;             // six floats a part: low, then high corner
    };
    // Triangles a part of a face holds (the last part may hold fewer).
    static constexpr int kPartTriangles = 16;
    // The kept triangles of face `index`, taken anew from `mesh` when its shape changed.
    const SFaceTriangles& FaceTriangles(int index, const CVyrIndexedMesh& mesh);

    ENTITY* m_entity;
    CVyrSmartPointer m_context;           // null once the context is gone
    std::vector<float> m_triangles;       // the gathered triangles, nine floats each
    std::vector<SFaceTriangles> m_faces;  // by face index (VisitFaces)
};

// Ids. Item `itemId` of the context's model part may be free, or hold what a closed window of the
// document filed there (a geometry whose context is gone: it draws nothing, and showing an entity
// under its id files the entity anew in its place), so that a document opened again in a new
// context shows its bodies under the ids they had. Any other item keeps its id: a show under it is
// refused, and so is a show of an entity the context files under another id already, and a hide
// under an id that holds another entity's item (another body, a copy, another context's, another
// kind of item). A refused call answers false and changes nothing: the context neither shows nor
// loses anything.
//
// Shows `body` in `context` (CDsGlContext::add) and files its geometry into the context's scene
// database as item `itemId` of the model part, with `attributes` (null: the item has none of its
// own and takes the look of object type 1 in the part's palette, black until the host sets that
// entry). False when the context cannot show the body or the id is refused (see above); a body
// this call added to the context is then taken out again.
bool VyrShowBody(CDsGlContext* context, BODY* body, int itemId, const class CDsAttributes* attributes);
// Takes item `itemId` out of the context's scene database and the body out of the context. False,
// with nothing changed, for a null context or body, for an id that holds another entity's item
// and for an id that holds nothing (the body stays shown under the id it has).
bool VyrHideBody(CDsGlContext* context, BODY* body, int itemId);
// Shows `copy`, an instance's copy of a body the context shows, as a copy of that body
// (CDsGlContext::AddCopy: no second faceting) and files its geometry into the context's scene
// database as item `itemId` of the model part, with `attributes` (may be null). False when the
// context shows no body `copy` copies, the copy's placement describes none (a zero or non-finite
// scale or value, as set_body_transform refuses), or the id is refused (see above; a copy this call made is
// then taken away again).
bool VyrShowCopy(CDsGlContext* context, ENTITY* copy, int itemId, const class CDsAttributes* attributes);
// Takes item `itemId` out of the context's scene database and the copy out of the context
// (CDsGlContext::RemoveCopy), deleting its copy group. Call it before the copy entity goes. False,
// with nothing changed, as VyrHideBody.
bool VyrHideCopy(CDsGlContext* context, ENTITY* copy, int itemId);
