// CVyrPolylineEntry: the record that ties an edge to its display approximation inside a mesh
// interface: a polyline of float points or, for an elliptic or circular edge while dynamic
// ellipses are on, a view-dependent ellipse storage (which is then what draws and measures; the
// points are not consulted). Shared by reference count between interfaces and the edge items of
// the display (hold it through CDmRefCountPtrTempl<CVyrPolylineEntry>).
//
// Entries are shared, never duplicated: copying or assigning one would leave two records owning
// one point array and one storage, so neither is offered.
//
// An entry without an edge (read from an archive) keeps its points when asked to re-evaluate:
// there is nothing to sketch them again from.
#pragma once

#include <afx.h>

#include "SpaValues.h"

class CDsBox;
class CDsEllipseStorage;
class EDGE;
class ellipse;
class view3d;

// One edge's polyline, reference-counted.
class AFX_EXT_CLASS CVyrPolylineEntry {
public:
    // No edge, pid 0, no references, no points, no storage, middle (0, 0, 0).
    CVyrPolylineEntry() = default;
    // The entry of `edge`; the pid comes from the active id service; the rest as above.
    explicit CVyrPolylineEntry(EDGE* edge);
    // Not copyable: an entry is shared, not duplicated.
    CVyrPolylineEntry(const CVyrPolylineEntry&) = delete;
    // Not assignable.
    CVyrPolylineEntry& operator=(const CVyrPolylineEntry&) = delete;
    // Frees the points and the storage.
    virtual ~CVyrPolylineEntry();

    // One more reference; the new count.
    int AddRef();
    // One reference less; at 0 the entry, its points and its storage are freed. The new count.
    int Release();

    // The edge (not owned; null for an entry read from an archive).
    EDGE* GetEdge() const { return m_edge; }
    // The edge's persistent id (0 or less: the entry is kept under no pid).
    int GetPid() const { return m_pid; }

    // Points `points` at the point array (x, y, z per point; null when none); the point count.
    int GetPoints(const float*& points) const;
    // Takes `points` (3 x count floats made with new[], owned from here on) with the count,
    // freeing the array held before; a count of 0 or less keeps no points (the array is freed).
    void SetPoints(int count, float* points);
    // Keeps a float copy of 3 x count doubles (no points for a count of 0 or less or null).
    void SetPoints(int count, const double* points);
    // Replaces the storage by a new one of a copy of `e` between the two parameters; answers it.
    CDsEllipseStorage* SetEllipse(const ellipse& e, double start, double end);
    // The storage, or null.
    CDsEllipseStorage* GetEllipse() const { return m_ellipse; }
    // Stores the middle position.
    void SetMidPosition(float x, float y, float z);
    // With points: the middle becomes the point half-way along them by length.
    void SetMiddlePoint();
    // The storage's middle point, else the stored middle position.
    SPAposition GetMiddlePoint() const;
    // The first point; else the first point of the storage's approximation; else the origin.
    SPAposition GetStartPoint() const;
    // The last point; else the storage's end point; else the origin.
    SPAposition GetEndPoint() const;
    // With a storage: its ellipse's centre into `centre` and true; else false.
    bool GetCenterPoint(SPAposition& centre) const;
    // Grows `box` by the storage (its ExpandBox with the same arguments) or by each point taken
    // through `t` when given.
    void ExpandBox(CDsBox& box, const SPAtransf* t, bool withCentre) const;
    // The box of ExpandBox on an empty box into `box`; true when it is not empty.
    bool GetBox(SPAbox& box, const SPAtransf* t, bool withCentre) const;
    // One OpenGL line strip: the storage's points for `view` (`fast` handed to it) or the points.
    void DrawGl(view3d& view, bool fast) const;
    // Frees the points and the storage and sketches the edge again into this entry (on the
    // current refinement). An entry without an edge keeps what it has.
    void Reevaluate();

private:
    // The archive reader gives a loaded entry the pid it was saved under.
    friend class CVyrMeshInterface;

    // Frees the points and the storage.
    void FreeGeometry();

    EDGE* m_edge = nullptr;
    int m_pid = 0;
    int m_references = 0;
    int m_count = 0;
    float* m_points = nullptr;
    CDsEllipseStorage* m_ellipse = nullptr;
    float m_middle[3] = {0.0f, 0.0f, 0.0f};
};
