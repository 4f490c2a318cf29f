// Pick rays and the face pick along them.
#include "pick_ray.h"

#include "DsTopologyServices.h"
#include "SpaRay.h"
#include "pick_event.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

bool IsFinite(const SPAvector& v)
{
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

bool IsFinite(const SPAposition& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

// The parameter along the model-space `r` of its first hit on `face`, tested in the face's body
// space; false when the ray misses the face.
bool FirstHit(const pick_ray& r, FACE* face, double& param)
{
    const SPAtransf* toModel = CDsTopologyServices::GetBodyTransform(face);
    SPAposition root = r.root_point();
    SPAunit_vector direction = r.direction();
    double radius = std::max(r.radius(), SPAresabs);
    if (toModel != nullptr) {
        const SPAtransf toBody = toModel->inverse();
        root = root * toBody;
        direction = direction * toBody;
        radius /= toModel->scaling();
    }
    std::unique_ptr<hit> hits(raytest_face(ray(root, direction, radius, 1), face));
    if (!hits) return false;
    SPAposition point = hits->point();
    if (toModel != nullptr) point = point * *toModel;
    param = (point - r.root_point()) % r.direction();
    return true;
}

}  // namespace

pick_ray::pick_ray(const SPAposition& root, const SPAvector& direction, double radius)
{
    if (!IsFinite(root) || !IsFinite(direction) || direction.len() <= SPAresmch) return;
    m_root = root;
    m_direction = normalise(direction);
    m_radius = std::isfinite(radius) && radius > 0.0 ? radius : 0.0;
}

pick_ray get_pick_ray(const pick_event& event, int radius_pixels)
{
    const view3d* v = event.view();
    if (v == nullptr) return pick_ray();
    SPAposition start;
    SPAunit_vector direction;
    if (!v->drawable_to_ray(event.x() + 0.5, event.y() + 0.5, start, direction)) return pick_ray();
    if (!v->is_perspective() && std::isfinite(v->get_hither())) start += v->get_hither() * direction;
    const double radius = (radius_pixels > 0 ? radius_pixels : 0) * v->get_units_per_pixel();
    return pick_ray(start, direction, radius);
}

outcome api_gi_pick_faces(const pick_ray& r, const ENTITY_LIST& entities, ENTITY_LIST& faces)
{
    API_FUNCTION_BEGIN
    if (!r.valid()) sys_error(DEGENERATE_RAY);
    ENTITY_LIST candidates;
    for (int i = 0; i < entities.count(); ++i) get_faces(entities[i], candidates);

    std::vector<std::pair<double, FACE*>> met;
    for (int i = 0; i < candidates.count(); ++i) {
        FACE* face = static_cast<FACE*>(candidates[i]);
        double param = 0.0;
        if (FirstHit(r, face, param)) met.emplace_back(param, face);
    }
    std::stable_sort(met.begin(), met.end(),
                     [](const std::pair<double, FACE*>& a, const std::pair<double, FACE*>& b) { return a.first < b.first; });
    for (const auto& m : met) faces.add(m.second);
    API_FUNCTION_END
    return result;
}
