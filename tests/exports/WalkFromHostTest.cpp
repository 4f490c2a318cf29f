// The scene walk as a host runs it, from a program that links the core's shared library only: a
// functor of the host's own walked over a small scene (and through a path filter), the draw
// functor walked with the state it sends recorded through the OpenGL seam (the host's program and
// the library must share that one table), and the exact extrema walk measuring cubes.
#include "DsDriverExtrema.h"
#include "DsExtremaWalk.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlTraverseFunctor.h"
#include "DsSceneWalk.h"
#include "DsView3dCdc.h"
#include "ViewSetup.h"

#include "../context/ExtremaTestSupport.h"
#include "ViewStaticsGuard.h"
#include "../renderers/internal/RecordingSeam.h"
#include "../scene_db/SceneTestSupport.h"

#include "view3d.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// The host's functor: the last id of every node it is asked to visit, and of every region leaf.
struct CVisitLog : CDsTraverseFunctor {
    Strings visits;
    int refused = -1;  // the id whose visit answers false
    int depth = 0;

    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) { ++depth; }
    void OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) { --depth; }
    bool VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
    {
        visits.push_back(std::to_string(path.GetLastId()));
        return path.GetLastId() != refused;
    }
    bool OnRegionLeaf(CDsLocation*, const CDsObjectPath&, int id, int)
    {
        visits.push_back("leaf " + std::to_string(id));
        return true;
    }
};

class WalkFromHostTest : public CSceneDbTest {
protected:
    WalkFromHostTest()
    {
        model.Build(scene);
        scene.SetCurrentView(&view);
    }
    CVyrObjectPath Path(std::vector<int> ids, int depth) const { return STestModel::Path(scene, ids, depth); }

    view3d view;
    CDsScene scene{1};
    STestModel model;
};

}  // namespace

TEST_F(WalkFromHostTest, AHostFunctorVisitsTheSceneInOrderAndThroughAPathFilter)
{
    CVisitLog log;
    CDsSceneWalk<CVisitLog> walk(CDsPartStorage::instance(), log, &scene);
    ASSERT_TRUE(walk.TraversePart(CVyrObjectPath(scene.GetPeerPartId())));
    EXPECT_EQ(log.depth, 0);
    // Instance 1, then the same part again through instance 2; group 20 holds region 21 of four
    // leaves; the masters 31 and 32 of complex 30 are visited, its slaves offered apart.
    const Strings part = {"10", "11", "12", "20", "21", "leaf 22", "leaf 23", "leaf 24", "leaf 25", "30", "31", "32"};
    Strings expected = {"1"};
    expected.insert(expected.end(), part.begin(), part.end());
    expected.push_back("2");
    expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(log.visits, expected);

    // A refused group is not gone into.
    CVisitLog refusing;
    refusing.refused = 20;
    CDsSceneWalk<CVisitLog> second(CDsPartStorage::instance(), refusing, &scene);
    ASSERT_TRUE(second.TraversePart(Path({1}, 0)));
    EXPECT_EQ(refusing.visits, (Strings{"1", "1", "10", "11", "12", "20", "30", "31", "32"}));

    // Through the path filter: only the way down to group 10 of instance 2, and the group's subtree.
    CVisitLog filtered;
    ASSERT_TRUE(DsTraverseScene(CDsPartStorage::instance(), filtered, CVyrObjectPath(scene.GetPeerPartId()), &scene,
                                {Path({2, 10}, 1)}, false));
    EXPECT_EQ(filtered.visits, (Strings{"2", "10", "11", "12"}));
    EXPECT_EQ(filtered.depth, 0);
}

namespace {

// What a geometry was asked to draw, with the OpenGL state the seam had received by then.
struct SDraw {
    int item;
    unsigned color;  // the last Color3ub, as 0x00BBGGRR
    double shift;    // x translation of the model-view matrices pushed and not popped
};

std::vector<SDraw> gDraws;
vyrtest::RecordingSeam* gSeam = nullptr;

// A line geometry that records its draws.
class CLineGeometry : public CTestGeometry {
public:
    explicit CLineGeometry(int item) : m_item(item) {}
    CDsGeometry* Clone() const override { return new CLineGeometry(m_item); }
    void DrawGl(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override
    {
        SDraw draw{m_item, 0, 0.0};
        std::vector<double> shifts{0.0};
        for (const vyrtest::GlCall& call : gSeam->calls) {
            if (call.name == "Color3ub")
                draw.color = unsigned(call.args[0]) | unsigned(call.args[1]) << 8 | unsigned(call.args[2]) << 16;
            else if (call.name == "PushMatrix")
                shifts.push_back(shifts.back());
            else if (call.name == "PopMatrix" && shifts.size() > 1)
                shifts.pop_back();
            else if (call.name == "MultMatrixf")
                shifts.back() += call.args[12];
        }
        draw.shift = shifts.back();
        gDraws.push_back(draw);
    }

private:
    int m_item;
};

CDsAttributes Colored(unsigned color)
{
    CDsAttributes attributes;
    attributes.SetColor(color);
    return attributes;
}

constexpr unsigned kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;
constexpr int kMovedPart = 600;

// The scene of the draw walk: red group 1 of lines 2 and 3 (blue itself) in the peer part, and
// instance 4, moved by 50 along x, of a part holding green line 5.
class DrawWalkFromHostTest : public CSceneDbTest {
protected:
    DrawWalkFromHostTest()
    {
        SetTestCategories();
        gDraws.clear();
        gSeam = &seam;
        const CDsAttributes red = Colored(kRed), blue = Colored(kBlue), green = Colored(kGreen);
        const CVyrObjectId group(scene.GetPeerPartId(), 1);
        storage->AddItem(group, kGroupType, nullptr, nullptr, &red, nullptr, nullptr, true);
        storage->AddChildItem(group, 2, kLeafType, new CLineGeometry(2), nullptr, nullptr, true);
        storage->AddChildItem(group, 3, kLeafType, new CLineGeometry(3), nullptr, &blue, true);
        storage->CreatePart(kMovedPart);
        storage->AddItem(CVyrObjectId(kMovedPart, 5), kLeafType, new CLineGeometry(5), nullptr, &green, nullptr,
                         nullptr, true);
        const CDsTransform moved(translate_transf(SPAvector(50, 0, 0)));
        storage->AddPartInstance(CVyrObjectId(scene.GetPeerPartId(), 4), kMovedPart, &moved, nullptr, true);
        scene.SetCurrentView(&view);
    }
    ~DrawWalkFromHostTest() override { gSeam = nullptr; }

    // One hidden-line draw walk of the peer part (only `paths` when some are given).
    bool Draw(const std::vector<CVyrObjectPath>& paths = {})
    {
        SDsRenderFlags flags;
        SDsDrawOptions options(flags);
        SDsDrawSetup setup;
        setup.view = &view;
        CDsDrawContext record(&view, false, 0.05);
        CDsGlTraverseFunctor functor(&view, options, setup, CDsGeometry::eDpLines, 2, false, &record);
        return functor.TraverseScene(storage, CVyrObjectPath(scene.GetPeerPartId()), &scene, paths, true);
    }

    vyrtest::RecordingSeam seam;
    CDsPartStorage* storage = CDsPartStorage::instance();
    view3d view;
    CDsScene scene{1};
};

}  // namespace

TEST_F(DrawWalkFromHostTest, TheDrawWalkSendsEachItemsColourAndPlacementThroughTheSeam)
{
    ASSERT_TRUE(Draw());
    // Part instances first, then the items. The colours are sent by the library's state cache,
    // the placement by the walk compiled here: both reach the seam this program installed.
    ASSERT_EQ(gDraws.size(), 3u);
    EXPECT_EQ(gDraws[0].item, 5);
    EXPECT_EQ(gDraws[0].color, kGreen);
    EXPECT_DOUBLE_EQ(gDraws[0].shift, 50.0);  // under its instance's transform
    EXPECT_EQ(gDraws[1].item, 2);
    EXPECT_EQ(gDraws[1].color, kRed);  // the group's colour, inherited
    EXPECT_EQ(gDraws[1].shift, 0.0);
    EXPECT_EQ(gDraws[2].item, 3);
    EXPECT_EQ(gDraws[2].color, kBlue);  // its own colour
    EXPECT_EQ(gDraws[2].shift, 0.0);
    EXPECT_EQ(seam.Count("PushMatrix"), seam.Count("PopMatrix"));

    // Listed paths, walked in exclusion mode: everything but line 3.
    gDraws.clear();
    seam.calls.clear();
    ASSERT_TRUE(Draw({STestModel::Path(scene, {1, 3}, 2)}));
    ASSERT_EQ(gDraws.size(), 2u);
    EXPECT_EQ(gDraws[0].item, 5);
    EXPECT_EQ(gDraws[1].item, 2);
    EXPECT_EQ(gDraws[1].color, kRed);
}

namespace {

using vyrtest::CCornersGeometry;
using vyrtest::Extremes;

class ExtremaWalkFromHostTest : public CSceneDbTest {
protected:
    ExtremaWalkFromHostTest()
    {
        SetTestCategories();
        view->SetGlContext(context.get());
        vyrtest::ViewSetup().Pixels(200, 200).Eye(SPAposition(30, 20, 100)).Target(SPAposition(5, 5, 5))
            .Field(80, 80).Clip(1, 500).ApplyTo(*view);
    }
    ~ExtremaWalkFromHostTest() override
    {
        view.reset();
        context.reset();
    }
    CDsScene& Db() { return context->GetScene()->GetDbScene(); }
    CCornersGeometry* Cube(int id, const SPAposition& low, double size)
    {
        auto* cube = new CCornersGeometry(low, size);
        EXPECT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(Db().GetPeerPartId(), id), kLeafType, cube,
                                                        nullptr, nullptr, nullptr, nullptr, true));
        return cube;
    }
    // The extremes the walk measures, of the whole scene or of the listed paths.
    Extremes Measure(const std::vector<CVyrObjectPath>& paths)
    {
        CDsDriverExtrema driver(view.get());
        DsComputeExtremaByWalk(driver.GetExtView(), context->GetScene(), paths);
        EXPECT_EQ(driver.GetExtView()->get_model_transform_depth(), 0);
        double unused = 0;
        EXPECT_TRUE(driver.GetExtView()->GetExtremaCoordinates(unused, unused, unused, unused, unused, unused))
            << "nothing measured";
        return vyrtest::ReadExtremes(driver);
    }
    Extremes Straight(const std::vector<SPAposition>& corners)
    {
        return vyrtest::StraightExtremes(view.get(), corners);
    }

    vyrtest::ViewStaticsGuard statics;
    std::unique_ptr<CDsGlContext> context = std::make_unique<CDsGlContext>();
    std::unique_ptr<CDsView3dCdc> view = std::make_unique<CDsView3dCdc>();
};

}  // namespace

TEST_F(ExtremaWalkFromHostTest, TheWalkMeasuresTheWholeSceneOrTheListedCube)
{
    CCornersGeometry* near = Cube(1, SPAposition(0, 0, 0), 10);
    CCornersGeometry* far = Cube(2, SPAposition(40, -5, 3), 5);

    std::vector<SPAposition> both = near->Corners();
    for (const SPAposition& corner : far->Corners()) both.push_back(corner);
    vyrtest::ExpectSameExtremes(Measure({}), Straight(both));
    EXPECT_EQ(near->draws, 1);
    EXPECT_EQ(far->draws, 1);

    vyrtest::ExpectSameExtremes(Measure({STestModel::Path(Db(), {2}, 1)}), Straight(far->Corners()));
    EXPECT_EQ(near->draws, 1);
    EXPECT_EQ(far->draws, 2);

    // Nothing without a view or a scene.
    DsComputeExtremaByWalk(nullptr, context->GetScene(), {});
    CDsDriverExtrema driver(view.get());
    DsComputeExtremaByWalk(driver.GetExtView(), nullptr, {});
    EXPECT_EQ(near->draws, 1);
    double unused = 0;
    EXPECT_FALSE(driver.GetExtView()->GetExtremaCoordinates(unused, unused, unused, unused, unused, unused));
}
