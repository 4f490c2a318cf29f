// The camera of a test's modeler view, set in one expression:
//     vyrtest::ViewSetup().Pixels(400, 300).Eye({0, 0, 10}).Field(40, 30).ApplyTo(view);
#pragma once

#include "SpaValues.h"

#include <optional>

class view3d;

namespace vyrtest {

class ViewSetup {
public:
    // A parallel view of 200 x 100 pixels looking down -z at the origin from (0, 0, 50), +y up,
    // showing 10 x 5 model units at the target; the view's own near and far distances.
    ViewSetup() = default;
    // An oblique view of `width` x `height` pixels: from (40, -30, 25) towards (1, 2, -1), +z up,
    // 20 x 10 model units at the target, clipped from 1 to 200.
    static ViewSetup Oblique(int width, int height, bool perspective);

    // The viewport: `width` x `height` pixels from (0, 0).
    ViewSetup& Pixels(int width, int height);
    // The eye.
    ViewSetup& Eye(const SPAposition& eye);
    // The target.
    ViewSetup& Target(const SPAposition& target);
    // The wanted up vector.
    ViewSetup& Up(const SPAvector& up);
    // The picture's size in model units at the target.
    ViewSetup& Field(double width, double height);
    // The near and far distances from the eye.
    ViewSetup& Clip(double hither, double yon);
    // Perspective (true) or parallel (false) projection.
    ViewSetup& Perspective(bool on);

    // Gives `view` this viewport and camera.
    void ApplyTo(view3d& view) const;

private:
    int pixelsWide_ = 200, pixelsHigh_ = 100;
    SPAposition eye_ = SPAposition(0, 0, 50);
    SPAposition target_ = SPAposition(0, 0, 0);
    SPAvector up_ = SPAvector(0, 1, 0);
    double width_ = 10.0, height_ = 5.0;
    std::optional<double> hither_, yon_;
    bool perspective_ = false;
};

}  // namespace vyrtest
