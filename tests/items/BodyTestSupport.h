// What the body and face tests share: the process-wide state that bodies read or change put back
// after each test (display-manager flags 1, 4 and 15, print mode, display-curves mode, the
// entity-type service, the active mesh interface, the current refinement, the faceter's mesh
// manager and default refinement, the material state of faces), an entity-type service, a body
// group made the way the context makes one (sketched, then built), and the faces of a block.
#pragma once

#include "DsGlContext.h"
#include "DsGlSketch.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsManager.h"
#include "DsMaterialStorage.h"
#include "DsSetEntityType.h"
#include "DsView3dCdc.h"
#include "TestResets.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "EntityDeleter.h"
#include "EntityLists.h"
#include "SpaFaceter.h"
#include "SpaTopology.h"

#include <cmath>
#include <memory>
#include <vector>

namespace vyrtest {

// Answers 7 for every entity.
class EntityTypes : public CDsSetEntityType {
public:
    int GetObjectType(ENTITY*) const override { return 7; }
};

// Saves what bodies and faces touch process-wide and puts it back.
class BodyStateGuard {
public:
    BodyStateGuard()
    {
        for (int flag : {1, 4, 15}) flags_.push_back(CDsManager::GetInstance()->GetFlag(flag));
        printMode_ = CDsGlContext::sPrintMode;
        displayCurves_ = CDsView3dCdc::sDisplayCurvesMode;
        entityTypes_ = CDsManager::GetInstance()->GetEntityType();
        active_ = CVyrMeshInterface::StGetActiveMeshManager();
        refinement_ = CVyrRefinement::sCurrentRefinement;
        api_get_default_refinement(faceterDefault_);
        VYR_RESET_FOR_TESTS(CDsMaterialStorage::ResetGlMaterialStateForTests);
    }
    ~BodyStateGuard()
    {
        CDsManager::GetInstance()->SetFlag(1, flags_[0]);
        CDsManager::GetInstance()->SetFlag(4, flags_[1]);
        CDsManager::GetInstance()->SetFlag(15, flags_[2]);
        CDsGlContext::sPrintMode = printMode_;
        CDsView3dCdc::sDisplayCurvesMode = displayCurves_;
        CDsManager::GetInstance()->SetType(entityTypes_);
        CVyrMeshInterface::StSetActiveMeshManager(active_);
        CVyrRefinement::StSetCurrentRefinement(refinement_);
        api_set_mesh_manager(nullptr);
        api_set_default_refinement(faceterDefault_);
        VYR_RESET_FOR_TESTS(CDsMaterialStorage::ResetGlMaterialStateForTests);
    }
    BodyStateGuard(const BodyStateGuard&) = delete;
    BodyStateGuard& operator=(const BodyStateGuard&) = delete;

private:
    std::vector<bool> flags_;
    bool printMode_ = false;
    bool displayCurves_ = false;
    const CDsSetEntityType* entityTypes_ = nullptr;
    CVyrMeshInterface* active_ = nullptr;
    CVyrRefinement* refinement_ = nullptr;
    REFINEMENT* faceterDefault_ = nullptr;
};

// The body group of `body` in `context` (may be null), sketched first as the context does.
inline std::unique_ptr<CDsItemsBody> MakeBodyItem(BODY* body, CDsGlContext* context)
{
    CVyrMeshInterface* meshes = CDsGlSketch(nullptr).BuildBody(body, true);
    return std::make_unique<CDsItemsBody>(body, context, meshes);
}

// The planar face of `body` whose vertices' mean lies at height `z`, null when none.
inline FACE* FaceAtHeight(const ENTITY* body, double z)
{
    for (FACE* face : Faces(body))
        if (is_planar_face(face) && std::abs(LoopCentre(face).z() - z) < 1e-6) return face;
    return nullptr;
}

// The face item of `face` in `body`.
inline CDsItemsFace* FaceItem(CDsItemsBody& body, const ENTITY* face)
{
    return dynamic_cast<CDsItemsFace*>(body.FindDsItem(face));
}

// The reference count of a shared entry: one reference taken and given back.
template <class Entry>
int References(Entry* entry)
{
    entry->AddRef();
    return entry->Release();
}

}  // namespace vyrtest
