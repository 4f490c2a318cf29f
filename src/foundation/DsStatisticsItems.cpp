// CDsStatisticsItems: item and primitive counts of a scene.
#include "DsStatisticsItems.h"

CDsStatisticsItems::CDsStatisticsItems()
{
    for (int type = 0; type < kInitialTypes; ++type) emplace(static_cast<EDsItemsType>(type), new tagStatisticsCount());
}

CDsStatisticsItems::CDsStatisticsItems(const CDsStatisticsItems& other) : std::map<EDsItemsType, tagStatisticsCount*>()
{
    CopyEntries(other);
    for (int i = 0; i < eDsPrimitiveCount; ++i) m_primitives[i] = other.m_primitives[i];
}

CDsStatisticsItems& CDsStatisticsItems::operator=(const CDsStatisticsItems& other)
{
    if (this != &other) {
        Release();
        CopyEntries(other);
    }
    for (int i = 0; i < eDsPrimitiveCount; ++i) m_primitives[i] = other.m_primitives[i];
    return *this;
}

CDsStatisticsItems::~CDsStatisticsItems()
{
    Release();
}

void CDsStatisticsItems::Release()
{
    for (auto& entry : *this) delete entry.second;
    clear();
}

void CDsStatisticsItems::CopyEntries(const CDsStatisticsItems& other)
{
    for (const auto& entry : other) emplace(entry.first, entry.second ? new tagStatisticsCount(*entry.second) : nullptr);
}

void CDsStatisticsItems::IncrementStatistics(EDsItemsType type, bool flagged)
{
    tagStatisticsCount*& entry = (*this)[type];
    if (!entry) entry = new tagStatisticsCount();
    ++entry->count;
    if (flagged) ++entry->flagged;
}

void CDsStatisticsItems::GetStatistics(EDsItemsType type, int& count, int& flagged) const
{
    const auto found = find(type);
    const tagStatisticsCount* entry = found == end() ? nullptr : found->second;
    count = entry ? entry->count : 0;
    flagged = entry ? entry->flagged : 0;
}

void CDsStatisticsItems::IncrementStatistics(EDsPrimitiveType type, int n)
{
    if (type >= 0 && type < eDsPrimitiveCount) m_primitives[type] += n;
}

int CDsStatisticsItems::GetStatistics(EDsPrimitiveType type) const
{
    return type >= 0 && type < eDsPrimitiveCount ? m_primitives[type] : 0;
}
