// CDsItemsToolpath: a machining toolpath as a tree of groups and branch polylines
// (CDsItemToolpathPolyline, CDsItemToolpathPolylinePlanar) addressed by ids: the group has an id
// (CDsUid) and may hold a shared attributes palette. The figure generator builds it
// (StartToolpath ... EndToolpath); later edits reach its branches and their nodes through uid
// paths whose first uid is the toolpath's own id (AddSubItem, RemoveSubItem, SetAttributes,
// SetAttribute).
//
// Drawing: a toolpath is drawn through its leaves on the scene walk (DrawOnTraverse reaches every
// branch, which draws itself, DrawGl); its retained Refresh draws nothing.
//
// Palette: the group holds one use of the palette it is given (IncrementUse) and gives it back
// (Loose) when it is replaced and when the group goes; the release that ends the last use
// deletes the palette. The branches read their node attributes from the display manager's
// active palette, which the frame drawing sets.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - SetAttribute by uid path: a path that ends at this group gives the attribute to the group and
//   everything below it (SetAttribute(attribute, true, true)); a path that goes on below it is
//   passed to each child (the branches keep the base behaviour and take nothing); the bool is
//   passed on as the children's and is otherwise not used.
// - Every edit by uid path puts the path's cursor back for each child it asks, so that the second
//   of two sibling branches is found as the first is; a path that matches nothing changes
//   nothing. An edit that changes what is drawn is told as the item's own hide level is
//   (NoteContentChanged): the next refresh draws it, and the boxes and picks follow it, also in a
//   recorded figure, whose items know no context of their own.
// - Picks pop what they push: the group's level stack, and the reference-point level also when
//   a child answered.
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"
#include "DsUid.h"

class CDsAttributesPalette;

// A toolpath group.
class AFX_EXT_CLASS CDsItemsToolpath : public CDsItemsGroup {
public:
    // The toolpath `id`: no context, entity or palette.
    explicit CDsItemsToolpath(const CDsUid& id);
    // Gives the palette's use back, then deletes the children.
    ~CDsItemsToolpath() override;

    // --- The item protocol ----------------------------------------------------------------
    using CDsItemsGroup::SetAttributes;
    // When the path names this group: each child's SetAttributes(path, index, false).
    void SetAttributes(CDsUidPath& path, const CDsAttributesIndex& index, bool all) override;
    // See the header comment.
    void SetAttribute(CDsUidPath& path, const CDsAttribute& attribute, bool all) override;
    // A palette (kind 4) replaces the palette held; other kinds as the group.
    void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse) override;
    // 45.
    EDsItemsType GetItemType() override;
    // The toolpath's id.
    CDsUid GetDsUid() override;
    // A path that ends here: a new branch `id` when `geometry` is given, else a new sub-toolpath
    // `id`, appended; a path that goes on below: passed to every child.
    void AddSubItem(const CDsUidPath& path, const CDsUid& id, const IDsGeometry* geometry) override;
    // A path that goes on below this group: passed to every child.
    void RemoveSubItem(const CDsUidPath& path, const CDsUid& id) override;
    // Nothing (see the header comment).
    void Refresh(view3d& view) override;
    // Unless hidden: the children in order under a level of the group, stopping at the first hit
    // unless the pick is a region pick; the level is taken off again.
    bool Pick(pick_manager* manager) override;
    using CDsItemsGroup::Pick;
    // Unless hidden: the first child's reference point, offered to the pick manager under a level
    // of the group (taken off again); null when no child has one.
    CDsRefPoint* PickRefPoint(pick_manager* manager, CDsRefPointFilter* filter) override;
    using CDsItemsGroup::PickRefPoint;

    // --- Own operations -----------------------------------------------------------------
    // Holds `palette` (one use registered; null: none) after giving the old one back.
    void SetPalette(CDsAttributesPalette* palette);
    // The palette held, null when none.
    CDsAttributesPalette* GetPalette() const { return m_palette; }

private:
    CDsUid m_id;
    CDsAttributesPalette* m_palette = nullptr;
};
