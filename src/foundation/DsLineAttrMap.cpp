// CDsLineAttrMap and CDsLineAttrRegister: the line-attribute interfaces of the document types.
#include "DsLineAttrMap.h"

std::map<std::wstring, const CDsCoreLineAttributesInt*>& CDsLineAttrMap::GetMap()
{
    static auto* map = new std::map<std::wstring, const CDsCoreLineAttributesInt*>();  // never freed
    return *map;
}

void CDsLineAttrMap::AddInterface(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes)
{
    if (lineAttributes) GetMap().emplace(name, lineAttributes);
}

const CDsCoreLineAttributesInt* CDsLineAttrMap::GetInterface(const std::wstring& name)
{
    const auto& map = GetMap();
    const auto found = map.find(name);
    return found == map.end() ? nullptr : found->second;
}

void CDsLineAttrMap::ResetForTests()
{
    GetMap().clear();
}

CDsLineAttrRegister::CDsLineAttrRegister(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes)
{
    CDsLineAttrMap::AddInterface(name, lineAttributes);
}
