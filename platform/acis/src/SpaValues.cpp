// Modeler values: vector algebra, intervals, boxes, matrices and transforms.
#include "SpaValues.h"

#include <algorithm>

namespace {

// How far A * A^T may stray from the identity for A to count as orthogonal.
constexpr double kOrthogonalTol = 1e-9;

bool finite_vector(const SPAvector& v)
{
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

bool finite_position(const SPAposition& p)
{
    return !std::isnan(p.x()) && !std::isnan(p.y()) && !std::isnan(p.z());
}

bool is_orthogonal(const SPAmatrix& m)
{
    const SPAmatrix p = m * m.transpose();
    return p.is_identity(kOrthogonalTol);
}

SPAmatrix scaled(const SPAmatrix& m, double s)
{
    SPAmatrix r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.set_element(i, j, m.element(i, j) * s);
    return r;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Vectors

SPAunit_vector::SPAunit_vector(double x, double y, double z) : SPAvector(x, y, z)
{
    const double l = len();
    if (!(l >= SPAresmch) || !std::isfinite(l)) {
        set_x(0.0); set_y(0.0); set_z(0.0);
    } else {
        set_x(x / l); set_y(y / l); set_z(z / l);
    }
}

SPAunit_vector normalise(const SPAvector& v)
{
    return SPAunit_vector(v.x(), v.y(), v.z());
}

SPAvector& SPAvector::operator*=(const SPAtransf& t)
{
    return *this = *this * t;
}

SPAunit_vector& SPAunit_vector::operator*=(const SPAtransf& t)
{
    return *this = *this * t;
}

SPAposition& SPAposition::operator*=(const SPAtransf& t)
{
    return *this = *this * t;
}

// ---------------------------------------------------------------------------------------------
// Intervals

SPAinterval::SPAinterval(double a, double b)
{
    if (std::isnan(a) || std::isnan(b)) return;
    m_low = std::min(a, b);
    m_high = std::max(a, b);
    m_empty = false;
}

SPAinterval SPAinterval::infinite()
{
    return SPAinterval(-HUGE_VAL, HUGE_VAL);
}

double SPAinterval::length() const
{
    if (m_empty) return 0.0;
    if (!bounded()) return HUGE_VAL;
    return m_high - m_low;
}

SPAinterval& SPAinterval::operator|=(const SPAinterval& other)
{
    if (other.m_empty) return *this;
    if (m_empty) return *this = other;
    m_low = std::min(m_low, other.m_low);
    m_high = std::max(m_high, other.m_high);
    return *this;
}

SPAinterval SPAinterval::operator-() const
{
    if (m_empty) return *this;
    return SPAinterval(-m_high, -m_low);
}

// ---------------------------------------------------------------------------------------------
// Boxes

SPAbox::SPAbox(const SPAposition& p)
{
    if (!finite_position(p)) return;
    m_low = m_high = p;
    m_empty = false;
}

SPAbox::SPAbox(const SPAposition& a, const SPAposition& b)
{
    if (!finite_position(a) || !finite_position(b)) return;
    m_low = SPAposition(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::min(a.z(), b.z()));
    m_high = SPAposition(std::max(a.x(), b.x()), std::max(a.y(), b.y()), std::max(a.z(), b.z()));
    m_empty = false;
}

SPAposition SPAbox::mid() const
{
    if (m_empty) return SPAposition();
    return SPAposition(0.5 * (m_low.x() + m_high.x()), 0.5 * (m_low.y() + m_high.y()),
                       0.5 * (m_low.z() + m_high.z()));
}

bool SPAbox::contains(const SPAposition& p, double tol) const
{
    if (m_empty) return false;
    for (int i = 0; i < 3; ++i) {
        const double c = p.coordinate(i);
        if (!(c >= m_low.coordinate(i) - tol && c <= m_high.coordinate(i) + tol)) return false;
    }
    return true;
}

SPAbox& SPAbox::operator|=(const SPAbox& other)
{
    if (other.m_empty) return *this;
    if (m_empty) return *this = other;
    for (int i = 0; i < 3; ++i) {
        m_low.set_coordinate(i, std::min(m_low.coordinate(i), other.m_low.coordinate(i)));
        m_high.set_coordinate(i, std::max(m_high.coordinate(i), other.m_high.coordinate(i)));
    }
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Matrices

SPAmatrix::SPAmatrix() : m_e{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}} {}

SPAmatrix::SPAmatrix(const SPAvector& r0, const SPAvector& r1, const SPAvector& r2)
    : m_e{{r0.x(), r0.y(), r0.z()}, {r1.x(), r1.y(), r1.z()}, {r2.x(), r2.y(), r2.z()}}
{
}

SPAvector SPAmatrix::row(int i) const
{
    if (i < 0 || i > 2) return SPAvector();
    return SPAvector(m_e[i][0], m_e[i][1], m_e[i][2]);
}

SPAvector SPAmatrix::column(int i) const
{
    if (i < 0 || i > 2) return SPAvector();
    return SPAvector(m_e[0][i], m_e[1][i], m_e[2][i]);
}

SPAmatrix SPAmatrix::transpose() const
{
    return SPAmatrix(column(0), column(1), column(2));
}

double SPAmatrix::determinant() const
{
    return row(0) % (row(1) * row(2));
}

SPAmatrix SPAmatrix::inverse() const
{
    const double det = determinant();
    if (!(std::fabs(det) >= SPAresmch) || !std::isfinite(det)) return SPAmatrix();
    // The inverse's columns are the cross products of the rows, divided by the determinant.
    const SPAvector c0 = row(1) * row(2);
    const SPAvector c1 = row(2) * row(0);
    const SPAvector c2 = row(0) * row(1);
    return SPAmatrix(c0 / det, c1 / det, c2 / det).transpose();
}

bool SPAmatrix::is_identity(double tol) const
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (!(std::fabs(m_e[i][j] - (i == j ? 1.0 : 0.0)) <= tol)) return false;
    return true;
}

SPAmatrix operator*(const SPAmatrix& a, const SPAmatrix& b)
{
    return SPAmatrix(a.row(0) * b, a.row(1) * b, a.row(2) * b);
}

SPAvector operator*(const SPAvector& v, const SPAmatrix& m)
{
    return SPAvector(v % m.column(0), v % m.column(1), v % m.column(2));
}

// ---------------------------------------------------------------------------------------------
// Transforms

void SPAtransf::classify()
{
    const bool unit_matrix = m_affine.is_identity(SPAresnor);
    m_shear = !is_orthogonal(m_affine);
    m_reflect = m_affine.determinant() < 0.0;
    m_rotate = !unit_matrix && !m_shear;
    m_identity = unit_matrix && std::fabs(m_scale - 1.0) <= SPAresnor && m_translation.is_zero(SPAresabs);
}

SPAtransf restore_transf(const SPAmatrix& affine, const SPAvector& translation, double scale,
                         bool /*rotate*/, bool /*reflect*/, bool /*shear*/)
{
    SPAtransf t;
    bool finite = true;
    for (int i = 0; i < 3; ++i) finite = finite && finite_vector(affine.row(i));
    const double det = finite ? affine.determinant() : 0.0;
    t.m_affine = std::fabs(det) >= SPAresmch ? affine : SPAmatrix();
    t.m_scale = std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
    t.m_translation = finite_vector(translation) ? translation : SPAvector();
    t.m_valid = std::fabs(det) >= SPAresmch && std::isfinite(scale) && scale > 0.0 && finite_vector(translation);
    // A matrix that is a scaled orthogonal one hands its size to the scale factor, so that
    // affine() stays a pure rotation/reflection whenever it can be.
    const double k = std::cbrt(std::fabs(t.m_affine.determinant()));
    if (std::fabs(k - 1.0) > SPAresnor && is_orthogonal(scaled(t.m_affine, 1.0 / k))) {
        t.m_affine = scaled(t.m_affine, 1.0 / k);
        t.m_scale *= k;
    }
    t.classify();
    return t;
}

SPAtransf SPAtransf::inverse() const
{
    SPAtransf r;
    r.m_valid = m_valid;
    if (m_identity) return r;
    r.m_affine = m_affine.inverse();
    r.m_scale = 1.0 / m_scale;
    r.m_translation = -(m_translation * r.m_affine) * r.m_scale;
    r.classify();
    return r;
}

SPAtransf& SPAtransf::operator*=(const SPAtransf& t)
{
    const bool valid = m_valid && t.m_valid;
    if (t.m_identity) {
        m_valid = valid;
        return *this;
    }
    if (m_identity) {
        *this = t;
        m_valid = valid;
        return *this;
    }
    m_valid = valid;
    m_translation = (m_translation * t.m_affine) * t.m_scale + t.m_translation;
    m_affine = m_affine * t.m_affine;
    m_scale *= t.m_scale;
    classify();
    return *this;
}

SPAtransf operator*(const SPAtransf& a, const SPAtransf& b)
{
    SPAtransf r = a;
    return r *= b;
}

SPAposition operator*(const SPAposition& p, const SPAtransf& t)
{
    if (t.identity()) return p;
    const SPAvector v = (SPAvector(p.x(), p.y(), p.z()) * t.affine()) * t.scaling() + t.translation();
    return SPAposition(v.x(), v.y(), v.z());
}

SPAvector operator*(const SPAvector& v, const SPAtransf& t)
{
    if (t.identity()) return v;
    return (v * t.affine()) * t.scaling();
}

SPAunit_vector operator*(const SPAunit_vector& v, const SPAtransf& t)
{
    if (t.identity()) return v;
    return normalise(static_cast<const SPAvector&>(v) * t.affine());
}

namespace {

// The identity standing for a transform that bad input describes.
SPAtransf invalid_transf()
{
    return restore_transf(SPAmatrix(), SPAvector(), 0.0);
}

}  // namespace

SPAtransf translate_transf(const SPAvector& v)
{
    return restore_transf(SPAmatrix(), v, 1.0);
}

SPAtransf rotate_transf(double angle, const SPAvector& axis)
{
    const SPAunit_vector k = normalise(axis);
    if (k.is_zero(0.5) || !std::isfinite(angle)) return invalid_transf();
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    // Row i is the image of axis i: e cos + (k x e) sin + k (k . e)(1 - cos).
    SPAvector rows[3];
    for (int i = 0; i < 3; ++i) {
        SPAvector e;
        e.set_component(i, 1.0);
        rows[i] = e * c + (k * e) * s + k * ((k % e) * (1.0 - c));
    }
    return restore_transf(SPAmatrix(rows[0], rows[1], rows[2]), SPAvector(), 1.0, true);
}

SPAtransf scale_transf(double factor)
{
    if (!std::isfinite(factor) || !(factor > 0.0)) return invalid_transf();
    return restore_transf(SPAmatrix(), SPAvector(), factor);
}

SPAtransf reflect_transf(const SPAvector& normal)
{
    const SPAunit_vector n = normalise(normal);
    if (n.is_zero(0.5)) return invalid_transf();
    SPAvector rows[3];
    for (int i = 0; i < 3; ++i) {
        SPAvector e;
        e.set_component(i, 1.0);
        rows[i] = e - n * (2.0 * n.component(i));
    }
    return restore_transf(SPAmatrix(rows[0], rows[1], rows[2]), SPAvector(), 1.0, false, true);
}

// ---------------------------------------------------------------------------------------------
// Comparisons and helpers

bool same_point(const SPAposition& a, const SPAposition& b, double tol)
{
    return (a - b).len_sq() < tol * tol;
}

bool same_vector(const SPAvector& a, const SPAvector& b, double tol)
{
    return (a - b).len_sq() < tol * tol;
}

double angle_between(const SPAunit_vector& a, const SPAunit_vector& b)
{
    if (a.is_zero(0.5) || b.is_zero(0.5)) return 0.0;
    return std::atan2((a * b).len(), a % b);
}

bool intersect_line_plane(const SPAposition& point, const SPAvector& dir, const SPAposition& root,
                          const SPAunit_vector& normal, double& param, SPAposition& hit)
{
    const double dl = dir.len();
    if (!(dl >= SPAresmch) || normal.is_zero(0.5)) return false;
    const double denom = dir % normal;
    if (!(std::fabs(denom) > SPAresnor * dl)) return false;
    const double t = ((root - point) % normal) / denom;
    if (!std::isfinite(t)) return false;
    param = t;
    hit = point + dir * t;
    return true;
}

SPAposition proj_pt_to_plane(const SPAposition& p, const SPAposition& root, const SPAunit_vector& normal)
{
    if (normal.is_zero(0.5)) return p;
    return p - normal * ((p - root) % normal);
}
