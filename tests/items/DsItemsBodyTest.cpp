// The body and face groups without OpenGL: what a sketched block becomes (face and edge items
// with their meshes and polylines, found by entity in the context's item map), wire bodies,
// detaching and attaching by persistent id, removing faces and edges, the mesh entries released
// exactly once, what a face's new entity replaces, display curves and silhouettes, the section
// state, transformations and boxes, select-all, the type tests, edge lists and statistics, and bad
// input.
#include "BodyTestSupport.h"

#include "DsEdgeData.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemEdge.h"
#include "DsItemSilhouette.h"
#include "DsItemsMap.h"
#include "DsPickProccessor.h"
#include "DsQueryIDInt.h"
#include "DsSelectAllData.h"
#include "DsStatisticsItems.h"
#include "DsTypeMask.h"
#include "VyrIndexedMesh.h"

#include "EntityDeleter.h"
#include "EntityLists.h"
#include "GmPosition.h"
#include "SpaBuilders.h"
#include "SpaExtras.h"
#include "SpaFilters.h"
#include "VyrAcisExt.h"
#include "VyrAttManager.h"

#include "VyrComplexSection.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using vyrtest::BodyPtr;
using vyrtest::FaceItem;
using vyrtest::MakeBodyItem;
using vyrtest::References;

namespace {

class DsItemsBodyTest : public ::testing::Test {
protected:
    vyrtest::BodyStateGuard state_;
    CDsGlContext context_;
};

// The id service of the modeler, except for the entities given another id.
class RedirectedPids : public CDsQueryIDInt {
public:
    RedirectedPids() { StSetActiveQueryIDInt(this); }
    int QueryPID(ENTITY* entity) override
    {
        const auto found = redirected.find(entity);
        return found != redirected.end() ? found->second : CDsQueryIDInt::QueryPID(entity);
    }
    std::map<ENTITY*, int> redirected;
};

void ExpectBox(const CDsBox& box, float x0, float y0, float z0, float x1, float y1, float z1)
{
    EXPECT_NEAR(box.GetMin()[0], x0, 1e-4);
    EXPECT_NEAR(box.GetMin()[1], y0, 1e-4);
    EXPECT_NEAR(box.GetMin()[2], z0, 1e-4);
    EXPECT_NEAR(box.GetMax()[0], x1, 1e-4);
    EXPECT_NEAR(box.GetMax()[1], y1, 1e-4);
    EXPECT_NEAR(box.GetMax()[2], z1, 1e-4);
}

}  // namespace

TEST_F(DsItemsBodyTest, ABlockBecomesSixFaceItemsAndTwelveEdgeItemsFoundByEntity)
{
    BodyPtr block(make_block(-5, -5, -5, 5, 5, 5));
    auto body = MakeBodyItem(block.get(), &context_);
    EXPECT_EQ(body->GetItemType(), eDsItemsBody);
    ASSERT_EQ(body->FacesCount(), 6);
    ASSERT_EQ(body->EdgesCount(), 12);
    EXPECT_FALSE(body->HasNoFaces());
    EXPECT_FALSE(body->GetOnTopFlag());
    ExpectBox(body->GetBodyBox(), -5, -5, -5, 5, 5, 5);

    CDsItemsMap* map = context_.GetItemsMap();
    EXPECT_EQ(map->Find(block.get()), body.get());
    EXPECT_EQ(body->FindDsItem(block.get()), body.get());
    for (FACE* face : vyrtest::Faces(block.get())) {
        CDsItemsFace* item = FaceItem(*body, face);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetItemType(), eDsItemsFace);
        EXPECT_EQ(map->Find(face), item);
        EXPECT_EQ(item->GetParent(), body.get());
        EXPECT_EQ(item->GetGlContext(), &context_);
        // The face holds the interface's entry for its FACE, with a mesh of triangles.
        ASSERT_NE(item->GetMesh(), nullptr);
        EXPECT_EQ(item->GetMeshEntry(), body->GetMeshInterface()->GetMeshEntry(face).get());
        EXPECT_GT(item->GetMesh()->get_num_polygon(), 0);
        ASSERT_NE(item->GetMaterialRecord(), nullptr);
        EXPECT_EQ(item->GetMaterialRecord()->sides, 1);
        EXPECT_EQ(item->GetSilhouette(), nullptr);  // planar
    }
    for (EDGE* edge : vyrtest::Edges(block.get())) {
        auto* item = dynamic_cast<CDsItemEdge*>(body->FindDsItem(edge));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(map->Find(edge), item);
        EXPECT_EQ(item->GetPolylineEntry(), body->GetMeshInterface()->GetPolylineEntry(edge).get());
        EXPECT_NE(item->GetPolylineEntry(), nullptr);
        EXPECT_FALSE(item->GetOnTopFlag());
        // Every edge is shown (its faces are) and shaded like its faces.
        EXPECT_FALSE(item->IsHidden());
        EXPECT_EQ(item->GetRenderMode(), eRenderShade);
    }
    // Two faces of the block meet at every edge; the polylines run along the block's edges.
    CGmPosition low, high;
    ASSERT_TRUE(body->GetBox(low, high, false));
    EXPECT_NEAR(low.x(), -5, 1e-5);
    EXPECT_NEAR(high.z(), 5, 1e-5);

    // Gone with the body: nothing of it stays in the item map.
    const std::vector<FACE*> faces = vyrtest::Faces(block.get());
    body.reset();
    for (FACE* face : faces) EXPECT_EQ(map->Find(face), nullptr);
    for (EDGE* edge : vyrtest::Edges(block.get())) EXPECT_EQ(map->Find(edge), nullptr);
}

TEST_F(DsItemsBodyTest, AWireBodyDrawsItsEdgesOnTopAndTakesItsBoxFromThem)
{
    const SPAposition points[] = {SPAposition(0, 0, 0), SPAposition(4, 0, 0), SPAposition(4, 3, 1)};
    BodyPtr wire(make_wire_body(points, 3));
    auto body = MakeBodyItem(wire.get(), &context_);
    EXPECT_EQ(body->FacesCount(), 0);
    ASSERT_EQ(body->EdgesCount(), 2);
    EXPECT_TRUE(body->HasNoFaces());
    EXPECT_TRUE(body->GetOnTopFlag());
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(body->GetEdgeItem(i)->GetOnTopFlag());
    ExpectBox(body->GetBodyBox(), 0, 0, 0, 4, 3, 1);
}

TEST_F(DsItemsBodyTest, DetachAndAttachRebindEveryItemToTheEntitiesOfTheSamePersistentIds)
{
    const vyrtest::EntityTypes types;
    CDsManager::GetInstance()->SetType(&types);
    BodyPtr first(make_block(0, 0, 0, 2, 3, 4));
    auto body = MakeBodyItem(first.get(), &context_);
    CDsItemsMap* map = context_.GetItemsMap();
    const std::vector<FACE*> oldFaces = vyrtest::Faces(first.get());
    const std::vector<EDGE*> oldEdges = vyrtest::Edges(first.get());
    std::vector<CDsItemBase*> faceItems, edgeItems;
    for (FACE* face : oldFaces) faceItems.push_back(body->FindDsItem(face));
    for (EDGE* edge : oldEdges) edgeItems.push_back(body->FindDsItem(edge));

    body->DetachEntity(3);
    EXPECT_EQ(body->GetEntity(), nullptr);
    EXPECT_EQ(body->GetComponentId(), 3);
    for (CDsItemBase* item : faceItems) EXPECT_EQ(item->GetEntity(), nullptr);
    for (CDsItemBase* item : edgeItems) EXPECT_EQ(item->GetEntity(), nullptr);
    for (FACE* face : oldFaces) EXPECT_EQ(map->Find(face), nullptr);

    // The reloaded model: a copy whose entities carry the ids of the first (one face excepted).
    BodyPtr second(copy_body(first.get()));
    ASSERT_NE(second, nullptr);
    CVyrAttManager* ids = CVyrAttManager::GetVyrAttManager();
    const std::vector<FACE*> newFaces = vyrtest::Faces(second.get());
    const std::vector<EDGE*> newEdges = vyrtest::Edges(second.get());
    ASSERT_EQ(newFaces.size(), oldFaces.size());
    ASSERT_EQ(newEdges.size(), oldEdges.size());
    const int bodyPid = body->GetEntityPid();
    ASSERT_TRUE(ids->SetPid(second.get(), bodyPid));
    for (size_t i = 1; i < newFaces.size(); ++i) ASSERT_TRUE(ids->SetPid(newFaces[i], faceItems[i]->GetEntityPid()));
    for (size_t i = 0; i < newEdges.size(); ++i) ASSERT_TRUE(ids->SetPid(newEdges[i], edgeItems[i]->GetEntityPid()));

    // Another component id or an entity that is no body is refused.
    EXPECT_FALSE(body->AttachEntity(second.get(), 4, bodyPid));
    EXPECT_FALSE(body->AttachEntity(newFaces[1], 3, bodyPid));
    EXPECT_EQ(body->GetEntity(), nullptr);

    ASSERT_TRUE(body->AttachEntity(second.get(), 3, bodyPid));
    EXPECT_EQ(body->GetEntity(), second.get());
    EXPECT_EQ(body->GetType(), 7);
    // The face whose id is new stays unbound; every other item shows its new entity.
    EXPECT_EQ(faceItems[0]->GetEntity(), nullptr);
    for (size_t i = 1; i < newFaces.size(); ++i) {
        EXPECT_EQ(faceItems[i]->GetEntity(), newFaces[i]);
        EXPECT_EQ(map->Find(newFaces[i]), faceItems[i]);
    }
    for (size_t i = 0; i < newEdges.size(); ++i) {
        EXPECT_EQ(edgeItems[i]->GetEntity(), newEdges[i]);
        EXPECT_EQ(map->Find(newEdges[i]), edgeItems[i]);
    }
    EXPECT_EQ(body->FindDsItem(newFaces[2]), faceItems[2]);
}

TEST_F(DsItemsBodyTest, RemovingAFaceOrEdgeForgetsItsOwnItemWhateverIdItsEntityAnswersNow)
{
    const vyrtest::EntityTypes types;
    CDsManager::GetInstance()->SetType(&types);
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    auto body = MakeBodyItem(block.get(), &context_);
    body->CompletePartialChangeUpdates(true);  // the edges draw through their faces now
    const std::vector<FACE*> faces = vyrtest::Faces(block.get());
    const std::vector<EDGE*> edges = vyrtest::Edges(block.get());
    CDsItemBase* removedFace = body->FindDsItem(faces[0]);
    CDsItemBase* keptFace = body->FindDsItem(faces[1]);
    CDsItemBase* keptEdge = body->FindDsItem(edges[1]);

    // The entities now answer the ids of other items (a renumbered model).
    {
        RedirectedPids pids;
        pids.redirected[faces[0]] = keptFace->GetEntityPid();
        pids.redirected[edges[0]] = keptEdge->GetEntityPid();
        body->RemoveFace(faces[0]);
        body->RemoveEdge(edges[0]);
    }
    EXPECT_EQ(body->FacesCount(), 5);
    EXPECT_EQ(body->EdgesCount(), 11);
    EXPECT_EQ(body->FindDsItem(faces[0]), nullptr);
    EXPECT_EQ(context_.GetItemsMap()->Find(faces[0]), nullptr);
    // No edge draws through the face that went.
    for (int i = 0; i < body->EdgesCount(); ++i) {
        EXPECT_NE(body->GetEdgeItem(i)->GetAdjacentFaceItem(0), removedFace);
        EXPECT_NE(body->GetEdgeItem(i)->GetAdjacentFaceItem(1), removedFace);
    }

    // The other items keep their places: detached and attached again, they are bound once more,
    // and nothing reaches the items that went.
    const int bodyPid = body->GetEntityPid();
    body->DetachEntity(0);
    ASSERT_TRUE(body->AttachEntity(block.get(), 0, bodyPid));
    EXPECT_EQ(keptFace->GetEntity(), faces[1]);
    EXPECT_EQ(keptEdge->GetEntity(), edges[1]);
    for (int i = 0; i < body->FacesCount(); ++i) EXPECT_NE(body->GetFaceItem(i)->GetEntity(), nullptr);
    for (int i = 0; i < body->EdgesCount(); ++i) EXPECT_NE(body->GetEdgeItem(i)->GetEntity(), nullptr);

    // Removing what was never added changes nothing; a FACE without an item still loses its id.
    BodyPtr other(make_block(3, 3, 3, 4, 4, 4));
    body->RemoveFace(vyrtest::Faces(other.get())[0]);
    body->RemoveEdge(vyrtest::Edges(other.get())[0]);
    body->RemoveFace(nullptr);
    body->RemoveEdge(nullptr);
    EXPECT_EQ(body->FacesCount(), 5);
    EXPECT_EQ(body->EdgesCount(), 11);
    body->DetachEntity(0);
    body->RemoveFace(faces[1]);  // detached: no item shows it, its id is forgotten
    ASSERT_TRUE(body->AttachEntity(block.get(), 0, bodyPid));
    EXPECT_EQ(keptFace->GetEntity(), nullptr);
    EXPECT_EQ(body->FacesCount(), 5);
}

TEST_F(DsItemsBodyTest, EachMeshEntryIsReleasedOnceWhenTheBodyGoes)
{
    BodyPtr block(make_block(0, 0, 0, 1, 2, 3));
    auto body = MakeBodyItem(block.get(), &context_);
    std::vector<CDmRefCountPtrTempl<CVyrMeshEntry>> held;
    std::vector<CDmRefCountPtrTempl<CVyrPolylineEntry>> polylines;
    for (FACE* face : vyrtest::Faces(block.get())) held.push_back(body->GetMeshInterface()->GetMeshEntry(face));
    for (EDGE* edge : vyrtest::Edges(block.get()))
        polylines.push_back(body->GetMeshInterface()->GetPolylineEntry(edge));
    for (const auto& entry : held) {
        ASSERT_TRUE(entry);
        EXPECT_EQ(References(entry.get()), 3);  // the interface, the face item and the test
    }
    body.reset();
    for (const auto& entry : held) {
        EXPECT_EQ(References(entry.get()), 1);  // the test's own, and the mesh still there
        EXPECT_NE(entry->GetMesh(), nullptr);
    }
    for (const auto& entry : polylines) EXPECT_EQ(References(entry.get()), 1);
}

TEST_F(DsItemsBodyTest, AFaceGivenAnotherEntityReleasesWhatItHeldForTheOldOne)
{
    BodyPtr cone(make_cone(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2, 0, 3));
    BodyPtr block(make_block(5, 0, 0, 6, 1, 1));
    FACE* base = vyrtest::FaceAtHeight(cone.get(), 0);
    ASSERT_NE(base, nullptr);
    FACE* mantle = nullptr;
    for (FACE* face : vyrtest::Faces(cone.get()))
        if (is_conical_face(face)) mantle = face;
    ASSERT_NE(mantle, nullptr);
    CVyrAttManager::GetVyrAttManager()->SetDispCurves(mantle, 2, 2);

    auto body = MakeBodyItem(cone.get(), &context_);
    CDsItemsFace* item = FaceItem(*body, mantle);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->GetSilhouette(), nullptr);
    ASSERT_NE(item->GetDisplayCurves(), nullptr);
    ASSERT_NE(item->GetMaterialRecord(), nullptr);
    CDmRefCountPtrTempl<CVyrMeshEntry> old = body->GetMeshInterface()->GetMeshEntry(mantle);
    ASSERT_EQ(item->GetMeshEntry(), old.get());
    ASSERT_EQ(References(old.get()), 3);

    // The base of the cone: no silhouette, no display curves, no material record until coloured;
    // the old entry loses the face's reference, the base's entry gains one.
    item->SetEntity(base);
    EXPECT_EQ(References(old.get()), 2);
    EXPECT_EQ(item->GetSilhouette(), nullptr);
    EXPECT_EQ(item->GetDisplayCurves(), nullptr);
    EXPECT_EQ(item->GetEdgeDataCount(), 0);
    EXPECT_EQ(item->GetMaterialRecord(), nullptr);
    EXPECT_EQ(item->GetMeshEntry(), body->GetMeshInterface()->GetMeshEntry(base).get());
    item->SetColor(CDsColorStorage(1, 2, 3), false);
    EXPECT_NE(item->GetMaterialRecord(), nullptr);

    // A FACE of another body has no entry in this body's interface; nothing shown at all holds none.
    item->SetEntity(vyrtest::Faces(block.get())[0]);
    EXPECT_EQ(item->GetMeshEntry(), nullptr);
    item->SetEntity(mantle);
    EXPECT_EQ(References(old.get()), 3);
    item->SetEntity(nullptr);
    EXPECT_EQ(References(old.get()), 2);
    EXPECT_EQ(item->GetSilhouette(), nullptr);
}

TEST_F(DsItemsBodyTest, DisplayCurvesFollowTheFacesAttributeAndFreeTheirIsolines)
{
    BodyPtr block(make_block(-5, -5, -5, 5, 5, 5));
    FACE* top = vyrtest::FaceAtHeight(block.get(), 5);
    ASSERT_NE(top, nullptr);
    CVyrAttManager* attributes = CVyrAttManager::GetVyrAttManager();
    attributes->SetDispCurves(top, 2, 3);
    auto body = MakeBodyItem(block.get(), &context_);
    CDsItemsFace* item = FaceItem(*body, top);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->GetDisplayCurves(), nullptr);
    EXPECT_EQ(item->GetDisplayCurves()->Count(), 5);
    ASSERT_EQ(item->GetEdgeDataCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const CDsEdgeData* data = item->GetEdgeData(i);
        ASSERT_NE(data, nullptr);
        EXPECT_FALSE(data->GetRange().empty());
    }
    EXPECT_EQ(item->GetEdgeData(5), nullptr);
    // The other faces have none.
    EXPECT_EQ(FaceItem(*body, vyrtest::FaceAtHeight(block.get(), -5))->GetDisplayCurves(), nullptr);

    attributes->SetDispCurves(top, 1, 0);
    item->UpdateDisplayCurves();
    ASSERT_NE(item->GetDisplayCurves(), nullptr);
    EXPECT_EQ(item->GetDisplayCurves()->Count(), 1);
    EXPECT_EQ(item->GetEdgeDataCount(), 1);

    attributes->SetDispCurves(top, 0, 0);
    item->UpdateDisplayCurves();
    EXPECT_EQ(item->GetDisplayCurves(), nullptr);
    EXPECT_EQ(item->GetEdgeDataCount(), 0);
}

TEST_F(DsItemsBodyTest, CurvedFacesGetSilhouettesAndAConeMarksItsBody)
{
    BodyPtr cone(make_cone(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2, 0, 3));
    BodyPtr cylinder(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 1, 2));
    BodyPtr sphere(make_sphere(SPAposition(0, 0, 0), 1));
    auto coneBody = MakeBodyItem(cone.get(), &context_);
    auto cylinderBody = MakeBodyItem(cylinder.get(), &context_);
    auto sphereBody = MakeBodyItem(sphere.get(), &context_);

    EXPECT_TRUE(coneBody->IsBodyConicalFaceOwner());
    EXPECT_FALSE(cylinderBody->IsBodyConicalFaceOwner());
    EXPECT_FALSE(sphereBody->IsBodyConicalFaceOwner());
    for (CDsItemsBody* body : {coneBody.get(), cylinderBody.get()}) {
        for (int i = 0; i < body->FacesCount(); ++i) {
            CDsItemsFace* face = body->GetFaceItem(i);
            if (is_planar_face(face->GetEntity())) {
                EXPECT_EQ(face->GetSilhouette(), nullptr);
            } else {
                ASSERT_NE(face->GetSilhouette(), nullptr);
                EXPECT_EQ(face->GetSilhouette()->GetSurfaceKind(), CDsItemSilhouette::eSurfaceCone);
                EXPECT_EQ(face->GetSilhouette()->GetItemType(), eDsItemSilhouette);
                EXPECT_EQ(face->GetSilhouette()->GetParent(), face);
                EXPECT_EQ(face->GetSilhouette()->PickSilhouette(), 0);  // outlines are never picked
            }
        }
    }
    ASSERT_GE(sphereBody->FacesCount(), 1);
    ASSERT_NE(sphereBody->GetFaceItem(0)->GetSilhouette(), nullptr);
    EXPECT_EQ(sphereBody->GetFaceItem(0)->GetSilhouette()->GetSurfaceKind(), CDsItemSilhouette::eSurfaceSphere);
}

TEST_F(DsItemsBodyTest, TheSectionStateIsMixedOnceAFaceIsHiddenMovedOrSeeThrough)
{
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    auto body = MakeBodyItem(block.get(), &context_);
    EXPECT_EQ(body->GetSectionState(), 0);
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 2);

    CDsItemsFace* face = body->GetFaceItem(2);
    face->SetTransparency(0.5f);
    EXPECT_EQ(body->GetSectionState(), 0);
    body->CompletePartialChangeUpdates(false);
    EXPECT_EQ(body->GetSectionState(), 1);
    face->SetTransparency(1.0f);
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 2);

    // A transformation of its own: set clears the state, multiplied keeps it.
    SPAtransf lift = translate_transf(SPAvector(0, 0, 1));
    face->MultiplyTransformation(lift);
    EXPECT_EQ(body->GetSectionState(), 2);
    face->SetTransformation(lift);
    EXPECT_EQ(body->GetSectionState(), 0);
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 1);
    body->ResetFaceTransformations();
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 2);

    // Hidden by its hide level.
    face->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    EXPECT_EQ(body->GetSectionState(), 0);
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 1);
}

TEST_F(DsItemsBodyTest, ABodyTheSectionPlaneCutsIsMixed)
{
    BodyPtr block(make_block(0, 0, 0, 2, 2, 2));
    auto body = MakeBodyItem(block.get(), &context_);
    // A plane through the block: its box's corners lie on two sides.
    context_.GetScene()->SetSection(SPAposition(1, 0, 0), SPAvector(1, 0, 0));
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 1);
    // Beside the block, either way round: uniform.
    context_.GetScene()->SetSection(SPAposition(5, 0, 0), SPAvector(1, 0, 0));
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 2);
    context_.GetScene()->FlipSection();
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 2);
    // A stepped section has no single plane: the faces alone decide.
    context_.GetScene()->ResetSection();
    auto* stepped = new CVyrComplexSection;
    stepped->m_vertices = {SPAposition(1, -5, 0), SPAposition(1, 5, 0)};
    stepped->m_normals = {SPAvector(1, 0, 0)};
    context_.GetScene()->SetComplexSection(stepped);
    body->ComputeSectionState();
    EXPECT_EQ(body->GetSectionState(), 2);
}

TEST_F(DsItemsBodyTest, TransformationsRebuildTheBoxesOfTheBodyAndItsFaces)
{
    BodyPtr block(make_block(0, 0, 0, 2, 2, 2));
    auto body = MakeBodyItem(block.get(), &context_);
    body->Transform(translate_transf(SPAvector(10, 0, 0)));
    ExpectBox(body->GetBodyBox(), 10, 0, 0, 12, 2, 2);
    body->MultiplyTransformation(translate_transf(SPAvector(0, 0, -5)));
    ExpectBox(body->GetBodyBox(), 10, 0, -5, 12, 2, -3);

    // A face moved by itself: the face's box follows, the body's is rebuilt on demand.
    FACE* top = vyrtest::FaceAtHeight(block.get(), 2);
    CDsItemsFace* face = FaceItem(*body, top);
    face->SetTransformation(translate_transf(SPAvector(0, 0, 1)));
    EXPECT_TRUE(body->GetBodyBox().IsNotComputed());
    CDsBox box;
    body->ExpandBox(box, nullptr);
    ExpectBox(box, 10, 0, -5, 12, 2, -2);
    CGmPosition low, high;
    ASSERT_TRUE(face->GetBox(low, high, false));
    EXPECT_NEAR(low.z(), 3, 1e-5);
    EXPECT_NEAR(high.z(), 3, 1e-5);

    body->ResetFaceTransformations();
    EXPECT_TRUE(body->GetBodyBox().IsNotComputed());
    CDsBox again;
    body->ExpandBox(again, nullptr);
    ExpectBox(again, 10, 0, -5, 12, 2, -3);

    // A body whose modeler body is placed starts under that placement.
    BodyPtr placed(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_TRUE(set_body_transform(placed.get(), translate_transf(SPAvector(0, 4, 0))).ok());
    auto placedBody = MakeBodyItem(placed.get(), &context_);
    EXPECT_TRUE(placedBody->HasTransformation());
    ExpectBox(placedBody->GetBodyBox(), 0, 4, 0, 1, 5, 1);
    // Asked for with or without its transformation, a body answers the box where it is drawn:
    // its box already carries the placement, which must not be applied a second time.
    for (bool transformed : {true, false}) {
        CGmPosition at, to;
        ASSERT_TRUE(placedBody->GetBox(at, to, transformed));
        EXPECT_NEAR(at.y(), 4, 1e-5) << transformed;
        EXPECT_NEAR(to.y(), 5, 1e-5) << transformed;
        ASSERT_TRUE(body->GetBox(at, to, transformed));
        EXPECT_NEAR(at.x(), 10, 1e-5) << transformed;
        EXPECT_NEAR(to.z(), -3, 1e-5) << transformed;
    }
}

TEST_F(DsItemsBodyTest, SelectAllAnswersTheBodyOrItsShownFaces)
{
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    auto body = MakeBodyItem(block.get(), &context_);
    entity_filter* bodies = new entity_test_filter(is_BODY);
    entity_filter* faces = new entity_test_filter(is_FACE);
    {
        CDsSelectAllData whole(0, bodies, nullptr, false);
        ENTITY_LIST list;
        body->SelectAll(whole, list);
        ASSERT_EQ(list.count(), 1);
        EXPECT_EQ(list[0], block.get());
    }
    {
        CDsSelectAllData parts(0, faces, nullptr, true);
        ENTITY_LIST list;
        body->GetFaceItem(0)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
        body->SelectAll(parts, list);
        EXPECT_EQ(list.count(), 5);
        EXPECT_EQ(list.lookup(body->GetFaceItem(0)->GetEntity()), -1);
    }
    {
        // Every face hidden: the whole body is not offered; a body that is not pickable neither.
        for (int i = 0; i < body->FacesCount(); ++i)
            body->GetFaceItem(i)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
        CDsSelectAllData whole(0, bodies, nullptr, false);
        ENTITY_LIST list;
        body->SelectAll(whole, list);
        EXPECT_EQ(list.count(), 0);
    }
    BodyPtr locked(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_TRUE(VyrAcisExt::SetEntityPickable(locked.get(), false));
    auto lockedBody = MakeBodyItem(locked.get(), &context_);
    EXPECT_TRUE(lockedBody->GetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kNotPickableFlag)));
    EXPECT_FALSE(lockedBody->IsPickAvailable(nullptr, false, true));
    context_.SetPickProccessorFlag(eDsPickStateNotPickableItems, true);
    EXPECT_TRUE(lockedBody->IsPickAvailable(nullptr, false, true));
    context_.SetPickProccessorFlag(eDsPickStateNotPickableItems, false);
    {
        CDsSelectAllData whole(0, bodies, nullptr, false);
        ENTITY_LIST list;
        lockedBody->SelectAll(whole, list);
        EXPECT_EQ(list.count(), 0);
    }
    bodies->lose();
    faces->lose();
}

TEST_F(DsItemsBodyTest, BadInputGetsNeutralAnswers)
{
    // No entity, or an entity that is no body: no groups, nothing to add, draw or pick; the mesh
    // interface given is still the body's to delete.
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    for (ENTITY* entity : {static_cast<ENTITY*>(nullptr), static_cast<ENTITY*>(vyrtest::Faces(block.get())[0])}) {
        CDsItemsBody body(entity, &context_, new CVyrMeshInterface);
        EXPECT_EQ(body.Count(), 0);
        EXPECT_EQ(body.FacesCount(), 0);
        EXPECT_EQ(body.EdgesCount(), 0);
        EXPECT_EQ(body.AddFace(vyrtest::Faces(block.get())[0]), nullptr);
        EXPECT_EQ(body.AddEdge(vyrtest::Edges(block.get())[0]), nullptr);
        body.RemoveFace(vyrtest::Faces(block.get())[0]);
        body.ReFacetBody();
        body.OpenGlPick(nullptr);
        body.CompletePartialChangeUpdates(true);
        CGmPosition low, high;
        EXPECT_FALSE(body.GetBox(low, high, true));
        EXPECT_EQ(body.GetFaceItem(0), nullptr);
    }
    // A body without a mesh interface has items that draw nothing of their own.
    CDsItemsBody bare(block.get(), &context_, nullptr);
    EXPECT_EQ(bare.FacesCount(), 6);
    EXPECT_EQ(bare.GetFaceItem(0)->GetMesh(), nullptr);
    EXPECT_EQ(bare.GetEdgeItem(0)->GetPolylineEntry(), nullptr);
    EXPECT_TRUE(bare.GetBodyBox().IsNotComputed());
    EXPECT_EQ(bare.AddFace(nullptr), nullptr);
    EXPECT_EQ(bare.AddEdge(nullptr), nullptr);
    EXPECT_EQ(bare.FacesCount(), 6);
    int count = -1;
    EXPECT_EQ(bare.GetEdgePolyline(nullptr, count, nullptr), nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(DsItemsBodyTest, TheGroupQueriesOfABodyAnswerForItsFacesAndEdges)
{
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    auto body = MakeBodyItem(block.get(), &context_);
    CDsTypeMask faceType, edgeType, none;
    faceType.SetType(1, -1);
    edgeType.SetType(2, -1);
    EXPECT_EQ(body->TestBodyFaces(faceType), 1);
    EXPECT_EQ(body->TestBodyFaces(edgeType), 0);
    EXPECT_EQ(body->TestBodyEdges(edgeType), 1);
    EXPECT_EQ(body->TestBodyEdges(none), 0);
    EXPECT_EQ(body->TestBodyWire(faceType), 0);
    entity_filter* faces = new entity_test_filter(is_FACE);
    EXPECT_NE(body->TestBodyFaces(faces), 0);
    EXPECT_EQ(body->TestBodyEdges(faces), 0);
    faces->lose();

    // The edge items of listed entities, in list order; the marked ones among all.
    const std::vector<EDGE*> edges = vyrtest::Edges(block.get());
    ENTITY_LIST list;
    list.add(edges[3]);
    list.add(vyrtest::Faces(block.get())[0]);
    list.add(edges[1]);
    std::vector<CDsItemEdge*> found;
    body->GetDsEdges(list, found);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], body->FindDsItem(edges[3]));
    EXPECT_EQ(found[1], body->FindDsItem(edges[1]));
    found.clear();
    body->GetDsEdgesOnTop(found);
    EXPECT_TRUE(found.empty());
    body->FindDsItem(edges[2])->SetVisibility(eVisibilityMark, true, false, nullptr);
    body->GetDsEdgesOnTop(found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], body->FindDsItem(edges[2]));

    ENTITY_LIST descendents;
    body->GetDisplayDescendents(true, true, descendents);
    EXPECT_EQ(descendents.count(), 18);

    // The statistics count the face items with their meshes.
    CDsStatisticsItems statistics;
    body->CountStatistics(&statistics);
    int count = 0, hidden = 0;
    statistics.GetStatistics(eDsItemsFace, count, hidden);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(statistics.GetStatistics(eDsPrimitivePolygons), body->GetMeshInterface()->ComputeNumOfTriangles());
    statistics.GetStatistics(eDsItemEdge, count, hidden);
    EXPECT_EQ(count, 12);

    // An edge's points under the body's placement.
    body->Transform(translate_transf(SPAvector(0, 0, 10)));
    int points = 0;
    std::unique_ptr<CGmPosition[]> polyline(body->GetEdgePolyline(edges[0], points, nullptr));
    ASSERT_EQ(points, 2);
    EXPECT_GE(polyline[0].z(), 10 - 1e-6);

    // A wire body answers by its own type and its shown edges' types.
    const vyrtest::EntityTypes types;
    CDsManager::GetInstance()->SetType(&types);
    const SPAposition ends[] = {SPAposition(0, 0, 0), SPAposition(1, 0, 0)};
    BodyPtr wire(make_wire_body(ends, 2));
    auto wireBody = MakeBodyItem(wire.get(), &context_);
    CDsTypeMask seven;
    seven.SetType(7, -1);
    EXPECT_EQ(wireBody->TestBodyWire(seven), 1);
    EXPECT_EQ(wireBody->TestBodyWire(faceType), 0);
    EXPECT_EQ(wireBody->TestBodyEdges(seven), 1);
    EXPECT_EQ(wireBody->TestBodyFaces(faceType), 0);
    wireBody->GetEdgeItem(0)->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    EXPECT_EQ(wireBody->TestBodyEdges(seven), 0);
}
