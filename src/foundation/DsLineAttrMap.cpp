// CDsLineAttrMap and CDsLineAttrRegister: the line-attribute interfaces of the document types.
#include "DsLineAttrMap.h"

#include "VyrObjectId.h"
#include "VyrPdmServer.h"

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

std::map<int, const CDsCoreLineAttributesInt*>& CDsLineAttrMap::GetCache()
{
    static auto* cache = new std::map<int, const CDsCoreLineAttributesInt*>();  // never freed
    return *cache;
}

const CDsCoreLineAttributesInt* CDsLineAttrMap::GetInterface(const CVyrObjectId& id)
{
    const int document = id.GetPartId();
    if (document < 0) return nullptr;
    const CDsCoreLineAttributesInt*& cached = GetCache()[document];
    if (!cached) cached = GetInterface(CVyrPdmServer::StInstance()->GetType(document));
    return cached;
}

void CDsLineAttrMap::ResetForTests()
{
    GetMap().clear();
    GetCache().clear();
}

CDsLineAttrRegister::CDsLineAttrRegister(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes)
{
    CDsLineAttrMap::AddInterface(name, lineAttributes);
}
