// view_context: the drawing state of a view that a refresh saves before it draws and puts back
// afterwards, so that what a frame changes on the pen or the model transform does not leak out.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaValues.h"
#include "VyrViewTypes.h"
#include "rgb_color.h"

#include <vector>

// The pen and the model-transform state of a view (see view3d::view_context).
class VYR_MODELER_EXT_API view_context {
public:
    // Black foreground on white, width 1, solid, dot of size 1, copy mode, text size 0, model
    // transforms enabled and none set.
    view_context();

    // Pen colour.
    rgb_color foreground;
    // Background colour.
    rgb_color background;
    // Pen width in pixels (0 draws as 1 pixel).
    int line_width = 1;
    // Pen style.
    ::line_style line_style = line_style_solid;
    // Marker of draw_point_3d.
    ::point_style point_style = point_style_dot;
    // Marker size in pixels.
    int point_size = 1;
    // How the pen combines with the picture.
    ::drawing_mode drawing_mode = drawing_mode_copy;
    // Text height in pixels (0: the driver's default).
    int text_size = 0;
    // Whether drawing applies the model transform.
    bool model_transform_enabled = true;
    // Stack of composed model transforms (top = last); empty when none is set.
    std::vector<SPAtransf> model_transforms;
};
