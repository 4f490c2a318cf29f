// CDsAttributesIndex: an index into an attributes palette with four flags.
#include "DsAttributesIndex.h"

void CDsAttributesIndex::SetFlag(EDsAttributesIndexFlag flag, bool on)
{
    if (!IsFlag(flag)) return;
    if (on)
        m_flags |= static_cast<uint32_t>(flag);
    else
        m_flags &= ~static_cast<uint32_t>(flag);
}

bool CDsAttributesIndex::GetFlag(EDsAttributesIndexFlag flag) const
{
    return IsFlag(flag) && (m_flags & static_cast<uint32_t>(flag)) != 0;
}
