// CDsItemsBody: building, bookkeeping by persistent id, transformation and box, faceting, drawing
// passes and picks of a body group.
#include "DsItemsBody.h"

#include "DsDriverExtrema.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemEdge.h"
#include "DsItemSilhouette.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsItemsIdBuffer.h"
#include "DsItemsMap.h"
#include "DsManager.h"
#include "DsMatrix.h"
#include "DsPickProccessor.h"
#include "DsPickRay.h"
#include "DsRefPoint.h"
#include "DsQueryIDInt.h"
#include "DsSelectAllData.h"
#include "DsSectionPlane.h"
#include "DsShownFrame.h"
#include "DsSelectionNames.h"
#include "DsSetEntityType.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "VyrMeshInterface.h"

#include "DsHideLevel.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "SpaFilters.h"
#include "SpaTopology.h"
#include "UiPickEvent.h"
#include "VyrAcisExt.h"
#include "pick_manager.h"
#include "pick_ray.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Whether display lists are in use (display-manager flag 4).
bool DisplayListsInUse()
{
    return CDsManager::GetInstance()->GetFlag(4);
}

// The persistent id of `entity` from the active id service.
int QueryPid(ENTITY* entity)
{
    return entity ? CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(entity) : 0;
}

// Whether a hide-level attribute hides.
bool AttributeHides(const CDsAttribute& attribute)
{
    const auto* level = dynamic_cast<const CDsHideLevel*>(&attribute);
    return level ? level->IsHidden() : attribute.GetData() != 0;
}

// The active mesh interface set for a scope and put back afterwards, however the scope ends.
class CActiveMeshesScope {
public:
    CActiveMeshesScope(CVyrMeshInterface* meshes, bool set) : m_saved(CVyrMeshInterface::StGetActiveMeshManager()), m_set(set)
    {
        if (m_set) CVyrMeshInterface::StSetActiveMeshManager(meshes);
    }
    ~CActiveMeshesScope()
    {
        if (m_set) CVyrMeshInterface::StSetActiveMeshManager(m_saved);
    }
    CActiveMeshesScope(const CActiveMeshesScope&) = delete;
    CActiveMeshesScope& operator=(const CActiveMeshesScope&) = delete;

private:
    CVyrMeshInterface* m_saved;
    bool m_set;
};

// A face's placement for the silhouette pass: on the OpenGL stack and to the view while in scope.
class CFacePlacement {
public:
    CFacePlacement(view3d& view, CDsItemsFace& face) : m_view(view)
    {
        face.GetTransformation(m_matrix);
        m_placed = !m_matrix.IsIdentity();
        if (!m_placed) return;
        m_matrix.GlMultiply();
        m_matrix.SetToView(view);
    }
    ~CFacePlacement()
    {
        if (!m_placed) return;
        m_matrix.ResetView(m_view);
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
    CFacePlacement(const CFacePlacement&) = delete;
    CFacePlacement& operator=(const CFacePlacement&) = delete;

private:
    view3d& m_view;
    CDsMatrix m_matrix;
    bool m_placed = false;
};

}  // namespace

// === Construction ================================================================================

CDsItemsBody::CDsItemsBody(ENTITY* body, CDsGlContext* context, CVyrMeshInterface* mesh)
    : CDsItemsGroup(context, nullptr), m_meshes(mesh)
{
    CDsItemBase::SetEntity(body);
    BuildGroups();
    RecomputeBox();
    UpdatePickableAndHatch();
    if (context) {
        for (int i = 0; i < FacesCount(); ++i) {
            if (GetFaceItem(i)->GetTransparency() != 1.0f) {
                context->Set(static_cast<EDsDocumentFlag>(12), true);
                break;
            }
        }
    }
}

CDsItemsBody::~CDsItemsBody()
{
    RemoveEntitiesFromMap();
    delete m_meshes;
    m_meshes = nullptr;
}

void CDsItemsBody::BuildGroups()
{
    ENTITY* entity = GetEntity();
    if (!is_BODY(entity)) return;
    SetComponentId(CDsQueryIDInt::StGetActiveQueryIDInt()->QueryComponentId(entity));
    ENTITY_LIST faces, edges;
    get_faces(entity, faces);
    get_edges(entity, edges);
    if (faces.count() == 0)
        m_status |= kNoFaces;
    else
        m_status &= ~kNoFaces;
    Reserve(2);
    Add(new CDsItemsGroup(nullptr, nullptr));
    Add(new CDsItemsGroup(nullptr, nullptr));
    GetAttributes()->SetOnTopFlag(faces.count() == 0);
    Faces()->Reserve(faces.count());
    for (int i = 0; i < faces.count(); ++i) AddFace(static_cast<FACE*>(faces[i]));
    Edges()->Reserve(edges.count());
    for (int i = 0; i < edges.count(); ++i) AddEdge(static_cast<EDGE*>(edges[i]));
    if (const TRANSFORM* transform = static_cast<BODY*>(entity)->transform()) Transform(transform->transform());
    for (int i = 0; i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        edge->UpdateHideLevelFromFaces();
        edge->UpdateRenderModeFromFaces();
    }
}

void CDsItemsBody::UpdatePickableAndHatch()
{
    ENTITY* entity = GetEntity();
    if (VyrAcisExt::IsEntityPickable(entity))
        ResetFlag(static_cast<EDsItemFlags>(kNotPickableFlag));
    else
        SetFlag(static_cast<EDsItemFlags>(kNotPickableFlag));
    float transparency = 0.0f;
    if (VyrAcisExt::IsBodyHatchable(entity, transparency)) {
        SetAttribute(CDsHatch(0), true, false);
        SetTransparency(transparency);
    }
}

EDsItemsType CDsItemsBody::GetItemType()
{
    return eDsItemsBody;
}

// === Children ====================================================================================

CDsItemsGroup* CDsItemsBody::Faces() const
{
    return static_cast<CDsItemsGroup*>(Get(0));
}

CDsItemsGroup* CDsItemsBody::Edges() const
{
    return static_cast<CDsItemsGroup*>(Get(1));
}

int CDsItemsBody::FacesCount()
{
    CDsItemsGroup* faces = Faces();
    return faces ? faces->Count() : 0;
}

int CDsItemsBody::EdgesCount()
{
    CDsItemsGroup* edges = Edges();
    return edges ? edges->Count() : 0;
}

CDsItemsFace* CDsItemsBody::GetFaceItem(int index) const
{
    CDsItemsGroup* faces = Faces();
    return faces ? static_cast<CDsItemsFace*>(faces->Get(index)) : nullptr;
}

CDsItemEdge* CDsItemsBody::GetEdgeItem(int index) const
{
    CDsItemsGroup* edges = Edges();
    return edges ? static_cast<CDsItemEdge*>(edges->Get(index)) : nullptr;
}

CDsItemsFace* CDsItemsBody::AddFace(FACE* face)
{
    CDsItemsGroup* faces = Faces();
    if (!face || !faces) return nullptr;
    auto* item = new CDsItemsFace;
    faces->Add(item);
    item->SetGlContext(GetGlContext());
    item->SetParent(this);
    item->SetEntity(face);
    if (item->GetEntityPid() > 0) m_faceMap.emplace(item->GetEntityPid(), item);
    item->CreateMaterialRecord();
    return item;
}

CDsItemEdge* CDsItemsBody::AddEdge(EDGE* edge)
{
    CDsItemsGroup* edges = Edges();
    if (!edge || !edges) return nullptr;
    auto* item = new CDsItemEdge;
    edges->Add(item);
    item->ClearReferences();
    item->SetGlContext(GetGlContext());
    item->SetParent(this);
    item->SetEntity(edge);
    if (FacesCount() == 0) item->SetOnTopFlag(true);
    if (item->GetEntityPid() > 0) m_edgeMap.emplace(item->GetEntityPid(), item);
    item->ReconnectPolyline(m_meshes);
    return item;
}

void CDsItemsBody::EraseFromMap(std::map<int, CDsItemBase*>& map, CDsItemBase* item, ENTITY* entity)
{
    if (!item) {
        map.erase(QueryPid(entity));
        return;
    }
    for (auto it = map.begin(); it != map.end();) {
        if (it->second == item)
            it = map.erase(it);
        else
            ++it;
    }
}

void CDsItemsBody::RemoveFace(FACE* face)
{
    CDsItemsGroup* faces = Faces();
    CDsItemBase* item = nullptr;
    for (int i = 0; faces && face && i < faces->Count() && !item; ++i)
        if (faces->GetFast(i)->GetEntity() == face) item = faces->GetFast(i);
    EraseFromMap(m_faceMap, item, face);
    if (!item) return;
    // Edges drawn through the face must not keep a pointer to it.
    for (int i = 0; i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        if (edge->GetAdjacentFaceItem(0) == item || edge->GetAdjacentFaceItem(1) == item)
            edge->ResetAdjacentFaceItems();
    }
    faces->Remove(item);
}

void CDsItemsBody::RemoveEdge(EDGE* edge)
{
    CDsItemsGroup* edges = Edges();
    CDsItemBase* item = nullptr;
    for (int i = 0; edges && edge && i < edges->Count() && !item; ++i)
        if (edges->GetFast(i)->GetEntity() == edge) item = edges->GetFast(i);
    EraseFromMap(m_edgeMap, item, edge);
    if (item) edges->Remove(item);
}

CDsItemBase* CDsItemsBody::FindDsItem(const ENTITY* entity)
{
    if (entity && entity == GetEntity()) return this;
    return CDsItemsGroup::FindDsItem(entity);
}

CGmPosition* CDsItemsBody::GetEdgePolyline(EDGE* edge, int& count, view3d* view)
{
    count = 0;
    for (int i = 0; edge && i < EdgesCount(); ++i)
        if (GetEdgeItem(i)->GetEntity() == edge) return GetEdgeItem(i)->GetTransformedPolyline(count, view);
    return nullptr;
}

void CDsItemsBody::GetDisplayDescendents(bool faces, bool edges, ENTITY_LIST& list)
{
    if (faces)
        for (int i = 0; i < FacesCount(); ++i) list.add(GetFaceItem(i)->GetEntity(), 1);
    if (edges)
        for (int i = 0; i < EdgesCount(); ++i) list.add(GetEdgeItem(i)->GetEntity(), 1);
}

void CDsItemsBody::RemoveEntitiesFromMap()
{
    CDsGlContext* context = GetGlContext();
    CDsItemsMap* map = context ? context->GetItemsMap() : nullptr;
    if (!map || map->IsClosing()) return;
    for (int i = 0; i < FacesCount(); ++i)
        if (ENTITY* entity = GetFaceItem(i)->GetEntity()) map->Remove(entity);
    for (int i = 0; i < EdgesCount(); ++i)
        if (ENTITY* entity = GetEdgeItem(i)->GetEntity()) map->Remove(entity);
}

// === Detach and attach ===========================================================================

void CDsItemsBody::DetachEntity(int componentId)
{
    RemoveEntitiesFromMap();
    CDsItemBase::DetachEntity(componentId);
    for (int i = 0; i < FacesCount(); ++i) {
        CDsItemsFace* face = GetFaceItem(i);
        if (face->GetEntityPid() > 0) m_faceMap.insert_or_assign(face->GetEntityPid(), face);
        face->DetachEntity(componentId);
    }
    for (int i = 0; i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        if (edge->GetEntityPid() > 0) m_edgeMap.insert_or_assign(edge->GetEntityPid(), edge);
        edge->DetachEntity(componentId);
    }
    SetComponentId(componentId);
}

bool CDsItemsBody::AttachEntity(ENTITY* entity, int componentId, int pid)
{
    if (!is_BODY(entity) || componentId != GetComponentId()) return false;
    const CDsSetEntityType* service = CDsManager::GetInstance()->GetEntityType();
    if (!service) return false;
    SetType(service->GetObjectType(entity));
    if (!CDsItemBase::AttachEntity(entity, componentId, pid)) return false;
    ENTITY_LIST faces, edges;
    get_faces(entity, faces);
    get_edges(entity, edges);
    for (int i = 0; i < faces.count(); ++i) {
        const int id = QueryPid(faces[i]);
        const auto found = m_faceMap.find(id);
        if (found != m_faceMap.end()) found->second->AttachEntity(faces[i], componentId, id);
    }
    for (int i = 0; i < edges.count(); ++i) {
        const int id = QueryPid(edges[i]);
        const auto found = m_edgeMap.find(id);
        if (found != m_edgeMap.end()) found->second->AttachEntity(edges[i], componentId, id);
    }
    return true;
}

// === Attributes ==================================================================================

void CDsItemsBody::GetAttribute(CDsAttribute& attribute)
{
    if (attribute.GetType() != eDsAttributeHideLevel) return;
    CDsItemBase::GetAttribute(attribute);
    if (AttributeHides(attribute)) return;
    CDsItemsGroup* items = FacesCount() > 0 ? Faces() : Edges();
    if (!items || items->Count() == 0) return;
    for (int i = items->Count() - 1; i >= 0; --i)
        if (!items->GetFast(i)->IsHidden()) return;
    attribute.SetData(0u, true);
    items->GetFast(0)->GetAttribute(attribute);
}

void CDsItemsBody::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    CDsItemsGroup::SetAttribute(attribute, on, recurse);
    if (attribute.GetType() != eDsAttributeHatch) return;
    m_hatch.SetData(attribute, on);
    // A hatch changes what the frame draws without the scene database seeing it (a hide level
    // that changes is told by the item base).
    NoteContentChanged();
}

void CDsItemsBody::SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on)
{
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->SetVisibilityColor(level, color, on);
    for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->SetVisibilityColor(level, color, on);
}

void CDsItemsBody::SetRenderMode(ERenderMode mode)
{
    for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->SetRenderMode(mode);
}

bool CDsItemsBody::IsBodyConicalFaceOwner()
{
    return (m_status & kConicalFace) != 0;
}

void CDsItemsBody::SetConicalFaceOwner(bool on)
{
    if (on)
        m_status |= kConicalFace;
    else
        m_status &= ~kConicalFace;
}

void CDsItemsBody::SetExtremesTest(bool on)
{
    if (on)
        m_status |= kExtremesTest;
    else
        m_status &= ~kExtremesTest;
}

// === Transformation and bounds ===================================================================

void CDsItemsBody::Transform(const SPAtransf& transform)
{
    CGmTransformation repaired(transform);
    repaired.FixTransformationMatrix();
    GetMatrix().SetTransformation(repaired);
    RecomputeBox();
    Moved();
}

void CDsItemsBody::SetTransformation(const SPAtransf& transform)
{
    CDsItemsGroup::SetTransformation(transform);
    m_box.ResetMembers();
    Moved();
}

void CDsItemsBody::MultiplyTransformation(const SPAtransf& transform)
{
    CDsItemsGroup::MultiplyTransformation(transform);
    RecomputeBox();
    Moved();
}

bool CDsItemsBody::TakeMeshEdits()
{
    bool edited = false;
    CDsItemsGroup* faces = Faces();
    for (int i = 0, count = faces ? faces->Count() : 0; i < count; ++i)
        edited = static_cast<CDsItemsFace*>(faces->GetFast(i))->TakeMeshEdit() || edited;
    if (!edited) return false;
    m_box.ResetMembers();
    Moved();
    return true;
}

void CDsItemsBody::Moved()
{
    // The section state was told from the box where the body was.
    ResetSectionState();
    CDsItemsCopy::StItemMoved(this);
    // Whoever moves the body, the context's views and boxes must learn it: a frame would
    // otherwise show the body where it was, and the picks would look for it there.
    if (CDsGlContext* context = GetGlContext()) context->OnItemsContentChanged();
}

void CDsItemsBody::RecomputeBox()
{
    m_box.ResetMembers();
    SPAtransf transform = GetTransformation();
    for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->ExpandBox(m_box, &transform);
    // The edges too: they lie on the faces, until a face's mesh is edited in place, and then the
    // frame still draws them where they were.
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->ExpandBox(m_box, &transform);
}

void CDsItemsBody::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (m_box.IsNotComputed()) RecomputeBox();
    if (!m_box.IsNotComputed()) box.ExpandBox(m_box, transform);
}

bool CDsItemsBody::SFacesBoundsKey::operator==(const SFacesBoundsKey& other) const
{
    return projection == other.projection && faces == other.faces && hideLevels == other.hideLevels &&
           currentView == other.currentView && documentFlag4 == other.documentFlag4 &&
           documentFlag5 == other.documentFlag5;
}

CDsItemsBody::SFacesBoundsKey CDsItemsBody::FacesBoundsKey(uint64_t projection)
{
    SFacesBoundsKey key;
    key.projection = projection;
    key.faces = StFaceChanges();
    key.hideLevels = CDsLineAttribStorage::StHideLevelChanges();
    // A face's IsHidden reads these of the current view.
    const CDsView3dCdc* current = CDsView3dCdc::sCurrentView;
    key.currentView = current;
    if (const CDsGlContext* context = current ? current->GetGlContext() : nullptr) {
        key.documentFlag4 = context->Get(static_cast<EDsDocumentFlag>(4));
        key.documentFlag5 = context->Get(static_cast<EDsDocumentFlag>(5));
    }
    return key;
}

void CDsItemsBody::ComputeBounds2D(view3d* view)
{
    if (m_box.IsNotComputed()) RecomputeBox();
    m_box.ComputeBounds2D(view, true);
    // A shown face's rectangle depends on its box and the projection alone, and which faces are
    // shown on their hide levels, their flags and the current view's document flags: while none
    // of these changed since the faces were last visited, their rectangles are what a visit would
    // give them, and a frame does not visit them again.
    const uint64_t projection = view ? m_box.GetProjectionStamp() : 0;
    if (projection != 0 && m_facesBounds == FacesBoundsKey(projection)) return;
    CDsItemsGroup* faces = Faces();
    for (int i = 0, count = faces ? faces->Count() : 0; i < count; ++i) {
        auto* face = static_cast<CDsItemsFace*>(faces->GetFast(i));
        if (!face->IsHidden()) face->ProjectBox(view);
    }
    // Taken after the visit: a face whose box was computed during it counted a change that the
    // visit has already seen.
    m_facesBounds = projection != 0 ? FacesBoundsKey(projection) : SFacesBoundsKey();
}

bool CDsItemsBody::GetBox(CGmPosition& low, CGmPosition& high, bool)
{
    if (m_box.IsNotComputed()) RecomputeBox();
    if (m_box.IsNotComputed()) return false;
    // The box is built under the body's transformation already: applying it again would answer a
    // box moved twice, away from where the body is drawn.
    m_box.GetMin(low);
    m_box.GetMax(high);
    return true;
}

// === Faceting and context services ===============================================================

void CDsItemsBody::ReFacetBody()
{
    ENTITY* entity = GetEntity();
    if (!entity) return;
    API_BEGIN
    const CActiveMeshesScope active(m_meshes, true);
    if (FacesCount() > 0) {
        if (!CDsGlContext::sPrintMode && m_meshes) {
            {
                API_BEGIN
                m_meshes->FacetEntity(entity, 0, false);
                API_END
            }
            for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->ReconnectMesh(m_meshes);
            // The box was measured on the meshes before (edited in place, perhaps): the new ones
            // may lie elsewhere, and so do the copies that show them.
            m_box.ResetMembers();
            ResetSectionState();
            CDsItemsCopy::StItemMoved(this);
        }
        CDsView3dCdc* current = CDsView3dCdc::StGetCurrent();
        if (!(current && current->GetRenderMode() == eRenderWireframe && CDsGlContext::sPrintMode)) DeleteGlList();
    }
    API_END
}

void CDsItemsBody::ReconnectPolylines(CVyrMeshInterface* meshes)
{
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->ReconnectPolyline(meshes);
}

void CDsItemsBody::DeleteGlList()
{
    if (!DisplayListsInUse()) return;
    for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->DeleteGlList();
}

void CDsItemsBody::UpdateEdgeWidths(int delta)
{
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->UpdateWidth(delta);
}

void CDsItemsBody::ResetFaceTransformations()
{
    for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->ResetTransformation();
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->ResetAdjacentFaceItems();
    m_box.ResetMembers();
}

void CDsItemsBody::UpdateEdgesOfFace(CDsItemsFace* face)
{
    CDsGlContext* context = GetGlContext();
    CDsItemsMap* map = context ? context->GetItemsMap() : nullptr;
    ENTITY* entity = face ? face->GetEntity() : nullptr;
    if (map && is_FACE(entity)) {
        ENTITY_LIST edges;
        get_edges(entity, edges);
        for (int i = 0; i < edges.count(); ++i)
            if (auto* edge = dynamic_cast<CDsItemEdge*>(map->Find(edges[i])))
                edge->SetAdjacentFaceItem(face, static_cast<FACE*>(entity));
    }
    m_box.ResetMembers();
}

void CDsItemsBody::CompletePartialChangeUpdates(bool refreshEdges)
{
    RecomputeBox();
    ComputeSectionState();
    if (refreshEdges) {
        for (int i = 0; i < EdgesCount(); ++i) {
            GetEdgeItem(i)->UpdateRenderModeFromFaces();
            GetEdgeItem(i)->FindAdjacentFaceItems();
        }
    }
    const bool wire = FacesCount() == 0;
    for (int i = 0; i < EdgesCount(); ++i) {
        GetEdgeItem(i)->UpdateHideLevelFromFaces();
        GetEdgeItem(i)->SetOnTopFlag(wire);
    }
}

void CDsItemsBody::ComputeSectionState()
{
    uint32_t state = 2;
    // A body that the section plane cuts (the corners of its box on two sides of the plane) is
    // drawn face by face.
    const CDsGlScene* scene = GetGlContext() ? GetGlContext()->GetScene() : nullptr;
    if (const CDsSectionPlane* plane = scene ? scene->GetSectionPlane() : nullptr) {
        if (m_box.IsNotComputed()) RecomputeBox();
        if (!m_box.IsNotComputed()) {
            const double* e = plane->GetEquation();
            auto side = [e](const float* p) {
                const float value = static_cast<float>(e[0] * p[0] + e[1] * p[1] + e[2] * p[2] + e[3]);
                return (value > 0.0f) - (value < 0.0f);
            };
            if (side(m_box.GetMin()) != side(m_box.GetMax())) state = 1;
        }
    }
    for (int i = 0; i < FacesCount(); ++i) {
        CDsItemsFace* face = GetFaceItem(i);
        if (face->GetAttributes()->IsHidden() || face->HasTransformation() || face->GetTransparency() != 1.0f) {
            state = 1;
            break;
        }
    }
    m_status = (m_status & ~kSectionMask) | state;
}

// === Drawing =====================================================================================

bool CDsItemsBody::PassesFlagGate(view3d& view) const
{
    return GetFlag(static_cast<EDsItemFlags>(kSectionPassFlag)) == view.GetFlag(eDsViewFlagSectionPass);
}

void CDsItemsBody::Refresh(view3d& view)
{
    if (!IsHidden()) DrawAlone(view);
}

void CDsItemsBody::DrawAlone(view3d& view)
{
    DsPushItemTransformation(&view, this);
    CDsItemsGroup::DrawAlone(view);
    DsPopItemTransformation(&view, this);
}

void CDsItemsBody::DrawEdgesAndFaces(view3d& view, int pass)
{
    if (IsHidden() || !PassesFlagGate(view)) return;
    const bool fast = view.GetFlag(eDsViewFlagFastRefresh);
    DsPushItemTransformation(&view, this);
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->DrawInBody(view, pass);
    if (!fast) {
        if (CDsView3dCdc::sDisplayCurvesMode)
            for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->DrawDisplayCurves(view, false);
        for (int i = 0; i < FacesCount(); ++i) {
            CDsItemsFace* face = GetFaceItem(i);
            CDsItemSilhouette* silhouette = face->GetSilhouette();
            if (!silhouette || face->IsHidden()) continue;
            if (view.GetRenderMode() == eRenderMixed && !CDsView3dCdc::StCheckIfPlotIsActive() &&
                (face->GetAttributes()->GetFlags() & CDsLineAttribStorage::eFlagShaded))
                continue;
            face->SetAttributesToView(&view);
            const CFacePlacement placement(view, *face);
            silhouette->Refresh(view);
        }
    }
    DsPopItemTransformation(&view, this);
}

void CDsItemsBody::DrawToFrontBuffer(view3d& view)
{
    DsPushItemTransformation(&view, this);
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->DrawToFrontBuffer(view);
    for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->DrawToFrontBuffer(view);
    DsPopItemTransformation(&view, this);
}

void CDsItemsBody::Plot(view3d& view)
{
    SetAttributesToView(&view);
    DrawEdgesAndFaces(view, 0);
}

void CDsItemsBody::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHidden()) return;
    if (entity == GetEntity()) entity = nullptr;
    const bool placed = HasTransformation();
    if (placed) extrema.SetModelTransform(GetTransformation());
    for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->DrawExtremes(extrema, entity);
    // The edges too, as the box takes them: a face's mesh edited in place leaves its edges where
    // the frame still draws them, and what is measured must hold all that the frame draws.
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->DrawExtremes(extrema, entity);
    if (placed) extrema.ClearModelTransform();
}

// === Picking =====================================================================================

void CDsItemsBody::OpenGlPick(view3d* view)
{
    if (!view || FacesCount() == 0 || !PassesFlagGate(*view) || !GetEntity()) return;
    glPushName(CDsSelectionNames::StGetName(this));
    DsPushItemTransformation(view, this);
    {
        const CActiveMeshesScope active(m_meshes, !DisplayListsInUse());
        if (GetSectionState() == 0) ComputeSectionState();
        const bool mixed = GetSectionState() == 1;
        for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->OpenGlPickFace(view, mixed);
    }
    DsPopItemTransformation(view, this);
    glPopName();
}

namespace {

// The places where a line meets placed triangles: the line's parameters (both ways).
class CLineHits : public CDsTrianglesCollector {
public:
    explicit CLineHits(const pick_ray& ray) : m_ray(ray) {}
    void SetPlacement(const SPAtransf& placement) { m_placement = placement; }
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override
    {
        const SPAposition p0 = a * m_placement, p1 = b * m_placement, p2 = c * m_placement;
        const SPAvector direction(m_ray.direction().x(), m_ray.direction().y(), m_ray.direction().z());
        const SPAvector e1 = p1 - p0, e2 = p2 - p0;
        const SPAvector q = direction * e2;
        const double det = e1 % q;
        if (std::fabs(det) < 1e-300) return;  // the line runs along the triangle's plane
        const SPAvector s = m_ray.root_point() - p0;
        const double u = (s % q) / det;
        if (u < 0.0 || u > 1.0) return;
        const SPAvector r = s * e1;
        const double v = (direction % r) / det;
        if (v < 0.0 || u + v > 1.0) return;
        hits.push_back((e2 % r) / det);
    }
    std::vector<double> hits;

private:
    pick_ray m_ray;
    SPAtransf m_placement;
};

// The distance from a point to the nearest of placed triangles.
class CNearestTriangle : public CDsTrianglesCollector {
public:
    explicit CNearestTriangle(const SPAposition& point) : m_point(point) {}
    void SetPlacement(const SPAtransf& placement) { m_placement = placement; }
    void AddTriangle(const SPAposition& a0, const SPAposition& b0, const SPAposition& c0) override
    {
        const SPAposition a = a0 * m_placement, b = b0 * m_placement, c = c0 * m_placement;
        distance = std::min(distance, (m_point - Closest(a, b, c)).len());
    }
    double distance = HUGE_VAL;

private:
    // The point of triangle abc nearest to the point (by its regions: corners, sides, inside).
    SPAposition Closest(const SPAposition& a, const SPAposition& b, const SPAposition& c) const
    {
        const SPAvector ab = b - a, ac = c - a, ap = m_point - a;
        const double d1 = ab % ap, d2 = ac % ap;
        if (d1 <= 0.0 && d2 <= 0.0) return a;
        const SPAvector bp = m_point - b;
        const double d3 = ab % bp, d4 = ac % bp;
        if (d3 >= 0.0 && d4 <= d3) return b;
        const double vc = d1 * d4 - d3 * d2;
        if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0) return a + ab * (d1 / (d1 - d3));
        const SPAvector cp = m_point - c;
        const double d5 = ab % cp, d6 = ac % cp;
        if (d6 >= 0.0 && d5 <= d6) return c;
        const double vb = d5 * d2 - d1 * d6;
        if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0) return a + ac * (d2 / (d2 - d6));
        const double va = d3 * d6 - d5 * d4;
        if (va <= 0.0 && (d4 - d3) >= 0.0 && (d5 - d6) >= 0.0)
            return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
        const double sum = va + vb + vc;
        if (!(std::fabs(sum) > 0.0)) return a;  // a degenerate triangle: its corner
        return a + ab * (vb / sum) + ac * (vc / sum);
    }

    SPAposition m_point;
    SPAtransf m_placement;
};

// The model transform the view applies now (the identity without one).
SPAtransf ViewPlacement(view3d* view)
{
    return view && view->is_model_transform_enabled() ? view->get_model_transform() : SPAtransf();
}

}  // namespace

FACE* CDsItemsBody::ShownFaceUnderCursor(const CUiPickEvent& event, const SPAtransf& after)
{
    view3d* view = event.view();
    if (!view) return nullptr;
    const pick_ray ray = get_pick_ray(event);
    if (!ray.valid()) return nullptr;
    const SPAtransf placed = GetTransformation() * after;
    std::vector<std::pair<double, CDsItemsFace*>> hits;
    for (int i = 0; i < FacesCount(); ++i) {
        CDsItemsFace* face = GetFaceItem(i);
        if (!face || face->IsHidden() || !face->GetMesh()) continue;
        CLineHits line(ray);
        line.SetPlacement(face->GetTransformation() * placed);
        face->GetMesh()->CollectMeshTriangles(line);
        for (double t : line.hits) hits.emplace_back(t, face);
    }
    std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const CDsShownFrameScope scope(GetGlContext(), view);
    const CDsShownFrame* frame = scope.Get();
    if (!frame) return nullptr;
    // Where the window draws a face of the body: the first place that lies inside the window and
    // that no section cuts away, unless a face in front hides it.
    for (const auto& hit : hits) {
        const SPAposition at = ray.point_at(hit.first);
        if (!frame->InWindow(at) || frame->Cuts(at)) continue;
        return frame->Hides(at, true) ? nullptr : dynamic_cast<FACE*>(hit.second->GetEntity());
    }
    return nullptr;
}

bool CDsItemsBody::FaceReaches(ENTITY* face, const SPAposition& point, const SPAtransf& after, view3d* view)
{
    CDsItemsFace* item = nullptr;
    for (int i = 0; i < FacesCount() && !item; ++i)
        if (GetFaceItem(i) && GetFaceItem(i)->GetEntity() == face) item = GetFaceItem(i);
    if (!item || item->IsHidden() || !item->GetMesh()) return false;
    CNearestTriangle nearest(point);
    nearest.SetPlacement(item->GetTransformation() * GetTransformation() * after);
    item->GetMesh()->CollectMeshTriangles(nearest);
    const double size = std::max({1.0, std::fabs(point.x()), std::fabs(point.y()), std::fabs(point.z())});
    const double pixel = view ? view->get_units_per_pixel() : 0.0;
    return nearest.distance <= std::max(1e-6 * size, 0.05 * (std::isfinite(pixel) ? pixel : 0.0));
}

CDsRefPoint* CDsItemsBody::PickApexRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    if (!IsBodyConicalFaceOwner() || !types.IsTypeSet(eDsPickPtStart) || !event.view() || !GetEntity()) return nullptr;
    CDsGlContext* context = GetGlContext();
    CDsPickProccessor* processor = context ? context->GetPickProccessor() : nullptr;
    if (!processor) return nullptr;
    view3d* view = event.view();
    const SPAtransf after = ViewPlacement(view);
    FACE* face = ShownFaceUnderCursor(event, after);
    // The apex pick ends the pick session: its filter and its cached selection go with it.
    CDsGlContext::StEndPickSession();
    // Only where the window shows it: on the cone as drawn, and shown there.
    const auto shown = [&](const CDsRefPoint* apex) {
        const SPAposition at = SPAposition(CDsRefPoint::sLastPosition) * after;
        return apex && FaceReaches(apex->GetReferenceEntity(), at, after, view) && DsIsPointShown(context, view, at);
    };
    if (face) {
        std::unique_ptr<CDsRefPoint> apex(processor->PickApexPoint(face, this, CUiPickEvent(event)));
        if (shown(apex.get())) return apex.release();
    }
    // The apex in the pick window, as an edge's end is offered: on the apex's own pixel and next to
    // it the ray through the cursor often passes by the cone's thin tip and meets no face.
    for (int i = 0; i < FacesCount(); ++i) {
        CDsItemsFace* item = GetFaceItem(i);
        if (!item || item->IsHidden() || !is_conical_face(item->GetEntity())) continue;
        std::unique_ptr<CDsRefPoint> apex(processor->PickApexPoint(item->GetEntity(), CUiPickEvent(event)));
        if (apex && CDsRefPoint::StIsPicked(event, CDsRefPoint::sLastPosition) && shown(apex.get()))
            return apex.release();
    }
    return nullptr;
}

namespace {

// The test of an edge's points: whether the window shows the point (under the body's
// transformation; a copy that picks through the body, or a place the frame draws the body at, has
// its own transformation on the view meanwhile), as a point of a drawn line.
CDsRefPoint::TPointTest Shown(CUiPickEvent& event, CDsGlContext* context)
{
    view3d* view = event.view();
    return [view, context](const CGmPosition& point) {
        return view && DsIsPointShown(context, view, SPAposition(point) * ViewPlacement(view), true);
    };
}

}  // namespace

CDsRefPoint* CDsItemsBody::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    if (IsHidden()) return nullptr;
    if (CDsRefPoint* apex = PickApexRefPoint(event, types)) return apex;
    return PickEdgeRefPoint(event, types);
}

CDsRefPoint* CDsItemsBody::PickEdgeRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    if (IsHidden()) return nullptr;
    CGmTransformation transform(GetTransformation());
    int applied = 0;
    std::vector<CDsItemEdge*> hit, elliptical;
    for (int i = 0; i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        const int result = edge->PickWithTransform(event, &transform, &applied);
        if (result == 1) hit.push_back(edge);
        if (result == 2) elliptical.push_back(edge);
    }
    if (applied && event.view()) event.view()->ClearModelTransform();
    CDsTypeMask mask(types);
    const CDsRefPoint::TPointTest shown = Shown(event, GetGlContext());
    for (CDsItemEdge* edge : hit)
        if (CDsRefPoint* point = edge->PickEdgeRefPoint(event, 1, mask, &shown)) return point;
    for (CDsItemEdge* edge : elliptical)
        if (CDsRefPoint* point = edge->PickEdgeRefPoint(event, 2, mask, &shown)) return point;
    return nullptr;
}

CDsRefPoint* CDsItemsBody::PickRefPoint(CUiPickEvent& event, std::vector<CDsItemEdge*>& edges, int ellipticalOnly,
                                        const CDsTypeMask& types)
{
    CGmTransformation transform(GetTransformation());
    int applied = 0;
    CDsTypeMask mask(types);
    CDsRefPoint* point = nullptr;
    for (CDsItemEdge* edge : edges) {
        if (!edge || (ellipticalOnly != 0 && !edge->IsElliptical())) continue;
        const int result = edge->PickWithTransform(event, &transform, &applied);
        if (result == 0) continue;
        if (applied) {
            if (event.view()) event.view()->ClearModelTransform();
            applied = 0;
        }
        const CDsRefPoint::TPointTest shown = Shown(event, GetGlContext());
        point = edge->PickEdgeRefPoint(event, result, mask, &shown);
        if (point) break;
    }
    if (applied && event.view()) event.view()->ClearModelTransform();
    return point;
}

CDsRefPoint* CDsItemsBody::PickRefPoint(CUiPickEvent& event, const ENTITY_LIST& entities, const CDsTypeMask& types)
{
    if (IsHidden()) return nullptr;
    CDsGlContext* context = GetGlContext();
    CDsItemsMap* map = context ? context->GetItemsMap() : nullptr;
    CGmTransformation transform(GetTransformation());
    int applied = 0;
    CDsTypeMask mask(types);
    CDsRefPoint* point = nullptr;
    for (int i = 0; map && i < entities.count() && !point; ++i) {
        auto* edge = dynamic_cast<CDsItemEdge*>(map->Find(entities[i]));
        if (!edge) continue;
        const int result = edge->PickWithTransform(event, &transform, &applied);
        if (result == 0) continue;
        if (applied) {
            if (event.view()) event.view()->ClearModelTransform();
            applied = 0;
        }
        const CDsRefPoint::TPointTest shown = Shown(event, context);
        point = edge->PickEdgeRefPoint(event, result, mask, &shown);
    }
    if (applied && event.view()) event.view()->ClearModelTransform();
    return point;
}

void CDsItemsBody::PickEdges(view3d* view, ENTITY_LIST& picked, ENTITY_LIST* faces)
{
    const bool placed = view && HasTransformation();
    if (placed) view->SetModelTransform(GetTransformation());
    for (int i = 0; i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        if (edge->PickInView(view, faces, nullptr) > 0) picked.add(edge->GetEntity(), 1);
    }
    if (placed) view->ClearModelTransform();
}

void CDsItemsBody::PickEdges(view3d* view, std::vector<CDsItemEdge*>& edges, ENTITY_LIST& picked)
{
    const bool placed = view && HasTransformation();
    if (placed) view->SetModelTransform(GetTransformation());
    for (CDsItemEdge* edge : edges)
        if (edge && edge->PickInView(view, nullptr, nullptr) > 0) picked.add(edge->GetEntity(), 1);
    if (placed) view->ClearModelTransform();
}

void CDsItemsBody::GetDsEdges(const ENTITY_LIST& entities, std::vector<CDsItemEdge*>& edges)
{
    CDsGlContext* context = GetGlContext();
    CDsItemsMap* map = context ? context->GetItemsMap() : nullptr;
    for (int i = 0; map && i < entities.count(); ++i)
        if (auto* edge = dynamic_cast<CDsItemEdge*>(map->Find(entities[i]))) edges.push_back(edge);
}

void CDsItemsBody::GetDsEdgesOnTop(std::vector<CDsItemEdge*>& edges)
{
    for (int i = 0; i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        if (edge->GetMarkState() || edge->GetOnTopFlag()) edges.push_back(edge);
    }
}

int CDsItemsBody::TestBodyFaces(const CDsTypeMask& types)
{
    CDsView3dCdc::StGetCurrent();
    if (FacesCount() == 0) return 0;
    return types.IsTypeSet(1) ? 1 : 0;
}

int CDsItemsBody::TestBodyFaces(entity_filter* filter)
{
    CDsView3dCdc::StGetCurrent();
    for (int i = 0; filter && i < FacesCount(); ++i)
        if (const int result = filter->test(GetFaceItem(i)->GetEntity())) return result;
    return 0;
}

int CDsItemsBody::TestBodyEdges(const CDsTypeMask& types)
{
    if (FacesCount() > 0) return EdgesCount() > 0 && types.IsTypeSet(2) ? 1 : 0;
    for (int i = 0; i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        if (!edge->IsHidden() && types.IsTypeSet(edge->GetType())) return 1;
    }
    return 0;
}

int CDsItemsBody::TestBodyEdges(entity_filter* filter)
{
    CDsView3dCdc::StGetCurrent();
    for (int i = 0; filter && i < EdgesCount(); ++i) {
        CDsItemEdge* edge = GetEdgeItem(i);
        if (edge->IsHidden()) continue;
        if (const int result = filter->test(edge->GetEntity())) return result;
    }
    return 0;
}

int CDsItemsBody::TestBodyWire(const CDsTypeMask& types)
{
    if (FacesCount() > 0) return 0;
    return types.IsTypeSet(GetType()) ? 1 : 0;
}

bool CDsItemsBody::PickDisplayCurve(pick_manager* manager, FACE*& face, int& curve)
{
    if (!CheckExtremesOverlap(manager ? manager->get_view() : nullptr) || IsHidden()) return false;
    for (int i = 0; i < FacesCount(); ++i)
        if (GetFaceItem(i)->PickDisplayCurve(manager, face, curve)) return true;
    return false;
}

bool CDsItemsBody::CheckExtremesOverlap(view3d* view)
{
    if (!(m_status & kExtremesTest)) return true;
    CDsGlContext* context = GetGlContext();
    if (context && context->Get(static_cast<EDsDocumentFlag>(13))) return true;
    if (CDsPickProccessor::sPickInRegionMode) return true;
    return m_box.CheckExtremesOverlap(view, true);
}

bool CDsItemsBody::IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside)
{
    CDsGlContext* context = GetGlContext();
    const bool notPickableAllowed = context && context->GetPickProccessorFlag(eDsPickStateNotPickableItems);
    if (!notPickableAllowed && GetFlag(static_cast<EDsItemFlags>(kNotPickableFlag))) return false;
    return CDsItemsGroup::IsPickAvailable(view, testExtremes, acceptOutside);
}

void CDsItemsBody::PickClosest(CDsItemsIdBuffer& buffer)
{
    if (IsHidden() || !CheckExtremesOverlap(CDsView3dCdc::StGetCurrent())) return;
    for (int i = 0; i < FacesCount(); ++i) {
        CDsItemsFace* face = GetFaceItem(i);
        if (!face) continue;
        buffer.PushOwner(&GetTransformation());
        face->PickClosest(buffer);
        buffer.PopOwner();
    }
}

void CDsItemsBody::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    ENTITY* entity = GetEntity();
    if (!entity || GetFlag(static_cast<EDsItemFlags>(kNotPickableFlag))) return;
    if (!data.AsksForSubEntities()) {
        if (!data.TestEntity(entity)) return;
        if (FacesCount() > 0) {
            bool anyShown = false;
            for (int i = 0; i < FacesCount() && !anyShown; ++i) anyShown = !GetFaceItem(i)->IsHidden();
            if (!anyShown) return;
        }
        list.add(entity, 1);
        return;
    }
    if (FacesCount() > 0) {
        if (data.GetMethod() == 2)
            for (int i = 0; i < FacesCount(); ++i) GetFaceItem(i)->SelectAll(data, list);
        else if (data.GetMethod() == 0)
            for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->SelectAll(data, list);
        return;
    }
    if (data.TestWireEntity(entity) && data.TestEntity(entity)) list.add(entity, 1);
    for (int i = 0; i < EdgesCount(); ++i) GetEdgeItem(i)->SelectAll(data, list);
}
