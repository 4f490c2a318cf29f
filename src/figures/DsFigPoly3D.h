// The line figures: CDsFigPoly2D (a polyline of window pixels), CDsFigPoly3D (a polyline of model
// points), CDsFigArc3D and CDsFigCircle3D (circular arcs through the arc polygon generator),
// CDsFigEllipse3D (an exact elliptic arc that follows the zoom), CDsFigLineInfinite3D (a line
// reaching far beyond any model) and CDsFigTriangles (strips of triangles between rows of points).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Point arrays are copied: a count below 1 or a null array gives a figure of no points (an
//   empty group), and nothing past the array is read.
// - The triangle figure keeps its own copies of the points and normals (pointsPerRow x rowCount
//   x 3 doubles each), so that a later definition never reads an array the host has freed; counts
//   below 1 (or an overflowing product) or null points give an empty figure.
// - An ellipse whose values cannot make one (a zero or non-finite normal or major axis, a ratio
//   not above 0 or not finite, a non-finite or zero sweep, a non-finite start or centre) defines
//   an empty group; a negative sweep is the same curve from start + sweep to start.
// - An infinite line of a non-finite direction or position defines an empty group.
#pragma once

#include <afx.h>

#include "DsArcPolyGenerator.h"
#include "DsFigure.h"
#include "GmPosition.h"
#include "GmTransformation.h"

#include <vector>

class ellipse;

// A polyline of window pixels.
class AFX_EXT_CLASS CDsFigPoly2D : public CDsFigure {
public:
    // The `count` pixels of `xy` (x, y pairs), copied; defined at once.
    CDsFigPoly2D(int count, const float* xy);

    // DrawPolyline2D(count, xy). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The number of pixels.
    int GetCount() const { return static_cast<int>(m_xy.size() / 2); }
    // The pixels (x, y pairs).
    const std::vector<float>& GetPoints() const { return m_xy; }

private:
    std::vector<float> m_xy;
};

// A polyline of model points.
class AFX_EXT_CLASS CDsFigPoly3D : public CDsFigure {
public:
    // The `count` points of `points`, copied (SetVertices); defined at once.
    CDsFigPoly3D(int count, const CGmPosition* points);

    // DrawPolyline(count, points). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The points (null when none); their count returned.
    int GetVertices(const CGmPosition*& points) const;
    // The `count` points of `points` replace the copy; redefines.
    void SetVertices(int count, const CGmPosition* points);
    // Forgets the points (shows at the next definition).
    void DeleteVertices() { m_points.clear(); }

private:
    std::vector<CGmPosition> m_points;
};

// A circular arc.
class AFX_EXT_CLASS CDsFigArc3D : public CDsFigure {
public:
    // The arc about `centre` (plane coordinates) of `radius`, placed by `transformation`, from
    // `start` over `sweep` radians at `step` radians per chord; defined at once.
    CDsFigArc3D(CGmPosition centre, double radius, const CGmTransformation& transformation, double start, double sweep,
                double step);

    // DrawArc of the arc (nothing for a zero radius, sweep or step). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The arc.
    const CDsArcPolyGenerator& GetArc() const { return m_arc; }

private:
    CDsArcPolyGenerator m_arc;
};

// A full circle of 48 chords.
class AFX_EXT_CLASS CDsFigCircle3D : public CDsFigure {
public:
    // The circle about `centre` (plane coordinates) of `radius`, placed by `transformation`: start
    // 0, sweep 2 pi, step 7.5 degrees; defined at once.
    CDsFigCircle3D(CGmPosition centre, double radius, const CGmTransformation& transformation);

    // DrawArc of the circle. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The centre (plane coordinates).
    const CGmPosition& GetCenter() const { return m_arc.GetCenter(); }
    // The radius.
    double GetRadius() const { return m_arc.GetRadius(); }
    // The placement.
    CGmTransformation GetTransformation() const { return CGmTransformation(m_arc.GetTransformation()); }
    // The arc.
    const CDsArcPolyGenerator& GetArc() const { return m_arc; }

private:
    CDsArcPolyGenerator m_arc;
};

// An exact elliptic arc (its chords follow the zoom).
class AFX_EXT_CLASS CDsFigEllipse3D : public CDsFigure {
public:
    // The ellipse about `centre` with `normal`, `majorAxis` and minor-to-major `ratio`, from
    // `start` over `sweep` radians (the step is kept, not used); pending until first used.
    CDsFigEllipse3D(const CGmPosition& centre, const CGmUnitVector& normal, const CGmVector& majorAxis, double ratio,
                    double start, double sweep, double step);
    // Not copyable (it owns its cached ellipse).
    CDsFigEllipse3D(const CDsFigEllipse3D&) = delete;
    // Not copyable.
    CDsFigEllipse3D& operator=(const CDsFigEllipse3D&) = delete;
    // Deletes the cached ellipse.
    ~CDsFigEllipse3D() override;

    // The cached ellipse (made when there is none), an ellipse storage from start to end and a
    // CDsItemEllipseDynamic over it, whatever the dynamic-ellipse switch; nothing for values that
    // make no ellipse. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The centre.
    const CGmPosition& GetCenter() const { return m_centre; }
    // The centre; drops the cached ellipse.
    void SetCenter(const CGmPosition& centre);
    // The normal.
    const CGmUnitVector& GetDirection() const { return m_normal; }
    // The normal; drops the cached ellipse.
    void SetDirection(const CGmUnitVector& normal);
    // The major axis.
    const CGmVector& GetMajorAxis() const { return m_majorAxis; }
    // The major axis; drops the cached ellipse.
    void SetMajorAxis(const CGmVector& majorAxis);
    // The minor-to-major ratio.
    double GetRatio() const { return m_ratio; }
    // The ratio; drops the cached ellipse.
    void SetRatio(double ratio);
    // The start parameter.
    double GetStart() const { return m_start; }
    // The end parameter (start + sweep).
    double GetEnd() const { return m_end; }
    // The step given at construction.
    double GetStep() const { return m_step; }
    // The cached ellipse, null when none.
    const ellipse* GetCachedEllipse() const { return m_ellipse; }
    // Drops the cached ellipse.
    void Invalidate();
    // Whether the values make an ellipse (see the header comment).
    bool IsValid() const;

private:
    ellipse* m_ellipse = nullptr;  // owned
    CGmPosition m_centre;
    CGmUnitVector m_normal;
    CGmVector m_majorAxis;
    double m_ratio;
    double m_start;
    double m_end;
    double m_step;
};

// A line through a point along a direction, reaching 10,000 units along its largest component
// either way.
class AFX_EXT_CLASS CDsFigLineInfinite3D : public CDsFigure {
public:
    // Through `position` along `direction`; defined at once.
    CDsFigLineInfinite3D(SPAunit_vector direction, CGmPosition position);
    // Through `position` along (dx, dy, dz), not normalised; defined at once.
    CDsFigLineInfinite3D(double dx, double dy, double dz, CGmPosition position);

    // The two points position + s x direction and position - s x direction, s = 10,000 / the
    // largest absolute component (1 when 0). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The position.
    const CGmPosition& GetPosition() const { return m_position; }
    // The direction.
    const SPAvector& GetDirection() const { return m_direction; }

private:
    CGmPosition m_position;
    SPAvector m_direction;
};

// Strips of triangles between rows of points.
class AFX_EXT_CLASS CDsFigTriangles : public CDsFigure {
public:
    // `rowCount` rows of `pointsPerRow` points (three doubles each, row by row) with their normals
    // (or null), copied; not filled; defined at once.
    CDsFigTriangles(int pointsPerRow, int rowCount, const double* points, const double* normals);

    // DrawTriangles(pointsPerRow, rowCount, points, normals), the strip form. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // Stores the fill flag and sets the fill byte of every child of the main group.
    void SetFill(bool fill);
    // The fill flag.
    bool GetFill() const { return m_fill; }
    // The base's colour, then the colour of every child of the main group.
    void SetColor(const CDsColorStorage& color, bool redraw) override;
    // The base's transparency.
    void SetTransparency(float transparency) override;
    // Points per row.
    int GetPointsPerRow() const { return m_pointsPerRow; }
    // Rows.
    int GetRowCount() const { return m_rowCount; }

private:
    int m_pointsPerRow = 0;
    int m_rowCount = 0;
    std::vector<double> m_points;
    std::vector<double> m_normals;
    bool m_fill = false;
};
