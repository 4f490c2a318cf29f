// CDsItemPolygonsBase: the base of the shaded leaf items (STL meshes, triangle arrays, 2-D
// polygons, display-list polygons, triangle sets, lamps and quadric surfaces). It adds to CDsItem
// an extremes box in doubles with its valid flag, a transformation of the item's own (CDsMatrix),
// a fill flag, a block of consecutive numbered display lists, a save and restore of the OpenGL
// switches that shaded drawing changes, and, through CDsGlColorSaver, the road by which the item's
// colour reaches OpenGL: a plain colour with lighting off, a lit material with lighting on.
//
// The material routines DsSetGlMaterial and DsSetGlMaterialIfChanged, shared with the draw walk's
// state cache, live beside that cache (src/renderers/DsGlStateCache.h). The face items' material
// road (CDsMaterialStorage) is separate: the two share no state.
//
// Display lists: the block's names come from CDsDriverGl::StGetIdForList (SetRange, then
// GenerateDisplayLists); leaves that compile a single list of their own take its name from
// glGenLists through the item base (StartBuildGlList). DeleteGlList deletes the block and clears
// the item's display-list flag; the single list of a leaf stays until the leaf deletes it.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A new base item draws nothing (DrawGl) and is a complete item of type 15.
// - A copy takes the source's fill flag, extremes, transformation, own triangles, display-list
//   count and a copy of its line attributes, but no display lists, no primitives kept for them
//   and no entity: it builds
//   lists of its own, so that deleting either never deletes the other's lists. The leaves whose
//   geometry lives only in display lists or in owned arrays are not copyable.
// - "The item has attributes" (when the colour saver is applied) means the item has a colour of
//   its own (its attributes do not inherit the colour) and the forced pen is off: an item that
//   inherits its colour draws in the colour its caller left, as does every item under the forced
//   pen.
// - GetBoundBox answers the box ExpandBox grows by: the box of all eight corners of the extremes
//   through the item's own transformation (the corners themselves, in doubles, while it has
//   none), so that a figure holding an item placed by a transformation (an STL mesh of
//   DrawTrianglesStl, say) reports the placed box to the scene, not the unplaced one. Two corners
//   would not do: a cube turned an eighth of a turn about z reaches out to its side corners, and
//   the images of its two extreme corners alone give it no width at all.
// - The leaves placed by their transformation (STL meshes, display-list polygons, triangle
//   strips, triangle sets and quadric surfaces) draw under it on the scene walk as on the retained
//   road (PushMatrix and PopMatrix around what they draw), so that a figure's leaf is drawn and
//   picked where its box, its extents and a direct draw put it. Under a placement that mirrors
//   space (OpenGL's model-view matrix mirrors: the walk's, a figure's, the leaf's own) their
//   polygons face the eye clockwise: PushMatrix turns the front face clockwise and PopMatrix gives
//   back the one it found, so that a mirrored leaf is lit, and culled, as an unmirrored one
//   (DsMirroredFrontFace.h).
// - The display-list polygons (CDsItemPolygonsDl) draw their own list once, under the walk's own
//   culled face, when the walk that calls them blends and culls (WalkCullsBlendedFaces): such a
//   walk runs once for the back faces and once for the front ones, so each face blends once.
// - A leaf that keeps the triangles it draws (STL meshes, display-list polygons recorded by the
//   figure generator, triangle strips, triangle sets) hands them out through GetVertices, one
//   triangle a call, placed by the leaf's own transformation as it draws them: the pick ray, the
//   nearest point of a pick and the visible-only pass read a figure's faces there, in the
//   figure's space, on which the walk's transform then acts. The index counts vertices (triangle
//   t at 3 t) and GetVerticesCount answers three times the triangle count, so that a group finds
//   each leaf's share. A leaf that draws lines as well (an STL mesh in wire) answers each
//   triangle's outline, closed (four vertices), for kind 2. The vertices handed out stay valid
//   until the leaf's next GetVertices.
// - A leaf whose display lists are compiled from primitives it is given (display-list polygons and
//   triangle strips, through CDsListWriter) keeps those primitives when no OpenGL context is current
//   as they come (a figure defined after another document's window went): no list could hold them
//   then. It compiles them into its lists at its first draw in a context that renders and compiles
//   no other list; until then it answers its triangles as if compiled, and sends the kept
//   primitives themselves where a list would be called (into a list being compiled, say). What is
//   done to the leaf meanwhile (a transformation, a colour) stays: nothing is defined again.
// - While OpenGL selects or takes feedback (a pick), the display-list polygons, the triangle
//   strips, the STL meshes and the triangle sets send the triangles they keep from client-side
//   arrays instead of calling their lists or drawing their vertex buffers: Mesa never frees the
//   storage of a buffer that a selection or feedback pass read (a display list's vertex store, a
//   vertex buffer), so a list or buffer read by picks would stay in memory after its figure and
//   its document went (see CDsGlMeshPainter).
#pragma once

#include <afx.h>

#include "DsItemBase.h"
#include "DsMatrix.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

class CDsItemPolygonsBase;
class CDsLineAttribStorage;

// Where a polygon leaf's primitives go as they are made: into OpenGL (the leaf's list being
// compiled), or, while no context is current, into the leaf's kept primitives of one of its lists
// (CDsItemPolygonsBase::KeepPrimitive). The calls mirror glBegin, glNormal, glVertex and glEnd.
class AFX_EXT_CLASS CDsListWriter {
public:
    // Into OpenGL when `keeper` is null, else into the primitives `keeper` keeps for list `list`
    // (CDsItemPolygonsBase::kOwnList, or the index of a numbered list).
    CDsListWriter(CDsItemPolygonsBase* keeper, int list) : m_keeper(keeper), m_list(list) {}
    // glBegin(mode), or a new kept primitive of `mode`.
    void Begin(GLenum mode);
    // glEnd, or nothing.
    void End();
    // glNormal3dv, or the normal of the vertices kept next.
    void Normal(const double* n);
    // glNormal3f, or the normal of the vertices kept next.
    void Normal(float x, float y, float z);
    // glVertex3dv, or a kept vertex with the normal given last.
    void Vertex(const double* p);
    // glVertex3f, or a kept vertex with the normal given last.
    void Vertex(float x, float y, float z);

private:
    CDsItemPolygonsBase* m_keeper;
    int m_list;
};

// The scope object through which a polygon draw sets its colour and puts the previous one back.
class AFX_EXT_CLASS CDsGlColorSaver {
public:
    // Inactive; lighting off.
    CDsGlColorSaver() = default;
    // Not copyable: it restores once.
    CDsGlColorSaver(const CDsGlColorSaver&) = delete;
    // Not copyable.
    CDsGlColorSaver& operator=(const CDsGlColorSaver&) = delete;
    // When active, puts back what Apply found: the colour (glColor4fv) with lighting off; with
    // lighting on the material of both faces and the two-side light model, as they were (the walk
    // lights faces by a material it sent and keeps in its cache, not by the current colour, so a
    // material made from the colour would leave the next item that inherits its pen in another),
    // and GL_COLOR_MATERIAL on again when Apply turned it off. A draw that saves and restores its
    // OpenGL switches closes the saver's scope before it restores them.
    ~CDsGlColorSaver();

    // Whether GL_LIGHTING was enabled when the draw began (set before Apply).
    void SetLighting(bool on) { m_lighting = on; }
    // The lighting switch given.
    bool GetLighting() const { return m_lighting; }
    // Saves the current GL colour (and with lighting on the material and the two-side light model)
    // and applies the colour and transparency of `attributes`: glColor4ub with lighting off,
    // DsSetGlMaterial with the default material's factors and the two-side value 1 with lighting
    // on, GL_COLOR_MATERIAL off until the saver restores (the material, not the colour drawn
    // before, lights the item). The saver becomes active.
    void Apply(const CDsLineAttribStorage& attributes);
    // Whether Apply ran.
    bool IsActive() const { return m_active; }

private:
    // The material terms saved per face: ambient, diffuse, specular and emission (four floats
    // each), then the shininess.
    static constexpr int kMaterialFloats = 17;

    bool m_active = false;
    bool m_lighting = false;
    float m_saved[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float m_material[2][kMaterialFloats] = {};  // front and back, with lighting on
    GLint m_twoSide = 0;                         // GL_LIGHT_MODEL_TWO_SIDE, with lighting on
    bool m_trackingOff = false;                  // Apply turned GL_COLOR_MATERIAL off
};

// The base of the polygon leaves.
class AFX_EXT_CLASS CDsItemPolygonsBase : public CDsItem {
public:
    // Fill on, extremes (0, 0, 0)-(0, 0, 0) not valid, no transformation, no display lists.
    CDsItemPolygonsBase();
    // See the header comment: everything but display lists and the entity.
    CDsItemPolygonsBase(const CDsItemPolygonsBase& other);
    // As the copy constructor; the item's own display lists are deleted first.
    CDsItemPolygonsBase& operator=(const CDsItemPolygonsBase& other);
    // Deletes the display-list block and frees the transformation.
    ~CDsItemPolygonsBase() override;

    // --- Item protocol ------------------------------------------------------------------
    // Nothing: the base has no geometry.
    void DrawGl(view3d& view) override;
    // 15.
    EDsItemsType GetItemType() override;
    // Multiplies the item's transformation by `transform`; the extremes become not valid.
    void Transform(const SPAtransf& transform) override;
    // UpdateExtremes, then the eight corners of the extremes under the item's transformation to
    // the measuring view (the entity is not used).
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // False for a null view or one in pick mode; for a measuring view DrawExtremes and true.
    bool Pick(view3d* view) override;
    using CDsItemBase::Pick;
    // Deletes the block of numbered lists (the first name becomes 0), forgets the primitives kept
    // for it and clears the display-list flag.
    void DeleteGlList() override;
    // Grows `box` by the extremes' eight corners under the item's own transformation and then
    // under `transform` when given (the transformation of what holds the item, a copy's say).
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // Nothing; 0.
    long DrawPoints(view3d& view, long mask) override;
    // Three times the count of the leaf's own triangles for kind 4 (and for kind 2 when the leaf
    // draws lines); 0 otherwise and in the base.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // The leaf's triangle at vertex `index` (a multiple of 3) placed by its transformation, see
    // the header comment: three vertices for kind 4, the closed outline's four for kind 2 when the
    // leaf draws lines. Answers the index of the next triangle, -1 after the last one; -1 and no
    // vertices outside the triangles and for other kinds.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // What GetVertices answers (the leaf's own, as a leaf overrides it), each vertex it places
    // placed by the modeler form of the transformation in double precision instead.
    int GetPlacedVertices(CDsGeometry::eDrawPrimitives kinds, int index, std::vector<double>& placed, int& count) override;
    // 4 (shaded polygons).
    int GetDrawPrimitives() override;
    // The box of the extremes' eight corners through the item's own transformation, as a modeler
    // box (see the header comment); true.
    bool GetBoundBox(SPAbox& box) override;
    // True.
    bool HasBoundBox() override;
    // The fill flag.
    bool GetFill() override;
    // Recomputes the extremes where a leaf can; nothing in the base.
    virtual void UpdateExtremes();

    // --- Own operations -----------------------------------------------------------------
    // Puts the switches, the fill flag and the extremes back to their construction values.
    void ResetMembers();
    // Sets the fill flag.
    void SetFill(bool fill) { m_fill = fill; }
    // Sets the number of numbered display lists the item owns.
    void SetRange(int count)
    {
        if (count != m_listCount) StNoteVertexCountChange();  // a leaf answers what its lists draw
        m_listCount = count;
    }
    // The number of numbered display lists.
    int GetRange() const { return m_listCount; }
    // The first numbered list, 0 while the item has none.
    GLuint GetFirstList() const { return m_firstList; }
    // The extremes' minimum corner (three doubles).
    const double* GetExtremesMin() const { return m_min; }
    // The extremes' maximum corner (three doubles).
    const double* GetExtremesMax() const { return m_max; }
    // Whether the extremes are valid (0 after construction and after every Transform).
    int GetExtremesValid() const { return m_extremesValid; }
    // The item's transformation (the identity until one is applied).
    const CDsMatrix& GetMatrix() const { return m_matrix; }

    // Saves GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE and the two polygon modes.
    void SaveOpenGlFlags();
    // Puts back what SaveOpenGlFlags saved (lighting with colour material, depth test with the
    // whole depth range, face culling, polygon modes).
    void RestoreOpenGlFlags();
    // Shaded: lighting, colour material and depth test on, both faces filled; otherwise the three
    // off and both faces as lines.
    void SetGlRenderAttribute(bool shaded);
    // Unless the transformation is the identity: pushes the modelview matrix and multiplies it.
    // Then, when the model-view mirrors space and no list is being compiled, clockwise front
    // faces (see the header comment).
    void PushMatrix();
    // The front face PushMatrix found, when it turned it; pops what PushMatrix pushed.
    void PopMatrix();
    // The extremes box as six outlined faces (polygon state saved and restored).
    void DrawBoundBox();
    // Takes GetRange() consecutive list names (CDsDriverGl::StGetIdForList); true.
    bool GenerateDisplayLists();
    // Calls the first `n` numbered lists (or sends their kept primitives while they wait for them).
    void DrawDisplayLists(int n);
    // Opens numbered list `i` (compiling, and drawing too when `execute`).
    void StartList(int i, bool execute);

    // --- Primitives kept for lists compiled later (see the header comment) -------------------
    // The list index of the leaf's own list (the one named by StartBuildGlList).
    static constexpr int kOwnList = -1;
    // Starts keeping a primitive of `mode` for list `list` (kOwnList, or numbered list `list`);
    // the vertices kept next belong to it.
    void KeepPrimitive(int list, GLenum mode);
    // The normal of the vertices kept next (three floats).
    void KeepNormal(float x, float y, float z);
    // Keeps a vertex with the normal kept last in the primitive kept last; nothing before one.
    void KeepVertex(float x, float y, float z);
    // Whether kept primitives wait for their lists.
    bool HasKeptPrimitives() const { return !m_kept.empty(); }

protected:
    // 0: polygons are not printed through the view's drawing operations.
    int DrawGdi(view3d& view) override;
    // Whether the colour saver applies the item's colour (see the header comment).
    bool HasAttributes() const;
    // Applies the colour saver: lighting from GL, the item's colour when it has attributes and
    // `own` is set, unless OpenGL selects or takes feedback (a pick, which records no colour).
    void ApplyColor(CDsGlColorSaver& saver, bool own);
    // The box of the extremes' eight corners under the item's own transformation, in doubles:
    // its minimum corner into `low` and its maximum corner into `high` (three doubles each).
    void GetPlacedExtremes(double* low, double* high) const;
    // Sets the extremes to the two corners and marks them valid.
    void SetExtremesCorners(const double* min, const double* max);
    // Deletes the single display list of the item (from StartBuildGlList), whatever its flag, and
    // forgets the primitives kept for it.
    void DeleteItemList();
    // Vertex `in` (three floats, the leaf's coordinates) placed by the item's transformation as
    // the leaf draws it, into `out` (three floats; may be `in`). While GetPlacedVertices asks, also
    // appended to its list placed by the modeler form in double precision.
    void PlaceVertex(const float* in, float* out) const;
    // The number of the leaf's own triangles (those it draws as faces); by default those of
    // m_triangles.
    virtual int GetOwnTrianglesCount() const;
    // The nine float corners of the leaf's own triangle `t` (0 <= t < GetOwnTrianglesCount()), in
    // the leaf's coordinates before its transformation; by default from m_triangles.
    virtual const float* GetOwnTriangle(int t) const;
    // Whether the walk that calls the item blends faces and culls them: then it draws the back
    // faces and the front faces in walks of their own, and an item that drew both sides itself
    // would blend every face once per walk (twice in all).
    static bool WalkCullsBlendedFaces();
    // Compiles the kept primitives into their lists (the numbered block named first when it has
    // no names, the own list through StartBuildGlList) and forgets them, when a context is current
    // that renders (neither selects nor takes feedback) and compiles no other list. Whether no
    // primitive waits afterwards.
    bool CompileKeptPrimitives();
    // Calls the leaf's own list, or sends its kept primitives while they wait for it.
    void CallOwnList();
    // While OpenGL selects or takes feedback: the leaf's own triangles (GetOwnTrianglesCount of
    // them, one after another from GetOwnTriangle(0)) from client-side arrays, with face culling
    // off when `bothSides`, and true; false (nothing drawn) otherwise or without triangles.
    bool DrawTrianglesForPick(bool bothSides) const;
    // Whether OpenGL selects or takes feedback (a pick draws).
    static bool StPickDraws();
    // GL_TRIANGLES of `vertexCount` vertices (three floats each) from a client-side array, with
    // no other array and no buffer bound.
    static void StDrawClientTriangles(const float* vertices, int vertexCount);

    bool m_savedLighting = false;  // GL_LIGHTING when SaveOpenGlFlags ran
    bool m_savedDepthTest = false;  // GL_DEPTH_TEST when SaveOpenGlFlags ran
    bool m_savedCullFace = false;  // GL_CULL_FACE when SaveOpenGlFlags ran
    GLint m_savedPolygonMode[2] = {GL_FILL, GL_FILL};  // front and back modes
    bool m_frontFaceTurned = false;  // PushMatrix turned the front face clockwise
    GLint m_frontFaceFound = GL_CCW;  // the front face PushMatrix found then
    bool m_fill = true;            // the fill flag
    double m_min[3] = {0.0, 0.0, 0.0};  // extremes, minimum corner
    double m_max[3] = {0.0, 0.0, 0.0};  // extremes, maximum corner
    int32_t m_extremesValid = 0;   // 1 once a leaf computed its extremes
    CDsMatrix m_matrix;            // the item's own transformation
    int32_t m_listCount = 0;       // numbered display lists owned
    GLuint m_firstList = 0;        // the first of them, 0 while none
    std::vector<float> m_triangles;  // own triangles of the leaves that record them, 9 floats each
    std::vector<double>* m_exactPlaced = nullptr;  // while GetPlacedVertices asks: where PlaceVertex adds
    const SPAtransf* m_exactPlacement = nullptr;   // and the placement it places by (null: none)

private:
    // A primitive kept for a list: its mode and its vertices, each with its normal.
    struct SKeptPrimitive {
        int list = kOwnList;
        GLenum mode = GL_TRIANGLES;
        std::vector<float> normals, vertices;  // three floats a vertex each
    };
    // Sends the kept primitives of list `list` to OpenGL as they are.
    void SendKeptPrimitives(int list) const;
    // Forgets the kept primitives of the own list (`own`) or of the numbered lists.
    void ForgetKeptPrimitives(bool own);

    float m_placedCorners[12] = {};  // the triangle GetVertices handed out last, placed
    std::vector<SKeptPrimitive> m_kept;  // primitives waiting for their lists, in order
    float m_keptNormal[3] = {0.0f, 0.0f, 1.0f};  // the normal of the vertices kept next
};
