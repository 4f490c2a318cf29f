// Region picks on real OpenGL: the region walks through CDsPickProccessor::PickInRegion, with and
// without the visible-only pass over the software z-buffer (selection mode 2).
#include "VisibleOnlyFunctor.h"

#include "../PickFixture.h"

#include "DsLocation.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace picktest;

class PickRegionTest : public PickTest {
protected:
    // The region pick between drawable pixels (x1, y1) and (x2, y2); the list's size.
    int Region(int x1, int y1, int x2, int y2, CDsPickedItemList& list, unsigned char selector = 1)
    {
        event_ = CUiPickEvent(x1, y1, 0, view_.get(), nullptr);
        corner_[0] = x2;
        corner_[1] = y2;
        request_.m_ownerContext = &context_;
        request_.m_domain = &domain_;
        request_.m_event = &event_;
        request_.m_secondCorner = corner_;
        request_.m_regionSelector = selector;
        return context_.GetPickProccessor()->PickInRegion(request_, list);
    }
    // Files `geometry` as item `id` of `type` with transparency `transparency`.
    CVyrObjectPath AddSeeThrough(int id, unsigned char type, CDsGeometry* geometry, unsigned char transparency)
    {
        CDsAttributes look;
        look.SetColor(0x00FF00);
        look.SetTransparency(transparency);
        EXPECT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(PeerPart(), id), type, geometry, nullptr, &look,
                                                        nullptr, nullptr, true));
        return PathOf(id);
    }
    void VisibleOnly(bool on)
    {
        context_.GetPickProccessor()->SetSelectionMode(on ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
    }
    // The projection stack's depth.
    static GLint ProjectionDepth()
    {
        GLint depth = 0;
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        return depth;
    }

    int corner_[2] = {0, 0};
};

// Model y = 5.5 lies on the centre of drawable pixel row 44. A region dragged from row 43 to row 45
// holds that row (the line's zero-height window box must lie strictly inside); the same region one
// row lower does not, nor does one whose rows were flipped with the viewport height instead of
// height - 1 (which would reach the line from rows 44 to 46).
TEST_F(PickRegionTest, ARegionOverTheLinesRowPicksItAndOneRowLowerDoesNot)
{
    const CVyrObjectPath line = Add(1, kLineType, Line(-10, 5.5f, 10, 5.5f, 0));
    Refresh();
    CDsPickedItemList on, below;
    EXPECT_EQ(Region(30, 43, 70, 45, on), 1);
    ASSERT_EQ(on.GetSize(), 1);
    EXPECT_EQ(on.GetItems()[0]->GetObjectPath(), line);
    EXPECT_EQ(Region(30, 44, 70, 46, below), 0);
}

TEST_F(PickRegionTest, CornersInEitherOrderGiveTheSameList)
{
    Add(1, kFaceType, Rect(-20, -20, -5, -5, 0));
    Add(2, kLineType, Line(5, 5, 20, 20, 0));
    Add(3, kLineType, Line(30, 30, 45, 45, 0));  // outside
    Refresh();
    CDsPickedItemList a, b, c;
    EXPECT_EQ(Region(20, 20, 80, 80, a), 2);
    EXPECT_EQ(Region(80, 80, 20, 20, b), 2);
    EXPECT_EQ(Region(20, 80, 80, 20, c), 2);
    EXPECT_EQ(Paths(a), Paths(b));
    EXPECT_EQ(Paths(a), Paths(c));
    EXPECT_EQ(Paths(a), (std::vector<CVyrObjectPath>{PathOf(1), PathOf(2)}));
}

TEST_F(PickRegionTest, VisibleOnlyListsTheFrontFaceAndModeZeroBoth)
{
    const CVyrObjectPath front = Add(1, kFaceType, Rect(-20, -20, 20, 20, 10));
    const CVyrObjectPath back = Add(2, kFaceType, Rect(-20, -20, 20, 20, 0));
    Refresh();
    const GLint depth = ProjectionDepth();
    CDsPickedItemList both, visible;
    EXPECT_EQ(Region(20, 20, 80, 80, both), 2);
    VisibleOnly(true);
    EXPECT_EQ(Region(20, 20, 80, 80, visible), 1);
    EXPECT_EQ(Paths(visible), std::vector<CVyrObjectPath>{front});
    EXPECT_EQ(Paths(both), (std::vector<CVyrObjectPath>{front, back}));
    // The pick window is closed and the projection stack is as deep as before.
    EXPECT_EQ(view_->get_pick_mode(), 0);
    EXPECT_EQ(ProjectionDepth(), depth);
}

// In mixed mode a face's attributes give its transparency: 191 counts as see-through, 192 as opaque.
TEST_F(PickRegionTest, AnUnpickableSeeThroughFaceHidesNothing)
{
    view_->SetRenderMode(eRenderMixed);
    const CVyrObjectPath back = Add(2, kFaceType, Rect(-20, -20, 20, 20, 0));
    AddSeeThrough(1, kOtherType + 1, Rect(-25, -25, 25, 25, 10), 191);
    Refresh();
    VisibleOnly(true);
    CDsPickedItemList list;
    EXPECT_EQ(Region(20, 20, 80, 80, list), 1);
    EXPECT_EQ(Paths(list), std::vector<CVyrObjectPath>{back});
}

TEST_F(PickRegionTest, AnUnpickableOpaqueFaceHidesWhatLiesBehindIt)
{
    view_->SetRenderMode(eRenderMixed);
    Add(2, kFaceType, Rect(-20, -20, 20, 20, 0));
    AddSeeThrough(1, kOtherType + 1, Rect(-25, -25, 25, 25, 10), 192);
    Refresh();
    VisibleOnly(true);
    CDsPickedItemList list;
    EXPECT_EQ(Region(20, 20, 80, 80, list), 0);
    VisibleOnly(false);
    EXPECT_EQ(Region(20, 20, 80, 80, list), 1);
}

TEST_F(PickRegionTest, AQuadrilateralSeenAsTwoTrianglesPutsItsPathInTwice)
{
    const CVyrObjectPath quad = Add(1, kFaceType, Rect(-20, -20, 20, 20, 0));
    Refresh();
    const int corner[2] = {80, 80};
    const CUiPickEvent first(20, 20, 0, view_.get(), nullptr);
    CVisibleOnlyFunctor pass(view_.get(), first, corner, domain_, nullptr, nullptr, false, nullptr, 0x7FFFFFFF);
    ASSERT_NE(pass.GetZBuffer(), nullptr);
    EXPECT_EQ(pass.GetWidth(), 60);
    pass.Walk(CDsPartStorage::instance(), &Scene());
    std::vector<CVyrObjectPath> paths;
    pass.CollectVisibleItems(paths);
    EXPECT_EQ(paths, (std::vector<CVyrObjectPath>{quad, quad}));
    // The count runs once.
    pass.CollectVisibleItems(paths);
    EXPECT_EQ(paths.size(), 2u);
}

// Child regions drawn through their parent region's geometry are rasterised with the faces that
// geometry holds for each child's id: the left child shows, the right one lies behind a face.
TEST_F(PickRegionTest, ChildRegionsHideAndShowByTheirOwnFacesInTheParentsGeometry)
{
    const RegionTypesScope types;
    CRegionGeometry::Shapes shapes;
    shapes[11].reset(Rect(-20, -20, 0, 20, 0));
    shapes[12].reset(Rect(0, -20, 20, 20, 0));
    CDsPartStorage* storage = CDsPartStorage::instance();
    Add(9, kHolderType, nullptr);
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(PeerPart(), 9), 10, kRegionType, new CRegionGeometry(shapes),
                                      nullptr, nullptr, true));
    for (int child : {11, 12})
        ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(PeerPart(), 10), child, kRegionType, nullptr, nullptr, nullptr,
                                          true));
    Add(1, kFaceType, Rect(-2, -25, 25, 25, 10));  // in front of the right child
    // A line beside the region and behind the children: the frame fits its depth range to the
    // boxes it measures, and the region's children have none of their own.
    Add(2, kLineType, Line(40, -40, 45, -40, -5));
    Refresh();

    const std::vector<CDsTypeMask> domain = {MaskOf({kFaceType, kRegionType})};
    const int corner[2] = {80, 80};
    const CUiPickEvent first(20, 20, 0, view_.get(), nullptr);
    CVisibleOnlyFunctor pass(view_.get(), first, corner, domain, nullptr, nullptr, false, nullptr, 0x7FFFFFFF);
    pass.Walk(storage, &Scene());
    std::vector<CVyrObjectPath> paths;
    pass.CollectVisibleItems(paths);
    std::vector<int> ids;
    for (const CVyrObjectPath& path : paths) ids.push_back(path.GetLastId());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<int>{1, 1, 11, 11}));  // two triangles each
}

TEST_F(PickRegionTest, ItemsAlreadyListedAreMergedSortedWithoutDuplicatesAndHeldItemsStay)
{
    Add(3, kLineType, Line(-10, 0, 10, 0, 0));
    Add(5, kLineType, Line(-10, 10, 10, 10, 0));
    Refresh();
    CDsPickedItemList list;
    CDsPickedItem held(PathOf(5), nullptr, static_cast<eVyrObjectType>(kLineType), -1);
    CDsPickedItem other(PathOf(9), nullptr, static_cast<eVyrObjectType>(kLineType), -1);
    list.Add(&other);
    list.Add(&held);
    const CDsPickedItem* heldPointer = list.GetItems()[1];
    EXPECT_EQ(Region(20, 20, 80, 80, list), 3);
    EXPECT_EQ(Paths(list), (std::vector<CVyrObjectPath>{PathOf(3), PathOf(5), PathOf(9)}));
    EXPECT_EQ(list.GetItems()[1], heldPointer);
    // A list that does not own its items keeps the new ones (the caller frees them).
    CDsPickedItemList borrowed(false);
    EXPECT_EQ(Region(20, 20, 80, 80, borrowed), 2);
    for (CDsPickedItem* item : borrowed.GetItems()) delete item;
}

TEST_F(PickRegionTest, AnItemReachingOutOfTheRegionIsLeftOut)
{
    Add(1, kLineType, Line(-10, -10, -5, -5, 0));
    Add(2, kLineType, Line(5, 5, 10, 10, 0));
    Add(3, kLineType, Line(15, 15, 35, 35, 0));  // crosses the region's edge
    Refresh();
    CDsPickedItemList list;
    EXPECT_EQ(Region(30, 30, 70, 70, list), 2);
    EXPECT_EQ(Paths(list), (std::vector<CVyrObjectPath>{PathOf(1), PathOf(2)}));
}

TEST_F(PickRegionTest, BadInputGivesEmptyResultsAndLeavesNothingOpen)
{
    Add(1, kFaceType, Rect(-20, -20, 20, 20, 0));
    Refresh();
    const GLint depth = ProjectionDepth();
    CDsPickedItemList list;
    EXPECT_EQ(Region(40, 40, 40, 40, list), 0);  // equal corners
    VisibleOnly(true);
    EXPECT_EQ(Region(40, 40, 40, 40, list), 0);
    EXPECT_EQ(Region(60, 30, 60, 70, list), 0);  // zero width
    // Corners far outside the window and beyond 16 bits: clamped, the buffer no larger than the view.
    EXPECT_EQ(Region(-200000, -200000, 300000, 300000, list), 1);
    {
        const int corner[2] = {300000, 300000};
        const CUiPickEvent first(-200000, -200000, 0, view_.get(), nullptr);
        CVisibleOnlyFunctor pass(view_.get(), first, corner, domain_, nullptr, nullptr, false, nullptr, 0x7FFFFFFF);
        EXPECT_EQ(pass.GetWidth(), kSize);
        EXPECT_EQ(pass.GetHeight(), kSize);
    }
    // No view, no domain, no second corner: the list's size, nothing added.
    CDsPickedItemList empty;
    event_ = CUiPickEvent(10, 10, 0, nullptr, nullptr);
    request_.m_event = &event_;
    EXPECT_EQ(context_.GetPickProccessor()->PickInRegion(request_, empty), 0);
    request_.m_secondCorner = nullptr;
    event_ = CUiPickEvent(10, 10, 0, view_.get(), nullptr);
    EXPECT_EQ(context_.GetPickProccessor()->PickInRegion(request_, empty), 0);
    std::vector<CDsTypeMask> none;
    corner_[0] = corner_[1] = 90;
    request_.m_secondCorner = corner_;
    request_.m_domain = &none;
    EXPECT_EQ(context_.GetPickProccessor()->PickInRegion(request_, empty), 0);
    // A test object that refuses all.
    struct CRefuse : CDsPickTestFunc {
        bool Test(const CVyrObjectPath&, const CDsGeometry*, eVyrObjectType, eVyrParamPointType) override { return false; }
    } refuse;
    request_.m_domain = &domain_;
    request_.m_test = &refuse;
    EXPECT_EQ(context_.GetPickProccessor()->PickInRegion(request_, empty), 0);
    request_.m_test = nullptr;
    EXPECT_EQ(empty.GetSize(), 0);
    EXPECT_EQ(view_->get_pick_mode(), 0);
    EXPECT_EQ(ProjectionDepth(), depth);
}

}  // namespace
