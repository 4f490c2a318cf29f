// view3d: camera, projections, pen, model transforms, pick mode and drawing through the driver.
#include "view3d.h"

#include "DsScene.h"
#include "VyrViewMath.h"
#include "driver_context.h"
#include "rendering_context.h"
#include "rubberband_driver.h"

#include "afx.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace vyr_view;

namespace {

constexpr double kRadiansToDegrees = 57.29577951308232;

bool finite_scale(double v)
{
    return v > 0.0 && std::isfinite(v);
}

// The camera and viewport a view draws its scene with, for the scene database's change tracking.
bool read_view_state(const view3d* view, SDsViewState& state)
{
    if (!view) return false;
    const acis_camera& camera = view->get_camera();
    const SPAposition& eye = camera.get_eye();
    const SPAposition& target = camera.get_target();
    const SPAvector& up = camera.get_raw_up();
    const double values[14] = {eye.x(),           eye.y(),           eye.z(),           target.x(),
                               target.y(),        target.z(),        up.x(),            up.y(),
                               up.z(),            camera.GetWidth(), camera.GetHeight(), camera.get_hither(),
                               camera.get_yon(),  camera.is_perspective() ? 1.0 : 0.0};
    std::copy(values, values + 14, state.m_camera);
    view->get_viewport(state.m_viewport[0], state.m_viewport[1], state.m_viewport[2], state.m_viewport[3]);
    return true;
}

// Installs the reader when the library is loaded: the database sits below the views.
const bool g_view_state_reader_installed = (CDsScene::SetViewStateReader(&read_view_state), true);

}  // namespace

viewport_manager& All_Views()
{
    // Never destroyed: views that outlive static destruction may still leave it.
    static viewport_manager* views = new viewport_manager;
    return *views;
}

view3d::view3d()
{
    identity(m_vom);
    identity(m_inverse_vom);
    identity(m_ctm);
    All_Views().add(this);
}

view3d::view3d(const view3d& other)
{
    identity(m_vom);
    identity(m_inverse_vom);
    identity(m_ctm);
    copy_settings(other);
    All_Views().add(this);
}

view3d& view3d::operator=(const view3d& other)
{
    if (this != &other) {
        copy_settings(other);
        push_pen_to_driver();
        if (m_driver) m_driver->set_viewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
    }
    return *this;
}

void view3d::copy_settings(const view3d& other)
{
    m_camera = other.m_camera;
    other.get_viewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
    m_image_scale = other.m_image_scale;
    m_context = other.m_context;
    m_rubberband_style = other.m_rubberband_style;
    m_last_fps = other.m_last_fps;
    m_last_zpr_fps = other.m_last_zpr_fps;
    std::copy(std::begin(other.m_switches), std::end(other.m_switches), std::begin(m_switches));
    m_view_flags = other.m_view_flags;
    m_document_flags = other.m_document_flags;
    m_render_mode = other.m_render_mode;
    m_draw_phase = other.m_draw_phase;
    m_silhouette = other.m_silhouette;
    m_max_fast_diagonal = other.m_max_fast_diagonal;
    m_ctm_valid = false;
}

view3d::~view3d()
{
    if (m_rendering_context) m_rendering_context->m_views.remove(this);
    All_Views().remove(this);
    rubberband_driver::notify_view_deleted(this);
    if (m_driver) {
        m_driver->set_view3d(nullptr);
        delete m_driver;
    }
}

// --- Viewport ---------------------------------------------------------------------------------

void view3d::get_viewport(int& x, int& y, int& width, int& height) const
{
    if (m_driver && m_driver->is_viewport_set()) {
        m_driver->get_viewport(x, y, width, height);
        return;
    }
    x = m_viewport[0];
    y = m_viewport[1];
    width = m_viewport[2];
    height = m_viewport[3];
}

void view3d::set_viewport(int x, int y, int width, int height)
{
    m_viewport[0] = x;
    m_viewport[1] = y;
    m_viewport[2] = std::max(width, 0);
    m_viewport[3] = std::max(height, 0);
    if (m_driver) m_driver->set_viewport(x, y, m_viewport[2], m_viewport[3]);
    m_ctm_valid = false;
}

void view3d::compute_viewport_transform()
{
    m_ctm_valid = false;
    update_transforms();
}

void view3d::resize(int width, int height)
{
    int x = 0, y = 0, w = 0, h = 0;
    get_viewport(x, y, w, h);
    width = std::max(width, 0);
    height = std::max(height, 0);
    const double per_x = w > 0 ? m_camera.GetWidth() / w : 0.0;
    const double per_y = h > 0 ? m_camera.GetHeight() / h : 0.0;
    set_viewport(x, y, width, height);
    if (per_x > 0.0 && per_y > 0.0 && width > 0 && height > 0) {
        m_camera.SetWidth(per_x * width);
        m_camera.SetHeight(per_y * height);
    } else {
        adjust_aspect();
    }
}

// --- Camera -----------------------------------------------------------------------------------

void view3d::set_direction(const SPAvector& direction, const SPAvector& up)
{
    if (direction.is_zero(SPAresnor) || !std::isfinite(direction.len())) return;
    const SPAunit_vector dir = normalise(direction);
    double distance = m_camera.get_distance();
    if (!(distance > SPAresabs)) distance = 1.0;
    m_camera.set_eye(m_camera.get_target() - dir * distance);
    m_camera.set_up(up);
}

void view3d::adjust_aspect()
{
    int x = 0, y = 0, w = 0, h = 0;
    get_viewport(x, y, w, h);
    if (w <= 0 || h <= 0) return;
    const double aspect = static_cast<double>(w) / h;
    const double width = m_camera.GetWidth(), height = m_camera.GetHeight();
    if (width / height < aspect)
        m_camera.SetWidth(height * aspect);
    else
        m_camera.SetHeight(width / aspect);
}

void view3d::move(const SPAvector& offset)
{
    if (!std::isfinite(offset.len())) return;
    m_camera.set_eye(m_camera.get_eye() + offset);
    m_camera.set_target(m_camera.get_target() + offset);
}

void view3d::zoom_scale(double factor)
{
    if (!finite_scale(factor)) return;
    m_camera.SetWidth(m_camera.GetWidth() / factor);
    m_camera.SetHeight(m_camera.GetHeight() / factor);
}

void view3d::set_image_scale(double scale)
{
    if (!finite_scale(scale)) return;
    m_image_scale = scale;
}

double view3d::get_units_per_pixel() const
{
    int x = 0, y = 0, w = 0, h = 0;
    get_viewport(x, y, w, h);
    if (w <= 0) return 0.0;
    // The image scale is already in the camera width (see the header): dividing by it again
    // would make pixel sizes disagree with the projection whenever it is not 1.
    return m_camera.GetWidth() / w;
}

// --- Transformations --------------------------------------------------------------------------

bool view3d::is_ctm_valid() const
{
    int vp[4];
    get_viewport(vp[0], vp[1], vp[2], vp[3]);
    return m_ctm_valid && m_cached_revision == m_camera.revision() && std::equal(vp, vp + 4, m_cached_viewport);
}

void view3d::update_transforms() const
{
    if (is_ctm_valid()) return;
    get_viewport(m_cached_viewport[0], m_cached_viewport[1], m_cached_viewport[2], m_cached_viewport[3]);
    m_cached_revision = m_camera.revision();

    // View orientation: rows are the images of the model axes in (right, up, out).
    SPAunit_vector r, u, o;
    m_camera.get_frame(r, u, o);
    const SPAvector t = m_camera.get_target() - SPAposition(0.0, 0.0, 0.0);
    const SPAunit_vector axes[3] = {r, u, o};
    for (int j = 0; j < 3; ++j) {
        m_vom[0][j] = static_cast<float>(axes[j].x());
        m_vom[1][j] = static_cast<float>(axes[j].y());
        m_vom[2][j] = static_cast<float>(axes[j].z());
        m_vom[3][j] = static_cast<float>(-(t % axes[j]));
    }
    m_vom[0][3] = m_vom[1][3] = m_vom[2][3] = 0.0f;
    m_vom[3][3] = 1.0f;
    affine_inverse(m_vom, m_inverse_vom);

    // Projection to homogeneous device coordinates (y up); all zero when nothing projects.
    const Projection p = projection_of(*this);
    view_matrix proj = {{0.0f}};
    if (p.ok) {
        const double sx = p.vw / p.width, sy = p.vh / p.height;
        if (p.perspective) {
            const double d = p.distance;
            proj[0][0] = static_cast<float>(d * sx);
            proj[2][0] = static_cast<float>(-p.vw * 0.5);
            proj[3][0] = static_cast<float>(p.vw * 0.5 * d);
            proj[1][1] = static_cast<float>(d * sy);
            proj[2][1] = static_cast<float>(-p.vh * 0.5);
            proj[3][1] = static_cast<float>(p.vh * 0.5 * d);
            proj[2][2] = -1.0f;
            proj[2][3] = -1.0f;
            proj[3][3] = static_cast<float>(d);
        } else {
            proj[0][0] = static_cast<float>(sx);
            proj[3][0] = static_cast<float>(p.vw * 0.5);
            proj[1][1] = static_cast<float>(sy);
            proj[3][1] = static_cast<float>(p.vh * 0.5);
            proj[2][2] = -1.0f;
            proj[3][3] = 1.0f;
        }
    }
    view_matrix world_to_device;
    multiply(m_vom, proj, world_to_device);
    if (!m_context.model_transforms.empty() && m_context.model_transform_enabled) {
        view_matrix model;
        from_transf(m_context.model_transforms.back(), model);
        multiply(model, world_to_device, m_ctm);
    } else {
        std::copy(&world_to_device[0][0], &world_to_device[0][0] + 16, &m_ctm[0][0]);
    }
    m_ctm_valid = true;
}

const view_matrix& view3d::view_orientation_transform() const
{
    update_transforms();
    return m_vom;
}

const view_matrix& view3d::inverse_view_orientation() const
{
    update_transforms();
    return m_inverse_vom;
}

void view3d::compute_ctm()
{
    m_ctm_valid = false;
    update_transforms();
}

const view_matrix& view3d::get_ctm() const
{
    update_transforms();
    return m_ctm;
}

bool view3d::ClipToDrawable(const float h[4], float& x, float& y) const
{
    if (!h || !(h[3] > 1e-12f) || !std::isfinite(h[3])) return false;
    const float dx = h[0] / h[3], dy = h[1] / h[3];
    if (!std::isfinite(dx) || !std::isfinite(dy)) return false;
    x = dx;
    y = dy;
    return true;
}

bool view3d::world_to_drawable(const SPAposition& p, double& x, double& y, double& depth) const
{
    const Projection proj = projection_of(*this);
    if (!proj.ok) return false;
    // In double precision from the camera frame (the cached matrices are floats).
    SPAunit_vector r, u, o;
    m_camera.get_frame(r, u, o);
    const SPAvector rel = p - m_camera.get_target();
    const double v[3] = {rel % r, rel % u, rel % o};
    double dx = 0.0, dy = 0.0;
    if (!view_to_drawable(proj, v[0], v[1], v[2], dx, dy)) return false;
    x = dx;
    y = dy;
    depth = proj.perspective ? proj.distance - v[2] : -v[2];
    return true;
}

bool view3d::world_to_drawable(const SPAposition& p, float& x, float& y) const
{
    double dx = 0.0, dy = 0.0, depth = 0.0;
    if (!world_to_drawable(p, dx, dy, depth)) return false;
    x = static_cast<float>(dx);
    y = static_cast<float>(dy);
    return true;
}

bool view3d::drawable_to_world(double x, double y, SPAposition& p) const
{
    const Projection proj = projection_of(*this);
    if (!proj.ok || !std::isfinite(x) || !std::isfinite(y)) return false;
    const double tx = (x - proj.vw * 0.5) * proj.width / proj.vw;
    const double ty = (proj.vh * 0.5 - y) * proj.height / proj.vh;
    SPAunit_vector r, u, o;
    m_camera.get_frame(r, u, o);
    p = m_camera.get_target() + r * tx + u * ty;
    return true;
}

bool view3d::drawable_to_ray(double x, double y, SPAposition& start, SPAunit_vector& direction) const
{
    SPAposition on_plane;
    if (!drawable_to_world(x, y, on_plane)) return false;
    if (m_camera.is_perspective()) {
        start = m_camera.get_eye();
        direction = normalise(on_plane - start);
    } else {
        direction = m_camera.get_direction();
        start = on_plane - direction * m_camera.get_distance();
    }
    return true;
}

// --- Model transform --------------------------------------------------------------------------

void view3d::enable_model_transform(bool on)
{
    m_context.model_transform_enabled = on;
    m_ctm_valid = false;
}

void view3d::SetModelTransform(const SPAtransf& t)
{
    if (m_context.model_transforms.empty())
        m_context.model_transforms.push_back(t);
    else
        m_context.model_transforms.push_back(t * m_context.model_transforms.back());
    m_ctm_valid = false;
}

void view3d::SetModelTransform(const SPAtransf* t)
{
    SetModelTransform(t ? *t : SPAtransf());
}

int view3d::ClearModelTransform()
{
    if (m_context.model_transforms.empty()) return 0;
    m_context.model_transforms.pop_back();
    m_ctm_valid = false;
    return 1;
}

SPAtransf view3d::get_model_transform() const
{
    return m_context.model_transforms.empty() ? SPAtransf() : m_context.model_transforms.back();
}

// --- Pick mode --------------------------------------------------------------------------------

void view3d::get_pick_aperture(int& cx, int& cy, int& width, int& height) const
{
    cx = m_pick_x;
    cy = m_pick_y;
    if (m_pick_mode) {
        width = m_pick_w;
        height = m_pick_h;
    } else {
        ::get_pick_aperture(width, height);
    }
}

void view3d::pick_mode(int on, int x, int y, int w, int h)
{
    const bool switched = (on != 0) != (m_pick_mode != 0);
    m_pick_mode = on;
    if (on) {
        m_pick_x = x;
        m_pick_y = y;
        m_pick_w = std::max(w, 0);
        m_pick_h = std::max(h, 0);
    }
    if (switched) pick_mode_switched(on != 0);
}

bool view3d::pick_region(double& left, double& top, double& right, double& bottom) const
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    get_viewport(vx, vy, vw, vh);
    // Pixel (x, y) covers [x, x + 1) x [y, y + 1): the region is centred on its centre, so that it
    // reaches as far every way, and nothing beyond the viewport's edge, which shows nothing, is in it.
    const double hw = m_pick_w * 0.5, hh = m_pick_h * 0.5;
    left = std::max(m_pick_x + 0.5 - hw, 0.0);
    right = std::min(m_pick_x + 0.5 + hw, static_cast<double>(std::max(vw, 0)));
    top = std::max(m_pick_y + 0.5 - hh, 0.0);
    bottom = std::min(m_pick_y + 0.5 + hh, static_cast<double>(std::max(vh, 0)));
    return left <= right && top <= bottom;
}

bool view3d::point_in_pick_region(float x, float y) const
{
    double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
    return pick_region(l, t, r, b) && x >= l && x <= r && y >= t && y <= b;
}

bool view3d::polyline_hits(int n, const float* xy, int closed) const
{
    double l = 0.0, t = 0.0, r = 0.0, b = 0.0;
    return pick_region(l, t, r, b) && polyline_meets_rect(n, xy, closed != 0, l, t, r, b);
}

bool view3d::project_model_point(const SPAposition& p, float& x, float& y) const
{
    const SPAposition w = m_context.model_transform_enabled ? p * get_model_transform() : p;
    return world_to_drawable(w, x, y);
}

// --- Pen --------------------------------------------------------------------------------------

void view3d::push_pen_to_driver()
{
    if (!m_driver) return;
    m_driver->set_foreground_rgb(m_context.foreground);
    m_driver->set_background_rgb(m_context.background);
    m_driver->set_line_width(m_context.line_width);
    m_driver->set_line_style(m_context.line_style);
    m_driver->set_point_style(m_context.point_style);
    m_driver->set_point_size(m_context.point_size);
    m_driver->set_drawing_mode(m_context.drawing_mode);
    m_driver->set_text_size(m_context.text_size);
}

void view3d::set_foreground_rgb(rgb_color color)
{
    m_context.foreground = color;
    if (m_driver) m_driver->set_foreground_rgb(color);
}

void view3d::set_background_rgb(rgb_color color)
{
    m_context.background = color;
    if (m_driver) m_driver->set_background_rgb(color);
}

void view3d::set_line_width(int width)
{
    m_context.line_width = std::max(width, 0);
    if (m_driver) m_driver->set_line_width(m_context.line_width);
}

void view3d::set_line_style(line_style style)
{
    m_context.line_style = style;
    if (m_driver) m_driver->set_line_style(style);
}

void view3d::set_point_style(point_style style)
{
    m_context.point_style = style;
    if (m_driver) m_driver->set_point_style(style);
}

void view3d::set_point_size(int size)
{
    m_context.point_size = std::max(size, 1);
    if (m_driver) m_driver->set_point_size(m_context.point_size);
}

void view3d::set_drawing_mode(drawing_mode mode)
{
    m_context.drawing_mode = mode;
    if (m_driver) m_driver->set_drawing_mode(mode);
}

void view3d::set_text_size(int size)
{
    m_context.text_size = size;
    if (m_driver) m_driver->set_text_size(size);
}

// --- Drawing ----------------------------------------------------------------------------------

int view3d::draw_polyline_3d(int n, const float* xyz, int closed)
{
    if (n < 1 || !xyz) return 0;
    const bool apply = m_context.model_transform_enabled && !m_context.model_transforms.empty();
    const SPAtransf t = get_model_transform();
    if (m_pick_mode) {
        // Project each segment, cut where it passes behind a perspective eye.
        const Projection proj = projection_of(*this);
        const view_matrix& vom = view_orientation_transform();
        auto view_point = [&](int i) {
            SPAposition p(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
            if (apply) p = p * t;
            double v[4];
            transform(vom, p.x(), p.y(), p.z(), v);
            return SPAposition(v[0], v[1], v[2]);
        };
        double l = 0.0, top = 0.0, r = 0.0, b = 0.0;
        if (!pick_region(l, top, r, b)) return 0;
        if (n == 1) {
            const SPAposition v = view_point(0);
            double x = 0.0, y = 0.0;
            return view_to_drawable(proj, v.x(), v.y(), v.z(), x, y, proj.near_distance) && x >= l && x <= r &&
                           y >= top && y <= b
                       ? 1
                       : 0;
        }
        const int segments = closed && n > 2 ? n : n - 1;
        for (int i = 0; i < segments; ++i) {
            SPAposition a = view_point(i), c = view_point((i + 1) % n);
            if (!clip_to_front(proj, a, c)) continue;
            double x0, y0, x1, y1;
            const double eps = proj.near_distance * (1.0 - 1e-9);
            if (!view_to_drawable(proj, a.x(), a.y(), a.z(), x0, y0, eps) ||
                !view_to_drawable(proj, c.x(), c.y(), c.z(), x1, y1, eps))
                continue;
            if (segment_meets_rect(x0, y0, x1, y1, l, top, r, b)) return 1;
        }
        return 0;
    }
    if (!m_driver) return 0;
    if (!apply) {
        m_driver->draw_polyline_3d(n, xyz, closed);
        return 0;
    }
    std::vector<float> moved(static_cast<size_t>(n) * 3);
    for (int i = 0; i < n; ++i) {
        const SPAposition p = SPAposition(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]) * t;
        moved[3 * i] = static_cast<float>(p.x());
        moved[3 * i + 1] = static_cast<float>(p.y());
        moved[3 * i + 2] = static_cast<float>(p.z());
    }
    m_driver->draw_polyline_3d(n, moved.data(), closed);
    return 0;
}

int view3d::draw_polyline_3d(int n, const SPAposition* points, int closed)
{
    if (n < 1 || !points) return 0;
    std::vector<float> xyz(static_cast<size_t>(n) * 3);
    for (int i = 0; i < n; ++i) {
        xyz[3 * i] = static_cast<float>(points[i].x());
        xyz[3 * i + 1] = static_cast<float>(points[i].y());
        xyz[3 * i + 2] = static_cast<float>(points[i].z());
    }
    return draw_polyline_3d(n, xyz.data(), closed);
}

int view3d::draw_polyline_3d_positions(int n, const SPAposition* points, int closed)
{
    return draw_polyline_3d(n, points, closed);
}

int view3d::draw_polyline_2d(int n, const float* xy, int closed)
{
    if (n < 1 || !xy) return 0;
    if (m_pick_mode) return polyline_hits(n, xy, closed) ? 1 : 0;
    if (m_driver) m_driver->draw_polyline_2d(n, xy, closed);
    return 0;
}

int view3d::draw_point_3d(const SPAposition& p)
{
    if (m_pick_mode) {
        float x = 0.0f, y = 0.0f;
        return project_model_point(p, x, y) && point_in_pick_region(x, y) ? 1 : 0;
    }
    if (!m_driver) return 0;
    const SPAposition w = m_context.model_transform_enabled ? p * get_model_transform() : p;
    const float xyz[3] = {static_cast<float>(w.x()), static_cast<float>(w.y()), static_cast<float>(w.z())};
    m_driver->draw_point_3d(xyz);
    return 0;
}

int view3d::draw_text_3d(const SPAposition& p, const char* text)
{
    if (!text) return 0;
    if (m_pick_mode) {
        float x = 0.0f, y = 0.0f;
        return project_model_point(p, x, y) && point_in_pick_region(x, y) ? 1 : 0;
    }
    if (!m_driver) return 0;
    const SPAposition w = m_context.model_transform_enabled ? p * get_model_transform() : p;
    const float xyz[3] = {static_cast<float>(w.x()), static_cast<float>(w.y()), static_cast<float>(w.z())};
    m_driver->draw_text_3d(xyz, text);
    return 0;
}

// --- Device context and driver ----------------------------------------------------------------

HDC view3d::get_device_context()
{
    if (m_device_context) return m_device_context;
    return m_driver ? m_driver->get_device_context() : nullptr;
}

void view3d::release_device_context(HDC dc)
{
    if (!dc || dc == m_device_context) return;
    if (m_driver) m_driver->release_device_context(dc);
}

driver_context* view3d::set_driver_context(driver_context* driver)
{
    driver_context* previous = m_driver;
    if (previous == driver) return nullptr;
    if (previous && previous->get_view3d() == this) previous->set_view3d(nullptr);
    // The view's own numbers follow the outgoing driver's viewport.
    if (previous && previous->is_viewport_set())
        previous->get_viewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
    m_driver = driver;
    if (m_driver) {
        m_driver->set_view3d(this);
        if (!m_driver->is_viewport_set())
            m_driver->set_viewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
        push_pen_to_driver();
    }
    m_ctm_valid = false;
    return previous;
}

driver_context* view3d::release_driver_context()
{
    return set_driver_context(nullptr);
}

void view3d::refresh(const CRect* rect)
{
    if (m_rendering_context) m_rendering_context->refresh(this, rect);
}

void view3d::set_view_context(const ::view_context& context)
{
    m_context = context;
    push_pen_to_driver();
    m_ctm_valid = false;
}

// --- Drawing switches -------------------------------------------------------------------------

void view3d::set_drawing_switch(view_switch which, bool on)
{
    if (which < 0 || which >= view_switch_count) return;
    m_switches[which] = on;
}

bool view3d::get_drawing_switch(view_switch which) const
{
    if (which < 0 || which >= view_switch_count) return false;
    return m_switches[which];
}

// --- Display settings -------------------------------------------------------------------------

void view3d::SetupRenderingTransforms(bool pick, bool depth, bool, const CRect* rect)
{
    const Projection p = projection_of(*this);
    gl_start_projection(pick && m_pick_mode);
    if (p.ok)
        gl_camera_projection(p.perspective, p.width, p.height, p.distance,
                             p.perspective ? p.near_distance : m_camera.get_hither(), m_camera.get_yon());
    gl_viewport_and_scissor(rect);
    if (depth)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    if (p.ok) gl_look_at();
}

void view3d::gl_start_projection(bool pick) const
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    get_viewport(vx, vy, vw, vh);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (!pick || vw <= 0 || vh <= 0) return;
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    if (!m_pick_mode) {
        // The process-wide aperture about the last centre.
        int cx = 0, cy = 0, w = 0, h = 0;
        get_pick_aperture(cx, cy, w, h);
        left = cx + 0.5 - w * 0.5;
        right = cx + 0.5 + w * 0.5;
        top = cy + 0.5 - h * 0.5;
        bottom = cy + 0.5 + h * 0.5;
        left = std::max(left, 0.0), right = std::min(right, static_cast<double>(vw));
        top = std::max(top, 0.0), bottom = std::min(bottom, static_cast<double>(vh));
    } else {
        pick_region(left, top, right, bottom);
    }
    if (!(left < right) || !(top < bottom)) {
        // Nothing of the region lies in the viewport: a projection that clips everything
        // (x = 2w lies outside -w <= x <= w for every w).
        const GLdouble none[16] = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 1};
        glLoadMatrixd(none);
        return;
    }
    // Rows counted up from the viewport's bottom with view flag 1, else down from its top.
    const bool up = GetFlag(eDsViewFlagPickYUp);
    const double cx = vx + (left + right) * 0.5;
    const double cy = vy + (up ? (top + bottom) * 0.5 : vh - (top + bottom) * 0.5);
    GLint viewport[4] = {vx, vy, vw, vh};
    gluPickMatrix(cx, cy, right - left, bottom - top, viewport);
}

void view3d::gl_camera_projection(bool perspective, double width, double height, double distance,
                                  double near_distance, double far_distance)
{
    if (perspective) {
        if (!(far_distance > near_distance)) far_distance = near_distance + std::max(1.0, 2.0 * distance);
        const double fovy = 2.0 * std::atan2(height * 0.5, distance) * kRadiansToDegrees;
        gluPerspective(fovy, width / height, near_distance, far_distance);
    } else {
        if (!(far_distance > near_distance)) far_distance = near_distance + 1.0;
        glOrtho(-width * 0.5, width * 0.5, -height * 0.5, height * 0.5, near_distance, far_distance);
    }
}

void view3d::gl_viewport_and_scissor(const CRect* rect) const
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    get_viewport(vx, vy, vw, vh);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(vx, vy, std::max(vw, 0), std::max(vh, 0));
    if (rect)
        glScissor(rect->left, rect->top, std::max<LONG>(rect->right - rect->left, 0),
                  std::max<LONG>(rect->bottom - rect->top, 0));
    else
        glScissor(vx, vy, std::max(vw, 0), std::max(vh, 0));
    glEnable(GL_SCISSOR_TEST);
    glDepthFunc(GL_LEQUAL);
}

void view3d::gl_look_at() const
{
    const SPAposition e = m_camera.get_eye(), t = m_camera.get_target();
    const SPAunit_vector u = m_camera.get_up();
    gluLookAt(e.x(), e.y(), e.z(), t.x(), t.y(), t.z(), u.x(), u.y(), u.z());
}

void view3d::Start2dDraw()
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    get_viewport(vx, vy, vw, vh);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, std::max(vw, 1), 0.0, std::max(vh, 1), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void view3d::End2dDraw()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void view3d::ZoomAll(float factor)
{
    zoom_scale(factor);
}

void view3d::SetFlag(EDsViewFlag f, bool on)
{
    if (f < 0 || f >= eDsViewFlagCount) return;
    if (on)
        m_view_flags |= 1u << f;
    else
        m_view_flags &= ~(1u << f);
}

bool view3d::GetFlag(EDsViewFlag f) const
{
    if (f < 0 || f >= eDsViewFlagCount) return false;
    return (m_view_flags >> f) & 1u;
}

void view3d::SetDocumentFlag(EDsDocumentFlag f, bool on)
{
    if (f < 0 || f >= eDsDocumentFlagCount) return;
    if (on)
        m_document_flags |= 1u << f;
    else
        m_document_flags &= ~(1u << f);
}

bool view3d::GetDocumentFlag(EDsDocumentFlag f) const
{
    if (f < 0 || f >= eDsDocumentFlagCount) return false;
    return (m_document_flags >> f) & 1u;
}

bool view3d::GetAutoHideMode() const { return false; }

bool view3d::ForceWhiteBackgroundRequired() const { return false; }

void view3d::SetRenderMode(ERenderMode mode) { m_render_mode = mode; }

ERenderMode view3d::GetRenderMode() const { return m_render_mode; }

void view3d::SetDrawPhase(EDsDrawPhase phase) { m_draw_phase = phase; }

EDsDrawPhase view3d::GetDrawPhase() const { return m_draw_phase; }

void view3d::SetSilhouetteLevel(EDsSilhouetteLevel level) { m_silhouette = level; }

EDsSilhouetteLevel view3d::GetSilhouetteLevel() const { return m_silhouette; }

void view3d::UpdateBackgroundColor(EDsDocumentType) {}

void view3d::Refresh(ERenderMode mode)
{
    if (mode == GetRenderMode()) refresh(nullptr);
}

void view3d::SaveColorBuffer() {}

void view3d::RestoreColorBuffer() {}

float view3d::GetMaxDiagonalSizeForFastRefresh() const { return m_max_fast_diagonal; }

void view3d::SetMaxDiagonalSizeForFastRefresh(float size)
{
    m_max_fast_diagonal = size > 0.0f && std::isfinite(size) ? size : 0.0f;
}

void view3d::GetBoundingRect(const CDsPickedItem*, double&, double&, double&, double&, bool) {}

void view3d::GetReferenceUcs(CGmUnitVector*, SPAposition&) {}

bool view3d::IsOutOfFrustrum(CDsBox&) { return false; }
