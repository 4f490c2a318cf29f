// Extension loading on this machine's driver (Mesa), which advertises every extension of the list
// but GL_ARB_vertex_blend and GL_ARB_shadow_ambient: which extensions load, that the loaded entry
// points reach the driver (programs compile, bind and draw), the shader start-up report, and
// what happens without a current context.
//
// A loaded flag follows the last context that was asked, so every test here loads first and holds
// whatever ran before it.
#include "DsGlExtensions.h"
#include "DsManager.h"
#include "GlTestFixture.h"
#include "ScopedEnv.h"
#include "VyrString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using vyrtest::Rgb;

class DsGlExtensionsGLTest : public vyrtest::GlTest {};

// Puts display-manager flag 13 back as it was.
class ShaderFlagGuard {
public:
    ShaderFlagGuard() : m_was(CDsManager::GetInstance()->GetFlag(13)) {}
    ~ShaderFlagGuard() { CDsManager::GetInstance()->SetFlag(13, m_was); }

private:
    bool m_was;
};

// The names of the extension list that DsInitGlExtension refuses, in list order.
std::vector<std::string> RefusedNames()
{
    std::vector<std::string> refused;
    const char* word = gDsGlExtensionList;
    while (*word) {
        const size_t length = std::strcspn(word, " ");
        const std::string name(word, length);
        if (!DsInitGlExtension(name.c_str())) refused.push_back(name);
        word += length;
        while (*word == ' ') ++word;
    }
    return refused;
}

// Compiles `text` as an ARB program of `target` into a new program object, bound; 0 on failure.
GLuint MakeProgram(GLenum target, const char* text)
{
    GLuint id = 0;
    DsGlExt::glGenProgramsARB(1, &id);
    DsGlExt::glBindProgramARB(target, id);
    DsGlExt::glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(std::strlen(text)), text);
    GLint errorPosition = 0;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    if (errorPosition != -1 || glGetError() != GL_NO_ERROR) {
        ADD_FAILURE() << "program does not compile: "
                      << reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        DsGlExt::glDeleteProgramsARB(1, &id);
        return 0;
    }
    return id;
}

}  // namespace

TEST_F(DsGlExtensionsGLTest, TheListFailsWithExactlyTheTwoExtensionsThisDriverLacks)
{
    EXPECT_FALSE(DsInitGlExtensionList());
    EXPECT_EQ(RefusedNames(), (std::vector<std::string>{"GL_ARB_vertex_blend", "GL_ARB_shadow_ambient"}));

    // The flags tell which extensions loaded.
    EXPECT_TRUE(DsGlExt::bGL_ARB_window_pos);
    EXPECT_TRUE(DsGlExt::bGL_ARB_multisample);
    EXPECT_TRUE(DsGlExt::bGL_ARB_multitexture);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_compression);
    EXPECT_TRUE(DsGlExt::bGL_ARB_transpose_matrix);
    EXPECT_TRUE(DsGlExt::bGL_ARB_vertex_program);
    EXPECT_TRUE(DsGlExt::bGL_ARB_fragment_program);
    EXPECT_TRUE(DsGlExt::bGL_ARB_depth_texture);
    EXPECT_TRUE(DsGlExt::bGL_ARB_shadow);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_border_clamp);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_cube_map);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_add);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_combine);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_crossbar);
    EXPECT_TRUE(DsGlExt::bGL_ARB_texture_env_dot3);
    EXPECT_FALSE(DsGlExt::bGL_ARB_shadow_ambient);
    // The driver hands out an entry point of vertex blending all the same: only the extension
    // text says whether it may be called, and an absent extension's entry points are not taken.
    EXPECT_NE(wglGetProcAddress("glWeightPointerARB"), nullptr);
    EXPECT_FALSE(DsGlExt::bGL_ARB_vertex_blend);
    EXPECT_EQ(DsGlExt::glWeightPointerARB, nullptr);
    EXPECT_EQ(DsGlExt::glVertexBlendARB, nullptr);
}

TEST_F(DsGlExtensionsGLTest, LoadedProgramsCompileBindAndDraw)
{
    DsInitGlExtensionList();
    ASSERT_TRUE(DsGlExt::bGL_ARB_vertex_program);
    ASSERT_TRUE(DsGlExt::bGL_ARB_fragment_program);
    const int w = window_->width, h = window_->height;
    vyrtest::SetPixelProjection(w, h);
    vyrtest::Clear(Rgb{0, 0, 0});

    // The vertex program colours every vertex from environment parameter 0, whatever glColor says.
    const GLuint vertexProgram = MakeProgram(GL_VERTEX_PROGRAM_ARB,
                                             "!!ARBvp1.0\n"
                                             "OPTION ARB_position_invariant;\n"
                                             "MOV result.color, program.env[0];\n"
                                             "END\n");
    ASSERT_NE(vertexProgram, 0u);
    GLint bound = 0;
    DsGlExt::glGetProgramivARB(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), vertexProgram);
    EXPECT_TRUE(DsGlExt::glIsProgramARB(vertexProgram));
    DsGlExt::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 0, 0.0f, 1.0f, 0.0f, 1.0f);
    glEnable(GL_VERTEX_PROGRAM_ARB);
    vyrtest::FillRect(Rgb{255, 0, 0}, 10, 10, 40, 40);

    // The fragment program paints local parameter 0 over what the vertex program gave.
    const GLuint fragmentProgram = MakeProgram(GL_FRAGMENT_PROGRAM_ARB,
                                               "!!ARBfp1.0\n"
                                               "MOV result.color, program.local[0];\n"
                                               "END\n");
    ASSERT_NE(fragmentProgram, 0u);
    DsGlExt::glProgramLocalParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 0, 0.0f, 0.0f, 1.0f, 1.0f);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    vyrtest::FillRect(Rgb{255, 0, 0}, 60, 10, 40, 40);

    // Without programs the fixed pipeline draws glColor again.
    glDisable(GL_FRAGMENT_PROGRAM_ARB);
    glDisable(GL_VERTEX_PROGRAM_ARB);
    vyrtest::FillRect(Rgb{255, 0, 0}, 110, 10, 40, 40);
    glFinish();

    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::MeanColor(GL_BACK, 20, 20, 20, 20), Rgb{0, 255, 0}));
    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::MeanColor(GL_BACK, 70, 20, 20, 20), Rgb{0, 0, 255}));
    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::MeanColor(GL_BACK, 120, 20, 20, 20), Rgb{255, 0, 0}));
    EXPECT_TRUE(vyrtest::ColorNear(vyrtest::ReadPixel(GL_BACK, 5, 5), Rgb{0, 0, 0}));

    const GLuint programs[] = {vertexProgram, fragmentProgram};
    DsGlExt::glDeleteProgramsARB(2, programs);
    EXPECT_FALSE(DsGlExt::glIsProgramARB(vertexProgram));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DsGlExtensionsGLTest, OtherLoadedEntryPointsReachTheDriver)
{
    DsInitGlExtensionList();
    ASSERT_TRUE(DsGlExt::bGL_ARB_transpose_matrix);
    ASSERT_TRUE(DsGlExt::bGL_ARB_multitexture);
    ASSERT_TRUE(DsGlExt::bGL_ARB_window_pos);

    // A row-major translation by (1, 2, 3) lands in the last column of the model-view matrix.
    const GLfloat rowMajor[16] = {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};
    glMatrixMode(GL_MODELVIEW);
    DsGlExt::glLoadTransposeMatrixfARB(rowMajor);
    GLfloat columnMajor[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, columnMajor);
    EXPECT_EQ(columnMajor[12], 1.0f);
    EXPECT_EQ(columnMajor[13], 2.0f);
    EXPECT_EQ(columnMajor[14], 3.0f);
    EXPECT_EQ(columnMajor[3], 0.0f);
    glLoadIdentity();

    DsGlExt::glActiveTextureARB(GL_TEXTURE1_ARB);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE1_ARB);
    DsGlExt::glActiveTextureARB(GL_TEXTURE0_ARB);

    DsGlExt::glWindowPos2iARB(7, 9);
    GLfloat raster[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_EQ(raster[0], 7.0f);
    EXPECT_EQ(raster[1], 9.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DsGlExtensionsGLTest, InitShadersReportsTheListAndFlag13SwitchesShadersOn)
{
    CDsManager* manager = CDsManager::GetInstance();
    ShaderFlagGuard guard;
    CVyrString message(L"earlier text");
    // Two extensions of the list are missing, although both program extensions loaded.
    EXPECT_FALSE(manager->InitShaders(message));
    EXPECT_EQ(message, L"One or more of the vertex shader functions are not supported.");
    EXPECT_TRUE(manager->IsShaderSupported());

    manager->SetFlag(13, false);
    EXPECT_FALSE(manager->IsShaderEnabled());
    manager->SetFlag(13, true);
    EXPECT_TRUE(manager->IsShaderEnabled());
    EXPECT_TRUE(manager->IsShaderSupported());
}

TEST_F(DsGlExtensionsGLTest, WithoutACurrentContextNothingIsLoadedOrChanged)
{
    DsInitGlExtensionList();
    const PFNGLBINDPROGRAMARBPROC bindProgram = DsGlExt::glBindProgramARB;
    const PFNGLACTIVETEXTUREARBPROC activeTexture = DsGlExt::glActiveTextureARB;
    ASSERT_NE(bindProgram, nullptr);
    ASSERT_TRUE(CDsManager::GetInstance()->IsShaderSupported());

    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_FALSE(DsInitGlExtension("GL_ARB_vertex_program"));
    EXPECT_FALSE(DsInitGlExtension("GL_ARB_texture_mirrored_repeat"));
    EXPECT_FALSE(DsInitGlExtensionList());
    CVyrString message;
    EXPECT_FALSE(CDsManager::GetInstance()->InitShaders(message));
    EXPECT_EQ(message, L"One or more of the vertex shader functions are not supported.");

    // What an earlier context loaded stays usable.
    EXPECT_EQ(DsGlExt::glBindProgramARB, bindProgram);
    EXPECT_EQ(DsGlExt::glActiveTextureARB, activeTexture);
    EXPECT_TRUE(DsGlExt::bGL_ARB_vertex_program);
    EXPECT_TRUE(CDsManager::GetInstance()->IsShaderSupported());
    EXPECT_TRUE(window_->MakeCurrent());
}


// A context of an older driver (Mesa told to advertise only what existed by 1999) comes after one
// that has the window positions and both program extensions: loading on it clears their flags,
// and shaders are no longer reported supported; a full context again sets them.
TEST_F(DsGlExtensionsGLTest, AContextThatLacksAnExtensionClearsTheFlagAnEarlierContextSet)
{
    struct FlagGuard {
        const bool windowPos = DsGlExt::bGL_ARB_window_pos;
        const bool vertexProgram = DsGlExt::bGL_ARB_vertex_program;
        const bool fragmentProgram = DsGlExt::bGL_ARB_fragment_program;
        ~FlagGuard()
        {
            DsGlExt::bGL_ARB_window_pos = windowPos;
            DsGlExt::bGL_ARB_vertex_program = vertexProgram;
            DsGlExt::bGL_ARB_fragment_program = fragmentProgram;
        }
    } flags;
    const char* const names[] = {"GL_ARB_window_pos", "GL_ARB_vertex_program", "GL_ARB_fragment_program"};
    for (const char* name : names) EXPECT_TRUE(DsInitGlExtension(name)) << name;
    ASSERT_TRUE(CDsManager::GetInstance()->IsShaderSupported());

    {
        vyrtest::ScopedEnv year("MESA_EXTENSION_MAX_YEAR", "1999");
        vyrtest::GlWindow older(20, 20, false);
        ASSERT_TRUE(older.MakeCurrent());
        const char* text = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        ASSERT_FALSE(DsIsExtensionInList(text, "GL_ARB_window_pos"));
        ASSERT_TRUE(DsIsExtensionInList(text, "GL_ARB_multitexture"));
        for (const char* name : names) EXPECT_FALSE(DsInitGlExtension(name)) << name;
        EXPECT_FALSE(DsGlExt::bGL_ARB_window_pos);
        EXPECT_FALSE(DsGlExt::bGL_ARB_vertex_program);
        EXPECT_FALSE(DsGlExt::bGL_ARB_fragment_program);
        EXPECT_FALSE(CDsManager::GetInstance()->IsShaderSupported());
        EXPECT_TRUE(DsInitGlExtension("GL_ARB_multitexture"));  // what it has still loads
        EXPECT_TRUE(DsGlExt::bGL_ARB_multitexture);
    }

    ASSERT_TRUE(window_->MakeCurrent());
    for (const char* name : names) EXPECT_TRUE(DsInitGlExtension(name)) << name;
    EXPECT_TRUE(CDsManager::GetInstance()->IsShaderSupported());
}
