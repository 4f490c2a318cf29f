// driver_context: pen and viewport state, projection of 3-D drawing, default pick answers.
#include "driver_context.h"

#include "VyrString.h"
#include "VyrViewMath.h"
#include "view3d.h"

#include <algorithm>
#include <vector>

using namespace vyr_view;

driver_context::driver_context() = default;

driver_context::~driver_context() = default;

void driver_context::name_window(const char*) {}

int driver_context::get_driver_capabilities() { return 0; }

HDC driver_context::get_device_context() { return nullptr; }

void driver_context::release_device_context(HDC) {}

void driver_context::set_foreground_rgb(rgb_color color) { m_foreground = color; }

rgb_color driver_context::get_foreground_rgb() { return m_foreground; }

void driver_context::set_background_rgb(rgb_color color) { m_background = color; }

rgb_color driver_context::get_background_rgb() { return m_background; }

void driver_context::set_foreground_to_background() { set_foreground_rgb(m_background); }

void driver_context::set_drawing_mode(drawing_mode mode) { m_drawing_mode = mode; }

void driver_context::set_line_style(line_style style) { m_line_style = style; }

void driver_context::set_line_width(int width) { m_line_width = std::max(width, 0); }

int driver_context::set_text_font(const char*) { return 1; }

void driver_context::set_text_size(int size) { m_text_size = size < 1 ? 0 : size; }

void driver_context::set_rubberband_mode(int on) { m_rubberband_mode = on; }

bool driver_context::is_picking() const
{
    return m_view && m_view->get_pick_mode() != 0;
}

int driver_context::draw_polyline_2d(int n, const float* xy, int fill)
{
    if (is_picking()) return pick_polyline_2d(n, xy, fill);
    return 0;
}

int driver_context::set_pixel(float, float) { return 0; }

int driver_context::draw_point_2d(float, float) { return 0; }

int driver_context::draw_text_2d(float x, float y, const CVyrString& text)
{
    return draw_text_2d(x, y, text.GetMultiByte());
}

int driver_context::draw_text_2d(float x, float y, const char* text)
{
    if (!text) return 0;
    if (is_picking()) {
        const float xy[2] = {x, y};
        return pick_polyline_2d(1, xy, 0);
    }
    return 0;
}

int driver_context::DrawText2D(int x, int y, const CVyrString& text, CDsNFontStorage&, EDsTextLineAlignment, int*)
{
    return draw_text_2d(static_cast<float>(x), static_cast<float>(y), text);
}

int driver_context::DrawText3D(CGmPosition&, const CVyrString&, CDsNFontStorage&, EDsTextLineAlignment, int*)
{
    return 0;
}

void driver_context::DrawImage(const CBitmap&, int, int, int, int) {}

void driver_context::get_color_map(ColorMode& mode, int& red, int& green, int& blue)
{
    mode = color_mode_rgb;
    red = green = blue = 256;
}

void driver_context::image_start(int, int, int, int) {}

int driver_context::draw_scanline(int, int, int, int*) { return 0; }

void driver_context::image_end() {}

void driver_context::clear() {}

void driver_context::recompute_viewport() {}

int driver_context::GetRubberBandLineStyle(line_style& style)
{
    style = m_rubberband_style;
    return static_cast<int>(sizeof(line_style));
}

void driver_context::SetRubberBandLineStyle(line_style style) { m_rubberband_style = style; }

int driver_context::draw_polyline_3d(int n, const float* xyz, int closed)
{
    if (!m_view || n < 1 || !xyz) return 0;
    const Projection proj = projection_of(*m_view);
    if (!proj.ok) return 0;
    const view_matrix& vom = m_view->view_orientation_transform();
    auto view_point = [&](int i) {
        double v[4];
        transform(vom, xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], v);
        return SPAposition(v[0], v[1], v[2]);
    };
    const double eps = proj.near_distance * (1.0 - 1e-9);
    std::vector<float> run;  // the current piece in drawable coordinates
    auto flush = [&]() {
        if (run.size() >= 2) draw_polyline_2d(static_cast<int>(run.size() / 2), run.data(), 0);
        run.clear();
    };
    auto add = [&](const SPAposition& v) {
        double x = 0.0, y = 0.0;
        if (!view_to_drawable(proj, v.x(), v.y(), v.z(), x, y, eps)) return false;
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        if (run.size() >= 2 && run[run.size() - 2] == fx && run.back() == fy) return true;
        run.push_back(fx);
        run.push_back(fy);
        return true;
    };
    if (n == 1) {
        add(view_point(0));
        if (!run.empty()) draw_polyline_2d(1, run.data(), 0);
        return 0;
    }
    const int segments = closed && n > 2 ? n : n - 1;
    for (int i = 0; i < segments; ++i) {
        SPAposition a = view_point(i), b = view_point((i + 1) % n);
        const SPAposition original_b = b;
        if (!clip_to_front(proj, a, b)) {
            flush();
            continue;
        }
        if (run.empty()) add(a);
        add(b);
        // A segment cut at its far end ends the piece.
        if (proj.perspective && (b - original_b).len() > 0.0) flush();
    }
    flush();
    return 0;
}

int driver_context::draw_point_3d(const float* xyz)
{
    if (!m_view || !xyz) return 0;
    float x = 0.0f, y = 0.0f;
    if (!m_view->world_to_drawable(SPAposition(xyz[0], xyz[1], xyz[2]), x, y)) return 0;
    draw_point_2d(x, y);
    return 0;
}

int driver_context::draw_text_3d(const float* xyz, const char* text)
{
    if (!m_view || !xyz || !text) return 0;
    float x = 0.0f, y = 0.0f;
    if (!m_view->world_to_drawable(SPAposition(xyz[0], xyz[1], xyz[2]), x, y)) return 0;
    draw_text_2d(x, y, text);
    return 0;
}

int driver_context::pick_polyline_2d(int n, const float* xy, int closed)
{
    if (!is_picking()) return 0;
    int cx = 0, cy = 0, w = 0, h = 0;
    m_view->get_pick_aperture(cx, cy, w, h);
    const double hw = w * 0.5, hh = h * 0.5;
    return polyline_meets_rect(n, xy, closed != 0, cx - hw, cy - hh, cx + hw, cy + hh) ? 1 : 0;
}

void driver_context::set_point_style(point_style style) { m_point_style = style; }

void driver_context::set_point_size(int size) { m_point_size = std::max(size, 1); }

void driver_context::set_viewport(int x, int y, int width, int height)
{
    m_viewport_x = x;
    m_viewport_y = y;
    m_viewport_width = std::max(width, 0);
    m_viewport_height = std::max(height, 0);
    m_viewport_set = true;
}

void driver_context::get_viewport(int& x, int& y, int& width, int& height) const
{
    x = m_viewport_x;
    y = m_viewport_y;
    width = m_viewport_width;
    height = m_viewport_height;
}

void driver_context::get_output_extents(int& x, int& y, int& width, int& height) const
{
    x = m_output[0];
    y = m_output[1];
    width = m_output[2];
    height = m_output[3];
}

void driver_context::set_output_extents(int x, int y, int width, int height)
{
    m_output[0] = x;
    m_output[1] = y;
    m_output[2] = std::max(width, 0);
    m_output[3] = std::max(height, 0);
}
