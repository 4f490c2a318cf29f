// Helpers of the view layer: matrices, projection and 2-D hit tests.
#include "VyrViewMath.h"

#include "view3d.h"

#include <algorithm>
#include <cmath>

namespace vyr_view {

void identity(view_matrix m)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] = i == j ? 1.0f : 0.0f;
}

void multiply(const view_matrix a, const view_matrix b, view_matrix out)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += static_cast<double>(a[i][k]) * b[k][j];
            out[i][j] = static_cast<float>(s);
        }
}

void from_transf(const SPAtransf& t, view_matrix out)
{
    const double s = t.scaling();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out[i][j] = static_cast<float>(s * t.affine().element(i, j));
        out[i][3] = 0.0f;
    }
    out[3][0] = static_cast<float>(t.translation().x());
    out[3][1] = static_cast<float>(t.translation().y());
    out[3][2] = static_cast<float>(t.translation().z());
    out[3][3] = 1.0f;
}

void transform(const view_matrix m, double x, double y, double z, double h[4])
{
    for (int j = 0; j < 4; ++j) h[j] = x * m[0][j] + y * m[1][j] + z * m[2][j] + m[3][j];
}

void affine_inverse(const view_matrix m, view_matrix out)
{
    // Inverse of the 3 x 3 part by cofactors; translation row follows.
    const double a = m[0][0], b = m[0][1], c = m[0][2];
    const double d = m[1][0], e = m[1][1], f = m[1][2];
    const double g = m[2][0], h = m[2][1], k = m[2][2];
    const double det = a * (e * k - f * h) - b * (d * k - f * g) + c * (d * h - e * g);
    if (!(std::fabs(det) > 1e-300) || !std::isfinite(det)) {
        identity(out);
        return;
    }
    const double inv[3][3] = {{(e * k - f * h) / det, (c * h - b * k) / det, (b * f - c * e) / det},
                              {(f * g - d * k) / det, (a * k - c * g) / det, (c * d - a * f) / det},
                              {(d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out[i][j] = static_cast<float>(inv[i][j]);
        out[i][3] = 0.0f;
    }
    for (int j = 0; j < 3; ++j) {
        double s = 0.0;
        for (int i = 0; i < 3; ++i) s += m[3][i] * inv[i][j];
        out[3][j] = static_cast<float>(-s);
    }
    out[3][3] = 1.0f;
}

Projection projection_of(const view3d& view)
{
    Projection p;
    int x = 0, y = 0;
    view.get_viewport(x, y, p.vw, p.vh);
    const acis_camera& cam = view.get_camera();
    p.perspective = cam.is_perspective();
    p.distance = cam.get_distance();
    p.width = cam.GetWidth();
    p.height = cam.GetHeight();
    p.near_distance = cam.get_hither() > 0.0 ? cam.get_hither() : 0.001;
    p.ok = cam.is_valid() && p.vw > 0 && p.vh > 0 && p.width > 0.0 && p.height > 0.0 && std::isfinite(p.distance);
    return p;
}

bool view_to_drawable(const Projection& p, double vx, double vy, double vz, double& x, double& y, double min_depth)
{
    if (!p.ok) return false;
    double tx = vx, ty = vy;
    if (p.perspective) {
        const double depth = p.distance - vz;  // in front of the eye along the direction
        if (!(depth >= min_depth) || depth <= 0.0) return false;
        tx = vx * p.distance / depth;
        ty = vy * p.distance / depth;
    }
    const double dx = p.vw * 0.5 + tx * p.vw / p.width;
    const double dy = p.vh * 0.5 - ty * p.vh / p.height;
    if (!std::isfinite(dx) || !std::isfinite(dy)) return false;
    x = dx;
    y = dy;
    return true;
}

bool clip_to_front(const Projection& p, SPAposition& a, SPAposition& b)
{
    if (!p.perspective) return true;
    const double limit = p.distance - p.near_distance;  // largest vz still in front
    const bool ain = a.z() <= limit, bin = b.z() <= limit;
    if (ain && bin) return true;
    if (!ain && !bin) return false;
    const double t = (limit - a.z()) / (b.z() - a.z());
    const SPAposition cut = a + (b - a) * t;
    if (ain)
        b = cut;
    else
        a = cut;
    return true;
}

bool segment_meets_rect(double x0, double y0, double x1, double y1, double l, double t, double r, double b)
{
    // Liang-Barsky clipping of the parameter range [0, 1].
    double lo = 0.0, hi = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - l, r - x0, y0 - t, b - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double s = q[i] / p[i];
        if (p[i] < 0.0)
            lo = std::max(lo, s);
        else
            hi = std::min(hi, s);
        if (lo > hi) return false;
    }
    return true;
}

bool polyline_meets_rect(int n, const float* xy, bool closed, double l, double t, double r, double b)
{
    if (n < 1 || !xy) return false;
    if (n == 1) return xy[0] >= l && xy[0] <= r && xy[1] >= t && xy[1] <= b;
    for (int i = 0; i + 1 < n; ++i)
        if (segment_meets_rect(xy[2 * i], xy[2 * i + 1], xy[2 * i + 2], xy[2 * i + 3], l, t, r, b)) return true;
    if (closed && n > 2)
        return segment_meets_rect(xy[2 * (n - 1)], xy[2 * (n - 1) + 1], xy[0], xy[1], l, t, r, b);
    return false;
}

}  // namespace vyr_view
