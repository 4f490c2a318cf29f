// CVyrMeshEntry: the record that ties a face to its indexed mesh inside a mesh interface, shared
// by reference count between interfaces and the face items of the display.
//
// Only what the display manager's list reset needs so far: making an entry, its pid, its mesh and
// the reference count. The face, the mesh data operations and the triangle count come with the
// mesh interface.
#pragma once

#include <afx.h>

class CVyrIndexedMesh;
class FACE;

// One face's mesh, reference-counted (hold it through CDmRefCountPtrTempl<CVyrMeshEntry>).
class AFX_EXT_CLASS CVyrMeshEntry {
public:
    // No face, pid 0, no references, no mesh.
    CVyrMeshEntry() = default;
    // The entry of `face` with `mesh` (owned from here on); the pid comes from the active id
    // service; no references yet.
    CVyrMeshEntry(FACE* face, CVyrIndexedMesh* mesh);
    // Not copyable: an entry is shared, not duplicated.
    CVyrMeshEntry(const CVyrMeshEntry&) = delete;
    // Not copyable.
    CVyrMeshEntry& operator=(const CVyrMeshEntry&) = delete;
    // Deletes the mesh.
    virtual ~CVyrMeshEntry();

    // One more reference; the new count.
    int AddRef();
    // One reference less; at 0 the entry and its mesh are deleted. The new count.
    int Release();

    // The face the entry was made for (not owned).
    FACE* GetFace() const { return m_face; }
    // The face's persistent id (0 or less: the entry is kept under no pid).
    int GetPid() const { return m_pid; }
    // The mesh, or null.
    CVyrIndexedMesh* GetMesh() const { return m_mesh; }

private:
    FACE* m_face = nullptr;
    int m_pid = 0;
    int m_references = 0;
    CVyrIndexedMesh* m_mesh = nullptr;
};
