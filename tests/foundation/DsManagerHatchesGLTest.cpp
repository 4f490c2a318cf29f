// The display manager's hatch table: made by InitDisplayPackage from the four built-in stipples,
// textures that show what the stipples show when OpenGL draws them, and hatched polygons drawn
// through SetHatchToView for the four hatch indexes only.
#include "DisplayStateGuard.h"

#include "DsDriverGl.h"
#include "DsHatchPattern.h"
#include "DsManager.h"
#include "DsTextureData.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "TestResets.h"
#include "ViewSetup.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using vyrtest::Rgb;

namespace {

class DsManagerHatchesGLTest : public vyrtest::GlTest {
protected:
    void SetUp() override
    {
        vyrtest::GlTest::SetUp();
        vyrtest::ViewSetup().Clip(1.0, 100.0).ApplyTo(view_);
        CDsView3dCdc::sCurrentView = &view_;
    }
    void TearDown() override
    {
        CDsManager::GetInstance()->RemoveAllTextures(&view_);
        CDsView3dCdc::sCurrentView = nullptr;
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        vyrtest::GlTest::TearDown();
    }

    // The view's camera, a white light from the viewer, a grey background.
    void PrepareLitView()
    {
        view_.SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_SCISSOR_TEST);
        glEnable(GL_LIGHT0);
        vyrtest::Clear(Rgb{60, 60, 60});
    }

    // A square of 8 x 4 model units (160 x 80 pixels) around the origin, facing the viewer.
    static std::pair<std::vector<SPAposition>, unsigned> Square()
    {
        return {{SPAposition(-4, -2, 0), SPAposition(4, -2, 0), SPAposition(4, 2, 0), SPAposition(-4, 2, 0)},
                GL_QUADS};
    }

    // The red channel of the back buffer over a w x h block from (x, y), rows from the bottom.
    static std::vector<int> Red(int x, int y, int w, int h)
    {
        std::vector<unsigned char> rgb(size_t(w * h * 3));
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<int> red(size_t(w * h));
        for (size_t i = 0; i < red.size(); ++i) red[i] = rgb[3 * i];
        return red;
    }

    void Hatch(unsigned char index, bool on)
    {
        CDsManager::GetInstance()->SetHatchToView(index, &view_, Square(), SPAunit_vector(1, 0, 0),
                                                  SPAunit_vector(0, 0, 1), on, false);
    }

    vyrtest::DisplayStateGuard guard_;
    CDsView3dCdc view_;
};

}  // namespace

TEST_F(DsManagerHatchesGLTest, InitDisplayPackageMakesTheFourHatchesOnce)
{
    CDsManager* manager = CDsManager::GetInstance();
    ASSERT_EQ(manager->GetHatchPattern(0), nullptr);
    const HGLRC current = wglGetCurrentContext();
    manager->InitDisplayPackage();
    EXPECT_EQ(wglGetCurrentContext(), current);  // the test's context is current again
    CDsHatchPattern* made[CDsManager::kHatchCount];
    for (int i = 0; i < CDsManager::kHatchCount; ++i) {
        made[i] = manager->GetHatchPattern(i);
        ASSERT_NE(made[i], nullptr);
        EXPECT_EQ(std::memcmp(made[i]->GetMask(), CDsHatchPattern::StGetStipple(i), CDsHatchPattern::kMaskBytes), 0);
    }
    EXPECT_EQ(manager->GetHatchPattern(4), nullptr);
    EXPECT_EQ(manager->GetHatchPattern(-1), nullptr);
    manager->InitDisplayPackage();
    for (int i = 0; i < CDsManager::kHatchCount; ++i) EXPECT_EQ(manager->GetHatchPattern(i), made[i]);
}

TEST_F(DsManagerHatchesGLTest, HatchTexturesShowWhatTheStipplesDrawPixelForPixel)
{
    vyrtest::SetPixelProjection(200, 100);
    for (int index = 0; index < CDsHatchPattern::kStippleCount; ++index) {
        SCOPED_TRACE(index);
        const CDsHatchPattern pattern(index);
        vyrtest::Clear(Rgb{255, 255, 255});
        glPolygonStipple(pattern.GetMask());
        glEnable(GL_POLYGON_STIPPLE);
        vyrtest::FillRect(Rgb{0, 0, 0}, 0, 0, 32, 32);
        glDisable(GL_POLYGON_STIPPLE);
        const std::vector<int> drawn = Red(0, 0, 32, 32);
        SDsTextureData texture;
        ASSERT_TRUE(CDsManager::GetInstance()->GetTextureData(pattern.GetMaskTextureId(), texture));
        int mismatches = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool dark = drawn[size_t(y * 32 + x)] < 128;
                const bool opaque = texture.buffer.Row(y)[x].a == 255;
                mismatches += dark != opaque;
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST_F(DsManagerHatchesGLTest, OnlyTheFourHatchIndexesDraw)
{
    CDsManager* manager = CDsManager::GetInstance();
    PrepareLitView();
    Hatch(0, true);  // no hatch table yet: nothing
    std::vector<int> red = Red(25, 15, 150, 70);
    EXPECT_EQ(*std::min_element(red.begin(), red.end()), 60);
    EXPECT_EQ(*std::max_element(red.begin(), red.end()), 60);

    manager->InitDisplayPackage();
    for (unsigned char index : {4, 7, 255}) {
        Hatch(index, true);
        red = Red(25, 15, 150, 70);
        EXPECT_EQ(*std::max_element(red.begin(), red.end()), 60) << "index " << int(index);
    }
    glEnable(GL_POLYGON_STIPPLE);
    Hatch(4, false);  // ignored too
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_STIPPLE));
    Hatch(3, false);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_STIPPLE));

    // Hatch 0: dark bands and lit gaps across the square.
    PrepareLitView();
    Hatch(0, true);
    red = Red(25, 15, 150, 70);
    EXPECT_LT(*std::min_element(red.begin(), red.end()), 40);
    EXPECT_GT(*std::max_element(red.begin(), red.end()), 150);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
