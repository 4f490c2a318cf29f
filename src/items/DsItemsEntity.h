// CDsItemsEntity and CDsItemsVyrEntity: plain item groups that the host builds for one modeler
// entity and fills itself. While such a group is highlighted or at a visibility level its children
// are drawn in the group's pen (the forced pen: CDsLineAttribStorage::sForceVisibility), and its
// erase pass draws them all in the pen the caller has set. The second class also makes the view's
// OpenGL context current before drawing and offers a pick entry of its own.
//
// The forced pen is process-wide and is restored after every Refresh or erase, so nested groups
// see the value of the outer call.
#pragma once

#include <afx.h>

#include "DsItemsGroup.h"

// A group of items showing one entity, with the group's pen over its children.
class AFX_EXT_CLASS CDsItemsEntity : public CDsItemsGroup {
public:
    // An empty group with no context and no entity (the argument is not kept: the caller sets
    // the entity with SetEntity).
    explicit CDsItemsEntity(ENTITY* entity);

    // 31.
    EDsItemsType GetItemType() override;
    // Unless hidden: the group's attributes to the view, the forced pen raised while the group is
    // highlighted or at a visibility level, the children drawn, the pen flag put back.
    void Refresh(view3d& view) override;
    // The children drawn in the caller's pen (the forced pen raised meanwhile); nothing when
    // hidden.
    virtual void erase(view3d* view);

protected:
    // The group's attributes to the view.
    void ComputeAttributes(view3d& view);
};

// An entity group that makes the view's OpenGL context current before drawing.
class AFX_EXT_CLASS CDsItemsVyrEntity : public CDsItemsEntity {
public:
    // As CDsItemsEntity.
    explicit CDsItemsVyrEntity(ENTITY* entity);

    // 32.
    EDsItemsType GetItemType() override;
    // The view's OpenGL context made current, then the entity group's Refresh.
    void Refresh(view3d& view) override;
    // The group's pick: 1 when a child is hit.
    virtual int pick(pick_manager* manager);
};
