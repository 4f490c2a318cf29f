// driver_extrema and view_3d_extrema: measuring what is drawn and fitting a camera to it.
#include "driver_extrema.h"

#include "VyrViewMath.h"
#include "view3d.h"
#include "view_3d_extrema.h"

#include <algorithm>
#include <cmath>

using namespace vyr_view;

driver_extrema::driver_extrema(const driver_context* source)
{
    if (source) driver_context::operator=(*source);
    identity(m_vom);
}

driver_extrema::~driver_extrema() = default;

void driver_extrema::UpdateVom()
{
    if (m_view) {
        const view_matrix& vom = m_view->view_orientation_transform();
        std::copy(&vom[0][0], &vom[0][0] + 16, &m_vom[0][0]);
    } else {
        identity(m_vom);
    }
}

void driver_extrema::UpdateModelBox(const float*) {}

void driver_extrema::init_extrema()
{
    m_xmin = m_ymin = m_zmin = 1e30;
    m_xmax = m_ymax = m_zmax = -1e30;
    m_valid = 0;
    m_first_point = true;
    m_x_centre = m_y_centre = 0.0;
    m_z_reference = 0.0;
    m_x_slope = m_y_slope = 0.0;
    m_perspective = false;
    m_distance = 0.0;
    UpdateVom();
    if (m_view) {
        const acis_camera& cam = m_view->get_camera();
        m_distance = cam.get_distance();
        m_perspective = cam.is_perspective() && cam.is_valid();
        if (m_distance > 0.0) {
            m_x_slope = cam.GetWidth() * 0.5 / m_distance;
            m_y_slope = cam.GetHeight() * 0.5 / m_distance;
        }
    }
}

void driver_extrema::widen(double x, double y, double z)
{
    if (std::isfinite(x) && std::isfinite(y)) {
        m_xmin = std::min(m_xmin, x);
        m_xmax = std::max(m_xmax, x);
        m_ymin = std::min(m_ymin, y);
        m_ymax = std::max(m_ymax, y);
    }
    if (std::isfinite(z)) {
        m_zmin = std::min(m_zmin, z);
        m_zmax = std::max(m_zmax, z);
    }
    m_valid = 1;
}

void driver_extrema::UpdateExtrema2D(const float* p)
{
    if (!p) return;
    UpdateModelBox(p);
    double v[4];
    transform(m_vom, p[0], p[1], p[2], v);
    const double x = v[0], y = v[1], z = v[2];
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
    if (!m_perspective) {
        widen(x, y, z);
        return;
    }
    // Lateral centre of the perspective fit.
    if (m_first_point) {
        m_x_centre = x;
        m_y_centre = y;
        m_first_point = false;
    } else {
        const double dz = z - m_z_reference;
        auto follow = [dz](double slope, double value, double& centre) {
            if (!(slope > 0.0)) return;
            const double l = (dz - slope * (value - centre)) / (2.0 * slope);
            const double r = (slope * (value - centre) + dz) / (2.0 * slope);
            if (l >= 0.0 && r >= 0.0)
                centre = value;
            else if (l > 0.0)
                centre -= l;
            else if (r > 0.0)
                centre += r;
        };
        follow(m_x_slope, x, m_x_centre);
        follow(m_y_slope, y, m_y_centre);
    }
    // The picture extent as the eye sees it, scaled onto the target plane.
    const double depth = m_distance - z;
    if (depth > 1e-12)
        widen(x * m_distance / depth, y * m_distance / depth, z);
    else
        widen(NAN, NAN, z);
}

void driver_extrema::UpdateExtremaDrawable(float x, float y)
{
    if (!m_view) return;
    const Projection proj = projection_of(*m_view);
    if (!proj.ok) return;
    const double tx = (x - proj.vw * 0.5) * proj.width / proj.vw;
    const double ty = (proj.vh * 0.5 - y) * proj.height / proj.vh;
    widen(tx, ty, NAN);
}

bool driver_extrema::GetExtremaCoordinates(double& x0, double& x1, double& y0, double& y1, double& z0,
                                           double& z1) const
{
    x0 = m_xmin;
    x1 = m_xmax;
    y0 = m_ymin;
    y1 = m_ymax;
    z0 = m_zmin;
    z1 = m_zmax;
    return m_valid != 0;
}

int driver_extrema::draw_polyline_3d(int n, const float* xyz, int)
{
    if (n < 1 || !xyz) return 0;
    for (int i = 0; i < n; ++i) UpdateExtrema2D(xyz + 3 * i);
    return 0;
}

int driver_extrema::draw_point_3d(const float* xyz)
{
    if (!xyz) return 0;
    UpdateExtrema2D(xyz);
    return 1;
}

int driver_extrema::draw_text_3d(const float* xyz, const char*)
{
    UpdateExtrema2D(xyz);
    return 0;
}

int driver_extrema::draw_polyline_2d(int n, const float* xy, int fill)
{
    if (is_picking()) return pick_polyline_2d(n, xy, fill);
    if (n < 1 || !xy) return 0;
    for (int i = 0; i < n; ++i) UpdateExtremaDrawable(xy[2 * i], xy[2 * i + 1]);
    return 0;
}

int driver_extrema::draw_point_2d(float x, float y)
{
    UpdateExtremaDrawable(x, y);
    return 1;
}

// --- view_3d_extrema --------------------------------------------------------------------------

view_3d_extrema::view_3d_extrema(view3d* base) : m_base(base)
{
    if (base) {
        get_camera() = base->get_camera();
        int x = 0, y = 0, w = 0, h = 0;
        base->get_viewport(x, y, w, h);
        set_viewport(x, y, w, h);
        set_image_scale(base->get_image_scale());
    }
    set_driver_context(new driver_context);
}

view_3d_extrema::~view_3d_extrema() = default;

driver_extrema* view_3d_extrema::get_extrema_driver() const
{
    return dynamic_cast<driver_extrema*>(get_driver_context());
}

bool view_3d_extrema::recompute_parameters()
{
    const driver_extrema* driver = get_extrema_driver();
    double x0, x1, y0, y1, z0, z1;
    if (!driver || !driver->GetExtremaCoordinates(x0, x1, y0, y1, z0, z1) || !(x1 >= x0) || !(y1 >= y0) ||
        !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0))
        return false;
    const SPAvector shift = get_right() * ((x0 + x1) * 0.5) + get_up() * ((y0 + y1) * 0.5);
    move(shift);
    set_width(std::max(x1 - x0, 1e-6));
    set_height(std::max(y1 - y0, 1e-6));
    adjust_aspect();
    return true;
}

bool view_3d_extrema::update_base_view()
{
    if (!m_base) return false;
    const acis_camera& cam = get_camera();
    m_base->set_target(cam.get_target());
    m_base->set_eye(cam.get_eye());
    m_base->set_up(cam.get_raw_up());
    m_base->set_width(cam.GetWidth());
    m_base->set_height(cam.GetHeight());
    return true;
}
