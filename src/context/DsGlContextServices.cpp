// CDsGlContext: the document's display settings and the services of the scene, its database scene,
// the refinement, the statistics, the sections and the pick processor; drawing into the front
// buffers and into a bitmap (see the header comment of DsGlContext.h).
#include "DsGlContext.h"

#include "DsBackground.h"
#include "DsBox.h"
#include "DsComplexSection.h"
#include "DsDocAttributesManager.h"
#include "DsFigure.h"
#include "DsGlScene.h"
#include "DsItemBase.h"
#include "DsItemEdge.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsItemsGroup.h"
#include "DsItemsMap.h"
#include "DsItemsUcs.h"
#include "DsLineAttribStorage.h"
#include "DsPerformanceMonitor.h"
#include "DsPickedFaces.h"
#include "DsPickProccessor.h"
#include "DsSectionPlane.h"
#include "DsStatisticsItems.h"
#include "DsView3dCdc.h"
#include "UiPickEvent.h"
#include "VyrExceptionMask.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"
#include "VyrRunTimeDocId.h"

#include "SpaErrors.h"
#include "SpaTopology.h"
#include "view3d.h"
#include "view_context.h"

#include <GL/gl.h>

#include <utility>
#include <vector>

// --- Document flags and settings ----------------------------------------------------------------

void CDsGlContext::SetOpenEdgesMode(bool on)
{
    if (m_scene->GetDisplayModeFlag(14) == on) return;
    // The flag's own effect reads the geometry-curve colour only when it goes on; the mode reads
    // it in both directions, so that a colour changed meanwhile is taken either way.
    if (!on) m_scene->LoadGeomCurveColor();
    // The flag's effect then widens or narrows every body's edges once and marks the picture
    // properties changed.
    m_scene->SetDisplayModeFlag(14, on);
}

bool CDsGlContext::GetOpenEdgesMode() const
{
    return m_scene->GetDisplayModeFlag(14);
}

bool CDsGlContext::GetDuplicateEdgesMode() const
{
    return m_scene->GetDisplayModeFlag(13);
}

void CDsGlContext::SetMonochromeColor(const CDsColorStorage& color)
{
    m_scene->SetMonochromeColor(color);
    m_scene->InvalidatePictureProps();
    RefreshViews(eRenderShade);
}

void CDsGlContext::SetAutoHideMode(bool) {}

bool CDsGlContext::GetAutoHideMode() const
{
    return false;
}

void CDsGlContext::SetPictureNumberTransView(int number)
{
    m_scene->GetPerformanceMonitor().SetAnimationViewNumOfPics(number);
}

int CDsGlContext::GetPictureNumberTransView() const
{
    return m_scene->GetPerformanceMonitor().GetAnimationViewNumOfPics();
}

void CDsGlContext::SetBackground(const CDsBackground& background)
{
    m_scene->GetBackground().SetBackground(background);
    m_scene->InvalidatePictureProps();
}

void CDsGlContext::SetVertexColorPalette(const CDsPalette* palette)
{
    m_scene->SetVertexColorPalette(palette);
}

void CDsGlContext::SetUcsReference(const CVyrWCS* entity)
{
    if (CDsItemsUcsReference* reference = m_scene->GetReferenceUcs()) reference->SetReferenceUcs(entity);
}

void CDsGlContext::GetUcsReference(CGmUnitVector* axes, SPAposition& origin) const
{
    if (CDsItemsUcsReference* reference = m_scene->GetReferenceUcs()) reference->GetReferenceUcs(axes, origin);
}

void CDsGlContext::TransformToReferenceUcs(SPAunit_vector& direction) const
{
    if (CDsItemsUcsReference* reference = m_scene->GetReferenceUcs()) reference->TransformToReferenceUcs(direction);
}

void CDsGlContext::SetRotateToPlaneReference(const SPAvector& first, const SPAvector& second, const SPAposition& position)
{
    m_scene->SetRotateToPlaneReference(first, second, position);
}

bool CDsGlContext::GetRotateToPlaneReference(SPAvector& first, SPAvector& second, SPAposition& position) const
{
    return m_scene->GetRotateToPlaneReference(first, second, position);
}

void CDsGlContext::GetDefaultRotationCenter(SPAposition& centre) const
{
    if (const SPAposition* stored = m_scene->GetDefaultRotationCenter())
        centre = *stored;
    else
        GetBoxCenter(centre);
}

void CDsGlContext::SetDefaultRotationCenter(const SPAposition& centre)
{
    m_scene->SetDefaultRotationCenter(centre);
}

void CDsGlContext::GetBox(SPAposition& low, SPAposition& high) const
{
    const CDsBox box = m_scene->GetBoundsBox();
    const float* min = box.GetMin();
    const float* max = box.GetMax();
    low = SPAposition(min[0], min[1], min[2]);
    high = SPAposition(max[0], max[1], max[2]);
}

void CDsGlContext::GetBoxCenter(SPAposition& centre) const
{
    SPAposition low, high;
    GetBox(low, high);
    centre = SPAposition((low.x() + high.x()) / 2, (low.y() + high.y()) / 2, (low.z() + high.z()) / 2);
}

// --- Refinement and meshes ----------------------------------------------------------------------

CVyrRefinement* CDsGlContext::GetRefinement() const
{
    return m_scene->GetRefinement();
}

void CDsGlContext::SetCurrentRefinement(bool once)
{
    m_scene->UpdateRefinement(once);
}

bool CDsGlContext::GetRefinementChangedFlag() const
{
    CVyrRefinement* refinement = m_scene->GetRefinement();
    return refinement && refinement->GetChangedFlag();
}

void CDsGlContext::SetRefinementChangedFlag(bool changed)
{
    if (CVyrRefinement* refinement = m_scene->GetRefinement()) refinement->SetChangedFlag(changed);
}

void CDsGlContext::ReFacetAll()
{
    PushDisplaySuspension();
    m_scene->UpdateRefinement(false);
    std::vector<CDsItemBase*> bodies;
    m_scene->CollectBodies(bodies);
    // The edges are evaluated again (at the current refinement, which the scene's lends to the
    // sketch for the while) before each body meshes its faces again; once every body is done, a
    // second pass hands the edge items the new polyline entries. Without it the edges would keep
    // the polylines of the first sketch and not follow a new curve tolerance.
    CVyrRefinement* previousCurrent = CVyrRefinement::sCurrentRefinement;
    CVyrRefinement* sceneRefinement = m_scene->GetRefinement();
    if (sceneRefinement) CVyrRefinement::StSetCurrentRefinement(sceneRefinement);
    std::vector<std::pair<CDsItemsBody*, CVyrMeshInterface*>> done;
    for (CDsItemBase* item : bodies) {
        auto* group = dynamic_cast<CDsItemsGroup*>(item);
        if (!group) continue;
        // An interface without a refinement of its own facets with the current view's: while
        // another context's view is current, that would be the other document's tolerances.
        auto* body = dynamic_cast<CDsItemsBody*>(group);
        CVyrMeshInterface* meshes = body ? body->GetMeshInterface() : nullptr;
        BODY* entity = body ? dynamic_cast<BODY*>(body->GetEntity()) : nullptr;
        if (meshes && entity) meshes->ReevaluateEdges(entity, group);
        const bool lend = meshes && !meshes->GetVyrRefinement();
        if (lend) meshes->SetVyrRefinement(sceneRefinement);
        group->ReFacetBody();
        if (lend) meshes->SetVyrRefinement(nullptr);
        if (body && meshes) done.emplace_back(body, meshes);
    }
    for (auto& [body, meshes] : done) body->ReconnectPolylines(meshes);
    CVyrRefinement::StSetCurrentRefinement(previousCurrent);
    // The items draw their new meshes: no view puts its kept picture back.
    m_scene->InvalidateContent();
    PopDisplaySuspension();
}

int CDsGlContext::ComputeNumOfTriangles()
{
    std::vector<CDsItemBase*> bodies;
    m_scene->CollectBodies(bodies);
    for (CDsItemBase* item : bodies)
        if (auto* body = dynamic_cast<CDsItemsBody*>(item))
            if (CVyrMeshInterface* meshes = body->GetMeshInterface()) meshes->ComputeNumOfTriangles();
    return 0;
}

void CDsGlContext::UpdateOpenGlDisplayLists(bool keep)
{
    m_scene->UpdateGroupsDisplayLists(keep);
}

void CDsGlContext::FlipMeshNormals(const ENTITY_LIST* faces)
{
    if (!faces) return;
    ENTITY_LIST& list = const_cast<ENTITY_LIST&>(*faces);
    list.init();
    while (ENTITY* entity = list.next()) {
        if (!is_FACE(entity)) continue;
        if (CVyrMeshInterface* meshes = GetMeshInterface(get_owner(entity))) meshes->FlipMeshNormals(entity);
    }
    // The faces draw what they drew with the old normals until the views draw again.
    m_scene->InvalidatePictureProps();
    RefreshViews(eRenderShade);
    RefreshViews(eRenderMixed);
}

void CDsGlContext::UpdateDisplayCurves(ENTITY_LIST* faces)
{
    if (!faces) return;
    faces->init();
    bool updated = false;
    while (ENTITY* entity = faces->next()) {
        if (!is_FACE(entity)) break;
        if (auto* face = dynamic_cast<CDsItemsFace*>(FindDsItem(entity, eDsSearchRealEntity))) {
            face->UpdateDisplayCurves();
            updated = true;
        }
    }
    if (updated) m_scene->InvalidateContent();
}

void CDsGlContext::StartPartialChangeUpdates(BODY* body)
{
    if (FindDsBody(body)) MakeMyViewCurrent();
}

void CDsGlContext::CompletePartialChangeUpdates(BODY* body)
{
    CDsItemsBody* group = FindDsBody(body);
    if (!group) return;
    MakeMyViewCurrent();
    group->CompletePartialChangeUpdates(m_scene->GetDisplayModeFlag(13));
}

void CDsGlContext::UpdateThread(EDGE* edge, CDsFigure* figure, bool show)
{
    auto* item = dynamic_cast<CDsItemEdge*>(FindDsItem(edge));
    if (!item) return;
    // Only a figure recorded in this context's scene is this context's to take off the display.
    const auto takeOff = [this](CDsFigure* shown) {
        if (shown->IsRecorded() && shown->GetGlContext() == this) shown->Remove();
    };
    CDsFigure* previous = item->GetThreadFigure();
    if (previous && previous != figure) takeOff(previous);
    item->SetThreadFigure(figure);
    if (!figure) return;
    if (!show || !GetThreadsMode()) {
        takeOff(figure);
        return;
    }
    if (figure->IsRecorded()) return;
    viewport_iterator it(views());
    if (view3d* first = it.next()) figure->Record(true, first);
}

bool CDsGlContext::GetThreadsMode() const
{
    return CDsDocAttributesManager(CVyrRunTimeDocId(m_scene->GetDbScene().GetPeerPartId())).ReadThreadsState();
}

void CDsGlContext::InvalidateBox()
{
    m_scene->SetDisplayModeFlag(15, false);
    m_scene->NoteMeshEdits();
    m_scene->RecomputeBoundsBox();
}

int CDsGlContext::GetLineAttributes(const ENTITY* entity, CDsLineAttribStorage& attributes) const
{
    CDsItemBase* item = FindDsItem(entity);
    if (!item) return 0;
    item->GetAttribute(attributes);
    return 1;
}

void CDsGlContext::CountGlItems(int& bodies, int& faces, int& edges, int&)
{
    m_scene->CountGroupsItems(bodies, faces, edges);
}

// --- Statistics ---------------------------------------------------------------------------------

void CDsGlContext::CountStatistics()
{
    m_scene->CountStatistics();
}

void CDsGlContext::GetStatistics(EDsItemsType type, int& count, int& flagged) const
{
    m_scene->GetPerformanceMonitor().GetStatistics(type, count, flagged);
}

void CDsGlContext::CleanUpStatistics()
{
    m_scene->GetPerformanceMonitor().DeleteStatisticsItems();
}

CDsStatisticsItems* CDsGlContext::GetItemsCount()
{
    return m_scene->GetPerformanceMonitor().GetStatisticsItems();
}

void CDsGlContext::TraceMap() const
{
    m_itemsMap->Trace();
}

// --- Pick processor settings and the picks that find nothing here --------------------------------

void CDsGlContext::SetSelectionMode(EDsSelectionByBoxMode mode)
{
    m_pickProccessor->SetSelectionMode(mode);
}

EDsSelectionByBoxMode CDsGlContext::GetSelectionMode() const
{
    return m_pickProccessor->GetSelectionMode();
}

void CDsGlContext::SetPickPointMask(eVyrParamPointType mask)
{
    m_pickProccessor->SetPickPointMask(mask);
}

eVyrParamPointType CDsGlContext::GetPickPointMask() const
{
    return m_pickProccessor->GetPickPointMask();
}

void CDsGlContext::SetPickInfoStorage(const CDsPickInfoStorage& storage)
{
    m_pickProccessor->SetPickInfoStorage(storage);
}

CDsPickInfoStorage& CDsGlContext::GetPickInfoStorage()
{
    return m_pickProccessor->GetPickInfoStorage();
}

bool CDsGlContext::GetFilterBodyInDraftingMode() const
{
    return m_pickProccessor->GetFilterBodyInDraftingMode();
}

void CDsGlContext::SetFilterBodyInDraftingMode(bool on)
{
    m_pickProccessor->SetFilterBodyInDraftingMode(on);
}

int CDsGlContext::PickTrianglesFigures(pick_manager*)
{
    return 0;
}

int CDsGlContext::DoPick(pick_manager*)
{
    return 0;
}

bool CDsGlContext::OpenGLPickEdge(const CUiPickEvent&)
{
    return false;
}

bool CDsGlContext::PickDisplayCurve(pick_manager*)
{
    return false;
}

CDsPickedItem* CDsGlContext::PickClosest(const CUiPickEvent&)
{
    return nullptr;
}

CDsPickedItem* CDsGlContext::PickSectionRefPoint(const CUiPickEvent&)
{
    return nullptr;
}

// --- The modeler-based picks --------------------------------------------------------------------

int CDsGlContext::PickThruWireFrameFace(const CUiPickEvent& event, ENTITY*& entity)
{
    return m_pickProccessor->PickThruWireFrameFace(event, entity);
}

int CDsGlContext::OpenGLSortFaces(const CUiPickEvent& event, CDsPickedFaces& faces)
{
    return m_pickProccessor->OpenGLSortFaces(event, faces);
}

ENTITY* CDsGlContext::OpenGLPick1Face(const pick_event& event, CDsGlGroupIterator& items, CDsItemsGroup*& group,
                                      std::vector<CDsItemEdge*>& edges)
{
    return m_pickProccessor->OpenGLPick1Face(event, items, group, edges);
}

CDsRefPoint* CDsGlContext::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask)
{
    return m_pickProccessor->PickRefPoint(event, mask);
}

bool CDsGlContext::PickGroupComponent(pick_manager* manager, CDsItemsGroup* group)
{
    return m_pickProccessor->PickGroupComponent(manager, group);
}

void CDsGlContext::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    m_scene->CollectSelectAll(data, list);
}

int CDsGlContext::PickFigures(pick_manager* manager)
{
    return m_scene->PickFigures(manager);
}

int CDsGlContext::PickVyrEntities(pick_manager* manager)
{
    return m_scene->PickEntities(manager);
}

CDsRefPoint* CDsGlContext::PickApexPoint(ENTITY* entity, CDsItemsBody* body, CUiPickEvent event)
{
    return m_pickProccessor->PickApexPoint(entity, body, event);
}

// --- Sections -----------------------------------------------------------------------------------

void CDsGlContext::SetSection(const SPAposition& point, const SPAvector& normal)
{
    m_scene->SetSection(point, normal);
}

void CDsGlContext::ResetSection()
{
    m_scene->ResetSection();
}

void CDsGlContext::TranslateSection(double distance)
{
    m_scene->TranslateSection(distance);
}

void CDsGlContext::FlipSection()
{
    m_scene->FlipSection();
}

void CDsGlContext::RebuildSection()
{
    if (!m_scene->HasSection()) return;
    OnPicturePropsChanged();
}

void CDsGlContext::SetSectionTransformation(CGmTransformation& transformation)
{
    m_scene->SetSectionTransformation(transformation);
}

bool CDsGlContext::GetSectionPlaneParametes(double* coefficients) const
{
    const CDsSectionPlane* plane = m_scene->GetSectionPlane();
    if (!plane || !coefficients) return false;
    for (int i = 0; i < 4; ++i) coefficients[i] = plane->GetEquation()[i];
    return true;
}

void CDsGlContext::SetGeometry(const std::vector<CVyrObjectId>& items, const SPAposition& point, const SPAvector& normal)
{
    if (m_scene->GetSectionPlane()) return;
    m_scene->SetSection(point, normal);
    if (CDsSectionPlane* plane = m_scene->GetSectionPlane()) plane->SetItems(items);
}

bool CDsGlContext::GetGeometry(std::vector<CVyrObjectId>& items, SPAposition& point, SPAvector& normal) const
{
    const CDsSectionPlane* plane = m_scene->GetSectionPlane();
    if (!plane) return false;
    items = plane->GetItems();
    point = plane->GetPoint();
    normal = SPAvector(plane->GetNormal().x(), plane->GetNormal().y(), plane->GetNormal().z());
    return true;
}

void CDsGlContext::SetComplexSection(CVyrComplexSection* section)
{
    m_scene->SetComplexSection(section);
}

CDsComplexSection* CDsGlContext::GetComplexSection() const
{
    return m_scene->GetComplexSection();
}

void CDsGlContext::SetSectionClipping(int group)
{
    CDsComplexSection* section = m_scene->GetComplexSection();
    if (section && group >= 0 && group < section->GetGroupCount()) section->EnableClipPlanes(group);
}

void CDsGlContext::ResetSectionClipping(int group)
{
    CDsComplexSection* section = m_scene->GetComplexSection();
    if (section && group >= 0 && group < section->GetGroupCount()) section->DisableClipPlanes(group);
}

int CDsGlContext::GetNumberOfDrawIterations() const
{
    const CDsComplexSection* section = m_scene->GetComplexSection();
    return section ? section->GetGroupCount() : 0;
}

bool CDsGlContext::IsSection() const
{
    return m_scene->HasSection();
}

bool CDsGlContext::GetSectionPlaneNormal(SPAunit_vector& normal) const
{
    const CDsSectionPlane* plane = m_scene->GetSectionPlane();
    if (!plane) return false;
    normal = plane->GetNormal();
    return true;
}

bool CDsGlContext::IsPointClipped(const SPAposition& point) const
{
    return m_scene->IsPointClipped(point);
}

bool CDsGlContext::CanItemBeClipped(const CVyrObjectPath& path) const
{
    return m_scene->CanItemBeClipped(path);
}

void CDsGlContext::SealSection() {}

void CDsGlContext::SetSectionHatch() {}

void CDsGlContext::ResetSectionHatch() {}

void CDsGlContext::SetSectionHiddenFacesUse(bool) {}

void CDsGlContext::DrawSectionPolyline(int)
{
    refresh_all();
}

// --- Scene database -----------------------------------------------------------------------------

void CDsGlContext::InvalidateStates()
{
    m_scene->GetDbScene().InvalidateStates();
}

unsigned short CDsGlContext::NewTransformId()
{
    return m_scene->GetDbScene().NewTransformId();
}

void CDsGlContext::ReleaseTransformId(unsigned short id)
{
    m_scene->GetDbScene().ReleaseTransformId(id);
}

bool CDsGlContext::SetTransform(unsigned short id, const SPAtransf& transform)
{
    return m_scene->GetDbScene().SetTransform(id, transform);
}

bool CDsGlContext::GetTransform(unsigned short id, SPAtransf& transform) const
{
    return m_scene->GetDbScene().GetTransform(id, transform);
}

bool CDsGlContext::SetTransformId(const CVyrObjectPath& path, unsigned short id)
{
    return m_scene->GetDbScene().SetTransformId(path, id);
}

unsigned short CDsGlContext::GetTransformId(const CVyrObjectPath& path) const
{
    return m_scene->GetDbScene().GetTransformId(path);
}

bool CDsGlContext::SetOrgAttrs(const CVyrObjectPath& path)
{
    return m_scene->GetDbScene().SetOrgAttrs(path);
}

bool CDsGlContext::ClearOrgAttrs(const CVyrObjectPath& path)
{
    return m_scene->GetDbScene().ClearOrgAttrs(path);
}

bool CDsGlContext::SetOnTop(const CVyrObjectPath& path)
{
    return m_scene->GetDbScene().SetOnTop(path);
}

bool CDsGlContext::ClearOnTop(const CVyrObjectPath& path)
{
    return m_scene->GetDbScene().ClearOnTop(path);
}

bool CDsGlContext::ResetHideShow(const CVyrObjectPath& path)
{
    return m_scene->GetDbScene().ResetHideShow(path);
}

bool CDsGlContext::ForceHide(const CVyrObjectPath& path)
{
    return m_scene->GetDbScene().ForceHide(path);
}

bool CDsGlContext::ForceShow(const CVyrObjectPath& path)
{
    return m_scene->GetDbScene().ForceShow(path);
}

int CDsGlContext::GetTempPartId() const
{
    return m_scene->GetDbScene().GetTempPartId();
}

int CDsGlContext::NextTempItemId()
{
    return m_scene->GetDbScene().NextTempItemId();
}

// --- Drawing into the front buffers and into a bitmap -------------------------------------------

void CDsGlContext::DrawToFrontBuffers(ENTITY* entity)
{
    if (!entity) return;
    ENTITY* top = GetTopLevel(entity);
    CDsItemBase* item = m_itemsMap->Find(top ? top : entity);
    if (!item) return;
    DrawToFrontBuffers(std::deque<CDsItemBase*>{item});
}

void CDsGlContext::DrawToFrontBuffers(std::deque<CDsItemBase*> items)
{
    CVyrExceptionMask mask;
    m_clearBufferMode = false;
    MakeMyViewCurrent();
    view3d* const remembered = CDsView3dCdc::sCurrentView;
    viewport_iterator it(views());
    while (view3d* view = it.next()) {
        auto* core = dynamic_cast<CDsView3dCdc*>(view);
        if (!core || !Get_gl_context_data(view)) continue;
        glFlush();
        CDsView3dCdc::StSetCurrent(core, false);
        MakeCurrent(view);
        core->SetupRenderingTransforms(false, true, m_clearBufferMode, nullptr);
        core->SetDrawPhase(eDsDrawPhasePlot);
        m_scene->DrawToFrontBuffers(view, items);
    }
    if (auto* core = dynamic_cast<CDsView3dCdc*>(remembered)) {
        CDsView3dCdc::StSetCurrent(core, false);
        MakeCurrent(core);
    }
    m_clearBufferMode = true;
}

void CDsGlContext::draw_to_bitmap(view3d* view)
{
    if (!view) return;
    gl_context_data* record = Get_gl_context_data(view);
    if (!record || !record->get_GLRC()) return;
    sCurrentView = nullptr;  // the record drawn into need not be the view's window record
    if (!make_current(view, record)) return;
    SetupRenderingTransforms(view, false, nullptr);
    glDrawBuffer(record->get_Bitmap() ? GL_FRONT : GL_BACK);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_scene->GetBackground().Refresh(*view);
    m_scene->ApplyLightModel(view);
    ENTITY_LIST entities;
    get_entities(entities, nullptr, false);
    // A group made for an entity enters its entities in the item map over the shown items, and
    // deleting it takes them out: what the map held is put back afterwards.
    std::vector<std::pair<ENTITY*, CDsItemBase*>> shown;
    entities.init();
    while (ENTITY* entity = entities.next()) shown.emplace_back(entity, m_itemsMap->Find(entity));
    API_BEGIN
    entities.init();
    while (ENTITY* entity = entities.next()) {
        CDsItemBase* const item = m_itemsMap->Find(entity);
        CDsItemsGroup* group = CreateGLEntListFromEntity(entity);
        if (!group) continue;
        // The picture shows the entity as its shown item looks.
        if (item && item->GetAttributes()) group->SetAttributes(*item->GetAttributes(), true);
        group->Refresh(*view);
        delete group;
    }
    API_END
    for (const auto& entry : shown) m_itemsMap->Add(entry.first, entry.second);
    glFinish();
    sCurrentView = nullptr;  // the next MakeCurrent switches back to a window record
}
