// CDsRendererHiddenLine: draws one frame of a view in the hidden-line render modes, 1 (hidden
// lines removed) and 2 (hidden lines dimmed), which it tells apart by the render mode of its
// render state. Hidden lines are removed by the depth buffer: the faces of the scene's model part
// are drawn into the depth buffer only, pushed back by a polygon offset, and the edges are then
// drawn with the depth test on, so that what lies behind a face fails it.
//
// The walks, all of the hidden-line functor type over the same paths:
// - mode 2 only, the hidden edges: lines (and silhouettes of the chosen level outside fast
//   refreshes), lightened halfway to white, or in monochrome display in the special set 12 with
//   the hidden-line colour of the monochrome preferences; without the locations' caches;
// - the faces, into the depth buffer only (colour mask off, polygon offset fill on), without the
//   slaves of complexes;
// - the visible edges: points and lines, and outside fast refreshes bitmaps, texts and the
//   silhouettes of the view's level, in their own colours, or in monochrome display the slaves
//   and silhouettes in the special set 12 with the visible-line colour.
// The hidden-line views of the scene (its root group of them) are drawn beside the walks: pass 0
// after the hidden edges (first thing in mode 1), their backgrounds after the faces' depth pass
// (filled, pushed back by a polygon offset so that curves in their plane stay in front, by four
// steps of single precision whatever the depth buffer's depth; left out during fast refreshes), pass 1 after the visible edges. A view draws its second set in both
// passes (over its background the second time) and its first set in pass 1.
// Ordinary lines use the full depth range. Afterwards the colour mask is (1, 1, 1, 1) and polygon
// offset fill is off; the depth test stays on, as the depth layers leave it; nothing else of the
// OpenGL state is put back.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The fast-refresh auto-hide threshold is worked out once per frame, by the first walk, and the
//   later walks take it. Worked out by every walk it would move on two or three steps a frame,
//   and walks with different thresholds leave out different items: an item whose faces are left
//   out but whose edges are not shows its hidden edges.
// - Each walk starts with the memo of applied attributes forgotten: the walk before it reset the
//   state cache of its own, and what it applied says nothing about what OpenGL holds now.
// - The walks visit the locations of the view being drawn: the view is made the scene database's
//   current view first (a frame reached through the change query already has it so).
// - Without a view or a scene nothing is drawn and no OpenGL state changes.
#pragma once

#include "DsRendererBase.h"

// The hidden-line renderer.
class AFX_EXT_CLASS CDsRendererHiddenLine : public CDsRendererBase {
public:
    // A renderer of `view` and `scene` (neither owned), with the view's render state taken now.
    CDsRendererHiddenLine(view3d* view, CDsGlScene* scene) : CDsRendererBase(view, scene) {}
    // Nothing to release.
    ~CDsRendererHiddenLine() override = default;

    // Draws the frame (see CDsRendererBase::Render and the header comment).
    void Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                CDsDrawContext* record) override;

    // The walk flags of the edge walks before the visible pass adds its kinds: 2 during a fast
    // refresh or without silhouettes, 0x10A with silhouettes of cylinders, 0xF0A with all.
    static int EdgeWalkFlags(bool fastRefresh, int silhouetteLevel);
};
