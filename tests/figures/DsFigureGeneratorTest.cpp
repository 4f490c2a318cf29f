// The figure generator without OpenGL: pen scripts and the item trees they give (polylines split
// by pen changes, groups, arcs), the pen applied to every item, the values it refuses, entity
// binding, the static entry points, hidden-line segments, and who owns what is made.
#include "DsFigureGenerator.h"

#include "DsArcPolyGenerator.h"
#include "DsEllipseStorage.h"
#include "DsGlContext.h"
#include "DsItemEllipseDynamic.h"
#include "DsItemPointFixed.h"
#include "DsItemPolyline2D.h"
#include "DsItemPolyline3D.h"
#include "DsItemsFigure.h"
#include "DsItemsMap.h"
#include "DsPolyline.h"
#include "EntityDeleter.h"

#include "SpaBuilders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using vyrtest::EntityPtr;

namespace {

const double kPi = 3.14159265358979323846;
const CDsColorStorage kRed(255, 0, 0);

// The points of a polyline child, as positions.
std::vector<SPAposition> PointsOf(CDsItemBase* item)
{
    std::vector<SPAposition> out;
    auto* polyline = dynamic_cast<CDsItemPolyline3D*>(item);
    if (!polyline) return out;
    const float* p = polyline->GetPointsData();
    for (int i = 0; i < polyline->GetPointsCount(); ++i) out.emplace_back(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    return out;
}

::testing::AssertionResult Near(const SPAposition& actual, double x, double y, double z, double tol = 1e-5)
{
    if (std::fabs(actual.x() - x) <= tol && std::fabs(actual.y() - y) <= tol && std::fabs(actual.z() - z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x() << ", " << actual.y() << ", " << actual.z()
                                         << ") is not (" << x << ", " << y << ", " << z << ")";
}

// The root a generator hands over, owned by the test.
std::unique_ptr<CDsItemsFigure> Finish(CDsFigureGenerator& generator)
{
    return std::unique_ptr<CDsItemsFigure>(generator.DisplayList(nullptr));
}

// An item that counts its destruction.
class CountedLine : public CDsItemPolyline3D {
public:
    explicit CountedLine(int* deaths) : m_deaths(deaths) {}
    ~CountedLine() override { ++*m_deaths; }

private:
    int* m_deaths;
};

// A stand-in for the hidden-line view group: type 35 with its two segment sets.
class HlViewStandIn : public CDsItemsGroup {
public:
    HlViewStandIn() : CDsItemsGroup(nullptr, nullptr)
    {
        Add(new CDsItemsGroup(nullptr, nullptr));
        Add(new CDsItemsGroup(nullptr, nullptr));
    }
    EDsItemsType GetItemType() override { return eDsItemsHlView; }
    CDsItemsGroup* Set(int i) { return static_cast<CDsItemsGroup*>(Get(i)); }
};

// A generator that works inside a hidden-line view it is given, as StartHlView will make it do.
class HlGenerator : public CDsFigureGenerator {
public:
    using CDsFigureGenerator::CDsFigureGenerator;
    void EnterView(CDsItemsGroup* view) { m_currentGroup = view; }
    ENTITY* Entity() const { return m_entity; }
};

// Puts the static entry points' generator back.
struct CurrentGeneratorGuard {
    CDsFigureGenerator* saved = CDsFigureGenerator::StGetCurrentItFigure();
    ~CurrentGeneratorGuard() { CDsFigureGenerator::SetToCurrent(saved); }
};

}  // namespace

TEST(DsFigureGeneratorTest, PenScriptsGiveTheExpectedItemTrees)
{
    // A lone MoveTo makes nothing: an empty figure root.
    {
        CDsFigureGenerator generator(nullptr);
        generator.MoveTo(CGmPosition(1, 1, 0));
        auto root = Finish(generator);
        ASSERT_TRUE(root);
        EXPECT_EQ(root->GetItemType(), eDsItemsFigure);
        EXPECT_EQ(root->Count(), 0);
    }
    // A colour change between two DrawTo splits the polyline; the second part starts where the
    // first ended and takes the new colour, the first keeps the pen it was drawn with.
    {
        CDsFigureGenerator generator(nullptr);
        generator.MoveTo(CGmPosition(0, 0, 0));
        generator.DrawTo(CGmPosition(1, 0, 0));
        generator.SetPenColor(kRed);
        generator.DrawTo(CGmPosition(1, 1, 0));
        generator.DrawTo(CGmPosition(0, 1, 0));
        auto root = Finish(generator);
        ASSERT_EQ(root->Count(), 2);
        const auto first = PointsOf(root->Get(0)), second = PointsOf(root->Get(1));
        ASSERT_EQ(first.size(), 2u);
        ASSERT_EQ(second.size(), 3u);
        EXPECT_TRUE(Near(first[1], 1, 0, 0));
        EXPECT_TRUE(Near(second[0], 1, 0, 0));
        EXPECT_TRUE(Near(second[2], 0, 1, 0));
        EXPECT_TRUE(root->Get(0)->GetAttributes()->GetInheritColorState());
        EXPECT_FALSE(root->Get(1)->GetAttributes()->GetInheritColorState());
        EXPECT_EQ(root->Get(1)->GetColor(), kRed);
        EXPECT_EQ(root->Get(0)->GetParent(), root.get());
    }
    // DrawTo on a fresh generator starts at the origin; a polyline and an arc are one item each and
    // leave the current position where it was; a figure is never closed by itself.
    {
        // Arcs as polylines: dynamic ellipses off.
        const bool saved = CDsEllipseStorage::StGetDynamicEllipses();
        CDsEllipseStorage::StSetDynamicEllipses(false);
        CDsFigureGenerator generator(nullptr);
        generator.DrawTo(CGmPosition(2, 0, 0));
        const CGmPosition outline[4] = {CGmPosition(0, 0, 1), CGmPosition(1, 0, 1), CGmPosition(1, 1, 1),
                                        CGmPosition(0, 0, 1)};
        generator.DrawPolyline(4, outline);
        generator.DrawArc(CGmPosition(0, 0, 0), 3.0, CGmTransformation(translate_transf(SPAvector(0, 0, 5))), 0.0,
                          2 * kPi, kPi / 24);
        generator.DrawTo(CGmPosition(2, 2, 0));
        CDsEllipseStorage::StSetDynamicEllipses(saved);
        auto root = Finish(generator);
        ASSERT_EQ(root->Count(), 4);
        auto start = PointsOf(root->Get(0));
        ASSERT_EQ(start.size(), 2u);
        EXPECT_TRUE(Near(start[0], 0, 0, 0));
        EXPECT_EQ(PointsOf(root->Get(1)).size(), 4u);
        EXPECT_FALSE(static_cast<CDsItemPolyline3D*>(root->Get(1))->IsClosed());
        const auto circle = PointsOf(root->Get(2));
        ASSERT_EQ(circle.size(), 49u);
        EXPECT_TRUE(Near(circle.front(), 3, 0, 5));
        EXPECT_TRUE(Near(circle[12], 0, 3, 5));
        EXPECT_TRUE(Near(circle.back(), 3, 0, 5));
        auto last = PointsOf(root->Get(3));
        ASSERT_EQ(last.size(), 2u);
        EXPECT_TRUE(Near(last[0], 2, 0, 0));  // from the last DrawTo, not from the arc
    }
    // With the switch on an arc becomes a dynamic ellipse of the same curve, placed by the arc's
    // transformation; off, a polyline.
    {
        const bool saved = CDsEllipseStorage::StGetDynamicEllipses();
        CDsEllipseStorage::StSetDynamicEllipses(true);
        CDsFigureGenerator generator(nullptr);
        generator.DrawArc(CDsArcPolyGenerator(CGmPosition(), 2.0, CGmTransformation(translate_transf(SPAvector(0, 0, 5))),
                                              0.0, kPi, kPi / 4));
        generator.DrawArc(CDsArcPolyGenerator(CGmPosition(), 1.0, CGmTransformation(), kPi, -kPi / 2, kPi / 4));
        CDsEllipseStorage::StSetDynamicEllipses(false);
        generator.DrawArc(CDsArcPolyGenerator(CGmPosition(), 1.0, CGmTransformation(), 0.0, kPi, kPi / 4));
        CDsEllipseStorage::StSetDynamicEllipses(saved);
        auto root = Finish(generator);
        ASSERT_EQ(root->Count(), 3);
        auto* arc = dynamic_cast<CDsItemEllipseDynamic*>(root->Get(0));
        ASSERT_NE(arc, nullptr);
        int count = 0;
        delete[] arc->GetPoints(count, nullptr);
        SPAposition p;
        ASSERT_TRUE(arc->GetPoint(CDsGeometry::ePpStart, p));
        EXPECT_TRUE(Near(p, 2, 0, 5));
        ASSERT_TRUE(arc->GetPoint(CDsGeometry::ePpEnd, p));
        EXPECT_TRUE(Near(p, -2, 0, 5));
        ASSERT_TRUE(arc->GetPoint(CDsGeometry::ePpCenter, p));
        EXPECT_TRUE(Near(p, 0, 0, 5));
        // A negative sweep: the same quarter from pi / 2 to pi.
        auto* back = dynamic_cast<CDsItemEllipseDynamic*>(root->Get(1));
        ASSERT_NE(back, nullptr);
        delete[] back->GetPoints(count, nullptr);
        ASSERT_TRUE(back->GetPoint(CDsGeometry::ePpStart, p));
        EXPECT_TRUE(Near(p, 0, 1, 0));
        ASSERT_TRUE(back->GetPoint(CDsGeometry::ePpEnd, p));
        EXPECT_TRUE(Near(p, -1, 0, 0));
        EXPECT_EQ(PointsOf(root->Get(2)).size(), 5u);
    }
}

TEST(DsFigureGeneratorTest, GroupsNestAndEndGroupClimbsBackButNotPastTheRoot)
{
    CDsFigureGenerator generator(nullptr);
    const CGmPosition line[2] = {CGmPosition(0, 0, 0), CGmPosition(1, 0, 0)};
    generator.EndGroup();  // before anything exists: nothing
    generator.DrawPolyline(2, line);
    generator.StartGroup(false);
    generator.SetPenWidth(3);
    generator.DrawPolyline(2, line);
    generator.StartGroup(true);
    generator.DrawPolyline(2, line);
    generator.EndGroup();
    generator.DrawPolyline(2, line);
    generator.EndToolpath();  // EndGroup under another name
    generator.EndGroup();     // at the root: stays there
    generator.DrawPolyline(2, line);
    auto root = Finish(generator);

    ASSERT_EQ(root->Count(), 3);
    auto* outer = dynamic_cast<CDsItemsFigure*>(root->Get(1));
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->GetParent(), root.get());
    ASSERT_EQ(outer->Count(), 3);
    EXPECT_EQ(outer->Get(0)->GetWidth(), 3);
    auto* inner = dynamic_cast<CDsItemsFigure*>(outer->Get(1));
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->Count(), 1);
    EXPECT_EQ(inner->GetParent(), outer);
    EXPECT_EQ(PointsOf(root->Get(2)).size(), 2u);
}

TEST(DsFigureGeneratorTest, ThePenReachesEveryItemAndRefusesValuesOutOfRange)
{
    CDsFigureGenerator generator(nullptr);
    const CGmPosition line[2] = {CGmPosition(0, 0, 0), CGmPosition(1, 0, 0)};
    // The default pen inherits: the item keeps its own defaults, opaque, not on top.
    generator.DrawPolyline(2, line);
    generator.SetPenStyle(6);
    generator.SetPenWidth(4);
    generator.SetPenStyle(-1);    // refused
    generator.SetPenStyle(32);    // refused
    generator.SetPenWidth(9);     // refused
    generator.SetPenWidth(0);     // refused
    generator.SetTransparency(0.5f);
    generator.SetOnTopFlag(true);
    generator.SetType(0x1234);
    generator.DrawPolyline(2, line);
    generator.SetTransparency(1.5f);
    generator.SetTransparency(std::numeric_limits<float>::quiet_NaN());  // unchanged
    generator.ResetPenStyle();
    generator.ResetPenWidth();
    generator.SetPenVisibilityBlank(true);
    generator.SetTransformation(CGmTransformation(translate_transf(SPAvector(0, 10, 0))));
    generator.DrawPolyline(2, line);
    generator.SetTransparency(-0.2f);
    generator.SetPenVisibilityBlank(false);
    generator.DrawPolyline(2, line);
    auto root = Finish(generator);
    ASSERT_EQ(root->Count(), 4);

    CDsLineAttribStorage* plain = root->Get(0)->GetAttributes();
    EXPECT_EQ(plain->GetTransparencyByte(), 255);
    EXPECT_FALSE(plain->GetOnTopFlag());
    EXPECT_EQ(root->Get(0)->GetType(), 255);

    CDsLineAttribStorage* styled = root->Get(1)->GetAttributes();
    EXPECT_EQ(styled->GetStyle(), 6);
    EXPECT_EQ(styled->GetWidth(), 4);
    EXPECT_EQ(styled->GetTransparencyByte(), 127);
    EXPECT_TRUE(styled->GetOnTopFlag());
    EXPECT_EQ(root->Get(1)->GetType(), 0x34);

    CDsItemBase* blank = root->Get(2);
    EXPECT_EQ(blank->GetAttributes()->GetTransparencyByte(), 255);
    EXPECT_TRUE(blank->IsHidden());
    EXPECT_TRUE(Near(PointsOf(blank)[1], 1, 10, 0));  // the generator's transformation
    EXPECT_FALSE(root->IsHidden());  // the pen hides items, not the root

    EXPECT_EQ(root->Get(3)->GetAttributes()->GetTransparencyByte(), 0);
    EXPECT_FALSE(root->Get(3)->IsHidden());
}

TEST(DsFigureGeneratorTest, TheRootTakesTheFlagsTheExclusiveOrPenTheEntityAndTheContext)
{
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    CDsGlContext context;
    CDsFigureGenerator generator(&context);
    generator.SetFlag(eDsItemFlagNotPickable);
    generator.SetFlag(eDsItemFlagNoPlot);
    generator.ResetFlag(eDsItemFlagNoPlot);
    EXPECT_TRUE(generator.GetFlag(eDsItemFlagNotPickable));
    EXPECT_FALSE(generator.GetFlag(eDsItemFlagNoPlot));
    generator.SetXorMode(true);
    generator.SetEntity(body.get());
    const CGmPosition line[2] = {CGmPosition(0, 0, 0), CGmPosition(1, 0, 0)};
    generator.DrawPolyline(2, line);
    generator.MoveTo(CGmPosition(5, 5, 5));
    generator.DrawTo(CGmPosition(6, 5, 5));
    auto root = Finish(generator);
    ASSERT_EQ(root->Count(), 2);

    EXPECT_TRUE(root->GetFlag(eDsItemFlagNotPickable));
    EXPECT_FALSE(root->GetFlag(eDsItemFlagNoPlot));
    EXPECT_EQ(root->GetDrawMode(), eDsDrawModeXor);
    EXPECT_EQ(root->Get(0)->GetDrawMode(), eDsDrawModeXor);
    EXPECT_EQ(root->GetEntity(), body.get());
    EXPECT_EQ(root->GetGlContext(), &context);
    // The item drawn with the entity set shows it and is the entity's item in the context; the
    // polyline the root closed is bound to nothing.
    EXPECT_EQ(root->Get(0)->GetEntity(), body.get());
    EXPECT_EQ(root->Get(0)->GetGlContext(), &context);
    EXPECT_EQ(root->Get(1)->GetEntity(), nullptr);
    EXPECT_EQ(context.GetItemsMap()->Find(body.get()), root->Get(0));
    root.reset();
    EXPECT_EQ(context.GetItemsMap()->Find(body.get()), nullptr);
}

TEST(DsFigureGeneratorTest, StaticEntryPointsDrawIntoTheCurrentGeneratorOnly)
{
    CurrentGeneratorGuard guard;
    const float a[3] = {0, 0, 0}, b[3] = {4, 0, 0};
    CDsFigureGenerator::SetToCurrent(nullptr);
    CDsFigureGenerator::ItMoveTo(a);  // no generator: nothing
    CDsFigureGenerator::ItSetPenStyle(3);

    CDsFigureGenerator generator(nullptr);
    CDsFigureGenerator::SetToCurrent(&generator);
    EXPECT_EQ(CDsFigureGenerator::StGetCurrentItFigure(), &generator);
    CDsFigureGenerator::ItMoveTo(a);
    CDsFigureGenerator::ItDrawTo(b);
    CDsFigureGenerator::ItSetPenStyle(4);  // closes the line drawn so far
    CDsFigureGenerator::ItDrawTo(a);
    CDsFigureGenerator::ItSetPenStyle(0);
    CDsFigureGenerator::ItDrawTo(b);
    CDsFigureGenerator::ItSetPenStyle(9);
    CDsFigureGenerator::ItSetPenWidth(5);
    CDsFigureGenerator::ItDrawTo(a);
    CDsFigureGenerator::ItMoveTo(nullptr);  // no point: nothing
    CDsFigureGenerator::DrawPolygons2D(nullptr, 0, false);
    auto root = Finish(generator);
    EXPECT_EQ(CDsFigureGenerator::StGetCurrentItFigure(), nullptr);  // DisplayList lets it go
    ASSERT_EQ(root->Count(), 4);
    EXPECT_EQ(root->Get(1)->GetStyle(), 5);  // entry 4 of the table
    EXPECT_EQ(root->Get(2)->GetStyle(), 4);  // 0 is out of the table
    EXPECT_EQ(root->Get(3)->GetStyle(), 4);  // so is 9
    EXPECT_EQ(root->Get(3)->GetWidth(), 5);

    // A generator that goes while current is no longer current.
    {
        CDsFigureGenerator passing(nullptr);
        CDsFigureGenerator::SetToCurrent(&passing);
    }
    EXPECT_EQ(CDsFigureGenerator::StGetCurrentItFigure(), nullptr);
    CDsFigureGenerator::ItDrawTo(b);  // must not reach the destroyed generator
}

TEST(DsFigureGeneratorTest, TheRootIsHandedOverOnceAndAnUnfinishedTreeIsFreed)
{
    int deaths = 0;
    {
        CDsFigureGenerator generator(nullptr);
        generator.AddSubFigure(new CountedLine(&deaths));
        generator.AddSubFigure(nullptr);  // nothing
        auto first = Finish(generator);
        ASSERT_EQ(first->Count(), 1);
        auto second = Finish(generator);
        EXPECT_NE(second.get(), first.get());
        EXPECT_EQ(second->Count(), 0);
        // The generator draws on into a new root, not into the tree it gave away.
        generator.AddSubFigure(new CountedLine(&deaths));
        EXPECT_EQ(first->Count(), 1);
        first.reset();
        EXPECT_EQ(deaths, 1);
    }
    EXPECT_EQ(deaths, 2);  // the generator freed the tree it never handed over
}

TEST(DsFigureGeneratorTest, HiddenLineSegmentsGoToTheSetOfTheirTypeAndOtherTypesAreIgnored)
{
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    CDsGlContext context;
    HlViewStandIn view;
    CDsPolyline polyline;
    polyline.Add(SPAposition(0, 0, 0));
    polyline.Add(SPAposition(1, 1, 0));
    {
        HlGenerator generator(&context);
        generator.SetPenColor(kRed);
        // Without a hidden-line view as the current group nothing is made.
        generator.AddHlSegment(body.get(), &polyline, eDsHlSegmentFirst);
        generator.EnterView(&view);
        generator.AddHlSegment(body.get(), &polyline, eDsHlSegmentFirst);
        generator.AddHlSegment(nullptr, &polyline, eDsHlSegmentSecond);
        generator.AddHlSegment(body.get(), &polyline, static_cast<EDsHlSegmentType>(2));
        generator.AddHlSegment(body.get(), &polyline, static_cast<EDsHlSegmentType>(-1));
        EXPECT_EQ(generator.Entity(), nullptr);  // each segment clears the entity
    }
    ASSERT_EQ(view.Set(0)->Count(), 1);
    ASSERT_EQ(view.Set(1)->Count(), 1);
    CDsItemBase* segment = view.Set(0)->Get(0);
    EXPECT_EQ(segment->GetItemType(), eDsItemHlSegmentPolyline3D);
    EXPECT_EQ(segment->GetParent(), &view);
    EXPECT_EQ(segment->GetColor(), kRed);
    EXPECT_EQ(segment->GetEntity(), body.get());
    EXPECT_EQ(segment->GetGlContext(), &context);
    EXPECT_TRUE(segment->GetBaseFlag(eDsBaseItemNoPickWhenHidden));
    EXPECT_EQ(context.GetItemsMap()->Find(body.get()), segment);
    EXPECT_EQ(view.Set(1)->Get(0)->GetEntity(), nullptr);

    // The form without an entity makes a loose segment for the caller.
    CDsFigureGenerator generator(&context);
    EXPECT_EQ(generator.AddHlSegment(static_cast<CDsPolyline*>(nullptr), eDsHlSegmentFirst), nullptr);
    std::unique_ptr<CDsItemBase> loose(generator.AddHlSegment(&polyline, eDsHlSegmentSecond));
    ASSERT_TRUE(loose);
    EXPECT_EQ(loose->GetParent(), nullptr);
    EXPECT_EQ(loose->GetGlContext(), &context);
    EXPECT_TRUE(loose->GetBaseFlag(eDsBaseItemNoPickWhenHidden));
    EXPECT_EQ(PointsOf(loose.get()).size(), 2u);
    EXPECT_EQ(Finish(generator)->Count(), 0);
}

TEST(DsFigureGeneratorTest, BadInputMakesNothing)
{
    CDsFigureGenerator generator(nullptr);
    const CGmPosition one[1] = {CGmPosition(1, 2, 3)};
    const CGmPosition two[2] = {CGmPosition(0, 0, 0), CGmPosition(1, 0, 0)};
    generator.DrawPolyline(1, one);
    generator.DrawPolyline(-4, two);
    generator.DrawPolyline(5, nullptr);
    generator.DrawPolyline(0, two);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    generator.DrawArc(CGmPosition(), 0.0, CGmTransformation(), 0.0, kPi, 0.1);    // no radius
    generator.DrawArc(CGmPosition(), nan, CGmTransformation(), 0.0, kPi, 0.1);
    generator.DrawArc(CGmPosition(), 1.0, CGmTransformation(), 0.0, 0.0, 0.1);    // no sweep
    generator.DrawArc(CGmPosition(), 1.0, CGmTransformation(), 0.0, kPi, 0.0);    // no step
    generator.DrawArc(CGmPosition(), 1.0, CGmTransformation(), 0.0, nan, 0.1);
    auto root = Finish(generator);
    EXPECT_EQ(root->Count(), 0);

    // A degenerate arc leaves the open polyline open.
    CDsFigureGenerator open(nullptr);
    open.MoveTo(CGmPosition(0, 0, 0));
    open.DrawTo(CGmPosition(1, 0, 0));
    open.DrawArc(CGmPosition(), 1.0, CGmTransformation(), 0.0, 0.0, 0.1);
    open.DrawTo(CGmPosition(2, 0, 0));
    auto line = Finish(open);
    ASSERT_EQ(line->Count(), 1);
    EXPECT_EQ(PointsOf(line->Get(0)).size(), 3u);
}

TEST(DsFigureGeneratorTest, TwoDimensionalModePixelItemsPointsAndEllipses)
{
    const bool saved = CDsEllipseStorage::StGetDynamicEllipses();
    CDsFigureGenerator generator(nullptr);
    const float xy[6] = {10, 20, 30, 40, 50, 20};
    generator.DrawPolyline2D(3, xy);
    // In 2-D mode the open polyline becomes a 2-D polyline too; MoveTo leaves the mode.
    generator.Set2DMode(true);
    generator.DrawTo(CGmPosition(5, 5, 0));
    generator.Set2DMode(true);
    generator.MoveTo(CGmPosition(0, 0, 0));
    generator.Set2DMode(true);
    generator.DrawTo(CGmPosition(1, 1, 0));
    generator.DrawPolyline2D(1, xy);  // too short: nothing
    const float relative[4] = {0.1f, 0.1f, 0.9f, 0.9f};
    generator.DrawPolyline2DRelative(2, relative, true);
    generator.DrawRectangle2D(CGmPosition(1, 2, 3), 10, 6, eAlignCenter);
    generator.DrawPoint(CGmPosition(1, 2, 3), EPointStyle(4), 7, true, CGmUnitVector(0, 1, 0), 3);
    CDsEllipseStorage::StSetDynamicEllipses(true);
    generator.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(4, 0, 0), 0.5, 0.0, kPi, 0.1);
    generator.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(4, 0, 0), 0.5, 0.0, 0.0, 0.1);
    CDsEllipseStorage::StSetDynamicEllipses(false);
    generator.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(4, 0, 0), 0.5, 0.0, kPi, 0.1);
    CDsEllipseStorage::StSetDynamicEllipses(saved);
    auto root = Finish(generator);
    // The last ellipse, drawn while dynamic ellipses are off, comes through the ellipse figure: an
    // exact ellipse item as well.
    ASSERT_EQ(root->Count(), 8);

    auto* first = dynamic_cast<CDsItemPolyline2D*>(root->Get(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetItemType(), eDsItemPolyline2D);
    ASSERT_EQ(first->GetPointsCount(), 3);
    EXPECT_EQ(first->GetPointsData()[3], 40.0f);
    EXPECT_TRUE(first->GetOnTopFlag());
    // MoveTo closed the buffer of the DrawTo in the 2-D mode set just before it, then left the
    // mode; the next DrawTo left it too, so its buffer became a 3-D polyline.
    auto* second = dynamic_cast<CDsItemPolyline2D*>(root->Get(1));
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->GetPointsCount(), 2);
    EXPECT_EQ(second->GetPointsData()[2], 5.0f);
    EXPECT_EQ(root->Get(2)->GetItemType(), eDsItemPolyline3D);
    EXPECT_EQ(root->Get(3)->GetItemType(), eDsItemPolyline2DRelative);
    auto* frame = dynamic_cast<CDsItemBillBoardedRectangle*>(root->Get(4));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->GetBaseFlag(eDsBaseItemHostFlag));
    EXPECT_TRUE(frame->GetOnTopFlag());
    auto* point = dynamic_cast<CDsItemPointFixed*>(root->Get(5));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(int(point->GetPointStyle()), 4);
    EXPECT_EQ(point->GetSize(), 7);
    EXPECT_EQ(point->GetOffset(), 3);
    EXPECT_NEAR(point->GetDirection().y(), 1.0, 1e-12);
    EXPECT_TRUE(point->GetBaseFlag(eDsBaseItemHostFlag));
    auto* ellipse = dynamic_cast<CDsItemEllipseDynamic*>(root->Get(6));
    ASSERT_NE(ellipse, nullptr);
    int count = 0;
    delete[] ellipse->GetPoints(count, nullptr);
    SPAposition end;
    ASSERT_TRUE(ellipse->GetPoint(CDsGeometry::ePpEnd, end));
    EXPECT_TRUE(Near(end, -4, 0, 0));
    auto* throughFigure = dynamic_cast<CDsItemEllipseDynamic*>(root->Get(7));
    ASSERT_NE(throughFigure, nullptr);
    double start = 1, stop = 0;
    throughFigure->GetStorage()->GetParameters(start, stop);
    EXPECT_DOUBLE_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(stop, kPi);
    EXPECT_FALSE(generator.Get2DMode());
}

TEST(DsFigureGeneratorTest, AHiddenLineEllipseSegmentIsMadeForTheCaller)
{
    CDsFigureGenerator generator(nullptr);
    generator.SetPenColor(kRed);
    EXPECT_EQ(generator.AddHlSegment(static_cast<CDsEllipseStorage*>(nullptr), eDsHlSegmentFirst), nullptr);
    const ellipse e(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(1, 0, 0), 1.0, 0.0);
    std::unique_ptr<CDsItemBase> segment(
        generator.AddHlSegment(new CDsEllipseStorage(e, 0.0, kPi), eDsHlSegmentFirst));
    ASSERT_NE(segment, nullptr);
    EXPECT_EQ(segment->GetItemType(), eDsItemHlSegmentEllipseDynamic);
    EXPECT_TRUE(segment->GetBaseFlag(eDsBaseItemNoPickWhenHidden));
    EXPECT_EQ(segment->GetParent(), nullptr);
    EXPECT_EQ(segment->GetColor().GetRed(), 255);
}
