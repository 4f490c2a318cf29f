// CVyrComplexSection: the record of a stepped section, as the application builds it and hands it
// to the display: the section line (a polyline of vertices in model space with the cutting normal
// of each segment), the section's own frame (a transformation to model space, a box and a depth
// along its axis), the turn sense that tells which turns of the line keep an area open, and the
// object paths of the items the section applies to. The display turns it into clip-plane groups;
// this record only holds the data and answers which items are clipped.
#pragma once

#include "VyrModelerExtApi.h"

#include <vector>

#include "SpaValues.h"
#include "VyrObjectPath.h"

// A stepped section (see the header comment). The fields are public: the record is filled by its
// maker and read by the display.
class VYR_MODELER_EXT_API CVyrComplexSection {
public:
    // An empty section: no segments, no items, depth 0, identity frame, box all 0, turn sense 0.
    CVyrComplexSection() = default;
    // A copy.
    CVyrComplexSection(const CVyrComplexSection&) = default;
    // Copies every field.
    CVyrComplexSection& operator=(const CVyrComplexSection&) = default;
    // Frees the record.
    virtual ~CVyrComplexSection();

    // True when the section applies to the item at `path`: the path is one of the listed paths or
    // lies below one (a listed path is a prefix of it, in the same part). False for every path
    // when no path is listed.
    bool IsItemShouldBeClipped(const CVyrObjectPath& path) const;

    // The cutting normal of each segment of the section line (model space; one per segment).
    std::vector<SPAvector> m_normals;
    // The vertices of the section line (model space; one more than there are normals).
    std::vector<SPAposition> m_vertices;
    // The object paths of the items the section applies to.
    std::vector<CVyrObjectPath> m_paths;
    // The section's depth along its axis (the z axis of its own frame).
    double m_depth = 0.0;
    // The transformation from the section's own frame to model space.
    SPAtransf m_transformation;
    // The section box in its own frame: minimum x, y, z, then maximum x, y, z.
    double m_box[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    // The turn sense: non-zero swaps which turns of the section line keep an area open.
    int m_turnSense = 0;
};
