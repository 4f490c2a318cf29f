// Curve and surface equations and the CURVE and SURFACE entities.
#include <algorithm>
#include <cmath>

#include <ElSLib.hxx>
#include <GCPnts_AbscissaPoint.hxx>
#include <GeomAPI_ProjectPointOnCurve.hxx>
#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <GeomAdaptor_Curve.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <GeomConvert.hxx>
#include <GeomLProp_SLProps.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Precision.hxx>
#include <ShapeAnalysis_Surface.hxx>
#include <Standard_Failure.hxx>
#include <gp_Ax3.hxx>

#include "OcctAccess.h"
#include "SpaErrors.h"

namespace {

constexpr double kTwoPi = 2.0 * M_PI;

// Gauss-Legendre nodes and weights on [-1, 1], 8 points.
constexpr double kGaussX[8] = {-0.9602898564975363, -0.7966664774136267, -0.5255324099163290,
                               -0.1834346424956498, 0.1834346424956498,  0.5255324099163290,
                               0.7966664774136267,  0.9602898564975363};
constexpr double kGaussW[8] = {0.1012285362903763, 0.2223810344533745, 0.3137066458778873,
                               0.3626837833783620, 0.3626837833783620, 0.3137066458778873,
                               0.2223810344533745, 0.1012285362903763};

// t reduced into [0, period).
double wrap(double t, double period)
{
    double r = std::fmod(t, period);
    if (r < 0.0) r += period;
    if (r >= period) r = 0.0;
    return r;
}

SPAinterval interval_of(double a, double b)
{
    return SPAinterval(Precision::IsNegativeInfinite(a) ? -HUGE_VAL : a,
                       Precision::IsPositiveInfinite(b) ? HUGE_VAL : b);
}

// A kernel failure raised as the modeler's error, keeping the kernel's message. A failure must
// not come back as a point, vector or parameter that looks like an answer.
[[noreturn]] void raise_kernel_failure(const Standard_Failure& failure)
{
    const char* text = failure.GetMessageString();
    const error_info info(OCCT_FAILURE, text != nullptr && *text != '\0' ? text : nullptr);
    sys_error(OCCT_FAILURE, &info);
}

// Evaluating at a parameter that is not a number has no answer.
void check_parameter(double t)
{
    if (!std::isfinite(t)) sys_error(BAD_ARGUMENT);
}

void check_parameters(const SPApar_pos& uv)
{
    if (!std::isfinite(uv.u) || !std::isfinite(uv.v)) sys_error(BAD_ARGUMENT);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// curve

curve::~curve() = default;

double curve::length(double t0, double t1) const
{
    if (!std::isfinite(t0) || !std::isfinite(t1)) return 0.0;
    const double a = std::min(t0, t1);
    const double b = std::max(t0, t1);
    if (b - a <= 0.0) return 0.0;
    // Composite Gauss-Legendre over panels of at most pi / 16 (smooth integrands).
    const int panels = std::max(1, std::min(4096, static_cast<int>(std::ceil((b - a) / (M_PI / 16.0)))));
    const double h = (b - a) / panels;
    double sum = 0.0;
    for (int p = 0; p < panels; ++p) {
        const double mid = a + (p + 0.5) * h;
        for (int i = 0; i < 8; ++i) sum += kGaussW[i] * eval_deriv(mid + 0.5 * h * kGaussX[i]).len();
    }
    return sum * 0.5 * h;
}

SPAposition curve::closest_point(const SPAposition& p, double* t) const
{
    const double tp = param(p);
    if (t != nullptr) *t = tp;
    return eval_position(tp);
}

// ---------------------------------------------------------------------------------------------
// straight

straight::straight(const SPAposition& root, const SPAunit_vector& dir, double scale)
    : root_point(root), direction(dir), param_scale(scale)
{
}

SPAposition straight::eval_position(double t) const
{
    return root_point + direction * (t * param_scale);
}

SPAvector straight::eval_deriv(double) const
{
    return direction * param_scale;
}

double straight::length(double t0, double t1) const
{
    if (!std::isfinite(t0) || !std::isfinite(t1)) return 0.0;
    return std::fabs(t1 - t0) * std::fabs(param_scale) * direction.len();
}

double straight::param(const SPAposition& p) const
{
    const double s = param_scale * direction.len_sq();
    if (!(std::fabs(s) > SPAresmch)) return 0.0;
    return ((p - root_point) % direction) / s;
}

curve& straight::operator*=(const SPAtransf& t)
{
    if (t.identity()) return *this;
    // direction has unit length, so the length of its image is the stretch along the line.
    const SPAvector d = static_cast<const SPAvector&>(direction) * t;
    root_point *= t;
    const double l = d.len();
    if (l > SPAresmch) {
        direction = normalise(d);
        param_scale *= l;
    }
    return *this;
}

// ---------------------------------------------------------------------------------------------
// ellipse

ellipse::ellipse()
    : centre(), normal(0.0, 0.0, 1.0), major_axis(1.0, 0.0, 0.0), radius_ratio(1.0), param_off(0.0)
{
}

ellipse::ellipse(const SPAposition& c, const SPAunit_vector& n, const SPAvector& major, double ratio, double off)
    : centre(c), normal(n), major_axis(major), radius_ratio(ratio), param_off(off)
{
}

SPAvector ellipse::minor_axis() const
{
    return (normal * major_axis) * radius_ratio;
}

SPAposition ellipse::eval_position(double t) const
{
    const double a = t - param_off;
    return centre + major_axis * std::cos(a) + minor_axis() * std::sin(a);
}

SPAvector ellipse::eval_deriv(double t) const
{
    const double a = t - param_off;
    return major_axis * -std::sin(a) + minor_axis() * std::cos(a);
}

SPAinterval ellipse::param_range() const
{
    return SPAinterval(0.0, kTwoPi);
}

double ellipse::param_period() const
{
    return kTwoPi;
}

double ellipse::param(const SPAposition& p) const
{
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z())) sys_error(BAD_ARGUMENT);
    const SPAvector major = major_axis;
    const SPAvector minor = minor_axis();
    const SPAvector d = p - centre;
    // f(a) = |E(a) - p|^2 / 2 over the angle a = t - param_off: coarse search, then Newton.
    auto f = [&](double a) { return (major * std::cos(a) + minor * std::sin(a) - d).len_sq(); };
    constexpr int kSamples = 64;
    double best = 0.0;
    double bestValue = HUGE_VAL;
    for (int i = 0; i < kSamples; ++i) {
        const double a = kTwoPi * i / kSamples;
        const double v = f(a);
        if (v < bestValue) { bestValue = v; best = a; }
    }
    const double step = kTwoPi / kSamples;
    double a = best;
    for (int it = 0; it < 30; ++it) {
        const SPAvector e = major * std::cos(a) + minor * std::sin(a) - d;
        const SPAvector e1 = major * -std::sin(a) + minor * std::cos(a);
        const SPAvector e2 = major * -std::cos(a) + minor * -std::sin(a);
        const double g = e % e1;
        const double h = e1 % e1 + e % e2;
        if (!(h > 0.0)) break;
        double next = a - g / h;
        next = std::max(best - step, std::min(best + step, next));  // stay in the sampled basin
        if (std::fabs(next - a) < 1e-15) { a = next; break; }
        a = next;
    }
    if (f(a) > bestValue) a = best;
    return wrap(a + param_off, kTwoPi);
}

curve& ellipse::operator*=(const SPAtransf& t)
{
    if (t.identity()) return *this;
    // The images of the two axes are conjugate semi-diameters a, b of the image ellipse:
    // P(s) = c + a cos s + b sin s. Rotating the phase by phi makes them perpendicular.
    const SPAvector a = major_axis * t;
    const SPAvector b = minor_axis() * t;
    const SPAunit_vector oldNormal = normal * t;
    const double phi = 0.5 * std::atan2(2.0 * (a % b), (a % a) - (b % b));
    SPAvector major = a * std::cos(phi) + b * std::sin(phi);
    SPAvector minor = a * -std::sin(phi) + b * std::cos(phi);
    double shift = phi;
    if (minor.len_sq() > major.len_sq()) {
        const SPAvector m = major;
        major = minor;
        minor = -m;
        shift += 0.5 * M_PI;
    }
    centre *= t;
    major_axis = major;
    const double majorLen = major.len();
    const SPAvector n = major * minor;
    if (n.len() > SPAresmch * std::max(1.0, majorLen * majorLen))
        normal = normalise(n);
    else
        normal = oldNormal;  // collapsed to a segment or a point: keep a sensible plane
    radius_ratio = majorLen > SPAresmch ? minor.len() / majorLen : 1.0;
    param_off += shift;
    return *this;
}

// ---------------------------------------------------------------------------------------------
// intcurve

intcurve::intcurve() : m_occt(new SpaOcctCurve) {}

intcurve::intcurve(const intcurve& other) : curve(other), m_occt(new SpaOcctCurve(*other.m_occt)) {}

intcurve& intcurve::operator=(const intcurve& other)
{
    if (this != &other) *m_occt = *other.m_occt;  // OCCT curves are shared read-only
    return *this;
}

intcurve::~intcurve()
{
    delete m_occt;
}

SPAposition intcurve::eval_position(double t) const
{
    if (m_occt->curve.IsNull()) sys_error(OCCT_FAILURE);
    check_parameter(t);
    try {
        return ToSpa(m_occt->curve->Value(t));
    } catch (const Standard_Failure& failure) {
        raise_kernel_failure(failure);
    }
}

SPAvector intcurve::eval_deriv(double t) const
{
    if (m_occt->curve.IsNull()) sys_error(OCCT_FAILURE);
    check_parameter(t);
    try {
        gp_Pnt p;
        gp_Vec d;
        m_occt->curve->D1(t, p, d);
        return ToSpa(d);
    } catch (const Standard_Failure& failure) {
        raise_kernel_failure(failure);
    }
}

SPAinterval intcurve::param_range() const
{
    if (m_occt->curve.IsNull()) return SPAinterval();
    return interval_of(m_occt->curve->FirstParameter(), m_occt->curve->LastParameter());
}

double intcurve::param_period() const
{
    if (m_occt->curve.IsNull() || !m_occt->curve->IsPeriodic()) return 0.0;
    return m_occt->curve->Period();
}

double intcurve::length(double t0, double t1) const
{
    if (m_occt->curve.IsNull() || !std::isfinite(t0) || !std::isfinite(t1)) return 0.0;
    double a = std::min(t0, t1);
    double b = std::max(t0, t1);
    if (!periodic()) {
        const SPAinterval r = param_range();
        a = std::max(a, r.start_pt());
        b = std::min(b, r.end_pt());
    }
    if (b <= a) return 0.0;
    try {
        GeomAdaptor_Curve adaptor(m_occt->curve);
        return GCPnts_AbscissaPoint::Length(adaptor, a, b);
    } catch (const Standard_Failure&) {
        return curve::length(a, b);
    }
}

double intcurve::param(const SPAposition& p) const
{
    if (m_occt->curve.IsNull()) sys_error(OCCT_FAILURE);
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z())) sys_error(BAD_ARGUMENT);
    const SPAinterval r = param_range();
    double t = 0.0;
    bool found = false;
    try {
        GeomAPI_ProjectPointOnCurve proj(ToGp(p), m_occt->curve);
        if (proj.NbPoints() > 0) {
            t = proj.LowerDistanceParameter();
            found = true;
        }
    } catch (const Standard_Failure& failure) {
        raise_kernel_failure(failure);
    }
    if (!found) {
        // No perpendicular foot: on a bounded curve the nearer end is the closest point; an
        // unbounded curve has no answer to give.
        if (!r.bounded()) sys_error(OCCT_FAILURE);
        const double d0 = (eval_position(r.start_pt()) - p).len_sq();
        const double d1 = (eval_position(r.end_pt()) - p).len_sq();
        t = d0 <= d1 ? r.start_pt() : r.end_pt();
    }
    if (periodic() && r.bounded()) t = r.start_pt() + wrap(t - r.start_pt(), param_period());
    return t;
}

curve& intcurve::operator*=(const SPAtransf& t)
{
    if (t.identity()) return *this;
    if (m_occt->curve.IsNull()) sys_error(OCCT_FAILURE);
    // The new curve is built aside and replaces the old one only when complete, so a failure
    // leaves the curve as it was and raises.
    Handle(Geom_Curve) moved;
    try {
        gp_Trsf trsf;
        if (ToTrsf(t, trsf)) {
            moved = Handle(Geom_Curve)::DownCast(m_occt->curve->Transformed(trsf));
        } else {
            // An affine map keeps a (rational) B-spline a B-spline with moved poles.
            Handle(Geom_BSplineCurve) bs = GeomConvert::CurveToBSplineCurve(m_occt->curve);
            if (!bs.IsNull()) {
                bs = Handle(Geom_BSplineCurve)::DownCast(bs->Copy());
                for (int i = 1; i <= bs->NbPoles(); ++i) bs->SetPole(i, ToGp(ToSpa(bs->Pole(i)) * t));
                moved = bs;
            }
        }
    } catch (const Standard_Failure& failure) {
        raise_kernel_failure(failure);
    }
    if (moved.IsNull()) sys_error(OCCT_FAILURE);
    m_occt->curve = moved;
    return *this;
}

// ---------------------------------------------------------------------------------------------
// surface

surface::surface() : m_occt(new SpaOcctSurface) {}

surface::surface(const surface& other) : m_occt(new SpaOcctSurface(*other.m_occt)) {}

surface& surface::operator=(const surface& other)
{
    if (this != &other) *m_occt = *other.m_occt;
    return *this;
}

surface::~surface()
{
    delete m_occt;
}

void surface::evaluate(const SPApar_pos& uv, SPAposition& pos, SPAvector* du, SPAvector* dv) const
{
    if (m_occt->surface.IsNull()) sys_error(OCCT_FAILURE);
    check_parameters(uv);
    gp_Pnt p;
    gp_Vec d1u, d1v;
    try {
        m_occt->surface->D1(uv.u, uv.v, p, d1u, d1v);
    } catch (const Standard_Failure& failure) {
        raise_kernel_failure(failure);
    }
    pos = ToSpa(p);
    if (du) *du = ToSpa(d1u);
    if (dv) *dv = ToSpa(d1v);
}

SPAposition surface::eval_position(const SPApar_pos& uv) const
{
    SPAposition p;
    evaluate(uv, p);
    return p;
}

SPAunit_vector surface::eval_normal(const SPApar_pos& uv) const
{
    SPAposition p;
    SPAvector du, dv;
    evaluate(uv, p, &du, &dv);
    const SPAvector n = du * dv;
    if (n.len() > 1e-12 * std::max(1.0, du.len() * dv.len())) return normalise(n);
    // A singular point (a pole or an apex): the local properties look at higher derivatives.
    // Where even they give no direction the normal is undefined (zero); a kernel failure raises.
    try {
        GeomLProp_SLProps props(m_occt->surface, uv.u, uv.v, 2, 1e-9);
        if (props.IsNormalDefined()) return ToSpa(props.Normal());
    } catch (const Standard_Failure& failure) {
        raise_kernel_failure(failure);
    }
    return SPAunit_vector();
}

SPApar_pos surface::param(const SPAposition& p) const
{
    if (m_occt->surface.IsNull()) sys_error(OCCT_FAILURE);
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z())) sys_error(BAD_ARGUMENT);
    const gp_Pnt gp = ToGp(p);
    double u = 0.0, v = 0.0;
    try {
        GeomAdaptor_Surface ad(m_occt->surface);
        switch (ad.GetType()) {
        case GeomAbs_Plane: ElSLib::Parameters(ad.Plane(), gp, u, v); break;
        case GeomAbs_Cylinder: ElSLib::Parameters(ad.Cylinder(), gp, u, v); break;
        case GeomAbs_Cone: ElSLib::Parameters(ad.Cone(), gp, u, v); break;
        case GeomAbs_Sphere: ElSLib::Parameters(ad.Sphere(), gp, u, v); break;
        case GeomAbs_Torus: ElSLib::Parameters(ad.Torus(), gp, u, v); break;
        default: {
            ShapeAnalysis_Surface sas(m_occt->surface);
            const gp_Pnt2d uv = sas.ValueOfUV(gp, Precision::Confusion());
            if (sas.Gap() >= 0.0) {
                u = uv.X();
                v = uv.Y();
                break;
            }
            // A kind the shape analysis does not project (it answers (0, 0) with a negative
            // gap): the general extremum search, which has an answer or none.
            GeomAPI_ProjectPointOnSurf proj(gp, m_occt->surface);
            if (proj.NbPoints() == 0) sys_error(OCCT_FAILURE);
            proj.LowerDistanceParameters(u, v);
            break;
        }
        }
    } catch (const Standard_Failure& failure) {
        raise_kernel_failure(failure);
    }
    return SPApar_pos(u, v);
}

SPAinterval surface::param_range_u() const
{
    if (m_occt->surface.IsNull()) return SPAinterval();
    double u1, u2, v1, v2;
    m_occt->surface->Bounds(u1, u2, v1, v2);
    return interval_of(u1, u2);
}

SPAinterval surface::param_range_v() const
{
    if (m_occt->surface.IsNull()) return SPAinterval();
    double u1, u2, v1, v2;
    m_occt->surface->Bounds(u1, u2, v1, v2);
    return interval_of(v1, v2);
}

double surface::param_period_u() const
{
    if (m_occt->surface.IsNull() || !m_occt->surface->IsUPeriodic()) return 0.0;
    return m_occt->surface->UPeriod();
}

double surface::param_period_v() const
{
    if (m_occt->surface.IsNull() || !m_occt->surface->IsVPeriodic()) return 0.0;
    return m_occt->surface->VPeriod();
}

// ---------------------------------------------------------------------------------------------
// plane, cone, sphere

SPAposition plane::root_point() const
{
    return ToSpa(GeomAdaptor_Surface(SpaOcctAccess::SurfaceOf(*this)).Plane().Location());
}

SPAunit_vector plane::normal() const
{
    const gp_Ax3 ax = GeomAdaptor_Surface(SpaOcctAccess::SurfaceOf(*this)).Plane().Position();
    return normalise(ToSpa(gp_Vec(ax.XDirection()) ^ gp_Vec(ax.YDirection())));
}

namespace {

// The surface as a cone (a cylinder is a cone with zero half-angle).
gp_Cone cone_of(const surface& s)
{
    GeomAdaptor_Surface ad(SpaOcctAccess::SurfaceOf(s));
    if (ad.GetType() == GeomAbs_Cylinder) {
        const gp_Cylinder c = ad.Cylinder();
        gp_Cone k;
        k.SetPosition(c.Position());
        k.SetRadius(c.Radius());
        return k;  // semi-angle: the gp_Cone default is not zero, callers check cylinder() first
    }
    return ad.Cone();
}

bool is_cylinder(const surface& s)
{
    return GeomAdaptor_Surface(SpaOcctAccess::SurfaceOf(s)).GetType() == GeomAbs_Cylinder;
}

}  // namespace

SPAposition cone::root_point() const { return ToSpa(cone_of(*this).Location()); }
SPAunit_vector cone::direction() const { return ToSpa(cone_of(*this).Axis().Direction()); }
double cone::radius() const { return cone_of(*this).RefRadius(); }
double cone::half_angle() const { return is_cylinder(*this) ? 0.0 : cone_of(*this).SemiAngle(); }
double cone::sine_angle() const { return std::sin(half_angle()); }
double cone::cosine_angle() const { return std::cos(half_angle()); }
bool cone::cylinder() const { return is_cylinder(*this); }

SPAposition cone::apex() const
{
    if (is_cylinder(*this)) return root_point();
    return ToSpa(cone_of(*this).Apex());
}

SPAposition sphere::centre() const
{
    return ToSpa(GeomAdaptor_Surface(SpaOcctAccess::SurfaceOf(*this)).Sphere().Location());
}

double sphere::radius() const
{
    return GeomAdaptor_Surface(SpaOcctAccess::SurfaceOf(*this)).Sphere().Radius();
}

// ---------------------------------------------------------------------------------------------
// torus

torus::torus(const SPAposition& centre, const SPAunit_vector& normal, double major, double minor)
    : m_centre(centre), m_normal(normal), m_major(major), m_minor(minor)
{
    const bool finiteCentre = std::isfinite(centre.x()) && std::isfinite(centre.y()) && std::isfinite(centre.z());
    m_valid = finiteCentre && !normal.is_zero(0.5) && std::isfinite(major) && std::isfinite(minor) &&
              major >= 0.0 && minor >= 0.0;
    if (!m_valid) return;
    // X: the axis least aligned with the normal, made perpendicular; Y completes a right-handed set.
    SPAvector pick(1.0, 0.0, 0.0);
    if (std::fabs(normal.y()) < std::fabs(normal.x()) && std::fabs(normal.y()) <= std::fabs(normal.z()))
        pick = SPAvector(0.0, 1.0, 0.0);
    else if (std::fabs(normal.z()) < std::fabs(normal.x()))
        pick = SPAvector(0.0, 0.0, 1.0);
    m_x = normalise(pick - normal * (pick % normal));
    m_y = normalise(normal * m_x);
    try {
        gp_Ax3 ax(ToGp(centre), gp_Dir(normal.x(), normal.y(), normal.z()), gp_Dir(m_x.x(), m_x.y(), m_x.z()));
        SpaOcctAccess::SetSurface(*this, new Geom_ToroidalSurface(ax, major, minor));
    } catch (const Standard_Failure&) {
        // Radii OCCT refuses (such as a tube wider than the ring): evaluation works without it.
    }
}

void torus::evaluate(const SPApar_pos& uv, SPAposition& pos, SPAvector* du, SPAvector* dv) const
{
    if (m_valid) check_parameters(uv);
    if (!m_valid) {
        pos = m_centre;
        if (du) *du = SPAvector();
        if (dv) *dv = SPAvector();
        return;
    }
    const double cu = std::cos(uv.u), su = std::sin(uv.u);
    const double cv = std::cos(uv.v), sv = std::sin(uv.v);
    const SPAvector radial = m_x * cu + m_y * su;
    const SPAvector tangent = m_x * -su + m_y * cu;
    pos = m_centre + radial * (m_major + m_minor * cv) + m_normal * (m_minor * sv);
    if (du) *du = tangent * (m_major + m_minor * cv);
    if (dv) *dv = radial * (-m_minor * sv) + m_normal * (m_minor * cv);
}

SPAposition torus::eval_position(const SPApar_pos& uv) const
{
    SPAposition p;
    evaluate(uv, p);
    return p;
}

SPAunit_vector torus::eval_normal(const SPApar_pos& uv) const
{
    if (!m_valid) return SPAunit_vector();
    check_parameters(uv);
    // The tube's radial direction, signed like du x dv (outward for a right-handed frame).
    const double sign = ((m_x * m_y) % m_normal) >= 0.0 ? 1.0 : -1.0;
    const SPAvector radial = m_x * std::cos(uv.u) + m_y * std::sin(uv.u);
    return normalise((radial * std::cos(uv.v) + m_normal * std::sin(uv.v)) * sign);
}

SPApar_pos torus::param(const SPAposition& p) const
{
    if (!m_valid) return SPApar_pos();
    const SPAvector d = p - m_centre;
    const double x = d % m_x, y = d % m_y, z = d % m_normal;
    const double u = wrap(std::atan2(y, x), kTwoPi);
    const double rho = std::sqrt(x * x + y * y);
    const double v = wrap(std::atan2(z, rho - m_major), kTwoPi);
    return SPApar_pos(u, v);
}

// ---------------------------------------------------------------------------------------------
// CURVE and SURFACE

CURVE::CURVE(const curve& equation) : m_equation(equation.make_copy()) {}
CURVE::CURVE(curve* adopted, ENTITY* owner) : m_equation(adopted), m_owner(owner) {}
CURVE::~CURVE() { delete m_equation; }

SURFACE::SURFACE(const surface& equation) : m_equation(equation.make_copy()) {}
SURFACE::SURFACE(surface* adopted, ENTITY* owner) : m_equation(adopted), m_owner(owner) {}
SURFACE::~SURFACE() { delete m_equation; }
