// CDsItemBitmapIndexed: a bitmap of the display manager's bitmap table (CDsBitmap) drawn with
// glBitmap in the current colour at the window projection of a model point, placed around it by
// its alignment. CDsItemBitmapColored: a texture of the display manager's texture table drawn as
// an icon (blended by its alpha) at the window projection of a model point, placed by its
// alignment.
//
// Alignment offsets (w, h the size in pixels, integer halves) give the lower-left corner from the
// projected point (x, y): 1: y - h; 2: x - w, y - h; 3: x - w; 4: x - w/2, y - h/2; 5: y - h/2;
// 6: x - w, y - h/2; 7: x - w/2, y - h; 8: x - w/2; any other value: no offset.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The projected point (y counted down from the top) is turned into window rows counted up
//   (height - 1 - y) before it meets OpenGL, so the bitmap lands at the pixel gluProject gives its
//   point, not at its mirror about the middle row.
// - A bitmap record keeps its rows as GetBitmapBits gives them, top first; CDsDriverGl::StDrawBitmap
//   turns them over as it draws, so the picture shows upright.
// - The coloured bitmap takes its size from the texture image of the table (no GL texture needs to
//   exist at construction).
#pragma once

#include <afx.h>

#include "DsBitmap.h"
#include "DsItemBase.h"
#include "GmPosition.h"

// Offset of the lower-left corner of a w x h picture placed by `alignment` around its anchor.
AFX_EXT_API void DsAlignmentOffset(EAlignment alignment, int w, int h, int& dx, int& dy);

// An indexed bitmap at a model point.
class AFX_EXT_CLASS CDsItemBitmapIndexed : public CDsItem {
public:
    // At the origin, index -1 (none), centred.
    CDsItemBitmapIndexed() = default;
    // Bitmap `index` of the display manager's table at `position`, placed by `alignment`.
    CDsItemBitmapIndexed(const CGmPosition& position, int index, EAlignment alignment);

    // With an index in the table: the projected point, the view's 2-D drawing, the bitmap.
    void DrawGl(view3d& view) override;
    // False for an index outside the table; else the bitmap's size placed by the alignment.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 3.
    EDsItemsType GetItemType() override;
    // False. A measuring view outside pick mode that asks for window pixels
    // (CDsViewExtrema::GetMeasuresPixelLines) takes the pixels the bitmap covers where it is
    // drawn (true when the index is within the table and the point projects).
    bool Pick(view3d* view) override;
    // The point in the manager's aperture (CDsAcisPick::StCheckIfPoint3dIsInApperture), then the
    // hit offered; false without a manager.
    bool Pick(pick_manager* manager) override;
    // 0x1010: bitmaps.
    int GetDrawPrimitives() override;
    // Only for `kinds` exactly the bitmaps and an index in the table: the bitmap at the projected
    // point (attributes applied with `applyAttributes`); the walk is in 2-D already.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The single point; true.
    bool GetBoundBox(SPAbox& box) override;
    // Moves the point.
    void Transform(const SPAtransf& transform) override;

    // The bitmap's index.
    int GetIndex() const { return m_index; }
    // The position.
    const CGmPosition& GetPosition() const { return m_position; }
    // The alignment.
    EAlignment GetAlignment() const { return m_alignment; }

protected:
    // 0: not printed.
    int DrawGdi(view3d& view) override;

private:
    // The window point of the position, rows counted up; false when it does not project.
    bool WindowPoint(view3d& view, float& x, float& y) const;

    CGmPosition m_position;
    int m_index = -1;
    EAlignment m_alignment = eAlignCenter;
};

// A coloured (textured) bitmap at a model point.
class AFX_EXT_CLASS CDsItemBitmapColored : public CDsItem {
public:
    // At the origin, index -1 (none), no offset.
    CDsItemBitmapColored() = default;
    // Texture `index` of the display manager's table at `position`, placed by `alignment`; the size
    // is the texture image's (0 x 0 for an index the table does not hold).
    CDsItemBitmapColored(const CGmPosition& position, int index, EAlignment alignment);

    // Nothing: the icon is drawn by the walk.
    void DrawGl(view3d& view) override;
    // (0, 0) to (width, height); true.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 47.
    EDsItemsType GetItemType() override;
    // Whether the icon's window rectangle meets the pick aperture (rows turned up). A measuring
    // view outside pick mode that asks for window pixels (CDsViewExtrema::GetMeasuresPixelLines)
    // takes the icon's pixels instead (true when the point projects).
    bool Pick(view3d* view) override;
    // Pick(the manager's view); false without one.
    bool Pick(pick_manager* manager) override;
    // 0x1040: pictures.
    int GetDrawPrimitives() override;
    // With pictures among `kinds`: the current view's texture of the image drawn as an icon at the
    // aligned projected point.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The single point; true.
    bool GetBoundBox(SPAbox& box) override;
    // Moves the point.
    void Transform(const SPAtransf& transform) override;

    // The texture's index.
    int GetIndex() const { return m_index; }
    // The icon's size in pixels.
    void GetSize(int& width, int& height) const;

protected:
    // 0: not printed.
    int DrawGdi(view3d& view) override;

private:
    // The icon's lower-left window corner (rows up); false when the point does not project.
    bool Corner(view3d& view, int& x, int& y) const;

    CGmPosition m_position;
    int m_index = -1;
    EAlignment m_alignment = eAlignBottomLeft;
    int m_width = 0;
    int m_height = 0;
};
