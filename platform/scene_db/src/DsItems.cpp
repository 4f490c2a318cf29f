// The item tree: variants with their views, complexes, regions and parts.
#include "DsItems.h"

#include "DsGeometry.h"
#include "DsPartStorage.h"
#include "DsSceneInternal.h"

#include <algorithm>
#include <unordered_map>

namespace {

unsigned g_lastStamp = 0;

// The group view of items that have no children.
struct SEmptyGroup : CDsItemGroup {
    SEmptyGroup() : CDsItemGroup(eKindGroup, 0, 0, eVyrCatLeaf) {}
};

const CDsItemGroup& EmptyGroup()
{
    static const SEmptyGroup empty;
    return empty;
}

}  // namespace

unsigned DsNextItemStamp()
{
    if (++g_lastStamp == 0) ++g_lastStamp;
    return g_lastStamp;
}

void DsResetItemStamps() { g_lastStamp = 0; }

CDsItemVariant::CDsItemVariant(EKind kind, int id, int type, int category)
    : m_kind(kind),
      m_type(static_cast<unsigned char>(type)),
      m_category(static_cast<unsigned char>(category)),
      m_id(id),
      m_stamp(DsNextItemStamp())
{
}

CDsItemVariant::~CDsItemVariant() { delete m_geometry; }

const CDsItemGroup* CDsItemVariant::AsGroup() const
{
    if (m_kind == eKindGroup || m_kind == eKindComplex) return static_cast<const CDsItemGroup*>(this);
    return &EmptyGroup();
}

CDsRegion* CDsItemVariant::AsRegion() { return m_kind == eKindRegion ? static_cast<CDsRegion*>(this) : nullptr; }

const CDsRegion* CDsItemVariant::AsRegion() const
{
    return m_kind == eKindRegion ? static_cast<const CDsRegion*>(this) : nullptr;
}

CDsComplex* CDsItemVariant::AsComplex() { return m_kind == eKindComplex ? static_cast<CDsComplex*>(this) : nullptr; }

const CDsComplex* CDsItemVariant::AsComplex() const
{
    return m_kind == eKindComplex ? static_cast<const CDsComplex*>(this) : nullptr;
}

CDsPartInstance* CDsItemVariant::AsPartInstance()
{
    return m_kind == eKindPartInstance ? static_cast<CDsPartInstance*>(this) : nullptr;
}

const CDsPartInstance* CDsItemVariant::AsPartInstance() const
{
    return m_kind == eKindPartInstance ? static_cast<const CDsPartInstance*>(this) : nullptr;
}

CDsItemGroup::~CDsItemGroup()
{
    for (auto& child : m_children) delete child.second;
}

CDsComplex::~CDsComplex()
{
    for (TItemData& slave : m_slaves) delete slave.m_pItem;
}

void CDsComplex::RebuildDependencies()
{
    std::unordered_map<int, int> masterIndex;
    for (size_t i = 0; i < m_children.size(); ++i) masterIndex.emplace(m_children[i].first, static_cast<int>(i));
    m_slavesOfMaster.assign(m_children.size(), std::vector<int>());
    m_masterCount.assign(m_slaves.size(), 0);
    for (size_t s = 0; s < m_slaves.size(); ++s) {
        const CDsGeometry* geometry = m_slaves[s].m_pItem ? m_slaves[s].m_pItem->GetGeometry() : nullptr;
        unsigned count = 0;
        const int* ids = geometry ? geometry->GetConnectedItems(count, 0) : nullptr;
        std::vector<int> masters;
        for (unsigned k = 0; ids && k < count; ++k) {
            const auto found = masterIndex.find(ids[k]);
            if (found != masterIndex.end() && std::find(masters.begin(), masters.end(), found->second) == masters.end())
                masters.push_back(found->second);
        }
        for (int master : masters) m_slavesOfMaster[static_cast<size_t>(master)].push_back(static_cast<int>(s));
        m_masterCount[s] = masters.empty() ? 1 : static_cast<int>(masters.size());
    }
    m_dependenciesValid = true;
}

void CDsComplex::InitSlaveCount(TItemData& record)
{
    if (!m_dependenciesValid) RebuildDependencies();
    size_t index = m_slaves.size();
    if (&record >= m_slaves.data() && &record < m_slaves.data() + m_slaves.size()) {
        index = static_cast<size_t>(&record - m_slaves.data());
    } else {
        for (size_t s = 0; s < m_slaves.size(); ++s) {
            if (m_slaves[s].m_pItem == record.m_pItem) {
                index = s;
                break;
            }
        }
    }
    record.m_count = index < m_masterCount.size() ? m_masterCount[index] : 1;
}

void CDsComplex::DecreaseSlaveCount(const CDsItemVariant* master)
{
    if (!master) return;
    if (!m_dependenciesValid) RebuildDependencies();
    for (size_t m = 0; m < m_children.size(); ++m) {
        if (m_children[m].second != master) continue;
        for (int slave : m_slavesOfMaster[m]) --m_slaves[static_cast<size_t>(slave)].m_count;
        return;
    }
}

CDsRegion::~CDsRegion()
{
    for (auto& child : m_children) {
        if (!IsLeafEntry(child.second)) delete child.second;
    }
}

CDsPart::~CDsPart()
{
    for (auto& instance : m_instances) delete instance.second;
    for (auto& item : m_items) delete item.second;
}

CDsItemVariant* CDsPart::GetPartInstanceByItemId(int id, int& partId, int& index) const
{
    const auto found = m_index.find(id);
    if (found == m_index.end() || !found->second->AsPartInstance()) return nullptr;
    for (size_t i = 0; i < m_instances.size(); ++i) {
        if (m_instances[i].second == found->second) {
            partId = m_instances[i].second->GetPartId();
            index = static_cast<int>(i);
            return m_instances[i].second;
        }
    }
    return nullptr;
}

CDsItemVariant* CDsPart::FindItem(int id) const
{
    const auto found = m_index.find(id);
    return found == m_index.end() ? nullptr : found->second;
}

bool CDsPart::SetPaletteEntry(int index, const CDsAttributes& attributes)
{
    if (!m_palette.Set(index, attributes)) return false;
    CDsPartStorage::instance()->NoteAttributesChange();
    return true;
}
