// Extension loading without OpenGL: the whole-word search of a name in an extension text, and
// what loading answers in a process where no context was ever current.
#include "DsGlExtensions.h"
#include "DsManager.h"
#include "VyrString.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(DsGlExtensionsTest, ANameIsFoundOnlyAsAWholeWord)
{
    // A name that begins a longer name is not that name, in either order of the two.
    EXPECT_FALSE(DsIsExtensionInList("GL_ARB_shadow_ambient", "GL_ARB_shadow"));
    EXPECT_FALSE(DsIsExtensionInList("GL_ARB_shadow_ambient GL_EXT_x", "GL_ARB_shadow"));
    EXPECT_TRUE(DsIsExtensionInList("GL_ARB_shadow_ambient GL_ARB_shadow", "GL_ARB_shadow"));
    EXPECT_TRUE(DsIsExtensionInList("GL_ARB_shadow GL_ARB_shadow_ambient", "GL_ARB_shadow_ambient"));
    // Nor is a longer name found in a shorter word, or a name inside a word.
    EXPECT_FALSE(DsIsExtensionInList("GL_ARB_shadow", "GL_ARB_shadow_ambient"));
    EXPECT_FALSE(DsIsExtensionInList("GL_ARB_shadow_ambient", "ARB_shadow"));
    EXPECT_FALSE(DsIsExtensionInList("GL_ARB_fragment_program_shadow", "GL_ARB_fragment_program"));
}

TEST(DsGlExtensionsTest, EveryWordCountsWhereverTheBlanksAre)
{
    EXPECT_TRUE(DsIsExtensionInList("GL_A GL_B GL_C", "GL_A"));
    EXPECT_TRUE(DsIsExtensionInList("GL_A GL_B GL_C", "GL_B"));
    EXPECT_TRUE(DsIsExtensionInList("GL_A GL_B GL_C", "GL_C"));
    EXPECT_TRUE(DsIsExtensionInList("GL_C", "GL_C"));
    // Drivers end the text with a blank; some put several between names.
    EXPECT_TRUE(DsIsExtensionInList("GL_A GL_B ", "GL_B"));
    EXPECT_TRUE(DsIsExtensionInList("  GL_A   GL_B  GL_C", "GL_B"));
    EXPECT_TRUE(DsIsExtensionInList("  GL_A   GL_B  GL_C", "GL_C"));
    EXPECT_FALSE(DsIsExtensionInList("GL_A GL_B GL_C", "GL_D"));
    // Tabs and line ends separate names as spaces do, so a name never holds one.
    EXPECT_TRUE(DsIsExtensionInList("GL_A\tGL_B\r\nGL_C\n", "GL_B"));
    EXPECT_TRUE(DsIsExtensionInList("GL_A\tGL_B\r\nGL_C\n", "GL_C"));
    EXPECT_FALSE(DsIsExtensionInList("GL_A\tGL_B", "GL_A\tGL_B"));
    EXPECT_FALSE(DsIsExtensionInList("GL_A GL_B", "GL_A GL_B"));
    // Matching is exact: case counts.
    EXPECT_FALSE(DsIsExtensionInList("gl_a GL_B", "GL_A"));
}

TEST(DsGlExtensionsTest, EmptyOrMissingTextsFindNothing)
{
    EXPECT_FALSE(DsIsExtensionInList("", "GL_A"));
    EXPECT_FALSE(DsIsExtensionInList("   ", "GL_A"));
    EXPECT_FALSE(DsIsExtensionInList(nullptr, "GL_A"));
    EXPECT_FALSE(DsIsExtensionInList("GL_A", nullptr));
    // An empty name is not the empty word between two blanks.
    EXPECT_FALSE(DsIsExtensionInList("GL_A  GL_B", ""));
    EXPECT_FALSE(DsIsExtensionInList("", ""));
}

TEST(DsGlExtensionsTest, WithoutAContextNothingLoadsAndShadersAreReportedUnsupported)
{
    // No context has ever been current in this program: the driver is unknown.
    ASSERT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(DsInitGlExtension("GL_ARB_vertex_program"));
    EXPECT_FALSE(DsInitGlExtension("GL_ARB_point_parameters"));
    EXPECT_FALSE(DsInitGlExtension(nullptr));
    EXPECT_FALSE(DsInitGlExtensionList());
    EXPECT_EQ(DsGlExt::glBindProgramARB, nullptr);
    EXPECT_FALSE(DsGlExt::bGL_ARB_vertex_program);
    EXPECT_FALSE(DsGlExt::bGL_ARB_texture_cube_map);

    CVyrString message(L"earlier text");
    EXPECT_FALSE(CDsManager::GetInstance()->InitShaders(message));
    EXPECT_EQ(message, L"One or more of the vertex shader functions are not supported.");
    EXPECT_FALSE(CDsManager::GetInstance()->IsShaderSupported());
}
