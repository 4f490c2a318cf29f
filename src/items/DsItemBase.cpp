// CDsItemBase and CDsItem: the item protocol's default behaviour.
#include "DsItemBase.h"

#include "DsAttribute.h"
#include "DsDriverExtrema.h"
#include "DsFigure.h"
#include "DsGlContext.h"
#include "DsHideLevel.h"
#include "DsItemsCopy.h"
#include "DsItemsFigure.h"
#include "DsItemsGroup.h"
#include "DsItemsMap.h"
#include "DsManager.h"
#include "DsMatrix.h"
#include "DsQueryIDInt.h"
#include "DsSelectAllData.h"
#include "DsSelectionNames.h"
#include "DsSetEntityType.h"
#include "DsStatisticsItems.h"
#include "UiPickEvent.h"

#include "SpaEntity.h"
#include "pick_event.h"
#include "pick_manager.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>

float CDsItemBase::sUnitsPerPixel = 1.0f;
bool CDsItemBase::sAutoHideEnabled = false;
float CDsItemBase::sAutoHideLevel = 20.0f;

namespace {

// The display manager's entity-type service, null when none is installed.
const CDsSetEntityType* EntityTypeService()
{
    return CDsManager::GetInstance()->GetEntityType();
}

}  // namespace

// === CDsItemBase ================================================================================

CDsItemBase::CDsItemBase(CDsGlContext* context, ENTITY* entity)
{
    ResetMembers();
    m_context = context;
    SetEntity(entity);
}

CDsItemBase::~CDsItemBase()
{
    CDsSelectionNames::StForget(this);
    CDsItemsCopy::StForgetItem(this);
    if (m_entity) UnregisterEntity(m_entity->entity);
    delete m_attributes;
    delete m_entity;
}

void CDsItemBase::ResetMembers()
{
    m_baseFlags &= ~(kHasGlList | kBaseFlag0 | kBaseFlag1);
    delete m_entity;
    m_entity = nullptr;
    m_parent = nullptr;
    m_context = nullptr;
    delete m_attributes;
    m_attributes = new CDsLineAttribStorage();
    SetDrawMode(eDsDrawModeNormal);
}

namespace {
uint64_t sFaceChanges = 0;
uint64_t sVertexCountChanges = 0;
}  // namespace

uint64_t CDsItemBase::StVertexCountChanges()
{
    return sVertexCountChanges;
}

void CDsItemBase::StNoteVertexCountChange()
{
    ++sVertexCountChanges;
}

uint64_t CDsItemBase::StFaceChanges()
{
    return sFaceChanges;
}

void CDsItemBase::StNoteFaceChange()
{
    ++sFaceChanges;
}

void CDsItemBase::NoteContentChanged() const
{
    // Items made by others than the body (a face's outline) know the context only through their
    // ancestors.
    const CDsItemBase* root = this;
    CDsGlContext* context = nullptr;
    for (const CDsItemBase* item = this; item; item = item->m_parent) {
        if (!context) context = item->m_context;
        root = item;
    }
    if (context) context->OnItemsContentChanged();
    // The items of a recorded figure know no context: their figure notes the edit, so that its
    // database item's box is measured anew and every scene showing it draws, boxes and picks it
    // anew at its next look.
    if (const auto* figureGroup = dynamic_cast<const CDsItemsFigure*>(root))
        if (CDsFigure* figure = figureGroup->GetFigure()) figure->NoteItemsEdited();
}

// --- Entity binding -----------------------------------------------------------------------------

void CDsItemBase::RegisterEntity(ENTITY* entity)
{
    if (!entity || !m_context) return;
    if (CDsItemsMap* map = m_context->GetItemsMap()) map->Add(entity, this);
}

void CDsItemBase::UnregisterEntity(ENTITY* entity)
{
    if (!entity || !m_context) return;
    CDsItemsMap* map = m_context->GetItemsMap();
    if (map && !map->IsClosing()) map->Remove(entity);
}

void CDsItemBase::SetEntity(ENTITY* entity)
{
    if (entity) {
        if (const CDsSetEntityType* service = EntityTypeService()) SetType(service->GetObjectType(entity));
    }
    ENTITY* old = nullptr;
    if (!m_entity) {
        m_entity = new SEntityRecord;
        m_entity->entity = entity;
        m_entity->pid = entity ? CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(entity) : 0;
    } else {
        old = m_entity->entity;
        m_entity->entity = entity;
        if (m_entity->pid == 0 && entity) m_entity->pid = CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(entity);
    }
    if (old && old != entity) UnregisterEntity(old);
    RegisterEntity(entity);
}

void CDsItemBase::DetachEntity(int)
{
    if (!m_entity) return;
    UnregisterEntity(m_entity->entity);
    m_entity->entity = nullptr;
}

bool CDsItemBase::AttachEntity(ENTITY* entity, int, int pid)
{
    if (entity) {
        const CDsSetEntityType* service = EntityTypeService();
        if (!service) return false;
        SetType(service->GetObjectType(entity));
    }
    if (!m_entity || m_entity->pid != pid || m_entity->entity) return false;
    m_entity->entity = entity;
    RegisterEntity(entity);
    return true;
}

ENTITY* CDsItemBase::GetEntity() const
{
    return m_entity ? m_entity->entity : nullptr;
}

int CDsItemBase::GetEntityPid() const
{
    return m_entity ? m_entity->pid : 0;
}

CDsItemBase* CDsItemBase::FindDsItem(int componentId, int pid, bool detachedOnly)
{
    if (GetComponentId() != componentId || GetEntityPid() != pid) return nullptr;
    if (detachedOnly && GetEntity()) return nullptr;
    return this;
}

CDsItemBase* CDsItemBase::FindDsItem(const ENTITY* entity)
{
    return GetEntity() == entity ? this : nullptr;
}

bool CDsItemBase::IsDrawExtremesRequired(ENTITY* entity) const
{
    return !entity || !GetEntity() || GetEntity() == entity;
}

// --- Attributes ---------------------------------------------------------------------------------

bool CDsItemBase::GetBoundBox2D(SDsBox2D&)
{
    return false;
}

void CDsItemBase::SetAttributes(CDsUidPath&, const CDsAttributesIndex&, bool) {}

bool DsSameLineAttributes(const CDsLineAttribStorage& a, const CDsLineAttribStorage& b)
{
    return a.GetColor() == b.GetColor() && a.GetInheritColorState() == b.GetInheritColorState() &&
           a.GetStyle() == b.GetStyle() && a.GetWidth() == b.GetWidth() && a.GetVisibility() == b.GetVisibility() &&
           a.GetTransparencyByte() == b.GetTransparencyByte() && a.GetFlags() == b.GetFlags() &&
           a.GetHideLevel().GetData() == b.GetHideLevel().GetData();
}

void CDsItemBase::SetAttributes(const CDsLineAttribStorage& attributes, bool)
{
    if (&attributes == m_attributes) return;
    const CDsLineAttribStorage before(*m_attributes);
    m_attributes->CopyObject(attributes);
    // As SetAttribute: the scene database sees neither an item's own colour nor its hide level,
    // so the context must learn that the frame draws something else.
    if (!DsSameLineAttributes(before, *m_attributes)) NoteContentChanged();
}

void CDsItemBase::GetAttribute(CDsAttribute& attribute)
{
    if (attribute.GetType() == eDsAttributeHideLevel) m_attributes->GetAttribute(attribute);
    // An item forces its attributes when its colour is its own rather than inherited.
    if (attribute.GetType() == eDsAttributeForce) attribute.SetData(m_attributes->GetInheritColorState() ? 0u : 1u, true);
}

void CDsItemBase::GetAttribute(CDsLineAttribStorage& attributes)
{
    if (&attributes != m_attributes) attributes.CopyObject(*m_attributes);
}

void CDsItemBase::SetAttribute(CDsUidPath&, const CDsAttribute&, bool) {}

void CDsItemBase::SetAttribute(const CDsAttribute& attribute, bool on, bool)
{
    if (attribute.GetType() != eDsAttributeHideLevel) return;
    const unsigned int before = m_attributes->GetHideLevel().GetData();
    m_attributes->SetAttribute(attribute, on);
    // The scene database does not see an item's own hide level: whatever the item (a body, a
    // face, an edge, an outline), the context must learn that the frame draws something else.
    if (m_attributes->GetHideLevel().GetData() != before) NoteContentChanged();
    const auto* level = dynamic_cast<const CDsHideLevel*>(&attribute);
    const bool hides = level ? level->IsHidden() : attribute.GetData() != 0;
    if (m_parent && hides != on) m_parent->SetAttribute(attribute, on, false);
}

void CDsItemBase::SetColor(const CDsColorStorage& color, bool)
{
    if (&color != &m_attributes->GetColor()) m_attributes->SetColor(color);
    m_attributes->SetInheritColorState(false);
}

const CDsColorStorage& CDsItemBase::GetColor()
{
    return m_attributes->GetColor();
}

void CDsItemBase::SetStyle(int style, bool)
{
    if (style >= 0 && style < CDsLineAttribStorage::kStylesCount) m_attributes->SetStyle(style);
}

int CDsItemBase::GetStyle()
{
    return m_attributes->GetStyle();
}

void CDsItemBase::SetWidth(int width, bool)
{
    if (width >= 1 && width <= 8) m_attributes->SetWidth(width);
}

int CDsItemBase::GetWidth()
{
    return m_attributes->GetWidth();
}

void CDsItemBase::SetTransparency(float transparency)
{
    m_attributes->SetTransparency(transparency);
}

float CDsItemBase::GetTransparency()
{
    return m_attributes->GetTransparency();
}

void CDsItemBase::SetVisibility(EVisibilityLevel level, bool on, bool, ENTITY*)
{
    m_attributes->SetVisibility(level, on);
}

void CDsItemBase::SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on)
{
    m_attributes->SetVisibilityColor(level, color, on);
}

EVisibilityLevel CDsItemBase::GetVisibility()
{
    return m_attributes->GetVisibility();
}

void CDsItemBase::MarkCopy(bool on)
{
    m_attributes->MarkCopy(on);
}

void CDsItemBase::ResetAttributes(EDsResetAttributeAction action)
{
    m_attributes->ResetAttributes(action);
}

void CDsItemBase::SetOnTopFlag(bool on)
{
    m_attributes->SetOnTopFlag(on);
}

bool CDsItemBase::GetOnTopFlag()
{
    return m_attributes->GetOnTopFlag();
}

void CDsItemBase::SetRenderMode(ERenderMode mode)
{
    m_attributes->SetRenderMode(mode);
}

ERenderMode CDsItemBase::GetRenderMode()
{
    return m_attributes->GetRenderMode();
}

void CDsItemBase::SetDrawMode(eDsDrawMode mode)
{
    uint32_t stored = static_cast<uint32_t>(mode) & kDrawModeMask;
    if (stored == eDsDrawModeNormal3) stored = eDsDrawModeNormal;
    m_baseFlags = (m_baseFlags & ~kDrawModeMask) | stored;
    m_attributes->SetXorMode(stored == eDsDrawModeXor);
}

bool CDsItemBase::GetHighlightState()
{
    return m_attributes->GetHighlightState();
}

bool CDsItemBase::GetMarkState()
{
    return m_attributes->GetMarkState();
}

bool CDsItemBase::GetMarkCopyState()
{
    return m_attributes->GetMarkCopyState();
}

bool CDsItemBase::GetNotFullyVisibleState()
{
    return m_attributes->GetVisibility() != 0 || m_attributes->GetHighlightState() ||
           m_attributes->GetMarkState();
}

void CDsItemBase::ResetInheritColorState()
{
    m_attributes->ResetInheritColorState();
}

void CDsItemBase::ResetInheritStyleState()
{
    m_attributes->ResetInheritStyleState();
}

void CDsItemBase::ResetInheritWidthState()
{
    m_attributes->ResetInheritWidthState();
}

bool CDsItemBase::GetColorAndVisibilityInheritance()
{
    return m_attributes->GetInheritColorState() && m_attributes->GetVisibility() == 0 &&
           !m_attributes->GetHighlightState();
}

bool CDsItemBase::IsHidden()
{
    return IsHideLevelHidden();
}

void CDsItemBase::SetInheritColorState(bool inherit)
{
    m_attributes->SetInheritColorState(inherit);
}

void CDsItemBase::ApplyAttributes(view3d& view, bool)
{
    m_attributes->SetAttributesToView(&view);
}

void CDsItemBase::SetAttributesToView(view3d* view)
{
    m_attributes->SetAttributesToView(view);
}

void CDsItemBase::SetBaseFlag(EDsBaseItemFlags flag, bool on)
{
    uint32_t bit = 0;
    if (flag == eDsBaseItemNoPickWhenHidden) bit = kBaseFlag0;
    else if (flag == eDsBaseItemHostFlag) bit = kBaseFlag1;
    else return;
    if (on)
        m_baseFlags |= bit;
    else
        m_baseFlags &= ~bit;
}

bool CDsItemBase::GetBaseFlag(EDsBaseItemFlags flag) const
{
    if (flag == eDsBaseItemNoPickWhenHidden) return (m_baseFlags & kBaseFlag0) != 0;
    if (flag == eDsBaseItemHostFlag) return (m_baseFlags & kBaseFlag1) != 0;
    return false;
}

// --- Identity, geometry and transformation defaults ----------------------------------------------

CDsUid CDsItemBase::GetDsUid()
{
    return CDsUid();
}

int CDsItemBase::GetComponentId()
{
    return 0;
}

float* CDsItemBase::GetPoints(int&, view3d*)
{
    return nullptr;
}

CGmPosition* CDsItemBase::GetTransformedPolyline(int&, view3d*)
{
    return nullptr;
}

void CDsItemBase::AddSubItem(const CDsUidPath&, const CDsUid&, const IDsGeometry*) {}

void CDsItemBase::RemoveSubItem(const CDsUidPath&, const CDsUid&) {}

const SPAtransf& CDsItemBase::GetTransformation()
{
    return CDsMatrix::StIdentity();
}

void CDsItemBase::GetTransformation(CDsMatrix&) {}

void CDsItemBase::SetTransformation(const SPAtransf&) {}

void CDsItemBase::SetTransformation(const CDsMatrix&) {}

void CDsItemBase::MultiplyTransformation(const SPAtransf&) {}

void CDsItemBase::MultiplyTransformation(const CDsMatrix&) {}

void CDsItemBase::Transform(const SPAtransf&) {}

void CDsItemBase::DrawGlVertices() {}

void CDsItemBase::Erase(view3d&) {}

void CDsItemBase::DrawGeometry(view3d& view)
{
    if (!IsHidden()) DrawGl(view);
}

bool CDsItemBase::Pick(view3d*)
{
    return false;
}

bool CDsItemBase::Pick(pick_manager*)
{
    return false;
}

CDsRefPoint* CDsItemBase::PickRefPoint(pick_manager*, CDsRefPointFilter*)
{
    return nullptr;
}

CDsRefPoint* CDsItemBase::PickRefPoint(CUiPickEvent&, const CDsTypeMask&)
{
    return nullptr;
}

void CDsItemBase::PickClosest(CDsItemsIdBuffer&) {}

void CDsItemBase::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    if (IsHidden()) return;
    ENTITY* entity = GetEntity();
    if (entity && data.TestEntity(entity)) list.add(entity, 1);
}

// --- Display lists ------------------------------------------------------------------------------

bool CDsItemBase::StartBuildGlList(bool execute)
{
    if (m_glList == 0) {
        m_glList = glGenLists(1);
        StNoteVertexCountChange();  // a leaf answers the triangles of the lists it has
    }
    glNewList(m_glList, execute ? GL_COMPILE_AND_EXECUTE : GL_COMPILE);
    m_baseFlags |= kHasGlList;
    return true;
}

void CDsItemBase::EndBuildGlList()
{
    glEndList();
}

void CDsItemBase::DeleteGlList()
{
    if ((m_baseFlags & kHasGlList) && m_glList) glDeleteLists(m_glList, 1);
    m_baseFlags &= ~kHasGlList;
    if (m_glList != 0) StNoteVertexCountChange();
    m_glList = 0;
}

void CDsItemBase::ExpandBox(CDsBox&, SPAtransf*) {}

void CDsItemBase::ComputeBounds2D(view3d*) {}

void CDsItemBase::CountStatistics(CDsStatisticsItems* statistics)
{
    if (statistics) statistics->IncrementStatistics(GetItemType(), IsHidden());
}

long CDsItemBase::DrawPoints(view3d&, long)
{
    return 0;
}

int CDsItemBase::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return 0;
}

int CDsItemBase::GetVertices(CDsGeometry::eDrawPrimitives, int, float*&, int&)
{
    return -1;
}

int CDsItemBase::GetPlacedVertices(CDsGeometry::eDrawPrimitives kinds, int index, std::vector<double>& placed, int& count)
{
    float* vertices = nullptr;
    count = 0;
    const int next = GetVertices(kinds, index, vertices, count);
    placed.clear();
    if (vertices && count > 0) placed.assign(vertices, vertices + 3 * static_cast<size_t>(count));
    return next;
}

bool CDsItemBase::GetPoint(CDsGeometry::eParameterPoints, SPAposition&)
{
    return false;
}

int CDsItemBase::GetDrawPrimitives()
{
    return 0;
}

void CDsItemBase::DrawOnTraverse(view3d&, CDsGeometry::eDrawPrimitives, bool) {}

bool CDsItemBase::GetBoundBox(SPAbox&)
{
    return false;
}

bool CDsItemBase::HasBoundBox()
{
    return false;
}

bool CDsItemBase::GetVerticesBuffer(CDsGeometry::eDrawPrimitives, std::vector<CDsGeometry::sVerticesBuffer>&, int)
{
    return false;
}

bool CDsItemBase::GetFill()
{
    return false;
}

// --- Pick test and auto-hide --------------------------------------------------------------------

int CDsItemBase::IsPicked(const CUiPickEvent& event, int width, int height)
{
    view3d* view = event.view();
    if (!view) return 0;
    if (height == -1) height = width;
    int savedWidth = 0, savedHeight = 0;
    get_pick_aperture(savedWidth, savedHeight);
    int w = savedWidth, h = savedHeight;
    if (height != -1) {
        w = width;
        h = height;
        set_pick_aperture(w, h);
    }
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    view->pick_mode(1, event.x(), event.y(), w, h);
    const bool result = Pick(&manager);
    view->pick_mode(0, 0, 0, 0, 0);
    set_pick_aperture(savedWidth, savedHeight);
    return result ? 1 : 0;
}

void CDsItemBase::StFastRefreshParameters(float unitsPerPixel, bool enabled, float level)
{
    sUnitsPerPixel = unitsPerPixel;
    sAutoHideEnabled = enabled;
    sAutoHideLevel = level * 100.0f;
    if (unitsPerPixel == 0.0f) sAutoHideEnabled = false;
}

bool CDsItemBase::IsAutoHideRequired(float size)
{
    return sAutoHideEnabled && sAutoHideLevel > size / sUnitsPerPixel;
}

// === CDsItem ====================================================================================

CDsItem::CDsItem() : CDsItemBase(nullptr, nullptr) {}

CDsItem::CDsItem(ENTITY* entity) : CDsItemBase(nullptr, entity) {}

void CDsItem::Refresh(view3d& view)
{
    SetAttributesToView(&view);
    DrawGl(view);
}

void CDsItem::DrawAlone(view3d& view)
{
    Refresh(view);
}

void CDsItem::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHideLevelHidden()) return;
    if (entity && GetEntity() && GetEntity() != entity) return;
    DrawGdi(extrema);
}

void CDsItem::DrawToFrontBuffer(view3d& view)
{
    if (GetHighlightState()) Refresh(view);
}

void CDsItem::Plot(view3d& view)
{
    DrawGdi(view);
}

void CDsItem::DrawOnTraverse(view3d&, CDsGeometry::eDrawPrimitives, bool) {}

bool CDsItem::GetVerticesBuffer(CDsGeometry::eDrawPrimitives, std::vector<CDsGeometry::sVerticesBuffer>&, int)
{
    return false;
}
