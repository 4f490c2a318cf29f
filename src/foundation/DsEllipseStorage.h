// CDsEllipseStorage: one modeler ellipse (or elliptic arc between two parameters) turned into a
// polyline whose segment count follows the view's scale: about one segment per 20 pixels of the
// whole ellipse on screen, 64 to 200 per whole turn. The points are cached and reused while the
// scale and the count stay the same, during fast refresh, and while a plot is under way
// (CDsView3dCdc::StGetPlotMode) with the scale of the last check.
//
// The inner vertices of every arc of one ellipse lie on one common grid of parameters (multiples
// of 2 pi / the whole-turn count), so neighbouring arcs share their vertices; only the two end
// points are off it. An arc has one segment more than the grid points strictly inside it. A whole
// turn closes exactly: its last point is its first.
//
// Copies own what they hold: copying a storage copies its ellipse and its points, so the copy and
// the source never free the same memory, whether the source's ellipse was borrowed or not.
//
// Degenerate input gives neutral answers: a null ellipse or non-finite parameters give no points;
// a zero-size ellipse gives points at its centre; a view with no scale counts as no view.
#pragma once

#include <afx.h>

class CDsBox;
class SPAposition;
class SPAtransf;
class ellipse;
class view3d;

// Cached polyline approximation of an ellipse or elliptic arc.
class AFX_EXT_CLASS CDsEllipseStorage {
public:
    // Takes an owned copy of `e` and measures its whole-turn length; no points yet.
    CDsEllipseStorage(const ellipse& e, double start, double end);
    // Keeps `e` (may be null), deleted with the storage unless `borrowed`; no points yet.
    CDsEllipseStorage(ellipse* e, double start, double end, bool borrowed);
    // Copies the ellipse (owned by the copy) and the parameters; the points are recomputed on
    // the next approximation.
    CDsEllipseStorage(const CDsEllipseStorage& other);
    // Copies every field; the ellipse and the points become copies owned by this storage.
    CDsEllipseStorage& operator=(const CDsEllipseStorage& other);
    // Frees the points, and the ellipse unless it is borrowed.
    virtual ~CDsEllipseStorage();

    // As the copy constructor, into this storage.
    void CopyObject(const CDsEllipseStorage& other);

    // Grows `box` by the points for the current view, each through `t` when given, and with
    // `withCentre` by the ellipse's centre too.
    virtual void ExpandBox(CDsBox& box, const SPAtransf* t, bool withCentre);

    // The points for `view` (recomputed when needed), their count returned. `fast` overrides
    // the view's fast-refresh flag when given.
    int ApproximateEllipse(view3d* view, const SPAposition*& points, bool* fast = nullptr);
    // The stored points (null when none) and their count.
    int GetPoints(const SPAposition*& points) const;
    // Number of stored points.
    int GetPointsCount() const { return m_pointsCount; }
    // The ellipse (null when none).
    const ellipse* GetEllipse() const { return m_ellipse; }
    // The start and end parameters.
    void GetParameters(double& start, double& end) const;
    // The first point, or the origin when there are none.
    SPAposition GetStartPoint() const;
    // The last point, or the origin when there are none.
    SPAposition GetEndPoint() const;
    // The point half-way along the polyline (the origin before the first approximation).
    SPAposition GetMiddlePoint() const;
    // Transforms the ellipse in place and drops the points.
    void Transform(const SPAtransf& t);
    // Stores the scale the ellipse is shown at and makes the next check see a change.
    void SetTransformationScale(double scale);
    // The scale the ellipse is shown at (1 by default).
    double GetTransformationScale() const { return m_transformationScale; }

    // Segments of a whole turn for `view`: 64 without a view, else 64..200.
    int ComputeFullEllipseSegmentsCount(view3d* view) const;
    // Segments of the arc for `view` (at least 1).
    int ComputeSegmentsCount(view3d* view) const;

    // Whether arcs of figures become ellipse storages (true at start).
    static bool StGetDynamicEllipses() { return sDynamicEllipses; }
    // Sets whether arcs of figures become ellipse storages.
    static void StSetDynamicEllipses(bool on) { sDynamicEllipses = on; }

protected:
    // Frees the points.
    void DeletePoints();
    // Whether the points must be computed again for `view`; records the new scale and count.
    bool CheckIfRecomputeIsNeeded(view3d* view, bool fast);

private:
    // Copies `other`'s fields, making owned copies of its ellipse and points.
    void CopyFrom(const CDsEllipseStorage& other, bool withPoints);
    // Frees the ellipse unless borrowed.
    void DeleteEllipse();
    // Measures the whole-turn length of the ellipse.
    void MeasureFullLength();

    bool m_borrowed = false;
    ellipse* m_ellipse = nullptr;
    double m_start = 0.0;
    double m_end = 0.0;
    double m_fullLength = 0.0;
    float m_middle[3] = {0.0f, 0.0f, 0.0f};
    SPAposition* m_points = nullptr;
    int m_pointsCount = 0;
    int m_fullSegments = 0;
    double m_lastUnitsPerPixel = 1.0;
    float m_transformationScale = 1.0f;

    static bool sDynamicEllipses;
};
