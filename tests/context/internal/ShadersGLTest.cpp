// The scene's vertex and fragment programs on this machine's driver: the data folder's pair loads
// and lights a face from the viewer whatever the fixed lights say, and switches off again; with
// shaders off the scene keeps none; the versions of the files come from the debug floats; a
// program the driver rejects, an empty file or a missing one leaves no program in the scene, and
// a rejection is reported with the driver's message.
#include "DsDebugData.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlExtensions.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsShader.h"
#include "DsView3dCdc.h"
#include "VyrComplexSection.h"
#include "VyrRegistry.h"
#include "VyrString.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
#include "GlTestFixture.h"
#include "ScratchRegistry.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

const char* const kFragment = "!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n";

// A 100 x 100 view in a rendering context looking down -z at 25 x 25 units, current; the shader
// extensions loaded; display-manager flag 13 and the debug floats put back afterwards, and the
// scene's programs deleted while the context is still current.
class ShadersGLTest : public ::testing::Test {
protected:
    static constexpr int kSize = 100;

    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        flag13_ = CDsManager::GetInstance()->GetFlag(13);
        for (int i = 0; i < 2; ++i) floats_[i] = CDsDebugData::StGetFloat(i);
        view_ = vyrtest::ViewOn(window_, context_, kSize, kSize);
        vyrtest::ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(25, 25).Clip(1, 100).ApplyTo(*view_);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
        CVyrString message;
        CDsManager::GetInstance()->InitShaders(message);
        ASSERT_TRUE(CDsManager::GetInstance()->IsShaderSupported());
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        vyrtest::Clear(Rgb{0, 0, 0});
    }
    void TearDown() override
    {
        CDsManager::GetInstance()->SetFlag(13, false);
        context_.LoadShaders();
        EXPECT_EQ(Scene()->GetVertexShader(), nullptr);
        CDsManager::GetInstance()->SetFlag(13, flag13_);
        for (int i = 0; i < 2; ++i) CDsDebugData::StSetFloat(i, floats_[i]);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    CDsGlScene* Scene() { return context_.GetScene(); }

    // A data folder of the test's own with the given files below display/shaders.
    std::string DataFolder(const std::vector<std::pair<std::string, std::string>>& files)
    {
        const std::string dir = vyrtest::ScratchDir();
        std::filesystem::create_directories(dir + "/display/shaders");
        for (const auto& [name, text] : files) std::ofstream(dir + "/display/shaders/" + name, std::ios::binary) << text;
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring value(dir.begin(), dir.end());
        RegSetValueExW(key, L"DataDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       DWORD((value.size() + 1) * sizeof(WCHAR)));
        RegCloseKey(key);
        return dir;
    }

    // Two halves of the viewport in orange: the left facing the viewer, the right turned 37
    // degrees away.
    static void DrawHalves()
    {
        glColor3ub(255, 128, 0);
        glBegin(GL_QUADS);
        glNormal3f(0, 0, 1);
        glVertex3f(-12.5f, -12.5f, 0);
        glVertex3f(0, -12.5f, 0);
        glVertex3f(0, 12.5f, 0);
        glVertex3f(-12.5f, 12.5f, 0);
        glNormal3f(0.6f, 0, 0.8f);
        glVertex3f(0, -12.5f, 0);
        glVertex3f(12.5f, -12.5f, 0);
        glVertex3f(12.5f, 12.5f, 0);
        glVertex3f(0, 12.5f, 0);
        glEnd();
        glFinish();
    }
    static std::string Warnings()
    {
        CDsGeometryComputer::FlushWarnings();
        return vyrtest::ReadFileBytes(CDsGeometryComputer::GetWarningsFilePath());
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::ScratchRegistry registry_;
    vyrtest::PlainWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    bool flag13_ = false;
    float floats_[2] = {0, 0};
};

}  // namespace

TEST_F(ShadersGLTest, TheDataFoldersProgramsLoadAndLightFacesFromTheViewerUntilSwitchedOff)
{
    EXPECT_FALSE(Scene()->AllowsShaders()) << "no programs before loading";
    CDsManager::GetInstance()->SetFlag(13, true);
    EXPECT_FALSE(DsShadersLightFaces(view_.get())) << "the fixed lights light the faces while no program is loaded";
    ASSERT_TRUE(context_.LoadShaders());
    CDsVertexShader* vertex = Scene()->GetVertexShader();
    CDsPixelShader* pixel = Scene()->GetPixelShader();
    ASSERT_NE(vertex, nullptr);
    ASSERT_NE(pixel, nullptr);
    EXPECT_NE(vertex->GetProgramId(), 0u);
    EXPECT_NE(pixel->GetProgramId(), 0u);
    EXPECT_TRUE(Scene()->AllowsShaders());
    EXPECT_TRUE(DsShadersLightFaces(view_.get()));
    view_->SetDocumentFlag(static_cast<EDsDocumentFlag>(1), true);
    EXPECT_FALSE(DsShadersLightFaces(view_.get())) << "document flag 1 asks for the fixed lights";
    view_->SetDocumentFlag(static_cast<EDsDocumentFlag>(1), false);

    // Lit by the program: full colour facing the viewer, 0.3 + 0.7 x 0.8 of it turned away, and
    // the fixed lights (here a light from the side) play no part.
    glEnable(GL_LIGHTING);
    Scene()->EnableShaders(true);
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    DrawHalves();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 25, 50), Rgb{255, 128, 0}, 3)) << ReadPixel(GL_BACK, 25, 50);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 75, 50), Rgb{219, 110, 0}, 3)) << ReadPixel(GL_BACK, 75, 50);

    Scene()->EnableShaders(false);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    glDisable(GL_LIGHTING);
    DrawHalves();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 75, 50), Rgb{255, 128, 0}, 3)) << "the plain colour without programs";
}

TEST_F(ShadersGLTest, ASectionKeepsTheProgramsFromLightingFacesAndTheFixedLightsAreSent)
{
    CDsManager::GetInstance()->SetFlag(13, true);
    ASSERT_TRUE(context_.LoadShaders());
    ASSERT_TRUE(DsShadersLightFaces(view_.get()));
    // The ambient light model as the scene sends it, over a marker value.
    auto ambientAfterApply = [this] {
        const GLfloat marker[4] = {0.123f, 0.123f, 0.123f, 1.0f};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, marker);
        Scene()->ApplyLightModel(view_.get());
        GLfloat sent[4] = {0, 0, 0, 0};
        glGetFloatv(GL_LIGHT_MODEL_AMBIENT, sent);
        return sent[0];
    };
    EXPECT_FLOAT_EQ(ambientAfterApply(), 0.123f) << "the programs light the faces: nothing is sent";

    Scene()->SetSection(SPAposition(0, 0, 0), SPAvector(0, 0, 1));
    EXPECT_FALSE(Scene()->AllowsShaders());
    EXPECT_FALSE(DsShadersLightFaces(view_.get()));
    EXPECT_NE(ambientAfterApply(), 0.123f);
    Scene()->ResetSection();
    EXPECT_TRUE(Scene()->AllowsShaders());

    auto* stepped = new CVyrComplexSection;
    stepped->m_vertices = {SPAposition(0, 0, 0), SPAposition(1, 0, 0)};
    stepped->m_normals = {SPAvector(0, 1, 0)};
    Scene()->SetComplexSection(stepped);
    EXPECT_FALSE(Scene()->AllowsShaders());
    EXPECT_NE(ambientAfterApply(), 0.123f);
    Scene()->SetComplexSection(nullptr);
    EXPECT_TRUE(Scene()->AllowsShaders());
}

TEST_F(ShadersGLTest, WithShadersSwitchedOffLoadingDropsTheProgramsAndLoadsNone)
{
    CDsManager::GetInstance()->SetFlag(13, true);
    ASSERT_TRUE(context_.LoadShaders());
    ASSERT_NE(Scene()->GetVertexShader(), nullptr);
    CDsManager::GetInstance()->SetFlag(13, false);
    EXPECT_TRUE(context_.LoadShaders());
    EXPECT_EQ(Scene()->GetVertexShader(), nullptr);
    EXPECT_EQ(Scene()->GetPixelShader(), nullptr);
    EXPECT_FALSE(Scene()->AllowsShaders());
}

TEST_F(ShadersGLTest, TheVersionsOfTheFilesComeFromTheDebugFloats)
{
    DataFolder({{"2.5frag.txt", kFragment}});
    CDsManager::GetInstance()->SetFlag(13, true);
    CDsDebugData::StSetFloat(0, -1.0f);  // no vertex program
    CDsDebugData::StSetFloat(1, 2.5f);
    ASSERT_TRUE(context_.LoadShaders());
    EXPECT_EQ(Scene()->GetVertexShader(), nullptr);
    ASSERT_NE(Scene()->GetPixelShader(), nullptr);
    EXPECT_FALSE(Scene()->AllowsShaders()) << "a fragment program alone lights nothing";

    // Version 0 means 1: there is no 1vert.txt here, and a missing file is no program.
    CDsDebugData::StSetFloat(0, 0.0f);
    CDsDebugData::StSetFloat(1, 3.0f);
    EXPECT_TRUE(context_.LoadShaders());
    EXPECT_EQ(Scene()->GetVertexShader(), nullptr);
    EXPECT_EQ(Scene()->GetPixelShader(), nullptr);
    EXPECT_EQ(Warnings().find("shader"), std::string::npos) << "a missing file is not a rejection";

    // Debug floats outside the table read 0 and take nothing.
    CDsDebugData::StSetFloat(7, 5.0f);
    EXPECT_EQ(CDsDebugData::StGetFloat(7), 0.0f);
    EXPECT_EQ(CDsDebugData::StGetFloat(-1), 0.0f);
}

TEST_F(ShadersGLTest, AProgramTheDriverRejectsIsReportedAndNotKept)
{
    const std::string dir = DataFolder({{"1vert.txt", "!!ARBvp1.0\nFOO result.color, vertex.color;\nEND\n"},
                                        {"1frag.txt", ""}});
    CDsManager::GetInstance()->SetFlag(13, true);
    EXPECT_TRUE(context_.LoadShaders());
    EXPECT_EQ(Scene()->GetVertexShader(), nullptr);
    EXPECT_EQ(Scene()->GetPixelShader(), nullptr) << "an empty program is rejected too";
    EXPECT_FALSE(Scene()->AllowsShaders());
    const std::string warnings = Warnings();
    EXPECT_NE(warnings.find("shader program rejected: " + dir + "/display/shaders/1vert.txt: line 2"),
              std::string::npos)
        << warnings;
    EXPECT_NE(warnings.find("/display/shaders/1frag.txt"), std::string::npos) << warnings;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "the driver's error is not left pending";

    CDsVertexShader program;
    EXPECT_FALSE(CDsShader::LoadFromFile(&program, "\\display\\shaders\\1vert.txt"));
    EXPECT_FALSE(CDsShader::LoadFromFile(&program, "/display/shaders/none.txt"));
    EXPECT_FALSE(CDsShader::LoadFromFile(nullptr, "\\display\\shaders\\1vert.txt"));
    EXPECT_FALSE(CDsShader::LoadFromFile(&program, nullptr));
    EXPECT_FALSE(CDsShader::LoadVersionFile(&program, 1.0f, nullptr));

    // The same object loads a good text afterwards.
    std::ofstream(dir + "/display/shaders/1frag.txt", std::ios::binary) << kFragment;
    CDsPixelShader pixel;
    EXPECT_TRUE(CDsShader::LoadVersionFile(&pixel, 1.0f, "%gfrag.txt"));
    EXPECT_NE(pixel.GetProgramId(), 0u);
}
