// Items that draw in window pixels, read back as pixels and as what they send to a view's 2-D
// drawing: 2-D polylines (rows, closing edges, picks of single segments, relative polylines),
// leaders and billboard frames, fixed and reference points with every marker style, fixed and
// reference arrows (their pixel length, gap, fast-refresh line, state left behind, picks of
// shaft and head), the window rows of anchored items, and bad input.
#include "DsColorStorage.h"
#include "DsDriverExtrema.h"
#include "DsEllipseStorage.h"
#include "DsGeometryComputer.h"
#include "DsGlScene.h"
#include "DsItemEllipseDynamic.h"
#include "DsItemPointFixed.h"
#include "DsItemPolyline2D.h"
#include "DsItemsArrowFixed.h"
#include "ItemViewFixture.h"

#include "SpaGeometry.h"
#include "pick_event.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0};

// A core view without a window that records what it sends to its 2-D drawing.
class RecordingView : public CDsView3dCdc {
public:
    RecordingView(int w, int h, double field)
    {
        vyrtest::ViewSetup().Pixels(w, h).Eye(SPAposition(0, 0, 50)).Field(field, field * h / w).Clip(1, 100).ApplyTo(*this);
    }
    int draw_polyline_2d(int n, const float* xy, int closed) override
    {
        polylines.emplace_back(xy, xy + 2 * n);
        closedFlags.push_back(closed);
        widths.push_back(get_line_width());
        return 0;
    }
    std::vector<std::vector<float>> polylines;
    std::vector<int> closedFlags;
    std::vector<int> widths;
};

// Points (x, y) relative to (cx, cy) as a flat list.
std::vector<float> Around(float cx, float cy, std::initializer_list<float> offsets)
{
    std::vector<float> out;
    bool x = true;
    for (float v : offsets) {
        out.push_back(v + (x ? cx : cy));
        x = !x;
    }
    return out;
}

class DsScreenItemsGLTest : public vyrtest::ItemViewTest {
protected:
    void TearDown() override
    {
        view_->pick_mode(0, 0, 0, 0, 0);
        ItemViewTest::TearDown();
    }
    bool Lit(int x, int y) const
    {
        const Rgb c = ReadPixel(GL_BACK, x, y);
        return c.r + c.g + c.b > 120;
    }
    // Whether a pixel within one of (x, y) is lit.
    bool LitNear(int x, int y) const
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (Lit(x + dx, y + dy)) return true;
        return false;
    }
    // The lit pixels as rows of text, top first, over a w x h box whose lower-left pixel is (x, y).
    std::vector<std::string> LitRows(int x, int y, int w, int h) const
    {
        std::vector<std::string> rows;
        for (int r = y + h - 1; r >= y; --r) {
            std::string row;
            for (int c = x; c < x + w; ++c) row += Lit(c, r) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    // The window point gluProject gives a model point.
    void Project(const SPAposition& p, double& x, double& y) const
    {
        GLdouble model[16], projection[16], wz = 0;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(p.x(), p.y(), p.z(), model, projection, viewport, &x, &y, &wz);
    }
    static void White(CDsItemBase& item) { item.SetColor(CDsColorStorage(255, 255, 255), false); }
};

}  // namespace

// --- 2-D polylines ------------------------------------------------------------------------------

TEST_F(DsScreenItemsGLTest, APolylineLightsItsRowAndAClosedTriangleItsClosingEdge)
{
    const float row[4] = {10, 10.5f, 90, 10.5f};
    CDsItemPolyline2D line(2, row, nullptr);
    White(line);
    line.Refresh(*view_);
    const auto range = LitRange(11, kWhite);
    EXPECT_NEAR(range.first, 10, 1);
    EXPECT_NEAR(range.second, 89, 1);
    EXPECT_FALSE(Lit(50, 40));

    vyrtest::Clear(kBlack);
    const float triangle[6] = {20.5f, 20.5f, 80.5f, 20.5f, 50.5f, 80.5f};
    CDsItemPolyline2D open(3, triangle, nullptr);
    White(open);
    open.Refresh(*view_);
    EXPECT_FALSE(LitNear(35, 50));  // the middle of the edge from the last point back to the first
    EXPECT_TRUE(LitNear(65, 50));
    open.SetClosed(true);
    open.Refresh(*view_);
    EXPECT_TRUE(LitNear(35, 50));

    // Bounds: the truncated points.
    SDsBox2D box;
    box.SetEmpty();
    ASSERT_TRUE(open.GetBoundBox2D(box));
    EXPECT_EQ(box.minX, 20);
    EXPECT_EQ(box.minY, 20);
    EXPECT_EQ(box.maxX, 80);
    EXPECT_EQ(box.maxY, 80);
    EXPECT_TRUE(open.GetAttributes()->GetOnTopFlag());
    EXPECT_EQ(open.GetDrawPrimitives(), 0x1001);
}

TEST_F(DsScreenItemsGLTest, APolylineIsPickedThroughItsFirstSegmentAloneAtItsOwnRows)
{
    // Rows counted up: the first segment runs along row 90, the second down the column x = 30.
    const float points[6] = {10, 90, 30, 90, 30, 10};
    CDsItemPolyline2D line(3, points, nullptr);
    view_->pick_mode(1, 20, kSize - 1 - 90, 5, 5);  // the aperture counts rows down
    EXPECT_TRUE(line.Pick(view_.get()));
    view_->pick_mode(1, 20, 90, 5, 5);  // the mirrored row
    EXPECT_FALSE(line.Pick(view_.get()));
    view_->pick_mode(1, 60, 50, 5, 5);
    EXPECT_FALSE(line.Pick(view_.get()));

    // Through a pick manager the hit is offered and taken.
    view_->pick_mode(1, 20, kSize - 1 - 90, 5, 5);
    const pick_event event(20, kSize - 1 - 90, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    manager.push_level(&line, nullptr);
    EXPECT_TRUE(line.Pick(&manager));
    EXPECT_FALSE(line.Pick(static_cast<pick_manager*>(nullptr)));

    // A relative polyline is never picked through a pick manager, even right under it.
    const float relative[4] = {0.1f, 0.905f, 0.3f, 0.905f};
    CDsItemPolyline2DRelative rel(2, relative, false);
    manager.push_level(&rel, nullptr);
    rel.Refresh(*view_);  // computes its pixels
    EXPECT_TRUE(rel.Pick(view_.get()));
    EXPECT_FALSE(rel.Pick(&manager));
}

TEST_F(DsScreenItemsGLTest, RelativePolylinesFollowTheViewportAndAddNoExtents)
{
    const float relative[6] = {0.2f, 0.2f, 0.8f, 0.2f, 0.5f, 0.8f};
    CDsItemPolyline2DRelative triangle(3, relative, true);
    White(triangle);
    triangle.Refresh(*view_);
    EXPECT_TRUE(LitNear(50, 20));
    EXPECT_TRUE(LitNear(35, 50));  // the closing edge

    CDsViewExtremaControler measuring(view_.get());
    double x0, x1, y0, y1, z0, z1;
    triangle.DrawExtremes(*measuring.GetExtView(), nullptr);
    EXPECT_FALSE(measuring.GetExtView()->GetExtremaCoordinates(x0, x1, y0, y1, z0, z1));
    const float points[4] = {10, 10, 90, 90};
    CDsItemPolyline2D plain(2, points, nullptr);
    plain.DrawExtremes(*measuring.GetExtView(), nullptr);
    EXPECT_TRUE(measuring.GetExtView()->GetExtremaCoordinates(x0, x1, y0, y1, z0, z1));
}

TEST_F(DsScreenItemsGLTest, PrintingSendsPolylinesWithRowsTurnedDownAndLeadersAndFramesNothing)
{
    RecordingView printer(100, 100, 25);
    const float points[4] = {10, 10, 90, 30};
    CDsItemPolyline2D line(2, points, nullptr);
    line.Plot(printer);
    ASSERT_EQ(printer.polylines.size(), 1u);
    EXPECT_EQ(printer.polylines[0], (std::vector<float>{10, 89, 90, 69}));

    printer.polylines.clear();
    CDsItemLine2D3D leader(10, 10, CGmPosition(5, 5, 0));
    leader.Plot(printer);
    CDsItemBillBoardedRectangle frame(CGmPosition(0, 0, 0), 10, 6, eAlignCenter);
    frame.Plot(printer);
    const float relative[4] = {0.1f, 0.1f, 0.9f, 0.9f};
    CDsItemPolyline2DRelative rel(2, relative, false);
    rel.Plot(printer);
    EXPECT_TRUE(printer.polylines.empty());
}

TEST_F(DsScreenItemsGLTest, BillboardBoxesFollowTheirAlignment)
{
    SDsBox2D box;
    CDsItemBillBoardedRectangle centred(CGmPosition(0, 0, 0), 10, 6, eAlignCenter);
    ASSERT_TRUE(centred.GetBoundBox2D(box));
    EXPECT_EQ(box.minX, -5);
    EXPECT_EQ(box.minY, -3);
    EXPECT_EQ(box.maxX, 5);
    EXPECT_EQ(box.maxY, 3);
    CDsItemBillBoardedRectangle other(CGmPosition(0, 0, 0), 10, 6, static_cast<EAlignment>(9));
    ASSERT_TRUE(other.GetBoundBox2D(box));
    EXPECT_EQ(box.minX, 0);
    EXPECT_EQ(box.minY, 0);
    EXPECT_EQ(box.maxX, 10);
    EXPECT_EQ(box.maxY, 6);
    CDsItemBillBoardedRectangle topRight(CGmPosition(0, 0, 0), 10, 6, eAlignTopRight);
    ASSERT_TRUE(topRight.GetBoundBox2D(box));
    EXPECT_EQ(box.minX, -10);
    EXPECT_EQ(box.minY, -6);
    EXPECT_EQ(box.maxX, 0);
    EXPECT_EQ(box.maxY, 0);
}

TEST_F(DsScreenItemsGLTest, ALeaderEndsAtItsEndPointsProjection)
{
    const SPAposition end(5.125, -7.375, 0);  // pixel (70, 20)
    double ex = 0, ey = 0;
    Project(end, ex, ey);
    CDsItemLine2D3D leader(20, 80, CGmPosition(end.x(), end.y(), end.z()));
    White(leader);
    leader.Refresh(*view_);
    EXPECT_TRUE(LitNear(int(ex), int(ey)));
    EXPECT_TRUE(LitNear(45, 50));  // half-way
    EXPECT_FALSE(LitNear(10, 10));

    // On the walk (its pixel projection set up), a fresh leader ends there too: it is rebuilt for
    // the view, not drawn to the point of an earlier frame or to the window's corner.
    vyrtest::Clear(kBlack);
    CDsItemLine2D3D walked(20, 80, CGmPosition(end.x(), end.y(), end.z()));
    White(walked);
    view_->Start2dDraw();
    walked.DrawOnTraverse(*view_, CDsGeometry::eDpLines, true);
    EXPECT_EQ(LitCount(), 0);
    walked.DrawOnTraverse(*view_, CDsGeometry::eDpPoints, true);
    view_->End2dDraw();
    EXPECT_TRUE(LitNear(int(ex), int(ey)));
    EXPECT_TRUE(LitNear(45, 50));
    EXPECT_FALSE(LitNear(10, 40));
}

TEST_F(DsScreenItemsGLTest, PixelItemsOnTheWalkOfASectionedViewAreNotClippedAndTheClipPlanesStayOn)
{
    // A section plane that removes everything right of the view's middle, switched on as the frame
    // does it.
    context_.GetScene()->SetSection(SPAposition(0, 0, 0), SPAvector(-1, 0, 0));
    const GLdouble plane[4] = {-1, 0, 0, 0};
    glClipPlane(GL_CLIP_PLANE0, plane);
    glEnable(GL_CLIP_PLANE0);
    // A 3-D line across the middle is cut.
    const float across[6] = {-10, 5.125f, 0, 10, 5.125f, 0};
    glColor3f(1, 1, 1);
    glBegin(GL_LINE_STRIP);
    glVertex3fv(across);
    glVertex3fv(across + 3);
    glEnd();
    EXPECT_NE(LitNear(30, 70), LitNear(70, 70));

    // The walk's pixel projection, then a 2-D polyline and a fixed point right of the middle.
    view_->Start2dDraw();
    const float row[4] = {10, 30.5f, 90, 30.5f};
    CDsItemPolyline2D line(2, row, nullptr);
    White(line);
    line.DrawOnTraverse(*view_, CDsGeometry::eDpPoints, true);
    EXPECT_EQ(glIsEnabled(GL_CLIP_PLANE0), GLboolean(GL_TRUE));
    CDsItemPointFixed point(CGmPosition(7.625, -2.375, 0), EPointStyle(3), 9, 0, CGmUnitVector(1, 0, 0));
    White(point);
    point.DrawOnTraverse(*view_, CDsGeometry::eDpPoints, true);
    EXPECT_EQ(glIsEnabled(GL_CLIP_PLANE0), GLboolean(GL_TRUE));
    view_->End2dDraw();
    glDisable(GL_CLIP_PLANE0);
    context_.GetScene()->ResetSection();

    EXPECT_TRUE(LitNear(20, 30));
    EXPECT_TRUE(LitNear(80, 30));
    // The palette's marker around pixel (80, 40).
    int lit = 0;
    for (int y = 33; y <= 47; ++y)
        for (int x = 73; x <= 87; ++x) lit += Lit(x, y);
    EXPECT_GT(lit, 0);
}

// --- Points and markers -------------------------------------------------------------------------

TEST_F(DsScreenItemsGLTest, AFixedPointDropsTinyCoordinatesAndTakesItsOffsetInPixelsWhenDrawn)
{
    CDsItemPointFixed tiny(CGmPosition(1e-6, 2, -3e-6), EPointStyle(3), 9, 0, CGmUnitVector(1, 0, 0));
    SPAposition stored;
    ASSERT_TRUE(tiny.GetPoint(CDsGeometry::ePpPoint, stored));
    EXPECT_EQ(stored.x(), 0.0);
    EXPECT_EQ(stored.y(), 2.0);
    EXPECT_EQ(stored.z(), 0.0);
    EXPECT_FALSE(tiny.GetPoint(CDsGeometry::ePpStart, stored));

    // 0.1 units a pixel: offset 5 pushes the marker 0.5 units, the model box 5 units.
    RecordingView printer(800, 600, 80);
    ASSERT_DOUBLE_EQ(printer.get_units_per_pixel(), 0.1);
    CDsItemPointFixed pushed(CGmPosition(0, 0, 0), EPointStyle(3), 10, 5, CGmUnitVector(1, 0, 0));
    const CGmPosition shown = pushed.GetDisplayedPosition(printer);
    EXPECT_NEAR(shown.x(), 0.5, 1e-9);
    pushed.Plot(printer);
    ASSERT_EQ(printer.polylines.size(), 1u);
    EXPECT_NEAR(printer.polylines[0][0], 400 + 5 - 5, 0.01);  // the square's left edge
    SPAbox box;
    ASSERT_TRUE(pushed.GetBoundBox(box));
    EXPECT_NEAR(box.low().x(), 5.0, 1e-9);
    EXPECT_NEAR(box.high().x(), 5.0, 1e-9);

    SDsBox2D pixels;
    ASSERT_TRUE(pushed.GetBoundBox2D(pixels));
    EXPECT_EQ(pixels.maxX, 5);
    CDsItemPointFixed odd(CGmPosition(0, 0, 0), EPointStyle(3), 9, 0, CGmUnitVector(1, 0, 0));
    ASSERT_TRUE(odd.GetBoundBox2D(pixels));
    EXPECT_EQ(pixels.maxX, 5);  // ceil(4.5)
    CDsItemPointFixed none(CGmPosition(0, 0, 0), EPointStyle(3), 0, 0, CGmUnitVector(1, 0, 0));
    ASSERT_TRUE(none.GetBoundBox2D(pixels));
    EXPECT_EQ(pixels.minX, -5);
}

// The line style of the attributes (SetStyle(int, bool) of every item) stipples the marker's
// lines; the marker's own style (SetPointStyle) chooses its shape.
TEST_F(DsScreenItemsGLTest, AFixedPointsLineStyleStipplesItsMarkerAndItsPointStyleShapesIt)
{
    CDsItemPointFixed point(CGmPosition(0, 0, 0), EPointStyle(3), 21, 0, CGmUnitVector(1, 0, 0));
    White(point);
    CDsItemBase& item = point;
    auto draw = [&] {
        vyrtest::Clear(kBlack);
        point.SetAttributesToView(view_.get());
        point.DrawGl(*view_);
    };
    item.SetStyle(0, false);  // solid
    draw();
    const int solid = LitCount();
    EXPECT_GE(solid, 4 * 19);  // the outline of a 21-pixel square
    EXPECT_FALSE(LitNear(50, 50));  // hollow
    item.SetStyle(5, false);  // eight pixels on, eight off
    draw();
    const int dashed = LitCount();
    EXPECT_GT(dashed, solid / 4);
    EXPECT_LT(dashed, solid * 3 / 4);
    EXPECT_EQ(point.GetPointStyle(), EPointStyle(3));

    item.SetStyle(0, false);
    point.SetPointStyle(EPointStyle(2));  // a cross through the centre
    draw();
    EXPECT_TRUE(LitNear(50, 50));
    EXPECT_EQ(point.GetStyle(), 0);
    glDisable(GL_LINE_STIPPLE);
}

TEST_F(DsScreenItemsGLTest, AReferencePointSitsBackFromTheFarCornerAndPrintsAtItsStoredDistances)
{
    RecordingView printer(800, 600, 80);  // the current view
    CDsItemPointReference point(20, 20, EPointStyle(3), 9);
    int x = 0, y = 0;
    point.GetScreenPlace(printer, x, y);
    EXPECT_EQ(x, 780);
    EXPECT_EQ(y, 580);
    point.Plot(printer);
    ASSERT_EQ(printer.polylines.size(), 1u);
    EXPECT_EQ(printer.polylines[0], Around(20, 581, {-4, -4, 4, -4, 4, 4, -4, 4, -4, -4}));
    SDsBox2D box;
    ASSERT_TRUE(point.GetBoundBox2D(box));
    EXPECT_EQ(box.maxX, 4);

    // While plotting, printed markers are twice their size.
    CDsView3dCdc::sPlotMode = ePlotModeColors;
    printer.polylines.clear();
    point.Plot(printer);
    CDsView3dCdc::sPlotMode = ePlotModeNone;
    ASSERT_EQ(printer.polylines.size(), 1u);
    EXPECT_EQ(printer.polylines[0], Around(20, 581, {-9, -9, 9, -9, 9, 9, -9, 9, -9, -9}));
}

TEST_F(DsScreenItemsGLTest, EveryMarkerStyleSendsItsPolylinesAndOtherStylesNothing)
{
    RecordingView printer(800, 600, 80);
    const float x = 100, y = 200;
    struct Case {
        int style;
        std::vector<std::vector<float>> polylines;
    };
    const std::vector<float> circle = Around(x, y, {5, 0, 4, 2, 2, 4, 0, 5, -2, 4, -4, 2, -5, 0, -4, -2, -2, -4, 0, -5,
                                                    2, -4, 4, -2, 5, 0});
    const std::vector<Case> cases = {
        {1, {Around(x, y, {-5, -5, 5, 5, -5, 5, 5, -5, -5, -5})}},
        {2, {Around(x, y, {-5, 0, 6, 0}), Around(x, y, {0, -5, 0, 6})}},
        {3, {Around(x, y, {-5, -5, 5, -5, 5, 5, -5, 5, -5, -5})}},
        {4, {Around(x, y, {-5, 0, 0, -5, 5, 0, 0, 5, -5, 0})}},
        {5, {Around(x, y, {-5, 0, -2.5f, -5, 2.5f, -5, 5, 0, 2.5f, 5, -2.5f, 5, -5, 0})}},
        {6, {circle}},
        {7, {Around(x, y, {2, 1, 1, 2, -1, 2, -2, 1, -2, -1, -1, -2, 1, -2, 2, -1, 2, 1}), circle}},
        {8, {Around(x, y, {5, 0, 4, 1, 3, 2, 0, 3, -3, 2, -4, 1, -5, 0, -4, -1, -3, -2, 0, -3, 3, -2, 4, -1, 5, 0}),
             Around(x, y, {0, 7, 0, -7})}},
        {9, {Around(x, y, {0, 0, 0, 0})}},
        {0, {}},
        {10, {}},
    };
    for (const Case& c : cases) {
        printer.polylines.clear();
        printer.widths.clear();
        printer.set_line_width(1);
        CDsPointMarker::StDraw(c.style, x, y, 11, false, true, false, printer);
        EXPECT_EQ(printer.polylines, c.polylines) << "style " << c.style;
        if (c.style == 9) {
            ASSERT_EQ(printer.widths.size(), 1u);
            EXPECT_EQ(printer.widths[0], 10);  // the dot is the marker's size wide
            EXPECT_EQ(printer.get_line_width(), 1);
        }
    }
}

TEST_F(DsScreenItemsGLTest, AStyleThreeMarkerOfSizeNineOutlinesItsSquareInOpenGL)
{
    CDsPointMarker::StDraw(3, 50.5f, 50.5f, 9, true, false, false, *view_);
    EXPECT_EQ(LitRows(46, 46, 9, 9), (std::vector<std::string>{"#########", "#.......#", "#.......#", "#.......#",
                                                              "#.......#", "#.......#", "#.......#", "#.......#",
                                                              "#########"}));
    EXPECT_EQ(LitCount(), 32);
    // Styles out of range draw nothing, and leave no error.
    vyrtest::Clear(kBlack);
    CDsPointMarker::StDraw(0, 50.5f, 50.5f, 9, true, false, false, *view_);
    CDsPointMarker::StDraw(12, 50.5f, 50.5f, 9, true, false, false, *view_);
    CDsPointMarker::StDraw(3, NAN, 50.5f, 9, true, false, false, *view_);
    EXPECT_EQ(LitCount(), 0);
}

// The window rows of items anchored at a model point above the view's centre.
TEST_F(DsScreenItemsGLTest, AnchoredItemsAboveTheCentreDrawAndPickAtTheirOwnRows)
{
    const SPAposition above(0.125, 7.625, 0);  // pixel (50, 80)
    double ax = 0, ay = 0;
    Project(above, ax, ay);
    ASSERT_EQ(int(ax), 50);
    ASSERT_EQ(int(ay), 80);
    const int down = kSize - 1 - 80;

    CDsItemPointFixed point(CGmPosition(above.x(), above.y(), above.z()), EPointStyle(3), 9, 0,
                            CGmUnitVector(1, 0, 0));
    point.DrawGl(*view_);
    EXPECT_TRUE(Lit(46, 80));
    EXPECT_TRUE(Lit(54, 80));
    EXPECT_TRUE(Lit(50, 76));
    EXPECT_FALSE(Lit(50, 80));
    EXPECT_FALSE(LitNear(46, 19));
    view_->pick_mode(1, 50, down, 5, 5);
    EXPECT_TRUE(point.Pick(view_.get()));
    const pick_event event(50, down, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    manager.push_level(&point, nullptr);
    EXPECT_TRUE(point.Pick(&manager));
    EXPECT_EQ(point.DrawPoints(*view_, 0x200), 512);
    view_->pick_mode(1, 50, down + 20, 5, 5);
    EXPECT_FALSE(point.Pick(view_.get()));
    view_->pick_mode(1, 50, 80, 5, 5);  // the mirrored row
    EXPECT_FALSE(point.Pick(view_.get()));
    view_->pick_mode(0, 0, 0, 0, 0);

    // Printed, the marker lands on the same place counted down.
    RecordingView printer(kSize, kSize, 25);
    point.Plot(printer);
    ASSERT_EQ(printer.polylines.size(), 1u);
    EXPECT_NEAR(printer.polylines[0][0] + 4, 50.5, 1.0);
    EXPECT_NEAR(printer.polylines[0][1] + 4, down + 0.5, 1.0);

    // The billboard frame: 10 x 6 centred on the point.
    vyrtest::Clear(kBlack);
    CDsItemBillBoardedRectangle frame(CGmPosition(above.x(), above.y(), above.z()), 10, 6, eAlignCenter);
    glColor3f(1, 1, 1);
    frame.DrawOnTraverse(*view_, CDsGeometry::eDpFaces, false);
    frame.DrawOnTraverse(*view_, CDsGeometry::eDpLines, false);
    EXPECT_FALSE(LitNear(50, 77));  // a pixel frame: a walk of faces or lines leaves it out
    frame.DrawOnTraverse(*view_, CDsGeometry::eDpPoints, false);
    EXPECT_TRUE(LitNear(50, 77));
    EXPECT_TRUE(LitNear(50, 83));
    EXPECT_FALSE(LitNear(50, 22));
    frame.DrawGl(*view_);  // drawn on the walk only
    view_->pick_mode(1, 50, down, 5, 5);
    EXPECT_TRUE(frame.Pick(view_.get()));
    EXPECT_FALSE(frame.Pick(&manager));
    view_->pick_mode(1, 50, down + 20, 5, 5);
    EXPECT_FALSE(frame.Pick(view_.get()));
    view_->pick_mode(1, 50, 80, 5, 5);
    EXPECT_FALSE(frame.Pick(view_.get()));
}

// --- Arrows -------------------------------------------------------------------------------------

TEST_F(DsScreenItemsGLTest, ArrowsTakeTheirMarkerSizeAndOffsetsFromTheirLength)
{
    CDsItemsArrowFixed arrow(CGmPosition(0, 0, 0), CGmVector(3, 0, 0), 25, 0, false, 0, 0, 0);
    ASSERT_EQ(arrow.Count(), 4);
    auto* marker = dynamic_cast<CDsItemPointFixed*>(arrow.Get(3));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->GetSize(), 4);
    EXPECT_EQ(int(marker->GetPointStyle()), 6);
    EXPECT_NEAR(arrow.GetDirection().x(), 1.0, 1e-12);
    EXPECT_EQ(arrow.GetArrowFlags(), 12u);
    EXPECT_TRUE(arrow.GetOnTopFlag());

    CDsItemsArrowFixed fixed(CGmPosition(0, 0, 0), CGmVector(1, 0, 0), 25, 0, true, 30, 40, 7);
    auto* reference = dynamic_cast<CDsItemPointReference*>(fixed.Get(3));
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->GetSize(), 7);
    EXPECT_EQ(int(reference->GetPointStyle()), 9);

    const CGmVector up(0, 1, 0);
    CDsItemsArrowReference pinned(-1, 10, 30, &up);
    int ox = 0, oy = 0;
    pinned.GetOffsets(ox, oy);
    EXPECT_EQ(ox, 45);
    EXPECT_EQ(oy, 45);
    EXPECT_EQ(pinned.GetDrawPrimitives(), 0x1003);
    EXPECT_EQ(pinned.GetItemType(), eDsItemsArrowReference);
}

TEST_F(DsScreenItemsGLTest, TheApexLiesTheLengthAndTheGapInPixelsFromTheBase)
{
    const CGmPosition base(0.125, 0.125, 0);  // pixel centre (50.5, 50.5)
    CDsItemsArrowFixed near(base, CGmVector(1, 0, 0), 20, 0, false, 0, 0, 0);
    near.UpdateParts(*view_);
    ASSERT_TRUE(near.HasShape());
    EXPECT_NEAR(near.GetScreenExtent()[0] - 50.5, 20.0, 0.01);
    EXPECT_NEAR(near.GetScreenExtent()[1], 50.5, 0.01);
    EXPECT_NEAR(near.GetScreenExtent()[2] - 50.5, 2.0, 0.01);  // the shaft starts a tenth out

    CDsItemsArrowFixed far(base, CGmVector(1, 0, 0), 20, 8, false, 0, 0, 0);
    far.UpdateParts(*view_);
    EXPECT_NEAR(far.GetScreenExtent()[0] - 50.5, 28.0, 0.01);

    // Zoomed in twice, the arrow keeps its pixel length.
    view_->zoom_scale(2.0);
    far.UpdateParts(*view_);
    float bx = 0, by = 0;
    ASSERT_TRUE(CDsGeometryComputer::GetInstance()->ProjectPositionOnView(base, view_.get(), bx, by));
    EXPECT_NEAR(far.GetScreenExtent()[0] - bx, 28.0, 0.01);
    SPAposition tip;
    ASSERT_TRUE(far.GetTipPosition(tip));
    EXPECT_NEAR(tip.x(), 0.125 + 28 * view_->get_units_per_pixel(), 1e-6);
}

TEST_F(DsScreenItemsGLTest, AnArrowPointingUpHasItsApexAboveItsTailAndIsPickedOnItsShaft)
{
    const CGmPosition base(0.125, 5.125, 0);  // pixel (50, 70)
    CDsItemsArrowFixed arrow(base, CGmVector(0, 1, 0), 20, 0, false, 0, 0, 4);
    arrow.SetColor(CDsColorStorage(255, 255, 255), true);
    arrow.Refresh(*view_);
    ASSERT_TRUE(arrow.HasShape());
    EXPECT_GT(arrow.GetScreenExtent()[1], arrow.GetScreenExtent()[3]);
    EXPECT_TRUE(LitNear(50, 89));  // the apex
    EXPECT_TRUE(LitNear(51, 75));  // the shaft
    EXPECT_FALSE(LitNear(50, 50));  // not mirrored about the base

    // The shaft between rows 72 and 81 (counted up).
    const int down = kSize - 1 - 76;
    view_->pick_mode(1, 50, down, 5, 5);
    const pick_event event(50, down, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    manager.push_level(&arrow, nullptr);
    EXPECT_TRUE(arrow.BodyIsPicked(&manager));
    EXPECT_FALSE(arrow.HeadIsPicked(&manager));
    EXPECT_TRUE(arrow.Pick(&manager));
    EXPECT_TRUE(arrow.Pick(view_.get()));

    const int headDown = kSize - 1 - 87;
    view_->pick_mode(1, 50, headDown, 5, 5);
    const pick_event onHead(50, headDown, view_.get());
    pick_manager headManager(pick_method_point, 0, nullptr, &onHead, nullptr);
    headManager.push_level(&arrow, nullptr);
    EXPECT_TRUE(arrow.HeadIsPicked(&headManager));
    EXPECT_FALSE(arrow.BodyIsPicked(&headManager));
    view_->pick_mode(1, 20, 20, 5, 5);
    EXPECT_FALSE(arrow.Pick(view_.get()));
    EXPECT_FALSE(arrow.Pick(static_cast<pick_manager*>(nullptr)));
}

namespace {

// The modelview and projection matrices and their stack depths.
std::vector<double> MatrixState()
{
    std::vector<double> state(34);
    glGetDoublev(GL_MODELVIEW_MATRIX, state.data());
    glGetDoublev(GL_PROJECTION_MATRIX, state.data() + 16);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    state[32] = depth;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    state[33] = depth;
    return state;
}

}  // namespace

TEST_F(DsScreenItemsGLTest, AnArrowDrawsWhatItsPartsDrawOneByOneAndLeavesTheMatricesAsItFoundThem)
{
    // Red head and shaft, a green marker over the shaft's tail (drawn last, so green there); one
    // pinned to the corner (its marker a reference point); one without its marker; one pointing
    // at the viewer (the marker alone).
    CDsItemsArrowFixed plain(CGmPosition(0.125, 0.125, 0), CGmVector(1, 0, 0), 30, 0, false, 0, 0, 9);
    CDsItemsArrowFixed pinned(CGmPosition(0.125, 0.125, 0), CGmVector(0, -1, 0), 20, 0, true, 20, 20, 9);
    CDsItemsArrowFixed bare(CGmPosition(-10.125, 0.125, 0), CGmVector(0, 1, 0), 20, 0, false, 0, 0, 9);
    bare.SetArrowFlags(CDsItemsArrowFixed::kFlagFastLine);
    CDsItemsArrowFixed atViewer(CGmPosition(-5.125, -8.125, 0), CGmVector(0, 0, 1), 20, 0, false, 0, 0, 9);
    for (CDsItemsArrowFixed* arrow : {&plain, &pinned, &bare, &atViewer}) {
        arrow->SetColor(CDsColorStorage(255, 0, 0), false);
        arrow->Get(3)->SetColor(CDsColorStorage(0, 255, 0), false);

        vyrtest::Clear(kBlack);
        arrow->UpdateParts(*view_);
        for (int i = 0; i < 3; ++i) arrow->Get(i)->Refresh(*view_);
        if (arrow->GetArrowFlags() & CDsItemsArrowFixed::kFlagMarker) arrow->Get(3)->Refresh(*view_);
        const auto oneByOne = Picture();
        const int lit = LitCount();

        vyrtest::Clear(kBlack);
        const auto before = MatrixState();
        arrow->Refresh(*view_);
        EXPECT_EQ(MatrixState(), before);
        EXPECT_GT(LitCount(), 4);
        EXPECT_EQ(LitCount(), lit);
        EXPECT_TRUE(Picture() == oneByOne) << arrow->GetLength() << " " << arrow->HasShape();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    // The plain arrow's marker is green where it covers the shaft, the head red.
    vyrtest::Clear(kBlack);
    plain.Refresh(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 55, 50), kGreen, 60));
    const int apexX = int(plain.GetScreenExtent()[0]);
    int red = 0;
    for (int y = 45; y <= 55; ++y) red += ColorNear(ReadPixel(GL_BACK, apexX - 3, y), kRed, 60);
    EXPECT_GE(red, 2);  // the head's two sides

    // A model item after a run of pixel items draws in model units: a circle of radius 10 about
    // the origin lights the ring 40 pixels from the centre.
    vyrtest::Clear(kBlack);
    CDsItemPointFixed marker(CGmPosition(2.125, 2.125, 0), EPointStyle(3), 6, 0, CGmUnitVector(1, 0, 0));
    for (CDsItemsArrowFixed* arrow : {&plain, &pinned, &bare, &atViewer}) arrow->Refresh(*view_);
    marker.DrawGl(*view_);
    const ellipse circle(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(10, 0, 0), 1.0, 0.0);
    CDsItemEllipseDynamic ring(new CDsEllipseStorage(circle, 0.0, 6.2831853));
    glColor3f(1, 1, 1);
    ring.DrawGl(*view_);
    EXPECT_TRUE(LitNear(10, 50));
    EXPECT_TRUE(LitNear(50, 90));
    EXPECT_FALSE(LitNear(5, 5));
}

TEST_F(DsScreenItemsGLTest, InAFastRefreshAnArrowIsOneLineInTheCurrentPen)
{
    CDsItemsArrowFixed arrow(CGmPosition(0.125, 0.125, 0), CGmVector(1, 0, 0), 20, 0, false, 0, 0, 0);
    arrow.SetColor(CDsColorStorage(255, 0, 0), true);
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    glColor3f(0, 1, 0);
    arrow.Refresh(*view_);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    int red = 0, green = 0;
    const auto rgb = Picture();
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        red += rgb[i] > 128 && rgb[i + 1] < 100;
        green += rgb[i + 1] > 128 && rgb[i] < 100;
    }
    EXPECT_EQ(red, 0);
    EXPECT_GE(green, 18);
    EXPECT_LE(green, 24);  // one line of 20 pixels, no head

    vyrtest::Clear(kBlack);
    arrow.Refresh(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 50), kRed, 60) || ColorNear(ReadPixel(GL_BACK, 69, 50), kRed, 60));

    // Without the flag, a fast refresh draws the whole arrow.
    vyrtest::Clear(kBlack);
    arrow.SetArrowFlags(CDsItemsArrowFixed::kFlagMarker);
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    arrow.Refresh(*view_);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    EXPECT_GT(LitCount(), 24);
}

TEST_F(DsScreenItemsGLTest, OnTheWalkAnArrowDrawsOnlyWithPointsAsked)
{
    CDsItemsArrowFixed arrow(CGmPosition(0.125, 0.125, 0), CGmVector(1, 0, 0), 20, 0, false, 0, 0, 0);
    glColor3f(1, 1, 1);
    view_->Start2dDraw();
    arrow.DrawOnTraverse(*view_, CDsGeometry::eDpLines, false);
    view_->End2dDraw();
    EXPECT_EQ(LitCount(), 0);
    view_->Start2dDraw();
    arrow.DrawOnTraverse(*view_, CDsGeometry::eDpPoints, false);
    view_->End2dDraw();
    EXPECT_TRUE(LitNear(69, 50));
}

TEST_F(DsScreenItemsGLTest, TheReferenceArrowPutsBackTheStateItFoundAndDrawsNothingWhilePlotting)
{
    const CGmVector right(1, 0, 0);
    CDsItemsArrowReference pinned(30, 30, 20, &right);
    pinned.SetColor(CDsColorStorage(255, 255, 255), false);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    CDsView3dCdc::sPlotMode = ePlotModeColors;
    pinned.Refresh(*view_);
    CDsView3dCdc::sPlotMode = ePlotModeNone;
    EXPECT_EQ(LitCount(), 0);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GLboolean(GL_TRUE));

    pinned.Refresh(*view_);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GLboolean(GL_TRUE));
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GLboolean(GL_TRUE));
    EXPECT_EQ(glIsEnabled(GL_NORMALIZE), GLboolean(GL_TRUE));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    // Its base at (100 - 30, 100 - 30) = (70, 70), pointing right.
    EXPECT_TRUE(LitNear(80, 70));
    EXPECT_FALSE(LitNear(60, 70));
    SPAbox box;
    ASSERT_TRUE(pinned.GetBoundBox(box));
}

TEST_F(DsScreenItemsGLTest, DegenerateArrowsDrawOnlyTheirMarkerAndNoNaN)
{
    // Pointing straight at the viewer, of length 0, with a zero direction.
    CDsItemsArrowFixed atViewer(CGmPosition(0.125, 0.125, 0), CGmVector(0, 0, 1), 20, 0, false, 0, 0, 9);
    CDsItemsArrowFixed empty(CGmPosition(0.125, 0.125, 0), CGmVector(1, 0, 0), 0, 0, false, 0, 0, 9);
    CDsItemsArrowFixed still(CGmPosition(0.125, 0.125, 0), CGmVector(0, 0, 0), 20, 0, false, 0, 0, 9);
    CDsItemsArrowFixed wild(CGmPosition(0.125, 0.125, 0), CGmVector(NAN, 1, 0), 20, 0, false, 0, 0, 9);
    for (CDsItemsArrowFixed* arrow : {&atViewer, &empty, &still, &wild}) {
        arrow->SetColor(CDsColorStorage(255, 255, 255), true);
        arrow->DrawGeometry(*view_);
        EXPECT_FALSE(arrow->HasShape());
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(static_cast<CDsItemPolyline2D*>(arrow->Get(i))->GetPointsCount(), 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    // Only the marker, a style-6 circle about the base.
    EXPECT_TRUE(LitNear(54, 50));
    EXPECT_FALSE(LitNear(65, 50));

    // A view without a viewport gives no scale: no shape either.
    RecordingView flat(0, 0, 25);
    CDsItemsArrowFixed arrow(CGmPosition(0, 0, 0), CGmVector(1, 0, 0), 20, 0, false, 0, 0, 0);
    arrow.UpdateParts(flat);
    EXPECT_FALSE(arrow.HasShape());
}

TEST_F(DsScreenItemsGLTest, PolylinesOfFewPointsOrNonFiniteOnesDrawNothing)
{
    const float one[2] = {50, 50};
    CDsItemPolyline2D single(1, one, nullptr);
    CDsItemPolyline2D none(0, nullptr, nullptr);
    const float wild[4] = {10, NAN, 90, 50};
    CDsItemPolyline2D nan(2, wild, nullptr);
    for (CDsItemPolyline2D* line : {&single, &none, &nan}) {
        White(*line);
        line->Refresh(*view_);
        view_->Start2dDraw();
        line->DrawOnTraverse(*view_, CDsGeometry::eDpPoints, true);
        view_->End2dDraw();
        view_->pick_mode(1, 50, 49, 5, 5);
        EXPECT_FALSE(line->Pick(view_.get()));
        view_->pick_mode(0, 0, 0, 0, 0);
        SDsBox2D box;
        ASSERT_TRUE(line->GetBoundBox2D(box));
    }
    EXPECT_EQ(LitCount(), 0);
    SDsBox2D box;
    none.GetBoundBox2D(box);
    EXPECT_FALSE(box.IsValid());
}
