// CDsPlotRenderer: draws one frame of a view for plotting. It sends nothing to OpenGL: it walks
// the scene database with the plot type of the draw walk, and every geometry draws through the
// view's own drawing operations (CDsGeometry::Draw under the view's model transform, with the
// colour, line width and line style of its attributes set on the view), so that whatever driver
// the host gave the view for the plot receives the picture. The frame drawing of a plot uses two:
// one for the model (peer) part, then one for the temporary part.
//
// - What is drawn: points, lines, faces, bitmaps and texts (walk flags 0x37), with silhouettes of
//   cylinders (0x13F) or of every level (0xF3F) by the view's silhouette level. Faces only of a
//   geometry that connects no item and has no silhouettes.
// - Items are left out only when hidden, with everything below them: no culling by size or by
//   screen box, so a location far outside the view is still drawn.
// - Colours of everything but faces are lightened only where the pass asks for it (a plot never
//   does); while the plot mode draws with pen widths the width comes from the plot palette's pen
//   of the colour.
//
// Choices where the behaviour was open:
// - In monochrome display (IsMonochrome) the slaves of complexes are combined with an override
//   attribute set made as default, which sets nothing: a monochrome plot shows every item in its
//   own colour, as a plot without monochrome does, and never in the monochrome wireframe colours.
// - The walk visits every slave of a complex (a plot is never a fast frame) and reads no
//   location's cached attributes: those are kept by the screen walks, which may have made faces
//   white or opaque.
// - The walk makes its own fast-refresh record when none is given (and frees it); a given one is
//   used as it is.
// - The walk visits the locations of the view being drawn: the view is made the scene database's
//   current view first (a plot frame does not pass through the change query).
// - The auto-hide threshold is not worked out: a plot culls nothing, and the view's fast-refresh
//   threshold stays as the last screen frame left it.
// - Without a view or a scene nothing is drawn.
#pragma once

#include "DsRendererBase.h"

// The plot renderer.
class AFX_EXT_CLASS CDsPlotRenderer : public CDsRendererBase {
public:
    // A renderer of `view` and `scene` (neither owned), with the view's render state taken now;
    // `tempPart` true draws the scene database's temporary part, false its model (peer) part.
    CDsPlotRenderer(view3d* view, CDsGlScene* scene, bool tempPart) : CDsRendererBase(view, scene), m_tempPart(tempPart)
    {
    }
    // Nothing to release.
    ~CDsPlotRenderer() override = default;

    // Draws the frame through the view's drawing (see CDsRendererBase::Render and the header
    // comment); the viewport is not used.
    void Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                CDsDrawContext* record) override;

    // Whether the renderer draws the temporary part.
    bool IsTempPart() const { return m_tempPart; }
    // The walk flags of a plot: 0x37, 0x13F with silhouettes of cylinders, 0xF3F with all.
    static int WalkFlags(int silhouetteLevel);

private:
    bool m_tempPart;
};
