// Figures recorded at any moment of a host's life, as a host records them: before the view's first
// frame, after another document's window went (no OpenGL context current then), and after the
// camera moved since the last frame. Each is drawn and picked as the same figure recorded after a
// frame of a host that nothing else happened to. A figure defined while no context is current is
// drawn straight onto a view as one defined in a context, and what the host did to it before its
// first draw (a move, a colour, a width) shows.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "HostFixture.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using vyrtest::Host;
using vyrtest::Picture;
using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;

// A host of kSize x kSize pixels, one unit a pixel, looking down at the origin, shaded.
std::unique_ptr<Host> TopHost()
{
    auto host = std::make_unique<Host>(kSize, kSize);
    host->Look(ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300));
    return host;
}

// What a host shows of a figure and what its picks at the origin answer, by selection and by ray.
struct Shown {
    Picture picture;
    bool picked = false, pickedByRay = false;
};

Shown ShownBy(Host& host)
{
    Shown shown;
    shown.picture = host.WholeFrame();
    const std::vector<CDsTypeMask> domain = Host::Domain({Host::kFigureType});
    shown.picked = host.PickAt(SPAposition(0, 0, 0), &domain, false).IsValid();
    shown.pickedByRay = host.PickAt(SPAposition(0, 0, 0), &domain, true).IsValid();
    return shown;
}

// Every leaf kind, and a triangulation recorded into display lists.
std::vector<vyrtest::LeafRecipe> EveryLeafAndATriangulation()
{
    std::vector<vyrtest::LeafRecipe> kinds = vyrtest::EveryLeafKind(SPAtransf());
    kinds.push_back({"triangulation", [](CDsFigureGenerator& g) {
                         ZOVOvivavUrezezovovaza set;
                         const int a = set.AddVertex({-10, -10, 0}), b = set.AddVertex({10, -10, 0}),
                                   c = set.AddVertex({0, 10, 0});
                         set.AddTriangle(a, b, c);
                         g.SetPenColor(CDsColorStorage(255, 128, 0));
                         g.DrawTriangles(set);
                     }});
    return kinds;
}

// Another document drawn and closed with its window first: no OpenGL context is current then.
void CloseAnotherDocument()
{
    std::unique_ptr<Host> other = TopHost();
    other->Refresh();
    other->Close(true);
}

// A figure of each recipe, each given `what` (which defines it).
std::vector<std::unique_ptr<vyrtest::RecipeFigure>> FiguresGiven(const std::vector<vyrtest::LeafRecipe>& kinds,
                                                                const std::function<void(CDsFigure&)>& what)
{
    std::vector<std::unique_ptr<vyrtest::RecipeFigure>> figures;
    for (const vyrtest::LeafRecipe& kind : kinds) {
        figures.push_back(std::make_unique<vyrtest::RecipeFigure>(kind.define));
        what(*figures.back());
    }
    return figures;
}

// What the front buffer shows after a whole frame of the host and the figure drawn straight onto
// its view.
Picture DrawnOnto(Host& host, CDsFigure& figure)
{
    host.WholeFrame();  // nothing else drawn, and the window waits for no repaint
    figure.DrawOnView(&host.View(), eDsDrawModeNormal);
    return host.Front();
}

// What a whole frame of the host shows with the figure recorded into it; the figure is removed
// again (which deletes its groups).
Picture RecordedInto(Host& host, CDsFigure& figure)
{
    figure.Record(true, &host.View());
    EXPECT_TRUE(figure.IsRecorded());
    const Picture picture = host.WholeFrame();
    figure.Remove();
    return picture;
}

class FiguresRecordedAnyTimeGLTest : public vyrtest::HostTest {};

}  // namespace

// Every leaf kind recorded while no OpenGL context is current (another document closed, its window
// going first), into a new host before its first frame or into a host that drew before, is drawn
// and picked as when recorded after a frame; so is a figure given an attribute at such a moment
// (which defines it) and recorded after the host's next frame.
TEST_F(FiguresRecordedAnyTimeGLTest, EveryLeafRecordedWhileNoContextIsCurrentIsDrawnAndPickedAsAfterAFrame)
{
    host_.reset();  // nothing of the fixture current
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<Host>()>>> moments = {
        {"a new host before its first frame, after another document closed with its window first",
         [] {
             std::unique_ptr<Host> other = TopHost();
             other->Refresh();
             std::unique_ptr<Host> host = TopHost();
             other->Close(true);
             return host;
         }},
        {"a host that drew, after another document closed with its window first",
         [] {
             std::unique_ptr<Host> host = TopHost();
             host->Refresh();
             std::unique_ptr<Host> other = TopHost();
             other->Refresh();
             other->Close(true);
             return host;
         }},
    };
    std::vector<vyrtest::LeafRecipe> kinds = vyrtest::EveryLeafKind(SPAtransf());
    kinds.push_back({"triangulation", [](CDsFigureGenerator& g) {
                         ZOVOvivavUrezezovovaza set;
                         const int a = set.AddVertex({-10, -10, 0}), b = set.AddVertex({10, -10, 0}),
                                   c = set.AddVertex({0, 10, 0});
                         set.AddTriangle(a, b, c);
                         g.SetPenColor(CDsColorStorage(255, 128, 0));
                         g.DrawTriangles(set);
                     }});
    for (const vyrtest::LeafRecipe& kind : kinds) {
        std::unique_ptr<Host> reference = TopHost();
        reference->Refresh();
        vyrtest::RecipeFigure recorded(kind.define);
        recorded.Record(true, &reference->View());
        recorded.SetTransparency(1.0f);
        const Shown expected = ShownBy(*reference);
        ASSERT_GT(expected.picture.LitCount(), 0);
        for (const auto& [moment, make] : moments)
            for (const bool defineFirst : {false, true}) {
                // Defined early at one of the moments: what counts is that no context was current.
                if (defineFirst && moment != moments.back().first) continue;
                SCOPED_TRACE(kind.name + ", " + moment + (defineFirst ? ", given an attribute then" : ""));
                std::unique_ptr<Host> host = make();
                vyrtest::RecipeFigure figure(kind.define);
                if (defineFirst) {
                    figure.SetTransparency(1.0f);  // opaque, as it is: the figure is defined now
                    host->Refresh();
                }
                figure.Record(true, &host->View());
                ASSERT_TRUE(figure.IsRecorded());
                figure.SetTransparency(1.0f);
                const Shown shown = ShownBy(*host);
                EXPECT_TRUE(SamePicture(shown.picture, expected.picture));
                EXPECT_EQ(shown.picked, expected.picked);
                EXPECT_EQ(shown.pickedByRay, expected.pickedByRay);
            }
    }
}

// A figure recorded after the eye moved (and a frame showed the new view) while the near and far
// planes fitted to the scene stayed as they were, so that it is drawn alone over the picture, is
// shown at once as a whole frame shows it: where the window shows the model, and hidden by the
// block in front of it as that frame hides it, in parallel and in perspective.
TEST_F(FiguresRecordedAnyTimeGLTest, AFigureRecordedAfterTheEyeMovedIsShownAsAWholeFrameShowsIt)
{
    const std::vector<std::pair<const char*, ViewSetup>> moves = {
        {"panned", ViewSetup().Eye(SPAposition(15, 10, 100)).Target(SPAposition(15, 10, 0))},
        {"panned the other way", ViewSetup().Eye(SPAposition(-20, -5, 100)).Target(SPAposition(-20, -5, 0))},
        {"nearer", ViewSetup().Eye(SPAposition(0, 0, 60)).Target(SPAposition(0, 0, 0))},
    };
    for (const bool perspective : {false, true})
        for (const auto& [name, move] : moves) {
            SCOPED_TRACE(std::string(name) + (perspective ? ", perspective" : ""));
            std::unique_ptr<Host> host = TopHost();
            host->Look(ViewSetup()
                           .Pixels(kSize, kSize)
                           .Eye(SPAposition(0, 0, 100))
                           .Field(kSize, kSize)
                           .Clip(1, 300)
                           .Perspective(perspective));
            ASSERT_NE(host->ShowBlock(SPAposition(-10, -40, -20), SPAposition(10, 40, 0)), nullptr);
            host->Refresh();
            ViewSetup moved = move;
            host->Look(moved.Pixels(kSize, kSize).Field(kSize, kSize).Clip(1, 300).Perspective(perspective));
            host->Refresh();
            // A zigzag under the block's top and over its bottom, reaching out on both sides.
            const auto figures = host->Record({[](CDsFigureGenerator& g) {
                g.SetPenColor(CDsColorStorage(0, 255, 0));
                g.SetPenWidth(3);
                const CGmPosition zigzag[4] = {CGmPosition(-40, -30, -10), CGmPosition(-20, 30, -10),
                                               CGmPosition(20, -30, -10), CGmPosition(40, 30, -10)};
                g.DrawPolyline(4, zigzag);
            }});
            const Picture atOnce = host->Front();
            const Picture whole = host->WholeFrame();
            EXPECT_GT(whole.LitCount(), 0);
            EXPECT_TRUE(SamePicture(atOnce, whole));
        }
}

// A figure defined while no OpenGL context is current (given an attribute after another document
// closed) and then drawn straight onto a view shows every leaf as the same figure defined while a
// context was current: the display-list leaves (recorded triangles, strips, quads, triangulations)
// included, which no list could hold when they were made. Recorded after that, it shows alike too.
TEST_F(FiguresRecordedAnyTimeGLTest, EveryLeafDefinedWhileNoContextIsCurrentIsDrawnOnAViewAsOneDefinedInAContext)
{
    const std::vector<vyrtest::LeafRecipe> kinds = EveryLeafAndATriangulation();
    const auto opaque = [](CDsFigure& figure) { figure.SetTransparency(1.0f); };  // as it is: defines it
    host_->Refresh();  // the fixture's context is current
    const auto references = FiguresGiven(kinds, opaque);
    CloseAnotherDocument();
    ASSERT_EQ(wglGetCurrentContext(), nullptr);
    const auto figures = FiguresGiven(kinds, opaque);
    std::unique_ptr<Host> host = TopHost();
    for (size_t k = 0; k < kinds.size(); ++k) {
        SCOPED_TRACE(kinds[k].name);
        const Picture expected = DrawnOnto(*host, *references[k]);
        ASSERT_GT(expected.LitCount(), 0);
        EXPECT_TRUE(SamePicture(DrawnOnto(*host, *figures[k]), expected));
        EXPECT_TRUE(SamePicture(RecordedInto(*host, *figures[k]), RecordedInto(*host, *references[k])));
    }
}

// A move, a colour and a width given to a figure between a definition while no OpenGL context was
// current and its first draw stay: the figure is recorded, or drawn straight onto a view, as the
// same figure defined in a context and given the same. A line of the figure moved 30 units along
// x is drawn there in the colour given, and nothing is left where it was defined.
TEST_F(FiguresRecordedAnyTimeGLTest, WhatIsDoneToAFigureDefinedWhileNoContextIsCurrentShowsAtItsFirstDraw)
{
    std::vector<vyrtest::LeafRecipe> kinds = EveryLeafAndATriangulation();
    kinds.insert(kinds.begin(), {"vertical line", [](CDsFigureGenerator& g) {
                                     const CGmPosition line[2] = {CGmPosition(0, -20, 0), CGmPosition(0, 20, 0)};
                                     g.DrawPolyline(2, line);
                                 }});
    const auto moveColourWidth = [](CDsFigure& figure) {
        figure.SetTransparency(1.0f);  // defines the figure
        figure.Transform(CGmTransformation(translate_transf(SPAvector(30, 0, 0))));
        figure.SetColor(CDsColorStorage(0, 255, 0), false);
        figure.SetWidth(3, false);
    };
    host_->Refresh();
    const auto recordedReferences = FiguresGiven(kinds, moveColourWidth);
    const auto drawnReferences = FiguresGiven(kinds, moveColourWidth);
    CloseAnotherDocument();
    ASSERT_EQ(wglGetCurrentContext(), nullptr);
    const auto recordedFigures = FiguresGiven(kinds, moveColourWidth);
    const auto drawnFigures = FiguresGiven(kinds, moveColourWidth);
    std::unique_ptr<Host> host = TopHost();
    for (size_t k = 0; k < kinds.size(); ++k) {
        SCOPED_TRACE(kinds[k].name);
        const Picture recorded = RecordedInto(*host, *recordedFigures[k]);
        const Picture expected = RecordedInto(*host, *recordedReferences[k]);
        ASSERT_GT(expected.LitCount(), 0);
        EXPECT_TRUE(SamePicture(recorded, expected)) << "recorded";
        const Picture drawn = DrawnOnto(*host, *drawnFigures[k]);
        EXPECT_TRUE(SamePicture(drawn, DrawnOnto(*host, *drawnReferences[k]))) << "drawn onto the view";
        if (k == 0)
            for (const Picture* shown : {&recorded, &drawn}) {
                // Green at x = 30 (pixel column 80 of 100), nothing left at x = 0 (column 50).
                EXPECT_GT(shown->LitIn(78, 82, 35, 65), 0);
                EXPECT_EQ(shown->LitIn(47, 53, 35, 65), 0);
                EXPECT_EQ(shown->ColorAt(80, 50), (vyrtest::Rgb{0, 255, 0}));
            }
    }
}
