// CDsComplexSection: a stepped section of a scene, made from the CVyrComplexSection that the
// application hands to the scene (which owns both from then on). The section areas engine splits
// the section's outline into convex areas; each area becomes one plane group, a list of planes
// (SDsSectionEdge, in model coordinates) whose kept half-spaces together bound that area. A
// picture is drawn once per plane group with that group's planes switched on as
// GL_CLIP_PLANE0 + k (EnableClipPlanes, draw, DisableClipPlanes), so that what is drawn is the
// union of the areas; IsPointClipped applies the same rule to one point (for picking).
//
// The section applies to the items its record lists (GetPaths): the frame draws only those
// through the plane groups, and everything else once, unclipped.
//
// Choices where the behaviour was open:
// - A group of more planes than the driver supports (GL_MAX_CLIP_PLANES, 8 on this platform)
//   switches on the planes it supports and leaves one warning line, the first time it happens for
//   the section; planes beyond the limit are never named to OpenGL (that would set an error).
// - A group index outside the groups switches nothing.
#pragma once

#include <afx.h>

#include "DsSectionAreasEngine.h"
#include "SpaValues.h"
#include "VyrObjectPath.h"

#include <vector>

class CDsGlScene;
class CVyrComplexSection;

// A stepped section: its plane groups and the items it applies to.
class AFX_EXT_CLASS CDsComplexSection {
public:
    // The section of `scene` (not owned) made from `section`, which it owns from here on (null:
    // a section without areas): the engine computes the areas, each becomes a plane group in model
    // coordinates, and the section direction is taken from the engine.
    CDsComplexSection(CDsGlScene* scene, CVyrComplexSection* section);
    // Frees the complex section record, the engine and the plane groups.
    virtual ~CDsComplexSection();
    CDsComplexSection(const CDsComplexSection&) = delete;
    CDsComplexSection& operator=(const CDsComplexSection&) = delete;

    // Switches on the planes of `group` as GL_CLIP_PLANE0 + k, each with its normalised normal n
    // and d = -(n . point): the kept side is the normal's (see the header comment for the limit).
    void EnableClipPlanes(int group) const;
    // Switches off GL_CLIP_PLANE0 + k for each plane k of `group`.
    void DisableClipPlanes(int group) const;
    // True when every plane group has a plane that clips `point` (it lies farther than 1e-5 on the
    // side opposite to the plane's normal), so that the point lies in no area; true as well when
    // there is no plane group.
    bool IsPointClipped(const SPAposition& point) const;
    // True when the section applies to the item at `path` (the record lists it or a path above it).
    bool IsItemShouldBeClipped(const CVyrObjectPath& path) const;

    // Number of plane groups.
    int GetGroupCount() const { return static_cast<int>(m_groups.size()); }
    // Plane group `group`; an empty group for an index out of range.
    const std::vector<SDsSectionEdge>& GetGroup(int group) const;
    // The paths of the items the section applies to (empty without a record).
    const std::vector<CVyrObjectPath>& GetPaths() const;
    // The unit direction of the section's axis (zero for a section of depth 0).
    const SPAunit_vector& GetDirection() const { return m_direction; }
    // The owning scene.
    CDsGlScene* GetScene() const { return m_scene; }
    // The record the section was made from (null when none was given).
    const CVyrComplexSection* GetComplexSection() const { return m_section; }
    // The engine that computed the areas (null without a record).
    const CDsSectionAreasEngine* GetEngine() const { return m_engine; }

private:
    CDsGlScene* m_scene;
    CVyrComplexSection* m_section;
    CDsSectionAreasEngine* m_engine = nullptr;
    std::vector<std::vector<SDsSectionEdge>> m_groups;
    SPAunit_vector m_direction;
    mutable bool m_warned = false;
};
