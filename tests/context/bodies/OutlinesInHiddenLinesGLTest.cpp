// Outlines of curved faces in hidden-line pictures, as a host draws them: a body alone shows its
// whole outline, as wireframe does (its own faces in front of the outline do not hide it), and a
// body in front still hides the part of another body's outline behind it.
#include "DsGlContext.h"
#include "DsView3dCdc.h"
#include "HostFixture.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

using vyrtest::Picture;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 200;
// How far a hidden-line frame may draw an outline from where wireframe draws it: it moves the
// outline just off its own face's mesh, by up to a pixel or two.
constexpr int kNear = 3;

class OutlinesInHiddenLinesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_ = std::make_unique<vyrtest::Host>(kSize, kSize);
    }
    // Looks at the origin from `eye` with +z up, the whole scene fitted to the window.
    void LookFrom(const SPAvector& eye)
    {
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 0) + eye).Up(SPAvector(0, 0, 1)).Field(100, 100).Clip(1, 400));
        host_->View().ZoomAll(1.0f);
    }
    Picture Frame(ERenderMode mode, EDsSilhouetteLevel level)
    {
        host_->Context().SetSilhouetteLevel(level);
        host_->View().SetRenderMode(mode);
        return host_->WholeFrame();
    }
    // The pixels lit in `wire` with none lit within kNear pixels of them in `lines`.
    static int Missing(const Picture& wire, const Picture& lines)
    {
        int missing = 0;
        for (int y = 0; y < wire.height; ++y)
            for (int x = 0; x < wire.width; ++x) {
                if (!wire.Lit(x, y)) continue;
                bool near = false;
                for (int j = -kNear; j <= kNear && !near; ++j)
                    for (int i = -kNear; i <= kNear && !near; ++i) near = lines.Lit(x + i, y + j);
                missing += !near;
            }
        return missing;
    }
};

}  // namespace

// Seen from the side, every line of a frustum, a pointed cone, a cylinder and a sphere is in
// sight: the hidden-line picture shows all the wireframe shows, the outline whole from rim to rim.
TEST_F(OutlinesInHiddenLinesGLTest, ALoneBodySeenFromTheSideShowsItsWholeOutline)
{
    const struct {
        const char* name;
        std::function<BODY*()> make;
        EDsSilhouetteLevel level;
    } bodies[] = {
        {"frustum", [] { return make_cone(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 15, 5, 20); },
         eDsSilhouetteCylinders},
        {"pointed cone", [] { return make_cone(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 15, 0, 20); },
         eDsSilhouetteCylinders},
        {"cylinder", [] { return make_cylinder(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 15, 20); },
         eDsSilhouetteCylinders},
        {"sphere", [] { return make_sphere(SPAposition(0, 0, 0), 15); }, eDsSilhouetteAll},
    };
    for (const auto& body : bodies) {
        BODY* shown = host_->Show(body.make());
        ASSERT_NE(shown, nullptr) << body.name;
        for (int k = 0; k < 6; ++k) {
            const double turn = 0.1 + k * M_PI / 3;
            LookFrom(SPAvector(100 * std::cos(turn), 100 * std::sin(turn), 0));
            const Picture wire = Frame(eRenderWireframe, body.level);
            const Picture hidden = Frame(eRenderHiddenLines, body.level);
            ASSERT_GT(wire.LitCount(), 100) << body.name;
            EXPECT_EQ(Missing(wire, hidden), 0) << body.name << ", view " << k;
            // Without outlines only the rims show: the outlines are what the frame adds.
            const Picture rims = Frame(eRenderHiddenLines, eDsSilhouetteNone);
            EXPECT_GT(hidden.LitCount(), rims.LitCount() + 60) << body.name << ", view " << k;
        }
        host_->Hide(shown);
    }
}

// A block in front of a frustum's right side hides the outline behind it; the rest of the outline
// shows, and wireframe shows it all.
TEST_F(OutlinesInHiddenLinesGLTest, AnOutlineBehindAnotherBodyStaysHidden)
{
    // Away from the origin, where the view draws its coordinate system. From -y the frustum's
    // outline runs from (85, -10) to (95, 10) and from (115, -10) to (105, 10) in (x, z); the block
    // covers x from 104 to 130 and z from -4 to 4, in front of it.
    host_->Show(make_cone(SPAposition(100, 0, -10), SPAvector(0, 0, 1), 15, 5, 20));
    host_->ShowBlock(SPAposition(104, -40, -4), SPAposition(130, -30, 4));
    host_->Look(ViewSetup().Eye(SPAposition(100, -100, 0)).Target(SPAposition(100, 0, 0)).Up(SPAvector(0, 0, 1))
                    .Field(100, 100).Clip(1, 400));
    host_->View().ZoomAll(1.0f);
    const Picture wire = Frame(eRenderWireframe, eDsSilhouetteCylinders);
    const Picture hidden = Frame(eRenderHiddenLines, eDsSilhouetteCylinders);
    // Whether a picture is lit within two pixels, along the row, of model point (x, 0, z).
    auto litNear = [&](const Picture& picture, double x, double z) {
        int column = 0, down = 0;
        EXPECT_TRUE(host_->PixelOf(SPAposition(x, 0, z), column, down));
        for (int i = -2; i <= 2; ++i)
            if (picture.Lit(column + i, kSize - 1 - down)) return true;
        return false;
    };
    for (double z = -2.5; z <= 2.5; z += 0.5) {
        EXPECT_TRUE(litNear(wire, 110 - 0.5 * z, z)) << "wireframe, z " << z;
        EXPECT_FALSE(litNear(hidden, 110 - 0.5 * z, z)) << "behind the block, z " << z;
        EXPECT_TRUE(litNear(hidden, 90 + 0.5 * z, z)) << "beside the block, z " << z;
    }
    for (double z : {-8.0, -6.0, 6.0, 8.0}) EXPECT_TRUE(litNear(hidden, 110 - 0.5 * z, z)) << "off the block, z " << z;
    // Inside its edges the block shows no more than without outlines.
    const Picture none = Frame(eRenderHiddenLines, eDsSilhouetteNone);
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(104, -40, 4), left, top));
    ASSERT_TRUE(host_->PixelOf(SPAposition(130, -40, -4), right, bottom));
    int added = 0;
    for (int x = left + 2; x <= std::min(right - 2, kSize - 1); ++x)
        for (int down = top + 2; down <= bottom - 2; ++down)
            added += hidden.Lit(x, kSize - 1 - down) && !none.Lit(x, kSize - 1 - down);
    EXPECT_EQ(added, 0);
}
