// Picks and snaps on the side of a cylinder a host shows, from every side: the side gives no edge
// where its surface meets itself, to region edge picks, to the edge snaps (ends, middles,
// centres) and to the nearest-point snap; a single pick there answers the body, and the rims stay
// edges to pick and snap to. In wireframe and in shaded pictures.
#include "DsAcisPick.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "HostFixture.h"
#include "UiPickEvent.h"

#include "SpaBuilders.h"
#include "SpaEntity.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using vyrtest::ViewSetup;

namespace {

// A cylinder of radius 15 about z from z = -20 to 20, a hundred model units over the window: seen
// from the side its rims are the rows 30 and 70 (rows down), its side the columns 35 to 65.
class PickClosedFacesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        cylinder_ = host_->Show(make_cylinder(SPAposition(0, 0, -20), SPAvector(0, 0, 1), 15, 40));
        ASSERT_NE(cylinder_, nullptr);
    }
    void LookAlong(const SPAvector& direction)
    {
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 0) + 100 * direction).Up(SPAvector(0, 0, 1)).Field(100, 100)
                        .Clip(1, 300));
        host_->Refresh();
    }
    // The edges a region edge pick between drawable pixels (x1, y1) and (x2, y2) gathers.
    std::vector<EDGE*> RegionEdges(int x1, int y1, int x2, int y2)
    {
        std::vector<EDGE*> edges;
        for (ENTITY* e : host_->RegionEdges(x1, y1, x2, y2))
            if (is_EDGE(e)) edges.push_back(static_cast<EDGE*>(e));
        return edges;
    }

    BODY* cylinder_ = nullptr;
};

}  // namespace

TEST_F(PickClosedFacesGLTest, TheSideOfACylinderGivesNoEdgeToPicksOrSnaps)
{
    for (ERenderMode mode : {eRenderWireframe, eRenderShade}) {
        host_->View().SetRenderMode(mode);
        for (int k = 0; k < 8; ++k) {
            const double turn = k * M_PI / 4;
            LookAlong(SPAvector(std::cos(turn), std::sin(turn), 0));
            // The whole side between the rims: no edge.
            EXPECT_TRUE(RegionEdges(30, 35, 70, 65).empty()) << "view " << k << ", mode " << mode;
            // No end, middle or centre of an edge, nor a nearest point, anywhere down the side.
            for (int x = 35; x <= 65; x += 3)
                for (int y : {40, 50, 60}) {
                    EXPECT_EQ(host_->Snap(x, y, {256, 257, 258, 259}), nullptr)
                        << "(" << x << ", " << y << "), view " << k << ", mode " << mode;
                    EXPECT_EQ(host_->Snap(x, y, {267}), nullptr)
                        << "(" << x << ", " << y << "), view " << k << ", mode " << mode;
                }
            // A single pick on the side answers the cylinder in shaded pictures.
            if (mode == eRenderShade) {
                const CDsPickedItem picked = host_->Pick(50, 50);
                EXPECT_TRUE(picked.IsValid()) << "view " << k;
                EXPECT_EQ(host_->BodyOf(picked.GetObjectPath()), cylinder_) << "view " << k;
            }
            // The rims are edges still: the region over the top rim gathers it, and a snap there
            // gives the centre of its circle (in wireframe; in shaded pictures the side hides it)
            // or the nearest point of it.
            const std::vector<EDGE*> rims = RegionEdges(30, 27, 70, 33);
            ASSERT_EQ(rims.size(), 1u) << "view " << k << ", mode " << mode;
            EXPECT_TRUE(is_elliptical_edge(rims[0]));
            const bool wire = mode == eRenderWireframe;
            const std::unique_ptr<CDsRefPoint> onRim = host_->Snap(50, 30, {wire ? 259 : 267});
            ASSERT_NE(onRim, nullptr) << "view " << k << ", mode " << mode;
            EXPECT_NEAR(CDsRefPoint::sLastPosition.z(), 20, 1e-6);
            EXPECT_NEAR(std::hypot(CDsRefPoint::sLastPosition.x(), CDsRefPoint::sLastPosition.y()), wire ? 0 : 15, 1e-3);
        }
    }
    EXPECT_EQ(host_->View().get_pick_mode(), 0);
}
