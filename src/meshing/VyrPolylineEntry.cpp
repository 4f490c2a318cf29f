// CVyrPolylineEntry: an edge's polyline or ellipse storage, reference-counted.
#include "VyrPolylineEntry.h"

#include "DmRefCountPtrTempl.h"
#include "DsBox.h"
#include "DsDriverGl.h"
#include "DsEllipseStorage.h"
#include "DsGeometryComputer.h"
#include "DsGlSketch.h"
#include "DsQueryIDInt.h"

#include "SpaGeometry.h"
#include "SpaTopology.h"

#include <GL/gl.h>

CVyrPolylineEntry::CVyrPolylineEntry(EDGE* edge)
    : m_edge(edge), m_pid(CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(edge))
{
}

CVyrPolylineEntry::~CVyrPolylineEntry()
{
    FreeGeometry();
}

int CVyrPolylineEntry::AddRef()
{
    return ++m_references;
}

int CVyrPolylineEntry::Release()
{
    const int left = --m_references;
    if (left <= 0) delete this;
    return left;
}

void CVyrPolylineEntry::FreeGeometry()
{
    delete[] m_points;
    m_points = nullptr;
    m_count = 0;
    delete m_ellipse;
    m_ellipse = nullptr;
}

int CVyrPolylineEntry::GetPoints(const float*& points) const
{
    points = m_points;
    return m_count;
}

void CVyrPolylineEntry::SetPoints(int count, float* points)
{
    if (points != m_points) delete[] m_points;
    if (count <= 0 || !points) {
        if (points != m_points) delete[] points;
        m_points = nullptr;
        m_count = 0;
        return;
    }
    m_points = points;
    m_count = count;
}

void CVyrPolylineEntry::SetPoints(int count, const double* points)
{
    float* copy = nullptr;
    if (count > 0 && points) {
        copy = new float[static_cast<size_t>(count) * 3];
        for (size_t i = 0; i < static_cast<size_t>(count) * 3; ++i) copy[i] = static_cast<float>(points[i]);
    }
    SetPoints(copy ? count : 0, copy);
}

CDsEllipseStorage* CVyrPolylineEntry::SetEllipse(const ellipse& e, double start, double end)
{
    CDsEllipseStorage* storage = new CDsEllipseStorage(e, start, end);
    delete m_ellipse;
    m_ellipse = storage;
    return storage;
}

void CVyrPolylineEntry::SetMidPosition(float x, float y, float z)
{
    m_middle[0] = x;
    m_middle[1] = y;
    m_middle[2] = z;
}

void CVyrPolylineEntry::SetMiddlePoint()
{
    if (m_count <= 0 || !m_points) return;
    const SPAposition mid = CDsGeometryComputer::GetInstance()->CalculateCurveMidPoint(m_points, m_count);
    SetMidPosition(static_cast<float>(mid.x()), static_cast<float>(mid.y()), static_cast<float>(mid.z()));
}

SPAposition CVyrPolylineEntry::GetMiddlePoint() const
{
    if (m_ellipse) return m_ellipse->GetMiddlePoint();
    return SPAposition(m_middle[0], m_middle[1], m_middle[2]);
}

SPAposition CVyrPolylineEntry::GetStartPoint() const
{
    if (m_count > 0 && m_points) return SPAposition(m_points[0], m_points[1], m_points[2]);
    if (m_ellipse) return m_ellipse->GetStartPoint();
    return SPAposition();
}

SPAposition CVyrPolylineEntry::GetEndPoint() const
{
    if (m_count > 0 && m_points) {
        const float* last = m_points + 3 * (m_count - 1);
        return SPAposition(last[0], last[1], last[2]);
    }
    if (m_ellipse) return m_ellipse->GetEndPoint();
    return SPAposition();
}

bool CVyrPolylineEntry::GetCenterPoint(SPAposition& centre) const
{
    if (!m_ellipse || !m_ellipse->GetEllipse()) return false;
    centre = m_ellipse->GetEllipse()->centre;
    return true;
}

void CVyrPolylineEntry::ExpandBox(CDsBox& box, const SPAtransf* t, bool withCentre) const
{
    if (m_ellipse) {
        m_ellipse->ExpandBox(box, t, withCentre);
        return;
    }
    for (int i = 0; i < m_count && m_points; ++i) box.Expand(m_points + 3 * i, t);
}

bool CVyrPolylineEntry::GetBox(SPAbox& box, const SPAtransf* t, bool withCentre) const
{
    CDsBox grown;
    ExpandBox(grown, t, withCentre);
    if (grown.IsNotComputed()) {
        box = SPAbox();
        return false;
    }
    const float* lo = grown.GetMin();
    const float* hi = grown.GetMax();
    box = SPAbox(SPAposition(lo[0], lo[1], lo[2]), SPAposition(hi[0], hi[1], hi[2]));
    return true;
}

void CVyrPolylineEntry::DrawGl(view3d& view, bool fast) const
{
    if (m_ellipse) {
        const SPAposition* points = nullptr;
        bool fastFlag = fast;
        const int count = m_ellipse->ApproximateEllipse(&view, points, &fastFlag);
        CDsDriverGl::StDrawPoints(points ? count : 0, points, GL_LINE_STRIP);
        return;
    }
    // A pick's selection or feedback takes the points from a client array (see CDsDriverGl).
    if (CDsDriverGl::StSelectsOrFeedsBack()) {
        CDsDriverGl::StDrawClientArray(GL_LINE_STRIP, 3, GL_FLOAT, m_points, m_count);
        return;
    }
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < m_count && m_points; ++i) glVertex3fv(m_points + 3 * i);
    glEnd();
}

void CVyrPolylineEntry::Reevaluate()
{
    // Without an edge there is nothing to sketch again from: the points stay.
    if (!m_edge) return;
    FreeGeometry();
    // Held while the sketch fills it, so that an entry nobody else holds outlives the sketch's
    // own reference.
    ++m_references;
    {
        CDmRefCountPtrTempl<CVyrPolylineEntry> self(this);
        CDsGlSketch sketch(nullptr);
        ERRORS_IGNORED_BEGIN
        sketch.SketchEdge(m_edge, self);
        ERRORS_IGNORED_END
    }
    --m_references;
}
