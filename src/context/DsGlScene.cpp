// CDsGlScene: the root groups, document flags and settings of an OpenGL rendering context.
#include "DsGlScene.h"

#include "DsItemsUcs.h"

#include "DsExtremaWalk.h"

#include "DsAttributesPalette.h"
#include "DsBackground.h"
#include "DsComplexSection.h"
#include "DsDebugData.h"
#include "DsDriverExtrema.h"
#include "DsFigure.h"
#include "DsFigureGeometry.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlExtensions.h"
#include "DsHideLevel.h"
#include "DsItemsHlView.h"
#include <GL/gl.h>
#include "DsStatisticsItems.h"
#include "DsDriverGl.h"
#include "DsItemsBody.h"
#include "VyrIndexedMesh.h"
#include "DsItemsCopy.h"
#include "DsItemsFigure.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPalette.h"
#include "DsPreferencesServices.h"
#include "DsQueryIDInt.h"
#include "DsSectionPlane.h"
#include "DsSelectAllData.h"
#include "DsShader.h"
#include "DsStateContainer.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "VyrAttManager.h"
#include "VyrComplexSection.h"
#include "VyrRefinement.h"

#include "SpaEntity.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <unordered_set>
#include <vector>

namespace {

// The object types a display-mode flag hides in the database scene while it is on.
std::vector<int> TypesOfFlag(int index)
{
    switch (index) {
    case 4: return {10, 11, 12};
    case 5: return {15};
    case 25: return {63};
    default: return {};
    }
}

// Grows `box` by the eight corners of `source` (nothing for an empty one) drawn into the view.
void DrawBoxCorners(const CDsBox& box, CDsViewExtrema& view)
{
    if (box.IsNotComputed()) return;
    const float* low = box.GetMin();
    const float* high = box.GetMax();
    for (int i = 0; i < 8; ++i)
        view.draw_point_3d(SPAposition(i & 1 ? high[0] : low[0], i & 2 ? high[1] : low[1], i & 4 ? high[2] : low[2]));
}

}  // namespace

CDsGlScene::CDsGlScene(CDsGlContext* owner, int sceneNumber)
    : m_owner(owner),
      m_sceneNumber(sceneNumber),
      m_roots{{nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
              {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}},
      m_dbScene(sceneNumber)
{
    m_refinement = new CVyrRefinement;
    m_refinement->ReadPreferences();
    CVyrRefinement::StSetCurrentRefinement(m_refinement);
    // Set through the flag operation, so that the start runs the same effects as a later change
    // (object types 15 and 63 hidden in the database scene).
    SetDisplayModeFlag(5, true);
    SetDisplayModeFlag(25, true);
    SetDisplayModeFlag(7, true);
    m_picturePropsValid = true;
    m_history = new CDsStateContainer;
    m_attributesPalette = new CDsAttributesPalette(16);
    m_attributesPalette->IncrementUse();
    m_paletteRevision = m_attributesPalette->GetRevision();
    m_figureEdits = CDsFigure::StItemEdits();
    m_referenceUcs = new CDsItemsUcsReference;
    m_seenSettings = ReadPictureSettings();
}

CDsGlScene::~CDsGlScene()
{
    m_lights.SetDrawLightFiguresMode(false);
    m_flags.reset(15);
    if (m_sectionPlane) m_sectionPlane->Reset();
    delete m_sectionPlane;
    m_sectionPlane = nullptr;
    delete m_refinement;  // no longer the current refinement once it is gone
    m_refinement = nullptr;
    delete m_rotationCentre;
    delete m_rotateFirst;
    delete m_rotateSecond;
    delete m_rotatePosition;
    delete m_history;
    delete m_complexSection;
    m_complexSection = nullptr;
    m_attributesPalette->Loose();
    m_attributesPalette = nullptr;
    delete m_pixelShader;
    delete m_vertexShader;
    delete m_vertexColors;
    delete m_referenceUcs;
}

// --- Root groups --------------------------------------------------------------------------------

CDsItemsGroup* CDsGlScene::GetRootGroup(ERootGroup which)
{
    if (which < 0 || which >= eRootCount) return nullptr;
    return &m_roots[which];
}

CDsGlScene::ERootGroup CDsGlScene::KindOf(CDsItemBase* group)
{
    switch (group->GetItemType()) {
    case eDsItemsBody: {
        auto* body = static_cast<CDsItemsGroup*>(group);
        return body->FacesCount() != 0 ? eRootBodies : eRootWireBodies;
    }
    case eDsItemsHlView: return eRootHlViews;
    case eDsItemsFigure: return eRootFigures;
    case eDsItemsCopy: return eRootCopies;
    case eDsItemsToolpath: return eRootToolpaths;
    default: return eRootUnsorted;
    }
}

void CDsGlScene::AddItemsGroup(CDsItemsGroup* group)
{
    if (!group) return;
    m_flags.set(16);
    if (!m_flags.test(7)) {
        m_roots[eRootUnsorted].Add(group);
        return;
    }
    const ERootGroup kind = KindOf(group);
    m_roots[kind].Add(group);
    if (auto* view = kind == eRootHlViews ? dynamic_cast<CDsItemsHlView*>(group) : nullptr) {
        view->UpdateBox();
        int level = 0;
        if (CVyrAttManager::GetVyrAttManager()->GetVisibility(view->GetEntity(), level))
            view->SetSegmentsVisibility(static_cast<EVisibilityLevel>(level), true, false);
    }
    if (kind == eRootToolpaths || kind == eRootFigures) group->SetGlContext(m_owner);
    // A hidden-line view takes the context too, and so do its segment sets, which know no parent:
    // the scene database knows nothing of it, so a hide or show on its own item (or on an item
    // inside it) can tell the frames only through it.
    if (auto* view = kind == eRootHlViews ? dynamic_cast<CDsItemsHlView*>(group) : nullptr)
        view->SetViewContext(m_owner);
    else if (kind == eRootHlViews)
        group->SetGlContext(m_owner);
    // The frames draw the hidden-line views from their root group, not from the scene database.
    if (kind == eRootHlViews)
        InvalidateContent();
    else
        m_flags.reset(15);
}

namespace {

// Adds `group` and every group below it to `groups`.
void CollectGroups(CDsItemsGroup* group, std::unordered_set<const CDsItemsGroup*>& groups)
{
    groups.insert(group);
    for (CDsItemBase* child : group->GetDsItems())
        if (auto* inner = dynamic_cast<CDsItemsGroup*>(child)) CollectGroups(inner, groups);
}

}  // namespace

void CDsGlScene::RemoveItemsGroup(CDsItemsGroup* group)
{
    if (!group) return;
    const ERootGroup kind = KindOf(group);
    bool drawnByTheFrames = false;
    if (group->GetItemType() == eDsItemsBody) {
        // Its face count may have changed since it was filed.
        if (!m_roots[eRootWireBodies].Disconnect(group)) m_roots[eRootBodies].Disconnect(group);
    } else if (kind != eRootUnsorted) {
        drawnByTheFrames = m_roots[kind].Disconnect(group) && kind == eRootHlViews;
        if (kind == eRootToolpaths || kind == eRootFigures || drawnByTheFrames) group->SetGlContext(nullptr);
        if (auto* view = drawnByTheFrames ? dynamic_cast<CDsItemsHlView*>(group) : nullptr) view->SetViewContext(nullptr);
    }
    m_roots[eRootUnsorted].Disconnect(group);
    // The copies made from the group, or from a group inside it (a copy may have been given a
    // face item of a body), let it go: it has left the scene, and a copy shows only what the scene
    // shows. Copies filed while sorting was off sit in the unsorted group.
    std::vector<CDsItemsCopy*> copies;
    for (ERootGroup root : {eRootCopies, eRootUnsorted})
        for (CDsItemBase* child : m_roots[root].GetDsItems())
            if (auto* copy = dynamic_cast<CDsItemsCopy*>(child))
                if (copy->GetBody()) copies.push_back(copy);
    if (!copies.empty()) {
        std::unordered_set<const CDsItemsGroup*> inside;
        CollectGroups(group, inside);
        for (CDsItemsCopy* copy : copies)
            if (inside.count(copy->GetBody())) copy->ReleaseBody();
    }
    if (drawnByTheFrames)
        InvalidateContent();
    else
        m_flags.reset(15);
}

void CDsGlScene::ActivateGroup(CDsItemsGroup* group, bool active)
{
    if (!group) return;
    if (active) {
        if (!m_roots[eRootUnsorted].Disconnect(group)) return;
        AddItemsGroup(group);
    } else {
        if (!m_roots[eRootWireBodies].Disconnect(group) && !m_roots[eRootBodies].Disconnect(group) &&
            !m_roots[eRootFigures].Disconnect(group))
            return;
        m_roots[eRootUnsorted].Add(group);
    }
    m_flags.reset(15);
}

CDsItemBase* CDsGlScene::FindItemInGroup(CDsItemsGroup* group, const ENTITY* entity) const
{
    if (!group) return nullptr;
    for (int i = 0; i < group->Count(); ++i) {
        CDsItemBase* child = group->GetFast(i);
        if (child && child->GetEntity() == entity) return child;
    }
    return nullptr;
}

CDsItemsFigure* CDsGlScene::FindGroupById(CDsFigure* figure)
{
    if (!figure) return nullptr;
    for (CDsItemBase* child : m_roots[eRootFigures].GetDsItems()) {
        auto* group = dynamic_cast<CDsItemsFigure*>(child);
        if (group && group->GetFigure() == figure) return group;
    }
    return nullptr;
}

void CDsGlScene::CountGroupsItems(int& bodies, int& faces, int& edges)
{
    CDsItemsGroup& group = m_roots[eRootBodies];
    for (int i = 0; i < group.Count(); ++i) {
        auto* body = dynamic_cast<CDsItemsGroup*>(group.GetFast(i));
        if (!body) continue;
        ++bodies;
        faces += body->FacesCount();
        if (auto* edgeGroup = dynamic_cast<CDsItemsGroup*>(body->GetDsEdges())) edges += edgeGroup->Count();
    }
}

void CDsGlScene::UpdateGroupsDisplayLists(bool keep)
{
    if (keep) return;
    CDsItemsGroup& group = m_roots[eRootBodies];
    for (int i = 0; i < group.Count(); ++i) group.GetFast(i)->DeleteGlList();
}

void CDsGlScene::ResetAttributes(EDsResetAttributeAction action)
{
    for (ERootGroup root : {eRootBodies, eRootFigures, eRootHlViews, eRootWireBodies, eRootToolpaths, eRootCopies}) {
        CDsItemsGroup& group = m_roots[root];
        for (int i = 0; i < group.Count(); ++i) group.GetFast(i)->ResetAttributes(action);
    }
    // The figures recorded in the scene are items of its temporary part, drawn through their
    // figures' groups: they are items of the scene as well.
    if (const CDsPart* temp = CDsPartStorage::instance()->GetPart(m_dbScene.GetTempPartId()))
        for (const auto& [id, item] : temp->GetItems())
            if (auto* geometry = dynamic_cast<CDsFigureGeometry*>(item->GetGeometry()))
                if (CDsFigure* figure = geometry->GetFigure()) figure->ResetAttributes(action);
    InvalidateContent();
}

bool CDsGlScene::AttachEntity(ENTITY* entity, int componentId)
{
    const int pid = CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(entity);
    for (ERootGroup root : {eRootBodies, eRootUnsorted, eRootFigures, eRootWireBodies}) {
        CDsItemsGroup& group = m_roots[root];
        for (int i = 0; i < group.Count(); ++i)
            if (group.GetFast(i)->AttachEntity(entity, componentId, pid)) return true;
    }
    return false;
}

void CDsGlScene::ForceShowAll()
{
    const CDsHideLevel shown(eDsHideLevelShown);
    for (ERootGroup root : {eRootWireBodies, eRootBodies, eRootHlViews, eRootFigures, eRootToolpaths})
        m_roots[root].SetAttribute(shown, true, true);
    InvalidateContent();
}

void CDsGlScene::CollectBodies(std::vector<CDsItemBase*>& out)
{
    for (ERootGroup root : {eRootBodies, eRootUnsorted, eRootWireBodies, eRootToolpaths}) {
        CDsItemsGroup& group = m_roots[root];
        for (int i = 0; i < group.Count(); ++i) out.push_back(group.GetFast(i));
    }
}

void CDsGlScene::ComputeItemsBounds2D(view3d* view)
{
    if (!view) return;
    if (!view->GetFlag(eDsViewFlagFastRefresh)) {
        for (ERootGroup root : {eRootBodies, eRootWireBodies, eRootCopies}) {
            CDsItemsGroup& group = m_roots[root];
            for (int i = 0; i < group.Count(); ++i) group.GetFast(i)->ComputeBounds2D(view);
        }
    }
    CDsItemsGroup& views = m_roots[eRootHlViews];
    for (int i = 0; i < views.Count(); ++i) views.GetFast(i)->ComputeBounds2D(view);
    CDsRectangle::StCacheViewport(view);
}

void CDsGlScene::CollectPickableItems(view3d* view, bool acceptOutside, std::vector<CDsItemsGroup*>& out)
{
    CDsView3dCdc::StMakeGlCurrentView(view);
    if (m_flags.test(19)) {
        ComputeItemsBounds2D(view);
        m_flags.reset(19);
    }
    for (ERootGroup root : {eRootBodies, eRootWireBodies, eRootHlViews}) {
        CDsItemsGroup& group = m_roots[root];
        for (int i = 0; i < group.Count(); ++i) {
            auto* child = dynamic_cast<CDsItemsGroup*>(group.GetFast(i));
            if (child && child->IsPickAvailable(view, true, acceptOutside)) out.push_back(child);
        }
    }
    CDsItemsGroup& copies = m_roots[eRootCopies];
    for (int i = 0; i < copies.Count(); ++i) {
        auto* child = dynamic_cast<CDsItemsGroup*>(copies.GetFast(i));
        if (child && child->IsPickAvailable(view, false, false)) out.push_back(child);
    }
    CDsItemsGroup& toolpaths = m_roots[eRootToolpaths];
    for (int i = 0; i < toolpaths.Count(); ++i)
        if (auto* child = dynamic_cast<CDsItemsGroup*>(toolpaths.GetFast(i))) out.push_back(child);
}

void CDsGlScene::CollectSelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    // ENTITY_LIST::add looks each entity up first, so an entity shown twice is taken once.
    for (CDsItemsGroup& group : m_roots)
        for (int i = 0; i < group.Count(); ++i) group.GetFast(i)->SelectAll(data, list);
}

// --- Document flags -----------------------------------------------------------------------------

void CDsGlScene::SetDisplayModeFlag(int index, bool value)
{
    if (index < 0 || index >= kDocumentFlagCount) return;
    if (m_flags.test(static_cast<size_t>(index)) == value) return;
    m_flags.set(static_cast<size_t>(index), value);
    switch (index) {
    case 0:
    case 1:
    case 8:
    case 12:
    case 21:
    case 22:
        InvalidateRenderMode();
        break;
    case 4:
    case 5:
    case 25:
        for (int type : TypesOfFlag(index)) m_dbScene.SwitchShowByType(type, !value);
        InvalidatePictureProps();
        break;
    case 14:
        if (value) LoadGeomCurveColor();
        SetOpenEdgesOnItems(value ? 1 : -1);
        InvalidatePictureProps();
        break;
    case 2:   // the reference triad
    case 3:   // a flat background in wireframe
    case 10:  // the depth planes fitted to the whole space
        InvalidatePictureProps();
        break;
    default:
        break;
    }
}

bool CDsGlScene::GetDisplayModeFlag(int index) const
{
    if (index < 0 || index >= kDocumentFlagCount) return false;
    return m_flags.test(static_cast<size_t>(index));
}

void CDsGlScene::LoadGeomCurveColor()
{
    CDsColorStorage color;
    if (!CDsPreferencesServices().GetColor(L"GeomCurveClr", color)) return;
    CDsManager::GetInstance()->SetSpecialAttrColor(static_cast<EAttribSetIndex>(10), color.GetColorRef());
    if (CDsLineAttribStorage* curves = CDsLineAttribStorage::StGetSpecialAttributes(static_cast<EAttribSetIndex>(10))) {
        curves->SetColor(color);
        curves->SetInheritColorState(false);
    }
}

// --- Display suspension -------------------------------------------------------------------------

int CDsGlScene::IncrementDisplaySuspension()
{
    ++m_suspension;
    if (m_suspension < 1) m_suspension = 1;
    return m_suspension;
}

int CDsGlScene::DecrementDisplaySuspension()
{
    if (m_suspension > 0) --m_suspension;
    if (m_suspension < 0) m_suspension = 0;
    return m_suspension;
}

int CDsGlScene::ResetDisplaySuspension()
{
    const int previous = m_suspension;
    m_suspension = 0;
    return previous;
}

// --- Settings -----------------------------------------------------------------------------------

void CDsGlScene::SetMaxDiagonalSizeForFastRefresh(float size)
{
    m_maxFastDiagonal = size > 0.0f && std::isfinite(size) ? size : 0.0f;
}

void CDsGlScene::SetVertexColorPalette(const CDsPalette* palette)
{
    const bool same = palette && m_vertexColors ? *palette == *m_vertexColors : palette == m_vertexColors;
    if (same) return;
    delete m_vertexColors;
    m_vertexColors = palette ? new CDsPalette(*palette) : nullptr;
    InvalidatePictureProps();
}

void CDsGlScene::SetSilhouetteLevel(EDsSilhouetteLevel level)
{
    if (level == m_silhouetteLevel) return;
    m_silhouetteLevel = level;
    InvalidatePictureProps();
}

void CDsGlScene::SetRotateToPlaneReference(const SPAvector& first, const SPAvector& second, const SPAposition& position)
{
    delete m_rotateFirst;
    delete m_rotateSecond;
    delete m_rotatePosition;
    m_rotateFirst = new SPAvector(first);
    m_rotateSecond = new SPAvector(second);
    m_rotatePosition = new SPAposition(position);
}

bool CDsGlScene::GetRotateToPlaneReference(SPAvector& first, SPAvector& second, SPAposition& position) const
{
    if (!m_rotateFirst || !m_rotateSecond) return false;
    first = *m_rotateFirst;
    second = *m_rotateSecond;
    position = m_rotatePosition ? *m_rotatePosition : SPAposition();
    return true;
}

void CDsGlScene::SetDefaultRotationCenter(const SPAposition& centre)
{
    delete m_rotationCentre;
    m_rotationCentre = new SPAposition(centre);
}

bool CDsGlScene::AllowsShaders() const
{
    // Without a vertex program nothing but the fixed lights can light the faces; with a section the
    // fixed lights light them too.
    return m_vertexShader != nullptr && !HasSection();
}

// --- Validity -----------------------------------------------------------------------------------

void CDsGlScene::InvalidatePictureProps()
{
    m_picturePropsValid = false;
    // The database's change log cleared: every view of the scene draws its whole picture again.
    m_dbScene.GetChangeLog().m_flag = 0;
}

void CDsGlScene::InvalidateRenderMode()
{
    m_renderModeValid = false;
    m_dbScene.InvalidateAttributesCache();
    m_dbScene.GetChangeLog().m_flag = 0;
}

void CDsGlScene::InvalidateContent()
{
    m_flags.reset(15);
    m_dbScene.GetChangeLog().m_flag = 0;
    m_dbScene.InvalidateBoundBox();
}

bool CDsGlScene::SPictureSettings::operator==(const SPictureSettings& other) const
{
    return lighting == other.lighting && std::equal(std::begin(backgroundColors), std::end(backgroundColors),
                                                    std::begin(other.backgroundColors)) &&
           std::equal(std::begin(gradient), std::end(gradient), std::begin(other.gradient)) &&
           std::equal(std::begin(referenceUcs), std::end(referenceUcs), std::begin(other.referenceUcs)) &&
           shadersLightFaces == other.shadersLightFaces;
}

CDsGlScene::SPictureSettings CDsGlScene::ReadPictureSettings() const
{
    SPictureSettings settings;
    settings.lighting = m_lights.GetStateStamp();
    const CDsBackground& background = m_background.GetBackground();
    CDsColorStorage color, gradient;
    background.GetBackground(color);
    background.GetGradient(gradient, settings.gradient[0], settings.gradient[1]);
    settings.backgroundColors[0] = color.GetValue();
    settings.backgroundColors[1] = gradient.GetValue();
    if (m_referenceUcs) {
        CGmUnitVector axes[3];
        SPAposition origin;
        m_referenceUcs->GetReferenceUcs(axes, origin);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) settings.referenceUcs[3 * i + j] = axes[i].component(j);
        for (int j = 0; j < 3; ++j) settings.referenceUcs[9 + j] = origin.coordinate(j);
    }
    settings.shadersLightFaces = CDsManager::GetInstance()->IsShaderEnabled() && AllowsShaders();
    return settings;
}

void CDsGlScene::NotePictureChanges()
{
    NotePaletteChanges();
    NoteFigureEdits();
    const SPictureSettings settings = ReadPictureSettings();
    if (settings == m_seenSettings) return;
    m_seenSettings = settings;
    InvalidatePictureProps();
}

void CDsGlScene::NotePaletteChanges()
{
    // The entries are changed through the palette itself, which the scene hands out: its revision
    // is compared rather than its entries copied on every refresh.
    const uint64_t revision = m_attributesPalette->GetRevision();
    if (revision == m_paletteRevision) return;
    m_paletteRevision = revision;
    InvalidateContent();
}

void CDsGlScene::NoteFigureEdits()
{
    const uint64_t edits = CDsFigure::StItemEdits();
    if (edits == m_figureEdits) return;
    m_figureEdits = edits;
    InvalidateContent();
}

void CDsGlScene::NoteContentEdits(view3d* view)
{
    NotePaletteChanges();
    NoteFigureEdits();
    NoteMeshEdits();
    if (!view) return;
    m_dbScene.SetCurrentView(view);
    if (!m_dbScene.AreLocationBoxesValid()) ComputeLocationBoxes(view, false, L"pick");
}

void CDsGlScene::NoteMeshEdits()
{
    // No mesh of the process changed since the last look: no face needs to be asked.
    const uint64_t changes = CVyrIndexedMesh::StShapeChanges();
    if (changes == m_meshChanges) return;
    m_meshChanges = changes;
    for (ERootGroup root : {eRootBodies, eRootUnsorted})
        for (CDsItemBase* item : m_roots[root].GetDsItems())
            if (auto* body = dynamic_cast<CDsItemsBody*>(item)) body->TakeMeshEdits();
}

// --- Sections -----------------------------------------------------------------------------------

void CDsGlScene::SetSection(const SPAposition& point, const SPAvector& normal)
{
    if (m_sectionPlane)
        m_sectionPlane->SetPlane(point, normal);
    else
        m_sectionPlane = new CDsSectionPlane(point, normal);
    InvalidatePictureProps();
}

void CDsGlScene::FlipSection()
{
    if (!m_sectionPlane) return;
    m_sectionPlane->Flip();
    InvalidatePictureProps();
}

void CDsGlScene::TranslateSection(double distance)
{
    if (!m_sectionPlane) return;
    m_sectionPlane->Translate(distance);
    InvalidatePictureProps();
}

void CDsGlScene::SetSectionTransformation(const CGmTransformation& transformation)
{
    if (!m_sectionPlane) return;
    m_sectionPlane->SetTransformation(transformation);
    InvalidatePictureProps();
}

void CDsGlScene::ResetSection()
{
    if (!m_sectionPlane) return;
    m_sectionPlane->Reset();
    delete m_sectionPlane;
    m_sectionPlane = nullptr;
    InvalidatePictureProps();
}

void CDsGlScene::SetComplexSection(CVyrComplexSection* section)
{
    const bool had = m_complexSection != nullptr;
    delete m_complexSection;
    m_complexSection = section ? new CDsComplexSection(this, section) : nullptr;
    if (had || section) InvalidatePictureProps();
}

bool CDsGlScene::IsPointClipped(const SPAposition& point) const
{
    if (m_sectionPlane &&
        CDsGeometryComputer::GetInstance()->IsPointClippedByPlane(point, m_sectionPlane->GetPoint(),
                                                                  m_sectionPlane->GetNormal()))
        return true;
    return m_complexSection && m_complexSection->IsPointClipped(point);
}

bool CDsGlScene::CanItemBeClipped(const CVyrObjectPath& path) const
{
    if (m_sectionPlane) return true;
    return m_complexSection && m_complexSection->IsItemShouldBeClipped(path);
}

void CDsGlScene::EnableShaders(bool on)
{
    if (m_vertexShader) m_vertexShader->Enable(on);
    if (m_pixelShader) m_pixelShader->Enable(on);
}

namespace {

// The version of a program from its debug float: 0 gives 1, a negative value none (false).
bool ShaderVersion(int debugIndex, float& version)
{
    version = CDsDebugData::StGetFloat(debugIndex);
    if (version < 0.0f) return false;
    if (version == 0.0f) version = 1.0f;
    return true;
}

// A new program of type T loaded from the version file of `pattern`, or null when the version is
// negative, the file is missing or the driver rejects it.
template <class T>
T* LoadShader(int debugIndex, const char* pattern)
{
    float version = 0.0f;
    if (!ShaderVersion(debugIndex, version)) return nullptr;
    T* program = new T();
    if (CDsShader::LoadVersionFile(program, version, pattern)) return program;
    delete program;
    return nullptr;
}

}  // namespace

bool CDsGlScene::LoadShaderPrograms()
{
    if (!DsGlExt::bGL_ARB_vertex_program || !DsGlExt::bGL_ARB_fragment_program) return false;
    delete m_pixelShader;
    m_pixelShader = nullptr;
    delete m_vertexShader;
    m_vertexShader = nullptr;
    InvalidatePictureProps();
    if (!CDsManager::GetInstance()->GetFlag(13)) return true;
    m_vertexShader = LoadShader<CDsVertexShader>(0, "%gvert.txt");
    m_pixelShader = LoadShader<CDsPixelShader>(1, "%gfrag.txt");
    return true;
}

void CDsGlScene::ApplyLightModel(view3d* view)
{
    // The shaders light the faces themselves, unless the view asks for the fixed model (document
    // flag 1) or the scene cannot use them.
    if (DsShadersLightFaces(view)) return;
    m_lights.SetAmbientToView();
    m_lights.SetToView(view);
}

bool DsShadersLightFaces(view3d* view)
{
    if (!view || !CDsManager::GetInstance()->IsShaderEnabled()) return false;
    if (view->GetDocumentFlag(static_cast<EDsDocumentFlag>(1))) return false;
    auto* context = dynamic_cast<CDsGlContext*>(view->get_rendering_context());
    return context && context->GetScene() && context->GetScene()->AllowsShaders();
}

void CDsGlScene::SetDrawLightFigures(bool show)
{
    // The lamps are recorded into the scene of the current core view: one of the owner's views is
    // the current one while they are.
    CDsView3dCdc* const current = CDsView3dCdc::sCurrentView;
    CDsView3dCdc* mine = nullptr;
    if (m_owner && !(current && current->GetGlContext() == m_owner)) {
        viewport_iterator it(m_owner->views());
        while (view3d* view = it.next())
            if ((mine = dynamic_cast<CDsView3dCdc*>(view)) != nullptr) break;
        if (mine) CDsView3dCdc::sCurrentView = mine;
    }
    if (show) m_lights.UpdateLightVectors(GetBoundsBox());
    m_lights.SetDrawLightFiguresMode(show);
    if (mine) CDsView3dCdc::sCurrentView = current;
    m_flags.reset(15);
}

void CDsGlScene::SetOpenEdgesOnItems(int delta)
{
    CDsItemsGroup& bodies = m_roots[eRootBodies];
    for (int i = 0; i < bodies.Count(); ++i)
        if (auto* body = dynamic_cast<CDsItemsBody*>(bodies.Get(i))) body->UpdateEdgeWidths(delta);
    InvalidateContent();
}

void CDsGlScene::DrawToFrontBuffers(view3d* view, const std::deque<CDsItemBase*>& items)
{
    if (!view) return;
    CDsManager* manager = CDsManager::GetInstance();
    const bool flag10 = manager->GetFlag(10);
    manager->SetFlag(10, true);
    // The draw buffer, the switches below, the section's clip plane and the items' line widths go
    // back to what the caller had, so that its own drawing afterwards still lands where and as it
    // set up.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT | GL_LINE_BIT);
    glDrawBuffer(GL_FRONT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    CDsDriverGl::mVertexColorPalette = const_cast<CDsPalette*>(m_vertexColors);
    if (m_attributesPalette) manager->SetActiveAttributesPalette(m_attributesPalette);
    if (m_sectionPlane) {
        glEnable(GL_CLIP_PLANE0);
        glClipPlane(GL_CLIP_PLANE0, m_sectionPlane->GetEquation());
    }
    for (CDsItemBase* item : items)
        if (item) item->DrawToFrontBuffer(*view);
    CDsDriverGl::mVertexColorPalette = nullptr;
    if (m_attributesPalette) manager->SetActiveAttributesPalette(nullptr);
    glFlush();
    glPopAttrib();
    CDsDriverGl::StForgetWidth();
    manager->SetFlag(10, flag10);
}

void CDsGlScene::CountStatistics()
{
    m_performance.DeleteStatisticsItems();
    CDsStatisticsItems* statistics = m_performance.GetStatisticsItems();
    for (CDsItemsGroup& root : m_roots) root.CountStatistics(statistics);
}

void CDsGlScene::ResetFaceTransformations(CDsItemsGroup* group)
{
    if (auto* body = dynamic_cast<CDsItemsBody*>(group)) body->ResetFaceTransformations();
}

void CDsGlScene::UpdateRefinement(bool once)
{
    if (once) {
        if (m_flags.test(18)) return;
        m_flags.set(18);
    }
    m_refinement->ReadPreferences();
    CVyrRefinement::StSetCurrentRefinement(m_refinement);
}

// --- Measuring ----------------------------------------------------------------------------------

CDsBox CDsGlScene::GetBoundsBox()
{
    NotePaletteChanges();
    NoteFigureEdits();
    const SPAbox box = m_dbScene.GetBoundsBox();
    return box.empty() ? CDsBox() : CDsBox(box);
}

CDsBox CDsGlScene::RecomputeBoundsBox()
{
    m_dbScene.InvalidateBoundBox();
    return GetBoundsBox();
}

CDsBox CDsGlScene::GetItemsBox()
{
    CDsBox box;
    for (CDsItemsGroup& group : m_roots) group.ExpandBox(box, nullptr);
    return box;
}

void CDsGlScene::ComputeExtrema(CDsViewExtrema* view, const std::vector<CVyrObjectPath>& paths)
{
    if (view) DsComputeExtremaByWalk(view, this, paths);
}

void CDsGlScene::ComputeExtrema(CDsViewExtrema* view, bool full)
{
    if (!view) return;
    if (full) {
        DsComputeExtremaByWalk(view, this, std::vector<CVyrObjectPath>());
        // Groups filed only in the root groups (not in the database) are measured too; measuring a
        // group twice does not move the extremes. The hidden-line views as the frames draw them:
        // both sets (the second with the show flag) and the background.
        for (int root = 0; root < eRootCount; ++root) {
            if (root != eRootHlViews) {
                m_roots[root].DrawExtremes(*view, nullptr);
                continue;
            }
            for (CDsItemBase* child : m_roots[root].GetDsItems())
                if (auto* hlView = dynamic_cast<CDsItemsHlView*>(child))
                    hlView->DrawDrawnExtremes(*view);
                else if (child)
                    child->DrawExtremes(*view, nullptr);
        }
        return;
    }
    CDsBox box = GetBoundsBox();
    if (box.IsNotComputed()) box = GetItemsBox();
    // The frames draw the hidden-line views past the scene database, whose box knows nothing of
    // them: left out, a view in front of the model or behind it would fall outside the clipping
    // planes fitted to this box.
    for (CDsItemBase* child : m_roots[eRootHlViews].GetDsItems())
        if (auto* hlView = dynamic_cast<CDsItemsHlView*>(child)) hlView->ExpandDrawnBox(box);
    DrawBoxCorners(box, *view);
}
