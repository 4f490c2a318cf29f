// DsAcisEdge: the evaluator of a reference point's edge. It answers the positions a reference point
// snaps to on an EDGE of the modeler: the start and end of the edge's curve range, its middle, the
// centre of its circle or ellipse, and the point of the edge nearest to a model point or to a
// pick. Positions are in model space: the edge's curve is evaluated in its body's space and mapped
// by the body's transform.
//
// Choices where the behaviour was open:
// - Start and end follow the curve's direction (the edge's parameter range from its low to its
//   high end), whatever the edge's sense: a reference point turns the start and end kinds round
//   for a reversed edge before it asks.
// - The middle is the point at the middle parameter of the edge's range.
// - Only an ellipse (a circle included) has a centre; any other curve answers no centre.
// - The point nearest to a pick is the point of the edge nearest to the pick ray's line: the
//   edge's range is sampled at 64 parameters and the best sample refined by a golden-section search
//   between its neighbours. The nearest point to a model point is the curve's own closest point
//   clamped into the edge's range.
// - Every evaluation answers false (outputs unchanged) for a null edge, an edge without a curve,
//   or a modeler error (which is caught).
#pragma once

#include <afx.h>

class CUiPickEvent;
class EDGE;
class SPAposition;

// The evaluator of one reference edge's positions.
class AFX_EXT_CLASS DsAcisEdge {
public:
    // An evaluator; it keeps no state between calls.
    DsAcisEdge() = default;
    // Frees the evaluator.
    virtual ~DsAcisEdge() = default;

    // 1 when `edge` has a curve to evaluate, else 0.
    int FindCurve(EDGE* edge);
    // The point at the low end of the edge's curve range.
    bool EvalStartPosition(EDGE* edge, SPAposition& position);
    // The point at the high end of the edge's curve range.
    bool EvalEndPosition(EDGE* edge, SPAposition& position);
    // The point at the middle parameter of the edge's range.
    bool EvalMidPosition(EDGE* edge, SPAposition& position);
    // The centre of the edge's circle or ellipse; false for other curves.
    bool EvalCenterPosition(EDGE* edge, SPAposition& position);
    // The point of the edge nearest to model point `point` and its curve parameter; `inside`
    // not 0 keeps it within the edge's range.
    bool EvalClosePosition(EDGE* edge, const SPAposition& point, SPAposition& position, double& param, int inside);
    // The point of the edge nearest to the event's pick ray and its curve parameter (see the
    // header comment); false without a view or ray.
    bool EvalClosePosition(EDGE* edge, const CUiPickEvent& event, SPAposition& position, double& param, int inside);
};
