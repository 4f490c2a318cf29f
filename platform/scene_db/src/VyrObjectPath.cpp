// CVyrPathString and CVyrObjectPath.
#include "VyrObjectPath.h"

#include <algorithm>
#include <cstring>

CVyrPathString::CVyrPathString() noexcept : m_data(m_inline) {}

CVyrPathString::CVyrPathString(const int* ids, int count) : m_data(m_inline) { Assign(ids, count); }

CVyrPathString::CVyrPathString(const CVyrPathString& other) : m_data(m_inline) { Assign(other.m_data, other.m_length); }

CVyrPathString::CVyrPathString(CVyrPathString&& other) noexcept : m_data(m_inline) { *this = std::move(other); }

CVyrPathString& CVyrPathString::operator=(const CVyrPathString& other)
{
    if (this != &other) Assign(other.m_data, other.m_length);
    return *this;
}

CVyrPathString& CVyrPathString::operator=(CVyrPathString&& other) noexcept
{
    if (this == &other) return *this;
    if (other.m_data != other.m_inline) {
        // Take over the other's heap block.
        if (m_data != m_inline) delete[] m_data;
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = other.m_inline;
        other.m_capacity = kInlineCapacity;
    } else {
        // Inline ids are copied; this string's heap block, if any, is reused.
        std::memcpy(m_data, other.m_data, sizeof(int) * (other.m_length + 1));
        m_length = other.m_length;
    }
    other.m_length = 0;
    other.m_inline[0] = 0;
    return *this;
}

CVyrPathString::~CVyrPathString()
{
    if (m_data != m_inline) delete[] m_data;
}

void CVyrPathString::Reserve(int capacity)
{
    if (capacity <= m_capacity) return;
    int* block = new int[static_cast<size_t>(capacity) + 1];
    std::memcpy(block, m_data, sizeof(int) * (m_length + 1));
    if (m_data != m_inline) delete[] m_data;
    m_data = block;
    m_capacity = capacity;
}

void CVyrPathString::Append(int id)
{
    if (m_length == m_capacity) Reserve(m_capacity < 8 ? 8 : m_capacity * 2);
    m_data[m_length++] = id;
    m_data[m_length] = 0;
}

void CVyrPathString::RemoveLast()
{
    if (m_length > 0) m_data[--m_length] = 0;
}

void CVyrPathString::Truncate(int length)
{
    if (length < 0) length = 0;
    if (length >= m_length) return;
    m_length = length;
    m_data[m_length] = 0;
}

void CVyrPathString::Clear() { Truncate(0); }

void CVyrPathString::Assign(const int* ids, int count)
{
    if (!ids || count < 0) count = 0;
    if (count > m_capacity) Reserve(count);
    if (count > 0) std::memmove(m_data, ids, sizeof(int) * count);
    m_length = count;
    m_data[m_length] = 0;
}

bool CVyrPathString::operator==(const CVyrPathString& other) const
{
    return m_length == other.m_length && std::equal(m_data, m_data + m_length, other.m_data);
}

int CVyrPathString::Compare(const CVyrPathString& other) const
{
    const int n = std::min(m_length, other.m_length);
    for (int i = 0; i < n; ++i) {
        if (m_data[i] != other.m_data[i]) return m_data[i] < other.m_data[i] ? -1 : 1;
    }
    return m_length == other.m_length ? 0 : (m_length < other.m_length ? -1 : 1);
}

CVyrObjectPath::CVyrObjectPath(const int* ids, int count, int depth, int partId)
    : m_ids(ids, count), m_depth(depth), m_partId(partId)
{
}

CVyrObjectPath::CVyrObjectPath(const CVyrShortObjectPath& path, int partId)
    : m_ids(path.GetIds()), m_depth(path.GetDepth()), m_partId(partId)
{
}

bool CVyrObjectPath::operator==(const CVyrObjectPath& other) const
{
    return m_partId == other.m_partId && m_depth == other.m_depth && m_ids == other.m_ids;
}

bool CVyrObjectPath::operator<(const CVyrObjectPath& other) const
{
    if (m_partId != other.m_partId) return m_partId < other.m_partId;
    const int order = m_ids.Compare(other.m_ids);
    if (order != 0) return order < 0;
    return static_cast<unsigned>(m_depth) < static_cast<unsigned>(other.m_depth);
}

bool CVyrObjectPath::IsPrefixOf(const CVyrObjectPath& other) const
{
    if (m_partId != other.m_partId || GetSize() > other.GetSize()) return false;
    return std::equal(m_ids.GetData(), m_ids.GetData() + GetSize(), other.m_ids.GetData());
}
