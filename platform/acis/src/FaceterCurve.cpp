// Faceting curves: polylines whose chords keep within a tolerance of the curve.
#include <algorithm>
#include <cmath>
#include <vector>

#include "SpaFaceter.h"

namespace {

// Deepest halving of one initial segment.
constexpr int kMaxDepth = 40;
// Initial segments of a free-form curve, so that a wiggle between two samples is not missed.
constexpr int kInitialSegments = 8;

// The distance from `p` to the segment [a, b].
double DistanceToChord(const SPAposition& p, const SPAposition& a, const SPAposition& b)
{
    const SPAvector ab = b - a;
    const double lenSq = ab.len_sq();
    double s = lenSq > 0.0 ? ((p - a) % ab) / lenSq : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    return (p - (a + s * ab)).len();
}

// Builds the parameter list of a curve polyline; gives up (false) past `limit` parameters.
class CurveSampler {
public:
    CurveSampler(const curve& c, double tol, double angleTol, double maxLength, size_t limit)
        : m_curve(c), m_tol(tol), m_angleTol(angleTol), m_maxLength(maxLength), m_limit(limit)
    {
    }

    // Appends the parameters after `a` up to and including `b`.
    bool Refine(double a, const SPAposition& pa, double b, const SPAposition& pb, int depth, std::vector<double>& ts)
    {
        if (ts.size() > m_limit) return false;
        const double mid = 0.5 * (a + b);
        const SPAposition pm = m_curve.eval_position(mid);
        if (depth < kMaxDepth && NeedsSplit(a, pa, mid, pm, b, pb)) {
            return Refine(a, pa, mid, pm, depth + 1, ts) && Refine(mid, pm, b, pb, depth + 1, ts);
        }
        ts.push_back(b);
        return ts.size() <= m_limit;
    }

private:
    bool NeedsSplit(double a, const SPAposition& pa, double mid, const SPAposition& pm, double b,
                    const SPAposition& pb) const
    {
        if (m_maxLength > 0.0 && (pb - pa).len() > m_maxLength) return true;
        if (DistanceToChord(pm, pa, pb) > m_tol) return true;
        if (DistanceToChord(m_curve.eval_position(0.5 * (a + mid)), pa, pb) > m_tol) return true;
        if (DistanceToChord(m_curve.eval_position(0.5 * (mid + b)), pa, pb) > m_tol) return true;
        if (m_angleTol > 0.0) {
            const SPAunit_vector da = m_curve.eval_direction(a);
            const SPAunit_vector db = m_curve.eval_direction(b);
            if (!da.is_zero(0.5) && !db.is_zero(0.5) && angle_between(da, db) > m_angleTol) return true;
        }
        return false;
    }

    const curve& m_curve;
    double m_tol;
    double m_angleTol;
    double m_maxLength;
    size_t m_limit;
};

// Number of equal parameter steps of an ellipse that keep its chords within `tol`.
int EllipseSegments(const ellipse& e, double span, double tol)
{
    const double r = e.major_axis.len();
    if (!(r > tol)) return 1;
    const double step = 2.0 * std::acos(1.0 - tol / r);
    if (!(step > 0.0)) return 1;
    const double n = std::ceil(std::fabs(span) / step);
    return n < 1.0 ? 1 : n > 1e6 ? 1000000 : static_cast<int>(n);
}

void FacetCurve(const curve& crv, double t0, double t1, double tol, double angleTol, double maxLength, int maxPoints,
                int& count, SPAposition* points, double* params)
{
    if (!std::isfinite(tol) || tol <= 0.0) sys_error(BAD_TOLERANCE);
    if (!std::isfinite(angleTol) || angleTol < 0.0) sys_error(BAD_TOLERANCE);
    if (!std::isfinite(maxLength) || maxLength < 0.0) sys_error(BAD_TOLERANCE);
    if (points == nullptr || maxPoints < 2 || !std::isfinite(t0) || !std::isfinite(t1)) sys_error(BAD_ARGUMENT);
    if (!crv.periodic()) {
        const SPAinterval range = crv.param_range();
        if (range.bounded()) {
            const double eps = 1e-9 * std::max(1.0, range.length());
            if (std::min(t0, t1) < range.start_pt() - eps || std::max(t0, t1) > range.end_pt() + eps)
                sys_error(BAD_ARGUMENT);
        }
    }

    const size_t limit = static_cast<size_t>(maxPoints);
    int initial = kInitialSegments;
    if (crv.type() == straight_type || t0 == t1)
        initial = 1;
    else if (crv.type() == ellipse_type)
        initial = EllipseSegments(static_cast<const ellipse&>(crv), t1 - t0, tol);

    // A polyline that meets the tolerances has fewer than max_points points, so that a count of
    // max_points always means "limit reached".
    const size_t adaptiveLimit = limit - 1;
    std::vector<double> ts;
    bool fits = static_cast<size_t>(initial) + 1 <= adaptiveLimit;
    if (fits) {
        ts.reserve(std::min(limit, static_cast<size_t>(initial) * 2 + 2));
        ts.push_back(t0);
        CurveSampler sampler(crv, tol, angleTol, maxLength, adaptiveLimit);
        double a = t0;
        SPAposition pa = crv.eval_position(a);
        for (int i = 1; i <= initial && fits; ++i) {
            const double b = i == initial ? t1 : t0 + (t1 - t0) * i / initial;
            const SPAposition pb = crv.eval_position(b);
            fits = sampler.Refine(a, pa, b, pb, 0, ts);
            a = b;
            pa = pb;
        }
    }
    if (!fits) {
        // Too many points: the limit, evenly spaced.
        ts.resize(limit);
        for (size_t i = 0; i < limit; ++i) ts[i] = t0 + (t1 - t0) * static_cast<double>(i) / static_cast<double>(limit - 1);
        ts.back() = t1;
    }
    for (size_t i = 0; i < ts.size(); ++i) {
        points[i] = crv.eval_position(ts[i]);
        if (params) params[i] = ts[i];
    }
    count = static_cast<int>(ts.size());
}

}  // namespace

outcome api_facet_curve(const curve& crv, double t0, double t1, double tol, double angle_tol, double max_length,
                        int max_points, int& count, SPAposition* points, double* params)
{
    count = 0;
    API_FUNCTION_BEGIN
        FacetCurve(crv, t0, t1, tol, angle_tol, max_length, max_points, count, points, params);
    API_FUNCTION_END
    if (!result.ok()) count = 0;
    return result;
}
