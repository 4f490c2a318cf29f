// CDsItemPolyline3D and CDsItemHlSegmentPolyline3D: drawing, printing, bounds, picks and the
// multi-polyline batch.
#include "DsItemPolyline3D.h"

#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsItemsHlView.h"
#include "DsPickProccessor.h"
#include "DsPolyline.h"
#include "DsRefPoint.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "UiPickEvent.h"

#include "SpaValues.h"
#include "pick_event.h"
#include "pick_manager.h"
#include "rgb_color.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

CDsViewExtrema* CDsItemPolyline3D::sViewExtrema = nullptr;

namespace {

// The open batch: its state (1 open, 0 closed), its buffer and view, what it changed with the
// state it found, and the redirection into a box.
int sBatchState = 0;
bool sBatchFrontBuffer = false;
bool sBatchDepthChanged = false;
bool sBatchSavedDepth = false;
bool sBatchSavedLighting = false;
bool sBatchSavedNormalize = false;
view3d* sBatchView = nullptr;
CDsBox* sComputeBox = nullptr;
SPAtransf* sComputeBoxTransform = nullptr;
bool sComputeBoxFlag = false;

float* CopyPoints(const float* points, int count)
{
    if (!points || count <= 0) return nullptr;
    auto* copy = new float[static_cast<size_t>(count) * 3];
    std::memcpy(copy, points, sizeof(float) * 3 * static_cast<size_t>(count));
    return copy;
}

}  // namespace

// === Construction ===============================================================================

CDsItemPolyline3D::CDsItemPolyline3D()
{
    ResetMembers();
    ComputeDiagonal();
}

CDsItemPolyline3D::CDsItemPolyline3D(const CDsItemPolyline3D& other) : CDsItem()
{
    ResetMembers();
    m_count = other.m_count;
    m_points = CopyPoints(other.m_points, other.m_count);
    if (!m_points) m_count = 0;
    if (other.IsClosed()) m_flags |= kClosed;
    ComputeDiagonal();
}

CDsItemPolyline3D::CDsItemPolyline3D(int count, const SPAposition* points, bool closed,
                                     CDsLineAttribStorage* attributes)
{
    ResetMembers();
    if (points && count > 0) {
        m_count = count;
        m_points = new float[static_cast<size_t>(count) * 3];
        for (int i = 0; i < count; ++i) {
            m_points[3 * i] = static_cast<float>(points[i].x());
            m_points[3 * i + 1] = static_cast<float>(points[i].y());
            m_points[3 * i + 2] = static_cast<float>(points[i].z());
        }
    }
    if (attributes) GetAttributes()->CopyObject(*attributes);
    if (closed) m_flags |= kClosed;
    ComputeDiagonal();
}

CDsItemPolyline3D::CDsItemPolyline3D(int count, float* points, bool closed, CDsLineAttribStorage* attributes)
{
    ResetMembers();
    if (points && count > 0) {
        m_count = count;
        m_points = points;
    }
    m_flags |= kBorrowed;
    if (attributes) GetAttributes()->CopyObject(*attributes);
    if (closed) m_flags |= kClosed;
    ComputeDiagonal();
}

CDsItemPolyline3D::CDsItemPolyline3D(ENTITY*, const CDsPolyline* polyline)
{
    ResetMembers();
    if (polyline && polyline->Count() > 0) {
        m_count = polyline->Count();
        m_points = new float[static_cast<size_t>(m_count) * 3];
        for (int i = 0; i < m_count; ++i) {
            const SPAposition& p = polyline->Get(i);
            m_points[3 * i] = static_cast<float>(p.x());
            m_points[3 * i + 1] = static_cast<float>(p.y());
            m_points[3 * i + 2] = static_cast<float>(p.z());
        }
    }
    ComputeDiagonal();
}

CDsItemPolyline3D::~CDsItemPolyline3D()
{
    if (!(m_flags & kBorrowed)) delete[] m_points;
    delete m_refPoint;
}

void CDsItemPolyline3D::ResetMembers()
{
    m_flags &= ~(kBorrowed | kClosed);
    m_count = 0;
    m_points = nullptr;
    m_refPoint = nullptr;
    m_diagonal = 0.0f;
}

void CDsItemPolyline3D::ComputeDiagonal()
{
    CDsBox box;
    for (int i = 0; i < m_count; ++i) box.Expand(m_points + 3 * i);
    m_diagonal = m_count > 0 ? box.GetDiagonalSize() : 0.0f;
}

// --- Own operations -----------------------------------------------------------------------------

void CDsItemPolyline3D::SetPoints(int count, float* points)
{
    if (!(m_flags & kBorrowed)) delete[] m_points;
    m_points = count > 0 ? points : nullptr;
    m_count = m_points ? count : 0;
    m_flags |= kBorrowed;
    StNoteVertexCountChange();
    ComputeDiagonal();
}

int CDsItemPolyline3D::GetPoints(float* out, int max) const
{
    const int n = std::min(std::max(max, 0), m_count);
    if (out && n > 0) std::memcpy(out, m_points, sizeof(float) * 3 * static_cast<size_t>(n));
    return out ? n : 0;
}

void CDsItemPolyline3D::TracePolyline(CVyrString&) const {}

// --- Drawing ------------------------------------------------------------------------------------

void CDsItemPolyline3D::DrawStrip() const
{
    if (m_count > 0) CDsDriverGl::StDrawPoints(m_count, m_points, GL_LINE_STRIP);
}

void CDsItemPolyline3D::DrawGl(view3d& view)
{
    if (IsAutoHideRequired(m_diagonal)) return;
    if (sBatchState == 1) {
        DrawPoly(view);
        return;
    }
    const bool lighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    if (lighting) {
        glDisable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
    }
    DrawStrip();
    if (lighting) {
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
    }
}

int CDsItemPolyline3D::DrawPoly(view3d& view)
{
    if (sBatchState != 1) return DrawGdi(view);
    if (CDsView3dCdc::StCheckIfPlotIsActive()) {
        Plot(view);
        return 0;
    }
    if (sComputeBox) {
        ExpandBox(*sComputeBox, sComputeBoxTransform);
        return 0;
    }
    if (view.GetFlag(eDsViewFlagReportExtents) && sViewExtrema) {
        DrawExtremes(*sViewExtrema, nullptr);
        return 0;
    }
    if (m_count > 0) {
        CDsDriverGl::StBeginVertices(GL_LINE_STRIP);
        for (int i = 0; i < m_count; ++i) CDsDriverGl::StVertex(m_points + 3 * i);
        CDsDriverGl::StEndVertices();
    }
    return 0;
}

int CDsItemPolyline3D::DrawGdi(view3d& view)
{
    if (IsHidden() || m_count <= 0) return 0;
    return view.draw_polyline_3d(m_count, m_points, IsClosed() ? 1 : 0);
}

void CDsItemPolyline3D::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (entity && entity != GetEntity()) return;
    DrawGdi(extrema);
}

void CDsItemPolyline3D::Plot(view3d& view)
{
    SetAttributesToView(&view);
    DrawGdi(view);
}

void CDsItemPolyline3D::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpLines)) return;
    if (applyAttributes) SetAttributesToView(&view);
    DrawStrip();
}

bool CDsItemPolyline3D::IsAutoHideRequired(float)
{
    return false;
}

EDsItemsType CDsItemPolyline3D::GetItemType()
{
    return eDsItemPolyline3D;
}

int CDsItemPolyline3D::GetDrawPrimitives()
{
    return CDsGeometry::eDpOnTop | CDsGeometry::eDpLines;
}

// --- Geometry -----------------------------------------------------------------------------------

float* CDsItemPolyline3D::GetPoints(int& count, view3d*)
{
    if (m_count <= 0) return nullptr;
    count = m_count;
    return CopyPoints(m_points, m_count);
}

CGmPosition* CDsItemPolyline3D::GetTransformedPolyline(int& count, view3d* view)
{
    float* points = GetPoints(count, view);
    if (!points) return nullptr;
    auto* positions = new CGmPosition[static_cast<size_t>(count)];
    for (int i = 0; i < count; ++i) positions[i] = CGmPosition(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
    delete[] points;
    return positions;
}

void CDsItemPolyline3D::Transform(const SPAtransf& transform)
{
    for (int i = 0; i < m_count; ++i) {
        const SPAposition p = SPAposition(m_points[3 * i], m_points[3 * i + 1], m_points[3 * i + 2]) * transform;
        m_points[3 * i] = static_cast<float>(p.x());
        m_points[3 * i + 1] = static_cast<float>(p.y());
        m_points[3 * i + 2] = static_cast<float>(p.z());
    }
}

void CDsItemPolyline3D::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    for (int i = 0; i < m_count; ++i) box.Expand(m_points + 3 * i, transform);
}

long CDsItemPolyline3D::DrawPoints(view3d& view, long mask)
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

int CDsItemPolyline3D::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return m_count;
}

int CDsItemPolyline3D::GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count)
{
    if ((kinds & CDsGeometry::eDpLines) && index == 0) {
        vertices = m_points;
        count = m_count;
    }
    return -1;
}

bool CDsItemPolyline3D::GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position)
{
    if (m_count <= 0) return false;
    bool produced = false;
    if (which & CDsGeometry::ePpStart) {
        position = SPAposition(m_points[0], m_points[1], m_points[2]);
        produced = true;
    }
    if (which & CDsGeometry::ePpEnd) {
        const float* last = m_points + 3 * (m_count - 1);
        position = SPAposition(last[0], last[1], last[2]);
        produced = true;
    }
    if (which & CDsGeometry::ePpMiddle) {
        position = CDsGeometryComputer::GetInstance()->CalculateCurveMidPoint(m_points, m_count);
        produced = true;
    }
    return produced;
}

bool CDsItemPolyline3D::GetBoundBox(SPAbox& box)
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

// --- Picking ------------------------------------------------------------------------------------

bool CDsItemPolyline3D::Pick(view3d* view)
{
    return view && DrawGdi(*view) != 0;
}

bool CDsItemPolyline3D::Pick(pick_manager* manager)
{
    if (IsHidden() && GetBaseFlag(eDsBaseItemNoPickWhenHidden)) return false;
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view || m_count <= 0) return false;
    if (!view->draw_polyline_3d(m_count, m_points, IsClosed() ? 1 : 0)) return false;
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    CDsGlContext* context = core ? core->GetGlContext() : nullptr;
    if (context) context->GetPickProccessor()->GetPickInfoStorage().SetPickedItem(this);
    const bool levels = context && context->GetPickProccessorFlag(eDsPickStateRecordLevels);
    if (levels) manager->push_level(this, GetEntity());
    manager->save_current_if_ok();
    if (levels) manager->pop_level();
    return true;
}

int CDsItemPolyline3D::PickPoly_0(view3d& view, pick_event& event, int count, const float* points, int& segment,
                                  float& parameter)
{
    if (!points || count <= 0) return 0;
    const int half = (count + 1) / 2;
    if (half != 1) {
        int hit = PickPoly_0(view, event, half, points, segment, parameter);
        if (hit) return hit;
        hit = PickPoly_0(view, event, count - half + 1, points + 3 * (half - 1), segment, parameter);
        if (hit) segment += half - 1;
        return hit;
    }
    const int hit = view.draw_polyline_3d(count, points, 0);
    if (!hit) return 0;
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const float* last = points + 3 * (count - 1);
    int height = -1;
    const bool projected =
        computer->ProjectPositionOnView(CGmPosition(points[0], points[1], points[2]), &view, x0, y0, &height, true) &&
        computer->ProjectPositionOnView(CGmPosition(last[0], last[1], last[2]), &view, x1, y1, &height, true);
    float t = 0.0f;
    if (projected) {
        const float cx = static_cast<float>(event.x()), cy = static_cast<float>(event.y());
        const bool hasX = x1 != x0, hasY = y1 != y0;
        const float tx = hasX ? (cx - x0) / (x1 - x0) : 0.0f;
        const float ty = hasY ? (cy - y0) / (y1 - y0) : 0.0f;
        t = hasX && hasY ? 0.5f * (tx + ty) : hasX ? tx : ty;
    }
    parameter = std::min(1.0f, std::max(0.0f, t));
    segment = 1;
    return hit;
}

int CDsItemPolyline3D::PickPoly(view3d& view, pick_event& event, int& segment, float& parameter)
{
    if (!IsClosed() || m_count < 2) return PickPoly_0(view, event, m_count, m_points, segment, parameter);
    std::vector<float> closed(m_points, m_points + 3 * m_count);
    closed.insert(closed.end(), m_points, m_points + 3);
    return PickPoly_0(view, event, m_count + 1, closed.data(), segment, parameter);
}

EPickPolyRefPointStatus CDsItemPolyline3D::CheckIfPickRefPointRequired(CUiPickEvent& event, const CGmTransformation&,
                                                                       int&)
{
    if (IsHidden()) return ePickPolyRefPointHidden;
    return Pick(event.view()) ? ePickPolyRefPointHit : ePickPolyRefPointMiss;
}

CDsRefPoint* CDsItemPolyline3D::GetRefPoint(CUiPickEvent& event)
{
    if (IsHidden()) return nullptr;
    if (!m_refPoint && GetEntity()) m_refPoint = new CDsRefPoint(GetEntity());
    if (m_refPoint && m_refPoint->PickRefPointByEntity(event)) return new CDsRefPoint(*m_refPoint);
    return nullptr;
}

CDsRefPoint* CDsItemPolyline3D::PickRefPoint(CUiPickEvent& event)
{
    if (IsHidden() || !Pick(event.view())) return nullptr;
    return GetRefPoint(event);
}

// --- Batch and front buffer ---------------------------------------------------------------------

int CDsItemPolyline3D::StBeginMultiPolyline(view3d* view, int frontBuffer)
{
    if (!view) view = CDsView3dCdc::StGetCurrent();
    sBatchState = 1;
    if (dynamic_cast<CDsViewExtrema*>(view) || (view && view->get_pick_mode() == 1)) {
        sBatchState = 0;
        return 1;
    }
    sBatchFrontBuffer = frontBuffer != 0;
    if (sBatchFrontBuffer) StStartFrontBufferDrawing(view);
    sBatchSavedLighting = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    sBatchSavedNormalize = glIsEnabled(GL_NORMALIZE) == GL_TRUE;
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    sBatchSavedDepth = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    sBatchDepthChanged = false;
    sBatchView = view;
    if (!sBatchFrontBuffer && !sBatchSavedDepth) {
        sBatchDepthChanged = true;
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
    } else if (sBatchFrontBuffer && sBatchSavedDepth) {
        sBatchDepthChanged = true;
        glDisable(GL_DEPTH_TEST);
    }
    return 1;
}

void CDsItemPolyline3D::StEndMultiPolyline()
{
    if (sBatchState == 1) {
        glDisableClientState(GL_VERTEX_ARRAY);
        if (sBatchDepthChanged) CDsDriverGl::StSetDepthTestState(sBatchSavedDepth);
        if (sBatchSavedLighting) glEnable(GL_LIGHTING);
        if (sBatchSavedNormalize) glEnable(GL_NORMALIZE);
        if (sBatchFrontBuffer) StEndFrontBufferDrawing(sBatchView);
        sBatchFrontBuffer = false;
    }
    sBatchDepthChanged = false;
    sBatchSavedLighting = sBatchSavedNormalize = false;
    sBatchView = nullptr;
    sBatchState = 0;
}

int CDsItemPolyline3D::StInMultiPolyline()
{
    return sBatchState;
}

void CDsItemPolyline3D::StSetComputeBoxData(CDsBox* box, bool flag, SPAtransf* transform)
{
    sComputeBox = box;
    sComputeBoxFlag = flag;
    sComputeBoxTransform = transform;
}

void CDsItemPolyline3D::StExecuteToFrontBuffer(CDsItemBase* item, view3d* view, const rgb_color& color, int unused,
                                               EGlDrawingPhase phase)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    if (CDsGlContext* context = core ? core->GetGlContext() : nullptr)
        context->ExecuteToFrontBuffer(item, view, color, unused, phase);
}

void CDsItemPolyline3D::StStartFrontBufferDrawing(view3d* view)
{
    StExecuteToFrontBuffer(nullptr, view, rgb_color(), 0, eGlDrawingPhaseStart);
}

void CDsItemPolyline3D::StEndFrontBufferDrawing(view3d* view)
{
    StExecuteToFrontBuffer(nullptr, view, rgb_color(), 0, eGlDrawingPhaseEnd);
}

// === CDsItemHlSegmentPolyline3D =================================================================

EDsItemsType CDsItemHlSegmentPolyline3D::GetItemType()
{
    return eDsItemHlSegmentPolyline3D;
}

void CDsItemHlSegmentPolyline3D::ComputeBox()
{
    m_box.ResetMembers();
    for (int i = 0; i < m_count; ++i) m_box.Expand(m_points + 3 * i);
}

void CDsItemHlSegmentPolyline3D::Transform(const SPAtransf& transform)
{
    CDsItemPolyline3D::Transform(transform);
    ComputeBox();
}

bool CDsItemHlSegmentPolyline3D::Pick(view3d* view)
{
    return view && DrawGdi(*view) != 0;
}

bool CDsItemHlSegmentPolyline3D::Pick(pick_manager* manager)
{
    if (IsHidden() && GetBaseFlag(eDsBaseItemNoPickWhenHidden)) return false;
    if (!manager || !CheckExtremesOverlap(manager->get_view())) return false;
    return CDsItemPolyline3D::Pick(manager);
}

void CDsItemHlSegmentPolyline3D::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (m_box.IsNotComputed()) ComputeBox();
    if (!m_box.IsNotComputed()) box.ExpandBox(m_box, transform);
}

void CDsItemHlSegmentPolyline3D::ComputeBounds2D(view3d* view)
{
    if (m_box.IsNotComputed()) ComputeBox();
    m_box.ComputeBounds2D(view, true);
}

bool CDsItemHlSegmentPolyline3D::IsAutoHideRequired(float size)
{
    return CDsItemBase::IsAutoHideRequired(size);
}

bool CDsItemHlSegmentPolyline3D::CheckExtremesOverlap(view3d* view)
{
    return view && m_box.CheckExtremesOverlap(view, true);
}

CDsRefPoint* CDsItemHlSegmentPolyline3D::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    return CDsItemsHlView::StPickSegmentPoint(*this, event, types);
}
