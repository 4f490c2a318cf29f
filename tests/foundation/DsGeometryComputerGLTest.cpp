// The geometry computer's projection against OpenGL's own: the view sets up the GL matrices for
// its camera and gluProject of those matrices must land on the same pixel, y counted from the top.
#include "DsGeometryComputer.h"
#include "GlTestFixture.h"
#include "ViewSetup.h"
#include "view3d.h"

#include <GL/glu.h>

namespace {

class DsGeometryComputerGLTest : public vyrtest::GlTest {};

// Projects `points` both ways on a view with the given camera and compares them.
void ExpectAgreesWithGluProject(bool perspective)
{
    view3d view;
    vyrtest::ViewSetup()
        .Eye(SPAposition(6.0, -4.0, 12.0))
        .Target(SPAposition(1.0, 0.5, -0.5))
        .Up(SPAvector(0.0, 0.0, 1.0))
        .Field(8.0, 4.0)
        .Perspective(perspective)
        .ApplyTo(view);
    view.SetupRenderingTransforms(false, true, false, nullptr);

    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    ASSERT_EQ(viewport[2], 200);
    ASSERT_EQ(viewport[3], 100);

    const SPAposition target = view.get_target();
    const CGmPosition points[] = {CGmPosition(target), CGmPosition(2.0, 1.0, 0.0), CGmPosition(-1.0, 2.0, 1.0),
                                  CGmPosition(3.0, -1.0, -2.0), CGmPosition(0.0, 0.0, 0.0)};
    int height = -1;
    for (const CGmPosition& p : points) {
        GLdouble wx = 0, wy = 0, wz = 0;
        ASSERT_EQ(gluProject(p.x(), p.y(), p.z(), model, projection, viewport, &wx, &wy, &wz), GL_TRUE);
        float x = 0, y = 0;
        ASSERT_TRUE(CDsGeometryComputer::GetInstance()->ProjectPositionOnView(p, &view, x, y, &height));
        EXPECT_NEAR(x, wx, 0.5) << p.x() << " " << p.y() << " " << p.z();
        EXPECT_NEAR(y, 100.0 - wy - 1.0, 0.5) << p.x() << " " << p.y() << " " << p.z();
    }
    // The target lands on the viewport's centre.
    float x = 0, y = 0;
    ASSERT_TRUE(CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(target), &view, x, y));
    EXPECT_NEAR(x, 100.0f, 0.5f);
    EXPECT_NEAR(y, 100.0f - 50.0f - 1.0f, 0.5f);
}

} // namespace

TEST_F(DsGeometryComputerGLTest, ParallelCameraAgreesWithGluProject)
{
    ExpectAgreesWithGluProject(false);
}

TEST_F(DsGeometryComputerGLTest, PerspectiveCameraAgreesWithGluProject)
{
    ExpectAgreesWithGluProject(true);
}
