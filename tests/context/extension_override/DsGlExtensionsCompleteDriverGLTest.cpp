// Extension loading on a driver that advertises every extension of the list: Mesa is told to add
// the two it lacks to its extension text (it warns that it does not know them) before the first
// context of this program is made.
#include "DsGlExtensions.h"
#include "DsManager.h"
#include "GlTestFixture.h"
#include "VyrString.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Runs before main, so before any context exists.
const bool kOverride = setenv("MESA_EXTENSION_OVERRIDE", "GL_ARB_vertex_blend GL_ARB_shadow_ambient", 1) == 0;

class DsGlExtensionsCompleteDriverGLTest : public vyrtest::GlTest {};

}  // namespace

TEST_F(DsGlExtensionsCompleteDriverGLTest, EveryExtensionLoadsAndShadersAreReportedSupported)
{
    ASSERT_TRUE(kOverride);
    CVyrString message(L"earlier text");
    EXPECT_TRUE(CDsManager::GetInstance()->InitShaders(message));
    EXPECT_EQ(message, L"The vertex shader functions are supported.");
    EXPECT_TRUE(CDsManager::GetInstance()->IsShaderSupported());
    EXPECT_TRUE(DsInitGlExtensionList());

    EXPECT_TRUE(DsGlExt::bGL_ARB_window_pos);
    EXPECT_TRUE(DsGlExt::bGL_ARB_multisample);
    EXPECT_TRUE(DsGlExt::bGL_ARB_multitexture);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_compression);
    EXPECT_TRUE(DsGlExt::bGL_ARB_vertex_blend);
    EXPECT_TRUE(DsGlExt::bGL_ARB_transpose_matrix);
    EXPECT_TRUE(DsGlExt::bGL_ARB_vertex_program);
    EXPECT_TRUE(DsGlExt::bGL_ARB_fragment_program);
    EXPECT_TRUE(DsGlExt::bGL_ARB_depth_texture);
    EXPECT_TRUE(DsGlExt::bGL_ARB_shadow);
    EXPECT_TRUE(DsGlExt::bGL_ARB_shadow_ambient);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_border_clamp);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_cube_map);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_add);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_combine);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_crossbar);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_dot3);
    EXPECT_NE(DsGlExt::glWeightPointerARB, nullptr);
    EXPECT_NE(DsGlExt::glVertexBlendARB, nullptr);
}
