// view3d against OpenGL: the projection the view computes agrees with the GL matrices it sets up.
#include "view3d.h"

#include "GlTestFixture.h"
#include "ViewSetup.h"

#include <GL/glu.h>

#include <cmath>

namespace {

class ViewProjectionGLTest : public vyrtest::GlTest {
protected:
    // A view over the fixture's 200 x 100 window looking at the box around the origin obliquely.
    void SetUpView(view3d& view, bool perspective) {
        vyrtest::ViewSetup::Oblique(window_->width, window_->height, perspective).ApplyTo(view);
    }

    // gluProject of `p` under the current GL matrices, as drawable coordinates (y down).
    bool GluDrawable(const SPAposition& p, double& x, double& y) {
        GLdouble model[16], proj[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, proj);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble wx, wy, wz;
        if (gluProject(p.x(), p.y(), p.z(), model, proj, viewport, &wx, &wy, &wz) != GL_TRUE) return false;
        x = wx - viewport[0];
        y = viewport[3] - (wy - viewport[1]);
        return true;
    }

    void CheckAgainstGlu(bool perspective) {
        view3d view;
        SetUpView(view, perspective);
        view.SetupRenderingTransforms(false, true, false, nullptr);
        const SPAposition points[] = {{0, 0, 0}, {5, 3, -2}, {-4, 6, 3}, {1, 2, -1}, {7, -5, 4}, {-6, -2, -3}};
        for (const SPAposition& p : points) {
            double gx = 0, gy = 0;
            ASSERT_TRUE(GluDrawable(p, gx, gy));
            float x = 0, y = 0;
            ASSERT_TRUE(view.world_to_drawable(p, x, y));
            EXPECT_NEAR(x, gx, 0.5) << "x of (" << p.x() << ", " << p.y() << ", " << p.z() << ")";
            EXPECT_NEAR(y, gy, 0.5) << "y of (" << p.x() << ", " << p.y() << ", " << p.z() << ")";

            // Back from the drawable: a point on the target plane on the same line of sight.
            SPAposition back;
            ASSERT_TRUE(view.drawable_to_world(x, y, back));
            EXPECT_NEAR((back - view.get_target()) % view.get_direction(), 0.0, 1e-9);
            float bx = 0, by = 0;
            ASSERT_TRUE(view.world_to_drawable(back, bx, by));
            EXPECT_NEAR(bx, x, 1e-3);
            EXPECT_NEAR(by, y, 1e-3);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

TEST_F(ViewProjectionGLTest, ParallelProjectionMatchesGluProject) { CheckAgainstGlu(false); }

TEST_F(ViewProjectionGLTest, PerspectiveProjectionMatchesGluProject) { CheckAgainstGlu(true); }

TEST_F(ViewProjectionGLTest, TargetPlanePointsRoundTripExactly) {
    for (bool perspective : {false, true}) {
        view3d view;
        SetUpView(view, perspective);
        const SPAposition on_plane = view.get_target() + view.get_right() * 3.5 + view.get_up() * -2.25;
        float x = 0, y = 0;
        ASSERT_TRUE(view.world_to_drawable(on_plane, x, y));
        SPAposition back;
        ASSERT_TRUE(view.drawable_to_world(x, y, back));
        EXPECT_LT((back - on_plane).len(), 1e-4) << (perspective ? "perspective" : "parallel");
    }
}

TEST_F(ViewProjectionGLTest, PickSetupCentresThePickRegion) {
    view3d view;
    SetUpView(view, true);
    const SPAposition p(5, 3, -2);
    float x = 0, y = 0;
    ASSERT_TRUE(view.world_to_drawable(p, x, y));
    view.pick_mode(1, static_cast<int>(x), static_cast<int>(y), 4, 4);
    view.SetupRenderingTransforms(true, true, false, nullptr);
    // Under the pick matrix the picked point lands near the middle of the viewport.
    double gx = 0, gy = 0;
    ASSERT_TRUE(GluDrawable(p, gx, gy));
    EXPECT_NEAR(gx, window_->width / 2.0, window_->width / 4.0 + 1.0);
    EXPECT_NEAR(gy, window_->height / 2.0, window_->height / 4.0 + 1.0);
}

TEST_F(ViewProjectionGLTest, DegenerateCameraSendsNoNaNToOpenGL) {
    view3d view;
    view.set_viewport(0, 0, 0, 0);
    view.set_eye(SPAposition(1, 1, 1));
    view.set_target(SPAposition(1, 1, 1));
    view.set_perspective(true);
    view.set_hither(0.0);
    view.set_yon(0.0);
    view.SetupRenderingTransforms(true, true, false, nullptr);
    view.Start2dDraw();
    view.End2dDraw();
    GLdouble model[16], proj[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(model[i]));
        EXPECT_TRUE(std::isfinite(proj[i]));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
