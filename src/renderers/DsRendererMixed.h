// CDsRendererMixed: draws one part of the scene database in the mixed render mode (4): shaded
// drawing in which partly transparent faces are blended over everything else. An opaque pass
// draws every primitive except faces and images that are not fully opaque (and, while the
// silhouette level is 0, silhouettes of items that are not fully transparent); then transparent
// passes blend the faces of transparency 1 to 254 over the picture with depth writes off, back
// faces before front faces. A face of transparency 0 is drawn by neither pass.
//
// The frame uses the class twice: for the model part in render mode 4 (unless a fast refresh
// ignores transparency), and after every render mode for the temporary part.
//
// - During a fast refresh the opaque pass draws points, lines and faces only, and the model
//   part's transparent faces are drawn in one walk without face culling (both culled walks with
//   the command-line switch "FullMixedModeOnZPR"); the temporary part always gets both.
// - After Render: blending off, depth writes on, face culling off; lighting and the depth test
//   on, the cull-face mode as last set.
//
// Choices where the behaviour was open:
// - The walk visits the locations of the view being drawn: the view is made the scene database's
//   current view first. Without a view or a scene nothing is drawn and no state is sent.
#pragma once

#include "DsRendererBase.h"

// The mixed renderer of one part.
class AFX_EXT_CLASS CDsRendererMixed : public CDsRendererBase {
public:
    // A renderer of `scene` on `view` (neither owned) for the scene database's temporary part
    // (`tempPart`) or its model part. The scene comes first, unlike the other renderers.
    CDsRendererMixed(CDsGlScene* scene, view3d* view, bool tempPart)
        : CDsRendererBase(view, scene), m_tempPart(tempPart)
    {
    }
    // Nothing to release.
    ~CDsRendererMixed() override = default;
    // Draws the part (see CDsRendererBase::Render and the header comment).
    void Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                CDsDrawContext* record) override;
    // Whether it draws the temporary part.
    bool IsTempPart() const { return m_tempPart; }
    // The walk flags of the opaque pass and whether only fully transparent items show their
    // silhouettes: 7 during a fast refresh; else 0x17F for cylinders' silhouettes, 0xF7F for every
    // silhouette, and 0xF7F with the flag set for silhouette level 0.
    static int OpaqueWalkFlags(bool fastRefresh, int silhouetteLevel, bool& transparentSilhouettesOnly);

private:
    bool m_tempPart;
};
