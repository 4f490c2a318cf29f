// acis_camera: the modeler's camera. The eye looks at the target; the up vector, made square to
// the viewing direction, is the top of the picture; width and height are the size of the picture
// in model units on the plane through the target square to the direction; hither and yon are the
// near and far distances from the eye. A perspective camera's field of view is the angle under
// which the eye sees that height at the target.
//
// Degenerate input never produces NaN: with the eye on the target the camera is not valid and its
// frame is the neutral one (direction -z, up +y, right +x); an up vector parallel to the direction
// is replaced by the world axis least parallel to it (+z, else +y) for the frame.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaValues.h"

// Eye, target, up, picture size, clipping distances and projection kind.
class VYR_MODELER_EXT_API acis_camera {
public:
    // Eye at (0, 0, 1), target at the origin, up +y, 2 x 2 picture, hither 0.01, yon 100, parallel.
    acis_camera();

    // The eye.
    const SPAposition& get_eye() const { return m_eye; }
    // Moves the eye (the target stays).
    void set_eye(const SPAposition& eye);
    // The target.
    const SPAposition& get_target() const { return m_target; }
    // Moves the target (the eye stays).
    void set_target(const SPAposition& target);
    // The up vector of the frame: square to the direction, unit length.
    SPAunit_vector get_up() const;
    // Sets the wanted up vector (a zero vector is ignored); it is squared to the direction on use.
    void set_up(const SPAvector& up);
    // The up vector as it was set, not squared.
    const SPAvector& get_raw_up() const { return m_up; }

    // Unit direction from the eye to the target (-z when the camera is not valid).
    SPAunit_vector get_direction() const;
    // Unit vector to the right of the picture.
    SPAunit_vector get_right() const;
    // Unit vector out of the picture, towards the viewer (minus the direction).
    SPAunit_vector get_out() const;
    // Right, up and out at once (as get_right, get_up and get_out).
    void get_frame(SPAunit_vector& right, SPAunit_vector& up, SPAunit_vector& out) const { frame(right, up, out); }
    // Distance from the eye to the target.
    double get_distance() const;
    // False when the eye lies on the target (within SPAresabs).
    bool is_valid() const;

    // Picture width in model units at the target.
    double GetWidth() const { return m_width; }
    // Sets the picture width; values that are not positive and finite are ignored.
    void SetWidth(double width);
    // Picture height in model units at the target.
    double GetHeight() const { return m_height; }
    // Sets the picture height; values that are not positive and finite are ignored.
    void SetHeight(double height);
    // Near clipping distance from the eye.
    double get_hither() const { return m_hither; }
    // Sets the near distance (any finite value; users of a perspective projection raise it to 0.001).
    void set_hither(double hither);
    // Far clipping distance from the eye.
    double get_yon() const { return m_yon; }
    // Sets the far distance (any finite value).
    void set_yon(double yon);
    // True for a perspective projection, false for a parallel one.
    bool is_perspective() const { return m_perspective; }
    // Chooses the projection kind.
    void set_perspective(bool on);

    // The camera frame as a transform from camera to model coordinates: the origin goes to the
    // eye, x to the right vector, y to up, z to out (the camera looks down its -z axis).
    SPAtransf GetTransformation() const;

    // Changes on every modification; lets a view notice that its cached projection is stale.
    unsigned long revision() const { return m_revision; }

private:
    void changed() { ++m_revision; }
    void frame(SPAunit_vector& right, SPAunit_vector& up, SPAunit_vector& out) const;

    SPAposition m_eye{0.0, 0.0, 1.0};
    SPAposition m_target;
    SPAvector m_up{0.0, 1.0, 0.0};
    double m_width = 2.0;
    double m_height = 2.0;
    double m_hither = 0.01;
    double m_yon = 100.0;
    bool m_perspective = false;
    unsigned long m_revision = 0;
};
