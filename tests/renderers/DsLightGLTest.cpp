// Lights in a real OpenGL context: the light state a light and the list send (read back with
// glGetLightfv and glIsEnabled), the head light of a view whose document flag 1 is set, values from
// bad files that OpenGL must still accept, the lamps' view set-up, and a shaded block lit by the
// default list (pixels read back).
#include "LightFixture.h"

#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsScene.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <view3d.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using vyrtest::LightTest;
using vyrtest::Rgb;

namespace {

class DsLightGLTest : public LightTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        SetDataDir(VYR_REPO_DATA_DIR);
        window_ = std::make_unique<vyrtest::GlWindow>(200, 200);
        ASSERT_TRUE(window_->Valid());
        ASSERT_TRUE(window_->MakeCurrent());
        ASSERT_FALSE(CDsManager::GetInstance()->IsShaderEnabled());  // the fixed lights are sent
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        window_.reset();
    }

    // A light parameter of OpenGL.
    static std::array<float, 4> Get(GLenum light, GLenum name)
    {
        std::array<float, 4> v{-7, -7, -7, -7};
        glGetLightfv(light, name, v.data());
        return v;
    }
    static float Get1(GLenum light, GLenum name) { return Get(light, name)[0]; }
    // Which of GL_LIGHT0 to GL_LIGHT7 are enabled.
    static std::vector<bool> Enabled()
    {
        std::vector<bool> on;
        for (int i = 0; i < 8; ++i) on.push_back(glIsEnabled(GL_LIGHT0 + i) == GL_TRUE);
        return on;
    }

    std::unique_ptr<vyrtest::GlWindow> window_;
    view3d view_;
};

// A cube from -1 to 1 with its normals (culling stays off, so the winding does not matter).
void DrawCube()
{
    glBegin(GL_QUADS);
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {-1.0f, 1.0f}) {
            float n[3] = {0, 0, 0};
            n[axis] = side;
            glNormal3fv(n);
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            for (const auto& c : corners) {
                float p[3];
                p[axis] = side;
                p[u] = c[0];
                p[v] = c[1];
                glVertex3fv(p);
            }
        }
    glEnd();
}

// Draws the cube turned to show three faces under `list`'s lights, sent with an identity
// model-view so that they are fixed to the eye; answers the mean colours around the centres of
// the faces +z, +y and +x, in that order.
std::array<Rgb, 3> DrawLitCube(CDsLightList& list, view3d& view)
{
    glViewport(0, 0, 200, 200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    list.SetAmbientToView();
    list.SetToView(&view);

    // The material as the draw walk makes it of a white item and the database's default material.
    float m[5];
    CDsPartStorage::instance()->GetDefaultMaterial(m[0], m[1], m[2], m[3], m[4]);
    const float ambient[4] = {m[0], m[0], m[0], 1}, diffuse[4] = {m[1], m[1], m[1], 1},
                specular[4] = {m[2], m[2], m[2], 1}, emission[4] = {m[4], m[4], m[4], 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m[3]);

    glRotatef(30, 1, 0, 0);
    glRotatef(-60, 0, 1, 0);
    DrawCube();
    glFinish();

    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double centres[3][3] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    std::array<Rgb, 3> colours;
    for (int i = 0; i < 3; ++i) {
        double x = 0, y = 0, z = 0;
        gluProject(centres[i][0], centres[i][1], centres[i][2], model, projection, viewport, &x, &y, &z);
        colours[i] = vyrtest::MeanColor(GL_BACK, int(x) - 3, int(y) - 3, 7, 7);
    }
    glLoadIdentity();
    return colours;
}

}  // namespace

TEST_F(DsLightGLTest, ALightSendsWhatItsKindNeeds)
{
    CDsLight light(eDsLight2, nullptr);
    light.TurnOn(true);
    light.SetProperties(0x00FF8000, 0.25f, 1.0f, 0.5f);
    light.SetAttenuation(2.0f, 0.5f, 0.25f);
    light.SetToView(&view_);
    // Directional: w = 0, cutoff 180, the attenuation not sent (OpenGL's own 1, 0, 0 stays).
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
    EXPECT_EQ(Get(GL_LIGHT2, GL_POSITION), (std::array<float, 4>{-100, 0, 100, 0}));
    EXPECT_EQ(Get1(GL_LIGHT2, GL_SPOT_CUTOFF), 180.0f);
    EXPECT_EQ(Get1(GL_LIGHT2, GL_CONSTANT_ATTENUATION), 1.0f);
    EXPECT_EQ(Get1(GL_LIGHT2, GL_LINEAR_ATTENUATION), 0.0f);
    const std::array<float, 4> diffuse = Get(GL_LIGHT2, GL_DIFFUSE);
    EXPECT_NEAR(diffuse[0], 0.0f, 1e-6);
    EXPECT_NEAR(diffuse[1], 128 / 255.0f, 1e-6);
    EXPECT_NEAR(diffuse[2], 1.0f, 1e-6);
    EXPECT_NEAR(Get(GL_LIGHT2, GL_AMBIENT)[2], 0.25f, 1e-6);
    EXPECT_NEAR(Get(GL_LIGHT2, GL_SPECULAR)[2], 0.5f, 1e-6);

    // A spot: its cutoff in degrees, exponent, direction, attenuation, w = 1.
    light.SetType(eDsLightSpot);
    light.SetSpotProperties(30.0f, 20.0f);
    const float direction[3] = {0, -1, 0}, position[3] = {1, 2, 3};
    light.SetSpotDirection(direction);
    light.SetPosition(position);
    light.SetToView(&view_);
    EXPECT_EQ(Get(GL_LIGHT2, GL_POSITION), (std::array<float, 4>{1, 2, 3, 1}));
    EXPECT_NEAR(Get1(GL_LIGHT2, GL_SPOT_CUTOFF), 30.0f, 1e-4);
    EXPECT_EQ(Get1(GL_LIGHT2, GL_SPOT_EXPONENT), 20.0f);
    const std::array<float, 4> spot = Get(GL_LIGHT2, GL_SPOT_DIRECTION);
    EXPECT_EQ((std::array<float, 3>{spot[0], spot[1], spot[2]}), (std::array<float, 3>{0, -1, 0}));
    EXPECT_EQ(Get1(GL_LIGHT2, GL_CONSTANT_ATTENUATION), 2.0f);
    EXPECT_EQ(Get1(GL_LIGHT2, GL_LINEAR_ATTENUATION), 0.5f);
    EXPECT_EQ(Get1(GL_LIGHT2, GL_QUADRATIC_ATTENUATION), 0.25f);
    // The ends of the cutoff's range reach OpenGL as 90 and 180 exactly.
    for (float cutoff : {90.0f, 180.0f, 0.0f, 89.99f}) {
        light.SetSpotProperties(cutoff, 1.0f);
        light.SetToView(&view_);
        EXPECT_NEAR(Get1(GL_LIGHT2, GL_SPOT_CUTOFF), cutoff, 1e-3);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << cutoff;
    }
    // Positional: attenuation, cutoff 180.
    light.SetType(eDsLightPositional);
    light.SetAttenuation(3.0f, 0.0f, 0.0f);
    light.TurnOn(false);
    light.SetToView(&view_);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    EXPECT_EQ(Get1(GL_LIGHT2, GL_SPOT_CUTOFF), 180.0f);
    EXPECT_EQ(Get1(GL_LIGHT2, GL_CONSTANT_ATTENUATION), 3.0f);
    light.SetToView(nullptr);  // no view: nothing
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsLightGLTest, TheIdOfTheTextDrivesItsLightAndBadValuesNeverReachOpenGL)
{
    // A block of id 3 read into light 5 drives GL_LIGHT3; an id of 12 is refused.
    CDsLight light(eDsLight5, nullptr);
    std::deque<std::wstring> lines = {L"Light 3 On 1 Type 2 Color 255", L"Ambient 0 0 0 1", L"Diffuse 1 0 0 1",
                                      L"Specular 1 0 0 1", L"Position 0 0 50 1", L"Target 0 0 0",
                                      L"Attenuation -1 -2 -3", L"Spot 120 200", L"SpotDirection 0 0 -1"};
    std::deque<std::wstring> copy = lines;
    light.Set(&copy);
    light.SetToView(&view_);
    EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false, true, false, false, false, false}));
    EXPECT_EQ(Get(GL_LIGHT3, GL_POSITION), (std::array<float, 4>{0, 0, 50, 1}));
    EXPECT_EQ(Get1(GL_LIGHT3, GL_SPOT_CUTOFF), 90.0f);
    EXPECT_EQ(Get1(GL_LIGHT3, GL_SPOT_EXPONENT), 128.0f);
    EXPECT_EQ(Get1(GL_LIGHT3, GL_CONSTANT_ATTENUATION), 0.0f);
    EXPECT_EQ(Get1(GL_LIGHT3, GL_QUADRATIC_ATTENUATION), 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    lines[0] = L"Light 12 On 1 Type 2 Color 255";
    lines[7] = L"Spot nan inf";
    CDsLight other(eDsLight5, nullptr);
    copy = lines;
    other.Set(&copy);
    other.SetToView(&view_);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT5));
    EXPECT_NEAR(Get1(GL_LIGHT5, GL_SPOT_CUTOFF), 57.29578f, 1e-3);  // the cutoff kept its value
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A lights file of bad values, sent by the list: nothing OpenGL refuses.
    std::string bad = "x\nx\nLIGHT-MODEL: LOCAL 0 2SIDES 0 AMBIENT 1e30 FIXED 1\n \n";
    for (int id = 0; id < 8; ++id)
        bad += "Light " + std::to_string(id * 3) + " On 1 Type " + std::to_string(id % 4) +
               " Color -7\nAmbient nan 1 1 1\nDiffuse 1 1 1 1\nSpecular 1 1 1 1\nPosition 1 1 1 " +
               std::to_string(id % 2) + "\nTarget 0 0 0\nAttenuation -1 nan -1e40\nSpot " +
               std::to_string(id * 40 - 100) + " " + std::to_string(id * 50 - 100) + "\nSpotDirection 0 0 0\n_\n \n";
    CDsLightList list;
    list.LoadLights(CVyrString(WriteFile("bad.lights", bad).c_str()));
    list.SetAmbientToView();
    list.SetToView(&view_);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (int i = 0; i < 8; ++i) {
        const float cutoff = Get1(GL_LIGHT0 + i, GL_SPOT_CUTOFF);
        EXPECT_TRUE((cutoff >= 0 && cutoff <= 90) || cutoff == 180) << cutoff;
        EXPECT_GE(Get1(GL_LIGHT0 + i, GL_CONSTANT_ATTENUATION), 0.0f);
    }
}

TEST_F(DsLightGLTest, TheListSendsItsMaterialLightModelAndLights)
{
    CDsLightList list;
    list.GetLight(eDsLight6)->TurnOn(true);
    glShadeModel(GL_FLAT);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    list.SetAmbientToView();
    list.SetToView(&view_);
    float ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_EQ((std::vector<float>(ambient, ambient + 4)), (std::vector<float>{0.2f, 0.2f, 0.2f, 1.0f}));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    GLint shade = 0, twoSide = 1;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    EXPECT_EQ(shade, GL_SMOOTH);
    EXPECT_EQ(twoSide, 0);
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false, true, false}));
    EXPECT_EQ(Get(GL_LIGHT0, GL_POSITION), (std::array<float, 4>{-100, 0, 100, 0}));

    float m[5];
    CDsPartStorage::instance()->GetDefaultMaterial(m[0], m[1], m[2], m[3], m[4]);
    EXPECT_FLOAT_EQ(m[0], 1.0f);
    EXPECT_FLOAT_EQ(m[1], 190 / 255.0f);
    EXPECT_FLOAT_EQ(m[2], 128 / 255.0f);
    EXPECT_FLOAT_EQ(m[3], 10.0f);
    EXPECT_FLOAT_EQ(m[4], 0.0f);
    list.SetToView(nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsLightGLTest, WithDocumentFlag1OnlyLight0IsOnAsTheHeadLight)
{
    vyrtest::ViewStaticsGuard statics;
    vyrtest::PlainWindow window(80, 60);
    CDsGlContext context;
    auto view = vyrtest::ViewOn(window, context, 80, 60);
    ASSERT_TRUE(context.MakeCurrent(view.get()));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    CDsLightList list;
    for (int id = 0; id < eDsLightCount; ++id) list.GetLight(static_cast<EDsLightID>(id))->TurnOn(true);
    view->SetDocumentFlag(static_cast<EDsDocumentFlag>(1), true);
    ASSERT_TRUE(view->GetDocumentFlag(static_cast<EDsDocumentFlag>(1)));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    list.SetToView(view.get());
    EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, false, false, false, false}));
    EXPECT_EQ(Get(GL_LIGHT0, GL_POSITION), (std::array<float, 4>{0, 0, 100, 0}));

    // Flag 1 clear: the eight lights again.
    view->SetDocumentFlag(static_cast<EDsDocumentFlag>(1), false);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    list.SetToView(view.get());
    EXPECT_EQ(Enabled(), std::vector<bool>(8, true));
    EXPECT_EQ(Get(GL_LIGHT0, GL_POSITION), (std::array<float, 4>{-100, 0, 100, 0}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The material the list sends is the state of the drawing it prepares: sent again unchanged,
    // or changed, it makes no view draw again, and the drawing's set-up reads it.
    CDsScene& scene = context.GetScene()->GetDbScene();
    CDsScene::TChangedPaths paths;
    CDsScene::TChangedIds ids;
    int log = 0, db = 0;
    scene.GetChanges(paths, ids, log, db, view.get());
    scene.SyncNumbers(log, db, view.get());
    list.SetToView(view.get());
    EXPECT_EQ(scene.GetChanges(paths, ids, log, db, view.get()), eNoChange);
    list.SetMaterial(CDsMaterialStorage(250, 190, 128, 10, 0));
    list.SetToView(view.get());
    EXPECT_EQ(scene.GetChanges(paths, ids, log, db, view.get()), eNoChange);
    float m[5];
    CDsPartStorage::instance()->GetDefaultMaterial(m[0], m[1], m[2], m[3], m[4]);
    EXPECT_FLOAT_EQ(m[0], 250 / 255.0f);
}

TEST_F(DsLightGLTest, TheLampsViewSetsTheColourMaterialWhileLampsAreShown)
{
    CDsLightList list;
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    glMatrixMode(GL_PROJECTION);
    list.SetupLampsView();  // lamps hidden: nothing
    GLint mode = 0, parameter = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &parameter);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_EQ(parameter, GL_DIFFUSE);

    list.SetDrawLightFiguresMode(true);
    EXPECT_TRUE(list.GetDrawLightFiguresMode());
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    list.SetupLampsView();
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &parameter);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(parameter, GL_AMBIENT_AND_DIFFUSE);
    float matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_EQ((std::array<float, 3>{matrix[12], matrix[13], matrix[14]}), (std::array<float, 3>{1, 2, 3}));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsLightGLTest, AShadedBlockLitByTheDefaultListShowsTheFaceTurnedToTheLightBrightest)
{
    CDsLightList list;

    // Ambient alone: every light off.
    CDsLightList dark;
    dark.GetLight(eDsLight0)->TurnOn(false);
    const std::array<Rgb, 3> ambientOnly = DrawLitCube(dark, view_);
    for (const Rgb& c : ambientOnly) {
        EXPECT_NEAR(c.r, 51, 6);  // 0.2 of the material's full ambient
        EXPECT_EQ(c.r, c.g);
    }

    // Lit from the upper left front: the front face (turned to the light) brightest, then the top,
    // then the right face, each clearly brighter than ambient alone.
    const std::array<Rgb, 3> lit = DrawLitCube(list, view_);
    const Rgb& front = lit[0];
    const Rgb& top = lit[1];
    const Rgb& right = lit[2];
    EXPECT_GT(front.r, 200);
    EXPECT_GT(front.r, top.r + 40);
    EXPECT_GT(top.r, right.r + 10);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(lit[i].r, ambientOnly[i].r + 20) << i;
        EXPECT_TRUE(vyrtest::ColorNear(lit[i], Rgb{lit[i].r, lit[i].r, lit[i].r}, 2)) << lit[i];  // white light
    }

    // Light 0 made red through the host's lines: red rules on every lit face.
    std::deque<std::wstring> lines;
    list.GetLights(&lines);
    ASSERT_EQ(lines[6 + 2].substr(0, 7), L"Diffuse");
    lines[6 + 2] = L"Diffuse 1 0 0 1";
    lines[6 + 3] = L"Specular 0.8 0 0 1";
    list.SetLights(&lines);
    const std::array<Rgb, 3> red = DrawLitCube(list, view_);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(red[i].r, red[i].g + 20) << i << " " << red[i];
        EXPECT_GT(red[i].r, red[i].b + 20) << i << " " << red[i];
        EXPECT_NEAR(red[i].g, ambientOnly[i].g, 4) << i;
    }
    EXPECT_GT(red[0].r, 200);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
