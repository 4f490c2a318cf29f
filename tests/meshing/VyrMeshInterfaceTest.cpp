// Mesh interfaces without OpenGL: registration with the display manager, entries stored by pid,
// the meshes handed out, and entries that outlive the interface.
#include "DsManager.h"
#include "DsQueryIDInt.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"

#include <gtest/gtest.h>

#include <deque>

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
