// CVyrMeshManager: the faceter's output of each face turned into an indexed mesh.
#include "VyrMeshManager.h"

#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"

#include <new>

CVyrMeshManager::CVyrMeshManager(CVyrMeshInterface* owner) : m_owner(owner) {}

CVyrMeshManager::~CVyrMeshManager()
{
    DropPending();
}

void CVyrMeshManager::DropPending()
{
    delete m_pending;
    m_pending = nullptr;
}

void CVyrMeshManager::begin_mesh_output(ENTITY*, ENTITY*, ENTITY* format)
{
    DropPending();
    m_pendingFailed = false;
    m_countsAnnounced = false;
    m_vertexTemplate =
        format && format->identity(1) == VERTEX_TEMPLATE_TYPE ? static_cast<VERTEX_TEMPLATE*>(format) : nullptr;
}

void CVyrMeshManager::announce_counts(int npoly, int nnode, int npolynode)
{
    DropPending();
    m_pendingFailed = false;
    m_countsAnnounced = true;
    try {
        m_pending = new CVyrIndexedMesh(nnode, npoly, npolynode);
    } catch (const std::bad_alloc&) {
        m_pending = nullptr;
    }
}

bool CVyrMeshManager::need_indexed_polygons()
{
    return true;
}

bool CVyrMeshManager::need_global_node_numbering()
{
    return false;
}

bool CVyrMeshManager::need_node_normals()
{
    return true;
}

void* CVyrMeshManager::announce_indexed_node(int, const SPApar_pos& uv, const SPAposition& pos,
                                             const SPAunit_vector& normal)
{
    if (!m_pending) return nullptr;
    CVyrPolygonVertex* node = m_pending->IAddVertex(pos, normal, uv);
    if (!node) m_pendingFailed = true;
    return node;
}

void CVyrMeshManager::start_indexed_polygon(int poly_index, int node_count, int share_info)
{
    if (!m_pending) return;
    if (m_pending->add_polygon(poly_index, node_count, m_vertexTemplate, share_info) < 0) m_pendingFailed = true;
}

void CVyrMeshManager::announce_indexed_polynode(int poly_index, int pos, void* node_id)
{
    if (!m_pending) return;
    if (m_pending->ISetPolyVertex(poly_index, pos, static_cast<CVyrPolygonVertex*>(node_id)) < 0)
        m_pendingFailed = true;
}

void CVyrMeshManager::announce_indexed_polynode(ENTITY*, int, int, void*) {}

void CVyrMeshManager::end_mesh_output(ENTITY*, ENTITY*, ENTITY*)
{
    if (!m_pending || m_pendingFailed) return;
    m_polygonTotal += m_pending->get_num_polygon();
    m_pending->map_uv_into_01();
}

void CVyrMeshManager::save_mesh_output(ENTITY* face, ENTITY*, ENTITY*)
{
    if (!m_pending && !m_countsAnnounced) return;  // nothing announced since the face began
    m_countsAnnounced = false;
    CVyrIndexedMesh* mesh = nullptr;
    if (m_pending && !m_pendingFailed) {
        mesh = m_pending->IGetMesh();
        m_pending = nullptr;
    } else {
        // An incomplete mesh (or none at all) is not kept; the entry without a mesh marks the
        // face for faceting again.
        DropPending();
        ++m_failedFaces;
    }
    m_pendingFailed = false;
    if (!m_owner) {
        delete mesh;
        return;
    }
    m_owner->SetMesh(face, mesh);  // the entry returned is released here; the interface keeps one
}
