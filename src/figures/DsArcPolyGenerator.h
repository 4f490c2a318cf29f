// CDsArcPolyGenerator: a circular arc (centre, radius, start angle, signed sweep and the angular
// step wanted between points, in the arc's own plane, placed in model space by a transformation)
// and its approximation by a polyline of equal chords. The figure generator draws arcs through it,
// and the arc and circle figures keep one.
//
// The approximation takes |trunc(sweep / step)| chords, at least 1 and at most 200, each of
// sweep / chords radians, and turns from one point to the next by an incremental rotation (sine
// and cosine are evaluated for the start and for one chord only). The points stay in the arc's
// plane (z is the centre's z); the storage carries the arc's transformation for whoever places
// them.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A sweep or a step that is not a finite number, or a quotient sweep / step that is not one,
//   makes no points, as a zero sweep or step does (the chord count is clamped before it becomes an
//   integer, so a tiny step gives 200 chords rather than an overflow).
// - SetTransformation with a null matrix or translation leaves the transformation as it is.
#pragma once

#include <afx.h>

#include "GmPosition.h"
#include "GmTransformation.h"
#include "SpaValues.h"

class CDsPolylineStorage;

// A circular arc and its polyline approximation.
class AFX_EXT_CLASS CDsArcPolyGenerator {
public:
    // The most chords an arc is approximated by.
    static const int kMaxSegments = 200;

    // The arc about `centre` (plane coordinates) of `radius`, placed by `transformation`, from
    // `start` over `delta` radians (signed), approximated at `step` radians per chord.
    CDsArcPolyGenerator(const CGmPosition& centre, double radius, const CGmTransformation& transformation,
                        double start, double delta, double step);
    // A copy of every field.
    CDsArcPolyGenerator(const CDsArcPolyGenerator& other) = default;
    // Copies every field.
    CDsArcPolyGenerator& operator=(const CDsArcPolyGenerator& other) = default;
    // Nothing to free.
    ~CDsArcPolyGenerator() = default;

    // A new storage with the arc's points and transformation (the caller deletes it); null when
    // the step or the sweep is 0 or not a finite number.
    CDsPolylineStorage* Approximate() const;
    // Empties `storage`, then (unless the step or the sweep is 0 or not finite) fills it with the
    // arc's chords + 1 points and gives it the arc's transformation. Nothing for null.
    void Approximate(CDsPolylineStorage* storage) const;
    // The number of chords the arc is approximated by (1 to 200); 0 when it makes no points.
    int GetSegmentCount() const;

    // The placement: a rotation given as three rows of three doubles (`rows`, row by row), a
    // translation of three doubles and a uniform scale. The transformation maps a plane point p to
    // p x scale x transpose(rows) + translation. Nothing when `rows` or `translation` is null.
    void SetTransformation(const double* rows, const double* translation, double scale);

    // The centre (plane coordinates).
    const CGmPosition& GetCenter() const { return m_centre; }
    // The radius.
    double GetRadius() const { return m_radius; }
    // The start angle (radians).
    double GetStart() const { return m_start; }
    // The sweep (radians, signed).
    double GetDelta() const { return m_delta; }
    // The angular step wanted (radians).
    double GetStep() const { return m_step; }
    // The placement.
    const SPAtransf& GetTransformation() const { return m_transformation; }

private:
    CGmPosition m_centre;
    double m_radius = 0.0;
    double m_start = 0.0;
    double m_delta = 0.0;
    double m_step = 0.0;
    SPAtransf m_transformation;
};
