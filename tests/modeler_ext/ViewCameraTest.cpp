// view3d camera and projections without OpenGL: scale, frames, model transforms and bad input.
#include "acis_camera.h"
#include "rgb_color.h"
#include "view3d.h"

#include "ViewSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A 400 x 300 view looking down -z at the origin from distance 10, picture 40 x 30.
void TopView(view3d& view, bool perspective = false) {
    vyrtest::ViewSetup()
        .Pixels(400, 300)
        .Eye(SPAposition(0, 0, 10))
        .Field(40.0, 30.0)
        .Perspective(perspective)
        .ApplyTo(view);
}

TEST(ViewCameraTest, UnitsPerPixelFollowWidthZoomAndResize) {
    view3d view;
    TopView(view);
    EXPECT_DOUBLE_EQ(view.get_units_per_pixel(), 40.0 / 400.0);
    view.zoom_scale(2.0);
    EXPECT_DOUBLE_EQ(view.get_units_per_pixel(), 40.0 / 400.0 / 2.0);
    EXPECT_DOUBLE_EQ(view.get_height(), 15.0);

    // A window resize keeps the scale: the picture grows with the window.
    const double before = view.get_units_per_pixel();
    view.resize(800, 600);
    EXPECT_DOUBLE_EQ(view.get_units_per_pixel(), before);
    EXPECT_DOUBLE_EQ(view.get_width(), 40.0);

    // Nonsense zooms change nothing.
    view.zoom_scale(0.0);
    view.zoom_scale(-3.0);
    view.zoom_scale(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(view.get_units_per_pixel(), before);
}

// Callers turn pixel distances into model lengths with the units per pixel (pick radii, pixel-
// sized markers, pick rays from mouse positions); those lengths must match what the projection
// puts on the screen, whatever the image scale.
TEST(ViewCameraTest, UnitsPerPixelAreThePixelSpacingOfTheProjectionAtAnyImageScale) {
    for (double scale : {1.0, 2.0, 0.5}) {
        view3d view;
        TopView(view);
        view.set_image_scale(scale);
        EXPECT_DOUBLE_EQ(view.get_image_scale(), scale);
        SPAposition a, b;
        ASSERT_TRUE(view.drawable_to_world(100.0, 50.0, a));
        ASSERT_TRUE(view.drawable_to_world(110.0, 50.0, b));
        EXPECT_NEAR((b - a).len() / 10.0, view.get_units_per_pixel(), 1e-12) << "image scale " << scale;
        float x = 0, y = 0;
        ASSERT_TRUE(view.world_to_drawable(SPAposition(10, 0, 0), x, y));
        EXPECT_NEAR(x - 200.0f, 10.0 / view.get_units_per_pixel(), 1e-3) << "image scale " << scale;
    }
}

// A plot of a larger image of the same view: the viewport grows by the image scale and the
// window-size adjustment (camera width = viewport width / pixels per unit / image scale) keeps
// the camera width, so the same model fills the larger image and each of its pixels covers
// camera width / (window width x image scale). Restoring brings the window's numbers back.
TEST(ViewCameraTest, APlotOfALargerImageKeepsTheViewAndDividesTheUnitsPerPixel) {
    view3d view;
    TopView(view);  // 400 pixels wide, 40 units: 10 pixels per unit
    const double pixelsPerUnit = 10.0;
    SPAposition corner;
    ASSERT_TRUE(view.drawable_to_world(0.0, 0.0, corner));

    const double savedScale = view.get_image_scale();
    int sx = 0, sy = 0, sw = 0, sh = 0;
    view.get_viewport(sx, sy, sw, sh);

    const double scale = 3.0;
    view.set_image_scale(scale);
    view.set_viewport(0, 0, static_cast<int>(sw * scale), static_cast<int>(sh * scale));
    view.set_width(sw * scale / pixelsPerUnit / view.get_image_scale());
    view.set_height(sh * scale / pixelsPerUnit / view.get_image_scale());
    EXPECT_DOUBLE_EQ(view.get_width(), 40.0);
    EXPECT_DOUBLE_EQ(view.get_units_per_pixel(), 40.0 / (400.0 * scale));
    SPAposition plotCorner;
    ASSERT_TRUE(view.drawable_to_world(0.0, 0.0, plotCorner));
    EXPECT_TRUE(same_point(plotCorner, corner)) << "the plot shows the same view";

    view.set_image_scale(savedScale);
    view.set_viewport(sx, sy, sw, sh);
    EXPECT_DOUBLE_EQ(view.get_units_per_pixel(), 40.0 / 400.0);
}

TEST(ViewCameraTest, ParallelProjectionPlacesPixelsWithYDown) {
    view3d view;
    TopView(view);
    float x = 0, y = 0;
    ASSERT_TRUE(view.world_to_drawable(SPAposition(0, 0, 0), x, y));
    EXPECT_FLOAT_EQ(x, 200.0f);
    EXPECT_FLOAT_EQ(y, 150.0f);
    // +y in the model is up on the screen, so the drawable y gets smaller.
    ASSERT_TRUE(view.world_to_drawable(SPAposition(10, 5, -3), x, y));
    EXPECT_FLOAT_EQ(x, 300.0f);
    EXPECT_FLOAT_EQ(y, 100.0f);
    SPAposition back;
    ASSERT_TRUE(view.drawable_to_world(0.0, 0.0, back));
    EXPECT_NEAR(back.x(), -20.0, 1e-12);
    EXPECT_NEAR(back.y(), 15.0, 1e-12);
}

TEST(ViewCameraTest, ViewOrientationTakesTargetToOriginAndEyeOutwards) {
    view3d view;
    view.set_viewport(0, 0, 100, 100);
    view.set_eye(SPAposition(5, 6, 7));
    view.set_target(SPAposition(1, 2, 3));
    view.set_up(SPAvector(0, 0, 1));
    const view_matrix& m = view.view_orientation_transform();
    const view_matrix& inv = view.inverse_view_orientation();
    auto apply = [](const view_matrix& a, const SPAposition& p) {
        return SPAposition(p.x() * a[0][0] + p.y() * a[1][0] + p.z() * a[2][0] + a[3][0],
                           p.x() * a[0][1] + p.y() * a[1][1] + p.z() * a[2][1] + a[3][1],
                           p.x() * a[0][2] + p.y() * a[1][2] + p.z() * a[2][2] + a[3][2]);
    };
    const SPAposition t = apply(m, view.get_target());
    EXPECT_NEAR((t - SPAposition(0, 0, 0)).len(), 0.0, 1e-5);
    const SPAposition e = apply(m, view.get_eye());
    EXPECT_NEAR(e.x(), 0.0, 1e-5);
    EXPECT_NEAR(e.y(), 0.0, 1e-5);
    EXPECT_NEAR(e.z(), std::sqrt(48.0), 1e-5);
    const SPAposition q(-3, 8, 0.5);
    EXPECT_NEAR((apply(inv, apply(m, q)) - q).len(), 0.0, 1e-5);
    // Right, up and out form a right-handed frame with out towards the viewer.
    EXPECT_NEAR(((view.get_right() * view.get_up()) - view.get_out()).len(), 0.0, 1e-12);
    EXPECT_NEAR((view.get_out() + view.get_direction()).len(), 0.0, 1e-12);
}

TEST(ViewCameraTest, CurrentTransformIncludesModelTransformAndFlipsToDrawable) {
    view3d view;
    TopView(view, true);
    const SPAtransf move = translate_transf(SPAvector(2, -1, 1));
    const SPAtransf turn = rotate_transf(0.3, SPAvector(0, 0, 1));
    view.SetModelTransform(move);
    view.SetModelTransform(turn);  // applied first, then the outer one
    EXPECT_EQ(view.get_model_transform_depth(), 2);

    const SPAposition p(3, 4, -2);
    const view_matrix& ctm = view.get_ctm();
    float h[4];
    for (int j = 0; j < 4; ++j) h[j] = p.x() * ctm[0][j] + p.y() * ctm[1][j] + p.z() * ctm[2][j] + ctm[3][j];
    float dx = 0, dy = 0;
    ASSERT_TRUE(view.ClipToDrawable(h, dx, dy));
    float x = 0, y = 0;
    ASSERT_TRUE(view.world_to_drawable(p * turn * move, x, y));
    EXPECT_NEAR(dx, x, 1e-3);
    EXPECT_NEAR(300.0f - dy, y, 1e-3);  // device y counts up from the bottom

    EXPECT_EQ(view.ClearModelTransform(), 1);
    EXPECT_EQ(view.ClearModelTransform(), 1);
    EXPECT_EQ(view.ClearModelTransform(), 0);  // nothing left to pop
    EXPECT_TRUE(view.get_model_transform().identity());
}

TEST(ViewCameraTest, DegenerateInputAnswersFalseOrNeutral) {
    view3d view;
    TopView(view, true);
    float x = 7, y = 7;
    SPAposition out(1, 2, 3);

    // A point behind (or at) the perspective eye does not project.
    EXPECT_FALSE(view.world_to_drawable(SPAposition(0, 0, 11), x, y));
    EXPECT_FALSE(view.world_to_drawable(SPAposition(0, 0, 10), x, y));
    EXPECT_EQ(x, 7);
    const float behind[4] = {1.0f, 2.0f, 3.0f, -0.5f};
    EXPECT_FALSE(view.ClipToDrawable(behind, x, y));

    // Zero-size viewport.
    view.set_viewport(0, 0, 0, 0);
    EXPECT_EQ(view.get_units_per_pixel(), 0.0);
    EXPECT_FALSE(view.world_to_drawable(SPAposition(0, 0, 0), x, y));
    EXPECT_FALSE(view.drawable_to_world(0, 0, out));
    view.adjust_aspect();  // nothing to match
    EXPECT_DOUBLE_EQ(view.get_width(), 40.0);

    // Eye on target: no projection, a neutral frame without NaN.
    TopView(view, false);
    view.set_eye(SPAposition(0, 0, 0));
    EXPECT_FALSE(view.world_to_drawable(SPAposition(1, 1, 1), x, y));
    EXPECT_FALSE(view.drawable_to_world(5, 5, out));
    EXPECT_EQ(out.x(), 1.0);
    for (const SPAunit_vector& v : {view.get_direction(), view.get_up(), view.get_right()})
        EXPECT_NEAR(v.len(), 1.0, 1e-12);

    // Up along the direction: another up is chosen, square to the direction.
    TopView(view, false);
    view.set_up(SPAvector(0, 0, 5));
    EXPECT_NEAR(view.get_up() % view.get_direction(), 0.0, 1e-12);
    EXPECT_NEAR(view.get_up().len(), 1.0, 1e-12);
    EXPECT_TRUE(view.world_to_drawable(SPAposition(1, 1, 1), x, y));
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));

    // Values that are not finite are ignored.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    view.set_eye(SPAposition(nan, 0, 0));
    view.set_width(nan);
    view.set_width(-1.0);
    EXPECT_EQ(view.get_eye().z(), 10.0);
    EXPECT_EQ(view.get_width(), 40.0);
}

TEST(ViewCameraTest, DirectionAspectAndMove) {
    view3d view;
    TopView(view);
    view.set_direction(SPAvector(1, 0, 0), SPAvector(0, 0, 1));
    EXPECT_NEAR((view.get_eye() - SPAposition(-10, 0, 0)).len(), 0.0, 1e-12);
    EXPECT_NEAR((view.get_up() - SPAvector(0, 0, 1)).len(), 0.0, 1e-12);
    view.set_direction(SPAvector(0, 0, 0), SPAvector(0, 1, 0));  // ignored
    EXPECT_NEAR(view.get_eye().x(), -10.0, 1e-12);

    view.set_width(10.0);
    view.set_height(10.0);
    view.adjust_aspect();  // 400 x 300: the width grows
    EXPECT_DOUBLE_EQ(view.get_width(), 10.0 * 4.0 / 3.0);
    EXPECT_DOUBLE_EQ(view.get_height(), 10.0);

    view.move(SPAvector(0, 3, 0));
    EXPECT_NEAR(view.get_target().y(), 3.0, 1e-12);
    EXPECT_NEAR(view.get_eye().y(), 3.0, 1e-12);
}

TEST(ViewCameraTest, CameraTransformationMapsCameraFrameToModel) {
    acis_camera cam;
    cam.set_eye(SPAposition(1, 2, 3));
    cam.set_target(SPAposition(1, 2, -7));
    cam.set_up(SPAvector(0, 1, 0));
    const SPAtransf t = cam.GetTransformation();
    EXPECT_NEAR((SPAposition(0, 0, 0) * t - cam.get_eye()).len(), 0.0, 1e-12);
    EXPECT_NEAR((SPAposition(0, 0, -10) * t - cam.get_target()).len(), 0.0, 1e-12);
    EXPECT_NEAR((SPAposition(1, 0, 0) * t - SPAposition(2, 2, 3)).len(), 0.0, 1e-12);
}

TEST(ViewCameraTest, ColourConvertsWithRedInTheLowestByte) {
    rgb_color c;
    c.set_windows_color(0x00336699ul);
    EXPECT_NEAR(c.red(), 0x99 / 255.0, 1e-12);
    EXPECT_NEAR(c.green(), 0x66 / 255.0, 1e-12);
    EXPECT_NEAR(c.blue(), 0x33 / 255.0, 1e-12);
    EXPECT_EQ(c.windows_color(), 0x00336699ul);
    c.set_windows_color(0xFF0000FFul);  // the top byte is not a colour
    EXPECT_EQ(c.windows_color(), 0x000000FFul);
    EXPECT_EQ(rgb_color(2.0, -1.0, std::nan("")).windows_color(), 0x000000FFul);
}

}  // namespace
