// CVyrIndexedMesh: the display-list part of a face's mesh.
#include "VyrIndexedMesh.h"

#include <GL/gl.h>

#include <algorithm>

CVyrIndexedMesh::CVyrIndexedMesh(int nodes, int polygons, int polynodes)
    : m_nodeCapacity(std::max(nodes, 1)), m_polygonCapacity(std::max(polygons, 1)),
      m_polynodeCapacity(std::max(polynodes, 1))
{
}

CVyrIndexedMesh::~CVyrIndexedMesh()
{
    DeleteDisplayList();
}

bool CVyrIndexedMesh::StartDisplayListCreation(int owner)
{
    DeleteDisplayList();
    // A name from GL itself: reserved for this list alone in every context that shares lists.
    const GLuint name = glGenLists(1);
    if (name == 0) return false;
    m_displayList = name;
    m_displayListOwner = owner;
    glNewList(name, GL_COMPILE);
    return true;
}

void CVyrIndexedMesh::FinishDisplayListCreation()
{
    if (m_displayList) glEndList();
}

void CVyrIndexedMesh::DrawDisplayList() const
{
    if (m_displayList) glCallList(m_displayList);
}

void CVyrIndexedMesh::DeleteDisplayList()
{
    if (!m_displayList) return;
    glDeleteLists(m_displayList, 1);
    m_displayList = 0;
    m_displayListOwner = 0;
}

bool CVyrIndexedMesh::IsDisplayListExists(int owner) const
{
    return m_displayList != 0 && m_displayListOwner == owner;
}
