// The item protocol without OpenGL: attribute rules and their limits, draw mode, visibility,
// auto-hide, entity binding in the context's item map, finding items, children of groups and
// their orders, hide levels climbing to the root, bounds and vertex queries of groups, walks over
// a group's vertices while its children change.
#include "DsGlContext.h"
#include "DsItemBase.h"
#include "DsItemPolyline3D.h"
#include "DsItemTrigs.h"
#include "DsItemsEntity.h"
#include "DsItemsGroup.h"
#include "DsItemsMap.h"
#include "DsManager.h"
#include "DsPolyline.h"
#include "DsQueryIDInt.h"
#include "DsRectangle.h"
#include "DsSelectAllData.h"
#include "DsSetEntityType.h"
#include "DsStatisticsItems.h"
#include "EntityDeleter.h"
#include "PolygonTestSupport.h"

#include "DsHideLevel.h"
#include "SpaBuilders.h"
#include "SpaFilters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using vyrtest::EntityPtr;

namespace {

// A group whose children the test adds and removes.
class TestGroup : public CDsItemsGroup {
public:
    explicit TestGroup(CDsGlContext* context = nullptr, ENTITY* entity = nullptr) : CDsItemsGroup(context, entity) {}
    using CDsItemsGroup::Add;
    using CDsItemsGroup::Disconnect;
    using CDsItemsGroup::DisconnectAll;
    using CDsItemsGroup::Remove;
    using CDsItemsGroup::Replace;
};

// A leaf that counts its destruction and answers a chosen screen box and vertices.
class TestLeaf : public CDsItem {
public:
    explicit TestLeaf(int* destroyed = nullptr, ENTITY* entity = nullptr) : CDsItem(entity), destroyed_(destroyed) {}
    ~TestLeaf() override
    {
        if (destroyed_) ++*destroyed_;
    }
    void DrawGl(view3d&) override {}
    EDsItemsType GetItemType() override { return eDsItemPolyline2D; }
    bool GetBoundBox2D(SDsBox2D& box) override
    {
        if (!hasBox) return false;
        box = this->box;
        return true;
    }
    int GetVerticesCount(CDsGeometry::eDrawPrimitives) override
    {
        ++countsAsked;
        return vertices;
    }
    int GetVertices(CDsGeometry::eDrawPrimitives, int index, float*&, int& count) override
    {
        count = vertices;
        return index < vertices ? index + 1 : -1;
    }
    using CDsItemBase::IsAutoHideRequired;

    bool hasBox = false;
    SDsBox2D box{};
    int vertices = 0;
    int countsAsked = 0;

protected:
    int DrawGdi(view3d&) override { return 0; }

private:
    int* destroyed_;
};

// The display manager's entity-type service for the test's life.
class EntityTypes : public CDsSetEntityType {
public:
    int GetObjectType(ENTITY*) const override { return 0x1234; }
};

// Installs `service` (may be null) as the display manager's entity-type service meanwhile.
class EntityTypeScope {
public:
    explicit EntityTypeScope(const CDsSetEntityType* service) : saved_(CDsManager::GetInstance()->GetEntityType())
    {
        CDsManager::GetInstance()->SetType(service);
    }
    ~EntityTypeScope() { CDsManager::GetInstance()->SetType(saved_); }

private:
    const CDsSetEntityType* saved_;
};

// Auto-hide statics put back after a test.
class AutoHideScope {
public:
    ~AutoHideScope()
    {
        CDsItemBase::sUnitsPerPixel = units_;
        CDsItemBase::sAutoHideEnabled = enabled_;
        CDsItemBase::sAutoHideLevel = level_;
    }

private:
    float units_ = CDsItemBase::sUnitsPerPixel;
    bool enabled_ = CDsItemBase::sAutoHideEnabled;
    float level_ = CDsItemBase::sAutoHideLevel;
};

}  // namespace

TEST(DsItemBaseTest, AttributeSettersKeepTheirLimits)
{
    TestLeaf item;
    item.SetDrawMode(eDsDrawModeNormal3);
    EXPECT_EQ(item.GetDrawMode(), eDsDrawModeNormal);
    EXPECT_FALSE(item.GetAttributes()->GetXorMode());
    item.SetDrawMode(eDsDrawModeXor);
    EXPECT_EQ(item.GetDrawMode(), eDsDrawModeXor);
    EXPECT_TRUE(item.GetAttributes()->GetXorMode());
    item.SetDrawMode(eDsDrawModeNone);
    EXPECT_EQ(item.GetDrawMode(), eDsDrawModeNone);
    EXPECT_FALSE(item.GetAttributes()->GetXorMode());

    item.SetVisibility(eVisibilityLevel5, true, false, nullptr);
    item.SetVisibility(eVisibilityHighlight, true, false, nullptr);
    EXPECT_TRUE(item.GetHighlightState());
    EXPECT_EQ(item.GetVisibility(), eVisibilityLevel5);  // level 4 leaves the byte
    item.SetVisibility(eVisibilityMark, true, false, nullptr);
    item.SetVisibility(eVisibilityMark, false, false, nullptr);
    EXPECT_FALSE(item.GetMarkState());
    EXPECT_TRUE(item.GetHighlightState());  // level 3 clears only the mark
    item.SetVisibility(eVisibilityLevel6, false, false, nullptr);
    EXPECT_EQ(item.GetVisibility(), eVisibilityNormal);  // any other level off writes 0
    EXPECT_TRUE(item.GetNotFullyVisibleState());
    item.ResetAttributes(eDsResetHighlight);
    EXPECT_FALSE(item.GetNotFullyVisibleState());

    item.SetTransparency(1.5f);
    EXPECT_EQ(item.GetAttributes()->GetTransparencyByte(), 255);
    item.SetTransparency(-2.0f);
    EXPECT_EQ(item.GetAttributes()->GetTransparencyByte(), 0);
    item.SetTransparency(0.5f);
    EXPECT_FLOAT_EQ(item.GetTransparency(), 127.0f / 255.0f);

    item.SetWidth(3, false);
    item.SetWidth(0, false);
    item.SetWidth(9, false);
    EXPECT_EQ(item.GetWidth(), 3);
    item.SetStyle(31, false);
    EXPECT_EQ(item.GetStyle(), 31);
    item.SetStyle(32, false);
    item.SetStyle(-1, false);
    EXPECT_EQ(item.GetStyle(), 31);

    item.SetRenderMode(eRenderShade);
    EXPECT_EQ(item.GetRenderMode(), eRenderShade);
    item.SetRenderMode(eRenderMixed);
    EXPECT_EQ(item.GetRenderMode(), eRenderWireframe);

    // A colour of its own is no longer inherited; inheriting again does not lose it.
    EXPECT_TRUE(item.GetColorAndVisibilityInheritance());
    item.SetColor(CDsColorStorage(10, 20, 30), false);
    EXPECT_FALSE(item.GetColorAndVisibilityInheritance());
    item.ResetInheritColorState();
    EXPECT_TRUE(item.GetColorAndVisibilityInheritance());
    EXPECT_EQ(item.GetColor().GetColorRef(), CDsColorStorage(10, 20, 30).GetColorRef());

    item.SetBaseFlag(eDsBaseItemHostFlag, true);
    item.SetBaseFlag(static_cast<EDsBaseItemFlags>(2), true);
    EXPECT_TRUE(item.GetBaseFlag(eDsBaseItemHostFlag));
    EXPECT_FALSE(item.GetBaseFlag(eDsBaseItemNoPickWhenHidden));
    EXPECT_FALSE(item.GetBaseFlag(static_cast<EDsBaseItemFlags>(2)));
}

TEST(DsItemBaseTest, AutoHideLeavesOutCurvesSmallerThanTheLevelInPixels)
{
    AutoHideScope restore;
    CDsItemBase::StFastRefreshParameters(0.0f, true, 0.2f);
    EXPECT_FALSE(CDsItemBase::sAutoHideEnabled);  // no scale: off
    CDsItemBase::StFastRefreshParameters(2.0f, true, 0.2f);
    EXPECT_FLOAT_EQ(CDsItemBase::sAutoHideLevel, 20.0f);
    EXPECT_TRUE(TestLeaf::IsAutoHideRequired(30.0f));   // 15 pixels
    EXPECT_FALSE(TestLeaf::IsAutoHideRequired(40.0f));  // 20 pixels is not fewer

    // A plain polyline never hides; a hidden-line segment follows the rule.
    float points[6] = {0, 0, 0, 30, 0, 0};
    CDsItemPolyline3D plain(2, points, false, nullptr);
    CDsItemHlSegmentPolyline3D segment(2, points, false, nullptr);
    EXPECT_FALSE(plain.IsAutoHideRequired(30.0f));
    EXPECT_TRUE(segment.IsAutoHideRequired(segment.GetDiagonal()));
    CDsItemBase::StFastRefreshParameters(2.0f, false, 0.2f);
    EXPECT_FALSE(segment.IsAutoHideRequired(segment.GetDiagonal()));
}

TEST(DsItemBaseTest, AnEntityIsRegisteredInItsContextWhileShownAndForgottenWhenItGoes)
{
    EntityTypeScope noService(nullptr);
    CDsGlContext context;
    EntityPtr first(make_block(0, 0, 0, 1, 1, 1)), second(make_block(2, 0, 0, 3, 1, 1));
    const int pid = CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(first.get());
    auto item = std::make_unique<TestLeaf>();
    item->SetGlContext(&context);
    // Without an entity-type service the entity is recorded and registered all the same.
    item->SetEntity(first.get());
    EXPECT_EQ(item->GetEntity(), first.get());
    EXPECT_EQ(item->GetEntityPid(), pid);
    EXPECT_EQ(item->GetType(), 0);
    EXPECT_EQ(context.GetItemsMap()->Find(first.get()), item.get());
    EXPECT_FALSE(item->AttachEntity(first.get(), 0, pid));  // attaching needs the service

    // Replacing the entity moves the registration; the persistent id stays.
    item->SetEntity(second.get());
    EXPECT_EQ(context.GetItemsMap()->Find(first.get()), nullptr);
    EXPECT_EQ(context.GetItemsMap()->Find(second.get()), item.get());
    EXPECT_EQ(item->GetEntityPid(), pid);

    EntityTypes types;
    EntityTypeScope service(&types);
    item->DetachEntity(0);
    EXPECT_EQ(item->GetEntity(), nullptr);
    EXPECT_EQ(context.GetItemsMap()->Find(second.get()), nullptr);
    EXPECT_FALSE(item->AttachEntity(second.get(), 0, pid + 1));  // another id: refused
    EXPECT_EQ(item->GetEntity(), nullptr);
    EXPECT_EQ(item->GetType(), 0x34);  // but the type was taken (low byte)
    EXPECT_TRUE(item->AttachEntity(second.get(), 0, pid));
    EXPECT_EQ(context.GetItemsMap()->Find(second.get()), item.get());
    EXPECT_FALSE(item->AttachEntity(first.get(), 0, pid));  // attached already

    item.reset();
    EXPECT_EQ(context.GetItemsMap()->Find(second.get()), nullptr);

    // While the map is closing items leave it alone.
    auto closing = std::make_unique<TestLeaf>();
    closing->SetGlContext(&context);
    closing->SetEntity(first.get());
    context.GetItemsMap()->SetClosing(true);
    closing.reset();
    EXPECT_NE(context.GetItemsMap()->Find(first.get()), nullptr);
    context.GetItemsMap()->SetClosing(false);
    context.GetItemsMap()->Remove(first.get());
}

TEST(DsItemBaseTest, FindingItemsByIdsAndEntities)
{
    EntityTypes types;
    EntityTypeScope service(&types);
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    TestLeaf bare;
    EXPECT_EQ(bare.FindDsItem(0, 0, false), &bare);  // no entity record: id 0
    EXPECT_EQ(bare.FindDsItem(5, 0, false), nullptr);
    EXPECT_EQ(bare.FindDsItem(nullptr), &bare);

    auto* group = new TestGroup(nullptr, body.get());
    auto* leaf = new TestLeaf(nullptr, body.get());
    TestGroup root;
    root.Add(group);
    group->Add(leaf);
    const int pid = group->GetEntityPid();
    ASSERT_NE(pid, 0);
    EXPECT_EQ(root.FindDsItem(0, pid, true), nullptr);  // attached: not found with detachedOnly
    EXPECT_EQ(root.FindDsItem(0, pid, false), group);
    group->DetachEntity(7);
    EXPECT_EQ(group->GetComponentId(), 7);
    EXPECT_EQ(root.FindDsItem(7, pid, true), group);
    EXPECT_EQ(root.FindDsItem(body.get()), leaf);  // the leaf still shows it
    EXPECT_FALSE(group->AttachEntity(body.get(), 8, pid));
    EXPECT_EQ(group->GetEntity(), nullptr);
    EXPECT_TRUE(group->AttachEntity(body.get(), 7, pid));
    EXPECT_EQ(root.FindDsItem(body.get()), group);
    EXPECT_EQ(root.FindDsItem(nullptr), &root);  // a group without record matches null
}

TEST(DsItemBaseTest, ChildrenKeepTheOrdersOfEachRemovalAndAreDeletedOnce)
{
    int destroyed = 0;
    TestGroup group;
    auto* a = new TestLeaf(&destroyed);
    auto* b = new TestLeaf(&destroyed);
    auto* c = new TestLeaf(&destroyed);
    group.Add(a);
    group.Add(b);
    group.Add(c);
    group.Add(nullptr);
    group.Add(b);  // held already
    ASSERT_EQ(group.Count(), 3);

    EXPECT_TRUE(group.Remove(static_cast<CDsItemBase*>(a)));  // the last moves into the hole
    EXPECT_EQ(group.Get(0), c);
    EXPECT_EQ(group.Get(1), b);
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(group.Remove(static_cast<CDsItemBase*>(a)));  // twice: nothing
    EXPECT_EQ(destroyed, 1);

    auto* d = new TestLeaf(&destroyed);
    group.Add(d);  // c, b, d
    group.Remove(1);
    EXPECT_EQ(group.Get(0), c);
    EXPECT_EQ(group.Get(1), d);
    group.Remove(-1);
    group.Remove(5);
    EXPECT_EQ(group.Count(), 2);
    EXPECT_EQ(group.Get(-1), nullptr);
    EXPECT_EQ(group.Get(2), nullptr);

    auto* e = new TestLeaf(&destroyed);
    group.Replace(5, e);  // past the end: appended
    EXPECT_EQ(group.Get(2), e);
    auto* f = new TestLeaf(&destroyed);
    group.Replace(0, f);  // c deleted, f in its slot
    EXPECT_EQ(group.Get(0), f);
    EXPECT_EQ(destroyed, 3);
    group.Replace(0, f);  // the same child: kept
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(group.GetDsFaces(), f);
    EXPECT_EQ(group.GetDsEdges(), d);

    EXPECT_TRUE(group.Disconnect(e));  // not deleted
    EXPECT_EQ(destroyed, 3);
    delete e;
    group.DisconnectAll();
    EXPECT_EQ(group.Count(), 0);
    EXPECT_EQ(group.GetDsEdges(), nullptr);
    delete f;
    delete d;
    EXPECT_EQ(destroyed, 6);
}

TEST(DsItemBaseTest, ReplaceRefusesAChildHeldInAnotherSlot)
{
    int destroyed = 0;
    {
        TestGroup group;
        auto* a = new TestLeaf(&destroyed);
        auto* b = new TestLeaf(&destroyed);
        group.Add(a);
        group.Add(b);
        // b is child 1 already: held twice it would be deleted twice, so nothing changes.
        group.Replace(0, b);
        EXPECT_EQ(group.Count(), 2);
        EXPECT_EQ(group.Get(0), a);
        EXPECT_EQ(group.Get(1), b);
        group.Replace(2, a);  // past the end: appending a held child is refused as well
        EXPECT_EQ(group.Count(), 2);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(DsItemBaseTest, AGroupDeletesItsSubtree)
{
    int destroyed = 0;
    {
        TestGroup root;
        auto* inner = new TestGroup;
        inner->Add(new TestLeaf(&destroyed));
        inner->Add(new TestLeaf(&destroyed));
        root.Add(inner);
        root.Add(new TestLeaf(&destroyed));
    }
    EXPECT_EQ(destroyed, 3);
}

TEST(DsItemBaseTest, ShowingAnItemShowsEveryAncestorAndHidingStaysWithTheItem)
{
    TestGroup root;
    auto* middle = new TestGroup;
    auto* leaf = new TestLeaf;
    root.Add(middle);
    middle->Add(leaf);
    middle->SetParent(&root);
    leaf->SetParent(middle);

    const CDsHideLevel blank(eDsHideLevelBlank), shown(eDsHideLevelShown);
    root.SetAttribute(blank, true, false);
    middle->SetAttribute(blank, true, false);
    EXPECT_TRUE(root.IsHidden());
    leaf->SetAttribute(blank, true, false);  // hiding the leaf stays with it
    EXPECT_TRUE(leaf->IsHidden());
    leaf->SetAttribute(shown, true, false);  // showing it climbs to the root
    EXPECT_FALSE(leaf->IsHidden());
    EXPECT_FALSE(middle->IsHidden());
    EXPECT_FALSE(root.IsHidden());

    // A level handed down hides the subtree; withdrawing the reason from the leaf withdraws it
    // from every ancestor as well.
    root.SetAttribute(blank, true, true);
    EXPECT_TRUE(leaf->IsHidden());
    EXPECT_TRUE(middle->IsHidden());
    leaf->SetAttribute(blank, false, false);
    EXPECT_FALSE(leaf->IsHidden());
    EXPECT_FALSE(root.IsHidden());

    // A hidden group is counted as hidden, the children as they are.
    root.SetAttribute(blank, true, false);
    middle->SetAttribute(blank, true, false);
    CDsStatisticsItems statistics;
    root.CountStatistics(&statistics);
    root.CountStatistics(nullptr);
    int count = 0, hidden = 0;
    statistics.GetStatistics(eDsItemsGroup, count, hidden);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(hidden, 2);
    statistics.GetStatistics(eDsItemPolyline2D, count, hidden);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(hidden, 0);
}

TEST(DsItemBaseTest, GroupsHandAttributesDownAndMarkInheritanceOneLevelDeep)
{
    TestGroup root;
    auto* inner = new TestGroup;
    auto* leaf = new TestLeaf;
    auto* deep = new TestLeaf;
    root.Add(inner);
    root.Add(leaf);
    inner->Add(deep);
    root.SetColor(CDsColorStorage(1, 2, 3), true);
    EXPECT_EQ(deep->GetColor().GetColorRef(), CDsColorStorage(1, 2, 3).GetColorRef());
    root.SetStyle(40, true);  // refused everywhere
    root.SetWidth(4, false);  // not handed down
    EXPECT_EQ(root.GetWidth(), 4);
    EXPECT_EQ(leaf->GetWidth(), 1);
    root.SetTransparency(2.0f);
    EXPECT_EQ(deep->GetAttributes()->GetTransparencyByte(), 255);
    root.SetDrawMode(eDsDrawModeXor);
    EXPECT_EQ(deep->GetDrawMode(), eDsDrawModeXor);

    root.SetInheritColorState(true);
    EXPECT_TRUE(root.GetAttributes()->GetInheritColorState());
    EXPECT_TRUE(inner->GetAttributes()->GetInheritColorState());
    EXPECT_TRUE(leaf->GetAttributes()->GetInheritColorState());
    EXPECT_FALSE(deep->GetAttributes()->GetInheritColorState());
}

TEST(DsItemBaseTest, GroupBoundsAndVerticesComeFromTheChildren)
{
    TestGroup group;
    SDsBox2D box;
    auto* a = new TestLeaf;
    auto* b = new TestLeaf;
    group.Add(a);
    group.Add(b);
    EXPECT_FALSE(group.GetBoundBox2D(box));
    EXPECT_EQ(box.minX, 10000000);
    EXPECT_EQ(box.maxY, -10000000);
    a->hasBox = true;
    a->box = SDsBox2D{10, 20, 30, 40};
    b->hasBox = true;
    b->box = SDsBox2D{-5, 25, 15, 50};
    ASSERT_TRUE(group.GetBoundBox2D(box));
    EXPECT_EQ(box.minX, -5);
    EXPECT_EQ(box.minY, 20);
    EXPECT_EQ(box.maxX, 30);
    EXPECT_EQ(box.maxY, 50);

    a->vertices = 3;
    b->vertices = 4;
    float* out = nullptr;
    int count = 0;
    EXPECT_EQ(group.GetVerticesCount(CDsGeometry::eDpLines), 7);
    EXPECT_EQ(group.GetVertices(CDsGeometry::eDpLines, 1, out, count), 2);
    EXPECT_EQ(group.GetVertices(CDsGeometry::eDpLines, 5, out, count), 3 + 3);  // b's vertex 2
    EXPECT_EQ(group.GetVertices(CDsGeometry::eDpLines, 7, out, count), -1);
}

// One call of a walk over a group's vertices: what it answers and the vertices it hands out.
struct SVertexCall {
    int next = 0;
    float* vertices = nullptr;
    int count = 0;
};
SVertexCall VerticesAt(CDsItemBase& item, CDsGeometry::eDrawPrimitives kinds, int index)
{
    SVertexCall call;
    call.next = item.GetVertices(kinds, index, call.vertices, call.count);
    return call;
}

// A walk over the vertices of a group of many children asks each child for its count once, not
// once for every vertex before it; the walk still reaches every vertex in order, and a count
// changed without telling is seen by the next walk and by the group's count.
TEST(DsItemBaseTest, AWalkOverAGroupsVerticesAsksEachChildForItsCountOnce)
{
    constexpr int kChildren = 300;
    TestGroup group;
    std::vector<TestLeaf*> leaves;
    for (int i = 0; i < kChildren; ++i) {
        leaves.push_back(new TestLeaf);
        leaves.back()->vertices = 3;
        group.Add(leaves.back());
    }
    auto walk = [&] {
        int calls = 0;
        for (int index = 0; index >= 0 && calls <= 10 * kChildren; ++calls) {
            const SVertexCall call = VerticesAt(group, CDsGeometry::eDpFaces, index);
            EXPECT_TRUE(call.next < 0 || call.next == index + 1) << "at " << index;
            index = call.next;
        }
        return calls;
    };
    EXPECT_EQ(walk(), 3 * kChildren + 1);  // one call per vertex, and the one past the end
    int asked = 0;
    for (TestLeaf* leaf : leaves) asked += leaf->countsAsked;
    EXPECT_LE(asked, kChildren + 1);

    leaves[0]->vertices = 5;  // not told
    EXPECT_EQ(group.GetVerticesCount(CDsGeometry::eDpFaces), 3 * kChildren + 2);
    EXPECT_EQ(walk(), 3 * kChildren + 3);
}

// Between two calls of a walk over a group's vertices, a leaf's points or triangles set anew and
// children added to or removed from the group or a group inside it: the next call answers as the
// group is then, not as it was counted before.
TEST(DsItemBaseTest, AWalkOverAGroupsVerticesFollowsChangesBetweenItsCalls)
{
    float a5[15] = {0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0};
    float b2[6] = {0, 7, 0, 1, 7, 0};
    float c4[12] = {0, 9, 0, 1, 9, 0, 2, 9, 0, 3, 9, 0};
    float d3[9] = {5, 5, 5, 6, 5, 5, 7, 5, 5};
    const auto lines = CDsGeometry::eDpLines;

    // A leaf's points set anew: [a b] with a of 3 points, then of 5.
    {
        TestGroup group;
        auto* a = new CDsItemPolyline3D(3, a5, false, nullptr);
        auto* b = new CDsItemPolyline3D(2, b2, false, nullptr);
        group.Add(a);
        group.Add(b);
        SVertexCall call = VerticesAt(group, lines, 0);
        ASSERT_EQ(call.vertices, a5);
        ASSERT_EQ(call.next, 3);  // where b starts
        a->SetPoints(5, a5);
        call = VerticesAt(group, lines, 3);
        EXPECT_EQ(call.vertices, nullptr);  // inside a now, which hands out its points at 0 only
        EXPECT_EQ(call.next, 5);
        call = VerticesAt(group, lines, 5);
        EXPECT_EQ(call.vertices, b2);
        EXPECT_EQ(call.count, 2);
        EXPECT_EQ(call.next, -1);
    }
    // A child removed, order kept: [a b c] becomes [b c].
    {
        TestGroup group;
        group.Add(new CDsItemPolyline3D(3, a5, false, nullptr));
        group.Add(new CDsItemPolyline3D(2, b2, false, nullptr));
        group.Add(new CDsItemPolyline3D(4, c4, false, nullptr));
        ASSERT_EQ(VerticesAt(group, lines, 0).next, 3);
        group.Remove(0);
        const SVertexCall call = VerticesAt(group, lines, 3);
        EXPECT_EQ(call.vertices, nullptr);  // inside c, past its first point
        EXPECT_EQ(call.next, -1);
        EXPECT_EQ(VerticesAt(group, lines, 2).vertices, c4);
    }
    // A child added to a group inside the group: [[c] b] becomes [[c d] b].
    {
        TestGroup group;
        auto* inner = new TestGroup;
        inner->Add(new CDsItemPolyline3D(4, c4, false, nullptr));
        group.Add(inner);
        group.Add(new CDsItemPolyline3D(2, b2, false, nullptr));
        ASSERT_EQ(VerticesAt(group, lines, 0).vertices, c4);
        ASSERT_EQ(VerticesAt(group, lines, 0).next, 4);
        inner->Add(new CDsItemPolyline3D(3, d3, false, nullptr));
        SVertexCall call = VerticesAt(group, lines, 4);
        EXPECT_EQ(call.vertices, d3);
        EXPECT_EQ(call.count, 3);
        EXPECT_EQ(call.next, 7);
        EXPECT_EQ(VerticesAt(group, lines, 7).vertices, b2);
        EXPECT_EQ(group.GetVerticesCount(lines), 9);
    }
    // A triangle set's triangles set anew: [t u] with t of one triangle at z = 0, then of three.
    {
        TestGroup group;
        auto* t = new CDsItemTrigs(true);
        auto* u = new CDsItemTrigs(true);
        const auto one = vyrtest::MakeTriangulation(1, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
        const auto three = vyrtest::MakeTriangulation(3, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
        const auto above = vyrtest::MakeTriangulation(2, {0, 0, 5}, {1, 0, 5}, {0, 1, 5});
        t->SetTriangulation(one.get(), nullptr);
        u->SetTriangulation(above.get(), nullptr);
        group.Add(t);
        group.Add(u);
        SVertexCall call = VerticesAt(group, CDsGeometry::eDpFaces, 0);
        ASSERT_EQ(call.count, 3);
        ASSERT_EQ(call.next, 3);  // u's first triangle
        t->SetTriangulation(three.get(), nullptr);
        call = VerticesAt(group, CDsGeometry::eDpFaces, 3);
        ASSERT_EQ(call.count, 3);
        EXPECT_FLOAT_EQ(call.vertices[2], 0.0f);  // t's second triangle, not u's first
        EXPECT_EQ(call.next, 6);
        int triangles = 2;
        for (int index = 6; index >= 0 && triangles < 10; ++triangles) {
            call = VerticesAt(group, CDsGeometry::eDpFaces, index);
            index = call.next;
        }
        EXPECT_EQ(triangles, 5);
        EXPECT_FLOAT_EQ(call.vertices[2], 5.0f);  // the walk ends on u
    }
}

TEST(DsItemBaseTest, PolylinesOwnOrBorrowTheirPointsAndAnswerTheirEnds)
{
    float borrowed[9] = {0, 0, 0, 3, 4, 0, 6, 0, 0};
    {
        CDsItemPolyline3D line(3, borrowed, false, nullptr);
        EXPECT_FLOAT_EQ(line.GetDiagonal(), std::sqrt(36.0f + 16.0f));
        line.SetPoints(2, borrowed);  // still borrowed: nothing freed
        EXPECT_EQ(line.GetPointsCount(), 2);
    }
    EXPECT_EQ(borrowed[3], 3.0f);  // the caller's array is untouched

    const SPAposition positions[3] = {SPAposition(0, 0, 0), SPAposition(10, 0, 0), SPAposition(10, 10, 0)};
    CDsItemPolyline3D owned(3, positions, true, nullptr);
    SPAposition p;
    ASSERT_TRUE(owned.GetPoint(static_cast<CDsGeometry::eParameterPoints>(CDsGeometry::ePpStart | CDsGeometry::ePpEnd), p));
    EXPECT_EQ(p.y(), 10.0);  // the later kind wins
    ASSERT_TRUE(owned.GetPoint(CDsGeometry::ePpMiddle, p));
    EXPECT_NEAR(p.x(), 10.0, 1e-6);
    EXPECT_NEAR(p.y(), 0.0, 1e-6);
    float* vertices = nullptr;
    int count = 0;
    EXPECT_EQ(owned.GetVertices(CDsGeometry::eDpFaces, 0, vertices, count), -1);
    EXPECT_EQ(vertices, nullptr);
    EXPECT_EQ(owned.GetVertices(CDsGeometry::eDpLines, 0, vertices, count), -1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(vertices, owned.GetPointsData());
    CDsItemPolyline3D copy(owned);
    EXPECT_TRUE(copy.IsClosed());
    EXPECT_NE(copy.GetPointsData(), owned.GetPointsData());
    SPAbox box;
    ASSERT_TRUE(owned.GetBoundBox(box));
    EXPECT_EQ(box.high().x(), 10.0);
    owned.Transform(translate_transf(SPAvector(1, 2, 3)));
    EXPECT_FLOAT_EQ(owned.GetPointsData()[0], 1.0f);
    EXPECT_FLOAT_EQ(owned.GetPointsData()[2], 3.0f);

    // Empty and broken input gives empty answers.
    CDsItemPolyline3D empty(0, static_cast<const SPAposition*>(nullptr), false, nullptr);
    EXPECT_EQ(empty.GetPoints(count, nullptr), nullptr);
    EXPECT_FALSE(empty.GetPoint(CDsGeometry::ePpStart, p));
    CDsItemPolyline3D fromNothing(nullptr, nullptr);
    EXPECT_EQ(fromNothing.GetPointsCount(), 0);
    CDsPolyline polyline;
    polyline.Add(SPAposition(1, 1, 1));
    polyline.Add(SPAposition(2, 2, 2));
    CDsItemPolyline3D fromPolyline(nullptr, &polyline);
    EXPECT_EQ(fromPolyline.GetPointsCount(), 2);
    EXPECT_FLOAT_EQ(fromPolyline.GetPointsData()[5], 2.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float broken[6] = {nan, 0, 0, 1, 1, 1};
    CDsItemPolyline3D withNan(2, broken, false, nullptr);
    EXPECT_TRUE(std::isfinite(withNan.GetDiagonal()));
}

TEST(DsItemBaseTest, SelectAllTakesTheEntitiesTheFilterAccepts)
{
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1)), other(make_block(2, 0, 0, 3, 1, 1));
    TestGroup group;
    group.Add(new TestLeaf(nullptr, body.get()));
    group.Add(new TestLeaf(nullptr, other.get()));
    group.Add(new TestLeaf(nullptr, body.get()));
    ENTITY_LIST list;
    {
        CDsSelectAllData none(0, nullptr, nullptr, false);
        group.SelectAll(none, list);  // no filter: nothing
    }
    EXPECT_EQ(list.count(), 0);
    auto* everything = new entity_filter;
    {
        CDsSelectAllData data(0, everything, nullptr, false);
        group.SelectAll(data, list);
        EXPECT_FALSE(data.TestWireEntity(body.get()));
    }
    everything->lose();
    EXPECT_EQ(list.count(), 2);  // each entity once
}
