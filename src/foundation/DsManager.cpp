// CDsManager: the display manager singleton (flags and points palette so far).
#include "DsManager.h"

#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"

#include <vector>

CDsManager* CDsManager::GetInstance()
{
    static CDsManager* instance = new CDsManager();  // never freed: items may use it at unload
    return instance;
}

CDsManager::CDsManager()
{
    m_flags.set(7);
}

CDsManager::~CDsManager() = default;

bool CDsManager::GetFlag(int index) const
{
    if (index < 0 || index >= kFlagCount) return false;
    return m_flags.test(static_cast<size_t>(index));
}

void CDsManager::SetFlag(int index, bool on)
{
    if (index < 0 || index >= kFlagCount) return;
    m_flags.set(static_cast<size_t>(index), on);
}

// --- Mesh interfaces and their display lists ---------------------------------------------------

void CDsManager::AddMeshInterface(CVyrMeshInterface* meshes)
{
    if (meshes) m_meshInterfaces.insert(meshes);
}

void CDsManager::DeleteMeshInterface(CVyrMeshInterface* meshes)
{
    m_meshInterfaces.erase(meshes);
}

bool CDsManager::HasMeshInterface(const CVyrMeshInterface* meshes) const
{
    return m_meshInterfaces.count(const_cast<CVyrMeshInterface*>(meshes)) != 0;
}

void CDsManager::ResetDisplayListsHandles()
{
    std::vector<CVyrIndexedMesh*> meshes;
    for (CVyrMeshInterface* meshInterface : m_meshInterfaces) meshInterface->GetAllMeshes(meshes);
    for (CVyrIndexedMesh* mesh : meshes) mesh->DeleteDisplayList();
}
