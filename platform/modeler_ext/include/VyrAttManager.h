// CVyrAttManager: the process's attribute manager (persistent ids, assembly nodes, visibility
// levels, display-curve counts), and CVyrAsNode, an entity's assembly node.
//
// Persistent ids: every entity gets a positive id on the first GetPid for it; ids are distinct
// among live entities, stay with the entity for its life, and a fresh id is never one handed out
// before. SetPid gives an entity a chosen id, so that a replacement can carry its predecessor's
// id: when another live entity holds that id it gives it up (and takes a fresh id the next time
// it is asked). Everything is kept in attributes on the entities, so it goes with them.
//
// Not thread-safe, like the modeler's entities.
#pragma once

#include "VyrModelerExtApi.h"
#include "VyrAttrBase.h"

// An entity's assembly node: the component it belongs to and its generation number.
class VYR_MODELER_EXT_API CVyrAsNode : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrAsNode, CVyrAttrBase, CVyrAsNode_TYPE, "vyr_assembly_node")

public:
    // A node on `entity` with a component id and a generation number.
    CVyrAsNode(ENTITY* entity, int componentId, int generation);

    // eVyrAttAssNode.
    int GetAttType() const override { return eVyrAttAssNode; }
    // The component id.
    int GetComponentId() const { return m_componentId; }
    // The generation number.
    int GetGenerationNumber() const { return m_generation; }
    // Sets the component id.
    void SetComponentId(int id) { m_componentId = id; }
    // Sets the generation number.
    void SetGenerationNumber(int generation) { m_generation = generation; }

protected:
    ~CVyrAsNode() override;

private:
    int m_componentId;
    int m_generation;
};

// The attribute manager. There is one per process; GetVyrAttManager never answers null.
class VYR_MODELER_EXT_API CVyrAttManager {
public:
    // Not copyable: there is only the process's manager.
    CVyrAttManager(const CVyrAttManager&) = delete;
    CVyrAttManager& operator=(const CVyrAttManager&) = delete;

    // The process's manager.
    static CVyrAttManager* GetVyrAttManager();

    // The persistent id of `entity` into `pid`, given on the first request. False (pid set to
    // 0) only for a null entity, or when the ids have run out.
    bool GetPid(const ENTITY* entity, int& pid);
    // Gives `entity` the id `pid` (> 0); another live entity holding it gives it up. False, and
    // nothing changes, for a null entity or a pid that is not positive.
    bool SetPid(ENTITY* entity, int pid);
    // The live entity holding `pid`, or null.
    ENTITY* FindEntity(int pid) const;

    // The assembly node of `entity` itself, or null (also for null).
    CVyrAsNode* GetAssNode(const ENTITY* entity) const;
    // Gives `entity` an assembly node with these values (updating the one it has); null for a
    // null entity.
    CVyrAsNode* SetAssNode(ENTITY* entity, int componentId, int generation);

    // The visibility level set for `entity` into `level`; false (level unchanged) when none is
    // set or the entity is null.
    bool GetVisibility(const ENTITY* entity, int& level) const;
    // Sets the visibility level of `entity`; false for a null entity.
    bool SetVisibility(ENTITY* entity, int level);
    // Removes the visibility level of `entity`; false when it had none.
    bool ClearVisibility(ENTITY* entity);

    // The first extension attribute of `entity` of kind `kind` (EVyrAttType), or null.
    CVyrAttrBase* GetAttribute(const ENTITY* entity, int kind) const;
    // Gives `face` display-curve counts (updating the attribute it has); null for a null entity.
    CVyrDispCurveAtt* SetDispCurves(ENTITY* face, int nu, int nv);

private:
    friend class CVyrPidAtt;
    CVyrAttManager();
    ~CVyrAttManager();

    struct Data;
    Data* m_data;
};
