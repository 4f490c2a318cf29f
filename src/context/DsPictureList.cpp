// CDsPictureList: named pictures owned by the list.
#include "DsPictureList.h"

#include "DsPictureStorage.h"
#include "DsView3dCdc.h"

#include "vyrwin_rpc.h"

#include <algorithm>
#include <iterator>
#include <memory>

const wchar_t* const CDsPictureList::kAutoSaveName = L"_AutoSave_";

CDsPictureList::CDsPictureList() = default;

CDsPictureList::CDsPictureList(const CDsPictureList& other)
{
    CopyFrom(other);
}

CDsPictureList& CDsPictureList::operator=(const CDsPictureList& other)
{
    if (this != &other) {
        CDsPictureList copy(other);
        m_pictures.swap(copy.m_pictures);  // the copy deletes the pictures held before
    }
    return *this;
}

CDsPictureList::~CDsPictureList()
{
    DeleteAll();
}

bool CDsPictureList::Add(const std::wstring& name, CDsPictureStorage* picture)
{
    if (!picture) return false;
    auto found = m_pictures.find(name);
    if (found != m_pictures.end()) {
        if (found->second == picture) return true;  // already there: nothing to replace
        if (Holds(picture)) return false;
        delete found->second;
        found->second = picture;
        return true;
    }
    if (Holds(picture)) return false;
    m_pictures.emplace(name, picture);
    return true;
}

std::wstring CDsPictureList::Add(CDsPictureStorage* picture)
{
    if (!picture || Holds(picture)) return std::wstring();
    // A fresh UUID never names a stored picture in practice; should one ever do, another is
    // drawn rather than replacing that picture.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::wstring name = GenerateNewName();
        if (name.empty()) break;
        if (m_pictures.count(name)) continue;
        m_pictures.emplace(name, picture);
        return name;
    }
    return std::wstring();
}

void CDsPictureList::Remove(const std::wstring& name)
{
    auto found = m_pictures.find(name);
    if (found == m_pictures.end()) return;
    delete found->second;
    m_pictures.erase(found);
}

bool CDsPictureList::IsEmpty() const
{
    return m_pictures.empty();
}

int CDsPictureList::GetPicturesCount() const
{
    return static_cast<int>(m_pictures.size());
}

std::wstring CDsPictureList::GetPictureName(int index) const
{
    if (index < 0) index = 0;
    if (index >= GetPicturesCount()) return std::wstring();
    auto it = m_pictures.begin();
    std::advance(it, index);
    return it->first;
}

CDsPictureStorage* CDsPictureList::GetPicture(const std::wstring& name) const
{
    auto found = m_pictures.find(name);
    return found == m_pictures.end() ? nullptr : found->second;
}

void CDsPictureList::GetData(std::map<std::wstring, std::vector<double>>& out) const
{
    for (const auto& [name, picture] : m_pictures) {
        std::vector<double> values(CDsPictureStorage::kFlatSize);
        picture->GetData(values.data(), CDsPictureStorage::kFlatSize);
        out.emplace(name, std::move(values));  // a name already in `out` keeps its numbers
    }
}

bool CDsPictureList::SetData(const std::map<std::wstring, std::vector<double>>& in)
{
    bool all = true;
    for (const auto& [name, values] : in) {
        auto picture = std::make_unique<CDsPictureStorage>();
        const int count = static_cast<int>(std::min<size_t>(values.size(), CDsPictureStorage::kFlatSize));
        if (!picture->SetData(values.data(), count) || !Add(name, picture.get())) {
            all = false;
            continue;
        }
        picture.release();  // owned by the list now
    }
    return all;
}

void CDsPictureList::SaveLastPicture(view3d* view)
{
    CDsView3dCdc* coreView = dynamic_cast<CDsView3dCdc*>(view);
    if (!coreView) return;
    if (CDsPictureStorage* saved = GetPicture(kAutoSaveName)) {
        saved->UpdatePicture(coreView);
        return;
    }
    Add(kAutoSaveName, new CDsPictureStorage(coreView));
}

std::wstring CDsPictureList::GenerateNewName()
{
    UUID uuid;
    if (UuidCreate(&uuid) != RPC_S_OK) return std::wstring();
    RPC_WSTR text = nullptr;
    if (UuidToStringW(&uuid, &text) != RPC_S_OK || !text) return std::wstring();
    CStringW name;
    name.Format(L"Pic-%s", text);
    RpcStringFreeW(&text);
    return std::wstring(static_cast<LPCWSTR>(name));
}

bool CDsPictureList::Holds(const CDsPictureStorage* picture) const
{
    for (const auto& entry : m_pictures)
        if (entry.second == picture) return true;
    return false;
}

void CDsPictureList::DeleteAll()
{
    for (auto& entry : m_pictures) delete entry.second;
    m_pictures.clear();
}

void CDsPictureList::CopyFrom(const CDsPictureList& other)
{
    for (const auto& [name, picture] : other.m_pictures) m_pictures.emplace(name, new CDsPictureStorage(*picture));
}
