// CVyrEntGroup: a group of entities that share a transform entity (the TRANSFORM their bodies
// use), so the group can be found from that TRANSFORM.
//
// The members are referred to, not owned: a member that is freed leaves the group. The group
// keeps its TRANSFORM alive the way a body does (it is freed when nothing uses it any more).
#pragma once

#include "VyrModelerExtApi.h"

#include <memory>

#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// A group entity.
class VYR_MODELER_EXT_API CVyrEntGroup : public ENTITY {
    SPA_ENTITY_TYPE(CVyrEntGroup, ENTITY, CVyrEntGroup_TYPE, "vyr_group")

public:
    // An empty group using `transform` (null: none).
    explicit CVyrEntGroup(TRANSFORM* transform = nullptr);
    // A group of the entities of `entities` (see Add) using `transform`.
    CVyrEntGroup(const ENTITY_LIST& entities, TRANSFORM* transform = nullptr);

    // The transform entity, or null.
    TRANSFORM* GetTransform() const;
    // Uses `transform` instead (null: none), letting go of the previous one.
    void SetTransform(TRANSFORM* transform);
    // The transform (the identity without a transform entity).
    SPAtransf GetTransformation() const;

    // Adds `entity` at the end; false for null, for the group itself and for a member.
    bool Add(ENTITY* entity);
    // Removes `entity`; false when it is not a member.
    bool Remove(const ENTITY* entity);
    // True when `entity` is a member.
    bool Contains(const ENTITY* entity) const;
    // Appends the members in order.
    void GetEntities(ENTITY_LIST& list) const;
    // Number of members.
    int GetCount() const;

protected:
    // Lets go of the transform.
    ~CVyrEntGroup() override;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

// 1 for a CVyrEntGroup.
VYR_MODELER_EXT_API int is_CVyrEntGroup(const ENTITY* entity);
