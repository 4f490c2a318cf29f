// CDsRendererShade: draws one frame of a view in the shaded render mode (3; also mode 4 while a
// fast refresh ignores transparency): faces, edges, silhouettes and the other primitive kinds of
// the scene's model part, in one draw walk of the shade functor type. The renderer sends no
// OpenGL state of its own; everything goes through the walk.
//
// - What is drawn follows the view: during a fast refresh points, lines and faces only (walk
//   flags 7); otherwise also bitmaps, texts and images (0x77), with silhouettes of cylinders
//   (0x17F) or of every level (0xF7F) by the silhouette level.
// - Faces are lit by OpenGL (the scene's lights, which the view's camera set-up sends), or by the
//   scene's shaders when the display manager has them on, document flag 1 is off and the scene
//   has shader programs; a "Sheet" document draws its faces unlit, in their colour.
// - With document flag 1 items with faces are drawn white. Every item is drawn opaque.
// - Document flag 8 (open edges) combines the special set 12 into the slaves of complexes and has
//   every slave drawn outside fast refreshes (or during them while edges are shown while
//   rotating); document flag 14 gives slaves connected to one item the special set 10.
// - The walk uses the locations' caches and the frame's fast-refresh record.
//
// Choices where the behaviour was open:
// - The walk visits the locations of the view being drawn: the view is made the scene database's
//   current view first (a frame reached through the change query already has it so).
// - Without a view or a scene nothing is drawn.
#pragma once

#include "DsRendererBase.h"

struct SDsDrawOptions;

// The switches of a shaded frame that the shade and mixed renderers read alike.
struct SDsShadedFrameSwitches {
    bool sheet = false;               // the model's document is a drawing sheet: faces unlit
    bool fastRefresh = false;         // view flag 3
    bool openEdges = false;           // display-mode flag 8
    bool documentFlag1 = false;       // white faces, the head light, no shaders
    bool singleSlaveSpecial = false;  // display-mode flag 14
    bool useShader = false;           // shaders switched on and document flag 1 off
    int complexPassMode = 1;          // 2 with open edges outside a fast refresh (or while edges
                                      // are shown while rotating), else 1

    // The switches of `view` and `scene` now.
    static SDsShadedFrameSwitches Read(view3d* view, CDsGlScene* scene);
    // The override attributes (special set 12 with open edges) and the single-slave switch.
    void FillOptions(SDsDrawOptions& options) const;
};

// The shade renderer.
class AFX_EXT_CLASS CDsRendererShade : public CDsRendererBase {
public:
    // A renderer of `view` and `scene` (neither owned), with the view's render state taken now.
    CDsRendererShade(view3d* view, CDsGlScene* scene) : CDsRendererBase(view, scene) {}
    // Nothing to release.
    ~CDsRendererShade() override = default;

    // Draws the frame (see CDsRendererBase::Render and the header comment).
    void Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                CDsDrawContext* record) override;

    // The walk flags of a shaded frame: 7 during a fast refresh, else by the silhouette level (1:
    // 0x17F, 2: 0xF7F, any other: 0x77).
    static int WalkFlags(bool fastRefresh, int silhouetteLevel);
    // Whether the document of the scene database part `partId` is a drawing sheet.
    static bool IsSheetDocument(int partId);
};
