// CVyrMeshEntry: a face's mesh, reference-counted.
#include "VyrMeshEntry.h"

#include "DsQueryIDInt.h"
#include "VyrIndexedMesh.h"

#include "SpaTopology.h"

CVyrMeshEntry::CVyrMeshEntry(FACE* face, CVyrIndexedMesh* mesh)
    : m_face(face), m_pid(CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(face)), m_mesh(mesh)
{
}

CVyrMeshEntry::~CVyrMeshEntry()
{
    delete m_mesh;
}

int CVyrMeshEntry::AddRef()
{
    return ++m_references;
}

int CVyrMeshEntry::Release()
{
    const int left = --m_references;
    if (left <= 0) delete this;
    return left;
}

void CVyrMeshEntry::SetMeshData(CVyrIndexedMesh* mesh)
{
    if (mesh == m_mesh) return;
    delete m_mesh;
    m_mesh = mesh;
}

void CVyrMeshEntry::SetMeshData(FACE*, CVyrIndexedMesh* mesh)
{
    SetMeshData(mesh);
}

void CVyrMeshEntry::ClearMeshData()
{
    delete m_mesh;
    m_mesh = nullptr;
}

int CVyrMeshEntry::ComputeNumOfTriangles() const
{
    return m_mesh ? m_mesh->get_num_polygon() : 0;
}
