// CDsItemBackground: paints a view's background, the whole viewport as one quad in one colour or
// as a vertical gradient, behind everything else. The scene owns one and draws it before the model
// at every refresh. It is not printed.
//
// The colours: white when the view requires a white background; one colour (the background
// colour) without a gradient, or for a wireframe view whose document flag 3 is set; else the
// gradient from the bottom colour to the top colour (swapped when inverted).
#pragma once

#include <afx.h>

#include "DsBackground.h"
#include "DsItemBase.h"

// The background item.
class AFX_EXT_CLASS CDsItemBackground : public CDsItem {
public:
    // Both colours black, no gradient.
    CDsItemBackground() = default;
    // The four values of `background`.
    explicit CDsItemBackground(const CDsBackground& background) : m_background(background) {}

    // Paints the viewport (2-D drawing, depth test, culling, lighting and colour material off for
    // the draw; the depth test, culling, lighting, polygon mode and current colour are put back
    // as they were found).
    void DrawGl(view3d& view) override;
    // 1.
    EDsItemsType GetItemType() override;
    // DrawGl when shaded polygons are asked.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

    // The description.
    CDsBackground& GetBackground() { return m_background; }
    // The description.
    const CDsBackground& GetBackground() const { return m_background; }
    // Replaces the description.
    void SetBackground(const CDsBackground& background) { m_background = background; }
    // The background colour.
    CDsColorStorage GetBackgroundColor() const;
    // The colour at the top edge (the gradient colour unless inverted).
    CDsColorStorage GetTopColor() const;
    // The colour at the bottom edge.
    CDsColorStorage GetBottomColor() const;
    // Whether the gradient is in force for `view`: set, and not a wireframe view with document
    // flag 3.
    bool IsGradientInForce(view3d& view) const;

protected:
    // 0: the background is not printed.
    int DrawGdi(view3d& view) override;

private:
    CDsBackground m_background;
};
