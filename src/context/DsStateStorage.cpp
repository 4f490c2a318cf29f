// CDsStateStorage: one display state of the history.
#include "DsStateStorage.h"

#include <algorithm>

CDsStateStorage::CDsStateStorage() = default;

CDsStateStorage::CDsStateStorage(const CDsStateStorage& other) = default;

CDsStateStorage& CDsStateStorage::operator=(const CDsStateStorage& other) = default;

CDsStateStorage::~CDsStateStorage() = default;

void CDsStateStorage::AddShownEntity(const CVyrObjectPath& path)
{
    m_shown.push_back(path);
    m_sorted = false;
}

void CDsStateStorage::AddHiddenEntity(const CVyrObjectPath& path)
{
    m_hidden.push_back(path);
    m_sorted = false;
}

std::deque<CVyrObjectPath>& CDsStateStorage::ShowContainer()
{
    SortContainers();
    return m_shown;
}

std::deque<CVyrObjectPath>& CDsStateStorage::HideContainer()
{
    SortContainers();
    return m_hidden;
}

void CDsStateStorage::SavePicture(const CDsPictureStorage& picture)
{
    m_picture = picture;
}

void CDsStateStorage::GetPicture(CDsPictureStorage& picture) const
{
    picture = m_picture;
}

void CDsStateStorage::SortContainers()
{
    if (m_sorted) return;
    std::sort(m_shown.begin(), m_shown.end());
    std::sort(m_hidden.begin(), m_hidden.end());
    m_sorted = true;
}
