// The text groups: CDsItemsNTextBiTol (the first two lines of a string as two 3-D texts, the
// second one em height below the first), CDsItemsNTextBlock (a paragraph of CDsItemsNTextLine
// groups with a common anchor, angle and block alignment) and CDsItemsNTextLine (3-D texts in
// reading order, each with its own font and model height, aligned inside the block's width).
//
// A block lays its lines and items out once (every item's anchor and line angle) on its first
// draw, bounds or size query, and again only after its position, angle or alignment changed or it
// was transformed; an item whose text or height changes later keeps its place. Lines and items lie
// in the model's XY plane turned by the block angle (degrees counter-clockwise), at the z of the
// block's anchor. Widths are measured once (while 0) and kept.
//
// Block alignment (EDsTextBlockAlignment): 0..8 are the rows top, middle, bottom with the columns
// left, centre, right. The anchor lies x ratio x width right of the block's left edge (0, 0.5, 1
// for the columns) and y ratio x height above its bottom edge (1, 0.5, 0 for the rows: 1 puts the
// anchor on the top edge). Values outside 0..8 anchor the bottom-left corner.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The figure generator's StartTextLine, called while a line is the current group, opens the new
//   line in that line's block (lines are not nested).
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"
#include "GmPosition.h"
#include "VyrFigureGenerator.h"

class CDsItemNText3D;
class CDsNFontStorage;
class CVyrString;

// The first two lines of a string.
class AFX_EXT_CLASS CDsItemsNTextBiTol : public CDsItemsGroup {
public:
    // Line 1 of `text` at `position` and line 2 one em height of line 1 below it (across the
    // font's line angle in the XY plane), both 3-D texts in `font`, `height` model units high.
    CDsItemsNTextBiTol(const CGmPosition& position, const CVyrString& text, const CDsNFontStorage& font, float height);
    // The children go with the group.
    ~CDsItemsNTextBiTol() override;

    // 37.
    EDsItemsType GetItemType() override;
    // The larger of the two lines' widths, model units (GetWidth is the line width).
    float GetTextWidth() const { return m_width; }
    // Twice the second line's em height, model units.
    float GetHeight() const { return m_height; }

private:
    float m_width = 0.0f;
    float m_height = 0.0f;
};

// A line of 3-D texts in a text block.
class AFX_EXT_CLASS CDsItemsNTextLine : public CDsItemsGroup {
public:
    // An empty line aligned by `alignment` in its block's width.
    explicit CDsItemsNTextLine(EDsTextLineAlignment alignment);
    // The children go with the group.
    ~CDsItemsNTextLine() override;

    // 39.
    EDsItemsType GetItemType() override;
    // Measures the items: width += each item's width; the largest em height and the model height
    // of its item.
    void Measure();
    // The width (measured first when 0) and the largest em height.
    void GetSize(float& width, float& height);
    // The sum of the items' widths, model units, 0 until measured (GetWidth is the line width).
    float GetTextWidth() const { return m_width; }
    // The largest em height among the items.
    float GetLargestEmHeight() const { return m_largestEmHeight; }
    // The model height of the item with the largest em height.
    float GetLargestModelHeight() const { return m_largestModelHeight; }
    // The alignment in the block's width.
    EDsTextLineAlignment GetAlignment() const { return m_alignment; }
    // Places the items from `start` along `angleDegrees`, shifted by the alignment inside a block
    // `blockWidth` wide; each item's line angle becomes the block's.
    void Layout(const CGmPosition& start, float blockWidth, float angleDegrees);

private:
    CGmPosition m_position;
    float m_largestModelHeight = 0.0f;
    float m_largestEmHeight = 0.0f;
    float m_width = 0.0f;
    EDsTextLineAlignment m_alignment = eDsTextLineLeft;
};

// A paragraph of text lines.
class AFX_EXT_CLASS CDsItemsNTextBlock : public CDsItemsGroup {
public:
    // An empty block anchored at `position` by `alignment`; angle 0, not laid out.
    CDsItemsNTextBlock(const CGmPosition& position, EDsTextBlockAlignment alignment);
    // The children go with the group.
    ~CDsItemsNTextBlock() override;

    // The line angle in degrees; the block is laid out again.
    void SetAngle(float degrees);
    // The block alignment; the block is laid out again.
    void SetAlignment(EDsTextBlockAlignment alignment);
    // The anchor; the block is laid out again.
    void SetPosition(const CGmPosition& position);
    // The anchor.
    const CGmPosition& GetPosition() const { return m_position; }
    // The line angle in degrees.
    float GetAngle() const { return m_angle; }
    // Whether the block is laid out.
    bool IsLaidOut() const { return m_laidOut; }
    // Lays out, then the block's width and height; with `withoutLastDescent` and a line as the
    // last child, the height less that line's descent (largest em height - largest model height).
    void GetBlockSize(float& width, float& height, bool withoutLastDescent);
    // The x and y ratios of an alignment (see the header comment).
    static void StGetAlignmentRatios(EDsTextBlockAlignment alignment, float& xRatio, float& yRatio);

    // --- The item protocol ---------------------------------------------------------------------
    // False until laid out; else the block's box around the anchor in model units.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 38.
    EDsItemsType GetItemType() override;
    // The anchor transformed; laid out again on the next use.
    void Transform(const SPAtransf& transform) override;
    // Nothing while the view's flags 5 and 3 are both set; else lays out and draws the lines.
    void Refresh(view3d& view) override;
    // Lays out, then the lines' extremes (for `entity` unless it is the block's own).
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // The lines into the front buffer unless the view's flag 5 is set.
    void DrawToFrontBuffer(view3d& view) override;
    // Unless hidden and with a current view: lays out, then the lines' boxes.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // For outlines or texts: lays out, then the lines.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

    // Lays the lines and items out unless laid out already.
    void Layout();

private:
    // Width = the widest line, height = the sum of the lines' em heights.
    void Measure();

    bool m_laidOut = false;
    CGmPosition m_position;
    EDsTextBlockAlignment m_alignment = eDsTextBlockTopLeft;
    float m_width = 0.0f;
    float m_height = 0.0f;
    float m_angle = 0.0f;
};
