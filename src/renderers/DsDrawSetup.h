// The records a renderer fills for one pass of a frame and hands to its draw functors:
// - SDsRenderFlags: the depth mode (0 puts ordinary lines in the thin depth layer 2 instead of the
//   full range, as wireframe frames do), and whether items with faces are drawn white and every
//   item opaque;
// - SDsDrawOptions: those flags, the override attributes that slaves of complexes are combined
//   with, and whether a slave connected to exactly one item takes special set 10 instead;
// - SDsDrawSetup: the view, the scene, whether shaders or OpenGL light the faces, document flag 1
//   (two-sided lighting when clear), the active line-style table, the default material, and the
//   memo of the last attributes, state word and kind applied, by which repeats send nothing.
#pragma once

#include "DsAttributes.h"

class CDsGlScene;
class CDsStylePalette;
class view3d;

// The style flags of a pass.
struct SDsRenderFlags {
    int depthMode = 3;        // 0: ordinary lines in the thin layer; otherwise the full range
    bool whiteFaces = false;  // items with faces are drawn white
    bool opaque = false;      // every item's transparency is forced to opaque
    bool lighten = false;     // line kinds are drawn lightened (hidden-line passes)
};

// The draw options of a pass.
struct SDsDrawOptions {
    // Options with `flags` (kept by reference: it must outlive the options).
    explicit SDsDrawOptions(SDsRenderFlags& renderFlags) : flags(renderFlags) {}

    SDsRenderFlags& flags;
    CDsAttributes overrideAttributes;  // combined into slaves of complexes
    bool singleSlaveSpecial = false;   // a slave connected to exactly one item takes special set 10
};

// The draw set-up of a renderer call.
struct SDsDrawSetup {
    view3d* view = nullptr;
    CDsGlScene* scene = nullptr;
    bool shaderLighting = false;  // the scene's shaders light the faces
    bool lighting = false;        // OpenGL lights the faces
    bool documentFlag1 = false;   // two-sided lighting when clear
    const CDsStylePalette* styles = nullptr;  // the active line-style table
    float material[5] = {0, 0, 0, 0, 0};      // ambient, diffuse, specular, shininess, emission

    // The memo of what ApplyAttributes sent last.
    CDsAttributes lastAttributes;
    int lastStateWord = 0;
    int lastKind = 0;
    // Forgets the memo: the next ApplyAttributes sends everything.
    void ResetMemo()
    {
        lastAttributes = CDsAttributes();
        lastStateWord = 0;
        lastKind = 0;
    }
};

// Fills `setup` for `view` and `scene`: shaders on only when asked, with lighting, and the scene
// allows shaders (lighting is then left to them); the active line styles; the default material of
// the part storage; an empty memo.
void DsInitDrawSetup(SDsDrawSetup& setup, view3d* view, CDsGlScene* scene, bool shaders, bool lighting,
                     bool documentFlag1);
