#include "DsBox.h"

#include "DsGeometryComputer.h"

#include <GmPosition.h>
#include <SpaValues.h>
#include <view3d.h>

#include <cmath>
#include <cstring>

namespace {

// The projections that boxes last met, one per view: the view's transformation and viewport
// height, and the stamp that boxes projected with exactly these keep. A handful of views is
// shown at a time; a view beyond them takes the oldest slot (its boxes are projected again).
struct SProjectionSeen {
    const view3d* view = nullptr;
    view_matrix transformation = {};
    int height = 0;
    uint64_t stamp = 0;
};
constexpr int kSeenViews = 8;
SProjectionSeen sSeen[kSeenViews];
int sOldestSeen = 0;
uint64_t sLastStamp = 0;

// The stamp of `view` projecting through `m` into a viewport `height` high: the one given before
// for the same view, transformation and height, else a new one. Transformations are compared bit
// for bit: equal bits give equal rectangles. A dead view's slot may be taken by a new view at the
// same address; its stamp then stands for the same transformation and height, so for the same
// rectangles.
uint64_t ProjectionStamp(const view3d* view, const view_matrix& m, int height)
{
    SProjectionSeen* slot = nullptr;
    for (SProjectionSeen& seen : sSeen)
        if (seen.view == view) {
            if (seen.height == height && std::memcmp(seen.transformation, m, sizeof(view_matrix)) == 0)
                return seen.stamp;
            slot = &seen;
            break;
        }
    if (!slot) {
        slot = &sSeen[sOldestSeen];
        sOldestSeen = (sOldestSeen + 1) % kSeenViews;
        slot->view = view;
    }
    std::memcpy(slot->transformation, m, sizeof(view_matrix));
    slot->height = height;
    slot->stamp = ++sLastStamp;
    return slot->stamp;
}

}  // namespace


CDsBox::CDsBox(const float* min, const float* max)
{
    SetMin(min);
    SetMax(max);
}

CDsBox::CDsBox(const SPAbox& box)
{
    if (box.empty()) return;
    const SPAposition low = box.low(), high = box.high();
    m_min[0] = static_cast<float>(low.x());
    m_min[1] = static_cast<float>(low.y());
    m_min[2] = static_cast<float>(low.z());
    m_max[0] = static_cast<float>(high.x());
    m_max[1] = static_cast<float>(high.y());
    m_max[2] = static_cast<float>(high.z());
}

CDsBox& CDsBox::operator=(const CDsBox& other)
{
    CopyObject(other);
    return *this;
}

void CDsBox::CopyObject(const CDsBox& other)
{
    ResetMembers();
    SetMin(other.m_min);
    SetMax(other.m_max);
}

void CDsBox::ResetMembers()
{
    m_projection = 0;
    m_min[0] = 1.0f;
    m_min[1] = m_min[2] = 0.0f;
    m_max[0] = m_max[1] = m_max[2] = 0.0f;
}

void CDsBox::SetMin(const float* min)
{
    if (!min) return;
    m_projection = 0;
    for (int i = 0; i < 3; ++i) m_min[i] = min[i];
}

void CDsBox::SetMax(const float* max)
{
    if (!max) return;
    m_projection = 0;
    for (int i = 0; i < 3; ++i) m_max[i] = max[i];
}

void CDsBox::GetMin(CGmPosition& p) const
{
    p = CGmPosition(m_min[0], m_min[1], m_min[2]);
}

void CDsBox::GetMax(CGmPosition& p) const
{
    p = CGmPosition(m_max[0], m_max[1], m_max[2]);
}

void CDsBox::Expand(const float* point, const SPAtransf* t)
{
    if (point) Expand(point[0], point[1], point[2], t);
}

void CDsBox::Expand(float x, float y, float z, const SPAtransf* t)
{
    SPAposition p(x, y, z);
    if (t) p *= *t;
    const float v[3] = {static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z())};
    // A point that is not a number would poison the box for good: leave it out.
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) return;
    m_projection = 0;
    if (IsNotComputed()) {
        SetMin(v);
        SetMax(v);
        return;
    }
    for (int i = 0; i < 3; ++i) {
        m_min[i] = Min(m_min[i], v[i]);
        m_max[i] = Max(m_max[i], v[i]);
    }
}

void CDsBox::ExpandBox(const CDsBox& other, const SPAtransf* t)
{
    for (int corner = 0; corner < 8; ++corner) {
        Expand((corner & 1) ? other.m_max[0] : other.m_min[0], (corner & 2) ? other.m_max[1] : other.m_min[1],
               (corner & 4) ? other.m_max[2] : other.m_min[2], t);
    }
}

void CDsBox::TransformBox(const SPAtransf* t, const CDsBox& other)
{
    ExpandBox(other, t);
}

void CDsBox::Transform(const SPAtransf& t, const CDsBox& other)
{
    ExpandBox(other, &t);
}

void CDsBox::GetCenter(float& x, float& y, float& z) const
{
    x = (m_min[0] + m_max[0]) * 0.5f;
    y = (m_min[1] + m_max[1]) * 0.5f;
    z = (m_min[2] + m_max[2]) * 0.5f;
}

float CDsBox::GetDiagonalSize() const
{
    const float dx = m_max[0] - m_min[0], dy = m_max[1] - m_min[1], dz = m_max[2] - m_min[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool CDsBox::IsGivenBoxTotalyInsideMe(const CDsBox& other) const
{
    if (IsNotComputed() || other.IsNotComputed()) return false;
    for (int i = 0; i < 3; ++i) {
        if (!(m_max[i] > other.m_max[i] && other.m_min[i] > m_min[i])) return false;
    }
    return true;
}

bool CDsBox::IsGivenBoxTotalyOutsideMe(const CDsBox& other) const
{
    if (IsNotComputed() || other.IsNotComputed()) return false;
    for (int i = 0; i < 3; ++i) {
        if (other.m_min[i] > m_max[i] || m_min[i] > other.m_max[i]) return true;
    }
    return false;
}

void CDsBox::ComputeBounds2D(view3d* view, bool force)
{
    if (!view) return;
    if (!force && m_rectangle.GetView() == view) return;
    // Made current once for the eight corners, as each corner's projection would make it.
    const view_matrix* m = CDsGeometryComputer::GetInstance()->PrepareProjection(view, true);
    int x0 = 0, y0 = 0, width = 0, height = 0;
    view->get_viewport(x0, y0, width, height);
    const uint64_t stamp = ProjectionStamp(view, *m, height);
    if (m_projection == stamp && m_rectangle.GetView() == view) return;
    m_rectangle.SetEmpty();
    m_rectangle.SetView(view);
    int projected = 0;
    for (int corner = 0; corner < 8; ++corner) {
        float x = 0.0f, y = 0.0f;
        if (CDsGeometryComputer::ToDevice(*m, *view, (corner & 1) ? m_max[0] : m_min[0],
                                          (corner & 2) ? m_max[1] : m_min[1], (corner & 4) ? m_max[2] : m_min[2], x,
                                          y)) {
            m_rectangle.Expand(x, static_cast<float>(height) - y - 1.0f);
            ++projected;
        }
    }
    // A box that reaches behind a perspective eye (some corners project, some do not) may show
    // anywhere in the viewport: the corners in front alone would frame only its far part. Its
    // rectangle reaches a little beyond the viewport, as its view does, so that in a viewport of a
    // few pixels it is not taken for a box a few pixels small.
    if (projected > 0 && projected < 8) {
        constexpr float kBeyond = 8.0f;
        m_rectangle.Expand(-kBeyond, -kBeyond);
        m_rectangle.Expand(static_cast<float>(width - 1) + kBeyond, static_cast<float>(height - 1) + kBeyond);
    }
    m_projection = stamp;
}

void CDsBox::GetRectangle(int& minX, int& maxX, int& minY, int& maxY) const
{
    m_rectangle.GetRectangle(minX, maxX, minY, maxY);
}

bool CDsBox::CheckExtremesOverlap(view3d* view, bool pickAperture) const
{
    return m_rectangle.IsInView(view, pickAperture);
}

void CDsBox::DrawExtremes(view3d& extremaView) const
{
    if (IsNotComputed()) return;
    for (int corner = 0; corner < 8; ++corner) {
        const SPAposition p((corner & 1) ? m_max[0] : m_min[0], (corner & 2) ? m_max[1] : m_min[1],
                            (corner & 4) ? m_max[2] : m_min[2]);
        extremaView.draw_point_3d(p);
    }
}
