// Faces on surfaces that close on themselves (the side of a cylinder, a cone or a hole) as a host
// draws them: the lines of the picture are their rims, and no line runs down them where the
// surface meets itself, whichever side they are seen from. (A sphere's picture without outlines:
// SilhouettesGLTest.)
#include "DsGlContext.h"
#include "DsView3dCdc.h"
#include "HostFixture.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

using vyrtest::Picture;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;

class ClosedFacesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Context().SetSilhouetteLevel(eDsSilhouetteNone);
    }
    // Looks at the origin from 100 units along `direction`, +z up, 100 model units over the window
    // (model point (x, z) seen from -y lands on pixel (50 + x, 50 + z), rows up).
    void LookAlong(const SPAvector& direction)
    {
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 0) + 100 * direction).Up(SPAvector(0, 0, 1)).Field(kSize, kSize)
                        .Clip(1, 300));
    }
    // The pixels of `body` (shown as the host's only body) in a whole frame in `mode`: those lit
    // with the body shown and not without it (the view's own marks left out).
    Picture BodyPixels(BODY* body, ERenderMode mode)
    {
        host_->View().SetRenderMode(mode);
        const Picture with = host_->WholeFrame();
        host_->Hide(body);
        const Picture without = host_->WholeFrame();
        host_->ShowAgain(body);
        Picture only = with;
        for (size_t i = 0; i + 2 < only.rgb.size(); i += 3)
            if (without.rgb[i] + without.rgb[i + 1] + without.rgb[i + 2] > 60) only.rgb[i] = only.rgb[i + 1] = only.rgb[i + 2] = 0;
        return only;
    }
};

}  // namespace

// Seen from twelve directions round its axis, a cylinder and a cone show their rims (edge-on, the
// rows of z = -20 and 20) and nothing between them, in wireframe and with hidden lines.
TEST_F(ClosedFacesGLTest, TheSideOfACylinderOrAConeShowsNoLineDownIt)
{
    const struct {
        const char* name;
        std::function<BODY*()> make;
    } bodies[] = {
        {"cylinder", [] { return make_cylinder(SPAposition(0, 0, -20), SPAvector(0, 0, 1), 15, 40); }},
        {"frustum", [] { return make_cone(SPAposition(0, 0, -20), SPAvector(0, 0, 1), 20, 10, 40); }},
        {"pointed cone", [] { return make_cone(SPAposition(0, 0, -20), SPAvector(0, 0, 1), 20, 0, 40); }},
    };
    for (const auto& body : bodies) {
        BODY* shown = host_->Show(body.make());
        ASSERT_NE(shown, nullptr) << body.name;
        for (int k = 0; k < 12; ++k) {
            const double turn = 0.05 + k * M_PI / 6;
            LookAlong(SPAvector(std::cos(turn), std::sin(turn), 0));
            for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines}) {
                const Picture lines = BodyPixels(shown, mode);
                EXPECT_GT(lines.LitIn(0, kSize - 1, 29, 31), 15) << body.name << ", the base, view " << k;
                EXPECT_EQ(lines.LitIn(0, kSize - 1, 33, 67), 0) << body.name << ", view " << k << ", mode " << mode;
            }
        }
        host_->Hide(shown);
    }
}

// A block drilled through from top to bottom, seen from its front, shows its edges round the
// front (the hole's rims lie edge-on in its top and bottom) and nothing inside them.
TEST_F(ClosedFacesGLTest, AHoleDrilledThroughABlockShowsNoLineDownItsWall)
{
    BODY* block = make_block(-30, -20, -30, 30, 20, 30);
    BODY* drill = make_cylinder(SPAposition(0, 0, -40), SPAvector(0, 0, 1), 10, 80);
    ASSERT_NE(block, nullptr);
    ASSERT_NE(drill, nullptr);
    BODY* drilled = subtract_bodies(block, drill);
    block->lose();
    drill->lose();
    ASSERT_NE(host_->Show(drilled), nullptr);
    for (const SPAvector& direction : {SPAvector(0, -1, 0), SPAvector(0, 1, 0), SPAvector(1, 0, 0), SPAvector(-1, 0, 0)}) {
        LookAlong(direction);
        const Picture lines = BodyPixels(drilled, eRenderWireframe);
        // The block's edges: rows 20 and 80, columns 20 or 30 and 70 or 80.
        EXPECT_GT(lines.LitIn(0, kSize - 1, 79, 81), 30);
        EXPECT_GT(lines.LitIn(0, kSize - 1, 19, 21), 30);
        EXPECT_EQ(lines.LitIn(32, 68, 23, 77), 0) << direction.x() << " " << direction.y();
    }
}
