// CDsFigQuadric: the lamp of a light source, a figure that shows where the light stands and where
// it points: one CDsItemLamp (a sphere, or a sphere with a cylinder or a cone turned towards the
// target) of the figure's type and size at its position, facing its target.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Remove is the base figure's removal; the lamp item goes with the groups, so GetItemQuadratic
//   answers null until the figure is defined again.
// - A size or coordinate that is not finite is kept from the lamp (which then keeps its own
//   values), so that no NaN reaches OpenGL.
#pragma once

#include <afx.h>

#include "DsBasicSurface.h"
#include "DsFigure.h"

class CDsItemLamp;

// The lamp of a light source.
class AFX_EXT_CLASS CDsFigQuadric : public CDsFigure {
public:
    // Type 0 (sphere), size 1, position and target at the origin; pending until first used.
    CDsFigQuadric();

    // A new CDsItemLamp of the type and size (its box the position +- size), at the position,
    // facing the target, added through AddSubFigure. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The base figure's colour.
    void SetColor(const CDsColorStorage& color, bool redraw) override;

    // The type (shows at the next definition).
    void SetType(EDsQuadType type) { m_type = type; }
    // The size (shows at the next definition).
    void SetSize(float size) { m_size = size; }
    // The position (three floats; ignored for null).
    void SetPosition(const float* position);
    // The target (three floats; ignored for null).
    void SetTarget(const float* target);
    // The main group's first child as a lamp, null when there is none.
    CDsItemLamp* GetItemQuadratic() const;
    // The base figure's removal (see the header comment).
    void Remove(view3d* view = nullptr) { CDsFigure::Remove(view); }
    // The type.
    EDsQuadType GetQuadType() const { return m_type; }
    // The size.
    float GetSize() const { return m_size; }
    // The position (three floats).
    const float* GetPosition() const { return m_position; }
    // The target (three floats).
    const float* GetTarget() const { return m_target; }

private:
    EDsQuadType m_type = eDsQuadSphere;
    float m_size = 1.0f;
    float m_position[3] = {0.0f, 0.0f, 0.0f};
    float m_target[3] = {0.0f, 0.0f, 0.0f};
};
