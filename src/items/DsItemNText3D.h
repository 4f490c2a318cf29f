// The texts anchored at a model point: CDsItemNText3DFixed (a fixed pixel height),
// CDsItemNText3D (a model-space height, turned into pixels at every draw), CDsItemNTextVector
// (model height, its line following a model direction as projected on the screen) and
// CDsItemNTextVectorFixed (pixel height, following a direction). Each projects its anchor to a
// pixel of the view at every draw and then draws as the 2-D text (DsItemNText2D.h): a one-bit
// bitmap rendered with GDI, or an outline.
//
// CDsItemNText3D measures every character once in model units (ABC widths at a font height of
// 1024, scaled to the model height), so that the text keeps its model proportions at any zoom: its
// GDI rendering gets explicit per-character pixel advances with the fractions carried, and its
// outline, bounds and extremes are the model-space box of the string.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The projection counts rows down from the top; the anchor is turned into the 2-D text's rows up
//   (height - 1 - row) there, once, so that the text's baseline starts at the pixel gluProject
//   gives the anchor. The vector texts measure their direction's screen angle with rows up as
//   well: a direction that projects straight down is -90 degrees.
// - A vector text whose screen angle changes marks its image modified, so that the bitmap is
//   rendered again at the new angle (a repeated angle renders nothing).
// - CUiCharFormat::GetHeightMm gives the model height of a text made from a character format.
// - ExpandBox is the item protocol's own (so that groups reach it), not a second operation.
// - Model heights of 0 or below (and NaN) become 0.01; a height that needs more than 1,000,000
//   pixels draws its outline.
// - A text of fixed pixel height (and one along a direction) answers its anchor as its model box,
//   as a marker answers its point and an arrow its base: the box of a figure holds the places its
//   window-sized leaves are drawn about, so that the figure's window box, which reaches that far
//   about its model box, holds the text wherever the figure's other leaves lie.
#pragma once

#include <afx.h>

#include "DsItemNText2D.h"
#include "GmPosition.h"
#include "SpaValues.h"

#include <vector>

class CDsBox;
class CUiCharFormat;

// A text at a model point, a fixed number of pixels high.
class AFX_EXT_CLASS CDsItemNText3DFixed : public CDsItemNText2D {
public:
    // `text` in the face `faceName`, `pixelHeight` pixels high, anchored at `position`; on top.
    CDsItemNText3DFixed(const CVyrString& text, const CVyrString& faceName, const CGmPosition& position,
                        int pixelHeight);
    // `text` in the font of a character format (CDsNFontStorage::SetData); anchored at the origin.
    CDsItemNText3DFixed(const CVyrString& text, CUiCharFormat& format);
    // `text` in a copy of `font` (pixel height = its height); anchored at the origin.
    CDsItemNText3DFixed(const CVyrString& text, const CDsNFontStorage& font);

    // The anchor.
    const CGmPosition& GetPosition() const { return m_position; }
    // The anchor.
    void SetPosition(const CGmPosition& position) { m_position = position; }
    using CDsItemNText2D::SetPosition;
    using CDsItemNText2D::SetHeight;
    // The pixel height, truncated.
    virtual void SetHeight(float height);

    // 9.
    EDsItemsType GetItemType() override;
    // The box of the anchor; true (see the header comment).
    bool GetBoundBox(SPAbox& box) override;
    // The anchor transformed.
    void Transform(const SPAtransf& transform) override;
    // Projects the anchor; then, outside fast refresh and up to 500 pixels, the attributes and
    // DrawGl.
    void Refresh(view3d& view) override;
    // As the 2-D text (bitmap, or the outline in fast refresh and above 500 pixels).
    void DrawGl(view3d& view) override;
    // For outlines or texts: projects the anchor, then as the 2-D text.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // Unless hidden and for `entity`'s item only (when given): the anchor to the measuring view.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;

protected:
    // Projects the anchor, then prints the text at it; 0.
    int DrawGdi(view3d& view) override;
    // The anchor's pixel (rows up) on the view; the bitmap follows. An anchor that does not
    // project (behind a perspective eye) puts the text at kOffWindow both ways: out of any window.
    void Compute2DPosition(view3d& view);
    // A pixel position no window reaches, a bitmap of the largest size included.
    static constexpr int kOffWindow = -(1 << 30);
    // Anchor at the origin; on top.
    void ResetMembers();
    // Nothing: a fixed text's outline is the 2-D text's, which the 2-D text's own drawing calls.
    void DrawRectangle(view3d&) {}

    // The anchor.
    CGmPosition m_position;
};

// A text at a model point with a model-space height.
class AFX_EXT_CLASS CDsItemNText3D : public CDsItemNText3DFixed {
public:
    // `text` in the face `faceName`, `height` model units high (0.01 at least), at `position`;
    // the characters measured.
    CDsItemNText3D(const CVyrString& text, const CVyrString& faceName, float height, const CGmPosition& position);
    // `text` in the font of a character format, CUiCharFormat::GetHeightMm high; measured.
    CDsItemNText3D(const CVyrString& text, CUiCharFormat& format);
    // `text` in a copy of `font`, `height` model units high; measured.
    CDsItemNText3D(const CVyrString& text, const CDsNFontStorage& font, float height);

    // The model height (the 2-D text's pixel height is CDsItemNText2D::GetHeight).
    float GetHeight() const { return m_height; }
    // The em height: em-to-ascent ratio x model height.
    float GetEmHeight() const;
    // The string's width (measured first when 0) and em height, model units.
    void GetEmDimensions(float& width, float& height);
    // The string's width in model units (0 until measured). Not GetWidth, which is the line width
    // of the attributes, as for every item.
    float GetTextWidth() const { return m_width; }
    // The characters' widths in model units.
    const std::vector<float>& GetCharWidths() const { return m_charWidths; }
    // The model height (0.01 at least); the characters measured again.
    void SetHeight(float height) override;
    using CDsItemNText2D::SetHeight;
    // Measures every character (ABC widths at height 1024 on the current view's device context,
    // else on a memory DC of the display) into model units; the width is their sum.
    void ComputeWidthsOfStringAndChars();

    // 10.
    EDsItemsType GetItemType() override;
    // The anchor transformed.
    void Transform(const SPAtransf& transform) override;
    // Projects the anchor, sets the pixel height from the zoom, the attributes, DrawGl.
    void Refresh(view3d& view) override;
    // Outside fast refresh and below 501 pixels, the bitmap; else the model-space outline.
    void DrawGl(view3d& view) override;
    // Fast refresh with auto-hide: the 2-D outline; texts: the bitmap at the zoom's pixel height,
    // or, in pick mode, the model-space outline.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // Unless hidden: a measuring view gathers the four corners, any other view prints.
    void Plot(view3d& view) override;
    // In pick mode, the bitmap's pick; otherwise the item draws for the view's own hit test and
    // answers false.
    bool Pick(view3d* view) override;
    // Unless hidden and for `entity`'s item only (when given): the four corners.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // The model box (ExpandBox of an empty box); true.
    bool GetBoundBox(SPAbox& box) override;
    // Unless hidden: the four corners on the current view, or without one the anchor and
    // (x + width, y + height, z). The transform is not used.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;

protected:
    // The text at the anchor with the carried advances; 0.
    int DrawGdi(view3d& view) override;
    // (width / u + 0.5, em height / u + 0.5), u the view's units per pixel.
    void ComputeBoundingRectangleInPixels(view3d& view, float& width, float& height) override;
    // New pixel advances (the caller deletes them), fractions carried.
    void ComputeCharWidths(double unitsPerPixel, int*& advances) override;
    // The pixel advances of `widths` (model units) at `unitsPerPixel` into `advances` (one entry
    // per width): each p = width / u, its fraction added to the carry, the whole pixels of that
    // added to trunc(p), the rest carried on, so that the advances add up to the model width.
    static void StComputeAdvances(const std::vector<float>& widths, double unitsPerPixel, int* advances);
    // The pixel height from the model height and the view's units per pixel.
    void ComputePreciseSizeInPixels(view3d& view);
    // Height 0.01 at least.
    void EnsureMinimalPositiveHeight();
    // The model-space outline as one line loop.
    void DrawRectangle(view3d& view);
    // The bottom-left corner of the string's box on the view.
    void ComputeBottomLeftPosition(view3d& view, CGmPosition& corner) const;
    // The corners bottom-left, bottom-right, top-right, top-left.
    void ComputeBoxPositions(view3d& view, CGmPosition corners[4]) const;
    // Height 15, width 0.
    void ResetMembers();

    // The model height.
    float m_height = 15.0f;
    // The string's width, model units.
    float m_width = 0.0f;
    // The characters' widths, model units.
    std::vector<float> m_charWidths;
};

// A model-height text whose line follows a model direction as it projects on the screen.
class AFX_EXT_CLASS CDsItemNTextVector : public CDsItemNText3D {
public:
    // `text` in the face `faceName`, 15 model units high, at `position` along `direction`; on top.
    CDsItemNTextVector(const CVyrString& text, const CGmPosition& position, const CVyrString& faceName,
                       const SPAvector& direction);

    // 11.
    EDsItemsType GetItemType() override;
    // As the 2-D text.
    void DrawGl(view3d& view) override;
    // In the view's draw phase: the angle from the view, then as the 3-D text.
    void Refresh(view3d& view) override;
    // For outlines or texts: the angle from the view, then as the 3-D text.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The direction.
    const SPAvector& GetDirection() const { return m_direction; }

protected:
    // The escapement of the direction's screen angle (rows up).
    void UpdateAngle(view3d& view);

private:
    SPAvector m_direction;
};

// A fixed-pixel text whose line follows a model direction as it projects on the screen.
class AFX_EXT_CLASS CDsItemNTextVectorFixed : public CDsItemNText3DFixed {
public:
    // `text` in the face `faceName`, 15 pixels high, at `position` along `direction`; on top.
    CDsItemNTextVectorFixed(const CVyrString& text, const CGmPosition& position, const CVyrString& faceName,
                            const SPAvector& direction);

    // 12.
    EDsItemsType GetItemType() override;
    // As the 2-D text.
    void DrawGl(view3d& view) override;
    // In the view's draw phase: the angle and the anchor from the view, then, outside fast
    // refresh and up to 500 pixels, the attributes and DrawGl.
    void Refresh(view3d& view) override;
    // For outlines or texts: the angle and the anchor from the view, then as the 2-D text.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The direction.
    const SPAvector& GetDirection() const { return m_direction; }

protected:
    // The escapement of the direction's screen angle (rows up).
    void UpdateAngle(view3d& view);

private:
    SPAvector m_direction;
};
