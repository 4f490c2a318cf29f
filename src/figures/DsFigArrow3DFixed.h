// The arrow figures: CDsFigArrow3DFixed (an arrow of a size in pixels anchored at a model point and
// pointing along a model direction) and CDsFigArrowReference (an arrow of a size in pixels pinned
// to a place of the viewport). Each makes one arrow group (CDsItemsArrowFixed or
// CDsItemsArrowReference) in its DefineFig, keeps it, and answers whether a pick event hits its
// head or its body.
//
// The pick tests put the event's view in pick mode at the event with the aperture asked for
// (width x height pixels; a height of -1 takes the width; both -1 keep the process-wide aperture)
// and afterwards give back both the process-wide aperture and the view's pick mode (with its
// region) as they were, on every way out.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The kept arrow item is the first child of the main group; whenever the figure's groups are
//   deleted (Remove, a new definition) the figure answers as having no arrow until it is defined
//   again, so that it never reaches an item that is gone.
// - The fixed arrow is made with its two ints as length and gap (pixels), not screen-fixed, with
//   the default marker; its pick tests rebuild the arrow for the event's view first.
// - SetPosition moves the kept arrow by the difference of the positions; SetVector gives it the
//   normalised vector. The offset is only stored.
// - A pick test without a view on the event answers false and changes nothing.
// - The pick manager of a test holds one level, the arrow item (no entity), while the head or the
//   shaft is asked, so that a hit is a record the manager can accept.
#pragma once

#include <afx.h>

#include "DsFigure.h"
#include "GmPosition.h"

class CDsItemsArrowFixed;
class CDsItemsArrowReference;
class CUiPickEvent;
class view3d;

// An arrow of a size in pixels at a model point.
class AFX_EXT_CLASS CDsFigArrow3DFixed : public CDsFigure {
public:
    // At `position` along `vector` (normalised), `length` pixels long and `gap` pixels out from the
    // position; pending until first used.
    CDsFigArrow3DFixed(const CGmPosition& position, const CGmVector& vector, int length, int gap);

    // A new CDsItemsArrowFixed, kept and added through AddSubFigure. 1.
    int DefineFig(CDsFigureGenerator& generator) override;

    // The position.
    const CGmPosition& GetPosition() const { return m_position; }
    // The position; the kept arrow moves with it.
    void SetPosition(const CGmPosition& position);
    // The vector (normalised).
    const CGmVector& GetVector() const { return m_vector; }
    // The vector, normalised; the kept arrow turns with it.
    void SetVector(const CGmVector& vector);
    // The offset (pixels; stored only).
    int GetOffset() const { return m_offset; }
    // Stores the offset.
    void SetOffset(int offset) { m_offset = offset; }
    // The length in pixels.
    int GetLength() const { return m_length; }
    // The gap in pixels.
    int GetGap() const { return m_gap; }
    // The position projected on `view` (null: the current view), truncated, y counted down; false
    // when it does not project.
    bool GetXY(int& x, int& y, view3d* view = nullptr) const;
    // Whether the arrow's shaft lies under the event (see the header comment).
    bool BodyIsPicked(const CUiPickEvent& event, int width = -1, int height = -1);
    // Whether the arrow's head lies under the event (see the header comment).
    bool HeadIsPicked(const CUiPickEvent& event, int width = -1, int height = -1);
    // The kept arrow, null while the figure has none.
    CDsItemsArrowFixed* GetArrowItem() const;

private:
    // The pick test of the head or the body.
    bool PartIsPicked(const CUiPickEvent& event, int width, int height, bool head);

    CGmPosition m_position;
    CGmVector m_vector;
    int m_length;
    int m_gap;
    int m_offset = 0;
    CDsItemsArrowFixed* m_arrow = nullptr;  // not owned: a child of the main group
};

// An arrow of a size in pixels pinned to a place of the viewport.
class AFX_EXT_CLASS CDsFigArrowReference : public CDsFigure {
public:
    // Along `direction` normalised ((1, 0, 0) when null), `size` pixels long, `offsetX`, `offsetY`
    // pixels back from the viewport's upper-right corner; pending until first used.
    CDsFigArrowReference(const CGmVector* direction, int offsetX, int offsetY, int size);

    // A new CDsItemsArrowReference of the offsets, the size and the direction, kept and added
    // through AddSubFigure. 1.
    int DefineFig(CDsFigureGenerator& generator) override;

    // The direction.
    const CGmVector& GetDirection() const { return m_direction; }
    // The direction, normalised ((1, 0, 0) for a zero vector); the kept arrow takes it.
    void SetDirection(const CGmVector& direction);
    // Whether the arrow's shaft lies under the event, the figure's placement applied to the view.
    bool BodyIsPicked(const CUiPickEvent& event, int width = -1, int height = -1);
    // Whether the arrow's head lies under the event, the figure's placement applied to the view.
    bool HeadIsPicked(const CUiPickEvent& event, int width = -1, int height = -1);
    // The base figure's removal; the kept arrow goes with the groups.
    void Remove(view3d* view = nullptr);
    // The kept arrow, null while the figure has none.
    CDsItemsArrowReference* GetArrowItem() const;

private:
    // The pick test of the head or the body.
    bool PartIsPicked(const CUiPickEvent& event, int width, int height, bool head);

    int m_offsetX;
    int m_offsetY;
    int m_size;
    CGmVector m_direction;
    CDsItemsArrowReference* m_arrow = nullptr;  // not owned: a child of the main group
};
