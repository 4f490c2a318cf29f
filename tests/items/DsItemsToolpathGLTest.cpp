// Toolpaths: branch drawing with the active palette (colour changes at nodes, hidden entries,
// empty palettes, node markers, single- and multi-point nodes), branch and group picks with the
// pick manager's levels, the branches' boxes and the view's own pick and measure (through which a
// recorded figure is picked and fitted), edits by uid path, and the palette's shared use.
#include "DsAttributesIndex.h"
#include "DsAttributesPalette.h"
#include "DsColorStorage.h"
#include "DsHideLevel.h"
#include "DsItemToolpathPolyline.h"
#include "DsItemsToolpath.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "ItemViewFixture.h"
#include "PolygonTestSupport.h"
#include "pick_event.h"
#include "pick_manager.h"

#include <memory>

namespace {

using vyrtest::Rgb;

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0};

// Plain solid lines of width 1 in the palette's entries.
CDsLineAttribStorage Pen(const CDsColorStorage& color)
{
    CDsLineAttribStorage pen;
    pen.SetColor(color);
    pen.SetStyle(0);
    pen.SetWidth(1);
    return pen;
}

// A palette that counts its deletion.
class CountedPalette : public CDsAttributesPalette {
public:
    CountedPalette(int count, int* deaths) : CDsAttributesPalette(count), m_deaths(deaths) {}
    ~CountedPalette() override { ++*m_deaths; }

private:
    int* m_deaths;
};

// A geometry that is no toolpath node.
class OtherGeometry : public IDsGeometry {
public:
    int GetGeometryKind() const override { return 1; }
};

CDsUidPath Path(std::vector<CDsUid> uids)
{
    return CDsUidPath(nullptr, uids);
}

TDsNodeHeader* Point(unsigned id, unsigned char index, float x, float y)
{
    return TDsNodeHeader::StCreatePoint(id, index, x, y, 0.0f);
}

TDsNodeHeader* Points(unsigned id, unsigned char index, std::vector<float> xyz)
{
    return TDsNodeHeader::StCreatePoints(id, index, static_cast<int>(xyz.size() / 3), xyz.data());
}

class DsItemsToolpathGLTest : public vyrtest::ItemViewTest {
protected:
    void SetUp() override
    {
        ItemViewTest::SetUp();
        saved_ = CDsManager::GetInstance()->GetActiveAttributesPalette();
        palette_.SetAttributes(0, Pen(CDsColorStorage(255, 0, 0)));
        palette_.SetAttributes(1, Pen(CDsColorStorage(0, 255, 0)));
        CDsManager::GetInstance()->SetActiveAttributesPalette(&palette_);
    }
    void TearDown() override
    {
        CDsManager::GetInstance()->SetActiveAttributesPalette(saved_);
        context_.Set(static_cast<EDsDocumentFlag>(22), false);
        view_->pick_mode(0, 0, 0, 0, 0);
        ItemViewTest::TearDown();
    }
    // A pick manager for the window pixel (x, y from the top), the view in pick mode there.
    std::unique_ptr<pick_manager> PickAt(int x, int y, pick_method method = pick_method_point)
    {
        view_->pick_mode(1, x, y, 5, 5);
        event_ = pick_event(x, y, view_.get());
        return std::make_unique<pick_manager>(method, 0, nullptr, &event_, nullptr);
    }

    CDsAttributesPalette palette_{2};
    CDsAttributesPalette* saved_ = nullptr;
    pick_event event_;
};

}  // namespace

TEST_F(DsItemsToolpathGLTest, TheColourChangesAtTheNode)
{
    // x -8 (entry 0), 0 (entry 1), 8 (entry 1): red from pixel 18 to 50, green from 50 to 82.
    CDsItemToolpathPolyline branch(1);
    branch.AddSegment(Point(1, 0, -8, 0));
    branch.AddSegment(Point(2, 1, 0, 0));
    branch.AddSegment(Point(3, 1, 8, 0));
    branch.DrawGl(*view_);
    const auto red = LitRange(50, kRed);
    const auto green = LitRange(50, kGreen);
    EXPECT_NEAR(red.first, 18, 1);
    EXPECT_NEAR(red.second, 50, 1);
    EXPECT_NEAR(green.first, 50, 1);
    EXPECT_NEAR(green.second, 82, 1);

    // Index 256 - 1 = 255 reads entry 255 mod 2 = 1: all green.
    Clear(Rgb{0, 0, 0});
    CDsItemToolpathPolyline wrapped(2);
    wrapped.AddSegment(Point(1, 255, -8, 0));
    wrapped.AddSegment(Point(2, 255, 8, 0));
    wrapped.DrawGl(*view_);
    EXPECT_EQ(LitRange(50, kRed).first, -1);
    EXPECT_NEAR(LitRange(50, kGreen).first, 18, 1);
}

TEST_F(DsItemsToolpathGLTest, SingleAndMultiPointNodesDrawEverySegment)
{
    // A(-10) entry 0; M(-5, 0, 5) entry 1; B(10) entry 0: red 10..30, green 30..90.
    CDsItemToolpathPolyline branch(1);
    branch.AddSegment(Point(1, 0, -10, 0));
    branch.AddSegment(Points(2, 1, {-5, 0, 0, 0, 0, 0, 5, 0, 0}));
    branch.AddSegment(TDsNodeHeader::StCreatePoints(3, 1, 0, nullptr));  // no points: skipped
    branch.AddSegment(Point(4, 0, 10, 0));
    branch.DrawGl(*view_);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);
    EXPECT_NEAR(LitRange(50, kRed).second, 30, 1);
    EXPECT_NEAR(LitRange(50, kGreen).first, 30, 1);
    EXPECT_NEAR(LitRange(50, kGreen).second, 90, 1);

    // Multi-point nodes in a row, each its own entry.
    Clear(Rgb{0, 0, 0});
    CDsItemToolpathPolyline arrays(2);
    arrays.AddSegment(Points(1, 0, {-10, 0, 0, -5, 0, 0}));
    arrays.AddSegment(Points(2, 1, {0, 0, 0, 5, 0, 0}));
    arrays.AddSegment(Points(3, 0, {10, 0, 0, 11, 0, 0}));
    arrays.DrawGl(*view_);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);
    EXPECT_NEAR(LitRange(50, kGreen).first, 50, 1);
    EXPECT_NEAR(LitRange(50, kGreen).second, 90, 1);
    EXPECT_NEAR(LitRange(50, kRed).second, 94, 1);
}

TEST_F(DsItemsToolpathGLTest, HiddenEntriesAndEmptyPalettes)
{
    CDsLineAttribStorage hidden = Pen(CDsColorStorage(255, 0, 0));
    hidden.SetAttribute(CDsHideLevel(EDsHideLevel(2)), true);
    ASSERT_TRUE(hidden.IsHidden());
    CDsAttributesPalette allHidden(2);
    allHidden.SetAttributes(0, hidden);
    allHidden.SetAttributes(1, hidden);
    CDsManager::GetInstance()->SetActiveAttributesPalette(&allHidden);
    CDsItemToolpathPolyline branch(1);
    branch.AddSegment(Point(1, 0, -8, 0));
    branch.AddSegment(Points(2, 1, {-4, 0, 0, 0, 0, 0}));
    branch.AddSegment(Point(3, 0, 8, 0));
    branch.DrawGl(*view_);
    EXPECT_EQ(LitCount(), 0);

    // Entry 1 hidden only: the strip of node 2 is left out, the rest drawn.
    allHidden.SetAttributes(0, Pen(CDsColorStorage(255, 0, 0)));
    branch.DrawGl(*view_);
    EXPECT_NEAR(LitRange(50, kRed).first, 18, 1);
    EXPECT_NEAR(LitRange(50, kRed).second, 34, 1);

    // A palette without entries applies nothing: the branch draws in the colour in force.
    Clear(Rgb{0, 0, 0});
    CDsAttributesPalette empty(0);
    CDsManager::GetInstance()->SetActiveAttributesPalette(&empty);
    glColor3ub(0, 0, 255);
    branch.DrawGl(*view_);
    EXPECT_NEAR(LitRange(50, Rgb{0, 0, 255}).first, 18, 1);
    EXPECT_NEAR(LitRange(50, Rgb{0, 0, 255}).second, 82, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsItemsToolpathGLTest, DocumentFlag22ShowsSevenPixelBlackNodeMarkers)
{
    CDsItemToolpathPolyline branch(1);
    branch.AddSegment(Point(1, 0, -8, 0));
    branch.AddSegment(Points(2, 0, {0, 0, 0, 4, 0, 0}));
    // Black on white: a marker covers 3 pixels on each side of its node, the line one row.
    const auto blackAbove = [&](int x) {
        const auto rgb = Picture();
        const unsigned char* p = &rgb[static_cast<size_t>((52 * kSize + x) * 3)];
        return p[0] < 40 && p[1] < 40 && p[2] < 40;
    };
    Clear(Rgb{255, 255, 255});
    branch.DrawGl(*view_);
    EXPECT_FALSE(blackAbove(18));

    context_.Set(static_cast<EDsDocumentFlag>(22), true);
    ASSERT_TRUE(view_->GetDocumentFlag(static_cast<EDsDocumentFlag>(22)));
    Clear(Rgb{255, 255, 255});
    branch.DrawGl(*view_);
    EXPECT_TRUE(blackAbove(18));   // node 1
    EXPECT_TRUE(blackAbove(50));   // node 2's first point
    EXPECT_TRUE(blackAbove(66));   // and its last: the last array of the branch
    EXPECT_FALSE(blackAbove(34));  // between the nodes
    EXPECT_FALSE(blackAbove(5));   // beyond them
    GLfloat size = 0.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(size, 1.0f);

    // Not during a fast refresh.
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    Clear(Rgb{255, 255, 255});
    branch.DrawGl(*view_);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    EXPECT_FALSE(blackAbove(18));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsItemsToolpathGLTest, PicksHitSegmentsInsideArraysAndPopWhatTheyPush)
{
    // A(-10, 0); M (-5, 5) (0, 5) (5, 5); all entry 0.
    auto* branch = new CDsItemToolpathPolyline(7);
    branch->AddSegment(Point(1, 0, -10, 0));
    branch->AddSegment(Points(2, 0, {-5, 5, 0, 0, 5, 0, 5, 5, 0}));
    const TDsNodeHeader* a = branch->GetNode(0);
    const TDsNodeHeader* m = branch->GetNode(1);

    // (2.5, 5) inside M: pixel (60, 70), row 29 from the top.
    auto inside = PickAt(60, 29);
    EXPECT_TRUE(branch->Pick(inside.get()));
    EXPECT_EQ(branch->GetPickedNode(), m);
    EXPECT_EQ(inside->get_current_level(), 0);
    EXPECT_EQ(inside->get_record_count(), 1);

    // (-7.5, 2.5) on the link from A to M's first point: pixel (20, 60), row 39 from the top.
    auto link = PickAt(20, 39);
    EXPECT_TRUE(branch->Pick(link.get()));
    EXPECT_EQ(branch->GetPickedNode(), a);

    // Away from the path nothing is hit.
    auto away = PickAt(50, 90);
    EXPECT_FALSE(branch->Pick(away.get()));

    // Through the group: one level pushed and taken off again.
    CDsItemsToolpath toolpath(1);
    toolpath.AddSubItem(Path({1}), 7, nullptr);  // a sub-toolpath first
    toolpath.GetDsItems().push_back(branch);
    auto group = PickAt(60, 29);
    group->push_level(nullptr, nullptr);
    EXPECT_TRUE(toolpath.Pick(group.get()));
    EXPECT_EQ(group->get_current_level(), 1);
    EXPECT_EQ(toolpath.PickRefPoint(group.get(), nullptr), nullptr);
    EXPECT_EQ(group->get_current_level(), 1);
    EXPECT_FALSE(toolpath.Pick(static_cast<pick_manager*>(nullptr)));

    // A planar branch picks at its plane height.
    CDsItemToolpathPolylinePlanar planar(8, 0.0f);
    planar.AddSegment(Point(1, 0, -10, 20));
    planar.AddSegment(Point(2, 0, 10, 20));  // its z is read as the plane's
    auto flat = PickAt(70, 49);
    EXPECT_FALSE(planar.Pick(flat.get()));
    planar.AddSegment(Point(3, 0, 10, 0));
    planar.AddSegment(Point(4, 0, -10, 0));
    EXPECT_TRUE(planar.Pick(flat.get()));
    EXPECT_EQ(planar.GetPickedNode(), planar.GetNode(2));
    EXPECT_EQ(flat->get_current_level(), 0);
}

namespace {

// Whether `p` is exactly (x, y, z).
bool At(const SPAposition& p, double x, double y, double z)
{
    return p.x() == x && p.y() == y && p.z() == z;
}

// A measuring view that records the polylines it is sent, point by point.
class PolylineExtremaView : public vyrtest::RecordingExtremaView {
public:
    using vyrtest::RecordingExtremaView::draw_polyline_3d;
    int draw_polyline_3d(int n, const float* xyz, int) override
    {
        for (int i = 0; i < n; ++i) points.emplace_back(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
        return 1;
    }
};

}  // namespace

TEST_F(DsItemsToolpathGLTest, BranchesHaveTheBoxOfTheirPointsAndAnswerTheViewsOwnPickAndMeasure)
{
    // A(-10, 0, 2); M (-5, 5, 0) (0, 5, 0) (5, 5, -3); all entry 0.
    auto* branch = new CDsItemToolpathPolyline(7);
    branch->AddSegment(TDsNodeHeader::StCreatePoint(1, 0, -10, 0, 2));
    branch->AddSegment(Points(2, 0, {-5, 5, 0, 0, 5, 0, 5, 5, -3}));
    SPAbox box;
    ASSERT_TRUE(branch->GetBoundBox(box));
    EXPECT_TRUE(At(box.low(), -10, 0, -3));
    EXPECT_TRUE(At(box.high(), 5, 5, 2));
    // Through the toolpath group, as a figure's group measures its children.
    CDsItemsToolpath toolpath(1);
    toolpath.GetDsItems().push_back(branch);
    SPAbox grouped;
    ASSERT_TRUE(toolpath.GetBoundBox(grouped));
    EXPECT_TRUE(At(grouped.low(), -10, 0, -3));
    EXPECT_TRUE(At(grouped.high(), 5, 5, 2));
    // No point, no box; a planar branch's points lie at its plane height.
    CDsItemToolpathPolyline empty(8);
    empty.AddSegment(TDsNodeHeader::StCreatePoints(1, 0, 0, nullptr));
    EXPECT_FALSE(empty.GetBoundBox(box));
    EXPECT_TRUE(box.empty());
    CDsItemToolpathPolylinePlanar planar(9, 4.0f);
    planar.AddSegment(Point(1, 0, -10, 20));
    planar.AddSegment(Point(2, 0, 10, -20));
    ASSERT_TRUE(planar.GetBoundBox(box));
    EXPECT_TRUE(At(box.low(), -10, -20, 4));
    EXPECT_TRUE(At(box.high(), 10, 20, 4));

    // A measuring view takes every point of every node.
    PolylineExtremaView extrema;
    EXPECT_TRUE(branch->Pick(&extrema));
    ASSERT_EQ(extrema.points.size(), 4u);
    EXPECT_TRUE(At(extrema.points.front(), -10, 0, 2));
    EXPECT_TRUE(At(extrema.points.back(), 5, 5, -3));

    // A view in pick mode: inside M at (2.5, 5), pixel (60, 70), row 29 from the top; on the link
    // from A to M; away from the path; the branch hidden.
    view_->pick_mode(1, 60, 29, 5, 5);
    EXPECT_TRUE(branch->Pick(static_cast<view3d*>(view_.get())));
    EXPECT_EQ(branch->GetPickedNode(), branch->GetNode(1));
    view_->pick_mode(1, 20, 39, 5, 5);
    EXPECT_TRUE(toolpath.Pick(static_cast<view3d*>(view_.get())));
    EXPECT_EQ(branch->GetPickedNode(), branch->GetNode(0));
    view_->pick_mode(1, 50, 90, 5, 5);
    EXPECT_FALSE(branch->Pick(static_cast<view3d*>(view_.get())));
    view_->pick_mode(1, 60, 29, 5, 5);
    branch->SetAttribute(CDsHideLevel(EDsHideLevel(2)), true, false);
    ASSERT_TRUE(branch->IsHidden());
    EXPECT_FALSE(branch->Pick(static_cast<view3d*>(view_.get())));
    branch->SetAttribute(CDsHideLevel(EDsHideLevel(0)), true, false);
    // A planar branch picks at its plane height through the view too.
    view_->pick_mode(1, 50, 49, 5, 5);
    EXPECT_TRUE(planar.Pick(static_cast<view3d*>(view_.get())));
    EXPECT_EQ(planar.GetPickedNode(), planar.GetNode(0));
    // Outside pick mode a view that does not measure is not drawn on: toolpaths are not printed.
    view_->pick_mode(0, 0, 0, 0, 0);
    EXPECT_FALSE(branch->Pick(static_cast<view3d*>(view_.get())));
    EXPECT_FALSE(branch->Pick(static_cast<view3d*>(nullptr)));
}

TEST_F(DsItemsToolpathGLTest, EditsByUidPathReachTheirBranchesAndNodes)
{
    CDsItemsToolpath toolpath(1);
    const std::unique_ptr<TDsNodeHeader> node(Point(0, 0, 0, 0));
    const OtherGeometry other;
    toolpath.AddSubItem(Path({1}), 10, node.get());   // a branch
    toolpath.AddSubItem(Path({1}), 11, node.get());   // a second branch
    toolpath.AddSubItem(Path({1}), 20, nullptr);      // a sub-toolpath
    toolpath.AddSubItem(Path({9}), 30, nullptr);      // a path that matches nothing
    ASSERT_EQ(toolpath.Count(), 3);
    EXPECT_EQ(toolpath.Get(0)->GetItemType(), eDsItemToolpathPolyline);
    EXPECT_EQ(toolpath.Get(0)->GetDsUid(), CDsUid(10));
    EXPECT_EQ(toolpath.Get(2)->GetItemType(), eDsItemsToolpath);

    // Nodes into the second branch (after a sibling that does not match), named by the id given.
    const std::unique_ptr<TDsNodeHeader> left(Point(99, 0, -8, 0)), middle(Point(99, 0, 0, 0)), right(Point(99, 0, 8, 0));
    toolpath.AddSubItem(Path({1, 11}), 101, left.get());
    toolpath.AddSubItem(Path({1, 11}), 102, middle.get());
    toolpath.AddSubItem(Path({1, 11}), 103, right.get());
    toolpath.AddSubItem(Path({1, 11}), 104, &other);  // no node: nothing
    auto* branch = static_cast<CDsItemToolpathPolyline*>(toolpath.Get(1));
    ASSERT_EQ(branch->GetNodeCount(), 3);
    EXPECT_EQ(branch->GetNode(0)->id, CDsUid(101));
    EXPECT_EQ(static_cast<CDsItemToolpathPolyline*>(toolpath.Get(0))->GetNodeCount(), 0);

    // One node's attributes, then the whole branch's.
    CDsUidPath toNode = Path({1, 11, 102});
    toolpath.SetAttributes(toNode, CDsAttributesIndex(1), false);
    EXPECT_EQ(branch->GetNode(0)->attributeIndex, 0);
    EXPECT_EQ(branch->GetNode(1)->attributeIndex, 1);
    EXPECT_EQ(branch->GetNode(2)->attributeIndex, 0);
    branch->DrawGl(*view_);
    EXPECT_NEAR(LitRange(50, kRed).second, 50, 1);
    EXPECT_NEAR(LitRange(50, kGreen).first, 50, 1);
    CDsUidPath toBranch = Path({1, 11});
    toolpath.SetAttributes(toBranch, CDsAttributesIndex(1), false);
    EXPECT_EQ(branch->GetNode(0)->attributeIndex, 1);
    CDsUidPath nowhere = Path({1, 12});
    toolpath.SetAttributes(nowhere, CDsAttributesIndex(0), false);
    EXPECT_EQ(branch->GetNode(0)->attributeIndex, 1);

    // Removing the middle node keeps the others drawable in order.
    toolpath.RemoveSubItem(Path({1, 11}), 102);
    toolpath.RemoveSubItem(Path({1, 11}), 555);  // no such node
    toolpath.RemoveSubItem(Path({1}), 11);        // a branch is not removed this way
    ASSERT_EQ(toolpath.Count(), 3);
    ASSERT_EQ(branch->GetNodeCount(), 2);
    EXPECT_EQ(branch->GetNode(1)->id, CDsUid(103));
    Clear(Rgb{0, 0, 0});
    toolpath.DrawOnTraverse(*view_, CDsGeometry::eDpLines, false);
    EXPECT_NEAR(LitRange(50, kGreen).first, 18, 1);
    EXPECT_NEAR(LitRange(50, kGreen).second, 82, 1);

    // The group's retained road draws nothing.
    Clear(Rgb{0, 0, 0});
    toolpath.Refresh(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsToolpathGLTest, TheLastReleaseOfAPaletteDeletesIt)
{
    int deaths = 0;
    auto* palette = new CountedPalette(2, &deaths);
    {
        CDsItemsToolpath first(1), second(2);
        first.SetPalette(palette);
        second.SetAttribute(*palette, true, false);  // the palette as an attribute
        EXPECT_EQ(palette->GetUseCount(), 2);
        first.SetPalette(nullptr);
        EXPECT_EQ(deaths, 0);
        EXPECT_EQ(second.GetPalette(), palette);
    }
    EXPECT_EQ(deaths, 1);

    // Replacing a palette gives the old one back.
    int replaced = 0, kept = 0;
    auto* old = new CountedPalette(2, &replaced);
    auto* next = new CountedPalette(2, &kept);
    CDsItemsToolpath toolpath(3);
    toolpath.SetPalette(old);
    toolpath.SetPalette(old);  // the same again: still one use
    EXPECT_EQ(old->GetUseCount(), 1);
    toolpath.SetAttribute(*next, true, false);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(toolpath.GetPalette(), next);
    toolpath.SetPalette(nullptr);
    EXPECT_EQ(kept, 1);
}

TEST_F(DsItemsToolpathGLTest, WhatAHiddenEntryLeavesOutIsNeitherBoxedNorMeasuredNorPicked)
{
    CDsLineAttribStorage hidden = Pen(CDsColorStorage(0, 255, 0));
    hidden.SetAttribute(CDsHideLevel(EDsHideLevel(2)), true);
    palette_.SetAttributes(1, hidden);
    // A(-10, 0) entry 0; M (-5, 5) (0, 5) (5, 5) entry 1; B(10, -5) entry 0: drawn is A to M's
    // first point; B alone, after the hidden M, draws no segment and so nothing.
    auto* branch = new CDsItemToolpathPolyline(7);
    branch->AddSegment(Point(1, 0, -10, 0));
    branch->AddSegment(Points(2, 1, {-5, 5, 0, 0, 5, 0, 5, 5, 0}));
    branch->AddSegment(TDsNodeHeader::StCreatePoint(3, 0, 10, -5, 2));
    SPAbox box;
    ASSERT_TRUE(branch->GetBoundBox(box));
    EXPECT_TRUE(At(box.low(), -10, 0, 0));
    EXPECT_TRUE(At(box.high(), -5, 5, 0));
    PolylineExtremaView extrema;
    EXPECT_TRUE(branch->Pick(&extrema));
    ASSERT_EQ(extrema.points.size(), 2u);
    EXPECT_TRUE(At(extrema.points[1], -5, 5, 0));
    // M's last point (5, 5) is not drawn: its x bounds nothing, and no pick finds it.
    view_->pick_mode(1, 70, 29, 5, 5);
    EXPECT_FALSE(branch->Pick(static_cast<view3d*>(view_.get())));
    view_->pick_mode(1, 20, 39, 5, 5);  // on the link from A to M
    EXPECT_TRUE(branch->Pick(static_cast<view3d*>(view_.get())));

    // Every node hidden: no box, for the branch and for its toolpath.
    CDsItemsToolpath toolpath(1);
    toolpath.GetDsItems().push_back(branch);
    palette_.SetAttributes(0, hidden);
    EXPECT_FALSE(branch->GetBoundBox(box));
    SPAbox grouped;
    EXPECT_FALSE(toolpath.GetBoundBox(grouped));

    // A planar branch picks and boxes by the same entries: its segment in entry 1 is not there.
    palette_.SetAttributes(0, Pen(CDsColorStorage(255, 0, 0)));
    CDsItemToolpathPolylinePlanar planar(8, 0.0f);
    planar.AddSegment(Point(1, 0, -10, 0));
    planar.AddSegment(Point(2, 1, 0, 0));
    planar.AddSegment(Point(3, 1, 10, 10));
    view_->pick_mode(1, 35, 49, 5, 5);  // (-5, 0): entry 0's segment
    EXPECT_TRUE(planar.Pick(static_cast<view3d*>(view_.get())));
    view_->pick_mode(1, 65, 34, 5, 5);  // (5, 5): entry 1's segment
    EXPECT_FALSE(planar.Pick(static_cast<view3d*>(view_.get())));
    view_->pick_mode(0, 0, 0, 0, 0);
    ASSERT_TRUE(planar.GetBoundBox(box));
    EXPECT_TRUE(At(box.high(), 0, 0, 0));
}
