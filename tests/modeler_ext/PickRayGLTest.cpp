// Pick rays through pixels: every model point that the view projects onto a pixel's centre lies on
// the pick ray of that pixel, and the ray agrees with what OpenGL draws under the view's matrices.
#include "UiPickEvent.h"
#include "pick_ray.h"
#include "view3d.h"

#include "GlTestFixture.h"
#include "ViewSetup.h"

#include <GL/glu.h>

#include <cmath>

namespace {

// Distance of `p` from the line of `ray`.
double DistanceToRay(const pick_ray& ray, const SPAposition& p)
{
    const SPAvector d = p - ray.root_point();
    return (d - (d % ray.direction()) * ray.direction()).len();
}

class PickRayGLTest : public vyrtest::GlTest {
protected:
    void SetUpView(view3d& view, bool perspective)
    {
        vyrtest::ViewSetup::Oblique(window_->width, window_->height, perspective).ApplyTo(view);
    }

    // The model point that OpenGL puts at the centre of pixel (i, j) (drawable, y down) at window
    // depth `depth`, under the current matrices.
    SPAposition GluPixelCentre(int i, int j, double depth)
    {
        GLdouble model[16], proj[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, proj);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble x = 0, y = 0, z = 0;
        EXPECT_EQ(GL_TRUE, gluUnProject(viewport[0] + i + 0.5, viewport[1] + viewport[3] - (j + 0.5), depth, model,
                                        proj, viewport, &x, &y, &z));
        return SPAposition(x, y, z);
    }

    void CheckPixels(bool perspective)
    {
        view3d view;
        SetUpView(view, perspective);
        view.SetupRenderingTransforms(false, true, false, nullptr);
        const int pixels[][2] = {{0, 0}, {100, 50}, {199, 99}, {17, 83}, {150, 3}};
        for (const auto& px : pixels) {
            SCOPED_TRACE(testing::Message() << (perspective ? "perspective" : "parallel") << " pixel (" << px[0]
                                            << ", " << px[1] << ")");
            const pick_ray ray = get_pick_ray(pick_event(px[0], px[1], &view));
            ASSERT_TRUE(ray.valid());
            EXPECT_GT(ray.direction() % view.get_direction(), perspective ? 0.9 : 1.0 - 1e-12)
                << "the ray looks into the model";

            // The model points on the target plane and in front of and behind it that project
            // onto the pixel's centre (the view's own projection works through a float matrix,
            // hence the pixel tolerance).
            const double cx = px[0] + 0.5, cy = px[1] + 0.5;
            SPAposition onTarget;
            ASSERT_TRUE(view.drawable_to_world(cx, cy, onTarget));
            const SPAvector sight = perspective ? onTarget - view.get_eye() : SPAvector(view.get_direction());
            for (double s : {0.0, -0.5, 0.75, 2.0}) {
                const SPAposition p = perspective ? view.get_eye() + (1.0 + s) * sight : onTarget + 10.0 * s * sight;
                double x = 0, y = 0, depth = 0;
                ASSERT_TRUE(view.world_to_drawable(p, x, y, depth));
                ASSERT_NEAR(cx, x, 1e-4);
                ASSERT_NEAR(cy, y, 1e-4);
                EXPECT_LT(DistanceToRay(ray, p), 1e-6) << "point at s = " << s;
            }

            // The same pixel as OpenGL sees it (float matrices: a looser bound).
            for (double depth : {0.2, 0.5, 0.9})
                EXPECT_LT(DistanceToRay(ray, GluPixelCentre(px[0], px[1], depth)), 1e-3) << "GL depth " << depth;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

TEST_F(PickRayGLTest, ParallelRayPassesThroughEveryPointOfItsPixelCentre) { CheckPixels(false); }

TEST_F(PickRayGLTest, PerspectiveRayPassesThroughEveryPointOfItsPixelCentre) { CheckPixels(true); }

TEST_F(PickRayGLTest, MappedPositionLiesUnderThePixelOnTheWorkingPlane) {
    for (bool perspective : {false, true}) {
        SCOPED_TRACE(perspective ? "perspective" : "parallel");
        view3d view;
        SetUpView(view, perspective);
        view.SetupRenderingTransforms(false, true, false, nullptr);
        CUiPickEvent event(120, 30, 0, &view, nullptr);

        // The default working plane is the model's xy plane.
        const SPAposition onXY = event.GetMappedPosition(true);
        EXPECT_NEAR(0.0, onXY.z(), 1e-9);
        double x = 0, y = 0, depth = 0;
        ASSERT_TRUE(view.world_to_drawable(onXY, x, y, depth));
        EXPECT_NEAR(120.5, x, 1e-4);
        EXPECT_NEAR(30.5, y, 1e-4);

        // Another plane: through (0, 0, 5), normal along x.
        event.SetWorkPlane(SPAposition(0, 0, 5), SPAvector(1, 0, 0));
        const SPAposition onYZ = event.GetMappedPosition(true);
        EXPECT_NEAR(0.0, onYZ.x(), 1e-9);
        ASSERT_TRUE(view.world_to_drawable(onYZ, x, y, depth));
        EXPECT_NEAR(120.5, x, 1e-4);
        EXPECT_NEAR(30.5, y, 1e-4);

        // Without the working plane: the target plane.
        const SPAposition onTarget = event.GetMappedPosition(false);
        EXPECT_NEAR(0.0, (onTarget - view.get_target()) % view.get_direction(), 1e-9);
        EXPECT_LT(DistanceToRay(get_pick_ray(event), onTarget), 1e-6);
    }
}

}  // namespace
