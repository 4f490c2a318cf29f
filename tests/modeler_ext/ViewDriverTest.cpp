// view3d drawing through drivers: pen and model transform reaching the driver, projection of 3-D
// drawing, pick-mode hit answers, and extrema measured by driver_extrema.
#include "driver_extrema.h"
#include "pick_event.h"
#include "view3d.h"
#include "view_3d_extrema.h"

#include "ViewSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Remembers what reached it, with the pen it had at that moment.
class RecordingDriver : public driver_context {
public:
    struct Call {
        std::vector<float> points;
        int closed = 0;
        unsigned long colour = 0;
        int width = 0;
        line_style style = line_style_solid;
    };
    int draw_polyline_3d(int n, const float* xyz, int closed) override {
        calls3d.push_back({std::vector<float>(xyz, xyz + 3 * n), closed, m_foreground.windows_color(), m_line_width,
                           m_line_style});
        return driver_context::draw_polyline_3d(n, xyz, closed);  // projects into draw_polyline_2d
    }
    int draw_polyline_2d(int n, const float* xy, int fill) override {
        calls2d.push_back({std::vector<float>(xy, xy + 2 * n), fill, 0, 0, line_style_solid});
        return 0;
    }
    int draw_point_2d(float x, float y) override {
        points2d.push_back({x, y});
        return 0;
    }
    void set_line_width(int width) override {
        widths.push_back(width);  // as given, before the driver's own clamp
        driver_context::set_line_width(width);
    }
    std::vector<Call> calls3d, calls2d;
    std::vector<std::vector<float>> points2d;
    std::vector<int> widths;
};

void FrontView(view3d& view, bool perspective) {
    vyrtest::ViewSetup()
        .Pixels(400, 200)
        .Eye(SPAposition(0, -20, 0))
        .Up(SPAvector(0, 0, 1))
        .Field(20.0, 10.0)
        .Perspective(perspective)
        .ApplyTo(view);
}

TEST(ViewDriverTest, ANegativePenWidthIsZeroForTheViewAndEveryDriver) {
    view3d view;
    FrontView(view, false);
    view.set_line_width(-3);
    EXPECT_EQ(view.get_line_width(), 0);  // what a renderer reads for its line width
    auto* driver = new RecordingDriver;
    view.set_driver_context(driver);  // a driver installed later gets the pen as the view holds it
    ASSERT_FALSE(driver->widths.empty());
    EXPECT_EQ(driver->widths.back(), 0);
    view.set_line_width(-7);
    EXPECT_EQ(view.get_line_width(), 0);
    EXPECT_EQ(driver->widths.back(), 0);
    view.set_line_width(2);
    EXPECT_EQ(view.get_line_width(), 2);
    EXPECT_EQ(driver->widths.back(), 2);
}

TEST(ViewDriverTest, DriverGetsPenAndTransformedPoints) {
    view3d view;
    FrontView(view, false);
    auto* driver = new RecordingDriver;
    EXPECT_EQ(view.set_driver_context(driver), nullptr);  // the view owns it from here
    EXPECT_EQ(driver->get_view3d(), &view);

    view.set_foreground_rgb(rgb_color(1.0, 0.0, 0.0));
    view.set_line_width(3);
    view.set_line_style(line_style_dashed);
    const float line[] = {0, 0, 0, 1, 2, 3};
    EXPECT_EQ(view.draw_polyline_3d(2, line, 0), 0);
    ASSERT_EQ(driver->calls3d.size(), 1u);
    EXPECT_EQ(driver->calls3d[0].colour, 0x0000FFul);
    EXPECT_EQ(driver->calls3d[0].width, 3);
    EXPECT_EQ(driver->calls3d[0].style, line_style_dashed);
    EXPECT_EQ(driver->calls3d[0].points, std::vector<float>(line, line + 6));

    // Under a model transform the driver receives the moved points; after the clear, the given ones.
    view.enable_model_transform();
    view.SetModelTransform(translate_transf(SPAvector(10, 0, -5)));
    view.draw_polyline_3d(2, line, 1);
    ASSERT_EQ(driver->calls3d.size(), 2u);
    EXPECT_EQ(driver->calls3d[1].points, (std::vector<float>{10, 0, -5, 11, 2, -2}));
    EXPECT_EQ(driver->calls3d[1].closed, 1);
    view.ClearModelTransform();
    const SPAposition positions[] = {{4, 4, 4}};
    view.draw_polyline_3d_positions(1, positions, 0);
    EXPECT_EQ(driver->calls3d[2].points, (std::vector<float>{4, 4, 4}));

    // A switched-off model transform is not applied.
    view.SetModelTransform(translate_transf(SPAvector(10, 0, 0)));
    view.enable_model_transform(false);
    view.draw_polyline_3d(2, line, 0);
    EXPECT_EQ(driver->calls3d[3].points, std::vector<float>(line, line + 6));

    // Nothing for empty input.
    view.draw_polyline_3d(0, line, 0);
    view.draw_polyline_3d(3, static_cast<const float*>(nullptr), 0);
    EXPECT_EQ(driver->calls3d.size(), 4u);
}

TEST(ViewDriverTest, PlainDriverProjectsThreeDimensionalDrawing) {
    view3d view;
    FrontView(view, true);
    auto* driver = new RecordingDriver;
    view.set_driver_context(driver);
    const float line[] = {-2, 0, -1, 3, 5, 2, 1, 8, 0};
    view.draw_polyline_3d(3, line, 1);
    ASSERT_EQ(driver->calls2d.size(), 1u);
    const std::vector<float>& xy = driver->calls2d[0].points;
    ASSERT_EQ(xy.size(), 8u);  // closed: back to the first point
    for (int i = 0; i < 3; ++i) {
        float x = 0, y = 0;
        ASSERT_TRUE(view.world_to_drawable(SPAposition(line[3 * i], line[3 * i + 1], line[3 * i + 2]), x, y));
        EXPECT_NEAR(xy[2 * i], x, 1e-3);
        EXPECT_NEAR(xy[2 * i + 1], y, 1e-3);
    }
    EXPECT_EQ(xy[6], xy[0]);

    // A line through the eye plane is cut at the near plane: finite pieces only.
    driver->calls2d.clear();
    const float through[] = {0, 10, 0, 0, -40, 1};
    view.draw_polyline_3d(2, through, 0);
    ASSERT_EQ(driver->calls2d.size(), 1u);
    for (float v : driver->calls2d[0].points) EXPECT_TRUE(std::isfinite(v));
    // Wholly behind the eye: nothing.
    driver->calls2d.clear();
    const float behind[] = {0, -30, 0, 1, -40, 1};
    view.draw_polyline_3d(2, behind, 0);
    EXPECT_TRUE(driver->calls2d.empty());

    // A point marker lands where the point projects.
    view.draw_point_3d(SPAposition(0, 0, 0));
    ASSERT_EQ(driver->points2d.size(), 1u);
    EXPECT_NEAR(driver->points2d[0][0], 200.0f, 1e-3);
    EXPECT_NEAR(driver->points2d[0][1], 100.0f, 1e-3);
}

TEST(ViewDriverTest, PickModeAnswersHitsAndDrawsNothing) {
    view3d view;
    FrontView(view, false);
    auto* driver = new RecordingDriver;
    view.set_driver_context(driver);
    float x = 0, y = 0;
    ASSERT_TRUE(view.world_to_drawable(SPAposition(3, 0, 2), x, y));
    view.pick_mode(1, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), 5, 5);
    EXPECT_EQ(view.get_pick_mode(), 1);
    int cx, cy, w, h;
    view.get_pick_aperture(cx, cy, w, h);
    EXPECT_EQ(cx, std::lround(x));
    EXPECT_EQ(w, 5);

    EXPECT_EQ(view.draw_point_3d(SPAposition(3, 0, 2)), 1);
    EXPECT_EQ(view.draw_point_3d(SPAposition(6, 0, 2)), 0);  // 60 pixels away
    // A segment crossing the region with both ends outside it is a hit.
    const float crossing[] = {-5, 0, 2, 9, 0, 2};
    EXPECT_EQ(view.draw_polyline_3d(2, crossing, 0), 1);
    const float away[] = {-5, 0, -4, 9, 0, -4};
    EXPECT_EQ(view.draw_polyline_3d(2, away, 0), 0);
    // The closing segment counts for a closed polyline.
    const float open_miss[] = {-5, 0, 2.5f, -5, 0, 1.5f, 9, 0, 1.5f};
    EXPECT_EQ(view.draw_polyline_3d(3, open_miss, 0), 0);
    EXPECT_EQ(view.draw_polyline_3d(3, open_miss, 1), 1);
    // Picking follows the model transform.
    view.SetModelTransform(translate_transf(SPAvector(3, 0, 0)));
    EXPECT_EQ(view.draw_point_3d(SPAposition(0, 0, 2)), 1);
    view.ClearModelTransform();
    const float xy[] = {x - 10, y, x + 10, y};
    EXPECT_EQ(view.draw_polyline_2d(2, xy, 0), 1);
    EXPECT_EQ(view.draw_text_3d(SPAposition(3, 0, 2), "label"), 1);
    EXPECT_TRUE(driver->calls3d.empty());
    EXPECT_TRUE(driver->calls2d.empty());

    // Leaving pick mode draws again; the aperture size is then the process-wide one.
    view.pick_mode(0, 0, 0, 0, 0);
    set_pick_aperture(7, 9);
    view.get_pick_aperture(cx, cy, w, h);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 9);
    EXPECT_EQ(view.draw_point_3d(SPAposition(3, 0, 2)), 0);
    EXPECT_EQ(driver->points2d.size(), 1u);
    set_pick_aperture(5, 5);
}

// Extents of the unit cube's corners in drawable pixels, straight from the view's projection.
void ProjectedExtents(const view3d& view, const std::vector<SPAposition>& corners, double& x0, double& x1, double& y0,
                      double& y1) {
    x0 = y0 = 1e30;
    x1 = y1 = -1e30;
    for (const SPAposition& c : corners) {
        float x = 0, y = 0;
        ASSERT_TRUE(view.world_to_drawable(c, x, y));
        x0 = std::min<double>(x0, x);
        x1 = std::max<double>(x1, x);
        y0 = std::min<double>(y0, y);
        y1 = std::max<double>(y1, y);
    }
}

std::vector<SPAposition> Cube(const SPAposition& low, double size) {
    std::vector<SPAposition> corners;
    for (int i = 0; i < 8; ++i)
        corners.emplace_back(low.x() + (i & 1) * size, low.y() + ((i >> 1) & 1) * size, low.z() + ((i >> 2) & 1) * size);
    return corners;
}

TEST(ViewDriverTest, ExtremaOfACubeAreItsProjectedExtents) {
    for (bool perspective : {false, true}) {
        SCOPED_TRACE(perspective ? "perspective" : "parallel");
        view3d view;
        FrontView(view, perspective);
        view.set_eye(SPAposition(-12, -15, 9));
        view.set_target(SPAposition(1, 1, 0));
        auto* driver = new driver_extrema;
        view.set_driver_context(driver);
        driver->init_extrema();
        double x0, x1, y0, y1, z0, z1;
        EXPECT_FALSE(driver->GetExtremaCoordinates(x0, x1, y0, y1, z0, z1));
        EXPECT_EQ(x0, 1e30);
        EXPECT_EQ(x1, -1e30);

        const std::vector<SPAposition> cube = Cube(SPAposition(-1, 0, 1), 3.0);
        for (const SPAposition& c : cube) view.draw_point_3d(c);
        ASSERT_TRUE(driver->GetExtremaCoordinates(x0, x1, y0, y1, z0, z1));

        // The extrema are in model units on the picture plane: x right, y up from the centre.
        const double upp = view.get_units_per_pixel();
        double px0, px1, py0, py1;
        ProjectedExtents(view, cube, px0, px1, py0, py1);
        EXPECT_NEAR(200.0 + x0 / upp, px0, 1e-3);
        EXPECT_NEAR(200.0 + x1 / upp, px1, 1e-3);
        EXPECT_NEAR(100.0 - y1 / upp, py0, 1e-3);
        EXPECT_NEAR(100.0 - y0 / upp, py1, 1e-3);
        EXPECT_LT(z0, z1);

        // Drawing the edges as polylines measures the same.
        driver->init_extrema();
        for (int i = 0; i + 1 < 8; i += 2) {
            const float edge[] = {float(cube[i].x()), float(cube[i].y()), float(cube[i].z()),
                                  float(cube[i + 1].x()), float(cube[i + 1].y()), float(cube[i + 1].z())};
            view.draw_polyline_3d(2, edge, 0);
        }
        double e0, e1, f0, f1, g0, g1;
        ASSERT_TRUE(driver->GetExtremaCoordinates(e0, e1, f0, f1, g0, g1));
        EXPECT_NEAR(e0, x0, 1e-9);
        EXPECT_NEAR(f1, y1, 1e-9);
    }
}

TEST(ViewDriverTest, ExtremaViewFitsTheBaseViewToWhatWasDrawn) {
    view3d base;
    FrontView(base, false);
    base.set_width(500.0);
    base.set_height(250.0);
    view_3d_extrema measuring(&base);
    EXPECT_EQ(measuring.GetBaseView(), &base);
    EXPECT_FALSE(measuring.recompute_parameters());  // a plain driver measures nothing

    auto* driver = new driver_extrema(measuring.get_driver_context());
    delete measuring.set_driver_context(driver);
    driver->init_extrema();
    const std::vector<SPAposition> cube = Cube(SPAposition(30, 5, -40), 10.0);
    for (const SPAposition& c : cube) measuring.draw_point_3d(c);
    ASSERT_TRUE(measuring.recompute_parameters());
    ASSERT_TRUE(measuring.update_base_view());

    double x0, x1, y0, y1;
    ProjectedExtents(base, cube, x0, x1, y0, y1);
    EXPECT_GE(x0, -1e-3);
    EXPECT_LE(x1, 400.0 + 1e-3);
    EXPECT_GE(y0, -1e-3);
    EXPECT_LE(y1, 200.0 + 1e-3);
    // The cube fills the picture in its tighter direction.
    EXPECT_TRUE(std::fabs((x1 - x0) - 400.0) < 1e-3 || std::fabs((y1 - y0) - 200.0) < 1e-3);
}

}  // namespace
