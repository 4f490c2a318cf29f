// The mesh manager fed in the faceter's order by hand: meshes stored per face, discarded output,
// and faces whose output does not fit or names nodes that are not theirs.
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrMeshManager.h"

#include "EntityLists.h"
#include "MeshingFixture.h"

#include <vector>

using VyrMeshManagerTest = vyrtest::MeshingTest;

namespace {

// Feeds one face: `nodes` nodes on a fan around node 0 and `nodes` - 2 triangles; the counts
// announced may be given smaller than what follows.
void Feed(MESH_MANAGER& manager, FACE* face, int nodes, int announcedNodes = -1, bool save = true)
{
    ENTITY* format = vertex_template_of_faceter();
    const int triangles = nodes - 2;
    manager.begin_mesh_output(face, face, format);
    manager.announce_counts(triangles, announcedNodes < 0 ? nodes : announcedNodes, 3 * triangles);
    std::vector<void*> ids;
    for (int i = 0; i < nodes; ++i)
        ids.push_back(manager.announce_indexed_node(i, SPApar_pos(i, 2.0 * i), SPAposition(i, i % 2, 0),
                                                    SPAunit_vector(0, 0, 1)));
    for (int t = 0; t < triangles; ++t) {
        manager.start_indexed_polygon(t, 3, -2);
        manager.announce_indexed_polynode(t, 0, ids[0]);
        manager.announce_indexed_polynode(t, 1, ids[t + 1]);
        manager.announce_indexed_polynode(t, 2, ids[t + 2]);
    }
    manager.end_mesh_output(face, face, format);
    if (save) manager.save_mesh_output(face, face, format);
}

CVyrIndexedMesh* MeshOf(const CVyrMeshInterface& meshes, FACE* face)
{
    const CDmRefCountPtrTempl<CVyrMeshEntry> entry = meshes.GetMeshEntry(face);
    return entry ? entry->GetMesh() : nullptr;
}

}  // namespace

TEST_F(VyrMeshManagerTest, EachFaceOfARunBecomesAStoredMeshWithItsUvInZeroToOne)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    const std::vector<FACE*> faces = vyrtest::Faces(block.get());
    CVyrMeshInterface meshes;
    CVyrMeshManager manager(&meshes);
    EXPECT_TRUE(manager.need_indexed_polygons());
    EXPECT_FALSE(manager.need_global_node_numbering());
    EXPECT_TRUE(manager.need_node_normals());
    Feed(manager, faces[0], 4);
    Feed(manager, faces[1], 6);
    EXPECT_EQ(manager.GetPolygonTotal(), 2 + 4);
    EXPECT_EQ(manager.GetFailedFacesCount(), 0);
    EXPECT_EQ(meshes.GetMeshesCount(), 2);

    CVyrIndexedMesh* second = MeshOf(meshes, faces[1]);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->get_num_polygon(), 4);
    EXPECT_EQ(second->get_num_vertex(), 6);
    EXPECT_EQ(second->GetScaleFlag(), 1);
    EXPECT_NEAR(second->get_uv(5).u, 1.0, 1e-12);
    EXPECT_NEAR(second->get_uv(5).v, 1.0, 1e-12);
    EXPECT_NEAR(second->get_uv_as_entered(5).v, 10.0, 1e-12);
    EXPECT_EQ(second->GetPlanarFlag(), 1);  // a block's faces are planar
    EXPECT_EQ(second->get_polygon(0)->get_vertex_template(), vertex_template_of_faceter());
    // The corners point straight at the mesh's own nodes.
    EXPECT_EQ(second->get_vertex_index(second->get_polygon(3)->get_vertex(2)), 5);

    // The same face again replaces its entry.
    Feed(manager, faces[0], 5);
    EXPECT_EQ(meshes.GetMeshesCount(), 2);
    EXPECT_EQ(MeshOf(meshes, faces[0])->get_num_polygon(), 3);
}

TEST_F(VyrMeshManagerTest, OutputThatIsNotSavedIsDiscardedAndNothingPendingIsNeverStored)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    const std::vector<FACE*> faces = vyrtest::Faces(block.get());
    CVyrMeshInterface meshes;
    {
        CVyrMeshManager manager(&meshes);
        Feed(manager, faces[0], 7, -1, false);  // begun again without being saved
        Feed(manager, faces[0], 4);
        EXPECT_EQ(MeshOf(meshes, faces[0])->get_num_polygon(), 2);

        // Counts announced twice: the first mesh goes (a leak would show under the sanitizer).
        manager.begin_mesh_output(faces[1], faces[1], nullptr);
        manager.announce_counts(5, 5, 15);
        manager.announce_counts(1, 3, 3);
        void* a = manager.announce_indexed_node(0, SPApar_pos(), SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1));
        void* b = manager.announce_indexed_node(1, SPApar_pos(), SPAposition(1, 0, 0), SPAunit_vector(0, 0, 1));
        void* c = manager.announce_indexed_node(2, SPApar_pos(), SPAposition(0, 1, 0), SPAunit_vector(0, 0, 1));
        manager.start_indexed_polygon(0, 3, -2);
        manager.announce_indexed_polynode(0, 0, a);
        manager.announce_indexed_polynode(0, 1, b);
        manager.announce_indexed_polynode(0, 2, c);
        manager.save_mesh_output(faces[1], faces[1], nullptr);
        ASSERT_NE(MeshOf(meshes, faces[1]), nullptr);
        EXPECT_EQ(MeshOf(meshes, faces[1])->get_num_polygon(), 1);
        EXPECT_EQ(MeshOf(meshes, faces[1])->get_polygon(0)->get_vertex_template(), nullptr);

        // A save with nothing announced stores nothing.
        manager.begin_mesh_output(faces[2], faces[2], nullptr);
        manager.save_mesh_output(faces[2], faces[2], nullptr);
        manager.save_mesh_output(faces[2], faces[2], nullptr);
        EXPECT_FALSE(meshes.GetMeshEntry(faces[2]));
        EXPECT_EQ(manager.GetFailedFacesCount(), 0);

        // A face left pending when the manager goes.
        Feed(manager, faces[3], 6, -1, false);
    }
    EXPECT_FALSE(meshes.GetMeshEntry(faces[3]));
    EXPECT_EQ(meshes.GetMeshesCount(), 2);
}

TEST_F(VyrMeshManagerTest, AFaceWhoseOutputDoesNotFitIsReportedFailedAndKeepsNoMesh)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    const std::vector<FACE*> faces = vyrtest::Faces(block.get());
    CVyrMeshInterface meshes;
    CVyrMeshManager manager(&meshes);

    // Two nodes fewer announced than sent: the last two are refused, and corners naming them
    // must not go into the mesh.
    Feed(manager, faces[0], 6, 4);
    EXPECT_EQ(manager.GetFailedFacesCount(), 1);
    const CDmRefCountPtrTempl<CVyrMeshEntry> failed = meshes.GetMeshEntry(faces[0]);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->GetMesh(), nullptr);
    EXPECT_EQ(manager.GetPolygonTotal(), 0);

    // A node id from somewhere else.
    ENTITY* format = vertex_template_of_faceter();
    manager.begin_mesh_output(faces[1], faces[1], format);
    manager.announce_counts(1, 3, 3);
    int bogus = 0;
    void* ids[3];
    for (int i = 0; i < 3; ++i)
        ids[i] = manager.announce_indexed_node(i, SPApar_pos(), SPAposition(i, 0, 0), SPAunit_vector(0, 0, 1));
    manager.start_indexed_polygon(0, 3, -2);
    manager.announce_indexed_polynode(0, 0, ids[0]);
    manager.announce_indexed_polynode(0, 1, &bogus);
    manager.announce_indexed_polynode(0, 2, ids[2]);
    manager.end_mesh_output(faces[1], faces[1], format);
    manager.save_mesh_output(faces[1], faces[1], format);
    EXPECT_EQ(manager.GetFailedFacesCount(), 2);
    EXPECT_EQ(meshes.GetMeshEntry(faces[1])->GetMesh(), nullptr);

    // A face with no triangles at all: an empty mesh, not a failure.
    Feed(manager, faces[4], 2);
    EXPECT_EQ(manager.GetFailedFacesCount(), 2);
    ASSERT_NE(MeshOf(meshes, faces[4]), nullptr);
    EXPECT_EQ(MeshOf(meshes, faces[4])->get_num_polygon(), 0);
    EXPECT_EQ(meshes.ComputeNumOfTriangles(), 0);
}
