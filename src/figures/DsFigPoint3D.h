// The point figures: CDsFigPoint3D (a marker at a model point, pushed a number of pixels along a
// direction), CDsFigMultiPoint3D (the same marker at many model points), CDsFigPointReference (a
// marker at a fixed place of the window), and two abstract bases for the host's own figures at
// screen points, CDsFigPoint2D and CDsFigLine2D.
//
// CDsFigPoint3D and CDsFigMultiPoint3D are shared by use count: a holder that keeps one calls
// IncrementUse, and every holder lets go with Loose, which deletes the figure when the count
// reaches 0 (and only then).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Assigning a point figure to another copies its position, style, size, flag, vector, offset,
//   reference path and its active-transformation and clip-able flags, but not its use count: the
//   target keeps the count of its own holders, so that it is freed neither while they still hold
//   it nor never. The target's line attributes, groups and database identity stay its own (a
//   figure's groups and database item are never shared).
// - A point figure made from a null picked item has no position and defines an empty group.
// - GetXY answers the projected pixel as the geometry computer gives it (y counted down from the
//   top of the viewport), truncated; false (outputs unchanged) when there is no view or the point
//   does not project.
// - CDsFigLine2D::IsPicked is the base figure's pick with the process-wide aperture.
// - The multi-point figure compares equal to another when both hold the same number of points
//   and each point coincides with its partner within the modeler's absolute resolution.
#pragma once

#include <afx.h>

#include "DsFigure.h"
#include "GmPosition.h"
#include "VyrFigureGenerator.h"
#include "VyrObjectPath.h"

#include <vector>

class CDsPickedItem;
class CUiPickEvent;
class view3d;

// A marker at a model point.
class AFX_EXT_CLASS CDsFigPoint3D : public CDsFigure {
public:
    // A marker of `style` and `size` pixels at `position`, pushed `offset` pixels along `vector`;
    // `flag` becomes the marker item's host flag. Use count 1; defined at once.
    CDsFigPoint3D(const CGmPosition& position, EPointStyle style, int size, bool flag, bool activeTransformation,
                  const CGmUnitVector& vector, int offset);
    // A marker (style by type, default size) at the picked position, with the picked item's object
    // path as its reference entity; use count 1, offset 0, definition pending. Null: no position.
    explicit CDsFigPoint3D(const CDsPickedItem* picked);
    // A copy of every value but the use count, which starts at 1; defined at once.
    CDsFigPoint3D(const CDsFigPoint3D& other);
    // Copies every value (the reference path unless it is this figure's own) but the use count,
    // without redefinition.
    CDsFigPoint3D& operator=(const CDsFigPoint3D& other);

    // DrawPoint(position, style, size, flag, vector, offset); nothing without a position. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // Subtracts one from the use count; deletes the figure when it reaches 0.
    virtual void Loose();

    // Adds one to the use count.
    void IncrementUse() { ++m_useCount; }
    // The use count.
    int GetUseCount() const { return m_useCount; }
    // The position; redefines.
    void SetPosition(const CGmPosition& position);
    // Position, style, size, vector and offset; redefines.
    void SetPointData(const CGmPosition& position, EPointStyle style, int size, const CGmUnitVector& vector,
                      int offset);
    // The marker style (shows at the next definition). Not the line style: that one is
    // CDsFigure::SetStyle(int, bool), which stays callable here and stipples the marker's lines.
    void SetStyle(EPointStyle style) { m_style = style; }
    using CDsFigure::SetStyle;
    // The marker size in pixels; redefines.
    void SetSize(int size);
    // The direction of the offset; redefines.
    void SetVector(const CGmUnitVector& vector);
    // The offset in pixels along the vector; redefines.
    void SetOffset(int offset);
    // The position shown on `view`: the position, pushed offset x the view's units per pixel along
    // the vector when the offset is not 0.
    CGmPosition OffsetedPosition(view3d& view) const;
    // The shown position projected on `view` (null: the current view), truncated (y down); false
    // when it does not project.
    bool GetXY(int& x, int& y, view3d* view) const;
    // Whether `figure` is a CDsFigPoint3D.
    static bool StIsFigPoint(const CDsFigure* figure);
    // The position.
    const CGmPosition& GetPosition() const { return m_position; }
    // The marker style.
    EPointStyle GetPointStyle() const { return m_style; }
    // The marker size.
    int GetSize() const { return m_size; }
    // The direction of the offset.
    const CGmUnitVector& GetVector() const { return m_vector; }
    // The offset in pixels.
    int GetOffset() const { return m_offset; }
    // Stores a copy of `path` (ids and both trailing integers; nothing for the figure's own path);
    // no redefinition.
    void SetRefEntity(const CVyrObjectPath& path);
    // The stored reference path.
    const CVyrObjectPath& GetRefEntity() const { return m_path; }
    // Whether the two positions coincide within the modeler's absolute resolution.
    bool operator==(const CDsFigPoint3D& other) const;

private:
    CVyrObjectPath m_path;
    CGmPosition m_position;
    EPointStyle m_style = ePointStyleByType;
    int m_size = 0;
    bool m_flag = false;
    int m_useCount = 1;
    CGmUnitVector m_vector;
    int m_offset = 0;
    bool m_hasPosition = true;
};

// The same marker at many model points.
class AFX_EXT_CLASS CDsFigMultiPoint3D : public CDsFigure {
public:
    // Markers of `style` and `size` at each of `positions`, pushed `offset` pixels along `vector`;
    // use count 1; defined at once.
    CDsFigMultiPoint3D(const std::vector<CGmPosition>& positions, EPointStyle style, int size, bool flag,
                       bool activeTransformation, const CGmUnitVector& vector, int offset);
    // Not copyable (a copy would share the holders' count).
    CDsFigMultiPoint3D(const CDsFigMultiPoint3D&) = delete;
    // Not copyable.
    CDsFigMultiPoint3D& operator=(const CDsFigMultiPoint3D&) = delete;

    // One DrawPoint per position, in order; nothing for no positions. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // Subtracts one from the use count; deletes the figure when it reaches 0.
    virtual void Loose();

    // Adds one to the use count.
    void IncrementUse() { ++m_useCount; }
    // The use count.
    int GetUseCount() const { return m_useCount; }
    // The positions.
    const std::vector<CGmPosition>& GetPositions() const { return m_positions; }
    // The marker style.
    EPointStyle GetPointStyle() const { return m_style; }
    // The stored reference path.
    const CVyrObjectPath& GetRefEntity() const { return m_path; }
    // Whether `figure` is a CDsFigMultiPoint3D.
    static bool StIsFigMultiPoint(const CDsFigure* figure);
    // Same number of positions, each coinciding with its partner (see the header comment).
    bool operator==(const CDsFigMultiPoint3D& other) const;

private:
    CVyrObjectPath m_path;
    std::vector<CGmPosition> m_positions;
    EPointStyle m_style = ePointStyleByType;
    int m_size = 0;
    bool m_flag = false;
    int m_useCount = 1;
    CGmUnitVector m_vector;
    int m_offset = 0;
};

// A marker at a fixed place of the window.
class AFX_EXT_CLASS CDsFigPointReference : public CDsFigure {
public:
    // A marker of `style` and `size` pixels `x` pixels left of the viewport's right edge and `y`
    // below its top edge; defined at once.
    CDsFigPointReference(int x, int y, EPointStyle style, int size);

    // A CDsItemPointReference(x, y, style, size). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The place; redefines.
    void SetPosition(int x, int y);
    // Place, style and size; redefines.
    void SetPointData(int x, int y, EPointStyle style, int size);
    // The marker style (shows at the next definition); the line style is CDsFigure's, as for
    // CDsFigPoint3D.
    void SetStyle(EPointStyle style) { m_style = style; }
    using CDsFigure::SetStyle;
    // The size; redefines.
    void SetSize(int size);
    // The distance from the right edge.
    int GetX() const { return m_x; }
    // The distance from the top edge.
    int GetY() const { return m_y; }
    // The style.
    EPointStyle GetPointStyle() const { return m_style; }
    // The size.
    int GetSize() const { return m_size; }

private:
    int m_x;
    int m_y;
    EPointStyle m_style;
    int m_size;
};

// The base of host figures at a screen point.
class AFX_EXT_CLASS CDsFigPoint2D : public CDsFigure {
public:
    // At the event's pixel.
    explicit CDsFigPoint2D(const CUiPickEvent& event);
    // At the pixel of `position` on `view` (0, 0 when it does not project).
    CDsFigPoint2D(const CGmPosition& position, view3d* view);

    // The pixel of `position` projected on `view`, truncated; unchanged when it does not project.
    void SetPosition(const CGmPosition& position, view3d* view);
    // The pixel.
    void GetXY(int& x, int& y) const
    {
        x = m_x;
        y = m_y;
    }

protected:
    int m_x = 0;
    int m_y = 0;
};

// The base of host figures between two screen points.
class AFX_EXT_CLASS CDsFigLine2D : public CDsFigure {
public:
    // Between the pixels of the two events.
    CDsFigLine2D(const CUiPickEvent& first, const CUiPickEvent& second);

    using CDsFigure::IsPicked;
    // Whether the figure lies under the event (the process-wide aperture).
    int IsPicked(const CUiPickEvent& event);
    // The first pixel.
    void GetFirst(int& x, int& y) const
    {
        x = m_x1;
        y = m_y1;
    }
    // The second pixel.
    void GetSecond(int& x, int& y) const
    {
        x = m_x2;
        y = m_y2;
    }

protected:
    int m_x1 = 0;
    int m_y1 = 0;
    int m_x2 = 0;
    int m_y2 = 0;
};
