// What the shaded render modes draw of a body a host shows, as VyrViewTypes.h says: mode 3 the
// faces with their edges, every face opaque; mode 4 the same, with partly transparent faces
// blended over the rest.
#include "DsAttributes.h"
#include "DsGlContext.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>

using vyrtest::Picture;
using vyrtest::ViewSetup;

namespace {

class RenderModesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // Looking down -z at an oblique block: its top and two sides meet along edges in the picture.
        host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
        block_ = host_->ShowBlock(SPAposition(-20, -15, -10), SPAposition(20, 15, 10));
        ASSERT_NE(block_, nullptr);
    }
    Picture In(ERenderMode mode)
    {
        host_->View().SetRenderMode(mode);
        return host_->WholeFrame();
    }
    BODY* block_ = nullptr;
};

}  // namespace

TEST_F(RenderModesGLTest, ModesThreeAndFourDrawTheFacesWithTheirEdgesAndDifferInTransparencyOnly)
{
    const Picture shaded = In(eRenderShade);
    EXPECT_TRUE(vyrtest::SamePicture(In(eRenderMixed), shaded));  // an opaque body

    // The edges are drawn over the lit faces in their own colour, unlit, where the wireframe draws
    // them; a face lit from the side is darker.
    const Picture wire = In(eRenderWireframe);
    int edges = 0, darker = 0;
    for (int y = 0; y < kHostSize; ++y)
        for (int x = 0; x < kHostSize; ++x) {
            if (wire.Lit(x, y))
                edges += std::equal(wire.At(x, y), wire.At(x, y) + 3, shaded.At(x, y));
            else
                darker += shaded.Lit(x, y) && shaded.At(x, y)[0] < 200;
        }
    EXPECT_GT(edges, 100);
    EXPECT_GT(darker, 100);

    // Half transparent: mode 4 blends the faces over the black background, mode 3 draws them opaque.
    CDsAttributes look;
    look.SetColor(vyrtest::Host::kOrange);
    look.SetTransparency(128);
    host_->Hide(block_);
    const int id = host_->IdOf(block_);
    ASSERT_TRUE(VyrShowBody(&host_->Context(), block_, id, &look));
    const Picture opaque = In(eRenderShade), blended = In(eRenderMixed);
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(0, 0, 10), x, y));
    const unsigned char* o = opaque.At(x, kHostSize - 1 - y);
    const unsigned char* b = blended.At(x, kHostSize - 1 - y);
    EXPECT_LT(b[0] + b[1] + b[2] + 60, o[0] + o[1] + o[2]);
    EXPECT_TRUE(VyrHideBody(&host_->Context(), block_, id));
    host_->ShowAgain(block_);
}
