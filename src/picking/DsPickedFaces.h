// CDsPickedFaces: the faces an OpenGL selection found under a pick, by depth (nearest first; faces
// of equal depth in the order they were added).
#pragma once

#include <afx.h>

#include <map>

class FACE;

// Picked faces ordered by depth.
class AFX_EXT_CLASS CDsPickedFaces {
public:
    // The faces, keyed by depth.
    typedef std::multimap<double, FACE*> TFaces;

    // No face.
    CDsPickedFaces() = default;
    // A copy of the faces.
    CDsPickedFaces(const CDsPickedFaces& other) = default;
    // Copies the faces.
    CDsPickedFaces& operator=(const CDsPickedFaces& other) = default;
    // Frees the map (not the faces).
    virtual ~CDsPickedFaces() = default;

    // Adds `face` at `depth` (after the faces of the same depth).
    void AddFace(double depth, FACE* face) { m_faces.emplace(depth, face); }
    // The faces.
    const TFaces& GetFaces() const { return m_faces; }
    // Number of faces.
    int GetCount() const { return static_cast<int>(m_faces.size()); }

private:
    TFaces m_faces;
};
