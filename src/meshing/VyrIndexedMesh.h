// CVyrIndexedMesh: the display mesh of one face, with the OpenGL display list that caches its
// drawing.
//
// Only the display list so far, which the display manager drops when a new OpenGL context
// cannot share the lists made before: the capacities are kept; nodes, polygons, uv, colours,
// vertex buffers and the faceter's building interface come with the mesh itself.
#pragma once

#include <afx.h>

// A face's mesh (display-list part).
class AFX_EXT_CLASS CVyrIndexedMesh {
public:
    // A mesh for up to `nodes` nodes, `polygons` polygons and `polynodes` polygon corners (each
    // raised to 1 when smaller); no display list.
    CVyrIndexedMesh(int nodes, int polygons, int polynodes);
    // Not copyable here (a copy never takes the display list).
    CVyrIndexedMesh(const CVyrIndexedMesh&) = delete;
    // Not copyable.
    CVyrIndexedMesh& operator=(const CVyrIndexedMesh&) = delete;
    // Deletes the display list (in the current OpenGL context).
    virtual ~CVyrIndexedMesh();

    // Node capacity.
    int GetNodeCapacity() const { return m_nodeCapacity; }
    // Polygon capacity.
    int GetPolygonCapacity() const { return m_polygonCapacity; }
    // Polygon-corner capacity.
    int GetPolynodeCapacity() const { return m_polynodeCapacity; }

    // Deletes an existing list, takes a fresh list name for `owner` and opens it in compile mode
    // (GL_COMPILE): the drawing that follows, up to FinishDisplayListCreation, is recorded.
    // False (nothing opened) when no name can be had, e.g. without a current OpenGL context.
    bool StartDisplayListCreation(int owner);
    // Closes the list opened by StartDisplayListCreation (nothing when there is none).
    void FinishDisplayListCreation();
    // Replays the list (nothing when there is none).
    void DrawDisplayList() const;
    // Deletes the list and forgets its name (nothing when there is none).
    void DeleteDisplayList();
    // Whether a list exists and was made for `owner`.
    bool IsDisplayListExists(int owner) const;
    // The list's name, 0 when there is none.
    unsigned int GetDisplayList() const { return m_displayList; }

private:
    int m_nodeCapacity;
    int m_polygonCapacity;
    int m_polynodeCapacity;
    unsigned int m_displayList = 0;
    int m_displayListOwner = 0;
};
