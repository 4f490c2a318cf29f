// Highlights of bodies of every shape the modeler makes, in every render mode, read back from the
// window: what a body shows takes the highlight's colour whole (curved faces as planar ones, an
// outline as an edge), and the highlight drawn at once over the picture is what a whole frame of
// the highlighted state draws. A special state shows, or hides, behind a body in front alike
// whether it is drawn at once or by a whole frame.
#include "DsGlContext.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "HostFixture.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using vyrtest::DifferingPixels;
using vyrtest::Picture;
using vyrtest::ViewSetup;

namespace {

const ERenderMode kEveryMode[] = {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade,
                                  eRenderMixed};

struct Shape {
    const char* name;
    std::function<BODY*()> make;
};

// One body of every shape the modeler makes, about the origin within 20 units.
std::vector<Shape> EveryShape()
{
    return {
        {"block", [] { return make_block(-15, -15, -10, 15, 15, 10); }},
        {"cylinder", [] { return make_cylinder(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 15, 20); }},
        {"cone", [] { return make_cone(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 15, 5, 20); }},
        {"sphere", [] { return make_sphere(SPAposition(0, 0, 0), 15); }},
        {"torus", [] { return make_torus(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 14, 5); }},
        {"plate with a hole",
         [] {
             BODY* plate = make_block(-20, -15, -5, 20, 15, 5);
             BODY* hole = make_cylinder(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 7, 20);
             BODY* holed = plate && hole ? subtract_bodies(plate, hole) : nullptr;
             if (plate) plate->lose();
             if (hole) hole->lose();
             return holed;
         }},
    };
}

// Whether `pixel` is lit in the hue of `color` (0x00BBGGRR), however bright the light leaves it:
// the two point the same way in colour space, within about 15 degrees.
bool InHue(const unsigned char* pixel, unsigned color)
{
    const double c[3] = {double(color & 0xFF), double((color >> 8) & 0xFF), double((color >> 16) & 0xFF)};
    const double p[3] = {double(pixel[0]), double(pixel[1]), double(pixel[2])};
    const double dot = c[0] * p[0] + c[1] * p[1] + c[2] * p[2];
    const double lengths = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]) * std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return p[0] + p[1] + p[2] > 30 && dot > 0.965 * lengths;
}

// Seen from a corner, shaded, with the outlines of every curved face drawn.
class HighlightedShapesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
        host_->Context().SetSilhouetteLevel(eDsSilhouetteAll);
    }
    // A whole frame of the present state in `mode`.
    Picture Frame(ERenderMode mode)
    {
        host_->View().SetRenderMode(mode);
        return host_->WholeFrame();
    }
    // What a whole frame shows with the location of `body` in `state`; the state is put back.
    Picture FrameInState(BODY* body, EAttribSetIndex state)
    {
        std::vector<CVyrObjectPath> paths = {host_->PathOf(body)};
        host_->Context().ModifyLocations(paths, state);
        const Picture frame = host_->WholeFrame();
        host_->Context().ModifyLocations(paths, eAttribSetNormal);
        return frame;
    }
    // What the window shows with `body` highlighted in `state` over the picture; the highlight is
    // taken away again.
    Picture Highlighted(BODY* body, EAttribSetIndex state)
    {
        host_->Context().HighlightLocations({host_->PathOf(body)}, state);
        const Picture lit = host_->Front();
        host_->Context().UnHighlightLocations();
        return lit;
    }
};

}  // namespace

TEST_F(HighlightedShapesGLTest, EveryShapeTakesTheHighlightColourWholeInEveryRenderModeAsAWholeFrameDrawsIt)
{
    const unsigned highlight = CDsScene::GetSpecialAttrs(eAttribSetHighlight).GetColor();
    for (const Shape& shape : EveryShape()) {
        BODY* body = host_->Show(shape.make());
        ASSERT_NE(body, nullptr) << shape.name;
        host_->Hide(body);
        for (const ERenderMode mode : kEveryMode) {
            SCOPED_TRACE(::testing::Message() << shape.name << ", render mode " << int(mode));
            const Picture empty = Frame(mode);
            host_->ShowAgain(body);
            const Picture plain = Frame(mode);
            const Picture lit = Highlighted(body, eAttribSetHighlight);
            // The body's pixels: faces in the shade modes, its lines (edges, outlines, dimmed hidden
            // lines) in the line modes.
            int shown = 0, highlighted = 0;
            for (int y = 0; y < kHostSize; ++y)
                for (int x = 0; x < kHostSize; ++x) {
                    if (std::equal(plain.At(x, y), plain.At(x, y) + 3, empty.At(x, y))) continue;
                    ++shown;
                    highlighted += InHue(lit.At(x, y), highlight);
                }
            EXPECT_GT(shown, 80);
            EXPECT_GE(highlighted, shown * 98 / 100) << "of " << shown << " pixels the body shows";
            EXPECT_LE(DifferingPixels(lit, FrameInState(body, eAttribSetHighlight)), 6);
            host_->Hide(body);
        }
    }
}

// A block in front of another, seen from above: the one behind lies wholly within the one in
// front. A location in a special state draws its lines in front of every ordinary drawing (the
// selected, highlighted and highlighted-marked states in the nearest depth layer, the slaves of a
// marked master in the one behind it), so they show through the block in front, whichever road
// draws them.
TEST_F(HighlightedShapesGLTest, ASpecialStateShowsThroughABodyInFrontAlikeDrawnAtOnceOrByAWholeFrame)
{
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    BODY* front = host_->ShowBlock(SPAposition(-30, -30, 20), SPAposition(30, 30, 30), 0xFF8000);
    ASSERT_NE(front, nullptr);
    BODY* behind = host_->ShowBlock(SPAposition(-15, -10, -10), SPAposition(15, 10, 10));
    ASSERT_NE(behind, nullptr);
    for (const ERenderMode mode : kEveryMode) {
        const Picture plain = Frame(mode);
        for (const EAttribSetIndex state :
             {eAttribSetMark, eAttribSetHighlight, eAttribSetHighlightMarked, eAttribSetMarkedSlave}) {
            SCOPED_TRACE(::testing::Message() << "render mode " << int(mode) << ", state " << int(state));
            const Picture atOnce = Highlighted(behind, state);
            const Picture whole = FrameInState(behind, state);
            // Inside the front block's square (x and y within 30 of the middle, less a margin for
            // the perspective), where its top hides the block behind in the modes with faces.
            int shownAtOnce = 0, shownWhole = 0, disagree = 0;
            for (int y = 24; y < 76; ++y)
                for (int x = 24; x < 76; ++x) {
                    const bool a = !std::equal(atOnce.At(x, y), atOnce.At(x, y) + 3, plain.At(x, y));
                    const bool b = !std::equal(whole.At(x, y), whole.At(x, y) + 3, plain.At(x, y));
                    shownAtOnce += a;
                    shownWhole += b;
                    disagree += a != b;
                }
            EXPECT_GT(shownWhole, 150);
            EXPECT_GT(shownAtOnce, 150);
            EXPECT_LE(disagree, 6) << shownAtOnce << " pixels drawn at once, " << shownWhole << " by a whole frame";
        }
    }
}
