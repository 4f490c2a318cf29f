// Faceting through a mesh interface: runs and their lists, faces that fail, bad tolerances, the
// faceter's state put back, flag 1, and what is derived from the meshes afterwards.
#include "DsGlSketch.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrMeshManager.h"

#include "EntityLists.h"
#include "MeshingFixture.h"
#include "SpaOptions.h"
#include "VyrAcisOptionsMap.h"

#include <cmath>
#include <limits>
#include <vector>

using VyrMeshInterfaceFacetingTest = vyrtest::MeshingTest;

namespace {

// What one faceting run (one mesh manager) saw.
struct FacetRunRecord {
    int faces = 0;            // faces begun
    int wholeBodyCalls = 0;   // faces begun from a call on the whole body
    double surfaceTol = -1;   // the faceter's default refinement during the run
    int storeMeshes = -1;     // the faceter's option 3 during the run
};

class RecordingInterface;

// A mesh manager that records its run and can make one face fail.
class RecordingManager : public CVyrMeshManager {
public:
    RecordingManager(RecordingInterface* owner, size_t run);
    void begin_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format) override;
    void announce_counts(int npoly, int nnode, int npolynode) override;

private:
    RecordingInterface* m_recorder;
    size_t m_run;
};

// An interface whose runs are recorded; `raiseOn` makes faceting that face raise an error,
// `shortOn` makes its announced node count too small.
class RecordingInterface : public CVyrMeshInterface {
public:
    CVyrMeshManager* CreateMeshManager() override
    {
        runs.emplace_back();
        return new RecordingManager(this, runs.size() - 1);
    }
    std::vector<FacetRunRecord> runs;
    ENTITY* raiseOn = nullptr;
    ENTITY* shortOn = nullptr;
    ENTITY* current = nullptr;
};

RecordingManager::RecordingManager(RecordingInterface* owner, size_t run)
    : CVyrMeshManager(owner), m_recorder(owner), m_run(run)
{
}

void RecordingManager::begin_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format)
{
    FacetRunRecord& run = m_recorder->runs[m_run];
    ++run.faces;
    if (is_BODY(app_ref)) ++run.wholeBodyCalls;
    REFINEMENT* refinement = nullptr;
    api_get_default_refinement(refinement);
    run.surfaceTol = refinement ? refinement->get_surface_tol() : -2;
    option_header* option = CVyrAcisOptionsMap::GetOption(CVyrAcisOptionsMap::eFacetStoreMeshes);
    run.storeMeshes = option ? option->count() : -2;
    m_recorder->current = face;
    if (face == m_recorder->raiseOn) sys_error(OCCT_FAILURE, face);
    CVyrMeshManager::begin_mesh_output(face, app_ref, format);
}

void RecordingManager::announce_counts(int npoly, int nnode, int npolynode)
{
    if (m_recorder->current == m_recorder->shortOn) nnode -= 1;
    CVyrMeshManager::announce_counts(npoly, nnode, npolynode);
}

int MeshedFaces(const CVyrMeshInterface& meshes, const ENTITY* body)
{
    int meshed = 0;
    for (FACE* face : vyrtest::Faces(body)) {
        const CDmRefCountPtrTempl<CVyrMeshEntry> entry = meshes.GetMeshEntry(face);
        if (entry && entry->GetMesh() && entry->GetMesh()->get_num_polygon() > 0) ++meshed;
    }
    return meshed;
}

}  // namespace

TEST_F(VyrMeshInterfaceFacetingTest, IncrementalFacetingTakesMissingFacesInListsOf501)
{
    vyrtest::BodyPtr big = vyrtest::DisjointBlocks(200);
    ASSERT_TRUE(big);
    ASSERT_EQ(vyrtest::Faces(big.get()).size(), 1200u);
    RecordingInterface meshes;
    EXPECT_EQ(meshes.FacetEntity(big.get(), 1, true), 0);
    ASSERT_EQ(meshes.runs.size(), 3u);
    EXPECT_EQ(meshes.runs[0].faces, 501);
    EXPECT_EQ(meshes.runs[1].faces, 501);
    EXPECT_EQ(meshes.runs[2].faces, 198);
    for (const FacetRunRecord& run : meshes.runs) EXPECT_EQ(run.wholeBodyCalls, 0);  // face by face
    EXPECT_EQ(meshes.GetMeshesCount(), 1200);
    EXPECT_EQ(MeshedFaces(meshes, big.get()), 1200);

    // Every face has its mesh now: nothing more to facet.
    meshes.runs.clear();
    EXPECT_EQ(meshes.FacetEntity(big.get(), 1, true), 0);
    EXPECT_TRUE(meshes.runs.empty());
}

TEST_F(VyrMeshInterfaceFacetingTest, ABodyWithoutMeshesIsFacetedInOneCallAndSomeMissingFacesInAList)
{
    vyrtest::BodyPtr body = vyrtest::DisjointBlocks(50);
    ASSERT_EQ(vyrtest::Faces(body.get()).size(), 300u);
    RecordingInterface meshes;
    EXPECT_EQ(meshes.FacetEntity(body.get(), 1, true), 0);
    ASSERT_EQ(meshes.runs.size(), 1u);
    EXPECT_EQ(meshes.runs[0].faces, 300);
    EXPECT_EQ(meshes.runs[0].wholeBodyCalls, 300);
    EXPECT_EQ(meshes.ComputeNumOfTriangles(), 600);

    // Two faces lose their meshes: only they are faceted, as a list.
    const std::vector<FACE*> faces = vyrtest::Faces(body.get());
    meshes.RemoveMesh(faces[7]);
    meshes.RemoveMesh(faces[250]);
    meshes.runs.clear();
    EXPECT_EQ(meshes.FacetEntity(faces[7], 1, true), 0);  // a face alone
    EXPECT_EQ(meshes.FacetEntity(faces[7], 1, true), 0);  // it has its mesh: nothing
    EXPECT_EQ(meshes.FacetEntity(body.get(), 1, false), 0);
    ASSERT_EQ(meshes.runs.size(), 2u);
    EXPECT_EQ(meshes.runs[0].faces, 1);
    EXPECT_EQ(meshes.runs[1].faces, 1);
    EXPECT_EQ(meshes.runs[1].wholeBodyCalls, 0);
    EXPECT_EQ(MeshedFaces(meshes, body.get()), 300);
}

TEST_F(VyrMeshInterfaceFacetingTest, AFailingFaceIsReportedAndTheFacesAfterItAreStillFaceted)
{
    vyrtest::BodyPtr body = vyrtest::DisjointBlocks(2);
    const std::vector<FACE*> faces = vyrtest::Faces(body.get());
    ASSERT_EQ(faces.size(), 12u);

    // In a list: one face already has its mesh, the third of the rest raises an error.
    RecordingInterface listed;
    ASSERT_EQ(listed.FacetEntity(faces[0], 0, true), 0);
    listed.raiseOn = faces[3];
    EXPECT_NE(listed.FacetEntity(body.get(), 1, true), 0);
    EXPECT_EQ(MeshedFaces(listed, body.get()), 11);
    EXPECT_FALSE(listed.GetMeshEntry(faces[3]));
    EXPECT_TRUE(listed.GetMeshEntry(faces[11]));

    // Face by face over the whole body (display-manager flag 15).
    CDsManager::GetInstance()->SetFlag(15, true);
    RecordingInterface oneByOne;
    oneByOne.raiseOn = faces[1];
    EXPECT_NE(oneByOne.FacetEntity(body.get(), 0, true), 0);
    EXPECT_EQ(oneByOne.runs.size(), 1u);
    EXPECT_EQ(oneByOne.runs[0].wholeBodyCalls, 0);
    EXPECT_EQ(MeshedFaces(oneByOne, body.get()), 11);

    // The safe form answers the same way.
    RecordingInterface safe;
    safe.raiseOn = faces[5];
    EXPECT_NE(safe.FacetEntity(body.get(), 0, false), 0);
    EXPECT_EQ(MeshedFaces(safe, body.get()), 11);
    EXPECT_EQ(api_bb_depth(), 0);
    EXPECT_EQ(logging_on(), 0);
}

TEST_F(VyrMeshInterfaceFacetingTest, AFaceWhoseOutputDoesNotFitFailsTheRunAndIsFacetedAgainLater)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 2, 3));
    const std::vector<FACE*> faces = vyrtest::Faces(block.get());
    RecordingInterface meshes;
    meshes.shortOn = faces[2];
    EXPECT_NE(meshes.FacetEntity(block.get(), 0, true), 0);  // not the success value
    EXPECT_EQ(meshes.GetMeshesCount(), 6);
    const CDmRefCountPtrTempl<CVyrMeshEntry> failed = meshes.GetMeshEntry(faces[2]);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->GetMesh(), nullptr);
    EXPECT_EQ(MeshedFaces(meshes, block.get()), 5);
    EXPECT_EQ(meshes.GetPolygonCount(faces[2]), 0);

    // Incremental faceting leaves the marked face alone; the problematic-face pass facets it.
    meshes.shortOn = nullptr;
    EXPECT_EQ(meshes.FacetEntity(block.get(), 1, true), 0);
    EXPECT_EQ(MeshedFaces(meshes, block.get()), 5);
    CDsGlSketch sketch(nullptr);
    ENTITY_LIST list;
    for (FACE* face : faces) list.add(face);
    meshes.runs.clear();
    sketch.RefacetProblematicFacesOneByOne(&meshes, list);
    EXPECT_EQ(meshes.runs.size(), 1u);
    EXPECT_EQ(MeshedFaces(meshes, block.get()), 6);
    EXPECT_EQ(meshes.GetPolygonCount(faces[2]), 2);
}

TEST_F(VyrMeshInterfaceFacetingTest, BadTolerancesFailWithoutMeshesAndTheFacetersStateComesBack)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    REFINEMENT* before = nullptr;
    api_get_default_refinement(before);
    option_header* store = CVyrAcisOptionsMap::GetOption(CVyrAcisOptionsMap::eFacetStoreMeshes);
    ASSERT_NE(store, nullptr);
    const int depth = store->push_depth();

    const double bad[] = {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()};
    for (double tol : bad) {
        RecordingInterface meshes;
        auto* refinement = new CVyrRefinement;
        refinement->SetSurfaceTol(tol);
        meshes.SetVyrRefinement(refinement);  // deleted with the interface's data
        EXPECT_NE(meshes.FacetEntity(block.get(), 0, true), 0) << tol;
        EXPECT_NE(meshes.FacetEntity(block.get(), 1, false), 0) << tol;
        EXPECT_EQ(meshes.GetMeshesCount(), 0) << tol;
        REFINEMENT* after = nullptr;
        api_get_default_refinement(after);
        EXPECT_EQ(after, before);
        EXPECT_EQ(store->push_depth(), depth);
    }
    // A negative normal tolerance too; an absurdly large surface tolerance still facets.
    {
        RecordingInterface meshes;
        auto* refinement = new CVyrRefinement;
        refinement->SetNormalTol(-3.0);
        meshes.SetVyrRefinement(refinement);
        EXPECT_NE(meshes.FacetEntity(block.get(), 0, true), 0);
        refinement->SetNormalTol(0.0);
        refinement->SetSurfaceTol(1e300);
        EXPECT_EQ(meshes.FacetEntity(block.get(), 0, true), 0);
        EXPECT_EQ(meshes.ComputeNumOfTriangles(), 12);
    }
    // Nothing to facet.
    RecordingInterface meshes;
    EXPECT_NE(meshes.FacetEntity(nullptr, 0, true), 0);
    EXPECT_NE(meshes.FacetEntity(nullptr, 1, false), 0);
    EXPECT_EQ(meshes.GetMeshesCount(), 0);
    REFINEMENT* after = nullptr;
    api_get_default_refinement(after);
    EXPECT_EQ(after, before);
}

TEST_F(VyrMeshInterfaceFacetingTest, TheRunUsesTheInterfacesRefinementElseTheCurrentOneWithOption3Off)
{
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    CVyrRefinement current;
    current.SetSurfaceTol(0.07);
    CVyrRefinement::StSetCurrentRefinement(&current);
    RecordingInterface meshes;
    ASSERT_EQ(meshes.FacetEntity(block.get(), 0, true), 0);
    ASSERT_EQ(meshes.runs.size(), 1u);
    EXPECT_EQ(meshes.runs[0].surfaceTol, 0.07);
    EXPECT_EQ(meshes.runs[0].storeMeshes, 0);
    EXPECT_EQ(CVyrAcisOptionsMap::GetOption(CVyrAcisOptionsMap::eFacetStoreMeshes)->count(), 1);

    auto* own = new CVyrRefinement;
    own->SetSurfaceTol(0.03);
    meshes.SetVyrRefinement(own);
    ASSERT_EQ(meshes.FacetEntity(block.get(), 0, true), 0);
    EXPECT_EQ(meshes.runs[1].surfaceTol, 0.03);
    EXPECT_EQ(meshes.GetVyrRefinement(), own);
}

TEST_F(VyrMeshInterfaceFacetingTest, FlagOneHidesEveryMeshWhilePolylinesStillAnswer)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    vyrtest::BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(block.get(), true));
    ASSERT_TRUE(meshes);
    ASSERT_EQ(meshes->GetMeshesCount(), 6);
    std::vector<int> pids;
    for (auto it = meshes->BeginMeshes(); it != meshes->EndMeshes(); ++it) pids.push_back(it->first);

    CDsManager::GetInstance()->SetFlag(1, true);
    for (FACE* face : vyrtest::Faces(block.get())) {
        EXPECT_FALSE(meshes->GetMeshEntry(face));
        EXPECT_EQ(meshes->GetPolygonCount(face), 0);
    }
    for (int pid : pids) EXPECT_FALSE(meshes->GetMeshEntry(pid));
    for (EDGE* edge : vyrtest::Edges(block.get())) {
        const CDmRefCountPtrTempl<CVyrPolylineEntry> polyline = meshes->GetPolylineEntry(edge);
        ASSERT_TRUE(polyline);
        const float* points = nullptr;
        EXPECT_EQ(polyline->GetPoints(points), 2);
    }
    // Nothing is faceted while meshes are off.
    RecordingInterface other;
    EXPECT_EQ(other.FacetEntity(block.get(), 0, true), 0);
    EXPECT_TRUE(other.runs.empty());

    CDsManager::GetInstance()->SetFlag(1, false);
    for (int pid : pids) EXPECT_TRUE(meshes->GetMeshEntry(pid));
}

TEST_F(VyrMeshInterfaceFacetingTest, AfterFacetingConesGetTheirApexAndFacesTheirFlags)
{
    vyrtest::BodyPtr cone(make_cone(SPAposition(1, 2, 3), SPAvector(0, 0, 1), 2.0, 0.0, 5.0));
    vyrtest::BodyPtr cylinder(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 1.0, 2.0));
    CVyrMeshInterface meshes;
    ASSERT_EQ(meshes.FacetEntity(cone.get(), 0, true), 0);
    ASSERT_EQ(meshes.FacetEntity(cylinder.get(), 0, true), 0);
    int apexes = 0;
    for (FACE* face : vyrtest::Faces(cone.get())) {
        CVyrIndexedMesh* mesh = meshes.GetMeshEntry(face)->GetMesh();
        ASSERT_NE(mesh, nullptr);
        if (is_planar_face(face)) {
            EXPECT_EQ(mesh->GetPlanarFlag(), 1);
            EXPECT_EQ(mesh->GetApexPosition(), nullptr);
        } else if (mesh->GetApexPosition()) {
            ++apexes;
            EXPECT_LT((*mesh->GetApexPosition() - SPAposition(1, 2, 8)).len(), 1e-6);
        }
    }
    EXPECT_EQ(apexes, 1);
    for (FACE* face : vyrtest::Faces(cylinder.get())) {
        EXPECT_EQ(meshes.GetMeshEntry(face)->GetMesh()->GetApexPosition(), nullptr);
        EXPECT_EQ(meshes.GetMeshEntry(face)->GetMesh()->GetPlanarFlag(), is_planar_face(face) ? 1 : 0);
    }

    // Flipping twice puts the reverse flag back; the box covers both bodies.
    FACE* first = vyrtest::Faces(cone.get())[0];
    meshes.FlipMeshNormals(first);
    EXPECT_EQ(meshes.GetMeshEntry(first)->GetMesh()->GetReverseFlag(), 1);
    meshes.FlipMeshNormals(first);
    EXPECT_EQ(meshes.GetMeshEntry(first)->GetMesh()->GetReverseFlag(), 0);
    meshes.FlipMeshNormals(nullptr);
    const SPAbox box = meshes.GetBox(SPAtransf());
    EXPECT_NEAR(box.low().x(), -1.0, 0.05);
    EXPECT_NEAR(box.high().z(), 8.0, 1e-6);
}
