// Stepped sections.
#include "VyrComplexSection.h"

CVyrComplexSection::~CVyrComplexSection() = default;

bool CVyrComplexSection::IsItemShouldBeClipped(const CVyrObjectPath& path) const
{
    for (const CVyrObjectPath& listed : m_paths)
        if (listed.IsPrefixOf(path)) return true;
    return false;
}
