// Figures recorded one after another, as a host records them, against a fresh host that records
// the same figures in another order: what an item sets for itself (colour, lit material, line
// width, stipple, point size) is not left behind for the items and figures drawn after it, and the
// items that keep their size in pixels are drawn over the model whatever the order of recording.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsItemPolyline2D.h"
#include "DsEllipseStorage.h"
#include "DsManager.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "HostFixture.h"
#include "VyrStlData.h"

#include "DsGlContext.h"
#include "SpaTopology.h"
#include "SpaValues.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using vyrtest::DifferingPixels;
using vyrtest::Host;
using vyrtest::Picture;
using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

using Define = vyrtest::FigureRecipe;
using CDefinedFigure = vyrtest::RecipeFigure;

constexpr int kWide = 160, kHigh = 120;

// The cube of half side `h` about `c`, as twelve triangles.
CVyrStlData* Cube(const SPAposition& c, double h)
{
    auto* data = new CVyrStlData;
    SPAposition p[8];
    for (int k = 0; k < 8; ++k) p[k] = c + SPAvector((k & 1) ? h : -h, (k & 2) ? h : -h, (k & 4) ? h : -h);
    const int quads[6][4] = {{4, 5, 7, 6}, {0, 2, 3, 1}, {1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}};
    for (const auto& q : quads) {
        data->AddTriangle(CVyrTriangle(p[q[0]], p[q[1]], p[q[2]]));
        data->AddTriangle(CVyrTriangle(p[q[0]], p[q[2]], p[q[3]]));
    }
    return data;
}

// A yellow STL cube of half side 12 about (-35, 0, 0), turned so that its edges show apart.
Define YellowStlCube()
{
    return [](CDsFigureGenerator& g) {
        g.SetPenColor(CDsColorStorage(255, 255, 0));
        CVyrStlData* cube = Cube(SPAposition(0, 0, 0), 12);
        const SPAtransf placement = rotate_transf(0.4, SPAvector(1, 1, 0)) * translate_transf(SPAvector(-35, 0, 0));
        g.DrawTrianglesStl(placement, cube);
        cube->decRC();
    };
}

// Figures with wide pens, all on the right half of the window (x > 5).
std::vector<std::pair<const char*, Define>> WideFigures()
{
    return {
        {"a marker and a polyline of width 2", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(0, 255, 0));
             g.DrawPoint(CGmPosition(30, 20, 0), EPointStyle(3), 9, false, CGmUnitVector(1, 0, 0), 0);
             g.SetPenWidth(2);
             const CGmPosition line[2] = {CGmPosition(15, -20, 0), CGmPosition(60, -10, 0)};
             g.DrawPolyline(2, line);
         }},
        {"a ring of width 3", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(0, 255, 255));
             g.SetPenWidth(3);
             g.DrawArc(CGmPosition(40, 0, 0), 15, CGmTransformation(), 0, 6.28, 0.1);
         }},
        {"a zigzag of width 2", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 0, 255));
             g.SetPenWidth(2);
             const CGmPosition zigzag[4] = {CGmPosition(15, -30, 0), CGmPosition(30, 30, 0), CGmPosition(45, -30, 0),
                                            CGmPosition(60, 30, 0)};
             g.DrawPolyline(4, zigzag);
         }},
        {"a dashed diagonal of width 2", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 128, 0));
             g.SetPenWidth(2);
             g.SetPenStyle(2);
             const CGmPosition line[2] = {CGmPosition(15, -40, 0), CGmPosition(70, 40, 0)};
             g.DrawPolyline(2, line);
         }},
    };
}

// Display lists (display-manager flag 4) on or off for the scope, as the preferences set them.
class DisplayLists {
public:
    explicit DisplayLists(bool on) : m_saved(CDsManager::GetInstance()->GetFlag(4))
    {
        CDsManager::GetInstance()->SetFlag(4, on);
    }
    ~DisplayLists() { CDsManager::GetInstance()->SetFlag(4, m_saved); }

private:
    bool m_saved;
};

class FiguresInAnyOrderGLTest : public vyrtest::HostTest {
protected:
    // A fresh host of kWide x kHigh pixels, one unit a pixel, looking down at the origin.
    static std::unique_ptr<Host> FreshHost(ERenderMode mode)
    {
        auto host = std::make_unique<Host>(kWide, kHigh);
        host->Look(ViewSetup().Pixels(kWide, kHigh).Eye(SPAposition(0, 0, 100)).Field(kWide, kHigh).Clip(1, 300));
        host->View().SetRenderMode(mode);
        return host;
    }
    // What `host` shows after recording the figures of `defines` in that order.
    static Picture Recorded(Host& host, const std::vector<Define>& defines,
                            std::vector<std::unique_ptr<CDefinedFigure>>& figures)
    {
        for (auto& figure : host.Record(defines)) figures.push_back(std::move(figure));
        return host.WholeFrame();
    }
    // What a fresh host in `mode` shows of `figure` alone: recorded into its frame (`frame`), or
    // drawn straight onto its view after a frame.
    static Picture Shown(CDefinedFigure& figure, bool frame, ERenderMode mode)
    {
        std::unique_ptr<Host> host = FreshHost(mode);
        Picture picture;
        if (frame) {
            figure.Record(true, &host->View());
            picture = host->WholeFrame();
            figure.Remove(&host->View());
        } else {
            host->WholeFrame();
            figure.DrawOnView(&host->View(), eDsDrawModeNormal);
            picture = host->Front();
            figure.Erase(&host->View());
        }
        return picture;
    }
    // Whether two pictures recorded in two orders agree.
    static ::testing::AssertionResult SameInEitherOrder(ERenderMode mode, const Define& first, const Define& second)
    {
        std::vector<std::unique_ptr<CDefinedFigure>> kept;
        std::unique_ptr<Host> a = FreshHost(mode);
        const Picture ab = Recorded(*a, {first, second}, kept);
        std::unique_ptr<Host> b = FreshHost(mode);
        const Picture ba = Recorded(*b, {second, first}, kept);
        for (auto& figure : kept) figure.reset();
        return SamePicture(ab, ba);
    }
};

}  // namespace

// An STL mesh drawn as lines sets its own width: after wide figures it is as wide as when it was
// recorded first, in every mode that draws it as lines.
TEST_F(FiguresInAnyOrderGLTest, AnStlMeshDrawnAsLinesIsAsWideAfterWideFiguresAsBeforeThem)
{
    for (const ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines}) {
        for (const auto& [name, wide] : WideFigures()) {
            SCOPED_TRACE(std::string(name) + ", render mode " + std::to_string(int(mode)));
            EXPECT_TRUE(SameInEitherOrder(mode, YellowStlCube(), wide));
        }
    }
}

// Within one figure: an item with a pen of its own leaves its colour behind for none of the items
// after it that inherit the figure's colour, in a frame and drawn straight onto the view.
TEST_F(FiguresInAnyOrderGLTest, AnItemThatInheritsThePenDrawsInTheFiguresColourAfterOneWithAPenOfItsOwn)
{
    const CGmPosition line[2] = {CGmPosition(-60, -30, 0), CGmPosition(60, -30, 0)};
    const Define inheriting = [&](CDsFigureGenerator& g) { g.DrawPolyline(2, line); };
    const std::vector<std::pair<const char*, Define>> owners = {
        {"a red marker", [](CDsFigureGenerator& g) {
             g.DrawPoint(CGmPosition(0, 20, 0), EPointStyle(3), 9, false, CGmUnitVector(1, 0, 0), 0);
         }},
        {"a red polyline", [](CDsFigureGenerator& g) {
             const CGmPosition red[2] = {CGmPosition(-60, 20, 0), CGmPosition(60, 20, 0)};
             g.DrawPolyline(2, red);
         }},
    };
    // The colour of the line at model x = 0, y = -30 (row 29 from the bottom).
    const auto lineColour = [](const Picture& picture) {
        const unsigned char* c = picture.At(kWide / 2, kHigh / 2 - 31);
        return std::vector<int>{c[0], c[1], c[2]};
    };
    for (const bool frame : {true, false}) {
        SCOPED_TRACE(frame ? "frame" : "drawn on the view");
        const auto shown = [frame](CDefinedFigure& figure) { return Shown(figure, frame, eRenderShade); };
        CDefinedFigure alone(inheriting);
        const std::vector<int> expected = lineColour(shown(alone));
        ASSERT_GT(expected[0] + expected[1] + expected[2], 150);
        ASSERT_NE(expected, (std::vector<int>{255, 0, 0}));
        for (const auto& [name, owner] : owners) {
            SCOPED_TRACE(name);
            CDefinedFigure figure([&, owner = owner](CDsFigureGenerator& g) {
                g.SetPenColor(CDsColorStorage(255, 0, 0));
                owner(g);
                g.ResetPenColor();
                inheriting(g);
            });
            EXPECT_EQ(lineColour(shown(figure)), expected);
        }
    }
}

// Pixel items recorded before a shaded figure that covers them are drawn over it, as they are
// when recorded after it.
TEST_F(FiguresInAnyOrderGLTest, PixelItemsAreDrawnOverTheModelWhateverTheOrderOfRecording)
{
    const SPAtransf shift = translate_transf(SPAvector(10, 0, 20));
    const std::vector<std::pair<const char*, Define>> shaded = {
        {"triangles and quads", [shift](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 255, 255));
             g.SetTransformation(CGmTransformation(shift));
             const double triangles[9] = {-40, -40, 0, 40, -40, 0, 0, 40, 0};
             g.DrawTriangles(1, triangles, nullptr);
             const double grid[12] = {-30, -10, 5, 30, -10, 5, -30, 30, 5, 30, 30, 5};
             g.DrawQuads(2, 2, grid, nullptr);
             g.EndPolygons();
         }},
        {"an STL cube", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 255, 255));
             CVyrStlData* cube = Cube(SPAposition(0, 0, 0), 25);
             g.DrawTrianglesStl(translate_transf(SPAvector(0, 0, 10)), cube);
             cube->decRC();
         }},
    };
    const float pixels[6] = {60, 50, 100, 70, 90, 40};
    const float relative[4] = {0.35f, 0.4f, 0.6f, 0.6f};
    const std::vector<std::pair<const char*, Define>> onTop = {
        {"DrawRectangle2D", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 0, 0));
             g.DrawRectangle2D(CGmPosition(0, 0, 0), 24, 14, eAlignCenter);
         }},
        {"DrawPolyline2D", [&](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 0, 0));
             g.DrawPolyline2D(3, pixels);
         }},
        {"DrawPolyline2DRelative", [&](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 0, 0));
             g.DrawPolyline2DRelative(2, relative, false);
         }},
        {"DrawPoint", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 0, 0));
             g.DrawPoint(CGmPosition(5, 5, 0), EPointStyle(3), 9, false, CGmUnitVector(1, 0, 0), 0);
         }},
        {"a screen line to a model point", [](CDsFigureGenerator& g) {
             g.SetPenColor(CDsColorStorage(255, 0, 0));
             g.AddSubFigure(new CDsItemLine2D3D(50, 40, CGmPosition(10, 10, 0)));
         }},
    };
    for (const auto& [shadedName, model] : shaded) {
        for (const auto& [name, pixel] : onTop) {
            SCOPED_TRACE(std::string(name) + " with " + shadedName);
            std::vector<std::unique_ptr<CDefinedFigure>> kept;
            std::unique_ptr<Host> after = FreshHost(eRenderShade);
            const Picture drawnLast = Recorded(*after, {model, pixel}, kept);
            std::unique_ptr<Host> before = FreshHost(eRenderShade);
            const Picture drawnFirst = Recorded(*before, {pixel, model}, kept);
            int red = 0;
            for (int y = 0; y < kHigh; ++y)
                for (int x = 0; x < kWide; ++x) {
                    const unsigned char* c = drawnLast.At(x, y);
                    red += c[0] > 200 && c[1] < 60 && c[2] < 60;
                }
            EXPECT_GT(red, 8);
            EXPECT_TRUE(SamePicture(drawnFirst, drawnLast));
        }
    }
}


// Leaves that draw in window pixels reach past their figure's model box: a text runs on from its
// anchor, a window polyline stands where its pixels say. A refresh of a rectangle they cross (a
// block under them taken away) draws them again there, as a whole frame does.
TEST_F(FiguresInAnyOrderGLTest, ARefreshOfARectangleThatPixelLeavesCrossDrawsThemAgain)
{
    const float pixels[4] = {100, 20, 150, 20};  // rows up: 20 pixels above the bottom
    std::unique_ptr<Host> host = FreshHost(eRenderShade);
    std::vector<std::unique_ptr<CDefinedFigure>> kept = host->Record({[&](CDsFigureGenerator& g) {
        g.SetPenColor(CDsColorStorage(255, 0, 0));
        // A short line gives the figure its model box, around (-60, 30); the text and the window
        // polyline lie far beyond it.
        const CGmPosition line[2] = {CGmPosition(-62, 30, 0), CGmPosition(-58, 30, 0)};
        g.DrawPolyline(2, line);
        g.MoveTo(CGmPosition(-60, 30, 0));
        g.DrawTextW("WWWWWWWWWW", "", 20.0f, true);
        g.DrawPolyline2D(2, pixels);
    }});
    // Two units a pixel: the text now runs farther past the model box than when it was recorded.
    host->Look(ViewSetup().Pixels(kWide, kHigh).Eye(SPAposition(0, 0, 100)).Field(2 * kWide, 2 * kHigh).Clip(1, 300));
    // Blocks under the text's far end and under the window polyline, then moved away.
    BODY* underText = host->ShowBlock(SPAposition(40, 30, -10), SPAposition(80, 55, 0));
    BODY* underLine = host->ShowBlock(SPAposition(50, -90, -10), SPAposition(100, -70, 0));
    ASSERT_NE(underText, nullptr);
    ASSERT_NE(underLine, nullptr);
    host->Refresh();
    const Picture before = host->Front();
    // Moved by transform ids of the scene database: the refresh draws the rectangles they leave.
    CDsGlContext& context = host->Context();
    const int first = context.NewTransformId(), second = context.NewTransformId();
    context.SetTransformId(host->PathOf(underText), first);
    context.SetTransformId(host->PathOf(underLine), second);
    host->Refresh();
    context.SetTransform(first, translate_transf(SPAvector(0, -50, 0)));
    context.SetTransform(second, translate_transf(SPAvector(-60, 40, 0)));
    host->Refresh();
    const Picture refreshed = host->Front();
    EXPECT_GT(DifferingPixels(before, refreshed), 100);  // the blocks are gone
    EXPECT_TRUE(SamePicture(refreshed, host->WholeFrame()));
}

// A figure's pixel frame (DrawRectangle2D) is drawn by the walks of points alone: the selection of
// the figure's faces does not meet it wherever it stands, so a pick between the frame and the
// figure's faces answers nothing.
TEST_F(FiguresInAnyOrderGLTest, APickBesideAFiguresPixelFrameAndFacesAnswersNothing)
{
    std::unique_ptr<Host> host = FreshHost(eRenderShade);
    std::vector<std::unique_ptr<CDefinedFigure>> kept = host->Record({[](CDsFigureGenerator& g) {
        g.SetPenColor(CDsColorStorage(255, 255, 255));
        g.DrawRectangle2D(CGmPosition(-50, 0, 0), 24, 14, eAlignCenter);
        const double triangle[9] = {40, -10, 0, 60, -10, 0, 50, 10, 0};
        g.DrawTriangles(1, triangle, nullptr);
    }});
    host->WholeFrame();
    const std::vector<CDsTypeMask> domain = Host::Domain({Host::kFigureType});
    for (const bool byRay : {false, true}) {
        EXPECT_TRUE(host->PickAt(SPAposition(50, 0, 0), &domain, byRay).IsValid());    // on the triangle
        EXPECT_TRUE(host->PickAt(SPAposition(-50, 7, 0), &domain, byRay).IsValid());   // on the frame
        EXPECT_FALSE(host->PickAt(SPAposition(0, 0, 0), &domain, byRay).IsValid());    // between them
        EXPECT_FALSE(host->PickAt(SPAposition(10, 30, 0), &domain, byRay).IsValid());
    }
}

// A figure whose model lies out of the window still draws its window-space leaves where their
// pixels say, from the first frame on: a polyline in fractions of the window, one in pixels.
TEST_F(FiguresInAnyOrderGLTest, WindowLeavesOfAFigureWhoseModelIsOutOfTheWindowAreDrawn)
{
    const float relative[4] = {0.1f, 0.8f, 0.3f, 0.9f};
    const float pixels[4] = {100, 20, 150, 20};
    for (const bool fraction : {true, false}) {
        SCOPED_TRACE(fraction ? "fractions" : "pixels");
        std::unique_ptr<Host> host = FreshHost(eRenderShade);
        std::vector<std::unique_ptr<CDefinedFigure>> kept = host->Record({[&](CDsFigureGenerator& g) {
            g.SetPenColor(CDsColorStorage(255, 0, 0));
            const double triangle[9] = {500, 500, 0, 520, 500, 0, 510, 520, 0};
            g.DrawTriangles(1, triangle, nullptr);
            if (fraction)
                g.DrawPolyline2DRelative(2, relative, false);
            else
                g.DrawPolyline2D(2, pixels);
        }});
        const Picture picture = host->WholeFrame();
        // Rows up: the fractions' line runs from (16, 96) to (48, 108), the pixels' along row 20.
        EXPECT_TRUE(fraction ? picture.LitNear(32, 102, 2) : picture.LitNear(125, 20, 1));
    }
}

// Within one figure: an item with a stipple of its own leaves it behind for none of the items after
// it, in a frame and drawn straight onto the view: a line that inherits the figure's solid style is
// as whole after a dashed line, arc, ellipse or window polyline as alone.
TEST_F(FiguresInAnyOrderGLTest, AnItemThatInheritsTheStyleIsDrawnSolidAfterOneWithAStippleOfItsOwn)
{
    const CGmPosition line[2] = {CGmPosition(-60, -30, 0), CGmPosition(60, -30, 0)};
    const Define solid = [&](CDsFigureGenerator& g) { g.DrawPolyline(2, line); };
    const float pixels[4] = {20, 100, 140, 100};
    const std::vector<std::pair<const char*, Define>> dashed = {
        {"a dashed polyline", [](CDsFigureGenerator& g) {
             const CGmPosition above[2] = {CGmPosition(-60, 20, 0), CGmPosition(60, 20, 0)};
             g.DrawPolyline(2, above);
         }},
        {"a dashed arc", [](CDsFigureGenerator& g) {
             g.DrawArc(CGmPosition(0, 20, 0), 15, CGmTransformation(), 0, 6.28, 0.1);
         }},
        {"a dashed dynamic ellipse", [](CDsFigureGenerator& g) {
             const bool saved = CDsEllipseStorage::StGetDynamicEllipses();
             CDsEllipseStorage::StSetDynamicEllipses(true);
             g.DrawElipse(CGmPosition(0, 20, 0), CGmUnitVector(0, 0, 1), CGmVector(20, 0, 0), 0.5, 0, 6.28, 0.1);
             CDsEllipseStorage::StSetDynamicEllipses(saved);
         }},
        {"a dashed window polyline", [&](CDsFigureGenerator& g) { g.DrawPolyline2D(2, pixels); }},
    };
    // The lit pixels of the solid line's row (model y = -30), the two ends left out.
    const auto solidPixels = [](const Picture& picture) { return picture.LitIn(25, kWide - 25, kHigh / 2 - 31, kHigh / 2 - 29); };
    for (const bool frame : {true, false}) {
        SCOPED_TRACE(frame ? "frame" : "drawn on the view");
        const auto shown = [frame](CDefinedFigure& figure) { return Shown(figure, frame, eRenderWireframe); };
        CDefinedFigure alone(solid);
        const int expected = solidPixels(shown(alone));
        ASSERT_GE(expected, kWide - 50);
        for (const auto& [name, owner] : dashed) {
            SCOPED_TRACE(name);
            CDefinedFigure figure([&, owner = owner](CDsFigureGenerator& g) {
                g.SetPenStyle(2);
                owner(g);
                g.ResetPenStyle();
                solid(g);
            });
            EXPECT_EQ(solidPixels(shown(figure)), expected);
        }
    }
}

// Every leaf kind in a pen of its own, recorded before a figure of every leaf kind that has none
// (and so draws in its figure's colour, or in the colour its kind takes by default): the two
// pictures agree whichever figure was recorded first, shaded with display lists off and on and in
// mixed mode in perspective. The two lie apart (the pixel leaves stand where their pixels say,
// below and above both).
TEST_F(FiguresInAnyOrderGLTest, AFigureWithoutAPenOfItsOwnIsDrawnAsWhenRecordedFirstAfterEveryLeafKind)
{
    const SPAtransf left = translate_transf(SPAvector(-40, 15, 0)), right = translate_transf(SPAvector(40, 15, 0));
    const std::vector<vyrtest::LeafRecipe> givers = vyrtest::EveryLeafKind(left);
    const std::vector<vyrtest::LeafRecipe> receivers = vyrtest::EveryLeafKind(right, SPAtransf(), false);
    const auto inPixels = [](const std::string& name) { return name.find("2-D polyline") != std::string::npos; };
    struct Setting {
        const char* name;
        ERenderMode mode;
        bool perspective, lists;
    };
    for (const Setting& setting : {Setting{"shaded", eRenderShade, false, false},
                                   Setting{"shaded, display lists", eRenderShade, false, true},
                                   Setting{"mixed, perspective", eRenderMixed, true, false}}) {
        const DisplayLists scope(setting.lists);
        for (const vyrtest::LeafRecipe& giver : givers) {
            // One host for a giver, its figures taken out after each picture: every frame starts
            // from the pen the walk sets, whatever the one before left.
            std::unique_ptr<Host> host = FreshHost(setting.mode);
            if (setting.perspective)
                host->Look(ViewSetup().Pixels(kWide, kHigh).Eye(SPAposition(0, 0, 100)).Field(kWide, kHigh).Clip(1, 300)
                               .Perspective(true));
            for (const vyrtest::LeafRecipe& receiver : receivers) {
                if (giver.name == receiver.name && inPixels(giver.name)) continue;  // the same pixels
                SCOPED_TRACE(giver.name + " before " + receiver.name + ", " + setting.name);
                std::vector<std::unique_ptr<CDefinedFigure>> figures;
                const Picture giverFirst = Recorded(*host, {giver.define, receiver.define}, figures);
                figures.clear();
                const Picture receiverFirst = Recorded(*host, {receiver.define, giver.define}, figures);
                EXPECT_TRUE(SamePicture(giverFirst, receiverFirst));
            }
        }
    }
}
