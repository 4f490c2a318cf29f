// CDsItemsFace: the mesh, its display list, display curves, material record, box and picks of a
// face item.
#include "DsItemsFace.h"

#include "DsBoxExpander.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlMeshPainter.h"
#include "DsGlSketch.h"
#include "DsItemEdge.h"
#include "DsItemPolyline3D.h"
#include "DsItemSilhouette.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsIdBuffer.h"
#include "DsItemsMap.h"
#include "DsManager.h"
#include "DsMirroredFrontFace.h"
#include "DsPickProccessor.h"
#include "DsSelectAllData.h"
#include "DsSelectionNames.h"
#include "DsSetEntityType.h"
#include "DsStatisticsItems.h"
#include "DsStripsCollector.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrOptionScope.h"

#include "DsEdgeData.h"
#include "DsHideLevel.h"
#include "GmPosition.h"
#include "SpaFaceter.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "VyrAttManager.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

namespace {

// The mesh painters of the faces (no colour per vertex): the plain one, and the one in reflect
// mode for a face drawn under a placement that mirrors space (always immediately: see DrawGl).
CDsGlMeshPainter& FacePainter(bool mirrored = false)
{
    static CDsGlMeshPainter plain;
    static CDsGlMeshPainter reflected = [] {
        CDsGlMeshPainter painter;
        painter.SetReflect(1);
        return painter;
    }();
    return mirrored ? reflected : plain;
}

// Whether display lists are in use (display-manager flag 4).
bool DisplayListsInUse()
{
    return CDsManager::GetInstance()->GetFlag(4);
}

// The isoline edges of a face, each freed (lose) when the holder goes, however it goes.
class CIsolineEdges {
public:
    CIsolineEdges() = default;
    ~CIsolineEdges()
    {
        for (int i = 0; i < list.count(); ++i)
            if (ENTITY* edge = list[i]) edge->lose();
    }
    CIsolineEdges(const CIsolineEdges&) = delete;
    CIsolineEdges& operator=(const CIsolineEdges&) = delete;

    ENTITY_LIST list;
};

// Whether `entity` is a FACE whose surface makes a silhouette (cone, sphere, torus, spline).
bool HasCurvedSurface(ENTITY* entity)
{
    if (!is_FACE(entity)) return false;
    const SURFACE* geometry = static_cast<FACE*>(entity)->geometry();
    if (!geometry) return false;
    const int kind = geometry->equation().type();
    return kind == cone_type || kind == sphere_type || kind == torus_type || kind == spline_type;
}

}  // namespace

// === Construction and entity =====================================================================

CDsItemsFace::CDsItemsFace() : CDsItemsGroup(nullptr, nullptr)
{
    SetType(1);
}

CDsItemsFace::~CDsItemsFace()
{
    ReleaseOwned();
}

void CDsItemsFace::ReleaseOwned()
{
    delete m_silhouette;
    m_silhouette = nullptr;
    ClearDisplayCurves();
    delete m_material;
    m_material = nullptr;
    m_entry = CDmRefCountPtrTempl<CVyrMeshEntry>();
    ForgetBox();
    if (GetUseGlList()) DeleteGlList();
}

EDsItemsType CDsItemsFace::GetItemType()
{
    return eDsItemsFace;
}

CDsItemsBody* CDsItemsFace::GetBody() const
{
    return dynamic_cast<CDsItemsBody*>(GetParent());
}

void CDsItemsFace::SetEntity(ENTITY* entity)
{
    ReleaseOwned();
    CDsItemBase::SetEntity(entity);
    if (entity) {
        if (HasCurvedSurface(entity)) m_silhouette = new CDsItemSilhouette(this);
        UpdateDisplayCurves();
        if (is_conical_face(entity) && !is_cylindrical_face(entity))
            if (CDsItemsBody* body = GetBody()) body->SetConicalFaceOwner(true);
    }
    if (CDsItemsBody* body = GetBody()) ReconnectMesh(body->GetMeshInterface());
}

void CDsItemsFace::DetachEntity(int componentId)
{
    CDsItemsGroup::DetachEntity(componentId);
}

bool CDsItemsFace::AttachEntity(ENTITY* entity, int componentId, int pid)
{
    if (entity) {
        const CDsSetEntityType* service = CDsManager::GetInstance()->GetEntityType();
        if (!service) return false;
        SetType(service->GetObjectType(entity));
    }
    return CDsItemsGroup::AttachEntity(entity, componentId, pid);
}

void CDsItemsFace::ReconnectMesh(CVyrMeshInterface* meshes)
{
    m_entry = CDmRefCountPtrTempl<CVyrMeshEntry>();
    if (meshes && GetEntity()) m_entry = meshes->GetMeshEntry(GetEntity());
    if (m_silhouette) m_silhouette->ClearSegments();
    ForgetBox();
    if (GetUseGlList()) DeleteGlList();
    // A new mesh is no edit of the one drawn before: the body that took it tells its context.
    const CVyrIndexedMesh* mesh = GetMesh();
    m_takenRevision = mesh ? mesh->GetRevision() : CVyrIndexedMesh::SRevision();
}

bool CDsItemsFace::TakeMeshEdit()
{
    const CVyrIndexedMesh* mesh = GetMesh();
    const CVyrIndexedMesh::SRevision revision = mesh ? mesh->GetRevision() : CVyrIndexedMesh::SRevision();
    if (revision == m_takenRevision) return false;
    m_takenRevision = revision;
    FollowMeshEdits();
    return true;
}

CVyrIndexedMesh* CDsItemsFace::GetMesh() const
{
    return m_entry ? m_entry->GetMesh() : nullptr;
}

void CDsItemsFace::CreateMaterialRecord()
{
    if (m_material) return;
    m_material = new SDsGlMaterialSource;
    ENTITY* entity = GetEntity();
    m_material->sides = is_FACE(entity) && static_cast<FACE*>(entity)->sides() == DOUBLE_SIDED ? 2 : 1;
    m_material->attributes = GetAttributes();
}

// === Attributes ==================================================================================

void CDsItemsFace::ClearBodySectionState()
{
    if (CDsItemsBody* body = GetBody()) body->ResetSectionState();
}

void CDsItemsFace::SetAttributes(const CDsLineAttribStorage& attributes, bool recurse)
{
    const unsigned int hideLevel = GetAttributes()->GetHideLevel().GetData();
    CDsItemsGroup::SetAttributes(attributes, recurse);
    if (m_silhouette) m_silhouette->SetAttributes(attributes, true);
    if (GetAttributes()->IsHidden()) ClearBodySectionState();
    // Hidden or shown so, as by SetAttribute: its edges show while a face beside them does.
    if (GetAttributes()->GetHideLevel().GetData() != hideLevel) UpdateEdgeVisibility(eVisibilityLevel2, true);
}

void CDsItemsFace::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    CDsItemsGroup::SetAttribute(attribute, on, recurse);
    if (GetAttributes()->IsHidden()) ClearBodySectionState();
    UpdateEdgeVisibility(eVisibilityLevel2, true);
}

void CDsItemsFace::SetColor(const CDsColorStorage& color, bool recurse)
{
    CDsItemsGroup::SetColor(color, recurse);
    if (m_silhouette) m_silhouette->SetColor(color, true);
    if (m_curves) m_curves->SetColor(color, true);
    CreateMaterialRecord();
}

void CDsItemsFace::SetStyle(int style, bool recurse)
{
    CDsItemsGroup::SetStyle(style, recurse);
    if (m_silhouette) m_silhouette->SetStyle(style, true);
    if (m_curves) m_curves->SetStyle(style, true);
}

void CDsItemsFace::SetWidth(int width, bool recurse)
{
    CDsItemsGroup::SetWidth(width, recurse);
    if (m_silhouette) m_silhouette->SetWidth(width, true);
    if (m_curves) m_curves->SetWidth(width, true);
}

void CDsItemsFace::SetTransparency(float transparency)
{
    ClearBodySectionState();
    CDsItemsGroup::SetTransparency(transparency);
}

void CDsItemsFace::SetVisibility(EVisibilityLevel level, bool on, bool recurse, ENTITY*)
{
    if (level == eVisibilityHighlight)
        CDsItemBase::SetVisibility(level, on, recurse, nullptr);
    else
        CDsItemsGroup::SetVisibility(level, on, recurse, nullptr);
    if (m_silhouette) m_silhouette->SetVisibility(level, on, true, nullptr);
    if (m_curves) m_curves->SetVisibility(level, on, true, nullptr);
    UpdateEdgeVisibility(level, on);
}

void CDsItemsFace::SetRenderMode(ERenderMode mode)
{
    CDsItemsGroup::SetRenderMode(mode);
    ForEachEdgeItem([](CDsItemEdge* edge) { edge->UpdateRenderModeFromFaces(); });
}

template <typename Action>
void CDsItemsFace::ForEachEdgeItem(Action action)
{
    CDsGlContext* context = GetGlContext();
    CDsItemsMap* map = context ? context->GetItemsMap() : nullptr;
    ENTITY* entity = GetEntity();
    if (!map || !entity) return;
    ENTITY_LIST edges;
    get_edges(entity, edges);
    for (int i = 0; i < edges.count(); ++i)
        if (auto* edge = dynamic_cast<CDsItemEdge*>(map->Find(edges[i]))) action(edge);
}

void CDsItemsFace::UpdateEdgeVisibility(int level, bool on)
{
    ForEachEdgeItem([level, on](CDsItemEdge* edge) {
        if (level == eVisibilityLevel2 && on)
            edge->UpdateHideLevelFromFaces();
        else
            edge->SetVisibility(static_cast<EVisibilityLevel>(level), on, true, nullptr);
    });
}

// === Transformation and bounds ===================================================================

void CDsItemsFace::SetTransformation(const SPAtransf& transform)
{
    CDsItemsGroup::SetTransformation(transform);
    ClearBodySectionState();
    ForgetBox();
    if (CDsItemsBody* body = GetBody()) body->UpdateEdgesOfFace(this);
    Moved();
}

void CDsItemsFace::MultiplyTransformation(const SPAtransf& transform)
{
    CDsItemsGroup::MultiplyTransformation(transform);
    ForgetBox();
    if (CDsItemsBody* body = GetBody()) body->UpdateEdgesOfFace(this);
    Moved();
}

void CDsItemsFace::ResetTransformation()
{
    CDsItemsGroup::ResetTransformation();
    ForgetBox();
    Moved();
}

void CDsItemsFace::Moved()
{
    CDsItemsCopy::StItemMoved(this);
    if (CDsGlContext* context = GetGlContext()) context->OnItemsContentChanged();
}

void CDsItemsFace::ForgetBox()
{
    m_box.ResetMembers();
    StNoteFaceChange();  // the body's screen boxes of its faces no longer hold
}

void CDsItemsFace::FollowMeshEdits()
{
    if (m_box.IsNotComputed()) return;
    const CVyrIndexedMesh* mesh = GetMesh();
    if (!mesh || mesh->GetRevision() != m_boxRevision) ForgetBox();
}

void CDsItemsFace::RecomputeBox()
{
    ForgetBox();
    CDsBoxExpander expander(&m_box);
    if (HasTransformation()) expander.transformation = GetTransformation();
    CVyrIndexedMesh* mesh = GetMesh();
    if (mesh) mesh->CollectMeshTriangles(expander);
    m_boxRevision = mesh ? mesh->GetRevision() : CVyrIndexedMesh::SRevision();
}

void CDsItemsFace::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    FollowMeshEdits();
    if (m_box.IsNotComputed()) RecomputeBox();
    if (!m_box.IsNotComputed()) box.ExpandBox(m_box, transform);
}

void CDsItemsFace::ComputeBounds2D(view3d* view)
{
    StNoteFaceChange();
    ProjectBox(view);
}

void CDsItemsFace::ProjectBox(view3d* view)
{
    FollowMeshEdits();
    if (m_box.IsNotComputed()) RecomputeBox();
    m_box.ComputeBounds2D(view, true);
}

bool CDsItemsFace::GetBox(CGmPosition& low, CGmPosition& high, bool)
{
    FollowMeshEdits();
    if (m_box.IsNotComputed()) RecomputeBox();
    if (m_box.IsNotComputed()) return false;
    // The box is built under the face's transformation already: applying it again would answer a
    // box moved twice, away from where the face is drawn.
    m_box.GetMin(low);
    m_box.GetMax(high);
    return true;
}

void CDsItemsFace::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHidden() || (entity && entity != GetEntity())) return;
    FollowMeshEdits();
    if (m_box.IsNotComputed()) RecomputeBox();
    m_box.DrawExtremes(extrema);
}

bool CDsItemsFace::CheckExtremesOverlap(view3d* view)
{
    CDsGlContext* context = GetGlContext();
    if (context && context->Get(static_cast<EDsDocumentFlag>(13))) return true;
    if (CDsPickProccessor::sPickInRegionMode) return true;
    return m_box.CheckExtremesOverlap(view, true);
}

void CDsItemsFace::CountStatistics(CDsStatisticsItems* statistics)
{
    CVyrIndexedMesh* mesh = GetMesh();
    if (!statistics || !mesh || IsHidden()) return;
    CDsItemBase::CountStatistics(statistics);
    int nodes = 0, polygons = 0, corners = 0;
    mesh->GetQuantities(nodes, polygons, corners);
    statistics->IncrementStatistics(eDsPrimitiveNodes, nodes);
    statistics->IncrementStatistics(eDsPrimitivePolygons, polygons);
    statistics->IncrementStatistics(eDsPrimitivePolygonNodes, corners);
}

// === Drawing =====================================================================================

bool CDsItemsFace::UsesVertexColours() const
{
    // The palette first: without one (the usual case) the mesh is not looked at.
    if (!CDsDriverGl::mVertexColorPalette) return false;
    const CVyrIndexedMesh* mesh = GetMesh();
    if (!mesh || !mesh->GetVertexColors()) return false;
    CDsGlContext* context = GetGlContext();
    return context && context->Get(static_cast<EDsDocumentFlag>(21));
}

void CDsItemsFace::DrawGl(view3d& view)
{
    CVyrIndexedMesh* mesh = GetMesh();
    // A list recorded from another shape of the mesh (an edit in place) is recorded again.
    if (GetUseGlList() && mesh && mesh->GetRevision() != m_listRevision) DeleteGlList();
    const bool vertexColours = UsesVertexColours();
    const bool immediate = view.GetDocumentFlag(eDsDocumentFlagImmediateMesh);
    // A pick's selection or feedback reads no list: the painter sends the mesh from client arrays
    // (see CDsGlMeshPainter).
    if (CDsGlMeshPainter::StSelectsOrFeedsBack()) {
        if (mesh) FacePainter().DrawIndexedMesh(view, mesh, immediate);
        return;
    }
    // Under a placement that mirrors space (the walk's, the body's, a copy's, the face's own: the
    // model-view holds them all) the mesh goes out with clockwise front faces and its normals as
    // stored (the painter's reflect mode, immediately), into and out of a list of its own.
    const bool mirrored = DsModelViewMirrors();
    const CDsMirroredFrontFace frontFace(mirrored);
    const bool lists = DisplayListsInUse() && !vertexColours;
    const GLuint kept = mirrored ? m_mirroredList : (GetUseGlList() ? GetGlListName() : 0);
    if (kept != 0 && lists && !CDsGlContext::sPrintMode && !immediate) {
        glCallList(kept);
        return;
    }
    if (!mesh) return;

    const bool recording = lists && !DsGlListBeingCompiled() && StartRecording(mirrored);
    if (recording) m_listRevision = mesh->GetRevision();
    if (vertexColours) {
        const GLboolean lighting = glIsEnabled(GL_LIGHTING);
        const GLboolean colorMaterial = glIsEnabled(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        CDsStripsRendererGl renderer;
        CDsStripsWalker(mesh, &renderer).Draw();
        if (!colorMaterial) glDisable(GL_COLOR_MATERIAL);
        if (lighting)
            glEnable(GL_LIGHTING);
        else
            glDisable(GL_LIGHTING);
    } else {
        FacePainter(mirrored).DrawIndexedMesh(view, mesh, immediate || mirrored);
    }
    if (recording) EndBuildGlList();
}

bool CDsItemsFace::StartRecording(bool mirrored)
{
    if (!mirrored) {
        StartBuildGlList(true);
        if (GetGlListName() != 0) return true;
        DeleteGlList();
        return false;
    }
    if (m_mirroredList == 0) {
        m_mirroredList = glGenLists(1);
        if (m_mirroredList == 0) return false;
        StNoteVertexCountChange();
    }
    glNewList(m_mirroredList, GL_COMPILE_AND_EXECUTE);
    // So that whoever deletes the face's list when it goes stale (GetUseGlList) deletes this one.
    SetGlListFlag(true);
    return true;
}

void CDsItemsFace::DeleteGlList()
{
    CDsItemsGroup::DeleteGlList();
    if (m_mirroredList == 0) return;
    glDeleteLists(m_mirroredList, 1);
    m_mirroredList = 0;
    StNoteVertexCountChange();
}

void CDsItemsFace::Refresh(view3d& view)
{
    if (!IsHidden()) DrawAlone(view);
}

void CDsItemsFace::DrawAlone(view3d& view)
{
    const ERenderMode mode = view.GetRenderMode();
    if (mode != eRenderShade && mode != eRenderMixed) return;
    if (m_material)
        DsApplyGlMaterialFromAttributes(m_material, &view, false, false);
    else
        SetAttributesToView(&view);
    PushMatrix();
    DrawGl(view);
    PopMatrix();
}

void CDsItemsFace::DrawDisplayCurves(view3d& view, bool noAttributes)
{
    if (!m_curves || IsHidden()) return;
    if (view.GetRenderMode() == eRenderMixed && (GetAttributes()->GetFlags() & CDsLineAttribStorage::eFlagShaded))
        return;
    if (!noAttributes) SetAttributesToView(&view);
    PushMatrix();
    m_curves->Refresh(view);
    PopMatrix();
}

void CDsItemsFace::DrawToFrontBuffer(view3d& view)
{
    if (!GetHighlightState()) return;
    PushMatrix();
    if (m_curves) m_curves->Refresh(view);
    PopMatrix();
}

void CDsItemsFace::OpenGlPickFace(view3d* view, bool twoSided)
{
    if (IsHidden() || !GetEntity()) return;
    PushMatrix();
    glPushName(CDsSelectionNames::StGetName(this));
    if (m_material && view) {
        if (twoSided)
            DsSetGlFaceSidedness(view, m_material, true, false);
        else
            DsSetGlFaceSidednessIfChanged(m_material, view, false);
    }
    if (view) DrawGl(*view);
    glPopName();
    PopMatrix();
}

// === Display curves ==============================================================================

void CDsItemsFace::UpdateDisplayCurves()
{
    ENTITY* entity = GetEntity();
    if (!entity) return;
    const auto* counts =
        dynamic_cast<const CVyrDispCurveAtt*>(CVyrAttManager::GetVyrAttManager()->GetAttribute(entity, eVyrAttDispCurve));
    if (!counts || (counts->GetNu() == 0 && counts->GetNv() == 0) || !is_FACE(entity)) {
        ClearDisplayCurves();
        return;
    }
    CIsolineEdges isolines;
    {
        CVyrBulletinBoardScope board(0);
        API_BEGIN
        check_outcome(api_face_nu_nv_isolines(counts->GetNu(), counts->GetNv(), static_cast<FACE*>(entity),
                                              SPAtransf(), &isolines.list));
        API_END
        board.Close(result);
    }
    ClearDisplayCurves();
    if (isolines.list.count() == 0) return;
    m_curves = new CDsItemsGroup(nullptr, nullptr);
    m_curves->SetAttributes(*GetAttributes(), true);
    for (int i = 0; i < isolines.list.count(); ++i) {
        ENTITY* edge = isolines.list[i];
        if (!is_EDGE(edge)) continue;
        CDsGlSketch(nullptr).SketchCurveEdge(static_cast<EDGE*>(edge), nullptr, m_curves);
        AddEdgeData(static_cast<EDGE*>(edge));
    }
}

void CDsItemsFace::ClearDisplayCurves()
{
    delete m_curves;
    m_curves = nullptr;
    for (CDsEdgeData* data : m_edgeData) delete data;
    m_edgeData.clear();
}

void CDsItemsFace::AddEdgeData(EDGE* edge)
{
    if (!edge || !edge->geometry()) return;
    m_edgeData.push_back(
        new CDsEdgeData(edge->geometry()->equation(), edge->param_range(), edge->sense(), edge->get_convexity()));
}

const CDsEdgeData* CDsItemsFace::GetEdgeData(int index) const
{
    if (index < 0 || index >= GetEdgeDataCount()) return nullptr;
    return m_edgeData[static_cast<size_t>(index)];
}

// === Picking =====================================================================================

bool CDsItemsFace::PickDisplayCurve(pick_manager* manager, FACE*& face, int& curve)
{
    if (!m_curves || IsHidden() || !is_FACE(GetEntity())) return false;
    for (int i = 0; i < m_curves->Count(); ++i) {
        auto* polyline = dynamic_cast<CDsItemPolyline3D*>(m_curves->GetFast(i));
        if (!polyline || !polyline->Pick(manager)) continue;
        face = static_cast<FACE*>(GetEntity());
        curve = i;
        return true;
    }
    return false;
}

void CDsItemsFace::PickClosest(CDsItemsIdBuffer& buffer)
{
    if (IsHidden()) return;
    const SPAtransf transform = GetTransformation();
    buffer.PushOwner(&transform);
    buffer.SetCurrentItem(this);
    if (CVyrIndexedMesh* mesh = GetMesh()) mesh->CollectMeshTriangles(buffer);
    buffer.SetCurrentItem(nullptr);
    buffer.PopOwner();
}

void CDsItemsFace::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    if (GetAttributes()->IsHidden()) return;
    CDsItemsBody* body = GetBody();
    CVyrMeshInterface* meshes = body ? body->GetMeshInterface() : nullptr;
    ENTITY* entity = GetEntity();
    if (!meshes || !entity || meshes->GetPolygonCount(entity) == 0) return;
    if (data.GetMethod() == 1 || !data.AsksForSubEntities()) return;
    if (data.TestEntity(entity)) list.add(entity, 1);
}
