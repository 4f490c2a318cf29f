// CDsGlSectionTesselation: the cut faces of a section. The host hands it the cut lines of a section
// as sets of loose segments, an output vector and the section's normal; CreateSurface closes each
// set's segments into loops and fills the loops with triangles through the GLU polygon tessellator
// (odd winding rule, so a loop inside another is a hole), one output entry per input set.
//
// Loops are built segment by segment: a segment extends the first loop (in list order) that one of
// its ends meets, testing the loop's first point against the segment's first end, then its last
// point, then both against the second end; a segment that meets no loop starts a new loop at the
// front of the list. Then loops are joined while an earlier loop's last point meets a later loop's
// first or last point (the later one turned round in that case). Points within the modeler's
// absolute resolution (SPAresabs) are the same point. A loop whose last point repeats its first
// loses the repetition before it is tessellated.
//
// While TesselateLoop runs the instance is the static current one (StGetTesselatedSection), which
// the tessellator's callbacks reach; it is null before and after, on every way out.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - CollectSegmentsIntoLoops finds the loops a segment end meets through a grid of the loops' end
//   points instead of going through the whole list for every segment and every join, so that a
//   cut of thousands of segments takes milliseconds rather than minutes; the loops, their order
//   and their points are those the step-by-step rules (UpdateLoopList, CloseLoops, which derived
//   classes can still call) give.
// - A segment with an end that is not finite is left out: the tessellator cannot place it.
// - The tessellator is given no combine callback: crossing loops make it fail ("need combine
//   callback"), and their set gets an empty entry, like any set the tessellator produced nothing
//   for (a single segment, say). Its errors are not reported.
#pragma once

#include <afx.h>

#include "SpaValues.h"

#include <list>
#include <utility>
#include <vector>

// One segment of a cut line: its two ends.
typedef std::pair<SPAposition, SPAposition> TDsSectionSegment;
// The segment sets of a cut: each with whether it is to be filled.
typedef std::vector<std::pair<bool, std::vector<TDsSectionSegment>>> TDsSectionSegmentSets;
// One primitive the tessellator made: its vertices in emission order and its OpenGL primitive type
// (GL_TRIANGLES, GL_TRIANGLE_STRIP or GL_TRIANGLE_FAN).
typedef std::pair<std::vector<SPAposition>, unsigned int> TDsSectionPrimitive;
// The primitives of one segment set.
typedef std::vector<TDsSectionPrimitive> TDsSectionPrimitives;
// The output: one entry per segment set, in input order.
typedef std::vector<TDsSectionPrimitives> TDsSectionSurfaces;
// A loop of points.
typedef std::list<SPAposition> TDsSectionLoop;
// A list of loops.
typedef std::list<TDsSectionLoop> TDsSectionLoops;

// Whether two points are the same within SPAresabs.
AFX_EXT_API bool DsSamePoint(const SPAposition& a, const SPAposition& b);

// The cut faces of a section (see the header comment).
class AFX_EXT_CLASS CDsGlSectionTesselation {
public:
    // Copies the sets and the normal and keeps a pointer to `result` (not owned; it must outlive
    // CreateSurface); all lists empty.
    CDsGlSectionTesselation(const TDsSectionSegmentSets& segmentSets, TDsSectionSurfaces& result,
                            const SPAunit_vector& normal);
    // Copies every field, the pointer to the output included.
    CDsGlSectionTesselation(const CDsGlSectionTesselation& other);
    // Frees the loop lists.
    virtual ~CDsGlSectionTesselation();
    CDsGlSectionTesselation& operator=(const CDsGlSectionTesselation&) = delete;

    // For each set in order: an unfilled set gets an empty entry; a filled one is closed into
    // loops (kept in the loop lists), tessellated, and its primitives appended as its entry. True
    // when the output holds any entry afterwards.
    bool CreateSurface();
    // The tessellator begins a primitive of `type`.
    void StartNewPolygon(unsigned int type);
    // The tessellator hands a vertex (three doubles); null is ignored.
    void AddVertex(const double* xyz);
    // The tessellator ends the primitive: it is appended with its type and the vertex list emptied.
    void EndPolygon();
    // The instance that is tessellating now, null otherwise.
    static CDsGlSectionTesselation* StGetTesselatedSection() { return sGlTesseletedSection; }

    // The loop lists of every filled set so far, in order.
    const std::list<TDsSectionLoops>& GetLoopsList() const { return m_loopsList; }
    // Forgets the loop lists.
    void ClearData() { m_loopsList.clear(); }
    // Forgets the loop lists (as ClearData).
    void DeleteLoopsList() { ClearData(); }
    // Whether CreateSurface ran.
    bool IsCreated() const { return m_created; }
    // Whether two points are the same within SPAresabs (DsSamePoint).
    static bool compare(const SPAposition& a, const SPAposition& b) { return DsSamePoint(a, b); }

    // The instance that is tessellating now (see StGetTesselatedSection).
    static CDsGlSectionTesselation* sGlTesseletedSection;

protected:
    // The loops of `segments` (see the header comment) into `loops` (emptied first).
    void CollectSegmentsIntoLoops(const std::vector<TDsSectionSegment>& segments, TDsSectionLoops& loops);
    // One segment into the loop list, step by step (see the header comment).
    void UpdateLoopList(const TDsSectionSegment& segment, TDsSectionLoops& loops);
    // Joins the first pair of loops that meet (an earlier loop's last point and a later loop's first
    // or last point); false when no pair does.
    bool CloseLoops(TDsSectionLoops& loops);
    // Removes the last point of `first`, moves the points of `second` to its end and removes
    // `second` from `loops`.
    void MergeLoops(TDsSectionLoops& loops, TDsSectionLoops::iterator first, TDsSectionLoops::iterator second);
    // Puts `position` at the front or at the end of `loop`.
    void AddPositionToLoop(TDsSectionLoop& loop, const SPAposition& position, bool front);
    // Removes the last point of a loop whose last point is its first.
    void DeleteDuplicatedPoints(TDsSectionLoop& loop);
    // The same for every loop of the list.
    void DeleteDuplicatedPoints(TDsSectionLoops& loops);
    // Tessellates the loops, one contour each, into the primitive list.
    void TesselateLoop(const TDsSectionLoops& loops);
    // False when `b` lies strictly within 1e-6 of `a`, true otherwise.
    static bool CheckIfOutOfToleranceRange(double a, double b);
    // Trace hooks: they do nothing.
    void TraceLoopsMap() const {}
    // Trace hook: nothing.
    void TraceLoopsList(const TDsSectionLoops&) const {}
    // Trace hook: nothing.
    void TraceLoop(const TDsSectionLoop&) const {}

private:
    double m_normal[3];
    unsigned int m_type = 0;
    bool m_created = false;
    TDsSectionSegmentSets m_sets;
    TDsSectionSurfaces* m_result;
    TDsSectionPrimitives m_primitives;
    std::vector<SPAposition> m_vertices;
    std::list<TDsSectionLoops> m_loopsList;
};
