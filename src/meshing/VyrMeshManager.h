// CVyrMeshManager: the receiver the faceter feeds while it facets. It turns the counts, nodes and
// polygons of each face into one CVyrIndexedMesh and, when the face is done, stores it in its
// mesh interface (CVyrMeshInterface::SetMesh). The mesh interface makes one per faceting run.
//
// Per face the faceter calls begin_mesh_output, announce_counts, announce_indexed_node per node,
// start_indexed_polygon and its announce_indexed_polynode calls per polygon, then
// end_mesh_output and save_mesh_output. Node ids handed back to the faceter are the mesh's nodes.
//
// Faults the manager guards against:
// - A face whose output does not fit the mesh its counts made (a node, polygon or corner
//   refused), or that names a node id that is not one of its nodes, is a failed face: at
//   save_mesh_output its incomplete mesh is dropped and the face gets an entry without a mesh
//   (which marks it for faceting again), and the failure is counted (GetFailedFacesCount).
// - announce_counts deletes a mesh still pending from an earlier face, and a mesh that cannot be
//   allocated leaves nothing pending: the calls of that face then do nothing, and
//   save_mesh_output without a pending mesh does nothing (the face counts as failed).
#pragma once

#include <afx.h>

#include "SpaFaceter.h"

class CVyrIndexedMeshInt;
class CVyrMeshInterface;

// The display's mesh manager.
class AFX_EXT_CLASS CVyrMeshManager : public MESH_MANAGER {
public:
    // A manager that stores finished meshes in `owner` (not owned).
    explicit CVyrMeshManager(CVyrMeshInterface* owner);
    // Deletes a pending mesh.
    ~CVyrMeshManager() override;

    // Deletes a mesh left pending by an earlier face; remembers `format` as the vertex template.
    void begin_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format) override;
    // Adds the pending mesh's polygon count to the total and rescales its uv into 0..1.
    void end_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format) override;
    // Hands the pending mesh to the owner (SetMesh with the face); a failed face's mesh is
    // dropped and the face gets an entry without a mesh. Nothing without a pending mesh.
    void save_mesh_output(ENTITY* face, ENTITY* app_ref, ENTITY* format) override;
    // Makes the pending mesh with capacities `nnode`, `npoly`, `npolynode` (a pending one is
    // deleted first); nothing pending when it cannot be allocated.
    void announce_counts(int npoly, int nnode, int npolynode) override;
    // True: polygons come as node indices.
    bool need_indexed_polygons() override;
    // False: nodes are numbered per face.
    bool need_global_node_numbering() override;
    // Adds the node to the pending mesh; answers it as the node id (null when it did not fit).
    void* announce_indexed_node(int index, const SPApar_pos& uv, const SPAposition& pos,
                                const SPAunit_vector& normal) override;
    // Adds polygon `poly_index` with `node_count` corners to the pending mesh.
    void start_indexed_polygon(int poly_index, int node_count, int share_info) override;
    // Corner `pos` of polygon `poly_index` becomes the node `node_id`.
    void announce_indexed_polynode(int poly_index, int pos, void* node_id) override;
    // Does nothing (corners come through the three-argument form).
    void announce_indexed_polynode(ENTITY* owner, int poly_index, int pos, void* node_id) override;
    // True: normals are wanted at nodes.
    bool need_node_normals() override;

    // The mesh interface that receives the meshes.
    CVyrMeshInterface* GetOwner() const { return m_owner; }
    // Polygons of all faces finished by this manager.
    int GetPolygonTotal() const { return m_polygonTotal; }
    // Faces whose output was incomplete or could not be kept.
    int GetFailedFacesCount() const { return m_failedFaces; }

private:
    // Deletes the pending mesh.
    void DropPending();

    CVyrMeshInterface* m_owner;
    int m_polygonTotal = 0;
    VERTEX_TEMPLATE* m_vertexTemplate = nullptr;
    CVyrIndexedMeshInt* m_pending = nullptr;
    bool m_pendingFailed = false;
    bool m_countsAnnounced = false;
    int m_failedFaces = 0;
};
