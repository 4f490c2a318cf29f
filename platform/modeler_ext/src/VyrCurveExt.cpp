// Curve and polygon helpers.
#include "VyrCurveExt.h"

#include <algorithm>
#include <cmath>

#include "VyrBodyExt.h"

namespace {

bool finite(const SPAposition& p) { return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z()); }
bool finite(const SPAvector& v) { return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z()); }

// Squared distance in the xy plane from p to the segment a-b.
double dist2_to_segment_xy(const SPAposition& p, const SPAposition& a, const SPAposition& b)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double len2 = dx * dx + dy * dy;
    double t = 0.0;
    if (len2 > 0.0) t = std::clamp(((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / len2, 0.0, 1.0);
    const double ex = a.x() + t * dx - p.x(), ey = a.y() + t * dy - p.y();
    return ex * ex + ey * ey;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Point in polygon

bool CVyrCurveExt::ScnPtInPoly(const SPAposition& p, const SPAposition* poly, int n)
{
    if (poly == nullptr || n < 3 || !finite(p)) return false;
    for (int i = 0; i < n; ++i)
        if (!finite(poly[i])) return false;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const SPAposition& a = poly[j];
        const SPAposition& b = poly[i];
        if (dist2_to_segment_xy(p, a, b) <= SPAresabs * SPAresabs) return true;
        // Even-odd crossing of the ray from p towards +x.
        if ((a.y() > p.y()) != (b.y() > p.y())) {
            const double x = a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
            if (p.x() < x) inside = !inside;
        }
    }
    return inside;
}

// ---------------------------------------------------------------------------------------------
// Closest parameter on an edge

namespace {

// The closest parameter of the edge's curve inside its range, or NaN; raises what the curve's
// evaluations raise.
double ClosestParamOnEdge(const EDGE* edge, const SPAposition& pos)
{
    const curve& c = edge->geometry()->equation();
    SPAposition p = pos;
    if (const SPAtransf* t = CVyrBodyExt::TransfPtr(edge)) p *= t->inverse();

    const SPAinterval range = edge->param_range();
    if (!range.bounded()) return c.param(p);
    const double lo = range.start_pt(), hi = range.end_pt();
    auto dist2 = [&](double t) { return (c.eval_position(t) - p).len_sq(); };

    double best = lo, bestDist = dist2(lo);
    auto consider = [&](double t) {
        if (!std::isfinite(t)) return;
        t = std::clamp(t, lo, hi);
        const double d = dist2(t);
        if (d < bestDist) {
            best = t;
            bestDist = d;
        }
    };
    consider(hi);

    // The curve's own closest point, moved into the edge's range on a periodic curve.
    double t0 = c.param(p);
    const double period = c.param_period();
    if (period > 0.0 && std::isfinite(t0)) {
        t0 = lo + std::fmod(t0 - lo, period);
        if (t0 < lo) t0 += period;
    }
    if (std::isfinite(t0) && range.contains(t0, SPAresnor)) consider(t0);

    // A coarse search over the range refined by golden sections, for curves where the closest
    // point of the whole curve lies outside the edge.
    const int samples = 32;
    const double step = (hi - lo) / samples;
    int k = 0;
    double kDist = bestDist;
    for (int i = 0; i <= samples; ++i) {
        const double d = dist2(lo + i * step);
        if (i == 0 || d < kDist) {
            k = i;
            kDist = d;
        }
    }
    double a = lo + std::max(k - 1, 0) * step, b = lo + std::min(k + 1, samples) * step;
    const double g = 0.5 * (std::sqrt(5.0) - 1.0);
    double x1 = b - g * (b - a), x2 = a + g * (b - a);
    double f1 = dist2(x1), f2 = dist2(x2);
    for (int i = 0; i < 60 && b - a > SPAresmch; ++i) {
        if (f1 < f2) {
            b = x2;
            x2 = x1;
            f2 = f1;
            x1 = b - g * (b - a);
            f1 = dist2(x1);
        } else {
            a = x1;
            x1 = x2;
            f1 = f2;
            x2 = a + g * (b - a);
            f2 = dist2(x2);
        }
    }
    consider(0.5 * (a + b));
    return best;
}

}  // namespace

bool CVyrCurveExt::ClosestPointParam1(const ENTITY* entity, const SPAposition& pos, double& param)
{
    if (is_COEDGE(entity)) entity = static_cast<const COEDGE*>(entity)->edge();
    if (!is_EDGE(entity) || !finite(pos)) return false;
    const EDGE* edge = static_cast<const EDGE*>(entity);
    if (edge->geometry() == nullptr) return false;
    double t = 0.0;
    try {
        t = ClosestParamOnEdge(edge, pos);
    } catch (const acis_exception&) {
        return false;  // the curve could not be evaluated: no parameter, not a made-up one
    }
    if (!std::isfinite(t)) return false;
    param = t;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Closest points of two lines

bool CVyrCurveExt::LineLineDist(const SPAposition& p1, const SPAvector& d1, const SPAposition& p2,
                                const SPAvector& d2, SPAposition& on1, SPAposition& on2, double& dist,
                                int option)
{
    if (!finite(p1) || !finite(d1) || !finite(p2) || !finite(d2)) return false;
    const SPAvector r = p1 - p2;
    const double a = d1 % d1, e = d2 % d2, b = d1 % d2, c = d1 % r, f = d2 % r;
    double s = 0.0, t = 0.0;
    if (option == kInfiniteLines) {
        const double denom = a * e - b * b;
        if (a <= SPAresmch || e <= SPAresmch || denom <= SPAresnor * a * e) return false;
        s = (b * f - c * e) / denom;
        t = (a * f - b * c) / denom;
    } else if (a <= SPAresmch && e <= SPAresmch) {
        // Both segments are points.
    } else if (a <= SPAresmch) {
        t = std::clamp(f / e, 0.0, 1.0);
    } else if (e <= SPAresmch) {
        s = std::clamp(-c / a, 0.0, 1.0);
    } else {
        const double denom = a * e - b * b;
        // Parallel segments: any s will do; start from the first one's start.
        s = denom > SPAresnor * a * e ? std::clamp((b * f - c * e) / denom, 0.0, 1.0) : 0.0;
        t = (b * s + f) / e;
        if (t < 0.0) {
            t = 0.0;
            s = std::clamp(-c / a, 0.0, 1.0);
        } else if (t > 1.0) {
            t = 1.0;
            s = std::clamp((b - c) / a, 0.0, 1.0);
        }
    }
    on1 = p1 + s * d1;
    on2 = p2 + t * d2;
    dist = (on1 - on2).len();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Segment against rectangle

bool ClipLine2D(int x1, int y1, int x2, int y2, int xmin, int ymin, int xmax, int ymax)
{
    if (xmin > xmax) std::swap(xmin, xmax);
    if (ymin > ymax) std::swap(ymin, ymax);
    if (std::max(x1, x2) < xmin || std::min(x1, x2) > xmax) return false;
    if (std::max(y1, y2) < ymin || std::min(y1, y2) > ymax) return false;
    // The boxes overlap: the segment misses the rectangle only when all four corners lie
    // strictly on one side of its line. 128-bit products keep the test exact for every int.
    const __int128 dx = __int128(x2) - x1, dy = __int128(y2) - y1;
    auto side = [&](int x, int y) {
        const __int128 v = dx * (__int128(y) - y1) - dy * (__int128(x) - x1);
        return v > 0 ? 1 : (v < 0 ? -1 : 0);
    };
    const int s[4] = {side(xmin, ymin), side(xmax, ymin), side(xmax, ymax), side(xmin, ymax)};
    bool positive = true, negative = true;
    for (int v : s) {
        positive = positive && v > 0;
        negative = negative && v < 0;
    }
    return !positive && !negative;
}
