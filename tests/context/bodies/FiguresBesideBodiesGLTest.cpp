// Figures recorded beside a block that the host's body geometry files into the scene database, as a
// host shows a part with its toolpaths, notes and markers: what the scene's box holds, what the
// frames draw (pixels read back from the front buffer), and what the single pick answers.
#include "DsAttributes.h"
#include "DsFigPoint3D.h"
#include "DsFigPoly3D.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemToolpathPolyline.h"
#include "DsPickProccessor.h"
#include "DsPickedItem.h"
#include "DsScene.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "HostFixture.h"
#include "UiPickEvent.h"
#include "VyrStlData.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::Host;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kWide = 200, kHigh = 100;

// Node i of the zigzag beside the block: x from 0 to 120 in steps of 10, y alternately 5 and 35,
// 5 units above the block's top (z = 25).
CGmPosition Zig(int i)
{
    return CGmPosition(10.0 * i, i % 2 ? 35.0 : 5.0, 25.0);
}
constexpr int kZigNodes = 13;

// The zigzag as a toolpath of one branch of single-point nodes, or as a plain polyline.
class CZigzagFigure : public CDsFigure {
public:
    explicit CZigzagFigure(bool toolpath) : m_toolpath(toolpath) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(0, 255, 0));
        if (!m_toolpath) {
            std::vector<CGmPosition> points;
            for (int i = 0; i < kZigNodes; ++i) points.push_back(Zig(i));
            generator.DrawPolyline(kZigNodes, points.data());
            return 1;
        }
        generator.StartToolpath(1, nullptr);
        generator.StartToolpathBranch(2, 0.0f);
        for (int i = 0; i < kZigNodes; ++i) {
            const CGmPosition p = Zig(i);
            generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(CDsUid(100 + i), 0, float(p.x()), float(p.y()),
                                                                      float(p.z())));
        }
        generator.EndToolpathBranch();
        generator.EndToolpath();
        return 1;
    }

private:
    bool m_toolpath;
};

// A white 24-pixel "HELLO" anchored at (70, 10, 0), then a green line under it drawn with the
// next pen: the frames draw the line before the text.
class CNoteFigure : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        generator.MoveTo(CGmPosition(70, 10, 0));
        generator.DrawTextW("HELLO", "", 24.0f, true);
        generator.SetPenColor(CDsColorStorage(0, 255, 0));
        generator.MoveTo(CGmPosition(70, 5, 0));
        generator.DrawTo(CGmPosition(110, 5, 0));
        return 1;
    }
};

// A white sphere of radius 10 about the origin placed at (100, 20, 10) by the STL call's
// transformation.
class CPlacedSphereFigure : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        CVyrStlData* sphere = vyrtest::StlSphere(10);
        generator.DrawTrianglesStl(translate_transf(SPAvector(100, 20, 10)), sphere);
        sphere->decRC();  // the item holds its own reference
        return 1;
    }
};

class FiguresBesideBodiesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_ = std::make_unique<vyrtest::Host>(kWide, kHigh);
        Camera();
    }
    // Looking down -z at the block's middle: one unit a pixel, model (x, y) at the pixel
    // (x + 40, y + 30) counted up from the lower left.
    void Camera()
    {
        host_->Look(ViewSetup().Eye(SPAposition(60, 20, 200)).Target(SPAposition(60, 20, 0)).Field(kWide, kHigh)
                        .Clip(1, 400));
    }
    void ShowBlock()
    {
        block_ = host_->ShowBlock(SPAposition(0, 0, 0), SPAposition(60, 40, 20));
        ASSERT_NE(block_, nullptr);
    }
    CDsGlContext& Context() { return host_->Context(); }
    CDsView3dCdc& View() { return host_->View(); }
    // A frame that draws every location again (a camera change alone draws nothing new).
    void RedrawAll()
    {
        Context().GetScene()->GetDbScene().InvalidateStates();
        host_->Refresh();
    }
    // The pixel of model point `p`: x, and y counted down from the top (as pick events count)
    // or up from the bottom (as the front buffer's rows count).
    bool Project(const CGmPosition& p, int& x, int& yDown, int& yUp)
    {
        if (!host_->PixelOf(p, x, yDown)) return false;
        yUp = kHigh - 1 - yDown;
        return true;
    }
    // Whether a pixel within `reach` pixels (each way) of model point `p`'s pixel in the front
    // buffer is lit.
    bool LitNear(const CGmPosition& p, int reach = 2)
    {
        int x = 0, down = 0, up = 0;
        return Project(p, x, down, up) && host_->Front().LitNear(x, up, reach);
    }
    // A pick event at model point `p`'s pixel.
    CUiPickEvent EventAt(const CGmPosition& p)
    {
        int x = 0, down = 0, up = 0;
        EXPECT_TRUE(Project(p, x, down, up));
        return CUiPickEvent(x, down, 0, &View(), nullptr);
    }
    // The single pick at model point `p`'s pixel among bodies and figures; `sectionTest` tests
    // faces by the pick ray and hit points against the sections.
    CDsPickedItem PickAt(const CGmPosition& p, bool sectionTest = false)
    {
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kBodyType, Host::kFigureType});
        return host_->PickAt(p, &domain, sectionTest);
    }

    BODY* block_ = nullptr;
};

// Whether `box` is (x0, y0, z0)-(x1, y1, z1) within float rounding.
::testing::AssertionResult BoxIs(const SPAbox& box, double x0, double y0, double z0, double x1, double y1, double z1)
{
    const SPAposition lo = box.low(), hi = box.high();
    const double got[6] = {lo.x(), lo.y(), lo.z(), hi.x(), hi.y(), hi.z()};
    const double want[6] = {x0, y0, z0, x1, y1, z1};
    for (int i = 0; i < 6; ++i)
        if (std::fabs(got[i] - want[i]) > 1e-3)
            return ::testing::AssertionFailure() << "box (" << got[0] << ", " << got[1] << ", " << got[2] << ")-("
                                                 << got[3] << ", " << got[4] << ", " << got[5] << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace

// The toolpath must behave as the polyline through the same points does: both are walked here.
TEST_F(FiguresBesideBodiesGLTest, AZigzagBesideABlockGrowsTheBoxIsFramedDrawnWholeAndPickedAboveTheBlock)
{
    ShowBlock();
    for (const bool toolpath : {false, true}) {
        SCOPED_TRACE(toolpath ? "toolpath" : "polyline");
        Camera();
        CZigzagFigure zigzag(toolpath);
        zigzag.Record(true, &View());
        ASSERT_TRUE(zigzag.IsRecorded());
        EXPECT_TRUE(BoxIs(host_->Box(), 0, 0, 0, 120, 40, 25));
        Context().InvalidateBox();
        EXPECT_TRUE(BoxIs(host_->Box(), 0, 0, 0, 120, 40, 25));

        // Over the block's top face, between nodes 1 and 2: the zigzag, 5 units above the face.
        RedrawAll();
        const CGmPosition above(15, 20, 25);
        const CDsPickedItem picked = PickAt(above);
        ASSERT_TRUE(picked.IsValid());
        EXPECT_EQ(picked.GetObjectPath(), host_->PathOf(zigzag));
        EXPECT_NEAR(picked.GetPickedPosition()->z(), 25, 0.5);
        // Beside the zigzag the block still answers, on its top face.
        const CDsPickedItem face = PickAt(CGmPosition(30, 20, 20));
        ASSERT_TRUE(face.IsValid());
        EXPECT_EQ(face.GetObjectPath().GetPartId(), Context().GetScene()->GetDbScene().GetPeerPartId());
        EXPECT_NEAR(face.GetPickedPosition()->z(), 20, 0.5);

        // Fitted to the whole scene, a little smaller: the far end lies in the window and the
        // segments beyond the block are drawn, each at its middle.
        View().ZoomAll(0.5f);
        RedrawAll();
        int x = 0, down = 0, up = 0;
        ASSERT_TRUE(Project(Zig(kZigNodes - 1), x, down, up));
        EXPECT_GE(x, 0);
        EXPECT_LT(x, kWide);
        for (int i = 6; i + 1 < kZigNodes; ++i) {
            const CGmPosition a = Zig(i), b = Zig(i + 1);
            EXPECT_TRUE(LitNear(CGmPosition((a.x() + b.x()) / 2, (a.y() + b.y()) / 2, 25))) << "segment " << i;
        }
    }

    // Alone in the scene the toolpath makes the box, and is drawn in it.
    host_->Hide(block_);
    CZigzagFigure alone(true);
    alone.Record(true, &View());
    EXPECT_TRUE(BoxIs(host_->Box(), 0, 5, 25, 120, 35, 25));
    View().ZoomAll(0.5f);
    RedrawAll();
    for (int i = 0; i + 1 < kZigNodes; ++i) {
        const CGmPosition a = Zig(i), b = Zig(i + 1);
        EXPECT_TRUE(LitNear(CGmPosition((a.x() + b.x()) / 2, (a.y() + b.y()) / 2, 25))) << "segment " << i;
    }
}

TEST_F(FiguresBesideBodiesGLTest, AThreeDTextDrawsInItsOwnPenNotInTheColourLeftBeforeIt)
{
    ShowBlock();
    CNoteFigure note;
    note.Record(true, &View());
    RedrawAll();
    // The text's pixels: from its anchor (110, 40 up) 24 pixels up and about 90 to the right.
    const vyrtest::Picture front = host_->Front();
    int white = 0, green = 0;
    for (int y = 40; y < 66; ++y)
        for (int x = 110; x < 200; ++x) {
            const Rgb c = front.ColorAt(x, y);
            white += ColorNear(c, Rgb{255, 255, 255}, 40) ? 1 : 0;
            green += c.g > 150 && c.r < 100 && c.b < 100 ? 1 : 0;
        }
    EXPECT_GT(white, 200);
    EXPECT_EQ(green, 0);
    // The line under it (row 35, give or take one) keeps its own pen.
    int line = 0;
    for (int x = 112; x < 148; x += 4)
        for (int y = 34; y <= 36; ++y) line += ColorNear(front.ColorAt(x, y), Rgb{0, 255, 0}, 60) ? 1 : 0;
    EXPECT_GE(line, 8);
}

TEST_F(FiguresBesideBodiesGLTest, AnStlMeshPlacedByATransformationGivesThePlacedBox)
{
    CPlacedSphereFigure sphere;
    sphere.Record(true, &View());
    ASSERT_TRUE(sphere.IsRecorded());
    EXPECT_TRUE(BoxIs(host_->Box(), 90, 10, 0, 110, 30, 20));
    Context().InvalidateBox();
    EXPECT_TRUE(BoxIs(host_->Box(), 90, 10, 0, 110, 30, 20));
    // Beside the block the scene's box holds both.
    ShowBlock();
    Context().InvalidateBox();
    EXPECT_TRUE(BoxIs(host_->Box(), 0, 0, 0, 110, 40, 20));
}

TEST_F(FiguresBesideBodiesGLTest, APointOfAClipableFigureIsCutByTheSectionAsItsLinesAre)
{
    ShowBlock();
    View().SetRenderMode(eRenderWireframe);
    // The section keeps x >= 20: it removes the side of the block at x = 10.
    Context().GetScene()->SetSection(SPAposition(20, 0, 0), SPAvector(1, 0, 0));
    const CGmPosition cut(10, 30, 20), kept(40, 30, 20);
    constexpr int kMarkerReach = 6;  // the marker of 9 pixels is a hollow square 11 pixels wide
    const auto marker = [](const CGmPosition& at) {
        return std::make_unique<CDsFigPoint3D>(at, EPointStyle(3), 9, false, true, CGmUnitVector(1, 0, 0), 0);
    };

    // A point of a clip-able figure on the removed side: neither drawn nor picked, whether the pick
    // tests the sections or not; a clip-able line there is not drawn either.
    {
        std::unique_ptr<CDsFigPoint3D> point = marker(cut);
        point->SetClip_able(true);
        point->Record(true, &View());
        const CGmPosition ends[2] = {CGmPosition(0, 10, 20), CGmPosition(15, 10, 20)};
        CDsFigPoly3D line(2, ends);
        line.SetClip_able(true);
        line.Record(true, &View());
        RedrawAll();
        EXPECT_FALSE(LitNear(cut, kMarkerReach));
        EXPECT_FALSE(LitNear(CGmPosition(8, 10, 20)));
        for (const bool sectionTest : {false, true}) {
            const CDsPickedItem picked = PickAt(cut, sectionTest);
            EXPECT_FALSE(picked.IsValid() && picked.GetObjectPath() == host_->PathOf(*point)) << "section test " << sectionTest;
        }
        EXPECT_EQ(point->IsPicked(EventAt(cut), 5, 5), 0);
    }
    // On the kept side the same point is drawn and picked.
    {
        std::unique_ptr<CDsFigPoint3D> point = marker(kept);
        point->SetClip_able(true);
        point->Record(true, &View());
        RedrawAll();
        EXPECT_TRUE(LitNear(kept, kMarkerReach));
        for (const bool sectionTest : {false, true}) {
            const CDsPickedItem picked = PickAt(kept, sectionTest);
            EXPECT_TRUE(picked.IsValid() && picked.GetObjectPath() == host_->PathOf(*point)) << "section test " << sectionTest;
        }
        EXPECT_EQ(point->IsPicked(EventAt(kept), 5, 5), 1);
    }
    // A point of a figure that may not be clipped is never cut, nor is such a line.
    {
        std::unique_ptr<CDsFigPoint3D> point = marker(cut);
        point->Record(true, &View());
        const CGmPosition ends[2] = {CGmPosition(0, 10, 20), CGmPosition(15, 10, 20)};
        CDsFigPoly3D line(2, ends);
        line.Record(true, &View());
        RedrawAll();
        EXPECT_TRUE(LitNear(cut, kMarkerReach));
        EXPECT_TRUE(LitNear(CGmPosition(8, 10, 20)));
        for (const bool sectionTest : {false, true}) {
            const CDsPickedItem picked = PickAt(cut, sectionTest);
            EXPECT_TRUE(picked.IsValid() && picked.GetObjectPath() == host_->PathOf(*point)) << "section test " << sectionTest;
        }
        EXPECT_EQ(point->IsPicked(EventAt(cut), 5, 5), 1);
    }
}

// A figure's lines under the block draw over it, in the default pen or its own, with or without
// the on-top flag, in every render mode; the block hides the figure's faces under it wherever the
// mode draws faces, and the wireframe, which draws none, shows them.
TEST_F(FiguresBesideBodiesGLTest, AFiguresLinesDrawOverABodyInFrontOfThemAndItsFacesHideBehindIt)
{
    ShowBlock();
    const ERenderMode modes[] = {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade,
                                 eRenderMixed};
    std::vector<vyrtest::Picture> without;
    for (const ERenderMode mode : modes) {
        View().SetRenderMode(mode);
        RedrawAll();
        without.push_back(host_->Front());
    }
    const CGmPosition plain(10, 10, -10), onTop(10, 30, -10), face(45, 20, -10);
    const auto figures = host_->Record({
        [](CDsFigureGenerator& g) {
            const CGmPosition ends[2] = {CGmPosition(2, 10, -10), CGmPosition(18, 10, -10)};
            g.DrawPolyline(2, ends);
        },
        [](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(255, 0, 0));
            g.SetOnTopFlag(true);
            const CGmPosition ends[2] = {CGmPosition(2, 30, -10), CGmPosition(18, 30, -10)};
            g.DrawPolyline(2, ends);
        },
        [](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(255, 255, 255));
            const double square[18] = {35, 10, -10, 55, 10, -10, 55, 30, -10, 35, 10, -10, 55, 30, -10, 35, 30, -10};
            g.DrawTriangles(2, square, nullptr);
        },
    });
    for (size_t m = 0; m < std::size(modes); ++m) {
        SCOPED_TRACE(testing::Message() << "render mode " << modes[m]);
        View().SetRenderMode(modes[m]);
        RedrawAll();
        const vyrtest::Picture with = host_->Front();
        // Whether the figures change the pixel of `p`.
        const auto changes = [&](const CGmPosition& p) {
            int x = 0, down = 0, up = 0;
            return Project(p, x, down, up) && !(with.ColorAt(x, up) == without[m].ColorAt(x, up));
        };
        EXPECT_TRUE(changes(plain));
        EXPECT_TRUE(changes(onTop));
        EXPECT_EQ(changes(face), modes[m] == eRenderWireframe);
    }
}
