#include "DsPickedItem.h"

#include "DsFigureList.h"

#include "DsGeometry.h"
#include "DsPartStorage.h"

#include <algorithm>
#include <cstdint>

namespace {

// The object type of point items, which carry their point as reference-point type 263.
constexpr int kPointItemType = 8;
constexpr eVyrParamPointType kPointItemPointType = 263;
// Two point results this close are the same point.
constexpr double kSamePointTolerance = 1e-4;

}  // namespace

// --- CDsPickedItem -------------------------------------------------------------------------------

CDsPickedItem::CDsPickedItem(const CVyrObjectPath& path, const SPAposition& position, eVyrParamPointType pointType)
    : m_pointType(pointType), m_position(position)
{
    if (!IsPathValid(path)) return;
    m_path = path;
    SItemInfo info;
    CDsPartStorage::instance()->GetItemInfo(path, nullptr, info);
    m_geometry = info.m_pGeometry;
    m_objectType = static_cast<unsigned char>(info.m_objectType);
    FixItem(&info);
}

CDsPickedItem::CDsPickedItem(CDsFigure* figure) : m_figure(figure) {}

CDsPickedItem::CDsPickedItem(const CVyrObjectPath& path, const CDsGeometry* geometry, eVyrObjectType objectType,
                             eVyrParamPointType pointType)
    : m_path(path), m_geometry(geometry), m_objectType(static_cast<unsigned char>(objectType)),
      m_pointType(pointType)
{
    FixItem(nullptr);
}

CDsPickedItem::CDsPickedItem(const CDsPickedItem& other)
{
    CopyFrom(other);
}

CDsPickedItem& CDsPickedItem::operator=(const CDsPickedItem& other)
{
    if (this == &other) return *this;
    Reset();
    CopyFrom(other);
    return *this;
}

CDsPickedItem::~CDsPickedItem()
{
    delete m_second;
}

void CDsPickedItem::Reset()
{
    delete m_second;
    m_second = nullptr;
    m_figure = nullptr;
    m_ucsAxis = eDsCoordinateNone;
    m_primitiveIndex = 0;
    m_primitiveType = 0;
    m_path = CVyrObjectPath();
    m_geometry = nullptr;
    m_objectType = kNoObjectType;
    m_pointType = -1;
    m_position = CGmPosition(kUnsetCoordinate, kUnsetCoordinate, kUnsetCoordinate);
    m_segment = -1;
}

void CDsPickedItem::CopyFrom(const CDsPickedItem& other)
{
    m_figure = other.m_figure;
    m_ucsAxis = other.m_ucsAxis;
    m_primitiveIndex = other.m_primitiveIndex;
    m_primitiveType = other.m_primitiveType;
    m_path = other.m_path;
    m_geometry = other.m_geometry;
    m_objectType = other.m_objectType;
    m_pointType = other.m_pointType;
    m_position = other.m_position;
    m_second = other.m_second ? new CDsPickedItem(*other.m_second) : nullptr;
    m_segment = other.m_segment;
}

CDsPickedItem* CDsPickedItem::StCreate(const CVyrObjectPath& path, const SPAposition& position,
                                       eVyrParamPointType pointType)
{
    if (!IsPathValid(path)) return nullptr;
    SItemInfo info;
    CDsPartStorage::instance()->GetItemInfo(path, nullptr, info);
    auto* item = new CDsPickedItem(path, info.m_pGeometry,
                                   static_cast<eVyrObjectType>(static_cast<unsigned char>(info.m_objectType)),
                                   pointType);
    item->m_position = position;
    item->FixItem(&info);
    return item;
}

void CDsPickedItem::SetPickedPointType(eVyrParamPointType type)
{
    m_pointType = type;
    FixItem(nullptr);
}

void CDsPickedItem::SetSecondPickedItem(CDsPickedItem* item)
{
    if (item == m_second) return;
    delete m_second;
    m_second = item;
}

void CDsPickedItem::FixItem(const SItemInfo* given)
{
    if (m_objectType != kPointItemType || m_pointType != -1) return;
    m_pointType = kPointItemPointType;
    if (!IsPositionUnset()) return;
    SItemInfo fetched;
    const SItemInfo* info = given;
    if (!info) {
        if (!CDsPartStorage::instance()->GetPathInfo(m_path, nullptr, fetched)) return;
        info = &fetched;
    }
    if (!info->m_pGeometry) return;
    SPAposition point(kUnsetCoordinate, kUnsetCoordinate, kUnsetCoordinate);
    if (info->m_pGeometry->GetPoint(CDsGeometry::ePpPoint, point, 0))
        m_position = info->m_transform.TransformPoint(point);
}

bool CDsPickedItem::IsPathValid(const CVyrObjectPath& path)
{
    return path.GetPartId() != CVyrObjectPath::kNoPart && path.GetDepth() >= 0 && path.GetDepth() <= path.GetSize();
}

bool CDsPickedItem::IsValid() const
{
    return IsPathValid(m_path) || m_pointType != -1;
}

bool CDsPickedItem::IsEntityItem() const
{
    return m_objectType != kPointItemType && m_pointType == -1;
}

bool CDsPickedItem::IsPositionUnset() const
{
    return m_position.x() == kUnsetCoordinate && m_position.y() == kUnsetCoordinate &&
           m_position.z() == kUnsetCoordinate;
}

bool CDsPickedItem::operator==(const CDsPickedItem& other) const
{
    if (m_figure || other.m_figure) return m_figure == other.m_figure;
    if (m_pointType == -1 || other.m_pointType == -1)
        return m_pointType == other.m_pointType && m_path == other.m_path;
    if (!same_point(m_position, other.m_position, kSamePointTolerance)) return false;
    if (m_pointType == kPointItemPointType && other.m_pointType == kPointItemPointType) return m_path == other.m_path;
    return true;
}

bool CDsPickedItem::operator<(const CDsPickedItem& other) const
{
    if (m_figure || other.m_figure) {
        if (!m_figure) return true;
        if (!other.m_figure) return false;
        return reinterpret_cast<std::uintptr_t>(m_figure) < reinterpret_cast<std::uintptr_t>(other.m_figure);
    }
    const bool point = m_pointType != -1, otherPoint = other.m_pointType != -1;
    if (point != otherPoint) return point;
    if (!point) return m_path < other.m_path;
    // A coordinate decides only where the two differ; an unordered pair counts as not less.
    if (m_position.x() != other.m_position.x()) return m_position.x() < other.m_position.x();
    if (m_position.y() != other.m_position.y()) return m_position.y() < other.m_position.y();
    if (m_position.z() != other.m_position.z()) return m_position.z() < other.m_position.z();
    return false;
}

// --- CDsPickedItemList ---------------------------------------------------------------------------

CDsPickedItemList::CDsPickedItemList(const CDsPickedItemList& other) : m_owner(other.m_owner)
{
    for (CDsPickedItem* item : other.m_items) Add(item);
}

CDsPickedItemList::CDsPickedItemList(const std::vector<CVyrObjectPath>& paths)
{
    for (const CVyrObjectPath& path : paths)
        if (CDsPickedItem* item = CDsPickedItem::StCreate(path, SPAposition(0, 0, 0), -1)) m_items.push_back(item);
}

CDsPickedItemList& CDsPickedItemList::operator=(const CDsPickedItemList& other)
{
    if (this == &other) return *this;
    Clear();
    m_owner = other.m_owner;
    for (CDsPickedItem* item : other.m_items) Add(item);
    return *this;
}

CDsPickedItemList::~CDsPickedItemList()
{
    Clear();
}

void CDsPickedItemList::Clear()
{
    if (m_owner)
        for (CDsPickedItem* item : m_items) delete item;
    m_items.clear();
}

void CDsPickedItemList::Add(CDsPickedItem* item)
{
    if (!item) return;
    m_items.push_back(m_owner ? new CDsPickedItem(*item) : item);
}

bool CDsPickedItemList::LookUpItem(const CDsPickedItem* item, iterator* where)
{
    if (!item) return false;
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (!(**it == *item)) continue;
        if (where) *where = it;
        return true;
    }
    return false;
}

void CDsPickedItemList::Remove(iterator where)
{
    if (where == m_items.end()) return;
    CDsPickedItem* item = *where;
    m_items.erase(where);
    if (m_owner) delete item;
}

void CDsPickedItemList::GetLists(std::vector<CVyrObjectPath>& paths, CDsFigureList*& figures) const
{
    figures = nullptr;
    for (const CDsPickedItem* item : m_items) {
        if (CDsFigure* figure = item->GetFigure()) {
            if (!figures) figures = new CDsFigureList;
            figures->add(figure);
        } else if (CDsPickedItem::IsPathValid(item->GetObjectPath())) {
            paths.push_back(item->GetObjectPath());
        }
    }
}

void CDsPickedItemList::GetList(std::vector<CVyrObjectPath>& paths) const
{
    for (const CDsPickedItem* item : m_items)
        if (!item->GetFigure() && CDsPickedItem::IsPathValid(item->GetObjectPath())) paths.push_back(item->GetObjectPath());
}
