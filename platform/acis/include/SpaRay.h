// Ray tests: which faces, edges and vertices a (pick) ray meets, and where along the ray.
//
// A ray is the half-line root + t * direction, t >= 0, with a radius: an edge or vertex counts as
// hit when it passes within the radius of the half-line. Ray parameters are distances along the
// unit direction from the root.
#pragma once

#include "VyrAcisApi.h"
#include "SpaEntity.h"
#include "SpaErrors.h"
#include "SpaTopology.h"
#include "SpaValues.h"

// A ray with a pick radius and the number of hits wanted.
class VYR_ACIS_API ray {
public:
    // A degenerate ray (zero direction): every test answers no hit.
    ray() = default;
    // The ray from `root` along `direction` (normalised again), with `radius` and at most
    // `hits_wanted` hits reported (0 or less: all).
    ray(const SPAposition& root, const SPAunit_vector& direction, double radius = SPAresabs, int hits_wanted = 0);

    // The root.
    const SPAposition& root_point() const { return m_root; }
    // The unit direction (zero for a degenerate ray).
    const SPAunit_vector& direction() const { return m_direction; }
    // The pick radius.
    double radius() const { return m_radius; }
    // The most hits to report (0: all).
    int hits_wanted() const { return m_hitsWanted; }
    // True when the root is finite, the direction non-zero and finite, and the radius finite and
    // not negative.
    bool valid() const;
    // The point at parameter `t`.
    SPAposition point_at(double t) const { return m_root + t * m_direction; }

private:
    SPAposition m_root;
    SPAunit_vector m_direction;
    double m_radius = SPAresabs;
    int m_hitsWanted = 0;
};

// What a hit is on.
enum hit_type : int {
    // The ray meets a face.
    hit_face = 0,
    // The ray passes within its radius of an edge.
    hit_edge = 1,
    // The ray passes within its radius of a vertex.
    hit_vertex = 2
};

// One hit of a ray test, the head of a list of hits in ascending ray parameter. Deleting a hit
// deletes the rest of its list too.
class VYR_ACIS_API hit {
public:
    // A hit on `entity` at ray parameter `param` and point `point`, followed by `next`.
    hit(ENTITY* entity, double param, const SPAposition& point, hit_type type, hit* next = nullptr);
    // Hits are not copied.
    hit(const hit&) = delete;
    hit& operator=(const hit&) = delete;
    // Deletes this hit and the hits after it.
    ~hit();

    // The entity hit.
    ENTITY* entity() const { return m_entity; }
    // The ray parameter (distance from the root).
    double ray_param() const { return m_param; }
    // The point on the ray.
    const SPAposition& point() const { return m_point; }
    // What was hit.
    hit_type type() const { return m_type; }
    // The next hit, or null.
    hit* next() const { return m_next; }
    // Replaces the rest of the list (the previous rest is not freed).
    void set_next(hit* next) { m_next = next; }

private:
    ENTITY* m_entity;
    double m_param;
    SPAposition m_point;
    hit_type m_type;
    hit* m_next;
};

// Where `r` meets `face`: a new list of hit_face hits in ascending ray parameter (points inside
// the face or on its boundary within the ray's radius), at most r.hits_wanted() of them; the
// caller deletes the list. Null when the ray misses, when it is degenerate, or for a null entity
// or one that is not a FACE. The ray is taken in the face's body space (map a model-space ray by
// the inverse of the body's transform first).
VYR_ACIS_API hit* raytest_face(const ray& r, FACE* face);

// Tests the ray from `root` along `dir` with radius `radius` against `candidates`, a ray in model
// space (each candidate is tested in its body's space through the inverse of the body's
// transform; parameters are model-space distances along `dir`):
//   FACE    a hit_face at the nearest point where the ray meets it;
//   EDGE    a hit when the edge passes within `radius` of the ray, at the parameter of the ray
//           point nearest to the edge;
//   VERTEX  a hit when the vertex lies within `radius` of the ray;
//   BODY, LUMP, SHELL, WIRE, LOOP, COEDGE: each of their edges and vertices as above;
//   anything else is passed over.
// The hit entities (each once, at its smallest parameter) are appended to `hits` in ascending
// parameter order, at most `hits_wanted` of them (0 or less: all); entities already in `hits`
// are not added again. `params` receives a new array (free it with delete[]) whose entry i is the
// parameter of hits[n + i], n being the count of `hits` on entry; null when nothing was added.
// Errors (nothing added, `params` null): DEGENERATE_RAY for a zero or non-finite direction or a
// non-finite root; BAD_TOLERANCE for a negative or non-finite radius.
VYR_ACIS_API outcome api_ray_test_ents(const SPAposition& root, const SPAunit_vector& dir, double radius,
                                       int hits_wanted, const ENTITY_LIST& candidates, ENTITY_LIST& hits,
                                       double*& params);
