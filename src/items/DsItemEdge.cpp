// CDsItemEdge: drawing, picking, points and the body services of an edge item.
#include "DsItemEdge.h"

#include "DsBox.h"
#include "DsDriverGl.h"
#include "DsDriverExtrema.h"
#include "DsEllipseStorage.h"
#include "DsGlContext.h"
#include "DsHideLevel.h"
#include "DsItemsGroup.h"
#include "DsMatrix.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsStatisticsItems.h"
#include "DsView3dCdc.h"
#include "VyrMeshInterface.h"
#include "VyrPolylineEntry.h"

#include "GmTransformation.h"
#include "SpaEntity.h"
#include "SpaTopology.h"
#include "UiPickEvent.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

// The placement of a face item into `matrix`; false when it has none (or is no group).
bool FacePlacement(CDsItemBase* face, CDsMatrix& matrix)
{
    auto* group = dynamic_cast<CDsItemsGroup*>(face);
    if (!group || !group->HasTransformation()) return false;
    group->GetTransformation(matrix);
    return !matrix.IsIdentity();
}

// The transformation bracket of a face: the OpenGL matrix stack, or the view while plotting.
class CFaceBracket {
public:
    CFaceBracket(view3d& view, CDsItemBase* face) : m_view(view)
    {
        if (!FacePlacement(face, m_matrix)) return;
        m_pushed = true;
        if (CDsView3dCdc::StCheckIfPlotIsActive())
            m_matrix.SetToView(view);
        else
            m_matrix.GlMultiply();
    }
    ~CFaceBracket()
    {
        if (!m_pushed) return;
        if (CDsView3dCdc::StCheckIfPlotIsActive()) {
            m_matrix.ResetView(m_view);
        } else {
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();
        }
    }
    CFaceBracket(const CFaceBracket&) = delete;
    CFaceBracket& operator=(const CFaceBracket&) = delete;

private:
    view3d& m_view;
    CDsMatrix m_matrix;
    bool m_pushed = false;
};

// The highlight pen width forced for one scope, restored afterwards.
class CHighlightWidth {
public:
    CHighlightWidth() : m_saved(CDsLineAttribStorage::StGetHighlightPenWidthInShade())
    {
        CDsLineAttribStorage::StSetHighlightPenWidthInShade(2);
    }
    ~CHighlightWidth() { CDsLineAttribStorage::StSetHighlightPenWidthInShade(m_saved); }
    CHighlightWidth(const CHighlightWidth&) = delete;
    CHighlightWidth& operator=(const CHighlightWidth&) = delete;

private:
    int m_saved;
};

// Whether the hide level of an item's attributes hides it.
bool HideLevelHides(CDsItemBase* item)
{
    return item->GetAttributes()->IsHidden();
}

// The faces of an entity (none for null).
ENTITY_LIST FacesOf(ENTITY* entity)
{
    ENTITY_LIST faces;
    if (entity) get_faces(entity, faces);
    return faces;
}

}  // namespace

// --- Construction and entity --------------------------------------------------------------------

CDsItemEdge::CDsItemEdge() = default;

CDsItemEdge::~CDsItemEdge()
{
    delete m_faces;
    DeleteRefPoint();
}

EDsItemsType CDsItemEdge::GetItemType()
{
    return eDsItemEdge;
}

void CDsItemEdge::SetEntity(ENTITY* entity)
{
    m_edgeFlags &= static_cast<uint8_t>(~eEdgeFree);
    CDsItemBase::SetEntity(entity);
    DeleteRefPoint();
    if (!is_EDGE(entity)) return;
    MakeRefPoint(entity);
    if (is_elliptical_edge(entity))
        m_edgeFlags |= eEdgeElliptical;
    else
        m_edgeFlags &= static_cast<uint8_t>(~eEdgeElliptical);
    if (TestFreeEdge()) m_edgeFlags |= eEdgeFree;
}

bool CDsItemEdge::AttachEntity(ENTITY* entity, int componentId, int pid)
{
    const bool attached = CDsItemBase::AttachEntity(entity, componentId, pid);
    if (attached) MakeRefPoint(entity);
    return attached;
}

void CDsItemEdge::DetachEntity(int componentId)
{
    DeleteRefPoint();
    CDsItemBase::DetachEntity(componentId);
}

void CDsItemEdge::MakeRefPoint(ENTITY* entity)
{
    DeleteRefPoint();
    if (!entity) return;
    m_refPoint = is_EDGE(entity) ? new CDsRefPoint(static_cast<EDGE*>(entity)) : new CDsRefPoint(entity);
    m_refPoint->SetItemEdge(this);
}

void CDsItemEdge::DeleteRefPoint()
{
    delete m_refPoint;
    m_refPoint = nullptr;
}

bool CDsItemEdge::TestFreeEdge() const
{
    ENTITY* entity = GetEntity();
    if (!is_EDGE(entity)) return false;
    const COEDGE* coedge = static_cast<EDGE*>(entity)->coedge();
    if (coedge && coedge->partner()) return false;
    CDsItemsGroup* owner = GetParent();
    return owner && owner->FacesCount() != 0;
}

void CDsItemEdge::ClearReferences()
{
    m_entry = CDmRefCountPtrTempl<CVyrPolylineEntry>();
    m_edgeFlags = 0;
    ResetAdjacentFaceItems();
}

void CDsItemEdge::ReconnectPolyline(CVyrMeshInterface* meshes)
{
    m_entry = CDmRefCountPtrTempl<CVyrPolylineEntry>();
    if (meshes && GetEntity()) m_entry = meshes->GetPolylineEntry(GetEntity());
}

// --- Attributes and states ----------------------------------------------------------------------

void CDsItemEdge::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    CDsItemsGroup* owner = GetParent();
    if (owner && owner->FacesCount() == 0) CDsItemBase::SetAttribute(attribute, on, recurse);
}

void CDsItemEdge::SetAttributes(const CDsLineAttribStorage& attributes, bool recurse)
{
    CDsItemsGroup* owner = GetParent();
    if (!owner || owner->FacesCount() == 0) {
        CDsItemBase::SetAttributes(attributes, recurse);
        return;
    }
    CDsLineAttribStorage kept(attributes);
    kept.SetAttribute(GetAttributes()->GetHideLevel(), true);
    CDsItemBase::SetAttributes(kept, recurse);
}

void CDsItemEdge::UpdateWidth(int delta)
{
    if (TestFreeEdge()) m_edgeFlags |= eEdgeFree;
    if (IsFreeEdge())
        SetWidth(GetAttributes()->GetWidth() + delta, true);
    else
        SetWidth(CDsLineAttribStorage().GetWidth(), true);
}

void CDsItemEdge::UpdateRenderModeFromFaces()
{
    CDsGlContext* context = GetGlContext();
    if (!context) return;
    SetRenderMode(eRenderWireframe);
    const ENTITY_LIST faces = FacesOf(GetEntity());
    for (int i = 0; i < faces.count(); ++i) {
        SetRenderMode(eRenderShade);
        CDsItemBase* item = context->FindDsItem(faces[i]);
        if (item && item->GetRenderMode() == eRenderWireframe) {
            SetRenderMode(eRenderWireframe);
            return;
        }
    }
}

void CDsItemEdge::UpdateHideLevelFromFaces()
{
    CDsHideLevel level(eDsHideLevelBlank);
    ENTITY* entity = GetEntity();
    if (!entity) return;
    CDsItemsGroup* owner = GetParent();
    const ENTITY_LIST faces = FacesOf(entity);
    if (faces.count() > 0) {
        if (CDsGlContext* context = GetGlContext()) {
            for (int i = 0; i < faces.count(); ++i) {
                CDsItemBase* item = context->FindDsItem(faces[i]);
                if (item && !item->IsHidden()) level.SetData(eDsHideLevelShown, true);
            }
        }
    } else if (!IsHidden() && owner) {
        owner->GetAttribute(level);
    }
    if (level.GetType() != eDsAttributeHideLevel) return;
    GetAttributes()->SetAttribute(level, true);
    if (owner && owner->FacesCount() == 0 && !level.IsHidden()) owner->SetAttribute(level, true, false);
}

void CDsItemEdge::FindAdjacentFaceItems()
{
    delete m_faces;
    m_faces = new SFaceItems;
    CDsItemsGroup* owner = GetParent();
    if (!owner) return;
    const ENTITY_LIST faces = FacesOf(GetEntity());
    if (faces.count() > 0) m_faces->first = owner->FindDsItem(faces[0]);
    if (faces.count() > 1) m_faces->second = owner->FindDsItem(faces[1]);
}

void CDsItemEdge::SetAdjacentFaceItem(CDsItemBase* faceItem, FACE* face)
{
    if (m_faces) return;
    m_faces = new SFaceItems;
    m_faces->first = faceItem;
    CDsItemsGroup* owner = GetParent();
    if (!owner) return;
    const ENTITY_LIST faces = FacesOf(GetEntity());
    for (int i = 0; i < faces.count(); ++i) {
        if (faces[i] == face) continue;
        if (CDsItemBase* item = owner->FindDsItem(faces[i])) {
            m_faces->second = item;
            return;
        }
    }
}

void CDsItemEdge::ResetAdjacentFaceItems()
{
    delete m_faces;
    m_faces = nullptr;
}

CDsItemBase* CDsItemEdge::GetAdjacentFaceItem(int index) const
{
    if (!m_faces) return nullptr;
    if (index == 0) return m_faces->first;
    if (index == 1) return m_faces->second;
    return nullptr;
}

// --- Geometry queries ---------------------------------------------------------------------------

void CDsItemEdge::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (m_entry) m_entry->ExpandBox(box, transform, false);
}

float* CDsItemEdge::GetPoints(int& count, view3d* view)
{
    count = 0;
    if (!m_entry) return nullptr;
    if (CDsEllipseStorage* ellipse = m_entry->GetEllipse()) {
        const SPAposition* points = nullptr;
        const int n = ellipse->ApproximateEllipse(view, points);
        if (n < 1 || !points) return nullptr;
        float* out = new float[static_cast<size_t>(n) * 3];
        for (int i = 0; i < n; ++i) {
            out[3 * i] = static_cast<float>(points[i].x());
            out[3 * i + 1] = static_cast<float>(points[i].y());
            out[3 * i + 2] = static_cast<float>(points[i].z());
        }
        count = n;
        return out;
    }
    const float* points = nullptr;
    const int n = m_entry->GetPoints(points);
    if (n < 1 || !points) return nullptr;
    float* out = new float[static_cast<size_t>(n) * 3];
    std::copy(points, points + static_cast<size_t>(n) * 3, out);
    count = n;
    return out;
}

CGmPosition* CDsItemEdge::GetTransformedPolyline(int& count, view3d* view)
{
    int n = 0;
    float* points = GetPoints(n, view);
    count = 0;
    if (!points) return nullptr;
    CGmPosition* out = new CGmPosition[static_cast<size_t>(n)];
    for (int i = 0; i < n; ++i) {
        SPAposition point(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
        ToOwner(point);
        out[i] = point;
    }
    delete[] points;
    count = n;
    return out;
}

void CDsItemEdge::ToOwner(SPAposition& point) const
{
    if (CDsItemsGroup* owner = GetParent()) point *= owner->GetTransformation();
}

bool CDsItemEdge::GetStartPoint(SPAposition& point)
{
    point = SPAposition();
    if (!m_entry) return false;
    const CDsEllipseStorage* ellipse = m_entry->GetEllipse();
    point = ellipse ? ellipse->GetStartPoint() : m_entry->GetStartPoint();
    ToOwner(point);
    return true;
}

bool CDsItemEdge::GetEndPoint(SPAposition& point)
{
    point = SPAposition();
    if (!m_entry) return false;
    const CDsEllipseStorage* ellipse = m_entry->GetEllipse();
    point = ellipse ? ellipse->GetEndPoint() : m_entry->GetEndPoint();
    ToOwner(point);
    return true;
}

bool CDsItemEdge::GetMidPoint(SPAposition& point)
{
    point = SPAposition();
    if (!m_entry) return false;
    point = m_entry->GetMiddlePoint();
    ToOwner(point);
    return true;
}

bool CDsItemEdge::GetCenterPoint(SPAposition& point)
{
    point = SPAposition();
    if (!m_entry || !m_entry->GetCenterPoint(point)) return false;
    ToOwner(point);
    return true;
}

// --- Drawing ------------------------------------------------------------------------------------

void CDsItemEdge::DrawGl(view3d& view)
{
    if (!m_entry) return;
    if (CDsEllipseStorage* ellipse = m_entry->GetEllipse()) {
        const SPAposition* points = nullptr;
        const int count = ellipse->ApproximateEllipse(&view, points);
        CDsDriverGl::StDrawPoints(points ? count : 0, points, GL_LINE_STRIP);
        return;
    }
    const float* points = nullptr;
    const int count = m_entry->GetPoints(points);
    // A pick's selection or feedback takes the kept points from a client array (see CDsDriverGl).
    if (CDsDriverGl::StSelectsOrFeedsBack()) {
        CDsDriverGl::StDrawClientArray(GL_LINE_STRIP, 3, GL_FLOAT, points, count);
        return;
    }
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < count && points; ++i) glVertex3f(points[3 * i], points[3 * i + 1], points[3 * i + 2]);
    glEnd();
}

int CDsItemEdge::DrawByView(view3d& view)
{
    if (!m_entry) return 0;
    if (CDsEllipseStorage* ellipse = m_entry->GetEllipse()) {
        const SPAposition* points = nullptr;
        const int count = ellipse->ApproximateEllipse(&view, points);
        return view.draw_polyline_3d_positions(count, points, 0);
    }
    const float* points = nullptr;
    const int count = m_entry->GetPoints(points);
    return view.draw_polyline_3d(count, points, 0);
}

int CDsItemEdge::DrawGdi(view3d&)
{
    return 0;
}

void CDsItemEdge::DrawGlOrByView(view3d& view)
{
    if (CDsView3dCdc::StCheckIfPlotIsActive())
        DrawByView(view);
    else
        DrawGl(view);
}

void CDsItemEdge::SetOwnAttributes(view3d& view)
{
    CHighlightWidth width;
    SetAttributesToView(&view);
}

bool CDsItemEdge::IsSkippedInPass(view3d& view, int pass)
{
    // The mixed view's own passes draw these edges on the screen; a plot has no other road for
    // them, and draws them as the shaded view's plot does.
    if (view.GetRenderMode() == eRenderMixed && !CDsView3dCdc::StCheckIfPlotIsActive() &&
        (GetAttributes()->GetFlags() & CDsLineAttribStorage::eFlagShaded)) {
        CDsItemsGroup* owner = GetParent();
        if (owner && owner->FacesCount() != 0) return true;
    }
    return pass != 0;
}

void CDsItemEdge::DrawInBody(view3d& view, int pass)
{
    if (IsSkippedInPass(view, pass)) return;
    if (m_faces) {
        if (m_faces->first) DrawThroughFace(view, m_faces->first, true);
        if (m_faces->second) DrawThroughFace(view, m_faces->second, true);
        return;
    }
    if (!CDsLineAttribStorage::StGetForceVisibilityMode()) SetOwnAttributes(view);
    if (!IsHidden()) DrawGlOrByView(view);
}

void CDsItemEdge::DrawThroughFace(view3d& view, CDsItemBase* face, bool setAttributes)
{
    CFaceBracket bracket(view, face);
    if (HideLevelHides(face)) return;
    if (setAttributes) face->SetAttributesToView(&view);
    DrawGlOrByView(view);
}

void CDsItemEdge::DrawHighlighted(view3d* view)
{
    if (!view) return;
    if (m_faces) {
        for (CDsItemBase* face : {m_faces->first, m_faces->second}) {
            if (!face || !(face->GetHighlightState() || face->GetMarkState())) continue;
            CFaceBracket bracket(*view, face);
            if (HideLevelHides(face)) continue;
            {
                CHighlightWidth width;
                face->SetAttributesToView(view);
            }
            DrawGl(*view);
        }
        return;
    }
    if ((GetHighlightState() || GetMarkState()) && !IsHidden()) {
        SetOwnAttributes(*view);
        DrawGl(*view);
    }
}

void CDsItemEdge::DrawOnTop(view3d* view)
{
    if (!view) return;
    const uint32_t flags = GetAttributes()->GetFlags();
    if (view->GetRenderMode() == eRenderMixed && (flags & CDsLineAttribStorage::eFlagShaded) &&
        !(flags & (CDsLineAttribStorage::eFlagMark | CDsLineAttribStorage::eFlagOnTop)))
        return;
    if (m_faces || !(flags & CDsLineAttribStorage::eFlagOnTop) || IsHidden()) return;
    SetOwnAttributes(*view);
    DrawGl(*view);
}

void CDsItemEdge::DrawToFrontBuffer(view3d& view)
{
    if (!GetHighlightState()) return;
    if (m_faces) {
        CHighlightWidth width;
        CDsItemBase* first = m_faces->first;
        const bool firstHighlighted = first && first->GetHighlightState();
        if (first && !firstHighlighted) DrawThroughFaceToFront(view, first);
        if (m_faces->second) DrawThroughFaceToFront(view, m_faces->second);
        if (firstHighlighted) DrawThroughFaceToFront(view, first);
        return;
    }
    if (!CDsLineAttribStorage::StGetForceVisibilityMode()) SetOwnAttributes(view);
    if (!IsHidden()) DrawGlOrByView(view);
}

void CDsItemEdge::DrawThroughFaceToFront(view3d& view, CDsItemBase* face)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(&view);
    if (core && core->GetRenderMode() == eRenderShade && !face->GetHighlightState() && !face->GetMarkState())
        return;
    CFaceBracket bracket(view, face);
    if (HideLevelHides(face)) return;
    face->SetAttributesToView(&view);
    DrawGl(view);
}

void CDsItemEdge::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (entity && GetEntity() != entity) return;
    PickInView(&extrema, nullptr, nullptr);
}

// --- Picking ------------------------------------------------------------------------------------

int CDsItemEdge::PickInView(view3d* view, ENTITY_LIST* faces, CDsItemBase* faceItem)
{
    if (!view) return 0;
    if (m_faces) {
        if (faceItem) return PickThroughFace(faceItem, *view, nullptr);
        int hits = 0;
        if (m_faces->first) hits += PickThroughFace(m_faces->first, *view, faces);
        if (m_faces->second) hits += PickThroughFace(m_faces->second, *view, faces);
        return hits;
    }
    if (!m_entry || IsHidden()) return 0;
    const int hit = DrawByView(*view);
    if (!hit) return hit;
    if (auto* core = dynamic_cast<CDsView3dCdc*>(view)) {
        CDsGlContext* context = core->GetGlContext();
        if (context && context->GetPickProccessor())
            context->GetPickProccessor()->GetPickInfoStorage().SetPickedItem(this);
    }
    if (faces && GetEntity() && !m_entry->GetEllipse()) get_faces(GetEntity(), *faces);
    return hit;
}

int CDsItemEdge::PickThroughFace(CDsItemBase* face, view3d& view, ENTITY_LIST* faces)
{
    if (!m_entry || HideLevelHides(face)) return 0;
    CDsMatrix matrix;
    const bool placed = FacePlacement(face, matrix);
    if (placed) matrix.SetToView(view);
    const int hit = DrawByView(view);
    if (placed) view.ClearModelTransform();
    if (hit && faces) faces->add(face->GetEntity(), 1);
    return hit;
}

int CDsItemEdge::PickWithTransform(CUiPickEvent& event, CGmTransformation* transform, int* applied)
{
    if (IsHidden()) return 0;
    view3d* view = event.view();
    if (applied && *applied == 0 && transform && !transform->IsIdentity() && view) {
        view->SetModelTransform(*transform);
        *applied = 1;
    }
    if (PickInView(view, nullptr, nullptr)) return 1;
    return (m_edgeFlags & eEdgeElliptical) ? 2 : 0;
}

CDsRefPoint* CDsItemEdge::PickEdgeRefPoint(CUiPickEvent& event, int, CDsTypeMask& mask,
                                           const std::function<bool(const CGmPosition&)>* accept)
{
    if (IsHidden() || !m_refPoint) return nullptr;
    if (!m_refPoint->PickRefPoint(event, mask, accept)) return nullptr;
    return new CDsRefPoint(*m_refPoint);
}

// --- Statistics ---------------------------------------------------------------------------------

void CDsItemEdge::CountStatistics(CDsStatisticsItems* statistics)
{
    if (!statistics || IsHidden()) return;
    CDsItemBase::CountStatistics(statistics);
    if (!m_entry) return;
    const float* points = nullptr;
    const CDsEllipseStorage* ellipse = m_entry->GetEllipse();
    const int n = ellipse ? ellipse->GetPointsCount() : m_entry->GetPoints(points);
    statistics->IncrementStatistics(eDsPrimitivePolylinePoints, n);
    statistics->IncrementStatistics(eDsPrimitivePolylineSegments, std::max(n - 1, 0));
    statistics->IncrementStatistics(eDsPrimitivePolylines, 1);
}
