// The core on a driver without GL_ARB_fragment_program (Mesa is told to leave it out before the
// first context of this program is made): extension loading, a scene that loads no programs, and
// restoring the back buffer, which must not send the switch of a program the driver does not have.
#include "DsGlContext.h"
#include "DsGlExtensions.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "GlTestFixture.h"
#include "VyrString.h"
#include "view3d.h"

#include "../TestGlContext.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Runs before main, so before any context exists.
const bool kOverride = setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_fragment_program", 1) == 0;

class DsGlExtensionsNoFragmentProgramGLTest : public vyrtest::GlTest {};

}  // namespace

TEST_F(DsGlExtensionsNoFragmentProgramGLTest, VertexProgramsLoadButShadersAreNotSupported)
{
    ASSERT_TRUE(kOverride);
    CDsManager* manager = CDsManager::GetInstance();
    const bool shaderFlag = manager->GetFlag(13);
    CVyrString message(L"earlier text");
    EXPECT_FALSE(manager->InitShaders(message));
    EXPECT_EQ(message, L"One or more of the vertex shader functions are not supported.");
    EXPECT_FALSE(DsInitGlExtension("GL_ARB_fragment_program"));

    EXPECT_TRUE(DsGlExt::bGL_ARB_vertex_program);
    EXPECT_FALSE(DsGlExt::bGL_ARB_fragment_program);
    // The program functions the two share came with the vertex program.
    EXPECT_NE(DsGlExt::glProgramStringARB, nullptr);
    EXPECT_FALSE(manager->IsShaderSupported());
    manager->SetFlag(13, true);
    EXPECT_FALSE(manager->IsShaderEnabled());
    manager->SetFlag(13, shaderFlag);
}

TEST_F(DsGlExtensionsNoFragmentProgramGLTest, AScenesShaderProgramsDoNotLoadAndItsLightsStayFixed)
{
    ASSERT_TRUE(kOverride);
    CDsManager* manager = CDsManager::GetInstance();
    const bool shaderFlag = manager->GetFlag(13);
    CVyrString message;
    manager->InitShaders(message);
    manager->SetFlag(13, true);
    {
        CDsGlContext context;
        EXPECT_FALSE(context.LoadShaders());
        EXPECT_EQ(context.GetScene()->GetVertexShader(), nullptr);
        EXPECT_EQ(context.GetScene()->GetPixelShader(), nullptr);
        EXPECT_FALSE(context.GetScene()->AllowsShaders());
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    manager->SetFlag(13, shaderFlag);
}

TEST_F(DsGlExtensionsNoFragmentProgramGLTest, RestoringTheBackBufferSendsNoSwitchTheDriverLacks)
{
    ASSERT_TRUE(kOverride);
    HWND window = CreateWindowExW(0, L"VyrTestWindow", L"record", 0, 0, 0, 120, 80, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        gl_context_data record(GetDC(window));
        ASSERT_EQ(record.init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
        TestGlContext context;
        view3d view;
        view.set_viewport(0, 0, 120, 80);
        view.set_rendering_context_data(&record);
        context.add_view(&view);

        vyrtest::SetPixelProjection(120, 80);
        glDrawBuffer(GL_FRONT);
        vyrtest::Clear(vyrtest::Rgb{0, 255, 0});
        glDrawBuffer(GL_BACK);
        vyrtest::Clear(vyrtest::Rgb{0, 0, 255});
        while (glGetError() != GL_NO_ERROR) {
        }
        ASSERT_TRUE(context.RestoreBackBuffer(&view));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(vyrtest::ColorNear(vyrtest::MeanColor(GL_FRONT, 10, 10, 100, 60), vyrtest::Rgb{0, 0, 255}));
        view.set_rendering_context_data(nullptr);
        context.remove_view(&view);
    }
    ReleaseDC(window, GetDC(window));
    DestroyWindow(window);
}
