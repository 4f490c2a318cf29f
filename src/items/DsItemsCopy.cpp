// The copy group: a display group shown again under the copy's transformation.
#include "DsItemsCopy.h"

#include "DsColorStorage.h"
#include "DsDriverExtrema.h"
#include "DsGlContext.h"
#include "DsItemPolygonsStl.h"
#include "DsItemsBody.h"
#include "DsItemsIdBuffer.h"
#include "DsItemsMap.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsSelectAllData.h"
#include "DsSelectionNames.h"
#include "DsShownFrame.h"
#include "DsView3dCdc.h"

#include "DsAttribute.h"
#include "GmPosition.h"
#include "SpaFilters.h"
#include "SpaTopology.h"
#include "UiPickEvent.h"
#include "VyrAsExt.h"
#include "VyrPoint.h"
#include "VyrWCS.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace {

// The option word a pick manager carries while a copy's items pick on its behalf.
constexpr int kCopyPickMarker = 1;

// Switches a body's flag gate (item flag 0x100) and its screen-rectangle test for one pick, and
// puts both back as they were found.
class CBodyPickScope {
public:
    CBodyPickScope(CDsItemsBody* body, bool gate, bool switchGate) : m_body(body)
    {
        if (!m_body) return;
        m_extremes = m_body->GetExtremesTest();
        m_body->SetExtremesTest(false);
        m_switched = switchGate;
        m_gate = m_body->GetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
        if (switchGate) SetGate(gate);
    }
    ~CBodyPickScope()
    {
        if (!m_body) return;
        if (m_switched) SetGate(m_gate);
        m_body->SetExtremesTest(m_extremes);
    }
    CBodyPickScope(const CBodyPickScope&) = delete;
    CBodyPickScope& operator=(const CBodyPickScope&) = delete;

private:
    void SetGate(bool on)
    {
        const auto flag = static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag);
        if (on)
            m_body->SetFlag(flag);
        else
            m_body->ResetFlag(flag);
    }

    CDsItemsBody* m_body;
    bool m_extremes = false;
    bool m_gate = false;
    bool m_switched = false;
};

// Removes `item` from `list`; whether it was there.
bool EraseItem(std::vector<CDsItemBase*>& list, const CDsItemBase* item)
{
    const auto at = std::find(list.begin(), list.end(), item);
    if (at == list.end()) return false;
    list.erase(at);
    return true;
}

// Every entry of every copy's highlight and mark list, by item: an item that goes is found here
// and taken out of the lists that hold it, so that no list outlives its items.
typedef std::unordered_multimap<const CDsItemBase*, CDsItemsCopy*> CListings;

// Made on first use and kept for the process: items may be destroyed during the process's exit,
// after every other static of the library.
CListings& Listings()
{
    static CListings* listings = new CListings;
    return *listings;
}

// Every copy by the group it copies: a group that goes is found here and let go by the copies
// that show it, whatever group it is (a body, or a face item a copy was given) and however it goes.
typedef std::unordered_multimap<const CDsItemBase*, CDsItemsCopy*> CCopies;

// Made on first use and kept for the process, as the listings.
CCopies& Copies()
{
    static CCopies* copies = new CCopies;
    return *copies;
}

// Forgets the entry of `copy` under `copied`.
void ForgetCopy(const CDsItemBase* copied, CDsItemsCopy* copy)
{
    CCopies& copies = Copies();
    const auto range = copies.equal_range(copied);
    for (auto at = range.first; at != range.second; ++at) {
        if (at->second != copy) continue;
        copies.erase(at);
        return;
    }
}

// Forgets one entry of `copy`'s lists for `item`.
void ForgetListing(const CDsItemBase* item, CDsItemsCopy* copy)
{
    CListings& listings = Listings();
    const auto range = listings.equal_range(item);
    for (auto at = range.first; at != range.second; ++at) {
        if (at->second != copy) continue;
        listings.erase(at);
        return;
    }
}

}  // namespace

CDsItemsCopy::CDsItemsCopy(CDsItemsGroup* copied, ENTITY* entity, CDsGlContext* context)
    : CDsItemsGroup(nullptr, nullptr)
{
    m_material.attributes = GetAttributes();
    Follow(copied);
    SetEntity(entity);
    SetGlContext(context);
    if (entity) {
        if (is_wire_body(entity) || is_WIRE(entity))
            m_mode = 1;
        else if (is_BODY(entity))
            m_mode = 0;
        m_placement = is_CVyrWCS(entity) || is_CVyrPoint(entity);
    }
    const float transparency = GetTransparency();
    m_material.state = transparency == 1.0f ? 1 : 2;
    if (transparency < 1.0f && context) context->Set(static_cast<EDsDocumentFlag>(12), true);
    CDsItemsGroup::SetTransformation(CVyrAsExt::GetTransformation(entity));
    RecomputeBox();
}

CDsItemsCopy::~CDsItemsCopy()
{
    EmptyList(m_highlights);
    EmptyList(m_marks);
    Follow(nullptr);
}

void CDsItemsCopy::StForgetItem(const CDsItemBase* item)
{
    CListings& listings = Listings();
    if (!listings.empty()) {
        const auto range = listings.equal_range(item);
        std::vector<CDsItemsCopy*> copies;
        for (auto at = range.first; at != range.second; ++at) copies.push_back(at->second);
        listings.erase(range.first, range.second);
        for (CDsItemsCopy* copy : copies) {
            EraseItem(copy->m_highlights, item);
            EraseItem(copy->m_marks, item);
        }
    }
    // The copies of the item let it go (each takes its own entry out as it does).
    CCopies& copied = Copies();
    if (copied.empty()) return;
    const auto range = copied.equal_range(item);
    std::vector<CDsItemsCopy*> copies;
    for (auto at = range.first; at != range.second; ++at) copies.push_back(at->second);
    for (CDsItemsCopy* copy : copies) copy->ReleaseBody();
}

void CDsItemsCopy::StItemMoved(const CDsItemBase* item)
{
    const CCopies& copies = Copies();
    if (!item || copies.empty()) return;
    // Whether `below` is `above` or lies in it.
    const auto within = [](const CDsItemBase* below, const CDsItemBase* above) {
        for (; below; below = below->GetParent())
            if (below == above) return true;
        return false;
    };
    for (const auto& entry : copies)
        if (within(item, entry.first) || within(entry.first, item)) entry.second->InvalidateCopyBox();
}

void CDsItemsCopy::Follow(CDsItemsGroup* copied)
{
    if (copied == m_copied) return;
    if (m_copied) ForgetCopy(m_copied, this);
    m_copied = copied;
    if (m_copied) Copies().emplace(m_copied, this);
}

void CDsItemsCopy::ListItem(std::vector<CDsItemBase*>& list, CDsItemBase* item)
{
    list.push_back(item);
    Listings().emplace(item, this);
}

void CDsItemsCopy::UnlistItem(std::vector<CDsItemBase*>& list, CDsItemBase* item)
{
    if (EraseItem(list, item)) ForgetListing(item, this);
}

void CDsItemsCopy::EmptyList(std::vector<CDsItemBase*>& list)
{
    for (CDsItemBase* item : list) ForgetListing(item, this);
    list.clear();
}

CDsItemsBody* CDsItemsCopy::Body() const
{
    return dynamic_cast<CDsItemsBody*>(m_copied);
}

void CDsItemsCopy::RecomputeBox()
{
    m_box.ResetMembers();
    if (!m_copied) return;
    SPAtransf transform = GetTransformation();
    m_copied->ExpandBox(m_box, &transform);
}

void CDsItemsCopy::UpdateMaterialState()
{
    m_material.state = GetTransparency() == 1.0f ? 1 : 2;
}

void CDsItemsCopy::SetBody(CDsItemsGroup* copied)
{
    Follow(copied);
    EmptyList(m_highlights);
    EmptyList(m_marks);
    RecomputeBox();
}

void CDsItemsCopy::ReleaseBody()
{
    SetBody(nullptr);
}

bool CDsItemsCopy::IsStlCopy() const
{
    return m_mode == 5 && m_copied && m_copied->Count() > 0 &&
           dynamic_cast<CDsItemPolygonsStl*>(m_copied->GetFast(0)) != nullptr;
}

void CDsItemsCopy::PushTransformation(view3d* view)
{
    const bool inUse = HasTransformation();
    if (m_placement) {
        if (inUse && view) GetMatrix().SetToView(*view);
        if (!view || !view->GetFlag(eDsViewFlagFastRefresh)) return;
    }
    if (!inUse) return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(GetMatrix().GetMatrix());
}

void CDsItemsCopy::PopTransformation(view3d* view)
{
    const bool inUse = HasTransformation();
    if (m_placement) {
        if (inUse && view) GetMatrix().ResetView(*view);
        if (!view || !view->GetFlag(eDsViewFlagFastRefresh)) return;
    }
    if (!inUse) return;
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void CDsItemsCopy::MarkChildrenCopy(bool on)
{
    for (CDsItemBase* item : m_marks) item->MarkCopy(on);
}

void CDsItemsCopy::SetChildrenVisibility(bool on)
{
    for (CDsItemBase* item : m_highlights) item->SetVisibility(eVisibilityHighlight, on, true, nullptr);
}

SPAposition* CDsItemsCopy::GetTransformedEdgePolyline(int& count, view3d* view, EDGE* edge)
{
    count = 0;
    CDsItemsBody* body = Body();
    if (m_mode > 1 || !body || !edge) return nullptr;
    ENTITY* real = CVyrAsExt::GetRealEntity(edge);
    int n = 0;
    CGmPosition* points = body->GetEdgePolyline(static_cast<EDGE*>(real ? real : edge), n, view);
    if (!points || n <= 0) {
        delete[] points;
        return nullptr;
    }
    const SPAtransf& transform = GetTransformation();
    auto* out = new SPAposition[static_cast<size_t>(n)];
    for (int i = 0; i < n; ++i) out[i] = SPAposition(points[i]) * transform;
    delete[] points;
    count = n;
    return out;
}

bool CDsItemsCopy::HandleCopyRequest(int, void*)
{
    return false;
}

int CDsItemsCopy::EdgesCount()
{
    CDsItemsBody* body = Body();
    return m_mode == 0 && body ? body->EdgesCount() : 0;
}

// --- Attributes -----------------------------------------------------------------------------------

void CDsItemsCopy::DrawGl(view3d&) {}

void CDsItemsCopy::SetAttributes(const CDsLineAttribStorage& attributes, bool)
{
    const CDsLineAttribStorage before(*GetAttributes());
    *GetAttributes() = attributes;
    UpdateMaterialState();
    if (!DsSameLineAttributes(before, *GetAttributes())) NoteContentChanged();
}

void CDsItemsCopy::GetAttribute(CDsAttribute& attribute)
{
    if (attribute.GetType() == eDsAttributeOwnAttributes)
        attribute.SetData(m_ownAttributes ? 1u : 0u, true);
    else if (attribute.GetType() == eDsAttributeHideLevel)
        GetAttributes()->GetAttribute(attribute);
}

void CDsItemsCopy::SetAttribute(const CDsAttribute& attribute, bool on, bool recurse)
{
    if (attribute.GetType() == eDsAttributeOwnAttributes) {
        m_ownAttributes = attribute.GetData() != 0;
        return;
    }
    CDsItemBase::SetAttribute(attribute, on, recurse);
}

void CDsItemsCopy::SetColor(const CDsColorStorage& color, bool)
{
    if (&color != &GetAttributes()->GetColor())
        GetAttributes()->SetColor(color);
    else
        GetAttributes()->SetInheritColorState(false);
    UpdateMaterialState();
}

void CDsItemsCopy::SetStyle(int style, bool)
{
    GetAttributes()->SetStyle(style);
}

void CDsItemsCopy::SetWidth(int width, bool)
{
    GetAttributes()->SetWidth(width);
}

void CDsItemsCopy::SetTransparency(float transparency)
{
    GetAttributes()->SetTransparency(transparency);
}

CDsItemBase* CDsItemsCopy::FindItem(ENTITY* entity) const
{
    if (!entity) return nullptr;
    CDsGlContext* context = GetGlContext();
    CDsItemsMap* map = context ? context->GetItemsMap() : nullptr;
    CDsItemBase* item = map ? map->Find(entity) : nullptr;
    if (!item && map)
        if (ENTITY* real = CVyrAsExt::GetRealEntity(entity)) item = map->Find(real);
    return item;
}

void CDsItemsCopy::SetVisibility(EVisibilityLevel level, bool on, bool, ENTITY* entity)
{
    if (level != eVisibilityHighlight && level != eVisibilityMark) {
        CDsItemBase::SetVisibility(level, on, true, nullptr);
        return;
    }
    if (entity && entity == GetEntity()) entity = CVyrAsExt::GetRealEntity(entity);
    CDsItemBase* item = FindItem(entity);
    if (!item || item == this) return;
    std::vector<CDsItemBase*>& list = level == eVisibilityHighlight ? m_highlights : m_marks;
    UnlistItem(list, item);
    if (on) ListItem(list, item);
}

void CDsItemsCopy::SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on)
{
    GetAttributes()->SetVisibilityColor(level, color, on);
}

void CDsItemsCopy::ResetAttributes(EDsResetAttributeAction action)
{
    if (action & eDsResetHighlight) EmptyList(m_highlights);
    if (action & eDsResetMark) EmptyList(m_marks);
    GetAttributes()->ResetAttributes(action);
}

EDsItemsType CDsItemsCopy::GetItemType()
{
    return eDsItemsCopy;
}

// --- Transformation and geometry ------------------------------------------------------------------

void CDsItemsCopy::SetTransformation(const SPAtransf& transform)
{
    CDsItemsGroup::SetTransformation(transform);
    RecomputeBox();
    if (CDsGlContext* context = GetGlContext()) context->OnItemsContentChanged();
}

void CDsItemsCopy::MultiplyTransformation(const SPAtransf& transform)
{
    GetMatrix().Allocate();
    CDsItemsGroup::MultiplyTransformation(transform);
    RecomputeBox();
    if (CDsGlContext* context = GetGlContext()) context->OnItemsContentChanged();
}

void CDsItemsCopy::Transform(const SPAtransf&) {}

void CDsItemsCopy::ExpandBox(CDsBox& box, SPAtransf*)
{
    if (m_box.IsNotComputed() && m_copied) RecomputeBox();
    if (!m_box.IsNotComputed()) box.ExpandBox(m_box);
}

void CDsItemsCopy::ComputeBounds2D(view3d* view)
{
    if (!view || !m_copied) return;
    if (m_box.IsNotComputed()) RecomputeBox();  // emptied by a change of the copied body's faces
    m_box.ComputeBounds2D(view, true);
}

bool CDsItemsCopy::GetBox(CGmPosition& low, CGmPosition& high, bool world)
{
    if (m_box.IsNotComputed() && m_copied) RecomputeBox();
    if (world) {
        m_box.GetMin(low);
        m_box.GetMax(high);
        return true;
    }
    CDsBox local;
    if (!m_box.IsNotComputed()) {
        const SPAtransf inverse = GetTransformation().inverse();
        local.TransformBox(&inverse, m_box);
    }
    local.GetMin(low);
    local.GetMax(high);
    return true;
}

// --- Drawing --------------------------------------------------------------------------------------

void CDsItemsCopy::Refresh(view3d& view)
{
    if (m_mode != 5 || !m_copied || IsHidden()) return;
    const bool marked = !m_marks.empty();
    std::vector<bool> wasMarked;
    if (marked) {
        MarkChildrenCopy(true);
        for (CDsItemBase* item : m_marks) {
            wasMarked.push_back(item->GetMarkState());
            item->SetVisibility(eVisibilityMark, true, true, nullptr);
        }
    }
    if (m_ownAttributes) SetAttributesToView(&view);
    PushTransformation(&view);
    if (m_ownAttributes)
        m_copied->DrawGeometry(view);
    else
        m_copied->Refresh(view);
    PopTransformation(&view);
    if (marked) {
        for (size_t i = 0; i < m_marks.size(); ++i) m_marks[i]->SetVisibility(eVisibilityMark, wasMarked[i], true, nullptr);
        MarkChildrenCopy(false);
    }
}

void CDsItemsCopy::DrawAlone(view3d& view)
{
    if (m_mode != 5 || !m_copied) return;
    PushTransformation(&view);
    m_copied->DrawAlone(view);
    PopTransformation(&view);
}

void CDsItemsCopy::DrawToFrontBuffer(view3d& view)
{
    if (IsHidden() || !m_copied) return;
    PushTransformation(&view);
    SetChildrenVisibility(true);
    m_copied->DrawToFrontBuffer(view);
    SetChildrenVisibility(false);
    PopTransformation(&view);
}

void CDsItemsCopy::Plot(view3d& view)
{
    if (IsHidden() || !m_copied) return;
    const bool inUse = HasTransformation();
    if (inUse) GetMatrix().SetToView(view);
    m_copied->Plot(view);
    if (inUse) view.ClearModelTransform();
}

void CDsItemsCopy::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (!m_copied || IsHidden()) return;
    const bool inUse = HasTransformation();
    if (inUse) extrema.SetModelTransform(GetTransformation());
    if (entity && entity == GetEntity()) entity = nullptr;
    m_copied->DrawExtremes(extrema, entity);
    if (inUse) extrema.ClearModelTransform();
}

// --- Picking --------------------------------------------------------------------------------------

bool CDsItemsCopy::CheckExtremesOverlap(view3d* view)
{
    CDsGlContext* context = GetGlContext();
    if (context && context->Get(static_cast<EDsDocumentFlag>(13))) return true;
    if (CDsPickProccessor::sPickInRegionMode) return true;
    // Asked at another place (the view's model transform: where the scene database draws the
    // copy), the rectangle of where its own placement puts it tells nothing.
    if (view && view->is_model_transform_enabled() && !view->get_model_transform().identity()) return true;
    return m_box.CheckExtremesOverlap(view, true);
}

bool CDsItemsCopy::Pick(pick_manager* manager)
{
    if (m_mode != 5 || !m_copied || !manager || IsHidden()) return false;
    view3d* view = manager->get_view();
    if (view) PushMatrixGdi(*view);
    manager->push_level(this, GetEntity());
    const int options = manager->get_options();
    manager->set_options(kCopyPickMarker);
    const bool hit = m_copied->Pick(manager);
    manager->set_options(options);
    manager->pop_level();
    if (view) PopMatrixGdi(*view);
    return hit;
}

CDsRefPoint* CDsItemsCopy::CopyRefPoint(CDsRefPoint* hit)
{
    if (!hit) return nullptr;
    CGmPosition position = CDsRefPoint::sLastPosition;
    ENTITY* hitEntity = hit->GetReferenceEntity();
    delete hit;
    if (HasTransformation()) position = CGmPosition(SPAposition(position) * GetTransformation());
    ENTITY* copy = CVyrAsExt::GetEntityCopy(GetEntity(), hitEntity);
    if (!copy) return nullptr;
    auto* point = new CDsRefPoint(copy, &position);
    point->SetReferenceEntity(copy);
    return point;
}

CDsRefPoint* CDsItemsCopy::PickApexRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    CDsItemsBody* body = Body();
    CDsGlContext* context = GetGlContext();
    CDsPickProccessor* processor = context ? context->GetPickProccessor() : nullptr;
    if (!body || !processor || !GetEntity() || !body->IsBodyConicalFaceOwner() || !types.IsTypeSet(eDsPickPtStart))
        return nullptr;
    view3d* view = event.view();
    if (!view) return nullptr;
    // The copied body's faces where the copy shows them: under the copy's transformation and the
    // place the view is set to.
    const SPAtransf after = view->is_model_transform_enabled() ? view->get_model_transform() : SPAtransf();
    const SPAtransf copied = GetTransformation() * after;
    FACE* real = body->ShownFaceUnderCursor(event, copied);
    // The apex pick ends the pick session: its filter and its cached selection go with it.
    CDsGlContext::StEndPickSession();
    if (!real || !is_conical_face(real) || is_cylindrical_face(real)) return nullptr;
    ENTITY* face = CVyrAsExt::GetEntityCopy(GetEntity(), real);
    if (!face) return nullptr;
    std::unique_ptr<CDsRefPoint> apex(processor->PickApexPoint(real, CUiPickEvent(event)));
    if (!apex) return nullptr;
    CGmPosition position = CDsRefPoint::sLastPosition;
    if (HasTransformation()) position = CGmPosition(SPAposition(position) * GetTransformation());
    if (processor->GetPickPointMask() != eDsPickPtStart && !CDsRefPoint::StIsPicked(event, position)) return nullptr;
    // Only where the window shows it: on the cone as drawn, and shown there.
    const SPAposition at = SPAposition(position) * after;
    if (!body->FaceReaches(real, at, copied, view) || !DsIsPointShown(context, view, at)) return nullptr;
    auto* point = new CDsRefPoint(position, eDsPickPtStart);
    point->SetReferenceEntity(face);
    CDsRefPoint::sPickType = eDsPickPtStart;
    return point;
}

CDsRefPoint* CDsItemsCopy::PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types)
{
    CDsItemsBody* body = Body();
    view3d* view = event.view();
    if (m_mode > 1 || !body || !view || IsHidden() || !CheckExtremesOverlap(view)) return nullptr;
    if (CDsRefPoint* apex = PickApexRefPoint(event, types)) return apex;
    CDsRefPoint* hit = nullptr;
    {
        const CBodyPickScope scope(body, false, false);
        PushMatrixGdi(*view);
        hit = body->PickEdgeRefPoint(event, types);
        PopMatrixGdi(*view);
    }
    return CopyRefPoint(hit);
}

CDsRefPoint* CDsItemsCopy::PickRefPoint(CUiPickEvent& event, std::vector<CDsItemEdge*>& edges, int kind,
                                        const CDsTypeMask& types)
{
    CDsItemsBody* body = Body();
    view3d* view = event.view();
    if (m_mode > 1 || !body || !view || IsHidden() || !CheckExtremesOverlap(view)) return nullptr;
    CDsRefPoint* hit = nullptr;
    {
        const CBodyPickScope scope(body, false, false);
        PushMatrixGdi(*view);
        hit = body->PickRefPoint(event, edges, kind, types);
        PopMatrixGdi(*view);
    }
    return CopyRefPoint(hit);
}

CDsRefPoint* CDsItemsCopy::PickRefPoint(CUiPickEvent& event, const ENTITY_LIST& entities, const CDsTypeMask& types)
{
    CDsItemsBody* body = Body();
    view3d* view = event.view();
    if (m_mode > 1 || !body || !view || IsHidden() || !CheckExtremesOverlap(view)) return nullptr;
    CDsRefPoint* hit = nullptr;
    {
        const CBodyPickScope scope(body, false, false);
        PushMatrixGdi(*view);
        hit = body->PickRefPoint(event, entities, types);
        PopMatrixGdi(*view);
    }
    return CopyRefPoint(hit);
}

void CDsItemsCopy::PickClosest(CDsItemsIdBuffer& buffer)
{
    CDsItemsBody* body = Body();
    if (m_mode != 0 || !body || IsHidden() || !CheckExtremesOverlap(CDsView3dCdc::StGetCurrent())) return;
    const CBodyPickScope scope(body, false, false);
    // The copy's transformation acts after the body's and the faces' own: it is pushed first.
    const int owners = buffer.GetOwnerCount();
    const SPAtransf transform = GetTransformation();
    buffer.SetCurrentCopy(this);
    buffer.PushOwner(&transform);
    body->PickClosest(buffer);
    // Back to the stack the copy found, whatever the body left on it.
    while (buffer.GetOwnerCount() > owners) buffer.PopOwner();
    buffer.SetCurrentCopy(nullptr);
}

bool CDsItemsCopy::Accepts(CDsSelectAllData& data, ENTITY* entity, bool wireFilter) const
{
    CDsItemBase* item = FindItem(entity);
    if (!item || item->IsHidden() || !data.TestEntity(entity)) return false;
    return !wireFilter || data.TestWireEntity(entity);
}

void CDsItemsCopy::SelectAll(CDsSelectAllData& data, ENTITY_LIST& list)
{
    if (IsHidden()) return;
    pick_manager* main = data.GetMainPickManager();
    auto* view = dynamic_cast<CDsView3dCdc*>(main ? main->get_view() : nullptr);
    ENTITY* entity = GetEntity();
    if (!view || !view->GetGlContext() || !entity) return;
    if (!data.AsksForSubEntities()) {
        if (Accepts(data, entity, false)) list.add(entity, 1);
        return;
    }
    ENTITY_LIST faces, edges;
    api_get_faces(entity, faces);
    api_get_edges(entity, edges);
    if (faces.count() > 0) {
        const ENTITY_LIST* wanted = data.GetMethod() == 2 ? &faces : (data.GetMethod() == 0 ? &edges : nullptr);
        for (int i = 0; wanted && i < wanted->count(); ++i)
            if (Accepts(data, (*wanted)[i], false)) list.add((*wanted)[i], 1);
        return;
    }
    if (Accepts(data, entity, true)) list.add(entity, 1);
    for (int i = 0; i < edges.count(); ++i)
        if (Accepts(data, edges[i], false)) list.add(edges[i], 1);
}

int CDsItemsCopy::TestBodyFaces(const CDsTypeMask& types)
{
    CDsItemsBody* body = Body();
    return m_mode == 0 && body ? body->TestBodyFaces(types) : 0;
}

int CDsItemsCopy::TestBodyFaces(entity_filter* filter)
{
    ENTITY_LIST faces;
    if (!filter || !GetEntity()) return 0;
    api_get_faces(GetEntity(), faces);
    for (int i = 0; i < faces.count(); ++i)
        if (const int result = filter->test(faces[i])) return result;
    return 0;
}

int CDsItemsCopy::TestBodyEdges(const CDsTypeMask& types)
{
    CDsItemsBody* body = Body();
    return m_mode <= 1 && body ? body->TestBodyEdges(types) : 0;
}

int CDsItemsCopy::TestBodyEdges(entity_filter* filter)
{
    ENTITY_LIST edges;
    if (!filter || !GetEntity()) return 0;
    api_get_edges(GetEntity(), edges);
    for (int i = 0; i < edges.count(); ++i)
        if (const int result = filter->test(edges[i])) return result;
    return 0;
}

int CDsItemsCopy::TestBodyWire(const CDsTypeMask& types)
{
    CDsItemsBody* body = Body();
    return m_mode <= 1 && body ? body->TestBodyWire(types) : 0;
}

void CDsItemsCopy::OpenGlPick(view3d* view)
{
    CDsItemsBody* body = Body();
    if (m_mode != 0 || !body || !view || !CheckExtremesOverlap(view)) return;
    const CBodyPickScope scope(body, GetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag)), true);
    PushMatrix();
    glPushName(CDsSelectionNames::StGetName(this));
    body->OpenGlPick(view);
    glPopName();
    PopMatrix();
}

void CDsItemsCopy::GetDsEdgesOnTop(std::vector<CDsItemEdge*>& edges)
{
    if (CDsItemsBody* body = Body(); m_mode == 0 && body) body->GetDsEdgesOnTop(edges);
}

void CDsItemsCopy::PickEdges(view3d* view, std::vector<CDsItemEdge*>& edges, ENTITY_LIST& picked)
{
    CDsItemsBody* body = Body();
    if (m_mode != 0 || !body || !view || !CheckExtremesOverlap(view)) return;
    const CBodyPickScope scope(body, false, false);
    PushMatrixGdi(*view);
    body->PickEdges(view, edges, picked);
    PopMatrixGdi(*view);
}

void CDsItemsCopy::PickEdges(view3d* view, ENTITY_LIST& picked, ENTITY_LIST* faces)
{
    CDsItemsBody* body = Body();
    if (m_mode > 1 || !body || !view || !CheckExtremesOverlap(view)) return;
    const CBodyPickScope scope(body, GetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag)), true);
    PushMatrixGdi(*view);
    body->PickEdges(view, picked, faces);
    PopMatrixGdi(*view);
}

bool CDsItemsCopy::PickDisplayCurve(pick_manager*, FACE*&, int&)
{
    return false;
}

int CDsItemsCopy::FacesCount()
{
    CDsItemsBody* body = Body();
    return m_mode == 0 && body ? body->FacesCount() : 0;
}

void CDsItemsCopy::GetDsEdges(const ENTITY_LIST& entities, std::vector<CDsItemEdge*>& edges)
{
    if (CDsItemsBody* body = Body(); m_mode == 0 && body) body->GetDsEdges(entities, edges);
}

bool CDsItemsCopy::IsPickAvailable(view3d* view, bool testExtremes, bool acceptOutside)
{
    CDsItemsBody* body = Body();
    return m_mode <= 1 && body && body->IsPickAvailable(view, testExtremes, acceptOutside);
}

bool CDsItemsCopy::IsBodyConicalFaceOwner()
{
    CDsItemsBody* body = Body();
    return m_mode == 0 && body && body->IsBodyConicalFaceOwner();
}
