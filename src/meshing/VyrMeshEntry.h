// CVyrMeshEntry: the record that ties a face to its indexed mesh inside a mesh interface, shared
// by reference count between interfaces and the face items of the display (hold it through
// CDmRefCountPtrTempl<CVyrMeshEntry>). An entry without a mesh marks a face whose faceting
// failed; the body sketch facets such faces again one by one.
//
// Entries are shared, never duplicated: copying or assigning one would leave two records owning
// one mesh, so neither is offered.
#pragma once

#include <afx.h>

class CVyrIndexedMesh;
class FACE;

// One face's mesh, reference-counted.
class AFX_EXT_CLASS CVyrMeshEntry {
public:
    // No face, pid 0, no references, no mesh.
    CVyrMeshEntry() = default;
    // The entry of `face` with `mesh` (owned from here on, may be null); the pid comes from the
    // active id service; no references yet.
    CVyrMeshEntry(FACE* face, CVyrIndexedMesh* mesh);
    // Not copyable: an entry is shared, not duplicated.
    CVyrMeshEntry(const CVyrMeshEntry&) = delete;
    // Not assignable.
    CVyrMeshEntry& operator=(const CVyrMeshEntry&) = delete;
    // Deletes the mesh.
    virtual ~CVyrMeshEntry();

    // One more reference; the new count.
    int AddRef();
    // One reference less; at 0 the entry and its mesh are deleted. The new count.
    int Release();

    // The face the entry was made for (not owned; null for an entry read from an archive).
    FACE* GetFace() const { return m_face; }
    // The face's persistent id (0 or less: the entry is kept under no pid).
    int GetPid() const { return m_pid; }
    // The mesh, or null.
    CVyrIndexedMesh* GetMesh() const { return m_mesh; }
    // Takes `mesh` (may be null) as the entry's mesh, deleting the one held before unless it is
    // the same.
    void SetMeshData(CVyrIndexedMesh* mesh);
    // As SetMeshData(mesh); the face is not stored.
    void SetMeshData(FACE* face, CVyrIndexedMesh* mesh);
    // Deletes the mesh; the entry keeps none.
    void ClearMeshData();
    // The mesh's polygon count, 0 without a mesh.
    int ComputeNumOfTriangles() const;

private:
    // The archive reader gives a loaded entry the pid it was saved under.
    friend class CVyrMeshInterface;

    FACE* m_face = nullptr;
    int m_pid = 0;
    int m_references = 0;
    CVyrIndexedMesh* m_mesh = nullptr;
};
