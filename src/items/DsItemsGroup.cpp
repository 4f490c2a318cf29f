// CDsItemsGroup: children, the protocol passed down, hidden rules, bounds, picks and the
// transformation bracket.
#include "DsItemsGroup.h"

#include "DsBox.h"
#include "DsGlContext.h"
#include "DsGlMeshPainter.h"
#include "DsGlPenSaver.h"
#include "DsManager.h"
#include "DsRectangle.h"
#include "DsSetEntityType.h"
#include "DsStatisticsItems.h"
#include "DsView3dCdc.h"

#include "SpaEntity.h"
#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <algorithm>

CDsItemsGroup::CDsItemsGroup(CDsGlContext* context, ENTITY* entity) : CDsItemBase(context, entity)
{
    ResetMembers();
}

CDsItemsGroup::~CDsItemsGroup()
{
    CleanAll();
    m_matrix.Free();
}

void CDsItemsGroup::ResetMembers()
{
    m_children.reserve(1);
    m_componentId = 0;
}

// --- Children -----------------------------------------------------------------------------------

CDsItemBase* CDsItemsGroup::Get(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return m_children[static_cast<size_t>(index)];
}

void CDsItemsGroup::Add(CDsItemBase* item)
{
    if (!item || std::find(m_children.begin(), m_children.end(), item) != m_children.end()) return;
    m_children.push_back(item);
    StNoteVertexCountChange();
    if (item->GetItemType() == eDsItemsFace) StNoteFaceChange();  // a body may show it now
}

bool CDsItemsGroup::Remove(CDsItemBase* item)
{
    if (!Disconnect(item)) return false;
    delete item;
    return true;
}

void CDsItemsGroup::Remove(int index)
{
    if (index < 0 || index >= Count()) return;
    CDsItemBase* item = m_children[static_cast<size_t>(index)];
    m_children.erase(m_children.begin() + index);
    StNoteVertexCountChange();
    delete item;
}

bool CDsItemsGroup::Disconnect(CDsItemBase* item)
{
    auto found = std::find(m_children.begin(), m_children.end(), item);
    if (found == m_children.end()) return false;
    *found = m_children.back();
    m_children.pop_back();
    StNoteVertexCountChange();
    return true;
}

void CDsItemsGroup::DisconnectAll()
{
    m_children.clear();
    StNoteVertexCountChange();
}

void CDsItemsGroup::Replace(int index, CDsItemBase* item)
{
    if (index < 0) return;
    if (index >= Count()) {
        Add(item);
        return;
    }
    CDsItemBase*& slot = m_children[static_cast<size_t>(index)];
    if (slot == item) return;
    // A child of another slot, held twice, would be deleted twice.
    if (item && std::find(m_children.begin(), m_children.end(), item) != m_children.end()) return;
    delete slot;
    slot = item;
    StNoteVertexCountChange();
    if (item && item->GetItemType() == eDsItemsFace) StNoteFaceChange();  // a body may show it now
}

void CDsItemsGroup::CleanAll()
{
    // Taken out first: a child's destructor must not find itself among the children.
    std::vector<CDsItemBase*> children;
    children.swap(m_children);
    StNoteVertexCountChange();
    for (CDsItemBase* child : children) delete child;
}

void CDsItemsGroup::SetInheritColorState(bool inherit)
{
    CDsItemBase::SetInheritColorState(inherit);
    for (CDsItemBase* child : m_children)
        if (child) child->GetAttributes()->SetInheritColorState(inherit);
}

// --- Attributes ---------------------------------------------------------------------------------

void CDsItemsGroup::SetAttributes(const CDsLineAttribStorage& attributes, bool recurse)
{
    CDsItemBase::SetAttributes(attributes, recurse);
    if (recurse)
        for (CDsItemBase* child : m_children) child->SetAttributes(attributes, recurse);
}

void CDsItemsGroup::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    CDsItemBase::SetAttribute(attribute, on, recurse);
    if (recurse)
        for (CDsItemBase* child : m_children) child->SetAttribute(attribute, on, true);
}

void CDsItemsGroup::SetColor(const CDsColorStorage& color, bool recurse)
{
    CDsItemBase::SetColor(color, recurse);
    if (recurse)
        for (CDsItemBase* child : m_children) child->SetColor(color, recurse);
}

void CDsItemsGroup::SetStyle(int style, bool recurse)
{
    CDsItemBase::SetStyle(style, recurse);
    if (recurse)
        for (CDsItemBase* child : m_children) child->SetStyle(style, recurse);
}

void CDsItemsGroup::SetWidth(int width, bool recurse)
{
    CDsItemBase::SetWidth(width, recurse);
    if (recurse)
        for (CDsItemBase* child : m_children) child->SetWidth(width, recurse);
}

void CDsItemsGroup::SetTransparency(float transparency)
{
    CDsItemBase::SetTransparency(transparency);
    for (CDsItemBase* child : m_children) child->SetTransparency(transparency);
}

void CDsItemsGroup::SetVisibility(EVisibilityLevel level, bool on, bool recurse, ENTITY* entity)
{
    CDsItemBase::SetVisibility(level, on, recurse, entity);
    if (recurse)
        for (CDsItemBase* child : m_children) child->SetVisibility(level, on, recurse, nullptr);
}

void CDsItemsGroup::MarkCopy(bool on)
{
    CDsItemBase::MarkCopy(on);
    for (int i = 0; i < Count(); ++i) m_children[static_cast<size_t>(i)]->MarkCopy(on);
}

void CDsItemsGroup::ResetAttributes(EDsResetAttributeAction action)
{
    CDsItemBase::ResetAttributes(action);
    for (CDsItemBase* child : m_children) child->ResetAttributes(action);
}

void CDsItemsGroup::SetOnTopFlag(bool on)
{
    CDsItemBase::SetOnTopFlag(on);
    for (CDsItemBase* child : m_children) child->SetOnTopFlag(on);
}

void CDsItemsGroup::SetRenderMode(ERenderMode mode)
{
    CDsItemBase::SetRenderMode(mode);
    for (CDsItemBase* child : m_children) child->SetRenderMode(mode);
}

void CDsItemsGroup::SetDrawMode(eDsDrawMode mode)
{
    CDsItemBase::SetDrawMode(mode);
    for (CDsItemBase* child : m_children) child->SetDrawMode(mode);
}

void CDsItemsGroup::SetFlags(CDsFlags flags)
{
    // A face's document-hide flags decide whether its body shows it.
    constexpr unsigned short kDocumentHide = eDsItemFlagHideByDocument4 | eDsItemFlagHideByDocument5;
    if (((flags.GetValue() ^ m_flags.GetValue()) & kDocumentHide) && GetItemType() == eDsItemsFace)
        StNoteFaceChange();
    m_flags = flags;
}

bool CDsItemsGroup::IsHidden()
{
    if (IsHideLevelHidden()) return true;
    // Only a group that a document flag may hide needs the view (most groups: not asked for it).
    const bool byFlag4 = GetFlag(eDsItemFlagHideByDocument4), byFlag5 = GetFlag(eDsItemFlagHideByDocument5);
    if (!byFlag4 && !byFlag5) return false;
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    if (byFlag4 && view->GetDocumentFlag(static_cast<EDsDocumentFlag>(4))) return true;
    return byFlag5 && view->GetDocumentFlag(static_cast<EDsDocumentFlag>(5));
}

EDsItemsType CDsItemsGroup::GetItemType()
{
    return eDsItemsGroup;
}

// --- Entities -----------------------------------------------------------------------------------

int CDsItemsGroup::GetComponentId()
{
    return m_componentId;
}

CDsItemBase* CDsItemsGroup::FindDsItem(int componentId, int pid, bool detachedOnly)
{
    if (CDsItemBase* self = CDsItemBase::FindDsItem(componentId, pid, detachedOnly)) return self;
    for (CDsItemBase* child : m_children)
        if (CDsItemBase* found = child->FindDsItem(componentId, pid, detachedOnly)) return found;
    return nullptr;
}

CDsItemBase* CDsItemsGroup::FindDsItem(const ENTITY* entity)
{
    if (GetEntity() == entity) return this;
    for (CDsItemBase* child : m_children)
        if (CDsItemBase* found = child->FindDsItem(entity)) return found;
    return nullptr;
}

void CDsItemsGroup::DetachEntity(int componentId)
{
    CDsItemBase::DetachEntity(componentId);
    m_componentId = componentId;
}

bool CDsItemsGroup::AttachEntity(ENTITY* entity, int componentId, int pid)
{
    if (m_componentId != componentId) return false;
    if (entity) {
        const CDsSetEntityType* service = CDsManager::GetInstance()->GetEntityType();
        if (!service) return false;
        SetType(service->GetObjectType(entity));
    }
    return CDsItemBase::AttachEntity(entity, componentId, pid);
}

// --- Transformation -----------------------------------------------------------------------------

const SPAtransf& CDsItemsGroup::GetTransformation()
{
    return m_matrix.GetTransformation();
}

void CDsItemsGroup::GetTransformation(CDsMatrix& matrix)
{
    matrix.Copy(m_matrix);
}

void CDsItemsGroup::SetTransformation(const SPAtransf& transform)
{
    m_matrix.SetTransformation(transform);
}

void CDsItemsGroup::MultiplyTransformation(const SPAtransf& transform)
{
    SPAtransf product = m_matrix.GetTransformation();
    product *= transform;
    m_matrix.SetTransformation(product);
}

void CDsItemsGroup::Transform(const SPAtransf& transform)
{
    for (CDsItemBase* child : m_children) child->Transform(transform);
}

void CDsItemsGroup::ResetTransformation()
{
    m_matrix.Free();
}

bool CDsItemsGroup::HasTransformation() const
{
    return !m_matrix.IsIdentity();
}

void CDsItemsGroup::PushMatrix()
{
    m_matrix.GlMultiply();
}

void CDsItemsGroup::PopMatrix()
{
    if (m_matrix.IsIdentity()) return;
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void CDsItemsGroup::PushMatrixGdi(view3d& view)
{
    m_matrix.SetToView(view);
}

void CDsItemsGroup::PopMatrixGdi(view3d& view)
{
    m_matrix.ResetView(view);
}

void DsPushItemTransformation(view3d* view, CDsItemsGroup* group)
{
    if (!view || !group || group->m_matrix.IsIdentity()) return;
    if (CDsView3dCdc::StCheckIfPlotIsActive())
        group->m_matrix.SetToView(*view);
    else
        group->m_matrix.GlMultiply();
}

void DsPopItemTransformation(view3d* view, CDsItemsGroup* group)
{
    if (!view || !group || group->m_matrix.IsIdentity()) return;
    if (CDsView3dCdc::StCheckIfPlotIsActive()) {
        view->ClearModelTransform();
    } else {
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
}

// --- Drawing ------------------------------------------------------------------------------------

void CDsItemsGroup::DrawGl(view3d& view)
{
    for (CDsItemBase* child : m_children) child->DrawGl(view);
}

void CDsItemsGroup::Refresh(view3d& view)
{
    if (IsHidden()) return;
    for (CDsItemBase* child : m_children) {
        const CDsGlPenSaver pen;  // what the child sets for itself is not the next child's
        child->Refresh(view);
    }
}

void CDsItemsGroup::DrawAlone(view3d& view)
{
    for (CDsItemBase* child : m_children) child->DrawAlone(view);
}

void CDsItemsGroup::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHidden()) return;
    if (entity == GetEntity()) entity = nullptr;
    for (CDsItemBase* child : m_children) child->DrawExtremes(extrema, entity);
}

void CDsItemsGroup::DrawToFrontBuffer(view3d& view)
{
    if (IsHidden()) return;
    SetAttributesToView(&view);
    for (CDsItemBase* child : m_children) child->DrawToFrontBuffer(view);
}

void CDsItemsGroup::Erase(view3d& view)
{
    CDsLineAttribStorage pen;
    CDsColorStorage background;
    background.SetValue(static_cast<uint32_t>(view.get_background_rgb().windows_color()));
    pen.SetColor(background);
    pen.SetInheritColorState(false);
    const int width = GetWidth(), style = GetStyle();
    if (width >= 1 && width <= 8) pen.SetWidth(width);
    if (style >= 0 && style < CDsLineAttribStorage::kStylesCount) pen.SetStyle(style);
    const EVisibilityLevel visibility = GetVisibility();
    if (visibility != eVisibilityNormal) pen.SetVisibility(visibility, true);
    if (GetHighlightState()) pen.Highlight(true);
    pen.SetAttributesToView(&view);
    DrawGl(view);
}

void CDsItemsGroup::Plot(view3d& view)
{
    if (IsHidden() || GetFlag(eDsItemFlagNoPlot)) return;
    SetAttributesToView(&view);
    for (CDsItemBase* child : m_children) child->Plot(view);
}

void CDsItemsGroup::DrawGeometry(view3d& view)
{
    if (GetFlag(eDsItemFlagHideByDocument4) && view.GetDocumentFlag(static_cast<EDsDocumentFlag>(4))) return;
    if (IsHideLevelHidden()) return;
    for (int i = 0; i < Count(); ++i) m_children[static_cast<size_t>(i)]->DrawGeometry(view);
}

void CDsItemsGroup::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (CDsGlMeshPainter::StSelectsOrFeedsBack()) {
        // A pick's selection or feedback records neither colour nor pen, so one child's pen may
        // reach the next: one saver gives back to the walk what the children changed. A saver per
        // child reads the current colour after each, which makes OpenGL send each child as a draw
        // of its own, and a figure of many leaves would be selected leaf by leaf.
        const CDsGlPenSaver pen;
        for (CDsItemBase* child : m_children) child->DrawOnTraverse(view, kinds, applyAttributes);
        return;
    }
    for (CDsItemBase* child : m_children) {
        const CDsGlPenSaver pen;  // what the child sets for itself is not the next child's, nor the walk's
        child->DrawOnTraverse(view, kinds, applyAttributes);
    }
}

// --- Picking and selection ----------------------------------------------------------------------

bool CDsItemsGroup::Pick(view3d* view)
{
    bool hit = false;
    for (CDsItemBase* child : m_children) hit = child->Pick(view) || hit;
    return hit;
}

bool CDsItemsGroup::Pick(pick_manager* manager)
{
    if (IsHidden() || m_children.empty()) return false;
    bool hit = false;
    for (CDsItemBase* child : m_children) {
        if (!child->Pick(manager)) continue;
        hit = true;
        if (manager && manager->get_level() != 0) {
            manager->push_level(child, child->GetEntity());
            manager->save_current_if_ok();
            manager->pop_level();
        }
    }
    return hit;
}

CDsRefPoint* CDsItemsGroup::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    if (IsHidden()) return nullptr;
    for (CDsItemBase* child : m_children)
        if (CDsRefPoint* point = child->PickRefPoint(event, types)) return point;
    return nullptr;
}

void CDsItemsGroup::PickClosest(CDsItemsIdBuffer&) {}

void CDsItemsGroup::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    if (IsHidden()) return;
    CDsItemBase::SelectAll(data, list);
    for (CDsItemBase* child : m_children) child->SelectAll(data, list);
}

// --- Bounds, statistics and vertices ------------------------------------------------------------

bool CDsItemsGroup::GetBoundBox2D(SDsBox2D& box)
{
    box.minX = box.minY = 10000000;
    box.maxX = box.maxY = -10000000;
    bool any = false;
    for (CDsItemBase* child : m_children) {
        SDsBox2D own;
        own.SetEmpty();
        if (!child->GetBoundBox2D(own)) continue;
        any = true;
        box.Expand(own);
    }
    return any;
}

bool CDsItemsGroup::GetBoundBox(SPAbox& box)
{
    for (CDsItemBase* child : m_children) {
        SPAbox own;
        if (child->GetBoundBox(own)) box |= own;
    }
    return !box.empty();
}

bool CDsItemsGroup::HasBoundBox()
{
    return std::any_of(m_children.begin(), m_children.end(), [](CDsItemBase* c) { return c->HasBoundBox(); });
}

void CDsItemsGroup::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    if (IsHidden()) return;
    for (CDsItemBase* child : m_children) child->ExpandBox(box, transform);
}

void CDsItemsGroup::ComputeBounds2D(view3d* view)
{
    for (CDsItemBase* child : m_children) child->ComputeBounds2D(view);
}

void CDsItemsGroup::CountStatistics(CDsStatisticsItems* statistics)
{
    if (!statistics) return;
    CDsItemBase::CountStatistics(statistics);
    for (CDsItemBase* child : m_children) child->CountStatistics(statistics);
}

long CDsItemsGroup::DrawPoints(view3d& view, long mask)
{
    long drawn = 0;
    for (CDsItemBase* child : m_children) drawn |= child->DrawPoints(view, mask);
    return drawn;
}

const std::vector<int>& CDsItemsGroup::VertexEnds(CDsGeometry::eDrawPrimitives kinds, bool recount)
{
    // The walks over a figure's faces ask for one vertex index after the other: asking every
    // earlier child for its count at each of them made a walk quadratic in the children.
    const uint64_t changes = StVertexCountChanges();
    if (!recount && m_vertexEndsKnown && m_vertexEndsKinds == static_cast<int>(kinds) &&
        m_vertexEndsChanges == changes && m_vertexEnds.size() == m_children.size())
        return m_vertexEnds;
    m_vertexEnds.resize(m_children.size());
    int end = 0;
    for (size_t i = 0; i < m_children.size(); ++i) {
        // A child that answers a negative count (an empty STL mesh) holds no vertices.
        end += std::max(0, m_children[i]->GetVerticesCount(kinds));
        m_vertexEnds[i] = end;
    }
    m_vertexEndsKinds = static_cast<int>(kinds);
    m_vertexEndsChanges = changes;
    m_vertexEndsKnown = true;
    return m_vertexEnds;
}

int CDsItemsGroup::GetVerticesCount(CDsGeometry::eDrawPrimitives kinds)
{
    const std::vector<int>& ends = VertexEnds(kinds, true);
    return ends.empty() ? 0 : ends.back();
}

bool CDsItemsGroup::HolderOf(CDsGeometry::eDrawPrimitives kinds, int index, size_t& child, int& base, int& end)
{
    const std::vector<int>& ends = VertexEnds(kinds, index <= 0);
    const auto holder = std::upper_bound(ends.begin(), ends.end(), index);
    if (holder == ends.end()) return false;
    child = static_cast<size_t>(holder - ends.begin());
    base = child == 0 ? 0 : ends[child - 1];
    end = *holder;
    return true;
}

int CDsItemsGroup::GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count)
{
    // The child holding vertex `index` of the group answers for it: its own vertices counted from
    // where the earlier children's end. It is the first child whose vertices end beyond `index`
    // (children without vertices end where the one before them does, and are passed over). A
    // walk's first call counts them anew: an item may change its count without telling.
    size_t i = 0;
    int base = 0, end = 0;
    if (!HolderOf(kinds, index, i, base, end)) return -1;
    const int r = m_children[i]->GetVertices(kinds, index - base, vertices, count);
    if (r > 0) return base + r;
    return i + 1 < m_children.size() ? end : -1;
}

int CDsItemsGroup::GetPlacedVertices(CDsGeometry::eDrawPrimitives kinds, int index, std::vector<double>& placed,
                                     int& count)
{
    placed.clear();
    size_t i = 0;
    int base = 0, end = 0;
    if (!HolderOf(kinds, index, i, base, end)) return -1;
    const int r = m_children[i]->GetPlacedVertices(kinds, index - base, placed, count);
    if (r > 0) return base + r;
    return i + 1 < m_children.size() ? end : -1;
}

bool CDsItemsGroup::GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position)
{
    for (CDsItemBase* child : m_children)
        if (child->GetPoint(which, position)) return true;
    return false;
}

int CDsItemsGroup::GetDrawPrimitives()
{
    int kinds = 0;
    for (CDsItemBase* child : m_children) kinds |= child->GetDrawPrimitives();
    return kinds;
}

bool CDsItemsGroup::GetVerticesBuffer(CDsGeometry::eDrawPrimitives kinds,
                                      std::vector<CDsGeometry::sVerticesBuffer>& buffers, int index)
{
    for (CDsItemBase* child : m_children)
        if (child->GetVerticesBuffer(kinds, buffers, index)) return true;
    return false;
}

// --- Group-only operations ----------------------------------------------------------------------

bool CDsItemsGroup::GetBox(CGmPosition&, CGmPosition&, bool)
{
    return false;
}

CDsRefPoint* CDsItemsGroup::PickRefPoint(CUiPickEvent&, std::vector<CDsItemEdge*>&, int, const CDsTypeMask&)
{
    return nullptr;
}

CDsRefPoint* CDsItemsGroup::PickRefPoint(CUiPickEvent&, const ENTITY_LIST&, const CDsTypeMask&)
{
    return nullptr;
}

int CDsItemsGroup::TestBodyFaces(const CDsTypeMask&)
{
    return 0;
}

int CDsItemsGroup::TestBodyFaces(entity_filter*)
{
    return 0;
}

int CDsItemsGroup::TestBodyEdges(const CDsTypeMask&)
{
    return 0;
}

int CDsItemsGroup::TestBodyEdges(entity_filter*)
{
    return 0;
}

int CDsItemsGroup::TestBodyWire(const CDsTypeMask&)
{
    return 0;
}

void CDsItemsGroup::OpenGlPick(view3d*) {}

void CDsItemsGroup::GetDsEdgesOnTop(std::vector<CDsItemEdge*>&) {}

void CDsItemsGroup::PickEdges(view3d*, std::vector<CDsItemEdge*>&, ENTITY_LIST&) {}

void CDsItemsGroup::PickEdges(view3d*, ENTITY_LIST&, ENTITY_LIST*) {}

bool CDsItemsGroup::PickDisplayCurve(pick_manager*, FACE*&, int&)
{
    return false;
}

int CDsItemsGroup::FacesCount()
{
    return 0;
}

void CDsItemsGroup::GetDsEdges(const ENTITY_LIST&, std::vector<CDsItemEdge*>&) {}

void CDsItemsGroup::ReFacetBody() {}

void CDsItemsGroup::ReconnectPolylines(CVyrMeshInterface*) {}

bool CDsItemsGroup::CheckExtremesOverlap(view3d*)
{
    return true;
}

bool CDsItemsGroup::IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside)
{
    if (IsHidden()) return false;
    if (!testExtremes) return true;
    return CheckExtremesOverlap(view) || acceptOutside;
}

bool CDsItemsGroup::IsBodyConicalFaceOwner()
{
    return false;
}
