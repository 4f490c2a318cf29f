// Figures recorded at any moment of a host's life, as a host records them: before the view's first
// frame, after another document's window went (no OpenGL context current then), and after the
// camera moved since the last frame. Each is drawn and picked as the same figure recorded after a
// frame of a host that nothing else happened to.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "GmPosition.h"
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
