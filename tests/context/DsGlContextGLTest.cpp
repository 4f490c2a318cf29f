// The rendering context with OpenGL: views that share display lists, the extent of what the scene
// shows (clipping planes fitted to it, projected dimensions), whether an entity is shown in the
// current view, windows of the context's views, and a context that goes with views and items.
#include "DsDriverExtrema.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemPolyline3D.h"
#include "DsItemsGroup.h"
#include "DsItemsMap.h"
#include "DsLightList.h"
#include "DsMaterialStorage.h"
#include "DsManager.h"
#include "EntityDeleter.h"
#include "GlTestFixture.h"

#include "SpaBuilders.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

using vyrtest::ColorNear;
using vyrtest::ContextOf;
using vyrtest::EntityPtr;
using vyrtest::PlainWindow;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewOn;
using vyrtest::ViewSetup;

namespace {

// A group the test fills.
class TestGroup : public CDsItemsGroup {
public:
    TestGroup() : CDsItemsGroup(nullptr, nullptr) {}
    using CDsItemsGroup::Add;
};

// The twelve edges of a cube of side `side` centred on the origin, as polylines.
TestGroup* Cube(double side)
{
    auto* group = new TestGroup;
    const double h = side / 2;
    for (int axis = 0; axis < 3; ++axis)
        for (int a = -1; a <= 1; a += 2)
            for (int b = -1; b <= 1; b += 2) {
                double p[3], q[3];
                p[axis] = -h;
                q[axis] = h;
                p[(axis + 1) % 3] = q[(axis + 1) % 3] = a * h;
                p[(axis + 2) % 3] = q[(axis + 2) % 3] = b * h;
                const SPAposition ends[2] = {SPAposition(p[0], p[1], p[2]), SPAposition(q[0], q[1], q[2])};
                group->Add(new CDsItemPolyline3D(2, ends, false, nullptr));
            }
    return group;
}

class DsGlContextGLTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(vyrtest::DisplayAvailable()); }
    void TearDown() override { wglMakeCurrent(nullptr, nullptr); }
    vyrtest::ViewStaticsGuard statics_;
};

}  // namespace

TEST_F(DsGlContextGLTest, ASecondViewsContextReplaysTheListsCompiledThroughTheFirst)
{
    PlainWindow w1(60, 40), w2(60, 40);
    CDsGlContext context;
    const int liveBefore = gl_context::StGetLiveContextCount();
    auto first = ViewOn(w1, context, 60, 40);
    EXPECT_EQ(gl_context::StGetLiveContextCount(), liveBefore + 2);  // the view's and the shared one
    auto second = ViewOn(w2, context, 60, 40);
    EXPECT_EQ(gl_context::StGetLiveContextCount(), liveBefore + 3);
    EXPECT_NE(context.GetPixelFormat(first.get()), 0);

    ASSERT_TRUE(context.MakeCurrent(first.get()));
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEndList();
    ASSERT_TRUE(context.MakeCurrent(second.get()));
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*second));
    glCallList(list);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 20), Rgb{0, 0, 255}));
    glDeleteLists(list, 1);

    // The current core view not in this context: its first view is made current.
    CDsView3dCdc::sCurrentView = nullptr;
    context.MakeCurrent(nullptr);
    context.MakeMyViewCurrent();
    EXPECT_EQ(CDsGlContext::sCurrentView, first.get());

    // Removing a view twice, or one never added, changes nothing more.
    context.remove_view(second.get());
    context.remove_view(second.get());
    CDsView3dCdc stranger;
    context.remove_view(&stranger);
    context.remove_view(nullptr);
    EXPECT_EQ(context.view_count(), 1);
}

TEST_F(DsGlContextGLTest, TheSceneIsMeasuredToFitTheClippingPlanesAndItsProjectedSize)
{
    PlainWindow window(200, 200);
    CDsGlContext context;
    auto view = ViewOn(window, context, 200, 200);
    ViewSetup().Pixels(200, 200).Eye(SPAposition(0, 0, 100)).Field(40, 40).Clip(1, 500).ApplyTo(*view);
    context.GetScene()->AddItemsGroup(Cube(10));

    double width = 0, height = 0;
    ASSERT_TRUE(CDsGeometryComputer::GetInstance()->GetProjectionDimensions(view.get(), width, height));
    EXPECT_NEAR(width, 10.0, 1e-4);
    EXPECT_NEAR(height, 10.0, 1e-4);
    double w2 = 0, h2 = 0, left = 0, top = 0;
    ASSERT_TRUE(CDsGeometryComputer::GetInstance()->GetProjectionDimensionsAndOffset(view.get(), w2, h2, left, top));
    EXPECT_NEAR(left, -25.0, 1e-3);  // 5 units left of the target at 5 pixels a unit
    EXPECT_NEAR(top, 25.0, 1e-3);
    EXPECT_FALSE(StGetExtremaMode());

    // The planes close in on the cube: 10 deep, widened by 2.5 % at each end.
    {
        CDsDriverExtrema driver(view.get());
        ASSERT_TRUE(driver.AdjustClippingPlanes(true, false));
    }
    EXPECT_NEAR(view->get_hither(), 0.01, 1e-9);
    EXPECT_NEAR(view->get_yon(), 10.5 + 1.02, 1e-4);
    const SPAposition eye = view->get_eye();
    EXPECT_NEAR(eye.z(), 5.25 + 1.01, 1e-4);  // 1.01 in front of the nearest face
    EXPECT_NEAR(eye.x(), 0.0, 1e-9);

    // A perspective view keeps its eye and encloses the cube between its planes.
    ViewSetup().Pixels(200, 200).Eye(SPAposition(0, 0, 50)).Field(40, 40).Perspective(true).ApplyTo(*view);
    {
        CDsDriverExtrema driver(view.get());
        ASSERT_TRUE(driver.AdjustClippingPlanes(true, true));
    }
    EXPECT_NEAR(view->get_eye().z(), 50.0, 1e-9);
    EXPECT_LT(view->get_hither(), 45.0);
    EXPECT_GT(view->get_yon(), 55.0);

    // A view of no core context measures nothing of a scene.
    view3d plain;
    EXPECT_FALSE(CDsGeometryComputer::GetInstance()->GetProjectionDimensions(&plain, width, height));
    EXPECT_FALSE(CDsGeometryComputer::GetInstance()->GetProjectionDimensions(nullptr, width, height));
}

TEST_F(DsGlContextGLTest, AnEntityIsShownInTheCurrentViewsContextAndNoOther)
{
    PlainWindow w1(40, 40), w2(40, 40);
    CDsGlContext shown, other;
    auto view = ViewOn(w1, shown, 40, 40);
    auto elsewhere = ViewOn(w2, other, 40, 40);
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1)), hidden(make_block(2, 0, 0, 3, 1, 1));
    auto* group = new TestGroup;
    group->SetGlContext(&shown);
    group->SetEntity(body.get());
    shown.GetScene()->AddItemsGroup(group);
    auto* inOther = new TestGroup;
    inOther->SetGlContext(&other);
    inOther->SetEntity(hidden.get());
    other.GetScene()->AddItemsGroup(inOther);

    CDsView3dCdc::StSetCurrent(view.get(), false);
    CDsGlContext* found = &other;
    EXPECT_TRUE(DsIsEntityDisplayedInCurrentView(body.get(), found));
    EXPECT_EQ(found, &shown);
    EXPECT_EQ(wglGetCurrentContext(), ContextOf(*view));
    EXPECT_FALSE(DsIsEntityDisplayedInCurrentView(hidden.get(), found));
    EXPECT_EQ(found, nullptr);
    EXPECT_FALSE(DsIsEntityDisplayedInCurrentView(nullptr, found));
    CDsView3dCdc::sCurrentView = nullptr;
    EXPECT_FALSE(DsIsEntityDisplayedInCurrentView(body.get(), found));
}

TEST_F(DsGlContextGLTest, WindowsOfTheViewsAreValidatedAndAGoingContextLeavesThemAlone)
{
    vyrtest::FrameworkWindow window(80, 60);
    auto context = std::make_unique<CDsGlContext>();
    CDsView3dCdc view(&window.wnd);
    view.SetGlContext(context.get());
    context->add_view(&view);
    context->InvalidateView(&view);
    EXPECT_FALSE(context->IsViewUpToDate(&view));
    context->ValidateView(&view);
    EXPECT_TRUE(context->IsViewUpToDate(&view));
    EXPECT_TRUE(context->IsViewUpToDate(nullptr));
    context->ValidateView(nullptr);

    // A context going with items in its scene and a view attached invalidates nothing.
    context->GetScene()->AddItemsGroup(Cube(2));
    context.reset();
    EXPECT_FALSE(window.Invalidated());
    EXPECT_EQ(view.GetGlContext(), nullptr);
}

TEST_F(DsGlContextGLTest, TheViewsFrameSetUpSendsTheScenesLightsAndPicksDoNot)
{
    PlainWindow window(60, 40);
    CDsGlContext context;
    auto view = ViewOn(window, context, 60, 40);
    ViewSetup().Pixels(60, 40).Eye(SPAposition(0, 0, 100)).Field(60, 40).Clip(1, 500).ApplyTo(*view);
    ASSERT_TRUE(context.MakeCurrent(view.get()));
    context.GetScene()->GetLightList()->SetAmbientLight(0.35f);

    glDisable(GL_LIGHT0);
    const float none[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    view->SetupRenderingTransforms(true, true, false, nullptr);  // a pick sends no lights
    float ambient[4] = {};
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));

    view->SetupRenderingTransforms(false, true, false, nullptr);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.35f);
    EXPECT_FLOAT_EQ(ambient[3], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));  // light 0 is on in the default list
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // The context's light operations reach the scene's list.
    EXPECT_FLOAT_EQ(context.GetAmbientLight(), 0.35f);
    EXPECT_NE(context.GetLight(0), nullptr);
    EXPECT_EQ(context.GetLight(8), nullptr);
    EXPECT_EQ(context.GetLight(-1), nullptr);
    context.SetLightsChangedFlag(true);
    EXPECT_TRUE(context.CheckIfLightsChanged());
    context.GetScene()->SetDisplayModeFlag(15, true);
    context.SetDrawLightFiguresMode(true);
    EXPECT_TRUE(context.GetScene()->GetLightList()->GetDrawLightFiguresMode());
    EXPECT_FALSE(context.GetScene()->GetDisplayModeFlag(15));
    // A material set through the context leaves the display as it was (not suspended).
    CDsMaterialStorage material;
    context.GetMaterial(material);
    context.SetMaterial(material);
    EXPECT_FALSE(context.GetDisplaySuspensionMode());
}
