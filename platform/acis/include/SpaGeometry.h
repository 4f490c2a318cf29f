// Modeler geometry: curve equations (straight, ellipse, intcurve), surface equations (plane,
// cone, sphere, torus, spline) and the CURVE and SURFACE entities that hold them for edges and
// faces.
//
// Equations are values: copy them with make_copy() or their copy constructors; each copy is
// independent. Positions and parameters are those of the body's own space.
//
// Failures raise the modeler's error (sys_error, see SpaErrors.h; an API block turns it into a
// failed outcome) and never come back as a made-up point, vector or parameter:
// - OCCT_FAILURE when the geometry kernel fails to evaluate, project or transform a free-form
//   curve (intcurve) or a surface other than a torus; a curve whose transform fails is left
//   as it was;
// - BAD_ARGUMENT for a parameter or point that is not a finite number given to those
//   evaluations and projections, to ellipse::param, and to the evaluation of a valid torus.
// straight and ellipse evaluations are closed formulas and raise nothing; an invalid torus
// keeps its documented neutral answers.
#pragma once

#include "VyrAcisApi.h"
#include "SpaEntity.h"
#include "SpaValues.h"

struct SpaOcctCurve;
struct SpaOcctSurface;

// Curve kinds answered by curve::type().
constexpr int straight_type = 1;
// An ellipse or circle.
constexpr int ellipse_type = 2;
// Any other curve (a free-form curve).
constexpr int intcurve_type = 3;

// Surface kinds answered by surface::type().
constexpr int plane_type = 1;
// A cone; cylinders are cones with a zero half-angle.
constexpr int cone_type = 2;
// A sphere.
constexpr int sphere_type = 3;
// A torus.
constexpr int torus_type = 4;
// Any other surface (a free-form surface).
constexpr int spline_type = 5;

// ---------------------------------------------------------------------------------------------
// Curves

// A parametric curve t -> position.
class VYR_ACIS_API curve {
public:
    // Frees the equation.
    virtual ~curve();

    // The kind: straight_type, ellipse_type or intcurve_type.
    virtual int type() const = 0;
    // The kind's name ("straight", "ellipse", "intcurve").
    virtual const char* type_name() const = 0;
    // A new independent copy (free it with delete).
    virtual curve* make_copy() const = 0;

    // The point at parameter t.
    virtual SPAposition eval_position(double t) const = 0;
    // The first derivative at parameter t.
    virtual SPAvector eval_deriv(double t) const = 0;
    // The unit tangent at parameter t (zero where the curve has no tangent).
    SPAunit_vector eval_direction(double t) const { return normalise(eval_deriv(t)); }
    // The curve's own parameter range (unbounded for a straight).
    virtual SPAinterval param_range() const = 0;
    // The period for a periodic curve, 0 otherwise.
    virtual double param_period() const = 0;
    // True when the curve is periodic.
    bool periodic() const { return param_period() > 0.0; }
    // The arc length between parameters t0 and t1 (never negative; 0 for non-finite input).
    virtual double length(double t0, double t1) const;
    // The parameter of the curve point closest to `p` (inside param_range() for bounded curves,
    // in [0, period) for periodic ones).
    virtual double param(const SPAposition& p) const = 0;
    // The curve point closest to `p`; its parameter goes to `t` when given.
    SPAposition closest_point(const SPAposition& p, double* t = nullptr) const;
    // Transforms the curve in place, keeping its parametrisation.
    virtual curve& operator*=(const SPAtransf& t) = 0;

protected:
    curve() = default;
    curve(const curve&) = default;
    curve& operator=(const curve&) = default;
};

// A straight line: root_point + t * param_scale * direction.
class VYR_ACIS_API straight : public curve {
public:
    // The line through `root` along `dir` with parameter scale `scale` (1 = arc length).
    explicit straight(const SPAposition& root = SPAposition(),
                      const SPAunit_vector& dir = SPAunit_vector(1.0, 0.0, 0.0), double scale = 1.0);

    // straight_type.
    int type() const override { return straight_type; }
    // "straight".
    const char* type_name() const override { return "straight"; }
    // A copy.
    curve* make_copy() const override { return new straight(*this); }
    // root_point + t * param_scale * direction.
    SPAposition eval_position(double t) const override;
    // param_scale * direction.
    SPAvector eval_deriv(double t) const override;
    // Unbounded.
    SPAinterval param_range() const override { return SPAinterval::infinite(); }
    // 0.
    double param_period() const override { return 0.0; }
    // |t1 - t0| * |param_scale|.
    double length(double t0, double t1) const override;
    // The foot of the perpendicular's parameter (0 for a degenerate line).
    double param(const SPAposition& p) const override;
    // Moves root and direction; a scaling goes into param_scale.
    curve& operator*=(const SPAtransf& t) override;

    // A point of the line (parameter 0).
    SPAposition root_point;
    // The line's direction.
    SPAunit_vector direction;
    // Length per parameter unit.
    double param_scale;
};

// An ellipse (a circle when radius_ratio is 1):
//     centre + major_axis cos(t - param_off) + minor_axis sin(t - param_off),
// where minor_axis = radius_ratio * (normal x major_axis). The parameter range is [0, 2 pi] with
// period 2 pi.
class VYR_ACIS_API ellipse : public curve {
public:
    // The unit circle about the origin in the xy plane.
    ellipse();
    // An ellipse from its five defining values (stored as given).
    ellipse(const SPAposition& centre, const SPAunit_vector& normal, const SPAvector& major_axis,
            double radius_ratio, double param_off);

    // ellipse_type.
    int type() const override { return ellipse_type; }
    // "ellipse".
    const char* type_name() const override { return "ellipse"; }
    // A copy.
    curve* make_copy() const override { return new ellipse(*this); }
    // The point at t.
    SPAposition eval_position(double t) const override;
    // The derivative at t.
    SPAvector eval_deriv(double t) const override;
    // [0, 2 pi].
    SPAinterval param_range() const override;
    // 2 pi.
    double param_period() const override;
    // The parameter in [0, 2 pi) of the point closest to `p`. Raises BAD_ARGUMENT for a point
    // that is not finite.
    double param(const SPAposition& p) const override;
    // Transforms the ellipse exactly (any affine map takes an ellipse to an ellipse); the
    // parametrisation is kept, param_off absorbing any phase change.
    curve& operator*=(const SPAtransf& t) override;
    // The minor axis vector radius_ratio * (normal x major_axis).
    SPAvector minor_axis() const;

    // Centre.
    SPAposition centre;
    // Normal of the ellipse's plane; the curve runs counter-clockwise about it.
    SPAunit_vector normal;
    // Major axis: direction and length of the major radius.
    SPAvector major_axis;
    // Minor radius / major radius.
    double radius_ratio;
    // Parameter at which the point lies on the major axis.
    double param_off;
};

// A free-form curve (any curve of a body that is neither straight nor an ellipse).
class VYR_ACIS_API intcurve : public curve {
public:
    // A copy.
    intcurve(const intcurve& other);
    // Replaces this curve by a copy of `other`.
    intcurve& operator=(const intcurve& other);
    // Frees the equation.
    ~intcurve() override;

    // intcurve_type.
    int type() const override { return intcurve_type; }
    // "intcurve".
    const char* type_name() const override { return "intcurve"; }
    // A copy.
    curve* make_copy() const override { return new intcurve(*this); }
    // The point at t. Raises BAD_ARGUMENT for t not finite, OCCT_FAILURE when the kernel fails.
    SPAposition eval_position(double t) const override;
    // The derivative at t. Raises as eval_position.
    SPAvector eval_deriv(double t) const override;
    // The curve's own range.
    SPAinterval param_range() const override;
    // The period, or 0.
    double param_period() const override;
    // The arc length between t0 and t1 (clipped to the range of a curve that is not periodic).
    double length(double t0, double t1) const override;
    // The parameter of the closest point. Raises BAD_ARGUMENT for a point not finite,
    // OCCT_FAILURE when the kernel fails or an unbounded curve has no closest point.
    double param(const SPAposition& p) const override;
    // Transforms the curve (shears and unequal scales turn it into an equivalent B-spline).
    // Raises OCCT_FAILURE when the kernel cannot transform it; the curve is then unchanged.
    curve& operator*=(const SPAtransf& t) override;

private:
    friend struct SpaOcctAccess;
    intcurve();

    SpaOcctCurve* m_occt;
};

// ---------------------------------------------------------------------------------------------
// Surfaces

// A parametric surface (u, v) -> position.
class VYR_ACIS_API surface {
public:
    // Frees the equation.
    virtual ~surface();

    // The kind: plane_type, cone_type, sphere_type, torus_type or spline_type.
    virtual int type() const = 0;
    // The kind's name.
    virtual const char* type_name() const = 0;
    // A new independent copy (free it with delete).
    virtual surface* make_copy() const = 0;

    // The point at (u, v). Raises as evaluate.
    virtual SPAposition eval_position(const SPApar_pos& uv) const;
    // The surface normal at (u, v) (the direction of du x dv; zero where undefined). A face's
    // outward normal is this normal reversed when the face's sense is REVERSED. Raises as
    // evaluate.
    virtual SPAunit_vector eval_normal(const SPApar_pos& uv) const;
    // The point at (u, v) and, when asked for, the first derivatives in u and v. Raises
    // BAD_ARGUMENT for u or v not finite and OCCT_FAILURE when the kernel fails; the outputs are
    // then left as they were.
    virtual void evaluate(const SPApar_pos& uv, SPAposition& pos, SPAvector* du = nullptr,
                          SPAvector* dv = nullptr) const;
    // The parameters of the surface point closest to `p`. Raises BAD_ARGUMENT for a point that
    // is not finite and OCCT_FAILURE when the kernel fails.
    virtual SPApar_pos param(const SPAposition& p) const;
    // The normal at the surface point closest to `p`.
    SPAunit_vector point_normal(const SPAposition& p) const { return eval_normal(param(p)); }
    // The u range (unbounded directions give unbounded ends).
    SPAinterval param_range_u() const;
    // The v range.
    SPAinterval param_range_v() const;
    // The u period, or 0 when not periodic in u.
    double param_period_u() const;
    // The v period, or 0 when not periodic in v.
    double param_period_v() const;

protected:
    surface();
    surface(const surface& other);
    surface& operator=(const surface& other);

private:
    friend struct SpaOcctAccess;
    SpaOcctSurface* m_occt;
};

// A plane.
class VYR_ACIS_API plane : public surface {
public:
    // plane_type.
    int type() const override { return plane_type; }
    // "plane".
    const char* type_name() const override { return "plane"; }
    // A copy.
    surface* make_copy() const override { return new plane(*this); }
    // The point at parameters (0, 0).
    SPAposition root_point() const;
    // The plane's normal (du x dv).
    SPAunit_vector normal() const;

private:
    friend struct SpaOcctAccess;
    plane() = default;
};

// A cone or cylinder. At axial distance h from root_point the radius is radius() + h tan(angle).
class VYR_ACIS_API cone : public surface {
public:
    // cone_type.
    int type() const override { return cone_type; }
    // "cone".
    const char* type_name() const override { return "cone"; }
    // A copy.
    surface* make_copy() const override { return new cone(*this); }
    // Centre of the reference circle.
    SPAposition root_point() const;
    // Axis direction.
    SPAunit_vector direction() const;
    // Radius of the reference circle.
    double radius() const;
    // Signed half-angle in radians (0 for a cylinder; negative when the cone narrows along the axis).
    double half_angle() const;
    // sin of the half-angle.
    double sine_angle() const;
    // cos of the half-angle.
    double cosine_angle() const;
    // True for a cylinder (zero half-angle).
    bool cylinder() const;
    // The apex; root_point() for a cylinder, which has none.
    SPAposition apex() const;

private:
    friend struct SpaOcctAccess;
    cone() = default;
};

// A sphere.
class VYR_ACIS_API sphere : public surface {
public:
    // sphere_type.
    int type() const override { return sphere_type; }
    // "sphere".
    const char* type_name() const override { return "sphere"; }
    // A copy.
    surface* make_copy() const override { return new sphere(*this); }
    // Centre.
    SPAposition centre() const;
    // Radius.
    double radius() const;

private:
    friend struct SpaOcctAccess;
    sphere() = default;
};

// A torus:
//     centre + (major + minor cos v)(cos u X + sin u Y) + minor sin v normal,
// with X, Y perpendicular to the normal. u runs over the major circle, v over the minor one; both
// have period 2 pi.
class VYR_ACIS_API torus : public surface {
public:
    // A torus about `centre` with axis `normal`. A negative or non-finite radius, or a zero
    // normal, makes an invalid torus: it evaluates to its centre with a zero normal. A valid
    // torus raises BAD_ARGUMENT when evaluated at parameters that are not finite.
    torus(const SPAposition& centre, const SPAunit_vector& normal, double major, double minor);

    // torus_type.
    int type() const override { return torus_type; }
    // "torus".
    const char* type_name() const override { return "torus"; }
    // A copy.
    surface* make_copy() const override { return new torus(*this); }
    // The point at (u, v).
    SPAposition eval_position(const SPApar_pos& uv) const override;
    // The outward normal of the tube at (u, v).
    SPAunit_vector eval_normal(const SPApar_pos& uv) const override;
    // The point and derivatives at (u, v).
    void evaluate(const SPApar_pos& uv, SPAposition& pos, SPAvector* du = nullptr,
                  SPAvector* dv = nullptr) const override;
    // The parameters of the closest point, u and v in [0, 2 pi).
    SPApar_pos param(const SPAposition& p) const override;

    // Centre.
    const SPAposition& centre() const { return m_centre; }
    // Axis.
    const SPAunit_vector& normal() const { return m_normal; }
    // Radius of the centre circle of the tube.
    double major_radius() const { return m_major; }
    // Radius of the tube.
    double minor_radius() const { return m_minor; }
    // True unless made from invalid values.
    bool valid() const { return m_valid; }

private:
    friend struct SpaOcctAccess;
    torus() = default;

    SPAposition m_centre;
    SPAunit_vector m_normal;
    SPAunit_vector m_x;
    SPAunit_vector m_y;
    double m_major = 0.0;
    double m_minor = 0.0;
    bool m_valid = false;
};

// A free-form surface (any surface of a body that is none of the kinds above).
class VYR_ACIS_API spline : public surface {
public:
    // spline_type.
    int type() const override { return spline_type; }
    // "spline".
    const char* type_name() const override { return "spline"; }
    // A copy.
    surface* make_copy() const override { return new spline(*this); }

private:
    friend struct SpaOcctAccess;
    spline() = default;
};

// ---------------------------------------------------------------------------------------------
// Geometry entities

// The curve entity of an EDGE; owns its equation.
class VYR_ACIS_API CURVE : public ENTITY {
    SPA_ENTITY_TYPE(CURVE, ENTITY, CURVE_TYPE, "curve")

public:
    // A curve entity holding a copy of `equation`.
    explicit CURVE(const curve& equation);
    // The equation.
    const curve& equation() const { return *m_equation; }
    // The EDGE using this curve, or null.
    ENTITY* owner() const override { return m_owner; }

protected:
    ~CURVE() override;

private:
    friend struct SpaOcctAccess;
    friend class EDGE;
    CURVE(curve* adopted, ENTITY* owner);

    curve* m_equation;
    ENTITY* m_owner = nullptr;
};

// The surface entity of a FACE; owns its equation.
class VYR_ACIS_API SURFACE : public ENTITY {
    SPA_ENTITY_TYPE(SURFACE, ENTITY, SURFACE_TYPE, "surface")

public:
    // A surface entity holding a copy of `equation`.
    explicit SURFACE(const surface& equation);
    // The equation.
    const surface& equation() const { return *m_equation; }
    // The FACE using this surface, or null.
    ENTITY* owner() const override { return m_owner; }

protected:
    ~SURFACE() override;

private:
    friend struct SpaOcctAccess;
    SURFACE(surface* adopted, ENTITY* owner);

    surface* m_equation;
    ENTITY* m_owner = nullptr;
};
