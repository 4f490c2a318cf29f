// What the meshing tests share: the process-wide state that meshing reads put back after each
// test (display-manager flags 1 and 15, the current refinement, the active mesh interface, the
// dynamic-ellipse switch, the faceter's mesh manager and default refinement), and bodies with
// many faces.
#pragma once

#include "DsEllipseStorage.h"
#include "DsManager.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "EntityDeleter.h"
#include "SpaBuilders.h"
#include "SpaFaceter.h"

#include <gtest/gtest.h>

#include <vector>

namespace vyrtest {

class MeshingTest : public ::testing::Test {
protected:
    MeshingTest()
    {
        for (int flag : {1, 15}) flags_.push_back(CDsManager::GetInstance()->GetFlag(flag));
        current_ = CVyrRefinement::sCurrentRefinement;
        active_ = CVyrMeshInterface::StGetActiveMeshManager();
        dynamicEllipses_ = CDsEllipseStorage::StGetDynamicEllipses();
        api_get_default_refinement(faceterDefault_);
    }
    ~MeshingTest() override
    {
        CDsManager::GetInstance()->SetFlag(1, flags_[0]);
        CDsManager::GetInstance()->SetFlag(15, flags_[1]);
        CVyrRefinement::StSetCurrentRefinement(current_);
        CVyrMeshInterface::StSetActiveMeshManager(active_);
        CDsEllipseStorage::StSetDynamicEllipses(dynamicEllipses_);
        api_set_mesh_manager(nullptr);
        api_set_default_refinement(faceterDefault_);
    }

private:
    std::vector<bool> flags_;
    CVyrRefinement* current_ = nullptr;
    CVyrMeshInterface* active_ = nullptr;
    bool dynamicEllipses_ = true;
    REFINEMENT* faceterDefault_ = nullptr;
};

// One body of `count` disjoint unit blocks (6 faces and 12 edges each), united pairwise.
inline BodyPtr DisjointBlocks(int count)
{
    std::vector<BODY*> bodies;
    for (int i = 0; i < count; ++i) {
        const double x = 3.0 * i;
        bodies.push_back(make_block(x, 0, 0, x + 1, 1, 1));
    }
    while (bodies.size() > 1) {
        std::vector<BODY*> next;
        for (size_t i = 0; i + 1 < bodies.size(); i += 2) {
            next.push_back(unite_bodies(bodies[i], bodies[i + 1]));
            bodies[i]->lose();
            bodies[i + 1]->lose();
        }
        if (bodies.size() % 2) next.push_back(bodies.back());
        bodies.swap(next);
    }
    return BodyPtr(bodies.empty() ? nullptr : bodies.front());
}

}  // namespace vyrtest
