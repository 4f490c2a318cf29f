// DsAcisEdge: positions of a reference edge, in model space.
#include "DsAcisEdge.h"

#include "UiPickEvent.h"
#include "VyrBodyExt.h"
#include "pick_ray.h"

#include "SpaErrors.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "SpaValues.h"

#include <algorithm>
#include <cmath>

namespace {

// Samples of the edge's range in the search for the point nearest to a pick ray.
constexpr int kRaySamples = 64;
// Golden-section steps after the sampling.
constexpr int kRefineSteps = 40;

const curve* CurveOf(EDGE* edge)
{
    return edge && edge->geometry() ? &edge->geometry()->equation() : nullptr;
}

// The curve point at `t` mapped into model space.
SPAposition ModelPoint(EDGE* edge, const curve& c, double t)
{
    SPAposition p = c.eval_position(t);
    if (const SPAtransf* transform = CVyrBodyExt::TransfPtr(edge)) p *= *transform;
    return p;
}

// The edge's range, bounded (a straight without range gives none).
bool RangeOf(EDGE* edge, const curve& c, SPAinterval& range)
{
    range = edge->param_range();
    if (!range.bounded()) range = c.param_range();
    return range.bounded();
}

// Squared distance of `p` from the line through `root` along unit `dir`.
double LineDistance2(const SPAposition& p, const SPAposition& root, const SPAunit_vector& dir)
{
    const SPAvector d = p - root;
    const double along = d % dir;
    return (d % d) - along * along;
}

// Runs `body` inside a modeler error block; false when it failed or raised.
template <class F>
bool Guarded(F&& body)
{
    bool ok = false;
    API_BEGIN
        ok = body();
    API_END
    return ok && result.ok();
}

}  // namespace

int DsAcisEdge::FindCurve(EDGE* edge)
{
    return CurveOf(edge) ? 1 : 0;
}

bool DsAcisEdge::EvalStartPosition(EDGE* edge, SPAposition& position)
{
    const curve* c = CurveOf(edge);
    SPAinterval range;
    if (!c || !RangeOf(edge, *c, range)) return false;
    return Guarded([&] { position = ModelPoint(edge, *c, range.start_pt()); return true; });
}

bool DsAcisEdge::EvalEndPosition(EDGE* edge, SPAposition& position)
{
    const curve* c = CurveOf(edge);
    SPAinterval range;
    if (!c || !RangeOf(edge, *c, range)) return false;
    return Guarded([&] { position = ModelPoint(edge, *c, range.end_pt()); return true; });
}

bool DsAcisEdge::EvalMidPosition(EDGE* edge, SPAposition& position)
{
    const curve* c = CurveOf(edge);
    SPAinterval range;
    if (!c || !RangeOf(edge, *c, range)) return false;
    return Guarded([&] { position = ModelPoint(edge, *c, range.mid_pt()); return true; });
}

bool DsAcisEdge::EvalCenterPosition(EDGE* edge, SPAposition& position)
{
    const auto* e = dynamic_cast<const ellipse*>(CurveOf(edge));
    if (!e) return false;
    SPAposition centre = e->centre;
    if (const SPAtransf* transform = CVyrBodyExt::TransfPtr(edge)) centre *= *transform;
    position = centre;
    return true;
}

bool DsAcisEdge::EvalClosePosition(EDGE* edge, const SPAposition& point, SPAposition& position, double& param,
                                   int inside)
{
    const curve* c = CurveOf(edge);
    SPAinterval range;
    if (!c || !RangeOf(edge, *c, range)) return false;
    return Guarded([&] {
        SPAposition local = point;
        if (const SPAtransf* transform = CVyrBodyExt::TransfPtr(edge)) local *= transform->inverse();
        double t = c->param(local);
        if (inside && !(range.start_pt() <= t && t <= range.end_pt())) {
            // A periodic curve may answer the parameter one period away.
            const double period = c->param_period();
            if (period > 0.0) {
                while (t < range.start_pt()) t += period;
                while (t > range.end_pt() && t - period >= range.start_pt()) t -= period;
            }
            if (t < range.start_pt() || t > range.end_pt()) {
                const double d0 = (c->eval_position(range.start_pt()) - local).len();
                const double d1 = (c->eval_position(range.end_pt()) - local).len();
                t = d0 <= d1 ? range.start_pt() : range.end_pt();
            }
        }
        position = ModelPoint(edge, *c, t);
        param = t;
        return true;
    });
}

bool DsAcisEdge::EvalClosePosition(EDGE* edge, const CUiPickEvent& event, SPAposition& position, double& param, int)
{
    const curve* c = CurveOf(edge);
    SPAinterval range;
    if (!c || !event.view() || !RangeOf(edge, *c, range)) return false;
    const pick_ray ray = get_pick_ray(event);
    if (!ray.valid()) return false;
    return Guarded([&] {
        const double low = range.start_pt(), high = range.end_pt();
        const auto distance = [&](double t) {
            return LineDistance2(ModelPoint(edge, *c, t), ray.root_point(), ray.direction());
        };
        int best = 0;
        double bestDistance = distance(low);
        for (int i = 1; i <= kRaySamples; ++i) {
            const double d = distance(low + (high - low) * i / kRaySamples);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        double a = low + (high - low) * std::max(best - 1, 0) / kRaySamples;
        double b = low + (high - low) * std::min(best + 1, kRaySamples) / kRaySamples;
        const double g = 0.5 * (std::sqrt(5.0) - 1.0);
        for (int i = 0; i < kRefineSteps; ++i) {
            const double x1 = b - g * (b - a), x2 = a + g * (b - a);
            if (distance(x1) <= distance(x2)) b = x2;
            else a = x1;
        }
        const double t = 0.5 * (a + b);
        position = ModelPoint(edge, *c, t);
        param = t;
        return true;
    });
}
