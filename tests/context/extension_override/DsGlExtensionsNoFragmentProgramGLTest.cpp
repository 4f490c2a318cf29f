// Extension loading on a driver without GL_ARB_fragment_program: Mesa is told to leave it out of
// its extension text before the first context of this program is made.
#include "DsGlExtensions.h"
#include "DsManager.h"
#include "GlTestFixture.h"
#include "VyrString.h"

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
