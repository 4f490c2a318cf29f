// The OpenGL material of a shaded face, read back with glGetMaterialfv: the current material times
// the colour its attributes resolve to (highlight left out), the transparency as alpha, and the
// light model and culling its sides choose.
#include "DisplayStateGuard.h"
#include "DsLineAttribStorage.h"
#include "DsMaterialStorage.h"
#include "GlTestFixture.h"
#include "TestResets.h"

#include "view3d.h"

#include <GL/gl.h>

#include <array>

#include <gtest/gtest.h>

namespace {

class DsMaterialStorageGLTest : public vyrtest::GlTest {
protected:
    void TearDown() override
    {
        VYR_RESET_FOR_TESTS(CDsMaterialStorage::ResetGlMaterialStateForTests);
        vyrtest::GlTest::TearDown();
    }
    // The four values of material term `name` of `face`.
    static std::array<float, 4> Term(GLenum face, GLenum name)
    {
        std::array<float, 4> v{};
        glGetMaterialfv(face, name, v.data());
        return v;
    }
    static void ExpectTerm(GLenum face, GLenum name, float r, float g, float b, float a)
    {
        const auto v = Term(face, name);
        EXPECT_NEAR(v[0], r, 2e-3) << name;
        EXPECT_NEAR(v[1], g, 2e-3) << name;
        EXPECT_NEAR(v[2], b, 2e-3) << name;
        EXPECT_NEAR(v[3], a, 2e-3) << name;
    }
    static bool Enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }
    static GLint Integer(GLenum name)
    {
        GLint value = -1;
        glGetIntegerv(name, &value);
        return value;
    }

    vyrtest::DisplayStateGuard guard_;
};

}  // namespace

TEST_F(DsMaterialStorageGLTest, TheCurrentMaterialTimesTheFacesColourBecomesItsMaterial)
{
    CDsColorStorage red(255, 0, 0);
    CDsLineAttribStorage attributes(red, 0, 1);
    SDsGlMaterialSource source{2, &attributes};
    view3d view;
    DsApplyGlMaterialFromAttributes(&source, &view, false, false);
    GLfloat color[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[0], 1.0f);
    EXPECT_FLOAT_EQ(color[1], 0.0f);
    for (GLenum face : {GL_FRONT, GL_BACK}) {  // two sides: both faces
        ExpectTerm(face, GL_AMBIENT, 1.0f, 0, 0, 1.0f);
        ExpectTerm(face, GL_DIFFUSE, 190 / 255.0f, 0, 0, 1.0f);
        ExpectTerm(face, GL_SPECULAR, 128 / 255.0f, 0, 0, 1.0f);
        ExpectTerm(face, GL_EMISSION, 0, 0, 0, 1.0f);
        EXPECT_FLOAT_EQ(Term(face, GL_SHININESS)[0], 10.0f);
    }

    // Another current material, a transparent face and a highlighted one: the face keeps its own
    // colour (the highlight is for lines), and stays highlighted afterwards.
    const CDsMaterialStorage material(uint8_t(51), uint8_t(102), uint8_t(255), uint8_t(64), uint8_t(255));
    DsSetCurrentGlMaterial(&material);
    CDsColorStorage grey(128, 64, 255);
    attributes.SetColor(grey);
    attributes.SetTransparency(0.5f);
    attributes.SetVisibility(eVisibilityHighlight, true);
    DsApplyGlMaterialFromAttributes(&source, &view, false, false);
    EXPECT_TRUE(attributes.GetHighlightState());
    const float r = 128 / 255.0f, g = 64 / 255.0f, alpha = 127 / 255.0f;
    ExpectTerm(GL_FRONT, GL_AMBIENT, 0.2f * r, 0.2f * g, 0.2f, alpha);
    ExpectTerm(GL_FRONT, GL_DIFFUSE, 0.4f * r, 0.4f * g, 0.4f, alpha);
    ExpectTerm(GL_FRONT, GL_SPECULAR, r, g, 1.0f, alpha);
    ExpectTerm(GL_FRONT, GL_EMISSION, r, g, 1.0f, alpha);
    EXPECT_FLOAT_EQ(Term(GL_FRONT, GL_SHININESS)[0], 64.0f);

    // A dimmed face takes the colour of its level; one that inherits its colour its own bytes.
    DsSetCurrentGlMaterial(nullptr);
    attributes.SetVisibility(eVisibilityHighlight, false);
    attributes.SetTransparency(1.0f);
    attributes.SetVisibility(eVisibilityDim, true);
    DsApplyGlMaterialFromAttributes(&source, &view, false, false);
    const uint32_t dim = CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetDim)->GetColor().GetColorRef();
    ExpectTerm(GL_FRONT, GL_AMBIENT, (dim & 0xFF) / 255.0f, ((dim >> 8) & 0xFF) / 255.0f,
               ((dim >> 16) & 0xFF) / 255.0f, 1.0f);
    attributes.SetVisibility(eVisibilityDim, false);
    attributes.SetInheritColorState(true);
    DsApplyGlMaterialFromAttributes(&source, &view, false, false);
    ExpectTerm(GL_FRONT, GL_AMBIENT, r, g, 1.0f, 1.0f);

    // Without a source or attributes nothing is sent.
    glColor3f(0, 1, 0);
    DsApplyGlMaterialFromAttributes(nullptr, &view, false, false);
    SDsGlMaterialSource empty;
    DsApplyGlMaterialFromAttributes(&empty, &view, false, false);
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[1], 1.0f);
    ExpectTerm(GL_FRONT, GL_AMBIENT, r, g, 1.0f, 1.0f);
}

TEST_F(DsMaterialStorageGLTest, SidesChooseTheLightModelAndCulling)
{
    CDsColorStorage white(255, 255, 255);
    CDsLineAttribStorage attributes(white, 0, 1);
    SDsGlMaterialSource oneSided{1, &attributes};
    SDsGlMaterialSource twoSided{2, &attributes};
    view3d view;
    view.SetDrawPhase(eDsDrawPhaseOpaque);

    EXPECT_EQ(DsSetGlFaceSidedness(&view, &oneSided, false, false), GLenum(GL_FRONT));
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), 0);
    EXPECT_TRUE(Enabled(GL_CULL_FACE));
    EXPECT_EQ(Integer(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_EQ(DsSetGlFaceSidedness(&view, &twoSided, false, false), GLenum(GL_FRONT_AND_BACK));
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), 1);
    EXPECT_FALSE(Enabled(GL_CULL_FACE));
    EXPECT_EQ(DsSetGlFaceSidedness(&view, &oneSided, true, false), GLenum(GL_FRONT_AND_BACK));  // asked for
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), 1);
    glEnable(GL_CULL_FACE);
    EXPECT_EQ(DsSetGlFaceSidedness(&view, &twoSided, true, true), GLenum(GL_FRONT_AND_BACK));  // no culling
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), 0);
    EXPECT_FALSE(Enabled(GL_CULL_FACE));

    // The transparent phase leaves culling as it is.
    view.SetDrawPhase(eDsDrawPhaseTransparent);
    EXPECT_EQ(DsSetGlFaceSidedness(&view, &oneSided, false, false), GLenum(GL_FRONT));
    EXPECT_FALSE(Enabled(GL_CULL_FACE));
    glEnable(GL_CULL_FACE);
    DsSetGlFaceSidedness(&view, &twoSided, false, false);
    EXPECT_TRUE(Enabled(GL_CULL_FACE));
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), 1);

    // A one-sided face's material goes to the front only.
    view.SetDrawPhase(eDsDrawPhaseOpaque);
    const GLfloat grey[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    glMaterialfv(GL_BACK, GL_DIFFUSE, grey);
    DsApplyGlMaterialFromAttributes(&oneSided, &view, false, false);
    ExpectTerm(GL_FRONT, GL_DIFFUSE, 190 / 255.0f, 190 / 255.0f, 190 / 255.0f, 1.0f);
    ExpectTerm(GL_BACK, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 0.5f);
}

TEST_F(DsMaterialStorageGLTest, SidednessIsSentAgainOnlyWhenTheSidesChange)
{
    CDsColorStorage white(255, 255, 255);
    CDsLineAttribStorage attributes(white, 0, 1);
    SDsGlMaterialSource oneSided{1, &attributes};
    SDsGlMaterialSource alsoOneSided{1, &attributes};
    SDsGlMaterialSource twoSided{2, &attributes};
    view3d view;
    view.SetDrawPhase(eDsDrawPhaseOpaque);

    DsSetGlFaceSidednessIfChanged(&oneSided, &view, false);  // nothing applied yet: sent
    EXPECT_TRUE(Enabled(GL_CULL_FACE));
    glDisable(GL_CULL_FACE);
    DsSetGlFaceSidednessIfChanged(&alsoOneSided, &view, false);  // the same sides: not sent
    EXPECT_FALSE(Enabled(GL_CULL_FACE));
    DsSetGlFaceSidednessIfChanged(&twoSided, &view, false);
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), 1);
    // A material applied counts as the last source too.
    DsApplyGlMaterialFromAttributes(&oneSided, &view, false, false);
    glDisable(GL_CULL_FACE);
    DsSetGlFaceSidednessIfChanged(&oneSided, &view, false);
    EXPECT_FALSE(Enabled(GL_CULL_FACE));
    DsSetGlFaceSidednessIfChanged(nullptr, &view, false);
    DsSetGlFaceSidednessIfChanged(&twoSided, &view, false);
    EXPECT_EQ(Integer(GL_LIGHT_MODEL_TWO_SIDE), 1);
}
