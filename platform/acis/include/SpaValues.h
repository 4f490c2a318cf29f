// Modeler values: positions, vectors, parameters, intervals, boxes, matrices, transforms, and the
// tolerances and comparisons that go with them.
//
// Transforms follow the row-vector convention: a position is transformed as `p * t`, and `t1 * t2`
// is the transform that applies t1 first, then t2.
#pragma once

#include "VyrAcisApi.h"

#include <cmath>

// Absolute resolution: two positions closer than this are the same point.
inline constexpr double SPAresabs = 1e-6;
// Normal resolution: directions and angles closer than this are the same.
inline constexpr double SPAresnor = 1e-10;
// Machine resolution: the smallest meaningful parameter difference.
inline constexpr double SPAresmch = 1e-11;

class SPAtransf;
class SPAunit_vector;

// ---------------------------------------------------------------------------------------------
// Vectors and positions

// A displacement in model space.
class VYR_ACIS_API SPAvector {
public:
    // The zero vector.
    constexpr SPAvector() = default;
    // The vector (x, y, z).
    constexpr SPAvector(double x, double y, double z) : m_c{x, y, z} {}
    // The vector of the array (x, y, z).
    explicit SPAvector(const double c[3]) : m_c{c[0], c[1], c[2]} {}

    // x component.
    constexpr double x() const { return m_c[0]; }
    // y component.
    constexpr double y() const { return m_c[1]; }
    // z component.
    constexpr double z() const { return m_c[2]; }
    // Component i (0..2; other indexes answer 0).
    double component(int i) const { return i >= 0 && i < 3 ? m_c[i] : 0.0; }
    // Sets the x component.
    void set_x(double v) { m_c[0] = v; }
    // Sets the y component.
    void set_y(double v) { m_c[1] = v; }
    // Sets the z component.
    void set_z(double v) { m_c[2] = v; }
    // Sets component i (0..2; other indexes are ignored).
    void set_component(int i, double v) { if (i >= 0 && i < 3) m_c[i] = v; }

    // Euclidean length.
    double len() const { return std::sqrt(len_sq()); }
    // Squared length.
    constexpr double len_sq() const { return m_c[0] * m_c[0] + m_c[1] * m_c[1] + m_c[2] * m_c[2]; }
    // True when shorter than `tol`.
    bool is_zero(double tol = SPAresabs) const { return len_sq() < tol * tol; }

    // Adds `v`.
    SPAvector& operator+=(const SPAvector& v) { for (int i = 0; i < 3; ++i) m_c[i] += v.m_c[i]; return *this; }
    // Subtracts `v`.
    SPAvector& operator-=(const SPAvector& v) { for (int i = 0; i < 3; ++i) m_c[i] -= v.m_c[i]; return *this; }
    // Scales by `s`.
    SPAvector& operator*=(double s) { for (double& c : m_c) c *= s; return *this; }
    // Divides by `s` (a zero `s` gives the zero vector).
    SPAvector& operator/=(double s) { if (s == 0.0) *this = SPAvector(); else *this *= 1.0 / s; return *this; }
    // Transforms as a direction: scale and affine part, no translation.
    SPAvector& operator*=(const SPAtransf& t);

private:
    double m_c[3] = {0.0, 0.0, 0.0};
};

// A direction: a vector of length 1, or the zero vector when made from a zero-length vector.
class VYR_ACIS_API SPAunit_vector : public SPAvector {
public:
    // The zero direction (no direction).
    constexpr SPAunit_vector() = default;
    // The direction of (x, y, z), normalised; the zero vector when (x, y, z) has no length.
    SPAunit_vector(double x, double y, double z);
    // The direction of `v` (see normalise).
    explicit SPAunit_vector(const SPAvector& v) : SPAunit_vector(v.x(), v.y(), v.z()) {}
    // Transforms as a direction and normalises again.
    SPAunit_vector& operator*=(const SPAtransf& t);
};

// A point in model space.
class VYR_ACIS_API SPAposition {
public:
    // The origin.
    constexpr SPAposition() = default;
    // The point (x, y, z).
    constexpr SPAposition(double x, double y, double z) : m_c{x, y, z} {}
    // The point of the array (x, y, z).
    explicit SPAposition(const double c[3]) : m_c{c[0], c[1], c[2]} {}

    // x coordinate.
    constexpr double x() const { return m_c[0]; }
    // y coordinate.
    constexpr double y() const { return m_c[1]; }
    // z coordinate.
    constexpr double z() const { return m_c[2]; }
    // Coordinate i (0..2; other indexes answer 0).
    double coordinate(int i) const { return i >= 0 && i < 3 ? m_c[i] : 0.0; }
    // Sets the x coordinate.
    void set_x(double v) { m_c[0] = v; }
    // Sets the y coordinate.
    void set_y(double v) { m_c[1] = v; }
    // Sets the z coordinate.
    void set_z(double v) { m_c[2] = v; }
    // Sets coordinate i (0..2; other indexes are ignored).
    void set_coordinate(int i, double v) { if (i >= 0 && i < 3) m_c[i] = v; }

    // Moves by `v`.
    SPAposition& operator+=(const SPAvector& v) { m_c[0] += v.x(); m_c[1] += v.y(); m_c[2] += v.z(); return *this; }
    // Moves by -`v`.
    SPAposition& operator-=(const SPAvector& v) { m_c[0] -= v.x(); m_c[1] -= v.y(); m_c[2] -= v.z(); return *this; }
    // Transforms the point.
    SPAposition& operator*=(const SPAtransf& t);

private:
    double m_c[3] = {0.0, 0.0, 0.0};
};

// Sum of two vectors.
inline SPAvector operator+(SPAvector a, const SPAvector& b) { return a += b; }
// Difference of two vectors.
inline SPAvector operator-(SPAvector a, const SPAvector& b) { return a -= b; }
// Opposite vector.
inline SPAvector operator-(const SPAvector& a) { return SPAvector(-a.x(), -a.y(), -a.z()); }
// Opposite direction.
inline SPAunit_vector operator-(const SPAunit_vector& a)
{
    SPAunit_vector r;
    r.set_x(-a.x()); r.set_y(-a.y()); r.set_z(-a.z());
    return r;
}
// Vector scaled by `s`.
inline SPAvector operator*(double s, SPAvector a) { return a *= s; }
// Vector scaled by `s`.
inline SPAvector operator*(SPAvector a, double s) { return a *= s; }
// Vector divided by `s` (zero `s` gives the zero vector).
inline SPAvector operator/(SPAvector a, double s) { return a /= s; }
// Dot product.
inline double operator%(const SPAvector& a, const SPAvector& b) { return a.x() * b.x() + a.y() * b.y() + a.z() * b.z(); }
// Cross product (a x b).
inline SPAvector operator*(const SPAvector& a, const SPAvector& b)
{
    return SPAvector(a.y() * b.z() - a.z() * b.y(), a.z() * b.x() - a.x() * b.z(), a.x() * b.y() - a.y() * b.x());
}
// Dot product.
inline double dot(const SPAvector& a, const SPAvector& b) { return a % b; }
// Cross product (a x b).
inline SPAvector cross(const SPAvector& a, const SPAvector& b) { return a * b; }

// Displacement from `b` to `a`.
inline SPAvector operator-(const SPAposition& a, const SPAposition& b) { return SPAvector(a.x() - b.x(), a.y() - b.y(), a.z() - b.z()); }
// Point moved by `v`.
inline SPAposition operator+(SPAposition p, const SPAvector& v) { return p += v; }
// Point moved by `v`.
inline SPAposition operator+(const SPAvector& v, SPAposition p) { return p += v; }
// Point moved by -`v`.
inline SPAposition operator-(SPAposition p, const SPAvector& v) { return p -= v; }

// The direction of `v`; the zero vector when `v` is shorter than SPAresmch (callers that need a
// direction test the length first).
VYR_ACIS_API SPAunit_vector normalise(const SPAvector& v);

// ---------------------------------------------------------------------------------------------
// Parameters

// A point in a surface's parameter space.
class VYR_ACIS_API SPApar_pos {
public:
    // (0, 0).
    constexpr SPApar_pos() = default;
    // (u, v).
    constexpr SPApar_pos(double u_, double v_) : u(u_), v(v_) {}

    // The u parameter.
    double u = 0.0;
    // The v parameter.
    double v = 0.0;
};

// A curve parameter: a double that converts both ways.
class VYR_ACIS_API SPAparameter {
public:
    // Parameter 0.
    constexpr SPAparameter() = default;
    // Parameter `t`.
    constexpr SPAparameter(double t) : m_t(t) {}
    // The value.
    constexpr operator double() const { return m_t; }
    // The opposite parameter.
    constexpr SPAparameter operator-() const { return SPAparameter(-m_t); }

private:
    double m_t = 0.0;
};

// A range of parameters [low, high]; either end may be unbounded, and a range may be empty.
class VYR_ACIS_API SPAinterval {
public:
    // The empty interval.
    SPAinterval() = default;
    // The finite interval from the smaller to the larger of `a` and `b`.
    SPAinterval(double a, double b);
    // The single-value interval [t, t].
    explicit SPAinterval(double t) : SPAinterval(t, t) {}
    // The interval with no bounds at all.
    static SPAinterval infinite();

    // Lower end (-HUGE_VAL when unbounded below; 0 for an empty interval).
    double start_pt() const { return m_empty ? 0.0 : m_low; }
    // Upper end (HUGE_VAL when unbounded above; 0 for an empty interval).
    double end_pt() const { return m_empty ? 0.0 : m_high; }
    // Middle of a bounded interval (0 otherwise).
    double mid_pt() const { return bounded() ? 0.5 * (m_low + m_high) : 0.0; }
    // high - low (0 when empty, HUGE_VAL when unbounded).
    double length() const;
    // True when empty.
    bool empty() const { return m_empty; }
    // True when both ends are finite (and not empty).
    bool bounded() const { return !m_empty && std::isfinite(m_low) && std::isfinite(m_high); }
    // True when the lower end is finite.
    bool bounded_below() const { return !m_empty && std::isfinite(m_low); }
    // True when the upper end is finite.
    bool bounded_above() const { return !m_empty && std::isfinite(m_high); }
    // True when `t` lies in the interval, within `tol`.
    bool contains(double t, double tol = SPAresmch) const { return !m_empty && t >= m_low - tol && t <= m_high + tol; }
    // Widens to include `other` (an empty interval changes nothing).
    SPAinterval& operator|=(const SPAinterval& other);
    // Widens to include `t`.
    SPAinterval& operator|=(double t) { return *this |= SPAinterval(t); }
    // The mirrored interval [-high, -low].
    SPAinterval operator-() const;

private:
    double m_low = 0.0;
    double m_high = 0.0;
    bool m_empty = true;
};

// ---------------------------------------------------------------------------------------------
// Boxes

// An axis-aligned box. Empty by default; widening an empty box by a box or a point gives that box
// or point, and widening by an empty box changes nothing.
class VYR_ACIS_API SPAbox {
public:
    // The empty box.
    SPAbox() = default;
    // The box holding the single point `p` (empty when a coordinate is not a number).
    explicit SPAbox(const SPAposition& p);
    // The box spanned by two corners (coordinates sorted per axis; empty when a coordinate is
    // not a number).
    SPAbox(const SPAposition& a, const SPAposition& b);

    // Lowest corner (the origin for an empty box).
    SPAposition low() const { return m_empty ? SPAposition() : m_low; }
    // Highest corner (the origin for an empty box).
    SPAposition high() const { return m_empty ? SPAposition() : m_high; }
    // Centre (the origin for an empty box).
    SPAposition mid() const;
    // True when the box holds no point.
    bool empty() const { return m_empty; }
    // True when `p` lies in the box, within `tol`.
    bool contains(const SPAposition& p, double tol = SPAresabs) const;
    // Widens to hold `other`.
    SPAbox& operator|=(const SPAbox& other);
    // Widens to hold `p`.
    SPAbox& operator|=(const SPAposition& p) { return *this |= SPAbox(p); }

private:
    SPAposition m_low;
    SPAposition m_high;
    bool m_empty = true;
};

// The smallest box holding both.
inline SPAbox operator|(SPAbox a, const SPAbox& b) { return a |= b; }

// ---------------------------------------------------------------------------------------------
// Matrices and transforms

// A 3 x 3 matrix, stored by rows. A row vector v times the matrix is v * m.
class VYR_ACIS_API SPAmatrix {
public:
    // The identity matrix.
    SPAmatrix();
    // The matrix with rows r0, r1, r2.
    SPAmatrix(const SPAvector& r0, const SPAvector& r1, const SPAvector& r2);

    // Row i (0..2; other indexes answer the zero vector).
    SPAvector row(int i) const;
    // Column i (0..2; other indexes answer the zero vector).
    SPAvector column(int i) const;
    // Element (i, j) (0 outside 0..2).
    double element(int i, int j) const { return i >= 0 && i < 3 && j >= 0 && j < 3 ? m_e[i][j] : 0.0; }
    // Sets element (i, j) (ignored outside 0..2).
    void set_element(int i, int j, double v) { if (i >= 0 && i < 3 && j >= 0 && j < 3) m_e[i][j] = v; }
    // The transposed matrix.
    SPAmatrix transpose() const;
    // The determinant.
    double determinant() const;
    // The inverse; the identity when the matrix is singular (determinant below SPAresmch).
    SPAmatrix inverse() const;
    // True when equal to the identity within `tol` per element.
    bool is_identity(double tol = SPAresnor) const;

private:
    double m_e[3][3];
};

// Matrix product a * b (applies a, then b, to row vectors).
VYR_ACIS_API SPAmatrix operator*(const SPAmatrix& a, const SPAmatrix& b);
// Row vector times matrix.
VYR_ACIS_API SPAvector operator*(const SPAvector& v, const SPAmatrix& m);

// An affine transform of model space: p * t = p * (scaling * affine) + translation.
// `affine` is the matrix without the uniform scale factor; it may hold a rotation, a reflection
// or (from restore_transf with the shear flag) a general linear map.
class VYR_ACIS_API SPAtransf {
public:
    // The identity.
    SPAtransf() = default;

    // The 3 x 3 part without the scale factor, by rows (row i = image of axis i).
    const SPAmatrix& affine() const { return m_affine; }
    // The translation.
    const SPAvector& translation() const { return m_translation; }
    // The uniform scale factor (1 for none).
    double scaling() const { return m_scale; }
    // True when the transform changes nothing.
    bool identity() const { return m_identity; }
    // True when the affine part turns space (a rotation, possibly with a reflection).
    bool rotate() const { return m_rotate; }
    // True when the affine part mirrors space (negative determinant).
    bool reflect() const { return m_reflect; }
    // True when the affine part is not orthogonal (shear or unequal axis scales).
    bool shear() const { return m_shear; }
    // False for a transform made from input that describes none (a scale that is zero, negative or
    // not finite; a singular or non-finite matrix; a non-finite translation or angle; a zero axis or
    // normal), or composed with such a transform: it acts as the neutral part it stands for (see
    // the makers), and set_body_transform refuses it.
    bool valid() const { return m_valid; }

    // The transform that undoes this one; the identity when this one is singular.
    SPAtransf inverse() const;
    // This transform followed by `t`.
    SPAtransf& operator*=(const SPAtransf& t);

    // Builds a transform from its parts (see restore_transf).
    friend VYR_ACIS_API SPAtransf restore_transf(const SPAmatrix& affine, const SPAvector& translation,
                                                 double scale, bool rotate, bool reflect, bool shear);

private:
    void classify();

    SPAmatrix m_affine;
    SPAvector m_translation;
    double m_scale = 1.0;
    bool m_identity = true;
    bool m_rotate = false;
    bool m_reflect = false;
    bool m_shear = false;
    bool m_valid = true;
};

// The transform applying `a` first, then `b`.
VYR_ACIS_API SPAtransf operator*(const SPAtransf& a, const SPAtransf& b);
// The transformed point.
VYR_ACIS_API SPAposition operator*(const SPAposition& p, const SPAtransf& t);
// The transformed direction vector (no translation).
VYR_ACIS_API SPAvector operator*(const SPAvector& v, const SPAtransf& t);
// The transformed direction, normalised again.
VYR_ACIS_API SPAunit_vector operator*(const SPAunit_vector& v, const SPAtransf& t);

// A transform from its parts: p * t = p * (scale * affine) + translation. The flags are hints
// only: rotate/reflect/shear are recomputed from the matrix. A scale that is zero, negative or not
// finite is taken as 1, a singular or non-finite affine part as the identity and a non-finite
// translation as none; the transform is then not valid().
VYR_ACIS_API SPAtransf restore_transf(const SPAmatrix& affine, const SPAvector& translation,
                                      double scale = 1.0, bool rotate = false, bool reflect = false,
                                      bool shear = false);
// The translation by `v`.
VYR_ACIS_API SPAtransf translate_transf(const SPAvector& v);
// The rotation by `angle` radians about `axis` through the origin, right-handed. A zero axis or a
// non-finite angle gives the identity, not valid().
VYR_ACIS_API SPAtransf rotate_transf(double angle, const SPAvector& axis);
// The uniform scaling by `factor` about the origin; a factor that is zero, negative or not finite
// gives the identity, not valid().
VYR_ACIS_API SPAtransf scale_transf(double factor);
// The mirror in the plane through the origin with normal `normal`; a zero normal gives the
// identity, not valid().
VYR_ACIS_API SPAtransf reflect_transf(const SPAvector& normal);

// ---------------------------------------------------------------------------------------------
// Comparisons and small geometric helpers

// True when `a` and `b` are less than `tol` apart.
VYR_ACIS_API bool same_point(const SPAposition& a, const SPAposition& b, double tol = SPAresabs);
// True when `a` and `b` differ by less than `tol` in length.
VYR_ACIS_API bool same_vector(const SPAvector& a, const SPAvector& b, double tol = SPAresabs);
// The unsigned angle between two directions, in [0, pi] radians (0 when either is zero).
VYR_ACIS_API double angle_between(const SPAunit_vector& a, const SPAunit_vector& b);
// Where the line `point` + t * `dir` meets the plane through `root` with normal `normal`: sets
// `param` (t, measured in units of `dir`) and `hit`, and answers true. Answers false and leaves
// both unchanged when the line is parallel to the plane or `dir` or `normal` is zero.
VYR_ACIS_API bool intersect_line_plane(const SPAposition& point, const SPAvector& dir,
                                       const SPAposition& root, const SPAunit_vector& normal,
                                       double& param, SPAposition& hit);
// The foot of the perpendicular from `p` onto the plane through `root` with normal `normal`;
// `p` itself when the normal is zero.
VYR_ACIS_API SPAposition proj_pt_to_plane(const SPAposition& p, const SPAposition& root,
                                          const SPAunit_vector& normal);

// True when d > SPAresabs.
inline bool is_positive(double d) { return d > SPAresabs; }
// True when d < -SPAresabs.
inline bool is_negative(double d) { return d < -SPAresabs; }
// True when |d| <= SPAresabs.
inline bool is_zero(double d) { return std::fabs(d) <= SPAresabs; }
// True when |a - b| <= SPAresabs.
inline bool is_equal(double a, double b) { return std::fabs(a - b) <= SPAresabs; }
// True when a < b - SPAresabs.
inline bool is_less_than(double a, double b) { return a < b - SPAresabs; }
// True when a > b + SPAresabs.
inline bool is_greater_than(double a, double b) { return a > b + SPAresabs; }
