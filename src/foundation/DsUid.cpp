// CDsUidPath: the uid path and its walking cursor.
#include "DsUid.h"

#include <algorithm>

bool CDsUidPath::GetUid(int i, CDsUid& out) const {
    if (i < 0 || i >= GetPathSize()) return false;
    out = m_uids[static_cast<size_t>(i)];
    return true;
}

bool CDsUidPath::IncrementIndex() const {
    if (m_index >= GetLastPathIndex()) return false;
    ++m_index;
    return true;
}

bool CDsUidPath::DecrementIndex() const {
    if (m_index < 1) return false;
    --m_index;
    return true;
}

bool CDsUidPath::GetCurrentUid(CDsUid& out) const {
    if (m_index < 0 || m_index >= GetPathSize()) return false;
    out = m_uids[static_cast<size_t>(m_index)];
    return true;
}

bool CDsUidPath::GetNextUid(CDsUid& out) const {
    if (m_index >= GetLastPathIndex()) return false;
    ++m_index;
    out = m_uids[static_cast<size_t>(m_index)];
    return true;
}

EDsPathStatus CDsUidPath::MatchCurrentUid(const CDsUid& uid) const {
    CDsUid current;
    if (!GetCurrentUid(current)) return eDsPathNoMatch;
    if (current != uid) {
        if (m_index >= 1) --m_index;
        return eDsPathNoMatch;
    }
    if (m_index >= GetLastPathIndex()) {
        m_index = 0;
        return eDsPathComplete;
    }
    CDsUid next;
    GetNextUid(next);
    return eDsPathContinue;
}

void CDsUidPath::ReverseUidPath() { std::reverse(m_uids.begin(), m_uids.end()); }
