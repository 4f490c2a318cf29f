// The display lists of meshes: made, replayed, and dropped all at once by the display manager.
#include "DsManager.h"
#include "DsQueryIDInt.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"

#include "CountingPids.h"
#include "GlTestFixture.h"

using vyrtest::ColorNear;
using vyrtest::GlTest;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

using vyrtest::CountingPids;

// A mesh whose list fills the viewport with `color` under the pixel projection.
CVyrIndexedMesh* MeshWithList(const Rgb& color, int owner) {
    auto* mesh = new CVyrIndexedMesh(4, 1, 4);
    if (mesh->StartDisplayListCreation(owner)) {
        vyrtest::FillRect(color, 0, 0, 200, 100);
        mesh->FinishDisplayListCreation();
    }
    return mesh;
}

}  // namespace

TEST_F(GlTest, AMeshListReplaysWhatWasRecordedForItsOwner) {
    CVyrIndexedMesh mesh(4, 1, 4);
    EXPECT_FALSE(mesh.IsDisplayListExists(0));
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear({0, 0, 0});
    ASSERT_TRUE(mesh.StartDisplayListCreation(7));
    vyrtest::FillRect({255, 0, 0}, 0, 0, 200, 100);
    mesh.FinishDisplayListCreation();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 50), {0, 0, 0}));  // compiled, not drawn
    EXPECT_TRUE(mesh.IsDisplayListExists(7));
    EXPECT_FALSE(mesh.IsDisplayListExists(8));
    mesh.DrawDisplayList();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 50), {255, 0, 0}));

    const unsigned int first = mesh.GetDisplayList();
    ASSERT_TRUE(mesh.StartDisplayListCreation(8));  // a new list replaces the old one
    mesh.FinishDisplayListCreation();
    EXPECT_FALSE(glIsList(first));
    EXPECT_TRUE(mesh.IsDisplayListExists(8));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlTest, ResettingTheHandlesDropsTheListOfEveryMeshOfEveryLiveInterface) {
    CountingPids pids;
    vyrtest::SetPixelProjection(200, 100);
    CVyrMeshInterface body1, body2;
    CVyrIndexedMesh* a = MeshWithList({255, 0, 0}, 1);
    CVyrIndexedMesh* b = MeshWithList({0, 255, 0}, 1);
    CVyrIndexedMesh* c = MeshWithList({0, 0, 255}, 1);
    body1.Add(CDmRefCountPtrTempl<CVyrMeshEntry>(new CVyrMeshEntry(nullptr, a)));
    body1.Add(CDmRefCountPtrTempl<CVyrMeshEntry>(new CVyrMeshEntry(nullptr, b)));
    body2.Add(CDmRefCountPtrTempl<CVyrMeshEntry>(new CVyrMeshEntry(nullptr, c)));
    const unsigned int lists[] = {a->GetDisplayList(), b->GetDisplayList(), c->GetDisplayList()};
    for (unsigned int list : lists) ASSERT_TRUE(glIsList(list));
    // A mesh outside every interface is not the manager's to drop.
    CVyrIndexedMesh loose(4, 1, 4);
    ASSERT_TRUE(loose.StartDisplayListCreation(1));
    loose.FinishDisplayListCreation();

    CDsManager::GetInstance()->ResetDisplayListsHandles();
    for (unsigned int list : lists) EXPECT_FALSE(glIsList(list));
    EXPECT_EQ(a->GetDisplayList(), 0u);
    EXPECT_EQ(b->GetDisplayList(), 0u);
    EXPECT_EQ(c->GetDisplayList(), 0u);
    EXPECT_FALSE(c->IsDisplayListExists(1));
    EXPECT_TRUE(glIsList(loose.GetDisplayList()));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
