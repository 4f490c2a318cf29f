// The location-box walk, the searches over a frame's lists, and the scene's change query and
// synchronisation of a view (CDsGlScene::GetChanges and CDsGlScene::Synchronize).
#include "DsSyncWalk.h"

#include "DsBox.h"
#include "DsFigureGeometry.h"
#include "DsGeometryComputer.h"
#include "DsGlScene.h"
#include "DsSceneWalk.h"

#include "DsGeometry.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "GmPosition.h"
#include "VyrDiagTimeReport.h"
#include "view3d.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace {

// A whole number held in a double, clamped into the int range.
int ClampToInt(double v)
{
    if (!(v > static_cast<double>(INT_MIN))) return INT_MIN;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(v);
}

// Empty as the walk counts it: both minima above their maxima.
bool IsEmptyBox(const SDsBox2D& box) { return box.minX > box.maxX && box.minY > box.maxY; }

// No area to widen another box by: inverted on either axis.
bool HasNoExtent(const SDsBox2D& box) { return box.minX > box.maxX || box.minY > box.maxY; }

SDsBox2D EmptyBox()
{
    SDsBox2D box;
    box.SetEmpty();
    return box;
}

bool IsLeafCategory(const CDsItemVariant* item)
{
    if (CDsRegion::IsLeafEntry(item)) return true;
    const int category = item->GetCategory();
    return category == eVyrCatLeaf || category == eVyrCatOpenLeaf;
}

// Widens `rect` (y up) to cover `other`.
void Unite(RECT& rect, const RECT& other)
{
    rect.left = std::min(rect.left, other.left);
    rect.right = std::max(rect.right, other.right);
    rect.top = std::max(rect.top, other.top);
    rect.bottom = std::min(rect.bottom, other.bottom);
}

// The window boxes `item`'s geometry answers beside its model box: `anchored` about the model
// box's points (rows counted down from each) and `placed` at window pixels (rows counted up from
// the viewport's corner). A figure tells which of its leaves are which; the one box of any other
// geometry is anchored, and about a model box with extent (`pointBox` false) it is taken as placed
// as well (see the header comment). Both stay empty when the geometry answers none.
void ScreenBoxes(const CDsItemVariant* item, bool pointBox, SDsBox2D& anchored, SDsBox2D& placed)
{
    anchored = EmptyBox();
    placed = EmptyBox();
    const CDsGeometry* geometry = item && !CDsRegion::IsLeafEntry(item) ? item->GetGeometry() : nullptr;
    if (!geometry) return;
    if (const auto* figure = dynamic_cast<const CDsFigureGeometry*>(geometry)) {
        figure->GetWindowBoxes2D(anchored, placed);
        return;
    }
    SDsBox2D own = EmptyBox();
    if (!geometry->GetBoundBox2D(own, 0)) return;
    anchored = own;
    if (!pointBox) placed = own;
}

// Whether `geometry` connects the item `id`.
bool Connects(const CDsGeometry* geometry, int id)
{
    unsigned count = 0;
    const int* ids = geometry ? geometry->GetConnectedItems(count, 0) : nullptr;
    return ids && std::find(ids, ids + count, id) != ids + count;
}

// The window box of a changed location. A master of a complex passes its state to the slaves its
// id connects, which a frame draws where they lie, outside the master's own box: a master's box
// grows by theirs. False when the location has no box.
bool ChangedLocationRect(const CDsScene& scene, const CVyrObjectPath& path, RECT& rect)
{
    if (!scene.GetLocationRect(path, &rect)) return false;
    if (path.GetSize() < 2) return true;
    CVyrObjectPath complexPath(path.GetIds().GetData(), path.GetSize() - 1, std::max(path.GetDepth() - 1, 0),
                               path.GetPartId());
    CDsPartStorage* storage = CDsPartStorage::instance();
    CVyrObjectId id;
    if (!storage->GetObjectIdByPath(complexPath, id)) return true;
    const CDsPart* part = storage->GetPart(id.GetPartId());
    const CDsItemVariant* item = part ? part->FindItem(id.GetItemId()) : nullptr;
    const CDsComplex* complex = item && item->GetCategory() == eVyrCatComplex ? item->AsComplex() : nullptr;
    if (!complex) return true;
    const int master = path.GetLastId();
    const TDsItemList& masters = complex->GetChildren();
    if (std::none_of(masters.begin(), masters.end(), [master](const auto& entry) { return entry.first == master; }))
        return true;
    const auto& slaves = complex->GetSlaves();
    const std::vector<int>& slaveIds = complex->GetSlaveIds();
    for (size_t j = 0; j < slaves.size() && j < slaveIds.size(); ++j) {
        const CDsItemVariant* slave = slaves[j].m_pItem;
        if (!slave || !Connects(slave->GetGeometry(), master)) continue;
        CVyrObjectPath slavePath(complexPath);
        slavePath.AddId(slaveIds[j]);
        RECT own;
        if (scene.GetLocationRect(slavePath, &own)) Unite(rect, own);
    }
    return true;
}

}  // namespace

// --- Searches ------------------------------------------------------------------------------------

TDsLocationRects::const_iterator DsFindOverlappingLocationRect(TDsLocationRects::const_iterator first,
                                                               TDsLocationRects::const_iterator last,
                                                               const RECT& rect)
{
    for (; first != last; ++first) {
        const RECT& e = first->rect;
        if (rect.right > e.left && rect.left < e.right && rect.top > e.bottom && rect.bottom < e.top) return first;
    }
    return last;
}

bool DsClipToViewport(RECT& rect, const RECT& viewport)
{
    rect.left = std::max(rect.left, viewport.left);
    rect.right = std::min(rect.right, viewport.right);
    rect.bottom = std::max(rect.bottom, viewport.bottom);
    rect.top = std::min(rect.top, viewport.top);
    return rect.left <= rect.right && rect.bottom <= rect.top;
}

CDsScene::TChangedIds::const_iterator DsFindFlaggedChange(CDsScene::TChangedIds::const_iterator first,
                                                          CDsScene::TChangedIds::const_iterator last)
{
    for (; first != last; ++first)
        if (first->second) return first;
    return last;
}

// --- The location-box walk -----------------------------------------------------------------------

CDsLocation2dBoxFunctor::CDsLocation2dBoxFunctor(view3d* view, bool recountSlaves)
    : m_view(view), m_recountSlaves(recountSlaves)
{
}

CDsLocation2dBoxFunctor::~CDsLocation2dBoxFunctor() = default;

bool CDsLocation2dBoxFunctor::TraverseScene(CDsPartStorage* storage, CDsLocation2dBoxFunctor& functor,
                                            CDsScene* scene)
{
    if (!storage || !scene) return false;
    CDsSceneWalk<CDsLocation2dBoxFunctor> walk(storage, functor, scene);
    return walk.TraverseWholeScene();
}

SDsBox2D CDsLocation2dBoxFunctor::ComputeLocation2dBox(const CDsLocation* location, const CDsItemVariant* item)
{
    SDsBox2D result = EmptyBox();
    if (!m_view || !location || !location->HasBoundBox() || location->IsBoundBoxEmpty()) return result;
    float low[3], high[3];
    if (!location->GetBoundBox(low[0], low[1], low[2], high[0], high[1], high[2])) return result;
    int vx = 0, vy = 0, width = 0, height = 0;
    m_view->get_viewport(vx, vy, width, height);

    if (low[0] == high[0] && low[1] == high[1] && low[2] == high[2]) {
        // A point: its pixel (or the geometry's own box around it); no line width.
        float sx = 0.0f, sy = 0.0f;
        if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(low[0], low[1], low[2]), m_view, sx,
                                                                       sy, nullptr, true))
            return result;
        const double x = static_cast<double>(sx) + vx;
        const double y = static_cast<double>(height) - 1.0 - sy + vy;
        SDsBox2D own = EmptyBox(), placed = EmptyBox();
        ScreenBoxes(item, true, own, placed);
        if (!HasNoExtent(own)) {
            // The geometry's box counts y down from the point: turn it over, then move it there.
            result.minX = own.minX;
            result.maxX = own.maxX;
            result.minY = ClampToInt(-static_cast<double>(own.maxY));
            result.maxY = ClampToInt(-static_cast<double>(own.minY));
            result.Offset(static_cast<float>(x), static_cast<float>(y));
        } else {
            result.minX = ClampToInt(std::floor(x) - 2.0);
            result.minY = ClampToInt(std::floor(y) - 2.0);
            result.maxX = ClampToInt(std::ceil(x) + 2.0);
            result.maxY = ClampToInt(std::ceil(y) + 2.0);
        }
        TakePlaced(placed, vx, vy, result);
        return result;
    }

    CDsBox box(low, high);
    box.ComputeBounds2D(m_view, false);
    if (box.GetScreenRectangle().IsEmpty()) return result;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    box.GetRectangle(minX, maxX, minY, maxY);
    const int h = GetTopAttributes().GetLineWidth() / 2;
    result.minX = ClampToInt(static_cast<double>(minX) + vx - h);
    result.maxX = ClampToInt(static_cast<double>(maxX) + vx + h);
    // Rows counted down turn over: the lowest row down is the highest up.
    result.minY = ClampToInt(static_cast<double>(height) - 1.0 - maxY + vy - h);
    result.maxY = ClampToInt(static_cast<double>(height) - 1.0 - minY + vy + h);
    WidenByScreenLeaves(item, vx, vy, result);
    return result;
}

void CDsLocation2dBoxFunctor::WidenByScreenLeaves(const CDsItemVariant* item, int vx, int vy, SDsBox2D& box)
{
    SDsBox2D own = EmptyBox(), placed = EmptyBox();
    ScreenBoxes(item, false, own, placed);
    if (!HasNoExtent(own)) {
        // Anchored leaves reach this far about their anchors, which lie in the model box (either
        // way, since the reaches count rows down and the box rows up).
        const double reach =
            std::max({std::fabs(static_cast<double>(own.minX)), std::fabs(static_cast<double>(own.maxX)),
                      std::fabs(static_cast<double>(own.minY)), std::fabs(static_cast<double>(own.maxY))});
        box.minX = ClampToInt(box.minX - reach);
        box.maxX = ClampToInt(box.maxX + reach);
        box.minY = ClampToInt(box.minY - reach);
        box.maxY = ClampToInt(box.maxY + reach);
    }
    TakePlaced(placed, vx, vy, box);
}

void CDsLocation2dBoxFunctor::TakePlaced(const SDsBox2D& placed, int vx, int vy, SDsBox2D& box)
{
    // Leaves given in window pixels (rows up from the viewport's bottom) lie where they say.
    if (HasNoExtent(placed)) return;
    box.minX = std::min(box.minX, ClampToInt(static_cast<double>(placed.minX) + vx));
    box.maxX = std::max(box.maxX, ClampToInt(static_cast<double>(placed.maxX) + vx));
    box.minY = std::min(box.minY, ClampToInt(static_cast<double>(placed.minY) + vy));
    box.maxY = std::max(box.maxY, ClampToInt(static_cast<double>(placed.maxY) + vy));
}

void CDsLocation2dBoxFunctor::SetBox(CDsLocation* location, const SDsBox2D& box)
{
    if (location) location->Set2dBoundBox(box.minX, box.maxY, box.maxX, box.minY);
}

SDsBox2D CDsLocation2dBoxFunctor::GetBox(const CDsLocation* location)
{
    SDsBox2D box = EmptyBox();
    int left = 0, top = 0, right = 0, bottom = 0;
    if (location && location->Get2dBoundBox(left, top, right, bottom)) {
        box.minX = left;
        box.maxY = top;
        box.maxX = right;
        box.minY = bottom;
    }
    return box;
}

void CDsLocation2dBoxFunctor::OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&,
                                            const CDsItemVariant* variant)
{
    PushTransform(variant, location, scene);
    PushAttributes(variant, location, scene);
    m_entered = variant;
}

bool CDsLocation2dBoxFunctor::VisitItem(CDsLocation* location, const CDsObjectPath&, const CDsItemVariant*)
{
    if (GetTopAttributes().IsHidden()) return false;
    if (IsLeafCategory(m_entered))
        SetBox(location, ComputeLocation2dBox(location, m_entered));
    else
        m_boxes.push_back(EmptyBox());
    return true;
}

void CDsLocation2dBoxFunctor::OnPopLocation(CDsScene*, CDsLocation* location, const CDsObjectPath&,
                                           const CDsItemVariant* variant)
{
    if (!GetTopAttributes().IsHidden()) {
        // A slave was never asked VisitItem: it has no box of its own on the stack.
        if (!m_inSlaves && !IsLeafCategory(variant) && !m_boxes.empty()) {
            SDsBox2D top = m_boxes.back();
            if (IsEmptyBox(top)) top = ComputeLocation2dBox(location, variant);
            SetBox(location, top);
            m_boxes.pop_back();
        }
        if (!m_boxes.empty()) {
            const SDsBox2D own = GetBox(location);
            if (!HasNoExtent(own)) m_boxes.back().Expand(own);
        }
    }
    PopTransform();
    PopAttributes();
}

ESlaveTraverseMode CDsLocation2dBoxFunctor::OnBeginMasters() { return m_recountSlaves ? eSlavesRecount : eSlavesCached; }

void CDsLocation2dBoxFunctor::OnBeginSlaves() { m_inSlaves = true; }

void CDsLocation2dBoxFunctor::OnEndSlaves() { m_inSlaves = false; }

bool CDsLocation2dBoxFunctor::OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath&,
                                          const CDsItemVariant* variant)
{
    SetBox(location, ComputeLocation2dBox(location, variant));
    return true;
}

void CDsLocation2dBoxFunctor::OnCompleteRegion(CDsScene*, CDsLocation* location, const CDsObjectPath&,
                                              const CDsItemVariant*)
{
    if (location) location->InvalidateCache();
}

bool CDsLocation2dBoxFunctor::OnRegionLeaf(CDsLocation*, const CDsObjectPath&, int, int) { return false; }

// --- The scene's side of a refresh ---------------------------------------------------------------

EChangeStatus CDsGlScene::GetChanges(CDsScene::TChangedPaths& paths, CDsScene::TChangedIds& ids, int& logNumber,
                                     int& dbNumber, view3d* view)
{
    NotePictureChanges();
    NoteMeshEdits();
    if (view && view->GetFlag(eDsViewFlagFastRefresh)) {
        logNumber = 0;
        dbNumber = 0;
        return eTotallyChanged;
    }
    return m_dbScene.GetChanges(paths, ids, logNumber, dbNumber, view);
}

int CDsGlScene::Synchronize(TDsLocationRects& dirty, int status, CDsScene::TChangedPaths& paths,
                            CDsScene::TChangedIds& ids, view3d* view)
{
    dirty.clear();
    if (!view) return status;
    // The boxes and rectangles below are those of this view's locations.
    m_dbScene.SetCurrentView(view);
    ComputeItemsBounds2D(view);

    const wchar_t* label = L"";
    bool recount = true;
    switch (status) {
    case eNoChange:
    case eRedrawOnly:
        return status;
    case eCameraChanged:
        label = L"eCameraChanged";
        recount = false;
        break;
    case eLocationsChanged:
        CDsPartStorage::instance()->SynchronizeLocations(&m_dbScene, false);
        return status;
    case ePartiallyChanged: {
        label = L"ePartiallyChanged";
        if (DsFindFlaggedChange(ids.begin(), ids.end()) != ids.end() || paths.size() >= 4) break;
        int x = 0, y = 0, width = 0, height = 0;
        view->get_viewport(x, y, width, height);
        const RECT viewport = {x, y + height, x + width, y};
        bool whole = false;
        bool moved = false;
        for (const auto& change : paths) {
            RECT rect;
            if (change.second) {
                whole = true;
                break;
            }
            if (!ChangedLocationRect(m_dbScene, change.first, rect)) {
                rect = viewport;
            } else if (const CDsLocation* location = m_dbScene.FindLocation(change.first)) {
                // A window box without a valid model box: the location moved since its boxes were
                // computed (a transform id of the scene changed).
                if (!location->HasBoundBox()) moved = true;
            }
            if (DsFindOverlappingLocationRect(dirty.begin(), dirty.end(), rect) != dirty.end()) {
                whole = true;
                break;
            }
            dirty.emplace_back(rect, change.first);
        }
        if (whole) {
            dirty.clear();
            break;
        }
        if (moved) {
            // The boxes are computed where the locations now are, and each rectangle grows to
            // cover where its location was and where it is: both places are drawn again.
            ComputeLocationBoxes(view, true, label);
            TDsLocationRects grown;
            for (const SDsLocationRect& was : dirty) {
                RECT now;
                if (!ChangedLocationRect(m_dbScene, was.path, now)) now = viewport;
                RECT rect = was.rect;
                Unite(rect, now);
                if (DsFindOverlappingLocationRect(grown.begin(), grown.end(), rect) != grown.end()) {
                    grown.clear();
                    break;
                }
                grown.emplace_back(rect, was.path);
            }
            dirty.swap(grown);
        }
        // What lies outside the viewport is not drawn: a location beside or about a perspective
        // eye has a window box far off the window, whose margins would overflow the scissor.
        TDsLocationRects shown;
        for (SDsLocationRect& r : dirty)
            if (DsClipToViewport(r.rect, viewport)) shown.push_back(r);
        // Nothing of the changes on the window leaves no rectangle; the whole viewport is drawn.
        dirty.swap(shown);
        // New or removed items have no rectangle of their own yet: the whole viewport is drawn.
        if (!ids.empty()) dirty.clear();
        return status;
    }
    case eTotallyChanged:
        if (view->GetFlag(eDsViewFlagFastRefresh) || view->GetFlag(eDsViewFlagSectionPass)) return status;
        label = L"eTotallyChanged";
        break;
    default:
        break;
    }
    ComputeLocationBoxes(view, recount, label);
    return status;
}

void CDsGlScene::ComputeLocationBoxes(view3d* view, bool recount, const wchar_t* label)
{
    CVyrString timing(label);
    timing += L" -- Calc BoundBox";
    std::optional<CVyrDiagTimeReport> timer;
    if (CVyrTimeReportDlgInt::sTimeReportDlgInt || CVyrTimeReportDlgInt::sTimeReportHideDlgInt) timer.emplace(timing);
    // Model boxes are computed for the locations that exist: locations of items new to this view
    // are made first, or they would get no window box until a later total change.
    CDsPartStorage::instance()->SynchronizeLocations(&m_dbScene, false);
    m_dbScene.ValidateLocationsBB();
    CDsLocation2dBoxFunctor functor(view, recount);
    CDsLocation2dBoxFunctor::TraverseScene(CDsPartStorage::instance(), functor, &m_dbScene);
}
