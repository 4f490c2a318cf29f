// CDsManager: the display manager, the process-wide registry of display state that is not tied to
// a view or an OpenGL context.
//
// Only what the foundation calls so far: the singleton, its 19 numbered flags and the points
// palette. The colours, resource tables, hatches, mesh interfaces and start operations come with
// the display manager itself. Until the points palette is built there is none: GetPointsPalette
// answers null and markers are not drawn.
#pragma once

#include <afx.h>

#include <bitset>
#include <set>

class CDsPointsPalette;
class CVyrMeshInterface;

// The display manager singleton.
class AFX_EXT_CLASS CDsManager {
public:
    // Number of numbered flags (0 to 18).
    static const int kFlagCount = 19;

    // The display manager, made on first use and never freed; never null.
    static CDsManager* GetInstance();

    // Frees the manager.
    virtual ~CDsManager();

    // Flag `index`; false outside 0 to 18.
    bool GetFlag(int index) const;
    // Sets flag `index`; ignored outside 0 to 18.
    void SetFlag(int index, bool on);

    // The points palette that markers are drawn through, or null when there is none.
    CDsPointsPalette* GetPointsPalette() const { return m_pointsPalette; }

    // --- Mesh interfaces and their display lists (a new OpenGL context that shares no lists) ---
    // Enters a mesh interface in the set of live ones (null and duplicates are ignored).
    void AddMeshInterface(CVyrMeshInterface* meshes);
    // Takes a mesh interface out of the set (nothing when it is not there).
    void DeleteMeshInterface(CVyrMeshInterface* meshes);
    // Whether a mesh interface is in the set.
    bool HasMeshInterface(const CVyrMeshInterface* meshes) const;
    // Deletes the display list of every mesh of every live mesh interface (glDeleteLists in the
    // current OpenGL context) and forgets its name, so that the lists are built again.
    void ResetDisplayListsHandles();

private:
    // All flags false except flag 7.
    CDsManager();
    CDsManager(const CDsManager&) = delete;
    CDsManager& operator=(const CDsManager&) = delete;

    std::bitset<kFlagCount> m_flags;
    CDsPointsPalette* m_pointsPalette = nullptr;
    // Mesh interfaces and their display lists.
    std::set<CVyrMeshInterface*> m_meshInterfaces;
};
