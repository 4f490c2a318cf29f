// The location-box walk over a small scene seen through a parallel view of one model unit per
// pixel (model (x, y) lands on window pixel (100 + x, 50 + y), y up): the boxes of leaves, points
// and containers, hidden locations, children without a box, complexes recounted or walked with
// their cached counts, regions; and the searches over a frame's lists.
#include "DsSyncWalk.h"

#include "../../scene_db/SceneTestSupport.h"

#include "DsLocation.h"
#include "DsRectangle.h"
#include "ViewSetup.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// Window box (left, top, right, bottom), or none.
using Box = std::array<int, 4>;

constexpr unsigned char kContainerType = 104;  // a container that is neither region nor complex

// A point geometry that reports a screen box of its own around its point (y counted down).
class CMarkerGeometry : public CTestGeometry {
public:
    using CTestGeometry::CTestGeometry;
    bool GetBoundBox2D(SDsBox2D& box, int) const override
    {
        box.minX = -3;
        box.minY = -1;
        box.maxX = 5;
        box.maxY = 2;
        return true;
    }
};

// A geometry that bounds itself (index 0) but none of a region's leaves.
class COwnBoxOnly : public CTestGeometry {
public:
    using CTestGeometry::CTestGeometry;
    bool GetBoundBox(SPAbox& box, int index) const override { return index == 0 && CTestGeometry::GetBoundBox(box, 0); }
};

// A flat box from (x0, y0) to (x1, y1) at z = 0.
SPAbox Flat(double x0, double y0, double x1, double y1)
{
    return SPAbox(SPAposition(x0, y0, 0), SPAposition(x1, y1, 0));
}

SPAbox Point(double x, double y) { return SPAbox(SPAposition(x, y, 0), SPAposition(x, y, 0)); }

CDsAttributes Hidden()
{
    CDsAttributes attributes;
    attributes.SetHideLevel(1);
    return attributes;
}

class SyncWalkTest : public CSceneDbTest {
protected:
    SyncWalkTest()
    {
        SetTestCategories();
        CDsPartStorage::sm_Type2Cat[kContainerType] = eVyrCatTransformed;
        vyrtest::ViewSetup().Pixels(200, 100).Field(200, 100).ApplyTo(view);
        scene.SetCurrentView(&view);
    }
    ~SyncWalkTest() override { CDsRectangle::StCacheViewport(nullptr); }

    // A top item of the peer part.
    void Top(int id, unsigned char type, CDsGeometry* geometry = nullptr, const CDsAttributes* attributes = nullptr)
    {
        ASSERT_TRUE(storage->AddItem(CVyrObjectId(scene.GetPeerPartId(), id), type, geometry, nullptr, attributes,
                                     nullptr, nullptr, true));
    }
    // A child of the peer part's item `parent`.
    void Child(int parent, int id, unsigned char type, CDsGeometry* geometry = nullptr,
               const CDsAttributes* attributes = nullptr)
    {
        ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(scene.GetPeerPartId(), parent), id, type, geometry, nullptr,
                                          attributes, true));
    }
    CVyrObjectPath Path(std::vector<int> ids) const
    {
        return STestModel::Path(scene, ids, static_cast<int>(ids.size()));
    }
    CDsLocation* Location(std::vector<int> ids) const { return scene.FindLocation(Path(ids)); }
    // The window box of the location, or {1, 0, 0, 1} when it has none.
    Box BoxOf(std::vector<int> ids) const
    {
        Box box = {1, 0, 0, 1};
        const CDsLocation* location = Location(ids);
        if (location) location->Get2dBoundBox(box[0], box[1], box[2], box[3]);
        return box;
    }
    // The locations made for every item, as an earlier frame leaves them.
    void MakeLocations() { storage->SynchronizeLocations(&scene, false); }
    // One synchronisation of the boxes: model boxes, then the walk.
    void Walk(bool recount = true)
    {
        scene.ValidateLocationsBB();
        CDsLocation2dBoxFunctor functor(&view, recount);
        EXPECT_TRUE(CDsLocation2dBoxFunctor::TraverseScene(storage, functor, &scene));
        EXPECT_EQ(functor.GetBoxStackSize(), 0u);
    }

    CDsPartStorage* storage = CDsPartStorage::instance();
    view3d view;
    CDsScene scene{1};
};

}  // namespace

TEST_F(SyncWalkTest, LeavesGetTheirProjectedBoxesAndContainersTheUnionOfVisibleChildren)
{
    CDsAttributes wide;
    wide.SetLineWidth(3);
    const CDsAttributes hidden = Hidden();
    // A container of two visible leaves and a hidden one far off.
    Top(10, kContainerType);
    Child(10, 11, kLeafType, new CTestGeometry(Flat(0, 0, 10, 10)));
    Child(10, 12, kLeafType, new CTestGeometry(Flat(20, -20, 30, -10)));
    Child(10, 13, kLeafType, new CTestGeometry(Flat(-80, -40, -70, -30)), &hidden);
    // A container whose only child is hidden.
    Top(20, kContainerType);
    Child(20, 21, kLeafType, new CTestGeometry(Flat(-50, 0, -40, 10)), &hidden);
    // A hidden container.
    Top(40, kContainerType, nullptr, &hidden);
    Child(40, 41, kLeafType, new CTestGeometry(Flat(0, 0, 5, 5)));
    // A wide leaf.
    Top(60, kLeafType, new CTestGeometry(Flat(0, -40, 10, -30)), &wide);
    MakeLocations();
    Walk();

    EXPECT_EQ(BoxOf({10, 11}), (Box{100, 60, 110, 50}));
    EXPECT_EQ(BoxOf({10, 12}), (Box{120, 40, 130, 30}));
    EXPECT_EQ(BoxOf({10, 13}), (Box{1, 0, 0, 1}));  // hidden: no box
    // The union of 11 and 12, not the container's own box, which holds 13 as well.
    EXPECT_EQ(BoxOf({10}), (Box{100, 60, 130, 30}));
    EXPECT_EQ(BoxOf({20}), (Box{50, 60, 60, 50}));
    EXPECT_EQ(BoxOf({40}), (Box{1, 0, 0, 1}));
    EXPECT_EQ(BoxOf({40, 41}), (Box{1, 0, 0, 1}));
    EXPECT_EQ(BoxOf({60}), (Box{99, 21, 111, 9}));  // width 3: one pixel more on every side

    // The database gives the same rectangles to the frame.
    RECT rect;
    ASSERT_TRUE(scene.GetLocationRect(Path({10}), &rect));
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right, 130);
    EXPECT_EQ(rect.bottom, 30);
}

TEST_F(SyncWalkTest, ChildrenWithoutABoxDoNotWidenTheirParent)
{
    Top(30, kContainerType);
    Child(30, 31, kLeafType, new CTestGeometry(Flat(40, 0, 50, 10)));
    Child(30, 32, kLeafType);  // no geometry: no model box
    Child(30, 33, kContainerType);  // an empty container: no box either
    MakeLocations();
    Walk();
    EXPECT_EQ(BoxOf({30, 32}), (Box{1, 0, 0, 1}));
    EXPECT_EQ(BoxOf({30, 33}), (Box{1, 0, 0, 1}));
    EXPECT_EQ(BoxOf({30}), (Box{140, 60, 150, 50}));
}

TEST_F(SyncWalkTest, PointsGetTheirPixelWidenedByTwoOrTheirGeometrysOwnBox)
{
    CDsAttributes wide;
    wide.SetLineWidth(5);
    Top(50, kLeafType, new CTestGeometry(Point(-90, -30)), &wide);  // window (10, 20): no width margin
    Top(51, kLeafType, new CTestGeometry(Point(-89.5, -29.5)));    // window (10.5, 20.5)
    Top(52, kLeafType, new CMarkerGeometry(Point(0, -40)));        // window (100, 10)
    MakeLocations();
    Walk();
    EXPECT_EQ(BoxOf({50}), (Box{8, 22, 12, 18}));
    EXPECT_EQ(BoxOf({51}), (Box{8, 23, 13, 18}));
    // The marker's box (-3, -1)-(5, 2) counts y down: above the point it reaches 1, below it 2.
    EXPECT_EQ(BoxOf({52}), (Box{97, 11, 105, 8}));
}

// A model box whose geometry draws screen-space leaves as well (a figure's texts, markers, window
// polylines): its window box reaches past the model box as far as they may, and takes in the
// screen box as window pixels; a plain geometry keeps its projected box.
TEST_F(SyncWalkTest, ABoxWhoseGeometryDrawsInWindowPixelsCoversThem)
{
    Top(70, kLeafType, new CMarkerGeometry(Flat(0, 0, 10, 10)));  // window (100, 50)-(110, 60)
    Top(71, kLeafType, new CTestGeometry(Flat(0, 0, 10, 10)));
    Top(72, kLeafType, new CMarkerGeometry(Flat(-100, 0, -90, 10)));  // window (0, 50)-(10, 60)
    MakeLocations();
    Walk();
    // The marker's farthest reach is 5 pixels: every side moves out by it; its box as window
    // pixels, (-3, -1)-(5, 2), widens the left and bottom sides further.
    EXPECT_EQ(BoxOf({70}), (Box{-3, 65, 115, -1}));
    EXPECT_EQ(BoxOf({72}), (Box{-5, 65, 15, -1}));
    EXPECT_EQ(BoxOf({71}), (Box{100, 60, 110, 50}));
}

TEST_F(SyncWalkTest, BoxesFollowTheViewportCorner)
{
    Top(11, kLeafType, new CTestGeometry(Flat(0, 0, 10, 10)));
    view.set_viewport(30, 40, 200, 100);
    MakeLocations();
    Walk();
    EXPECT_EQ(BoxOf({11}), (Box{130, 100, 140, 90}));
}

TEST_F(SyncWalkTest, ComplexesAreRecountedOrWalkedWithTheirCachedCounts)
{
    STestModel model;  // complex 30 of instance 1: masters 31 (0..1, 20..21), 32 (2..3), slaves 33, 34
    model.Build(scene);
    vyrtest::ViewSetup().Pixels(200, 100).Field(20, 10).ApplyTo(view);  // 10 pixels per unit
    MakeLocations();
    Walk();
    const std::vector<int> complex = {1, 30};
    CDsLocation* location = scene.FindLocation(STestModel::Path(scene, complex, 1));
    ASSERT_NE(location, nullptr);
    ASSERT_EQ(location->GetCacheSize(), 2);
    EXPECT_EQ(location->GetCache()[0], 2);
    EXPECT_EQ(location->GetCache()[1], 1);
    auto box = [&](std::vector<int> ids) {
        Box b = {1, 0, 0, 1};
        scene.FindLocation(STestModel::Path(scene, ids, 1))->Get2dBoundBox(b[0], b[1], b[2], b[3]);
        return b;
    };
    // Slave 34 spans x 3..4, y 20..21: window x 130..140, y 250..260 (above the viewport).
    EXPECT_EQ(box({1, 30, 34}), (Box{130, 260, 140, 250}));
    // The complex: its masters and slaves together (x 0..4).
    EXPECT_EQ(box({1, 30}), (Box{100, 260, 140, 250}));

    // A frame whose only change is the camera keeps the cached counts: slave 34, counted out,
    // is not visited and keeps the box it had.
    location->GetCache()[1] = 0;
    scene.FindLocation(STestModel::Path(scene, {1, 30, 34}, 1))->Set2dBoundBox(-7, -7, -7, -7);
    Walk(false);
    EXPECT_EQ(box({1, 30, 34}), (Box{-7, -7, -7, -7}));
    EXPECT_EQ(location->GetCache()[1], 0);
    // Any other change recounts.
    Walk(true);
    EXPECT_EQ(box({1, 30, 34}), (Box{130, 260, 140, 250}));
    EXPECT_EQ(location->GetCache()[1], 1);

    // A complex without a cache is recounted even for a camera change.
    location->InvalidateCache();
    Walk(false);
    ASSERT_EQ(location->GetCacheSize(), 2);
    EXPECT_EQ(location->GetCache()[1], 1);
}

TEST_F(SyncWalkTest, RegionsDropTheirCachesAndLeafEntriesStopAfterTheFirst)
{
    Top(70, kContainerType);
    // A region of four leaf entries (its geometry bounds none of them).
    Child(70, 80, kRegionType, new COwnBoxOnly(Flat(0, 0, 10, 10)));
    for (int leaf = 81; leaf <= 84; ++leaf)
        ASSERT_TRUE(storage->AddRegionLeaf(CVyrObjectId(scene.GetPeerPartId(), 80), leaf, kLeafType, true));
    // A region of eight child regions: every one is walked (no thinning).
    Child(70, 90, kRegionType);
    for (int i = 0; i < 8; ++i)
        Child(90, 91 + i, kRegionType, new COwnBoxOnly(Flat(10 * i, -40, 10 * i + 5, -35)));

    Walk();  // a first frame: the walk makes the locations
    CDsLocation* region = Location({70, 80});
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->GetChildCount(), 1);  // only the first leaf entry's location
    ASSERT_NE(region->GetChild(0), nullptr);
    EXPECT_EQ(region->GetChild(0)->GetId(), 81);

    region->PrepareCache(5, false);  // as the draw walk keeps its runs there
    Walk();
    EXPECT_EQ(region->GetCache(), nullptr);
    int b[4];
    EXPECT_FALSE(region->GetChild(0)->Get2dBoundBox(b[0], b[1], b[2], b[3]));  // leaf entries get no box
    EXPECT_EQ(BoxOf({70, 80}), (Box{100, 60, 110, 50}));  // no child box: its own
    for (int i = 0; i < 8; ++i) EXPECT_EQ(BoxOf({70, 90, 91 + i}), (Box{100 + 10 * i, 15, 105 + 10 * i, 10})) << i;
    EXPECT_EQ(BoxOf({70, 90}), (Box{100, 15, 175, 10}));
    EXPECT_EQ(BoxOf({70}), (Box{100, 60, 175, 10}));
}

TEST_F(SyncWalkTest, TheTemporaryPartIsWalkedAfterThePeerPart)
{
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(scene.GetTempPartId(), 5), kLeafType,
                                 new CTestGeometry(Flat(-10, -10, 0, 0)), nullptr, nullptr, nullptr, nullptr, true));
    MakeLocations();
    Walk();
    RECT rect;
    ASSERT_TRUE(scene.GetLocationRect(CVyrObjectPath(std::vector<int>{5}.data(), 1, 1, scene.GetTempPartId()), &rect));
    EXPECT_EQ(rect.left, 90);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right, 100);
    EXPECT_EQ(rect.bottom, 40);
}

TEST_F(SyncWalkTest, AWalkWithoutStoreOrSceneDoesNothing)
{
    CDsLocation2dBoxFunctor functor(&view, true);
    EXPECT_FALSE(CDsLocation2dBoxFunctor::TraverseScene(nullptr, functor, &scene));
    EXPECT_FALSE(CDsLocation2dBoxFunctor::TraverseScene(storage, functor, nullptr));
    // No view or no location: the empty box.
    CDsLocation2dBoxFunctor blind(nullptr, true);
    const SDsBox2D box = blind.ComputeLocation2dBox(nullptr, nullptr);
    EXPECT_GT(box.minX, box.maxX);
    EXPECT_GT(box.minY, box.maxY);
}

// --- Searches --------------------------------------------------------------------------------------

TEST(LocationRectSearchTest, OverlapNeedsSharedInteriorOnBothAxes)
{
    const TDsLocationRects list = {SDsLocationRect(RECT{0, 10, 10, 0}), SDsLocationRect(RECT{20, 10, 30, 0}),
                                   SDsLocationRect(RECT{0, 30, 10, 20})};
    auto find = [&](RECT r) { return DsFindOverlappingLocationRect(list.begin(), list.end(), r) - list.begin(); };
    EXPECT_EQ(find(RECT{10, 10, 20, 0}), 3);   // touches the first two along edges
    EXPECT_EQ(find(RECT{0, 20, 10, 10}), 3);   // touches the first and third along edges
    EXPECT_EQ(find(RECT{10, 20, 20, 10}), 3);  // meets corners only
    EXPECT_EQ(find(RECT{9, 20, 21, 10}), 3);   // between the rows
    EXPECT_EQ(find(RECT{9, 11, 21, 9}), 0);    // the first that overlaps
    EXPECT_EQ(find(RECT{25, 5, 26, 4}), 1);    // inside the second
    EXPECT_EQ(find(RECT{-5, 40, 15, -5}), 0);  // around the first and third
    EXPECT_EQ(find(RECT{5, 25, 6, 24}), 2);
    EXPECT_EQ(DsFindOverlappingLocationRect(list.begin(), list.begin(), RECT{0, 10, 10, 0}), list.begin());
}

TEST(LocationRectSearchTest, ADirtyRectangleIsCutToTheViewportOrDroppedWhenNothingOfItIsOnIt)
{
    const RECT viewport{0, 90, 120, 0};  // rows counted up: top 90, bottom 0
    RECT inside{10, 50, 40, 20};
    ASSERT_TRUE(DsClipToViewport(inside, viewport));
    EXPECT_EQ(inside.left, 10);
    EXPECT_EQ(inside.top, 50);
    RECT across{-2147483648L, 2076244608L, 30, -393125248L};  // a window box clamped far off the window
    ASSERT_TRUE(DsClipToViewport(across, viewport));
    EXPECT_EQ(across.left, 0);
    EXPECT_EQ(across.right, 30);
    EXPECT_EQ(across.top, 90);
    EXPECT_EQ(across.bottom, 0);
    RECT off{-2147483648L, 393125337L, -2147483648L, -2076244519L};  // wholly left of the window
    EXPECT_FALSE(DsClipToViewport(off, viewport));
    RECT line{60, 50, 60, 20};  // one column wide, on the window
    EXPECT_TRUE(DsClipToViewport(line, viewport));
    RECT beyond{121, 50, 130, 20};
    EXPECT_FALSE(DsClipToViewport(beyond, viewport));
}

TEST(LocationRectSearchTest, FlaggedChangesAreFoundFirstInOrder)
{
    const CDsScene::TChangedIds none = {{CVyrObjectId(1, 1), false}, {CVyrObjectId(1, 2), false}};
    EXPECT_EQ(DsFindFlaggedChange(none.begin(), none.end()), none.end());
    EXPECT_EQ(DsFindFlaggedChange(none.begin(), none.begin()), none.begin());
    const CDsScene::TChangedIds some = {{CVyrObjectId(1, 1), false}, {CVyrObjectId(1, 2), true},
                                        {CVyrObjectId(1, 3), true}};
    EXPECT_EQ(DsFindFlaggedChange(some.begin(), some.end()) - some.begin(), 1);
}
