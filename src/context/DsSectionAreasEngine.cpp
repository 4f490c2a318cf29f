// CDsSectionAreasEngine: the convex areas of a stepped section and the frame that closes them.
#include "DsSectionAreasEngine.h"

#include "VyrComplexSection.h"
#include "VyrCurveExt.h"

#include <algorithm>
#include <cmath>

namespace {

// The search for a frame side starts from this distance.
constexpr double kFarthestSide = 1e8;

bool Finite(const SPAposition& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

bool Finite(const SPAvector& v)
{
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

// Whether u and w are parallel or antiparallel within the normal resolution (a vector without
// length is parallel to every other).
bool Biparallel(const SPAvector& u, const SPAvector& w)
{
    const double lu = u.len(), lw = w.len();
    if (lu <= SPAresmch || lw <= SPAresmch) return true;
    return (u * w).len() <= SPAresnor * lu * lw;
}

// One coordinate of the frame: doubled where the extent reaches across the origin, else widened
// by the extent's own size on both sides.
void Widen(double& low, double& high)
{
    if (low <= 0.0 && 0.0 <= high) {
        low *= 2.0;
        high *= 2.0;
        return;
    }
    double spare = high - low;
    if (!(spare > 0.0)) spare = std::fabs(low);
    low -= spare;
    high += spare;
}

}  // namespace

CDsSectionAreasEngine::CDsSectionAreasEngine(const CVyrComplexSection& section, SPAunit_vector& direction)
    : m_axis(0.0, 0.0, section.m_depth), m_transformation(section.m_transformation),
      m_turnSense(section.m_turnSense != 0)
{
    std::copy(section.m_box, section.m_box + 6, m_box);
    direction = SPAunit_vector(m_axis);
    const SPAtransf inverse = m_transformation.inverse();
    const size_t vertices = section.m_vertices.size();
    const size_t count = vertices == 0 ? 0 : std::min(section.m_normals.size(), vertices - 1);
    m_edges.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const SPAposition& a = section.m_vertices[i];
        const SPAposition& b = section.m_vertices[i + 1];
        const SPAvector& n = section.m_normals[i];
        if (!Finite(a) || !Finite(b) || !Finite(n)) continue;
        m_edges.push_back(SDsSectionEdge{a * inverse, b * inverse, n * inverse});
    }
}

CDsSectionAreasEngine::~CDsSectionAreasEngine() = default;

void CDsSectionAreasEngine::Compute()
{
    ComputeFrame();
    ComputeAreas();
}

std::vector<SDsSectionEdge> CDsSectionAreasEngine::ExportArea(int k) const
{
    std::vector<SDsSectionEdge> group;
    if (k < 0 || k >= static_cast<int>(m_areas.size())) return group;
    const std::vector<SDsSectionEdge>& area = m_areas[static_cast<size_t>(k)];
    group.reserve(area.size());
    for (const SDsSectionEdge& edge : area)
        group.push_back(SDsSectionEdge{edge.first * m_transformation, edge.second * m_transformation,
                                       edge.normal * m_transformation});
    return group;
}

// --- Pass 1: the frame ------------------------------------------------------------------------------

void CDsSectionAreasEngine::ComputeFrame()
{
    m_frame.clear();
    // The plane of the section through the origin; a section without depth is taken as normal to z.
    SPAunit_vector axis(m_axis);
    if (axis.is_zero()) axis = SPAunit_vector(0.0, 0.0, 1.0);
    const SPAposition origin(0.0, 0.0, 0.0);
    const SPAposition boxLow = proj_pt_to_plane(SPAposition(m_box[0], m_box[1], m_box[2]), origin, axis);
    const SPAposition boxHigh = proj_pt_to_plane(SPAposition(m_box[3], m_box[4], m_box[5]), origin, axis);
    double low[3], high[3];
    for (int c = 0; c < 3; ++c) {
        low[c] = std::min(boxLow.coordinate(c), boxHigh.coordinate(c));
        high[c] = std::max(boxLow.coordinate(c), boxHigh.coordinate(c));
    }
    for (const SDsSectionEdge& edge : m_edges)
        for (const SPAposition* end : {&edge.first, &edge.second})
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min(low[c], end->coordinate(c));
                high[c] = std::max(high[c], end->coordinate(c));
            }
    for (int c = 0; c < 3; ++c) Widen(low[c], high[c]);
    const SPAposition c0(low[0], low[1], low[2]);
    const SPAposition c1(high[0], low[1], low[2]);
    const SPAposition c2(high[0], high[1], high[2]);
    const SPAposition c3(low[0], high[1], low[2]);
    m_frame.push_back(SDsSectionEdge{c0, c1, SPAvector(0.0, 1.0, 0.0)});
    m_frame.push_back(SDsSectionEdge{c1, c2, SPAvector(-1.0, 0.0, 0.0)});
    m_frame.push_back(SDsSectionEdge{c2, c3, SPAvector(0.0, -1.0, 0.0)});
    m_frame.push_back(SDsSectionEdge{c3, c0, SPAvector(1.0, 0.0, 0.0)});
}

// --- Pass 2: the areas ------------------------------------------------------------------------------

bool CDsSectionAreasEngine::KeepsArea(const SPAvector& u, const SPAvector& w) const
{
    if (Biparallel(u, w)) return true;
    const double turn = m_axis % (u * w);
    return m_turnSense ? turn < 0.0 : turn > 0.0;
}

bool CDsSectionAreasEngine::Crosses(const SPAposition& p, const SPAposition& q) const
{
    const SPAvector along = q - p;
    for (const SDsSectionEdge& edge : m_edges) {
        const SPAvector d = edge.second - edge.first;
        SPAposition onEdge, onLine;
        double distance = 0.0;
        if (!CVyrCurveExt::LineLineDist(edge.first, d, p, along, onEdge, onLine, distance,
                                        CVyrCurveExt::kInfiniteLines))
            continue;
        const SPAvector toX = onEdge - edge.first;
        if (is_positive(d % toX) && is_less_than(toX.len(), d.len())) return true;
    }
    return false;
}

bool CDsSectionAreasEngine::RaySearch(const SPAposition& r, const SPAposition& q)
{
    const SPAvector along = q - r;
    double best = kFarthestSide;
    const SDsSectionEdge* found = nullptr;
    for (const SDsSectionEdge& side : m_frame) {
        SPAposition onRay, onSide;
        double distance = 0.0;
        if (!CVyrCurveExt::LineLineDist(r, along, side.first, side.second - side.first, onRay, onSide, distance,
                                        CVyrCurveExt::kInfiniteLines))
            continue;
        const SPAvector toX = onSide - r;
        if (!(along % toX > 0.0)) continue;
        const double reach = toX.len();
        if (reach < best) {
            best = reach;
            found = &side;
        }
    }
    if (!found) return false;
    m_closingSide = SDsSectionEdge{found->first, found->first, found->normal};
    return true;
}

void CDsSectionAreasEngine::CloseAgainstFrame(std::vector<SDsSectionEdge>& area, const SPAposition& r,
                                              const SPAposition& q)
{
    if (RaySearch(r, q)) area.push_back(m_closingSide);
}

void CDsSectionAreasEngine::ShortArea(std::vector<SDsSectionEdge>& area, int i)
{
    if (area.size() >= 3) return;
    const SDsSectionEdge& current = m_edges[static_cast<size_t>(i)];
    SPAposition from = current.first, to = current.second;
    if (i > 0 && (current.second - current.first) % m_edges[static_cast<size_t>(i - 1)].normal < 0.0) {
        area.push_back(SDsSectionEdge{current.second, current.first, -current.normal});
        std::swap(from, to);
    }
    CloseAgainstFrame(area, from, to);
}

void CDsSectionAreasEngine::EndRule(std::vector<SDsSectionEdge>& area, int i)
{
    const SDsSectionEdge& current = m_edges[static_cast<size_t>(i)];
    const SDsSectionEdge& previous = m_edges[static_cast<size_t>(i - 1)];
    SPAvector normal = previous.normal;
    if ((current.second - current.first) % normal < 0.0) normal = -normal;
    const SPAposition ahead = current.first + (previous.second - previous.first);
    if (!RaySearch(current.first, ahead)) return;
    area.push_back(SDsSectionEdge{current.first, current.first, normal});
    CloseAgainstFrame(area, current.first, ahead);
}

void CDsSectionAreasEngine::ComputeAreas()
{
    m_areas.clear();
    const int n = static_cast<int>(m_edges.size());
    std::vector<SDsSectionEdge> area;
    bool take = true;
    for (int i = 0; i < n; ++i) {
        const SDsSectionEdge& current = m_edges[static_cast<size_t>(i)];
        if (take) {
            // A new area that starts where the line crosses back over itself first continues the
            // previous edge, so that the area is bounded on that side.
            if (area.empty() && i != 0 && n > 2 && Crosses(current.first, current.second)) {
                const SDsSectionEdge& previous = m_edges[static_cast<size_t>(i - 1)];
                const SPAvector d = previous.second - previous.first;
                const SPAvector normal = d % current.normal > 0.0 ? -previous.normal : previous.normal;
                area.push_back(SDsSectionEdge{previous.second, previous.second + d, normal});
            }
            area.push_back(current);
            take = false;
        }
        if (i + 1 < n) {
            const SDsSectionEdge& next = m_edges[static_cast<size_t>(i + 1)];
            if (KeepsArea(current.second - current.first, next.second - current.first)) {
                take = true;
                continue;
            }
            if (!Crosses(current.first, current.second))
                CloseAgainstFrame(area, current.first, current.second);
            else
                ShortArea(area, i);
            m_areas.push_back(area);
            area.clear();
            take = true;
            continue;
        }
        // The last edge.
        if (n > 2 && Crosses(current.first, current.second)) {
            if (area.size() > 2)
                m_areas.push_back(area);
            else
                EndRule(area, i);
        }
        CloseAgainstFrame(area, current.first, current.second);
        m_areas.push_back(area);
        area.clear();
    }
}
