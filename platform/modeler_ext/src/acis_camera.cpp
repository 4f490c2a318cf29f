// acis_camera: the camera frame with neutral fallbacks for degenerate input.
#include "acis_camera.h"

#include <cmath>

namespace {

bool finite_position(const SPAposition& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

}  // namespace

acis_camera::acis_camera() = default;

void acis_camera::set_eye(const SPAposition& eye)
{
    if (!finite_position(eye)) return;
    m_eye = eye;
    changed();
}

void acis_camera::set_target(const SPAposition& target)
{
    if (!finite_position(target)) return;
    m_target = target;
    changed();
}

void acis_camera::set_up(const SPAvector& up)
{
    if (!std::isfinite(up.x()) || !std::isfinite(up.y()) || !std::isfinite(up.z()) || up.is_zero(SPAresnor)) return;
    m_up = up;
    changed();
}

bool acis_camera::is_valid() const
{
    return !(m_target - m_eye).is_zero(SPAresabs);
}

double acis_camera::get_distance() const
{
    return (m_target - m_eye).len();
}

SPAunit_vector acis_camera::get_direction() const
{
    if (!is_valid()) return SPAunit_vector(0.0, 0.0, -1.0);
    return normalise(m_target - m_eye);
}

void acis_camera::frame(SPAunit_vector& right, SPAunit_vector& up, SPAunit_vector& out) const
{
    if (!is_valid()) {
        right = SPAunit_vector(1.0, 0.0, 0.0);
        up = SPAunit_vector(0.0, 1.0, 0.0);
        out = SPAunit_vector(0.0, 0.0, 1.0);
        return;
    }
    const SPAunit_vector dir = get_direction();
    SPAvector wanted = m_up;
    SPAvector side = dir * wanted;  // cross product
    if (side.len() < 1e-9 * wanted.len()) {
        // The up vector runs along the direction: take the world axis least parallel to it.
        wanted = std::fabs(dir.z()) < 0.9 ? SPAvector(0.0, 0.0, 1.0) : SPAvector(0.0, 1.0, 0.0);
        side = dir * wanted;
    }
    right = normalise(side);
    up = normalise(right * dir);
    out = SPAunit_vector(-dir.x(), -dir.y(), -dir.z());
}

SPAunit_vector acis_camera::get_up() const
{
    SPAunit_vector r, u, o;
    frame(r, u, o);
    return u;
}

SPAunit_vector acis_camera::get_right() const
{
    SPAunit_vector r, u, o;
    frame(r, u, o);
    return r;
}

SPAunit_vector acis_camera::get_out() const
{
    SPAunit_vector r, u, o;
    frame(r, u, o);
    return o;
}

void acis_camera::SetWidth(double width)
{
    if (!(width > 0.0) || !std::isfinite(width)) return;
    m_width = width;
    changed();
}

void acis_camera::SetHeight(double height)
{
    if (!(height > 0.0) || !std::isfinite(height)) return;
    m_height = height;
    changed();
}

void acis_camera::set_hither(double hither)
{
    if (!std::isfinite(hither)) return;
    m_hither = hither;
    changed();
}

void acis_camera::set_yon(double yon)
{
    if (!std::isfinite(yon)) return;
    m_yon = yon;
    changed();
}

void acis_camera::set_perspective(bool on)
{
    m_perspective = on;
    changed();
}

SPAtransf acis_camera::GetTransformation() const
{
    SPAunit_vector r, u, o;
    frame(r, u, o);
    const SPAmatrix axes(r, u, o);  // rows: images of the camera's x, y and z axes
    return restore_transf(axes, m_eye - SPAposition(0.0, 0.0, 0.0));
}
