// Reference points on shown bodies (edge ends, middles, centres, nearest points, free points),
// the modeler picks of the pick processor and of CDsAcisPick (faces by OpenGL selection and by
// ray, edges, apexes, select-all, region picks) and the reference-point filter, on real OpenGL
// selection and the modeler.
#include "PickFixture.h"

#include "DsAcisEdge.h"
#include "DsAcisPick.h"
#include "DsCglEntList.h"
#include "DsGlGroupIterator.h"
#include "DsItemEdge.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsGroup.h"
#include "DsItemsMap.h"
#include "DsPickManager.h"
#include "DsPickSessionData.h"
#include "DsPickedFaces.h"
#include "DsSelectAllData.h"
#include "DsRefPoint.h"
#include "ViewSetup.h"

#include "SpaBuilders.h"
#include "SpaFilters.h"
#include "SpaTopology.h"
#include "VyrAsExt.h"
#include "VyrAttrBase.h"
#include "VyrEntInstance.h"
#include "pick_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace picktest;

CDsTypeMask Kinds(std::initializer_list<int> kinds)
{
    return MaskOf(kinds);
}

class RefPointModelerTest : public PickTest {
protected:
    void SetUp() override
    {
        PickTest::SetUp();
        view_->SetRenderMode(eRenderWireframe);
    }
    void TearDown() override
    {
        CDsGlContext::StEndPickSession();
        for (BODY* body : bodies_) {
            context_.remove(body);
            body->lose();
        }
        EXPECT_EQ(CDsAcisPick::sInPickMode, 0);
        PickTest::TearDown();
    }
    BODY* Show(BODY* body)
    {
        EXPECT_NE(body, nullptr);
        context_.add(body);
        bodies_.push_back(body);
        return body;
    }
    // A block from (-20, -10, -10) to (20, 10, 10): its front face z = 10 covers pixels 30..70 x 40..60.
    BODY* Block() { return Show(make_block(-20, -10, -10, 20, 10, 10)); }
    std::unique_ptr<CDsRefPoint> Snap(int x, int y, const CDsTypeMask& mask)
    {
        CUiPickEvent event(x, y, 0, view_.get(), nullptr);
        std::unique_ptr<CDsRefPoint> point(CDsAcisPick::StPickRefPoint(event, mask));
        EXPECT_EQ(view_->get_pick_mode(), 0);
        return point;
    }
    std::vector<BODY*> bodies_;
};

TEST_F(RefPointModelerTest, EdgeEndsMiddlesAndNearestPointsOfAShownBlock)
{
    Block();
    // The corner (20, 10) under pixel (70, 40): an end of an edge there, exactly.
    auto point = Snap(70, 40, Kinds({256, 257, 258, 259}));
    ASSERT_NE(point, nullptr);
    EXPECT_TRUE(CDsRefPoint::sPickType == 256 || CDsRefPoint::sPickType == 257);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 20, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 10, 1e-6);
    EXPECT_NEAR(std::fabs(CDsRefPoint::sLastPosition.z()), 10, 1e-6);
    // The middle of the edge along x at y = 10 lies under pixel (50, 40).
    point = Snap(50, 40, Kinds({258}));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, 258);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 0, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 10, 1e-6);
    // The nearest point of that edge, within a pixel of the cursor.
    point = Snap(60, 40, Kinds({267, 272}));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, 267);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 10, 1.0);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 10, 1.0);
    // With 267 allowed nothing else is tried: no free point off the block.
    EXPECT_EQ(Snap(5, 5, Kinds({267, 272})), nullptr);
    // A free point on the reference plane (z = 0) under the centre of pixel (5, 5).
    point = Snap(5, 5, Kinds({272}));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, 272);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.z(), 0, 1e-9);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), -44.5, 0.6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 44.5, 0.6);
    // No kind, nothing.
    EXPECT_EQ(Snap(70, 40, CDsTypeMask()), nullptr);
}

TEST_F(RefPointModelerTest, TheCentreOfACylindersCircularEdge)
{
    Show(make_cylinder(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 15, 20));
    auto point = Snap(65, 50, Kinds({259}));  // on the circle at (15, 0)
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, 259);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 0, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 0, 1e-6);
}

TEST_F(RefPointModelerTest, EndOnlyUnderTheCursorAndTheEvaluationOfTheEdge)
{
    BODY* block = Block();
    ENTITY_LIST edges;
    api_get_edges(block, edges);
    // An edge along x at y = 10 and z = 10.
    EDGE* edge = nullptr;
    for (int i = 0; i < edges.count() && !edge; ++i) {
        auto* e = static_cast<EDGE*>(edges[i]);
        const SPAposition a = e->start_pos(), b = e->end_pos();
        if (std::fabs(a.y() - 10) < 1e-9 && std::fabs(b.y() - 10) < 1e-9 && std::fabs(a.z() - 10) < 1e-9 &&
            std::fabs(b.z() - 10) < 1e-9)
            edge = e;
    }
    ASSERT_NE(edge, nullptr);
    auto* item = dynamic_cast<CDsItemEdge*>(context_.GetItemsMap()->Find(edge));
    ASSERT_NE(item, nullptr);
    CDsRefPoint point(edge);
    point.SetItemEdge(item);
    const SPAposition end = edge->end_pos();
    CUiPickEvent atEnd(int(50 + end.x()), int(50 - end.y()), 0, view_.get(), nullptr);
    EXPECT_EQ(point.PickRefPoint(atEnd, Kinds({256, 258})), 1);
    EXPECT_EQ(CDsRefPoint::sPickType, 257);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), end.x(), 1e-6);
    // The nearest point, then evaluated on the curve as the middle.
    CUiPickEvent along(55, 40, 0, view_.get(), nullptr);
    EXPECT_EQ(point.PickRefClosePoint(along, true), 267);
    CDsRefPoint::sPickType = 258;
    point.EvalPickPosition(along);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 0, 1e-9);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 10, 1e-9);
    // The start kind of a reversed edge is the end of the curve range.
    DsAcisEdge evaluator;
    for (int i = 0; i < edges.count(); ++i) {
        auto* e = static_cast<EDGE*>(edges[i]);
        if (e->sense() != REVERSED) continue;
        CDsRefPoint reversed(e);
        CDsRefPoint::sPickType = 256;
        reversed.EvalPickPosition(along);
        EXPECT_EQ(CDsRefPoint::sPickType, 257);
        EXPECT_LT((CDsRefPoint::sLastPosition - e->start_pos()).len(), 1e-9);
        break;
    }
    // A point not made from an edge: no edge pick, the kind left as it was.
    CDsRefPoint free(CGmPosition(1, 2, 3));
    EXPECT_EQ(CDsRefPoint::sPickType, 272);
    EXPECT_EQ(free.PickRefPoint(atEnd, Kinds({256})), 0);
    EXPECT_EQ(CDsRefPoint::sPickType, 272);
}

TEST_F(RefPointModelerTest, ClosePositionsSkipDegenerateAndFarSegmentsAndMarkVertices)
{
    const CUiPickEvent event(60, 50, 0, view_.get(), nullptr);  // the model point (10, 0)
    // A zero-length segment right under the cursor is never chosen.
    const CGmPosition degenerate[] = {CGmPosition(10, 0, 0), CGmPosition(10, 0, 0)};
    std::unique_ptr<CGmPosition> found(CDsRefPoint::LookForClosePosition(2, degenerate, view_.get(), event));
    EXPECT_EQ(found, nullptr);
    // A segment the cursor passes beyond its end by more than a tenth of its length.
    const CGmPosition shortOne[] = {CGmPosition(-10, 0, 0), CGmPosition(8, 0, 0)};
    found.reset(CDsRefPoint::LookForClosePosition(2, shortOne, view_.get(), event));
    EXPECT_EQ(found, nullptr);
    const CGmPosition within[] = {CGmPosition(-10, 0, 0), CGmPosition(9.5, 0, 0)};
    found.reset(CDsRefPoint::LookForClosePosition(2, within, view_.get(), event));
    ASSERT_NE(found, nullptr);
    EXPECT_NEAR(found->x(), 9.5, 1e-9);
    // A close point 3 pixels from a vertex marks the vertex.
    BODY* block = Block();
    ENTITY_LIST edges;
    api_get_edges(block, edges);
    for (int i = 0; i < edges.count(); ++i) {
        auto* e = static_cast<EDGE*>(edges[i]);
        const SPAposition a = e->start_pos(), b = e->end_pos();
        if (std::fabs(a.y() - b.y()) > 1e-9 || std::fabs(a.z() - b.z()) > 1e-9 || std::fabs(a.y() - 10) > 1e-9) continue;
        CDsRefPoint point(e);
        point.SetItemEdge(dynamic_cast<CDsItemEdge*>(context_.GetItemsMap()->Find(e)));
        CDsPickInfoStorage& info = context_.GetPickProccessor()->GetPickInfoStorage();
        CUiPickEvent nearVertex(67, 40, 0, view_.get(), nullptr);
        ASSERT_EQ(point.PickRefClosePoint(nearVertex, true), 267);
        EXPECT_EQ(info.GetPrimitiveEnum(), eDsPickedPrimitiveNone);
        CUiPickEvent awayFromVertex(60, 40, 0, view_.get(), nullptr);
        ASSERT_EQ(point.PickRefClosePoint(awayFromVertex, true), 267);
        EXPECT_EQ(info.GetPrimitiveEnum(), eDsPickedPrimitiveDefault);
        break;
    }
}

// In perspective a segment reaching behind the eye is measured from the near plane on: its nearest
// point lies under the cursor, and a point of it near the window's corner is no vertex hit of the
// end that projects nowhere.
TEST_F(RefPointModelerTest, ASegmentReachingBehindAPerspectiveEyeIsMeasuredFromTheNearPlane)
{
    vyrtest::ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300)
        .Perspective(true).ApplyTo(*view_);
    // Along the line of sight through pixel (20, 30) at the target plane, from behind the eye
    // (z 150) into the scene; the second one from between the eye and the near plane.
    const CGmPosition behind[] = {CGmPosition(-30, 20, 150), CGmPosition(-30, 20, -50)};
    const CGmPosition beforeNear[] = {CGmPosition(-30, 20, 99.5), CGmPosition(-30, 20, -50)};
    for (const CGmPosition* line : {behind, beforeNear})
        for (const bool reversed : {false, true}) {
            const CGmPosition points[2] = {line[reversed ? 1 : 0], line[reversed ? 0 : 1]};
            // The cursor on the picture of (-30, 20, z) for z from -40 up to 60 (depth 40).
            for (double z = -40; z <= 60; z += 20) {
                double x = 0, y = 0, depth = 0;
                ASSERT_TRUE(view_->world_to_drawable(SPAposition(-30, 20, z), x, y, depth));
                const CUiPickEvent event(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), 0,
                                         view_.get(), nullptr);
                std::unique_ptr<CGmPosition> found(CDsRefPoint::LookForClosePosition(2, points, view_.get(), event));
                ASSERT_NE(found, nullptr) << "z " << z << (reversed ? ", reversed" : "");
                EXPECT_NEAR(found->x(), -30, 1e-9);
                EXPECT_NEAR(found->y(), 20, 1e-9);
                double fx = 0, fy = 0;
                ASSERT_TRUE(view_->world_to_drawable(*found, fx, fy, depth));
                EXPECT_LE(std::hypot(fx - x, fy - y), 1.5) << "z " << z << (reversed ? ", reversed" : "");
            }
        }

    // A block's edge from behind the eye to z -40, through the window's corner: x -48, y 46 shows
    // at pixel (2, 4) at z 0 (depth 100).
    BODY* post = Show(make_block(-60, 46, -40, -48, 60, 150));
    Refresh();
    ENTITY_LIST edges;
    api_get_edges(post, edges);
    int tried = 0;
    for (int i = 0; i < edges.count(); ++i) {
        auto* e = static_cast<EDGE*>(edges[i]);
        const SPAposition a = e->start_pos(), b = e->end_pos();
        if (std::fabs(a.x() + 48) > 1e-9 || std::fabs(b.x() + 48) > 1e-9 || std::fabs(a.y() - 46) > 1e-9 ||
            std::fabs(b.y() - 46) > 1e-9)
            continue;
        CDsRefPoint point(e);
        point.SetItemEdge(dynamic_cast<CDsItemEdge*>(context_.GetItemsMap()->Find(e)));
        CDsPickInfoStorage& info = context_.GetPickProccessor()->GetPickInfoStorage();
        ASSERT_EQ(point.PickRefClosePoint(CUiPickEvent(2, 4, 0, view_.get(), nullptr), true), 267);
        EXPECT_NEAR(CDsRefPoint::sLastPosition.z(), 0, 4.0);
        EXPECT_EQ(info.GetPrimitiveEnum(), eDsPickedPrimitiveDefault);
        ++tried;
    }
    EXPECT_EQ(tried, 1);
}

class ModelerFacePickTest : public RefPointModelerTest {
protected:
    void SetUp() override
    {
        RefPointModelerTest::SetUp();
        view_->SetRenderMode(eRenderShade);
    }
    void TearDown() override
    {
        if (copy_) context_.GetScene()->RemoveItemsGroup(copy_);
        delete copy_;
        if (instance_) instance_->lose();
        RefPointModelerTest::TearDown();
    }
    // Makes the items of `body`'s faces show them in a look of their own (their attributes forced)
    // or inherit it: only a face in a look of its own has a known render mode to pick through.
    void GiveFacesTheirOwnLook(BODY* body, bool own)
    {
        ENTITY_LIST faces;
        api_get_faces(body, faces);
        for (int i = 0; i < faces.count(); ++i) {
            CDsItemBase* item = context_.FindDsItem(faces[i], CDsGlContext::eDsSearchOwner);
            ASSERT_NE(item, nullptr);
            item->SetInheritColorState(!own);
        }
    }
    // A cone with its apex at (30, 30, 10) shown, and a copy of it 60 units down (its apex under
    // pixel (80, 80)) filed in the scene and measured for picks; null when that fails.
    CDsItemsCopy* ShowConeAndCopy()
    {
        BODY* cone = Show(make_cone(SPAposition(30, 30, -10), SPAvector(0, 0, 1), 10, 0, 20));
        CDsItemsBody* body = context_.FindDsBody(cone);
        auto* instance = new CVyrEntInstance(cone, translate_transf(SPAvector(0, -60, 0)));
        instance_ = instance;
        ENTITY_LIST copies;
        instance->GetEntities(copies);
        if (!body || copies.count() != 1) return nullptr;
        copy_ = new CDsItemsCopy(body, copies[0], &context_);
        context_.GetScene()->AddItemsGroup(copy_);
        Refresh();
        copy_->ComputeBounds2D(view_.get());
        return copy_;
    }
    ENTITY* instance_ = nullptr;
    CDsItemsCopy* copy_ = nullptr;
};

TEST_F(ModelerFacePickTest, FacesByOpenGlAndByRayFrontFirst)
{
    Block();
    CDsPickProccessor* processor = context_.GetPickProccessor();
    CUiPickEvent event(50, 50, 0, view_.get(), nullptr);
    CDsPickedFaces faces;
    ASSERT_EQ(processor->OpenGLSortFaces(event, faces), 2);
    FACE* front = faces.GetFaces().begin()->second;
    FACE* back = faces.GetFaces().rbegin()->second;
    ASSERT_NE(front, back);
    // The front face's surface lies at z = 10.
    CDsPickedFaces byRay;
    ASSERT_GE(CDsAcisPick::StPickFacesByRay(event, CDsTypeMask(), nullptr, byRay), 2);
    EXPECT_EQ(byRay.GetFaces().begin()->second, front);
    EXPECT_EQ(CDsAcisPick::FindNearestFace(event, CDsTypeMask(), nullptr, 0), front);
    EXPECT_EQ(CDsAcisPick::FindNearestFace(event, CDsTypeMask(), nullptr, 1), back);
    EXPECT_EQ(CDsAcisPick::FindNearestFace(CUiPickEvent(2, 2, 0, view_.get(), nullptr), CDsTypeMask(), nullptr, 0), nullptr);
    for (bool state0 : {false, true}) {
        processor->Set(eDsPickStateSceneRefPoints, state0);
        SDsGlPickCache::sCache.Clear();
        CDsGlGroupIterator items(&context_, nullptr, 0);
        CDsItemsGroup* group = nullptr;
        std::vector<CDsItemEdge*> edges;
        EXPECT_EQ(processor->OpenGLPick1Face(event, items, group, edges), front);
        EXPECT_EQ(edges.size(), 4u);
        EXPECT_NE(group, nullptr);
    }
    processor->Set(eDsPickStateSceneRefPoints, false);
    processor->Set(eDsPickStateNoFacePickData, true);
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    CDsGlGroupIterator items(&context_, nullptr, 0);
    EXPECT_EQ(processor->OpenGLPickFaces(&manager, items), 0);
    processor->Set(eDsPickStateNoFacePickData, false);
    EXPECT_EQ(view_->get_pick_mode(), 0);
}

TEST_F(ModelerFacePickTest, EdgesAreOfferedOnceAndApexesOfConesOnly)
{
    Block();
    CDsPickProccessor* processor = context_.GetPickProccessor();
    CUiPickEvent onEdge(50, 40, 0, view_.get(), nullptr);
    CDsPickManager manager(pick_method_point, pick_entity_any, 0, nullptr, &onEdge, nullptr,
                           {MaskOf({eDsItemEdge})});
    ENTITY_LIST edges;
    EXPECT_EQ(processor->PickEdge(&manager, &edges), 1);
    EXPECT_GE(edges.count(), 2);  // the edge at z = 10 and the one behind it
    EXPECT_EQ(manager.get_record_count(), 1);
    CDsPickManager region(pick_method_region, pick_entity_any, 0, nullptr, &onEdge, nullptr,
                          {MaskOf({eDsItemEdge})});
    ENTITY_LIST all;
    EXPECT_GE(processor->PickEdge(&region, &all), 2);
    EXPECT_EQ(view_->get_pick_mode(), 0);

    BODY* cone = Show(make_cone(SPAposition(30, 30, -10), SPAvector(0, 0, 1), 10, 0, 20));
    BODY* cylinder = Show(make_cylinder(SPAposition(-30, 30, -10), SPAvector(0, 0, 1), 5, 20));
    ENTITY_LIST faces;
    api_get_faces(cone, faces);
    CUiPickEvent event(80, 20, 0, view_.get(), nullptr);
    int apexes = 0;
    for (int i = 0; i < faces.count(); ++i) {
        std::unique_ptr<CDsRefPoint> apex(processor->PickApexPoint(faces[i], event));
        if (!apex) continue;
        ++apexes;
        EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 30, 1e-6);
        EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 30, 1e-6);
        EXPECT_NEAR(CDsRefPoint::sLastPosition.z(), 10, 1e-6);
    }
    EXPECT_EQ(apexes, 1);
    faces.clear();
    api_get_faces(cylinder, faces);
    for (int i = 0; i < faces.count(); ++i) EXPECT_EQ(processor->PickApexPoint(faces[i], event), nullptr);
    EXPECT_EQ(processor->PickApexPoint(nullptr, event), nullptr);
}

// An edge of a body that is another body's slave is offered as that master: its display item and
// its entity.
TEST_F(ModelerFacePickTest, AnEdgeOfASlaveBodyIsOfferedAsItsMaster)
{
    BODY* block = Block();
    BODY* master = Show(make_block(30, 30, -5, 40, 40, 5));  // up and to the right, off the pick
    CDsPickProccessor* processor = context_.GetPickProccessor();
    const CUiPickEvent onEdge(50, 40, 0, view_.get(), nullptr);
    auto pickedBody = [&]() -> ENTITY* {
        CDsPickManager manager(pick_method_point, pick_entity_any, 0, nullptr, &onEdge, nullptr,
                               {MaskOf({eDsItemsBody})});
        ENTITY_LIST edges;
        EXPECT_EQ(processor->PickEdge(&manager, &edges), 1);
        return manager.get_record_count() == 1 ? manager.get_record(0)->get_entity(0) : nullptr;
    };
    EXPECT_EQ(pickedBody(), block);
    new CVyrEntSlave(block, master);
    EXPECT_EQ(pickedBody(), master);
    EXPECT_EQ(view_->get_pick_mode(), 0);
}

// Faces of one depth are filed in the order the selection met them; a body list, even an empty
// one, keeps the faces of other bodies out.
TEST_F(ModelerFacePickTest, FacesOfOneDepthKeepTheirOrderAndABodyListKeepsOthersOut)
{
    BODY* block = Block();
    CDsPickProccessor* processor = context_.GetPickProccessor();
    ENTITY_LIST blockFaces;
    api_get_faces(block, blockFaces);
    ASSERT_GE(blockFaces.count(), 3);
    // A selection of this point, kept: two faces met at one depth (first, then second) behind a
    // nearer one.
    const CUiPickEvent event(50, 50, 0, view_.get(), nullptr);
    SDsGlPickCache& cache = SDsGlPickCache::sCache;
    cache.Clear();
    auto* hits = new CDsCglSortEntList;
    hits->Add(blockFaces[0], nullptr, nullptr, 0.5f);
    hits->Add(blockFaces[1], nullptr, nullptr, 0.5f);
    hits->Add(blockFaces[2], nullptr, nullptr, 0.25f);
    cache.event = event;
    cache.hits = hits;
    cache.valid = 1;
    CDsPickedFaces faces;
    EXPECT_EQ(processor->OpenGLSortFaces(event, faces), 3);
    cache.Clear();
    std::vector<ENTITY*> order;
    for (const auto& entry : faces.GetFaces()) order.push_back(entry.second);
    EXPECT_EQ(order, (std::vector<ENTITY*>{blockFaces[2], blockFaces[0], blockFaces[1]}));

    // A real selection: the block's front and back faces; none of them with an empty body list.
    CDsPickedFaces all, none, byRay;
    EXPECT_EQ(CDsAcisPick::StPickFaces(event, CDsTypeMask(), nullptr, all), 2);
    ENTITY_LIST noBodies;
    EXPECT_EQ(CDsAcisPick::StPickFaces(event, CDsTypeMask(), &noBodies, none), 0);
    EXPECT_TRUE(none.GetFaces().empty());
    EXPECT_EQ(CDsAcisPick::StPickFacesByRay(event, CDsTypeMask(), &noBodies, byRay), 0);
    EXPECT_EQ(CDsAcisPick::FindNearestFace(event, CDsTypeMask(), &noBodies, 0), nullptr);
    ENTITY_LIST onlyBlock;
    onlyBlock.add(block);
    EXPECT_EQ(CDsAcisPick::StPickFaces(event, CDsTypeMask(), &onlyBlock, none), 2);
    EXPECT_EQ(view_->get_pick_mode(), 0);
}

TEST_F(ModelerFacePickTest, SelectAllNullPicksExtremesAndRegions)
{
    CDsPickProccessor* processor = context_.GetPickProccessor();
    Add(1, kLineType, Line(-10, 0, 10, 0, 0));
    Add(2, kFaceType, Rect(-5, -5, 5, 5, 0));
    CDsPickedItemList list(true);
    CDsPickedItem picked(PathOf(99));
    list.Add(&picked);  // the owning list adds a copy
    CDsPickContext request;
    request.m_ownerContext = &context_;
    request.m_domain = &domain_;
    CUiPickEvent event(50, 50, 0, view_.get(), nullptr);
    request.m_event = &event;
    EXPECT_EQ(processor->SelectAll(request, list), 3);
    EXPECT_EQ(processor->PickSectionRefPoint(event), nullptr);
    EXPECT_EQ(processor->PickClosest(event, event), nullptr);
    view_->pick_mode(1, 40, 30, 6, 8);
    int x = 0, y = 0, w = 0, h = 0;
    CDsPickProccessor::StGetPickExtremes(view_.get(), x, y, w, h);
    EXPECT_EQ(x, 40);
    CDsPickProccessor::sPickInRegionMode = true;
    CDsPickProccessor::StGetPickExtremes(view_.get(), x, y, w, h);
    CDsPickProccessor::sPickInRegionMode = false;
    EXPECT_EQ(x, 37);
    EXPECT_EQ(y, 26);
    view_->pick_mode(0, 0, 0, 0, 0);

    // A region of one x picks nothing.
    const std::vector<CDsTypeMask> savedDomain = CDsPickManagerCreator::smTypeMask;
    CDsTypeMask everything;
    everything.SetAll();
    CDsPickManagerCreator::smTypeMask = {everything};
    Show(make_block(-40, -5, -5, -30, 5, 5));
    Show(make_block(30, -5, -5, 40, 5, 5));
    Refresh();
    ENTITY_LIST out;
    CDsAcisPick::PickInRegion(CUiPickEvent(5, 40, 0, view_.get(), nullptr), CUiPickEvent(5, 60, 0, view_.get(), nullptr),
                              CDsTypeMask(), out, nullptr);
    EXPECT_EQ(out.count(), 0);
    CDsPickManagerCreator::smTypeMask = savedDomain;
    EXPECT_FALSE(CDsPickProccessor::sPickInRegionMode);
    EXPECT_EQ(view_->get_pick_mode(), 0);
}

// A region over one of two shown blocks gives that block's body and not the other's, in shaded
// and in wireframe views; the view leaves the pick mode and the region mode is off again.
TEST_F(ModelerFacePickTest, ARegionOverOneOfTwoBlocksGivesThatBlocksEntities)
{
    const std::vector<CDsTypeMask> savedDomain = CDsPickManagerCreator::smTypeMask;
    CDsTypeMask everything;
    everything.SetAll();
    CDsPickManagerCreator::smTypeMask = {everything};
    BODY* left = Show(make_block(-40, -5, -5, -30, 5, 5));    // pixels 10..20 x 45..55
    BODY* right = Show(make_block(30, -5, -5, 40, 5, 5));     // pixels 80..90 x 45..55
    for (ERenderMode mode : {eRenderShade, eRenderWireframe}) {
        view_->SetRenderMode(mode);
        Refresh();
        ENTITY_LIST out;
        CDsAcisPick::PickInRegion(CUiPickEvent(5, 40, 0, view_.get(), nullptr),
                                  CUiPickEvent(25, 60, 0, view_.get(), nullptr), CDsTypeMask(), out, nullptr);
        EXPECT_GE(out.lookup(left), 0) << "render mode " << int(mode);
        EXPECT_LT(out.lookup(right), 0) << "render mode " << int(mode);
        for (int i = 0; i < out.count(); ++i) EXPECT_TRUE(out[i] == left) << "render mode " << int(mode);
        // The other corner order and the other block.
        ENTITY_LIST other;
        CDsAcisPick::PickInRegion(CUiPickEvent(95, 60, 0, view_.get(), nullptr),
                                  CUiPickEvent(75, 40, 0, view_.get(), nullptr), CDsTypeMask(), other, nullptr);
        EXPECT_EQ(other.count(), 1);
        EXPECT_GE(other.lookup(right), 0);
        // Empty background between them.
        ENTITY_LIST none;
        CDsAcisPick::PickInRegion(CUiPickEvent(40, 40, 0, view_.get(), nullptr),
                                  CUiPickEvent(60, 60, 0, view_.get(), nullptr), CDsTypeMask(), none, nullptr);
        EXPECT_EQ(none.count(), 0);
        EXPECT_FALSE(CDsPickProccessor::sPickInRegionMode);
        EXPECT_EQ(view_->get_pick_mode(), 0);
        EXPECT_EQ(CDsAcisPick::sInPickMode, 0);
    }
    // Inside a pick session, a region whose first corner lies on the left block leaves no hits
    // behind for a point pick there: the faces under that point are still found, front and back.
    view_->SetRenderMode(eRenderShade);
    CDsPickSessionData session;
    const CUiPickEvent corner(15, 50, 0, view_.get(), nullptr);
    CDsGlContext::StBeginPickSession(corner, &session);
    ENTITY_LIST out;
    CDsAcisPick::PickInRegion(corner, CUiPickEvent(25, 60, 0, view_.get(), nullptr), CDsTypeMask(), out, nullptr);
    EXPECT_EQ(out.count(), 1);
    CDsPickedFaces faces;
    EXPECT_EQ(context_.GetPickProccessor()->OpenGLSortFaces(corner, faces), 2);
    CDsGlContext::StEndPickSession();
    CDsPickManagerCreator::smTypeMask = savedDomain;
}

// A body with a cone answers its apex when the cursor lies on one of its faces and the mask admits
// the apex's kind; a cone never answers for a cursor on another body, nor does a cylinder.
TEST_F(ModelerFacePickTest, ABodysReferencePointIsItsConesApexUnderItsOwnFaces)
{
    Block();
    Show(make_cone(SPAposition(30, 30, -10), SPAvector(0, 0, 1), 10, 0, 20));  // apex (30, 30, 10)
    Show(make_cylinder(SPAposition(-30, 30, -10), SPAvector(0, 0, 1), 8, 20));
    const CDsTypeMask ends = Kinds({256, 257, 258, 259});
    // On the cone's side, 5 pixels from the apex.
    auto point = Snap(85, 20, ends);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, 256);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 30, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 30, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.z(), 10, 1e-6);
    ASSERT_NE(point->GetReferenceEntity(), nullptr);
    EXPECT_TRUE(is_conical_face(point->GetReferenceEntity()));
    // Middles only: the apex is no answer.
    point = Snap(85, 20, Kinds({258}));
    if (point) {
        EXPECT_NE(CDsRefPoint::sPickType, 256);
        EXPECT_GT((CDsRefPoint::sLastPosition - SPAposition(30, 30, 10)).len(), 1.0);
    }
    // The block's face and the cylinder's top (off its centre): nothing.
    EXPECT_EQ(Snap(50, 50, ends), nullptr);
    EXPECT_EQ(Snap(24, 20, ends), nullptr);  // off the centre of the cylinder's top
    EXPECT_EQ(SDsGlPickCache::sCache.hits, nullptr);  // the selection made for the question is gone
}

// A copy of a cone body answers the apex of its own cone, moved with the copy, when the apex lies
// in the pick aperture (or the processor's point mask is the apex's kind).
TEST_F(ModelerFacePickTest, ABodyCopysApexIsTheCopiedConesApexMovedWithTheCopy)
{
    ASSERT_NE(ShowConeAndCopy(), nullptr);
    const CDsTypeMask starts = Kinds({256});

    auto point = Snap(80, 80, starts);  // the copy's apex (30, -30, 10)
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, 256);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 30, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), -30, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.z(), 10, 1e-6);
    ASSERT_NE(point->GetReferenceEntity(), nullptr);
    EXPECT_TRUE(CVyrAsExt::IsCopy(point->GetReferenceEntity()));
    // Six pixels away on the copy's side the apex is out of the aperture ...
    point = Snap(86, 80, starts);
    EXPECT_TRUE(!point || CDsRefPoint::sPickType != 256 ||
                (CDsRefPoint::sLastPosition - SPAposition(30, -30, 10)).len() > 1.0);
    // ... unless the processor looks for apexes.
    CDsPickProccessor* processor = context_.GetPickProccessor();
    processor->SetPickPointMask(256);
    point = Snap(86, 80, starts);
    processor->SetPickPointMask(0);
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, 256);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), -30, 1e-6);
    // The real cone still answers its own apex, not the copy's.
    point = Snap(85, 20, starts);
    ASSERT_NE(point, nullptr);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 30, 1e-6);
}

// The apex pick of a body or of a copy ends the pick session it ran in: the session's filter and
// its cached selection are gone after it.
TEST_F(ModelerFacePickTest, TheApexPicksOfABodyAndOfACopyEndThePickSession)
{
    CDsItemsCopy* copy = ShowConeAndCopy();
    ASSERT_NE(copy, nullptr);
    CDsItemsGroup* body = copy->GetBody();
    const CDsTypeMask starts = Kinds({256});
    SDsGlPickCache& cache = SDsGlPickCache::sCache;

    for (CDsItemsGroup* group : {body, static_cast<CDsItemsGroup*>(copy)}) {
        // On the cone's side near its apex, and on the copy's.
        CUiPickEvent event(group == body ? 85 : 80, group == body ? 20 : 80, 0, view_.get(), nullptr);
        CDsPickSessionData session;
        CDsGlContext::StBeginPickSession(event, &session);
        CDsAcisPickData data;
        CDsAcisPick::StBeginPickMode(event, data);
        std::unique_ptr<CDsRefPoint> point(group->PickRefPoint(event, starts));
        CDsAcisPick::StEndPickMode(event, data);
        ASSERT_NE(point, nullptr) << (group == body ? "body" : "copy");
        EXPECT_EQ(CDsRefPoint::sPickType, 256);
        EXPECT_EQ(CDsPickSessionData::sActive, nullptr) << (group == body ? "body" : "copy");
        EXPECT_EQ(cache.eventSet, 0);
        EXPECT_EQ(cache.valid, 0);
        EXPECT_EQ(cache.hits, nullptr);
        CDsGlContext::StEndPickSession();
    }
}

int AcceptAll(const ENTITY*)
{
    return 1;
}

// Restores the domain of the managers the modeler picks make.
struct DomainGuard {
    explicit DomainGuard(std::vector<CDsTypeMask> domain) { CDsPickManagerCreator::smTypeMask = std::move(domain); }
    ~DomainGuard() { CDsPickManagerCreator::smTypeMask = saved; }
    std::vector<CDsTypeMask> saved = CDsPickManagerCreator::smTypeMask;
};

// Whether `entity` is an edge of the block's front face along x at y = 10 (z = 10).
bool IsFrontTopEdge(ENTITY* entity)
{
    auto* edge = dynamic_cast<EDGE*>(entity);
    if (!edge) return false;
    const SPAposition a = edge->start_pos(), b = edge->end_pos();
    return std::fabs(a.y() - 10) < 1e-9 && std::fabs(b.y() - 10) < 1e-9 && std::fabs(a.z() - 10) < 1e-9 &&
           std::fabs(b.z() - 10) < 1e-9;
}

// Edges seen through the face under the cursor, and the edges of wire bodies (of every body while
// the processor has no face-pick data).
TEST_F(ModelerFacePickTest, EdgesThroughTheFaceUnderTheCursorAndWireEdges)
{
    BODY* block = Block();
    const SPAposition wirePoints[] = {SPAposition(-40, -30, 0), SPAposition(40, -30, 0)};
    BODY* wire = Show(make_wire_body(wirePoints, 2));
    Refresh();
    CDsPickProccessor* processor = context_.GetPickProccessor();
    // The items of the block's faces show them in a look of their own (their attributes forced),
    // so the render mode the faces are shown in is known.
    GiveFacesTheirOwnLook(block, true);
    {
        // Edge items in the domain: the edge of the front face under the cursor, nearest first.
        const DomainGuard domain({MaskOf({eDsItemEdge})});
        ENTITY* entity = nullptr;
        EXPECT_GE(processor->PickThruWireFrameFace(CUiPickEvent(50, 40, 0, view_.get(), nullptr), entity), 1);
        EXPECT_TRUE(IsFrontTopEdge(entity));
        // Inside the face no edge lies under the cursor; off the block there is no face.
        EXPECT_EQ(processor->PickThruWireFrameFace(CUiPickEvent(50, 50, 0, view_.get(), nullptr), entity), 0);
        EXPECT_EQ(entity, nullptr);
        EXPECT_EQ(processor->PickThruWireFrameFace(CUiPickEvent(5, 5, 0, view_.get(), nullptr), entity), 0);
        EXPECT_EQ(entity, nullptr);
        EXPECT_EQ(processor->PickThruWireFrameFace(CUiPickEvent(50, 40, 0, nullptr, nullptr), entity), 0);
    }
    {
        // Every kind in the domain: the edge is offered as its body.
        CDsTypeMask everything;
        everything.SetAll();
        const DomainGuard domain({everything});
        ENTITY* entity = nullptr;
        EXPECT_GE(processor->PickThruWireFrameFace(CUiPickEvent(50, 40, 0, view_.get(), nullptr), entity), 1);
        EXPECT_EQ(entity, block);

        // The wire body's edge under the cursor: one accepted record naming the wire body.
        const CUiPickEvent onWire(50, 80, 0, view_.get(), nullptr);
        CDsPickManager wireManager(pick_method_point, pick_entity_any, 0, nullptr, &onWire, nullptr, {everything});
        CDsGlGroupIterator items(&context_, &wireManager, 0);
        EXPECT_EQ(processor->PickWireEdge(&wireManager, items), 1);
        ASSERT_EQ(wireManager.get_record_count(), 1);
        EXPECT_EQ(wireManager.get_record(0)->get_entity(0), wire);
        // The block's edge: a body with faces gives no wire edges ...
        const CUiPickEvent onEdge(50, 40, 0, view_.get(), nullptr);
        CDsPickManager edgeManager(pick_method_point, pick_entity_any, 0, nullptr, &onEdge, nullptr, {everything});
        CDsGlGroupIterator blockItems(&context_, &edgeManager, 0);
        EXPECT_EQ(processor->PickWireEdge(&edgeManager, blockItems), 0);
        // ... unless the processor picks by entity.
        processor->Set(eDsPickStateNoFacePickData, true);
        CDsGlGroupIterator again(&context_, &edgeManager, 0);
        EXPECT_EQ(processor->PickWireEdge(&edgeManager, again), 1);
        processor->Set(eDsPickStateNoFacePickData, false);
        ASSERT_EQ(edgeManager.get_record_count(), 1);
        EXPECT_EQ(edgeManager.get_record(0)->get_entity(0), block);
        // Off everything: nothing.
        const CUiPickEvent off(5, 5, 0, view_.get(), nullptr);
        CDsPickManager offManager(pick_method_point, pick_entity_any, 0, nullptr, &off, nullptr, {everything});
        CDsGlGroupIterator offItems(&context_, &offManager, 0);
        EXPECT_EQ(processor->PickWireEdge(&offManager, offItems), 0);

        // A face whose item inherits its look (and is no copy) is shown in no render mode of its
        // own: nothing is picked through it.
        GiveFacesTheirOwnLook(block, false);
        EXPECT_EQ(processor->PickThruWireFrameFace(CUiPickEvent(50, 40, 0, view_.get(), nullptr), entity), 0);
    }
    EXPECT_EQ(view_->get_pick_mode(), 0);
}

// Select-all over a shown block: the body once, or its faces when sub-entities are asked for;
// nothing once it is hidden. The entities a modeler transform moves.
// An edge pick through a face leaves the face-pick cache as it found it: outside a pick session
// no later face pick at the same pixel is answered from its selection (which would still name
// the faces of a body removed since); inside one, the session's cache stays open.
TEST_F(ModelerFacePickTest, AnEdgePickThroughAFaceLeavesTheFacePickCacheAsItFoundIt)
{
    BODY* block = Block();
    GiveFacesTheirOwnLook(block, true);
    Refresh();
    CDsPickProccessor* processor = context_.GetPickProccessor();
    const DomainGuard domain({MaskOf({eDsItemEdge})});
    const CUiPickEvent onEdge(50, 40, 0, view_.get(), nullptr);
    SDsGlPickCache& cache = SDsGlPickCache::sCache;
    ENTITY* entity = nullptr;
    EXPECT_GE(processor->PickThruWireFrameFace(onEdge, entity), 1);
    EXPECT_EQ(cache.eventSet, 0);
    EXPECT_EQ(cache.valid, 0);

    context_.remove(block);
    CDsPickedFaces faces;
    EXPECT_EQ(processor->OpenGLSortFaces(onEdge, faces), 0);
    EXPECT_TRUE(faces.GetFaces().empty());

    // Shown again, inside a pick session: the session keeps its cache open for its later picks.
    context_.add(block);
    GiveFacesTheirOwnLook(block, true);
    Refresh();
    CDsPickSessionData session;
    CDsGlContext::StBeginPickSession(onEdge, &session);
    EXPECT_GE(processor->PickThruWireFrameFace(onEdge, entity), 1);
    EXPECT_EQ(cache.eventSet, 1);
    EXPECT_EQ(CDsPickSessionData::sActive, &session);
    EXPECT_TRUE(cache.Matches(onEdge));  // the session's next picks there reuse the selection
    EXPECT_GE(processor->OpenGLSortFaces(onEdge, faces), 1);
    CDsGlContext::StEndPickSession();
}

TEST_F(ModelerFacePickTest, SelectAllOfABlockAndTheEntitiesATransformMoves)
{
    BODY* block = Block();
    auto* accept = new entity_test_filter(&AcceptAll);
    {
        CDsSelectAllData data(0, accept, accept, false);
        ENTITY_LIST list;
        context_.GetScene()->CollectSelectAll(data, list);
        EXPECT_EQ(list.count(), 1);
        EXPECT_EQ(list.lookup(block), 0);
        context_.GetScene()->CollectSelectAll(data, list);
        EXPECT_EQ(list.count(), 1);  // each once
    }
    {
        CDsSelectAllData faces(1, accept, accept, false);
        ENTITY_LIST list;
        context_.GetScene()->CollectSelectAll(faces, list);
        EXPECT_EQ(list.count(), 6);
        for (int i = 0; i < list.count(); ++i) EXPECT_TRUE(is_FACE(list[i]));
    }
    {
        CDsSelectAllData refusing(0, nullptr, nullptr, false);
        ENTITY_LIST list;
        context_.GetScene()->CollectSelectAll(refusing, list);
        EXPECT_EQ(list.count(), 0);
    }
    accept->lose();

    BODY* moved = make_block(-5, -5, -5, 5, 5, 5);
    ASSERT_TRUE(set_body_transform(moved, translate_transf(SPAvector(0, -30, 0))).ok());
    Show(moved);
    TRANSFORM* transform = moved->transform();
    ASSERT_NE(transform, nullptr);
    ENTITY_LIST entities;
    CDsAcisPick::StGetTransformedEntities(&context_, transform, entities);
    EXPECT_EQ(entities.count(), 1);
    EXPECT_EQ(entities.lookup(moved), 0);
    // A transform no shown body carries, and no transform: nothing.
    auto* other = new TRANSFORM(translate_transf(SPAvector(1, 0, 0)));
    entities.clear();
    CDsAcisPick::StGetTransformedEntities(&context_, other, entities);
    EXPECT_EQ(entities.count(), 0);
    CDsAcisPick::StGetTransformedEntities(&context_, nullptr, entities);
    CDsAcisPick::StGetTransformedEntities(nullptr, transform, entities);
    EXPECT_EQ(entities.count(), 0);
    // A transform that names the entity it moves answers that entity alone.
    ASSERT_TRUE(api_add_generic_named_attribute(other, "TransfAttr", block).ok());
    CDsAcisPick::StGetTransformedEntities(&context_, other, entities);
    EXPECT_EQ(entities.count(), 1);
    EXPECT_EQ(entities.lookup(block), 0);
    other->lose();
}

int gCalls = 0;
ENTITY* gSeen = nullptr;
long gArgument = 0;
int Callback(ENTITY* entity, long argument)
{
    ++gCalls;
    gSeen = entity;
    gArgument = argument;
    return 7;
}
int Refuse(const ENTITY*)
{
    return 0;
}

TEST(RefPointFilterTest, MasksEqualityCallbacksAndTheCurrentFilter)
{
    EXPECT_EQ(CDsRefPointFilter::GetPointMask(nullptr), 0x220F);
    CDsRefPointFilter a, b;
    EXPECT_EQ(a != b, 0);
    EXPECT_EQ(a != a, 0);
    b.SetPointMask(0x1);
    EXPECT_EQ(a != b, 1);
    EXPECT_EQ(CDsRefPointFilter::StNotEqual(&a, nullptr), 1);
    CDsRefPointFilter refusing(&Refuse);
    EXPECT_EQ(a != refusing, 1);
    CDsRefPointFilter copy(refusing);
    EXPECT_EQ(copy != refusing, 0);
    EXPECT_EQ(refusing.GetPointEntityFilter()->use_count(), 2);

    BODY* body = make_block(0, 0, 0, 1, 1, 1);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(refusing.TestEntity(body, 0), 0);
    CDsRefPointFilter called(&Callback);
    CDsRefPoint point(static_cast<ENTITY*>(body));
    CDsRefPoint::sPickType = 258;
    gCalls = 0;
    EXPECT_EQ(called.TestRefPoint(point), 7);
    EXPECT_EQ(gSeen, body);
    EXPECT_EQ(gArgument, 258);
    // A modeler pick that knows only the entity filter reaches the callback of the current filter.
    CDsRefPointFilter::StSetCurrentRefPointFilter(&called, 42);
    gCalls = 0;
    EXPECT_NE(called.GetPointEntityFilter()->test(body), 0);
    EXPECT_EQ(gCalls, 1);
    EXPECT_EQ(gArgument, 42);
    CDsRefPointFilter::StSetCurrentRefPointFilter(nullptr, 0);
    EXPECT_EQ(called.GetPointEntityFilter()->test(body), 1);
    EXPECT_EQ(CDsRefPointFilter(0L).TestRefPoint(point), 1);
    body->lose();
}

}  // namespace
