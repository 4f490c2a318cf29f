// Persistent ids, assembly nodes, visibility levels, display curves and slave attributes.
#include "SpaBuilders.h"
#include "VyrAttManager.h"
#include "VyrPoint.h"

#include "EntityDeleter.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

using vyrtest::EntityPtr;

int pid_of(const ENTITY* e) {
    int pid = -1;
    EXPECT_TRUE(CVyrAttManager::GetVyrAttManager()->GetPid(e, pid));
    return pid;
}

}  // namespace

TEST(AttManagerTest, BenchmarkPlateFacesAndEdgesHavePositiveDistinctStableIds) {
    outcome made;
    EntityPtr plate(make_benchmark_plate(&made));
    ASSERT_NE(nullptr, plate) << made.get_error_info()->error_message();
    ENTITY_LIST faces, edges;
    get_faces(plate.get(), faces);
    get_edges(plate.get(), edges);
    ASSERT_GT(faces.count(), 100);
    ASSERT_GT(edges.count(), 290);

    std::set<int> seen;
    std::vector<int> first;
    for (const ENTITY_LIST* list : {&faces, &edges})
        for (int i = 0; i < list->count(); ++i) {
            const int pid = pid_of((*list)[i]);
            EXPECT_GT(pid, 0);
            EXPECT_TRUE(seen.insert(pid).second) << "pid " << pid << " given twice";
            first.push_back(pid);
        }
    // Asking again answers the same ids.
    size_t k = 0;
    for (const ENTITY_LIST* list : {&faces, &edges})
        for (int i = 0; i < list->count(); ++i) EXPECT_EQ(first[k++], pid_of((*list)[i]));
}

TEST(AttManagerTest, ReplacementCarriesItsPredecessorsIdAndIdsStayDistinct) {
    CVyrAttManager* mgr = CVyrAttManager::GetVyrAttManager();
    EntityPtr old_point(new CVyrPoint(SPAposition(1, 2, 3)));
    EntityPtr new_point(new CVyrPoint(SPAposition(1, 2, 3)));
    const int old_id = pid_of(old_point.get());
    const int new_id = pid_of(new_point.get());
    ASSERT_NE(old_id, new_id);

    // The replacement takes the id; the predecessor gives it up and gets a fresh one.
    ASSERT_TRUE(mgr->SetPid(new_point.get(), old_id));
    EXPECT_EQ(old_id, pid_of(new_point.get()));
    EXPECT_EQ(new_point.get(), mgr->FindEntity(old_id));
    const int renewed = pid_of(old_point.get());
    EXPECT_NE(old_id, renewed);
    EXPECT_NE(new_id, renewed);

    // A chosen id above every id given so far is never handed out again.
    EntityPtr third(new CVyrPoint());
    ASSERT_TRUE(mgr->SetPid(third.get(), 1000000));
    EntityPtr fourth(new CVyrPoint());
    EXPECT_GT(pid_of(fourth.get()), 1000000);

    // The id survives as long as the entity and goes with it.
    old_point.reset();
    new_point.reset();
    EXPECT_EQ(nullptr, mgr->FindEntity(old_id));
    EntityPtr later(new CVyrPoint());
    EXPECT_NE(old_id, pid_of(later.get()));
    EXPECT_NE(renewed, pid_of(later.get()));
}

TEST(AttManagerTest, BadInputGetsNeutralAnswers) {
    CVyrAttManager* mgr = CVyrAttManager::GetVyrAttManager();
    ASSERT_NE(nullptr, mgr);
    int pid = 7;
    EXPECT_FALSE(mgr->GetPid(nullptr, pid));
    EXPECT_EQ(0, pid);
    EntityPtr point(new CVyrPoint());
    const int id = pid_of(point.get());
    EXPECT_FALSE(mgr->SetPid(point.get(), 0));
    EXPECT_FALSE(mgr->SetPid(point.get(), -5));
    EXPECT_FALSE(mgr->SetPid(nullptr, 12));
    EXPECT_EQ(id, pid_of(point.get()));
    EXPECT_EQ(nullptr, mgr->FindEntity(0));
    EXPECT_EQ(nullptr, mgr->GetAssNode(nullptr));
    EXPECT_EQ(nullptr, mgr->SetAssNode(nullptr, 1, 1));
    int level = 3;
    EXPECT_FALSE(mgr->GetVisibility(nullptr, level));
    EXPECT_FALSE(mgr->SetVisibility(nullptr, 1));
    EXPECT_FALSE(mgr->ClearVisibility(nullptr));
    EXPECT_EQ(3, level);
    EXPECT_EQ(nullptr, mgr->GetAttribute(nullptr, eVyrAttDispCurve));
    EXPECT_EQ(nullptr, mgr->SetDispCurves(nullptr, 1, 1));
    EXPECT_EQ(nullptr, GetSlaveMaster(nullptr));
}

TEST(AttManagerTest, AssemblyNodeVisibilityAndDisplayCurvesAreKeptPerEntity) {
    CVyrAttManager* mgr = CVyrAttManager::GetVyrAttManager();
    EntityPtr block(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_NE(nullptr, block);
    ENTITY_LIST faces;
    get_faces(block.get(), faces);

    // Assembly node: only the entity's own (a face does not see its body's).
    EXPECT_EQ(nullptr, mgr->GetAssNode(block.get()));
    CVyrAsNode* node = mgr->SetAssNode(block.get(), 42, 3);
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(node, mgr->GetAssNode(block.get()));
    EXPECT_EQ(42, node->GetComponentId());
    EXPECT_EQ(3, node->GetGenerationNumber());
    EXPECT_EQ(node, mgr->SetAssNode(block.get(), 43, 4));
    EXPECT_EQ(43, mgr->GetAssNode(block.get())->GetComponentId());
    EXPECT_EQ(nullptr, mgr->GetAssNode(faces[0]));

    // Visibility.
    int level = -1;
    EXPECT_FALSE(mgr->GetVisibility(block.get(), level));
    EXPECT_TRUE(mgr->SetVisibility(block.get(), 2));
    EXPECT_TRUE(mgr->GetVisibility(block.get(), level));
    EXPECT_EQ(2, level);
    EXPECT_TRUE(mgr->ClearVisibility(block.get()));
    EXPECT_FALSE(mgr->ClearVisibility(block.get()));
    EXPECT_FALSE(mgr->GetVisibility(block.get(), level));

    // Display curves: the attribute of kind 33 of a face.
    EXPECT_EQ(nullptr, mgr->GetAttribute(faces[1], eVyrAttDispCurve));
    mgr->SetDispCurves(faces[1], 4, -2);
    CVyrAttrBase* att = mgr->GetAttribute(faces[1], eVyrAttDispCurve);
    ASSERT_TRUE(is_CVyrDispCurveAtt(att));
    EXPECT_EQ(4, static_cast<CVyrDispCurveAtt*>(att)->GetNu());
    EXPECT_EQ(0, static_cast<CVyrDispCurveAtt*>(att)->GetNv());
    EXPECT_EQ(nullptr, mgr->GetAttribute(faces[0], eVyrAttDispCurve));
    // Everything goes with the body (checked for leaks under the sanitizer build).
}

TEST(AttManagerTest, SlaveAttributeNamesItsMasterUntilTheMasterIsFreed) {
    EntityPtr master(new CVyrPoint(SPAposition(5, 0, 0)));
    EntityPtr slave(new CVyrPoint());
    new CVyrEntSlave(slave.get(), master.get());

    ATTRIB* att = find_attrib(slave.get(), CVyrAttrBase_TYPE, CVyrEntSlave_TYPE, -1, -1);
    ASSERT_TRUE(is_CVyrEntSlave(att));
    EXPECT_EQ(slave.get(), att->entity());
    EXPECT_EQ(master.get(), static_cast<CVyrEntSlave*>(att)->GetMaster());
    EXPECT_EQ(master.get(), GetSlaveMaster(slave.get()));
    EXPECT_EQ(nullptr, GetSlaveMaster(master.get()));
    EXPECT_FALSE(static_cast<CVyrEntSlave*>(att)->SetMaster(slave.get()));

    master.reset();
    EXPECT_EQ(nullptr, static_cast<CVyrEntSlave*>(att)->GetMaster());
    EXPECT_EQ(nullptr, GetSlaveMaster(slave.get()));
}
