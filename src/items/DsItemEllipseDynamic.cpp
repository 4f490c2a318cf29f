// CDsItemEllipseDynamic and CDsItemHlSegmentEllipseDynamic: drawing, printing, bounds and picks of
// ellipses tessellated per view.
#include "DsItemEllipseDynamic.h"

#include "DsDriverGl.h"
#include "DsEllipseStorage.h"
#include "DsGlContext.h"
#include "DsItemsHlView.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"

#include "SpaGeometry.h"
#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>

namespace {

// The shared vertex buffer of GetVertices (three floats a vertex) and its capacity in vertices.
std::unique_ptr<float[]> sVertices;
int sCapacity = 0;
constexpr int kInitialCapacity = 400;

}  // namespace

float* CDsItemEllipseDynamic::StGetVerticesBuffer(int count)
{
    if (!sVertices || count > sCapacity) {
        const int capacity = std::max(count, sCapacity > 0 ? sCapacity : kInitialCapacity);
        sVertices.reset(new float[static_cast<size_t>(capacity) * 3]);
        sCapacity = capacity;
    }
    return sVertices.get();
}

int CDsItemEllipseDynamic::StGetVerticesBufferCapacity()
{
    return sCapacity;
}

CDsItemEllipseDynamic::CDsItemEllipseDynamic(CDsEllipseStorage* storage) : m_storage(storage) {}

CDsItemEllipseDynamic::~CDsItemEllipseDynamic()
{
    delete m_storage;
    delete m_refPoint;
}

bool CDsItemEllipseDynamic::HasCurve() const
{
    const ellipse* e = m_storage ? m_storage->GetEllipse() : nullptr;
    if (!e) return false;
    const double major = e->major_axis.len();
    const double ratio = e->radius_ratio;
    return std::isfinite(major) && major > 0.0 && std::isfinite(ratio) && ratio != 0.0 &&
           std::isfinite(e->centre.x()) && std::isfinite(e->centre.y()) && std::isfinite(e->centre.z());
}

float CDsItemEllipseDynamic::GetMajorAxisLength() const
{
    return HasCurve() ? static_cast<float>(m_storage->GetEllipse()->major_axis.len()) : 0.0f;
}

int CDsItemEllipseDynamic::Tessellate(view3d* view, const SPAposition*& points) const
{
    points = nullptr;
    if (!HasCurve()) return 0;
    const int before = m_storage->GetPointsCount();
    const int count = m_storage->ApproximateEllipse(view, points);
    if (m_storage->GetPointsCount() != before) StNoteVertexCountChange();  // the item's vertex count
    if (count <= 0 || !points) {
        points = nullptr;
        return 0;
    }
    return count;
}

// --- Drawing ------------------------------------------------------------------------------------

void CDsItemEllipseDynamic::DrawGl(view3d& view)
{
    if (!HasCurve()) return;
    if (IsAutoHideRequired(GetMajorAxisLength())) return;
    const SPAposition* points = nullptr;
    const int count = Tessellate(&view, points);
    if (count <= 0) return;
    const bool lighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    const bool normalize = glIsEnabled(GL_NORMALIZE) == GL_TRUE;
    if (lighting) {
        glDisable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
    }
    CDsDriverGl::StDrawPoints(count, points, GL_LINE_STRIP);
    if (lighting) glEnable(GL_LIGHTING);
    if (normalize) glEnable(GL_NORMALIZE);
}

void CDsItemEllipseDynamic::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpLines)) return;
    const SPAposition* points = nullptr;
    const int count = Tessellate(&view, points);
    if (count <= 0) return;
    if (applyAttributes) SetAttributesToView(&view);
    CDsDriverGl::StDrawPoints(count, points, GL_LINE_STRIP);
}

int CDsItemEllipseDynamic::DrawGdi(view3d& view)
{
    const SPAposition* points = nullptr;
    const int count = Tessellate(&view, points);
    return count > 0 ? view.draw_polyline_3d_positions(count, points, 0) : 0;
}

void CDsItemEllipseDynamic::Plot(view3d& view)
{
    if (!HasCurve() || IsHidden()) return;
    SetAttributesToView(&view);
    DrawGdi(view);
}

EDsItemsType CDsItemEllipseDynamic::GetItemType()
{
    return eDsItemEllipseDynamic;
}

int CDsItemEllipseDynamic::GetDrawPrimitives()
{
    return CDsGeometry::eDpOnTop | CDsGeometry::eDpLines;
}

bool CDsItemEllipseDynamic::IsAutoHideRequired(float)
{
    return false;
}

// --- Geometry -----------------------------------------------------------------------------------

float* CDsItemEllipseDynamic::GetPoints(int& count, view3d* view)
{
    const SPAposition* points = nullptr;
    const int n = Tessellate(view, points);
    if (n <= 0) return nullptr;
    auto* out = new float[static_cast<size_t>(n) * 3];
    for (int i = 0; i < n; ++i) {
        out[3 * i] = static_cast<float>(points[i].x());
        out[3 * i + 1] = static_cast<float>(points[i].y());
        out[3 * i + 2] = static_cast<float>(points[i].z());
    }
    count = n;
    return out;
}

void CDsItemEllipseDynamic::Transform(const SPAtransf& transform)
{
    if (!m_storage) return;
    const int before = m_storage->GetPointsCount();
    m_storage->Transform(transform);  // the points go, computed anew at the next draw
    if (m_storage->GetPointsCount() != before) StNoteVertexCountChange();
}

void CDsItemEllipseDynamic::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    const SPAposition* points = nullptr;
    const int count = Tessellate(CDsView3dCdc::StGetCurrent(), points);
    for (int i = 0; i < count; ++i)
        box.Expand(static_cast<float>(points[i].x()), static_cast<float>(points[i].y()),
                   static_cast<float>(points[i].z()), transform);
}

bool CDsItemEllipseDynamic::GetBoundBox(SPAbox& box)
{
    CDsBox own;
    ExpandBox(own, nullptr);
    if (own.IsNotComputed()) {
        box = SPAbox();
        return true;
    }
    const float* low = own.GetMin();
    const float* high = own.GetMax();
    box = SPAbox(SPAposition(low[0], low[1], low[2]), SPAposition(high[0], high[1], high[2]));
    return true;
}

int CDsItemEllipseDynamic::GetVerticesCount(CDsGeometry::eDrawPrimitives kinds)
{
    if (!(kinds & CDsGeometry::eDpLines) || !m_storage) return 0;
    return m_storage->GetPointsCount();
}

int CDsItemEllipseDynamic::GetVertices(CDsGeometry::eDrawPrimitives kinds, int, float*& vertices, int& count)
{
    if (!(kinds & CDsGeometry::eDpLines) || !m_storage) return -1;
    const SPAposition* points = nullptr;
    const int n = m_storage->GetPoints(points);
    count = points ? n : 0;
    float* buffer = StGetVerticesBuffer(count);
    for (int i = 0; i < count; ++i) {
        buffer[3 * i] = static_cast<float>(points[i].x());
        buffer[3 * i + 1] = static_cast<float>(points[i].y());
        buffer[3 * i + 2] = static_cast<float>(points[i].z());
    }
    vertices = buffer;
    return -1;
}

bool CDsItemEllipseDynamic::GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position)
{
    if (!HasCurve()) return false;
    switch (which) {
        case CDsGeometry::ePpStart: position = m_storage->GetStartPoint(); return true;
        case CDsGeometry::ePpEnd: position = m_storage->GetEndPoint(); return true;
        case CDsGeometry::ePpMiddle: position = m_storage->GetMiddlePoint(); return true;
        case CDsGeometry::ePpCenter: position = m_storage->GetEllipse()->centre; return true;
        default: return false;
    }
}

long CDsItemEllipseDynamic::DrawPoints(view3d& view, long mask)
{
    long drawn = 0;
    for (long bit : {1L, 2L, 4L, 8L}) {
        if (!(mask & bit)) continue;
        SPAposition position;
        if (GetPoint(static_cast<CDsGeometry::eParameterPoints>(bit), position) && view.draw_point_3d(position))
            drawn |= bit;
    }
    return drawn;
}

// --- Picking ------------------------------------------------------------------------------------

bool CDsItemEllipseDynamic::Pick(view3d* view)
{
    if (!view) return false;
    if (DrawGdi(*view) != 0) return true;
    return view->get_pick_mode() != 0 && DrawPoints(*view, CDsGeometry::ePpCenter) != 0;
}

bool CDsItemEllipseDynamic::Pick(pick_manager* manager)
{
    if (IsHidden() && GetBaseFlag(eDsBaseItemNoPickWhenHidden)) return false;
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view || DrawGdi(*view) == 0) return false;
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    CDsGlContext* context = core ? core->GetGlContext() : nullptr;
    if (context) context->GetPickProccessor()->GetPickInfoStorage().SetPickedItem(this);
    const bool levels = context && context->GetPickProccessorFlag(eDsPickStateRecordLevels);
    if (levels) manager->push_level(this, GetEntity());
    manager->save_current_if_ok();
    if (levels) manager->pop_level();
    return true;
}

CDsRefPoint* CDsItemEllipseDynamic::PickRefPoint(CUiPickEvent& event)
{
    if (IsHidden() || !Pick(event.view())) return nullptr;
    if (!m_refPoint && GetEntity()) m_refPoint = new CDsRefPoint(GetEntity());
    if (m_refPoint && m_refPoint->PickRefPointByEntity(event)) return new CDsRefPoint(*m_refPoint);
    return nullptr;
}

// === CDsItemHlSegmentEllipseDynamic =============================================================

CDsItemHlSegmentEllipseDynamic::CDsItemHlSegmentEllipseDynamic(CDsEllipseStorage* storage)
    : CDsItemEllipseDynamic(storage)
{
}

EDsItemsType CDsItemHlSegmentEllipseDynamic::GetItemType()
{
    return eDsItemHlSegmentEllipseDynamic;
}

void CDsItemHlSegmentEllipseDynamic::Transform(const SPAtransf& transform)
{
    CDsItemEllipseDynamic::Transform(transform);
    m_box.ResetMembers();
    CDsItemEllipseDynamic::ExpandBox(m_box, nullptr);
}

bool CDsItemHlSegmentEllipseDynamic::Pick(view3d* view)
{
    return CDsItemEllipseDynamic::Pick(view);
}

bool CDsItemHlSegmentEllipseDynamic::Pick(pick_manager* manager)
{
    if (IsHidden() && GetBaseFlag(eDsBaseItemNoPickWhenHidden)) return false;
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view || !CheckExtremesOverlap(view)) return false;
    return CDsItemEllipseDynamic::Pick(manager);
}

void CDsItemHlSegmentEllipseDynamic::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (m_box.IsNotComputed()) CDsItemEllipseDynamic::ExpandBox(m_box, nullptr);
    if (!m_box.IsNotComputed()) box.ExpandBox(m_box, transform);
}

void CDsItemHlSegmentEllipseDynamic::ComputeBounds2D(view3d* view)
{
    if (m_box.IsNotComputed()) CDsItemEllipseDynamic::ExpandBox(m_box, nullptr);
    m_box.ComputeBounds2D(view, true);
}

bool CDsItemHlSegmentEllipseDynamic::IsAutoHideRequired(float size)
{
    return CDsItemBase::IsAutoHideRequired(size);
}

bool CDsItemHlSegmentEllipseDynamic::CheckExtremesOverlap(view3d* view)
{
    if (!view) return false;
    if (m_box.IsNotComputed()) CDsItemEllipseDynamic::ExpandBox(m_box, nullptr);
    return m_box.CheckExtremesOverlap(view, true);
}

CDsRefPoint* CDsItemHlSegmentEllipseDynamic::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    return CDsItemsHlView::StPickSegmentPoint(*this, event, types);
}
