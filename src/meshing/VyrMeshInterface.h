// CVyrMeshInterface: the store of what the display keeps for one solid body, a mesh entry per
// face keyed by the face's persistent id (pid). Every interface is known to the display manager
// from its construction to its destruction, so that the display lists of all meshes can be
// dropped at once.
//
// Only what that needs so far: registration, storing entries and handing out the meshes. The
// shared data block, polylines, faceting and the lookups by entity come with the interface itself.
#pragma once

#include <afx.h>

#include "DmRefCountPtrTempl.h"
#include "VyrMeshEntry.h"

#include <map>
#include <vector>

class CVyrIndexedMesh;

// The meshes of one body.
class AFX_EXT_CLASS CVyrMeshInterface {
public:
    // An empty store, registered with the display manager.
    CVyrMeshInterface();
    // Not copyable here (copies share the store's data once it has a shared block).
    CVyrMeshInterface(const CVyrMeshInterface&) = delete;
    // Not copyable.
    CVyrMeshInterface& operator=(const CVyrMeshInterface&) = delete;
    // Leaves the display manager and releases every entry (entries held elsewhere survive).
    virtual ~CVyrMeshInterface();

    // Stores the entry under its own pid when that pid is above 0, replacing (and releasing) an
    // earlier entry of that pid; otherwise nothing.
    void Add(const CDmRefCountPtrTempl<CVyrMeshEntry>& entry);
    // Number of stored entries.
    int GetMeshesCount() const { return static_cast<int>(m_meshes.size()); }
    // Appends the mesh of every entry that has one, in ascending pid order; returns 0.
    int GetAllMeshes(std::vector<CVyrIndexedMesh*>& meshes) const;

private:
    std::map<int, CDmRefCountPtrTempl<CVyrMeshEntry>> m_meshes;
};
