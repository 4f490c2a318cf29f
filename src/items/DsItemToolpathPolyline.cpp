#include "DsItemToolpathPolyline.h"

#include "DsAttributesIndex.h"
#include "DsAttributesPalette.h"
#include "DsBox.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <functional>

void DsSetUidPathIndex(const CDsUidPath& path, int index)
{
    path.ResetIndex();
    for (int i = 0; i < index; ++i)
        if (!path.IncrementIndex()) break;
}

// --- Nodes ----------------------------------------------------------------------------------------

TDsNodeHeader* TDsNodeHeader::StCreatePoint(const CDsUid& id, unsigned char attributeIndex, float x, float y, float z)
{
    auto* node = new TDsNodeHeader;
    node->id = id;
    node->attributeIndex = attributeIndex;
    node->flags = kSinglePoint;
    node->point[0] = x;
    node->point[1] = y;
    node->point[2] = z;
    return node;
}

TDsNodeHeader* TDsNodeHeader::StCreatePoints(const CDsUid& id, unsigned char attributeIndex, int count,
                                             const float* points)
{
    auto* node = new TDsNodeHeader;
    node->id = id;
    node->attributeIndex = attributeIndex;
    if (count > 0 && points) {
        node->pointCount = count;
        node->points = new float[static_cast<size_t>(count) * 3];
        std::memcpy(node->points, points, sizeof(float) * 3 * static_cast<size_t>(count));
    }
    return node;
}

TDsNodeHeader::TDsNodeHeader(const TDsNodeHeader& other) : IDsGeometry(other)
{
    *this = other;
}

TDsNodeHeader& TDsNodeHeader::operator=(const TDsNodeHeader& other)
{
    if (this == &other) return *this;
    id = other.id;
    attributeIndex = other.attributeIndex;
    flags = other.flags;
    std::memcpy(point, other.point, sizeof(point));
    float* copy = nullptr;
    const int count = other.points && other.pointCount > 0 ? other.pointCount : 0;
    if (count > 0) {
        copy = new float[static_cast<size_t>(count) * 3];
        std::memcpy(copy, other.points, sizeof(float) * 3 * static_cast<size_t>(count));
    }
    delete[] points;
    points = copy;
    pointCount = count;
    return *this;
}

TDsNodeHeader::~TDsNodeHeader()
{
    delete[] points;
}

// --- The branch -----------------------------------------------------------------------------------

namespace {

// The active attributes palette, null without one.
CDsAttributesPalette* ActivePalette()
{
    return CDsManager::GetInstance()->GetActiveAttributesPalette();
}

// Whether `attributes` draw in a special set (highlighted, marked, dimmed or at visibility level 5
// to 7) rather than in a colour of their own.
bool InSpecialSet(const CDsLineAttribStorage& attributes)
{
    if (attributes.GetHighlightState() || attributes.GetMarkState()) return true;
    switch (attributes.GetVisibility()) {
    case eVisibilityDim:
    case eVisibilityLevel5:
    case eVisibilityLevel6:
    case eVisibilityLevel7:
        return true;
    default:
        return false;
    }
}

bool NodeHidden(const CDsAttributesPalette* palette, const TDsNodeHeader* node)
{
    return palette && palette->IsHidden(node->attributeIndex);
}

// The node after `i` that has points, or null.
const TDsNodeHeader* NextWithPoints(const std::vector<TDsNodeHeader*>& nodes, size_t i)
{
    for (size_t j = i + 1; j < nodes.size(); ++j)
        if (nodes[j]->GetPointCount() > 0) return nodes[j];
    return nullptr;
}

// Calls visit(node, next) for each node with points that `palette` shows, `next` being the node
// after it with points (null for none; its own entry may hide it), until a call answers true;
// answers the node of that call, else null.
template <class Visit>
const TDsNodeHeader* ForEachShownNode(const std::vector<TDsNodeHeader*>& nodes, const CDsAttributesPalette* palette,
                                      Visit visit)
{
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TDsNodeHeader* node = nodes[i];
        if (node->GetPointCount() == 0 || NodeHidden(palette, node)) continue;
        if (visit(node, NextWithPoints(nodes, i))) return node;
    }
    return nullptr;
}

}  // namespace

CDsItemToolpathPolyline::CDsItemToolpathPolyline(const CDsUid& id) : m_id(id) {}

CDsItemToolpathPolyline::~CDsItemToolpathPolyline()
{
    for (TDsNodeHeader* node : m_nodes) delete node;
}

void CDsItemToolpathPolyline::AddSegment(TDsNodeHeader* node)
{
    if (node) m_nodes.push_back(node);
}

const TDsNodeHeader* CDsItemToolpathPolyline::GetNode(int index) const
{
    if (index < 0 || index >= GetNodeCount()) return nullptr;
    return m_nodes[static_cast<size_t>(index)];
}

bool CDsItemToolpathPolyline::DrawsInOneSet(const view3d& view) const
{
    if (InSpecialSet(*GetAttributes())) return true;
    const auto* core = dynamic_cast<const CDsView3dCdc*>(&view);
    return core && core->GetLocationState() != eAttribSetNormal;
}

void CDsItemToolpathPolyline::DrawGl(view3d& view)
{
    CDsAttributesPalette* palette = ActivePalette();
    // A branch in a special set is drawn wholly in the attributes already given, as a polyline
    // is: the palette still hides segments but gives them no colour, style or width of its own.
    const bool entryPens = palette && !DrawsInOneSet(view);
    bool open = false;
    int openIndex = -1;
    for (const TDsNodeHeader* node : m_nodes) {
        const int count = node->GetPointCount();
        if (count == 0) continue;
        const float* points = node->GetPoints();
        const bool hidden = NodeHidden(palette, node);
        if (open && (hidden || node->attributeIndex != openIndex)) {
            // The strip of the previous entry ends at this node.
            CDsDriverGl::StVertex(points);
            CDsDriverGl::StEndVertices();
            open = false;
        }
        if (hidden) continue;
        if (!open) {
            if (entryPens) palette->SetAttributesToView(view, node->attributeIndex);
            CDsDriverGl::StBeginVertices(GL_LINE_STRIP);
            open = true;
            openIndex = node->attributeIndex;
        }
        for (int i = 0; i < count; ++i) CDsDriverGl::StVertex(points + 3 * i);
    }
    if (open) CDsDriverGl::StEndVertices();

    if (!view.GetDocumentFlag(static_cast<EDsDocumentFlag>(22)) || view.GetFlag(eDsViewFlagFastRefresh)) return;
    GLfloat savedSize = 1.0f;
    glGetFloatv(GL_POINT_SIZE, &savedSize);
    glPointSize(7.0f);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    CDsDriverGl::StBeginVertices(GL_POINTS);
    const TDsNodeHeader* lastArray = nullptr;
    for (const TDsNodeHeader* node : m_nodes) {
        if (node->GetPointCount() == 0 || NodeHidden(palette, node)) continue;
        CDsDriverGl::StVertex(node->GetPoints());
        if (!node->IsSinglePoint()) lastArray = node;
    }
    if (lastArray && lastArray->GetPointCount() > 1)
        CDsDriverGl::StVertex(lastArray->GetPoints() + 3 * (lastArray->GetPointCount() - 1));
    CDsDriverGl::StEndVertices();
    glPointSize(savedSize);
}

void CDsItemToolpathPolyline::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpLines) || IsHidden()) return;
    if (applyAttributes) SetAttributesToView(&view);
    DrawGl(view);
}

int CDsItemToolpathPolyline::GetDrawPrimitives()
{
    return CDsGeometry::eDpLines;
}

int CDsItemToolpathPolyline::DrawGdi(view3d&)
{
    return 0;
}

EDsItemsType CDsItemToolpathPolyline::GetItemType()
{
    return eDsItemToolpathPolyline;
}

CDsUid CDsItemToolpathPolyline::GetDsUid()
{
    return m_id;
}

void CDsItemToolpathPolyline::VisitShownPoints(const std::function<void(const float*)>& visit) const
{
    const CDsAttributesPalette* palette = ActivePalette();
    const TDsNodeHeader* before = nullptr;  // the last node with points before the one at hand
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        const TDsNodeHeader* node = m_nodes[i];
        const int count = node->GetPointCount();
        if (count == 0) continue;
        const TDsNodeHeader* previous = before;
        before = node;
        if (NodeHidden(palette, node)) continue;
        const TDsNodeHeader* next = NextWithPoints(m_nodes, i);
        // A last node of one point that no shown node leads to draws no segment: nothing shows it.
        if (count == 1 && !next && (!previous || NodeHidden(palette, previous))) continue;
        const float* points = node->GetPoints();
        for (int p = 0; p < count; ++p) visit(points + 3 * p);
        // The node's last segment ends at the next node's first point, which is that node's own
        // unless its entry hides it.
        if (next && NodeHidden(palette, next)) visit(next->GetPoints());
    }
}

void CDsItemToolpathPolyline::DrawExtremes(CDsViewExtrema& extrema, ENTITY*)
{
    VisitShownPoints([&](const float* point) { extrema.draw_polyline_3d(1, point, 0); });
}

void CDsItemToolpathPolyline::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    VisitShownPoints([&](const float* point) { box.Expand(point, transform); });
}

bool CDsItemToolpathPolyline::GetBoundBox(SPAbox& box)
{
    CDsBox own;
    if (!IsHidden()) ExpandBox(own, nullptr);  // the planar branch's own, at its plane height
    if (own.IsNotComputed()) {
        box = SPAbox();
        return false;
    }
    const float* low = own.GetMin();
    const float* high = own.GetMax();
    box = SPAbox(SPAposition(low[0], low[1], low[2]), SPAposition(high[0], high[1], high[2]));
    return true;
}

const TDsNodeHeader* CDsItemToolpathPolyline::FindHitNode(view3d& view) const
{
    return ForEachShownNode(m_nodes, ActivePalette(), [&](const TDsNodeHeader* node, const TDsNodeHeader* next) {
        const int count = node->GetPointCount();
        const float* points = node->GetPoints();
        if (count > 1 && view.draw_polyline_3d(count, points, 0) != 0) return true;
        if (!next) return false;
        float segment[6];
        std::memcpy(segment, points + 3 * (count - 1), sizeof(float) * 3);
        std::memcpy(segment + 3, next->GetPoints(), sizeof(float) * 3);
        return view.draw_polyline_3d(2, segment, 0) != 0;
    });
}

bool CDsItemToolpathPolyline::OfferHit(pick_manager& manager, const TDsNodeHeader* hit)
{
    if (!hit) return false;
    m_picked = hit;
    manager.push_level(this, GetEntity());
    manager.save_current_if_ok();
    manager.pop_level();
    return true;
}

bool CDsItemToolpathPolyline::KeepHit(const TDsNodeHeader* hit)
{
    if (hit) m_picked = hit;
    return hit != nullptr;
}

bool CDsItemToolpathPolyline::Measure(view3d& view)
{
    auto* extrema = dynamic_cast<CDsViewExtrema*>(&view);
    if (!extrema || view.get_pick_mode() != 0) return false;
    DrawExtremes(*extrema, nullptr);
    return true;
}

bool CDsItemToolpathPolyline::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view || IsHidden()) return false;
    return OfferHit(*manager, FindHitNode(*view));
}

bool CDsItemToolpathPolyline::Pick(view3d* view)
{
    if (!view || IsHidden()) return false;
    if (Measure(*view)) return true;
    if (view->get_pick_mode() == 0) return false;  // not printed
    return KeepHit(FindHitNode(*view));
}

void CDsItemToolpathPolyline::SetAttributes(CDsUidPath& path, const CDsAttributesIndex& index, bool all)
{
    const int start = path.GetIndex();
    const EDsPathStatus status = all ? eDsPathNoMatch : path.MatchCurrentUid(m_id);
    bool changed = false;
    const auto take = [&](TDsNodeHeader* node) {
        changed = changed || node->attributeIndex != index.GetIndex();
        node->attributeIndex = index.GetIndex();
    };
    if (all || status == eDsPathComplete) {
        for (TDsNodeHeader* node : m_nodes) take(node);
    } else if (status == eDsPathContinue) {
        const int below = path.GetIndex();
        bool found = false;
        for (TDsNodeHeader* node : m_nodes) {
            DsSetUidPathIndex(path, below);
            found = path.MatchCurrentUid(node->id) == eDsPathComplete;
            if (found) {
                take(node);
                break;
            }
        }
        if (!found) DsSetUidPathIndex(path, start);
    } else {
        DsSetUidPathIndex(path, start);
    }
    if (changed) NoteContentChanged();
}

void CDsItemToolpathPolyline::AddSubItem(const CDsUidPath& path, const CDsUid& id, const IDsGeometry* geometry)
{
    if (path.MatchCurrentUid(m_id) != eDsPathComplete) return;
    const auto* node = dynamic_cast<const TDsNodeHeader*>(geometry);
    if (!node) return;
    auto* copy = new TDsNodeHeader(*node);
    copy->id = id;
    AddSegment(copy);
    NoteContentChanged();
}

void CDsItemToolpathPolyline::RemoveSubItem(const CDsUidPath& path, const CDsUid& id)
{
    if (path.MatchCurrentUid(m_id) != eDsPathComplete) return;
    for (auto it = m_nodes.begin(); it != m_nodes.end(); ++it) {
        if ((*it)->id != id) continue;
        if (m_picked == *it) m_picked = nullptr;
        delete *it;
        m_nodes.erase(it);
        NoteContentChanged();
        return;
    }
}

// --- Planar branch ------------------------------------------------------------------------------

CDsItemToolpathPolylinePlanar::CDsItemToolpathPolylinePlanar(const CDsUid& id, float z)
    : CDsItemToolpathPolyline(id), m_z(z)
{
}

void CDsItemToolpathPolylinePlanar::DrawGl(view3d&) {}

void CDsItemToolpathPolylinePlanar::ExpandBox(CDsBox& box, SPAtransf* transform)
{
    VisitShownPoints([&](const float* point) { box.Expand(point[0], point[1], m_z, transform); });
}

void CDsItemToolpathPolylinePlanar::DrawExtremes(CDsViewExtrema& extrema, ENTITY*)
{
    VisitShownPoints([&](const float* point) {
        const float p[3] = {point[0], point[1], m_z};
        extrema.draw_polyline_3d(1, p, 0);
    });
}

const TDsNodeHeader* CDsItemToolpathPolylinePlanar::FindPlanarHitNode(view3d& view) const
{
    const CDsAttributesPalette* palette = ActivePalette();
    const TDsNodeHeader* previous = nullptr;  // the node of the segment's first point
    float segment[6] = {0, 0, 0, 0, 0, 0};
    for (const TDsNodeHeader* node : m_nodes) {
        const float* points = node->GetPoints();
        for (int i = 0; i < node->GetPointCount(); ++i) {
            segment[3] = points[3 * i];
            segment[4] = points[3 * i + 1];
            segment[5] = m_z;
            if (previous && !NodeHidden(palette, previous) && view.draw_polyline_3d(2, segment, 0) != 0)
                return previous;
            std::memcpy(segment, segment + 3, sizeof(float) * 3);
            previous = node;
        }
    }
    return nullptr;
}

bool CDsItemToolpathPolylinePlanar::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view || IsHidden()) return false;
    return OfferHit(*manager, FindPlanarHitNode(*view));
}

bool CDsItemToolpathPolylinePlanar::Pick(view3d* view)
{
    if (!view || IsHidden()) return false;
    if (Measure(*view)) return true;
    if (view->get_pick_mode() == 0) return false;
    return KeepHit(FindPlanarHitNode(*view));
}

CDsRefPoint* CDsItemToolpathPolylinePlanar::PickRefPoint(pick_manager*, CDsRefPointFilter*)
{
    return nullptr;
}

EDsItemsType CDsItemToolpathPolylinePlanar::GetItemType()
{
    return eDsItemToolpathPolylinePlanar;
}
