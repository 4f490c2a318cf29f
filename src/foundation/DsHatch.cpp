// CDsHatch: the hatch attribute of an item.
#include "DsHatch.h"

CDsHatch::~CDsHatch() = default;

void CDsHatch::SetData(unsigned int, bool) {}

bool CDsHatch::SetData(const CDsAttribute& other, bool)
{
    const CDsHatch* hatch = TypesDiffer(other) ? nullptr : dynamic_cast<const CDsHatch*>(&other);
    if (!hatch) return false;
    m_index = hatch->m_index;
    return true;
}

unsigned int CDsHatch::GetData() const
{
    return 0;
}

bool CDsHatch::GetData(CDsAttribute&) const
{
    return false;
}
