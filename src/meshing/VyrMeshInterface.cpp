// CVyrMeshInterface: the meshes of one body, registered with the display manager.
#include "VyrMeshInterface.h"

#include "DsManager.h"

CVyrMeshInterface::CVyrMeshInterface()
{
    CDsManager::GetInstance()->AddMeshInterface(this);
}

CVyrMeshInterface::~CVyrMeshInterface()
{
    CDsManager::GetInstance()->DeleteMeshInterface(this);
}

void CVyrMeshInterface::Add(const CDmRefCountPtrTempl<CVyrMeshEntry>& entry)
{
    if (!entry || entry->GetPid() <= 0) return;
    m_meshes[entry->GetPid()] = entry;
}

int CVyrMeshInterface::GetAllMeshes(std::vector<CVyrIndexedMesh*>& meshes) const
{
    for (const auto& [pid, entry] : m_meshes)
        if (CVyrIndexedMesh* mesh = entry->GetMesh()) meshes.push_back(mesh);
    return 0;
}
