// The edge item without OpenGL: what binding an EDGE gives it (reference point, elliptical and
// free-edge flags), its share of the polyline entry, the points and boxes it reports under its
// body's placement, statistics, widths, hide levels and render modes taken from its faces, and the
// record of its adjacent face items.
#include "DsAttribute.h"
#include "DsBox.h"
#include "DsGlContext.h"
#include "DsHideLevel.h"
#include "DsItemEdge.h"
#include "DsRefPoint.h"
#include "DsStatisticsItems.h"
#include "EdgeTestDoubles.h"

#include "EntityLists.h"
#include "SpaBuilders.h"

#include <gtest/gtest.h>

#include <memory>

using vyrtest::BodyPtr;
using vyrtest::CircleEdge;
using vyrtest::EntityPtr;
using vyrtest::StraightEdge;
using vyrtest::FakeBody;

namespace {

class DsItemEdgeTest : public ::testing::Test {
protected:
    vyrtest::StablePids pids_;
};

void ExpectNear(const SPAposition& actual, const SPAposition& expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-5);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-5);
    EXPECT_NEAR(actual.z(), expected.z(), 1e-5);
}

// The reference count of an entry: one reference taken and given back.
int References(CVyrPolylineEntry* entry)
{
    entry->AddRef();
    return entry->Release();
}

}  // namespace

TEST_F(DsItemEdgeTest, BindingAnEdgeMakesItsReferencePointAndFlags)
{
    EntityPtr line = StraightEdge(SPAposition(0, 0, 0), SPAposition(4, 0, 0));
    EntityPtr circle = CircleEdge(SPAposition(0, 0, 0), 2);
    CDsItemEdge item;
    EXPECT_EQ(item.GetItemType(), eDsItemEdge);
    EXPECT_EQ(item.GetRefPoint(), nullptr);

    item.SetEntity(circle.get());
    ASSERT_NE(item.GetRefPoint(), nullptr);
    EXPECT_EQ(item.GetRefPoint()->GetReferenceEntity(), circle.get());
    EXPECT_EQ(item.GetRefPoint()->GetItemEdge(), &item);
    EXPECT_TRUE(item.IsElliptical());
    EXPECT_FALSE(item.IsFreeEdge());  // no owner with faces

    // Another EDGE: a new reference point, and a straight edge is no longer elliptical.
    item.SetEntity(line.get());
    EXPECT_EQ(item.GetRefPoint()->GetReferenceEntity(), line.get());
    EXPECT_FALSE(item.IsElliptical());

    // Detached, the point goes; attached again under the same id, a new one names the item.
    const int pid = item.GetEntityPid();
    ASSERT_GT(pid, 0);
    item.DetachEntity(0);
    EXPECT_EQ(item.GetRefPoint(), nullptr);
    EXPECT_EQ(item.GetEntity(), nullptr);
    EXPECT_FALSE(item.AttachEntity(line.get(), 0, pid + 1));
    EXPECT_EQ(item.GetRefPoint(), nullptr);
    // Without the entity-type service attaching fails; the point stays away with it.
    if (item.AttachEntity(line.get(), 0, pid)) {
        ASSERT_NE(item.GetRefPoint(), nullptr);
        EXPECT_EQ(item.GetRefPoint()->GetItemEdge(), &item);
    } else {
        EXPECT_EQ(item.GetRefPoint(), nullptr);
    }

    // Anything but an edge keeps no reference point.
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    item.SetEntity(block.get());
    EXPECT_EQ(item.GetRefPoint(), nullptr);
}

TEST_F(DsItemEdgeTest, AnEdgeBoundingOneFaceOfABodyWithFacesIsFree)
{
    // A sheet: the edges of one face of a block, seen from a body that has faces.
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    EDGE* shared = vyrtest::Edges(block.get()).front();
    EntityPtr wire = StraightEdge(SPAposition(0, 0, 0), SPAposition(1, 0, 0));
    FakeBody body;
    CDsItemEdge* sharedItem = body.AddEdge(shared);
    CDsItemEdge* wireItem = body.AddEdge(wire.get());
    EXPECT_FALSE(sharedItem->IsFreeEdge());  // two coedges
    EXPECT_FALSE(wireItem->IsFreeEdge());    // the body has no faces
    body.SetFacesCount(1);
    wireItem->SetEntity(wire.get());
    EXPECT_TRUE(wireItem->IsFreeEdge());

    // A free edge widens by the delta; any other edge keeps the default width.
    wireItem->SetWidth(2, false);
    wireItem->UpdateWidth(1);
    EXPECT_EQ(wireItem->GetWidth(), 3);
    wireItem->UpdateWidth(-1);
    EXPECT_EQ(wireItem->GetWidth(), 2);
    wireItem->UpdateWidth(7);  // 9 is no width: kept
    EXPECT_EQ(wireItem->GetWidth(), 2);
    sharedItem->SetWidth(4, false);
    sharedItem->UpdateWidth(1);
    EXPECT_EQ(sharedItem->GetWidth(), 1);
}

TEST_F(DsItemEdgeTest, TheItemHoldsOneReferenceToItsBodysPolylineEntry)
{
    EntityPtr line = StraightEdge(SPAposition(1, 2, 3), SPAposition(5, 2, 3));
    auto meshes = std::make_unique<CVyrMeshInterface>();
    vyrtest::Sketch(static_cast<EDGE*>(line.get()), *meshes);
    CVyrPolylineEntry* entry = meshes->GetPolylineEntry(line.get()).get();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(References(entry), 1);

    {
        CDsItemEdge item;
        item.SetEntity(line.get());
        EXPECT_EQ(item.GetPolylineEntry(), nullptr);  // binding gives no geometry
        item.ReconnectPolyline(meshes.get());
        EXPECT_EQ(item.GetPolylineEntry(), entry);
        EXPECT_EQ(References(entry), 2);
        item.ReconnectPolyline(meshes.get());  // again: still one reference of its own
        EXPECT_EQ(References(entry), 2);

        // The body's interface goes: the item keeps the entry alive and still reports it.
        meshes.reset();
        EXPECT_EQ(References(entry), 1);
        SPAposition start;
        EXPECT_TRUE(item.GetStartPoint(start));
        ExpectNear(start, SPAposition(1, 2, 3));

        // An interface without the edge leaves the item without an entry (the old one released).
        CVyrMeshInterface other;
        entry->AddRef();
        item.ReconnectPolyline(&other);
        EXPECT_EQ(item.GetPolylineEntry(), nullptr);
        EXPECT_EQ(References(entry), 1);
        meshes = std::make_unique<CVyrMeshInterface>();
        meshes->Add(CDmRefCountPtrTempl<CVyrPolylineEntry>(entry));
        entry->Release();
        item.ReconnectPolyline(meshes.get());
        ASSERT_EQ(References(entry), 2);

        // Clearing the references gives the item's share back too.
        item.FindAdjacentFaceItems();
        item.ClearReferences();
        EXPECT_EQ(item.GetPolylineEntry(), nullptr);
        EXPECT_FALSE(item.HasAdjacentFaceItems());
        EXPECT_EQ(References(entry), 1);
        item.ReconnectPolyline(meshes.get());
    }
    EXPECT_EQ(References(entry), 1);  // the item's destructor released its share
}

TEST_F(DsItemEdgeTest, PointsAndBoxesComeUnderTheBodysPlacement)
{
    EntityPtr line = StraightEdge(SPAposition(0, 0, 0), SPAposition(4, 0, 0));
    EntityPtr circle = CircleEdge(SPAposition(10, 0, 0), 2);
    CVyrMeshInterface meshes;
    vyrtest::Sketch(static_cast<EDGE*>(line.get()), meshes);
    vyrtest::Sketch(static_cast<EDGE*>(circle.get()), meshes);
    FakeBody body;
    CDsItemEdge* straightItem = body.AddEdge(static_cast<EDGE*>(line.get()), &meshes);
    CDsItemEdge* circleItem = body.AddEdge(static_cast<EDGE*>(circle.get()), &meshes);
    body.SetTransformation(translate_transf(SPAvector(0, 0, 5)));

    SPAposition point;
    EXPECT_TRUE(straightItem->GetStartPoint(point));
    ExpectNear(point, SPAposition(0, 0, 5));
    EXPECT_TRUE(straightItem->GetEndPoint(point));
    ExpectNear(point, SPAposition(4, 0, 5));
    EXPECT_TRUE(straightItem->GetMidPoint(point));
    ExpectNear(point, SPAposition(2, 0, 5));
    EXPECT_FALSE(straightItem->GetCenterPoint(point));
    EXPECT_TRUE(circleItem->GetCenterPoint(point));
    ExpectNear(point, SPAposition(10, 0, 5));

    // The polyline as floats (untransformed) and as positions (transformed), owned by the caller.
    int count = 0;
    std::unique_ptr<float[]> floats(straightItem->GetPoints(count, nullptr));
    ASSERT_EQ(count, 2);
    EXPECT_FLOAT_EQ(floats[3], 4.0f);
    EXPECT_FLOAT_EQ(floats[5], 0.0f);
    std::unique_ptr<CGmPosition[]> positions(straightItem->GetTransformedPolyline(count, nullptr));
    ASSERT_EQ(count, 2);
    ExpectNear(positions[1], SPAposition(4, 0, 5));
    std::unique_ptr<CGmPosition[]> ring(circleItem->GetTransformedPolyline(count, nullptr));
    ASSERT_GT(count, 10);
    for (int i = 0; i < count; ++i) {
        EXPECT_NEAR((ring[i] - SPAposition(10, 0, 5)).len(), 2.0, 1e-4);
        EXPECT_NEAR(ring[i].z(), 5.0, 1e-6);
    }

    CDsBox box;
    straightItem->ExpandBox(box, nullptr);
    EXPECT_FLOAT_EQ(box.GetMin()[0], 0.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[0], 4.0f);
    const SPAtransf up = translate_transf(SPAvector(0, 1, 0));
    CDsBox moved;
    straightItem->ExpandBox(moved, const_cast<SPAtransf*>(&up));
    EXPECT_FLOAT_EQ(moved.GetMin()[1], 1.0f);

    // Without an entry: the origin, false, no points, no box.
    CDsItemEdge bare;
    bare.SetEntity(line.get());
    point = SPAposition(7, 7, 7);
    EXPECT_FALSE(bare.GetStartPoint(point));
    ExpectNear(point, SPAposition(0, 0, 0));
    EXPECT_FALSE(bare.GetMidPoint(point));
    count = 5;
    EXPECT_EQ(bare.GetPoints(count, nullptr), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bare.GetTransformedPolyline(count, nullptr), nullptr);
    CDsBox none;
    bare.ExpandBox(none, nullptr);
    EXPECT_TRUE(none.IsNotComputed());
}

TEST_F(DsItemEdgeTest, StatisticsCountPointsSegmentsAndOnePolylineOfVisibleEdges)
{
    EntityPtr line = StraightEdge(SPAposition(0, 0, 0), SPAposition(4, 0, 0));
    CVyrMeshInterface meshes;
    vyrtest::Sketch(static_cast<EDGE*>(line.get()), meshes);
    CDsItemEdge item;
    item.SetEntity(line.get());
    item.ReconnectPolyline(&meshes);
    CDsStatisticsItems stats;
    item.CountStatistics(&stats);
    EXPECT_EQ(stats.GetStatistics(eDsPrimitivePolylinePoints), 2);
    EXPECT_EQ(stats.GetStatistics(eDsPrimitivePolylineSegments), 1);
    EXPECT_EQ(stats.GetStatistics(eDsPrimitivePolylines), 1);

    // A hidden edge counts nothing; an entry without points no negative segments.
    item.GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    item.CountStatistics(&stats);
    EXPECT_EQ(stats.GetStatistics(eDsPrimitivePolylines), 1);
    meshes.GetPolylineEntry(line.get())->SetPoints(0, static_cast<float*>(nullptr));
    item.GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);
    item.CountStatistics(&stats);
    EXPECT_EQ(stats.GetStatistics(eDsPrimitivePolylinePoints), 2);
    EXPECT_EQ(stats.GetStatistics(eDsPrimitivePolylineSegments), 1);
    EXPECT_EQ(stats.GetStatistics(eDsPrimitivePolylines), 2);
    item.CountStatistics(nullptr);
}

TEST_F(DsItemEdgeTest, HideLevelsOfEdgesWithoutFacesFollowTheirWireBody)
{
    EntityPtr line = StraightEdge(SPAposition(0, 0, 0), SPAposition(4, 0, 0));
    FakeBody wireBody;
    CDsItemEdge* edge = wireBody.AddEdge(static_cast<EDGE*>(line.get()));

    // A wire body's edge takes hide levels as any item, and showing it shows the body.
    edge->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    EXPECT_TRUE(edge->IsHidden());
    wireBody.GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    edge->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, false);
    EXPECT_FALSE(edge->IsHidden());
    EXPECT_FALSE(wireBody.IsHidden());

    // With faces, or without an owner, the edge's look follows its faces: hide levels are ignored.
    wireBody.SetFacesCount(2);
    edge->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    EXPECT_FALSE(edge->IsHidden());
    CDsItemEdge lone;
    lone.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    EXPECT_FALSE(lone.IsHidden());
    wireBody.SetFacesCount(0);

    // An edge without faces takes its owner's level, and a shown one shows its owner again.
    wireBody.GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelSpecial), true);
    edge->UpdateHideLevelFromFaces();
    EXPECT_EQ(edge->GetAttributes()->GetHideLevel().GetData(), unsigned(eDsHideLevelSpecial));
    wireBody.GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);
    edge->UpdateHideLevelFromFaces();
    EXPECT_FALSE(edge->IsHidden());
    // A hidden edge without faces stays blanked (level 2).
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelSpecial), true);
    edge->UpdateHideLevelFromFaces();
    EXPECT_EQ(edge->GetAttributes()->GetHideLevel().GetData(), unsigned(eDsHideLevelBlank));
}

TEST_F(DsItemEdgeTest, HideLevelAndRenderModeComeFromTheFaceItems)
{
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    EDGE* shared = vyrtest::Edges(block.get()).front();
    const std::vector<FACE*> faces = vyrtest::Listed<FACE>(shared, get_faces);
    ASSERT_EQ(faces.size(), 2u);
    CDsGlContext context;
    FakeBody body(&context);
    CDsItemsGroup* first = body.AddFace(faces[0], CDsColorStorage(255, 0, 0));
    CDsItemsGroup* second = body.AddFace(faces[1], CDsColorStorage(0, 0, 255));
    CDsItemEdge* edge = body.AddEdge(shared);

    // Shown while one face item is.
    first->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    edge->UpdateHideLevelFromFaces();
    EXPECT_FALSE(edge->IsHidden());
    second->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    edge->UpdateHideLevelFromFaces();
    EXPECT_TRUE(edge->IsHidden());
    first->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);
    edge->UpdateHideLevelFromFaces();
    EXPECT_FALSE(edge->IsHidden());

    // Shaded while every face item is; wireframe as soon as one is not.
    edge->UpdateRenderModeFromFaces();
    EXPECT_EQ(edge->GetRenderMode(), eRenderShade);  // new attributes are shaded
    second->SetRenderMode(eRenderWireframe);
    edge->UpdateRenderModeFromFaces();
    EXPECT_EQ(edge->GetRenderMode(), eRenderWireframe);

    // Without a context nothing is found: hidden, and the render mode untouched.
    CDsItemEdge lone;
    lone.SetEntity(shared);
    lone.UpdateHideLevelFromFaces();
    EXPECT_TRUE(lone.IsHidden());
    lone.SetRenderMode(eRenderShade);
    lone.UpdateRenderModeFromFaces();
    EXPECT_EQ(lone.GetRenderMode(), eRenderShade);
}

TEST_F(DsItemEdgeTest, TheAdjacentFaceRecordNamesTheItemsOfTheEdgesFaces)
{
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    EDGE* shared = vyrtest::Edges(block.get()).front();
    const std::vector<FACE*> faces = vyrtest::Listed<FACE>(shared, get_faces);
    ASSERT_EQ(faces.size(), 2u);
    FakeBody body;
    CDsItemEdge* edge = body.AddEdge(shared);
    CDsItemsGroup* first = body.AddFace(faces[0], CDsColorStorage(255, 0, 0));
    CDsItemsGroup* second = body.AddFace(faces[1], CDsColorStorage(0, 0, 255));
    EXPECT_FALSE(edge->HasAdjacentFaceItems());
    EXPECT_EQ(edge->GetAdjacentFaceItem(0), nullptr);

    edge->FindAdjacentFaceItems();
    EXPECT_EQ(edge->GetAdjacentFaceItem(0), first);
    EXPECT_EQ(edge->GetAdjacentFaceItem(1), second);
    EXPECT_EQ(edge->GetAdjacentFaceItem(2), nullptr);

    // Set from a face whose placement changed: that face first, the other face second; only
    // while there is no record.
    edge->ResetAdjacentFaceItems();
    edge->SetAdjacentFaceItem(second, faces[1]);
    EXPECT_EQ(edge->GetAdjacentFaceItem(0), second);
    EXPECT_EQ(edge->GetAdjacentFaceItem(1), first);
    edge->SetAdjacentFaceItem(first, faces[0]);
    EXPECT_EQ(edge->GetAdjacentFaceItem(0), second);
    edge->ResetAdjacentFaceItems();
    EXPECT_FALSE(edge->HasAdjacentFaceItems());
}
