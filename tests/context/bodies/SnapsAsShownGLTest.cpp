// Snaps (CDsAcisPick::StPickRefPoint) offer only a point the window shows, of every kind: edge
// ends, middles and centres, the nearest point of an edge, a cone's apex. What hides a point and
// where a body lies are what the frame draws: bodies moved by a transform id of the scene, bodies
// and plates hidden by their object path, figures, the section plane and a stepped section.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsAttributes.h"
#include "DsGlScene.h"
#include "DsPartStorage.h"
#include "DsRefPoint.h"
#include "HostFixture.h"
#include "VyrStlData.h"

#include "SpaBuilders.h"

#include "../../context/SteppedSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using vyrtest::ViewSetup;

namespace {

const SPAposition kNone(1e11, 1e11, 1e11);
constexpr std::initializer_list<int> kEnds = {256, 257, 258, 259};
constexpr std::initializer_list<int> kNearest = {267};

// A host of 100 x 100 pixels seen from above, one model unit a pixel, shaded.
class SnapsAsShownGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    }
    CDsGlContext& Context() { return host_->Context(); }
    // The position of the snap of `kinds` at the pixel of `p`; kNone when it answers none.
    SPAposition SnapAt(const SPAposition& p, std::initializer_list<int> kinds)
    {
        int x = 0, y = 0;
        EXPECT_TRUE(host_->PixelOf(p, x, y));
        return host_->Snap(x, y, kinds) ? SPAposition(CDsRefPoint::sLastPosition) : kNone;
    }
    // A transform id of the scene given to `body`, its transform `by`.
    unsigned short MoveById(BODY* body, const SPAvector& by)
    {
        const unsigned short id = Context().NewTransformId();
        EXPECT_NE(id, 0);
        EXPECT_TRUE(Context().SetTransformId(host_->PathOf(body), id));
        EXPECT_TRUE(Context().SetTransform(id, translate_transf(by)));
        host_->Refresh();
        return id;
    }
};

::testing::AssertionResult Near(const SPAposition& p, const SPAposition& q, double within = 1e-3)
{
    if ((p - q).len() <= within) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p.x() << ", " << p.y() << ", " << p.z() << ") is not (" << q.x()
                                         << ", " << q.y() << ", " << q.z() << ")";
}

// A square of half size `half` at `centre`, parallel to z = 0, as an STL mesh.
class StlSquare : public CDsFigure {
public:
    StlSquare(const SPAposition& centre, double half) : m_centre(centre), m_half(half) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        auto* square = new CVyrStlData;
        const double h = m_half;
        const SPAvector c = m_centre - SPAposition(0, 0, 0);
        square->AddTriangle(CVyrTriangle(SPAposition(-h, -h, 0) + c, SPAposition(h, -h, 0) + c, SPAposition(h, h, 0) + c));
        square->AddTriangle(CVyrTriangle(SPAposition(-h, -h, 0) + c, SPAposition(h, h, 0) + c, SPAposition(-h, h, 0) + c));
        generator.DrawTrianglesStl(SPAtransf(), square);
        square->decRC();
        return 1;
    }

private:
    SPAposition m_centre;
    double m_half;
};

}  // namespace

// A plate moved over a block's corner by a transform id hides it; moved away it does not; hidden
// by its path it hides nothing. A plate filed over another corner and moved away by its id no
// longer hides that one.
TEST_F(SnapsAsShownGLTest, PlatesHideCornersWhereTheSceneDrawsThem)
{
    host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(20, 20, 10));
    BODY* plate = host_->ShowBlock(SPAposition(-45, -45, 20), SPAposition(-30, -30, 22));
    BODY* over = host_->ShowBlock(SPAposition(-5, -5, 20), SPAposition(5, 5, 22));
    host_->Refresh();
    const SPAposition corner(20, 20, 10), covered(0, 0, 10);
    ASSERT_TRUE(Near(SnapAt(corner, kEnds), corner));
    ASSERT_FALSE(Near(SnapAt(covered, kEnds), covered));

    const unsigned short id = MoveById(plate, SPAvector(55, 55, 0));
    EXPECT_FALSE(Near(SnapAt(corner, kEnds), corner));
    EXPECT_FALSE(Near(SnapAt(corner, kNearest), corner, 1.0));
    ASSERT_TRUE(Context().SetTransform(id, SPAtransf()));
    host_->Refresh();
    EXPECT_TRUE(Near(SnapAt(corner, kEnds), corner));
    ASSERT_TRUE(Context().SetTransform(id, translate_transf(SPAvector(55, 55, 0))));
    ASSERT_TRUE(Context().ForceHide(host_->PathOf(plate)));
    host_->Refresh();
    EXPECT_TRUE(Near(SnapAt(corner, kEnds), corner));
    EXPECT_TRUE(Near(SnapAt(corner, kNearest), corner, 1.0));

    MoveById(over, SPAvector(-40, 40, 0));
    EXPECT_TRUE(Near(SnapAt(covered, kEnds), covered));
}

// A body hidden by its path offers no point; a body moved by a transform id offers its points
// where the window shows them, not where its own placement would put them.
TEST_F(SnapsAsShownGLTest, BodiesOfferPointsOnlyWhereTheSceneDrawsThem)
{
    BODY* block = host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(20, 20, 10));
    host_->Refresh();
    const SPAposition corner(20, 20, 10), edge(20, 10, 10);
    ASSERT_TRUE(Near(SnapAt(corner, kEnds), corner));
    ASSERT_TRUE(Context().ForceHide(host_->PathOf(block)));
    host_->Refresh();
    EXPECT_TRUE(Near(SnapAt(corner, kEnds), kNone));
    EXPECT_TRUE(Near(SnapAt(edge, kNearest), kNone));
    ASSERT_TRUE(Context().ResetHideShow(host_->PathOf(block)));
    host_->Refresh();
    ASSERT_TRUE(Near(SnapAt(corner, kEnds), corner));

    const SPAvector by(-35, -25, 0);
    MoveById(block, by);
    EXPECT_TRUE(Near(SnapAt(corner + by, kEnds), corner + by));
    EXPECT_TRUE(Near(SnapAt(corner, kEnds), kNone));
    EXPECT_TRUE(Near(SnapAt(edge + by, kNearest), edge + by, 1.0));
    EXPECT_TRUE(Near(SnapAt(edge, kNearest), kNone));
}

// A figure's faces hide a corner behind them in the modes where faces hide.
TEST_F(SnapsAsShownGLTest, AnStlFigureOverACornerHidesIt)
{
    host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(20, 20, 10));
    host_->Refresh();
    const SPAposition corner(20, 20, 10);
    ASSERT_TRUE(Near(SnapAt(corner, kEnds), corner));
    StlSquare square(SPAposition(20, 20, 30), 8);
    square.Record(true, &host_->View());
    ASSERT_TRUE(square.IsRecorded());
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(corner, kEnds), corner));
    EXPECT_FALSE(Near(SnapAt(corner, kNearest), corner, 1.0));
    // In wireframe the corner shows, and so does the one below it on the same pixel.
    host_->View().SetRenderMode(eRenderWireframe);
    const SPAposition snapped = SnapAt(corner, kEnds);
    EXPECT_TRUE(Near(snapped, corner) || Near(snapped, SPAposition(20, 20, 0)));
    square.Remove(&host_->View());
}

// The nearest point of an edge: one behind another body's faces is not offered in the modes that
// hide, one a section cuts away in none.
TEST_F(SnapsAsShownGLTest, TheNearestPointPassesOverHiddenAndCutEdges)
{
    // Seen from -x: the front block hides the back block's top edge at x = 60, z = 20.
    host_->Look(ViewSetup().Eye(SPAposition(-100, 20, 20)).Target(SPAposition(50, 20, 20)).Up(SPAvector(0, 0, 1))
                    .Field(kHostSize, kHostSize).Clip(1, 300));
    host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(10, 40, 40));
    host_->ShowBlock(SPAposition(60, 0, 0), SPAposition(100, 40, 20));
    host_->Refresh();
    const SPAposition behind(60, 20, 20);
    for (ERenderMode mode : {eRenderShade, eRenderHiddenLines, eRenderMixed}) {
        host_->View().SetRenderMode(mode);
        EXPECT_FALSE(Near(SnapAt(behind, kNearest), behind, 1.0)) << "render mode " << mode;
    }
    host_->View().SetRenderMode(eRenderWireframe);
    EXPECT_TRUE(Near(SnapAt(behind, kNearest), behind, 1.0));
    // Cut away by a section that keeps x < 50.
    Context().SetSection(SPAposition(50, 0, 0), SPAvector(-1, 0, 0));
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(behind, kNearest), behind, 1.0));
    Context().ResetSection();
}

// The frame pushes faces back behind the lines by their polygon offset, their depth slope across a
// pixel: the bottom edges of a block sunk a tenth of a unit (a sixth of a pixel) into the top face of
// another, seen at a grazing angle, show through that face, and their ends and nearest points are
// offered. Sunk two units they are hidden, and are not.
TEST_F(SnapsAsShownGLTest, EdgesTheWindowDrawsThroughAFaceJustInFrontOfThemAreOffered)
{
    host_->Look(ViewSetup().Eye(SPAposition(0, -200, 30)).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 0, 1)).Field(60, 60).Clip(1, 1000));
    host_->ShowBlock(SPAposition(-25, -25, -20), SPAposition(25, 25, 0), 0x0000FF);
    for (const double sunk : {0.1, 2.0}) {
        SCOPED_TRACE("sunk " + std::to_string(sunk));
        BODY* block = host_->ShowBlock(SPAposition(-10, -10, -sunk), SPAposition(10, 10, 15), 0xFF0000);
        host_->Refresh();
        const SPAposition corner(-10, -10, -sunk), middle(0, -10, -sunk);
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(middle, x, y));
        // The window shows the edge (blue) where it lies, or the face in front of it (red).
        const vyrtest::Picture front = host_->Front();
        const unsigned char* shown = front.At(x, kHostSize - 1 - y);
        EXPECT_EQ(shown[2] > shown[0], sunk < 1) << int(shown[0]) << " " << int(shown[1]) << " " << int(shown[2]);
        EXPECT_EQ(Near(SnapAt(corner, kEnds), corner), sunk < 1);
        EXPECT_EQ(Near(SnapAt(middle, kNearest), middle, 1.0), sunk < 1);
        host_->Hide(block);
    }
}

// The nearest point of an edge a section cuts is the nearest point of the part it keeps: with the
// cursor over the cut part, a pixel and a half beyond the cut, the end of the kept part.
TEST_F(SnapsAsShownGLTest, TheNearestPointOfACutEdgeIsOnThePartTheSectionKeeps)
{
    host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(40, 20, 10));
    Context().SetSection(SPAposition(20.5, 0, 0), SPAvector(-1, 0, 0));
    host_->Refresh();
    for (ERenderMode mode : {eRenderShade, eRenderWireframe}) {
        host_->View().SetRenderMode(mode);
        EXPECT_TRUE(Near(SnapAt(SPAposition(22, 20, 10), kNearest), SPAposition(20.5, 20, 10), 0.3)) << "render mode " << mode;
        EXPECT_TRUE(Near(SnapAt(SPAposition(10, 20, 10), kNearest), SPAposition(10, 20, 10), 1.0)) << "render mode " << mode;
    }
    Context().ResetSection();
}

// Of an edge's points in the pick window, the first the window shows is offered, not only its
// first: a small block's corners all lie under the cursor, and a section keeps one of them.
TEST_F(SnapsAsShownGLTest, TheShownEndOfAnEdgeIsOfferedWhenItsOtherEndIsCutAway)
{
    host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(2, 2, 2));
    Context().SetSection(SPAposition(2, 2, 1.5), SPAvector(1, 1, 1));
    host_->View().SetRenderMode(eRenderWireframe);
    host_->Refresh();
    EXPECT_TRUE(Near(SnapAt(SPAposition(1, 1, 2), kEnds), SPAposition(2, 2, 2)));
    EXPECT_TRUE(Near(SnapAt(SPAposition(1, 1, 2), {256}), SPAposition(2, 2, 2)));
    Context().ResetSection();
}

// A cone's apex is offered only where the window shows it: not behind the cone's own base, not
// where a section cut the tip away, never for a frustum, whose apex is no point of the picture.
TEST_F(SnapsAsShownGLTest, AConesApexIsOfferedOnlyWhereTheWindowShowsIt)
{
    host_->Show(make_cone(SPAposition(-20, 0, 0), SPAvector(0, 0, 1), 10, 0, 20));
    host_->Show(make_cone(SPAposition(25, 0, 0), SPAvector(0, 0, 1), 10, 5, 10));
    host_->Refresh();
    const SPAposition apex(-20, 0, 20), virtualApex(25, 0, 20);
    // From above, on the cone's side: its apex; on the frustum's side: not its apex.
    EXPECT_TRUE(Near(SnapAt(SPAposition(-16, 0, 12), kEnds), apex));
    EXPECT_FALSE(Near(SnapAt(SPAposition(33, 0, 4), kEnds), virtualApex));
    EXPECT_FALSE(Near(SnapAt(SPAposition(33, 0, 4), {256}), virtualApex));
    // A section that keeps z < 15 cuts the tip away.
    Context().SetSection(SPAposition(0, 0, 15), SPAvector(0, 0, -1));
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(SPAposition(-14, 0, 8), kEnds), apex));
    Context().ResetSection();
    // From below, the cursor on the base: the base hides the apex.
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, -100)).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 1, 0))
                    .Field(kHostSize, kHostSize).Clip(1, 300));
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(SPAposition(-17, 0, 0), kEnds), apex));
    // In wireframe nothing hides it.
    host_->View().SetRenderMode(eRenderWireframe);
    EXPECT_TRUE(Near(SnapAt(SPAposition(-17, 0, 0), kEnds), apex));
}

// A corner a stepped section removed is not offered, in the shaded and the wireframe modes; one it
// keeps is.
TEST_F(SnapsAsShownGLTest, ACornerASteppedSectionRemovedIsNotOffered)
{
    BODY* block = host_->ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    Context().GetScene()->SetComplexSection(vyrtest::SteppedSection({host_->PathOf(block)}));
    host_->Refresh();
    // It cuts away y < -5, and x > 0 below y = 10.
    const SPAposition removed(20, -10, 10), kept(-20, 10, 10);
    for (ERenderMode mode : {eRenderShade, eRenderWireframe}) {
        host_->View().SetRenderMode(mode);
        EXPECT_FALSE(Near(SnapAt(removed, kEnds), removed)) << "render mode " << mode;
        EXPECT_FALSE(Near(SnapAt(removed, kNearest), removed, 1.0)) << "render mode " << mode;
        EXPECT_TRUE(Near(SnapAt(kept, kEnds), kept)) << "render mode " << mode;
    }
    Context().GetScene()->SetComplexSection(nullptr);
}

// In perspective the nearest point of an edge is the one the window shows under the cursor: a
// fraction of the edge's picture is not the same fraction of the edge in the model.
TEST_F(SnapsAsShownGLTest, TheNearestPointInPerspectiveLiesUnderTheCursor)
{
    host_ = std::make_unique<vyrtest::Host>(800, 600);
    host_->Look(ViewSetup().Eye(SPAposition(10, -90, 100)).Target(SPAposition(-25, 0, 25)).Up(SPAvector(0, 0, 1))
                    .Field(120, 90).Clip(1, 500).Perspective(true));
    host_->ShowBlock(SPAposition(-60, -40, 0), SPAposition(20, 40, 40));
    host_->Refresh();
    for (double x = -55; x <= 15; x += 5) {
        const SPAposition on(x, -40, 40);
        int px = 0, py = 0;
        ASSERT_TRUE(host_->PixelOf(on, px, py));
        ASSERT_TRUE(host_->Snap(px, py, kNearest)) << "at x = " << x;
        const SPAposition offered(CDsRefPoint::sLastPosition);
        float ox = 0, oy = 0;
        ASSERT_TRUE(host_->View().world_to_drawable(offered, ox, oy));
        EXPECT_LE(std::hypot(ox - (px + 0.5), oy - (py + 0.5)), 1.5) << "at x = " << x;
        EXPECT_TRUE(Near(offered, SPAposition(offered.x(), -40, 40), 1e-3)) << "at x = " << x;
    }
}

// A cone's apex seen obliquely is offered with the cursor on the apex's own pixel and on every
// pixel around it.
TEST_F(SnapsAsShownGLTest, AConesApexIsOfferedAtItsOwnPixel)
{
    host_->Show(make_cone(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 12, 0, 20));
    const SPAposition apex(0, 0, 10);
    for (const SPAposition& eye : {SPAposition(60, -80, 90), SPAposition(-70, -40, 60), SPAposition(30, 90, 40)}) {
        host_->Look(ViewSetup().Eye(eye).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 0, 1))
                        .Field(kHostSize, kHostSize).Clip(1, 300));
        host_->Refresh();
        int ax = 0, ay = 0;
        ASSERT_TRUE(host_->PixelOf(apex, ax, ay));
        int offered = 0, tried = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                ++tried;
                if (host_->Snap(ax + dx, ay + dy, kEnds) && Near(SPAposition(CDsRefPoint::sLastPosition), apex)) ++offered;
            }
        EXPECT_EQ(offered, tried) << "seen from (" << eye.x() << ", " << eye.y() << ", " << eye.z() << ")";
    }
    // From below, its own pixel lies on the base, which hides it.
    host_->Look(ViewSetup().Eye(SPAposition(20, -30, -100)).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 1, 0))
                    .Field(kHostSize, kHostSize).Clip(1, 300));
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(apex, kEnds), apex));
}

// A block inside a see-through ball: the window shows it through the ball in the mixed mode while
// the ball is less than three quarters opaque, and the snaps offer its corner and edge there; the
// modes that draw the ball opaque (hidden lines, shaded) or a ball opaque enough hide them, the
// line modes never.
TEST_F(SnapsAsShownGLTest, ABodySeenThroughASeeThroughBallOffersItsPoints)
{
    host_->ShowBlock(SPAposition(-10, -8, -6), SPAposition(10, 8, 6));
    host_->Show(make_cone(SPAposition(18, 0, -5), SPAvector(0, 0, 1), 3, 0, 10));
    BODY* ball = host_->Show(make_sphere(SPAposition(0, 0, 0), 30));
    const SPAposition corner(10, 8, 6), edge(0, 8, 6), apex(18, 0, 5);
    const auto seeThrough = [&](unsigned char transparency) {
        CDsAttributes look;
        look.SetTransparency(transparency);
        const int id = host_->IdOf(ball);
        ASSERT_TRUE(CDsPartStorage::instance()->UpdateAttributes(
            CVyrObjectId(Context().GetScene()->GetDbScene().GetPeerPartId(), id), look, nullptr));
        host_->Refresh();
    };
    for (const unsigned char transparency : {90, 191}) {
        seeThrough(transparency);
        host_->View().SetRenderMode(eRenderMixed);
        EXPECT_TRUE(Near(SnapAt(corner, kEnds), corner)) << "transparency " << int(transparency);
        EXPECT_TRUE(Near(SnapAt(edge, kNearest), edge, 1.0)) << "transparency " << int(transparency);
        EXPECT_TRUE(Near(SnapAt(apex + SPAvector(1, 0, -3), kEnds), apex)) << "transparency " << int(transparency);
        // The line modes show the corner, and the one below it on the same pixel.
        for (ERenderMode mode : {eRenderWireframe, eRenderPartialHiddenLines}) {
            host_->View().SetRenderMode(mode);
            const SPAposition snapped = SnapAt(corner, kEnds);
            EXPECT_TRUE(Near(snapped, corner) || Near(snapped, SPAposition(10, 8, -6))) << "render mode " << mode;
        }
        for (ERenderMode mode : {eRenderHiddenLines, eRenderShade}) {
            host_->View().SetRenderMode(mode);
            EXPECT_FALSE(Near(SnapAt(corner, kEnds), corner)) << "render mode " << mode;
            EXPECT_FALSE(Near(SnapAt(edge, kNearest), edge, 1.0)) << "render mode " << mode;
            EXPECT_FALSE(Near(SnapAt(apex, kEnds), apex)) << "render mode " << mode;
        }
    }
    seeThrough(192);
    host_->View().SetRenderMode(eRenderMixed);
    EXPECT_FALSE(Near(SnapAt(corner, kEnds), corner));
    EXPECT_FALSE(Near(SnapAt(edge, kNearest), edge, 1.0));
    EXPECT_FALSE(Near(SnapAt(apex, kEnds), apex));
}

// The centre of a circular edge of a body moved by a transform id is offered where the frame draws
// it, with the cursor on the centre or, asking for centres alone, on the circle; not where the
// body was.
TEST_F(SnapsAsShownGLTest, TheCentreOfACircleOfAMovedBodyIsWhereTheFrameDrawsIt)
{
    BODY* cylinder = host_->Show(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 8, 10));
    host_->Refresh();
    const SPAposition centre(0, 0, 10), rim(8, 0, 10);
    ASSERT_TRUE(Near(SnapAt(centre, kEnds), centre));
    ASSERT_EQ(CDsRefPoint::sPickType, 259);
    const SPAvector by(-30, 20, 5);
    MoveById(cylinder, by);
    // Shaded, the top circle's centre; in wireframe the bottom one's on the same pixel shows too.
    const SPAposition below = SPAposition(0, 0, 0) + by;
    for (ERenderMode mode : {eRenderShade, eRenderWireframe}) {
        host_->View().SetRenderMode(mode);
        const auto expected = [&](const SPAposition& p) {
            return Near(p, centre + by) || (mode == eRenderWireframe && Near(p, below));
        };
        EXPECT_TRUE(expected(SnapAt(centre + by, kEnds))) << "render mode " << mode;
        EXPECT_EQ(CDsRefPoint::sPickType, 259) << "render mode " << mode;
        EXPECT_TRUE(expected(SnapAt(rim + by, {259}))) << "render mode " << mode;
        EXPECT_TRUE(Near(SnapAt(centre, kEnds), kNone)) << "render mode " << mode;
        EXPECT_TRUE(Near(SnapAt(rim, {259}), kNone)) << "render mode " << mode;
    }
}

// The nearest point of an edge is one under the cursor, or none: with the cursor on the back of a
// cone's base, which the cone hides, the parts of the base the window shows lie far off the cursor
// and are not offered.
TEST_F(SnapsAsShownGLTest, TheNearestPointOfAnEdgeHiddenUnderTheCursorIsNotOfferedFarFromIt)
{
    host_->Look(ViewSetup().Eye(SPAposition(0, -100, 60)).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 0, 1))
                    .Field(kHostSize, kHostSize).Clip(1, 300));
    host_->Show(make_cone(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 15, 0, 30));
    host_->Refresh();
    for (const double x : {-6.0, 0.0, 6.0}) {
        const SPAposition behind(x, std::sqrt(15.0 * 15 - x * x), 0);
        int px = 0, py = 0;
        ASSERT_TRUE(host_->PixelOf(behind, px, py));
        if (!host_->Snap(px, py, kNearest)) continue;
        float ox = 0, oy = 0;
        ASSERT_TRUE(host_->View().world_to_drawable(SPAposition(CDsRefPoint::sLastPosition), ox, oy));
        EXPECT_LE(std::hypot(ox - (px + 0.5), oy - (py + 0.5)), 3.6) << "at x = " << x;
    }
}

// A circle is drawn as a closed polyline of short chords: with the cursor a few pixels off the
// circle, the nearest point offered is the circle's point under the cursor, whichever chord's line
// passes nearer.
TEST_F(SnapsAsShownGLTest, TheNearestPointOfACircleIsTheOneUnderTheCursor)
{
    host_->Show(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 6, 10));
    host_->View().SetRenderMode(eRenderWireframe);
    host_->Refresh();
    for (int k = 0; k < 16; ++k) {
        const double a = M_PI * k / 8;
        const SPAposition off(7.5 * std::cos(a), 7.5 * std::sin(a), 10);
        int px = 0, py = 0;
        ASSERT_TRUE(host_->PixelOf(off, px, py));
        ASSERT_TRUE(host_->Snap(px, py, kNearest)) << "at " << k << " sixteenths";
        const SPAposition offered(CDsRefPoint::sLastPosition);
        float ox = 0, oy = 0;
        ASSERT_TRUE(host_->View().world_to_drawable(offered, ox, oy));
        EXPECT_LE(std::hypot(ox - (px + 0.5), oy - (py + 0.5)), 3.0) << "at " << k << " sixteenths";
        EXPECT_NEAR(std::hypot(offered.x(), offered.y()), 6, 0.2) << "at " << k << " sixteenths";
    }
}

// In perspective from inside a large circle, part of it passes behind the eye: the part in front
// still offers its nearest point under the cursor.
TEST_F(SnapsAsShownGLTest, TheNearestPointOfACirclePassingBehindTheEyeIsOffered)
{
    host_->Look(ViewSetup().Eye(SPAposition(40, 0, 30)).Target(SPAposition(-50, 0, 0)).Up(SPAvector(0, 0, 1))
                    .Field(120, 120).Clip(1, 300).Perspective(true));
    host_->Show(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 50, 10));
    host_->View().SetRenderMode(eRenderWireframe);
    host_->Refresh();
    for (const double a : {0.85, 0.95, 1.1}) {
        const SPAposition on(50 * std::cos(M_PI * a), 50 * std::sin(M_PI * a), 10);
        int px = 0, py = 0;
        ASSERT_TRUE(host_->PixelOf(on, px, py));
        ASSERT_TRUE(px >= 0 && px < kHostSize && py >= 0 && py < kHostSize) << "at " << a << " pi";
        ASSERT_TRUE(host_->Snap(px, py, kNearest)) << "at " << a << " pi";
        float ox = 0, oy = 0;
        ASSERT_TRUE(host_->View().world_to_drawable(SPAposition(CDsRefPoint::sLastPosition), ox, oy));
        EXPECT_LE(std::hypot(ox - (px + 0.5), oy - (py + 0.5)), 1.5) << "at " << a << " pi";
    }
}

// A straight edge reaching behind a perspective eye offers its nearest point wherever the window
// lights it: the part in front of the near plane counts. Each case sweeps one edge of what it shows
// (`from` to `to`) with the cursor on the edge's lit pixels; every point offered lies on an edge of
// what it shows, under the cursor, and on the swept edge where no other edge passes within
// `alone` pixels of the cursor: a bar reaching under the eye, a room seen from inside (its long
// edges reach behind the eye on every side) and a wire crossing diagonally behind the eye.
TEST_F(SnapsAsShownGLTest, AStraightEdgeReachingBehindTheEyeOffersItsNearestPointUnderTheCursor)
{
    struct SEdge {
        SPAposition from, to;
    };
    // The twelve edges of the block [low, high].
    const auto blockEdges = [](const SPAposition& low, const SPAposition& high) {
        std::vector<SEdge> edges;
        const double c[2][3] = {{low.x(), low.y(), low.z()}, {high.x(), high.y(), high.z()}};
        for (int axis = 0; axis < 3; ++axis)
            for (int k = 0; k < 4; ++k) {
                double a[3], b[3];
                for (int j = 0, bit = 0; j < 3; ++j) {
                    if (j == axis) {
                        a[j] = c[0][j];
                        b[j] = c[1][j];
                    } else {
                        a[j] = b[j] = c[(k >> bit++) & 1][j];
                    }
                }
                edges.push_back(SEdge{SPAposition(a[0], a[1], a[2]), SPAposition(b[0], b[1], b[2])});
            }
        return edges;
    };
    const auto offEdge = [](const SPAposition& p, const SEdge& e) {
        const SPAvector d = e.to - e.from;
        const double t = std::max(0.0, std::min(1.0, ((p - e.from) % d) / (d % d)));
        return (p - (e.from + t * d)).len();
    };
    struct SCase {
        const char* name;
        int width, height;
        ViewSetup look;
        ERenderMode mode;
        BODY* (*make)();
        std::vector<SEdge> edges;  // what it shows
        SEdge swept;
        std::vector<double> named;  // fractions of the swept edge that must offer its own point
    };
    const SPAposition wireFrom(-30, 25, 0), wireTo(90, -15, 0);
    const std::vector<SCase> cases = {
        {"bar under the eye", 300, 220,
         ViewSetup().Pixels(300, 220).Eye(SPAposition(0, -10, 4)).Target(SPAposition(0, 60, 0)).Up(SPAvector(0, 0, 1))
             .Field(120, 88).Clip(0.5, 500).Perspective(true),
         eRenderShade, [] { return make_block(2, -60, -8, 9, 150, -2); },
         blockEdges(SPAposition(2, -60, -8), SPAposition(9, 150, -2)),
         SEdge{SPAposition(2, -60, -2), SPAposition(2, 150, -2)},
         // y = 0, 5, 10, 20 and 40.
         {60.0 / 210, 65.0 / 210, 70.0 / 210, 80.0 / 210, 100.0 / 210}},
        {"room seen from inside", 240, 180,
         ViewSetup().Pixels(240, 180).Eye(SPAposition(3, -50, 12)).Target(SPAposition(-2, 40, 10)).Up(SPAvector(0, 0, 1))
             .Field(80, 60).Clip(0.5, 400).Perspective(true),
         eRenderWireframe, [] { return make_block(-20, -100, 0, 20, 100, 30); },
         blockEdges(SPAposition(-20, -100, 0), SPAposition(20, 100, 30)),
         SEdge{SPAposition(20, -100, 30), SPAposition(20, 100, 30)}, {0.6, 0.7, 0.8}},
        {"wire crossing behind the eye", 200, 200,
         ViewSetup().Pixels(200, 200).Eye(SPAposition(0, 0, 12)).Target(SPAposition(50, 0, 0)).Up(SPAvector(0, 0, 1))
             .Field(60, 60).Clip(0.5, 300).Perspective(true),
         eRenderWireframe,
         [] {
             const SPAposition ends[2] = {SPAposition(-30, 25, 0), SPAposition(90, -15, 0)};
             return make_wire_body(ends, 2);
         },
         {SEdge{wireFrom, wireTo}}, SEdge{wireFrom, wireTo}, {0.4, 0.5, 0.7}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        host_ = std::make_unique<vyrtest::Host>(c.width, c.height);
        host_->Look(c.look);
        host_->View().SetRenderMode(c.mode);
        ASSERT_NE(host_->Show(c.make()), nullptr);
        host_->Refresh();
        const vyrtest::Picture picture = host_->Front();
        // How far (pixels) drawable point (x, y) lies from the picture of an edge's part in front
        // of the near plane; 1e300 when none of it is.
        const auto screenDistance = [&](const SEdge& e, double x, double y) {
            view3d& view = host_->View();
            const SPAvector sight = view.get_direction();
            const double d0 = (e.from - view.get_eye()) % sight, d1 = (e.to - view.get_eye()) % sight, near = 0.5 + 1e-6;
            if (d0 < near && d1 < near) return 1e300;
            const double cut = d0 == d1 ? 0.0 : (near - d0) / (d1 - d0);
            const SPAposition a = d0 < near ? e.from + cut * (e.to - e.from) : e.from;
            const SPAposition b = d1 < near ? e.from + cut * (e.to - e.from) : e.to;
            double ax = 0, ay = 0, bx = 0, by = 0, depth = 0;
            if (!view.world_to_drawable(a, ax, ay, depth) || !view.world_to_drawable(b, bx, by, depth)) return 1e300;
            const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
            const double t = length2 > 0 ? std::max(0.0, std::min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2)) : 0.0;
            return std::hypot(ax + t * dx - x, ay + t * dy - y);
        };
        const auto otherEdgeNear = [&](double x, double y, double within) {
            for (const SEdge& e : c.edges)
                if (!(offEdge(e.from, c.swept) < 1e-9 && offEdge(e.to, c.swept) < 1e-9) && screenDistance(e, x, y) <= within)
                    return true;
            return false;
        };
        int lit = 0, offered = 0;
        std::vector<double> fractions = c.named;
        for (int k = 0; k <= 200; ++k) fractions.push_back(k / 200.0);
        for (size_t f = 0; f < fractions.size(); ++f) {
            const SPAposition on = c.swept.from + fractions[f] * (c.swept.to - c.swept.from);
            const bool named = f < c.named.size();
            double fx = 0, fy = 0, depth = 0;
            if (!host_->View().world_to_drawable(on, fx, fy, depth) || depth < 0.5) {
                EXPECT_FALSE(named) << "the named point " << fractions[f] << " is not in front of the eye";
                continue;
            }
            // The cursor on the lit pixel nearest to the point (a line a pixel wide lights the
            // pixel its centre line crosses, which may be a neighbour of the point's own).
            int px = -1, py = -1;
            double closest = 1e300;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = static_cast<int>(std::floor(fx)) + dx, y = static_cast<int>(std::floor(fy)) + dy;
                    const double d = std::hypot(x + 0.5 - fx, y + 0.5 - fy);
                    if (x < 2 || y < 2 || x >= c.width - 2 || y >= c.height - 2 || d >= closest ||
                        !picture.Lit(x, c.height - 1 - y))
                        continue;
                    closest = d;
                    px = x, py = y;
                }
            if (px < 0) {
                EXPECT_FALSE(named) << "the window does not light the named point " << fractions[f];
                continue;
            }
            ++lit;
            const std::string at = "at " + std::to_string(fractions[f]) + " of the edge, pixel (" +
                                   std::to_string(px) + ", " + std::to_string(py) + ")";
            if (!host_->Snap(px, py, kNearest)) {
                ADD_FAILURE() << "no point offered " << at;
                continue;
            }
            ++offered;
            const SPAposition p(CDsRefPoint::sLastPosition);
            double nearest = 1e300;
            for (const SEdge& e : c.edges) nearest = std::min(nearest, offEdge(p, e));
            EXPECT_LT(nearest, 1e-3) << "(" << p.x() << ", " << p.y() << ", " << p.z() << ") is on no edge " << at;
            // Under the cursor: a point inside the swept edge within a pixel and a half of the
            // cursor's pixel centre; an end, or another edge's point (where edges meet on the
            // screen, the one nearer to the viewer), in the pick window.
            const bool onSwept = offEdge(p, c.swept) < 1e-3;
            const bool inside = onSwept && (p - c.swept.from).len() > 1e-3 && (p - c.swept.to).len() > 1e-3;
            double ox = 0, oy = 0;
            ASSERT_TRUE(host_->View().world_to_drawable(p, ox, oy, depth)) << at;
            EXPECT_LE(std::hypot(ox - (px + 0.5), oy - (py + 0.5)), inside ? 1.5 : 3.6)
                << "(" << p.x() << ", " << p.y() << ", " << p.z() << ") is off the cursor " << at;
            if (named || !otherEdgeNear(px + 0.5, py + 0.5, 4.0)) {
                EXPECT_TRUE(onSwept) << "(" << p.x() << ", " << p.y() << ", " << p.z() << ") is not on the swept edge " << at;
            }
        }
        EXPECT_GE(lit, 20);
        EXPECT_EQ(offered, lit);
    }
}

// A cone the host placed through the context offers its apex where the window shows it, placed:
// with the cursor on the cone's side and on the apex itself.
TEST_F(SnapsAsShownGLTest, APlacedConesApexIsOfferedWhereItIsPlaced)
{
    host_->Look(ViewSetup().Eye(SPAposition(60, -80, 90)).Target(SPAposition(0, 0, 0)).Up(SPAvector(0, 0, 1))
                    .Field(kHostSize, kHostSize).Clip(1, 300));
    BODY* cone = host_->Show(make_cone(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 12, 0, 20));
    SPAtransf placement = translate_transf(SPAvector(-20, 15, 5));
    Context().SetTransformation(cone, placement);
    host_->Refresh();
    const SPAposition apex = SPAposition(0, 0, 10) * placement;
    EXPECT_TRUE(Near(SnapAt(apex, kEnds), apex));
    EXPECT_TRUE(Near(SnapAt(SPAposition(0, -5, 0) * placement, kEnds), apex));
    EXPECT_TRUE(Near(SnapAt(SPAposition(0, -5, 0) * placement, {256}), apex));
}

// A figure's faces are drawn in every render mode, so in the line modes too they hide a corner
// behind them (an STL mesh, drawn there as the outlines of its triangles, does not: see
// AnStlFigureOverACornerHidesIt).
TEST_F(SnapsAsShownGLTest, AFiguresFacesHideACornerInTheLineModes)
{
    host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(20, 20, 10));
    const double h = 8;
    const double points[18] = {20 - h, 20 - h, 30, 20 + h, 20 - h, 30, 20 + h, 20 + h, 30,
                               20 - h, 20 - h, 30, 20 + h, 20 + h, 30, 20 - h, 20 + h, 30};
    const auto figures = host_->Record({[&](CDsFigureGenerator& generator) { generator.DrawTriangles(2, points, nullptr); }});
    const SPAposition corner(20, 20, 10), edge(20, 15, 10);
    for (ERenderMode mode : {eRenderWireframe, eRenderPartialHiddenLines, eRenderHiddenLines, eRenderShade}) {
        host_->View().SetRenderMode(mode);
        host_->Refresh();
        EXPECT_FALSE(Near(SnapAt(corner, kEnds), corner)) << "render mode " << mode;
        EXPECT_FALSE(Near(SnapAt(corner, {256}), corner)) << "render mode " << mode;
        EXPECT_FALSE(Near(SnapAt(edge, kNearest), edge, 1.0)) << "render mode " << mode;
    }
    for (const auto& figure : figures) figure->Remove(&host_->View());
}

// The partial hidden-line mode keeps the model's faces in the depth buffer: a block over a cone
// hides the cone's side under the cursor, so the apex is not offered; in wireframe it is.
TEST_F(SnapsAsShownGLTest, AConesApexUnderANearerBlockIsNotOfferedInThePartialHiddenLineMode)
{
    host_->Show(make_cone(SPAposition(-20, 0, 0), SPAvector(0, 0, 1), 10, 0, 20));
    host_->ShowBlock(SPAposition(-35, -15, 25), SPAposition(-5, 15, 30));
    const SPAposition apex(-20, 0, 20), onSide(-16, 0, 12);
    host_->View().SetRenderMode(eRenderPartialHiddenLines);
    host_->Refresh();
    EXPECT_FALSE(Near(SnapAt(onSide, kEnds), apex));
    host_->View().SetRenderMode(eRenderWireframe);
    host_->Refresh();
    EXPECT_TRUE(Near(SnapAt(onSide, kEnds), apex));
}
