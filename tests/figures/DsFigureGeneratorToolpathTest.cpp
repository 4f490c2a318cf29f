// The figure generator's hidden-line views and toolpaths: StartHlView and both segment forms,
// StartToolpath with its branches and nodes, as a root and inside a figure.
#include "DsAttributesPalette.h"
#include "DsEllipseStorage.h"
#include "DsFigureGenerator.h"
#include "DsItemToolpathPolyline.h"
#include "DsItemsFigure.h"
#include "DsItemsHlView.h"
#include "DsItemsToolpath.h"
#include "DsPolyline.h"

#include "GmPosition.h"
#include "SpaGeometry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

CDsEllipseStorage* Circle()
{
    return new CDsEllipseStorage(ellipse(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(2, 0, 0), 1.0, 0.0),
                                 0.0, 6.283185307179586);
}

CDsItemsGroup* Set(CDsItemsGroup* view, int i)
{
    return static_cast<CDsItemsGroup*>(view->Get(i));
}

}  // namespace

TEST(DsFigureGeneratorToolpathTest, StartHlViewMakesTheRootAndSegmentsGoIntoTheirSets)
{
    CDsFigureGenerator generator(nullptr);
    generator.DrawPolyline(2, std::vector<CGmPosition>{CGmPosition(0, 0, 0), CGmPosition(1, 0, 0)}.data());
    generator.StartHlView(nullptr, true);  // what was drawn before is dropped
    CDsPolyline line({SPAposition(0, 0, 0), SPAposition(1, 1, 0)});
    generator.AddHlSegment(nullptr, &line, eDsHlSegmentFirst);
    generator.AddHlSegment(nullptr, Circle(), eDsHlSegmentSecond);
    std::unique_ptr<CDsEllipseStorage> refused(Circle());
    generator.AddHlSegment(nullptr, refused.get(), static_cast<EDsHlSegmentType>(2));  // no such set
    generator.AddHlSegment(nullptr, static_cast<CDsEllipseStorage*>(nullptr), eDsHlSegmentFirst);
    std::unique_ptr<CDsItemsGroup> root(generator.DisplayListGroup(nullptr));
    ASSERT_EQ(root->GetItemType(), eDsItemsHlView);
    auto* view = static_cast<CDsItemsHlView*>(root.get());
    EXPECT_TRUE(view->GetShowSecondSet());
    ASSERT_EQ(view->Count(), 2);
    ASSERT_EQ(Set(view, 0)->Count(), 1);
    EXPECT_EQ(Set(view, 0)->Get(0)->GetItemType(), eDsItemHlSegmentPolyline3D);
    ASSERT_EQ(Set(view, 1)->Count(), 1);
    EXPECT_EQ(Set(view, 1)->Get(0)->GetItemType(), eDsItemHlSegmentEllipseDynamic);
    EXPECT_TRUE(Set(view, 1)->Get(0)->GetBaseFlag(eDsBaseItemNoPickWhenHidden));

    // Without a hidden-line view the segment forms make nothing.
    CDsFigureGenerator plain(nullptr);
    plain.AddHlSegment(nullptr, refused.get(), eDsHlSegmentFirst);
    std::unique_ptr<CDsItemsFigure> empty(plain.DisplayList(nullptr));
    EXPECT_EQ(empty->Count(), 0);
}

TEST(DsFigureGeneratorToolpathTest, AToolpathAsTheRootHoldsItsPaletteAndBranches)
{
    auto* palette = new CDsAttributesPalette(2);
    CDsFigureGenerator generator(nullptr);
    generator.StartToolpath(5, palette);
    generator.StartToolpathBranch(50, 0.0f);
    generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(1, 0, 0, 0, 0));
    generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(2, 1, 1, 0, 0));
    generator.EndToolpathBranch();
    const std::unique_ptr<TDsNodeHeader> late(TDsNodeHeader::StCreatePoint(3, 0, 2, 0, 0));
    generator.AddToolpathSegment(late.get());  // no branch open: not taken
    generator.StartPlanarToolpathBranch(51, 2.5f, 0.0f);
    generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(4, 0, 3, 0, 0));
    generator.EndToolpathBranch();
    generator.EndToolpath();
    std::unique_ptr<CDsItemsGroup> root(generator.DisplayListGroup(nullptr));
    ASSERT_EQ(root->GetItemType(), eDsItemsToolpath);
    auto* toolpath = static_cast<CDsItemsToolpath*>(root.get());
    EXPECT_EQ(toolpath->GetDsUid(), CDsUid(5));
    EXPECT_EQ(toolpath->GetPalette(), palette);
    EXPECT_EQ(palette->GetUseCount(), 1);
    ASSERT_EQ(toolpath->Count(), 2);
    auto* first = static_cast<CDsItemToolpathPolyline*>(toolpath->Get(0));
    EXPECT_EQ(first->GetNodeCount(), 2);
    ASSERT_EQ(toolpath->Get(1)->GetItemType(), eDsItemToolpathPolylinePlanar);
    auto* planar = static_cast<CDsItemToolpathPolylinePlanar*>(toolpath->Get(1));
    EXPECT_EQ(planar->GetPlaneHeight(), 2.5f);
    EXPECT_EQ(planar->GetNodeCount(), 1);
    // The palette goes with the toolpath's last use of it (checked by the sanitiser build).
}

TEST(DsFigureGeneratorToolpathTest, AToolpathInsideAFigureKeepsAllItsBranches)
{
    CDsFigureGenerator generator(nullptr);
    generator.DrawPolyline(2, std::vector<CGmPosition>{CGmPosition(0, 0, 0), CGmPosition(1, 0, 0)}.data());
    generator.StartToolpath(5, nullptr);
    for (unsigned b = 0; b < 3; ++b) {
        generator.StartToolpathBranch(10 + b, 0.0f);
        generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(1, 0, 0, 0, 0));
        generator.EndToolpathBranch();
    }
    generator.EndToolpath();
    std::unique_ptr<CDsItemsFigure> root(generator.DisplayList(nullptr));
    ASSERT_EQ(root->Count(), 2);
    ASSERT_EQ(root->Get(1)->GetItemType(), eDsItemsToolpath);
    auto* toolpath = static_cast<CDsItemsToolpath*>(root->Get(1));
    EXPECT_EQ(toolpath->Count(), 3);
    EXPECT_EQ(toolpath->GetPalette(), nullptr);

    // A toolpath root handed over by DisplayList comes inside a figure.
    CDsFigureGenerator alone(nullptr);
    alone.StartToolpath(6, nullptr);
    std::unique_ptr<CDsItemsFigure> figure(alone.DisplayList(nullptr));
    ASSERT_EQ(figure->Count(), 1);
    EXPECT_EQ(figure->Get(0)->GetItemType(), eDsItemsToolpath);
    EXPECT_EQ(figure->Get(0)->GetParent(), figure.get());
}
