// CDsPointGeometry: the scene-database geometry of one parametric point (a centre, an end, a
// middle point...) that the OpenGL context highlights on request. It draws as a screen-size marker
// whose style follows the kind of point, bounds itself as a degenerate box, and tells picks which
// kind of reference point it is. CDsPointGeometryCreator registers its object type (61).
//
// Marker style (PointStyle): a point type, once set, decides the style even when a style was
// given; only a point without a type (-1) keeps its own style (11 meaning "by type").
#pragma once

#include <afx.h>

#include "DsGeometry.h"
#include "SpaValues.h"
#include "VyrFigureGenerator.h"

// Kind of a parametric point: the reference-point types 256 to 274 of a type mask; -1 for none.
typedef int eVyrParamPointType;

// Geometry of a single parametric point.
class AFX_EXT_CLASS CDsPointGeometry : public CDsGeometry {
public:
    // The origin, no point type (-1), style 11, default size (0).
    CDsPointGeometry();
    // A point with its type, style and marker size in pixels (0 or less for the default).
    CDsPointGeometry(const SPAposition& point, eVyrParamPointType type, EPointStyle style, int size);
    // Copies the four fields.
    CDsPointGeometry(const CDsPointGeometry& other);
    // Copies the four fields.
    CDsPointGeometry& operator=(const CDsPointGeometry& other);
    // Frees the geometry.
    ~CDsPointGeometry() override;

    // A new copy.
    CDsGeometry* Clone() const override;
    // No connected items: null (count 0).
    const int* GetConnectedItems(unsigned int& count, int index) const override;
    // The box from the point to itself; true.
    bool GetBoundBox(SPAbox& box, int index) const override;
    // True: the point always has a box.
    bool HasBoundBox(int index) const override;
    // Points drawn on top (4097).
    int GetDrawPrimitives(int index) const override;
    // Draws nothing through the view's drawing operations: 0.
    int Draw(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    // Draws the marker through the display manager's points palette (nothing without one).
    void DrawGl(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override;
    // Draws the point into the view: the reference-point mask of its type when the view reports
    // it drawn (a hit in pick mode), else 0.
    LONG DrawPoints(view3d& view, LONG mask, int index) override;
    // No vertices: -1.
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int options) override;
    // No parameter points: false.
    bool GetPoint(eParameterPoints which, SPAposition& position, int index) const override;

    // The box from the point to itself; true.
    virtual bool GetBoundBox(SPAbox& box) const;
    // Draws the marker (size 10) in the renderers' scene walk, passing `walk` on.
    virtual void DrawOnTraverse(view3d& view, eDrawPrimitives kinds, bool walk, int index);
    // The screen box around the projected point: (-h, -h) to (h, h), h = size / 2 (5 for size 0).
    virtual bool GetBoundBox2D(SDsBox2D& box) const;
    using CDsGeometry::GetBoundBox2D;

    // Moves the point.
    void SetCurrentPoint(const SPAposition& point) { m_point = point; }
    // Sets the point type (-1 for none).
    void SetPointType(eVyrParamPointType type) { m_type = type; }
    // The point.
    const SPAposition& GetCurrentPoint() const { return m_point; }
    // The point type.
    eVyrParamPointType GetPointType() const { return m_type; }
    // The marker style drawn: the point type's style, or the stored one for a point without type.
    EPointStyle PointStyle() const;

private:
    // The single reference-point mask bit of a point type; 0 for a type outside the table.
    static LONG MapTypeToRefPointMask(eVyrParamPointType type);
    // The marker size of GL drawing: the stored size when at least 1, else 3 for style 10, else 10.
    int MarkerSize(EPointStyle style) const;

    SPAposition m_point;
    eVyrParamPointType m_type = -1;
    EPointStyle m_style = ePointStyleByType;
    int m_size = 0;
};

// Registers the point geometry's object type (61) as category 2 in the part storage.
class AFX_EXT_CLASS CDsPointGeometryCreator {
public:
    // Sets the category of type 61 to 2.
    CDsPointGeometryCreator();
};
