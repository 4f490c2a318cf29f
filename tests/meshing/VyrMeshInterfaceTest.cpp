// Mesh interfaces without OpenGL: registration with the display manager, entries stored by pid,
// the meshes handed out, and entries that outlive the interface.
#include "DsManager.h"
#include "DsQueryIDInt.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <vector>

namespace {

// Answers the pids it was given, one per question, then 0; installed for its lifetime.
class ScriptedPids : public CDsQueryIDInt {
public:
    explicit ScriptedPids(std::deque<int> pids) : m_pids(std::move(pids)) { StSetActiveQueryIDInt(this); }
    ~ScriptedPids() override = default;  // the base puts the default service back
    int QueryPID(ENTITY*) override {
        if (m_pids.empty()) return 0;
        int pid = m_pids.front();
        m_pids.pop_front();
        return pid;
    }

private:
    std::deque<int> m_pids;
};

CDmRefCountPtrTempl<CVyrMeshEntry> Entry(CVyrIndexedMesh* mesh) {
    return CDmRefCountPtrTempl<CVyrMeshEntry>(new CVyrMeshEntry(nullptr, mesh));
}

}  // namespace

TEST(VyrMeshInterfaceTest, AnInterfaceIsKnownToTheDisplayManagerForItsLifetime) {
    CDsManager* manager = CDsManager::GetInstance();
    const CVyrMeshInterface* gone = nullptr;
    {
        CVyrMeshInterface meshes;
        EXPECT_TRUE(manager->HasMeshInterface(&meshes));
        gone = &meshes;
    }
    EXPECT_FALSE(manager->HasMeshInterface(gone));
    manager->AddMeshInterface(nullptr);
    EXPECT_FALSE(manager->HasMeshInterface(nullptr));
}

TEST(VyrMeshInterfaceTest, EntriesAreKeptByPidAndMeshesComeOutInPidOrder) {
    ScriptedPids pids({30, 10, 0, 10, 20});
    CVyrMeshInterface meshes;
    auto* third = new CVyrIndexedMesh(3, 1, 3);
    auto* first = new CVyrIndexedMesh(3, 1, 3);
    meshes.Add(Entry(third));                             // pid 30
    meshes.Add(Entry(new CVyrIndexedMesh(3, 1, 3)));      // pid 10, replaced below
    meshes.Add(Entry(new CVyrIndexedMesh(3, 1, 3)));      // pid 0: not kept
    meshes.Add(Entry(first));                             // pid 10 again
    meshes.Add(Entry(nullptr));                           // pid 20, no mesh
    meshes.Add(CDmRefCountPtrTempl<CVyrMeshEntry>());     // nothing
    EXPECT_EQ(meshes.GetMeshesCount(), 3);

    std::vector<CVyrIndexedMesh*> all{nullptr};  // appended to, not replaced
    EXPECT_EQ(meshes.GetAllMeshes(all), 0);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1], first);
    EXPECT_EQ(all[2], third);
}

TEST(VyrMeshInterfaceTest, AnEntryHeldElsewhereOutlivesTheInterface) {
    ScriptedPids pids({5});
    auto* mesh = new CVyrIndexedMesh(0, -1, 2);
    EXPECT_EQ(mesh->GetNodeCapacity(), 1);
    EXPECT_EQ(mesh->GetPolygonCapacity(), 1);
    EXPECT_EQ(mesh->GetPolynodeCapacity(), 2);
    CDmRefCountPtrTempl<CVyrMeshEntry> held = Entry(mesh);
    {
        CVyrMeshInterface meshes;
        meshes.Add(held);
        CDmRefCountPtrTempl<CVyrMeshEntry> copy = held;
        EXPECT_EQ(copy->GetPid(), 5);
    }
    EXPECT_EQ(held->GetMesh(), mesh);
    EXPECT_EQ(held->AddRef(), 2);  // this pointer's reference and the one just taken
    EXPECT_EQ(held->Release(), 1);
}

namespace {

CDmRefCountPtrTempl<CVyrPolylineEntry> Polyline(std::initializer_list<double> coordinates)
{
    CDmRefCountPtrTempl<CVyrPolylineEntry> entry(new CVyrPolylineEntry(nullptr));
    std::vector<double> values(coordinates);
    entry->SetPoints(static_cast<int>(values.size() / 3), values.data());
    return entry;
}

}  // namespace

TEST(VyrMeshInterfaceTest, CopiesShareTheDataAndAnotherGenerationStartsEmpty)
{
    ScriptedPids pids({4, 8, 9});
    CDsManager* manager = CDsManager::GetInstance();
    auto* source = new CVyrMeshInterface;
    source->SetMeshGenerationNumber(7);
    auto* refinement = new CVyrRefinement;
    source->SetVyrRefinement(refinement);
    source->Add(Entry(new CVyrIndexedMesh(3, 1, 3)));  // pid 4
    source->Add(Polyline({0, 0, 0, 1, 0, 0}));         // pid 8

    CVyrMeshInterface same(source, 7);
    CVyrMeshInterface other(source, 8);
    CVyrMeshInterface copy(*source);
    CVyrMeshInterface assigned;
    assigned = same;
    EXPECT_TRUE(manager->HasMeshInterface(&same));
    EXPECT_TRUE(manager->HasMeshInterface(&other));
    EXPECT_TRUE(manager->HasMeshInterface(&copy));

    EXPECT_EQ(other.GetMeshesCount(), 0);
    EXPECT_EQ(other.GetPolylinesCount(), 0);
    EXPECT_EQ(other.GetMeshGenerationNumber(), 8);
    EXPECT_EQ(other.GetVyrRefinement(), nullptr);
    for (const CVyrMeshInterface* shared : {&same, &copy, &assigned}) {
        EXPECT_EQ(shared->GetMeshesCount(), 1);
        EXPECT_EQ(shared->GetPolylinesCount(), 1);
        EXPECT_EQ(shared->GetMeshGenerationNumber(), 7);
        EXPECT_EQ(shared->GetVyrRefinement(), refinement);
    }
    // What one adds, the others see; the source is not touched by the other generation.
    same.Add(Entry(new CVyrIndexedMesh(3, 1, 3)));  // pid 9
    EXPECT_EQ(copy.GetMeshesCount(), 2);
    EXPECT_EQ(source->GetMeshesCount(), 2);
    EXPECT_TRUE(copy.GetMeshEntry(9));
    EXPECT_EQ(copy.GetPolylineEntry(8)->GetPid(), 8);

    // The data outlives the interface it was made by.
    delete source;
    EXPECT_EQ(same.GetMeshesCount(), 2);
    EXPECT_EQ(same.GetVyrRefinement(), refinement);
    const CDmRefCountPtrTempl<CVyrMeshEntry> removed = assigned.RemoveMesh(nullptr);  // pid 0 by now
    EXPECT_FALSE(removed);
    EXPECT_EQ(copy.GetMeshesCount(), 2);
}

TEST(VyrMeshInterfaceTest, BoxesAndCountsComeFromTheMeshesElseFromThePolylines)
{
    ScriptedPids pids({3, 5, 6, 7});
    CVyrMeshInterface meshes;
    EXPECT_TRUE(meshes.GetBox(SPAtransf()).empty());
    meshes.Add(Polyline({0, 0, 0, 2, 0, 0}));  // pid 3
    meshes.Add(Polyline({0, 0, 0, 0, 0, 4}));  // pid 5
    SPAbox box = meshes.GetBox(translate_transf(SPAvector(1, 0, 0)));
    EXPECT_EQ(box.low().x(), 1.0);
    EXPECT_EQ(box.high().x(), 3.0);
    EXPECT_EQ(box.high().z(), 4.0);

    auto* mesh = new CVyrIndexedMesh(3, 1, 3);
    mesh->add_vertex(SPAposition(10, 10, 10), SPAunit_vector(0, 0, 1), SPApar_pos());
    mesh->add_vertex(SPAposition(11, 10, 10), SPAunit_vector(0, 0, 1), SPApar_pos());
    mesh->add_vertex(SPAposition(10, 12, 10), SPAunit_vector(0, 0, 1), SPApar_pos());
    mesh->add_polygon(0, 3, nullptr, -2);
    meshes.Add(Entry(mesh));     // pid 6
    meshes.Add(Entry(nullptr));  // pid 7: an entry without a mesh counts nothing
    box = meshes.GetBox(SPAtransf());
    EXPECT_EQ(box.low().x(), 10.0);  // the polylines no longer count
    EXPECT_EQ(box.high().y(), 12.0);
    EXPECT_EQ(meshes.ComputeNumOfTriangles(), 1);
    EXPECT_EQ(meshes.GetPolygonCount(nullptr), 0);
    std::vector<CVyrIndexedMesh*> all;
    meshes.GetAllMeshes(all);
    EXPECT_EQ(all.size(), 1u);
}

TEST(VyrMeshInterfaceTest, AnInterfaceThatGoesIsNoLongerTheActiveOne)
{
    CVyrMeshInterface* before = CVyrMeshInterface::StGetActiveMeshManager();
    {
        CVyrMeshInterface meshes;
        CVyrMeshInterface::StSetActiveMeshManager(&meshes);
        EXPECT_EQ(CVyrMeshInterface::StGetActiveMeshManager(), &meshes);
    }
    EXPECT_EQ(CVyrMeshInterface::StGetActiveMeshManager(), nullptr);
    CVyrMeshInterface::StSetActiveMeshManager(before);
}
