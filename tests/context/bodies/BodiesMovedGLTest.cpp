// Bodies a host changes, whatever road it takes (an edit of a face's mesh in place): the next
// refresh draws what a whole new frame draws, and the picks answer where the window shows the body.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "HostFixture.h"
#include "GmPosition.h"
#include "VyrIndexedMesh.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

// A block from (-20, -10, -10) to (20, 10, 10) seen from above, one model unit a pixel, shaded.
class BodiesMovedGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
        block_ = host_->ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
        ASSERT_NE(block_, nullptr);
        host_->Refresh();
    }
    CDsGlContext& Context() { return host_->Context(); }
    CDsItemsBody* Item() { return Context().FindDsBody(block_); }
    bool Picked(const SPAposition& p) { return host_->PickAt(p).GetObjectPath() == host_->PathOf(block_); }
    // The region pick around the model box [low, high] (its corners' pixels, widened by 3).
    std::vector<CVyrObjectPath> RegionAround(const SPAposition& low, const SPAposition& high)
    {
        int x0 = 1 << 20, y0 = 1 << 20, x1 = -x0, y1 = -y0;
        for (int corner = 0; corner < 8; ++corner) {
            int x = 0, y = 0;
            host_->PixelOf(SPAposition(corner & 1 ? high.x() : low.x(), corner & 2 ? high.y() : low.y(),
                                       corner & 4 ? high.z() : low.z()),
                           x, y);
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
        return host_->Region(x0 - 3, y0 - 3, x1 + 3, y1 + 3);
    }
    // The refresh draws what a whole frame draws; the body is seen and picked at `now` on its top
    // (z = 10) and not at `gone`; a region around [low, high] finds it, one around [oldLow,
    // oldHigh], where it was, does not.
    void ExpectShownAt(const SPAposition& now, const SPAposition& gone, const SPAposition& low,
                       const SPAposition& high, const SPAposition& oldLow, const SPAposition& oldHigh)
    {
        host_->Refresh();
        const vyrtest::Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(now, x, y));
        EXPECT_TRUE(refreshed.Lit(x, kHostSize - 1 - y));
        ASSERT_TRUE(host_->PixelOf(gone, x, y));
        EXPECT_FALSE(refreshed.Lit(x, kHostSize - 1 - y));
        EXPECT_TRUE(Picked(now));
        EXPECT_FALSE(Picked(gone));
        const std::vector<CVyrObjectPath> block = {host_->PathOf(block_)};
        EXPECT_EQ(RegionAround(low, high), block);
        EXPECT_TRUE(RegionAround(oldLow, oldHigh).empty());
    }

    BODY* block_ = nullptr;
};

}  // namespace

TEST_F(BodiesMovedGLTest, AnEditOfAFacesMeshInPlaceIsDrawnAndPickedAtTheNextRefresh)
{
    // The top face's nodes moved 30 to the right: the top face now reaches x = 50.
    CDsItemsFace* top = nullptr;
    for (int i = 0; i < Item()->FacesCount(); ++i) {
        CGmPosition low, high;
        CDsItemsFace* face = Item()->GetFaceItem(i);
        if (face->GetBox(low, high, false) && low.z() > 9.9) top = face;
    }
    ASSERT_NE(top, nullptr);
    CVyrIndexedMesh* mesh = top->GetMesh();
    ASSERT_NE(mesh, nullptr);
    for (int i = 0; i < mesh->get_num_vertex(); ++i) {
        SPAposition p;
        SPAunit_vector n;
        mesh->get_vertex(i)->GetPosition(p);
        mesh->get_vertex(i)->GetNormal(n);
        const SPApar_pos uv = mesh->get_uv(i);
        mesh->get_vertex_for_edit(i)->set_data(p + SPAvector(30, 0, 0), n, uv);
    }
    ExpectShownAt(SPAposition(45, 0, 10), SPAposition(-30, 0, 10), SPAposition(-20, -10, -10), SPAposition(50, 10, 10),
                  SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    CGmPosition low, high;
    ASSERT_TRUE(top->GetBox(low, high, true));
    EXPECT_NEAR(high.x(), 50, 1e-3);
    SPAposition sceneLow, sceneHigh;
    Context().GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneHigh.x(), 50, 1e-3);
    // Nothing edited since: a refresh draws nothing.
    const long frames = Context().GetScene()->GetRefreshCounter();
    host_->Refresh();
    EXPECT_EQ(Context().GetScene()->GetRefreshCounter(), frames);
}
