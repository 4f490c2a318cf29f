#include "DsEllipseStorage.h"

#include "DsBox.h"
#include "DsGeometryComputer.h"
#include "DsView3dCdc.h"

#include <SpaGeometry.h>
#include <SpaValues.h>
#include <view3d.h>

#include <cmath>
#include <vector>

bool CDsEllipseStorage::sDynamicEllipses = true;

namespace {

const double kTwoPi = 6.283185307179586;
const int kMinFullSegments = 64;
const int kMaxFullSegments = 200;
// Relative tolerance, in grid steps, under which a parameter counts as lying on the grid.
const double kGridTolerance = 1e-9;

// True when the arc spans a whole turn or more.
bool IsWholeTurn(double start, double end)
{
    return std::fabs(end - start) / kTwoPi >= 1.0 - kGridTolerance;
}

// Index of the first grid parameter (k x step) strictly past `start`.
long long FirstGridIndexAfter(double start, double step)
{
    return static_cast<long long>(std::floor(start / step + kGridTolerance)) + 1;
}

// Index of the last grid parameter strictly before `end`.
long long LastGridIndexBefore(double end, double step)
{
    return static_cast<long long>(std::ceil(end / step - kGridTolerance)) - 1;
}

// Segments of the arc (start, end) with `fullSegments` per whole turn: one more than the grid
// points strictly inside, the whole-turn count for a whole turn, at least 1.
int SegmentsFor(double start, double end, int fullSegments)
{
    if (IsWholeTurn(start, end)) return fullSegments;
    const double step = kTwoPi / fullSegments;
    const long long inside = LastGridIndexBefore(end, step) - FirstGridIndexAfter(start, step) + 1;
    if (inside < 1) return 1;
    return static_cast<int>(inside + 1);
}

}  // namespace

CDsEllipseStorage::CDsEllipseStorage(const ellipse& e, double start, double end)
    : m_ellipse(new ellipse(e)), m_start(start), m_end(end)
{
    MeasureFullLength();
}

CDsEllipseStorage::CDsEllipseStorage(ellipse* e, double start, double end, bool borrowed)
    : m_borrowed(borrowed), m_ellipse(e), m_start(start), m_end(end)
{
    MeasureFullLength();
}

CDsEllipseStorage::CDsEllipseStorage(const CDsEllipseStorage& other)
{
    CopyFrom(other, false);
}

CDsEllipseStorage& CDsEllipseStorage::operator=(const CDsEllipseStorage& other)
{
    if (this != &other) CopyFrom(other, true);
    return *this;
}

CDsEllipseStorage::~CDsEllipseStorage()
{
    DeletePoints();
    DeleteEllipse();
}

void CDsEllipseStorage::CopyObject(const CDsEllipseStorage& other)
{
    if (this != &other) CopyFrom(other, false);
}

void CDsEllipseStorage::CopyFrom(const CDsEllipseStorage& other, bool withPoints)
{
    DeletePoints();
    DeleteEllipse();
    m_borrowed = false;
    m_ellipse = other.m_ellipse ? new ellipse(*other.m_ellipse) : nullptr;
    m_start = other.m_start;
    m_end = other.m_end;
    m_fullLength = other.m_fullLength;
    m_transformationScale = other.m_transformationScale;
    if (withPoints) {
        for (int i = 0; i < 3; ++i) m_middle[i] = other.m_middle[i];
        m_fullSegments = other.m_fullSegments;
        m_lastUnitsPerPixel = other.m_lastUnitsPerPixel;
        if (other.m_points && other.m_pointsCount > 0) {
            m_points = new SPAposition[other.m_pointsCount];
            for (int i = 0; i < other.m_pointsCount; ++i) m_points[i] = other.m_points[i];
            m_pointsCount = other.m_pointsCount;
        }
    } else {
        for (float& c : m_middle) c = 0.0f;
        m_fullSegments = 0;
        m_lastUnitsPerPixel = 0.0;
    }
}

void CDsEllipseStorage::DeleteEllipse()
{
    if (!m_borrowed) delete m_ellipse;
    m_ellipse = nullptr;
}

void CDsEllipseStorage::DeletePoints()
{
    delete[] m_points;
    m_points = nullptr;
    m_pointsCount = 0;
}

void CDsEllipseStorage::MeasureFullLength()
{
    m_fullLength = m_ellipse ? m_ellipse->length(0.0, kTwoPi) : 0.0;
    if (!std::isfinite(m_fullLength)) m_fullLength = 0.0;
}

void CDsEllipseStorage::GetParameters(double& start, double& end) const
{
    start = m_start;
    end = m_end;
}

int CDsEllipseStorage::GetPoints(const SPAposition*& points) const
{
    points = m_points;
    return m_pointsCount;
}

SPAposition CDsEllipseStorage::GetStartPoint() const
{
    return m_pointsCount > 0 ? m_points[0] : SPAposition();
}

SPAposition CDsEllipseStorage::GetEndPoint() const
{
    return m_pointsCount > 0 ? m_points[m_pointsCount - 1] : SPAposition();
}

SPAposition CDsEllipseStorage::GetMiddlePoint() const
{
    return SPAposition(m_middle[0], m_middle[1], m_middle[2]);
}

void CDsEllipseStorage::Transform(const SPAtransf& t)
{
    if (m_ellipse) *m_ellipse *= t;
    DeletePoints();
}

void CDsEllipseStorage::SetTransformationScale(double scale)
{
    m_transformationScale = static_cast<float>(scale);
    m_lastUnitsPerPixel += 0.1;
}

int CDsEllipseStorage::ComputeFullEllipseSegmentsCount(view3d* view) const
{
    if (!view) return kMinFullSegments;
    const double unitsPerPixel = view->get_units_per_pixel();
    if (!(unitsPerPixel > 0.0) || !std::isfinite(unitsPerPixel)) return kMinFullSegments;
    double n = m_transformationScale / unitsPerPixel * m_fullLength * 0.05;
    if (!(n >= kMinFullSegments)) n = kMinFullSegments;  // also catches a NaN
    if (n > kMaxFullSegments) n = kMaxFullSegments;
    return static_cast<int>(n);
}

int CDsEllipseStorage::ComputeSegmentsCount(view3d* view) const
{
    if (!std::isfinite(m_start) || !std::isfinite(m_end)) return 1;
    return SegmentsFor(m_start, m_end, ComputeFullEllipseSegmentsCount(view));
}

bool CDsEllipseStorage::CheckIfRecomputeIsNeeded(view3d* view, bool fast)
{
    if (!view) return false;
    if (!m_points) return true;
    if (fast) return false;
    const double unitsPerPixel = view->get_units_per_pixel();
    // A plot draws the same view in passes: while its scale stays, the points stay.
    if (unitsPerPixel == m_lastUnitsPerPixel && CDsView3dCdc::StGetPlotMode() != ePlotModeNone) return false;
    m_lastUnitsPerPixel = unitsPerPixel;
    const int count = ComputeFullEllipseSegmentsCount(view);
    if (count == m_fullSegments) return false;
    m_fullSegments = count;
    return true;
}

int CDsEllipseStorage::ApproximateEllipse(view3d* view, const SPAposition*& points, bool* fast)
{
    points = m_points;
    if (!m_ellipse || !std::isfinite(m_start) || !std::isfinite(m_end)) return m_pointsCount;

    const bool isFast = fast ? *fast : (view ? view->GetFlag(eDsViewFlagFastRefresh) : false);
    if (!CheckIfRecomputeIsNeeded(view, isFast) && (view || m_points)) return m_pointsCount;

    const int fullSegments = ComputeFullEllipseSegmentsCount(view);
    const int n = SegmentsFor(m_start, m_end, fullSegments);
    m_fullSegments = fullSegments;
    DeletePoints();
    m_points = new SPAposition[n + 1];
    m_pointsCount = n + 1;

    const double step = kTwoPi / fullSegments;
    const long long first = FirstGridIndexAfter(m_start, step);
    m_points[0] = m_ellipse->eval_position(m_start);
    for (int i = 1; i < n; ++i) m_points[i] = m_ellipse->eval_position(static_cast<double>(first + i - 1) * step);
    // A whole turn closes exactly on its first point.
    const bool closes = std::fabs(std::fabs(m_end - m_start) - kTwoPi) < kGridTolerance * step;
    m_points[n] = closes ? m_points[0] : m_ellipse->eval_position(m_end);

    std::vector<float> xyz(static_cast<size_t>(m_pointsCount) * 3);
    for (int i = 0; i < m_pointsCount; ++i) {
        xyz[3 * i] = static_cast<float>(m_points[i].x());
        xyz[3 * i + 1] = static_cast<float>(m_points[i].y());
        xyz[3 * i + 2] = static_cast<float>(m_points[i].z());
    }
    const SPAposition middle = CDsGeometryComputer::GetInstance()->CalculateCurveMidPoint(xyz.data(), m_pointsCount);
    m_middle[0] = static_cast<float>(middle.x());
    m_middle[1] = static_cast<float>(middle.y());
    m_middle[2] = static_cast<float>(middle.z());

    points = m_points;
    return m_pointsCount;
}

void CDsEllipseStorage::ExpandBox(CDsBox& box, const SPAtransf* t, bool withCentre)
{
    const SPAposition* points = nullptr;
    const int count = ApproximateEllipse(CDsView3dCdc::StGetCurrent(), points);
    for (int i = 0; i < count; ++i) {
        box.Expand(static_cast<float>(points[i].x()), static_cast<float>(points[i].y()),
                   static_cast<float>(points[i].z()), t);
    }
    if (withCentre && m_ellipse) {
        const SPAposition& c = m_ellipse->centre;
        box.Expand(static_cast<float>(c.x()), static_cast<float>(c.y()), static_cast<float>(c.z()), t);
    }
}
