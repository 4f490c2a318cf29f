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
