// The concrete figures without a window: what each one defines into its group (grid lines and
// their colours, the infinite line's ends, the circle's points, markers, the lamp, the ellipse and
// its cache), the use counts of shared figures, and bad input that must give empty figures.
#include "DsEllipseStorage.h"
#include "DsFigArrow3DFixed.h"
#include "DsFigBitmap.h"
#include "DsFigPoint3D.h"
#include "DsFigPoly3D.h"
#include "DsFigQuadric.h"
#include "DsFigReferencePlane.h"
#include "DsFigText3D.h"
#include "DsFigureGenerator.h"
#include "DsItemEllipseDynamic.h"
#include "DsItemLamp.h"
#include "DsItemPointFixed.h"
#include "DsItemPolyline2D.h"
#include "DsItemPolyline3D.h"
#include "DsItemsArrowFixed.h"
#include "DsItemsFigure.h"
#include "GmTransformation.h"
#include "SpaGeometry.h"
#include "UiPickEvent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <vector>

namespace {

// Switches dynamic ellipses to `on` for the life of the guard.
class DynamicEllipses {
public:
    explicit DynamicEllipses(bool on) : saved_(CDsEllipseStorage::StGetDynamicEllipses())
    {
        CDsEllipseStorage::StSetDynamicEllipses(on);
    }
    ~DynamicEllipses() { CDsEllipseStorage::StSetDynamicEllipses(saved_); }

private:
    bool saved_;
};

// The polyline children of the figure's main group.
std::vector<CDsItemPolyline3D*> Polylines(const CDsFigure& figure)
{
    std::vector<CDsItemPolyline3D*> lines;
    if (!figure.GetDlFigure()) return lines;
    for (CDsItemBase* child : figure.GetDlFigure()->GetDsItems())
        if (auto* line = dynamic_cast<CDsItemPolyline3D*>(child)) lines.push_back(line);
    return lines;
}

// Grid lines of a plane in the xy plane: vertical lines by x and horizontal lines by y, each
// with its colour value.
struct Grid {
    std::map<long, uint32_t> vertical;
    std::map<long, uint32_t> horizontal;
};

Grid GridOf(const CDsFigure& figure)
{
    Grid grid;
    for (CDsItemPolyline3D* line : Polylines(figure)) {
        EXPECT_EQ(line->GetPointsCount(), 2);
        const float* p = line->GetPointsData();
        const uint32_t color = line->GetColor().GetValue() & 0xFFFFFFu;
        if (p[0] == p[3]) {
            EXPECT_FLOAT_EQ(std::fabs(p[1]), std::fabs(p[4]));
            grid.vertical[std::lround(p[0])] = color;
        } else {
            EXPECT_EQ(p[1], p[4]);
            grid.horizontal[std::lround(p[1])] = color;
        }
    }
    return grid;
}

// A point figure that reports its destruction.
class ProbePoint : public CDsFigPoint3D {
public:
    ProbePoint(bool* gone) : CDsFigPoint3D(CGmPosition(1, 2, 3), EPointStyle(3), 6, false, true, CGmUnitVector(), 0),
                             gone_(gone)
    {
    }
    ~ProbePoint() override { *gone_ = true; }

private:
    bool* gone_;
};

}  // namespace

TEST(DsFigReferencePlaneTest, TheGridHasALineEverySpacingAndEveryFifthIsRed)
{
    CUiPlanePositionMapper xy;
    CDsFigReferencePlane plane(xy, 200.0, 200.0, true, false);
    ASSERT_NE(plane.GetDlFigure(), nullptr);
    EXPECT_TRUE(plane.GetFlag(eDsItemFlagNoExtents));
    EXPECT_TRUE(plane.GetDlFigure()->GetFlag(eDsItemFlagNoExtents));
    EXPECT_EQ(plane.GetLineAttributes().GetTransparencyByte(), 25);
    EXPECT_FALSE(plane.GetActiveTransfFlag());

    const Grid grid = GridOf(plane);
    ASSERT_EQ(grid.vertical.size(), 21u);
    ASSERT_EQ(grid.horizontal.size(), 21u);
    for (const auto* lines : {&grid.vertical, &grid.horizontal}) {
        for (long v = -100; v <= 100; v += 10) {
            ASSERT_EQ(lines->count(v), 1u) << v;
            const bool major = v % 50 == 0;
            EXPECT_EQ(lines->at(v), major ? 0x0000FFu : 0x7F7F7Fu) << v;
        }
    }
    // Each line spans the plane.
    const float* p = Polylines(plane).front()->GetPointsData();
    EXPECT_FLOAT_EQ(std::fabs(p[1]), 100.0f);

    // The corners lie 0.02 above the plane.
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(plane.GetCorners()[i].z(), 0.02);
}

TEST(DsFigReferencePlaneTest, ASmallPlaneKeepsOnlyTheLinesInsideAndAPlaneIsMappedOntoItsWorkingPlane)
{
    CDsFigReferencePlane small(CUiPlanePositionMapper(), 25.0, 25.0, true, false);
    const Grid grid = GridOf(small);
    EXPECT_EQ(grid.vertical, (std::map<long, uint32_t>{{-10, 0x7F7F7F}, {0, 0x0000FF}, {10, 0x7F7F7F}}));
    EXPECT_EQ(grid.horizontal, (std::map<long, uint32_t>{{-10, 0x7F7F7F}, {0, 0x0000FF}, {10, 0x7F7F7F}}));

    // A plane through (0, 0, 5) square to z: every grid point at z = 5, corners at 5.02.
    CDsFigReferencePlane raised(CUiPlanePositionMapper(SPAposition(0, 0, 5), SPAvector(0, 0, 1)), 20.0, 20.0, true,
                                false);
    for (CDsItemPolyline3D* line : Polylines(raised)) {
        EXPECT_FLOAT_EQ(line->GetPointsData()[2], 5.0f);
        EXPECT_FLOAT_EQ(line->GetPointsData()[5], 5.0f);
    }
    EXPECT_NEAR(raised.GetCorners()[3].z(), 5.02, 1e-12);

    // The default plane: grid on, fill off; no grid lines for a spacing the grid cannot use.
    CDsFigReferencePlane plain;
    EXPECT_TRUE(plain.GetGrid());
    EXPECT_FALSE(plain.GetFill());
    EXPECT_EQ(Polylines(plain).size(), 42u);
    CDsFigReferencePlane endless(CUiPlanePositionMapper(), std::numeric_limits<double>::infinity(), 10.0, true, false);
    EXPECT_TRUE(Polylines(endless).empty());
}

TEST(DsFigLineTest, AnInfiniteLineReachesTenThousandAlongItsLargestComponent)
{
    CDsFigLineInfinite3D line(0.0, 0.0, 2.0, CGmPosition(1, 2, 3));
    const std::vector<CDsItemPolyline3D*> lines = Polylines(line);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0]->GetPointsCount(), 2);
    const float* p = lines[0]->GetPointsData();
    EXPECT_FLOAT_EQ(p[0], 1.0f);
    EXPECT_FLOAT_EQ(p[1], 2.0f);
    EXPECT_FLOAT_EQ(p[2], 3.0f + 10000.0f);
    EXPECT_FLOAT_EQ(p[5], 3.0f - 10000.0f);

    // A unit direction along -y: the same reach.
    CDsFigLineInfinite3D unit(SPAunit_vector(0, -1, 0), CGmPosition(0, 0, 0));
    ASSERT_EQ(Polylines(unit).size(), 1u);
    EXPECT_FLOAT_EQ(Polylines(unit)[0]->GetPointsData()[1], -10000.0f);

    // No direction: both ends at the position; a NaN direction: nothing.
    CDsFigLineInfinite3D none(0.0, 0.0, 0.0, CGmPosition(4, 5, 6));
    ASSERT_EQ(Polylines(none).size(), 1u);
    EXPECT_FLOAT_EQ(Polylines(none)[0]->GetPointsData()[2], 6.0f);
    EXPECT_FLOAT_EQ(Polylines(none)[0]->GetPointsData()[5], 6.0f);
    CDsFigLineInfinite3D nan(std::nan(""), 0.0, 1.0, CGmPosition(0, 0, 0));
    EXPECT_TRUE(Polylines(nan).empty());
}

TEST(DsFigLineTest, CirclesAndArcsAreApproximatedAndDegenerateOnesMakeNothing)
{
    DynamicEllipses off(false);
    CDsFigCircle3D circle(CGmPosition(0, 0, 0), 30.0, CGmTransformation(translate_transf(SPAvector(5, 0, 0))));
    std::vector<CDsItemPolyline3D*> lines = Polylines(circle);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0]->GetPointsCount(), 49);
    const float* p = lines[0]->GetPointsData();
    EXPECT_NEAR(p[0], 35.0f, 1e-4);
    EXPECT_NEAR(p[48 * 3], p[0], 1e-4);
    EXPECT_NEAR(p[48 * 3 + 1], p[1], 1e-4);
    EXPECT_NEAR(std::hypot(p[12 * 3] - 5.0f, p[12 * 3 + 1]), 30.0f, 1e-4);  // a quarter turn on
    EXPECT_DOUBLE_EQ(circle.GetRadius(), 30.0);

    CDsFigArc3D arc(CGmPosition(0, 0, 0), 10.0, CGmTransformation(), 0.0, M_PI / 2, M_PI / 8);
    ASSERT_EQ(Polylines(arc).size(), 1u);
    EXPECT_EQ(Polylines(arc)[0]->GetPointsCount(), 5);

    for (CDsFigArc3D* bad : {new CDsFigArc3D(CGmPosition(), 0.0, CGmTransformation(), 0.0, 1.0, 0.1),
                             new CDsFigArc3D(CGmPosition(), 5.0, CGmTransformation(), 0.0, 0.0, 0.1),
                             new CDsFigArc3D(CGmPosition(), 5.0, CGmTransformation(), 0.0, 1.0, 0.0)}) {
        ASSERT_NE(bad->GetDlFigure(), nullptr);
        EXPECT_EQ(bad->GetDlFigure()->Count(), 0);
        delete bad;
    }

    // With dynamic ellipses on, the circle is an exact ellipse item.
    DynamicEllipses on(true);
    CDsFigCircle3D exact(CGmPosition(0, 0, 0), 30.0, CGmTransformation());
    ASSERT_EQ(exact.GetDlFigure()->Count(), 1);
    EXPECT_NE(dynamic_cast<CDsItemEllipseDynamic*>(exact.GetDlFigure()->Get(0)), nullptr);
}

TEST(DsFigLineTest, PolylineFiguresCopyTheirPointsAndIgnoreMissingArrays)
{
    const CGmPosition points[3] = {CGmPosition(0, 0, 0), CGmPosition(1, 0, 0), CGmPosition(1, 1, 0)};
    CDsFigPoly3D poly(3, points);
    const CGmPosition* held = nullptr;
    ASSERT_EQ(poly.GetVertices(held), 3);
    EXPECT_NE(held, points);
    ASSERT_EQ(Polylines(poly).size(), 1u);
    EXPECT_EQ(Polylines(poly)[0]->GetPointsCount(), 3);
    poly.SetVertices(2, points + 1);
    ASSERT_EQ(Polylines(poly).size(), 1u);
    EXPECT_FLOAT_EQ(Polylines(poly)[0]->GetPointsData()[0], 1.0f);

    CDsFigPoly3D nullPoints(4, nullptr);
    CDsFigPoly3D negative(-2, points);
    EXPECT_EQ(nullPoints.GetVertices(held), 0);
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(nullPoints.GetDlFigure()->Count(), 0);
    EXPECT_EQ(negative.GetDlFigure()->Count(), 0);

    const float xy[6] = {10, 10, 20, 10, 20, 20};
    CDsFigPoly2D pixels(3, xy);
    ASSERT_EQ(pixels.GetDlFigure()->Count(), 1);
    EXPECT_NE(dynamic_cast<CDsItemPolyline2D*>(pixels.GetDlFigure()->Get(0)), nullptr);
    CDsFigPoly2D noPixels(3, nullptr);
    EXPECT_EQ(noPixels.GetDlFigure()->Count(), 0);

    const double strip[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    CDsFigTriangles triangles(2, 2, strip, nullptr);
    EXPECT_EQ(triangles.GetDlFigure()->Count(), 1);
    CDsFigTriangles noTriangles(-2, 2, strip, nullptr);
    CDsFigTriangles nullTriangles(2, 2, nullptr, nullptr);
    EXPECT_EQ(noTriangles.GetDlFigure()->Count(), 0);
    EXPECT_EQ(nullTriangles.GetDlFigure()->Count(), 0);
}

TEST(DsFigPointTest, MarkersAtEveryPositionAndNoneForNoPositions)
{
    std::vector<CGmPosition> positions{CGmPosition(1, 0, 0), CGmPosition(2, 0, 0), CGmPosition(3, 0, 0)};
    CDsFigMultiPoint3D many(positions, EPointStyle(4), 8, false, true, CGmUnitVector(), 0);
    ASSERT_EQ(many.GetDlFigure()->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* marker = dynamic_cast<CDsItemPointFixed*>(many.GetDlFigure()->Get(i));
        ASSERT_NE(marker, nullptr);
        EXPECT_DOUBLE_EQ(marker->GetPosition().x(), i + 1.0);
        EXPECT_EQ(marker->GetSize(), 8);
    }
    CDsFigMultiPoint3D none(std::vector<CGmPosition>{}, EPointStyle(4), 8, false, true, CGmUnitVector(), 0);
    ASSERT_NE(none.GetDlFigure(), nullptr);
    EXPECT_EQ(none.GetDlFigure()->Count(), 0);
    EXPECT_TRUE(CDsFigMultiPoint3D::StIsFigMultiPoint(&many));
    EXPECT_FALSE(CDsFigPoint3D::StIsFigPoint(&many));

    // A point from no picked item has no marker.
    CDsFigPoint3D unpicked(static_cast<const CDsPickedItem*>(nullptr));
    unpicked.ReDefineFig();
    EXPECT_EQ(unpicked.GetDlFigure()->Count(), 0);
}

// A point figure has two styles: the line style of every figure (CDsFigure::SetStyle(int, bool),
// as the line-attribute manager applies it), which goes to the marker item's attributes, and the
// marker's own style, which only the point's SetStyle(EPointStyle) changes.
TEST(DsFigPointTest, TheLineStyleGoesThroughTheFigureToTheMarkerAndTheMarkerStyleStaysApart)
{
    CDsFigPoint3D point(CGmPosition(1, 2, 3), EPointStyle(3), 6, false, true, CGmUnitVector(), 0);
    auto marker = [&point] { return dynamic_cast<CDsItemPointFixed*>(point.GetDlFigure()->Get(0)); };
    static_cast<CDsFigure&>(point).SetStyle(5, false);
    ASSERT_NE(marker(), nullptr);
    EXPECT_EQ(marker()->GetStyle(), 5);
    EXPECT_EQ(marker()->GetPointStyle(), EPointStyle(3));
    point.SetStyle(EPointStyle(6));  // shows at the next definition
    point.ReDefineFig();
    ASSERT_NE(marker(), nullptr);
    EXPECT_EQ(marker()->GetPointStyle(), EPointStyle(6));
    EXPECT_EQ(point.GetStyle(), 5);

    CDsFigPointReference corner(10, 20, EPointStyle(2), 8);
    corner.SetStyle(4, false);  // the line style, on the point's own type too
    auto* cornerMarker = dynamic_cast<CDsItemPointReference*>(corner.GetDlFigure()->Get(0));
    ASSERT_NE(cornerMarker, nullptr);
    EXPECT_EQ(cornerMarker->GetStyle(), 4);
    EXPECT_EQ(cornerMarker->GetPointStyle(), EPointStyle(2));
}

TEST(DsFigPointTest, UseCountsDecideWhenASharedPointGoesAndAssignmentKeepsTheTargetsOwnCount)
{
    bool gone = false;
    auto* point = new ProbePoint(&gone);
    point->IncrementUse();
    point->Loose();
    EXPECT_FALSE(gone);
    EXPECT_EQ(point->GetUseCount(), 1);
    point->Loose();
    EXPECT_TRUE(gone);

    bool targetGone = false;
    auto* target = new ProbePoint(&targetGone);
    target->IncrementUse();  // two holders
    CDsFigPoint3D source(CGmPosition(7, 8, 9), EPointStyle(5), 4, false, true, CGmUnitVector(1, 0, 0), 3);
    static_cast<CDsFigPoint3D&>(*target) = source;
    EXPECT_EQ(target->GetUseCount(), 2);
    EXPECT_DOUBLE_EQ(target->GetPosition().x(), 7.0);
    EXPECT_EQ(target->GetOffset(), 3);
    EXPECT_TRUE(*target == source);
    target->Loose();
    EXPECT_FALSE(targetGone);  // the second holder still holds it
    target->Loose();
    EXPECT_TRUE(targetGone);

    // A copy starts its own count at 1 and is defined.
    CDsFigPoint3D copy(source);
    EXPECT_EQ(copy.GetUseCount(), 1);
    ASSERT_EQ(copy.GetDlFigure()->Count(), 1);
    EXPECT_EQ(dynamic_cast<CDsItemPointFixed*>(copy.GetDlFigure()->Get(0))->GetOffset(), 3);

    // The reference path is stored without redefining, and the own path is ignored.
    CDsItemsFigure* before = copy.GetDlFigure();
    const int ids[2] = {4, 5};
    copy.SetRefEntity(CVyrObjectPath(ids, 2, 2, 9));
    EXPECT_EQ(copy.GetDlFigure(), before);
    EXPECT_EQ(copy.GetRefEntity(), CVyrObjectPath(ids, 2, 2, 9));
    copy.SetRefEntity(copy.GetRefEntity());
    EXPECT_EQ(copy.GetRefEntity(), CVyrObjectPath(ids, 2, 2, 9));
}

TEST(DsFigQuadricTest, TheLampTakesTheFiguresTypeSizePositionAndTarget)
{
    CDsFigQuadric lamp;
    EXPECT_EQ(lamp.GetDlFigure(), nullptr);
    EXPECT_EQ(lamp.GetItemQuadratic(), nullptr);
    const float position[3] = {10, 20, 30};
    const float target[3] = {0, 0, 0};
    lamp.SetType(eDsQuadCone);
    lamp.SetSize(4.0f);
    lamp.SetPosition(position);
    lamp.SetTarget(target);
    lamp.SetTarget(nullptr);
    lamp.ReDefineFig();
    CDsItemLamp* item = lamp.GetItemQuadratic();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetType(), eDsQuadCone);
    EXPECT_FLOAT_EQ(item->GetSize(), 4.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(item->GetPosition()[i], position[i]);
        EXPECT_FLOAT_EQ(item->GetTarget()[i], 0.0f);
        EXPECT_DOUBLE_EQ(item->GetExtremesMin()[i], position[i] - 4.0);
        EXPECT_DOUBLE_EQ(item->GetExtremesMax()[i], position[i] + 4.0);
    }
    lamp.Remove();
    lamp.ReDefineFig();
    EXPECT_NE(lamp.GetItemQuadratic(), nullptr);
}

TEST(DsFigEllipseTest, SettersDropTheCachedEllipseAndDegenerateEllipsesDrawNothing)
{
    CDsFigEllipse3D figure(CGmPosition(1, 2, 0), CGmUnitVector(0, 0, 1), CGmVector(10, 0, 0), 0.5, 0.0, M_PI, 0.1);
    EXPECT_EQ(figure.GetCachedEllipse(), nullptr);
    figure.ReDefineFig();
    ASSERT_NE(figure.GetCachedEllipse(), nullptr);
    ASSERT_EQ(figure.GetDlFigure()->Count(), 1);
    auto* item = dynamic_cast<CDsItemEllipseDynamic*>(figure.GetDlFigure()->Get(0));
    ASSERT_NE(item, nullptr);

    figure.SetRatio(0.25);
    EXPECT_EQ(figure.GetCachedEllipse(), nullptr);
    figure.ReDefineFig();
    EXPECT_NE(figure.GetCachedEllipse(), nullptr);
    figure.SetCenter(CGmPosition(0, 0, 0));
    EXPECT_EQ(figure.GetCachedEllipse(), nullptr);
    figure.ReDefineFig();
    figure.SetDirection(CGmUnitVector(0, 1, 0));
    EXPECT_EQ(figure.GetCachedEllipse(), nullptr);
    figure.ReDefineFig();
    figure.SetMajorAxis(CGmVector(0, 0, 3));
    EXPECT_EQ(figure.GetCachedEllipse(), nullptr);

    const CGmUnitVector z(0, 0, 1);
    for (CDsFigEllipse3D* bad :
         {new CDsFigEllipse3D(CGmPosition(), z, CGmVector(1, 0, 0), 0.0, 0.0, 1.0, 0.1),
          new CDsFigEllipse3D(CGmPosition(), z, CGmVector(1, 0, 0), std::nan(""), 0.0, 1.0, 0.1),
          new CDsFigEllipse3D(CGmPosition(), CGmUnitVector(), CGmVector(1, 0, 0), 0.5, 0.0, 1.0, 0.1),
          new CDsFigEllipse3D(CGmPosition(), z, CGmVector(0, 0, 0), 0.5, 0.0, 1.0, 0.1),
          new CDsFigEllipse3D(CGmPosition(), z, CGmVector(1, 0, 0), 0.5, 0.0, 0.0, 0.1),
          new CDsFigEllipse3D(CGmPosition(), z, CGmVector(1, 0, 0), 0.5, 0.0, INFINITY, 0.1)}) {
        bad->ReDefineFig();
        ASSERT_NE(bad->GetDlFigure(), nullptr);
        EXPECT_EQ(bad->GetDlFigure()->Count(), 0);
        EXPECT_EQ(bad->GetCachedEllipse(), nullptr);
        delete bad;
    }
}

TEST(DsFigEllipseTest, TheGeneratorDrawsAnEllipseThroughTheFigureWhileDynamicEllipsesAreOff)
{
    DynamicEllipses off(false);
    CDsFigureGenerator generator(nullptr);
    generator.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(4, 0, 0), 0.5, 0.0, -M_PI, 0.1);
    generator.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(4, 0, 0), 0.0, 0.0, M_PI, 0.1);
    CDsItemsFigure* root = generator.DisplayList(nullptr);
    ASSERT_EQ(root->Count(), 1);
    auto* item = dynamic_cast<CDsItemEllipseDynamic*>(root->Get(0));
    ASSERT_NE(item, nullptr);
    double start = 0, end = 0;
    item->GetStorage()->GetParameters(start, end);
    EXPECT_DOUBLE_EQ(start, -M_PI);
    EXPECT_DOUBLE_EQ(end, 0.0);
    delete root;
}

TEST(DsFigBitmapTest, TheFrameOfAColouredBitmapDrawsOnlyWhileMarkedOrHighlighted)
{
    auto* icon = new CDsFigColoredBitmap(CGmPosition(1, 2, 3), 987654, false, true);
    ASSERT_NE(icon->GetDlFigure(), nullptr);
    ASSERT_NE(icon->GetImpersonalPart(), nullptr);
    EXPECT_NE(dynamic_cast<CDsItemBillBoardedRectangle*>(icon->GetImpersonalPart()->Get(0)), nullptr);
    for (int set = 0; set <= 12; ++set)
        EXPECT_EQ(icon->OnImpPartDraw(EAttribSetIndex(set)), set == 3 || set == 4 || set == 5) << set;
    icon->IncrementUse();
    icon->Loose();
    EXPECT_EQ(icon->GetUseCount(), 1);
    icon->Loose();

    CDsFigBitmap plain(CGmPosition(0, 0, 0), 3, false, true);
    EXPECT_EQ(plain.GetImpersonalPart(), nullptr);
    EXPECT_TRUE(plain.OnImpPartDraw(eAttribSetNormal));
    EXPECT_EQ(plain.GetBitmapIndex(), 3);
}

TEST(DsFigArrowTest, ArrowsKeepTheirItemOnlyWhileTheirGroupHoldsIt)
{
    CDsFigArrow3DFixed arrow(CGmPosition(0, 0, 0), CGmVector(0, 3, 0), 40, 2);
    EXPECT_DOUBLE_EQ(arrow.GetVector().y(), 1.0);
    EXPECT_EQ(arrow.GetArrowItem(), nullptr);
    arrow.ReDefineFig();
    ASSERT_NE(arrow.GetArrowItem(), nullptr);
    EXPECT_EQ(arrow.GetArrowItem()->GetLength(), 40);
    EXPECT_EQ(arrow.GetArrowItem()->GetGap(), 2);
    arrow.SetVector(CGmVector(-2, 0, 0));
    EXPECT_DOUBLE_EQ(arrow.GetArrowItem()->GetDirection().x(), -1.0);
    arrow.SetPosition(CGmPosition(5, 0, 0));
    EXPECT_DOUBLE_EQ(arrow.GetArrowItem()->GetBase().x(), 5.0);

    CDsFigArrowReference pinned(nullptr, 30, 30, 20);
    EXPECT_DOUBLE_EQ(pinned.GetDirection().x(), 1.0);
    pinned.ReDefineFig();
    ASSERT_NE(pinned.GetArrowItem(), nullptr);
    pinned.SetDirection(CGmVector(0, 0, 5));
    EXPECT_DOUBLE_EQ(pinned.GetArrowItem()->GetDirection().z(), 1.0);
    CUiPickEvent noView;
    EXPECT_FALSE(pinned.HeadIsPicked(noView, 5, 5));
    EXPECT_FALSE(arrow.BodyIsPicked(noView));
}
