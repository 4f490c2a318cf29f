// CDsGeometry: the base of every geometry object that the scene database holds at its items;
// the walks reach through it what an item draws, bounds and picks.
#pragma once

#include "VyrSceneDbApi.h"
#include "windows.h"

#include <vector>

class view3d;
class SPAbox;
class SPAposition;
class SPAtransf;
class CDsDrawContext;
struct SDsBox2D;

// A geometry object. The virtual operations stand in this order; the pure ones are each derived
// class's, the others answer the defaults given here. The trailing int of the queries is an item
// index within the geometry (0 for the geometry as a whole; for a region's geometry, a leaf id).
class VYR_SCENE_DB_API CDsGeometry {
public:
    // Primitive kinds, one bit each, with the style bits that GetDrawPrimitives adds.
    enum eDrawPrimitives : int {
        eDpPoints = 0x01,       // points, markers and screen-space lines
        eDpLines = 0x02,        // lines and outlines
        eDpFaces = 0x04,        // shaded polygons
        eDpSilhouettes = 0x08,  // silhouettes (levels in the style bits 0x100 to 0x800)
        eDpBitmaps = 0x10,      // one-bit bitmaps
        eDpTexts = 0x20,        // texts
        eDpImages = 0x40,       // textured pictures and icons
        eDpOther = 0x80,        // a kind of the geometry's own
        eDpKindMask = 0xFF,     // all primitive kinds
        eDpSilhouetteLevel1 = 0x100,  // silhouettes of cylinders
        eDpSilhouetteLevelMask = 0xF00,  // all silhouette levels
        eDpOnTop = 0x1000,      // drawn on top of the model
        eDpOffset = 0x2000      // drawn with a polygon offset
    };
    // Kinds of characteristic point asked through GetPoint, one bit each.
    enum eParameterPoints : int {
        ePpStart = 0x01,   // first point
        ePpEnd = 0x02,     // last point
        ePpMiddle = 0x04,  // middle point
        ePpCenter = 0x08,  // centre
        ePpFocus = 0x10,   // focus or other special point
        ePpPoint = 0x20    // the point of a point object
    };
    // Vertices of one primitive kind, as GetVerticesBuffer hands them out for vertex buffers.
    struct sVerticesBuffer {
        int m_primitive = 0;                 // the eDrawPrimitives kind
        std::vector<float> m_vertices;       // x, y, z per vertex
        std::vector<float> m_normals;        // x, y, z per vertex, or empty
        std::vector<unsigned> m_indices;     // indexes into the vertices, or empty
    };

    // Size field -1 (not known).
    CDsGeometry() = default;
    // Copies the size field.
    CDsGeometry(const CDsGeometry&) = default;
    // Copies the size field.
    CDsGeometry& operator=(const CDsGeometry&) = default;
    // Slot 0: the deleting destructor.
    virtual ~CDsGeometry();

    // Slot 1: a new copy of this geometry.
    virtual CDsGeometry* Clone() const = 0;
    // Slot 2: the ids of the items this geometry connects (`count` of them), or null.
    virtual const int* GetConnectedItems(unsigned int& count, int index) const = 0;
    // Slot 3: the model box; false when there is none.
    virtual bool GetBoundBox(SPAbox& box, int index) const = 0;
    // Slot 4: a screen box of its own, relative to the projected point; false by default.
    virtual bool GetBoundBox2D(SDsBox2D& box, int index) const;
    // Slot 5: true when the geometry has a model box.
    virtual bool HasBoundBox(int index) const = 0;
    // Slot 6: the eDrawPrimitives bits of the geometry.
    virtual int GetDrawPrimitives(int index) const = 0;
    // Slot 7: the size of the geometry's smallest detail; 0 by default.
    virtual double GetDetailSize() const;
    // Slot 8: draws through the view's own drawing operations (printing, extrema); the number of
    // things drawn.
    virtual int Draw(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) = 0;
    // Slot 9: draws through OpenGL.
    virtual void DrawGl(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) = 0;
    // Slot 10: draws the geometry's points into the view; a mask of reference-point kinds drawn.
    virtual LONG DrawPoints(view3d& view, LONG mask, int index) = 0;
    // Slot 11: the vertices of `kinds`; the number of vertices, -1 when there are none.
    virtual int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int options) = 0;
    // Slot 12: the characteristic point `which`; false when there is none.
    virtual bool GetPoint(eParameterPoints which, SPAposition& position, int index) const = 0;
    // Slot 13: vertex buffers of `kinds`; false by default.
    virtual bool GetVerticesBuffer(eDrawPrimitives kinds, std::vector<sVerticesBuffer>& buffers, int index);
    // Slot 14: whether the geometry draws in the highlight states 4 and 5; true by default.
    virtual bool IsAlwaysDrawn() const;
    // Slot 15: a transform of the geometry's own; false by default.
    virtual bool GetLocalTransform(SPAtransf& transform) const;
    // Slot 16: whether the walk visits the item's children for `walkFlags`; true by default.
    virtual bool ShouldDrawChildren(int walkFlags) const;
    // Whether the scene's sections cut what the geometry draws (a geometry that draws with the
    // clip planes off answers false); true by default.
    virtual bool IsCutBySections() const;

    // The size field (-1 until a derived class sets it).
    float GetSize() const { return m_size; }
    // Sets the size field.
    void SetSize(float size) { m_size = size; }

protected:
    float m_size = -1.0f;
};
