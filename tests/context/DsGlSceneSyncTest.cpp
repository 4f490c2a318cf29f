// The scene's side of a refresh without OpenGL: what changed for a view (GetChanges), the
// synchronisation of its locations by change status with the dirty rectangles of a partial
// change (Synchronize), the time report of the box step, the screen boxes of the root items
// (ComputeItemsBounds2D), and bad input (removed locations, a scene without parts). The view is
// parallel, one model unit per pixel: model (x, y) lands on window pixel (100 + x, 50 + y), y up.
#include "DsGlScene.h"
#include "DsItemsGroup.h"
#include "DsRectangle.h"
#include "VyrDiagTimeReport.h"

#include "../scene_db/SceneTestSupport.h"

#include "DsLocation.h"
#include "ViewSetup.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using Rect = std::array<long, 4>;  // left, top, right, bottom

Rect Of(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

SPAbox Flat(double x0, double y0, double x1, double y1)
{
    return SPAbox(SPAposition(x0, y0, 0), SPAposition(x1, y1, 0));
}

class DsGlSceneSyncTest : public CSceneDbTest {
protected:
    DsGlSceneSyncTest()
    {
        SetTestCategories();
        vyrtest::ViewSetup().Pixels(200, 100).Field(200, 100).ApplyTo(view);
    }
    ~DsGlSceneSyncTest() override { CDsRectangle::StCacheViewport(nullptr); }

    // A top leaf of the peer part with a flat box (none for a null box).
    void Leaf(int id, const SPAbox& box)
    {
        ASSERT_TRUE(storage->AddItem(CVyrObjectId(db.GetPeerPartId(), id), kLeafType,
                                     box.empty() ? nullptr : new CTestGeometry(box), nullptr, nullptr, nullptr,
                                     nullptr, true));
    }
    CVyrObjectPath Path(int id) const { return STestModel::Path(db, {id}, 1); }
    int Sync(int status)
    {
        dirty.clear();
        return scene.Synchronize(dirty, status, paths, ids, &view);
    }
    // Two frames' worth: the locations made, then their boxes.
    void FirstFrames()
    {
        EXPECT_EQ(Sync(eLocationsChanged), eLocationsChanged);
        EXPECT_EQ(Sync(eTotallyChanged), eTotallyChanged);
    }
    // The stored window box of the location, or {1, 0, 0, 1} without one.
    Rect BoxOf(int id) const
    {
        RECT r = {1, 0, 0, 1};
        db.GetLocationRect(Path(id), &r);
        return Of(r);
    }
    // The camera moved `dx` model units to the right (the picture moves left).
    void Pan(double dx)
    {
        vyrtest::ViewSetup().Pixels(200, 100).Field(200, 100).Eye(SPAposition(dx, 0, 50)).Target(SPAposition(dx, 0, 0))
            .ApplyTo(view);
    }
    void Changed(std::vector<int> changed)
    {
        paths.clear();
        for (int id : changed) paths.emplace_back(Path(id), false);
    }

    CDsPartStorage* storage = CDsPartStorage::instance();
    view3d view;
    CDsGlScene scene{nullptr, 1};
    CDsScene& db = scene.GetDbScene();
    TDsLocationRects dirty;
    CDsScene::TChangedPaths paths;
    CDsScene::TChangedIds ids;
};

}  // namespace

TEST_F(DsGlSceneSyncTest, EachStatusDoesItsShareOfTheWork)
{
    Leaf(11, Flat(0, 0, 10, 10));
    // Nothing changed, or only a redraw: no location is made or boxed.
    EXPECT_EQ(Sync(eNoChange), eNoChange);
    EXPECT_EQ(Sync(eRedrawOnly), eRedrawOnly);
    EXPECT_EQ(db.FindLocation(Path(11)), nullptr);
    // Locations moved: they are synchronised, without boxes.
    EXPECT_EQ(Sync(eLocationsChanged), eLocationsChanged);
    EXPECT_NE(db.FindLocation(Path(11)), nullptr);
    EXPECT_EQ(BoxOf(11), (Rect{1, 0, 0, 1}));
    // A total change during a fast refresh or a section pass: nothing more.
    view.SetFlag(eDsViewFlagFastRefresh, true);
    EXPECT_EQ(Sync(eTotallyChanged), eTotallyChanged);
    view.SetFlag(eDsViewFlagFastRefresh, false);
    view.SetFlag(eDsViewFlagSectionPass, true);
    EXPECT_EQ(Sync(eTotallyChanged), eTotallyChanged);
    EXPECT_EQ(BoxOf(11), (Rect{1, 0, 0, 1}));
    view.SetFlag(eDsViewFlagSectionPass, false);
    // Otherwise the boxes are computed, and the whole viewport is drawn.
    dirty.emplace_back(RECT{0, 1, 1, 0});  // whatever the caller left in the list
    EXPECT_EQ(scene.Synchronize(dirty, eTotallyChanged, paths, ids, &view), eTotallyChanged);
    EXPECT_TRUE(dirty.empty());
    EXPECT_EQ(BoxOf(11), (Rect{100, 60, 110, 50}));
    // A status outside the known ones is synchronised like a total change.
    Pan(10);
    EXPECT_EQ(Sync(7), 7);
    EXPECT_EQ(BoxOf(11), (Rect{90, 60, 100, 50}));
}

TEST_F(DsGlSceneSyncTest, ACameraChangeMovesTheBoxesAndKeepsTheCachedSlaveCounts)
{
    // A complex with masters 71 and 72 and slaves 73 (on both) and 74 (on 72).
    const CVyrObjectId complex(db.GetPeerPartId(), 70);
    ASSERT_TRUE(storage->AddItem(complex, kComplexType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(complex, 71, kLeafType, new CTestGeometry(Flat(0, 0, 10, 10)), nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(complex, 72, kLeafType, new CTestGeometry(Flat(20, 0, 30, 10)), nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddSlaveItem(complex, 73, kLeafType, new CTestGeometry(Flat(10, 0, 20, 10), {71, 72}),
                                      nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddSlaveItem(complex, 74, kLeafType, new CTestGeometry(Flat(30, 0, 40, 10), {72}),
                                      nullptr, nullptr, true));
    FirstFrames();
    auto box = [&](int slave) {
        RECT r = {1, 0, 0, 1};
        db.GetLocationRect(STestModel::Path(db, {70, slave}, 2), &r);
        return Of(r);
    };
    EXPECT_EQ(BoxOf(70), (Rect{100, 60, 140, 50}));
    CDsLocation* location = db.FindLocation(Path(70));
    ASSERT_NE(location, nullptr);
    ASSERT_EQ(location->GetCacheSize(), 2);
    location->GetCache()[1] = 0;  // slave 74 counted out

    Pan(10);
    EXPECT_EQ(Sync(eCameraChanged), eCameraChanged);
    EXPECT_TRUE(dirty.empty());
    EXPECT_EQ(box(73), (Rect{100, 60, 110, 50}));
    EXPECT_EQ(box(74), (Rect{130, 60, 140, 50}));  // not visited: where it was
    EXPECT_EQ(BoxOf(70), (Rect{90, 60, 120, 50}));

    // Any other change recounts the slaves.
    EXPECT_EQ(Sync(eTotallyChanged), eTotallyChanged);
    EXPECT_EQ(location->GetCache()[1], 1);
    EXPECT_EQ(box(74), (Rect{120, 60, 130, 50}));
    EXPECT_EQ(BoxOf(70), (Rect{90, 60, 130, 50}));
}

TEST_F(DsGlSceneSyncTest, APartialChangeGivesARectanglePerChangedLocation)
{
    Leaf(1, Flat(0, 0, 10, 10));       // (100, 60, 110, 50)
    Leaf(2, Flat(20, -20, 30, -10));   // (120, 40, 130, 30)
    Leaf(3, Flat(-50, 0, -40, 10));    // (50, 60, 60, 50)
    Leaf(4, Flat(10, 0, 20, 10));      // (110, 60, 120, 50): touches 1 along x = 110
    Leaf(5, Flat(5, 5, 15, 15));       // overlaps 1 and 4
    Leaf(6, SPAbox());                 // no box
    FirstFrames();
    Pan(10);  // the camera moved but the frame does not know: a partial frame keeps the boxes

    Changed({1, 2, 3});
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    ASSERT_EQ(dirty.size(), 3u);
    EXPECT_EQ(Of(dirty[0].rect), (Rect{100, 60, 110, 50}));
    EXPECT_EQ(Of(dirty[1].rect), (Rect{120, 40, 130, 30}));
    EXPECT_EQ(Of(dirty[2].rect), (Rect{50, 60, 60, 50}));
    EXPECT_TRUE(dirty[0].path == Path(1));
    EXPECT_TRUE(dirty[1].path == Path(2));
    EXPECT_TRUE(dirty[2].path == Path(3));
    EXPECT_EQ(BoxOf(1), (Rect{100, 60, 110, 50}));  // no box step

    Changed({1, 4});  // touching only: two rectangles
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    EXPECT_EQ(dirty.size(), 2u);

    Changed({1, 2, 3, 4});  // four or more: the whole viewport
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    EXPECT_TRUE(dirty.empty());
    EXPECT_EQ(BoxOf(1), (Rect{90, 60, 100, 50}));  // and the boxes were computed again

    Pan(0);
    Changed({2, 1, 5});  // 5 overlaps 1: the whole viewport
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    EXPECT_TRUE(dirty.empty());
    EXPECT_EQ(BoxOf(1), (Rect{100, 60, 110, 50}));

    Changed({2, 1});
    paths[1].second = true;  // a path that cannot be redrawn by rectangle, after one that can
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    EXPECT_TRUE(dirty.empty());

    Changed({2});
    ids.emplace_back(CVyrObjectId(db.GetPeerPartId(), 3), true);  // a flagged object
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    EXPECT_TRUE(dirty.empty());
    ids.clear();

    Changed({6});  // no rectangle of its own: the viewport's
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(Of(dirty[0].rect), (Rect{0, 100, 200, 0}));
    EXPECT_TRUE(dirty[0].path == Path(6));

    Changed({1});
    ids.emplace_back(CVyrObjectId(db.GetPeerPartId(), 2), false);  // objects changed: the whole viewport
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    EXPECT_TRUE(dirty.empty());
}

TEST_F(DsGlSceneSyncTest, TheViewportCornerCountsInEveryRectangle)
{
    Leaf(1, Flat(0, 0, 10, 10));
    Leaf(6, SPAbox());
    view.set_viewport(30, 40, 200, 100);
    FirstFrames();
    Changed({1});
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(Of(dirty[0].rect), (Rect{130, 100, 140, 90}));
    Changed({6});
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(Of(dirty[0].rect), (Rect{30, 140, 230, 40}));
}

TEST_F(DsGlSceneSyncTest, ChangesComeFromTheDatabaseUnlessTheViewRefreshesContinuously)
{
    Leaf(1, Flat(0, 0, 10, 10));
    Leaf(2, Flat(20, -20, 30, -10));
    int logNumber = -1, dbNumber = -1;
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, &view), eTotallyChanged);  // never drawn
    FirstFrames();
    db.SyncNumbers(logNumber, dbNumber, &view);
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, &view), eNoChange);

    db.GetChangeLog().Record({Path(1), Path(2)});
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, &view), ePartiallyChanged);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    ASSERT_EQ(dirty.size(), 2u);
    EXPECT_EQ(Of(dirty[0].rect), (Rect{100, 60, 110, 50}));
    EXPECT_EQ(Of(dirty[1].rect), (Rect{120, 40, 130, 30}));

    // A continuous refresh is a total change: the counts are 0 and the lists stay as they were.
    view.SetFlag(eDsViewFlagFastRefresh, true);
    EXPECT_EQ(scene.GetChanges(paths, ids, logNumber, dbNumber, &view), eTotallyChanged);
    EXPECT_EQ(logNumber, 0);
    EXPECT_EQ(dbNumber, 0);
    EXPECT_EQ(paths.size(), 2u);
}

TEST_F(DsGlSceneSyncTest, RemovedLocationsAndAMissingSceneGiveTheWholeViewport)
{
    Leaf(1, Flat(0, 0, 10, 10));
    Leaf(2, Flat(20, -20, 30, -10));
    int logNumber = 0, dbNumber = 0;
    scene.GetChanges(paths, ids, logNumber, dbNumber, &view);
    FirstFrames();
    db.SyncNumbers(logNumber, dbNumber, &view);

    // The database reports the removed object: the whole viewport, and its location goes.
    ASSERT_TRUE(storage->RemoveItem(CVyrObjectId(db.GetPeerPartId(), 2), nullptr));
    paths.clear();
    ids.clear();
    const int status = scene.GetChanges(paths, ids, logNumber, dbNumber, &view);
    EXPECT_EQ(status, ePartiallyChanged);
    EXPECT_FALSE(ids.empty());
    EXPECT_EQ(Sync(status), status);
    EXPECT_TRUE(dirty.empty());
    EXPECT_EQ(Sync(eLocationsChanged), eLocationsChanged);
    EXPECT_EQ(db.FindLocation(Path(2)), nullptr);

    // A change list that still names it: the viewport stands for its rectangle.
    ids.clear();
    Changed({1, 2});
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    EXPECT_TRUE(dirty.empty());  // the viewport overlaps the first rectangle
    Changed({2});
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(Of(dirty[0].rect), (Rect{0, 100, 200, 0}));

    // A scene whose parts are gone: nothing to box, every status answered.
    ASSERT_TRUE(storage->RemovePart(db.GetPeerPartId()));
    storage->RemovePart(db.GetTempPartId());
    for (int s = eNoChange; s <= eTotallyChanged; ++s) EXPECT_EQ(Sync(s), s);
    Changed({1});
    EXPECT_EQ(Sync(ePartiallyChanged), ePartiallyChanged);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(Of(dirty[0].rect), (Rect{0, 100, 200, 0}));
    EXPECT_EQ(db.FindLocation(Path(1)), nullptr);

    // No view: nothing done, the status answered.
    dirty.emplace_back(RECT{0, 1, 1, 0});
    EXPECT_EQ(scene.Synchronize(dirty, eTotallyChanged, paths, ids, nullptr), eTotallyChanged);
    EXPECT_TRUE(dirty.empty());
}

namespace {

// A time-report dialog that writes down what it is told.
class RecordingReport : public CVyrTimeReportDlgInt {
public:
    void BeginTiming(const CVyrString& label) override { log.push_back("begin " + Narrow(label)); }
    void EndTiming(const CVyrString& label) override { log.push_back("end " + Narrow(label)); }
    static std::string Narrow(const CVyrString& label)
    {
        const std::wstring wide(label.GetString());
        return std::string(wide.begin(), wide.end());
    }
    std::vector<std::string> log;
};

// Registers a dialog for the test's life.
class ReportScope {
public:
    ReportScope(CVyrTimeReportDlgInt* shown, CVyrTimeReportDlgInt* hidden)
    {
        CVyrTimeReportDlgInt::sTimeReportDlgInt = shown;
        CVyrTimeReportDlgInt::sTimeReportHideDlgInt = hidden;
    }
    ~ReportScope()
    {
        CVyrTimeReportDlgInt::sTimeReportDlgInt = shown_;
        CVyrTimeReportDlgInt::sTimeReportHideDlgInt = hidden_;
    }

private:
    CVyrTimeReportDlgInt* const shown_ = CVyrTimeReportDlgInt::sTimeReportDlgInt;
    CVyrTimeReportDlgInt* const hidden_ = CVyrTimeReportDlgInt::sTimeReportHideDlgInt;
};

}  // namespace

TEST_F(DsGlSceneSyncTest, TheBoxStepIsTimedUnderTheChangesNameWhileAReportIsOpen)
{
    Leaf(1, Flat(0, 0, 10, 10));
    Sync(eLocationsChanged);
    {
        RecordingReport hidden;
        ReportScope scope(nullptr, &hidden);
        Sync(eCameraChanged);
        Sync(eNoChange);
        Sync(eLocationsChanged);
        Changed({1});
        Sync(ePartiallyChanged);  // rectangles: no box step
        Changed({1, 1, 1, 1});
        Sync(ePartiallyChanged);
        Sync(eTotallyChanged);
        Sync(9);
        EXPECT_EQ(hidden.log, (std::vector<std::string>{
                                  "begin eCameraChanged -- Calc BoundBox", "end eCameraChanged -- Calc BoundBox",
                                  "begin ePartiallyChanged -- Calc BoundBox", "end ePartiallyChanged -- Calc BoundBox",
                                  "begin eTotallyChanged -- Calc BoundBox", "end eTotallyChanged -- Calc BoundBox",
                                  "begin  -- Calc BoundBox", "end  -- Calc BoundBox"}));
        // The timer ends after the boxes are done.
        EXPECT_EQ(BoxOf(1), (Rect{100, 60, 110, 50}));
    }
    RecordingReport shown;
    {
        ReportScope scope(&shown, nullptr);
        Sync(eTotallyChanged);
    }
    EXPECT_EQ(shown.log.size(), 2u);
    Sync(eTotallyChanged);  // no dialog: nobody told
    EXPECT_EQ(shown.log.size(), 2u);
}

namespace {

// A root group of a chosen kind that writes down when its screen boxes are computed.
class CountingGroup : public CDsItemsGroup {
public:
    CountingGroup(EDsItemsType type, int faces, std::vector<std::string>& log, const char* name)
        : CDsItemsGroup(nullptr, nullptr), faces_(faces), type_(type), log_(log), name_(name)
    {
    }
    EDsItemsType GetItemType() override { return type_; }
    int FacesCount() override { return faces_; }
    void ComputeBounds2D(view3d*) override { log_.push_back(name_); }

private:
    int faces_;
    EDsItemsType type_;
    std::vector<std::string>& log_;
    const char* name_;
};

}  // namespace

TEST_F(DsGlSceneSyncTest, ItemBoxesOfTheModelGroupsAreComputedOutsideFastRefresh)
{
    std::vector<std::string> log;
    scene.AddItemsGroup(new CountingGroup(eDsItemsHlView, 0, log, "hidden-line view"));
    scene.AddItemsGroup(new CountingGroup(eDsItemsCopy, 0, log, "copy"));
    scene.AddItemsGroup(new CountingGroup(eDsItemsToolpath, 0, log, "toolpath"));
    scene.AddItemsGroup(new CountingGroup(eDsItemsFigure, 0, log, "figure"));
    scene.AddItemsGroup(new CountingGroup(eDsItemsBody, 0, log, "wire body"));
    scene.AddItemsGroup(new CountingGroup(eDsItemsBody, 3, log, "body"));
    scene.ComputeItemsBounds2D(&view);
    EXPECT_EQ(log, (std::vector<std::string>{"body", "wire body", "copy", "hidden-line view"}));
    log.clear();
    view.SetFlag(eDsViewFlagFastRefresh, true);
    Sync(eNoChange);  // the first step of every synchronisation
    EXPECT_EQ(log, (std::vector<std::string>{"hidden-line view"}));
}

TEST_F(DsGlSceneSyncTest, ItemScreenTestsReadTheViewportOfTheLastSynchronisedView)
{
    const int min[2] = {300, 10};
    const int max[2] = {310, 20};
    const CDsRectangle beyond(min, max);
    EXPECT_FALSE(beyond.IsInView(&view, false));
    view.set_viewport(0, 0, 400, 100);  // the window grew
    EXPECT_FALSE(beyond.IsInView(&view, false));  // the viewport read before
    Sync(eNoChange);
    EXPECT_TRUE(beyond.IsInView(&view, false));
}
