// CDsSectionAreasEngine: the convex areas of a stepped section. It turns the section line of a
// CVyrComplexSection (a polyline in the section's plane with the cutting normal of each segment)
// into areas of that plane, each bounded by section edges (pieces of the section line) and by the
// sides of a frame drawn around the section; the union of the areas is what stays visible. A
// CDsComplexSection makes one engine, runs Compute and turns each area into a group of clip
// planes (ExportArea).
//
// SDsSectionEdge: one bounding edge: a segment and the normal of its plane. The plane runs
// through the segment's first end; the kept side is the side the normal points to.
//
// The engine works in the section's own frame: the section line is taken there by the inverse of
// the section's transformation, and ExportArea takes an area back into model coordinates.
//
// Compute runs two passes:
// - the frame: the extent of the section line together with the section box (both projected onto
//   the section's plane through the origin) is widened and gives four sides, each with its normal
//   pointing into the frame;
// - the areas: the section edges are walked in order; the line stays in the open area while it
//   keeps turning one way (or runs straight), a turn the other way closes the area (against the
//   frame, or by the short-area rule when the edge's line crosses the section line) and opens
//   the next; the last area is closed by the end rules.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The frame doubles each coordinate of the extent only where the extent reaches across the
//   section's origin (minimum <= 0 <= maximum); elsewhere doubling would leave the frame's side
//   inside the section line (an extent of x in [10, 20] doubled to [20, 40]), so the extent is
//   widened on both sides by its own size instead (by the distance from the origin when it has
//   no size), and the frame always encloses the section line and the box.
// - Only segments that have both ends and a normal are used (a vertex list that is not one longer
//   than the normal list gives as many segments as both allow), and a segment with an end or a
//   normal that is not finite is left out: such a section line is bad input, and a clip plane
//   made from it would clip nothing or everything at random.
// - A section of depth 0 has no direction: the section direction is the zero vector, and the
//   section's plane is taken as the one normal to the frame's z axis.
// - When the last edge's line crosses the section line and the open area holds more than two
//   edges, the area is stored once as it is and once closed against the frame, as the rules say:
//   the union of the two is the unclosed area, which still bounds a closed section line (a
//   closed square keeps exactly its square).
#pragma once

#include <afx.h>

#include "SpaValues.h"

#include <vector>

class CVyrComplexSection;

// One bounding edge of an area: the segment from `first` to `second` and the normal of its plane.
struct AFX_EXT_CLASS SDsSectionEdge {
    SPAposition first;  // first end; the plane runs through it
    SPAposition second; // second end
    SPAvector normal;   // the plane's normal, pointing to the kept side (not necessarily of unit length)
};

// The areas of one stepped section.
class AFX_EXT_CLASS CDsSectionAreasEngine {
public:
    // Reads the section line of `section` into the section's own frame and copies its depth,
    // transformation, box and turn sense; `direction` receives the section's unit axis (0, 0,
    // depth) normalised (the zero vector for depth 0).
    CDsSectionAreasEngine(const CVyrComplexSection& section, SPAunit_vector& direction);
    // Frees the edges and areas.
    virtual ~CDsSectionAreasEngine();
    CDsSectionAreasEngine(const CDsSectionAreasEngine&) = delete;
    CDsSectionAreasEngine& operator=(const CDsSectionAreasEngine&) = delete;

    // The frame pass, then the area pass (the areas of an earlier run are dropped first).
    void Compute();

    // The section edges, in section-line order, in the section's own frame.
    const std::vector<SDsSectionEdge>& GetSectionEdges() const { return m_edges; }
    // The four sides of the frame (bottom, right, top, left), normals pointing inside.
    const std::vector<SDsSectionEdge>& GetFrameEdges() const { return m_frame; }
    // The areas in the order they were closed, in the section's own frame.
    const std::vector<std::vector<SDsSectionEdge>>& GetAreas() const { return m_areas; }
    // Area `k` in model coordinates (ends as points, normals as vectors of the transformation),
    // in the area's order: the plane group k of the section. Empty for an index out of range.
    std::vector<SDsSectionEdge> ExportArea(int k) const;
    // The section's axis (0, 0, depth).
    const SPAvector& GetAxis() const { return m_axis; }
    // The first end and the normal of the frame side the last ray search hit (the origin and the
    // zero vector before any search found one).
    const SDsSectionEdge& GetLastClosingSide() const { return m_closingSide; }

private:
    // Pass 1: the frame.
    void ComputeFrame();
    // Pass 2: the areas.
    void ComputeAreas();
    // Whether the line through p and q crosses a section edge ahead of its first end and before
    // its second.
    bool Crosses(const SPAposition& p, const SPAposition& q) const;
    // The frame side nearest ahead of r on the line through r and q; false when none is.
    bool RaySearch(const SPAposition& r, const SPAposition& q);
    // Closes `area` against the frame side that the ray from r through q meets first.
    void CloseAgainstFrame(std::vector<SDsSectionEdge>& area, const SPAposition& r, const SPAposition& q);
    // The short-area rule for the area closed at section edge i.
    void ShortArea(std::vector<SDsSectionEdge>& area, int i);
    // The end rule for the last area (section edge i is the last).
    void EndRule(std::vector<SDsSectionEdge>& area, int i);
    // Whether the turn from u to w keeps the area open.
    bool KeepsArea(const SPAvector& u, const SPAvector& w) const;

    std::vector<SDsSectionEdge> m_edges;
    std::vector<SDsSectionEdge> m_frame;
    std::vector<std::vector<SDsSectionEdge>> m_areas;
    SPAvector m_axis;
    SDsSectionEdge m_closingSide;
    SPAtransf m_transformation;
    double m_box[6] = {0, 0, 0, 0, 0, 0};
    bool m_turnSense = false;
};
