// CDsObjectPath.
#include "DsObjectPath.h"

#include "VyrObjectPath.h"

#include <algorithm>

CDsObjectPath::CDsObjectPath(int rootPartId, int* ids, int capacity)
    : m_rootPartId(rootPartId), m_ids(ids), m_capacity(ids && capacity > 0 ? capacity : 0)
{
}

void CDsObjectPath::AdvanceItem(int id)
{
    if (m_overflow > 0 || m_size >= m_capacity) {
        ++m_overflow;
        return;
    }
    m_ids[m_size++] = id;
    ++m_headSize;
}

void CDsObjectPath::AdvancePartInstance(int id)
{
    if (m_overflow > 0 || m_size >= m_capacity) {
        ++m_overflow;
        return;
    }
    m_ids[m_size++] = id;
    if (m_headSize != 0) ++m_headSize;
}

void CDsObjectPath::Rollback()
{
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_size > 0) --m_size;
    if (m_headSize > 0) --m_headSize;
}

void CDsObjectPath::Clear()
{
    m_size = 0;
    m_headSize = 0;
    m_overflow = 0;
}

bool CDsObjectPath::IsPrefixOf(const CVyrObjectPath& other) const
{
    if (m_rootPartId != other.GetPartId() || m_size > other.GetSize()) return false;
    return std::equal(m_ids, m_ids + m_size, other.GetIds().GetData());
}

bool CDsObjectPath::IsPrefixOf(const CDsObjectPath& other) const
{
    if (m_rootPartId != other.m_rootPartId || m_size > other.m_size) return false;
    return std::equal(m_ids, m_ids + m_size, other.m_ids);
}

bool CDsObjectPath::Contains(const CVyrObjectPath& other) const
{
    if (m_rootPartId != other.GetPartId() || other.GetSize() > m_size) return false;
    return std::equal(m_ids, m_ids + other.GetSize(), other.GetIds().GetData());
}

bool CDsObjectPath::operator==(const CVyrObjectPath& other) const
{
    return m_rootPartId == other.GetPartId() && m_size == other.GetSize() && m_headSize == other.GetDepth() &&
           std::equal(m_ids, m_ids + m_size, other.GetIds().GetData());
}

bool CDsObjectPath::operator==(const CDsObjectPath& other) const
{
    return m_rootPartId == other.m_rootPartId && m_size == other.m_size && m_headSize == other.m_headSize &&
           std::equal(m_ids, m_ids + m_size, other.m_ids);
}

CVyrObjectPath CDsObjectPath::ToVyrObjectPath() const { return CVyrObjectPath(m_ids, m_size, m_headSize, m_rootPartId); }

void CDsObjectPath::ToVyrObjectPath(CVyrObjectPath& path) const
{
    path.GetIds().Assign(m_ids, m_size);
    path.SetDepth(m_headSize);
    path.SetPartId(m_rootPartId);
}

CDsObjectPath::operator CVyrObjectPath() const { return ToVyrObjectPath(); }
