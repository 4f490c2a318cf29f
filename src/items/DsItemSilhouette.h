// CDsItemSilhouette: the silhouette group of a curved face item (a cone, sphere, torus or
// spline face), made by the face item for its FACE. It keeps the kind of the face's surface, which
// decides at which silhouette level of the view it takes part (level 1, cylinders: cones only;
// level 2: all), and the segments of the silhouette as pairs of end points, which its DrawGl draws
// as separate lines.
//
// Choices where the behaviour was open:
// - No operation of the display adds segments yet (the mesh painter computes the silhouettes of a
//   face's mesh for a view itself); AddSegment is the one way in, and a group without segments
//   draws nothing.
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"

#include <deque>

class CDsItemsFace;

// The silhouette group of a face.
class AFX_EXT_CLASS CDsItemSilhouette : public CDsItemsGroup {
public:
    // The kind of surface of the face.
    enum ESurfaceKind : int {
        eSurfacePlane = 0,
        eSurfaceCone = 1,
        eSurfaceSphere = 2,
        eSurfaceTorus = 3,
        eSurfaceSpline = 4,
        eSurfaceOther = 5  // another surface, or no FACE
    };

    // The silhouette of `face` (its parent; may be null): the surface kind of its FACE, no segments.
    explicit CDsItemSilhouette(CDsItemsFace* face);
    // Frees every segment, then the group.
    ~CDsItemSilhouette() override;

    // Each segment as one GL_LINES pair.
    void DrawGl(view3d& view) override;
    // 36.
    EDsItemsType GetItemType() override;
    // At a silhouette level that takes this surface kind and in a matching draw phase: the
    // silhouette's attributes to the view.
    void Refresh(view3d& view) override;
    // The same level test, then the draw-phase test only.
    void DrawGeometry(view3d& view) override;

    // The kind of surface (ESurfaceKind).
    int GetSurfaceKind() const { return m_surfaceKind; }
    // The number of segments.
    int GetSegmentsCount() const { return static_cast<int>(m_segments.size()); }
    // Appends the segment from `first` to `second`.
    void AddSegment(const SPAposition& first, const SPAposition& second);

private:
    // Whether the view's silhouette level takes this surface kind.
    bool IsLevelShown(view3d& view) const;

    int32_t m_surfaceKind = eSurfaceOther;
    std::deque<SPAposition*> m_segments;
};
