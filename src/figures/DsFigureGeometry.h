// CDsFigureGeometry: the scene-database geometry of a recorded figure (CDsFigure::Record makes
// one per recording and hands it to the part storage as an item of type 59). The draw walk and
// the pick walks reach the figure's item groups through it: every operation forwards to the
// figure's group (its main group, else its impersonal part) and answers a neutral value (false,
// 0, -1, null) when the figure has none.
//
// CDsClipPlanesGuard: the scope during which a figure that section planes must not cut draws
// with the OpenGL clip planes off.
//
// Choices where the behaviour was open:
// - The guard of a figure that is not clip-able switches off the clip planes that are on while the
//   scene of the view's context holds a section (a section plane or a stepped section); a view
//   that is not a core view, or has no context, has no section, and the guard does nothing.
// - The trailing int arguments (item indexes) and the draw context are not used.
// - The figure's items are drawn, picked, measured and boxed with the attributes palette of their
//   scene active (that of the view's context, else of the context the figure was recorded with),
//   as the frame draws them, unless a palette is active already: otherwise a toolpath node that an
//   entry hides in the picture would still be picked and boxed outside the frame.
// - The box is taken when the figure is recorded and kept, but taken again when it is asked for
//   after the palette it was measured with changed (another palette, or the entries changed: the
//   palette's revision differs): a toolpath node that an entry shows again is inside the box, one
//   that an entry hides no longer holds it out. So it is after the figure's items were edited on
//   themselves (the figure's items revision differs): a toolpath node added, removed, recoloured
//   or hidden by its uid path, a leaf given other attributes on its own item.
// - The screen box comes in two parts (GetWindowBoxes2D). The anchored part is the union of the
//   leaves' boxes as the location walk places a box about its anchor, a model point (rows counted
//   down), with a text anchored at a model point giving all it draws there (the image of the
//   turned text, CDsItemNText2D::GetDrawnBox2D) rather than its rectangle before turning, rows
//   counted up, and a pixel frame its frame turned over. The placed part is the window pixels
//   (rows counted up from the viewport's bottom) of the leaves drawn at places of the window, not
//   about model points: polylines in pixels, relative polylines and leaders, texts at a pixel or
//   at a fraction of the window. The walk widens the figure's window box by the anchored part
//   about its model box and takes in the placed part where it lies, and the single pick passes
//   over a figure outside that window box: each leaf is picked wherever it is lit, whatever other
//   leaves its figure holds. GetBoundBox2D, the base's one box, is the union of the two.
#pragma once

#include <afx.h>

#include "DsGeometry.h"
#include "SpaValues.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

class CDsFigure;
class CDsItemsFigure;

// Switches off, for its lifetime, the OpenGL clip planes that are on when the figure it guards
// may not be clipped, and switches them on again, in the same order, when it ends.
class AFX_EXT_CLASS CDsClipPlanesGuard {
public:
    // A guard for a draw into `view` (not used beyond the call) of a figure that is `clipable`:
    // nothing happens for a clip-able figure or without a section in the scene of the view's
    // context; otherwise every plane GL_CLIP_PLANE0 + i (i below GL_MAX_CLIP_PLANES) that is on is
    // switched off and remembered.
    CDsClipPlanesGuard(view3d* view, bool clipable);
    // Switches the remembered planes on again, in the order in which they were switched off.
    ~CDsClipPlanesGuard();
    // Not copyable: the planes are switched on again once.
    CDsClipPlanesGuard(const CDsClipPlanesGuard&) = delete;
    // Not copyable.
    CDsClipPlanesGuard& operator=(const CDsClipPlanesGuard&) = delete;

    // The planes switched off (GL_CLIP_PLANE0 + i), in order.
    const std::vector<GLenum>& GetDisabledPlanes() const { return m_disabled; }

private:
    std::vector<GLenum> m_disabled;
};

// The geometry of one recorded figure.
class AFX_EXT_CLASS CDsFigureGeometry : public CDsGeometry {
public:
    // The scene-database object type of a figure geometry (category 2 in the part storage).
    static constexpr unsigned char kItemType = 59;

    // The geometry of `figure` (not owned) recorded with the type `subType` (the figure's
    // GetType()); the bound box is taken from the figure's group now, empty without a group.
    CDsFigureGeometry(CDsFigure* figure, int subType);
    // A copy of the figure, sub-type, box and size field.
    CDsFigureGeometry(const CDsFigureGeometry& other) = default;
    // Copies the figure, sub-type, box and size field.
    CDsFigureGeometry& operator=(const CDsFigureGeometry& other) = default;
    // Nothing owned: the figure is its host's.
    ~CDsFigureGeometry() override;

    // A new geometry of the same figure, sub-type and box.
    CDsGeometry* Clone() const override;
    // None: count 0, null.
    const int* GetConnectedItems(unsigned int& count, int index) const override;
    // The box taken at construction, taken again when the palette it was measured with changed
    // or the figure's items were edited (see the header comment); false when it is empty.
    bool GetBoundBox(SPAbox& box, int index) const override;
    // The union of the two boxes of GetWindowBoxes2D (see the header comment); false without a
    // group or when no leaf gives a box.
    bool GetBoundBox2D(SDsBox2D& box, int index) const override;
    // The group's screen box on the current view in its two parts (see the header comment):
    // `anchored` about its leaves' anchors, rows counted down, and `placed` the window pixels of
    // its leaves drawn at places of the window, rows counted up from the viewport's bottom; each
    // empty (SDsBox2D::SetEmpty) when no leaf gives it. False without a group or when both are
    // empty.
    bool GetWindowBoxes2D(SDsBox2D& anchored, SDsBox2D& placed) const;
    // Whether the box (as GetBoundBox answers it) is not empty.
    bool HasBoundBox(int index) const override;
    // The kinds of the main group or-ed with those of the impersonal part; 0 without groups.
    int GetDrawPrimitives(int index) const override;
    // The printing and measuring road: 0 in a measuring view (CDsViewExtrema) for a group with
    // item flag 1 (no extents); else 1 when the group draws itself through the view's own driver
    // (its Pick(view3d*) answers true), else 0. 0 without a group.
    int Draw(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    // The main group's primitives of `kinds` with their attributes, then the impersonal part's
    // without them when the figure accepts the view's location state (CDsFigure::OnImpPartDraw),
    // both inside a clip-plane guard for the figure's clip-able flag.
    void DrawGl(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    // The group's points of `mask`; 0 without a group.
    LONG DrawPoints(view3d& view, LONG mask, int index) override;
    // The group's vertices; -1 without a group.
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int options) override;
    // The group's characteristic point; false without a group.
    bool GetPoint(eParameterPoints which, SPAposition& position, int index) const override;
    // None: false.
    bool GetVerticesBuffer(eDrawPrimitives kinds, std::vector<sVerticesBuffer>& buffers, int index) override;

    // The recorded figure (not owned).
    CDsFigure* GetFigure() const { return m_figure; }
    // Whether the figure is clip-able (CDsFigure::IsClip_able): one that is not draws with the clip
    // planes off; true without a figure.
    bool IsCutBySections() const override;
    // The figure's GetType() at recording.
    int GetSubType() const { return m_subType; }
    // The figure's main group, else its impersonal part; null without either.
    CDsItemsFigure* GetFigItem() const;

private:
    // The box becomes the figure group's box (empty without a group), measured with the palette
    // whose revision it keeps, and with the figure's items as their revision says.
    void CreateBoundBox() const;
    // The box, taken again when the palette it was measured with changed or the items were edited.
    const SPAbox& CurrentBox() const;

    CDsFigure* m_figure = nullptr;
    int m_subType = -1;
    mutable SPAbox m_box;
    mutable uint64_t m_paletteRevision = 0;  // of the palette the box was measured with, 0: none
    mutable uint64_t m_itemsRevision = 0;    // of the figure's items the box was measured with
};
