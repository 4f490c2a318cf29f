#include "ViewSetup.h"

#include "view3d.h"

namespace vyrtest {

ViewSetup& ViewSetup::Pixels(int width, int height) {
    pixelsWide_ = width;
    pixelsHigh_ = height;
    return *this;
}

ViewSetup& ViewSetup::Eye(const SPAposition& eye) {
    eye_ = eye;
    return *this;
}

ViewSetup& ViewSetup::Target(const SPAposition& target) {
    target_ = target;
    return *this;
}

ViewSetup& ViewSetup::Up(const SPAvector& up) {
    up_ = up;
    return *this;
}

ViewSetup& ViewSetup::Field(double width, double height) {
    width_ = width;
    height_ = height;
    return *this;
}

ViewSetup& ViewSetup::Clip(double hither, double yon) {
    hither_ = hither;
    yon_ = yon;
    return *this;
}

ViewSetup ViewSetup::Oblique(int width, int height, bool perspective) {
    return ViewSetup()
        .Pixels(width, height)
        .Eye(SPAposition(40.0, -30.0, 25.0))
        .Target(SPAposition(1.0, 2.0, -1.0))
        .Up(SPAvector(0.0, 0.0, 1.0))
        .Field(20.0, 10.0)
        .Clip(1.0, 200.0)
        .Perspective(perspective);
}

ViewSetup& ViewSetup::Perspective(bool on) {
    perspective_ = on;
    return *this;
}

void ViewSetup::ApplyTo(view3d& view) const {
    view.set_viewport(0, 0, pixelsWide_, pixelsHigh_);
    view.set_eye(eye_);
    view.set_target(target_);
    view.set_up(up_);
    view.set_width(width_);
    view.set_height(height_);
    if (hither_) view.set_hither(*hither_);
    if (yon_) view.set_yon(*yon_);
    view.set_perspective(perspective_);
}

}  // namespace vyrtest
