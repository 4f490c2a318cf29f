// The exact extrema walk without OpenGL: cubes whose geometry draws its eight corners through the
// view's drawing, measured by walking the scene into an extrema driver and compared with the same
// corners drawn straight into another driver; path lists, hidden locations, complex slaves, the
// locations' caches, the model transform left behind and the OpenGL calls made (through the seam).
#include "DsDriverExtrema.h"
#include "DsExtremaWalk.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsGlStateCache.h"
#include "DsPickedItem.h"
#include "DsView3dCdc.h"
#include "ViewSetup.h"

#include "../../renderers/internal/RecordingSeam.h"
#include "../../scene_db/SceneTestSupport.h"
#include "../ExtremaTestSupport.h"
#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

using vyrtest::CCornersGeometry;
using vyrtest::Extremes;

Extremes Read(CDsDriverExtrema& driver)
{
    return vyrtest::ReadExtremes(driver);
}

void ExpectSame(const Extremes& a, const Extremes& b)
{
    vyrtest::ExpectSameExtremes(a, b);
}

class ExtremaWalkTest : public CSceneDbTest {
protected:
    ExtremaWalkTest()
    {
        SetTestCategories();
        view = std::make_unique<CDsView3dCdc>();
        view->SetGlContext(context.get());
        vyrtest::ViewSetup().Pixels(200, 200).Eye(SPAposition(30, 20, 100)).Target(SPAposition(5, 5, 5))
            .Field(60, 60).Clip(1, 500).ApplyTo(*view);
    }
    ~ExtremaWalkTest() override
    {
        view.reset();
        context.reset();
    }
    CDsScene& db() { return context->GetScene()->GetDbScene(); }
    CCornersGeometry* Cube(int id, const SPAposition& low, double size, const CDsAttributes* attributes = nullptr)
    {
        auto* cube = new CCornersGeometry(low, size);
        EXPECT_TRUE(storage->AddItem(CVyrObjectId(db().GetPeerPartId(), id), kLeafType, cube, nullptr, attributes,
                                     nullptr, nullptr, true));
        return cube;
    }
    // The extremes of `corners` drawn straight into a driver of the view.
    Extremes Straight(const std::vector<SPAposition>& corners)
    {
        return vyrtest::StraightExtremes(view.get(), corners);
    }
    CVyrObjectPath Peer(int id) { return STestModel::Path(db(), {id}, 1); }

    vyrtest::ViewStaticsGuard statics;
    CDsPartStorage* storage = CDsPartStorage::instance();
    std::unique_ptr<CDsGlContext> context = std::make_unique<CDsGlContext>();
    std::unique_ptr<CDsView3dCdc> view;
};

}  // namespace

TEST_F(ExtremaWalkTest, TheWholeSceneWalkRecordsTheCornersOfACubeInParallelAndPerspectiveViews)
{
    CCornersGeometry* cube = Cube(1, SPAposition(0, 0, 0), 10);
    for (bool perspective : {false, true}) {
        view->set_perspective(perspective);
        CDsDriverExtrema driver(view.get());
        DsComputeExtremaByWalk(driver.GetExtView(), context->GetScene(), {});
        ExpectSame(Read(driver), Straight(cube->Corners()));
        EXPECT_EQ(driver.GetExtView()->get_model_transform_depth(), 0) << "no model transform left";
    }
    EXPECT_EQ(cube->draws, 2);

    // The scene's full measure is the same walk.
    CDsDriverExtrema driver(view.get());
    context->ComputeViewExtrema(driver.GetExtView(), true);
    ExpectSame(Read(driver), Straight(cube->Corners()));
}

TEST_F(ExtremaWalkTest, APathListMeasuresOnlyTheListedCube)
{
    CCornersGeometry* near = Cube(1, SPAposition(0, 0, 0), 10);
    CCornersGeometry* far = Cube(2, SPAposition(40, 0, 0), 5);
    {
        CDsDriverExtrema driver(view.get());
        DsComputeExtremaByWalk(driver.GetExtView(), context->GetScene(), {Peer(2)});
        ExpectSame(Read(driver), Straight(far->Corners()));
    }
    EXPECT_EQ(near->draws, 0);

    // The bounding rectangle of a picked list is the same measure.
    CDsPickedItemList list;
    CDsPickedItem picked(Peer(1));
    list.Add(&picked);  // the owning list adds a copy
    CDsDriverExtrema driver(view.get());
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    ASSERT_TRUE(driver.GetBoundingRect(&list, x0, x1, y0, y1, false));
    EXPECT_EQ(far->draws, 1);
    EXPECT_EQ(near->draws, 1);
    EXPECT_LT(x0, x1);
    EXPECT_LT(y0, y1);
    // Without a list: nothing measured, false.
    double kept = 7;
    EXPECT_FALSE(driver.GetBoundingRect(static_cast<const CDsPickedItemList*>(nullptr), kept, kept, kept, kept, false));
    EXPECT_EQ(kept, 7);
}

TEST_F(ExtremaWalkTest, HiddenLocationsAndTheSlavesOfAComplexAddNothingToTheWholeScene)
{
    CCornersGeometry* cube = Cube(1, SPAposition(0, 0, 0), 10);
    CDsAttributes hidden;
    hidden.SetHideLevel(1);
    CCornersGeometry* ghost = Cube(2, SPAposition(100, 100, 100), 10, &hidden);
    const CVyrObjectId complex(db().GetPeerPartId(), 3);
    ASSERT_TRUE(storage->AddItem(complex, kComplexType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    auto* master = new CCornersGeometry(SPAposition(2, 2, 2), 1);
    ASSERT_TRUE(storage->AddChildItem(complex, 31, kLeafType, master, nullptr, nullptr, true));
    auto* slave = new CCornersGeometry(SPAposition(-200, 0, 0), 1);
    slave->draws = 0;
    ASSERT_TRUE(storage->AddSlaveItem(complex, 33, kLeafType, slave, nullptr, nullptr, true));

    CDsDriverExtrema driver(view.get());
    DsComputeExtremaByWalk(driver.GetExtView(), context->GetScene(), {});
    ExpectSame(Read(driver), Straight(cube->Corners()));
    EXPECT_EQ(ghost->draws, 0);
    EXPECT_EQ(master->draws, 1);
    EXPECT_EQ(slave->draws, 0);
}

TEST_F(ExtremaWalkTest, TheWalkChangesNoCacheAndSendsOnlyTheStateCacheResetToOpenGL)
{
    Cube(1, SPAposition(0, 0, 0), 10);
    db().SetCurrentView(view.get());
    storage->SynchronizeLocations(&db(), false);
    CDsLocation* location = db().FindLocation(Peer(1));
    ASSERT_NE(location, nullptr);
    CDsAttributes cached;
    cached.SetColor(0x123456);
    location->SetCachedData(cached, 3);

    std::vector<vyrtest::GlCall> walkCalls;
    {
        vyrtest::RecordingSeam seam;
        CDsDriverExtrema driver(view.get());
        DsComputeExtremaByWalk(driver.GetExtView(), context->GetScene(), {});
        walkCalls = seam.calls;
    }
    std::vector<vyrtest::GlCall> resetCalls;
    {
        vyrtest::RecordingSeam seam;
        CDsGlStateCache cache;
        cache.Reset();
        resetCalls = seam.calls;
    }
    EXPECT_FALSE(resetCalls.empty());
    EXPECT_TRUE(vyrtest::CallsAre(walkCalls, resetCalls));

    ASSERT_TRUE(location->IsCachedDataValid());
    CDsAttributes after;
    int word = 0;
    location->GetCachedData(after, word);
    EXPECT_EQ(after.GetColor(), 0x123456u);
    EXPECT_EQ(word, 3);
    EXPECT_EQ(location->GetState(), 0);
}

TEST(DsTraversePathsForExtrema, AnEmptyListIsDoneAtOnce)
{
    std::optional<CDsExtremaTraverseFunctor> functor;
    SDsRenderFlags flags;
    SDsDrawOptions options(flags);
    SDsDrawSetup setup;
    vyrtest::RecordingSeam seam;
    DsMakeExtremaTraverseFunctor(functor, nullptr, options, setup, 1, nullptr);
    EXPECT_TRUE(DsTraversePathsForExtrema(nullptr, *functor, CVyrObjectPath(1), {}, nullptr));
}
