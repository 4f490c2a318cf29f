// CDsRendererWireframe: draws one frame of a view in the wireframe render mode (0): the edges,
// wires, silhouettes, points and texts of the scene's model part, never its faces, in one draw
// walk of the hidden-line functor type.
//
// What is drawn follows the view: during a fast refresh only points and lines (walk flags 3);
// otherwise points, lines, bitmaps and texts (0x33), with silhouettes of cylinders (0x13B) or of
// every level (0xF3B) by the silhouette level. In monochrome display the slaves of complexes and
// the silhouettes are drawn in the special set 12 with the visible-line colour of the monochrome
// preferences. Ordinary lines use the full depth range. The walk uses the locations' caches only
// when the frame hands in its fast-refresh record; the walk itself always runs on a record of its
// own, made from the view (and freed by the walk).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Monochrome display is asked of the current view's context without switching OpenGL to the
//   current view: switching in the middle of another view's frame would send the rest of the
//   frame to the wrong window.
// - The walk visits the locations of the view being drawn: the view is made the scene database's
//   current view first (a frame reached through the change query already has it so).
// - Without a view or a scene nothing is drawn.
#pragma once

#include "DsRendererBase.h"

// The wireframe renderer.
class AFX_EXT_CLASS CDsRendererWireframe : public CDsRendererBase {
public:
    // A renderer of `view` and `scene` (neither owned), with the view's render state taken now.
    CDsRendererWireframe(view3d* view, CDsGlScene* scene) : CDsRendererBase(view, scene) {}
    // Nothing to release.
    ~CDsRendererWireframe() override = default;

    // Draws the frame (see CDsRendererBase::Render and the header comment).
    void Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                CDsDrawContext* record) override;

    // The walk flags of a wireframe frame: 3 during a fast refresh, else by the silhouette level
    // (1: 0x13B, 2: 0xF3B, any other: 0x33).
    static int WalkFlags(bool fastRefresh, int silhouetteLevel);
};
