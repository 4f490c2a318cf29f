// A host that draws a frame of its own with the core's exported renderers: it hands each renderer
// a pointer to its list of object paths (null for none) and a pointer to the frame's draw
// context, and reads the picture back. Two blocks are shown through the host's body geometry, one
// left of the view's centre and one right of it.
#include "DsDrawContext.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsRendererHiddenLine.h"
#include "DsRendererMixed.h"
#include "DsRendererShade.h"
#include "DsRendererWireframe.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "HostFixture.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

using vyrtest::ViewSetup;

// The form a host compiles against: the list and the draw context by pointer.
static_assert(std::is_same_v<decltype(&CDsRendererBase::Render),
                             void (CDsRendererBase::*)(const std::vector<CVyrObjectPath>*, bool, const int*,
                                                       CDsDrawContext*)>,
              "Render takes a pointer to the list of object paths and to the frame's draw context");

namespace {

constexpr int kSize = 100;

class RenderersFromHostGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // Looking down -z at a 100 x 100 model-unit field: one unit a pixel.
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300));
        left_ = host_->ShowBlock(SPAposition(-40, -10, -10), SPAposition(-10, 10, 10));
        right_ = host_->ShowBlock(SPAposition(10, -10, -10), SPAposition(40, 10, 10));
        ASSERT_TRUE(left_ && right_);
        host_->Refresh();  // the scene database's locations are in step with the items
    }
    CDsGlContext& Context() { return host_->Context(); }
    CDsView3dCdc& View() { return host_->View(); }
    // One frame of `renderer` into the back buffer over a black picture, as the host sets it up.
    void Frame(CDsRendererBase& renderer, const std::vector<CVyrObjectPath>* paths, bool walkAll)
    {
        View().SetupRenderingTransforms(false, true, false, nullptr);
        glDrawBuffer(GL_BACK);
        vyrtest::Clear({0, 0, 0});
        const int viewport[4] = {0, kSize, kSize, 0};
        CDsDrawContext record(&View(), false, 0.05);
        renderer.Render(paths, walkAll, viewport, &record);
        glFinish();
    }
    // How many pixels of the back buffer in columns [x0, x1) are not black.
    static int Lit(int x0, int x1)
    {
        std::vector<unsigned char> rgb(static_cast<size_t>(x1 - x0) * kSize * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x0, 0, x1 - x0, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        int lit = 0;
        for (size_t i = 0; i < rgb.size(); i += 3) lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 40;
        return lit;
    }

    BODY* left_ = nullptr;
    BODY* right_ = nullptr;
};

}  // namespace

// Every renderer draws what the list names (left block only), everything but it (right block
// only), everything for a null list walked whole, and nothing for a null list walked by its
// entries; a list the host may change passes as well as a const one.
TEST_F(RenderersFromHostGLTest, EachRendererDrawsThePathsAHostPointsItTo)
{
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<CDsRendererBase>()>>> renderers{
        {"shade", [&] { return std::make_unique<CDsRendererShade>(&View(), Context().GetScene()); }},
        {"wireframe", [&] { return std::make_unique<CDsRendererWireframe>(&View(), Context().GetScene()); }},
        {"hidden lines", [&] { return std::make_unique<CDsRendererHiddenLine>(&View(), Context().GetScene()); }},
        {"mixed", [&] { return std::make_unique<CDsRendererMixed>(Context().GetScene(), &View(), false); }},
    };
    std::vector<CVyrObjectPath> left{host_->PathOf(left_)};
    const std::vector<CVyrObjectPath>& constLeft = left;
    for (const auto& [name, make] : renderers) {
        SCOPED_TRACE(name);
        // A block's outline alone lights some 100 pixels, its faces some 600.
        const int some = 60;
        std::unique_ptr<CDsRendererBase> renderer = make();
        Frame(*renderer, &left, false);
        EXPECT_GT(Lit(0, 50), some);
        EXPECT_EQ(Lit(50, kSize), 0);

        renderer = make();
        Frame(*renderer, &constLeft, true);
        EXPECT_EQ(Lit(0, 50), 0);
        EXPECT_GT(Lit(50, kSize), some);

        renderer = make();
        Frame(*renderer, nullptr, true);
        EXPECT_GT(Lit(0, 50), some);
        EXPECT_GT(Lit(50, kSize), some);

        renderer = make();
        Frame(*renderer, nullptr, false);
        EXPECT_EQ(Lit(0, kSize), 0);
    }
}
