// pick_ray: the line of sight through a pick position, from the viewer into the model, and the
// face pick along it.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaErrors.h"
#include "SpaValues.h"

class ENTITY_LIST;
class pick_event;

// A ray: a root point, a unit direction pointing away from the viewer, and a radius (model units)
// within which the ray counts as touching something.
class VYR_MODELER_EXT_API pick_ray {
public:
    // No ray: root at the origin, zero direction, radius 0 (valid() is false).
    pick_ray() = default;
    // The ray from `root` along `direction` (normalised; a zero or non-finite direction gives no
    // ray) with `radius` (negative or non-finite becomes 0).
    pick_ray(const SPAposition& root, const SPAvector& direction, double radius = 0.0);

    // The root point.
    const SPAposition& root_point() const { return m_root; }
    // The unit direction (zero when there is no ray).
    const SPAunit_vector& direction() const { return m_direction; }
    // The radius in model units.
    double radius() const { return m_radius; }
    // True when the ray has a direction.
    bool valid() const { return m_direction.len_sq() > 0.5; }
    // The point at parameter t: root + t x direction.
    SPAposition point_at(double t) const { return m_root + t * m_direction; }

private:
    SPAposition m_root;
    SPAunit_vector m_direction;
    double m_radius = 0.0;
};

// The ray through the centre of the event's pick pixel: (x + 0.5, y + 0.5) in drawable
// coordinates, so every model point that the view projects onto that centre lies on the ray.
// It starts at the eye for a perspective camera, and for a parallel camera on the near plane
// (the plane through the eye moved by the camera's hither distance along the direction); its
// radius is `radius_pixels` pixels in model units at the target (view3d::get_units_per_pixel;
// negative counts become 0). Without a view, or when the view cannot project (zero viewport,
// eye on target), no ray (valid() false).
VYR_MODELER_EXT_API pick_ray get_pick_ray(const pick_event& event, int radius_pixels = 0);

// The faces that `ray` (in model coordinates) meets, nearest first: the faces of every BODY of
// `entities` (FACEs in the list count themselves), each tested in its body's space (the body's
// transform undone), are appended to `faces` in ascending order of the ray parameter of their
// first hit; a face is listed once. Faces behind the ray's root are not met. Errors:
// DEGENERATE_RAY for a ray without a direction; the ray test's errors.
VYR_MODELER_EXT_API outcome api_gi_pick_faces(const pick_ray& ray, const ENTITY_LIST& entities, ENTITY_LIST& faces);
