// CDsItemImage: a colour picture (CDsImage) mapped as a texture onto a rectangle in model space;
// printed by a GDI stretch. The picture's s axis runs along the rectangle's first side (origin to
// first corner), its t axis along the second (origin to second corner); the texture coordinates
// are pulled in by 1 % on each side.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The item owns its picture by value; the picture frees its pixels and texture once, when the
//   item goes (in the OpenGL context current then, as textures are).
// - While the view's context renders into a bitmap a texture is made for the one draw (in the
//   bitmap's OpenGL context) and deleted after it; the picture's own texture is left alone.
// - Pick(view3d*) turns the pick aperture's rows up and compares whole pixels with the window
//   rectangle of the projected corners c0 and c2.
#pragma once

#include <afx.h>

#include "DsImage.h"
#include "DsItemBase.h"
#include "DsRectangle3d.h"

// The image item.
class AFX_EXT_CLASS CDsItemImage : public CDsItem {
public:
    // A copy of `image` on a copy of `rectangle`.
    CDsItemImage(const CDsImage& image, const CDsRectangle3d& rectangle);

    // The textured rectangle (blended when the picture is transparent), and its outline when the
    // item is marked. OpenGL's enable state is put back afterwards.
    void DrawGl(view3d& view) override;
    // (0, 0) to (trunc |c0 - c1|, trunc |c0 - c3|); true.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 42.
    EDsItemsType GetItemType() override;
    // Transforms the corners.
    void Transform(const SPAtransf& transform) override;
    // The four corners through the measuring view.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // The outline, two pixels wide, solid.
    void DrawToFrontBuffer(view3d& view) override;
    // The picture stretched onto the view's device context over the rectangle's window place.
    void Plot(view3d& view) override;
    // Whether the window rectangle of the projected corners c0 and c2 meets the pick aperture. A
    // measuring view outside pick mode takes the four corners instead (DrawExtremes; true).
    bool Pick(view3d* view) override;
    // A region pick: the corners drawn through the manager's view (in pick mode); a point pick:
    // the model point under the pick point in one of the rectangle's two triangles. A hit is
    // offered to the manager and answers what it answers.
    bool Pick(pick_manager* manager) override;
    // 4.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // -1.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // 0x1042: pictures and outlines.
    int GetDrawPrimitives() override;
    // For a core view: the outline when the view has a location state and lines are asked; only
    // the outline during a fast refresh with auto-hide enabled; else DrawGl when pictures are
    // asked.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The box of corners c0 and c2; true.
    bool GetBoundBox(SPAbox& box) override;

    // The picture.
    CDsImage& GetImage() { return m_image; }
    // The rectangle.
    const CDsRectangle3d& GetRectangle() const { return m_rectangle; }

protected:
    // 0.
    int DrawGdi(view3d& view) override;

private:
    // The outline as a line loop.
    void DrawOutline() const;

    CDsRectangle3d m_rectangle;
    CDsImage m_image;
};
