// CDsLineAttrMap and CDsLineAttrRegister: the line-attribute interfaces of the document types.
#include "DsLineAttrMap.h"

#include "VyrObjectId.h"
#include "VyrPdmServer.h"

std::map<std::wstring, const CDsCoreLineAttributesInt*>& CDsLineAttrMap::GetMap()
{
    static auto* map = new std::map<std::wstring, const CDsCoreLineAttributesInt*>();  // never freed
    return *map;
}

std::unordered_map<int, CDsLineAttrMap::SCacheEntry>& CDsLineAttrMap::GetCache()
{
    static auto* cache = new std::unordered_map<int, SCacheEntry>();  // never freed
    return *cache;
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

const CDsCoreLineAttributesInt* CDsLineAttrMap::GetInterface(const CVyrObjectId& id)
{
    const int document = id.GetPartId();
    if (document < 0) return nullptr;
    const std::wstring type = CVyrPdmServer::StInstance()->GetType(document);
    if (type.empty()) return nullptr;  // no such document open

    auto& cache = GetCache();
    const auto cached = cache.find(document);
    if (cached != cache.end() && cached->second.type == type) return cached->second.lineAttributes;
    const CDsCoreLineAttributesInt* lineAttributes = GetInterface(type);
    if (lineAttributes) {
        cache[document] = SCacheEntry{type, lineAttributes};
    } else if (cached != cache.end()) {
        cache.erase(cached);  // the document has another type now, one without an interface
    }
    return lineAttributes;
}

void CDsLineAttrMap::ResetForTests()
{
    GetMap().clear();
    GetCache().clear();
}

VYR_REGISTER_TEST_RESET(CDsLineAttrMap::ResetForTests, [] {
    CDsLineAttrMap::ResetForTests();
    return true;
});

CDsLineAttrRegister::CDsLineAttrRegister(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes)
{
    CDsLineAttrMap::AddInterface(name, lineAttributes);
}
