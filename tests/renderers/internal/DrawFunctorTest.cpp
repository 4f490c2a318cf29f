// The draw functor without a context: the state sent is recorded through the OpenGL seam and the
// geometries record what they were asked to draw. States and their inheritance, the state word,
// the memo of applied attributes, per-type colours and offsets, culling, reflection, region runs,
// complexes in full and fast frames, the mixed passes' filters, and the driver-drawing types.
#include "DsGlTraverseFunctor.h"

#include "RecordingSeam.h"

#include "../../scene_db/SceneTestSupport.h"

#include "DsPartStorage.h"
#include "SpaValues.h"
#include "ViewSetup.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace {

using vyrtest::GlCall;
using vyrtest::RecordingSeam;

// One draw a geometry was asked for.
struct SDraw {
    int item;  // the geometry's own number
    int kind;
    int first;
    int last;
    bool reflection;
    bool gl;   // DrawGl (true) or Draw through the view (false)
};

std::vector<SDraw> gDraws;
RecordingSeam* gSeam = nullptr;  // the seam a draw marks itself in

// A geometry that records its draws (and marks them in the seam's calls).
class CDrawGeometry : public CDsGeometry {
public:
    CDrawGeometry(int item, int primitives, std::vector<int> connected = {}) :
        m_item(item), m_primitives(primitives), m_connected(std::move(connected))
    {
    }
    CDsGeometry* Clone() const override { return new CDrawGeometry(m_item, m_primitives, m_connected); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = static_cast<unsigned>(m_connected.size());
        return m_connected.empty() ? nullptr : m_connected.data();
    }
    bool GetBoundBox(SPAbox&, int) const override { return false; }
    bool HasBoundBox(int) const override { return false; }
    int GetDrawPrimitives(int) const override { return m_primitives; }
    int Draw(view3d&, eDrawPrimitives kind, int first, int last, const CDsDrawContext* record) override
    {
        gDraws.push_back({m_item, kind, first, last, record && record->reflection, false});
        return 1;
    }
    void DrawGl(view3d&, eDrawPrimitives kind, int first, int last, const CDsDrawContext* record) override
    {
        gDraws.push_back({m_item, kind, first, last, record && record->reflection, true});
        if (gSeam) gSeam->calls.push_back(GlCall{"draw", {double(m_item)}});
        // A geometry that changes OpenGL state behind the walk says so through the record.
        if (m_spoilsState) const_cast<CDsDrawContext*>(record)->keepAttributeCache = false;
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }
    bool IsAlwaysDrawn() const override { return m_alwaysDrawn; }

    bool m_spoilsState = false;
    bool m_alwaysDrawn = true;

private:
    int m_item;
    int m_primitives;
    std::vector<int> m_connected;
};

// A functor type that also records the state word and attributes of every item it enters and
// the slaves the walk offers.
template <class Base>
struct CSpy : Base {
    using Base::Base;
    std::map<int, int> states;
    std::map<int, CDsAttributes> attributes;
    std::vector<int> slaves;
    int leaves = 0;

    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* v)
    {
        Base::OnPushLocation(scene, location, path, v);
        states[path.GetLastId()] = this->GetItemState();
        attributes[path.GetLastId()] = this->GetItemAttributes();
    }
    bool OnVisitSlave(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* v)
    {
        slaves.push_back(path.GetLastId());
        return Base::OnVisitSlave(scene, location, path, v);
    }
    bool OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int id, int type)
    {
        ++leaves;
        return Base::OnRegionLeaf(location, path, id, type);
    }
};

CDsAttributes Colored(unsigned color, int width = 1)
{
    CDsAttributes a;
    a.SetColor(color);
    a.SetLineWidth(width);
    return a;
}

// The colour sent, as 0x00BBGGRR, of a Color3ub call.
unsigned ColorOf(const GlCall& call)
{
    return unsigned(call.args[0]) | unsigned(call.args[1]) << 8 | unsigned(call.args[2]) << 16;
}

class DrawFunctorTest : public CSceneDbTest {
protected:
    DrawFunctorTest()
    {
        SetTestCategories();
        vyrtest::ViewSetup().Pixels(100, 100).Field(100, 100).ApplyTo(view);  // one unit a pixel
        DsInitDrawSetup(setup, &view, nullptr, false, false, false);
        gDraws.clear();
        gSeam = &seam;
        seam.enabled.insert(GL_DEPTH_TEST);
    }
    ~DrawFunctorTest() override
    {
        gSeam = nullptr;
        for (int state = 0; state < eAttribSetCount; ++state) CDsScene::SetSpecialAttrs(state, saved[state]);
    }

    int Peer() const { return scene.GetPeerPartId(); }
    CVyrObjectPath Path(std::vector<int> ids) const
    {
        return CVyrObjectPath(ids.data(), static_cast<int>(ids.size()), static_cast<int>(ids.size()), Peer());
    }
    CDrawGeometry* Item(int id, int primitives, const CDsAttributes& attributes = Colored(0x0000FF),
                        std::vector<int> connected = {})
    {
        auto* g = new CDrawGeometry(id, primitives, std::move(connected));
        EXPECT_TRUE(storage->AddItem(CVyrObjectId(Peer(), id), kLeafType, g, nullptr, &attributes, nullptr, nullptr, true));
        return g;
    }
    // Walks the whole peer part with `functor`.
    template <class F>
    void Walk(F& functor, const std::vector<CVyrObjectPath>& paths = {}, bool walkAll = true)
    {
        scene.SetCurrentView(&view);
        functor.PrepareForFrame(&scene, &view, viewport);
        DsTraverseScene(storage, functor, CVyrObjectPath(Peer()), &scene, paths, walkAll);
    }
    std::vector<int> DrawnItems() const
    {
        std::vector<int> items;
        for (const SDraw& d : gDraws) items.push_back(d.item);
        return items;
    }

    RecordingSeam seam;
    CDsPartStorage* storage = CDsPartStorage::instance();
    CDsScene scene{1};
    view3d view;
    SDsRenderFlags flags;
    SDsDrawOptions options{flags};
    SDsDrawSetup setup;
    CDsDrawContext record{nullptr, false, 0.05};
    int viewport[4] = {0, 100, 100, 0};
    CDsAttributes saved[eAttribSetCount] = {
        CDsScene::GetSpecialAttrs(0),  CDsScene::GetSpecialAttrs(1),  CDsScene::GetSpecialAttrs(2),
        CDsScene::GetSpecialAttrs(3),  CDsScene::GetSpecialAttrs(4),  CDsScene::GetSpecialAttrs(5),
        CDsScene::GetSpecialAttrs(6),  CDsScene::GetSpecialAttrs(7),  CDsScene::GetSpecialAttrs(8),
        CDsScene::GetSpecialAttrs(9),  CDsScene::GetSpecialAttrs(10), CDsScene::GetSpecialAttrs(11),
        CDsScene::GetSpecialAttrs(12), CDsScene::GetSpecialAttrs(13), CDsScene::GetSpecialAttrs(14),
        CDsScene::GetSpecialAttrs(15)};
};

TEST_F(DrawFunctorTest, StatesAreInheritedAndSlavesTakeTheirMastersStates)
{
    // Group 10 (leaf 11), complex 30: masters 31 and 32 (transparency 0), slaves 33 on 31, 34 on
    // 32, 35 on nothing.
    storage->AddItem(CVyrObjectId(Peer(), 10), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 10), 11, kLeafType, new CDrawGeometry(11, 2), nullptr, nullptr, true);
    storage->AddItem(CVyrObjectId(Peer(), 30), kComplexType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 30), 31, kLeafType, new CDrawGeometry(31, 2), nullptr, nullptr, true);
    CDsAttributes clear;
    clear.SetTransparency(0);
    storage->AddChildItem(CVyrObjectId(Peer(), 30), 32, kLeafType, new CDrawGeometry(32, 4), nullptr, &clear, true);
    storage->AddSlaveItem(CVyrObjectId(Peer(), 30), 33, kLeafType, new CDrawGeometry(33, 2, {31}), nullptr, nullptr, true);
    storage->AddSlaveItem(CVyrObjectId(Peer(), 30), 34, kLeafType, new CDrawGeometry(34, 2, {32}), nullptr, nullptr, true);
    storage->AddSlaveItem(CVyrObjectId(Peer(), 30), 35, kLeafType, new CDrawGeometry(35, 2), nullptr, nullptr, true);
    {
        CSpy<CDsGlTraverseFunctor> first(&view, options, setup, 7, 2, false, &record);
        Walk(first);  // makes the locations
    }
    scene.FindLocation(Path({10}))->SetState(eAttribSetMark);
    scene.FindLocation(Path({30, 31}))->SetState(eAttribSetMark);

    gDraws.clear();
    CSpy<CDsGlTraverseFunctor> f(&view, options, setup, 7, 2, false, &record);
    Walk(f);
    EXPECT_EQ(f.states[10] & 0xFF, eAttribSetMark);
    EXPECT_EQ(f.states[11] & 0xFF, eAttribSetMark);  // from its parent
    EXPECT_EQ(f.states[33] & 0xFF, eAttribSetMarkedSlave);
    EXPECT_EQ(f.states[34] & 0xFF, eAttribSetTransparentSlave);
    EXPECT_EQ(f.states[35] & 0xFF, eAttribSetNormal);
    // The walk's temporary states were undone: the child keeps its own.
    EXPECT_EQ(scene.FindLocation(Path({10, 11}))->GetState(), eAttribSetNormal);
    // Every slave is drawn in a pass that draws all slaves, after the masters.
    EXPECT_EQ(DrawnItems(), (std::vector<int>{11, 31, 32, 33, 34, 35}));

    // A forced entry state replaces every location's own.
    CSpy<CDsGlTraverseFunctor> forced(&view, options, setup, 7, 2, false, &record);
    forced.SetEntryState(eAttribSetHighlight);
    Walk(forced);
    EXPECT_EQ(forced.states[11] & 0xFF, eAttribSetHighlight);
    EXPECT_EQ(forced.states[35] & 0xFF, eAttribSetHighlight);
}

TEST_F(DrawFunctorTest, SlavesTakeTheOverrideAttributesAndSpecialSlavesKeepTheirColour)
{
    // The marked slaves' set empty, whatever the manager's settings put there: the slave's own colour shows.
    CDsScene::SetSpecialAttrs(eAttribSetMarkedSlave, CDsAttributes());
    CDsAttributes override;
    override.SetColor(0x00FF00);
    options.overrideAttributes = override;
    storage->AddItem(CVyrObjectId(Peer(), 30), kComplexType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 30), 31, kLeafType, new CDrawGeometry(31, 2), nullptr, nullptr, true);
    const CDsAttributes red = Colored(0x0000FF, 2);
    storage->AddSlaveItem(CVyrObjectId(Peer(), 30), 33, kLeafType, new CDrawGeometry(33, 2, {31}), nullptr, &red, true);
    {
        CSpy<CDsGlTraverseFunctor> f(&view, options, setup, 7, 2, false, &record);
        Walk(f);
        EXPECT_EQ(f.attributes[33].GetColor(), 0x00FF00u);
        EXPECT_EQ(f.attributes[31].GetColor(), 0u);  // masters keep theirs
    }
    scene.FindLocation(Path({30, 31}))->SetState(eAttribSetMark);  // slave 33 becomes state 11
    CSpy<CDsGlTraverseFunctor> f(&view, options, setup, 7, 2, false, &record);
    Walk(f);
    EXPECT_EQ(f.attributes[33].GetColor(), 0x0000FFu);
    EXPECT_EQ(f.attributes[33].GetLineWidth(), 3);
}

TEST_F(DrawFunctorTest, TheStateWordCarriesOnTopOwnAttributesAndOffset)
{
    Item(1, 2 | CDsGeometry::eDpOnTop);
    Item(2, 2 | CDsGeometry::eDpOffset);
    Item(3, 2);
    Item(4, 2);
    {
        CSpy<CDsGlTraverseFunctor> first(&view, options, setup, 7, 2, false, &record);
        Walk(first);
    }
    ASSERT_TRUE(scene.SetOnTop(Path({3})));
    ASSERT_TRUE(scene.SetOrgAttrs(Path({4})));
    CSpy<CDsGlTraverseFunctor> f(&view, options, setup, 7, 2, false, &record);
    Walk(f);
    EXPECT_EQ(f.states[1], 0x100);
    EXPECT_EQ(f.states[2], 0x400);
    EXPECT_EQ(f.states[3], 0x100);
    EXPECT_EQ(f.states[4], 0x200);
}

TEST_F(DrawFunctorTest, EqualAttributesSendNothingUntilAGeometrySpoilsTheState)
{
    Item(1, 2, Colored(0x0000FF, 3));
    Item(2, 2, Colored(0x0000FF, 3));
    CDrawGeometry* spoiler = Item(3, 2, Colored(0x0000FF, 3));
    Item(4, 2, Colored(0x0000FF, 3));
    spoiler->m_spoilsState = true;
    CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, &record);
    seam.Take();
    Walk(f);
    const std::vector<GlCall> calls = seam.Take();
    // The calls between the draws of items 1 and 2, and of 3 and 4.
    auto between = [&](int a, int b) {
        std::vector<GlCall> out;
        bool in = false;
        for (const GlCall& c : calls) {
            if (c.name == "draw") {
                if (in && c.args[0] == b) return out;
                in = c.args[0] == a;
                continue;
            }
            if (in) out.push_back(c);
        }
        return out;
    };
    EXPECT_TRUE(between(1, 2).empty()) << ::testing::PrintToString(between(1, 2));
    // After item 3 spoiled the state item 4 sends its colour and width again.
    const std::vector<GlCall> resent = between(3, 4);
    int colors = 0, widths = 0;
    for (const GlCall& c : resent) {
        colors += c.name == "Color3ub" && ColorOf(c) == 0x0000FF;
        widths += c.name == "LineWidth" && c.args[0] == 3;
    }
    EXPECT_EQ(colors, 1);
    EXPECT_EQ(widths, 1);
    EXPECT_TRUE(record.keepAttributeCache);
}

TEST_F(DrawFunctorTest, ColoursAndFaceOffsetsByFunctorType)
{
    Item(1, CDsGeometry::eDpLines, Colored(0x000080));
    Item(2, CDsGeometry::eDpFaces, Colored(0x000080));
    Item(3, CDsGeometry::eDpFaces | CDsGeometry::eDpOffset, Colored(0x000080));
    flags.lighten = true;
    flags.whiteFaces = true;
    auto colours = [&](const std::vector<GlCall>& calls) {
        std::vector<unsigned> out;
        for (const GlCall& c : calls)
            if (c.name == "Color3ub") out.push_back(ColorOf(c));
        return out;
    };
    auto offsets = [&](const std::vector<GlCall>& calls) {
        std::vector<double> out;
        for (const GlCall& c : calls)
            if (c.name == "PolygonOffset") out.push_back(c.args[0]);
        return out;
    };
    {
        // The hidden-line type lightens line colours, leaves faces their colour, offsets faces by 2.
        CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, &record);
        seam.Take();
        Walk(f);
        const auto calls = seam.Take();
        const auto sent = colours(calls);
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0], 0x4040FFu);  // L 0.25 -> 0.63 at hue 0, saturation 1
        EXPECT_EQ(sent[1], 0x000080u);
        EXPECT_EQ(offsets(calls), (std::vector<double>{2}));
    }
    setup.ResetMemo();
    {
        // The shade type draws faces white, leaves lines as they are, offsets by the state's
        // offset + 1.
        CDsGlShadeFunctor f(&view, options, setup, 7, 2, false, &record);
        seam.Take();
        Walk(f);
        const auto calls = seam.Take();
        EXPECT_EQ(colours(calls), (std::vector<unsigned>{0x000080u, 0xFFFFFFu}));
        EXPECT_EQ(offsets(calls), (std::vector<double>{1, 2}));
    }
}

TEST_F(DrawFunctorTest, StipplesFollowTheLineStyle)
{
    CDsAttributes dashed = Colored(0x0000FF);
    dashed.SetLineStyle(1);
    Item(1, 2, dashed);
    Item(2, 2);
    CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, &record);
    seam.Take();
    Walk(f);
    std::vector<std::string> names;
    for (const GlCall& c : seam.Take())
        if (c.name == "Enable" || c.name == "Disable" || c.name == "LineStipple")
            if (c.name == "LineStipple" || c.args[0] == GL_LINE_STIPPLE) names.push_back(c.name);
    uint16_t pattern = 0;
    int factor = 0;
    ASSERT_TRUE(CDsStylePalette::StGetActive()->GetStyle(1, pattern, factor));
    EXPECT_EQ(names, (std::vector<std::string>{"Enable", "LineStipple", "Disable"}));
}

TEST_F(DrawFunctorTest, SizeCullingDuringAutoHide)
{
    Item(1, 2)->SetSize(5);    // 5 pixels: below the threshold
    Item(2, 2)->SetSize(20);   // above it
    Item(3, CDsGeometry::eDpPoints | CDsGeometry::eDpOnTop)->SetSize(5);  // screen kinds are never culled
    Item(4, 2);                // size not known: kept
    CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, &record);
    scene.SetCurrentView(&view);
    f.PrepareForFrame(&scene, &view, viewport);
    f.SetAutoHideThreshold(10);
    DsTraverseScene(storage, f, CVyrObjectPath(Peer()), &scene, {}, true);
    EXPECT_EQ(DrawnItems(), (std::vector<int>{2, 3, 4}));

    gDraws.clear();
    f.SetAutoHideThreshold(0);  // no culling by size at all
    DsTraverseScene(storage, f, CVyrObjectPath(Peer()), &scene, {}, true);
    EXPECT_EQ(DrawnItems(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(DrawFunctorTest, ScreenBoxCullingWhenMostOfTheSceneIsOffTheViewport)
{
    storage->AddItem(CVyrObjectId(Peer(), 1), kLeafType, new CTestGeometry(UnitBox(0, 0, 0)), nullptr, nullptr,
                     nullptr, nullptr, true);
    storage->AddItem(CVyrObjectId(Peer(), 2), kLeafType, new CTestGeometry(UnitBox(1, 0, 0)), nullptr, nullptr,
                     nullptr, nullptr, true);
    storage->AddItem(CVyrObjectId(Peer(), 3), kLeafType, new CTestGeometry(UnitBox(2, 0, 0)), nullptr, nullptr,
                     nullptr, nullptr, true);
    {
        CSpy<CDsGlTraverseFunctor> first(&view, options, setup, 7, 2, false, &record);
        Walk(first);
    }
    scene.ValidateLocationsBB();
    scene.FindLocation(Path({1}))->Set2dBoundBox(10, 20, 20, 10);      // inside
    scene.FindLocation(Path({2}))->Set2dBoundBox(300, 320, 320, 300);  // wholly right and above
    scene.FindLocation(Path({3}))->Set2dBoundBox(100, 10, 110, 0);     // touching the right edge
    struct CDrawn : CDsGlTraverseFunctor {
        using CDsGlTraverseFunctor::CDsGlTraverseFunctor;
        std::vector<int> visited;
        bool VisitItem(CDsLocation* l, const CDsObjectPath& p, const CDsItemVariant* parent)
        {
            const bool go = CDsGlTraverseFunctor::VisitItem(l, p, parent);
            if (go) visited.push_back(p.GetLastId());
            return go;
        }
    };
    CDrawn f(&view, options, setup, 7, 2, false, &record);
    f.PrepareForFrame(&scene, &view, viewport);
    f.SetSceneMostlyOffscreen(true);
    DsTraverseScene(storage, f, CVyrObjectPath(Peer()), &scene, {}, true);
    EXPECT_EQ(f.visited, (std::vector<int>{1, 3}));
}

TEST_F(DrawFunctorTest, TheSceneIsMostlyOffscreenWhenLessThanHalfOfItsRectangleIsInside)
{
    const int vp[4] = {0, 100, 100, 0};
    const int inside[4] = {10, 90, 90, 10};
    const int half[4] = {50, 100, 150, 0};     // exactly half: not less
    const int third[4] = {-200, 100, 100, 0};  // a third inside
    const int dot[4] = {200, 201, 201, 200};   // one pixel: never
    EXPECT_FALSE(DsIsSceneMostlyOffscreen(inside, vp));
    EXPECT_FALSE(DsIsSceneMostlyOffscreen(half, vp));
    EXPECT_TRUE(DsIsSceneMostlyOffscreen(third, vp));
    EXPECT_FALSE(DsIsSceneMostlyOffscreen(dot, vp));
    const int touching[4] = {100, 50, 150, 40};
    const int beyond[4] = {101, 50, 150, 40};
    EXPECT_FALSE(DsIsRectOutside(touching, vp));
    EXPECT_TRUE(DsIsRectOutside(beyond, vp));
}

TEST_F(DrawFunctorTest, AMirroredInstanceSetsTheReflectionFlagWhileItsItemsDraw)
{
    constexpr int kSub = 600;
    storage->CreatePart(kSub);
    storage->AddItem(CVyrObjectId(kSub, 1), kLeafType, new CDrawGeometry(1, 2), nullptr, nullptr, nullptr, nullptr, true);
    const float mirrorX[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const CDsTransform mirror(mirrorX);
    storage->AddPartInstance(CVyrObjectId(Peer(), 5), kSub, &mirror, nullptr, true);
    storage->AddItem(CVyrObjectId(Peer(), 9), kLeafType, new CDrawGeometry(9, 2), nullptr, nullptr, nullptr, nullptr, true);
    CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, &record);
    seam.Take();
    Walk(f);
    ASSERT_EQ(gDraws.size(), 2u);
    EXPECT_TRUE(gDraws[0].reflection);
    EXPECT_FALSE(gDraws[1].reflection);
    EXPECT_FALSE(record.reflection);
    EXPECT_EQ(seam.Count("PushMatrix"), seam.Count("PopMatrix"));
    EXPECT_EQ(seam.Count("MultMatrixf"), 1u);
}

TEST_F(DrawFunctorTest, HiddenAttributesStopTheDescent)
{
    CDsAttributes hidden;
    hidden.SetHideLevel(2);
    storage->AddItem(CVyrObjectId(Peer(), 10), kGroupType, nullptr, nullptr, &hidden, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 10), 11, kLeafType, new CDrawGeometry(11, 2), nullptr, nullptr, true);
    Item(12, 2);
    CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, &record);
    Walk(f);
    EXPECT_EQ(DrawnItems(), (std::vector<int>{12}));
}

class RegionRunsTest : public DrawFunctorTest {
protected:
    // Region 21 in group 20 with leaves `ids` of type kLeafType, drawn by one geometry (item 21).
    void BuildRegion(const std::vector<int>& ids)
    {
        storage->AddItem(CVyrObjectId(Peer(), 20), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
        storage->AddChildItem(CVyrObjectId(Peer(), 20), 21, kRegionType, new CDrawGeometry(21, 2), nullptr, nullptr,
                              true);
        for (int id : ids) storage->AddRegionLeaf(CVyrObjectId(Peer(), 21), id, kLeafType, true);
    }
    std::vector<std::pair<int, int>> Runs() const
    {
        std::vector<std::pair<int, int>> runs;
        for (const SDraw& d : gDraws)
            if (d.item == 21 && d.first != 0) runs.emplace_back(d.first, d.last);  // not the region's own draw
        return runs;
    }
};

TEST_F(RegionRunsTest, RunsCloseAtHiddenLeavesAndIdGapsAndAreDrawnFromTheCacheNextTime)
{
    BuildRegion({22, 23, 24, 25, 27});
    {
        CDsGlTraverseFunctor first(&view, options, setup, 7, 2, false, &record);
        Walk(first);
        EXPECT_EQ(Runs(), (std::vector<std::pair<int, int>>{{22, 25}, {27, 27}}));
    }
    ASSERT_TRUE(scene.ForceHide(Path({20, 21, 24})));
    CDsLocation* region = scene.FindLocation(Path({20, 21}));
    region->InvalidateCache();
    gDraws.clear();
    {
        CSpy<CDsGlTraverseFunctor> f(&view, options, setup, 7, 2, false, &record);
        Walk(f);
        EXPECT_EQ(f.leaves, 5);
        EXPECT_EQ(Runs(), (std::vector<std::pair<int, int>>{{22, 23}, {25, 25}, {27, 27}}));
    }
    ASSERT_EQ(region->GetCacheSize(), 10);
    EXPECT_EQ(region->GetCache()[0], 3);
    EXPECT_EQ(region->GetCache()[3], kLeafType);  // key of the first run: type, state 0, not on top

    gDraws.clear();
    CSpy<CDsGlTraverseFunctor> again(&view, options, setup, 7, 2, false, &record);
    Walk(again);
    EXPECT_EQ(again.leaves, 1);  // the first leaf finds the list complete
    EXPECT_EQ(Runs(), (std::vector<std::pair<int, int>>{{22, 23}, {25, 25}, {27, 27}}));
}

TEST_F(RegionRunsTest, ALeafInAnotherStateStartsARunOfThatState)
{
    BuildRegion({22, 23, 24});
    {
        CDsGlTraverseFunctor first(&view, options, setup, 7, 2, false, &record);
        Walk(first);
    }
    scene.FindLocation(Path({20, 21, 23}))->SetState(eAttribSetMark);
    scene.FindLocation(Path({20, 21}))->InvalidateCache();
    CDsScene::SetSpecialAttrs(eAttribSetMark, Colored(0x00FF00));
    gDraws.clear();
    CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, &record);
    seam.Take();
    Walk(f);
    EXPECT_EQ(Runs(), (std::vector<std::pair<int, int>>{{22, 22}, {23, 23}, {24, 24}}));
    const int* cache = scene.FindLocation(Path({20, 21}))->GetCache();
    EXPECT_EQ((cache[1 + 3 + 2] >> 8) & 0xFF, eAttribSetMark);
    int green = 0;
    for (const GlCall& c : seam.Take()) green += c.name == "Color3ub" && ColorOf(c) == 0x00FF00;
    EXPECT_EQ(green, 1);
}

TEST_F(RegionRunsTest, AFastFrameDrawsTheLastFullFramesRunsAndACacheOfTheWrongSizeIsReadSafely)
{
    BuildRegion({22, 23, 25});
    record.fastRefresh = true;
    {
        CSpy<CDsGlTraverseFunctor> fast(&view, options, setup, 7, 2, false, &record);
        Walk(fast);  // nothing cached yet: nothing drawn, one leaf looked at
        EXPECT_TRUE(Runs().empty());
        EXPECT_EQ(fast.leaves, 1);
    }
    record.fastRefresh = false;
    {
        CDsGlTraverseFunctor full(&view, options, setup, 7, 2, false, &record);
        Walk(full);
    }
    record.fastRefresh = true;
    gDraws.clear();
    {
        CDsGlTraverseFunctor fast(&view, options, setup, 7, 2, false, &record);
        Walk(fast);
        EXPECT_EQ(Runs(), (std::vector<std::pair<int, int>>{{22, 23}, {25, 25}}));
    }
    // A count larger than the runs the cache holds: only whole runs are read.
    CDsLocation* region = scene.FindLocation(Path({20, 21}));
    region->GetCache()[0] = 40;
    gDraws.clear();
    CDsGlTraverseFunctor fast(&view, options, setup, 7, 2, false, &record);
    Walk(fast);
    EXPECT_EQ(Runs().size(), 2u);
}

TEST_F(RegionRunsTest, AFilteredWalkDoesNotLeaveAPartialListBehind)
{
    BuildRegion({22, 23, 24, 25});
    {
        CDsGlTraverseFunctor listed(&view, options, setup, 7, 2, false, &record);
        Walk(listed, {Path({20, 21, 23})}, false);
        EXPECT_EQ(Runs(), (std::vector<std::pair<int, int>>{{23, 23}}));
    }
    gDraws.clear();
    CDsGlTraverseFunctor all(&view, options, setup, 7, 2, false, &record);
    Walk(all);
    EXPECT_EQ(Runs(), (std::vector<std::pair<int, int>>{{22, 25}}));
}

TEST_F(DrawFunctorTest, ComplexesInFastAndFullFrames)
{
    storage->AddItem(CVyrObjectId(Peer(), 30), kComplexType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 30), 31, kLeafType, new CDrawGeometry(31, 2), nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 30), 32, kLeafType, new CDrawGeometry(32, 2), nullptr, nullptr, true);
    storage->AddSlaveItem(CVyrObjectId(Peer(), 30), 33, kLeafType, new CDrawGeometry(33, 2, {31}), nullptr, nullptr, true);
    storage->AddSlaveItem(CVyrObjectId(Peer(), 30), 34, kLeafType, new CDrawGeometry(34, 2, {32}), nullptr, nullptr, true);
    {
        // No cache yet: the counts are rebuilt; drawn leaf masters keep their slaves' counts.
        CDsGlShadeFunctor first(&view, options, setup, 7, 2, false, &record);
        Walk(first);
        EXPECT_EQ(DrawnItems(), (std::vector<int>{31, 32, 33, 34}));
    }
    CDsLocation* complex = scene.FindLocation(Path({30}));
    ASSERT_EQ(complex->GetCacheSize(), 2);
    scene.FindLocation(Path({30, 31}))->SetState(eAttribSetMark);

    // A fast frame of a pass drawing only special slaves: 33 (of a marked master) is drawn, 34 is
    // not and is negated.
    record.fastRefresh = true;
    gDraws.clear();
    {
        CSpy<CDsGlShadeFunctor> fast(&view, options, setup, 7, 1, false, &record);
        Walk(fast);
        EXPECT_EQ(DrawnItems(), (std::vector<int>{31, 32, 33}));
    }
    EXPECT_EQ(complex->GetCache()[0], 1);
    EXPECT_EQ(complex->GetCache()[1], -1);
    {
        CSpy<CDsGlShadeFunctor> fast(&view, options, setup, 7, 1, false, &record);
        Walk(fast);
        EXPECT_EQ(fast.slaves, (std::vector<int>{33}));
    }
    // A full frame drawing every slave visits it again.
    record.fastRefresh = false;
    gDraws.clear();
    CSpy<CDsGlShadeFunctor> full(&view, options, setup, 7, 2, false, &record);
    Walk(full);
    EXPECT_EQ(full.slaves, (std::vector<int>{33, 34}));
    EXPECT_EQ(DrawnItems(), (std::vector<int>{31, 32, 33, 34}));

    // No slave at all in a pass without slaves.
    CSpy<CDsGlShadeFunctor> none(&view, options, setup, 7, 0, false, &record);
    Walk(none);
    EXPECT_TRUE(none.slaves.empty());
}

TEST_F(DrawFunctorTest, MixedPassesSplitFacesByTransparency)
{
    auto faces = [](unsigned char t) {
        CDsAttributes a = Colored(0x0000FF);
        a.SetTransparency(t);
        return a;
    };
    Item(1, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, faces(0));
    Item(2, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, faces(128));
    Item(3, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, faces(255));
    Item(4, CDsGeometry::eDpSilhouettes | CDsGeometry::eDpSilhouetteLevel1, faces(0));
    Item(5, CDsGeometry::eDpSilhouettes | CDsGeometry::eDpSilhouetteLevel1, faces(255));
    auto drawn = [] {
        std::vector<std::pair<int, int>> out;
        for (const SDraw& d : gDraws) out.emplace_back(d.item, d.kind);
        return out;
    };
    bool silhouettes = true;
    {
        std::optional<CDsGlMixedOpaqueFunctor> opaque;
        DsMakeGlTraverseFunctor(opaque, &view, options, setup, 0xF7F, 2, &scene, viewport, &record, &silhouettes);
        opaque->TraverseScene(storage, CVyrObjectPath(Peer()), &scene, {}, true);
    }
    EXPECT_EQ(drawn(), (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}, {3, 2}, {3, 4}, {4, 8}}));
    gDraws.clear();
    {
        std::optional<CDsGlMixedTransparentFunctor> transparent;
        DsMakeGlTraverseFunctor(transparent, &view, options, setup, &scene, viewport, &record);
        transparent->TraverseScene(storage, CVyrObjectPath(Peer()), &scene, {}, true);
    }
    EXPECT_EQ(drawn(), (std::vector<std::pair<int, int>>{{2, 4}}));
}

TEST_F(DrawFunctorTest, PlotAndExtremaDrawThroughTheViewWithoutOpenGl)
{
    Item(1, CDsGeometry::eDpLines, Colored(0x0000FF, 4));
    Item(2, CDsGeometry::eDpFaces, Colored(0x0000FF), {1});  // tagged faces: not plotted
    Item(3, CDsGeometry::eDpFaces, Colored(0x0000FF));
    {
        CDsPlotTraverseFunctor plot(&view, options, setup, 0x37, 2, false, &record);
        seam.Take();
        Walk(plot);
        EXPECT_TRUE(seam.Take().empty());
    }
    ASSERT_EQ(gDraws.size(), 2u);
    EXPECT_EQ(gDraws[0].item, 1);
    EXPECT_FALSE(gDraws[0].gl);
    EXPECT_EQ(gDraws[1].item, 3);
    EXPECT_EQ(view.get_line_width(), 1);  // the last item's width reached the view

    gDraws.clear();
    {
        CDsExtremaTraverseFunctor extrema(&view, options, setup, -1, 0, false, &record);
        seam.Take();
        Walk(extrema);
        EXPECT_TRUE(seam.Take().empty());
    }
    EXPECT_EQ(DrawnItems(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(scene.FindLocation(Path({1}))->IsCachedDataValid());

    gDraws.clear();
    CDsGlAttributeFunctor attributes(&view, options, setup, 0x77, 2, false, &record);
    Walk(attributes);
    EXPECT_TRUE(gDraws.empty());
}

TEST_F(DrawFunctorTest, TheLocationCacheStoresAndServesItemData)
{
    Item(1, 2, Colored(0x0000FF));
    {
        CDsGlShadeFunctor f(&view, options, setup, 7, 2, true, &record);
        Walk(f);
    }
    CDsLocation* location = scene.FindLocation(Path({1}));
    ASSERT_TRUE(location->IsCachedDataValid());
    CDsAttributes cached;
    int word = -1;
    location->GetCachedData(cached, word);
    EXPECT_EQ(cached.GetColor(), 0x0000FFu);
    EXPECT_EQ(word, 0);
    // A change of the item's attributes invalidates the cache; the next walk stores the new ones.
    storage->UpdateAttributes(CVyrObjectId(Peer(), 1), Colored(0x00FF00), nullptr);
    CSpy<CDsGlShadeFunctor> f(&view, options, setup, 7, 2, true, &record);
    Walk(f);
    EXPECT_EQ(f.attributes[1].GetColor(), 0x00FF00u);
}

TEST_F(DrawFunctorTest, ItemsWithoutGeometryAreWalkedInto)
{
    storage->AddItem(CVyrObjectId(Peer(), 10), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 10), 11, kLeafType, nullptr, nullptr, nullptr, true);
    storage->AddChildItem(CVyrObjectId(Peer(), 10), 12, kLeafType, new CDrawGeometry(12, 2), nullptr, nullptr, true);
    CDsGlTraverseFunctor f(&view, options, setup, 7, 2, false, nullptr);  // makes its own record
    Walk(f);
    EXPECT_EQ(DrawnItems(), (std::vector<int>{12}));
    EXPECT_NE(f.GetDrawContext(), nullptr);
}

TEST(RegionsHideFactorTest, FollowsTheFrameRateDuringAnAutoHideFastRefresh)
{
    CDsDrawContext record(nullptr, true, 0.05);
    record.fastRefresh = true;
    const std::pair<float, unsigned> cases[] = {{2.5f, 7}, {3.0f, 7},  {3.5f, 4}, {4.5f, 3},  {5.5f, 2},
                                                {6.0f, 2}, {10.0f, 1}, {-1.0f, 1}, {16.0f, 0}, {40.0f, 0}};
    for (const auto& [rate, factor] : cases) {
        record.frameRate = rate;
        EXPECT_EQ(DsRegionsHideFactor(record), factor) << rate;
    }
    record.autoHide = false;
    record.frameRate = 2.5f;
    EXPECT_EQ(DsRegionsHideFactor(record), 0u);
}

}  // namespace
