// Body builders of the stand-in modeler (for tests, the demo and benchmarks; the display core
// never builds bodies). Each builder answers a new BODY (free it with lose()) in body space with
// no transform, or null on failure; the reason goes to `result` when one is passed.
// Errors: BAD_ARGUMENT for sizes that are zero, negative or not finite and for zero axes;
// NULL_ENTITY for missing input bodies; OCCT_FAILURE when the geometry kernel fails.
#pragma once

#include "VyrAcisApi.h"
#include "SpaErrors.h"
#include "SpaTopology.h"
#include "SpaValues.h"

// The axis-aligned block between corners (x0, y0, z0) and (x1, y1, z1) (in any order; every
// extent must be positive).
VYR_ACIS_API BODY* make_block(double x0, double y0, double z0, double x1, double y1, double z1,
                              outcome* result = nullptr);
// A solid cylinder standing on the circle about `base` with axis `axis`.
VYR_ACIS_API BODY* make_cylinder(const SPAposition& base, const SPAvector& axis, double radius,
                                 double height, outcome* result = nullptr);
// A solid cone (or frustum) from the circle of `base_radius` about `base` along `axis` to a
// circle of `top_radius` (one radius may be 0 for a pointed cone; they must differ).
VYR_ACIS_API BODY* make_cone(const SPAposition& base, const SPAvector& axis, double base_radius,
                             double top_radius, double height, outcome* result = nullptr);
// A solid sphere.
VYR_ACIS_API BODY* make_sphere(const SPAposition& centre, double radius, outcome* result = nullptr);
// A solid torus about `centre` with axis `axis` (0 < minor < major).
VYR_ACIS_API BODY* make_torus(const SPAposition& centre, const SPAvector& axis, double major,
                              double minor, outcome* result = nullptr);
// The union of two bodies as a new body (the inputs are left as they are). Each input's
// transform is applied to it first; the result has none.
VYR_ACIS_API BODY* unite_bodies(const BODY* a, const BODY* b, outcome* result = nullptr);
// `a` minus `b` as a new body, likewise.
VYR_ACIS_API BODY* subtract_bodies(const BODY* a, const BODY* b, outcome* result = nullptr);
// Gives `body` a new TRANSFORM entity holding `t` (replacing its transform). Errors: NULL_ENTITY,
// BAD_ARGUMENT for a transform that is not valid() (made from a zero or non-finite scale, a
// non-finite translation, ...): the body keeps the transform it had.
VYR_ACIS_API outcome set_body_transform(BODY* body, const SPAtransf& t);
// A wire body along the polyline through `count` points (closed back to the first point when
// `closed`). Repeated consecutive points are skipped; at least two distinct points are needed.
VYR_ACIS_API BODY* make_wire_body(const SPAposition* points, int count, bool closed = false,
                                  outcome* result = nullptr);
// The benchmark part: a 120 x 80 x 20 plate (corner at the origin, top at z = 20) with every
// edge filleted at radius 3, 124 through-holes of radius 1.87 on a grid, and a hemispherical
// boss of radius 15 in the middle of the top.
VYR_ACIS_API BODY* make_benchmark_plate(outcome* result = nullptr);
